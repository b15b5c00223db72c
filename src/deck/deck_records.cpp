#include "deck/deck_records.hpp"

#include <array>
#include <charconv>
#include <cmath>

#include "base/terminal_text.hpp"

namespace torvane::deck {

namespace {

using K = Value_kind;

constexpr std::array<Deck_record, 33> kRecords{{
    {1, "title", K::text, "", "title: free title, written into the plot file (50 columns)"},
    {2, "fname", K::text, "", "fname: stem of the three output files (text before the first blank)"},
    {3, "nblade", K::integer, "60", "nblade: intervals along the blade contour, both sides"},
    {4, "nin", K::integer, "20", "nin: streamwise intervals from the inlet to the leading edge"},
    {5, "nout", K::integer, "30", "nout: streamwise intervals from the trailing edge to the outlet"},
    {6, "npitch", K::integer, "32", "npitch: intervals across the pitch"},
    {7, "nspan", K::integer, "16", "nspan: intervals from hub to casing"},
    {8, "nbrow", K::integer, "30", "nbrow: number of blades in the row"},
    {9, "betain", K::real, "-45.0", "betain: angle of the upstream grid lines [deg]"},
    {10, "betaout", K::real, "-25.0", "betaout: angle of the downstream grid lines [deg]"},
    {11, "staghub", K::real, "30.0", "staghub: stagger of the hub section [deg], clockwise"},
    {12, "stagcas", K::real, "40.0", "stagcas: stagger of the casing section [deg], clockwise"},
    {13, "sweep", K::real, "0.0", "sweep: axial shift of the casing section, span x tan(sweep) [deg]"},
    {14, "lean", K::real, "0.0", "lean: circumferential lean of the casing section [deg]"},
    {15, "chordhub", K::real, "0.06", "chordhub: chord of the hub section"},
    {16, "chordcas", K::real, "0.06", "chordcas: chord of the casing section"},
    {17, "rhub", K::real, "0.25", "rhub: hub radius"},
    {18, "rcas", K::real, "0.5", "rcas: casing radius"},
    {19, "lin", K::real, "0.05", "lin: axial distance inlet to leading edge (hub)"},
    {20, "lx", K::real, "0.16", "lx: axial distance inlet to outlet"},
    {21, "nwall", K::integer, "5", "nwall: growing pitchwise intervals at each blade wall"},
    {22, "nwallhc", K::integer, "3", "nwallhc: growing spanwise intervals at hub and casing"},
    {23, "ratio", K::real, "1.2", "ratio: growth ratio of the wall intervals"},
    {24, "dsle", K::real, "0.0003", "dsle: first streamwise interval at the leading edge (hub)"},
    {25, "dywle", K::real, "0.0004", "dywle: first pitchwise interval at the walls, leading-edge line (hub)"},
    {26, "dzwall", K::real, "0.006", "dzwall: first spanwise interval at hub and casing"},
    {27, "dste", K::real, "0.0003", "dste: first streamwise interval at the trailing edge (hub)"},
    {28, "dywte", K::real, "0.0004", "dywte: first pitchwise interval at the walls, trailing-edge line (hub)"},
    {29, "", K::real, "0.0", "not used"},
    {30, "dyout", K::real, "0.001", "dyout: first pitchwise interval at both ends of the outlet line"},
    {31, "", K::real, "0.0", "not used"},
    {32, "ibez", K::integer, "1", "ibez: 1 = one-shot Bezier approximation of the contours"},
    {33, "", K::real, "0.0", "not used"},
}};

template <class Values>
auto Integer_field(Values& v, int number) -> decltype(&v.nblade) {
  switch (number) {
    case 3:
      return &v.nblade;
    case 4:
      return &v.nin;
    case 5:
      return &v.nout;
    case 6:
      return &v.npitch;
    case 7:
      return &v.nspan;
    case 8:
      return &v.nbrow;
    case 21:
      return &v.nwall;
    case 22:
      return &v.nwallhc;
    case 32:
      return &v.ibez;
    default:
      return nullptr;
  }
}

template <class Values>
auto Real_field(Values& v, int number) -> decltype(&v.lin) {
  switch (number) {
    case 9:
      return &v.betain;
    case 10:
      return &v.betaout;
    case 11:
      return &v.staghub;
    case 12:
      return &v.stagcas;
    case 13:
      return &v.sweep;
    case 14:
      return &v.lean;
    case 15:
      return &v.chordhub;
    case 16:
      return &v.chordcas;
    case 17:
      return &v.rhub;
    case 18:
      return &v.rcas;
    case 19:
      return &v.lin;
    case 20:
      return &v.lx;
    case 23:
      return &v.ratio;
    case 24:
      return &v.dsle;
    case 25:
      return &v.dywle;
    case 26:
      return &v.dzwall;
    case 27:
      return &v.dste;
    case 28:
      return &v.dywte;
    case 29:
      return &v.unused29;
    case 30:
      return &v.dyout;
    case 31:
      return &v.unused31;
    case 33:
      return &v.unused33;
    default:
      return nullptr;
  }
}

}  // namespace

std::span<const Deck_record> Deck_records() { return kRecords; }

Control_values Default_values() {
  Control_values values;
  for (const Deck_record& record : kRecords) {
    if (!record.default_text.empty()) Set_value(values, record, record.default_text);
  }
  return values;
}

const Deck_record* Find_record(std::string_view name) {
  if (name.empty()) return nullptr;
  for (const Deck_record& record : kRecords) {
    if (record.name == name) return &record;
  }
  return nullptr;
}

std::optional<std::string> Set_value(Control_values& values, const Deck_record& record, std::string_view text) {
  switch (record.kind) {
    case Value_kind::text: {
      if (text.size() > static_cast<size_t>(kTextLength)) {
        return std::to_string(text.size()) + " bytes long; the record holds " + std::to_string(kTextLength);
      }
      for (char c : text) {
        if (Is_control_byte(c)) return "a control character; the record is one line";
      }
      if (record.number == 2) {
        if (text.empty()) return std::string("the stem of the output files cannot be empty");
        if (text.find(' ') != std::string_view::npos) {
          return Quoted(text) + " holds a blank; torvane takes the stem only up to the first blank";
        }
        values.fname = std::string(text);
      } else {
        values.title = std::string(text);
      }
      return std::nullopt;
    }
    case Value_kind::integer: {
      int value = 0;
      if (!Parse_integer(text, value)) {
        double real = 0;
        if (Parse_real(text, real)) return Quoted(text) + " is not an integer";
        return Quoted(text) + " is not a number";
      }
      *Integer_field(values, record.number) = value;
      return std::nullopt;
    }
    case Value_kind::real: {
      double value = 0;
      if (!Parse_real(text, value)) return Quoted(text) + " is not a number";
      *Real_field(values, record.number) = value;
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::string Real_text(double value) {
  // Fixed form for the sizes a deck holds, exponent form for the rest; both
  // the shortest that reads back to the same double.
  const double size = std::fabs(value);
  const bool fixed = size == 0 || (size >= 1e-4 && size < 1e15);
  char text[400];
  const auto end =
      std::to_chars(text, text + sizeof text, value, fixed ? std::chars_format::fixed : std::chars_format::scientific)
          .ptr;
  std::string shortest(text, end);
  const size_t e = shortest.find('e');
  if (e != std::string::npos) {
    shortest[e] = 'E';
  } else if (shortest.find('.') == std::string::npos) {
    shortest += ".0";
  }
  return shortest;
}

std::string Value_text(const Control_values& values, const Deck_record& record) {
  switch (record.kind) {
    case Value_kind::text:
      return record.number == 1 ? values.title : values.fname;
    case Value_kind::integer:
      return std::to_string(*Integer_field(values, record.number));
    case Value_kind::real:
      return Real_text(*Real_field(values, record.number));
  }
  return {};
}

}  // namespace torvane::deck
