// The deck's block after the casing contour: its framing, the keyword table's
// refusals naming the deck line and the entry, the flow-path entry read as a
// --flow-path file, and whole runs with the block.
#include "control/deck_block.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "base/run_stop.hpp"
#include "control/run.hpp"
#include "support/decks.hpp"

namespace torvane {
namespace {

using testing::Join;
using testing::Scratch_folder;
using testing::Small_deck_lines;

// The diagnostic of a refused block, "" when it is read.
std::string Refusal(std::string_view text, int first_line = 1) {
  try {
    Parse_deck_block(text, first_line);
  } catch (const Run_stop& stop) {
    EXPECT_EQ(stop.status, kExitRefused);
    return stop.diagnostic;
  }
  return "";
}

constexpr const char* kPath =
    "hub\n"
    "-0.2 0.25\n"
    "0.3 0.25\n"
    "casing\n"
    "-0.2 0.5\n"
    "0.3 0.5\n";

TEST(DeckBlock, TextBeforeTheOpeningLineAndAfterTheClosingLineIsIgnored) {
  const Deck_block block = Parse_deck_block(
      "a note after the casing points\n"
      "  # torvane-block 1   (a comment, not the opening line)\n"
      "torvane-block 1 # from here on\n"
      "\n"
      "   # a comment line\n"
      "flow-path  # the curves\n" +
          std::string(kPath) +
          "end flow-path\n"
          "end torvane-block\n"
          "unknown-entry after the block\n",
      40);
  EXPECT_EQ(block.line, 42);
  EXPECT_EQ(block.end_line, 53);
  ASSERT_TRUE(block.flow_path.has_value());
  EXPECT_EQ(block.flow_path->entry_line, 45);
  EXPECT_EQ(block.flow_path->hub.header_line, 46);
  EXPECT_EQ(block.flow_path->hub.x, (std::vector<double>{-0.2, 0.3}));
  EXPECT_EQ(block.flow_path->casing.r, (std::vector<double>{0.5, 0.5}));
  EXPECT_EQ(block.flow_path->casing.lines, (std::vector<int>{50, 51}));
}

TEST(DeckBlock, ADeckWithoutTheOpeningLineHasNoBlock) {
  const Deck_block block = Parse_deck_block("anything\nflow-path\nend torvane-block\n", 1);
  EXPECT_EQ(block.line, 0);
  EXPECT_FALSE(block.flow_path.has_value());
}

TEST(DeckBlock, RefusalsNameTheDeckLineAndTheEntry) {
  struct Case {
    std::string text;
    const char* diagnostic;
  };
  const std::string open = "torvane-block 1\n";
  const Case cases[] = {
      {"torvane-block\n", "deck line 300 (torvane-block): the opening line gives no version; write `torvane-block 1`"},
      {"torvane-block 2\n",
       "deck line 300 (torvane-block): block version `2` is not one this torvane reads; write `torvane-block 1`"},
      {"torvane-block 1 beta\n",
       "deck line 300 (torvane-block): block version `1 beta` is not one this torvane reads; write `torvane-block 1`"},
      {open + "smoth\nend torvane-block\n",
       "deck line 301 (torvane-block): unknown entry `smoth`; known: flow-path, section, angles, planes, frame, "
       "large, smooth, tip-gap, rpm"},
      {open + "smooth yes\nend torvane-block\n", "deck line 301 (smooth): the entry takes no value; found `yes`"},
      {open + "\n", "deck line 300 (torvane-block): the block is not closed; the deck ends before `end torvane-block`"},
      {open + "flow-path\n" + kPath,
       "deck line 301 (flow-path): the entry is not closed; the deck ends before `end flow-path`"},
      {open + "flow-path\n" + kPath + "end torvane-block\n",
       "deck line 308 (flow-path): the entry opened on line 301 is not closed; write `end flow-path` before `end "
       "torvane-block`"},
      {open + "flow-path hub\n",
       "deck line 301 (flow-path): the entry's lines follow on the lines below, closed by `end flow-path`; found "
       "`hub` after `flow-path`"},
      {open + "flow-path\n" + kPath + "end flow-path\nflow-path\n" + kPath + "end flow-path\nend torvane-block\n",
       "deck line 309 (flow-path): given a second time; the block holds one flow-path entry"},
      // The flow-path file's own refusals, at the deck's lines.
      {open + "flow-path\nhub\n0 0.25\n0.1 0x\nend flow-path\n",
       "deck line 304 (flow-path): \"0x\" is not a number; a point is a line `x r`"},
      {open + "flow-path\nhub\n0 0.25\n0.1 0.3\nend flow-path\n",
       "deck line 301 (flow-path): no `casing` line after the hub curve; the file gives a hub curve, then a casing "
       "curve"},
  };
  for (const Case& c : cases) EXPECT_EQ(Refusal(c.text, 300), c.diagnostic) << c.text;
}

struct Block_run {
  int status;
  std::string out, err, grid;
};

// Runs the deck with its files in the folder, optionally with --flow-path.
Block_run Run_in(const Scratch_folder& folder, const std::string& deck, const std::string& flow_path_file = "") {
  Run_options options;
  options.output_stem = folder.path() + "/run";
  options.flow_path = flow_path_file;
  std::istringstream in(deck);
  Console out, err;
  Block_run run{Run(in, out, err, options), out.captured(), err.captured(), ""};
  if (run.status == 0) {
    std::ifstream grid(options.output_stem + ".rgra", std::ios::binary);
    run.grid.assign(std::istreambuf_iterator<char>(grid), {});
  }
  return run;
}

constexpr const char* kConePath =
    "hub\n"
    "-0.2 0.21\n"
    "0.3 0.31\n"
    "casing   # straight\n"
    "-0.2 0.5\n"
    "0.3 0.5\n";

TEST(DeckBlockRun, TheBlocksFlowPathGivesTheFilesOfTheSameFlowPathFile) {
  Scratch_folder with_file, with_block;
  const std::string path = with_file.path() + "/cone.path";
  std::ofstream(path) << kConePath;
  const std::string deck = Join(Small_deck_lines());
  const Block_run by_file = Run_in(with_file, deck, path);
  const Block_run by_block =
      Run_in(with_block, deck + "torvane-block 1\nflow-path\n" + kConePath + "end flow-path\nend torvane-block\n");
  ASSERT_EQ(by_file.status, 0) << by_file.err;
  ASSERT_EQ(by_block.status, 0) << by_block.err;
  EXPECT_EQ(by_block.out, by_file.out);
  EXPECT_EQ(by_block.grid, by_file.grid);
}

TEST(DeckBlockRun, TheBlocksSmoothRowGivesTheFilesOfSmooth) {
  Scratch_folder plain, by_option, by_row;
  std::vector<std::string> lines = Small_deck_lines();
  lines[3] = "6         nin";  // room for the blends ahead of the blade
  lines[4] = "6         nout";
  const std::string deck = Join(lines);
  const Block_run as_built = Run_in(plain, deck);
  Run_options options;
  options.output_stem = by_option.path() + "/run";
  options.smooth = true;
  std::istringstream in(deck);
  Console out, err;
  ASSERT_EQ(torvane::Run(in, out, err, options), 0) << err.captured();
  std::ifstream file(options.output_stem + ".rgra", std::ios::binary);
  const std::string smoothed((std::istreambuf_iterator<char>(file)), {});
  const Block_run row = Run_in(by_row, deck + "torvane-block 1\nsmooth\nend torvane-block\n");
  ASSERT_EQ(row.status, 0) << row.err;
  EXPECT_EQ(row.out, out.captured());
  EXPECT_EQ(row.grid, smoothed);
  EXPECT_NE(row.grid, as_built.grid);
}

TEST(DeckBlockRun, TextAfterTheCasingContourWithoutTheBlockChangesNothing) {
  Scratch_folder plain, noted;
  const std::string deck = Join(Small_deck_lines());
  const Block_run a = Run_in(plain, deck);
  const Block_run b = Run_in(noted, deck + "notes: flow-path\nend torvane-block\n#torvane-block 2\n");
  ASSERT_EQ(a.status, 0) << a.err;
  EXPECT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(b.out, a.out);
  EXPECT_EQ(b.grid, a.grid);
}

TEST(DeckBlockRun, RefusesTheBlocksFlowPathBesideFlowPathAndABlockErrorWithItsLine) {
  Scratch_folder folder;
  const std::string path = folder.path() + "/cone.path";
  std::ofstream(path) << kConePath;
  const std::vector<std::string> lines = Small_deck_lines();
  const std::string deck = Join(lines);
  const int after = static_cast<int>(lines.size()) + 1;
  const Block_run both =
      Run_in(folder, deck + "torvane-block 1\nflow-path\n" + kConePath + "end flow-path\nend torvane-block\n", path);
  EXPECT_EQ(both.status, 2);
  EXPECT_EQ(both.err, "torvane: deck line " + std::to_string(after + 1) +
                          " (flow-path): the deck's block gives the flow path and so does --flow-path " + path +
                          "; give it once\r\n");
  const Block_run unknown = Run_in(folder, deck + "\ntorvane-block 1\nlarge-grid\nend torvane-block\n");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "torvane: deck line " + std::to_string(after + 2) +
                             " (torvane-block): unknown entry `large-grid`; known: " + Known_block_entries() + "\r\n");
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()) || !std::filesystem::exists(folder.path() + "/run.rgra"));
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

constexpr const char* kSection =
    "section\n"
    "span 0.5\n"
    "stagger -30\n"
    "chord 0.05\n"
    "reference 0.001 0.002\n"
    "angles 40 20.5\n"
    "curve 2   # x r\n"
    "-0.1 0.3\n"
    "0.2 0.31\n"
    "points 4 3\n"
    "1 0\n"
    "0.5 -0.1\n"
    "0 0\n"
    "1 0\n"
    "end section\n";

TEST(DeckBlock, ReadsSectionsAnglesPlanesAndFrame) {
  const Deck_block block = Parse_deck_block(std::string("torvane-block 1\n") + kSection +
                                                "angles 1 2 3 4\nplanes -0.03 0.09\nframe 0.0003 -6.5\n"
                                                "end torvane-block\n",
                                            10);
  ASSERT_EQ(block.sections.size(), 1u);
  const Block_section& s = block.sections[0];
  EXPECT_EQ(s.line, 11);
  EXPECT_EQ(s.span, 0.5);
  EXPECT_EQ(s.stagger, -30);
  EXPECT_EQ(s.chord, 0.05);
  EXPECT_EQ(s.xref, 0.001);
  EXPECT_EQ(s.yref, 0.002);
  EXPECT_TRUE(s.angles_given);
  EXPECT_EQ(s.betaout, 20.5);
  EXPECT_EQ(s.curve.x, (std::vector<double>{-0.1, 0.2}));
  EXPECT_EQ(s.curve.lines, (std::vector<int>{18, 19}));
  EXPECT_EQ(s.iref, 3);
  EXPECT_EQ(s.xy, (std::vector<double>{1, 0, 0.5, -0.1, 0, 0, 1, 0}));
  ASSERT_TRUE(block.angles && block.planes && block.frame);
  EXPECT_EQ(block.angles->casing_out, 4);
  EXPECT_EQ(block.planes->inlet, -0.03);
  EXPECT_EQ(block.frame->theta, -6.5);
}

TEST(DeckBlock, RefusesMalformedSectionsAndOneLineEntries) {
  auto with = [](std::string section) { return "torvane-block 1\n" + section + "end torvane-block\n"; };
  auto replaced = [&](const char* from, const char* to) {
    std::string text = kSection;
    text.replace(text.find(from), std::string(from).size(), to);
    return with(text);
  };
  struct Case {
    std::string text;
    const char* diagnostic;
  };
  const Case cases[] = {
      {with("planes 0.1 -0.1\n"),
       "deck line 2 (planes): the inlet plane x = 0.1 must lie upstream of the outlet plane x = -0.1"},
      {with("angles 1 2 3\n"),
       "deck line 2 (angles): expected `angles BETAIN_HUB BETAOUT_HUB BETAIN_CASING BETAOUT_CASING`, found 3 items"},
      {with("frame 0 x\n"), "deck line 2 (frame): `x` is not a number; frame X THETA"},
      {replaced("span 0.5", "span 1"), "deck line 2 (section): span 1 does not lie between hub (0) and casing (1)"},
      {replaced("chord 0.05\n", ""), "deck line 2 (section): the section gives no `chord` line"},
      {replaced("0.2 0.31", "-0.2 0.31"),
       "deck line 10 (section): x = -0.2 does not increase from x = -0.1 on line 9; x must increase strictly along a "
       "curve"},
      {replaced("points 4 3", "points 4 5"),
       "deck line 11 (section): the reference index `5` is not a point of the list"},
      {replaced("1 0\nend section", "end section"),
       "deck line 14 (section): the contour ends 1 point short of its count"},
      {replaced("span 0.5", "twist 3"),
       "deck line 3 (section): unknown line `twist`; a section holds span, stagger, chord, reference, angles, curve "
       "and points"},
      {replaced("reference 0.001", "reference 0.5"),
       "deck line 8 (section): the curve, x = -0.1 to 0.2, misses the section's reference point at x = 0.5"},
      {with(std::string(kSection) + kSection), "deck line 17 (section): span 0.5 is the span of the section on line 2"},
  };
  for (const Case& c : cases) EXPECT_EQ(Refusal(c.text), c.diagnostic) << c.text;
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// The small deck (nspan 5) with a section at mid-span on the cylinder of
// radius 0.375, the hub's contour at a stagger of 35 deg, and the files' frame.
std::string Deck_with_a_section(const std::vector<std::string>& lines) {
  std::string section =
      "section\nspan 0.5\nstagger 35\nchord 0.06\nreference 0.001 0.002\ncurve 2\n-1 0.375\n1 0.375\n";
  section += "points " + lines[33].substr(0, lines[33].find("  ")) + "\n";  // the hub list's count pair
  for (size_t n = 34; n < 34 + 33; ++n) section += lines[n] + "\n";
  return Join(lines) + "torvane-block 1\n" + section + "end section\nframe 0.5 10\nend torvane-block\n";
}

TEST(DeckBlockRun, TheBladeWallPassesThroughASectionOnItsOwnPlaneInTheFrame) {
  Scratch_folder folder;
  const std::vector<std::string> lines = Small_deck_lines();
  const Block_run run = Run_in(folder, Deck_with_a_section(lines));
  ASSERT_EQ(run.status, 0) << run.err;
  // 14 x 8 x 6 points; the section's plane is the inner plane nearest mid-span.
  std::istringstream grid(run.grid);
  std::string header;
  std::getline(grid, header);
  std::vector<double> values;
  for (double v; grid >> v;) values.push_back(v);
  const size_t points = 14 * 8 * 6;
  ASSERT_GE(values.size(), 3 * points);
  const double* x = values.data() + (values.size() - 3 * points);
  const double* y = x + points;
  const double* z = y + points;
  auto at = [](int i, int j, int k) { return static_cast<size_t>(((k - 1) * 8 + (j - 1)) * 14 + (i - 1)); };
  int on_cylinder = 0;
  for (int k = 2; k <= 5; ++k) {
    bool all = true;
    for (int i = 1; i <= 14; ++i) {
      for (int j = 1; j <= 8; ++j) all = all && std::fabs(std::hypot(y[at(i, j, k)], z[at(i, j, k)]) - 0.375) < 1e-12;
    }
    on_cylinder += all ? 1 : 0;
  }
  EXPECT_EQ(on_cylinder, 1) << "one inner plane is the section's surface";
  // The frame: the inlet at x = 0.5 - (lin + its share), hub and casing turned by 10 deg: the
  // hub's inlet point j = 1 lies at the angle of the deck's, plus 10 deg.
  Scratch_folder plain;
  const Block_run without = Run_in(plain, Join(lines));
  ASSERT_EQ(without.status, 0);
  std::istringstream plain_grid(without.grid);
  std::getline(plain_grid, header);
  std::vector<double> plain_values;
  for (double v; plain_grid >> v;) plain_values.push_back(v);
  const double* px = plain_values.data() + (plain_values.size() - 3 * points);
  const double* py = px + points;
  const double* pz = py + points;
  EXPECT_NEAR(x[at(1, 1, 1)], px[at(1, 1, 1)] + 0.5, 1e-12);
  EXPECT_NEAR(std::atan2(y[at(1, 1, 1)], z[at(1, 1, 1)]),
              std::atan2(py[at(1, 1, 1)], pz[at(1, 1, 1)]) + 10.0 * 0.017453292519943295, 1e-12);
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// A section whose list does not start at its trailing edge fails in its own
// build; the refusal names the section's deck line, not the hub section whose
// description the section's starts from.
TEST(DeckBlockRun, ASectionThatCannotBeGriddedIsNamedByItsDeckLine) {
  const std::vector<std::string> lines = Small_deck_lines();
  const std::string count = lines[33].substr(0, lines[33].find("  "));  // the hub list's count pair
  const int n = std::stoi(count.substr(0, count.find(' ')));
  const int iref = std::stoi(count.substr(count.find(' ') + 1));
  const std::string entry = "torvane: deck line " + std::to_string(lines.size() + 2) + " (section): ";
  struct Case {
    int shift;  // points the list starts later
    int status;
    std::string start;  // of standard error
  };
  const Case cases[] = {
      {19, 2,
       entry + "the contour must start and end at the trailing edge and pass the leading edge once; its edge search "
               "found the leading edge at curve parameter "},
      {2, 1, entry + "a blade station fell outside the contour between its edges (x = "},
  };
  for (const Case& c : cases) {
    std::vector<std::string> points(lines.begin() + 34, lines.begin() + 34 + n);
    std::rotate(points.begin(), points.begin() + c.shift, points.end());
    std::string section =
        "section\nspan 0.5\nstagger 35\nchord 0.06\nreference 0.001 0.002\ncurve 2\n-1 0.375\n1 0.375\n";
    section += "points " + std::to_string(n) + " " + std::to_string((iref - 1 - c.shift + n) % n + 1) + "\n";
    for (const std::string& point : points) section += point + "\n";
    Scratch_folder folder;
    const Block_run run =
        Run_in(folder, Join(lines) + "torvane-block 1\n" + section + "end section\nend torvane-block\n");
    EXPECT_EQ(run.status, c.status) << c.shift;
    EXPECT_TRUE(run.err.starts_with(c.start)) << c.shift << ": " << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder.path() + "/run.rgra")) << c.shift;
  }
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

using testing::Join;
using testing::Scratch_folder;
using testing::Small_deck_lines;

TEST(DeckBlock, TheRpmEntryTakesASpeedOfZeroOrMoreAndRefusesTheRest) {
  auto with = [](const std::string& rows) { return "torvane-block 1\n" + rows + "end torvane-block\n"; };
  struct Accepted {
    const char* row;
    double rpm;
  };
  for (const Accepted& c : {Accepted{"rpm 17189", 17189}, Accepted{"rpm 0    # a stator", 0},
                            Accepted{"rpm 1.7189D4", 17189}, Accepted{"rpm 815.5", 815.5}}) {
    const Deck_block block = Parse_deck_block(with(std::string(c.row) + "\n"), 20);
    ASSERT_TRUE(block.rpm.has_value()) << c.row;
    EXPECT_EQ(*block.rpm, c.rpm) << c.row;
    EXPECT_EQ(block.rpm_line, 21) << c.row;
  }
  EXPECT_FALSE(Parse_deck_block(with("large\n")).rpm.has_value());
  struct Refused {
    const char* rows;
    const char* diagnostic;
  };
  const Refused cases[] = {
      {"rpm\n", "deck line 2 (rpm): expected `rpm N`, found 0 items"},
      {"rpm 100 200\n", "deck line 2 (rpm): expected `rpm N`, found 2 items"},
      {"rpm fast\n",
       "deck line 2 (rpm): \"fast\" is not a speed in rpm (for example 17189, or 0 for a stationary row)"},
      {"rpm 1e999\n",
       "deck line 2 (rpm): \"1e999\" is not a speed in rpm (for example 17189, or 0 for a stationary row)"},
      {"rpm -17189\n",
       "deck line 2 (rpm): \"-17189\" is below 0: give the speed without a sign; the sense of rotation follows from "
       "the grid's blade angles"},
      {"rpm 100\nrpm 200\n", "deck line 3 (rpm): given a second time; the block holds one rpm entry"},
  };
  for (const Refused& c : cases) EXPECT_EQ(Refusal(with(c.rows)), c.diagnostic) << c.rows;
}

// The run of a deck that gives the speed leaves it in STEM.rmach and its other
// files as without it; a run of the stem without a speed takes an earlier
// machine file away, so it never describes another grid.
TEST(DeckBlockRun, TheRpmEntryLeavesTheMachineFileAndChangesNoOtherByte) {
  Scratch_folder plain_folder, speed_folder;
  const std::string deck = Join(Small_deck_lines());
  const Block_run plain = Run_in(plain_folder, deck);
  const Block_run speed = Run_in(speed_folder, deck + "torvane-block 1\nrpm 815\nend torvane-block\n");
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_EQ(speed.status, 0) << speed.err;
  EXPECT_EQ(speed.out, plain.out);
  // Standard error too, but for the folder its note names.
  std::string err = speed.err;
  err.replace(err.find(speed_folder.path()), speed_folder.path().size(), plain_folder.path());
  EXPECT_EQ(err, plain.err);
  for (const char* file : {"/run.rgra", "/run.rtp", "/run_grid_volume.plt"}) {
    EXPECT_EQ(testing::Read_file(speed_folder.path() + file), testing::Read_file(plain_folder.path() + file)) << file;
  }
  EXPECT_FALSE(std::filesystem::exists(plain_folder.path() + "/run.rmach"));
  EXPECT_EQ(testing::Read_file(speed_folder.path() + "/run.rmach"),
            "# Machine data of the grid's blade row (torvane)\r\nrpm 815\r\n");

  // The same stem again without the speed: the machine file goes with the old grid.
  const Block_run again = Run_in(speed_folder, deck);
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_FALSE(std::filesystem::exists(speed_folder.path() + "/run.rmach"));
  EXPECT_EQ(testing::Read_file(speed_folder.path() + "/run.rgra"), plain.grid);
}

// A refused deck leaves an earlier run's files, its machine file among them, as they were.
TEST(DeckBlockRun, ARefusedDeckLeavesTheEarlierMachineFile) {
  Scratch_folder folder;
  const std::string deck = Join(Small_deck_lines());
  ASSERT_EQ(Run_in(folder, deck + "torvane-block 1\nrpm 815\nend torvane-block\n").status, 0);
  const Block_run refused = Run_in(folder, deck + "torvane-block 1\nrpm -1\nend torvane-block\n");
  EXPECT_EQ(refused.status, kExitRefused);
  EXPECT_NE(refused.err.find("(rpm): \"-1\" is below 0"), std::string::npos) << refused.err;
  EXPECT_EQ(testing::Read_file(folder.path() + "/run.rmach"),
            "# Machine data of the grid's blade row (torvane)\r\nrpm 815\r\n");
}

}  // namespace
}  // namespace torvane
