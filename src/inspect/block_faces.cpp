#include "inspect/block_faces.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "inspect/text_input.hpp"

namespace torvane::inspect {

namespace {

// The two in-face axes of a face, in the order its ranges are written.
void In_face_axes(int face, int& first, int& second) {
  if (face <= 2) {
    first = 1;
    second = 2;
  } else if (face <= 4) {
    first = 2;
    second = 0;
  } else {
    first = 0;
    second = 1;
  }
}

Patch Patch_of(const Boundary_row& row, const Grid& grid) {
  const int extent[3] = {grid.ie, grid.je, grid.ke};
  Patch patch;
  patch.code = row.code;
  patch.face = row.face;
  patch.record = row.record;
  patch.partner_face = row.partner_face;
  patch.angle = row.angle;
  patch.normal = (row.face - 1) / 2;
  const bool high_end = row.face % 2 == 0;
  patch.points.lo[patch.normal] = patch.points.hi[patch.normal] = high_end ? extent[patch.normal] : 1;
  int first = 0, second = 0;
  In_face_axes(row.face, first, second);
  const int* ranges[2] = {row.first, row.second};
  const int axes[2] = {first, second};
  for (int n = 0; n < 2; ++n) {
    // Cells a..b lie between points a and b + 1.
    int a = std::abs(ranges[n][0]);
    int b = std::abs(ranges[n][1]);
    if (b < a) patch.empty = true;
    patch.points.lo[axes[n]] = a;
    patch.points.hi[axes[n]] = b + 1;
  }
  return patch;
}

}  // namespace

Block_faces Lay_out_faces(const Topology& topology, const Grid& grid) {
  if (topology.ni != grid.ie - 1 || topology.nj != grid.je - 1 || topology.nk != grid.ke - 1) {
    Refuse(topology.path, 5, 4,
           std::to_string(topology.ni) + " x " + std::to_string(topology.nj) + " x " + std::to_string(topology.nk) +
               " cells do not match the " + std::to_string(grid.ie) + " x " + std::to_string(grid.je) + " x " +
               std::to_string(grid.ke) + " points of the grid file");
  }
  Block_faces faces;
  for (const Boundary_row& row : topology.rows) {
    Patch patch = Patch_of(row, grid);
    if (patch.code == kPeriodic) {
      const double magnitude = std::fabs(patch.angle);
      if (faces.pitch_angle == 0) faces.pitch_angle = magnitude;
      // Every periodic row turns by the same pitch, face 3 one way and face 4 the other.
      if (magnitude != faces.pitch_angle) {
        Refuse(topology.path, row.record + 1, 1, "periodic angle differs from the pitch angle of the other rows");
      }
      if (patch.face == 3) {
        if (faces.face3_angle != 0 && faces.face3_angle != patch.angle) {
          Refuse(topology.path, row.record + 1, 1, "periodic angle of face 3 differs from an earlier row of face 3");
        }
        faces.face3_angle = patch.angle;
      }
    }
    if (patch.code == kWall && patch.face == 3 && !patch.empty) {
      if (faces.ile == 0 || patch.points.lo[0] < faces.ile) faces.ile = patch.points.lo[0];
      if (patch.points.hi[0] > faces.ite) faces.ite = patch.points.hi[0];
      faces.tip_k = std::max(faces.tip_k, patch.points.hi[2]);
    }
    faces.patches.push_back(patch);
  }
  if (faces.face3_angle == 0) {
    for (const Patch& patch : faces.patches) {
      if (patch.code == kPeriodic) faces.face3_angle = -patch.angle;
    }
  }
  return faces;
}

}  // namespace torvane::inspect
