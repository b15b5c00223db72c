// The tip clearance cut into a built volume. Every spanwise line gets a tip
// point where the casing lies the gap above it (radially, at the point's
// axial position), k = 1 .. kt run from the hub to it with the hub's
// clustering and k = kt .. ke cross the gap clustered at both ends. From the
// tip plane up, the blade walls j = 1 and j = je close onto the blade's
// camber surface (a pinched tip), so the gap's faces j = 1 and j = je are one
// pitch apart, as the periodic boundaries upstream and downstream are.
//
//        casing  ----+----------------+----  k = ke
//                    |  gap: j = 1 on |
//                    |  the camber    |
//        tip     ----+-------+--------+----  k = kt  (camber at casing - gap)
//                           / \  the roof: the walls close over one cell, or
//                                 taper over the pinch's height below the tip
//        blade wall j = 1  |   |  j = je of the next blade
#pragma once

#include <span>

#include "base/diagnostics.hpp"
#include "base/grid_views.hpp"

namespace torvane {

// What the cut needs besides the grid.
struct Tip_gap_sizes {
  int ie, je, ke;
  int ile, ite;             // the blade walls' stations
  int gap_cells;            // cells across the gap: the tip plane is kt = ke - gap_cells
  int nwallhc;              // growing spanwise intervals at the hub
  double ratio;             // their growth ratio
  double dzwall;            // first spanwise interval at the hub
  double span;              // rcas - rhub
  double gap;               // the clearance, a length
  double pitch_angle;       // radians
  double pinch = 0;         // the height below the tip over which the walls close; 0: over the last interval
  bool pinch_auto = false;  // true: over the blade's largest half thickness at the tip instead
};

// Storage lent to the cut (lines of at least ke points, row_share of je).
struct Tip_gap_work {
  Line lower;                       // hub to tip, 0 .. span - gap, k = 1 .. kt
  Line across;                      // across the gap, 0 at the tip to 1 at the casing, k = kt .. ke
  Line old_x, old_y, old_z, old_s;  // one spanwise line as built and its arc length
  Line row_share;                   // one row's share of its length at each j
};

// A blade section the volume build put on a grid plane, kept on the grid by
// the cut while it lies below the tip: the plane k it was built on and its
// place in the span (0 at the hub, 1 at the casing).
struct Kept_station {
  int k;
  double place;
};

// The tip plane of a grid of ke points with gap_cells cells across the gap,
// or 0 when fewer than two spanwise cells are left below it.
int Tip_plane(int ke, int gap_cells);

// The spanwise distributions the cut lays out, without a grid: work.lower
// from 0 at the hub to span - gap at the tip plane kt, work.across from 0 at
// the tip to 1 at the casing (k = kt .. ke). Nothing when Tip_plane is 0.
void Spanwise_distribution(const Tip_gap_sizes& sizes, const Tip_gap_work& work, Diagnostics& diagnostics);

// Cuts the gap into the volume built between hub and casing (planes 1 and ke
// as built stay). Each station below the tip (hub first, in span order) gets
// the plane below the tip nearest to its place and keeps its point there on
// every line it crosses below the tip; the points between are spread along
// the line as built in proportion to the hub-to-tip distribution. A station
// above the tip is cut off, as are all when they outnumber the planes below
// it. A line along which the casing never lies the gap above the line stops
// the build (Build_failure: Tip_gap_too_deep).
void Cut_tip_gap(const Tip_gap_sizes& sizes, const Tip_gap_work& work, std::span<const Kept_station> stations,
                 const Grid& grid, Diagnostics& diagnostics);

// The radius of the casing line at axial position x, from the casing points
// (k = ke) of the grid line j: linear between the two points around x, the
// end segments carried on beyond the ends. hint is the i to start the search at.
double Casing_radius(const Grid& grid, int ie, int j, int ke, double x, int hint);

}  // namespace torvane
