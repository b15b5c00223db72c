#include "inspect/run_files/block_faces.hpp"

#include <string>

#include "inspect/run_files/text_input.hpp"

namespace torvane::inspect {

namespace {

Patch Patch_of(const Boundary_patch& row, const Grid& grid) {
  const int extent[3] = {grid.ie, grid.je, grid.ke};
  Patch patch;
  patch.role = row.role;
  patch.face = row.face;
  patch.record = row.record;
  patch.partner_face = row.partner_face;
  patch.angle = row.angle;
  patch.normal = Face_normal(row.face);
  patch.points.lo[patch.normal] = patch.points.hi[patch.normal] = Face_at_high_end(row.face) ? extent[patch.normal] : 1;
  int axes[2];
  In_face_axes(row.face, axes);
  for (int n = 0; n < 2; ++n) {
    // Cells a..b lie between points a and b + 1.
    if (row.range[n].empty()) patch.empty = true;
    patch.points.lo[axes[n]] = row.range[n].lo;
    patch.points.hi[axes[n]] = row.range[n].hi + 1;
  }
  return patch;
}

}  // namespace

Block_faces Lay_out_faces(const Passage& passage, const std::string& path, const Grid& grid) {
  if (passage.ni != grid.ie - 1 || passage.nj != grid.je - 1 || passage.nk != grid.ke - 1) {
    Refuse(path, 5, 4,
           std::to_string(passage.ni) + " x " + std::to_string(passage.nj) + " x " + std::to_string(passage.nk) +
               " cells do not match the " + std::to_string(grid.ie) + " x " + std::to_string(grid.je) + " x " +
               std::to_string(grid.ke) + " points of the grid file");
  }
  Block_faces faces;
  for (const Boundary_patch& row : passage.patches) faces.patches.push_back(Patch_of(row, grid));
  const Passage::Edges blade = passage.Blade_edges();
  faces.ile = blade.ile;
  faces.ite = blade.ite;
  faces.tip_k = passage.Blade_top();
  faces.pitch_angle = passage.Pitch_angle();
  // The periodic rows of a passage read are checked to turn face 3 one way and face 4 the other.
  for (const Boundary_patch& row : passage.patches) {
    if (row.periodic() && faces.face3_angle == 0) faces.face3_angle = row.face == 3 ? row.angle : -row.angle;
  }
  return faces;
}

}  // namespace torvane::inspect
