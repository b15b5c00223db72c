// torvane-deck across the design space with its defaults: hub/tip ratios
// 0.4 to 0.9, staggers 0 to 60 degrees, 10 to 90 blades, a compressor, a
// symmetric and a turbine-like section. Every deck written gives a grid
// torvane accepts (checked in process, and on a sample by torvane and
// torvane-inspect report as processes); every deck refused names the option
// to change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "base/grid_check.hpp"
#include "control/grid_storage.hpp"
#include "control/grid_verdict.hpp"
#include "control/run.hpp"
#include "deck/deck_build.hpp"
#include "deck/deck_main.hpp"
#include "support/process.hpp"
#include "support/scratch_folder.hpp"

namespace torvane::deck {
namespace {

using torvane::testing::Run_program;
using torvane::testing::Scratch_folder;

#ifdef TORVANE_SANITIZED
// About ten times slower: the corners and the middle of each range.
constexpr double kHubTipRatios[] = {0.4, 0.9};
constexpr int kStaggers[] = {0, 60};
constexpr int kBladeCounts[] = {10, 50, 90};
#else
constexpr double kHubTipRatios[] = {0.4, 0.55, 0.7, 0.83, 0.9};
constexpr int kStaggers[] = {0, 15, 30, 45, 60};
constexpr int kBladeCounts[] = {10, 30, 50, 70, 90};
#endif
constexpr const char* kSections[] = {"naca65410.dat", "naca0012.dat", "arc50_t12.dat"};

// Every how many written decks one is also run through the two programs as processes.
constexpr int kProcessSample = 25;

// One point of the design space, as options of torvane-deck.
struct Design {
  std::string section;
  double hub_tip;
  int stagger;
  int blades;

  std::string Name() const {
    char text[160];
    std::snprintf(text, sizeof text, "%s hub/tip %.2f stagger %d blades %d", section.c_str(), hub_tip, stagger, blades);
    return text;
  }
  // rhub stays at its default 0.25; rcas gives the ratio.
  std::vector<Setting> Settings() const {
    char rcas[32];
    std::snprintf(rcas, sizeof rcas, "%.6g", 0.25 / hub_tip);
    return {{"rcas", rcas, "--rcas"},
            {"staghub", std::to_string(stagger), "--staghub"},
            {"stagcas", std::to_string(stagger), "--stagcas"},
            {"nbrow", std::to_string(blades), "--nbrow"},
            {"fname", "run", "--fname"}};
  }
};

// The smallest scaled Jacobian of the deck's grid built in process, or why it was not built.
struct Grid_measure {
  int status = 0;
  std::string diagnostic;
  double min_jacobian = 2;
  int at_i = 0, at_j = 0, at_k = 0;
  Block_sizes block{};
};

Grid_measure Measure(const std::string& deck, Grid_storage& storage) {
  std::istringstream in(deck);
  const Grid_build build = Build_grid(in, storage);
  Grid_measure m;
  m.status = build.status;
  m.diagnostic = build.diagnostic;
  m.block = build.block;
  if (build.status != kExitComplete) return m;
  const Grid_sizes sizes{build.block.ile, build.block.ite, build.block.ie, build.block.je, build.block.ke};
  const Grid_points points = Points_of(storage.grid(), sizes);
  for (int k = 1; k < sizes.ke; ++k) {
    for (int j = 1; j < sizes.je; ++j) {
      for (int i = 1; i < sizes.ie; ++i) {
        const double jacobian = Cell_scaled_jacobian(points, i, j, k);
        if (jacobian < m.min_jacobian) m = {m.status, m.diagnostic, jacobian, i, j, k, m.block};
      }
    }
  }
  return m;
}

TEST(Envelope, EveryDeckWrittenGivesASoundGridAndEveryRefusalNamesAnOption) {
  const std::filesystem::path folder = std::filesystem::path(TORVANE_SHARED_DIR) / "data" / "airfoils";
  if (!std::filesystem::exists(folder / kSections[0])) GTEST_SKIP() << "shared airfoil data not found";
  auto storage = std::make_unique<Grid_storage>();
  Scratch_folder scratch;
  int written = 0, refused = 0;
  double worst = 2;
  std::string worst_at;
  for (const char* section : kSections) {
    const std::string path = (folder / section).string();
    for (double hub_tip : kHubTipRatios) {
      for (int stagger : kStaggers) {
        for (int blades : kBladeCounts) {
          const Design design{section, hub_tip, stagger, blades};
          SCOPED_TRACE(design.Name());
          const Deck_build build = Build_deck({{path, {}}, {path, {}}, "", "", design.Settings(), ""});
          if (build.status != kExitWritten) {
            ++refused;
            ASSERT_EQ(build.status, kExitProblems);
            for (const std::string& message : build.messages) {
              std::printf("refused %s: %s\n", design.Name().c_str(), message.c_str());
              EXPECT_TRUE(message.find("change --") != std::string::npos ||
                          message.find("lower --") != std::string::npos)
                  << message;
            }
            continue;
          }
          const Grid_measure m = Measure(build.deck, *storage);
          ASSERT_EQ(m.status, kExitComplete) << m.diagnostic;
          EXPECT_GT(m.min_jacobian, 0.0);
          if (m.min_jacobian < worst) {
            worst = m.min_jacobian;
            char where[128];
            std::snprintf(where, sizeof where, " at cell (%d, %d, %d) of %d x %d x %d, ile %d ite %d", m.at_i, m.at_j,
                          m.at_k, m.block.ie, m.block.je, m.block.ke, m.block.ile, m.block.ite);
            worst_at = design.Name() + where;
          }
          if (written++ % kProcessSample != 0) continue;
          // The sample: the deck file through torvane and torvane-inspect report as processes.
          std::ofstream(scratch.File("run.in")) << build.deck;
          const auto run = Run_program(TORVANE_BINARY, {}, scratch.File("run.in"), scratch.path());
          EXPECT_EQ(run.status, 0) << run.err;
          const auto report = Run_program(TORVANE_INSPECT_EXE, {"report", "run"}, "/dev/null", scratch.path());
          EXPECT_EQ(report.status, 0) << report.out << report.err;
        }
      }
    }
  }
  std::printf("envelope: %d decks written, %d refused; worst minimum scaled Jacobian %.4f, %s\n", written, refused,
              worst, worst_at.c_str());
  // The defaults make every design of the sweep sound, the worst cell no
  // worse than docs/deck-tool.md gives (0.039, at a wall cell of the hub's
  // trailing edge of the arc section at 60 degrees).
  EXPECT_EQ(refused, 0);
  EXPECT_GT(worst, 0.035);
}

}  // namespace
}  // namespace torvane::deck
