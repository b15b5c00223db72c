// The deck's records 1 to 33, known once: number, name, kind, meaning, unit
// and the control value each one fills. torvane's deck reader reads them in
// this order, torvane-deck writes and sets them from it, and the checks and
// the grid verdict name them from it ("record 7 (nspan)").
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "base/control_values.hpp"

namespace torvane {

enum class Record_kind { text, integer, real };

// The control value a record fills.
using Record_value = std::variant<std::string Control_values::*, int Control_values::*, double Control_values::*>;

struct Deck_record_entry {
  int number;             // position in the deck
  std::string_view name;  // the record's name, and torvane-deck's option; empty for a record read and ignored
  Record_kind kind;
  // What the value is, as torvane-deck writes it after the value ("name: meaning"; "not used" alone).
  std::string_view meaning;
  // "deg" for angles (the meaning says [deg]), "length" for lengths in the
  // deck's unit of length, empty for counts, ratios, switches and text.
  std::string_view unit;
  Record_value value;
};

// The number of the last of the deck's fixed records; the point lists follow.
inline constexpr int kLastFixedRecord = 33;

inline constexpr std::array<Deck_record_entry, kLastFixedRecord> kDeckRecords{{
    {1, "title", Record_kind::text, "free title, written into the plot file (50 columns)", "", &Control_values::title},
    {2, "fname", Record_kind::text, "stem of the three output files (text before the first blank)", "",
     &Control_values::fname},
    {3, "nblade", Record_kind::integer, "intervals along the blade contour, both sides", "", &Control_values::nblade},
    {4, "nin", Record_kind::integer, "streamwise intervals from the inlet to the leading edge", "",
     &Control_values::nin},
    {5, "nout", Record_kind::integer, "streamwise intervals from the trailing edge to the outlet", "",
     &Control_values::nout},
    {6, "npitch", Record_kind::integer, "intervals across the pitch", "", &Control_values::npitch},
    {7, "nspan", Record_kind::integer, "intervals from hub to casing", "", &Control_values::nspan},
    {8, "nbrow", Record_kind::integer, "number of blades in the row", "", &Control_values::nbrow},
    {9, "betain", Record_kind::real, "angle of the upstream grid lines [deg]", "deg", &Control_values::betain},
    {10, "betaout", Record_kind::real, "angle of the downstream grid lines [deg]", "deg", &Control_values::betaout},
    {11, "staghub", Record_kind::real, "stagger of the hub section [deg], clockwise", "deg", &Control_values::staghub},
    {12, "stagcas", Record_kind::real, "stagger of the casing section [deg], clockwise", "deg",
     &Control_values::stagcas},
    {13, "sweep", Record_kind::real, "axial shift of the casing section, span x tan(sweep) [deg]", "deg",
     &Control_values::sweep},
    {14, "lean", Record_kind::real, "circumferential lean of the casing section [deg]", "deg", &Control_values::lean},
    {15, "chordhub", Record_kind::real, "chord of the hub section", "length", &Control_values::chordhub},
    {16, "chordcas", Record_kind::real, "chord of the casing section", "length", &Control_values::chordcas},
    {17, "rhub", Record_kind::real, "hub radius", "length", &Control_values::rhub},
    {18, "rcas", Record_kind::real, "casing radius", "length", &Control_values::rcas},
    {19, "lin", Record_kind::real, "axial distance inlet to leading edge (hub)", "length", &Control_values::lin},
    {20, "lx", Record_kind::real, "axial distance inlet to outlet", "length", &Control_values::lx},
    {21, "nwall", Record_kind::integer, "growing pitchwise intervals at each blade wall", "", &Control_values::nwall},
    {22, "nwallhc", Record_kind::integer, "growing spanwise intervals at hub and casing", "", &Control_values::nwallhc},
    {23, "ratio", Record_kind::real, "growth ratio of the wall intervals", "", &Control_values::ratio},
    {24, "dsle", Record_kind::real, "first streamwise interval at the leading edge (hub)", "length",
     &Control_values::dsle},
    {25, "dywle", Record_kind::real, "first pitchwise interval at the walls, leading-edge line (hub)", "length",
     &Control_values::dywle},
    {26, "dzwall", Record_kind::real, "first spanwise interval at hub and casing", "length", &Control_values::dzwall},
    {27, "dste", Record_kind::real, "first streamwise interval at the trailing edge (hub)", "length",
     &Control_values::dste},
    {28, "dywte", Record_kind::real, "first pitchwise interval at the walls, trailing-edge line (hub)", "length",
     &Control_values::dywte},
    {29, "", Record_kind::real, "not used", "", &Control_values::unused29},
    {30, "dyout", Record_kind::real, "first pitchwise interval at both ends of the outlet line", "length",
     &Control_values::dyout},
    {31, "", Record_kind::real, "not used", "", &Control_values::unused31},
    {32, "ibez", Record_kind::integer, "1 = one-shot Bezier approximation of the contours", "", &Control_values::ibez},
    {33, "", Record_kind::real, "not used", "", &Control_values::unused33},
}};

// The record that fills the control value (a compile-time error for a member no record fills).
template <typename T>
consteval const Deck_record_entry& Record_of(T Control_values::*member) {
  for (const Deck_record_entry& entry : kDeckRecords) {
    // holds_alternative and get rather than get_if, which a sanitizer build cannot evaluate at compile time.
    if (std::holds_alternative<T Control_values::*>(entry.value) &&
        std::get<T Control_values::*>(entry.value) == member) {
      return entry;
    }
  }
  throw "no record fills this control value";
}

// The record of that number (1 to 33).
constexpr const Deck_record_entry& Record_number(int number) {
  return kDeckRecords[static_cast<std::size_t>(number - 1)];
}

// The name a message gives the record: its name, or "not used".
constexpr std::string_view Record_label(const Deck_record_entry& entry) {
  return entry.name.empty() ? entry.meaning : entry.name;
}

// "record 7 (nspan)".
std::string Record_text(const Deck_record_entry& entry);

// "records 4 (nin), 9 (betain), 19 (lin) and 24 (dsle)".
std::string Records_text(std::initializer_list<const Deck_record_entry*> entries);

}  // namespace torvane
