#include "inspect/command_line.hpp"

namespace torvane::inspect {

const char* Usage_text() {
  return "usage: torvane-inspect report [--json] [--plot] [--bad-cells FILE] STEM\n"
         "       torvane-inspect export --to vts|plot3d|cgns|su2 [--binary] [--axis x|z] [--output PREFIX] STEM\n"
         "       torvane-inspect export --to openfoam [--case] [--axis x|z] [--output DIR] STEM\n"
         "       torvane-inspect picture [--png] [--quality] [--output PREFIX] STEM\n"
         "       torvane-inspect --help | --version\n"
         "STEM names a run's files: STEM.rgra (grid), STEM.rtp (topology), STEM_grid_volume.plt (plot).\n"
         "Exit status: 0 done; 1 report found folded cells, a periodic mismatch, a covered blade\n"
         "or (with --plot) a plot file differing from the grid file;\n"
         "2 a run file is missing, malformed or cut short; 3 wrong command line or output not written.\n";
}

Options Parse_command_line(const std::vector<std::string>& args) {
  Options o;
  if (args.empty()) throw Usage_error("no subcommand given");
  const std::string& sub = args[0];
  if (sub == "--help" || sub == "-h" || sub == "help") return o;
  if (sub == "--version") {
    o.command = Command::version;
    return o;
  }
  if (sub == "report") {
    o.command = Command::report;
  } else if (sub == "export") {
    o.command = Command::export_grid;
  } else if (sub == "picture") {
    o.command = Command::picture;
  } else {
    throw Usage_error("unknown subcommand \"" + sub + "\"");
  }
  auto value_of = [&](std::size_t& n) -> const std::string& {
    if (n + 1 >= args.size()) throw Usage_error(args[n] + " needs a value");
    return args[++n];
  };
  for (std::size_t n = 1; n < args.size(); ++n) {
    const std::string& a = args[n];
    if (a == "--json" && o.command == Command::report) {
      o.json = true;
    } else if (a == "--plot" && o.command == Command::report) {
      o.plot = true;
    } else if (a == "--bad-cells" && o.command == Command::report) {
      o.bad_cells = value_of(n);
    } else if (a == "--to" && o.command == Command::export_grid) {
      const std::string& f = value_of(n);
      if (f == "vts") {
        o.format = Export_format::vts;
      } else if (f == "plot3d") {
        o.format = Export_format::plot3d;
      } else if (f == "cgns") {
        o.format = Export_format::cgns;
      } else if (f == "openfoam") {
        o.format = Export_format::openfoam;
      } else if (f == "su2") {
        o.format = Export_format::su2;
      } else {
        throw Usage_error("--to " + f + ": the formats are vts, plot3d, cgns, openfoam and su2");
      }
    } else if (a == "--case" && o.command == Command::export_grid) {
      o.foam_case = true;
    } else if (a == "--axis" && o.command == Command::export_grid) {
      const std::string& axis = value_of(n);
      if (axis != "x" && axis != "z") throw Usage_error("--axis " + axis + ": the machine axis is written as x or z");
      o.axis_z = axis == "z";
    } else if (a == "--binary" && o.command == Command::export_grid) {
      o.binary = true;
    } else if (a == "--png" && o.command == Command::picture) {
      o.png = true;
    } else if (a == "--quality" && o.command == Command::picture) {
      o.quality = true;
    } else if (a == "--output" && o.command != Command::report) {
      o.output = value_of(n);
    } else if (!a.empty() && a[0] == '-') {
      throw Usage_error("option " + a + " is not known to " + sub);
    } else if (o.stem.empty()) {
      o.stem = a;
    } else {
      throw Usage_error("a second stem \"" + a + "\": give one run at a time");
    }
  }
  if (o.stem.empty()) throw Usage_error(sub + " needs the stem of a run");
  if (o.command == Command::export_grid && o.format == Export_format::none) {
    throw Usage_error("export needs --to vts, --to plot3d, --to cgns, --to openfoam or --to su2");
  }
  if (o.foam_case && o.format != Export_format::openfoam) throw Usage_error("--case applies to --to openfoam only");
  // The OpenFOAM mesh is a folder: beside the stem's files, not on the stem itself.
  if (o.output.empty() && o.format == Export_format::openfoam) o.output = o.stem + "_openfoam";
  if (o.binary && o.format != Export_format::plot3d) throw Usage_error("--binary applies to --to plot3d only");
  if (o.output.empty()) o.output = o.stem;
  return o;
}

}  // namespace torvane::inspect
