#include "geometry/volume_grid.hpp"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "support/captured_diagnostics.hpp"

namespace torvane {
namespace {

// A grid of ie x je x ke points whose hub and casing surfaces are set by the
// test, with the storage extents of the program.
struct Storage {
  static constexpr int kLd = 257, kNd2 = 65, kNd3 = 49;
  std::vector<double> x = std::vector<double>(kLd * kNd2 * kNd3);
  std::vector<double> y = x, z = x;
  std::vector<double> p1 = std::vector<double>(kLd * kNd2), p2 = p1;
  std::vector<double> sspan = std::vector<double>(49), w1 = std::vector<double>(65), w2 = w1;
  std::vector<double> w3 = std::vector<double>(257), w4 = w3;
  Grid grid{Block(x, kLd, kNd2, kNd3), Block(y, kLd, kNd2, kNd3), Block(z, kLd, kNd2, kNd3)};
  std::vector<double> tj1 = std::vector<double>(kLd * kNd2), tj2 = tj1;
  std::vector<double> tk1 = std::vector<double>(kLd * kNd3), tk2 = tk1;
  Volume_work work{Plane(p1, kLd, kNd2),
                   Plane(p2, kLd, kNd2),
                   Line(sspan),
                   Line(w1),
                   Line(w2),
                   Line(w3),
                   Line(w4),
                   Plane(tj1, kLd, kNd2),
                   Plane(tj2, kLd, kNd2),
                   Plane(tk1, kLd, kNd3),
                   Plane(tk2, kLd, kNd3)};

  // Hub at radius 1 and casing at radius 2 around a passage of straight lines.
  void Surfaces(int ie, int je, int ke) {
    for (int i = 1; i <= ie; ++i) {
      for (int j = 1; j <= je; ++j) {
        double theta = 0.02 * (j - 1) + 0.001 * i;
        grid.xg(i, j, 1) = 0.01 * i;
        grid.yg(i, j, 1) = std::sin(theta);
        grid.zg(i, j, 1) = std::cos(theta);
        grid.xg(i, j, ke) = 0.01 * i + 0.005;
        grid.yg(i, j, ke) = 2.0 * std::sin(theta + 0.003);
        grid.zg(i, j, ke) = 2.0 * std::cos(theta + 0.003);
      }
    }
  }
};

TEST(VolumeGrid, TwoSpanwisePointsLeaveTheSurfacesExactlyAsBuilt) {
  Storage s;
  s.Surfaces(6, 4, 2);
  std::vector<double> x = s.x, y = s.y, z = s.z;
  testing::Captured_diagnostics diagnostics;
  Build_volume(Volume_sizes{6, 4, 2, 1, 1.2, 0.01, 1.0}, s.work, s.grid, diagnostics);
  EXPECT_EQ(s.x, x);
  EXPECT_EQ(s.y, y);
  EXPECT_EQ(s.z, z);
  EXPECT_EQ(diagnostics.captured(), "");
}

TEST(VolumeGrid, TheSideLinesAreStraightAtTheSpanwiseFractions) {
  Storage s;
  const int ie = 5, je = 4, ke = 9;
  s.Surfaces(ie, je, ke);
  testing::Captured_diagnostics diagnostics;
  Build_volume(Volume_sizes{ie, je, ke, 2, 1.2, 0.01, 1.0}, s.work, s.grid, diagnostics);
  // The wall layer: two intervals 0.01 and 0.012 at each end.
  EXPECT_EQ(s.sspan[0], 0.0);
  EXPECT_EQ(s.sspan[1], 0.01);
  EXPECT_EQ(s.sspan[2], 0.01 + 0.01 * 1.2);
  EXPECT_EQ(s.sspan[ke - 1], 1.0);
  for (int i = 1; i <= ie; ++i) {
    for (int j : {1, je}) {
      for (int k = 2; k < ke; ++k) {
        double f = s.sspan[k - 1];  // span is 1
        const Grid& g = s.grid;
        EXPECT_NEAR(g.yg(i, j, k), g.yg(i, j, 1) + f * (g.yg(i, j, ke) - g.yg(i, j, 1)), 1e-15);
        EXPECT_NEAR(g.zg(i, j, k), g.zg(i, j, 1) + f * (g.zg(i, j, ke) - g.zg(i, j, 1)), 1e-15);
        EXPECT_NEAR(g.xg(i, j, k), g.xg(i, j, 1) + f * (g.xg(i, j, ke) - g.xg(i, j, 1)), 1e-15);
      }
    }
  }
}

TEST(VolumeGrid, EqualHubAndCasingYGiveTheSpanwiseFractionNotNaN) {
  Storage s;
  const int ie = 3, je = 3, ke = 5;
  s.Surfaces(ie, je, ke);
  // A radial line at y = 0 on both surfaces (a leading edge on the axis plane).
  s.grid.yg(2, 1, 1) = 0.0;
  s.grid.yg(2, 1, ke) = 0.0;
  s.grid.zg(2, 1, 1) = 1.0;
  s.grid.zg(2, 1, ke) = 2.0;
  testing::Captured_diagnostics diagnostics;
  Build_volume(Volume_sizes{ie, je, ke, 0, 1.2, 0.25, 1.0}, s.work, s.grid, diagnostics);
  for (int k = 2; k < ke; ++k) {
    double fraction = s.sspan[k - 1] / 1.0;
    EXPECT_EQ(s.grid.xg(2, 1, k), s.grid.xg(2, 1, 1) + fraction * (s.grid.xg(2, 1, ke) - s.grid.xg(2, 1, 1)));
    EXPECT_TRUE(std::isfinite(s.grid.xg(2, 1, k)));
  }
}

TEST(VolumeGrid, TheInsideOfEachCrossSectionLiesBetweenHubAndCasing) {
  Storage s;
  const int ie = 4, je = 6, ke = 7;
  s.Surfaces(ie, je, ke);
  testing::Captured_diagnostics diagnostics;
  Build_volume(Volume_sizes{ie, je, ke, 2, 1.1, 0.05, 1.0}, s.work, s.grid, diagnostics);
  for (int i = 1; i <= ie; ++i) {
    for (int j = 1; j <= je; ++j) {
      for (int k = 2; k < ke; ++k) {
        double r = std::hypot(s.grid.yg(i, j, k), s.grid.zg(i, j, k));
        EXPECT_GT(r, 1.0);
        EXPECT_LT(r, 2.0);
        EXPECT_GT(r, std::hypot(s.grid.yg(i, j, k - 1), s.grid.zg(i, j, k - 1)));
      }
    }
  }
}

}  // namespace
}  // namespace torvane
