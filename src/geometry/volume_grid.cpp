#include "geometry/volume_grid.hpp"

#include "distribution/distribute_line.hpp"
#include "distribution/stretch.hpp"
#include "distribution/tfi_2d.hpp"
#include "geometry/finite_check.hpp"

namespace torvane {

namespace {

// The axial coordinates x of n points of one inner plane from their hub
// (xh, yh) and casing (xc, yc) points: x follows the progress of y from hub to
// casing. Where hub and casing y are equal that progress is undefined and x
// follows the spanwise fraction instead. The first loop takes every point the
// same way, so the compiler may take several at a time (four with AVX2, in
// the copy built for processors that have it; the same bits either way); the
// second replaces the few undefined ones.
__attribute__((target_clones("avx2", "default"))) void Axial_row(
    int n, const double* __restrict xh, const double* __restrict xc, const double* __restrict yh,
    const double* __restrict yc, const double* __restrict y, double fraction, double* __restrict x) {
  for (int i = 0; i < n; ++i) x[i] = xh[i] + (y[i] - yh[i]) * (xc[i] - xh[i]) / (yc[i] - yh[i]);
  for (int i = 0; i < n; ++i) {
    if (yc[i] == yh[i]) x[i] = xh[i] + fraction * (xc[i] - xh[i]);
  }
}

}  // namespace

void Prepare_volume(const Volume_sizes& s, const Volume_work& work, const Grid& grid, Diagnostics& diagnostics) {
  const int je = s.je;
  const int ke = s.ke;
  Line sspan = work.sspan;
  Plane plane1 = work.plane1;
  Plane plane2 = work.plane2;
  const Block& yg = grid.yg;
  const Block& zg = grid.zg;

  // With two spanwise points there is no inner plane and nothing uses the
  // distribution (nor the wall layer, whose count is then unbounded).
  if (ke > 2) {
    // Thickness of the wall layer of nwallhc growing intervals.
    const double hsum = Geometric_length(s.dzwall, s.nwallhc, s.ratio);
    Distribute_line(1, s.nwallhc + 1, ke - s.nwallhc, ke, 0.0, hsum, s.span - hsum, s.span, s.dzwall, s.dzwall, sspan,
                    diagnostics);
  }

  Plane hub_t = work.hub_parameters;
  Plane casing_t = work.casing_parameters;
  Plane side1_t = work.side1_parameters;
  Plane side2_t = work.side2_parameters;
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
          zg(i, j, k) = plane2(j, k);
          yg(i, j, k) = plane1(j, k);
        }
      }
    }
    // The arc-length parameters of the cross-section's four edges, kept for
    // the inside below.
    Tfi_edge_parameters(1, je, 1, ke, work.w1, work.w2, work.w3, work.w4, plane1, plane2);
    for (int j = 1; j <= je; ++j) {
      hub_t(i, j) = work.w3(j);
      casing_t(i, j) = work.w4(j);
    }
    for (int k = 1; k <= ke; ++k) {
      side1_t(i, k) = work.w1(k);
      side2_t(i, k) = work.w2(k);
    }
  }
}

void Build_volume_plane(int k, const Volume_sizes& s, const Volume_work& work, const Grid& grid) {
  const int je = s.je;
  const int ke = s.ke;
  const Block& xg = grid.xg;
  const Block& yg = grid.yg;
  const Block& zg = grid.zg;
  const Plane hub_t = work.hub_parameters;
  const Plane casing_t = work.casing_parameters;
  const Plane side1_t = work.side1_parameters;
  const Plane side2_t = work.side2_parameters;
  // The inside of every cross-section, one grid line of i at a time, and the
  // axial coordinate of each inner line while its y is at hand.
  const int n = s.ie;
  auto along_i = [n](const Block& f, int j, int k) { return std::span<const double>(&f(1, j, k), n); };
  auto row = [n](const Plane& p, int index) { return std::span<const double>(&p(1, index), n); };
  const Line sspan = work.sspan;
  const double fraction = sspan(k) / s.span;
  for (int j = 1; j <= je; ++j) {
    if (j > 1 && j < je) {
      const Tfi_edges y_edges{along_i(yg, j, 1), along_i(yg, j, ke),  along_i(yg, 1, k),  along_i(yg, je, k),
                              along_i(yg, 1, 1), along_i(yg, je, ke), along_i(yg, je, 1), along_i(yg, 1, ke)};
      const Tfi_edges z_edges{along_i(zg, j, 1), along_i(zg, j, ke),  along_i(zg, 1, k),  along_i(zg, je, k),
                              along_i(zg, 1, 1), along_i(zg, je, ke), along_i(zg, je, 1), along_i(zg, 1, ke)};
      Tfi_points(row(hub_t, j), row(casing_t, j), row(side1_t, k), row(side2_t, k), y_edges, z_edges,
                 std::span<double>(&yg(1, j, k), n), std::span<double>(&zg(1, j, k), n));
    }
    Axial_row(n, &xg(1, j, 1), &xg(1, j, ke), &yg(1, j, 1), &yg(1, j, ke), &yg(1, j, k), fraction, &xg(1, j, k));
  }
  // Checked while the plane is still in the cache.
  Check_finite_planes(grid, n, je, k, k);
}

void Build_volume(const Volume_sizes& s, const Volume_work& work, const Grid& grid, Diagnostics& diagnostics) {
  Prepare_volume(s, work, grid, diagnostics);
  for (int k = 2; k <= s.ke - 1; ++k) Build_volume_plane(k, s, work, grid);
}

}  // namespace torvane
