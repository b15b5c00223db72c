// Reading the grid file through its block buffer: numbers among blank runs
// of any length (skipped a word at a time), refusals at the right column
// after them, a grid larger than one read block, and the large-array storage
// the reader fills.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "inspect/run_files/grid_file.hpp"
#include "inspect/run_files/large_arrays.hpp"
#include "inspect/run_files/text_input.hpp"
#include "inspect_support.hpp"

namespace torvane::inspect {
namespace {

using testing::Scratch;
using testing::Write_text;

TEST(GridStream, ReadsNumbersAmongBlankRunsOfAnyLength) {
  // 2 x 2 x 2 points; coordinate m is (m + 1) / 8, exact in binary and in decimal.
  const std::string separators[] = {" ",
                                    "  ",
                                    std::string(7, ' '),
                                    std::string(8, ' '),
                                    std::string(9, ' '),
                                    std::string(17, ' '),
                                    std::string(40, ' '),
                                    "\t",
                                    " \t \t\t  \t ",
                                    std::string(15, '\t')};
  Scratch scratch;
  const std::string path = scratch.File("blanks.rgra");
  for (const std::string& gap : separators) {
    const std::string shown = "separator of " + std::to_string(gap.size()) + " characters";
    std::string numbers;
    for (int m = 0; m < 24; ++m) numbers += gap + std::to_string((m + 1) / 8.0);
    Write_text(path, "0.0\r\n1 1 1 1\r\n" + numbers + gap + "\r\n");
    const Grid g = Read_grid_file(path);
    for (int m = 0; m < 8; ++m) {
      EXPECT_EQ(g.x[m], (m + 1) / 8.0) << shown;
      EXPECT_EQ(g.y[m], (m + 9) / 8.0) << shown;
      EXPECT_EQ(g.z[m], (m + 17) / 8.0) << shown;
    }
    // A word in place of coordinate 20: refused at its own column.
    std::string bad;
    for (int m = 0; m < 24; ++m) bad += gap + (m == 19 ? std::string("abc") : std::to_string((m + 1) / 8.0));
    Write_text(path, "0.0\r\n1 1 1 1\r\n" + bad + "\r\n");
    try {
      Read_grid_file(path);
      ADD_FAILURE() << shown << ": accepted";
    } catch (const Input_error& e) {
      EXPECT_EQ(std::string(e.what()), path + ", record 3, column " + std::to_string(bad.find("abc") + 1) +
                                           ": coordinate 20: \"abc\" is not a finite number")
          << shown;
    }
  }
}

TEST(GridStream, ReadsAGridLargerThanOneReadBlockExactly) {
  // 41^3 points as a list write lays them out, 26 columns each: 5.4 MB, more than
  // one block of the reader, so numbers and blank runs meet the block's end.
  const int n = 41;
  std::vector<double> written;
  std::string record;
  for (int m = 0; m < 3 * n * n * n; ++m) {
    const double v = (m % 7 == 3 ? -1.0 : 1.0) * (0.3 + m * 1.0e-6) / (m % 5 == 0 ? 97.0 : 1.0);
    char field[40];
    std::snprintf(field, sizeof field, "%26.16E", v);
    record += field;
    double exact = 0;
    ASSERT_TRUE(Parse_real(std::string_view(field).substr(std::string_view(field).find_first_not_of(' ')), exact));
    written.push_back(exact);
  }
  Scratch scratch;
  const std::string path = scratch.File("big.rgra");
  const std::string sizes = std::to_string(n - 1);
  Write_text(path, "0.0\r\n1 " + sizes + " " + sizes + " " + sizes + "\r\n" + record + "\r\n");
  const Grid g = Read_grid_file(path);
  ASSERT_EQ(g.points(), static_cast<std::size_t>(n * n * n));
  const std::size_t points = g.points();
  for (std::size_t m = 0; m < points; ++m) {
    ASSERT_EQ(g.x[m], written[m]) << "point " << m;
    ASSERT_EQ(g.y[m], written[points + m]) << "point " << m;
    ASSERT_EQ(g.z[m], written[2 * points + m]) << "point " << m;
  }
}

TEST(LargeArrays, HoldTheirValuesBelowAndAboveTheHugePageSize) {
  // Sizes on either side of where the storage turns to whole huge pages, grown
  // across it too: each block must go back the way it came (checked under ASan).
  for (std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{32767}, std::size_t{32768}, std::size_t{300000}}) {
    Large_reals values(n);
    for (std::size_t m = 0; m < n; ++m) EXPECT_EQ(values[m], 0.0) << n;
    for (std::size_t m = 0; m < n; ++m) values[m] = static_cast<double>(m);
    for (std::size_t m = 0; m < 40000; ++m) values.push_back(-static_cast<double>(m));
    EXPECT_EQ(values[n / 2], static_cast<double>(n / 2));
    EXPECT_EQ(values.back(), -39999.0);
    std::vector<double> reserved;
    Reserve_large(reserved, n);
    EXPECT_GE(reserved.capacity(), n);
    for (std::size_t m = 0; m < n; ++m) reserved.push_back(0.5 * static_cast<double>(m));
    if (n > 0) {
      EXPECT_EQ(reserved.back(), 0.5 * static_cast<double>(n - 1));
    }
  }
  Large_block block(std::size_t{3} << 20);
  block.data()[0] = 'a';
  block.data()[block.size() - 1] = 'z';
  EXPECT_EQ(block.data()[0], 'a');
  EXPECT_EQ(block.data()[block.size() - 1], 'z');
}

}  // namespace
}  // namespace torvane::inspect
