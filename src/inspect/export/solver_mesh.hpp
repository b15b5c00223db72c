// The block as the unstructured solvers read it: numbered hexahedra whose
// corners give a positive volume whatever the handedness of the grid, and the
// boundary as named patches of outward quadrilaterals, periodic pair matched.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "inspect/run_files/run_files.hpp"

namespace torvane::inspect {

// What a solver makes of a patch.
enum class Patch_role { patch, wall, cyclic };

// A face of a cell: point numbers (Grid::Index), turning by the right-hand rule out of
// the cell it bounds, and that cell's number.
struct Quad_face {
  std::array<std::size_t, 4> points;
  std::size_t cell = 0;
};

// A named boundary patch; a patch may hold no face (nin = 0, nout = 0).
struct Solver_patch {
  std::string name;
  Patch_role role = Patch_role::patch;
  std::vector<Quad_face> faces;
};

// The machine axis the exports write: x as the grid files, or z by the relabelling
// x' = y, y' = z, z' = x (a cyclic one, so the frame stays right-handed).
enum class Machine_axis { x, z };

// Indices of the patches in Solver_boundary::patches for the passage torvane
// writes: a patch per role of the passage in the order of the base's role
// table, the periodic pair's two faces apart.
inline constexpr std::size_t kInletPatch = 0, kOutletPatch = 1, kHubPatch = 2, kCasingPatch = 3, kBladePatch = 4,
                             kPeriodicLower = 5, kPeriodicUpper = 6;

// The seven patches, in the order inlet, outlet, hub, casing, blade, periodic_lower, periodic_upper;
// face n of periodic_lower (j = 1) lies on face n of periodic_upper (j = je) turned by lower_to_upper.
struct Solver_boundary {
  bool right_handed = true;  // i, j, k make a right-handed frame in the grid's space
  std::vector<Solver_patch> patches;
  double lower_to_upper = 0;  // radians, right-handed about the machine axis, carries j = 1 onto j = je
};

// Whether i, j, k form a right-handed frame, by the sign of the block's summed corner volumes.
bool Right_handed(const Grid& g);

// Number of the cell (i, j, k), indices from 1 as the grid's, numbers from 0, i fastest.
inline std::size_t Cell_number(const Grid& g, int i, int j, int k) {
  return (static_cast<std::size_t>(k - 1) * (g.je - 1) + static_cast<std::size_t>(j - 1)) * (g.ie - 1) +
         static_cast<std::size_t>(i - 1);
}

// The eight corners of cell (i, j, k) in the order of a hexahedron of positive volume:
// the bottom face 0-1-2-3 turning by the right-hand rule towards the top face 4-5-6-7.
std::array<std::size_t, 8> Hex_corners(const Grid& g, int i, int j, int k, bool right_handed);

// The face of cell (i, j, k) normal to axis (0 i, 1 j, 2 k) on its low or high side, turning out of it.
Quad_face Face_of_cell(const Grid& g, const int cell[3], int axis, bool high_side, bool right_handed);

// The patches of the run; throws Input_error when the topology file leaves a boundary face
// uncovered or covers one twice, or when the periodic rows of j = 1 and j = je differ.
Solver_boundary Solver_boundaries(const Run_files& run);

// The grid with the machine axis as z: x' = y, y' = z, z' = x.
Grid Axis_z_grid(const Grid& g);

// Appends a coordinate with 17 significant digits: the double reads back exactly.
void Put_real(std::string& out, double v);

// Appends a count or an index in decimal.
void Put_count(std::string& out, std::size_t n);

}  // namespace torvane::inspect
