#include "control/control_check.hpp"

#include <charconv>
#include <cstdint>
#include <optional>

#include "output/console.hpp"
#include "output/grid_files.hpp"

namespace torvane {

namespace {

std::string Shortest(double value) {
  char text[32];
  auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general);
  return std::string(text, result.ptr);
}

// Carries the first refused value out of the checks below.
struct Refused {
  Value_refusal refusal;
};

[[noreturn]] void Refuse(int record, const char* name, const std::string& reason) {
  throw Refused{Value_refusal{record, name, reason}};
}

void Require_positive(int record, const char* name, double value, const char* what) {
  if (!(value > 0)) Refuse(record, name, Shortest(value) + ": " + what + " must be greater than 0");
}

[[noreturn]] void Stop(const Value_refusal& refusal) {
  throw Run_stop{2, "record " + std::to_string(refusal.record) + " (" + refusal.name + "): " + refusal.reason};
}

}  // namespace

bool Grid_fits_storage(const Control_values& values, const Grid_limits& limits) {
  std::int64_t ie = std::int64_t{values.nin} + values.nblade / 2 + values.nout + 1;
  std::int64_t je = std::int64_t{values.npitch} + 1;
  std::int64_t ke = std::int64_t{values.nspan} + 1;
  if (ke > limits.ke || je > limits.je) return false;
  return ie <= limits.ie;
}

namespace {

void Check_values(const Control_values& v) {
  // The system would take a file name only up to a NUL and write the files elsewhere.
  const size_t nul = Output_stem(v.fname).find('\0');
  if (nul != std::string::npos) {
    Refuse(2, "fname",
           "the file name holds a NUL character in column " + std::to_string(nul + 1) + "; no file can be named so");
  }
  if (v.nblade / 2 < 2) {
    Refuse(3, "nblade", std::to_string(v.nblade) + " intervals give fewer than 2 along each blade side");
  }
  if (v.nin < 0) Refuse(4, "nin", std::to_string(v.nin) + " upstream intervals: the count cannot be negative");
  if (v.nout < 0) Refuse(5, "nout", std::to_string(v.nout) + " downstream intervals: the count cannot be negative");
  if (v.npitch < 2) Refuse(6, "npitch", std::to_string(v.npitch) + " pitchwise intervals: at least 2 are needed");
  if (v.nspan < 1) Refuse(7, "nspan", std::to_string(v.nspan) + " spanwise intervals: at least 1 is needed");
  if (v.nbrow < 1) Refuse(8, "nbrow", std::to_string(v.nbrow) + " blades: the row needs at least one blade");
  Require_positive(15, "chordhub", v.chordhub, "the hub chord");
  Require_positive(16, "chordcas", v.chordcas, "the casing chord");
  Require_positive(17, "rhub", v.rhub, "the hub radius");
  if (!(v.rcas > v.rhub)) {
    Refuse(18, "rcas", "casing radius " + Shortest(v.rcas) + " is not greater than the hub radius " + Shortest(v.rhub));
  }
  if (v.lin < 0) Refuse(19, "lin", Shortest(v.lin) + ": the upstream length cannot be negative");
  Require_positive(20, "lx", v.lx, "the axial length of the domain");
  if (v.nwall < 0) Refuse(21, "nwall", std::to_string(v.nwall) + " wall intervals: the count cannot be negative");
  if (v.nwall > v.npitch) {
    Refuse(
        21, "nwall",
        std::to_string(v.nwall) + " wall intervals do not fit in " + std::to_string(v.npitch) + " pitchwise intervals");
  }
  if (v.nwallhc < 0) {
    Refuse(22, "nwallhc", std::to_string(v.nwallhc) + " wall intervals: the count cannot be negative");
  }
  if (v.nspan > 1 && v.nwallhc > v.nspan) {
    Refuse(
        22, "nwallhc",
        std::to_string(v.nwallhc) + " wall intervals do not fit in " + std::to_string(v.nspan) + " spanwise intervals");
  }
  Require_positive(23, "ratio", v.ratio, "the growth ratio");
  Require_positive(24, "dsle", v.dsle, "the leading-edge spacing");
  Require_positive(25, "dywle", v.dywle, "the leading-edge wall spacing");
  Require_positive(26, "dzwall", v.dzwall, "the hub and casing spacing");
  Require_positive(27, "dste", v.dste, "the trailing-edge spacing");
  Require_positive(28, "dywte", v.dywte, "the trailing-edge wall spacing");
  Require_positive(30, "dyout", v.dyout, "the outlet spacing");
  if (v.ibez != 1) {
    Refuse(32, "ibez", std::to_string(v.ibez) + ": only 1 (the one-shot Bezier approximation) defines a blade contour");
  }
}

void Check_list(Surface surface, const Contour_points& list) {
  const char* name = Point_count_name(surface);
  if (list.npts < 2) {
    Refuse(list.count_record, name, std::to_string(list.npts) + " points: a contour needs at least 2");
  }
  if (list.iref < 1 || list.iref > list.npts) {
    Refuse(
        list.count_record, name,
        "reference point " + std::to_string(list.iref) + " is not one of the " + std::to_string(list.npts) + " points");
  }
  double x1 = list.xy[0];
  double xref = list.xy[2 * (list.iref - 1)];
  if (xref == x1) {
    Refuse(list.count_record, name,
           "reference point " + std::to_string(list.iref) + " has the x of point 1 (" + Shortest(x1) +
               "), so there is no chord to scale");
  }
}

}  // namespace

std::optional<Value_refusal> Refused_value(const Control_values& values) {
  try {
    Check_values(values);
  } catch (const Refused& refused) {
    return refused.refusal;
  }
  return std::nullopt;
}

void Check_control_values(const Control_values& values) {
  if (auto refusal = Refused_value(values)) Stop(*refusal);
}

std::optional<Value_refusal> Refused_contour(Surface surface, const Contour_points& list) {
  try {
    Check_list(surface, list);
  } catch (const Refused& refused) {
    return refused.refusal;
  }
  return std::nullopt;
}

void Check_contour(Surface surface, const Contour_points& list) {
  if (auto refusal = Refused_contour(surface, list)) Stop(*refusal);
}

}  // namespace torvane
