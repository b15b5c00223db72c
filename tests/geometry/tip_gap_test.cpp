// The tip gap's cut of a volume built through blade sections: the sections
// below the tip stay on grid planes, those above it and those the planes
// below the tip cannot take are cut as a volume without sections is.
#include "geometry/tip_gap.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "support/captured_diagnostics.hpp"

namespace torvane {
namespace {

constexpr int kIe = 3, kJe = 3, kKe = 13;

// A volume of straight spanwise lines leaning downstream from the hub
// (radius 1) to the casing (radius 2), built with its points evenly spread,
// and the lines the cut works in.
struct Volume {
  std::vector<double> x = std::vector<double>(kIe * kJe * kKe), y = x, z = x;
  std::vector<double> lines = std::vector<double>(6 * kKe), row = std::vector<double>(kJe);
  Grid grid{Block(x, kIe, kJe, kKe), Block(y, kIe, kJe, kKe), Block(z, kIe, kJe, kKe)};

  Volume() {
    for (int k = 1; k <= kKe; ++k) {
      const double r = 1.0 + static_cast<double>(k - 1) / (kKe - 1);
      for (int j = 1; j <= kJe; ++j) {
        for (int i = 1; i <= kIe; ++i) {
          const double theta = 0.05 * (j - 1) + 0.01 * i;
          grid.xg(i, j, k) = 0.1 * i + 0.2 * (r - 1.0);
          grid.yg(i, j, k) = r * std::sin(theta);
          grid.zg(i, j, k) = r * std::cos(theta);
        }
      }
    }
  }
  double Radius(int i, int j, int k) const { return std::hypot(grid.yg(i, j, k), grid.zg(i, j, k)); }

  Line Work_line(int n) { return Line(std::span<double>(lines).subspan(static_cast<size_t>(n * kKe), kKe)); }

  // The gap of 0.05 cut with gap_cells cells across it (no blade walls to close).
  void Cut(int gap_cells, const std::vector<Kept_station>& stations) {
    const Tip_gap_work work{Work_line(0), Work_line(1), Work_line(2), Work_line(3),
                            Work_line(4), Work_line(5), Line(row)};
    const Tip_gap_sizes sizes{kIe, kJe, kKe, 0, 0, gap_cells, 2, 1.2, 0.02, 1.0, 0.05, 0.1};
    testing::Captured_diagnostics diagnostics;
    Cut_tip_gap(sizes, work, stations, grid, diagnostics);
  }

  // The same cut with a blade at stations 2 and 3 (station 1 lies upstream
  // of it): its walls j = 1 and j = je are 0.1 rad apart in a pitch of 0.2,
  // so the camber lies 0.05 rad back from j = 1 at theta 0.01 i - 0.05. Its
  // walls close over `pinch` below the tip, or over the blade's half thickness.
  void Cut_blade(int gap_cells, double pinch, bool pinch_auto = false) {
    const Tip_gap_work work{Work_line(0), Work_line(1), Work_line(2), Work_line(3),
                            Work_line(4), Work_line(5), Line(row)};
    const Tip_gap_sizes sizes{kIe, kJe, kKe, 2, kIe, gap_cells, 2, 1.2, 0.02, 1.0, 0.05, 0.2, pinch, pinch_auto};
    testing::Captured_diagnostics diagnostics;
    Cut_tip_gap(sizes, work, {}, grid, diagnostics);
  }
  double Theta(int i, int j, int k) const { return std::atan2(grid.yg(i, j, k), grid.zg(i, j, k)); }
  double Lower(int k) { return Work_line(0)(k); }
};

TEST(TipGapCut, ASectionBelowTheTipKeepsItsPointsOnAPlaneOfItsOwn) {
  struct Case {
    const char* name;
    int gap_cells;
    std::vector<Kept_station> stations;
  };
  // Planes 5 and 9 as built lie at a third and two thirds of the span.
  const Case cases[] = {
      {"one section", 4, {{5, 1.0 / 3.0}}},
      {"two sections", 4, {{5, 1.0 / 3.0}, {9, 2.0 / 3.0}}},
      {"two sections, one cell across the gap", 1, {{5, 1.0 / 3.0}, {9, 2.0 / 3.0}}},
  };
  for (const Case& c : cases) {
    const Volume built;
    Volume cut;
    cut.Cut(c.gap_cells, c.stations);
    const int kt = kKe - c.gap_cells;
    int previous = 1;
    for (const Kept_station& station : c.stations) {
      // The plane below the tip whose points are the section's, as built, on every line.
      int plane = 0;
      for (int k = previous + 1; k < kt && plane == 0; ++k) {
        bool all = true;
        for (int j = 1; j <= kJe; ++j) {
          for (int i = 1; i <= kIe; ++i) {
            all = all && cut.grid.xg(i, j, k) == built.grid.xg(i, j, station.k) &&
                  cut.grid.yg(i, j, k) == built.grid.yg(i, j, station.k) &&
                  cut.grid.zg(i, j, k) == built.grid.zg(i, j, station.k);
          }
        }
        if (all) plane = k;
      }
      EXPECT_NE(plane, 0) << c.name << ": no plane below the tip holds the section built on plane " << station.k;
      previous = plane;
    }
    for (int j = 1; j <= kJe; ++j) {
      for (int i = 1; i <= kIe; ++i) {
        EXPECT_NEAR(cut.Radius(i, j, kt), 1.95, 1e-12) << c.name << ": the tip of line " << i << ", " << j;
        for (int k = 2; k <= kKe; ++k) {
          EXPECT_GT(cut.Radius(i, j, k), cut.Radius(i, j, k - 1))
              << c.name << ": line " << i << ", " << j << ", k " << k;
        }
      }
    }
  }
}

TEST(TipGapCut, SectionsTheTipCutsOffOrThePlanesBelowItCannotTakeLeaveTheCutOfAVolumeWithoutThem) {
  struct Case {
    const char* name;
    int gap_cells;
    std::vector<Kept_station> stations;
  };
  const Case cases[] = {
      {"a section above the tip", 4, {{12, 0.97}}},
      {"two sections for one plane below the tip", 10, {{5, 1.0 / 3.0}, {9, 2.0 / 3.0}}},
  };
  for (const Case& c : cases) {
    Volume plain, cut;
    plain.Cut(c.gap_cells, {});
    cut.Cut(c.gap_cells, c.stations);
    EXPECT_EQ(cut.x, plain.x) << c.name;
    EXPECT_EQ(cut.y, plain.y) << c.name;
    EXPECT_EQ(cut.z, plain.z) << c.name;
  }
}

TEST(TipGapCut, ASectionBetweenTheWallLayersLeavesTheirPointsWhereTheyWereWithoutIt) {
  Volume plain, cut;
  plain.Cut(2, {});
  cut.Cut(2, {{7, 0.5}});
  // The hub's two layers (k = 1 .. 3) and the tip's below kt = 11 (k >= 7 would be the section's).
  for (int j = 1; j <= kJe; ++j) {
    for (int i = 1; i <= kIe; ++i) {
      for (int k : {2, 3, 10, 11}) {
        EXPECT_NEAR(cut.Radius(i, j, k), plain.Radius(i, j, k), 1e-12) << i << ", " << j << ", k " << k;
      }
    }
  }
}

// The blade's walls close onto the camber wholly from the tip plane up and,
// with a pinch, in a straight taper over the planes of that height below it:
// the share of the way closed grows in proportion to the height from the
// last plane that keeps its walls (the highest one at least the pinch below
// the tip), and the rows between the walls keep their order.
TEST(TipGapPinch, TheWallsCloseOntoTheCamberInProportionToTheHeightOverThePinch) {
  const int kt = kKe - 4;
  Volume plain;
  plain.Cut_blade(4, 0);
  auto below_tip = [&](int k) { return plain.Lower(kt) - plain.Lower(k); };
  // The blade's half thickness at the tip: the chord of 0.05 rad at the tip's radius 1.95.
  const double half_thickness = 2 * 1.95 * std::sin(0.025);
  int auto_kp = kt - 1;
  while (below_tip(auto_kp) < half_thickness) --auto_kp;
  struct Case {
    const char* name;
    double pinch;
    bool pinch_auto;
    int kp;  // the last plane whose walls stay where they are
  };
  const Case cases[] = {
      {"no pinch: over the last interval", 0.0, false, kt - 1},
      {"a pinch shorter than the last interval", 1e-9, false, kt - 1},
      {"a pinch of exactly three intervals", below_tip(kt - 3), false, kt - 3},
      {"a pinch a little over three intervals", below_tip(kt - 3) + 1e-9, false, kt - 4},
      {"a pinch past the second plane: from the hub", below_tip(2) + 1e-9, false, 1},
      {"auto: the half thickness", 0.0, true, auto_kp},
  };
  ASSERT_LT(auto_kp, kt - 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Volume v;
    v.Cut_blade(4, c.pinch, c.pinch_auto);
    for (int i = 1; i <= kIe; ++i) {
      for (int k = 1; k <= kKe; ++k) {
        double expected = k <= c.kp ? 0.0
                          : k >= kt ? 1.0
                                    : (v.Lower(k) - v.Lower(c.kp)) / (v.Lower(kt) - v.Lower(c.kp));
        if (i == 1) expected = 0;  // upstream of the blade the lines stay where they are
        // The walls' share of their way to the camber, 0.05 rad each.
        const double first = (0.01 * i - v.Theta(i, 1, k)) / 0.05;
        const double last = (v.Theta(i, kJe, k) - (0.1 + 0.01 * i)) / 0.05;
        EXPECT_NEAR(first, expected, 1e-12) << "i " << i << ", k " << k;
        EXPECT_NEAR(last, expected, 1e-12) << "i " << i << ", k " << k;
        for (int j = 2; j <= kJe; ++j) EXPECT_GT(v.Theta(i, j, k), v.Theta(i, j - 1, k)) << i << ", " << j << ", " << k;
      }
    }
  }
}

// The hub-to-tip distribution rises from the hub to the tip with no interval
// shrinking to nothing, and its tip layer ends where the blend can take it
// over: thick hub layers of a wall-resolving deck once left the blend a mean
// interval below the tip layer's last, and its cubic folded the line.
TEST(TipGapDistribution, RisesFromTheHubToTheTipAndItsBlendNeverFolds) {
  struct Case {
    const char* name;
    int ke, nwallhc;
    double dzwall, gap;
    double largest_jump;  // of neighbouring intervals below the tip
  };
  const Case cases[] = {
      // Span 0.25, 1 % gap: the share-of-span layers of 16 intervals (the tip layer jumps into
      // the core, which torvane-deck avoids by choosing more) and of 48.
      {"share of span, nspan 16", 17, 4, 0.006, 0.0025, 250.0},
      {"share of span, nspan 48", 49, 4, 0.006, 0.0025, 1.3},
      // y+ 1 layers: 37 intervals from 2.6e-6 m take 11 mm of the 0.25 m.
      {"wall-resolving layers, nspan 176", 177, 37, 2.604e-6, 0.0025, 1.25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<double> lower(static_cast<size_t>(c.ke)), across(lower.size());
    const Tip_gap_work work{Line(lower), Line(across), {}, {}, {}, {}, {}};
    const Tip_gap_sizes sizes{0, 0, c.ke, 0, 0, 6, c.nwallhc, 1.2, c.dzwall, 0.25, c.gap, 0.1};
    testing::Captured_diagnostics diagnostics;
    Spanwise_distribution(sizes, work, diagnostics);
    const int kt = Tip_plane(c.ke, 6);
    EXPECT_EQ(work.lower(1), 0.0);
    EXPECT_EQ(work.lower(kt), 0.25 - c.gap);
    double worst = 1;
    for (int k = 2; k <= kt; ++k) {
      ASSERT_GT(work.lower(k), work.lower(k - 1)) << "k " << k;
      if (k < kt) {
        const double a = work.lower(k) - work.lower(k - 1), b = work.lower(k + 1) - work.lower(k);
        worst = std::max(worst, std::max(a / b, b / a));
      }
    }
    EXPECT_LT(worst, c.largest_jump);
    // The tip layer starts with the gap's first interval.
    EXPECT_NEAR(work.lower(kt) - work.lower(kt - 1), c.gap * work.across(kt + 1), 1e-12);
  }
}

}  // namespace
}  // namespace torvane
