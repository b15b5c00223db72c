#include "deck/deck_main.hpp"

#include <algorithm>
#include <filesystem>

#include "base/version.hpp"
#include "control/control_input.hpp"
#include "deck/airfoil_file.hpp"
#include "deck/deck_checks.hpp"
#include "deck/deck_options.hpp"
#include "deck/deck_records.hpp"
#include "deck/deck_text.hpp"
#include "deck/text_files.hpp"

namespace torvane::deck {

namespace {

Deck_section Load_section(const std::string& file, const std::string& points, int npoints) {
  const Airfoil_file airfoil = Read_airfoil_file(file);
  Deck_section section{file, airfoil.name, Build_contour(airfoil), false};
  if (!points.empty()) {
    section.contour = Resample_contour(section.contour, npoints);
    section.resampled = true;
  }
  return section;
}

// The text cut to the 50 bytes of a text record, not inside a UTF-8 character.
std::string Cut_to_record(std::string text) {
  size_t length = static_cast<size_t>(kTextLength);
  if (text.size() <= length) return text;
  while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  text.resize(length);
  return text;
}

// The default title: the section names (the hub's alone when both are the same).
std::string Default_title(const Deck_section& hub, const Deck_section& casing) {
  std::string title = hub.name == casing.name ? hub.name : hub.name + " / " + casing.name;
  return Cut_to_record(Printable(title, High_bytes::kept, ' '));
}

// The default stem: the hub file's name without its ending, blanks as underscores.
std::string Default_stem(const std::string& hub_file) {
  std::string stem = Printable(std::filesystem::path(hub_file).stem().string(), High_bytes::kept, '_');
  std::replace(stem.begin(), stem.end(), ' ', '_');
  stem = Cut_to_record(stem);
  return stem.empty() ? "blade_row" : stem;
}

int Report(std::ostream& err, const std::vector<std::string>& problems) {
  for (const std::string& problem : problems) err << "torvane-deck: " << problem << '\n';
  return kExitProblems;
}

}  // namespace

int Deck_main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Deck_options options;
  try {
    options = Parse_command_line(args);
  } catch (const Usage_error& e) {
    err << "torvane-deck: " << e.what() << "\n" << Usage_text();
    return kExitUsage;
  }
  if (options.help) {
    out << Usage_text();
    return out.flush() ? kExitWritten : kExitInput;
  }
  if (options.version) {
    out << "torvane-deck " << kVersion << " (" << kReleaseDate << ")\n";
    return out.flush() ? kExitWritten : kExitInput;
  }

  Deck_section hub, casing;
  int npoints = 0;
  try {
    Read_parameter_file(options);
    if (options.hub.empty() || options.casing.empty()) {
      err << "torvane-deck: " << (options.hub.empty() ? "--hub" : "--casing") << " FILE is needed\n" << Usage_text();
      return kExitUsage;
    }
    if (!options.points.empty()) {
      if (!Parse_integer(options.points, npoints) || npoints < kMinResampledPoints || npoints > kMaxContourPoints) {
        err << "torvane-deck: " << options.points_origin << ": \"" << Printable(options.points)
            << "\": give a point count from " << kMinResampledPoints << " to " << kMaxContourPoints << "\n";
        return options.points_origin == "--points" ? kExitUsage : kExitInput;
      }
    }
    hub = Load_section(options.hub, options.points, npoints);
    casing = Load_section(options.casing, options.points, npoints);
  } catch (const Input_error& e) {
    err << "torvane-deck: " << e.what() << "\n";
    return kExitInput;
  }

  Control_values values = Default_values();
  values.title = Default_title(hub, casing);
  values.fname = Default_stem(options.hub);
  for (const Setting& setting : options.settings) {
    if (const auto why = Set_value(values, *Find_record(setting.name), setting.text)) {
      err << "torvane-deck: " << setting.origin << ": " << Printable(*why) << "\n";
      return setting.origin.starts_with("--") ? kExitUsage : kExitInput;
    }
  }

  if (auto problems = Value_problems(values); !problems.empty()) return Report(err, problems);
  std::vector<std::string> problems = Section_problems(values, "hub", hub);
  for (std::string& problem : Section_problems(values, "casing", casing)) problems.push_back(std::move(problem));
  if (!problems.empty()) return Report(err, problems);

  const std::string deck = Deck_text(values, hub, casing);
  if (auto run_problems = Dry_run_problems(deck); !run_problems.empty()) return Report(err, run_problems);

  out << deck;
  if (!out.flush()) {
    err << "torvane-deck: standard output: the deck cannot be written\n";
    return kExitInput;
  }
  return kExitWritten;
}

}  // namespace torvane::deck
