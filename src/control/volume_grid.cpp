#include "control/volume_grid.hpp"

#include "distribution/distribute_line.hpp"
#include "distribution/tfi_2d.hpp"

namespace torvane {

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
          double x1 = xg(i, j, 1);
          double y1 = yg(i, j, 1);
          double dy = yg(i, j, ke) - y1;
          if (dy != 0.0) {
            xg(i, j, k) = x1 + (plane1(j, k) - y1) * (xg(i, j, ke) - x1) / dy;
          } else {
            // Hub and casing points at the same y: the axial position follows
            // the spanwise fraction instead of the (undefined) y progress.
            xg(i, j, k) = x1 + (sspan(k) / s.span) * (xg(i, j, ke) - x1);
          }
        }
      }
    }
  }
}

}  // namespace torvane
