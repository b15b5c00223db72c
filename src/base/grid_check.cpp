#include "base/grid_check.hpp"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

namespace torvane {

namespace {

// The raw edges of one plane of points k: along i ((ie - 1) x je, (i, j) at
// (j - 1)(ie - 1) + i - 1) and along j (ie x (je - 1), (i, j) at (j - 1) ie + i - 1).
struct Plane_edges {
  Raw_edge* along_i;
  Raw_edge* along_j;
};

std::size_t Plane_edge_count(int ie, int je) {
  return static_cast<std::size_t>(ie - 1) * static_cast<std::size_t>(je) +
         static_cast<std::size_t>(ie) * static_cast<std::size_t>(je - 1);
}

// The edge from point n to point n + step of the coordinate arrays.
Raw_edge Raw_between(const Grid_points& g, std::size_t n, std::size_t step) {
  const Vec3 v{g.x[n + step] - g.x[n], g.y[n + step] - g.y[n], g.z[n + step] - g.z[n]};
  return {v, shape_math::Dot(v, v)};
}

void Measure_plane(const Grid_points& g, int k, Plane_edges& plane) {
  Raw_edge* along_i = plane.along_i;
  for (int j = 1; j <= g.je; ++j) {
    const std::size_t row = g.Index(1, j, k);
    for (std::size_t i = 0; i + 1 < static_cast<std::size_t>(g.ie); ++i) *along_i++ = Raw_between(g, row + i, 1);
  }
  Raw_edge* along_j = plane.along_j;
  for (int j = 1; j < g.je; ++j) {
    const std::size_t row = g.Index(1, j, k);
    for (std::size_t i = 0; i < static_cast<std::size_t>(g.ie); ++i) *along_j++ = Raw_between(g, row + i, g.line);
  }
}

// The fast path. The raw triple product d of a corner's three edges (lengths
// li, lj, lk) differs from li lj lk times the exact scaled Jacobian by a few
// units of rounding of li lj lk, and the scaled Jacobian worked out from unit
// vectors differs from the exact one by a few units of rounding; so when
// d > 1e-12 li lj lk (squared: d^2 > 1e-24 li^2 lj^2 lk^2) the scaled Jacobian
// Cell_scaled_jacobian gives is positive. A zero edge, a NaN or a value too
// small to compare fails the test and takes the plain measure.
constexpr double kPlainlyPositive = 1e-24;

// d against its bound, 1e-24 li^2 lj^2 lk^2.
bool Plainly_positive(double d, double bound) { return (d > 0) & (bound > 0) & (d * d > bound); }

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
  return m;
}

Fold_work::Fold_work(int ie, int je)
    : edges(ie < 2 || je < 2
                ? 0
                : 2 * Plane_edge_count(ie, je) + static_cast<std::size_t>(ie) * static_cast<std::size_t>(je)),
      faces(ie < 2 ? 0 : static_cast<std::size_t>(ie)) {}

Folded_cells Find_folded_cells(const Grid_points& g) {
  Fold_work work(g.ie, g.je);
  return Find_folded_cells(g, work);
}

Folded_cells Find_folded_cells(const Grid_points& g, Fold_work& work) {
  return Find_folded_cells(g, work, 1, g.ke - 1);
}

Folded_cells Find_folded_cells(const Grid_points& g, Fold_work& work, int k_first, int k_last) {
  Folded_cells f;
  const int ni = g.ie - 1, nj = g.je - 1;
  if (ni < 1 || nj < 1 || k_first < 1 || k_last > g.ke - 1 || k_first > k_last) return f;
  f.cells = static_cast<long>(ni) * nj * (k_last - k_first + 1);
  const std::size_t ie = static_cast<std::size_t>(g.ie);
  const std::size_t cells_i = static_cast<std::size_t>(ni);
  const std::size_t per_plane = Plane_edge_count(g.ie, g.je);
  assert(work.edges.size() >= 2 * per_plane + ie * static_cast<std::size_t>(g.je) && work.faces.size() >= ie);
  Plane_edges planes[2];
  for (int n = 0; n < 2; ++n) {
    planes[n].along_i = work.edges.data() + static_cast<std::size_t>(n) * per_plane;
    planes[n].along_j = planes[n].along_i + cells_i * static_cast<std::size_t>(g.je);
  }
  Raw_edge* along_k = work.edges.data() + 2 * per_plane;  // (i, j) at (j - 1) ie + i - 1
  Raw_face* faces = work.faces.data();                    // the faces across i of one row
  Plane_edges* lower = &planes[0];
  Plane_edges* upper = &planes[1];
  Measure_plane(g, k_first, *lower);
  for (int k = k_first; k <= k_last; ++k) {
    Measure_plane(g, k + 1, *upper);
    std::size_t n = 0;
    for (int j = 1; j <= g.je; ++j) {
      const std::size_t row = g.Index(1, j, k);
      for (std::size_t i = 0; i < ie; ++i) along_k[n++] = Raw_between(g, row + i, g.plane);
    }
    for (int j = 1; j <= nj; ++j) {
      const std::size_t row_i = static_cast<std::size_t>(j - 1) * cells_i;
      const std::size_t row_j = static_cast<std::size_t>(j - 1) * ie;
      for (std::size_t i = 0; i < ie; ++i) {
        const Raw_edge* j_edge[2] = {&lower->along_j[row_j + i], &upper->along_j[row_j + i]};
        const Raw_edge* k_edge[2] = {&along_k[row_j + i], &along_k[row_j + ie + i]};
        for (int c = 0; c < 2; ++c) {
          for (int b = 0; b < 2; ++b) {
            faces[i].cross[b + 2 * c] = shape_math::Cross(j_edge[c]->v, k_edge[b]->v);
            faces[i].squared[b + 2 * c] = j_edge[c]->squared * k_edge[b]->squared;
          }
        }
      }
      // The edges along i of the cells' four rows (b, c).
      const Raw_edge* rows[4] = {&lower->along_i[row_i], &lower->along_i[row_i + cells_i], &upper->along_i[row_i],
                                 &upper->along_i[row_i + cells_i]};
      for (std::size_t at = 0; at < cells_i; ++at) {
        // All eight corners, without a branch between them: corner (a, b, c)
        // takes the i edge of row (b, c) and the face a.
        bool plain = true;
        for (int m = 0; m < 4; ++m) {
          const Raw_edge& e_i = rows[m][at];
          const double scale = kPlainlyPositive * e_i.squared;
          for (std::size_t a = 0; a < 2; ++a) {
            const Raw_face& face = faces[at + a];
            plain &= Plainly_positive(shape_math::Dot(e_i.v, face.cross[m]), scale * face.squared[m]);
          }
        }
        if (plain) continue;
        const int i = static_cast<int>(at) + 1;
        if (!Is_folded(Cell_scaled_jacobian(g, i, j, k))) continue;
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

Blade_sense Check_blade_sense(const Grid_points& grid, int ile, int ite, double pitch_angle) {
  Blade_sense b;
  if (ile == 0 || pitch_angle == 0) return b;
  const double tolerance = kPitchTolerance * pitch_angle;
  for (int k = 1; k <= grid.ke; ++k) {
    for (int i = ile; i <= ite; ++i) {
      // Angle swept from j = 1 to j = je, one wrapped increment per interval.
      double swept = 0;
      Vec3 prev = grid.Point(i, 1, k);
      for (int j = 2; j <= grid.je; ++j) {
        const Vec3 next = grid.Point(i, j, k);
        swept += std::atan2(prev.z * next.y - prev.y * next.z, prev.y * next.y + prev.z * next.z);
        prev = next;
      }
      const double gap = pitch_angle - swept;
      const Vec3 wall = grid.Point(i, 1, k);
      const double thickness = std::hypot(wall.y, wall.z) * gap;
      if (gap < -tolerance || gap > pitch_angle + tolerance) {
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

}  // namespace torvane
