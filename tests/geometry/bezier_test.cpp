#include "geometry/bezier.hpp"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/build_failure.hpp"
#include "support/captured_diagnostics.hpp"

namespace torvane {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

using Points = std::vector<double>;  // (x, y) pairs

// Control-point storage of exactly the size the curve needs, so that a read
// past its end shows up in the sanitizer build.
Points Control_points(int nseg) { return Points(2 * (3 * nseg + 1), kNaN); }

void Expect_points(const Points& got, const Points& want, const char* what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  for (std::size_t p = 0; p < want.size(); ++p) {
    EXPECT_DOUBLE_EQ(got[p], want[p]) << what << ": point " << p / 2 << (p % 2 ? " y" : " x");
  }
}

// The data polygon (0,0), (1,1), (2,0) and its two curves.
const Points kArch = {0, 0, 1, 1, 2, 0};

TEST(BezierCurves, ArchPolygonAndApproximation) {
  Points polygon = Control_points(2);
  Bezier_polygon(kArch, 2, polygon);
  Expect_points(polygon, {0, 0, 1. / 3, 1. / 3, 2. / 3, 2. / 3, 1, 2. / 3, 4. / 3, 2. / 3, 5. / 3, 1. / 3, 2, 0},
                "polygon");

  Points approx = Control_points(2);
  Bezier_approx(kArch, 2, approx);
  Expect_points(approx, {0, 0, 1. / 3, 7. / 18, 2. / 3, 5. / 6, 1, 1, 4. / 3, 5. / 6, 5. / 3, 7. / 18, 2, 0},
                "approximation");

  double x = 0, y = 0;
  Bezier_point(approx, 2, 0.5, x, y);
  EXPECT_EQ(x, 1.0);
  EXPECT_EQ(y, 1.0);
}

TEST(BezierCurves, SingleSegmentIsTheStraightLineThroughItsThirds) {
  const Points d = {0, 0, 3, 6};
  const Points line = {0, 0, 1, 2, 2, 4, 3, 6};
  Points polygon = Control_points(1);
  Bezier_polygon(d, 1, polygon);
  Expect_points(polygon, line, "polygon");
  Points approx = Control_points(1);
  Bezier_approx(d, 1, approx);
  Expect_points(approx, line, "approximation");
}

// A point entered three times keeps the polygon's sharp corner: the junctions
// at it and on both sides are not moved onto the data.
TEST(BezierCurves, TriplePointsKeepTheirCorner) {
  struct Case {
    const char* name;
    int nseg;
    Points d, want;
  } cases[] = {
      {"triple in the middle, skip ends the pass",
       4,
       {0, 0, 1, 1, 1, 1, 1, 1, 2, 0},
       {0, 0, 1. / 3, 1. / 3, 2. / 3, 2. / 3, 5. / 6, 5. / 6, 1,      1,      1,      1, 1,
        1, 1, 1,      1,      1,      7. / 6, 5. / 6, 4. / 3, 2. / 3, 5. / 3, 1. / 3, 2, 0}},
      {"triple, then a junction that is moved",
       6,
       {0, 0, 1, 1, 1, 1, 1, 1, 2, 0, 3, 0, 4, 0},
       {0,      0,        1. / 3, 1. / 3,   2. / 3, 2. / 3, 5. / 6,  5. / 6, 1,        1,      1,      1, 1,
        1,      1,        1,      1,        1,      7. / 6, 5. / 6,  4. / 3, 23. / 36, 5. / 3, 1. / 4, 2, 0,
        7. / 3, -1. / 12, 8. / 3, -1. / 36, 3,      0,      10. / 3, 0,      11. / 3,  0,      4,      0}},
      {"triple at the end of the curve",
       4,
       {0, 0, 1, 1, 2, 0, 2, 0, 2, 0},
       {0,      0, 1. / 3, 7. / 18, 2. / 3, 5. / 6, 1, 1, 4. / 3, 5. / 6, 5. / 3, 7. / 18, 11. / 6,
        1. / 6, 2, 0,      2,       0,      2,      0, 2, 0,      2,      0,      2,       0}},
  };
  for (const auto& c : cases) {
    Points bez = Control_points(c.nseg);
    Bezier_approx(c.d, c.nseg, bez);
    Expect_points(bez, c.want, c.name);
  }
}

// Control points with x = k at point k: the curve is x = 6t on every
// segment, and outside [0, 1] the end segments are continued.
TEST(BezierCurves, PointIsExactAtTheEndsAndStaysOnTheEndSegmentsOutside) {
  const Points bez = {0, 0.3, 1, -0.7, 2, 0.1, 3, 1.9, 4, 2.2, 5, -0.4, 6, 0.6};
  struct Case {
    double t, x;
  } cases[] = {{0.0, 0.0}, {0.25, 1.5}, {0.5, 3.0}, {1.0, 6.0}, {2.0, 12.0}, {-0.5, -3.0}};
  for (const auto& c : cases) {
    double x = 0, y = 0;
    Bezier_point(bez, 2, c.t, x, y);
    EXPECT_DOUBLE_EQ(x, c.x) << "t = " << c.t;
  }
  double x = 0, y = 0;
  Bezier_point(bez, 2, 0.0, x, y);
  EXPECT_EQ(y, 0.3);
  Bezier_point(bez, 2, 1.0, x, y);
  EXPECT_EQ(y, 0.6);
  for (double t : {kNaN, kInf, -kInf, 1.0e300, -1.0e300}) {
    Bezier_point(bez, 2, t, x, y);  // must not leave the seven points
  }
  Bezier_point(bez, 2, kNaN, x, y);
  EXPECT_TRUE(std::isnan(x));
}

TEST(BezierX, FindsThePointOfTheWantedXOnEitherStretch) {
  Points arch = Control_points(2);
  Bezier_approx(kArch, 2, arch);
  struct Case {
    double wanted, ta, tb;
  } cases[] = {{0.5, 0.0, 0.5}, {0.5, 0.5, 0.0}, {1.5, 0.5, 1.0}, {1.5, 1.0, 0.5}};
  for (const auto& c : cases) {
    testing::Captured_diagnostics diagnostics;
    double x = c.wanted, y = 0;
    Bezier_x(arch, 2, c.ta, c.tb, 1.0e-10, x, y, diagnostics);
    EXPECT_NEAR(x, c.wanted, 1.0e-10) << c.ta << " .. " << c.tb;
    EXPECT_NEAR(y, 7.0 / 12.0, 1.0e-9) << c.ta << " .. " << c.tb;
    EXPECT_EQ(diagnostics.captured(), "");
  }
}

TEST(BezierX, EndWithinToleranceIsReturnedWithoutIterating) {
  // x runs from 0 to 1 with y from 5 to 9; both ends lie within 0.6 of 0.5.
  const Points line = {0, 5, 1. / 3, 6, 2. / 3, 7, 1, 9};
  struct Case {
    double ta, tb, x, y;
  } cases[] = {{0.0, 1.0, 0.0, 5.0}, {1.0, 0.0, 1.0, 9.0}};
  for (const auto& c : cases) {
    testing::Captured_diagnostics diagnostics;
    double x = 0.5, y = 0;
    Bezier_x(line, 1, c.ta, c.tb, 0.6, x, y, diagnostics);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
  }
}

TEST(BezierX, WantedXOutsideTheStretchEndsTheBuildWithItsNumbers) {
  Points arch = Control_points(2);
  Bezier_approx(kArch, 2, arch);
  testing::Captured_diagnostics diagnostics;
  double x = 1.5, y = 0;
  try {
    Bezier_x(arch, 2, 0.0, 0.5, 1.0e-10, x, y, diagnostics);
    FAIL() << "no stop";
  } catch (const Build_failure& failure) {
    const auto* outside = std::get_if<Station_outside_curve>(&failure.kind);
    ASSERT_NE(outside, nullptr);
    EXPECT_EQ(outside->x, 1.5);
    EXPECT_LT(outside->xa, outside->xb);
    EXPECT_LT(outside->xb, 1.5);
  }
  EXPECT_EQ(diagnostics.captured(), "\r\nERROR (Bezier_x): x-coordinate outside the specified curve interval\r\n");
}

// A wanted x that is not a number brackets nothing: every new parameter is
// limited to 0, the search runs out and the run goes on with that point.
TEST(BezierX, RunningOutWarnsAndReturnsAPointOfTheCurve) {
  Points arch = Control_points(2);
  Bezier_approx(kArch, 2, arch);
  testing::Captured_diagnostics diagnostics;
  double x = kNaN, y = kNaN;
  Bezier_x(arch, 2, 0.2, 0.8, 1.0e-10, x, y, diagnostics);
  EXPECT_EQ(diagnostics.captured(), "\r\nWARNING (Bezier_x): not converged\r\n\r\n");
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(y, 0.0);
}

}  // namespace
}  // namespace torvane
