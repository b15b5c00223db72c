// What every run promises, whatever its deck: a complete run leaves three
// well-formed files of finite coordinates, with no folded cell and no blade
// covered by the passage, and exits 0; any other run exits 1 or 2 with its
// message and leaves no file at all.
#pragma once

#include <string>

namespace torvane::testing {

struct Contract_run {
  int status;
  std::string out;     // console
  std::string err;     // diagnostics
  std::string broken;  // "" when the run kept its promise, otherwise the promise it broke
};

// Runs the deck in-process with its files under `folder` (which must be empty)
// and checks the promise. The files of a complete run are read back and
// checked when the grid has at most `checked_points` points (only the size of
// the grid file above that), then removed, so the folder is empty again.
Contract_run Run_under_contract(const std::string& deck, const std::string& folder, long checked_points = 1L << 30);

}  // namespace torvane::testing
