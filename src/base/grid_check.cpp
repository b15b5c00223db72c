#include "base/grid_check.hpp"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>
#include <vector>

namespace torvane {

namespace {

// The fast path. Each edge is scaled by the power of two that brings its
// length into [1, 2) (exact in double, since only the exponent changes) and
// rounded to single precision. The triple product d of a corner's three scaled
// edges, worked out in single precision, differs from the exact one of the
// scaled edges by less than 20 units of single rounding (6e-8) times the
// product of their lengths (less than 8): about 1e-5. So d > 1e-3 puts the
// exact scaled Jacobian of the corner (the triple product over the product of
// the lengths, which the scaling leaves as it is) above 1e-4, far above the
// few units of double rounding by which Cell_scaled_jacobian can miss it: the
// corner is positive. An edge of zero, subnormal or infinite squared length,
// or a NaN, becomes NaN and fails the test; such cells, and every cell with a
// corner below the bound, take the plain measure.
constexpr float kPlainlyPositive = 1e-3f;
// A corner whose single-precision d passes d > 0 and d^2 > kPlainlyGood x the
// product of its three squared edge lengths has a scaled Jacobian above
// kBadScaledJacobian (0.2^2 = 0.04, the margin far above single rounding).
constexpr float kPlainlyGood = 0.0401f;

// Scaled edges of one set, each coordinate in an array of its own, so that
// the loops along i take several edges at a time.
struct Edge_arrays {
  float* x;
  float* y;
  float* z;
  Edge_arrays At(std::size_t n) const { return {x + n, y + n, z + n}; }
};

// The loops below are plain arrays in and out that do not overlap, the same
// operations for every element: the compiler takes several elements at a time
// (four or eight with AVX2, in the copy built for processors that have it),
// with the same bits as one at a time, since every element is worked out on its own.

// The edges from point n to point n + step, for the n points from `from`,
// scaled as the fast path takes them.
__attribute__((target_clones("avx2", "default"))) void Raw_edges(std::size_t n, const double* __restrict x,
                                                                 const double* __restrict y, const double* __restrict z,
                                                                 std::size_t step, float* __restrict ex,
                                                                 float* __restrict ey, float* __restrict ez) {
  constexpr std::uint64_t kExponentMask = 0x7ff;
  for (std::size_t m = 0; m < n; ++m) {
    const double vx = x[m + step] - x[m], vy = y[m + step] - y[m], vz = z[m + step] - z[m];
    const double squared = vx * vx + vy * vy + vz * vz;
    // squared is 2^(E - 1023) times [1, 2); the scale 2^-floor((E - 1023) / 2),
    // exponent field (3070 - E) / 2, brings the length into [1, 2).
    const std::uint64_t e = (std::bit_cast<std::uint64_t>(squared) >> 52) & kExponentMask;
    const double scale = std::bit_cast<double>(((3070 - e) >> 1) << 52);
    const double usable = (e > 0) & (e < kExponentMask) ? scale : std::numeric_limits<double>::quiet_NaN();
    ex[m] = static_cast<float>(vx * usable);
    ey[m] = static_cast<float>(vy * usable);
    ez[m] = static_cast<float>(vz * usable);
  }
}

// Scaled edges to read.
struct Edge_view {
  const float *x, *y, *z;
};

// The edges around a row of cells, from its first cell: along i at the four
// rows (b, c), [b + 2c]; along j at c and along k at b, from the row's first point.
struct Row_edges {
  Edge_view along_i[4];
  Edge_view along_j[2];
  Edge_view along_k[2];
};

// Whether corners a = 0 and a = 1 of cell m on its i edge e are plainly
// positive: e against the cross product j x k of the face a, at point m + a.
// The cross products of a face are worked out for both cells it parts, so
// that every cell is one step of the loop below.
// Bit 0: both plainly positive; bit 1: both plainly above the bad band too.
inline std::int32_t Plain_corners(const Edge_view& e, const Edge_view& j, const Edge_view& k, std::size_t m) {
  bool both = true;
  bool both_good = true;
  const float ee = e.x[m] * e.x[m] + e.y[m] * e.y[m] + e.z[m] * e.z[m];
  for (std::size_t p = m; p <= m + 1; ++p) {
    const float cx = j.y[p] * k.z[p] - j.z[p] * k.y[p];
    const float cy = j.z[p] * k.x[p] - j.x[p] * k.z[p];
    const float cz = j.x[p] * k.y[p] - j.y[p] * k.x[p];
    const float d = e.x[m] * cx + e.y[m] * cy + e.z[m] * cz;
    const float jj = j.x[p] * j.x[p] + j.y[p] * j.y[p] + j.z[p] * j.z[p];
    const float kk = k.x[p] * k.x[p] + k.y[p] * k.y[p] + k.z[p] * k.z[p];
    both &= d > kPlainlyPositive;
    both_good &= d * d > kPlainlyGood * (ee * (jj * kk));
  }
  return static_cast<std::int32_t>(both) | (static_cast<std::int32_t>(both & both_good) << 1);
}

// Sets plain[m] when all eight corners of cell m of the row are plainly
// positive, else clears it: corner (a, b, c) takes the i edge of row (b, c)
// and the face a's cross product j_c x k_b.
__attribute__((target_clones("avx2", "default"))) void Plain_cells(std::size_t n, const Row_edges& r,
                                                                   std::int32_t* __restrict plain) {
  const Edge_view i00 = r.along_i[0], i10 = r.along_i[1], i01 = r.along_i[2], i11 = r.along_i[3];
  const Edge_view j0 = r.along_j[0], j1 = r.along_j[1], k0 = r.along_k[0], k1 = r.along_k[1];
  for (std::size_t m = 0; m < n; ++m) {
    plain[m] = Plain_corners(i00, j0, k0, m) & Plain_corners(i10, j0, k1, m) & Plain_corners(i01, j1, k0, m) &
               Plain_corners(i11, j1, k1, m);
  }
}

// Of the swept angle at n stations, one interval across the pitch further:
// each increment atan(t), t = c / d, with c and d the arguments Swept_angle
// gives atan2, is t - t^3/3 within |t|^5/5 while |t| <= 1/2 (the series
// alternates and falls). sum gathers t - t^3/3, remainder |t|^5/5, size |t|;
// sound stays set while every d is positive and every |t| at most 1/2.
__attribute__((target_clones("avx2", "default"))) void Swept_bounds(
    std::size_t n, const double* __restrict py, const double* __restrict pz, const double* __restrict ny,
    const double* __restrict nz, double* __restrict sum, double* __restrict remainder, double* __restrict size,
    std::int64_t* __restrict sound) {
  for (std::size_t m = 0; m < n; ++m) {
    const double c = pz[m] * ny[m] - py[m] * nz[m];
    const double d = py[m] * ny[m] + pz[m] * nz[m];
    const double t = c / d;
    const double t2 = t * t;
    const double magnitude = std::fabs(t);
    sum[m] += t - t2 * t / 3;
    remainder[m] += t2 * t2 * magnitude / 5;
    size[m] += magnitude;
    sound[m] &= static_cast<std::int64_t>((d > 0) & (magnitude <= 0.5));
  }
}

// The rounding of the swept angle and of its bounds, relative to the sum of
// the increments' sizes: far above that of the largest grid's intervals across the
// pitch, far below the tolerance.
constexpr double kSweptRounding = 1e-12;

}  // namespace

double Cell_scaled_jacobian(const Grid_points& g, int i, int j, int k) {
  // Corners (a, b, c) at a + 2b + 4c; the edges along i leave the corners
  // with a = 0, along j those with b = 0, along k those with c = 0.
  Vec3 p[8];
  for (int c = 0; c < 2; ++c) {
    for (int b = 0; b < 2; ++b) {
      for (int a = 0; a < 2; ++a) p[a + 2 * b + 4 * c] = g.Point(i + a, j + b, k + c);
    }
  }
  Unit_edge along_i[4], along_j[4], along_k[4];
  double shortest = std::numeric_limits<double>::infinity();
  for (int m = 0; m < 4; ++m) {
    const int lo = m & 1, hi = m >> 1;
    along_i[m] = Edge_between(p[2 * lo + 4 * hi], p[1 + 2 * lo + 4 * hi]);  // at (b, c) = (lo, hi)
    along_j[m] = Edge_between(p[lo + 4 * hi], p[lo + 2 + 4 * hi]);          // at (a, c)
    along_k[m] = Edge_between(p[lo + 2 * hi], p[lo + 2 * hi + 4]);          // at (a, b)
    shortest = std::min({shortest, along_i[m].length, along_j[m].length, along_k[m].length});
  }
  // The face a: j edges at (a, 0) and (a, 1), k edges at (a, 0) and (a, 1).
  Vec3 face[2][4];
  for (int a = 0; a < 2; ++a) Face_crosses(along_j[a], along_j[a + 2], along_k[a], along_k[a + 2], face[a]);
  const Unit_edge* i_edges[4] = {&along_i[0], &along_i[1], &along_i[2], &along_i[3]};
  return Scaled_jacobian(i_edges, face[0], face[1], shortest);
}

Folded_cells Merged(const Folded_cells& a, const Folded_cells& b) {
  Folded_cells m;
  m.cells = a.cells + b.cells;
  m.folded = a.folded + b.folded;
  // The first in storage order: the lower k, then j, then i.
  const Folded_cells* first = &a;
  if (a.folded == 0 ||
      (b.folded > 0 && std::tie(b.first_k, b.first_j, b.first_i) < std::tie(a.first_k, a.first_j, a.first_i))) {
    first = &b;
  }
  m.first_i = first->first_i;
  m.first_j = first->first_j;
  m.first_k = first->first_k;
  if (m.folded == 0) m.first_i = m.first_j = m.first_k = 0;
  // The worst bad cell; of two as bad, the first in storage order.
  m.bad = a.bad + b.bad;
  const Folded_cells* worst = &a;
  if (a.bad == 0 ||
      (b.bad > 0 && (b.worst < a.worst || (b.worst == a.worst && std::tie(b.worst_k, b.worst_j, b.worst_i) <
                                                                     std::tie(a.worst_k, a.worst_j, a.worst_i))))) {
    worst = &b;
  }
  m.worst = worst->worst;
  m.worst_i = worst->worst_i;
  m.worst_j = worst->worst_j;
  m.worst_k = worst->worst_k;
  if (m.bad == 0) m.worst_i = m.worst_j = m.worst_k = 0;
  return m;
}

namespace {

// The arrays of a Fold_work for rows of ie points: five sets of edges (the
// edges along i and along j of two planes, the edges along k between them),
// each of three arrays of je rows of ie.
constexpr std::size_t kEdgeSets = 5;

std::size_t Edge_set_size(std::size_t ie, std::size_t je) { return 3 * ie * je; }

}  // namespace

Fold_work::Fold_work(int ie, int je)
    : arrays(ie < 2 || je < 2 ? 0
                              : kEdgeSets * Edge_set_size(static_cast<std::size_t>(ie), static_cast<std::size_t>(je))),
      plain(ie < 2 ? 0 : static_cast<std::size_t>(ie)),
      ie(ie),
      je(je) {}

Folded_cells Find_folded_cells(const Grid_points& g) {
  Fold_work work(g.ie, g.je);
  return Find_folded_cells(g, work);
}

Folded_cells Find_folded_cells(const Grid_points& g, Fold_work& work) {
  return Find_folded_cells(g, work, 1, g.ke - 1);
}

namespace {

// The edges of a plane of points k: along i (row j at (j - 1) ie, ie - 1 of
// them) and along j (row j < je at (j - 1) ie, ie of them).
struct Plane_edges {
  Edge_arrays along_i;
  Edge_arrays along_j;
};

// The edges from the n points from point `from` to those `step` further on.
void Measure_edges(const Grid_points& g, std::size_t from, std::size_t n, std::size_t step, const Edge_arrays& to) {
  Raw_edges(n, g.x + from, g.y + from, g.z + from, step, to.x, to.y, to.z);
}

void Measure_plane(const Grid_points& g, int k, const Plane_edges& plane) {
  const std::size_t ie = static_cast<std::size_t>(g.ie);
  if (g.line == ie) {
    // The rows follow one another: each set in one pass (the edges across a
    // row's end, from its last point to the next row's first, are never read).
    const std::size_t rows = static_cast<std::size_t>(g.je);
    Measure_edges(g, g.Index(1, 1, k), ie * rows - 1, 1, plane.along_i);
    Measure_edges(g, g.Index(1, 1, k), ie * (rows - 1), g.line, plane.along_j);
    return;
  }
  for (int j = 1; j <= g.je; ++j) {
    const std::size_t row = static_cast<std::size_t>(j - 1) * ie;
    Measure_edges(g, g.Index(1, j, k), ie - 1, 1, plane.along_i.At(row));
    if (j < g.je) Measure_edges(g, g.Index(1, j, k), ie, g.line, plane.along_j.At(row));
  }
}

// Counts the cell when its scaled Jacobian lies in the bad band, keeping the worst.
void Take_if_bad(Folded_cells& f, double sj, int i, int j, int k) {
  if (sj >= kBadScaledJacobian) return;
  // A NaN measure is the worst there is.
  const double badness = std::isnan(sj) ? -std::numeric_limits<double>::infinity() : sj;
  if (f.bad++ == 0 || badness < f.worst) {
    f.worst = badness;
    f.worst_i = i;
    f.worst_j = j;
    f.worst_k = k;
  }
}

}  // namespace

Folded_cells Find_folded_cells(const Grid_points& g, Fold_work& work, int k_first, int k_last) {
  Folded_cells f;
  const int ni = g.ie - 1, nj = g.je - 1;
  if (ni < 1 || nj < 1 || k_first < 1 || k_last > g.ke - 1 || k_first > k_last) return f;
  f.cells = static_cast<long>(ni) * nj * (k_last - k_first + 1);
  assert(work.ie >= g.ie && work.je >= g.je);
  const std::size_t ie = static_cast<std::size_t>(g.ie);
  const std::size_t cells_i = static_cast<std::size_t>(ni);
  // The arrays laid out for this grid's rows, within the work's room.
  const std::size_t set = Edge_set_size(ie, static_cast<std::size_t>(g.je));
  float* next = work.arrays.data();
  auto take = [&next](std::size_t n) {
    const Edge_arrays e{next, next + n, next + 2 * n};
    next += 3 * n;
    return e;
  };
  Plane_edges planes[2];
  for (Plane_edges& plane : planes) {
    plane.along_i = take(set / 3);
    plane.along_j = take(set / 3);
  }
  const Edge_arrays along_k = take(set / 3);  // (i, j) at (j - 1) ie + i - 1
  std::int32_t* plain = work.plain.data();

  const Plane_edges* lower = &planes[0];
  const Plane_edges* upper = &planes[1];
  Measure_plane(g, k_first, *lower);
  for (int k = k_first; k <= k_last; ++k) {
    Measure_plane(g, k + 1, *upper);
    if (g.line == ie) {
      Measure_edges(g, g.Index(1, 1, k), ie * static_cast<std::size_t>(g.je), g.plane, along_k);
    } else {
      for (int j = 1; j <= g.je; ++j) {
        Measure_edges(g, g.Index(1, j, k), ie, g.plane, along_k.At(static_cast<std::size_t>(j - 1) * ie));
      }
    }
    for (int j = 1; j <= nj; ++j) {
      const std::size_t row = static_cast<std::size_t>(j - 1) * ie;
      const Edge_arrays i_edge[4] = {lower->along_i.At(row), lower->along_i.At(row + ie), upper->along_i.At(row),
                                     upper->along_i.At(row + ie)};
      const Edge_arrays j_edge[2] = {lower->along_j.At(row), upper->along_j.At(row)};
      const Edge_arrays k_edge[2] = {along_k.At(row), along_k.At(row + ie)};
      auto view = [](const Edge_arrays& e) { return Edge_view{e.x, e.y, e.z}; };
      const Row_edges edges{{view(i_edge[0]), view(i_edge[1]), view(i_edge[2]), view(i_edge[3])},
                            {view(j_edge[0]), view(j_edge[1])},
                            {view(k_edge[0]), view(k_edge[1])}};
      Plain_cells(cells_i, edges, plain);
      for (std::size_t at = 0; at < cells_i; ++at) {
        if (plain[at] == 3) continue;  // plainly positive and plainly not bad
        const int i = static_cast<int>(at) + 1;
        const double sj = Cell_scaled_jacobian(g, i, j, k);
        Take_if_bad(f, sj, i, j, k);
        if (!Is_folded(sj)) continue;
        if (f.folded++ == 0) {
          f.first_i = i;
          f.first_j = j;
          f.first_k = k;
        }
      }
    }
    std::swap(lower, upper);
  }
  return f;
}

namespace {

// The angle swept from wall j = 1 to wall j = je at station (i, k), one
// wrapped increment per interval.
double Swept_angle(const Grid_points& grid, int i, int k) {
  double swept = 0;
  Vec3 prev = grid.Point(i, 1, k);
  for (int j = 2; j <= grid.je; ++j) {
    const Vec3 next = grid.Point(i, j, k);
    swept += std::atan2(prev.z * next.y - prev.y * next.z, prev.y * next.y + prev.z * next.z);
    prev = next;
  }
  return swept;
}

// A station covers the blade when the passage is wider than the pitch or runs backwards.
bool Covers(double gap, double pitch_angle, double tolerance) {
  return gap < -tolerance || gap > pitch_angle + tolerance;
}

}  // namespace

Blade_sense Check_blade_sense(const Grid_points& grid, int ile, int ite, double pitch_angle) {
  Blade_sense b;
  if (ile == 0 || pitch_angle == 0) return b;
  const double tolerance = kPitchTolerance * pitch_angle;
  for (int k = 1; k <= grid.ke; ++k) {
    for (int i = ile; i <= ite; ++i) {
      const double gap = pitch_angle - Swept_angle(grid, i, k);
      const Vec3 wall = grid.Point(i, 1, k);
      const double thickness = std::hypot(wall.y, wall.z) * gap;
      if (Covers(gap, pitch_angle, tolerance)) {
        if (b.covering++ == 0) {
          b.first_i = i;
          b.first_k = k;
          b.first_thickness = thickness;
        }
      }
      if (b.stations == 0 || thickness < b.min_thickness) {
        b.min_thickness = thickness;
        b.at_i = i;
        b.at_k = k;
      }
      b.max_thickness = b.stations == 0 ? thickness : std::max(b.max_thickness, thickness);
      ++b.stations;
    }
  }
  return b;
}

Sense_work::Sense_work(int ie)
    : arrays(3 * static_cast<std::size_t>(std::max(ie, 0))), sound(static_cast<std::size_t>(std::max(ie, 0))), ie(ie) {}

Blade_sense Find_covering_stations(const Grid_points& grid, int ile, int ite, double pitch_angle, Sense_work& work,
                                   int k_first, int k_last) {
  Blade_sense b;
  if (ile == 0 || pitch_angle == 0) return b;
  assert(1 <= k_first && k_last <= grid.ke);
  assert(work.ie >= ite);
  const double tolerance = kPitchTolerance * pitch_angle;
  const std::size_t n = static_cast<std::size_t>(ite - ile + 1);
  double* sum = work.arrays.data();
  double* remainder = sum + n;
  double* size = remainder + n;
  std::int64_t* sound = work.sound.data();
  for (int k = k_first; k <= k_last; ++k) {
    std::fill(sum, sum + 3 * n, 0.0);
    std::fill(sound, sound + n, std::int64_t{1});
    for (int j = 1; j < grid.je; ++j) {
      const std::size_t at = grid.Index(ile, j, k);
      Swept_bounds(n, grid.y + at, grid.z + at, grid.y + at + grid.line, grid.z + at + grid.line, sum, remainder, size,
                   sound);
    }
    for (std::size_t m = 0; m < n; ++m) {
      ++b.stations;
      // The swept angle lies within margin of sum: the series' remainder and
      // the rounding of atan2, of the sums and of the increments' quotients.
      const double margin = 1.01 * remainder[m] + kSweptRounding * (size[m] + pitch_angle);
      if (sound[m] != 0 && sum[m] + margin <= pitch_angle + tolerance && sum[m] - margin >= -tolerance) continue;
      const int i = ile + static_cast<int>(m);
      const double gap = pitch_angle - Swept_angle(grid, i, k);
      if (!Covers(gap, pitch_angle, tolerance)) continue;
      if (b.covering++ == 0) {
        const Vec3 wall = grid.Point(i, 1, k);
        b.first_i = i;
        b.first_k = k;
        b.first_thickness = std::hypot(wall.y, wall.z) * gap;
      }
    }
  }
  return b;
}

Blade_sense Merged(const Blade_sense& a, const Blade_sense& b) {
  Blade_sense m;
  m.stations = a.stations + b.stations;
  m.covering = a.covering + b.covering;
  // The first in k, then i.
  const Blade_sense* first = &a;
  if (a.covering == 0 || (b.covering > 0 && std::tie(b.first_k, b.first_i) < std::tie(a.first_k, a.first_i))) {
    first = &b;
  }
  if (m.covering > 0) {
    m.first_i = first->first_i;
    m.first_k = first->first_k;
    m.first_thickness = first->first_thickness;
  }
  return m;
}

}  // namespace torvane
