#include "control/run.hpp"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "base/storage_limits.hpp"
#include "control/control_check.hpp"
#include "control/grid_storage.hpp"
#include "support/decks.hpp"

namespace torvane {
namespace {

using testing::Exists;
using testing::Join;
using testing::Read_file;
using testing::Run_deck;
using testing::Run_result;
using testing::Scratch_folder;
using testing::Small_deck_lines;

std::string Banner() {
  return "  \r\n"
         " *************************************************\r\n"
         " *                                               *\r\n"
         " *    GENERATION OF 3-D H-GRID AROUND A BLADE    *\r\n"
         " *                                               *\r\n"
         " " +
         Banner_version_line() +
         "\r\n"
         " *                                               *\r\n"
         " *************************************************\r\n"
         "  \r\n";
}

// The output files of a stem.
std::vector<std::string> Files(const std::string& stem) {
  return {stem + ".rgra", stem + ".rtp", stem + "_grid_volume.plt"};
}

TEST(Run, TheBannerVersionLineIsCentredBetweenAsterisks) {
  std::string line = Banner_version_line();
  ASSERT_EQ(line.size(), 49u);
  EXPECT_EQ(line.front(), '*');
  EXPECT_EQ(line.back(), '*');
  size_t left = line.find_first_not_of(' ', 1) - 1;
  size_t right = 48 - line.find_last_not_of(' ', 47) - 1;
  EXPECT_LE(left, right);
  EXPECT_LE(right, left + 1);
  EXPECT_NE(line.find("torvane 1."), std::string::npos);
}

TEST(Run, ACompleteRunPrintsEveryLineInOrderAndExitsZero) {
  Scratch_folder folder;
  std::string stem = folder.path() + "/small";
  Run_result run = Run_deck(Join(Small_deck_lines(stem)));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(testing::Without_bad_cell_note(run.err), "");
  EXPECT_EQ(run.out, Banner() +
                         " Number of grid points:  14 x   8 x   6\r\n"
                         " Leading edge index   :   4\r\n"
                         " Trailing edge index  :  10\r\n"
                         " Pitch angle          : 18.00\r\n"
                         "\r\n"
                         " Generating grid at hub & casing ...\r\n"
                         " Blade contour: one-shot Bezier spline approx. done\r\n"
                         " Blade contour: one-shot Bezier spline approx. done\r\n"
                         " Generating volume grid ...\r\n"
                         " Storing grid ...\r\n"
                         " Storing plot files ...\r\n"
                         "\r\n"
                         " Finished.\r\n"
                         "\r\n");
  for (const std::string& file : Files(stem)) EXPECT_TRUE(Exists(file)) << file;
}

TEST(Run, TheGridSizeLimitsStopTheRunBeforeAnyFileWithStatusOne) {
  struct Case {
    int line;
    const char* text;
    const char* cause;  // beside the fixed ERROR line, on standard error
  } cases[] = {
      // ke = 49 fits, but npitch = 65 below makes je = 66
      {6, "48", "je = npitch + 1 = 66 exceeds 65"},
      {6, "49", "ke = nspan + 1 = 50 exceeds 49"},
      {5, "65", "je = npitch + 1 = 66 exceeds 65"},
      {3, "250", "ie = nin + nblade/2 + nout + 1 = 261 exceeds 257"},  // 250 + 6 + 4 + 1
      {3, "247", "ie = nin + nblade/2 + nout + 1 = 258 exceeds 257"},
      {3, "2147483647", "ie = nin + nblade/2 + nout + 1 = 2147483658 exceeds 257"},  // no overflow in the sum
  };
  for (const Case& c : cases) {
    Scratch_folder folder;
    std::vector<std::string> lines = Small_deck_lines(folder.path() + "/big");
    lines[c.line] = c.text;
    if (c.line == 6 && std::string(c.text) == "48") lines[5] = "65";
    Run_result run = Run_deck(Join(lines));
    EXPECT_EQ(run.status, 1) << c.text;
    EXPECT_EQ(run.out, Banner() + " ERROR - too many grid points !\r\n") << c.text;
    EXPECT_EQ(run.err, std::string("torvane: ") + c.cause + "\r\n");
    for (const std::string& file : Files(folder.path() + "/big")) EXPECT_FALSE(Exists(file));
  }
}

// The control values of a deck with these interval counts.
Control_values Counts(int nin, int nblade, int nout, int npitch, int nspan) {
  Control_values values;
  values.nin = nin;
  values.nblade = nblade;
  values.nout = nout;
  values.npitch = npitch;
  values.nspan = nspan;
  return values;
}

// The size check and the storage take their limits from one place: a grid
// at the limits passes the check and is built whole in a real storage; one
// point more in any direction is refused.
TEST(Run, TheLargestGridFitsTheStorage) {
  // ie = nin + nblade/2 + nout + 1, je = npitch + 1, ke = nspan + 1.
  const int nblade = 2 * (kMaxIe - 1 - 48 - 80);
  struct Case {
    int nin, nblade, nout, npitch, nspan;
    bool fits;
  } cases[] = {
      {48, nblade, 80, kMaxJe - 1, kMaxKe - 1, true},     {49, nblade, 80, kMaxJe - 1, kMaxKe - 1, false},
      {48, nblade, 80, kMaxJe, kMaxKe - 1, false},        {48, nblade, 80, kMaxJe - 1, kMaxKe, false},
      {48, nblade + 1, 80, kMaxJe - 1, kMaxKe - 1, true}, {0, 2 * (kMaxIe - 1), 0, kMaxJe - 1, kMaxKe - 1, true},
      {0, 2 * kMaxIe, 0, kMaxJe - 1, kMaxKe - 1, false},
  };
  for (const Case& c : cases) {
    const Control_values values = Counts(c.nin, c.nblade, c.nout, c.npitch, c.nspan);
    EXPECT_EQ(Grid_fits_storage(values), c.fits) << c.nin << " " << c.nblade << " " << c.npitch << " " << c.nspan;
  }

  // The shipped example at the limits, built in process into a real storage.
  std::ifstream deck(std::string(TORVANE_SOURCE_DIR) + "/examples/largest_grid.in");
  ASSERT_TRUE(deck) << "examples/largest_grid.in";
  Console out, err;
  Run_options options;
  options.write_files = false;
  ASSERT_EQ(torvane::Run(deck, out, err, options), kExitComplete) << err.captured();
  char summary[64];
  std::snprintf(summary, sizeof summary, " Number of grid points: %3d x %3d x %3d\r\n", kMaxIe, kMaxJe, kMaxKe);
  EXPECT_NE(out.captured().find(summary), std::string::npos) << out.captured();
  Grid_storage storage;
  const Grid grid = storage.grid();
  EXPECT_TRUE(grid.xg.contains(kMaxIe, kMaxJe, kMaxKe));
  EXPECT_FALSE(grid.xg.contains(kMaxIe + 1, kMaxJe, kMaxKe));
  EXPECT_FALSE(grid.xg.contains(kMaxIe, kMaxJe + 1, kMaxKe));
  EXPECT_FALSE(grid.xg.contains(kMaxIe, kMaxJe, kMaxKe + 1));
}

// --large raises each limit to 999 intervals, the most the files' interval
// fields hold; the classic limits and their refusal stay without it.
TEST(Run, LargeGridsReachTheFilesLimitsAndTheClassicRefusalStaysWithoutIt) {
  struct Limit_case {
    int nin, nblade, nout, npitch, nspan;
    bool fits;
  } limits[] = {
      {0, 2 * 999, 0, 999, 999, true},   {1, 2 * 999, 0, 999, 999, false},    {0, 2 * 999, 0, 1000, 999, false},
      {0, 2 * 999, 0, 999, 1000, false}, {0, 2 * 999 + 1, 0, 999, 999, true}, {400, 512, 0, 128, 96, true},
  };
  for (const Limit_case& c : limits) {
    const Control_values values = Counts(c.nin, c.nblade, c.nout, c.npitch, c.nspan);
    EXPECT_EQ(Grid_fits_storage(values, kLargeLimits), c.fits) << c.nin << " " << c.nblade << " " << c.npitch;
    EXPECT_FALSE(Grid_fits_storage(values));
  }

  // The compressor rotor with 81 x 81 x 61 points: refused as before without
  // --large, built and written with it.
  std::ifstream example(std::string(TORVANE_SOURCE_DIR) + "/examples/compressor_rotor.in");
  ASSERT_TRUE(example) << "examples/compressor_rotor.in";
  std::vector<std::string> lines;
  for (std::string line; std::getline(example, line);) lines.push_back(line);
  Scratch_folder folder;
  lines[1] = folder.path() + "/big";
  lines[5] = "80";  // npitch
  lines[6] = "60";  // nspan
  const std::string deck = Join(lines);
  std::istringstream refused_in(deck);
  Console out, err;
  EXPECT_EQ(torvane::Run(refused_in, out, err), kExitProgramError);
  EXPECT_EQ(out.captured(), Banner() + " ERROR - too many grid points !\r\n");
  EXPECT_EQ(err.captured(), "torvane: je = npitch + 1 = 81 exceeds 65; ke = nspan + 1 = 61 exceeds 49\r\n");
  for (const std::string& file : Files(folder.path() + "/big")) EXPECT_FALSE(Exists(file));

  std::istringstream in(deck);
  Console large_out, large_err;
  Run_options options;
  options.large = true;
  ASSERT_EQ(torvane::Run(in, large_out, large_err, options), kExitComplete) << large_err.captured();
  EXPECT_NE(large_out.captured().find(" Number of grid points:  81 x  81 x  61\r\n"), std::string::npos);
  EXPECT_TRUE(Read_file(folder.path() + "/big.rgra").starts_with("0.0\r\n1  80  80  60\r\n"));
  EXPECT_NE(
      Read_file(folder.path() + "/big_grid_volume.plt").find("ZONE T=\"volume\", I= 81, J= 81, K= 61, F=POINT\r\n"),
      std::string::npos);
}

// A large grid may have more points along k than along j, or along j than
// along i and beyond the classic limits: the cross-sections of the volume
// (j by k) and their edge lines then need more room than the blade-to-blade
// sections. Each shape is built whole, with no folded cell, its first
// intervals a third of the mean so that the lines' own distributions are sound.
TEST(Run, LargeGridsLongerAlongKThanJOrAlongJThanIBuildWithoutFolds) {
  struct Shape {
    int npitch, nspan;
  } shapes[] = {{8, 80}, {16, 120}, {64, 100}, {300, 8}};
  std::ifstream example(std::string(TORVANE_SOURCE_DIR) + "/examples/compressor_rotor.in");
  ASSERT_TRUE(example) << "examples/compressor_rotor.in";
  std::vector<std::string> lines;
  for (std::string line; std::getline(example, line);) lines.push_back(line);
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(std::to_string(shape.npitch) + " x " + std::to_string(shape.nspan));
    Scratch_folder folder;
    std::vector<std::string> deck = lines;
    const double pitch = 2 * 3.14159265358979323846 * 0.25 / 30;
    char text[64];
    deck[1] = folder.path() + "/shape";
    deck[5] = std::to_string(shape.npitch);
    deck[6] = std::to_string(shape.nspan);
    deck[20] = "2";  // nwall
    deck[21] = "2";  // nwallhc
    std::snprintf(text, sizeof text, "%.3e", pitch / shape.npitch / 3);
    deck[24] = deck[27] = deck[29] = text;  // dywle, dywte, dyout
    std::snprintf(text, sizeof text, "%.3e", 0.25 / shape.nspan / 3);
    deck[25] = text;  // dzwall
    std::istringstream in(Join(deck));
    Console out, err;
    Run_options options;
    options.large = true;
    EXPECT_EQ(torvane::Run(in, out, err, options), kExitComplete) << err.captured();
    EXPECT_EQ(err.captured().find("folded"), std::string::npos) << err.captured();
  }
}

// The block's `large` entry does what --large does; a faulty block or point
// list behind a grid beyond the classic limits leaves the classic refusal.
TEST(Run, TheBlocksLargeEntryRaisesTheLimitsAsTheOptionDoes) {
  std::ifstream example(std::string(TORVANE_SOURCE_DIR) + "/examples/compressor_rotor.in");
  ASSERT_TRUE(example) << "examples/compressor_rotor.in";
  std::vector<std::string> lines;
  for (std::string line; std::getline(example, line);) lines.push_back(line);
  Scratch_folder folder;
  lines[1] = folder.path() + "/big";
  lines[5] = "80";  // npitch: je = 81
  const std::string deck = Join(lines);
  struct Case {
    std::string block;
    int status;
  } cases[] = {
      {"torvane-block 1\nlarge   # the large limits\nend torvane-block\n", kExitComplete},
      {"torvane-block 1\nlarge yes\nend torvane-block\n", kExitProgramError},
      {"torvane-block 1\nlarge\n", kExitProgramError},  // not closed
      {"torvane-block 1\nend torvane-block\n", kExitProgramError},
  };
  for (const Case& c : cases) {
    std::istringstream in(deck + c.block);
    Console out, err;
    EXPECT_EQ(torvane::Run(in, out, err), c.status) << c.block << err.captured();
    if (c.status == kExitComplete) {
      EXPECT_NE(out.captured().find(" Number of grid points:  81 x  81 x  17\r\n"), std::string::npos);
      EXPECT_TRUE(Exists(folder.path() + "/big.rgra"));
    } else {
      EXPECT_EQ(out.captured(), Banner() + " ERROR - too many grid points !\r\n") << c.block;
      EXPECT_EQ(err.captured(), "torvane: je = npitch + 1 = 81 exceeds 65\r\n");
    }
  }
  // A wrong entry within the classic limits is the block's own refusal.
  lines[5] = "32";
  std::istringstream in(Join(lines) + "torvane-block 1\nlarge yes\nend torvane-block\n");
  Console out, err;
  EXPECT_EQ(torvane::Run(in, out, err), kExitRefused);
  EXPECT_NE(err.captured().find("(large): the entry takes no value; found `yes`"), std::string::npos) << err.captured();
}

// A written grid with cells in the report's bad band of the scaled Jacobian
// gets one line on standard error naming how many and the worst (the report
// finds the same 97 in the compressor rotor, the worst 0.1707 at the leading
// edge); the console and the status are those of any complete run.
TEST(Run, AWrittenGridWithBadCellsGetsOneNoteOnStandardError) {
  std::ifstream example(std::string(TORVANE_SOURCE_DIR) + "/examples/compressor_rotor.in");
  ASSERT_TRUE(example) << "examples/compressor_rotor.in";
  std::vector<std::string> lines;
  for (std::string line; std::getline(example, line);) lines.push_back(line);
  Scratch_folder folder;
  lines[1] = folder.path() + "/rotor";
  const Run_result run = Run_deck(Join(lines));
  EXPECT_EQ(run.status, kExitComplete);
  EXPECT_TRUE(run.out.ends_with("\r\n Finished.\r\n\r\n"));
  EXPECT_EQ(run.err,
            "torvane: note: 97 of 40960 cells have a scaled Jacobian below 0.2 (bad), the worst 0.171 at cell "
            "(21, 32, 16); torvane-inspect report " +
                folder.path() + "/rotor names the bad cells of every measure and where they lie\r\n");
  // The turbine stator has none: nothing on standard error.
  std::ifstream stator(std::string(TORVANE_SOURCE_DIR) + "/examples/turbine_stator.in");
  lines.clear();
  for (std::string line; std::getline(stator, line);) lines.push_back(line);
  lines[1] = folder.path() + "/stator";
  const Run_result quiet = Run_deck(Join(lines));
  EXPECT_EQ(quiet.status, kExitComplete);
  EXPECT_EQ(quiet.err, "");
}

TEST(Run, ThePitchAngleFillsItsFiveColumnsOrShowsAsterisks) {
  struct Case {
    const char* nbrow;
    const char* line;
  } cases[] = {
      {"36", " Pitch angle          : 10.00\r\n"},
      {"3", " Pitch angle          : *****\r\n"},
      {"1", " Pitch angle          : *****\r\n"},
      {"7", " Pitch angle          : 51.43\r\n"},
  };
  for (const Case& c : cases) {
    Scratch_folder folder;
    std::vector<std::string> lines = Small_deck_lines(folder.path() + "/pitch");
    lines[7] = c.nbrow;
    Run_result run = Run_deck(Join(lines));
    EXPECT_NE(run.out.find(c.line), std::string::npos) << c.nbrow << "\n" << run.out;
  }
}

TEST(Run, RefusesValuesNoGridCanBeBuiltFromBeforeAnySetUp) {
  struct Case {
    int line;
    const char* text;
    const char* diagnostic;
  } cases[] = {
      {2, "3", "record 3 (nblade): 3 intervals give fewer than 2 along each blade side"},
      {3, "-1", "record 4 (nin): -1 upstream intervals: the count cannot be negative"},
      {4, "-2", "record 5 (nout): -2 downstream intervals: the count cannot be negative"},
      {5, "1", "record 6 (npitch): 1 pitchwise intervals: at least 2 are needed"},
      {6, "0", "record 7 (nspan): 0 spanwise intervals: at least 1 is needed"},
      {7, "0", "record 8 (nbrow): 0 blades: the row needs at least one blade"},
      {14, "0", "record 15 (chordhub): 0: the hub chord must be greater than 0"},
      {15, "-0.06", "record 16 (chordcas): -0.06: the casing chord must be greater than 0"},
      {16, "0", "record 17 (rhub): 0: the hub radius must be greater than 0"},
      {17, "0.25", "record 18 (rcas): casing radius 0.25 is not greater than the hub radius 0.25"},
      {18, "-0.01", "record 19 (lin): -0.01: the upstream length cannot be negative"},
      {19, "0", "record 20 (lx): 0: the axial length of the domain must be greater than 0"},
      {20, "-1", "record 21 (nwall): -1 wall intervals: the count cannot be negative"},
      {20, "8", "record 21 (nwall): 8 wall intervals do not fit in 7 pitchwise intervals"},
      {21, "-1", "record 22 (nwallhc): -1 wall intervals: the count cannot be negative"},
      {21, "6", "record 22 (nwallhc): 6 wall intervals do not fit in 5 spanwise intervals"},
      {22, "0", "record 23 (ratio): 0: the growth ratio must be greater than 0"},
      {23, "0", "record 24 (dsle): 0: the leading-edge spacing must be greater than 0"},
      {24, "-1e-4", "record 25 (dywle): -0.0001: the leading-edge wall spacing must be greater than 0"},
      {25, "0", "record 26 (dzwall): 0: the hub and casing spacing must be greater than 0"},
      {26, "0", "record 27 (dste): 0: the trailing-edge spacing must be greater than 0"},
      {27, "0", "record 28 (dywte): 0: the trailing-edge wall spacing must be greater than 0"},
      {29, "0", "record 30 (dyout): 0: the outlet spacing must be greater than 0"},
      {31, "0", "record 32 (ibez): 0: only 1 (the one-shot Bezier approximation) defines a blade contour"},
      {33, "1 1", "record 34 (npthub, irefhub): 1 points: a contour needs at least 2"},
      {33, "33 0", "record 34 (npthub, irefhub): reference point 0 is not one of the 33 points"},
      {33, "33 34", "record 34 (npthub, irefhub): reference point 34 is not one of the 33 points"},
      {33, "33 33",
       "record 34 (npthub, irefhub): reference point 33 has the x of point 1 (1), so there is no chord to scale"},
      {67, "33 0", "record 68 (nptcas, irefcas): reference point 0 is not one of the 33 points"},
  };
  for (const Case& c : cases) {
    Scratch_folder folder;
    std::vector<std::string> lines = Small_deck_lines(folder.path() + "/refused");
    lines[c.line] = c.text;
    if (c.line == 33 && std::string(c.text) == "1 1") lines.erase(lines.begin() + 35, lines.begin() + 67);
    Run_result run = Run_deck(Join(lines));
    EXPECT_EQ(run.status, 2) << c.text;
    EXPECT_EQ(run.err, "torvane: " + std::string(c.diagnostic) + "\r\n");
    EXPECT_EQ(run.out, Banner()) << c.diagnostic;
    for (const std::string& file : Files(folder.path() + "/refused")) EXPECT_FALSE(Exists(file));
  }
}

TEST(Run, AcceptsTheDegenerateButMeaningfulCounts) {
  struct Case {
    int line;
    const char* text;
  } cases[] = {
      {3, "0"},                                   // nin = 0: the inlet line is the leading-edge line
      {4, "0"},                                   // nout = 0
      {6, "1"},                                   // nspan = 1: hub and casing planes only
      {5, "8"},                                   // even npitch
      {2, "13"},                                  // odd nblade
      {20, "0"},                                  // no wall intervals
      {20, "1"}, {21, "0"}, {21, "1"}, {7, "2"},  // two blades (one folds its passage: see grid_check_test)
  };
  for (const Case& c : cases) {
    Scratch_folder folder;
    std::vector<std::string> lines = Small_deck_lines(folder.path() + "/edge");
    lines[c.line] = c.text;
    Run_result run = Run_deck(Join(lines));
    EXPECT_EQ(run.status, 0) << c.line << ": " << c.text << "\n" << run.err;
    for (const std::string& file : Files(folder.path() + "/edge")) EXPECT_TRUE(Exists(file)) << c.text;
  }
}

TEST(Run, AFileNameWithoutABlankIsUsedWhole) {
  Scratch_folder folder;
  std::string stem = folder.path() + "/";
  stem.append(50 - stem.size(), 'n');
  ASSERT_EQ(stem.size(), 50u);
  EXPECT_EQ(Run_deck(Join(Small_deck_lines(stem))).status, 0);
  for (const std::string& file : Files(stem)) EXPECT_TRUE(Exists(file)) << file;
}

TEST(Run, AMissingOutputFolderEndsTheRunWithStatusTwoAndNoFile) {
  Scratch_folder folder;
  std::string stem = folder.path() + "/missing/small";
  Run_result run = Run_deck(Join(Small_deck_lines(stem)));
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "torvane: cannot create \"" + stem +
                         ".rgra\": No such file or directory (the folder named in record 2 must exist)\r\n");
  EXPECT_EQ(run.out.find(" Storing grid ..."), std::string::npos);
}

TEST(Run, AnEmptyDeckIsRefusedOnStandardErrorWithStatusTwo) {
  Run_result run = Run_deck("");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "torvane: record 1 (title): the deck is empty (no line at all); a deck holds the title, the file name, "
            "records 3 to 33 and the hub and casing point lists\r\n");
}

TEST(Run, AContourListedAlongThePlusYSideFirstIsRefusedNamingItsSection) {
  struct Case {
    bool hub, casing;
    const char* section;
  } cases[] = {{true, true, "hub"}, {false, true, "casing"}, {true, false, "hub"}};
  for (const Case& c : cases) {
    Scratch_folder folder;
    std::vector<std::string> lines = Small_deck_lines(folder.path() + "/reversed");
    if (c.hub) testing::Reverse_contour(lines, 33);
    if (c.casing) testing::Reverse_contour(lines, 67);
    Run_result run = Run_deck(Join(lines));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "torvane: " + std::string(c.section) +
                           " section: the contour runs along the +y side first, so the grid would cover the blade; "
                           "the point list must start at the trailing edge and run along the -y side first\r\n");
    for (const std::string& file : Files(folder.path() + "/reversed")) EXPECT_FALSE(Exists(file));
  }
}

// The small deck with its hub list made of the listed points of the original
// one (numbered 0 to 32 from the trailing edge along the -y side, the leading
// edge 16) and the given reference index.
std::vector<std::string> With_hub_points(std::vector<std::string> lines, const std::vector<int>& points, int iref) {
  std::vector<std::string> hub;
  for (int n : points) hub.push_back(lines[34 + static_cast<size_t>(n)]);
  lines.erase(lines.begin() + 34, lines.begin() + 67);
  lines.insert(lines.begin() + 34, hub.begin(), hub.end());
  lines[33] = std::to_string(points.size()) + " " + std::to_string(iref);
  return lines;
}

std::vector<int> Range(int first, int last) {
  std::vector<int> points;
  for (int n = first; n <= last; ++n) points.push_back(n);
  return points;
}

TEST(Run, ABladePointNotOnItsSideOfTheContourEndsTheRunWithStatusOne) {
  // The hub list starts part way along the -y side and, after the +y side,
  // stops short of its start: the -y side has a gap no curve point covers.
  Scratch_folder folder;
  std::vector<int> points = Range(11, 32);
  for (int n : Range(1, 6)) points.push_back(n);
  Run_result run = Run_deck(Join(With_hub_points(Small_deck_lines(folder.path() + "/gap"), points, 6)));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(
      run.out.ends_with(" Blade contour: one-shot Bezier spline approx. done\r\n\r\n"
                        "ERROR (Bezier_x): x-coordinate outside the specified curve interval\r\n"))
      << run.out;
  // The cause beside it: the section, and the stagger or the points, as dsle and dste are short.
  EXPECT_TRUE(
      run.err.starts_with("torvane: hub section: a blade station fell outside the contour between its "
                          "edges; the blade is "))
      << run.err;
  EXPECT_TRUE(
      run.err.ends_with("the first streamwise intervals at its edges are dsle 0.0006 and dste 0.0006 "
                        "(about twice each is taken at each edge): the stagger, record 11 (staghub), or the "
                        "section's points are the likely cause\r\n"))
      << run.err;
  for (const std::string& file : Files(folder.path() + "/gap")) EXPECT_FALSE(Exists(file));
}

TEST(Run, TheCasingIsBuiltBesideTheHubAndToldAfterIt) {
  // The casing surface is built on the second core while the hub's is built;
  // its console lines and its failure come after the hub's as in a build in
  // order, and a failing hub is told even when the casing fails too.
  std::vector<int> gap = Range(11, 32);
  for (int n : Range(1, 6)) gap.push_back(n);
  struct Case {
    bool hub_gap, casing_gap;
    const char* told;  // the section the error names
  } cases[] = {{true, false, "hub"}, {false, true, "casing"}, {true, true, "hub"}};
  for (const Case& c : cases) {
    Scratch_folder folder;
    std::vector<std::string> lines = Small_deck_lines(folder.path() + "/gap");
    if (c.casing_gap) {
      // The casing list as the hub list, then the gap: the hub and casing lists swapped twice.
      std::vector<std::string> swapped(lines.begin(), lines.begin() + 33);
      swapped.insert(swapped.end(), lines.begin() + 67, lines.end());
      swapped.insert(swapped.end(), lines.begin() + 33, lines.begin() + 67);
      swapped = With_hub_points(swapped, gap, 6);
      lines.assign(swapped.begin(), swapped.begin() + 33);
      lines.insert(lines.end(), swapped.end() - 34, swapped.end());
      lines.insert(lines.end(), swapped.begin() + 33, swapped.end() - 34);
    }
    if (c.hub_gap) lines = With_hub_points(lines, gap, 6);
    const Run_result run = Run_deck(Join(lines));
    EXPECT_EQ(run.status, 1) << c.told;
    EXPECT_TRUE(run.err.starts_with("torvane: " + std::string(c.told) + " section: a blade station fell outside"))
        << run.err;
    // One ERROR line, the last; before it, each built surface's approximation line.
    const std::string error = "ERROR (Bezier_x): x-coordinate outside the specified curve interval\r\n";
    EXPECT_TRUE(run.out.ends_with(" Blade contour: one-shot Bezier spline approx. done\r\n\r\n" + error)) << run.out;
    EXPECT_EQ(run.out.find(error), run.out.size() - error.size()) << run.out;
    const std::string approximated = " Blade contour: one-shot Bezier spline approx. done";
    const size_t first = run.out.find(approximated);
    const size_t second = run.out.find(approximated, first + 1);
    EXPECT_EQ(second != std::string::npos, c.casing_gap && !c.hub_gap) << run.out;
  }
}

TEST(Run, AContourStartingAtTheLeadingEdgeIsRefusedAfterItsEdgeSearch) {
  Scratch_folder folder;
  std::vector<int> points = Range(16, 31);
  for (int n : Range(0, 16)) points.push_back(n);
  Run_result run = Run_deck(Join(With_hub_points(Small_deck_lines(folder.path() + "/le"), points, 17)));
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(
      run.err.starts_with("torvane: hub section: the contour must start and end at the trailing edge and "
                          "pass the leading edge once"))
      << run.err;
  EXPECT_TRUE(run.out.ends_with(" Blade contour: one-shot Bezier spline approx. done\r\n"));
  for (const std::string& file : Files(folder.path() + "/le")) EXPECT_FALSE(Exists(file));
}

TEST(Run, ACoordinateThatIsNotFiniteStopsTheRunBeforeAnyFile) {
  // A wall spacing far beyond the pitch makes the pitchwise lines not-a-number.
  Scratch_folder folder;
  std::vector<std::string> lines = Small_deck_lines(folder.path() + "/nan");
  lines[24] = "1e300     dywle";
  Run_result run = Run_deck(Join(lines));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(
      run.err.starts_with("torvane: the grid has a coordinate that is not a finite number at point (i, j, k) = ("))
      << run.err;
  EXPECT_TRUE(run.err.ends_with("; no file is written\r\n"));
  EXPECT_TRUE(run.out.ends_with(" Generating volume grid ...\r\n"));
  for (const std::string& file : Files(folder.path() + "/nan")) EXPECT_FALSE(Exists(file));
}

TEST(Run, NotEnoughMemoryForTheStorageIsReportedNotACrash) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves address space beyond any small limit";
#else
  Scratch_folder folder;
  // The largest grid: its storage (some 20 MB) cannot fit the room left below.
  std::ifstream example(std::string(TORVANE_SOURCE_DIR) + "/examples/largest_grid.in");
  std::vector<std::string> lines;
  for (std::string line; std::getline(example, line);) lines.push_back(line);
  ASSERT_GT(lines.size(), 2u);
  lines[1] = folder.path() + "/memory";
  std::string deck = Join(lines);
  // In a child process whose address space has room for little more than it uses.
  pid_t pid = ::fork();
  if (pid == 0) {
    long pages = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) ::_exit(3);
    std::fclose(statm);
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + (8 << 20);
    if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(3);
    Run_result run = Run_deck(deck);
    bool reported = run.status == 1 && run.err == "torvane: not enough memory (a run needs about 25 MB)\r\n";
    ::_exit(reported ? 42 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "the run died instead of reporting";
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot limit the address space here";
  EXPECT_EQ(WEXITSTATUS(status), 42);
  for (const std::string& file : Files(folder.path() + "/memory")) EXPECT_FALSE(Exists(file));
#endif
}

TEST(Run, ADoubleQuoteInTheTitleIsWrittenAsASingleQuote) {
  Scratch_folder folder;
  std::vector<std::string> lines = Small_deck_lines(folder.path() + "/quote");
  lines[0] = "Rotor \"R1\"";
  ASSERT_EQ(Run_deck(Join(lines)).status, 0);
  std::string plot = Read_file(folder.path() + "/quote_grid_volume.plt");
  EXPECT_EQ(plot.substr(0, plot.find("\r\n")), "TITLE = \"Rotor 'R1'" + std::string(40, ' ') + "\"");
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// Build_grid against Run on the same deck: the same status, console up to the
// files, reason to stop, and a grid that writes the same grid file.
TEST(BuildGrid, GivesWhatTheRunGivesWithoutTheFiles) {
  struct Case {
    const char* what;
    size_t line;  // 0-based line of the record changed, or none
    const char* value;
    int status;
  };
  const Case cases[] = {
      {"a complete run", 0, nullptr, kExitComplete},
      {"a refused value: more wall intervals than pitchwise ones", 20, "9         nwall", kExitRefused},
      {"an unreadable record", 2, "twelve    nblade", kExitRefused},
      {"too many grid points, said on the console", 3, "300       nin", kExitProgramError},
      {"a blade point outside its section's curve", 23, "0.05      dsle", kExitProgramError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scratch_folder folder;
    std::vector<std::string> lines = Small_deck_lines(folder.path() + "/run");
    if (c.value != nullptr) lines[c.line] = c.value;
    const Run_result run = Run_deck(Join(lines));
    ASSERT_EQ(run.status, c.status);

    Grid_storage storage;
    std::istringstream deck(Join(lines));
    const Grid_build build = Build_grid(deck, storage);
    EXPECT_EQ(build.status, c.status);
    EXPECT_EQ(build.console, run.out.substr(0, run.out.find(" Storing grid ...")));
    if (c.status != kExitComplete) {
      // The standard-error line, or else the console's ERROR line.
      const size_t error = run.out.rfind("ERROR");
      const std::string said = !run.err.empty() ? run.err.substr(9, run.err.size() - 11)
                                                : run.out.substr(error, run.out.find('\r', error) - error);
      EXPECT_EQ(build.diagnostic, said);
      continue;
    }
    EXPECT_EQ(build.stem, folder.path() + "/run");
    EXPECT_EQ(build.title, "Small test deck" + std::string(35, ' '));  // a text record holds 50 columns
    const Block_sizes& b = build.block;
    EXPECT_EQ(std::vector<int>({b.ie, b.je, b.ke, b.ile, b.ite, b.nin, b.npitch, b.nspan}),
              std::vector<int>({14, 8, 6, 4, 10, 3, 7, 5}));
    EXPECT_DOUBLE_EQ(build.dphi, 2 * 3.14159265358979323846 / 20);
    Console quiet;
    Write_grid_file(folder.path() + "/built", build.block, storage.grid(), quiet);
    EXPECT_EQ(Read_file(folder.path() + "/built.rgra"), Read_file(folder.path() + "/run.rgra"));
    Write_topology_file(folder.path() + "/built", build.passage);
    EXPECT_EQ(Read_file(folder.path() + "/built.rtp"), Read_file(folder.path() + "/run.rtp"));
  }
}

}  // namespace
}  // namespace torvane
