#include "distribution/distribute_line.hpp"

#include <cmath>
#include <random>
#include <span>
#include <vector>

#include <gtest/gtest.h>

#include "support/captured_diagnostics.hpp"

namespace torvane {
namespace {

constexpr double kGuard = -777.0;

// A line of n points lent from the middle of a buffer whose guard elements on
// either side show any access beyond the line.
struct Guarded_line {
  explicit Guarded_line(int n) : buffer(n + 4, kGuard) {}
  Line line() { return Line(std::span<double>(buffer).subspan(2, buffer.size() - 4)); }
  bool guards_intact() const {
    return buffer[0] == kGuard && buffer[1] == kGuard && buffer[buffer.size() - 2] == kGuard && buffer.back() == kGuard;
  }
  std::vector<double> buffer;
};

TEST(DistributeLine, StretchesBothEndsWithRatio1Point2AndBlendsAtTheJunctionSlope) {
  Guarded_line g(17);
  Line x = g.line();
  testing::Captured_diagnostics diagnostics;
  Distribute_line(1, 6, 12, 17, 0.0, 0.74416, 2.105183, 2.849343, 0.1, 0.1, x, diagnostics);
  const double section[] = {0.1, 0.12, 0.144, 0.1728, 0.20736};
  for (int k = 0; k < 5; ++k) {
    EXPECT_NEAR(x(k + 2) - x(k + 1), section[k], 1e-12) << "start interval " << k + 1;
    EXPECT_NEAR(x(17 - k) - x(16 - k), section[k], 1e-12) << "end interval " << k + 1;
  }
  for (int k = 7; k <= 12; ++k) EXPECT_NEAR(x(k) - x(k - 1), 0.226837, 1e-6) << "blend interval at " << k;
  EXPECT_EQ(x(1), 0.0);
  EXPECT_EQ(x(6), 0.74416);
  EXPECT_NEAR(x(12), 2.105183, 1e-12);
  EXPECT_EQ(x(17), 2.849343);
  EXPECT_TRUE(g.guards_intact());
  EXPECT_EQ(diagnostics.captured(), "");
}

TEST(DistributeLine, OvershootsInTheBlendWhenTheSlopesDoNotFitTheGap) {
  std::vector<double> values(11);
  testing::Captured_diagnostics diagnostics;
  Distribute_line(1, 4, 8, 11, 0.0, 0.7, 1.3, 2.0, 0.1, 0.1, Line(values), diagnostics);
  EXPECT_EQ(values[3], 0.7);
  const double blend[] = {1.001694, 1.0, 0.998306, 1.3};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(values[4 + k], blend[k], 1e-6) << "point " << 5 + k;
}

TEST(DistributeLine, LetsTheEndSectionWinWhereTheSectionsOverlap) {
  // Both ratios are exactly 2 (the start value of their iteration is the root).
  std::vector<double> values(5);
  testing::Captured_diagnostics diagnostics;
  Distribute_line(1, 4, 2, 5, 0.0, 7.0, 3.0, 10.0, 1.0, 1.0, Line(values), diagnostics);
  EXPECT_EQ(values, (std::vector<double>{0.0, 3.0, 7.0, 9.0, 10.0}));
}

// Index sets the grid sizes can produce (few pitchwise points, nwall of 0 or
// 1, a blend of no interval, a ratio of exactly 1): finite values, computed by
// hand, and no access outside the line.
TEST(DistributeLine, FillsDegenerateIndexSetsWithFiniteValuesInsideTheLine) {
  struct Case {
    int i1, i2, i3, i4;
    double x1, x2, x3, x4, dx1, dx4;
    std::vector<double> expected;
    const char* what;
  } cases[] = {
      {1, 1, 5, 5, 0.0, 0.0, 1.0, 1.0, 0.25, 0.25, {0.0, 0.25, 0.5, 0.75, 1.0}, "nwall = 0: blend only"},
      {1, 2, 4, 5, 0.0, 0.25, 0.75, 1.0, 0.25, 0.25, {0.0, 0.25, 0.5, 0.75, 1.0}, "nwall = 1"},
      {1, 3, 3, 5, 0.0, 0.3, 0.3, 1.0, 0.1, 0.1, {0.0, 0.1, 0.3, 0.9, 1.0}, "blend of no interval"},
      {1, 3, 0, 2, 0.0, 0.5, 0.5, 1.0, 0.25, 0.25, {0.75, 1.0}, "i3 below i1"},
      // Stretch settles on exactly 1 for 3 intervals of 1 over 20: the junction
      // slopes are the last intervals, 1, and the blend is uniform.
      {1,
       4,
       6,
       9,
       0.0,
       20.0,
       22.0,
       42.0,
       1.0,
       1.0,
       {0.0, 1.0, 2.0, 20.0, 21.0, 22.0, 40.0, 41.0, 42.0},
       "ratio exactly 1"},
  };
  for (const auto& c : cases) {
    const int n = static_cast<int>(c.expected.size());
    Guarded_line g(n);
    Line x = g.line();
    testing::Captured_diagnostics diagnostics;
    Distribute_line(c.i1, c.i2, c.i3, c.i4, c.x1, c.x2, c.x3, c.x4, c.dx1, c.dx4, x, diagnostics);
    for (int k = 1; k <= n; ++k) EXPECT_EQ(x(k), c.expected[k - 1]) << c.what << ", point " << k;
    EXPECT_TRUE(g.guards_intact()) << c.what;
    EXPECT_EQ(diagnostics.captured(), "") << c.what;
  }
}

TEST(DistributeLine, NeverTouchesAnElementOutsideTheLineWhateverTheIndices) {
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> index(-3, 12);
  for (int trial = 0; trial < 3000; ++trial) {
    Guarded_line g(9);
    const int i1 = index(random), i2 = index(random), i3 = index(random), i4 = index(random);
    testing::Captured_diagnostics diagnostics;
    Distribute_line(i1, i2, i3, i4, 0.0, 0.3, 0.7, 1.0, 0.05, 0.05, g.line(), diagnostics);
    EXPECT_TRUE(g.guards_intact()) << i1 << " " << i2 << " " << i3 << " " << i4;
  }
}

}  // namespace
}  // namespace torvane
