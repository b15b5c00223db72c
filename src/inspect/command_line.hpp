// The command line of torvane-inspect: a subcommand, its options and the stem
// of a run (runs/rotor for runs/rotor.rgra, runs/rotor.rtp, ...).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace torvane::inspect {

// Exit statuses of torvane-inspect.
inline constexpr int kExitOk = 0;
inline constexpr int kExitQuality = 1;  // report: folded cells, periodic mismatch or a covered blade
inline constexpr int kExitInput = 2;    // a run file is missing, unreadable, malformed or cut short
inline constexpr int kExitUsage = 3;    // wrong command line, output not writable, feature not built in

// A command line that cannot be carried out.
class Usage_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Command { help, version, report, export_grid, picture };
enum class Export_format { none, vts, plot3d, cgns, openfoam, su2 };
// The OpenFOAM case beside the mesh: none, a potential flow (a bare --case) or a RANS flow.
enum class Foam_case { none, potential, rans };

struct Options {
  Command command = Command::help;
  std::string stem;
  std::string output;  // prefix of the files written; the stem when empty
  bool json = false;
  bool plot = false;      // report: compare the plot file with the grid file
  std::string bad_cells;  // report: file for the list of bad cells
  Export_format format = Export_format::none;
  bool binary = false;                    // plot3d in binary
  bool png = false;                       // picture: PNG beside the SVG
  bool quality = false;                   // picture: every cell coloured by its quality band
  Foam_case foam_case = Foam_case::none;  // openfoam: the case beside the mesh
  double rpm = -1;                        // --case rans: the rotor's speed; -1 when not given
  double inflow = 0;                      // --case rans: axial inflow in m/s; 0 for the default
  bool axis_z = false;                    // export: the machine axis written as z
};

// Parses argv[1..]; throws Usage_error with the reason.
Options Parse_command_line(const std::vector<std::string>& args);

// The usage text printed by --help and after a usage error.
const char* Usage_text();

}  // namespace torvane::inspect
