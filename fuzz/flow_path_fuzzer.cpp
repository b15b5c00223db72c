// The flow-path fuzzer: any bytes as a flow-path file, through its reading,
// the curves and the conformal map of each surface. A file is either refused
// (Run_stop with a message) or gives two curves of at least two points with
// x strictly increasing and r above zero, whose maps carry a point at a
// section's reference point onto itself and give finite axial positions; the
// map's integral over each piece agrees with an independent quadrature.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "base/run_stop.hpp"
#include "control/flow_path_file.hpp"
#include "geometry/flow_path.hpp"
#include "geometry/meridional_curve.hpp"

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

// An independent quadrature of sqrt(1 + r'^2) / r over a piece: tanh-sinh
// (double exponential) on [x0, x1], its nodes crowding doubly exponentially
// towards both ends, where a radius near the axis makes 1/r nearly singular;
// each side of the middle evaluated about its own end. Step h halved until
// two sums agree to 1e-12.
double Tanh_sinh(const torvane::Curve_piece& piece, double r1) {
  const double h_piece = piece.x1 - piece.x0;
  const double half = 0.5 * h_piece;
  // r and r' at distance d from an end, about that end.
  const double e1 = piece.Slope(piece.x1), e2 = piece.c2 + 3.0 * piece.c3 * h_piece;
  auto integrand = [&](double d, bool from_first) {
    const double u = from_first ? d : -d;
    const double c0 = from_first ? piece.c0 : r1, c1 = from_first ? piece.c1 : e1;
    const double c2 = from_first ? piece.c2 : e2, c3 = piece.c3;
    const double s = c1 + u * (2.0 * c2 + u * 3.0 * c3);
    return std::sqrt(1.0 + s * s) / (c0 + u * (c1 + u * (c2 + u * c3)));
  };
  const double pi_2 = 1.5707963267948966;
  double previous = 0.0;
  for (double h = 0.5; h >= 1.0 / 1024; h /= 2) {
    double sum = 0.0;
    for (int k = -static_cast<int>(6.0 / h); k <= static_cast<int>(6.0 / h); ++k) {
      const double t = k * h;
      const double sinh_term = pi_2 * std::sinh(t);
      const double weight = pi_2 * std::cosh(t) / (std::cosh(sinh_term) * std::cosh(sinh_term));
      // The distance of the node from the nearer end, 1 - |tanh| taken without cancellation.
      const double from_end = half / (std::exp(2.0 * std::fabs(sinh_term)) + 1.0) * 2.0;
      if (!(from_end > 0.0) || weight == 0.0) continue;
      sum += weight * integrand(from_end, t < 0);
    }
    sum *= h * half;
    if (h < 0.5 && std::fabs(sum - previous) <= 1e-12 * std::fabs(sum)) return sum;
    previous = sum;
  }
  return std::numeric_limits<double>::quiet_NaN();
}

// The map's integral over each piece against the independent quadrature,
// where both settle on a piece of ordinary size (radii within 1e-12 to 1e12
// of each other, coordinates below 1e100): the two agree to 1e-9.
void Compare_integrals(const torvane::Curve_points& points, const torvane::Meridional_curve& curve) {
  for (std::size_t p = 0; p < curve.pieces(); ++p) {
    const torvane::Curve_piece& piece = curve.piece(p);
    const double r_low = std::min(points.r[p], points.r[p + 1]), r_high = std::max(points.r[p], points.r[p + 1]);
    const double span = std::max(std::fabs(piece.x0), std::fabs(piece.x1));
    if (!(r_low > 1e-12 * r_high && span < 1e100 && r_high < 1e100 && r_low > 1e-100)) continue;
    if (!(piece.x1 - piece.x0 > 1e-9 * span)) continue;
    const double map = curve.Length_over_radius(p, piece.x0, piece.x1);
    const double independent = Tanh_sinh(piece, points.r[p + 1]);
    if (!std::isfinite(independent)) continue;
    Require(std::isfinite(map));
    Require(std::fabs(map - independent) <= 1e-9 * std::fabs(independent));
  }
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
  Compare_integrals(points, curve);
  const std::size_t middle = points.x.size() / 2;
  const double x_ref = points.x[middle];
  const double radius = curve.Radius(x_ref);
  Require(radius > 0);
  const torvane::Conformal_map map(curve, radius, x_ref);
  // xi = x at the reference point, and the inverse map stays finite over the curve.
  Require(std::fabs(map.Xi(x_ref) - x_ref) <= 1e-9 * (1 + std::fabs(x_ref)));
  // An integral that does not settle leaves NaN at that end (which the run
  // refuses), never a wrong finite xi; with both ends settled the inverse map
  // stays finite over the curve.
  if (std::isnan(map.xi_first()) || std::isnan(map.xi_last())) return;
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
