// The volume between the hub and casing surfaces: a spanwise distribution
// clustered at both walls, straight side lines from hub to casing at every
// station, the cross-section filled by transfinite interpolation, and the
// axial coordinate following the progress of y from hub to casing.
#pragma once

#include "distribution/views.hpp"
#include "output/console.hpp"

namespace torvane {

// What the volume build needs besides the grid storage.
struct VolumeSizes {
  int ie;
  int je;
  int ke;
  int nwallhc;    // growing spanwise intervals at hub and casing
  double ratio;   // their growth ratio
  double dzwall;  // first spanwise interval at hub and casing
  double span;    // rcas - rhub
};

// Storage lent to the volume build.
struct VolumeWork {
  Plane plane1;  // cross-section y, first index j, second k
  Plane plane2;  // cross-section z
  Line sspan;    // spanwise distribution, 0 at the hub to span at the casing
  Line w1, w2, w3, w4;
};

// Fills the planes k = 2 .. ke - 1 of the grid; hub and casing stay as built.
void Build_volume(const VolumeSizes& sizes, const VolumeWork& work, const Grid& grid, Console& console);

}  // namespace torvane
