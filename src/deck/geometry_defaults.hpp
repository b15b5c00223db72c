// The defaults that follow the blade row's geometry: first intervals as
// shares of the chord, the pitch and the span (or from a target y+), wall
// layers no thicker than a third of their line, the inlet and outlet lengths
// from the chord, and the grid-line angles from the blade's metal angles.
#pragma once

#include <cmath>
#include <optional>
#include <set>
#include <span>
#include <string>

#include "base/control_values.hpp"
#include "deck/deck_checks.hpp"
#include "deck/deck_choices.hpp"
#include "deck/deck_records.hpp"

namespace torvane::deck {

// The shares the defaults take of the geometry.
inline constexpr double kEdgeShareOfChord = 0.005;    // dsle, dste
inline constexpr double kWallShareOfPitch = 0.008;    // dywle, dywte
inline constexpr double kOutletShareOfPitch = 0.02;   // dyout
inline constexpr double kEndwallShareOfSpan = 0.024;  // dzwall
inline constexpr double kInletShareOfChord = 0.8333;  // lin
inline constexpr double kOutletShareOfChord = 1.833;  // lx beyond lin
// Grid lines steeper than this shear the cells where they meet the inlet and
// outlet lines, and twist the spanwise lines between hub and casing [deg].
inline constexpr double kMaxLineAngle = 70;
// The wall layers of a line together take at most this share of it.
inline constexpr double kLayerShare = 1.0 / 3.0;

// The largest wall-layer count, 1 to a quarter of the line's intervals, whose
// layers at both ends of the line, from the first interval growing by the
// ratio, take no more than a third of its length.
int Wall_layer_count(double first, double ratio, double length, int intervals);

// The blend of a wall-layered line starts with a mean interval from 1 to
// kBlendMismatch times the slope the layers end with, over at least
// kMinBlendIntervals intervals: the cubic blend then grows its intervals
// smoothly from the layers' last into the core (a blend below the layers'
// slope would shrink them again).
inline constexpr double kBlendMismatch = 3.0;
inline constexpr int kMinBlendIntervals = 8;
// The interval counts the wall layers choose are multiples of this.
inline constexpr int kCountStep = 8;
// The growth of the streamwise stretches before the leading edge and after
// the trailing edge that wall-resolving counts keep to.
inline constexpr double kStreamwiseGrowth = 1.1;

// The largest ratio of a cell's longest edge to its shortest that the counts
// chosen for a target y+ allow where the wall layers make cells thin: across
// the blade's pitchwise layers the spanwise and streamwise intervals, across
// the hub and casing layers the pitchwise and streamwise ones. A margin below
// the aspect ratio of 1000 above which solvers' mesh checks (OpenFOAM's
// checkMesh) fail a grid; their measure, from the cell's face areas, stays
// below about this ratio.
inline constexpr double kMaxEdgeRatio = 800;

// The largest interval of a line's cubic blend over `intervals` intervals and
// `length`, from slope s0 to slope s1 per interval, as the line distribution
// joins the line's stretched ends.
double Blend_largest(double length, int intervals, double s0, double s1);

// The largest interval of a geometric stretch of n intervals from `first`
// over `length`: its last when it grows, its first when it shrinks.
double Stretch_largest(double first, double length, int n);

// A line's interval count and its wall layers at each end.
struct Layered_line {
  int intervals;
  int layers;
};

// The fewest intervals, at least min_intervals (and, with fixed set, exactly
// it), and the layers at each end, from the first interval growing by the
// ratio, with the most layers whose blend starts at 1 to kBlendMismatch times
// the layers' last slope on every one of the lines' lengths (first scaled by
// the line's scale), and the blend's largest interval at most `largest` on
// every line; none up to max_intervals: nullopt.
std::optional<Layered_line> Wall_layers(double first, double ratio, std::span<const double> lengths,
                                        std::span<const double> scales, int min_intervals, int max_intervals,
                                        bool fixed, double largest = INFINITY);

// Sets every value not named in given from the geometry (rhub, rcas, chords,
// staggers, nbrow and the counts as they stand) and writes where each came
// from into sources. Values that describe no blade row (a chord or a blade
// count not above 0, a casing not outside the hub) leave the fixed defaults
// for the checks to refuse.
void Apply_geometry_defaults(Control_values& values, const std::set<std::string>& given, const Deck_section& hub,
                             const Deck_section& casing, const Deck_choices& choices, Value_sources& sources);

// With a target y+: the counts of wall-resolving layers the user did not give
// (npitch and nwall, nspan and nwallhc, nin, nout and nblade, dyout), the
// layers growing by `ratio` and blending into the core without a jump, and
// the intervals along the walls no longer than kMaxEdgeRatio times the first
// interval across them (the sections give the blade's steepest angles).
// Returns why no such counts fit (the options to change named).
std::optional<std::string> Apply_wall_layers(Control_values& values, const std::set<std::string>& given,
                                             const Deck_section& hub, const Deck_section& casing,
                                             const Deck_choices& choices, Value_sources& sources);

}  // namespace torvane::deck
