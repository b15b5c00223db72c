#include "geometry/section_grid.hpp"

#include <cassert>
#include <cmath>
#include <cstddef>

#include "base/build_failure.hpp"
#include "distribution/distribute_line.hpp"
#include "distribution/stretch.hpp"
#include "distribution/tfi_2d.hpp"
#include "geometry/bezier.hpp"
#include "geometry/edge_search.hpp"
#include "geometry/surface_wrap.hpp"

namespace torvane {
namespace {

constexpr double kBladeTolerance = 1.0e-10;

std::size_t At(int point, int c) { return 2 * static_cast<std::size_t>(point - 1) + static_cast<std::size_t>(c); }

// Fills the inner points of the pitchwise line i from the distribution in w1.
void Pitchwise_line(const Section_work& work, int i, int je) {
  for (int j = 2; j <= je - 1; ++j) {
    work.x(i, j) = work.x(i, 1);
    work.y(i, j) = work.y(i, 1) + work.w1(j);
  }
}

}  // namespace

void Place_contour(const Section_geometry& g, const Contour_points& contour) {
  std::span<double> xy = contour.xy;
  const int npts = contour.npts;
  if (npts < 1) return;
  const double s = g.chord / std::fabs(xy[At(contour.iref, 0)] - xy[At(1, 0)]);
  const double c = std::cos(g.stagger);
  const double n = std::sin(g.stagger);
  for (int p = 1; p <= npts; ++p) {
    const double x = xy[At(p, 0)];
    const double y = xy[At(p, 1)];
    xy[At(p, 0)] = s * (x * c + y * n);
    xy[At(p, 1)] = s * (y * c - x * n);
  }
  const double shift_x = g.xref - xy[At(contour.iref, 0)];
  const double shift_y = g.yref - xy[At(contour.iref, 1)];
  for (int p = 1; p <= npts; ++p) {
    xy[At(p, 0)] = xy[At(p, 0)] + shift_x;
    xy[At(p, 1)] = xy[At(p, 1)] + shift_y;
  }
}

void Section_grid(const Surface_description& surface, const Contour_points& contour, const Section_work& work,
                  const Grid& grid, Diagnostics& diagnostics) {
  const Section_sizes& sizes = surface.sizes;
  const Section_geometry& geometry = surface.geometry;
  const Section_spacings& spacings = surface.spacings;
  const int ie = sizes.ie;
  const int je = sizes.je;
  const int ile = sizes.ile;
  const int ite = sizes.ite;
  const int k = sizes.k;
  const int nseg = contour.npts - 1;
  assert(nseg >= 1 && contour.xy.size() >= At(contour.npts + 1, 0));
  assert(1 <= contour.iref && contour.iref <= contour.npts);
  assert(work.bez.size() >= 2 * static_cast<std::size_t>(3 * nseg + 1));
  assert(1 <= ile && ile < ite && ite <= ie && je >= 2);
  assert(work.x.contains(ie, je) && work.y.contains(ie, je));
  assert(work.w1.size() >= je && work.w2.size() >= je);
  assert(work.w3.size() >= ie && work.w4.size() >= ie);
  assert(grid.xg.contains(ie, je, k) && grid.yg.contains(ie, je, k) && grid.zg.contains(ie, je, k));

  const Plane& x = work.x;
  const Plane& y = work.y;
  const std::span<const double> bez = work.bez;
  const double pitch = geometry.dphi * geometry.radius;

  Place_contour(geometry, contour);

  if (surface.ibez == 1) {
    Bezier_approx(contour.xy.first(At(contour.npts + 1, 0)), nseg, work.bez);
    diagnostics.Report(Contour_approximated{});
  }

  const auto [t_le, t_te] = Find_edges(bez, nseg);
  // Both blade sides are searched between the two edges; with the edges in
  // the other order they would be searched on the same stretch of curve.
  const Edge_order order = Order_of_edges(bez, nseg, {t_le, t_te});
  if (order == Edge_order::refused) throw Build_failure{Edges_out_of_order{surface.surface, t_le, t_te}};

  Bezier_point(bez, nseg, t_le, x(ile, 1), y(ile, 1));
  x(ile, je) = x(ile, 1);
  y(ile, je) = y(ile, 1) + pitch;
  Bezier_point(bez, nseg, t_te, x(ite, 1), y(ite, 1));
  x(ite, je) = x(ite, 1);
  y(ite, je) = y(ite, 1) + pitch;

  // Upstream lines: straight at betain, intervals growing from dsle towards the inlet.
  {
    const double upstream =
        std::isnan(geometry.inlet_xi) ? geometry.lin + geometry.xref : x(ile, 1) - geometry.inlet_xi;
    const double q = Stretch(spacings.dsle, upstream, sizes.nin, diagnostics);
    double length = 0.0;
    double h = spacings.dsle;
    for (int i = ile - 1; i >= 1; --i) {
      length = length + h;
      h = h * q;
      x(i, 1) = x(ile, 1) - length;
      y(i, 1) = y(ile, 1) - length * std::tan(geometry.betain);
      x(i, je) = x(i, 1);
      y(i, je) = y(i, 1) + pitch;
    }
    // On an inlet plane the line lies on it exactly, not to the stretch's tolerance.
    if (!std::isnan(geometry.inlet_xi)) {
      x(1, 1) = geometry.inlet_xi;
      x(1, je) = x(1, 1);
    }
  }

  Distribute_line(ile, ile + 2, ite - 2, ite, x(ile, 1), x(ile, 1) + kEdgeTwoIntervals * spacings.dsle,
                  x(ite, 1) - kEdgeTwoIntervals * spacings.dste, x(ite, 1), spacings.dsle, spacings.dste, work.w3,
                  diagnostics);

  double x_end = 0.0, x_start = 0.0;
  {
    double y_end = 0.0;
    Bezier_point(bez, nseg, 1.0, x_end, y_end);
    Bezier_point(bez, nseg, 0.0, x_start, y_end);
  }

  // Blade sides: j = 1 from the leading to the trailing edge along the curve,
  // j = je the rest of the curve, one pitch over. The side that passes the
  // curve's end and start is searched on the stretch that holds the station.
  const bool trailing_first = order == Edge_order::trailing_first;
  for (int i = ile + 1; i <= ite - 1; ++i) {
    x(i, 1) = work.w3(i);
    if (!trailing_first) {
      Bezier_x(bez, nseg, t_le, t_te, kBladeTolerance, x(i, 1), y(i, 1), diagnostics);
    } else if (x_start <= work.w3(i) && work.w3(i) <= x(ite, 1)) {
      Bezier_x(bez, nseg, 0.0, t_te, kBladeTolerance, x(i, 1), y(i, 1), diagnostics);
    } else {
      Bezier_x(bez, nseg, t_le, 1.0, kBladeTolerance, x(i, 1), y(i, 1), diagnostics);
    }
    x(i, je) = work.w3(i);
    if (trailing_first) {
      Bezier_x(bez, nseg, t_te, t_le, kBladeTolerance, x(i, je), y(i, je), diagnostics);
    } else if (x_end <= work.w3(i) && work.w3(i) <= x(ite, je)) {
      Bezier_x(bez, nseg, t_te, 1.0, kBladeTolerance, x(i, je), y(i, je), diagnostics);
    } else {
      Bezier_x(bez, nseg, 0.0, t_le, kBladeTolerance, x(i, je), y(i, je), diagnostics);
    }
    y(i, je) = y(i, je) + pitch;
  }

  // Downstream lines: straight at betaout, reaching lx behind the inlet line.
  {
    const double downstream =
        std::isnan(geometry.outlet_xi) ? geometry.lx - std::fabs(x(ite, 1) - x(1, 1)) : geometry.outlet_xi - x(ite, 1);
    const double q = Stretch(spacings.dste, downstream, sizes.nout, diagnostics);
    double length = 0.0;
    double h = spacings.dste;
    for (int i = ite + 1; i <= ie; ++i) {
      length = length + h;
      h = h * q;
      x(i, 1) = x(ite, 1) + length;
      y(i, 1) = y(ite, 1) + length * std::tan(geometry.betaout);
      x(i, je) = x(i, 1);
      y(i, je) = y(i, 1) + pitch;
    }
    if (!std::isnan(geometry.outlet_xi)) {
      x(ie, 1) = geometry.outlet_xi;
      x(ie, je) = x(ie, 1);
    }
  }

  for (int j = 2; j <= je - 1; ++j) {
    x(1, j) = x(1, 1);
    y(1, j) = y(1, j - 1) + pitch / static_cast<double>(sizes.npitch);
  }

  const int nwall = sizes.nwall;
  {
    const double w = Geometric_length(spacings.dywle, nwall, spacings.ratio);
    Distribute_line(1, nwall + 1, je - nwall, je, 0.0, w, pitch - w, pitch, spacings.dywle, spacings.dywle, work.w1,
                    diagnostics);
    Pitchwise_line(work, ile, je);
  }
  {
    const double w = Geometric_length(spacings.dywte, nwall, spacings.ratio);
    Distribute_line(1, nwall + 1, je - nwall, je, 0.0, w, pitch - w, pitch, spacings.dywte, spacings.dywte, work.w1,
                    diagnostics);
    Pitchwise_line(work, ite, je);
  }

  // Outlet line: only the first two intervals at each end follow the
  // half-pitch stretch; the blend fills the middle.
  {
    const double q = Stretch(spacings.dyout, pitch / 2.0, sizes.npitch / 2, diagnostics);
    const double a = (q + 1.0) * spacings.dyout;
    Distribute_line(1, 3, je - 2, je, 0.0, a, pitch - a, pitch, spacings.dyout, spacings.dyout, work.w1, diagnostics);
    Pitchwise_line(work, ie, je);
  }

  Tfi_2d(1, ile, 1, je, work.w1, work.w2, work.w3, work.w4, x, y);
  Tfi_2d(ile, ite, 1, je, work.w1, work.w2, work.w3, work.w4, x, y);
  Tfi_2d(ite, ie, 1, je, work.w1, work.w2, work.w3, work.w4, x, y);

  if (surface.map != nullptr) {
    Wrap_on_flow_path(x, y, ie, je, *surface.map, grid, k);
  } else {
    Wrap_on_cylinder(x, y, ie, je, geometry.radius, grid, k);
  }
}

}  // namespace torvane
