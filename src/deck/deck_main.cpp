#include "deck/deck_main.hpp"

#include "base/version.hpp"
#include "deck/airfoil_file.hpp"
#include "deck/deck_build.hpp"
#include "deck/deck_options.hpp"
#include "deck/rotor_deck.hpp"

namespace torvane::deck {

int Deck_main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Deck_options options;
  try {
    options = Parse_command_line(args);
  } catch (const Usage_error& e) {
    err << "torvane-deck: " << e.what() << "\n" << Usage_text();
    return kExitUsage;
  }
  // What standard output did not take is a failure, never status 0.
  auto delivered = [&](const char* what) {
    if (out.flush()) return kExitWritten;
    err << "torvane-deck: standard output: the " << what << " cannot be written\n";
    return kExitInput;
  };
  if (options.help) {
    out << Usage_text();
    return delivered("help");
  }
  if (options.version) {
    out << "torvane-deck " << kVersion << " (" << kReleaseDate << ")\n";
    return delivered("version");
  }

  try {
    Read_parameter_file(options);
  } catch (const Input_error& e) {
    err << "torvane-deck: " << e.what() << "\n";
    return kExitInput;
  }
  if (!options.profile.empty() || !options.hub_curve.empty() || !options.casing_curve.empty()) {
    if (options.profile.empty() || options.hub_curve.empty() || options.casing_curve.empty() || !options.hub.empty() ||
        !options.casing.empty() || !options.flow_path.empty() || !options.points.empty()) {
      err << "torvane-deck: a blade row's curve files are --profile, --hub-curve and --casing-curve together, "
             "without --hub, --casing, --flow-path or --points\n"
          << Usage_text();
      return kExitUsage;
    }
    const Deck_build build = Build_row_deck({options.profile, options.hub_curve, options.casing_curve, options.info,
                                             options.settings, options.unit, options.inlet_plane, options.outlet_plane,
                                             options.tip_gap, options.gap_cells, options.rpm, options.tip_pinch});
    for (const std::string& message : build.messages) err << "torvane-deck: " << message << '\n';
    if (build.status != kExitWritten) return build.status;
    out << build.deck;
    return delivered("deck");
  }
  if (options.hub.empty() || options.casing.empty()) {
    err << "torvane-deck: " << (options.hub.empty() ? "--hub" : "--casing") << " FILE is needed\n" << Usage_text();
    return kExitUsage;
  }
  const Deck_build build = Build_deck({{options.hub, {}},
                                       {options.casing, {}},
                                       options.points,
                                       options.points_origin,
                                       options.settings,
                                       options.flow_path,
                                       options.tip_gap,
                                       options.gap_cells,
                                       options.rpm,
                                       options.tip_pinch});
  for (const std::string& message : build.messages) err << "torvane-deck: " << message << '\n';
  if (build.status != kExitWritten) return build.status;
  out << build.deck;
  return delivered("deck");
}

}  // namespace torvane::deck
