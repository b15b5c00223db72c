#include "control/command_line.hpp"

#include <string>

#include "base/version.hpp"
#include "control/run.hpp"

namespace torvane {

namespace {

constexpr std::string_view kUsage =
    "Usage: torvane [--flow-path FILE] < deck.in\r\n"
    "       torvane --help | --version\r\n"
    "\r\n"
    "Generates the structured H-grid of one blade passage from the control deck\r\n"
    "read on standard input and writes STEM.rgra (the grid), STEM.rtp (its\r\n"
    "topology) and STEM_grid_volume.plt (a Tecplot plot file), STEM being the\r\n"
    "deck's second line up to its first blank.\r\n"
    "\r\n"
    "  --flow-path FILE  hub and casing on the surfaces of revolution of the\r\n"
    "                    meridional curves of FILE (docs/flow-path.md) instead\r\n"
    "                    of the cylinders of radius rhub and rcas\r\n"
    "\r\n"
    "Exit status: 0 complete run; 1 grid too large, a blade point not found on\r\n"
    "its contour, or a coordinate that is not finite; 2 deck refused or an\r\n"
    "output file not written (the reason is on standard error).\r\n"
    "\r\n"
    "The deck record by record and its refusals: docs/deck.md; the files:\r\n"
    "docs/files.md (in share/doc/torvane where torvane is installed).\r\n";

}  // namespace

int Torvane_main(std::span<const std::string_view> args, std::istream& deck, bool deck_is_terminal, Console& out,
                 Console& err) {
  if (args.size() == 1 && args[0] == "--help") {
    out.write(kUsage);
    return kExitComplete;
  }
  if (args.size() == 1 && args[0] == "--version") {
    out.record(std::string("torvane ") + kVersion + " (" + kReleaseDate + ")");
    return kExitComplete;
  }
  Run_options options;
  if (!args.empty() && (args[0] == "--flow-path" || args[0].starts_with("--flow-path="))) {
    const bool joined = args[0].starts_with("--flow-path=");
    if (!joined && args.size() < 2) {
      err.record("torvane: --flow-path needs a file (torvane --flow-path FILE < deck.in)");
      return kExitRefused;
    }
    options.flow_path = joined ? args[0].substr(12) : args[1];
    if (options.flow_path.empty()) {
      err.record("torvane: --flow-path needs a file (torvane --flow-path FILE < deck.in)");
      return kExitRefused;
    }
    args = args.subspan(joined ? 1 : 2);
    if (!args.empty()) {
      err.record("torvane: unexpected argument \"" + std::string(args[0]) +
                 "\"; torvane takes --flow-path FILE once and reads the deck from standard input");
      return kExitRefused;
    }
  }
  if (!args.empty()) {
    std::string message = "torvane: unexpected argument \"";
    message.append(args[args.size() > 1 && (args[0] == "--help" || args[0] == "--version") ? 1 : 0]);
    message.append("\"; torvane takes --help or --version alone and reads the deck from standard input");
    err.record(message);
    return kExitRefused;
  }
  if (deck_is_terminal) {
    err.record("torvane: reading the control deck from standard input (for example: torvane < rotor.in)");
  }
  return Run(deck, out, err, options);
}

}  // namespace torvane
