// OpenFOAM mesh of the block (constant/polyMesh in ASCII): hexahedra as faces with
// owner and neighbour, the boundary as the named patches with the periodic pair as
// a rotational cyclic, a potential-flow case to run on it, and the writing of a case
// folder as one result. The RANS case: openfoam_export_rans.hpp.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "inspect/export/solver_mesh.hpp"

namespace torvane::inspect {

// A file of the export: its path inside the case folder and its text.
using Case_file = std::pair<std::string, std::string>;

// constant/polyMesh/points, faces, owner, neighbour and boundary of the grid; internal faces
// first, each cell's towards higher-numbered cells in the order of those cells, then patch by patch.
std::vector<Case_file> Openfoam_mesh(const Grid& g, const Solver_boundary& boundary, Machine_axis axis);

// system/controlDict, fvSchemes, fvSolution and 0/U, 0/p of a potential flow: unit axial velocity
// at the inlet, fixed pressure at the outlet, slip walls, the cyclic pairs.
std::vector<Case_file> Potential_flow_case(const Solver_boundary& boundary, Machine_axis axis);

// Writes the files under folder as one result, making the folders they need: every file is
// written beside its target before the first target is replaced, so a failure leaves the
// earlier files as they were (throws Output_error or File_error). Allrun and Allclean are
// made executable.
void Write_case_files(const std::string& folder, const std::vector<Case_file>& files);

// The banner and FoamFile dictionary every OpenFOAM file opens with.
std::string Foam_header(const char* foam_class, const char* location, const char* object, const std::string& note = "");

// The machine axis as an OpenFOAM vector, "(1 0 0)" or "(0 0 1)".
const char* Axis_vector(Machine_axis axis);

// A field of the 0 folder: its dimensions, internal value and one boundaryField entry per
// patch of the boundary, entries[n] for patch n (the lines inside its braces).
std::string Foam_field(const char* foam_class, const char* object, const char* dimensions, const std::string& internal,
                       const Solver_boundary& boundary, const std::vector<std::string>& entries);

}  // namespace torvane::inspect
