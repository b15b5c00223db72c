#include "deck/deck_main.hpp"

#include "base/version.hpp"
#include "deck/airfoil_file.hpp"
#include "deck/deck_build.hpp"
#include "deck/deck_options.hpp"

namespace torvane::deck {

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

  try {
    Read_parameter_file(options);
  } catch (const Input_error& e) {
    err << "torvane-deck: " << e.what() << "\n";
    return kExitInput;
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
                                       options.flow_path});
  for (const std::string& message : build.messages) err << "torvane-deck: " << message << '\n';
  if (build.status != kExitWritten) return build.status;
  out << build.deck;
  if (!out.flush()) {
    err << "torvane-deck: standard output: the deck cannot be written\n";
    return kExitInput;
  }
  return kExitWritten;
}

}  // namespace torvane::deck
