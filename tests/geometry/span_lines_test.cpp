// The spanwise splines of a grid through several sections.
#include "geometry/span_lines.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace torvane {
namespace {

TEST(SpanLines, TheSplineThroughItsPointsReproducesLinesParabolasAndCubics) {
  struct Case {
    const char* name;
    std::vector<double> u;
    double (*f)(double);
  };
  const Case cases[] = {
      {"line, two points", {0.0, 1.0}, [](double u) { return 2.0 - 3.0 * u; }},
      {"parabola, three points", {0.0, 0.3, 1.0}, [](double u) { return 1.0 + u - 2.0 * u * u; }},
      {"cubic, four points", {0.0, 0.2, 0.7, 1.0}, [](double u) { return u * u * u - u + 0.5; }},
      {"cubic, six uneven points", {0.0, 0.1, 0.35, 0.5, 0.8, 1.0}, [](double u) { return 4 * u * u * u - u * u; }},
  };
  for (const Case& c : cases) {
    const int n = static_cast<int>(c.u.size());
    std::vector<double> f, m(c.u.size());
    for (double u : c.u) f.push_back(c.f(u));
    Spline_slopes(n, c.u.data(), f.data(), m.data());
    for (int piece = 0; piece + 1 < n; ++piece) {
      for (double t : {0.0, 0.25, 0.5, 0.9}) {
        const double v = c.u[piece] + t * (c.u[piece + 1] - c.u[piece]);
        EXPECT_NEAR(Spline_value(c.u.data(), f.data(), m.data(), piece, v), c.f(v), 1e-13) << c.name << " at " << v;
      }
    }
  }
}

// The radius of a spanwise line must stay between the stations' radii: a
// not-a-knot spline through points that level off towards the casing
// overshoots it, which puts grid points outside the flow path.
TEST(SpanLines, LimitedSlopesKeepEveryPieceWithinItsPointsAndLeaveASplineThatStaysThereAlone) {
  struct Case {
    const char* name;
    std::vector<double> u, f;
    bool overshoots;  // whether the spline through the points leaves them on a piece
  };
  const Case cases[] = {
      {"an even rise", {0.0, 0.3, 0.6, 1.0}, {1.0, 1.3, 1.6, 2.0}, false},
      {"a gentle curve", {0.0, 0.25, 0.5, 0.75, 1.0}, {1.0, 1.3, 1.55, 1.75, 1.9}, false},
      {"levelling off over a short last piece", {0.0, 0.2, 0.8, 1.0}, {1.0, 1.3, 1.95, 2.0}, true},
      {"a step", {0.0, 0.4, 0.5, 0.6, 1.0}, {1.0, 1.0, 1.5, 2.0, 2.0}, true},
      {"a turn", {0.0, 0.5, 1.0, 1.5}, {1.0, 2.0, 1.5, 1.6}, true},
  };
  for (const Case& c : cases) {
    const int n = static_cast<int>(c.u.size());
    std::vector<double> m(c.u.size());
    Spline_slopes(n, c.u.data(), c.f.data(), m.data());
    std::vector<double> limited = m;
    Limit_monotone(n, c.u.data(), c.f.data(), limited.data());
    if (!c.overshoots) {
      EXPECT_EQ(limited, m) << c.name;
    }
    bool left = false;
    for (int piece = 0; piece + 1 < n; ++piece) {
      const double lo = std::min(c.f[piece], c.f[piece + 1]), hi = std::max(c.f[piece], c.f[piece + 1]);
      for (int step = 0; step <= 100; ++step) {
        const double v = c.u[piece] + step * (c.u[piece + 1] - c.u[piece]) / 100;
        const double plain = Spline_value(c.u.data(), c.f.data(), m.data(), piece, v);
        left = left || plain < lo - 1e-12 || plain > hi + 1e-12;
        const double f = Spline_value(c.u.data(), c.f.data(), limited.data(), piece, v);
        EXPECT_GE(f, lo - 1e-15) << c.name << " at " << v;
        EXPECT_LE(f, hi + 1e-15) << c.name << " at " << v;
      }
    }
    EXPECT_EQ(left, c.overshoots) << c.name;
  }
}

}  // namespace
}  // namespace torvane
