#include "deck/airfoil_file.hpp"

#include <gtest/gtest.h>

#include "deck/deck_support.hpp"

namespace torvane::deck {
namespace {

using testing::Lednicer_from_selig;
using testing::Read_text;

TEST(AirfoilFile, ReadsThePublishedSeligFileInItsOwnOrder) {
  TORVANE_REQUIRE_NACA(path);
  const Airfoil_file file = Read_airfoil_file(path);
  EXPECT_EQ(file.name, "NACA 65-410");
  EXPECT_EQ(file.format, Airfoil_format::selig);
  ASSERT_EQ(file.loop.size(), 50u);
  EXPECT_EQ(file.loop.front(), (Point{1.0, 0.0}));
  EXPECT_EQ(file.loop[25], (Point{0.0, 0.0}));  // the leading edge
  EXPECT_EQ(file.loop[26], (Point{0.00628, -0.00661}));
  EXPECT_EQ(file.loop.back(), (Point{0.94971, 0.00327}));  // the lower side stops short of the trailing edge
}

TEST(AirfoilFile, ALednicerFileGivesTheSameLoopAsItsSeligOriginal) {
  TORVANE_REQUIRE_NACA(path);
  const std::string lednicer = Lednicer_from_selig(Read_text(path));
  const Airfoil_file from_lednicer = Parse_airfoil_text("naca65410_lednicer.dat", lednicer);
  const Airfoil_file from_selig = Read_airfoil_file(path);
  EXPECT_EQ(from_lednicer.format, Airfoil_format::lednicer);
  EXPECT_EQ(from_lednicer.name, "NACA 65-410 (Lednicer)");
  ASSERT_EQ(from_lednicer.loop.size(), from_selig.loop.size());
  for (size_t n = 0; n < from_selig.loop.size(); ++n) {
    EXPECT_EQ(from_lednicer.loop[n], from_selig.loop[n]) << "point " << n + 1;
  }
}

TEST(AirfoilFile, AcceptsTheLineEndsBlanksAndMarksFilesCarry) {
  const std::string text =
      "\xEF\xBB\xBF  Diamond section \r\n\r\n1.0\t0.0\r\n  0.5 +0.05 \r\n0.0 0.0\r\n.5 -5e-2\r\n1 0\r\n";
  const Airfoil_file file = Parse_airfoil_text("diamond.dat", text);
  EXPECT_EQ(file.name, "Diamond section");
  EXPECT_EQ(file.format, Airfoil_format::selig);
  const std::vector<Point> expected{{1, 0}, {0.5, 0.05}, {0, 0}, {0.5, -0.05}, {1, 0}};
  EXPECT_EQ(file.loop, expected);
}

TEST(AirfoilFile, CommentLinesAreSkippedBeforeTheNameAndAmongThePoints) {
  // Each file holds the same diamond; the comments sit where a user puts them.
  struct Case {
    const char* where;
    std::string text;
    Airfoil_format format;
  };
  const Case cases[] = {
      {"before the name", "# from the test rig\n  # second note\nDiamond\n1 0\n0 0.1\n-1 0\n0 -0.1\n1 0\n",
       Airfoil_format::selig},
      {"after the name", "Diamond\n# x y\n1 0\n0 0.1\n-1 0\n0 -0.1\n1 0\n", Airfoil_format::selig},
      {"among the points, CR LF", "Diamond\r\n1 0\r\n0 0.1\r\n#le\r\n-1 0\r\n0 -0.1\r\n1 0\r\n# end\r\n",
       Airfoil_format::selig},
      {"before the Lednicer counts", "#c\nDiamond\n# counts\n2. 2.\n-1 0\n0 0.1\n\n-1 0\n0 -0.1\n",
       Airfoil_format::lednicer},
  };
  for (const Case& c : cases) {
    const Airfoil_file file = Parse_airfoil_text("diamond.dat", c.text);
    EXPECT_EQ(file.name, "Diamond") << c.where;
    EXPECT_EQ(file.format, c.format) << c.where;
    const std::vector<Point> selig{{1, 0}, {0, 0.1}, {-1, 0}, {0, -0.1}, {1, 0}};
    const std::vector<Point> lednicer{{0, 0.1}, {-1, 0}, {0, -0.1}};
    EXPECT_EQ(file.loop, c.format == Airfoil_format::selig ? selig : lednicer) << c.where;
  }
}

TEST(AirfoilFile, WholeNumbersFirstAreLednicerCountsOnlyWhenTheyFitTheFile) {
  // A Selig file in millimetres whose trailing edge lies on whole numbers,
  // and a name line that is one number.
  const Airfoil_file file = Parse_airfoil_text("mm.dat", "0012\n100 2\n50 6\n0 0\n50 -6\n100 -2\n");
  EXPECT_EQ(file.name, "0012");
  EXPECT_EQ(file.format, Airfoil_format::selig);
  EXPECT_EQ(file.loop.size(), 5u);
}

TEST(AirfoilFile, RefusesMalformedFilesNamingTheLineAndTheReason) {
  struct Case {
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"", "bad.dat: the file is empty; expected a name line and the points"},
      {"NACA 0012\n\n  \n", "bad.dat: no points follow the name line"},
      {"# only\n#notes\n", "bad.dat: the file holds only comment lines; expected a name line and the points"},
      {"NACA 0012\n# points to come\n", "bad.dat: no points follow the name line"},
      {"# a note\n1.0 0.0\n0.5 0.1\n",
       "bad.dat, line 2: expected the section's name, found coordinates \"1.0 0.0\"; a Selig or Lednicer file "
       "starts with a name line"},
      {"name\n1.0 0.0\n0.5 0.1 # a note\n",
       "bad.dat, line 3: expected two numbers, x and y, found \"0.5 0.1 # a note\""},
      {"1.0 0.0\n0.5 0.1\n",
       "bad.dat, line 1: expected the section's name, found coordinates \"1.0 0.0\"; a Selig or Lednicer file "
       "starts with a name line"},
      {"name\n1.0 0.0\n0.5\n", "bad.dat, line 3: expected two numbers, x and y, found \"0.5\""},
      {"name\n1.0 0.0\n0.5 0.1 0.2\n", "bad.dat, line 3: expected two numbers, x and y, found \"0.5 0.1 0.2\""},
      {"name\n1.0 0.0\n0.5 upper\n", "bad.dat, line 3: y \"upper\" is not a number"},
      {"name\n1.0 0.0\nnan 0.1\n", "bad.dat, line 3: x \"nan\" is not a number"},
      {"name\n1.0 0.0\n+-0.5 0.1\n", "bad.dat, line 3: x \"+-0.5\" is not a number"},
      {"name\n1.0 0.0\n0.5 1e999\n", "bad.dat, line 3: y \"1e999\" is not a number"},
      {"name\n1.0 0.0\n1e308 0.1\n0 0\n0.5 -0.1\n",
       "bad.dat, line 3: x \"1e308\" is larger than 1000000 in size; a section's points lie within a few chords of "
       "each other (a mistyped exponent?)"},
      {"name\n1.0 0.0\n0.5 -2e6\n",
       "bad.dat, line 3: y \"-2e6\" is larger than 1000000 in size; a section's points lie within a few chords of "
       "each other (a mistyped exponent?)"},
      {"name\n1.0 0.0\n0.5,0.1\n", "bad.dat, line 3: expected two numbers, x and y, found \"0.5,0.1\""},
      {"name\n1.0 0.0\n0.5 0\x01\n", "bad.dat, line 3: y \"0?\" is not a number"},
      {std::string("name\n1.0 0.0\n0.5 0.1\0\n", 22), "bad.dat, line 3: a NUL character: not a text file"},
      {"name\n3. 3.\n0 0\n0.5 0.1\n1 0\n0 0\n0.5 -0.1\n",
       "bad.dat: line 2 announces 3 upper and 3 lower points (Lednicer format), but only 5 points follow"},
      {"name\n2. 2.\n0 0\n1 0.1\n0 0\n1 -0.1\n0.5 0\n",
       "bad.dat, line 7: a point beyond the 4 that line 2 announces 2 upper and 2 lower points (Lednicer format)"},
  };
  for (const Case& c : cases) {
    try {
      Parse_airfoil_text("bad.dat", c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const Input_error& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(AirfoilFile, RefusesFilesThatCannotBeRead) {
  EXPECT_THROW(Read_airfoil_file("/nonexistent/section.dat"), Input_error);
  try {
    Read_airfoil_file("/");
    ADD_FAILURE() << "a folder was read";
  } catch (const Input_error& e) {
    EXPECT_EQ(std::string(e.what()), "/: is a folder, not a section file");
  }
}

}  // namespace
}  // namespace torvane::deck
