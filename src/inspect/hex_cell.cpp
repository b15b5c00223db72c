#include "inspect/hex_cell.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace torvane::inspect {

namespace {

constexpr double kDegrees = 57.295779513082320876798;  // 180 / pi

inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Triple(const Vec3& a, const Vec3& b, const Vec3& c) { return Dot(a, Cross(b, c)); }

}  // namespace

double Hex_volume(const Vec3 p[8]) {
  // Closed form of the trilinear volume as three triple products (exact for any
  // trilinear cell, planar faces or not); corner numbering a + 2b + 4c.
  const Vec3 d71 = p[7] - p[1];
  const Vec3 d72 = p[7] - p[2];
  const Vec3 d74 = p[7] - p[4];
  const Vec3 d60 = p[6] - p[0];
  const Vec3 d30 = p[3] - p[0];
  const Vec3 d50 = p[5] - p[0];
  return (Triple(d71 + d60, d72, d30) + Triple(d60, d72 + d50, d74) + Triple(d71, d50, d74 + d30)) / 12.0;
}

Hex_measures Measure_hex(const Vec3 p[8]) {
  // Unit edge vectors, each pointing towards the higher index:
  // e[0][b + 2c] along i, e[1][a + 2c] along j, e[2][a + 2b] along k.
  Vec3 e[3][4];
  double shortest = std::numeric_limits<double>::infinity();
  double longest = 0;
  bool collapsed = false;
  for (int m = 0; m < 4; ++m) {
    const int lo[3] = {2 * (m & 1) + 4 * (m >> 1), (m & 1) + 4 * (m >> 1), (m & 1) + 2 * (m >> 1)};
    const int step[3] = {1, 2, 4};
    for (int d = 0; d < 3; ++d) {
      Vec3 v = p[lo[d] + step[d]] - p[lo[d]];
      double length = std::sqrt(Dot(v, v));
      shortest = std::min(shortest, length);
      longest = std::max(longest, length);
      if (!(length > 0)) {
        collapsed = true;
        e[d][m] = {};
        continue;
      }
      e[d][m] = {v.x / length, v.y / length, v.z / length};
    }
  }
  Hex_measures h;
  h.volume = Hex_volume(p);
  if (collapsed) {
    h.scaled_jacobian = 0;
    h.min_angle = 0;
    h.max_angle = 180;
    h.aspect_ratio = std::numeric_limits<double>::infinity();
    return h;
  }
  h.aspect_ratio = longest / shortest;
  // Corner (a, b, c): the i edge at (b, c), the j edge at (a, c), the k edge at (a, b).
  double jacobian = std::numeric_limits<double>::infinity();
  for (int c = 0; c < 2; ++c) {
    for (int b = 0; b < 2; ++b) {
      for (int a = 0; a < 2; ++a) {
        jacobian = std::min(jacobian, Triple(e[0][b + 2 * c], e[1][a + 2 * c], e[2][a + 2 * b]));
      }
    }
  }
  h.scaled_jacobian = jacobian;
  // Face corner angles: at local corner (s, t) of a face spanned by edges u and v
  // the edges leave the corner as (1 - 2s) u and (1 - 2t) v.
  double cos_max = -1, cos_min = 1;
  auto corner = [&](const Vec3& u, const Vec3& v, int s, int t) {
    double c = ((s == t) ? 1.0 : -1.0) * Dot(u, v);
    cos_max = std::max(cos_max, c);
    cos_min = std::min(cos_min, c);
  };
  for (int f = 0; f < 2; ++f) {
    for (int s = 0; s < 2; ++s) {
      for (int t = 0; t < 2; ++t) {
        corner(e[0][t + 2 * f], e[1][s + 2 * f], s, t);  // k faces: i edge at (b = t, c = f), j edge at (a = s, c = f)
        corner(e[0][f + 2 * t], e[2][s + 2 * f], s, t);  // j faces: i edge at (b = f, c = t), k edge at (a = s, b = f)
        corner(e[1][f + 2 * t], e[2][f + 2 * s], s, t);  // i faces: j edge at (a = f, c = t), k edge at (a = f, b = s)
      }
    }
  }
  h.min_angle = std::acos(std::clamp(cos_max, -1.0, 1.0)) * kDegrees;
  h.max_angle = std::acos(std::clamp(cos_min, -1.0, 1.0)) * kDegrees;
  return h;
}

}  // namespace torvane::inspect
