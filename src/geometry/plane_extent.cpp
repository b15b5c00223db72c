#include "geometry/plane_extent.hpp"

#include <cmath>
#include <cstddef>
#include <vector>

#include "distribution/stretch.hpp"
#include "geometry/bezier.hpp"
#include "geometry/edge_search.hpp"

namespace torvane {

Plane_extent Surface_plane_extent(const Section_sizes& sizes, const Section_geometry& geometry,
                                  const Section_spacings& spacings, int npts, int iref, std::span<const double> xy) {
  const int nseg = npts - 1;
  std::vector<double> placed(xy.begin(), xy.begin() + 2 * static_cast<std::ptrdiff_t>(npts));
  Place_contour(geometry, Contour_points{0, npts, iref, placed});
  std::vector<double> bez(2 * static_cast<std::size_t>(3 * nseg + 1));
  Bezier_approx(placed, nseg, bez);
  const auto [t_le, t_te] = Find_edges(bez, nseg);
  double x_le = 0.0, y_le = 0.0, x_te = 0.0, y_te = 0.0;
  Bezier_point(bez, nseg, t_le, x_le, y_le);
  Bezier_point(bez, nseg, t_te, x_te, y_te);

  // A stretch that does not settle warns in the build itself; here its
  // console is dropped.
  Diagnostic_log scratch;  // the build itself reports what the stretching says
  Plane_extent extent{};
  {
    const double upstream = std::isnan(geometry.inlet_xi) ? geometry.lin + geometry.xref : x_le - geometry.inlet_xi;
    const double q = Stretch(spacings.dsle, upstream, sizes.nin, scratch);
    double length = 0.0;
    double h = spacings.dsle;
    for (int i = sizes.ile - 1; i >= 1; --i) {
      length = length + h;
      h = h * q;
    }
    extent.inlet = x_le - length;
  }
  {
    const double downstream =
        std::isnan(geometry.outlet_xi) ? geometry.lx - std::fabs(x_te - extent.inlet) : geometry.outlet_xi - x_te;
    const double q = Stretch(spacings.dste, downstream, sizes.nout, scratch);
    double length = 0.0;
    double h = spacings.dste;
    for (int i = sizes.ite + 1; i <= sizes.ie; ++i) {
      length = length + h;
      h = h * q;
    }
    extent.outlet = x_te + length;
  }
  return extent;
}

}  // namespace torvane
