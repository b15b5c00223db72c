#include "geometry/contour_sense.hpp"

#include <string>

#include "base/run_stop.hpp"

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
  std::string message(Surface_name(surface));
  message +=
      " section: the contour runs along the +y side first, so the grid would cover the blade; the point "
      "list must start at the trailing edge and run along the -y side first";
  throw Run_stop{2, message};
}

}  // namespace torvane
