// The curve files blade-design tools export for a blade row: a profile file
// of sections (blocks headed `#Profile N at P%`, one `x y z` point a line, each
// section closed around the blade), the hub and casing lines (`x y z` a line)
// and an info file of `Name : value` lines (blade count, axis, unit, tip
// clearance, speed, inlet and outlet trim). Read as they are; every refusal
// is an Input_error "FILE, line N: why".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace torvane::deck {

// A point of the files in cylindrical form about the axis of rotation:
// axial position, radius, angle [rad] (from the next axis towards the one after).
struct Cylindrical_point {
  double x, r, theta;
};

// One section of a profile file, points as listed.
struct Profile_section {
  int number = 0;      // N of its header
  double percent = 0;  // P of its header: its place between hub (0) and casing (100)
  int line = 0;        // the header's line
  std::vector<Cylindrical_point> points;
};

// What an info file says; unset what it does not.
struct Row_info {
  std::optional<int> blades;
  char axis = 'X';
  std::optional<double> unit;  // metres per unit of the coordinates
  std::string unit_name;
  std::string tip_clearance;  // as written, for the deck's note
  std::optional<double> rpm;
  std::optional<double> inlet_trim, outlet_trim;  // [m]
};

// Metres per unit of "m", "cm", "mm", "in", "ft"; nothing for any other name.
std::optional<double> Unit_length(std::string_view name);

// Reads the info file.
Row_info Read_info_file(const std::string& path);

// Reads a profile file in cylindrical form about the axis ('X', 'Y' or 'Z'),
// lengths times `scale` (metres per unit).
std::vector<Profile_section> Read_profile_file(const std::string& path, char axis, double scale);

// Reads a hub or casing line; x must increase strictly along it.
std::vector<Cylindrical_point> Read_curve_file(const std::string& path, char axis, double scale);

}  // namespace torvane::deck
