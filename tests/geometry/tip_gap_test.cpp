// The tip gap's cut of a volume built through blade sections: the sections
// below the tip stay on grid planes, those above it and those the planes
// below the tip cannot take are cut as a volume without sections is.
#include "geometry/tip_gap.hpp"

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

  // The gap of 0.05 cut with gap_cells cells across it (no blade walls to close).
  void Cut(int gap_cells, const std::vector<Kept_station>& stations) {
    auto line = [&](int n) { return Line(std::span<double>(lines).subspan(static_cast<size_t>(n * kKe), kKe)); };
    const Tip_gap_work work{line(0), line(1), line(2), line(3), line(4), line(5), Line(row)};
    const Tip_gap_sizes sizes{kIe, kJe, kKe, 0, 0, gap_cells, 2, 1.2, 0.02, 1.0, 0.05, 0.1};
    testing::Captured_diagnostics diagnostics;
    Cut_tip_gap(sizes, work, stations, grid, diagnostics);
  }
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

}  // namespace
}  // namespace torvane
