// The spanwise splines of a grid through several sections.
#include "geometry/span_lines.hpp"

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

}  // namespace
}  // namespace torvane
