#include "inspect/quality/cell_sweep.hpp"

#include <limits>
#include <utility>
#include <vector>

#include "inspect/run_files/large_arrays.hpp"

namespace torvane::inspect {

namespace {

using Edges = std::vector<Unit_edge, Large_allocator<Unit_edge>>;
using Faces = std::vector<Face_cosines, Large_allocator<Face_cosines>>;

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

// The faces across k of plane `edges` for every cell column (i, j), at (j - 1) ni + i - 1.
void Measure_k_faces(int ni, int nj, const Plane_edges& edges, Face_cosines* faces) {
  const std::size_t cells_i = static_cast<std::size_t>(ni), ie = cells_i + 1;
  for (std::size_t j = 0; j < static_cast<std::size_t>(nj); ++j) {
    const Unit_edge* along_i = edges.along_i + j * cells_i;
    const Unit_edge* along_j = edges.along_j + j * ie;
    for (std::size_t i = 0; i < cells_i; ++i) {
      *faces++ = Face_of(along_i[i], along_i[cells_i + i], along_j[i], along_j[i + 1]);
    }
  }
}

// The faces across j of row j (from 0) of the layer between planes `lower` and `upper`, for i = 1 to ni.
void Measure_j_faces(int ni, std::size_t j, const Plane_edges& lower, const Plane_edges& upper,
                     const Unit_edge* along_k, std::size_t ie, Face_cosines* faces) {
  const std::size_t cells_i = static_cast<std::size_t>(ni);
  const Unit_edge* below = lower.along_i + j * cells_i;
  const Unit_edge* above = upper.along_i + j * cells_i;
  const Unit_edge* up = along_k + j * ie;
  for (std::size_t i = 0; i < cells_i; ++i) faces[i] = Face_of(below[i], above[i], up[i], up[i + 1]);
}

// The edges of a row of cells j between planes k and k + 1: lines along i
// and j of both planes, along k between them, and where the row starts.
struct Row_edges {
  const Plane_edges* level[2];  // plane k, plane k + 1
  const Unit_edge* along_k;
  std::size_t row_i, row_j;  // first line along i, along j and k of the row
  std::size_t cells_i, ie;
};

// The edges along i of the cell `at` of the row, its shortest and longest
// edge and its eight corners, p[4 c + 2 b + a] at (i + a, j + b, k + c) from
// the point of index base of the row's first cell.
void Gather_cell(const Grid& g, const Row_edges& r, std::size_t base, std::size_t plane_points, std::size_t at,
                 Hex_parts& parts, Vec3 (&p)[8]) {
  parts.shortest = std::numeric_limits<double>::infinity();
  for (int c = 0; c < 2; ++c) {
    for (int b = 0; b < 2; ++b) {
      const Unit_edge* edges[3] = {
          &r.level[c]->along_i[r.row_i + static_cast<std::size_t>(b) * r.cells_i + at],
          &r.level[c]->along_j[r.row_j + at + static_cast<std::size_t>(b)],
          &r.along_k[r.row_j + static_cast<std::size_t>(c) * r.ie + at + static_cast<std::size_t>(b)]};
      for (const Unit_edge* e : edges) {
        parts.shortest = std::min(parts.shortest, e->length);
        parts.longest = std::max(parts.longest, e->length);
      }
      parts.along_i[b + 2 * c] = edges[0];
      const std::size_t n =
          base + static_cast<std::size_t>(c) * plane_points + r.row_j + static_cast<std::size_t>(b) * r.ie + at;
      p[4 * c + 2 * b] = Point_at(g, n);
      p[4 * c + 2 * b + 1] = Point_at(g, n + 1);
    }
  }
}

}  // namespace

void Sweep_cells(const Grid& g, const Shape_row& row) {
  const int ni = g.ie - 1, nj = g.je - 1, nk = g.ke - 1;
  if (ni < 1 || nj < 1 || nk < 1) return;
  const std::size_t ie = static_cast<std::size_t>(g.ie), plane_points = ie * static_cast<std::size_t>(g.je);
  const std::size_t cells_i = static_cast<std::size_t>(ni), layer = cells_i * static_cast<std::size_t>(nj);
  // All edges in one block, so that they take a huge page or two rather than some 700 small ones.
  const std::size_t lines_i = cells_i * static_cast<std::size_t>(g.je);
  const std::size_t lines_j = ie * static_cast<std::size_t>(nj);
  Edges block(2 * (lines_i + lines_j) + plane_points);
  Plane_edges planes[2];
  for (int n = 0; n < 2; ++n) {
    planes[n].along_i = block.data() + static_cast<std::size_t>(n) * (lines_i + lines_j);
    planes[n].along_j = planes[n].along_i + lines_i;
  }
  // The lines along k between planes k and k + 1, (i, j) at (j - 1) ie + i - 1.
  Unit_edge* along_k = block.data() + 2 * (lines_i + lines_j);
  // Faces, each measured once for the two cells it parts: across k for a whole
  // layer of cells (below and above), across j for a row, across i for a row.
  Faces k_faces(2 * layer), j_faces(2 * cells_i);
  std::vector<I_face> i_faces(ie);
  std::vector<Hex_shape> shapes(cells_i);
  Plane_edges* lower = &planes[0];
  Plane_edges* upper = &planes[1];
  Face_cosines* k_below = k_faces.data();
  Face_cosines* k_above = k_below + layer;
  Measure_plane(g, 1, *lower);
  Measure_k_faces(ni, nj, *lower, k_below);
  for (int k = 1; k <= nk; ++k) {
    Measure_plane(g, k + 1, *upper);
    Measure_k_faces(ni, nj, *upper, k_above);
    const std::size_t base = g.Index(1, 1, k);
    for (std::size_t n = 0; n < plane_points; ++n) {
      along_k[n] = Edge_between(Point_at(g, base + n), Point_at(g, base + plane_points + n));
    }
    Face_cosines* j_below = j_faces.data();
    Face_cosines* j_above = j_below + cells_i;
    Measure_j_faces(ni, 0, *lower, *upper, along_k, ie, j_below);
    for (int j = 1; j <= nj; ++j) {
      const std::size_t row_i = static_cast<std::size_t>(j - 1) * cells_i;
      const std::size_t row_j = static_cast<std::size_t>(j - 1) * ie;
      const Row_edges edges{{lower, upper}, along_k, row_i, row_j, cells_i, ie};
      Measure_j_faces(ni, static_cast<std::size_t>(j), *lower, *upper, along_k, ie, j_above);
      for (std::size_t i = 0; i < ie; ++i) {
        i_faces[i] = I_face_of(lower->along_j[row_j + i], upper->along_j[row_j + i], along_k[row_j + i],
                               along_k[row_j + ie + i]);
      }
      for (std::size_t at = 0; at < cells_i; ++at) {
        Hex_parts parts;
        Vec3 p[8];
        Gather_cell(g, edges, base, plane_points, at, parts, p);
        for (int f = 0; f < 2; ++f) parts.i_face[f] = &i_faces[at + static_cast<std::size_t>(f)];
        parts.j_face[0] = j_below[at];
        parts.j_face[1] = j_above[at];
        parts.k_face[0] = k_below[row_i + at];
        parts.k_face[1] = k_above[row_i + at];
        shapes[at] = Shape_of(parts, p);
      }
      row(j, k, shapes.data());
      std::swap(j_below, j_above);
    }
    std::swap(lower, upper);
    std::swap(k_below, k_above);
  }
}

}  // namespace torvane::inspect
