#include "deck/curve_files.hpp"

#include <algorithm>
#include <cmath>

#include "base/rotor_speed.hpp"
#include "base/terminal_text.hpp"
#include "base/text.hpp"
#include "control/control_input.hpp"
#include "deck/airfoil_file.hpp"
#include "deck/text_files.hpp"

namespace torvane::deck {

namespace {

// Far more than any curve file needs.
constexpr std::size_t kMaxCurveFileBytes = std::size_t{1} << 24;

[[noreturn]] void Refuse(const std::string& file, int line, const std::string& why) {
  throw Input_error(Printable(file) + (line > 0 ? ", line " + std::to_string(line) : "") + ": " + why);
}

std::vector<std::string_view> Items(std::string_view line) {
  std::vector<std::string_view> items;
  size_t n = 0;
  while (n < line.size()) {
    while (n < line.size() && (Is_blank(line[n]) || line[n] == ',')) ++n;
    const size_t start = n;
    while (n < line.size() && !Is_blank(line[n]) && line[n] != ',') ++n;
    if (n > start) items.push_back(line.substr(start, n - start));
  }
  return items;
}

// Calls take(line, number) for every line of the file.
template <typename Take>
void For_each_line(const std::string& path, std::string_view what, Take take) {
  const std::string text = Read_small_file(path, kMaxCurveFileBytes, what);
  std::string_view rest = text;
  if (rest.starts_with("\xEF\xBB\xBF")) rest.remove_prefix(3);
  for (int number = 1; !rest.empty(); ++number) {
    const size_t end = std::min(rest.find('\n'), rest.size());
    take(rest.substr(0, end), number);
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
}

// The point of an `x y z` line in cylindrical form about the axis.
Cylindrical_point Point_of(const std::string& path, int line, const std::vector<std::string_view>& items, char axis,
                           double scale) {
  if (items.size() != 3) {
    Refuse(path, line, "a point is a line `x y z` of three numbers, found " + std::to_string(items.size()) + " items");
  }
  double c[3];
  for (int n = 0; n < 3; ++n) {
    if (!Parse_real(items[static_cast<size_t>(n)], c[n])) {
      Refuse(path, line, Quoted(items[static_cast<size_t>(n)], 40) + " is not a number; a point is a line `x y z`");
    }
  }
  // The axial coordinate, then the two across it in turn (x: y, z; y: z, x; z: x, y).
  const int a = axis == 'X' ? 0 : axis == 'Y' ? 1 : 2;
  const double along = c[a], first = c[(a + 1) % 3], second = c[(a + 2) % 3];
  return {along * scale, std::hypot(first, second) * scale, std::atan2(first, second)};
}

// A length such as "-30mm", "0.5 in" or "12" (in the default unit) [m].
std::optional<double> Length_of(std::string_view text, std::optional<double> default_unit) {
  text = Trim(text);
  size_t end = 0;
  while (end < text.size() && (std::isdigit(static_cast<unsigned char>(text[end])) || text[end] == '.' ||
                               text[end] == '-' || text[end] == '+' || text[end] == 'e' || text[end] == 'E')) {
    ++end;
  }
  double value = 0;
  if (!Parse_real(text.substr(0, end), value)) return std::nullopt;
  const std::string_view unit = Trim(text.substr(end));
  if (unit.empty()) return default_unit ? std::optional<double>(value * *default_unit) : std::nullopt;
  const auto length = Unit_length(unit);
  if (!length) return std::nullopt;
  return value * *length;
}

// A trim as the info file gives it ("-30mm" once "Axial" is cut off) and its line.
struct Trim_line {
  std::string value;
  int line;
};

// The info file as its lines come: the row's values and the trims, placed
// once the unit is known.
struct Info_reading {
  Row_info info;
  std::optional<Trim_line> inlet, outlet;
};

// "No of blades: N": the blade count, a whole number above 0.
int Blade_count(const std::string& path, int number, std::string_view value) {
  int blades = 0;
  if (!Parse_integer(value, blades) || blades < 1) {
    Refuse(path, number, Quoted(value, 40) + " is not a blade count (a whole number above 0)");
  }
  return blades;
}

// "Axis of rotation: X": the axis in upper case.
char Rotation_axis(const std::string& path, int number, std::string_view value) {
  if (value != "X" && value != "Y" && value != "Z" && value != "x" && value != "y" && value != "z") {
    Refuse(path, number, Quoted(value, 40) + " is not an axis; give X, Y or Z");
  }
  return static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
}

// One `name: value` line of the info file into the reading; other names are ignored.
void Take_info_entry(const std::string& path, int number, std::string_view name, std::string_view value,
                     Info_reading& reading) {
  Row_info& info = reading.info;
  if (name == "No of blades") {
    info.blades = Blade_count(path, number, value);
  } else if (name == "Axis of rotation") {
    info.axis = Rotation_axis(path, number, value);
  } else if (name == "Coordinates unit") {
    info.unit = Unit_length(value);
    if (!info.unit) Refuse(path, number, Quoted(value, 40) + " is not a unit; give m, cm, mm, in or ft");
    info.unit_name = std::string(value);
  } else if (name == "Tip clearance") {
    info.tip_clearance = Printable(value);
  } else if (name == "RPM") {
    double given = 0;
    const Rotor_speed_parse speed =
        Rotor_speed_of(value, Parse_real(value, given) ? std::optional(given) : std::nullopt);
    if (!speed.rpm) Refuse(path, number, "RPM " + speed.problem);
    info.rpm = speed.rpm;
  } else if (name == "Inlet trim" || name == "Outlet trim") {
    // "-30mm Axial": a length and the direction it is taken along.
    std::string length(value);
    const size_t word = length.find("Axial");
    if (word != std::string::npos) length.erase(word);
    (name == "Inlet trim" ? reading.inlet : reading.outlet) = Trim_line{std::string(Trim(length)), number};
  }
}

// The inlet and outlet trims as axial positions [m], in the file's unit when they give none.
void Place_trims(const std::string& path, Info_reading& reading) {
  Row_info& info = reading.info;
  for (auto [trim, target] :
       {std::pair{&reading.inlet, &info.inlet_trim}, std::pair{&reading.outlet, &info.outlet_trim}}) {
    if (!*trim) continue;
    *target = Length_of((*trim)->value, info.unit);
    if (!*target) {
      Refuse(path, (*trim)->line,
             Quoted((*trim)->value, 40) + " is not an axial position; give a number and a unit (-30mm)" +
                 (info.unit ? "" : ", or the coordinates unit before it"));
    }
  }
}

// A `#Profile N at P%` heading: the section it opens, or none for a comment
// before the first section.
std::optional<Profile_section> Section_heading(const std::string& path, int number, std::string_view line,
                                               const std::vector<std::string_view>& items, bool first) {
  // `#	Profile	1	at	0.00%`
  std::vector<std::string_view> words = items;
  if (words[0] == "#") {
    words.erase(words.begin());
  } else {
    words[0].remove_prefix(1);
  }
  if (words.size() != 4 || words[0] != "Profile" || words[2] != "at" || !words[3].ends_with("%")) {
    if (first) return std::nullopt;
    Refuse(path, number, "expected a section heading `#Profile N at P%`, found " + Quoted(Trim(line), 40));
  }
  Profile_section section;
  section.line = number;
  if (!Parse_integer(words[1], section.number)) {
    Refuse(path, number, Quoted(words[1], 40) + " is not a section number");
  }
  std::string_view percent = words[3];
  percent.remove_suffix(1);
  if (!Parse_real(percent, section.percent)) {
    Refuse(path, number, Quoted(words[3], 40) + " is not a place in the span (a per cent, 0% to 100%)");
  }
  return section;
}

}  // namespace

std::optional<double> Unit_length(std::string_view name) {
  if (name == "m") return 1.0;
  if (name == "cm") return 0.01;
  if (name == "mm") return 0.001;
  if (name == "in") return 0.0254;
  if (name == "ft") return 0.3048;
  return std::nullopt;
}

Row_info Read_info_file(const std::string& path) {
  Info_reading reading;
  For_each_line(path, "info file", [&](std::string_view line, int number) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return;  // headings and blank lines
    Take_info_entry(path, number, Trim(line.substr(0, colon)), Trim(line.substr(colon + 1)), reading);
  });
  Place_trims(path, reading);
  return reading.info;
}

std::vector<Profile_section> Read_profile_file(const std::string& path, char axis, double scale) {
  std::vector<Profile_section> sections;
  For_each_line(path, "profile file", [&](std::string_view line, int number) {
    const std::vector<std::string_view> items = Items(line);
    if (items.empty()) return;
    if (items[0].starts_with("#")) {
      std::optional<Profile_section> section = Section_heading(path, number, line, items, sections.empty());
      if (!section) return;  // a comment before the first section
      if (!sections.empty() && sections.back().points.size() < 4) {
        Refuse(path, sections.back().line, "the section has fewer than 4 points");
      }
      sections.push_back(std::move(*section));
      return;
    }
    if (sections.empty()) Refuse(path, number, "a point before the first heading `#Profile N at P%`");
    sections.back().points.push_back(Point_of(path, number, items, axis, scale));
  });
  if (sections.empty()) Refuse(path, 0, "no section heading `#Profile N at P%`");
  if (sections.back().points.size() < 4) Refuse(path, sections.back().line, "the section has fewer than 4 points");
  if (sections.size() < 2) Refuse(path, 0, "one section; a blade row needs at least the hub and the casing section");
  return sections;
}

std::vector<Cylindrical_point> Read_curve_file(const std::string& path, char axis, double scale) {
  std::vector<Cylindrical_point> points;
  std::vector<int> lines;
  For_each_line(path, "curve file", [&](std::string_view line, int number) {
    const std::vector<std::string_view> items = Items(line);
    if (items.empty() || items[0].starts_with("#")) return;
    const Cylindrical_point p = Point_of(path, number, items, axis, scale);
    if (!(p.r > 0)) Refuse(path, number, "the point lies on the axis; a radius must be positive");
    points.push_back(p);
    lines.push_back(number);
  });
  if (points.size() < 2) Refuse(path, 0, "fewer than two points; a curve needs at least two");
  // A line listed from the outlet to the inlet is taken the other way round.
  if (points.front().x > points.back().x) {
    std::reverse(points.begin(), points.end());
    std::reverse(lines.begin(), lines.end());
  }
  for (size_t n = 1; n < points.size(); ++n) {
    if (!(points[n].x > points[n - 1].x)) {
      Refuse(path, lines[n],
             "the axial position does not change monotonically from line " + std::to_string(lines[n - 1]) +
                 "; it must increase (or decrease) strictly along the curve");
    }
  }
  return points;
}

}  // namespace torvane::deck
