// The H-grid of one blade-to-blade surface (hub or casing): places the blade
// section contour, approximates it by a Bezier curve, lays out the boundary
// lines, fills the inlet, passage and outlet patches and wraps the surface
// onto its cylinder into plane k of the grid.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "base/grid_views.hpp"
#include "output/console.hpp"

namespace torvane {

// Index set of the surface.
struct Section_sizes {
  int ie;      // last i (outlet line)
  int je;      // last j (upper boundary)
  int nin;     // intervals from the inlet line to the leading edge
  int nout;    // intervals from the trailing edge to the outlet line
  int npitch;  // intervals across the pitch
  int ile;     // i of the leading edge
  int ite;     // i of the trailing edge
  int nwall;   // growing intervals at each blade wall on the edge lines
  int k;       // plane of the grid to fill
};

// Placement of the section and of the grid lines around it (radians, lengths).
struct Section_geometry {
  double dphi;     // pitch angle
  double betain;   // angle of the upstream grid lines to the x axis
  double betaout;  // angle of the downstream grid lines to the x axis
  double stagger;  // clockwise rotation of the contour
  double xref;     // x given to the reference point
  double yref;     // y given to the reference point
  double chord;    // length the contour's reference x-extent is scaled to
  double radius;   // radius of the surface
  double lin;      // upstream length (the upstream stretch covers lin + xref)
  double lx;       // axial length from the inlet line to the outlet line
};

// Grid spacings at the edges, walls and outlet.
struct Section_spacings {
  double dsle;   // first x interval on both sides of the leading edge
  double dywle;  // first pitchwise interval at the walls on the leading-edge line
  double dste;   // first x interval on both sides of the trailing edge
  double dywte;  // first pitchwise interval at the walls on the trailing-edge line
  double dyout;  // first pitchwise interval at both ends of the outlet line
  double ratio;  // growth ratio of the nwall wall intervals
};

// The section contour: npts (x, y) pairs, point 1 first; placed in place.
struct Section_points {
  std::string_view name;  // "hub" or "casing", for messages
  int npts;
  int iref;  // index of the reference point
  std::span<double> xy;
};

// Storage lent by the run control for the duration of the call.
struct Section_work {
  Plane x;                // surface grid x (first index i, second j)
  Plane y;                // surface grid y (arc length)
  std::span<double> bez;  // Bezier control points, (x, y) pairs
  Line w1, w2, w3, w4;    // work lines: w1, w2 indexed by j; w3, w4 by i
};

// Rotates the contour clockwise by the stagger, scales its reference x-extent
// to the chord and puts its reference point on (xref, yref), in place.
void Place_contour(const Section_geometry& geometry, const Section_points& contour);

// Curve parameters of the leading edge (the last of 5000 samples of smallest
// x) and of the trailing edge (the last of largest x, t = 0 included).
struct Edge_parameters {
  double t_le;
  double t_te;
};
Edge_parameters Find_edges(std::span<const double> bez, int nseg);

// Why a surface cannot be built when the edge search finds the trailing edge
// before the leading edge: "<name> section: the contour must ...".
std::string Edge_order_message(std::string_view name, double t_le, double t_te);

// Builds the surface and writes plane sizes.k of the grid for i = 1..ie,
// j = 1..je. ibez = 1 selects the one-shot Bezier approximation.
void Section_grid(const Section_sizes& sizes, const Section_geometry& geometry, const Section_spacings& spacings,
                  int ibez, Section_points contour, const Section_work& work, const Grid& grid, Console& console);

}  // namespace torvane
