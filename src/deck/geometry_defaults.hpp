// The defaults that follow the blade row's geometry: first intervals as
// shares of the chord, the pitch and the span (or from a target y+), wall
// layers no thicker than a third of their line, the inlet and outlet lengths
// from the chord, and the grid-line angles from the blade's metal angles.
#pragma once

#include <set>
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

// Sets every value not named in given from the geometry (rhub, rcas, chords,
// staggers, nbrow and the counts as they stand) and writes where each came
// from into sources. Values that describe no blade row (a chord or a blade
// count not above 0, a casing not outside the hub) leave the fixed defaults
// for the checks to refuse.
void Apply_geometry_defaults(Control_values& values, const std::set<std::string>& given, const Deck_section& hub,
                             const Deck_section& casing, const Deck_choices& choices, Value_sources& sources);

}  // namespace torvane::deck
