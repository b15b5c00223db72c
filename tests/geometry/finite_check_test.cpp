#include "geometry/finite_check.hpp"

#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control/build_stop.hpp"
#include "output/console.hpp"

namespace torvane {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct Bad {
  int i, j, k;
  int coordinate;  // 0 x, 1 y, 2 z
  double value;
};

// The diagnostic of checking a 4 x 3 x 5 grid plane by plane, in increasing k
// as the run does (hub, the inner planes one at a time, casing), or "".
std::string Checked(const std::vector<Bad>& bad) {
  std::vector<double> x(60, 0.5), y(60, 0.25), z(60, 1.0);
  Grid grid{Block(x, 4, 3, 5), Block(y, 4, 3, 5), Block(z, 4, 3, 5)};
  for (const Bad& b : bad)
    (b.coordinate == 0 ? grid.xg : b.coordinate == 1 ? grid.yg : grid.zg)(b.i, b.j, b.k) = b.value;
  try {
    Check_finite_planes(grid, 4, 3, 1, 1);
    for (int k = 2; k <= 4; ++k) Check_finite_planes(grid, 4, 3, k, k);
    Check_finite_planes(grid, 4, 3, 5, 5);
  } catch (const Build_failure& failure) {
    EXPECT_TRUE(std::holds_alternative<Coordinate_not_finite>(failure.kind));
    const Run_stop stop = Stop_of(failure);
    EXPECT_EQ(stop.status, 1);
    return stop.diagnostic;
  }
  return "";
}

TEST(FiniteCheck, NamesTheFirstPointInFileOrderWhateverTheCoordinate) {
  const std::string prefix = "the grid has a coordinate that is not a finite number at point (i, j, k) = ";
  const std::string suffix = "; no file is written";
  struct Case {
    std::vector<Bad> bad;
    std::string named;
  } cases[] = {
      {{}, ""},
      {{{3, 2, 1, 2, kNaN}}, "(3, 2, 1): x = 0.5, y = 0.25, z = nan"},
      {{{4, 3, 5, 0, -kInf}}, "(4, 3, 5): x = -inf, y = 0.25, z = 1"},
      {{{2, 1, 3, 1, kInf}, {1, 3, 1, 0, kNaN}}, "(1, 3, 1): x = nan, y = 0.25, z = 1"},  // the hub comes first
      {{{4, 1, 2, 0, kNaN}, {1, 2, 2, 2, kInf}}, "(4, 1, 2): x = nan, y = 0.25, z = 1"},  // i runs fastest
      {{{1, 1, 4, 1, kNaN}, {1, 1, 5, 1, kNaN}},
       "(1, 1, 4): x = 0.5, y = nan, z = 1"},  // an inner plane before the casing
      // The extremes of the finite numbers are finite.
      {{{2, 2, 2, 0, std::numeric_limits<double>::max()},
        {3, 2, 2, 1, -std::numeric_limits<double>::denorm_min()},
        {4, 3, 3, 2, -std::numeric_limits<double>::max()}},
       ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Checked(c.bad), c.named.empty() ? "" : prefix + c.named + suffix) << c.named;
  }
}

}  // namespace
}  // namespace torvane
