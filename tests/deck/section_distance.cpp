#include "section_distance.hpp"

#include <algorithm>
#include <cmath>

namespace torvane::deck::testing {

namespace {

P3 operator-(P3 a, P3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(P3 a, P3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

double Triangle_distance(P3 p, P3 a, P3 b, P3 c) {
  const P3 ab = b - a, ac = c - a, ap = p - a;
  auto at = [&](double v, double w) {
    const P3 q{a.x + v * ab.x + w * ac.x, a.y + v * ab.y + w * ac.y, a.z + v * ab.z + w * ac.z};
    const P3 d = p - q;
    return std::sqrt(Dot(d, d));
  };
  const double d1 = Dot(ab, ap), d2 = Dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return at(0, 0);
  const P3 bp = p - b;
  const double d3 = Dot(ab, bp), d4 = Dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return at(1, 0);
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return at(d1 / (d1 - d3), 0);
  const P3 cp = p - c;
  const double d5 = Dot(ab, cp), d6 = Dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return at(0, 1);
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return at(0, d2 / (d2 - d6));
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) {
    const double w = (d4 - d3) / ((d4 - d3) + (d5 - d6));
    return at(1 - w, w);
  }
  const double denominator = 1.0 / (va + vb + vc);
  return at(vb * denominator, vc * denominator);
}

std::vector<std::array<P3, 3>> Blade_wall_triangles(const inspect::Grid& g, int ile, int ite, int top,
                                                    double pitch_angle) {
  std::vector<std::array<P3, 3>> triangles;
  auto point = [&](int i, int j, int k) {
    const auto n = g.Index(i, j, k);
    const double turn = j == 1 ? 0.0 : -pitch_angle;
    return P3{g.x[n], g.y[n] * std::cos(turn) + g.z[n] * std::sin(turn),
              g.z[n] * std::cos(turn) - g.y[n] * std::sin(turn)};
  };
  for (int j : {1, g.je}) {
    for (int k = 1; k < top; ++k) {
      for (int i = ile; i < ite; ++i) {
        triangles.push_back({point(i, j, k), point(i + 1, j, k), point(i + 1, j, k + 1)});
        triangles.push_back({point(i, j, k), point(i + 1, j, k + 1), point(i, j, k + 1)});
      }
    }
  }
  return triangles;
}

Section_distance Distance_to_walls(const std::vector<P3>& section, const std::vector<std::array<P3, 3>>& walls) {
  double x_min = 1e300, x_max = -1e300;
  for (const P3& p : section) {
    x_min = std::min(x_min, p.x);
    x_max = std::max(x_max, p.x);
  }
  Section_distance distance;
  for (const P3& p : section) {
    double nearest = 1e300;
    for (const auto& t : walls) nearest = std::min(nearest, Triangle_distance(p, t[0], t[1], t[2]));
    distance.whole = std::max(distance.whole, nearest);
    const double share = (p.x - x_min) / (x_max - x_min);
    if (share >= 0.05 && share <= 0.95) distance.inner = std::max(distance.inner, nearest);
  }
  return distance;
}

}  // namespace torvane::deck::testing
