// An incompressible RANS case on the OpenFOAM mesh of the block: SRFSimpleFoam in the
// frame of a rotor, simpleFoam for a stationary row; k-omega SST with the wall treatment
// chosen from the first cells' estimated y+; axial inflow, fixed outlet pressure; the
// inlet and outlet flow rates and the residuals written each iteration; Allrun, Allclean.
#pragma once

#include <string>
#include <vector>

#include "inspect/export/openfoam_export.hpp"
#include "inspect/run_files/block_faces.hpp"

namespace torvane::inspect {

// What the user gives the case; lengths are read as metres.
struct Rans_request {
  double rpm = 0;          // the rotor's speed; 0 for a stationary row
  double inflow = 0;       // axial velocity at the inlet in m/s; 0 for the default
  std::string rpm_source;  // the machine file the speed came from; empty: --rpm
};

// What the case was built with, for the console and the tests.
struct Rans_setup {
  double rpm = 0;
  std::string rpm_source;                // the machine file the speed came from; empty: --rpm
  int sense = 0;                         // +1: right-handed about the machine axis; -1: about its opposite; 0: still
  double inflow = 0;                     // m/s
  double upstream_angle = 0;             // degrees, the grid's upstream lines at mid-span (r dtheta/dx)
  double relative_angle = 0;             // degrees, the relative inflow at mid-span
  double yplus_low = 0, yplus_high = 0;  // estimated first-cell y+ over the walls
  bool wall_functions = true;            // false: resolved to the wall (low Reynolds number)
  std::string solver;                    // SRFSimpleFoam or simpleFoam
};

struct Rans_case_files {
  Rans_setup setup;
  std::vector<Case_file> files;
};

// The default axial inflow: the velocity whose relative flow meets a rotor's upstream grid
// lines at mid-span head on; a stationary row gets kStationaryInflow.
inline constexpr double kStationaryInflow = 20;  // m/s

// The RANS case of the grid (in the frame the export writes: the machine axis as given);
// throws Usage_error when the request does not fit the grid (a rotor whose upstream grid
// lines are axial gives no sense of rotation).
Rans_case_files Rans_case(const Grid& g, const Block_faces& faces, const Solver_boundary& boundary, Machine_axis axis,
                          const Rans_request& request);

// One line for the console: solver, speed and sense, inflow, wall treatment.
std::string Rans_summary(const Rans_setup& setup, Machine_axis axis);

}  // namespace torvane::inspect
