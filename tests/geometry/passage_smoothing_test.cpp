// The smoothed passage against the grid as built, on the shipped examples: what
// must not move (the blade, x and r of every point, the first spacing at hub
// and casing, the periodic pair one pitch apart) and what must change (the
// first and last cells square to inlet and outlet, the stagnation and wake
// lines along the bisector of the blade's walls).
#include "geometry/passage_smoothing.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <numbers>
#include <sstream>

#include "control/grid_storage.hpp"
#include "control/run.hpp"
#include "support/decks.hpp"

namespace torvane {
namespace {

struct Built {
  std::unique_ptr<Grid_storage> storage;
  Grid_build build;
  Grid grid() const { return storage->grid(); }
};

Built Build(const std::string& deck, bool smooth, const char* tip_gap = nullptr, const char* flow_path = nullptr) {
  Run_options options;
  options.smooth = smooth;
  if (tip_gap != nullptr) options.tip_gap = Tip_gap_request{std::stod(tip_gap), false};
  if (flow_path != nullptr) options.flow_path = std::string(TORVANE_SOURCE_DIR) + "/examples/" + flow_path;
  std::istringstream in(deck);
  Built built;
  built.build = Build_grid(in, built.storage, options);
  return built;
}

std::string Example(const char* name) {
  std::ifstream file(std::string(TORVANE_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

double Theta(const Grid& g, int i, int j, int k) { return std::atan2(g.yg(i, j, k), g.zg(i, j, k)); }
double Radius(const Grid& g, int i, int j, int k) { return std::hypot(g.yg(i, j, k), g.zg(i, j, k)); }
double Wrapped(double a) { return std::remainder(a, 2 * std::numbers::pi); }

double Distance(const Grid& g, int i, int j, int k, int i2, int j2, int k2) {
  return std::hypot(g.xg(i, j, k) - g.xg(i2, j2, k2), g.yg(i, j, k) - g.yg(i2, j2, k2),
                    g.zg(i, j, k) - g.zg(i2, j2, k2));
}

// The angle [deg] from the axial direction of the segment from station a to b along line j of plane k.
double Line_angle(const Grid& g, int a, int b, int j, int k) {
  const double r = Radius(g, a, j, k);
  return std::atan2(r * Wrapped(Theta(g, b, j, k) - Theta(g, a, j, k)), g.xg(b, j, k) - g.xg(a, j, k)) * 180 /
         std::numbers::pi;
}

struct Smoothing_case {
  const char* name;
  const char* example;
  const char* tip_gap;    // a length, or nullptr
  const char* flow_path;  // in examples/, or nullptr
};

const Smoothing_case kCases[] = {
    {"compressor rotor", "compressor_rotor.in", nullptr, nullptr},
    {"turbine stator", "turbine_stator.in", nullptr, nullptr},
    {"compressor rotor with a tip gap", "compressor_rotor.in", "0.005", nullptr},
    {"turbine stator on its flow path", "turbine_stator.in", nullptr, "turbine_stator.path"},
};

TEST(PassageSmoothing, KeepsTheBladeTheSurfacesTheWallSpacingAndThePeriodicPair) {
  for (const Smoothing_case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string deck = Example(c.example);
    const Built plain = Build(deck, false, c.tip_gap, c.flow_path);
    const Built smooth = Build(deck, true, c.tip_gap, c.flow_path);
    ASSERT_EQ(plain.build.status, 0) << plain.build.diagnostic;
    ASSERT_EQ(smooth.build.status, 0) << smooth.build.diagnostic;
    const Block_sizes& b = plain.build.block;
    const Grid p = plain.grid(), s = smooth.grid();
    const double pitch = plain.build.dphi;
    int moved = 0;
    for (int k = 1; k <= b.ke; ++k) {
      for (int j = 1; j <= b.je; ++j) {
        for (int i = 1; i <= b.ie; ++i) {
          const bool blade = i >= b.ile && i <= b.ite;
          if (blade) {
            // Bit for bit: the walls, their spacing and the gap over the tip.
            ASSERT_EQ(s.yg(i, j, k), p.yg(i, j, k)) << i << " " << j << " " << k;
            ASSERT_EQ(s.zg(i, j, k), p.zg(i, j, k)) << i << " " << j << " " << k;
          }
          ASSERT_EQ(s.xg(i, j, k), p.xg(i, j, k));
          ASSERT_NEAR(Radius(s, i, j, k), Radius(p, i, j, k), 1e-13) << i << " " << j << " " << k;
          if (s.yg(i, j, k) != p.yg(i, j, k)) ++moved;
        }
        // Hub and casing keep their first spacing: their wall layers turn as one.
        for (int i = 1; i <= b.ie; ++i) {
          ASSERT_NEAR(Distance(s, i, j, 1, i, j, 2), Distance(p, i, j, 1, i, j, 2), 1e-13);
          ASSERT_NEAR(Distance(s, i, j, b.ke, i, j, b.ke - 1), Distance(p, i, j, b.ke, i, j, b.ke - 1), 1e-13);
        }
      }
      // Ahead of and behind the blade j = je stays j = 1 turned by the pitch.
      for (int i = 1; i <= b.ie; ++i) {
        if (i >= b.ile && i <= b.ite) continue;
        const double turn = std::fabs(Wrapped(Theta(s, i, b.je, k) - Theta(s, i, 1, k)));
        ASSERT_NEAR(turn, pitch, 1e-12) << i << " " << k;
      }
    }
    EXPECT_GT(moved, b.ie * b.je * b.ke / 4) << "the smoothing left the passage as built";
  }
}

TEST(PassageSmoothing, MeetsInletAndOutletSquareAndTheEdgesAlongTheBisectorOfTheWalls) {
  for (const Smoothing_case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string deck = Example(c.example);
    const Built plain = Build(deck, false, c.tip_gap, c.flow_path);
    const Built smooth = Build(deck, true, c.tip_gap, c.flow_path);
    ASSERT_EQ(smooth.build.status, 0) << smooth.build.diagnostic;
    const Block_sizes& b = plain.build.block;
    const Grid p = plain.grid(), s = smooth.grid();
    for (int k = 1; k <= b.ke; k += b.ke / 4) {
      for (int j : {1, b.je / 2}) {
        // The decks' lines leave the inlet and reach the outlet at 24 to 60
        // degrees; the first and last cells lie on the parabolas square to
        // the boundaries, their chords at a fraction of that.
        const double inlet = Line_angle(p, 1, 2, j, k), outlet = Line_angle(p, b.ie - 1, b.ie, j, k);
        ASSERT_GT(std::fabs(inlet), 20.0);
        ASSERT_GT(std::fabs(outlet), 20.0);
        EXPECT_LT(std::fabs(Line_angle(s, 1, 2, j, k)), 0.35 * std::fabs(inlet))
            << "inlet, plane " << k << ", line " << j;
        EXPECT_LT(std::fabs(Line_angle(s, b.ie - 1, b.ie, j, k)), 0.35 * std::fabs(outlet))
            << "outlet, plane " << k << ", line " << j;
      }
      if (c.tip_gap != nullptr && k > b.ke - 6) continue;  // over the tip the gap's faces meet no edge
      // The bisector of the walls leaving the leading edge, the pressure wall turned back by the pitch.
      const double suction = Line_angle(s, b.ile, b.ile + 1, 1, k), pressure = Line_angle(s, b.ile, b.ile + 1, b.je, k);
      const double bisector = (suction + pressure) / 2;
      const double built = Line_angle(p, b.ile - 1, b.ile, 1, k), smoothed = Line_angle(s, b.ile - 1, b.ile, 1, k);
      EXPECT_LT(std::fabs(smoothed - bisector), 0.5 * std::fabs(built - bisector))
          << "leading edge, plane " << k << ": built " << built << ", smoothed " << smoothed << ", bisector "
          << bisector;
      const double te_bisector = (Line_angle(s, b.ite - 1, b.ite, 1, k) + Line_angle(s, b.ite - 1, b.ite, b.je, k)) / 2;
      const double te_built = Line_angle(p, b.ite, b.ite + 1, 1, k), te = Line_angle(s, b.ite, b.ite + 1, 1, k);
      EXPECT_LT(std::fabs(te - te_bisector), std::max(2.0, 0.5 * std::fabs(te_built - te_bisector)))
          << "trailing edge, plane " << k;
    }
  }
}

// With fewer than three stations before the leading edge there is no room
// for a blend: the stations ahead of the blade stay as built.
TEST(PassageSmoothing, LeavesTheEndsAsBuiltWhenTheyHaveNoRoomForABlend) {
  std::vector<std::string> lines = testing::Small_deck_lines();  // ile 4: three intervals before the edge
  lines[3] = "2         nin";
  const std::string deck = testing::Join(lines);
  const Built plain = Build(deck, false), smooth = Build(deck, true);
  ASSERT_EQ(smooth.build.status, 0) << smooth.build.diagnostic;
  const Block_sizes& b = plain.build.block;
  ASSERT_EQ(b.ile, 3);
  for (int k = 1; k <= b.ke; ++k) {
    for (int j = 1; j <= b.je; ++j) {
      for (int i = 1; i <= b.ite; ++i) EXPECT_EQ(smooth.grid().yg(i, j, k), plain.grid().yg(i, j, k));
    }
  }
}

}  // namespace
}  // namespace torvane
