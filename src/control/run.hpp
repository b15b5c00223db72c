// The run control: banner, control input, grid-size check, set-up, the hub
// and casing surfaces, the volume and the three output files, in this order.
#pragma once

#include <istream>
#include <memory>
#include <optional>
#include <string>

#include "base/run_stop.hpp"
#include "base/tip_gap_request.hpp"
#include "control/grid_storage.hpp"
#include "control/run_diagnostics.hpp"
#include "output/console.hpp"
#include "output/grid_files.hpp"

namespace torvane {

// Choices of an in-process run.
struct Run_options {
  // When not empty, the stem of the output files instead of the deck's own
  // (an in-process caller keeps the files in a folder of its choosing).
  std::string output_stem;
  // False builds the grid and skips the three files and their console lines
  // (the benchmark times the grid build alone this way).
  bool write_files = true;
  // When set, hears every event of the numerical routines with the part of
  // the grid it came from (torvane-deck's dry run).
  Event_listener on_event;
  // When not empty, the flow-path file: hub and casing lie on the surfaces of
  // revolution of its curves instead of on cylinders.
  std::string flow_path;
  // True writes the files of a grid that failed its check (folded cells, a
  // covered blade), with a warning: torvane --allow-folded.
  bool allow_folded = false;
  // False skips the grid check (the benchmark's grid build alone).
  bool check_grid = true;
  // True raises the grid's limits to 999 intervals in each direction
  // (torvane --large): what the grid and topology files hold.
  bool large = false;
  // True smooths the passage ahead of and behind the blade before the check
  // and the files (torvane --smooth; the deck's block may ask for it too).
  bool smooth = false;
  // When set, the blade ends the gap below the casing and the grid meshes the
  // gap above it (torvane --tip-gap); tip_gap_source names where it was given.
  std::optional<Tip_gap_request> tip_gap;
  std::string tip_gap_source = "--tip-gap";
  // torvane --tip-pinch without --tip-gap: its pinch members close the
  // blade of the deck's own tip gap (its block's tip-gap entry);
  // tip_pinch_source names where a pinch was given, with or without --tip-gap.
  std::optional<Tip_gap_request> tip_pinch;
  std::string tip_pinch_source = "--tip-pinch";
};

// Runs the grid generator on the deck; returns the exit status. Progress goes
// to out, diagnostics of refused input and failed files to err.
int Run(std::istream& deck, Console& out, Console& err, const Run_options& options = {});

// Banner line 6: the version and release date centred in 47 columns.
std::string Banner_version_line();

// What an in-process grid build gives back besides the grid in the storage.
struct Grid_build {
  int status = kExitComplete;
  // What torvane prints on standard output for the deck without the files.
  std::string console;
  // Why the build stopped: torvane's standard-error line without "torvane: ".
  std::string diagnostic;
  Block_sizes block{};        // sizes, leading and trailing edge, interval counts
  double dphi = 0;            // pitch angle [rad]
  Passage passage;            // span stations and boundary patches, as the topology file writes them
  std::string title;          // record 1, for the plot file
  std::string stem;           // the stem of the output files named by record 2
  std::optional<double> rpm;  // the rotor's speed the deck's block gives, for the machine file
};

// Builds the deck's grid into the caller's storage, as Run does without the
// files, and returns how it went; the sizes are set once the deck is read.
// Of the options, the flow path, the event listener and the grid check apply:
// a grid that fails its check is a failed build unless allow_folded is set.
// A caller that builds grid after grid may lend a kept helper thread for the check.
Grid_build Build_grid(std::istream& deck, Grid_storage& storage, const Run_options& options = {},
                      Helper_thread* helper = nullptr);

// The same into a storage of just the grid's size: `made` when it holds one
// of that size already (a storage used before), else one made once the
// deck's sizes are known and handed to the caller in `made` (empty when the
// build stopped before): a one-off build touches no more memory than its grid needs.
Grid_build Build_grid(std::istream& deck, std::unique_ptr<Grid_storage>& made, const Run_options& options = {},
                      Helper_thread* helper = nullptr);

}  // namespace torvane
