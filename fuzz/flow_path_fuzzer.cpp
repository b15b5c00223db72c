// The flow-path fuzzer: any bytes as a flow-path file, through its reading,
// the curves and the conformal map of each surface. A file is either refused
// (Run_stop with a message) or gives two curves of at least two points with
// x strictly increasing and r above zero, whose maps carry a point at a
// section's reference point onto itself and give finite axial positions.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/run_stop.hpp"
#include "control/flow_path_file.hpp"
#include "geometry/flow_path.hpp"
#include "geometry/meridional_curve.hpp"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

// The points as the reader promises them, and the map of a section at the
// curve's middle point.
void Check_curve(const torvane::Curve_points& points) {
  Require(points.x.size() >= 2 && points.x.size() == points.r.size());
  for (std::size_t n = 0; n < points.x.size(); ++n) {
    Require(std::isfinite(points.x[n]) && std::isfinite(points.r[n]) && points.r[n] > 0);
    if (n > 0) Require(points.x[n] > points.x[n - 1]);
  }
  const torvane::Meridional_curve curve(points.x, points.r);
  const std::size_t middle = points.x.size() / 2;
  const double x_ref = points.x[middle];
  const double radius = curve.Radius(x_ref);
  Require(radius > 0);
  const torvane::Conformal_map map(curve, radius, x_ref);
  // xi = x at the reference point, and the inverse map stays finite over the curve.
  Require(std::fabs(map.Xi(x_ref) - x_ref) <= 1e-9 * (1 + std::fabs(x_ref)));
  for (double xi : {map.xi_first(), map.xi_last(), 0.5 * (map.xi_first() + map.xi_last())}) {
    if (std::isfinite(xi)) Require(std::isfinite(map.Axial(xi)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const torvane::Flow_path_file file = torvane::Parse_flow_path("fuzz.path", text);
    Check_curve(file.hub);
    Check_curve(file.casing);
  } catch (const torvane::Run_stop& stop) {
    Require(stop.status == 2 && !stop.diagnostic.empty() && stop.diagnostic.find('\n') == std::string_view::npos);
  }
  return 0;
}
