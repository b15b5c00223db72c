// CGNS file of the block (HDF5 backed, through the CGNS library): one base,
// one structured zone, the walls, inlet and outlet as boundary conditions and
// the periodic pairs as one-to-one connections turned by the pitch angle.
#pragma once

#include <string>

#include "inspect/export/solver_mesh.hpp"
#include "inspect/run_files/run_files.hpp"

namespace torvane::inspect {

// Writes the run's grid to path, its rotations about the machine axis given; throws Output_error
// when the library fails.
void Write_cgns(const std::string& path, const Run_files& run, Machine_axis axis = Machine_axis::x);

// Names of the boundary conditions and connections, as the file carries them.
std::string Cgns_patch_name(const Patch& patch, int je);

}  // namespace torvane::inspect
