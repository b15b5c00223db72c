#include "geometry/flow_path.hpp"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "geometry/meridional_curve.hpp"
#include "geometry/section_grid.hpp"
#include "geometry/surface_wrap.hpp"

namespace torvane {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A cone: r = 0.2 + 0.2 x, hub radius 0.26 at x = 0.
Meridional_curve Cone() { return Meridional_curve({-0.3, 0.4}, {0.14, 0.28}); }

// An S-shaped line: 0.25 + 0.04 tanh((x - 0.05) / 0.05), sampled at 15 points.
Meridional_curve S_shape() {
  std::vector<double> x, r;
  for (int n = 0; n < 15; ++n) {
    x.push_back(-0.3 + 0.05 * n);
    r.push_back(0.25 + 0.04 * std::tanh((x.back() - 0.05) / 0.05));
  }
  return Meridional_curve(x, r);
}

TEST(MeridionalCurve, StraightAndConstantRunsAreReproducedExactly) {
  struct Case {
    const char* name;
    std::vector<double> x, r;
  };
  const Case cases[] = {
      {"two points", {-1.0, 1.0}, {0.2, 0.4}},
      {"five collinear points", {-1.0, -0.5, 0.0, 0.25, 1.0}, {0.2, 0.25, 0.3, 0.325, 0.4}},
      {"constant", {-1.0, 0.0, 0.5, 1.0}, {0.3, 0.3, 0.3, 0.3}},
  };
  for (const Case& c : cases) {
    const Meridional_curve curve(c.x, c.r);
    for (double x = -1.0; x <= 1.0; x += 0.0625) {
      EXPECT_NEAR(curve.Radius(x), 0.3 + (c.r[0] == 0.3 ? 0.0 : 0.1 * x), 1e-15) << c.name << " x = " << x;
      EXPECT_NEAR(curve.Slope(x), c.r[0] == 0.3 ? 0.0 : 0.1, 1e-14) << c.name;
    }
  }
}

TEST(MeridionalCurve, PassesThePointsWithAContinuousSlopeAndNoOvershoot) {
  // A step, a bump and the S-shape: between two points the curve stays
  // within their radii (a data-monotone interpolation), and left and right
  // slopes agree at every inner point.
  struct Case {
    const char* name;
    Meridional_curve curve;
  };
  const Case cases[] = {
      {"step", Meridional_curve({0, 1, 2, 3, 4, 5}, {0.2, 0.2, 0.2, 0.3, 0.3, 0.3})},
      {"bump", Meridional_curve({0, 0.1, 0.5, 0.6, 2}, {0.2, 0.25, 0.3, 0.22, 0.21})},
      {"S-shape", S_shape()},
  };
  for (const Case& c : cases) {
    const Meridional_curve& curve = c.curve;
    for (std::size_t n = 0; n + 1 < curve.size(); ++n) {
      EXPECT_DOUBLE_EQ(curve.Radius(curve.x(n)), curve.r(n)) << c.name << " point " << n;
      const double low = std::min(curve.r(n), curve.r(n + 1));
      const double high = std::max(curve.r(n), curve.r(n + 1));
      for (int s = 1; s < 50; ++s) {
        const double x = curve.x(n) + (curve.x(n + 1) - curve.x(n)) * s / 50.0;
        EXPECT_GE(curve.Radius(x), low - 1e-15) << c.name << " x = " << x;
        EXPECT_LE(curve.Radius(x), high + 1e-15) << c.name << " x = " << x;
      }
      if (n > 0) {
        EXPECT_NEAR(curve.piece(n - 1).Slope(curve.x(n)), curve.piece(n).Slope(curve.x(n)), 1e-12) << c.name;
        EXPECT_NEAR(curve.piece(n - 1).Radius(curve.x(n)), curve.r(n), 1e-15) << c.name;
      }
    }
    EXPECT_DOUBLE_EQ(curve.Radius(curve.x_last()), curve.r(curve.size() - 1)) << c.name;
  }
}

TEST(ConformalMap, OnAConeXiIsTheLogarithmOfTheRadius) {
  // r = a + s x: xi = x_ref + R sqrt(1 + s^2) / s ln(r(x) / r(x_ref)).
  const Meridional_curve cone = Cone();
  struct Case {
    double radius, x_ref;
  };
  for (const Case c : {Case{0.26, 0.0}, Case{0.3, 0.05}, Case{0.2, -0.1}}) {
    const Conformal_map map(cone, c.radius, c.x_ref);
    for (double x = -0.3; x <= 0.4; x += 0.05) {
      const double xi = c.x_ref + c.radius * std::sqrt(1.04) / 0.2 * std::log((0.2 + 0.2 * x) / (0.2 + 0.2 * c.x_ref));
      EXPECT_NEAR(map.Xi(x), xi, 1e-13) << "R = " << c.radius << " x = " << x;
      EXPECT_NEAR(map.Axial(xi), x, 1e-13) << "R = " << c.radius << " x = " << x;
    }
    EXPECT_NEAR(map.Axial(c.x_ref), c.x_ref, 1e-15);
  }
}

// Cones reaching towards the axis at either end: 1/r nearly singular there.
// Wherever the integral settles, xi is the closed form to 1e-12 of its size,
// also at the end near the axis; where it cannot (the radius far too small
// for halvings in a double to resolve), the end's xi is NaN, never a wrong
// number.
TEST(ConformalMap, ACurveNearTheAxisGivesTheClosedFormOrNoValue) {
  struct Case {
    double r_near;  // the radius at the end near the axis
    bool upstream;  // that end first
    bool settles;
  } cases[] = {{1e-7, true, true},    {1e-9, true, true},     {1e-12, true, true},
               {1e-15, true, true},   {1e-9, false, true},    {1e-12, false, true},
               {1e-100, true, false}, {1e-300, false, false}, {1e-310, true, false}};
  for (const Case& c : cases) {
    const double x0 = -0.06, x1 = 0.2, r_far = 0.25;
    const double ra = c.upstream ? c.r_near : r_far;
    const double rb = c.upstream ? r_far : c.r_near;
    const Meridional_curve cone({x0, x1}, {ra, rb});
    const double s = (rb - ra) / (x1 - x0);
    const double x_ref = c.upstream ? 0.1 : -0.03;
    const double radius = ra + s * (x_ref - x0);
    const Conformal_map map(cone, radius, x_ref);
    const std::string what = "r " + std::to_string(c.r_near) + (c.upstream ? " upstream" : " downstream");
    auto closed = [&](double r) { return x_ref + radius * std::sqrt(1 + s * s) / s * std::log(r / radius); };
    const double near_end = c.upstream ? map.xi_first() : map.xi_last();
    if (!c.settles) {
      EXPECT_TRUE(std::isnan(near_end)) << what << ": " << near_end;
      continue;
    }
    const double expected = closed(c.r_near);
    EXPECT_NEAR(near_end, expected, 1e-12 * std::fabs(expected)) << what;
    for (double x = x0 + 0.01; x < x1; x += 0.02) {
      const double xi = closed(ra + s * (x - x0));
      EXPECT_NEAR(map.Xi(x), xi, 1e-12 * (1 + std::fabs(xi))) << what << " x = " << x;
      EXPECT_NEAR(map.Axial(xi), x, 1e-12) << what << " x = " << x;
    }
  }
}

// The map near its reference point does not carry what a far piece adds: a
// cylinder over the grid's range whose curve starts near the axis far
// upstream maps the range as the identity.
TEST(ConformalMap, AFarPieceNearTheAxisLeavesTheRangeNearTheReferenceAlone) {
  for (double r0 : {1e-6, 1e-12, 1e-15}) {
    const Meridional_curve curve({-20.0, -1.0, 0.0, 1.0}, {r0, 0.25, 0.25, 0.25});
    const Conformal_map map(curve, 0.25, 0.0);
    for (double x = -1.0; x <= 1.0; x += 0.125) {
      EXPECT_NEAR(map.Xi(x), x, 1e-15) << r0 << " x = " << x;
      EXPECT_NEAR(map.Axial(x), x, 1e-15) << r0 << " x = " << x;
    }
  }
}

// A piece 1e38 long upstream of the reference point does not swallow the
// xi of the pieces beside the reference point: the last piece keeps its own
// xi length (summed from the first point, 0.25 x 4.609 was lost in 1e38);
// nor does a huge piece holding the reference point swallow xi there.
TEST(ConformalMap, AFarLongPieceLeavesTheXiOfTheOthersAlone) {
  const Meridional_curve curve({-1e38, 0.0, 0.2}, {0.25, 0.25, 25.0});
  const Conformal_map map(curve, 0.25, 0.0);
  const double expected = 0.25 * curve.Length_over_radius(1, 0.0, 0.2);
  EXPECT_GT(expected, 1.0);
  EXPECT_NEAR(map.xi_last(), expected, 1e-14);
  EXPECT_NEAR(map.Axial(map.xi_last()), 0.2, 1e-14);
  EXPECT_NEAR(map.xi_first(), -1e38, 1e24);
  // One piece 1e108 long ending at the reference point: xi there is its x.
  const Meridional_curve huge({-1e108, 0.2}, {25.0, 0.25});
  const Conformal_map huge_map(huge, 0.25, 0.2);
  EXPECT_EQ(huge_map.Xi(0.2), 0.2);
  EXPECT_EQ(huge_map.xi_last(), 0.2);
  EXPECT_NEAR(huge_map.Axial(0.2), 0.2, 1e-15);
}

// Points finite but at the far ends of the double range: the integral does
// not settle and says so (NaN) at once, rather than halving without end.
TEST(ConformalMap, ExtremePointsGiveNoValueRatherThanWork) {
  struct Case {
    std::vector<double> x, r;
  } cases[] = {{{-1e308, 0.0, 0.2}, {0.25, 0.25, 0.25}},
               {{-0.2, 0.0, 1.7e308}, {0.25, 0.25, 0.25}},
               {{-1.7e308, 0.0, 1.7e308}, {0.25, 0.25, 0.25}}};
  for (const Case& c : cases) {
    const Meridional_curve curve(c.x, c.r);
    const Conformal_map map(curve, 0.25, 0.0);
    EXPECT_TRUE(std::isnan(map.xi_first()) || std::isnan(map.xi_last())) << c.x.front() << " " << c.x.back();
    EXPECT_EQ(map.Xi(0.1), 0.1);
  }
}

TEST(ConformalMap, IsTheIdentityOnACylinderOfTheSectionRadius) {
  const Conformal_map map(Meridional_curve({-0.4, 0.1, 0.5}, {0.35, 0.35, 0.35}), 0.35, 0.02);
  for (double xi = -0.4; xi <= 0.5; xi += 0.01) {
    const Surface_point p = map.Point(xi, 0.01);
    EXPECT_NEAR(p.x, xi, 1e-15);
    EXPECT_EQ(p.r, 0.35);
    EXPECT_EQ(p.theta, 0.01 / 0.35);
  }
}

// The angle to the meridional direction, on the surface, of the image of the
// plane direction beta at (xi, y): central differences over a short segment.
double Surface_angle(const Conformal_map& map, double xi, double y, double beta) {
  const double h = 1e-6;
  auto position = [&](double sign) {
    const Surface_point p = map.Point(xi + sign * h * std::cos(beta), y + sign * h * std::sin(beta));
    return std::vector<double>{p.x, std::sin(p.theta) * p.r, p.r - (1.0 - std::cos(p.theta)) * p.r};
  };
  const std::vector<double> a = position(-1.0);
  const std::vector<double> b = position(1.0);
  const Surface_point p = map.Point(xi, y);
  const double s = map.curve().Slope(p.x);
  const double n = std::sqrt(1.0 + s * s);
  const double along =
      ((b[0] - a[0]) + (b[1] - a[1]) * s * std::sin(p.theta) + (b[2] - a[2]) * s * std::cos(p.theta)) / n;
  const double across = (b[1] - a[1]) * std::cos(p.theta) - (b[2] - a[2]) * std::sin(p.theta);
  return std::atan2(across, along);
}

TEST(ConformalMap, KeepsTheAngleOfEveryDirectionOnConeAndSShape) {
  struct Case {
    const char* name;
    Meridional_curve curve;
    double radius, x_ref;
  };
  const Case cases[] = {{"cone", Cone(), 0.26, 0.0},
                        {"S-shape hub", S_shape(), S_shape().Radius(0.0), 0.0},
                        {"S-shape at a casing reference point", S_shape(), 0.27, 0.03}};
  for (const Case& c : cases) {
    const Conformal_map map(c.curve, c.radius, c.x_ref);
    for (double xi : {-0.2, -0.01, 0.05, 0.12, 0.3}) {
      for (double y : {-0.05, 0.0, 0.13}) {
        for (double beta : {-1.3, -0.6, 0.0, 0.4, 1.0, 1.5}) {
          EXPECT_NEAR(Surface_angle(map, xi, y, beta), beta, 1e-9) << c.name << " xi " << xi << " y " << y;
        }
      }
    }
  }
}

TEST(ConformalMap, CasingReferenceRadiusLiesOnTheCurveAtTheSweptPosition) {
  const Meridional_curve casing({-0.3, 0.0, 0.4}, {0.45, 0.5, 0.6});
  struct Case {
    double tan_sweep;
  };
  for (const Case c : {Case{0.0}, Case{0.1}, Case{-0.2}}) {
    const double rho = Casing_reference_radius(casing, 0.25, c.tan_sweep);
    EXPECT_NEAR(casing.Radius((rho - 0.25) * c.tan_sweep), rho, 1e-15) << c.tan_sweep;
  }
  EXPECT_EQ(Casing_reference_radius(casing, 0.25, 0.0), 0.5);
}

// A surface grid of a lens section on plane k = 1, in storage of its own.
struct Built_surface {
  static constexpr int ie = 17, je = 9;
  std::vector<double> x = std::vector<double>(ie * je, kNaN), y = x, xg = x, yg = x, zg = x;
  std::vector<double> bez = std::vector<double>(26, kNaN), w1 = std::vector<double>(je), w2 = w1,
                      w3 = std::vector<double>(ie), w4 = w3;
  Section_sizes sizes{ie, je, 4, 4, 8, 5, 13, 2, 1};
  Section_geometry geometry;
  Plane px() { return Plane(x, ie, je); }
  Plane py() { return Plane(y, ie, je); }
  Grid grid() { return {Block(xg, ie, je, 1), Block(yg, ie, je, 1), Block(zg, ie, je, 1)}; }

  explicit Built_surface(double radius) : geometry{0.5, 0.3, -0.2, 0.4, 0.0, 0.0, 0.1, radius, 0.1, 0.3} {
    std::vector<double> lens = {1, 0, 0.5, -0.1, 0, 0, 0.5, 0.1, 1, 0};
    Diagnostic_log diagnostics;
    Section_grid({Surface::hub, sizes, geometry, Section_spacings{0.005, 0.002, 0.005, 0.002, 0.005, 1.2}, 1},
                 {0, 5, 3, lens}, Section_work{px(), py(), bez, Line(w1), Line(w2), Line(w3), Line(w4)}, grid(),
                 diagnostics);
  }
};

TEST(SurfaceWrap, HubOnItsCurveWallAnglesKeptAndPeriodicPartnersOnePitchApart) {
  struct Case {
    const char* name;
    Meridional_curve curve;
  };
  const Case cases[] = {{"cone", Cone()}, {"S-shape", S_shape()}};
  for (const Case& c : cases) {
    const double radius = c.curve.Radius(0.0);
    Built_surface s(radius);
    const Conformal_map map(c.curve, radius, 0.0);
    Wrap_on_flow_path(s.px(), s.py(), s.ie, s.je, map, s.grid(), 1);
    const Grid g = s.grid();
    for (int j = 1; j <= s.je; ++j) {
      for (int i = 1; i <= s.ie; ++i) {
        const double r = std::hypot(g.yg(i, j, 1), g.zg(i, j, 1));
        EXPECT_NEAR(r, c.curve.Radius(g.xg(i, j, 1)), 1e-12 * radius) << c.name << " " << i << "," << j;
      }
    }
    // The blade wall j = 1: each point is the map's, and the wall's direction
    // in the plane keeps its angle to the meridional direction on the surface.
    for (int i = s.sizes.ile + 1; i < s.sizes.ite; ++i) {
      const Surface_point p = map.Point(s.px()(i, 1), s.py()(i, 1));
      EXPECT_EQ(g.xg(i, 1, 1), p.x);
      const double beta = std::atan2(s.py()(i + 1, 1) - s.py()(i - 1, 1), s.px()(i + 1, 1) - s.px()(i - 1, 1));
      EXPECT_NEAR(Surface_angle(map, s.px()(i, 1), s.py()(i, 1), beta), beta, 1e-9) << c.name << " i = " << i;
    }
    // Upstream and downstream the lines j = 1 and j = je are periodic partners.
    for (int i = 1; i <= s.ie; ++i) {
      if (i > s.sizes.ile && i < s.sizes.ite) continue;
      const double lower = std::atan2(g.yg(i, 1, 1), g.zg(i, 1, 1));
      const double upper = std::atan2(g.yg(i, s.je, 1), g.zg(i, s.je, 1));
      EXPECT_NEAR(upper - lower, s.geometry.dphi, 1e-12) << c.name << " i = " << i;
      EXPECT_EQ(g.xg(i, 1, 1), g.xg(i, s.je, 1)) << c.name << " i = " << i;
    }
  }
}

TEST(SurfaceWrap, AConstantRadiusCurveGivesTheCylinderWrap) {
  Built_surface flow(0.3);
  Built_surface cylinder(0.3);
  const Conformal_map map(Meridional_curve({-1.0, 0.2, 1.0}, {0.3, 0.3, 0.3}), 0.3, 0.0);
  Wrap_on_flow_path(flow.px(), flow.py(), flow.ie, flow.je, map, flow.grid(), 1);
  for (std::size_t n = 0; n < flow.xg.size(); ++n) {
    EXPECT_NEAR(flow.xg[n], cylinder.xg[n], 1e-12 * 0.3);
    EXPECT_EQ(flow.yg[n], cylinder.yg[n]);
    EXPECT_EQ(flow.zg[n], cylinder.zg[n]);
  }
}

}  // namespace
}  // namespace torvane
