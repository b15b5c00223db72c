#include "control/control_check.hpp"

#include <charconv>
#include <cstdint>
#include <optional>

#include "base/record_table.hpp"
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

[[noreturn]] void Refuse(const Deck_record_entry& record, const std::string& reason) {
  Refuse(record.number, std::string(Record_label(record)).c_str(), reason);
}

void Require_positive(const Deck_record_entry& record, double value, const char* what) {
  if (!(value > 0)) Refuse(record, Shortest(value) + ": " + what + " must be greater than 0");
}

[[noreturn]] void Stop(const Value_refusal& refusal) {
  throw Run_stop{2, "record " + std::to_string(refusal.record) + " (" + refusal.name + "): " + refusal.reason};
}

}  // namespace

bool Grid_fits_storage(const Control_values& values) {
  std::int64_t ie = std::int64_t{values.nin} + values.nblade / 2 + values.nout + 1;
  std::int64_t je = std::int64_t{values.npitch} + 1;
  std::int64_t ke = std::int64_t{values.nspan} + 1;
  if (ke > kMaxKe || je > kMaxJe) return false;
  return ie <= kMaxIe;
}

namespace {

using V = Control_values;

void Check_values(const Control_values& v) {
  // The system would take a file name only up to a NUL and write the files elsewhere.
  const size_t nul = Output_stem(v.fname).find('\0');
  if (nul != std::string::npos) {
    Refuse(Record_of(&V::fname),
           "the file name holds a NUL character in column " + std::to_string(nul + 1) + "; no file can be named so");
  }
  if (v.nblade / 2 < 2) {
    Refuse(Record_of(&V::nblade), std::to_string(v.nblade) + " intervals give fewer than 2 along each blade side");
  }
  if (v.nin < 0)
    Refuse(Record_of(&V::nin), std::to_string(v.nin) + " upstream intervals: the count cannot be negative");
  if (v.nout < 0)
    Refuse(Record_of(&V::nout), std::to_string(v.nout) + " downstream intervals: the count cannot be negative");
  if (v.npitch < 2)
    Refuse(Record_of(&V::npitch), std::to_string(v.npitch) + " pitchwise intervals: at least 2 are needed");
  if (v.nspan < 1) Refuse(Record_of(&V::nspan), std::to_string(v.nspan) + " spanwise intervals: at least 1 is needed");
  if (v.nbrow < 1) Refuse(Record_of(&V::nbrow), std::to_string(v.nbrow) + " blades: the row needs at least one blade");
  Require_positive(Record_of(&V::chordhub), v.chordhub, "the hub chord");
  Require_positive(Record_of(&V::chordcas), v.chordcas, "the casing chord");
  Require_positive(Record_of(&V::rhub), v.rhub, "the hub radius");
  if (!(v.rcas > v.rhub)) {
    Refuse(Record_of(&V::rcas),
           "casing radius " + Shortest(v.rcas) + " is not greater than the hub radius " + Shortest(v.rhub));
  }
  if (v.lin < 0) Refuse(Record_of(&V::lin), Shortest(v.lin) + ": the upstream length cannot be negative");
  Require_positive(Record_of(&V::lx), v.lx, "the axial length of the domain");
  if (v.nwall < 0)
    Refuse(Record_of(&V::nwall), std::to_string(v.nwall) + " wall intervals: the count cannot be negative");
  if (v.nwall > v.npitch) {
    Refuse(Record_of(&V::nwall), std::to_string(v.nwall) + " wall intervals do not fit in " + std::to_string(v.npitch) +
                                     " pitchwise intervals");
  }
  if (v.nwallhc < 0) {
    Refuse(Record_of(&V::nwallhc), std::to_string(v.nwallhc) + " wall intervals: the count cannot be negative");
  }
  if (v.nspan > 1 && v.nwallhc > v.nspan) {
    Refuse(Record_of(&V::nwallhc), std::to_string(v.nwallhc) + " wall intervals do not fit in " +
                                       std::to_string(v.nspan) + " spanwise intervals");
  }
  Require_positive(Record_of(&V::ratio), v.ratio, "the growth ratio");
  Require_positive(Record_of(&V::dsle), v.dsle, "the leading-edge spacing");
  Require_positive(Record_of(&V::dywle), v.dywle, "the leading-edge wall spacing");
  Require_positive(Record_of(&V::dzwall), v.dzwall, "the hub and casing spacing");
  Require_positive(Record_of(&V::dste), v.dste, "the trailing-edge spacing");
  Require_positive(Record_of(&V::dywte), v.dywte, "the trailing-edge wall spacing");
  Require_positive(Record_of(&V::dyout), v.dyout, "the outlet spacing");
  if (v.ibez != 1) {
    Refuse(Record_of(&V::ibez),
           std::to_string(v.ibez) + ": only 1 (the one-shot Bezier approximation) defines a blade contour");
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
