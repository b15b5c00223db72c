#include "control/volume_grid.hpp"

#include "distribution/distribute_line.hpp"
#include "distribution/tfi_2d.hpp"

namespace torvane {

namespace {

// The axial coordinates x of n points of one inner plane from their hub
// (xh, yh) and casing (xc, yc) points: x follows the progress of y from hub to
// casing. Where hub and casing y are equal that progress is undefined and x
// follows the spanwise fraction instead. The first loop takes every point the
// same way, so the compiler may take several at a time; the second replaces
// the few undefined ones.
void Axial_row(int n, const double* __restrict xh, const double* __restrict xc, const double* __restrict yh,
               const double* __restrict yc, const double* __restrict y, double fraction, double* __restrict x) {
  for (int i = 0; i < n; ++i) x[i] = xh[i] + (y[i] - yh[i]) * (xc[i] - xh[i]) / (yc[i] - yh[i]);
  for (int i = 0; i < n; ++i) {
    if (yc[i] == yh[i]) x[i] = xh[i] + fraction * (xc[i] - xh[i]);
  }
}

}  // namespace

void Build_volume(const VolumeSizes& s, const VolumeWork& work, const Grid& grid, Console& console) {
  const int je = s.je;
  const int ke = s.ke;
  Line sspan = work.sspan;
  Plane plane1 = work.plane1;
  Plane plane2 = work.plane2;
  const Block& xg = grid.xg;
  const Block& yg = grid.yg;
  const Block& zg = grid.zg;

  // With two spanwise points there is no inner plane and nothing uses the
  // distribution (nor the wall layer, whose count is then unbounded).
  if (ke > 2) {
    // Thickness of the wall layer of nwallhc growing intervals.
    double hsum = 0.0;
    double h = s.dzwall;
    for (int n = 1; n <= s.nwallhc; ++n) {
      hsum = hsum + h;
      h = h * s.ratio;
    }
    Distribute_line(1, s.nwallhc + 1, ke - s.nwallhc, ke, 0.0, hsum, s.span - hsum, s.span, s.dzwall, s.dzwall,
                    sspan, console);
  }

  for (int i = 1; i <= s.ie; ++i) {
    for (int j = 1; j <= je; ++j) {
      plane1(j, 1) = yg(i, j, 1);
      plane2(j, 1) = zg(i, j, 1);
      plane1(j, ke) = yg(i, j, ke);
      plane2(j, ke) = zg(i, j, ke);
    }
    if (ke > 2) {
      // The side lines j = 1 and j = je run straight from hub to casing.
      for (int j : {1, je}) {
        for (int k = 2; k <= ke - 1; ++k) {
          plane2(j, k) = sspan(k) * (zg(i, j, ke) - zg(i, j, 1)) / s.span + zg(i, j, 1);
          plane1(j, k) = sspan(k) * (yg(i, j, ke) - yg(i, j, 1)) / s.span + yg(i, j, 1);
        }
      }
    }
    Tfi_2d(1, je, 1, ke, work.w1, work.w2, work.w3, work.w4, plane1, plane2);
    if (ke > 2) {
      for (int k = 2; k <= ke - 1; ++k) {
        for (int j = 1; j <= je; ++j) {
          zg(i, j, k) = plane2(j, k);
          yg(i, j, k) = plane1(j, k);
        }
      }
    }
  }

  // The axial coordinate of every inner point, once all stations hold their y,
  // along the grid lines of i, whose points lie next to each other.
  if (ke > 2) {
    for (int k = 2; k <= ke - 1; ++k) {
      const double fraction = sspan(k) / s.span;
      for (int j = 1; j <= je; ++j) {
        Axial_row(s.ie, &xg(1, j, 1), &xg(1, j, ke), &yg(1, j, 1), &yg(1, j, ke), &yg(1, j, k), fraction,
                  &xg(1, j, k));
      }
    }
  }
}

}  // namespace torvane
