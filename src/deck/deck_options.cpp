#include "deck/deck_options.hpp"

#include <algorithm>
#include <filesystem>
#include <string_view>

#include "base/storage_limits.hpp"
#include "deck/airfoil_file.hpp"
#include "deck/deck_records.hpp"
#include "deck/section_contour.hpp"
#include "deck/text_files.hpp"

namespace torvane::deck {

namespace {

// The usage before and after the range of --points, which comes from the limits.
constexpr std::string_view kUsageHead =
    "usage: torvane-deck --hub FILE --casing FILE [--points N] [--parameters FILE] [--flow-path FILE]\n"
    "                    [--NAME VALUE ...] > deck.in\n"
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
    "  --NAME VALUE               a record's value: title fname nblade nin nout npitch\n"
    "                             nspan nbrow betain betaout staghub stagcas sweep lean\n"
    "                             chordhub chordcas rhub rcas lin lx nwall nwallhc ratio\n"
    "                             dsle dywle dzwall dste dywte dyout ibez\n"
    "  --help, --version\n"
    "\n"
    "Every value is checked as torvane checks it, and each section is placed with\n"
    "its stagger and checked for the edge search and the blade sides; a problem is\n"
    "reported naming the option to change, and no deck is written.\n"
    "Exit status: 0 deck written; 1 a value or a section torvane would refuse or get\n"
    "wrong; 2 a section or parameter file unreadable or malformed; 3 wrong command line.\n";

// Far more than a parameter file of every name needs.
constexpr size_t kMaxParameterBytes = size_t{1} << 20;

// Names the command line and the parameter file take besides the records.
bool Is_file_name(std::string_view name) {
  return name == "hub" || name == "casing" || name == "points" || name == "flow-path";
}

}  // namespace

const std::string& Usage_text() {
  static const std::string text = std::string(kUsageHead) + std::to_string(kMinResampledPoints) + " to " +
                                  std::to_string(kMaxContourPoints) + std::string(kUsageTail);
  return text;
}

Deck_options Parse_command_line(const std::vector<std::string>& args) {
  Deck_options options;
  std::vector<std::string> seen;
  for (size_t n = 0; n < args.size(); ++n) {
    const std::string& arg = args[n];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg == "--version") {
      options.version = true;
      continue;
    }
    if (!arg.starts_with("--") || arg.size() == 2) throw Usage_error("\"" + Printable(arg) + "\" is not an option");
    std::string name = arg.substr(2);
    std::string value;
    const size_t equals = name.find('=');
    if (equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    } else {
      if (n + 1 == args.size()) throw Usage_error("--" + Printable(name) + " needs a value");
      value = args[++n];
    }
    if (name != "parameters" && !Is_file_name(name) && Find_record(name) == nullptr) {
      throw Usage_error("--" + Printable(name) + " is not an option; see --help");
    }
    for (const std::string& earlier : seen) {
      if (earlier == name) throw Usage_error("--" + name + " is given twice");
    }
    seen.push_back(name);
    if (name == "hub") {
      options.hub = value;
    } else if (name == "casing") {
      options.casing = value;
    } else if (name == "points") {
      options.points = value;
      options.points_origin = "--points";
    } else if (name == "flow-path") {
      options.flow_path = value;
    } else if (name == "parameters") {
      options.parameters = value;
    } else {
      options.settings.push_back({name, value, "--" + name});
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
  auto beside = [&](std::string_view file) {
    const std::filesystem::path given(file);
    return (given.is_absolute() || folder.empty() ? given : folder / given).string();
  };

  std::vector<Setting> from_file;
  std::vector<std::string> seen;
  long number = 0;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    ++number;
    const std::string where = Printable(path) + ", line " + std::to_string(number);
    if (line.empty() || line.front() == '#') continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      throw Input_error(where + ": expected `name = value`, found \"" + Printable(line.substr(0, 40)) + "\"");
    }
    const std::string name(Trim(line.substr(0, equals)));
    const std::string value(Trim(line.substr(equals + 1)));
    if (!Is_file_name(name) && Find_record(name) == nullptr) {
      throw Input_error(where + ": \"" + Printable(name) + "\" is not a name torvane-deck knows; see --help");
    }
    for (const std::string& earlier : seen) {
      if (earlier == name) throw Input_error(where + ": " + name + " is given a second time");
    }
    seen.push_back(name);
    if (Is_file_name(name) && value.empty()) throw Input_error(where + ": " + name + " needs a value");
    if (name == "hub") {
      if (options.hub.empty()) options.hub = beside(value);
    } else if (name == "casing") {
      if (options.casing.empty()) options.casing = beside(value);
    } else if (name == "flow-path") {
      if (options.flow_path.empty()) options.flow_path = beside(value);
    } else if (name == "points") {
      if (options.points.empty()) {
        options.points = value;
        options.points_origin = where + " (points)";
      }
    } else {
      from_file.push_back({name, value, where + " (" + name + ")"});
    }
  }
  options.settings.insert(options.settings.begin(), from_file.begin(), from_file.end());
}

}  // namespace torvane::deck
