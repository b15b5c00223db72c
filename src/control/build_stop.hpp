// How a run tells a failure of the grid build: the exit status and the
// standard-error line of each kind the numerical routines report.
#pragma once

#include <string>

#include "base/build_failure.hpp"
#include "base/run_stop.hpp"
#include "base/surface.hpp"

namespace torvane {

// The exit status and the diagnostic (without "torvane: ") of the failure.
// A station outside its curve is told with its cause by the run, which knows
// the section (Inversion_cause); this is its text without one.
Run_stop Stop_of(const Build_failure& failure);

// Why a surface cannot be built when the edge search finds the trailing edge
// before the leading edge: "<surface> section: the contour must ...".
std::string Edge_order_message(Surface surface, double t_le, double t_te);

}  // namespace torvane
