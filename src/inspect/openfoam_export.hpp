// OpenFOAM mesh of the block (constant/polyMesh in ASCII): hexahedra as faces with
// owner and neighbour, the boundary as the seven named patches with the periodic
// pair as a rotational cyclic, and a potential-flow case to run on it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "inspect/solver_mesh.hpp"

namespace torvane::inspect {

// A file of the export: its path inside the case folder and its text.
using Case_file = std::pair<std::string, std::string>;

// constant/polyMesh/points, faces, owner, neighbour and boundary of the grid; internal faces
// first, each cell's towards higher-numbered cells in the order of those cells, then patch by patch.
std::vector<Case_file> Openfoam_mesh(const Grid& g, const Solver_boundary& boundary, Machine_axis axis);

// system/controlDict, fvSchemes, fvSolution and 0/U, 0/p of a potential flow: unit axial velocity
// at the inlet, fixed pressure at the outlet, slip walls, the cyclic pair.
std::vector<Case_file> Potential_flow_case(Machine_axis axis);

// Writes the files under folder, making the folders they need; throws Output_error.
void Write_case_files(const std::string& folder, const std::vector<Case_file>& files);

}  // namespace torvane::inspect
