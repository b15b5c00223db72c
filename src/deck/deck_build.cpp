#include "deck/deck_build.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <set>

#include "base/rotor_speed.hpp"
#include "base/run_stop.hpp"
#include "base/tip_gap_request.hpp"
#include "control/control_check.hpp"
#include "control/control_input.hpp"
#include "control/flow_path_file.hpp"
#include "deck/airfoil_file.hpp"
#include "deck/deck_block_text.hpp"
#include "deck/deck_checks.hpp"
#include "deck/deck_choices.hpp"
#include "deck/deck_main.hpp"
#include "deck/deck_records.hpp"
#include "deck/deck_text.hpp"
#include "deck/geometry_defaults.hpp"
#include "deck/refinement.hpp"
#include "deck/text_files.hpp"
#include "deck/tip_layer.hpp"
#include "geometry/flow_path.hpp"
#include "geometry/surface_description.hpp"

namespace torvane::deck {

namespace {

Deck_section Load_section(const Section_source& source, const std::string& points, int npoints) {
  const Airfoil_file airfoil =
      source.text ? Parse_airfoil_text(source.file, *source.text) : Read_airfoil_file(source.file);
  Deck_section section{source.file, airfoil.name, Build_contour(airfoil), false};
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

Deck_build Refused(int status, std::vector<std::string> messages) { return {status, std::move(messages), ""}; }

// The record values and choices of the settings, in order; the refusal of the first that cannot be taken.
std::optional<Deck_build> Apply_settings(const std::vector<Setting>& settings, Control_values& values,
                                         std::set<std::string>& given, Deck_choices& choices) {
  for (const Setting& setting : settings) {
    if (Is_choice_name(setting.name)) {
      if (const auto why = Set_choice(choices, setting)) {
        return Refused(setting.origin.starts_with("--") ? kExitUsage : kExitInput,
                       {setting.origin + ": " + Printable(*why)});
      }
      continue;
    }
    const Deck_record* record = Find_record(setting.name);
    if (record == nullptr) {
      return Refused(kExitUsage, {setting.origin + ": " + Printable(setting.name) + " is not the name of a record"});
    }
    if (const auto why = Set_value(values, *record, setting.text)) {
      return Refused(setting.origin.starts_with("--") ? kExitUsage : kExitInput,
                     {setting.origin + ": " + Printable(*why)});
    }
    given.insert(setting.name);
  }
  if (const auto missing = Missing_choice(choices)) {
    return Refused(missing->starts_with("--") ? kExitUsage : kExitInput, {*missing});
  }
  return std::nullopt;
}

// The sections' radii are those of the flow path's curves at their reference
// points; the dry run checks the rest of the flow path with the deck (and
// says so when the hub curve misses x = 0). The refusal of a file that cannot be read.
std::optional<Deck_build> Take_flow_path_radii(const std::string& flow_path, Control_values& values) {
  try {
    const Flow_path_file file = Read_flow_path_file(flow_path);
    const Meridional_curve hub_curve(file.hub.x, file.hub.r);
    if (hub_curve.x_first() <= 0.0 && 0.0 <= hub_curve.x_last()) values.rhub = hub_curve.Radius(0.0);
    values.rcas = Casing_reference_radius(Meridional_curve(file.casing.x, file.casing.r), values.rhub,
                                          std::tan(values.sweep * kDegree));
  } catch (const Run_stop& stop) {
    return Refused(kExitInput, {Printable(stop.diagnostic)});
  }
  return std::nullopt;
}

// With --yplus and --reynolds the wall spacings not given come from them: a
// message's closing "; change --a, --b or --c" names those two options in
// place of such spacings, which the user never gave.
std::string Advice_for_wall_choices(std::string message, const std::set<std::string>& given) {
  const std::string lead = "; change ";
  const size_t at = message.rfind(lead);
  if (at == std::string::npos) return message;
  std::vector<std::string> options;
  std::string rest = message.substr(at + lead.size());
  for (size_t from = 0; from < rest.size();) {
    size_t comma = rest.find(", ", from), last_or = rest.find(" or ", from);
    const size_t end = std::min({comma, last_or, rest.size()});
    std::string name = rest.substr(from, end - from);
    if (!name.starts_with("--")) return message;  // not a list of options
    if (const std::string record = name.substr(2);
        (record == "dywle" || record == "dywte" || record == "dzwall") && given.count(record) == 0) {
      for (const char* choice : {"--yplus", "--reynolds"}) {
        if (std::find(options.begin(), options.end(), choice) == options.end()) options.push_back(choice);
      }
    } else if (std::find(options.begin(), options.end(), name) == options.end()) {
      options.push_back(name);
    }
    from = end == rest.size() ? end : end + (end == comma ? 2 : 4);
  }
  std::string list;
  for (size_t n = 0; n < options.size(); ++n) {
    if (n > 0) list += n + 1 == options.size() ? " or " : ", ";
    list += options[n];
  }
  return message.substr(0, at + lead.size()) + list;
}

// The hub and casing sections, resampled to the point count asked for; a
// refusal when the count is out of range or a section cannot be read.
std::optional<Deck_build> Load_sections(const Deck_request& request, Deck_section& hub, Deck_section& casing) {
  int npoints = 0;
  if (!request.points.empty()) {
    if (!Parse_integer(request.points, npoints) || npoints < kMinResampledPoints || npoints > kMaxContourPoints) {
      return Refused(request.points_origin == "--points" ? kExitUsage : kExitInput,
                     {request.points_origin + ": \"" + Printable(request.points) + "\": give a point count from " +
                      std::to_string(kMinResampledPoints) + " to " + std::to_string(kMaxContourPoints)});
    }
  }
  try {
    hub = Load_section(request.hub, request.points, npoints);
    casing = Load_section(request.casing, request.points, npoints);
  } catch (const Input_error& e) {
    return Refused(kExitInput, {e.what()});
  }
  return std::nullopt;
}

}  // namespace

std::optional<Deck_build> Read_tip_gap(const Setting& tip_gap, const Setting& gap_cells, const Setting& tip_pinch,
                                       std::optional<Tip_gap_request>& gap) {
  auto refused_by = [](const Setting& setting, const std::string& why) {
    return Refused(setting.origin.starts_with("--") ? kExitUsage : kExitInput,
                   {setting.origin + ": " + Printable(why)});
  };
  if (!gap_cells.text.empty() && tip_gap.text.empty()) {
    return refused_by(gap_cells, "the cells are those across the tip gap: give --tip-gap too");
  }
  if (!tip_pinch.text.empty() && tip_gap.text.empty()) {
    return refused_by(tip_pinch, "the pinch closes the blade at its tip: give --tip-gap too");
  }
  if (tip_gap.text.empty()) return std::nullopt;
  const Tip_gap_parse parse = Parse_tip_gap(tip_gap.text);
  if (!parse.request) return refused_by(tip_gap, parse.problem);
  Tip_gap_request request = *parse.request;
  if (!gap_cells.text.empty()) {
    const Gap_cells_parse cells = Parse_gap_cells(gap_cells.text);
    if (!cells.problem.empty()) return refused_by(gap_cells, cells.problem);
    request.cells = cells.cells;
  }
  // Without a pinch given, a taper over the tip's half thickness: sound cells under the tip.
  const std::string problem = Parse_tip_pinch(tip_pinch.text.empty() ? "auto" : tip_pinch.text, request);
  if (!problem.empty()) return refused_by(tip_pinch, problem);
  gap = request;
  return std::nullopt;
}

std::optional<Deck_build> Read_rotor_speed(const Setting& given, std::optional<double>& rpm) {
  if (given.text.empty()) return std::nullopt;
  double value = 0;
  const Rotor_speed_parse speed =
      Rotor_speed_of(given.text, Parse_real(given.text, value) ? std::optional(value) : std::nullopt);
  if (!speed.rpm) {
    return Refused(given.origin.starts_with("--") ? kExitUsage : kExitInput, {given.origin + ": " + speed.problem});
  }
  rpm = speed.rpm;
  return std::nullopt;
}

Deck_build Build_deck(const Deck_request& request) {
  // The tip gap and the speed as given, checked before the sections are read.
  std::optional<Tip_gap_request> tip_gap;
  if (std::optional<Deck_build> refused = Read_tip_gap(request.tip_gap, request.gap_cells, request.tip_pinch, tip_gap))
    return *refused;
  std::optional<double> rpm;
  if (std::optional<Deck_build> refused = Read_rotor_speed(request.rpm, rpm)) return *refused;
  Deck_section hub, casing;
  if (auto refused = Load_sections(request, hub, casing)) return *refused;

  Control_values values = Default_values();
  values.title = Default_title(hub, casing);
  values.fname = Default_stem(request.hub.text ? std::string() : request.hub.file);
  std::set<std::string> given;  // the records whose values the user gave
  Deck_choices choices;
  if (auto refused = Apply_settings(request.settings, values, given, choices)) return *refused;
  if (!request.flow_path.empty()) {
    if (auto refused = Take_flow_path_radii(request.flow_path, values)) return *refused;
  }

  Value_sources sources;
  Apply_geometry_defaults(values, given, hub, casing, choices, sources);
  if (auto problem = Apply_wall_layers(values, given, hub, casing, choices, sources)) {
    return Refused(kExitProblems, {*problem});
  }
  std::vector<std::string> warnings;
  if (tip_gap) {
    if (auto problem = Apply_tip_layer(values, given, choices, *tip_gap, sources, warnings)) {
      return Refused(kExitProblems, {*problem});
    }
  }
  if (choices.refine || choices.levels) {
    // The values as given first: a count already beyond a limit is the option's fault, not the refinement's.
    if (auto problems = Value_problems(values, Limits_of(choices)); !problems.empty()) {
      return Refused(kExitProblems, std::move(problems));
    }
    if (auto problem = Refine(values, choices, sources)) return Refused(kExitProblems, {*problem});
  }

  if (auto problems = Value_problems(values, Limits_of(choices)); !problems.empty()) {
    return Refused(kExitProblems, std::move(problems));
  }
  std::vector<std::string> problems = Section_problems(values, Surface::hub, hub);
  for (std::string& problem : Section_problems(values, Surface::casing, casing)) problems.push_back(std::move(problem));
  if (!problems.empty()) return Refused(kExitProblems, std::move(problems));

  std::string deck = Deck_text(values, hub, casing, request.flow_path, sources);
  const bool large = choices.large && !Grid_fits_storage(values);
  // The deck itself asks torvane for the large limits and the smoothing, and carries the tip gap and the
  // speed; with none of them it has no block.
  Deck_block block;
  block.large = large;
  block.smooth = choices.smooth;
  block.tip_gap = tip_gap;
  block.rpm = rpm;
  deck += Deck_block_text(block);
  if (auto run_problems = Dry_run_problems(deck, request.flow_path, choices.large, &warnings); !run_problems.empty()) {
    if (choices.yplus && choices.reynolds) {
      for (std::string& problem : run_problems) problem = Advice_for_wall_choices(std::move(problem), given);
    }
    return Refused(kExitProblems, std::move(run_problems));
  }
  return {kExitWritten, std::move(warnings), std::move(deck)};
}

}  // namespace torvane::deck
