// The deck's block after the casing contour (`torvane-block 1` ... `end
// torvane-block`): what the classic records cannot say, as plain values the
// run, the surface description, torvane-deck and the Python module share.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/tip_gap_request.hpp"

namespace torvane {

// One meridional curve as its text gives it, with the line of every point.
struct Curve_points {
  int header_line = 0;  // the line `hub` or `casing`
  std::vector<double> x, r;
  std::vector<int> lines;
};

// A flow path: the hub and casing curves of a --flow-path file or of the
// block's flow-path entry.
struct Flow_path_file {
  std::string name;    // the file as the user named it; "deck" for the block's entry
  int entry_line = 0;  // the deck line `flow-path` of the block's entry, 0 for a file
  Curve_points hub, casing;
};

// The values of the block; a deck without it leaves every one unset.
struct Deck_block {
  int line = 0;      // the opening line, counted from the first line of the deck; 0: no block
  int end_line = 0;  // the closing line `end torvane-block`
  // flow-path ... end flow-path: hub and casing on the surfaces of revolution
  // of its curves, as with --flow-path.
  std::optional<Flow_path_file> flow_path;
  // tip-gap VALUE [cells N]: the blade ends the gap below the casing, as with --tip-gap.
  std::optional<Tip_gap_request> tip_gap;
  int tip_gap_line = 0;  // the entry's line
};

}  // namespace torvane
