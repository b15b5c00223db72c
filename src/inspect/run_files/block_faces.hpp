// The block's boundaries in grid points: each boundary patch of the passage
// turned into a range of points on its face, plus what the H-grid layout
// implies (leading and trailing edge, pitch angle).
#pragma once

#include <string>
#include <vector>

#include "inspect/run_files/grid_file.hpp"
#include "inspect/run_files/topology_file.hpp"

namespace torvane::inspect {

// An inclusive range of points, indices from 1, in i, j, k order.
struct Point_range {
  int lo[3] = {1, 1, 1};
  int hi[3] = {1, 1, 1};
};

// A boundary patch on the grid: its face as an index surface and its points.
struct Patch {
  torvane::Patch_role role = torvane::Patch_role::inlet;  // to the flow (inspect's Patch_role is a solver's)
  int face = 0;
  int normal = 0;        // 0, 1, 2 for an i, j or k face
  bool empty = false;    // the row covers no cell
  Point_range points;    // on the face itself
  int partner_face = 0;  // periodic rows only
  double angle = 0;      // periodic rows only
  long record = 0;
};

// The block's boundaries and the H-grid values derived from them.
struct Block_faces {
  std::vector<Patch> patches;
  int ile = 0, ite = 0;    // blade wall points on face 3 run ile..ite; 0 when there is none
  int tip_k = 0;           // and k = 1..tip_k: below ke when a tip gap lies above the blade (its tip plane)
  double pitch_angle = 0;  // radians, from the periodic angles
  double face3_angle = 0;  // angle that turns the j = je partner onto j = 1
};

// Face 3 is j = 1 and face 4 is j = je, faces 5, 6 are k = 1, ke and faces 1, 2 are i = 1, ie.
// Throws Input_error naming the topology file `path` when the passage's cells do not fit the grid.
Block_faces Lay_out_faces(const Passage& passage, const std::string& path, const Grid& grid);

}  // namespace torvane::inspect
