#include "inspect/quality/wall_checks.hpp"

#include "base/casing_line.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

namespace torvane::inspect {

namespace {

Vec3 Minus(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Spread Spread_of(std::vector<double>& values) {
  Spread s;
  s.count = static_cast<long>(values.size());
  if (values.empty()) return s;
  auto [lo, hi] = std::minmax_element(values.begin(), values.end());
  s.min = *lo;
  s.max = *hi;
  // Median: the middle value, or the mean of the two middle values.
  const std::size_t half = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half), values.end());
  s.median = values[half];
  if (values.size() % 2 == 0) {
    const double below = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half));
    s.median = (below + s.median) / 2;
  }
  return s;
}

// Tangent of the wall along axis d at a point, from neighbours within lo..hi:
// central inside, second-order one-sided at the ends of the patch.
Vec3 Tangent(const Grid& g, const int ijk[3], int d, int lo, int hi) {
  auto at = [&](int n) {
    int q[3] = {ijk[0], ijk[1], ijk[2]};
    q[d] = n;
    return g.Point(q[0], q[1], q[2]);
  };
  const int n = ijk[d];
  if (n > lo && n < hi) return Minus(at(n + 1), at(n - 1));
  if (hi - lo < 2) return hi > lo ? Minus(at(hi), at(lo)) : Vec3{};
  const int s = n == lo ? 1 : -1;
  const Vec3 p0 = at(n), p1 = at(n + s), p2 = at(n + 2 * s);
  // -3 p0 + 4 p1 - p2, pointing the same way whichever end.
  const Vec3 t{4 * p1.x - 3 * p0.x - p2.x, 4 * p1.y - 3 * p0.y - p2.y, 4 * p1.z - 3 * p0.z - p2.z};
  return s > 0 ? t : Vec3{-t.x, -t.y, -t.z};
}

// The list a wall patch's heights go to: the blade's two sides apart, then
// the hub and the casing.
int Wall_of(const Patch& patch) {
  return patch.role == torvane::Patch_role::hub      ? 2
         : patch.role == torvane::Patch_role::casing ? 3
                                                     : (patch.face == 3 ? 0 : 1);
}

// The height of the first cell off each point of a wall patch, along the
// wall's normal, added to out.
void Add_patch_heights(const Grid& grid, const Patch& patch, std::vector<double>& out) {
  const int d = patch.normal;
  const int t1 = (d + 1) % 3, t2 = (d + 2) % 3;
  const int inward = patch.face % 2 == 1 ? 1 : -1;
  int p[3];
  for (p[2] = patch.points.lo[2]; p[2] <= patch.points.hi[2]; ++p[2]) {
    for (p[1] = patch.points.lo[1]; p[1] <= patch.points.hi[1]; ++p[1]) {
      for (p[0] = patch.points.lo[0]; p[0] <= patch.points.hi[0]; ++p[0]) {
        int q[3] = {p[0], p[1], p[2]};
        q[d] += inward;
        const Vec3 off = Minus(grid.Point(q[0], q[1], q[2]), grid.Point(p[0], p[1], p[2]));
        const Vec3 normal = Cross(Tangent(grid, p, t1, patch.points.lo[t1], patch.points.hi[t1]),
                                  Tangent(grid, p, t2, patch.points.lo[t2], patch.points.hi[t2]));
        const double size = std::sqrt(Dot(normal, normal));
        // A wall patch one point wide has no normal: fall back to the distance.
        out.push_back(size > 0 ? std::fabs(Dot(off, normal)) / size : std::sqrt(Dot(off, off)));
      }
    }
  }
}

}  // namespace

Wall_heights First_cell_heights(const Grid& grid, const Block_faces& faces) {
  std::vector<double> heights[4];
  const int extent[3] = {grid.ie, grid.je, grid.ke};
  for (const Patch& patch : faces.patches) {
    if (!Is_wall(patch.role) || patch.empty) continue;
    if (extent[patch.normal] < 2) continue;
    Add_patch_heights(grid, patch, heights[Wall_of(patch)]);
  }
  Wall_heights w;
  w.blade_j1 = Spread_of(heights[0]);
  w.blade_je = Spread_of(heights[1]);
  w.hub = Spread_of(heights[2]);
  w.casing = Spread_of(heights[3]);
  return w;
}

Periodic_match Check_periodic(const Grid& grid, const Block_faces& faces) {
  Periodic_match m;
  for (const Patch& patch : faces.patches) {
    if (!Is_matched(patch.role) || patch.empty) continue;
    const int j = patch.face == 3 ? 1 : grid.je;
    const int partner_j = patch.face == 3 ? grid.je : 1;
    // The partner is turned by the angle in theta, theta measured from z towards y.
    const double c = std::cos(patch.angle), s = std::sin(patch.angle);
    for (int k = patch.points.lo[2]; k <= patch.points.hi[2]; ++k) {
      for (int i = patch.points.lo[0]; i <= patch.points.hi[0]; ++i) {
        const Vec3 p = grid.Point(i, j, k);
        const Vec3 q = grid.Point(i, partner_j, k);
        const Vec3 turned{q.x, q.y * c + q.z * s, q.z * c - q.y * s};
        const Vec3 d = Minus(p, turned);
        const double mismatch = std::sqrt(Dot(d, d));
        const double pitch = std::hypot(p.y, p.z) * faces.pitch_angle;
        const double relative = pitch > 0 ? mismatch / pitch : mismatch;
        ++m.points;
        if (m.points == 1 || relative > m.max_relative) {
          m.max_relative = relative;
          m.max_mismatch = mismatch;
          m.at_i = i;
          m.at_j = j;
          m.at_k = k;
        }
      }
    }
  }
  return m;
}

Blade_sense Check_blade_sense(const Grid& grid, const Block_faces& faces) {
  const std::size_t line = static_cast<std::size_t>(grid.ie);
  // Below the tip plane: there and above it the walls meet on the camber, no blade between them.
  const int blade_top = faces.tip_k > 0 && faces.tip_k < grid.ke ? faces.tip_k - 1 : grid.ke;
  const Grid_points points{grid.x.data(), grid.y.data(), grid.z.data(), grid.ie,
                           grid.je,       blade_top,     line,          line * static_cast<std::size_t>(grid.je)};
  return torvane::Check_blade_sense(points, faces.ile, faces.ite, faces.pitch_angle);
}

Tip_gap_survey Survey_tip_gap(const Grid& grid, const Block_faces& faces) {
  Tip_gap_survey t;
  if (faces.ile == 0 || faces.tip_k == 0 || faces.tip_k >= grid.ke) return t;
  t.tip_k = faces.tip_k;
  const std::size_t stride = 1;
  const std::size_t casing = grid.Index(1, 1, grid.ke);
  double sum = 0;
  for (int i = faces.ile; i <= faces.ite; ++i) {
    const Vec3 tip = grid.Point(i, 1, t.tip_k);
    const double radius = std::hypot(tip.y, tip.z);
    const double gap = torvane::Casing_radius_at(grid.x.data() + casing, grid.y.data() + casing, grid.z.data() + casing,
                                                 grid.ie, stride, tip.x, i - 1) -
                       radius;
    t.tip_radius.push_back(radius);
    t.gap.push_back(gap);
    sum += gap;
    if (i == faces.ile || radius < t.min_tip_radius) t.min_tip_radius = radius;
    if (i == faces.ile || radius > t.max_tip_radius) t.max_tip_radius = radius;
    if (i == faces.ile || gap < t.min_gap) {
      t.min_gap = gap;
      t.min_gap_i = i;
    }
    if (i == faces.ile || gap > t.max_gap) {
      t.max_gap = gap;
      t.max_gap_i = i;
    }
  }
  t.mean_gap = sum / static_cast<double>(t.gap.size());
  return t;
}

}  // namespace torvane::inspect
