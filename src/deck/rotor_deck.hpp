// torvane-deck on the curve files of a real blade row: every section mapped
// into the conformal plane of its own streamsurface between the hub and
// casing curves (its own stagger, chord and placement, the leading edge of a
// round nose found as the nose), the first section the hub's, the last the
// casing's, those between written into the deck's block with the flow path,
// the grid angles per station, the inlet and outlet planes and the frame of
// the files.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "deck/deck_build.hpp"
#include "deck/deck_options.hpp"

namespace torvane::deck {

// The files and choices of a blade row.
struct Row_request {
  std::string profile, hub_curve, casing_curve, info;
  std::vector<Setting> settings;          // record values and choices, as Build_deck takes them
  std::string unit;                       // --unit, over the info file's
  std::string inlet_plane, outlet_plane;  // --inlet-plane, --outlet-plane in the files' unit, over the trims
  Setting tip_gap = {};                   // --tip-gap, over the info file's `Tip clearance`
  Setting gap_cells = {};                 // --gap-cells
  Setting rpm = {};                       // --rpm, over the info file's `RPM`
  Setting tip_pinch = {};                 // --tip-pinch
};

// The deck of the blade row, or what stops it.
Deck_build Build_row_deck(const Row_request& request);

}  // namespace torvane::deck
