#include "base/grid_check.hpp"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <vector>

namespace torvane {

namespace {

// The unit edges of one plane of points k: along i ((ie - 1) x je, (i, j) at
// (j - 1)(ie - 1) + i - 1) and along j (ie x (je - 1), (i, j) at (j - 1) ie + i - 1).
struct Plane_edges {
  Unit_edge* along_i;
  Unit_edge* along_j;
};

std::size_t Plane_edge_count(int ie, int je) {
  return static_cast<std::size_t>(ie - 1) * static_cast<std::size_t>(je) +
         static_cast<std::size_t>(ie) * static_cast<std::size_t>(je - 1);
}

void Measure_plane(const Grid_points& g, int k, Plane_edges& plane) {
  std::size_t n = 0;
  for (int j = 1; j <= g.je; ++j) {
    for (int i = 1; i < g.ie; ++i) plane.along_i[n++] = Edge_between(g.Point(i, j, k), g.Point(i + 1, j, k));
  }
  n = 0;
  for (int j = 1; j < g.je; ++j) {
    for (int i = 1; i <= g.ie; ++i) plane.along_j[n++] = Edge_between(g.Point(i, j, k), g.Point(i, j + 1, k));
  }
}

}  // namespace

Fold_work::Fold_work(int ie, int je)
    : edges(ie < 2 || je < 2
                ? 0
                : 2 * Plane_edge_count(ie, je) + static_cast<std::size_t>(ie) * static_cast<std::size_t>(je)),
      crosses(ie < 2 ? 0 : 4 * static_cast<std::size_t>(ie)) {}

Folded_cells Find_folded_cells(const Grid_points& g) {
  Fold_work work(g.ie, g.je);
  return Find_folded_cells(g, work);
}

Folded_cells Find_folded_cells(const Grid_points& g, Fold_work& work) {
  Folded_cells f;
  const int ni = g.ie - 1, nj = g.je - 1, nk = g.ke - 1;
  if (ni < 1 || nj < 1 || nk < 1) return f;
  f.cells = static_cast<long>(ni) * nj * nk;
  const std::size_t ie = static_cast<std::size_t>(g.ie);
  const std::size_t cells_i = static_cast<std::size_t>(ni);
  const std::size_t per_plane = Plane_edge_count(g.ie, g.je);
  assert(work.edges.size() >= 2 * per_plane + ie * static_cast<std::size_t>(g.je) && work.crosses.size() >= 4 * ie);
  Plane_edges planes[2];
  for (int n = 0; n < 2; ++n) {
    planes[n].along_i = work.edges.data() + static_cast<std::size_t>(n) * per_plane;
    planes[n].along_j = planes[n].along_i + cells_i * static_cast<std::size_t>(g.je);
  }
  Unit_edge* along_k = work.edges.data() + 2 * per_plane;  // (i, j) at (j - 1) ie + i - 1
  Vec3* crosses = work.crosses.data();                     // the faces across i of one row
  Plane_edges* lower = &planes[0];
  Plane_edges* upper = &planes[1];
  Measure_plane(g, 1, *lower);
  for (int k = 1; k <= nk; ++k) {
    Measure_plane(g, k + 1, *upper);
    std::size_t n = 0;
    for (int j = 1; j <= g.je; ++j) {
      for (int i = 1; i <= g.ie; ++i) along_k[n++] = Edge_between(g.Point(i, j, k), g.Point(i, j, k + 1));
    }
    const Plane_edges* level[2] = {lower, upper};
    for (int j = 1; j <= nj; ++j) {
      const std::size_t row_i = static_cast<std::size_t>(j - 1) * cells_i;
      const std::size_t row_j = static_cast<std::size_t>(j - 1) * ie;
      for (std::size_t i = 0; i < ie; ++i) {
        Face_crosses(lower->along_j[row_j + i], upper->along_j[row_j + i], along_k[row_j + i], along_k[row_j + ie + i],
                     &crosses[4 * i]);
      }
      for (std::size_t at = 0; at < cells_i; ++at) {
        const Unit_edge* along_i[4];
        double shortest = std::numeric_limits<double>::infinity();
        for (int c = 0; c < 2; ++c) {
          for (int b = 0; b < 2; ++b) {
            const Unit_edge* edges[3] = {
                &level[c]->along_i[row_i + static_cast<std::size_t>(b) * cells_i + at],
                &level[c]->along_j[row_j + at + static_cast<std::size_t>(b)],
                &along_k[row_j + static_cast<std::size_t>(c) * ie + at + static_cast<std::size_t>(b)]};
            for (const Unit_edge* e : edges) shortest = std::min(shortest, e->length);
            along_i[b + 2 * c] = edges[0];
          }
        }
        if (!Is_folded(Scaled_jacobian(along_i, &crosses[4 * at], &crosses[4 * at + 4], shortest))) continue;
        if (f.folded++ == 0) {
          f.first_i = static_cast<int>(at) + 1;
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
