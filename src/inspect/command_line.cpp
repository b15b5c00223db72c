#include "inspect/command_line.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <system_error>

namespace torvane::inspect {

const char* Usage_text() {
  return "usage: torvane-inspect report [--json] [--plot] [--bad-cells FILE] STEM\n"
         "       torvane-inspect export --to vts|plot3d|cgns|su2 [--binary] [--axis x|z] [--output PREFIX] STEM\n"
         "       torvane-inspect export --to openfoam [--case [potential|rans]] [--rpm N] [--inflow U] [--axis x|z] "
         "[--output DIR] STEM\n"
         "       torvane-inspect picture [--png] [--quality] [--output PREFIX] STEM\n"
         "       torvane-inspect --help | --version\n"
         "STEM names a run's files: STEM.rgra (grid), STEM.rtp (topology), STEM_grid_volume.plt (plot),\n"
         "and STEM.rmach (the rotor's speed, when its deck gives one: --case rans takes it without --rpm).\n"
         "Exit status: 0 done; 1 report found folded cells, a periodic mismatch, a covered blade\n"
         "or (with --plot) a plot file differing from the grid file;\n"
         "2 a run file is missing, malformed or cut short; 3 wrong command line or output not written.\n";
}

namespace {

// The subcommands, as named on the command line.
struct Subcommand_name {
  std::string_view name;
  Command command;
};
constexpr Subcommand_name kSubcommands[] = {
    {"report", Command::report},
    {"export", Command::export_grid},
    {"picture", Command::picture},
};

// The export formats, as named after --to; a new format is one more row.
struct Format_name {
  std::string_view name;
  Export_format format;
};
constexpr Format_name kFormats[] = {
    {"vts", Export_format::vts},           {"plot3d", Export_format::plot3d}, {"cgns", Export_format::cgns},
    {"openfoam", Export_format::openfoam}, {"su2", Export_format::su2},
};

// The format names, each after `before`, joined by commas and `last_joiner` ("and", "or").
std::string Format_list(std::string_view before, std::string_view last_joiner) {
  std::string list;
  const size_t count = std::size(kFormats);
  for (size_t n = 0; n < count; ++n) {
    if (n > 0) list.append(n + 1 == count ? " " + std::string(last_joiner) + " " : ", ");
    list.append(before).append(kFormats[n].name);
  }
  return list;
}

// The format named after --to; refuses a name not in the table.
Export_format Format_named(const std::string& name) {
  for (const Format_name& f : kFormats) {
    if (f.name == name) return f.format;
  }
  throw Usage_error("--to " + name + ": the formats are " + Format_list("", "and"));
}

// The machine axis named after --axis: true for z, false for x; refuses any other.
bool Axis_is_z(const std::string& axis) {
  if (axis != "x" && axis != "z") throw Usage_error("--axis " + axis + ": the machine axis is written as x or z");
  return axis == "z";
}

// A number after an option: finite and whole as written; refuses anything else.
double Number_after(const std::string& option, const std::string& text, double low) {
  double v = 0;
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, v);
  if (error != std::errc() || at != end || !std::isfinite(v) || v < low) {
    throw Usage_error(option + " " + text + ": give a number" + (low == 0 ? " of 0 or more" : ""));
  }
  return v;
}

// The kinds of OpenFOAM case, as named after --case.
constexpr std::string_view kCaseKinds[] = {"potential", "rans"};

// Which subcommands take an option.
enum Taken_by : unsigned { kReport = 1, kExport = 2, kPicture = 4 };

// The subcommand's bit in Taken_by.
unsigned Bit_of(Command command) {
  switch (command) {
    case Command::report:
      return kReport;
    case Command::export_grid:
      return kExport;
    case Command::picture:
      return kPicture;
    default:
      return 0;
  }
}

// One option: its name, the subcommands that take it, and what it sets in the
// options (given its value when it takes one); a new option is one more row.
struct Option_rule {
  std::string_view name;
  unsigned taken_by;
  bool takes_value;
  void (*set)(Options& o, const std::string& value);
};
constexpr Option_rule kOptions[] = {
    {"--json", kReport, false, [](Options& o, const std::string&) { o.json = true; }},
    {"--plot", kReport, false, [](Options& o, const std::string&) { o.plot = true; }},
    {"--bad-cells", kReport, true, [](Options& o, const std::string& v) { o.bad_cells = v; }},
    {"--to", kExport, true, [](Options& o, const std::string& v) { o.format = Format_named(v); }},
    {"--binary", kExport, false, [](Options& o, const std::string&) { o.binary = true; }},
    {"--case", kExport, false,
     [](Options& o, const std::string& v) { o.foam_case = v == "rans" ? Foam_case::rans : Foam_case::potential; }},
    {"--rpm", kExport, true, [](Options& o, const std::string& v) { o.rpm = Number_after("--rpm", v, 0); }},
    {"--inflow", kExport, true,
     [](Options& o, const std::string& v) {
       o.inflow = Number_after("--inflow", v, 0);
       if (o.inflow == 0) throw Usage_error("--inflow " + v + ": give an axial velocity above 0 (m/s)");
     }},
    {"--axis", kExport, true, [](Options& o, const std::string& v) { o.axis_z = Axis_is_z(v); }},
    {"--png", kPicture, false, [](Options& o, const std::string&) { o.png = true; }},
    {"--quality", kPicture, false, [](Options& o, const std::string&) { o.quality = true; }},
    {"--output", kExport | kPicture, true, [](Options& o, const std::string& v) { o.output = v; }},
};

// The rule of the option as the subcommand takes it; null when it takes no such option.
const Option_rule* Rule_for(const std::string& arg, Command command) {
  for (const Option_rule& rule : kOptions) {
    if (rule.name == arg && (rule.taken_by & Bit_of(command)) != 0) return &rule;
  }
  return nullptr;
}

// The subcommand named first; refuses an unknown name.
Command Subcommand_named(const std::string& name) {
  for (const Subcommand_name& s : kSubcommands) {
    if (s.name == name) return s.command;
  }
  throw Usage_error("unknown subcommand \"" + name + "\"");
}

// Takes the options and the stem after the subcommand.
void Read_arguments(const std::vector<std::string>& args, Options& o) {
  const std::string& sub = args[0];
  for (size_t n = 1; n < args.size(); ++n) {
    const std::string& a = args[n];
    if (const Option_rule* rule = Rule_for(a, o.command)) {
      if (rule->takes_value && n + 1 >= args.size()) throw Usage_error(a + " needs a value");
      // --case takes the kind of case when one is named after it.
      const bool kind = a == "--case" && n + 1 < args.size() &&
                        std::find(std::begin(kCaseKinds), std::end(kCaseKinds), args[n + 1]) != std::end(kCaseKinds);
      rule->set(o, rule->takes_value || kind ? args[++n] : a);
    } else if (!a.empty() && a[0] == '-') {
      throw Usage_error("option " + a + " is not known to " + sub);
    } else if (o.stem.empty()) {
      o.stem = a;
    } else {
      throw Usage_error("a second stem \"" + a + "\": give one run at a time");
    }
  }
}

// The stem of a run named by one of its files: runs/rotor.rgra, runs/rotor.rtp,
// runs/rotor_grid_volume.plt and runs/rotor.rmach all mean runs/rotor; .rgra and runs/.rgra,
// the files of a stem with no name of its own (record 2 beginning with a
// blank), mean the stems "" and "runs/".
std::string Run_stem(std::string name) {
  for (std::string_view ending : {".rgra", ".rtp", "_grid_volume.plt", ".rmach"}) {
    if (name.ends_with(ending)) {
      name.resize(name.size() - ending.size());
      break;
    }
  }
  return name;
}

// Whether two names lead to one file: the same file on disk, or the same
// name once "." and ".." are resolved.
bool Same_file(const std::string& a, const std::string& b) {
  std::error_code ignored;
  if (std::filesystem::equivalent(a, b, ignored)) return true;
  return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
}

// Refuses what is missing or does not go together; fills in the default output prefix.
void Complete(const std::string& sub, Options& o) {
  if (o.stem.empty()) {
    throw Usage_error(sub +
                      " needs the stem of a run (a run whose files begin with a dot, as a record 2 beginning with a "
                      "blank gives them, is named by one of its files: .rgra)");
  }
  o.stem = Run_stem(o.stem);
  // The list of bad cells would replace the file it names.
  for (std::string_view ending : {".rgra", ".rtp", "_grid_volume.plt", ".rmach", ".lock"}) {
    if (o.bad_cells.empty() || !Same_file(o.bad_cells, o.stem + std::string(ending))) continue;
    throw Usage_error("--bad-cells " + o.bad_cells + ": that is the run's own file " + o.stem + std::string(ending) +
                      "; give the list a file of its own, such as " + o.stem + "_bad_cells.csv");
  }
  if (o.command == Command::export_grid && o.format == Export_format::none) {
    throw Usage_error("export needs " + Format_list("--to ", "or"));
  }
  if (o.foam_case != Foam_case::none && o.format != Export_format::openfoam) {
    throw Usage_error("--case applies to --to openfoam only");
  }
  if (o.foam_case != Foam_case::rans && (o.rpm >= 0 || o.inflow > 0)) {
    throw Usage_error(std::string(o.rpm >= 0 ? "--rpm" : "--inflow") + " applies to --case rans only");
  }
  // The OpenFOAM mesh is a folder: beside the stem's files, not on the stem itself.
  if (o.output.empty() && o.format == Export_format::openfoam) o.output = o.stem + "_openfoam";
  if (o.binary && o.format != Export_format::plot3d) throw Usage_error("--binary applies to --to plot3d only");
  if (o.output.empty()) o.output = o.stem;
}

}  // namespace

Options Parse_command_line(const std::vector<std::string>& args) {
  Options o;
  if (args.empty()) throw Usage_error("no subcommand given");
  const std::string& sub = args[0];
  if (sub == "--help" || sub == "-h" || sub == "help") return o;
  if (sub == "--version") {
    o.command = Command::version;
    return o;
  }
  o.command = Subcommand_named(sub);
  Read_arguments(args, o);
  Complete(sub, o);
  return o;
}

}  // namespace torvane::inspect
