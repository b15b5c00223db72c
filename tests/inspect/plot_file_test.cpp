// The plot file read back and held against the grid file: the reference runs
// agree to 7 significant digits, a changed digit is found, malformed files
// are refused with file, record and column.
#include "inspect/run_files/plot_file.hpp"

#include <gtest/gtest.h>

#include "inspect/run_files/text_input.hpp"
#include "inspect_support.hpp"

namespace torvane::inspect {
namespace {

using testing::Read_text;
using testing::Scratch;
using testing::Write_text;

TEST(PlotFile, TheReferenceSmallRunAgreesWithItsGridFile) {
  TORVANE_REQUIRE_REFERENCE(stem, "small");
  const Grid plot = Read_plot_file(stem + "_grid_volume.plt");
  EXPECT_EQ(plot.ie, 13);
  EXPECT_EQ(plot.je, 8);
  EXPECT_EQ(plot.ke, 6);
  // Record 4, the first point, as the file writes it.
  EXPECT_EQ(plot.x[0], -0.5000177E-01);
  EXPECT_EQ(plot.y[0], 0.2321193E-01);
  EXPECT_EQ(plot.z[0], 0.2991007E+00);
  const Plot_agreement a = Compare_plot(plot, Read_grid_file(stem + ".rgra"));
  EXPECT_EQ(a.points, 13 * 8 * 6);
  EXPECT_EQ(a.differing, 0);
}

TEST(PlotFile, FindsAPointWhoseLastDigitDiffers) {
  TORVANE_REQUIRE_REFERENCE(stem, "small");
  std::string text = Read_text(stem + "_grid_volume.plt");
  // Record 6 is point i = 3, j = 1, k = 1: its x -0.1200177E-01 becomes -0.1200178E-01.
  const std::size_t at = text.find(" -0.1200177E-01");
  ASSERT_NE(at, std::string::npos);
  text[at + 9] = '8';
  Scratch scratch;
  Write_text(scratch.File("small_grid_volume.plt"), text);
  const Plot_agreement a =
      Compare_plot(Read_plot_file(scratch.File("small_grid_volume.plt")), Read_grid_file(stem + ".rgra"));
  EXPECT_EQ(a.differing, 1);
  EXPECT_EQ(a.at_i, 3);
  EXPECT_EQ(a.at_j, 1);
  EXPECT_EQ(a.at_k, 1);
}

TEST(PlotFile, RefusesMalformedFiles) {
  const std::string head = "TITLE = \"t\"\r\nVARIABLES = x, y, z\r\n";
  const std::string point = "  0.1000000E+01  0.2000000E+01  0.3000000E+01\r\n";
  std::string eight;
  for (int n = 0; n < 8; ++n) eight += point;
  struct Case {
    std::string text, message;
  } cases[] = {
      {"VARIABLES = x, y, z\r\n", "record 1, column 1: expected the TITLE record of a plot file"},
      {head + "ZONE T=\"volume\", I=  2, J=  2, F=POINT\r\n" + eight,
       "record 3, column 1: the zone record gives no K= size"},
      {head + "ZONE T=\"volume\", I=  2, J=  x, K=  2, F=POINT\r\n" + eight,
       "record 3, column 29: J= is not a point count from 1 up"},
      {head + "ZONE T=\"volume\", I=  2, J=  2, K=  2, F=BLOCK\r\n" + eight,
       "record 3, column 1: only the point form (F=POINT) is read"},
      {head + "ZONE T=\"volume\", I=  2, J=  2, K=  2, F=POINT\r\n" + eight.substr(0, 7 * 47) +
           "  0.1000000E+01  0.2000000E+01\r\n",
       "record 11, column 31: missing z"},
      {head + "ZONE T=\"volume\", I=  2, J=  2, K=  2, F=POINT\r\n" + eight.substr(0, 7 * 47) +
           "  0.1000000E+01  0.2000000E+01  0.3000000E+0",
       "record 11, column 45: the record has no line end (the file is cut short)"},
      {head + "ZONE T=\"volume\", I=  2, J=  2, K=  2, F=POINT\r\n" + eight.substr(0, 6 * 47),
       "record 10: missing (the file ends before point record 7 of 8)"},
  };
  Scratch scratch;
  const std::string path = scratch.File("bad_grid_volume.plt");
  for (const Case& c : cases) {
    Write_text(path, c.text);
    try {
      Read_plot_file(path);
      ADD_FAILURE() << c.message << ": accepted";
    } catch (const Input_error& e) {
      EXPECT_EQ(std::string(e.what()), path + ", " + c.message);
    }
  }
}

}  // namespace
}  // namespace torvane::inspect
