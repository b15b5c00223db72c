#include "control/command_line.hpp"

#include <cstring>
#include <optional>
#include <string>

#include "base/terminal_text.hpp"
#include "base/tip_gap_request.hpp"
#include "base/version.hpp"
#include "control/run.hpp"

namespace torvane {

namespace {

constexpr std::string_view kUsage =
    "Usage: torvane [--flow-path FILE] [--allow-folded] [--large] [--smooth] [--tip-gap GAP [--gap-cells N]\r\n"
    "               [--tip-pinch P]] < deck.in\r\n"
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
    "  --large           grids up to 999 intervals in each direction instead of\r\n"
    "                    the deck's limits (256 x 64 x 48 intervals)\r\n"
    "  --smooth          smooths the grid lines ahead of and behind the blade:\r\n"
    "                    square to inlet and outlet, along the bisector of the\r\n"
    "                    blade walls at the edges (docs/smoothing.md)\r\n"
    "  --tip-gap GAP     the blade ends GAP below the casing (a length, or P%\r\n"
    "                    of the span, at most a quarter of it) and the grid\r\n"
    "                    meshes the gap above the blade tip (docs/tip-gap.md)\r\n"
    "  --gap-cells N     grid cells across the gap (default 6)\r\n"
    "  --tip-pinch P     the blade's walls close onto its camber over the\r\n"
    "                    height P below the tip (a length, P% of the span, or\r\n"
    "                    auto: the tip's largest half thickness) instead of\r\n"
    "                    over the last interval (docs/tip-gap.md)\r\n"
    "\r\n"
    "Every grid is checked before its files are written: a grid with folded\r\n"
    "cells (scaled Jacobian <= 0) or a passage that covers a blade leaves no\r\n"
    "file. --allow-folded writes such a grid anyway, with a warning, for a look\r\n"
    "in a viewer.\r\n"
    "\r\n"
    "Exit status: 0 complete run; 1 grid too large, a blade point not found on\r\n"
    "its contour, a coordinate that is not finite, or folded cells; 2 deck\r\n"
    "refused, a passage that covers a blade, or an output file not written (the\r\n"
    "reason is on standard error).\r\n"
    "\r\n"
    "The deck record by record and its refusals, and the block after the casing\r\n"
    "contour (flow path, sections, planes, tip gap): docs/deck.md; the files:\r\n"
    "docs/files.md (in share/doc/torvane where torvane is installed).\r\n";

// The usage (--help) or the version (--version) on standard output.
int Tell_usage_or_version(std::string_view arg, Console& out, Console& err) {
  if (arg == "--help") {
    out.write(kUsage);
  } else {
    out.record(std::string("torvane ") + kVersion + " (" + kReleaseDate + ")");
  }
  // Asked for the text, a failure to give it is the run's failure.
  if (out.failure() == 0) return kExitComplete;
  err.record(std::string("torvane: cannot write standard output: ") + std::strerror(out.failure()));
  return kExitRefused;
}

// What Take_gap_option did with the front of the arguments.
struct Gap_option {
  std::size_t taken = 0;  // arguments taken: 0 when the first is neither option, or one given before
  std::string refusal;    // why the value cannot be used, without the program's name
};

// What the tip gap's companions give before the gap is known.
struct Gap_companions {
  std::optional<int> cells;              // --gap-cells N
  std::optional<Tip_gap_request> pinch;  // --tip-pinch P (its pinch members)
};

// The value of the tip-gap option `name` into options or companions; why
// not, when it cannot be used.
std::string Take_gap_value(std::string_view name, std::string_view value, Run_options& options,
                           Gap_companions& companions) {
  if (name == "--tip-gap") {
    const Tip_gap_parse parse = Parse_tip_gap(value);
    if (!parse.request) return "--tip-gap " + parse.problem;
    options.tip_gap = parse.request;
  } else if (name == "--gap-cells") {
    const Gap_cells_parse parse = Parse_gap_cells(value);
    if (!parse.problem.empty()) return "--gap-cells " + parse.problem;
    companions.cells = parse.cells;
  } else {
    Tip_gap_request pinch;
    const std::string problem = Parse_tip_pinch(value, pinch);
    if (!problem.empty()) return "--tip-pinch " + problem;
    companions.pinch = pinch;
  }
  return {};
}

// Whether the tip-gap option `name` was given before.
bool Gap_option_given(std::string_view name, const Run_options& options, const Gap_companions& companions) {
  if (name == "--tip-gap") return options.tip_gap.has_value();
  if (name == "--gap-cells") return companions.cells.has_value();
  return companions.pinch.has_value();
}

// --tip-gap GAP, --gap-cells N or --tip-pinch P at the front of args, joined
// by = or not: the gap into options, the others into companions.
Gap_option Take_gap_option(std::span<const std::string_view> args, Run_options& options, Gap_companions& companions) {
  const std::string_view arg = args[0];
  for (const std::string_view name :
       {std::string_view("--tip-gap"), std::string_view("--gap-cells"), std::string_view("--tip-pinch")}) {
    const bool joined = arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=';
    if (arg != name && !joined) continue;
    if (Gap_option_given(name, options, companions)) return {};
    if (!joined && args.size() < 2) {
      return {0,
              std::string(name) + " needs a value (torvane --tip-gap GAP [--gap-cells N] [--tip-pinch P] < deck.in)"};
    }
    std::string refusal = Take_gap_value(name, joined ? arg.substr(name.size() + 1) : args[1], options, companions);
    if (!refusal.empty()) return {0, std::move(refusal)};
    return {joined ? std::size_t{1} : std::size_t{2}, {}};
  }
  return {};
}

// The companions joined to the gap of --tip-gap; a pinch without it is kept
// for the deck's own gap. Why not, when the cells have no gap.
std::string Join_gap_companions(const Gap_companions& companions, Run_options& options) {
  if (companions.cells && !options.tip_gap) {
    return "--gap-cells needs --tip-gap: the cells are those across the tip gap";
  }
  if (companions.cells) options.tip_gap->cells = *companions.cells;
  if (companions.pinch && !options.tip_gap) options.tip_pinch = companions.pinch;
  if (companions.pinch && options.tip_gap) {
    options.tip_gap->Take_pinch(*companions.pinch);
  }
  return {};
}

// Takes the options at the front of args into options, up to the first
// argument that is none of them (or one given before); why not, when a value
// cannot be used.
std::string Read_options(std::span<const std::string_view>& args, Run_options& options) {
  constexpr std::string_view kFlowPath = "--flow-path";
  Gap_companions companions;
  while (!args.empty()) {
    const std::string_view arg = args[0];
    if (arg == "--allow-folded" && !options.allow_folded) {
      options.allow_folded = true;
      args = args.subspan(1);
      continue;
    }
    if (arg == "--large" && !options.large) {
      options.large = true;
      args = args.subspan(1);
      continue;
    }
    if (arg == "--smooth" && !options.smooth) {
      options.smooth = true;
      args = args.subspan(1);
      continue;
    }
    // --tip-gap GAP, --gap-cells N and --tip-pinch P, once each, joined by = or not.
    const Gap_option gap = Take_gap_option(args, options, companions);
    if (!gap.refusal.empty()) return gap.refusal;
    if (gap.taken > 0) {
      args = args.subspan(gap.taken);
      continue;
    }
    const bool joined = arg.starts_with("--flow-path=");
    if ((arg != kFlowPath && !joined) || !options.flow_path.empty()) break;
    options.flow_path = joined ? arg.substr(kFlowPath.size() + 1) : (args.size() > 1 ? args[1] : "");
    if (options.flow_path.empty()) return "--flow-path needs a file (torvane --flow-path FILE < deck.in)";
    args = args.subspan(joined ? 1 : 2);
  }
  return Join_gap_companions(companions, options);
}

}  // namespace

int Torvane_main(std::span<const std::string_view> args, std::istream& deck, bool deck_is_terminal, Console& out,
                 Console& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "--version"))
    return Tell_usage_or_version(args[0], out, err);
  Run_options options;
  if (const std::string refusal = Read_options(args, options); !refusal.empty()) {
    err.record("torvane: " + refusal);
    return kExitRefused;
  }
  if (!args.empty()) {
    std::string message = "torvane: unexpected argument \"";
    message.append(Printable(args[args.size() > 1 && (args[0] == "--help" || args[0] == "--version") ? 1 : 0]));
    message.append(
        "\"; torvane takes --help or --version alone, or --flow-path FILE, --tip-gap GAP, --gap-cells N, "
        "--tip-pinch P, --allow-folded, --large and --smooth once each, and reads the deck from standard input");
    err.record(message);
    return kExitRefused;
  }
  if (deck_is_terminal) {
    err.record("torvane: reading the control deck from standard input (for example: torvane < rotor.in)");
  }
  return Run(deck, out, err, options);
}

}  // namespace torvane
