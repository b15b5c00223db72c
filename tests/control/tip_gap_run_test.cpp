// Whole runs with a tip gap: the blade tip measured against the casing curve,
// the gap's faces one pitch apart, the topology rows, a sound grid, and the
// gaps and cell counts a run refuses.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "control/command_line.hpp"
#include "control/deck_block.hpp"
#include "control/grid_verdict.hpp"
#include "control/run.hpp"
#include "geometry/meridional_curve.hpp"
#include "inspect/picture/drawing.hpp"
#include "inspect/quality/cell_survey.hpp"
#include "inspect/quality/report.hpp"
#include "inspect/run_files/block_faces.hpp"
#include "inspect/run_files/grid_file.hpp"
#include "inspect/run_files/topology_file.hpp"
#include "support/decks.hpp"

namespace torvane {
namespace {

using testing::Join;
using testing::Scratch_folder;

constexpr double kPi = 3.141592653589793;

// The small deck (hub 0.25, casing 0.5, 20 blades, ile 4, ite 10) with 20 spanwise intervals.
std::string Deck() {
  std::vector<std::string> lines = testing::Small_deck_lines();
  lines[6] = "20        nspan";
  return Join(lines);
}

struct Gap_run {
  int status;
  std::string out, err;
  inspect::Grid grid;
  Passage passage;  // the topology file read back
};

Gap_run Run_with(const Scratch_folder& folder, const std::string& flow_path, std::optional<Tip_gap_request> gap) {
  Run_options options;
  options.output_stem = folder.path() + "/run";
  options.tip_gap = gap;
  if (!flow_path.empty()) {
    options.flow_path = folder.path() + "/flow.path";
    std::ofstream(options.flow_path) << flow_path;
  }
  std::istringstream in(Deck());
  Console out, err;
  Gap_run run{Run(in, out, err, options), out.captured(), err.captured(), {}, {}};
  if (run.status == 0) {
    run.grid = inspect::Read_grid_file(options.output_stem + ".rgra");
    run.passage = inspect::Read_topology_file(options.output_stem + ".rtp");
  }
  return run;
}

// A casing that rises through the blade row (the hub a cylinder).
const char* const kRisingCasing =
    "hub\n-0.2 0.25\n0.3 0.25\ncasing\n-0.2 0.47\n-0.05 0.48\n0.0 0.5\n0.05 0.53\n0.1 0.55\n0.3 0.56\n";

// A hub that rises behind the blade, leaving a passage of 0.08 at the outlet.
const char* const kRisingHub = "hub\n-0.2 0.25\n0.0 0.25\n0.08 0.42\n0.3 0.42\ncasing\n-0.2 0.5\n0.3 0.5\n";

struct Gap_case {
  const char* name;
  const char* flow_path;  // "" for the cylinders
  double value;
  bool percent;
  int cells;
  double tolerance;  // of the gap, for the tip under the casing
};

TEST(TipGapRun, TheBladeTipLiesTheGapUnderTheCasingAndTheGapFacesArePeriodic) {
  const Gap_case cases[] = {
      {"cylinder, 6 cells", "", 2.0, true, 6, 1e-9},
      {"cylinder, 1 cell", "", 0.01, false, 1, 1e-9},
      {"cylinder, 15 cells", "", 0.02, false, 15, 1e-9},
      {"rising casing, 6 cells", kRisingCasing, 1.0, true, 6, 0.25},
      {"rising casing, 1 cell", kRisingCasing, 0.004, false, 1, 0.25},
      {"rising hub, gap near a quarter of the span, 2 cells", kRisingHub, 0.06, false, 2, 1e-9},
  };
  const double dphi = 2 * kPi / 20;
  for (const Gap_case& c : cases) {
    Scratch_folder folder;
    const Gap_run run = Run_with(folder, c.flow_path, Tip_gap_request{c.value, c.percent, c.cells});
    ASSERT_EQ(run.status, 0) << c.name << ": " << run.err;
    const inspect::Grid& g = run.grid;
    const int kt = g.ke - c.cells;
    const double gap = c.percent ? c.value / 100 * 0.25 : c.value;
    std::vector<double> casing_x = {-1, 1}, casing_r = {0.5, 0.5};
    if (c.flow_path == kRisingCasing) {
      casing_x = {-0.2, -0.05, 0.0, 0.05, 0.1, 0.3};
      casing_r = {0.47, 0.48, 0.5, 0.53, 0.55, 0.56};
    }
    const Meridional_curve casing(casing_x, casing_r);
    for (int i = 4; i <= 10; ++i) {
      for (int j : {1, g.je}) {
        const inspect::Vec3 tip = g.Point(i, j, kt);
        EXPECT_NEAR(casing.Radius(tip.x) - std::hypot(tip.y, tip.z), gap, c.tolerance * gap)
            << c.name << ": tip at i = " << i << ", j = " << j;
      }
      // In the gap, j = 1 and j = je are one pitch apart, as upstream and downstream.
      for (int k = kt; k <= g.ke; ++k) {
        const inspect::Vec3 a = g.Point(i, 1, k), b = g.Point(i, g.je, k);
        EXPECT_NEAR(std::atan2(b.y, b.z) - std::atan2(a.y, a.z), dphi, 1e-12) << c.name << " " << i << " " << k;
        EXPECT_NEAR(std::hypot(b.y, b.z), std::hypot(a.y, a.z), 1e-12) << c.name << " " << i << " " << k;
        EXPECT_NEAR(a.x, b.x, 1e-12) << c.name << " " << i << " " << k;
      }
      // Below the tip the blade keeps its thickness: the walls are less than a pitch apart.
      const inspect::Vec3 a = g.Point(i, 1, kt - 1), b = g.Point(i, g.je, kt - 1);
      if (i > 4 && i < 10) {
        EXPECT_LT(std::atan2(b.y, b.z) - std::atan2(a.y, a.z), dphi - 1e-6) << c.name << " " << i;
      }
    }
    // The report passes the grid and finds the tip where the run put it.
    const inspect::Block_faces faces = inspect::Lay_out_faces(run.passage, "run.rtp", g);
    EXPECT_EQ(faces.tip_k, kt) << c.name;
    const inspect::Report report = inspect::Make_report("run", g, faces, inspect::Survey_cells(g, faces));
    EXPECT_EQ(report.Exit_status(), 0) << c.name << "\n" << inspect::Report_text(report);
    EXPECT_EQ(report.tip_gap.tip_k, kt) << c.name;
    EXPECT_NEAR(report.tip_gap.min_gap, gap, c.tolerance * gap) << c.name;
    EXPECT_NEAR(report.tip_gap.max_gap, gap, c.tolerance * gap) << c.name;
    EXPECT_EQ(report.sense.covering, 0) << c.name;
    EXPECT_NE(run.out.find(" Tip gap              : "), std::string::npos) << c.name << run.out;
  }
}

TEST(TipGapRun, TheCrossSectionDrawsTheWallsToTheTipAndTheGapFacesAsPeriodic) {
  Scratch_folder folder;
  const Gap_run run = Run_with(folder, "", Tip_gap_request{1.0, true, 4});
  ASSERT_EQ(run.status, 0) << run.err;
  const inspect::Grid& g = run.grid;
  const inspect::Block_faces faces = inspect::Lay_out_faces(run.passage, "run.rtp", g);
  const int tip = g.ke - 4;
  // The whole cross-section at mid-chord, and the close-up from k = tip - 4.
  for (int k_first : {1, tip - 4}) {
    const inspect::Drawing d = inspect::Cross_section(g, faces, 7, "gap", nullptr, k_first);
    std::map<inspect::Line_kind, std::vector<std::size_t>> points;
    for (const inspect::Polyline& line : d.lines) points[line.kind].push_back(line.points.size());
    const std::size_t wall = static_cast<std::size_t>(tip - k_first + 1),
                      gap = static_cast<std::size_t>(g.ke - tip + 1);
    EXPECT_EQ(points[inspect::Line_kind::blade_wall_j1], std::vector<std::size_t>{wall}) << k_first;
    EXPECT_EQ(points[inspect::Line_kind::blade_wall_je], std::vector<std::size_t>{wall}) << k_first;
    EXPECT_EQ(points[inspect::Line_kind::periodic], (std::vector<std::size_t>{gap, gap})) << k_first;
    EXPECT_EQ(points[inspect::Line_kind::hub].size(), k_first == 1 ? 1u : 0u) << k_first;
    EXPECT_EQ(points[inspect::Line_kind::k_line].size(), static_cast<std::size_t>(g.ke - k_first + 1)) << k_first;
  }
}

// A casing that falls to 0.04 above the hub behind the leading edge: the gap of 0.06 has no room there.
TEST(TipGapRun, AGapDeeperThanThePassageSomewhereIsRefusedNamingTheGridLine) {
  Scratch_folder folder;
  const Gap_run run = Run_with(folder, "hub\n-0.2 0.25\n0.3 0.25\ncasing\n-0.2 0.5\n0.005 0.5\n0.03 0.29\n0.3 0.29\n",
                               Tip_gap_request{0.06, false, 2});
  EXPECT_EQ(run.status, 2) << run.out;
  EXPECT_TRUE(
      run.err.starts_with("torvane: the tip gap 0.06 does not fit under the casing at the spanwise grid line i = "))
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(folder.path() + "/run.rgra"));
}

TEST(TipGapRun, AFoldedCellAtTheTipIsToldAsTheGaps) {
  // 14 x 8 x 21 points, the tip plane at k = 17 with 4 cells across the gap of 0.0025.
  const Control_values values;
  const Grid_sizes sizes{4, 10, 14, 8, 21};
  const Setup_values setup{0.1, 0.25, 0, 0};
  const Contour_points none;
  const Grid grid;
  const Passage passage;
  const Check_input input{values, sizes, setup, passage, none, none, grid, 4, 0.0025};
  Grid_findings findings;
  findings.folded = {1820, 3, 5, 2, 16};
  EXPECT_EQ(Judge_grid(findings, input).diagnostic,
            "the grid has 3 folded cells of 1820 (scaled Jacobian <= 0); the first, cell (5, 2, 16), lies at the blade "
            "tip (the tip plane is k = 17); the tip gap of 0.0025 with 4 intervals across it governs it: give the gap "
            "more cells, or the blade more spanwise intervals (record 7, nspan) below its tip");
}

TEST(TipGapRun, TheTopologyEndsTheBladeWallsAtTheTipAndPairsTheGapFaces) {
  Scratch_folder folder;
  const Gap_run run = Run_with(folder, "", Tip_gap_request{1.0, true, 4});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<Boundary_patch>& patches = run.passage.patches;
  ASSERT_EQ(patches.size(), 12u);
  // nspan 20, 4 gap cells: the walls over cells 1..16, the gap's periodic pair over 17..20, i = ile..ite - 1.
  for (int face : {3, 4}) {
    const Boundary_patch& wall = patches[static_cast<size_t>(face + 1)];
    EXPECT_EQ(wall.role, Patch_role::blade);
    EXPECT_EQ(wall.face, face);
    EXPECT_EQ(wall.range[0], (Cell_range{1, 16}));
    const Boundary_patch& gap = patches[static_cast<size_t>(face + 7)];
    EXPECT_EQ(gap.role, Patch_role::periodic);
    EXPECT_EQ(gap.face, face);
    EXPECT_EQ(gap.partner_face, 7 - face);
    EXPECT_EQ(gap.range[0], (Cell_range{17, 20}));
    EXPECT_EQ(gap.range[1], (Cell_range{4, 9}));
    EXPECT_DOUBLE_EQ(gap.angle, face == 3 ? -2 * kPi / 20 : 2 * kPi / 20);
  }
  EXPECT_EQ(run.passage.Blade_top(), 17);
  // The rows as the file writes them: the periodic row's spanwise range negated.
  const std::string text = testing::Read_file(folder.path() + "/run.rtp");
  EXPECT_NE(text.find("\r\n12  13   7  20\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n 70     3    1   16    4    9    0    0    0    0    0    0\r\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("\r\n120     3  -17  -20    4    9    1    4  -17  -20    4    9\r\n"), std::string::npos)
      << text;
}

TEST(TipGapRun, WithoutAGapTheFilesAndConsoleAreThoseOfARunWithoutTheOption) {
  Scratch_folder plain, gapless;
  const Gap_run a = Run_with(plain, "", std::nullopt);
  const Gap_run b = Run_with(gapless, "", std::nullopt);
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.passage.patches.size(), 10u);
  EXPECT_EQ(a.passage.Blade_top(), 21);
  EXPECT_EQ(a.out.find("Tip gap"), std::string::npos);
  EXPECT_EQ(testing::Read_file(plain.path() + "/run.rgra"), testing::Read_file(gapless.path() + "/run.rgra"));
}

TEST(TipGapRun, RefusesAGapTheSpanCannotTake) {
  struct Refusal {
    const char* name;
    Tip_gap_request gap;
    const char* says;
  };
  const Refusal cases[] = {
      {"more than a quarter of the span 0.25",
       {0.07, false, 6},
       "--tip-gap: a tip gap of 0.07 is more than a quarter of the span 0.25"},
      {"cells leave one below the tip",
       {0.01, false, 20},
       "--tip-gap: 20 cells across the gap leave fewer than 2 of the 20"},
  };
  for (const Refusal& c : cases) {
    Scratch_folder folder;
    const Gap_run run = Run_with(folder, "", c.gap);
    EXPECT_EQ(run.status, 2) << c.name;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << c.name << ": " << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder.path() + "/run.rgra")) << c.name;
  }
}

TEST(TipGapCommandLine, ReadsTheGapAndItsCellsAndRefusesWhatIsNoGap) {
  struct Line_case {
    std::vector<std::string_view> args;
    int status;
    const char* err;  // what standard error holds
  };
  const Line_case cases[] = {
      {{"--tip-gap", "30%"}, 2, "torvane: --tip-gap \"30%\" is more than a quarter of the span"},
      {{"--tip-gap", "-1"}, 2, "torvane: --tip-gap \"-1\" is no gap: the tip clearance must be greater than 0"},
      {{"--tip-gap=abc"}, 2, "torvane: --tip-gap \"abc\" is not a length or a per cent of span"},
      {{"--tip-gap"}, 2, "torvane: --tip-gap needs a value"},
      {{"--tip-gap", "1%", "--gap-cells", "0"}, 2, "torvane: --gap-cells \"0\" cells: the gap needs at least 1"},
      {{"--gap-cells", "3"}, 2, "torvane: --gap-cells needs --tip-gap"},
      {{"--tip-gap", "1%", "--tip-gap", "2%"}, 2, "torvane: unexpected argument \"--tip-gap\""},
      {{"--tip-gap", "0.1"}, 2, "torvane: --tip-gap: a tip gap of 0.1 is more than a quarter of the span 0.25"},
      {{"--tip-pinch", "1%"}, 2, "torvane: --tip-pinch needs a tip gap: give --tip-gap, or the deck's block"},
      {{"--tip-gap", "1%", "--tip-pinch", "x"},
       2,
       "torvane: --tip-pinch \"x\" is not a length, a per cent of span or auto"},
      {{"--tip-gap", "1%", "--tip-pinch=0.3"},
       2,
       "torvane: --tip-pinch: a pinch of 0.3 is not below the blade's height 0.2475 under its tip"},
  };
  for (const Line_case& c : cases) {
    std::istringstream deck(Deck());
    Console out, err;
    const int status = Torvane_main(c.args, deck, false, out, err);
    EXPECT_EQ(status, c.status) << c.err;
    EXPECT_EQ(err.captured().rfind(c.err, 0), 0u) << "got: " << err.captured();
  }
}

TEST(TipGapBlock, TheEntryGivesTheGapAndItsCells) {
  struct Entry {
    const char* line;
    Tip_gap_request gap;
  };
  const Entry entries[] = {
      {"tip-gap 1% cells 4", {1.0, true, 4}},
      {"tip-gap 0.002   # a length in the deck's unit", {0.002, false, kDefaultGapCells}},
      {"tip-gap 2.5e-3 cells 1", {0.0025, false, 1}},
      {"tip-gap 1% cells 4 pinch 2%", {1.0, true, 4, 2.0, true}},
      {"tip-gap 0.002 pinch 0.01 cells 3", {0.002, false, 3, 0.01, false}},
      {"tip-gap 1% pinch auto", {1.0, true, kDefaultGapCells, 0, false, true}},
  };
  for (const Entry& e : entries) {
    const Deck_block block = Parse_deck_block(std::string("torvane-block 1\n") + e.line + "\nend torvane-block\n", 40);
    ASSERT_TRUE(block.tip_gap.has_value()) << e.line;
    EXPECT_EQ(block.tip_gap->value, e.gap.value) << e.line;
    EXPECT_EQ(block.tip_gap->percent_of_span, e.gap.percent_of_span) << e.line;
    EXPECT_EQ(block.tip_gap->cells, e.gap.cells) << e.line;
    EXPECT_EQ(block.tip_gap->pinch, e.gap.pinch) << e.line;
    EXPECT_EQ(block.tip_gap->pinch_percent_of_span, e.gap.pinch_percent_of_span) << e.line;
    EXPECT_EQ(block.tip_gap->pinch_auto, e.gap.pinch_auto) << e.line;
    EXPECT_EQ(block.tip_gap_line, 41) << e.line;
  }
}

TEST(TipGapBlock, RefusalsNameTheDeckLine) {
  const std::string kForm =
      "deck line 41 (tip-gap): write `tip-gap VALUE`, `tip-gap VALUE cells N`, `tip-gap VALUE pinch P` or `tip-gap "
      "VALUE cells N pinch P` (VALUE and P a length or P% of span, P also auto)";
  struct Case {
    const char* line;
    std::string diagnostic;
  };
  const Case cases[] = {
      {"tip-gap", kForm},
      {"tip-gap 1% cells", kForm},
      {"tip-gap 1% rows 4", kForm},
      {"tip-gap 30%", "deck line 41 (tip-gap): \"30%\" is more than a quarter of the span"},
      {"tip-gap 0", "deck line 41 (tip-gap): \"0\" is no gap: the tip clearance must be greater than 0"},
      {"tip-gap 1% cells 0", "deck line 41 (tip-gap): \"0\" cells: the gap needs at least 1"},
      {"tip-gap 1% pinch -1%",
       "deck line 41 (tip-gap): pinch \"-1%\" is no pinch: the height below the tip cannot be negative"},
      {"tip-gap 1% pinch 100%", "deck line 41 (tip-gap): pinch \"100%\" is the whole span or more"},
      {"tip-gap 1% pinch 1% pinch 2%", kForm},
      {"tip-gap 1% cells 4 cells 4", kForm},
      {"tip-gap 1% pinch", kForm},
  };
  for (const Case& c : cases) {
    try {
      Parse_deck_block(std::string("torvane-block 1\n") + c.line + "\nend torvane-block\n", 40);
      ADD_FAILURE() << c.line << " was taken";
    } catch (const Run_stop& stop) {
      EXPECT_EQ(stop.status, kExitRefused) << c.line;
      EXPECT_EQ(stop.diagnostic, c.diagnostic);
    }
  }
}

TEST(TipGapBlock, TheBlocksGapGivesTheFilesOfTipGapAndIsNotGivenTwice) {
  Scratch_folder by_option, by_block;
  Run_options options;
  options.tip_gap = Tip_gap_request{1.0, true, 4};
  auto run = [](const Scratch_folder& folder, const std::string& deck, Run_options options, std::string& out,
                std::string& err) {
    options.output_stem = folder.path() + "/run";
    std::istringstream in(deck);
    Console o, e;
    const int status = torvane::Run(in, o, e, options);
    out = o.captured();
    err = e.captured();
    return status;
  };
  const std::string block = "torvane-block 1\ntip-gap 1% cells 4\nend torvane-block\n";
  std::string out_a, err_a, out_b, err_b;
  ASSERT_EQ(run(by_option, Deck(), options, out_a, err_a), 0) << err_a;
  ASSERT_EQ(run(by_block, Deck() + block, {}, out_b, err_b), 0) << err_b;
  EXPECT_EQ(out_a, out_b);
  for (const char* file : {"/run.rgra", "/run.rtp", "/run_grid_volume.plt"}) {
    EXPECT_EQ(testing::Read_file(by_option.path() + file), testing::Read_file(by_block.path() + file)) << file;
  }
  // A pinch: --tip-gap with --tip-pinch, the block's entry, and --tip-pinch over the block's gap give one grid.
  Run_options pinched = options;
  pinched.tip_gap->pinch = 2.0;
  pinched.tip_gap->pinch_percent_of_span = true;
  Run_options pinch_only;
  pinch_only.tip_pinch = Tip_gap_request{0, false, kDefaultGapCells, 2.0, true};
  Scratch_folder pinched_by_option, pinched_by_block, pinched_over_block;
  std::string out_c, err_c;
  ASSERT_EQ(run(pinched_by_option, Deck(), pinched, out_a, err_a), 0) << err_a;
  ASSERT_EQ(run(pinched_by_block, Deck() + "torvane-block 1\ntip-gap 1% cells 4 pinch 2%\nend torvane-block\n", {},
                out_b, err_b),
            0)
      << err_b;
  ASSERT_EQ(run(pinched_over_block, Deck() + block, pinch_only, out_c, err_c), 0) << err_c;
  EXPECT_NE(
      out_a.find(" Tip gap              : 0.0025 (4 cells, blade tip at k = 17, walls closed over 0.005 below it)"),
      std::string::npos)
      << out_a;
  EXPECT_EQ(out_a, out_b);
  EXPECT_EQ(out_a, out_c);
  for (const char* file : {"/run.rgra", "/run.rtp", "/run_grid_volume.plt"}) {
    const std::string grid = testing::Read_file(pinched_by_option.path() + file);
    EXPECT_EQ(grid, testing::Read_file(pinched_by_block.path() + file)) << file;
    EXPECT_EQ(grid, testing::Read_file(pinched_over_block.path() + file)) << file;
  }
  EXPECT_NE(testing::Read_file(pinched_by_option.path() + "/run.rgra"),
            testing::Read_file(by_option.path() + "/run.rgra"));

  Scratch_folder both;
  EXPECT_EQ(run(both, Deck() + block, options, out_a, err_a), 2);
  const int line = static_cast<int>(testing::Small_deck_lines().size()) + 2;
  EXPECT_EQ(err_a, "torvane: deck line " + std::to_string(line) +
                       " (tip-gap): the deck's block gives the tip gap and so does --tip-gap; give it once\r\n");
}

}  // namespace
}  // namespace torvane
