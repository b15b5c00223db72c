#include "inspect/cell_sweep.hpp"

#include <utility>
#include <vector>

#include "inspect/large_arrays.hpp"

namespace torvane::inspect {

namespace {

using Edges = std::vector<Unit_edge, Large_allocator<Unit_edge>>;

// The grid lines along i and j of one plane of points k.
struct Plane_edges {
  Unit_edge* along_i;  // ni x je, (i, j) at (j - 1) ni + i - 1
  Unit_edge* along_j;  // ie x nj, (i, j) at (j - 1) ie + i - 1
};

Vec3 Point_at(const Grid& g, std::size_t n) { return {g.x[n], g.y[n], g.z[n]}; }

void Measure_plane(const Grid& g, int k, Plane_edges& plane) {
  const std::size_t ie = static_cast<std::size_t>(g.ie), je = static_cast<std::size_t>(g.je);
  const std::size_t base = g.Index(1, 1, k);
  Unit_edge* along_i = plane.along_i;
  for (std::size_t j = 0; j < je; ++j) {
    const std::size_t row = base + j * ie;
    for (std::size_t i = 0; i + 1 < ie; ++i) *along_i++ = Edge_between(Point_at(g, row + i), Point_at(g, row + i + 1));
  }
  Unit_edge* along_j = plane.along_j;
  for (std::size_t j = 0; j + 1 < je; ++j) {
    const std::size_t row = base + j * ie;
    for (std::size_t i = 0; i < ie; ++i) *along_j++ = Edge_between(Point_at(g, row + i), Point_at(g, row + ie + i));
  }
}

}  // namespace

void Sweep_cells(const Grid& g, const Shape_row& row) {
  const int ni = g.ie - 1, nj = g.je - 1, nk = g.ke - 1;
  if (ni < 1 || nj < 1 || nk < 1) return;
  const std::size_t ie = static_cast<std::size_t>(g.ie), plane_points = ie * static_cast<std::size_t>(g.je);
  // All edges in one block, so that they take a huge page or two rather than some 700 small ones.
  const std::size_t lines_i = static_cast<std::size_t>(ni) * static_cast<std::size_t>(g.je);
  const std::size_t lines_j = ie * static_cast<std::size_t>(nj);
  Edges block(2 * (lines_i + lines_j) + plane_points);
  Plane_edges planes[2];
  for (int n = 0; n < 2; ++n) {
    planes[n].along_i = block.data() + static_cast<std::size_t>(n) * (lines_i + lines_j);
    planes[n].along_j = planes[n].along_i + lines_i;
  }
  Unit_edge* along_k = block.data() + 2 * (lines_i + lines_j);  // between planes k and k + 1, (i, j) at (j - 1) ie + i - 1
  std::vector<Hex_shape> shapes(static_cast<std::size_t>(ni));
  Plane_edges* lower = &planes[0];
  Plane_edges* upper = &planes[1];
  Measure_plane(g, 1, *lower);
  for (int k = 1; k <= nk; ++k) {
    Measure_plane(g, k + 1, *upper);
    const std::size_t base = g.Index(1, 1, k);
    for (std::size_t n = 0; n < plane_points; ++n) {
      along_k[n] = Edge_between(Point_at(g, base + n), Point_at(g, base + plane_points + n));
    }
    const Plane_edges* level[2] = {lower, upper};
    for (int j = 1; j <= nj; ++j) {
      const std::size_t row_i = static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(ni);
      const std::size_t row_j = static_cast<std::size_t>(j - 1) * ie;
      for (int i = 1; i <= ni; ++i) {
        const std::size_t at = static_cast<std::size_t>(i - 1);
        Unit_edge e[3][4];
        Vec3 p[8];
        for (int c = 0; c < 2; ++c) {
          for (int b = 0; b < 2; ++b) {
            e[0][b + 2 * c] = level[c]->along_i[row_i + static_cast<std::size_t>(b * ni) + at];
            e[1][b + 2 * c] = level[c]->along_j[row_j + at + static_cast<std::size_t>(b)];
            e[2][b + 2 * c] = along_k[row_j + static_cast<std::size_t>(c) * ie + at + static_cast<std::size_t>(b)];
            const std::size_t n = base + static_cast<std::size_t>(c) * plane_points + row_j +
                                  static_cast<std::size_t>(b) * ie + at;
            p[4 * c + 2 * b] = Point_at(g, n);
            p[4 * c + 2 * b + 1] = Point_at(g, n + 1);
          }
        }
        shapes[at] = Shape_of(e, p);
      }
      row(j, k, shapes.data());
    }
    std::swap(lower, upper);
  }
}

}  // namespace torvane::inspect
