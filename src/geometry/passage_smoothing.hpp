// Smoothing of a built passage (torvane --smooth): the H-grid's lines ahead
// of and behind the blade turned about the machine's axis, station by
// station, where they meet a boundary or the blade at an angle that shears
// the cells there.
//
//   inlet          stagnation line       blade         wake line         outlet
//     |  square  ~~~ inflow angle ~~~ bisector >==LE====TE==< bisector ~~~ square  |
//     |<-- third -->|              |<-- third -->|   |<-- third -->|  |<-- third -->|
//
// - The first cells meet the inlet square (no shear), the lines curving into
//   their inflow angle over the first third of the stations to the leading
//   edge; the last cells meet the outlet alike.
// - The stagnation line meets the leading edge along the bisector of the two
//   blade walls leaving it, curving from its inflow angle over the third of
//   the stations next to the edge; the wake line leaves the trailing edge
//   along the bisector of the walls arriving there. Near the blade the turn
//   is whole within the periodic lines' wall layers and fades to nothing at
//   mid-pitch, so the pitchwise lines of the passage keep their course.

// Every point moves only in theta, so hub, casing, inlet and outlet points
// stay on their surfaces of revolution. The hub's and the casing's wall
// layers turn as one with the first line above them, which keeps the first
// spanwise spacing; over a tip gap every plane turns as the last one below
// the tip, so the thin cells under the gap's roof keep their shape; the blade's stations do not move at all (the walls,
// the pitchwise spacing at them, the tip gap above the blade); the periodic lines j = 1 and j = je turn alike, so they
// stay one pitch apart.
#pragma once

#include "base/grid_views.hpp"

namespace torvane {

// What the smoothing needs besides the grid.
struct Smoothing_sizes {
  int ie, je, ke;
  int ile, ite;  // the blade's first and last stations
  int nwall;     // growing pitchwise intervals at the blade walls (and along the periodic lines)
  int nwallhc;   // growing spanwise intervals at hub and casing
  int tip_k;     // the plane of the blade's tip: ke, or below the casing by the tip gap
};

// Storage lent to the smoothing.
struct Smoothing_work {
  Plane turn;  // the turn [rad] of every station i (first index) on every spanwise plane k
  Line theta;  // the periodic line j = 1 of one plane, unwrapped along i
  Line share;  // each pitchwise line's share of a turn near the blade (index j)
};

// Smooths the grid in place as the header says. Decks whose stations leave
// no room for a blend (fewer than three intervals before the leading edge or
// after the trailing edge) keep those ends as built, as do planes whose
// stations do not advance axially there.
void Smooth_passage(const Smoothing_sizes& sizes, const Smoothing_work& work, const Grid& grid);

}  // namespace torvane
