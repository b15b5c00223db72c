#include "geometry/contour_sense.hpp"

#include "base/build_failure.hpp"

namespace torvane {

bool Surface_covers_blade(const Plane& y, int ile, int ite, int je, double pitch) {
  // A list in the right sense can cross its own sides only locally, near a
  // sharp edge; a list in the wrong sense is swapped at every station.
  int stations = 0;
  int swapped = 0;
  for (int i = ile + 1; i <= ite - 1; ++i) {
    ++stations;
    if (y(i, 1) < y(i, je) - pitch) ++swapped;
  }
  return 2 * swapped > stations;
}

void Check_contour_sense(Surface surface, const Plane& y, int ile, int ite, int je, double pitch) {
  if (!Surface_covers_blade(y, ile, ite, je, pitch)) return;
  throw Build_failure{Blade_covered{surface}};
}

}  // namespace torvane
