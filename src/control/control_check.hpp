// Checks of the control values before any grid work: the grid must fit the
// storage, and every count, radius, chord, spacing and contour list must
// describe a blade row the grid builder can work with.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "control/control_input.hpp"

namespace torvane {

// True when the grid fits the storage limits in i, j and k (computed without
// overflow): the classic ones, or those of a large grid.
bool Grid_fits_storage(const Control_values& values, const Grid_limits& limits = kClassicLimits);

// A value no grid can be made from: its record, its name and why.
struct Value_refusal {
  int record;
  std::string name;
  std::string reason;
};

// The first value, in record order, that Check_control_values refuses.
std::optional<Value_refusal> Refused_value(const Control_values& values);

// What Check_contour refuses of a list, if anything.
std::optional<Value_refusal> Refused_contour(Surface surface, const Contour_points& list);

// Refuses (Run_stop, status 2) the first value, in record order, that no grid
// (or, for the file name, no file) can be made from.
void Check_control_values(const Control_values& values);

// Refuses a contour list of fewer than 2 points, a reference index outside
// the list, or a reference point at the x of point 1 (no chord to scale).
void Check_contour(Surface surface, const Contour_points& list);

}  // namespace torvane
