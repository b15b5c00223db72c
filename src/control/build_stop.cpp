#include "control/build_stop.hpp"

#include <charconv>
#include <cstdio>

namespace torvane {

namespace {

// The shortest text that reads back to the same double.
std::string Number(double value) {
  char text[32];
  auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

Run_stop Stop_for(const Edges_out_of_order& f) { return {kExitRefused, Edge_order_message(f.surface, f.t_le, f.t_te)}; }

Run_stop Stop_for(const Station_outside_curve& f) {
  return {kExitProgramError, "a blade station fell outside the contour between its edges (x = " + Number(f.x) +
                                 ", the curve interval from x = " + Number(f.xa) + " to " + Number(f.xb) + ")"};
}

Run_stop Stop_for(const Coordinate_not_finite& f) {
  std::string message = "the grid has a coordinate that is not a finite number at point (i, j, k) = (";
  message.append(std::to_string(f.i)).append(", ").append(std::to_string(f.j)).append(", ");
  message.append(std::to_string(f.k)).append("): x = ").append(Number(f.x)).append(", y = ");
  message.append(Number(f.y)).append(", z = ").append(Number(f.z)).append("; no file is written");
  return {kExitProgramError, message};
}

Run_stop Stop_for(const Blade_covered& f) {
  std::string message(Surface_name(f.surface));
  message +=
      " section: the contour runs along the +y side first, so the grid would cover the blade; the point "
      "list must start at the trailing edge and run along the -y side first";
  return {kExitRefused, message};
}

Run_stop Stop_for(const Tip_gap_too_deep& f) {
  char gap[32];
  std::snprintf(gap, sizeof gap, "%.6g", f.gap);
  return {kExitRefused, std::string("the tip gap ") + gap +
                            " does not fit under the casing at the spanwise grid line i = " + std::to_string(f.i) +
                            ", j = " + std::to_string(f.j) + ": the passage is no deeper there"};
}

}  // namespace

Run_stop Stop_of(const Build_failure& failure) {
  return std::visit([](const auto& kind) { return Stop_for(kind); }, failure.kind);
}

std::string Edge_order_message(Surface surface, double t_le, double t_te) {
  char found[128];
  std::snprintf(found, sizeof found,
                "; its edge search found the leading edge at curve parameter %.4f and the trailing edge at %.4f", t_le,
                t_te);
  std::string message(Surface_name(surface));
  message += " section: the contour must start and end at the trailing edge and pass the leading edge once";
  message += found;
  return message;
}

}  // namespace torvane
