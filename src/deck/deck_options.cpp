#include "deck/deck_options.hpp"

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "base/storage_limits.hpp"
#include "deck/airfoil_file.hpp"
#include "deck/deck_choices.hpp"
#include "deck/deck_records.hpp"
#include "deck/section_contour.hpp"
#include "deck/text_files.hpp"

namespace torvane::deck {

namespace {

// The usage before and after the range of --points, which comes from the limits.
constexpr std::string_view kUsageHead =
    "usage: torvane-deck --hub FILE --casing FILE [--points N] [--parameters FILE] [--flow-path FILE]\n"
    "                    [--tip-gap GAP [--gap-cells N] [--tip-pinch P]] [--rpm N] [--NAME VALUE ...] > deck.in\n"
    "       torvane-deck --profile FILE --hub-curve FILE --casing-curve FILE [--info FILE]\n"
    "                    [--unit U] [--inlet-plane X] [--outlet-plane X] [--rpm N] [--NAME VALUE ...] > deck.in\n"
    "\n"
    "Writes a torvane control deck on standard output from two airfoil coordinate\n"
    "files (Selig or Lednicer format; the same file may serve both sections).\n"
    "\n"
    "  --hub FILE, --casing FILE  the hub and the casing section\n"
    "  --points N                 resample each section to N points (";
constexpr std::string_view kUsageTail =
    "), cosine\n"
    "                             clustered towards both edges\n"
    "  --parameters FILE          `name = value` lines with the names below ('#' starts\n"
    "                             a comment line); the command line wins over the file\n"
    "  --flow-path FILE           hub and casing curves for `torvane --flow-path FILE`:\n"
    "                             rhub and rcas are taken from them and the dry run\n"
    "                             builds the grid on them\n"
    "  --tip-gap GAP              the blade ends GAP below the casing (a length, or P%\n"
    "                             of the span), written in the deck's block as tip-gap\n"
    "  --gap-cells N              grid cells across the tip gap (default 6)\n"
    "  --tip-pinch P              the blade's walls close onto its camber over the height\n"
    "                             P below the tip (a length, P% of the span, or auto: the\n"
    "                             tip's largest half thickness, the default); 0 closes\n"
    "                             them over the last interval (a flat tip, sheared cells)\n"
    "  --rpm N                    the rotor's speed, written in the deck's block as rpm\n"
    "                             (a blade row: over the info file's RPM); torvane-inspect's\n"
    "                             RANS case takes it without --rpm\n"
    "  --profile FILE             the sections of a blade row (`#Profile N at P%` blocks of\n"
    "                             x y z points), with --hub-curve FILE and --casing-curve\n"
    "                             FILE (x y z points) and --info FILE (blade count, axis,\n"
    "                             unit, trims); --unit (m cm mm in ft) and --inlet-plane,\n"
    "                             --outlet-plane (axial positions in that unit) over the\n"
    "                             info file; docs/deck-tool.md\n"
    "  --NAME VALUE               a record's value:";
// The names of the records follow, then the rest of the usage.
constexpr std::string_view kUsageEnd =
    "  --yplus Y --reynolds RE    first wall intervals (dywle, dywte, dzwall) for a\n"
    "                             target y+ at a Reynolds number on the chord\n"
    "  --refine F                 every interval count times F, first intervals / F\n"
    "  --levels L                 counts rounded to multiples of 2^L (multigrid)\n"
    "  --large                    grids up to 999 intervals each way (torvane --large);\n"
    "                             in a parameter file `large = yes`\n"
    "  --smooth                   the deck asks torvane to smooth the passage\n"
    "                             (torvane --smooth); in a parameter file `smooth = yes`\n"
    "  --help, --version\n"
    "\n"
    "Every value is checked as torvane checks it, and each section is placed with\n"
    "its stagger and checked for the edge search and the blade sides; a problem is\n"
    "reported naming the option to change, and no deck is written.\n"
    "Exit status: 0 deck written; 1 a value or a section torvane would refuse or get\n"
    "wrong; 2 a section or parameter file unreadable or malformed; 3 wrong command line.\n";

// The lines that list the records' names: indented under the option
// descriptions, filled up to this many columns.
constexpr size_t kNamesIndent = 29;
constexpr size_t kNamesWidth = 83;

// The names of the records a user may set, in deck order, as lines of the usage.
std::string Record_name_lines() {
  std::string lines;
  size_t column = kUsageTail.size() - kUsageTail.rfind('\n') - 1;
  for (const Deck_record& record : Deck_records()) {
    if (record.name.empty()) continue;
    if (column + 1 + record.name.size() > kNamesWidth) {
      lines.append("\n").append(kNamesIndent, ' ');
      column = kNamesIndent;
    } else {
      lines += ' ';
      ++column;
    }
    lines += record.name;
    column += record.name.size();
  }
  return lines + "\n";
}

// Far more than a parameter file of every name needs.
constexpr size_t kMaxParameterBytes = size_t{1} << 20;

// Names the command line and the parameter file take besides the records.
bool Is_file_name(std::string_view name) {
  return name == "hub" || name == "casing" || name == "points" || name == "flow-path" || name == "tip-gap" ||
         name == "gap-cells" || name == "tip-pinch" || name == "rpm";
}

// The setting of a value the deck's block carries (tip-gap, gap-cells,
// tip-pinch, rpm), or nullptr for any other name.
Setting* Block_setting(std::string_view name, Deck_options& options) {
  if (name == "tip-gap") return &options.tip_gap;
  if (name == "gap-cells") return &options.gap_cells;
  if (name == "tip-pinch") return &options.tip_pinch;
  if (name == "rpm") return &options.rpm;
  return nullptr;
}

// The options of a blade row's curve files.
bool Is_row_name(std::string_view name) {
  return name == "profile" || name == "hub-curve" || name == "casing-curve" || name == "info" || name == "unit" ||
         name == "inlet-plane" || name == "outlet-plane";
}

// Notes the name as given; true when it was given before.
bool Given_before(std::vector<std::string>& seen, const std::string& name) {
  if (std::find(seen.begin(), seen.end(), name) != seen.end()) return true;
  seen.push_back(name);
  return false;
}

// One option of the command line: --NAME VALUE or --NAME=VALUE.
struct Named_value {
  std::string name;
  std::string value;
};

// Splits the option at args[n] into its name and value, moving n past a separate value.
Named_value Split_option(const std::vector<std::string>& args, size_t& n) {
  const std::string& arg = args[n];
  if (!arg.starts_with("--") || arg.size() == 2) throw Usage_error("\"" + Printable(arg) + "\" is not an option");
  Named_value option{arg.substr(2), ""};
  const size_t equals = option.name.find('=');
  if (equals != std::string::npos) {
    option.value = option.name.substr(equals + 1);
    option.name.resize(equals);
  } else {
    if (n + 1 == args.size()) throw Usage_error("--" + Printable(option.name) + " needs a value");
    // "--nin --nout 30": the option that follows is not --nin's value.
    if (args[n + 1].starts_with("--")) {
      throw Usage_error("--" + Printable(option.name) + " has no value (the next argument, \"" +
                        Printable(args[n + 1]) + "\", is an option)");
    }
    option.value = args[++n];
  }
  if (option.name != "parameters" && !Is_file_name(option.name) && !Is_row_name(option.name) &&
      !Is_choice_name(option.name) && Find_record(option.name) == nullptr) {
    throw Usage_error("--" + Printable(option.name) + " is not an option; see --help");
  }
  return option;
}

// Puts the option's value where the options keep it.
void Apply_option(Deck_options& options, const Named_value& option) {
  const std::string& name = option.name;
  if (name == "hub") {
    options.hub = option.value;
  } else if (name == "casing") {
    options.casing = option.value;
  } else if (name == "points") {
    options.points = option.value;
    options.points_origin = "--points";
  } else if (name == "flow-path") {
    options.flow_path = option.value;
  } else if (name == "tip-gap") {
    options.tip_gap = {name, option.value, "--tip-gap"};
  } else if (name == "gap-cells") {
    options.gap_cells = {name, option.value, "--gap-cells"};
  } else if (name == "tip-pinch") {
    options.tip_pinch = {name, option.value, "--tip-pinch"};
  } else if (name == "rpm") {
    options.rpm = {name, option.value, "--rpm"};
  } else if (name == "parameters") {
    options.parameters = option.value;
  } else if (name == "profile") {
    options.profile = option.value;
  } else if (name == "hub-curve") {
    options.hub_curve = option.value;
  } else if (name == "casing-curve") {
    options.casing_curve = option.value;
  } else if (name == "info") {
    options.info = option.value;
  } else if (name == "unit") {
    options.unit = option.value;
  } else if (name == "inlet-plane") {
    options.inlet_plane = option.value;
  } else if (name == "outlet-plane") {
    options.outlet_plane = option.value;
  } else {
    options.settings.push_back({name, option.value, "--" + name});
  }
}

// One `name = value` line of a parameter file, trimmed; empty for a blank or comment line.
Named_value Parse_parameter_line(std::string_view line, const std::string& where) {
  line = Trim(line);
  if (line.empty() || line.front() == '#') return {};
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) {
    throw Input_error(where + ": expected `name = value`, found \"" + Printable(line.substr(0, 40)) + "\"");
  }
  Named_value parameter{std::string(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1)))};
  if (!Is_file_name(parameter.name) && !Is_choice_name(parameter.name) && Find_record(parameter.name) == nullptr) {
    throw Input_error(where + ": \"" + Printable(parameter.name) + "\" is not a name torvane-deck knows; see --help");
  }
  return parameter;
}

// A parameter file's value where the command line gave none: a section file
// relative to the parameter file's folder, the points, or a record's value.
void Apply_parameter(Deck_options& options, std::vector<Setting>& from_file, const Named_value& parameter,
                     const std::string& where, const std::filesystem::path& folder) {
  auto beside = [&](const std::string& file) {
    const std::filesystem::path given(file);
    return (given.is_absolute() || folder.empty() ? given : folder / given).string();
  };
  const std::string& name = parameter.name;
  if (Is_file_name(name) && parameter.value.empty()) throw Input_error(where + ": " + name + " needs a value");
  if (name == "hub") {
    if (options.hub.empty()) options.hub = beside(parameter.value);
  } else if (name == "casing") {
    if (options.casing.empty()) options.casing = beside(parameter.value);
  } else if (name == "flow-path") {
    if (options.flow_path.empty()) options.flow_path = beside(parameter.value);
  } else if (Setting* setting = Block_setting(name, options)) {
    if (setting->text.empty()) *setting = {name, parameter.value, where + " (" + name + ")"};
  } else if (name == "points") {
    if (options.points.empty()) {
      options.points = parameter.value;
      options.points_origin = where + " (points)";
    }
  } else {
    from_file.push_back({name, parameter.value, where + " (" + name + ")"});
  }
}

}  // namespace

const std::string& Usage_text() {
  static const std::string text = std::string(kUsageHead) + std::to_string(kMinResampledPoints) + " to " +
                                  std::to_string(kMaxContourPoints) + std::string(kUsageTail) + Record_name_lines() +
                                  std::string(kUsageEnd);
  return text;
}

Deck_options Parse_command_line(const std::vector<std::string>& args) {
  Deck_options options;
  std::vector<std::string> seen;
  for (size_t n = 0; n < args.size(); ++n) {
    if (args[n] == "--help" || args[n] == "-h") {
      options.help = true;
    } else if (args[n] == "--version") {
      options.version = true;
    } else if (args[n] == "--large" || args[n] == "--smooth") {
      const std::string name(args[n].substr(2));
      if (Given_before(seen, name)) throw Usage_error("--" + name + " is given twice");
      options.settings.push_back({name, "yes", "--" + name});
    } else {
      const Named_value option = Split_option(args, n);
      if (Given_before(seen, option.name)) throw Usage_error("--" + option.name + " is given twice");
      Apply_option(options, option);
    }
  }
  return options;
}

void Read_parameter_file(Deck_options& options) {
  if (options.parameters.empty()) return;
  const std::string& path = options.parameters;
  const std::string file_text = Read_small_file(path, kMaxParameterBytes, "parameter file");
  std::string_view text = file_text;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();

  std::vector<Setting> from_file;
  std::vector<std::string> seen;
  for (long number = 1; !text.empty(); ++number) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string where = Printable(path) + ", line " + std::to_string(number);
    const Named_value parameter = Parse_parameter_line(text.substr(0, end), where);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (parameter.name.empty()) continue;
    if (Given_before(seen, parameter.name)) {
      throw Input_error(where + ": " + parameter.name + " is given a second time");
    }
    Apply_parameter(options, from_file, parameter, where, folder);
  }
  options.settings.insert(options.settings.begin(), from_file.begin(), from_file.end());
}

}  // namespace torvane::deck
