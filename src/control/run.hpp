// The run control: banner, control input, grid-size check, set-up, the hub
// and casing surfaces, the volume and the three output files, in this order.
#pragma once

#include <istream>
#include <string>

#include "base/run_stop.hpp"
#include "output/console.hpp"

namespace torvane {

// Choices of an in-process run.
struct Run_options {
  // When not empty, the stem of the output files instead of the deck's own
  // (an in-process caller keeps the files in a folder of its choosing).
  std::string output_stem;
  // False builds the grid and skips the three files and their console lines
  // (the benchmark times the grid build alone this way).
  bool write_files = true;
  // True writes the files of a grid that failed its check (folded cells, a
  // covered blade), with a warning: torvane --allow-folded.
  bool allow_folded = false;
  // False skips the grid check (the benchmark's grid build alone).
  bool check_grid = true;
};

// Runs the grid generator on the deck; returns the exit status. Progress goes
// to out, diagnostics of refused input and failed files to err.
int Run(std::istream& deck, Console& out, Console& err, const Run_options& options = {});

// Banner line 6: the version and release date centred in 47 columns.
std::string Banner_version_line();

}  // namespace torvane
