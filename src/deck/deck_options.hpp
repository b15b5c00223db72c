// What the user asks of torvane-deck: the two section files, an optional
// resampling, an optional parameter file and record values, from the command
// line (--nin 20 or --nin=20) and from a parameter file of `name = value`
// lines with the same names.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace torvane::deck {

// A command line that cannot be carried out.
class Usage_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One value for a record, and where it was given ("--nin" or "rotor.par, line 4").
struct Setting {
  std::string name;
  std::string text;
  std::string origin;
};

struct Deck_options {
  bool help = false;
  bool version = false;
  std::string hub;     // section file of the hub
  std::string casing;  // section file of the casing
  std::string points;  // --points N as given; empty keeps the files' points
  std::string points_origin;
  std::string parameters;  // parameter file, if any
  std::string flow_path;   // flow-path file of `torvane --flow-path`, if any
  // The curve files of a real blade row, instead of --hub and --casing.
  std::string profile, hub_curve, casing_curve, info;
  std::string unit, inlet_plane, outlet_plane;
  Setting tip_gap;                // --tip-gap GAP: the blade ends GAP below the casing; text empty: none
  Setting gap_cells;              // --gap-cells N: the cells across the gap; text empty: the default
  Setting tip_pinch;              // --tip-pinch P: the height the walls close over below the tip; text empty: none
  Setting rpm;                    // --rpm N: the rotor's speed for the deck's block; text empty: none
  std::vector<Setting> settings;  // record values; a later one wins over an earlier one
};

// Parses argv[1..]; throws Usage_error naming the argument and the reason.
Deck_options Parse_command_line(const std::vector<std::string>& args);

// Reads the parameter file named in the options: its record values go before
// those of the command line, and its hub, casing and points apply where the
// command line gives none (file paths relative to the parameter file's
// folder). Throws Input_error ("FILE, line N: why").
void Read_parameter_file(Deck_options& options);

// The usage text of --help.
const std::string& Usage_text();

}  // namespace torvane::deck
