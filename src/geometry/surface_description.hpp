// What one blade-to-blade surface is made of, derived once from the checked
// control values: the grid's sizes, the pitch angle and span, the placement of
// the surface's section and the spacings of its grid lines. The run builds
// each surface from its description, and torvane-deck checks its sections
// against the same description; the deck's values themselves stay as read.
#pragma once

#include <limits>

#include "base/control_values.hpp"
#include "base/surface.hpp"
#include "geometry/flow_path.hpp"

namespace torvane {

// Degrees to radians, the factor every angle of the deck is multiplied by.
inline constexpr double kDegree = 0.017453292519943295;

// No inlet or outlet plane: the lengths lin and lx place the lines.
inline constexpr double kNoPlane = std::numeric_limits<double>::quiet_NaN();

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
  // When a number, xi of the inlet line and of the outlet line, in place of
  // the lengths lin and lx: the inlet and outlet planes of a grid through
  // several sections.
  double inlet_xi = kNoPlane;
  double outlet_xi = kNoPlane;
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

// Grid dimensions and edge indices derived from the counts.
struct Grid_sizes {
  int ile;  // i of the leading edge
  int ite;  // i of the trailing edge
  int ie;   // streamwise points
  int je;   // pitchwise points
  int ke;   // spanwise points
};

// The sizes; only for values that fit the storage and passed the value checks.
Grid_sizes Derive_grid_sizes(const Control_values& values);

// What the set-up derives for the whole passage.
struct Setup_values {
  double dphi;     // pitch angle, radians
  double span;     // rcas - rhub
  double xrefcas;  // axial position of the casing reference point
  double yrefcas;  // arc position of the casing reference point
};

// The pitch angle, the span and the casing section's position from sweep and lean.
Setup_values Section_setup(const Control_values& values);

// Everything the build of one surface takes from the control values.
struct Surface_description {
  Surface surface;
  Section_sizes sizes;
  Section_geometry geometry;  // angles in radians
  Section_spacings spacings;  // on the casing, the edge spacings scaled by the chord ratio
  int ibez;                   // 1: the one-shot Bezier approximation of the contour
  // The flow path's map of the surface, or none: then the surface is the
  // cylinder of the section's radius.
  const Conformal_map* map = nullptr;
};

// The description of the hub or the casing surface, on the flow path's
// surface of revolution when a map is given.
Surface_description Describe_surface(Surface surface, const Control_values& values, const Conformal_map* map = nullptr);

}  // namespace torvane
