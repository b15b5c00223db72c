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

// A blade section between hub and casing (the block's `section` entry): its
// streamsurface, and its contour placed in the conformal plane of that
// surface as the hub section is placed in the hub's.
struct Block_section {
  int line = 0;        // the deck line `section`
  double span = 0;     // its place between hub (0) and casing (1), which orders the sections
  double stagger = 0;  // [deg], clockwise as staghub
  double chord = 0;    // the length the contour's reference x-extent is scaled to
  double xref = 0;     // axial position of the reference point (its xi in the section's plane)
  double yref = 0;     // its arc position, radius x angle, in the section's plane
  bool angles_given = false;
  double betain = 0, betaout = 0;  // its grid-line angles [deg]; records 9 and 10 when not given
  Curve_points curve;              // the streamsurface's meridional curve r(x)
  int iref = 0;                    // 1-based index of the reference point
  std::vector<double> xy;          // the contour's (x, y) pairs, before the stagger, as the hub list
  std::vector<int> point_lines;    // the deck line of every point
};

// Grid-line angles of hub and casing (the `angles` entry) [deg].
struct Station_angles {
  int line = 0;
  double hub_in = 0, hub_out = 0, casing_in = 0, casing_out = 0;
};

// Inlet and outlet as planes x = const (the `planes` entry), in the deck's axial coordinate.
struct Axial_planes {
  int line = 0;
  double inlet = 0, outlet = 0;
};

// Where the grid lies in the frame of the curve files (the `frame` entry):
// every point moved axially by x and turned about the axis by theta.
struct Grid_frame {
  int line = 0;
  double x = 0;
  double theta = 0;  // [deg], towards +y
};

// The values of the block; a deck without it leaves every one unset.
struct Deck_block {
  int line = 0;      // the opening line, counted from the first line of the deck; 0: no block
  int end_line = 0;  // the closing line `end torvane-block`
  // flow-path ... end flow-path: hub and casing on the surfaces of revolution
  // of its curves, as with --flow-path.
  std::optional<Flow_path_file> flow_path;
  std::vector<Block_section> sections;  // in the order of their span
  std::optional<Station_angles> angles;
  std::optional<Axial_planes> planes;
  std::optional<Grid_frame> frame;
  // large: the limits of torvane --large (999 intervals in each direction).
  bool large = false;
  // smooth: the passage smoothed as with torvane --smooth.
  bool smooth = false;
  // tip-gap VALUE [cells N]: the blade ends the gap below the casing, as with --tip-gap.
  std::optional<Tip_gap_request> tip_gap;
  int tip_gap_line = 0;  // the entry's line
  // rpm N: the rotor's speed, left in the run's machine file for the solver cases.
  std::optional<double> rpm;
  int rpm_line = 0;  // the entry's line
};

}  // namespace torvane
