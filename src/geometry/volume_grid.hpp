// The volume between the hub and casing surfaces: a spanwise distribution
// clustered at both walls, straight side lines from hub to casing at every
// station, the cross-section filled by transfinite interpolation, and the
// axial coordinate following the progress of y from hub to casing.
#pragma once

#include "base/diagnostics.hpp"
#include "base/grid_views.hpp"

namespace torvane {

// What the volume build needs besides the grid storage.
struct Volume_sizes {
  int ie;
  int je;
  int ke;
  int nwallhc;    // growing spanwise intervals at hub and casing
  double ratio;   // their growth ratio
  double dzwall;  // first spanwise interval at hub and casing
  double span;    // rcas - rhub
};

// Storage lent to the volume build.
struct Volume_work {
  Plane plane1;  // cross-section y, first index j, second k
  Plane plane2;  // cross-section z
  Line sspan;    // spanwise distribution, 0 at the hub to span at the casing
  Line w1, w2, w3, w4;
  // The edge parameters of every station's cross-section, first index i:
  Plane hub_parameters;     // along the hub row, second index j
  Plane casing_parameters;  // along the casing row, second index j
  Plane side1_parameters;   // along the side line j = 1, second index k
  Plane side2_parameters;   // along the side line j = je, second index k
};

// Fills the planes k = 2 .. ke - 1 of the grid; hub and casing stay as built.
// A coordinate that is not finite in an inner plane stops the run (status 1)
// as soon as its plane is complete, the caller checking hub and casing.
// Each station's cross-section is filled by transfinite interpolation from its
// edges; the inside of all of them is computed together along i, where the
// grid's points lie next to each other, with the same values point by point.
void Build_volume(const Volume_sizes& sizes, const Volume_work& work, const Grid& grid, Diagnostics& diagnostics);

// Build_volume in parts: first what every plane needs (the spanwise
// distribution, the side lines j = 1 and j = je, the edge parameters of every
// cross-section), then the inner planes, each on its own and in any order or
// on any thread, with the same values as Build_volume.
void Prepare_volume(const Volume_sizes& sizes, const Volume_work& work, const Grid& grid, Diagnostics& diagnostics);
// The inner plane k (2 <= k <= ke - 1), checked for coordinates that are not finite.
void Build_volume_plane(int k, const Volume_sizes& sizes, const Volume_work& work, const Grid& grid);

}  // namespace torvane
