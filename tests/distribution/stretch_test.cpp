#include "distribution/stretch.hpp"

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "support/captured_diagnostics.hpp"

namespace torvane {
namespace {

TEST(Stretch, FindsTheWorkedRatiosInTheWorkedNumberOfUpdates) {
  struct Case {
    double dx1, sumdx;
    int n;
    double r, tolerance;  // tolerance 0: exactly r
    int updates;
    const char* what;
  } cases[] = {
      {1.0, 15.0, 4, 2.0, 0.0, 1, "the start value is the root"},
      {1.0, 10.0, 4, 1.660802, 5e-7, 5, "ordinary growth"},
      {1.0, 5.0, 1, 1.0, 0.0, 2, "one interval"},
      // n = 0: the first step is (2 - 1) * sumdx / sumdx, landing on 1 exactly.
      {1.0, 5.0, 0, 1.0, 0.0, 2, "no interval"},
      {1.0, 3.0, 4, 1.0000000000112, 5e-14, 8, "intervals would shrink: the root 1"},
      {0.1, 1.0, 10, 1.0000256, 5e-8, 19, "double root at 1"},
      {1.0, 20.0, 3, 1.0, 0.0, 5, "wanted ratio 3.887, first step downwards"},
      {0.0001, 1.0, 10, 1.0, 0.0, 4, "wanted ratio far above 2"},
  };
  for (const auto& c : cases) {
    testing::Captured_diagnostics diagnostics;
    const Stretch_result result = Stretch_with_updates(c.dx1, c.sumdx, c.n, diagnostics);
    EXPECT_NEAR(result.r, c.r, c.tolerance) << c.what;
    EXPECT_EQ(result.updates, c.updates) << c.what;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(Stretch(c.dx1, c.sumdx, c.n, diagnostics)),
              std::bit_cast<std::uint64_t>(result.r))
        << c.what;
    EXPECT_EQ(diagnostics.captured(), "") << c.what;
  }
}

TEST(Stretch, GivesTheSameRatioBitForBitForANegatedLine) {
  struct Case {
    double dx1, sumdx;
    int n;
  } cases[] = {{1.0, 10.0, 4}, {0.1, 0.74416, 5}, {1.0, 3.0, 4}, {0.1, 1.0, 10}, {0.003, 0.5, 17}};
  for (const auto& c : cases) {
    testing::Captured_diagnostics diagnostics;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(Stretch(-c.dx1, -c.sumdx, c.n, diagnostics)),
              std::bit_cast<std::uint64_t>(Stretch(c.dx1, c.sumdx, c.n, diagnostics)))
        << c.dx1 << " " << c.sumdx << " " << c.n;
  }
}

TEST(Stretch, WarnsAfter200UpdatesAndReturnsTheLastIterate) {
  // n = 1 with sumdx = dx1: every step is 0/0.
  testing::Captured_diagnostics diagnostics;
  const Stretch_result result = Stretch_with_updates(1.0, 1.0, 1, diagnostics);
  EXPECT_TRUE(std::isnan(result.r));
  EXPECT_EQ(result.updates, 200);
  EXPECT_EQ(diagnostics.captured(),
            "\r\n"
            "WARNING (Stretch): no convergence.\r\n"
            " n,r,riter,sumdx,dx1 =     1         NaN         NaN  0.1000E+01  0.1000E+01\r\n"
            "\r\n");
}

TEST(Stretch, TakesTheSmallestCountWithoutOverflow) {
  // From 2.0 the first step goes to 0.9; then r^n and r^(n-1) are infinite
  // and the step is -inf/inf. The count does not fit I5.
  testing::Captured_diagnostics diagnostics;
  EXPECT_TRUE(std::isnan(Stretch(1.0, 10.0, INT_MIN, diagnostics)));
  EXPECT_EQ(diagnostics.captured(),
            "\r\n"
            "WARNING (Stretch): no convergence.\r\n"
            " n,r,riter,sumdx,dx1 = *****         NaN         NaN  0.1000E+02  0.1000E+01\r\n"
            "\r\n");
}

TEST(IntegerPower, SquaresTheBaseBetweenTheBitsOfTheExponent) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  // 13 = 1101 in binary: r * r^4 * r^8, each power the square of the one before.
  const double b2 = 1.3 * 1.3, b4 = b2 * b2, b8 = b4 * b4;
  struct Case {
    double r;
    int n;
    double power;
  } cases[] = {
      {2.0, 10, 1024.0},     {2.0, -2, 0.25},      {3.0, 0, 1.0},
      {0.0, 0, 1.0},         {-1.5, 3, -3.375},    {1.3, 13, (1.3 * b4) * b8},
      {2.0, INT_MIN, 0.0},   {0.5, INT_MIN, kInf}, {-1.0, INT_MIN, 1.0},
      {-1.0, INT_MAX, -1.0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(std::bit_cast<std::uint64_t>(Integer_power(c.r, c.n)), std::bit_cast<std::uint64_t>(c.power))
        << c.r << "^" << c.n;
  }
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

TEST(GeometricLength, SumsTheGrowingIntervalsTermByTerm) {
  struct Case {
    double first;
    int n;
    double ratio;
    double length;
  } cases[] = {
      {0.01, 2, 1.2, 0.01 + 0.01 * 1.2},  // the wall layer of nwallhc = 2: 0.022 to rounding
      {1.0, 3, 2.0, 7.0},
      {0.0004, 1, 1.2, 0.0004},
      {0.0004, 0, 1.2, 0.0},
      {0.0004, -3, 1.2, 0.0},
  };
  for (const Case& c : cases) EXPECT_EQ(Geometric_length(c.first, c.n, c.ratio), c.length) << c.n;
  EXPECT_NEAR(Geometric_length(0.01, 2, 1.2), 0.022, 1e-17);
}

}  // namespace
}  // namespace torvane
