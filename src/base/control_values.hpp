// The control values of a run: the named values of the deck's records and
// its two contour point lists, as the deck reader fills them and the checks
// pass them on to the grid builds.
#pragma once

#include <span>
#include <string>

#include "base/storage_limits.hpp"
#include "base/surface.hpp"

namespace torvane {

// The named values of records 1 to 33, as the deck gives them (angles in
// degrees).
struct Control_values {
  std::string title;   // record 1, 50 characters
  std::string fname;   // record 2, 50 characters: the stem of the output files
  int nblade = 0;      // intervals along the blade contour, both sides
  int nin = 0;         // streamwise intervals inlet to leading edge
  int nout = 0;        // streamwise intervals trailing edge to outlet
  int npitch = 0;      // intervals across the pitch
  int nspan = 0;       // intervals hub to casing
  int nbrow = 0;       // blades in the row
  double betain = 0;   // angle of the upstream grid lines
  double betaout = 0;  // angle of the downstream grid lines
  double staghub = 0;  // stagger of the hub section
  double stagcas = 0;  // stagger of the casing section
  double sweep = 0;
  double lean = 0;
  double chordhub = 0;
  double chordcas = 0;
  double rhub = 0;
  double rcas = 0;
  double lin = 0;     // axial distance inlet to leading edge
  double lx = 0;      // axial distance inlet to outlet
  int nwall = 0;      // growing pitchwise intervals at the blade walls
  int nwallhc = 0;    // growing spanwise intervals at hub and casing
  double ratio = 0;   // growth ratio of the wall intervals
  double dsle = 0;    // first streamwise interval at the leading edge
  double dywle = 0;   // first pitchwise wall interval, leading-edge line
  double dzwall = 0;  // first spanwise interval at hub and casing
  double dste = 0;    // first streamwise interval at the trailing edge
  double dywte = 0;   // first pitchwise wall interval, trailing-edge line
  double unused29 = 0;
  double dyout = 0;  // first pitchwise interval at the outlet line ends
  double unused31 = 0;
  int ibez = 0;  // 1: one-shot Bezier approximation of the contours
  double unused33 = 0;
};

// A contour point list: the count, the reference point and the (x, y) pairs
// in the run control's storage.
struct Contour_points {
  int count_record = 0;  // record number of the count pair, for messages
  int npts = 0;
  int iref = 0;
  std::span<double> xy;  // room for kMaxContourPoints pairs
};

// The names of the record that counts the surface's contour points.
constexpr const char* Point_count_name(Surface surface) {
  return surface == Surface::hub ? "npthub, irefhub" : "nptcas, irefcas";
}

}  // namespace torvane
