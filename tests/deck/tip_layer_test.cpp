// The spanwise count torvane-deck chooses for a deck with a tip gap: the
// intervals below the tip grow from the gap's first into the core, so the
// report finds no cell in its bad band of the volume ratio, where the count
// of a blade that reaches the casing left thousands.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <sstream>

#include "control/run.hpp"
#include "deck/deck_build.hpp"
#include "deck/deck_main.hpp"
#include "deck/deck_support.hpp"
#include "deck/rotor_deck.hpp"
#include "deck/tip_layer.hpp"
#include "inspect/quality/cell_quality.hpp"
#include "inspect/run_files/block_faces.hpp"
#include "inspect/run_files/grid_file.hpp"
#include "inspect/run_files/topology_file.hpp"
#include "support/scratch_folder.hpp"

namespace torvane::deck {
namespace {

namespace fs = std::filesystem;

// The first record value of the deck's line that names the record.
int Record_in_deck(const std::string& deck, const std::string& name) {
  const size_t at = deck.find(" " + name + ": ");
  if (at == std::string::npos) return -1;
  const size_t line = deck.rfind('\n', at);
  return std::atoi(deck.c_str() + (line == std::string::npos ? 0 : line + 1));
}

// The report's volume ratio of the deck's grid: largest, and the cells in the bad band.
struct Volume_ratio {
  double max = 0;
  long bad = -1;
};

Volume_ratio Volume_ratio_of(const std::string& deck) {
  torvane::testing::Scratch_folder folder;
  Run_options options;
  options.output_stem = folder.path() + "/run";
  std::istringstream in(deck);
  Console out, err;
  if (Run(in, out, err, options) != 0) {
    ADD_FAILURE() << err.captured();
    return {};
  }
  const inspect::Grid grid = inspect::Read_grid_file(options.output_stem + ".rgra");
  const std::string topology = options.output_stem + ".rtp";
  const inspect::Block_faces faces = inspect::Lay_out_faces(inspect::Read_topology_file(topology), topology, grid);
  const inspect::Quality_summary summary = inspect::Summarize(inspect::Measure_cells(grid, faces));
  return {summary.volume_ratio.max, summary.volume_ratio.bands[static_cast<int>(inspect::Band::bad)]};
}

std::string Rotor37_folder() {
  const fs::path folder = fs::path(TORVANE_SHARED_DIR) / "data" / "rotor37";
  return fs::exists(folder / "profile_R37.dat") ? folder.string() : "";
}

// A deck of the shared files with the settings; "" for the folder when they are absent.
using Deck_of = std::function<Deck_build(const std::vector<Setting>&)>;

// The gap, when given, over the info file's.
Deck_of Rotor37_deck(const std::string& folder, const std::string& gap = "") {
  return [folder, gap](const std::vector<Setting>& settings) {
    return Build_row_deck({folder + "/profile_R37.dat", folder + "/hub_R37.dat", folder + "/shroud_R37.dat",
                           folder + "/Info.txt", settings, "", "", "",
                           gap.empty() ? Setting{} : Setting{"tip-gap", gap, "--tip-gap"}});
  };
}

Deck_of Airfoil_deck(const std::string& path, const std::string& gap) {
  return [path, gap](std::vector<Setting> settings) {
    settings.push_back({"staghub", "30", "--staghub"});
    settings.push_back({"stagcas", "30", "--stagcas"});
    return Build_deck({{path, {}}, {path, {}}, "", "", settings, "", {"tip-gap", gap, "--tip-gap"}});
  };
}

TEST(TipLayer, AGapDecksCountGrowsTheIntervalsIntoTheCoreAndLeavesNoBadVolumeRatio) {
  const std::string folder = Rotor37_folder();
  const std::string naca = testing::Naca65410_path();
  if (folder.empty() || naca.empty()) GTEST_SKIP() << "shared Rotor 37 or airfoil files not found";
  struct Case {
    const char* name;
    Deck_of deck;
    int nspan;   // the count chosen
    bool large;  // --large: a count beyond the classic limits is taken, for curve files as for
                 // airfoil sections (the row's value check once held it to the classic limits)
  };
  const Case cases[] = {
      {"Rotor 37, the info file's 0.2% of span", Rotor37_deck(folder), 48, false},
      {"NACA 65-410, 1% of span", Airfoil_deck(naca, "1%"), 40, false},
      {"NACA 65-410, 0.5% of span", Airfoil_deck(naca, "0.5%"), 48, false},
      {"Rotor 37, 0.1% of span", Rotor37_deck(folder, "0.1%"), 56, true},
      {"NACA 65-410, 0.1% of span", Airfoil_deck(naca, "0.1%"), 56, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Setting> large =
        c.large ? std::vector<Setting>{{"large", "yes", "--large"}} : std::vector<Setting>{};
    const Deck_build chosen = c.deck(large);
    ASSERT_EQ(chosen.status, kExitWritten) << (chosen.messages.empty() ? "" : chosen.messages[0]);
    EXPECT_EQ(Record_in_deck(chosen.deck, "nspan"), c.nspan);
    EXPECT_NE(chosen.deck.find("nspan: intervals from hub to casing = the fewest, in steps of 8, whose intervals grow "
                               "from the tip gap "),
              std::string::npos);
    EXPECT_EQ(chosen.deck.find("\nlarge ") != std::string::npos, c.large);
    // The default tapered tip leaves no cell under the tip for the dry run to warn of.
    for (const std::string& message : chosen.messages) ADD_FAILURE() << message;
    const Volume_ratio good = Volume_ratio_of(chosen.deck);
    EXPECT_EQ(good.bad, 0);
    // The gap's own cosine clustering steps by 2.73 between its first two cells.
    EXPECT_LT(good.max, 2.8);
    std::printf("%s: nspan %d, largest volume ratio %.3g\n", c.name, c.nspan, good.max);

    // The count of a blade to the casing, given, is kept: its tip layer jumps into the gap.
    std::vector<Setting> sixteen = large;
    sixteen.push_back({"nspan", "16", "--nspan"});
    const Deck_build given = c.deck(sixteen);
    ASSERT_EQ(given.status, kExitWritten);
    EXPECT_EQ(Record_in_deck(given.deck, "nspan"), 16);
    const Volume_ratio jumps = Volume_ratio_of(given.deck);
    EXPECT_GT(jumps.bad, 1000);
    EXPECT_GT(jumps.max, 5 * good.max);
  }
}

TEST(TipLayer, ACountBeyondTheClassicLimitsIsRefusedNamingLarge) {
  TORVANE_REQUIRE_NACA(path);
  const Deck_build build = Airfoil_deck(path, "0.1%")({});
  EXPECT_EQ(build.status, kExitProblems);
  ASSERT_EQ(build.messages.size(), 1u);
  EXPECT_EQ(build.messages[0],
            "the tip gap 0.1% with 6 cells across it (its first interval 1.675e-05) needs nspan 56 for spanwise "
            "intervals growing into the core by at most 2.5 from one to the next, beyond the classic limits: add "
            "--large, or give --nspan");
}

TEST(TipLayer, TheJumpIsThatOfTheDistributionTheCutLaysOut) {
  Control_values v;
  v.nspan = 32;
  v.nwallhc = 4;
  v.ratio = 1.2;
  v.dzwall = 0.006;
  v.rhub = 0.25;
  v.rcas = 0.5;
  v.nbrow = 30;
  const Tip_gap_request one_percent{1.0, true, 6};
  struct Case {
    int nspan;
    double lo, hi;  // the jump lies between
  };
  // Read off the spanwise intervals of torvane's grids of these counts.
  const Case cases[] = {{32, 4.5, 4.9}, {40, 1.7, 1.9}, {48, 1.15, 1.25}};
  for (const Case& c : cases) {
    v.nspan = c.nspan;
    const auto fit = Tip_layer_jump(v, one_percent);
    ASSERT_TRUE(fit.has_value());
    EXPECT_GT(fit->jump, c.lo) << c.nspan;
    EXPECT_LT(fit->jump, c.hi) << c.nspan;
    EXPECT_NEAR(fit->gap_first, 0.0025 * (1 - std::cos(std::numbers::pi / 6)) / 2, 1e-15);
  }
  v.nspan = 6;  // no tip plane left below six gap cells
  EXPECT_FALSE(Tip_layer_jump(v, one_percent).has_value());
}

}  // namespace
}  // namespace torvane::deck
