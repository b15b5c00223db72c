#include "geometry/flow_path.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace torvane {

namespace {

constexpr int kMaxNewtonSteps = 60;
constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
// The largest integral of sqrt(1 + r'^2) / r between the reference point and
// a point of the curve for which xi is summed from the first point: a curve a
// thousand radii long (more than any flow path needs).
constexpr double kFromFirstReach = 1.0e3;

}  // namespace

Conformal_map::Conformal_map(const Meridional_curve& curve, double radius, double x_ref)
    : curve_(curve), radius_(radius), x_ref_(x_ref), p_ref_(curve.Piece_at(x_ref)), xi_knots_(curve.size()) {
  const std::size_t n = curve_.size();
  // Summed outwards from the reference point, so that xi near it never
  // carries what a far piece adds (a radius near the axis, or a piece far
  // longer than the rest, makes that large); a piece whose integral does not
  // settle leaves NaN from there outwards.
  outward_ = true;
  xi_knots_[p_ref_] = Xi_on_piece(p_ref_, curve_.x(p_ref_));
  xi_knots_[p_ref_ + 1] = Xi_on_piece(p_ref_, curve_.x(p_ref_ + 1));
  for (std::size_t k = p_ref_; k-- > 0;) xi_knots_[k] = Xi_on_piece(k, curve_.x(k));
  for (std::size_t k = p_ref_ + 2; k < n; ++k) xi_knots_[k] = Xi_on_piece(k - 1, curve_.x(k));
  for (std::size_t p = 0; p + 1 < n; ++p) {
    if (!curve_.Plain_rule_settles(p, curve_.x(p), curve_.x(p + 1))) return;
  }

  // Where the plain rule settles on every piece and the curve's integral
  // stays within kFromFirstReach of the reference point's, the integral from
  // the first point to each point, shifted so that xi(x_ref) = x_ref: it
  // keeps the grids of ordinary curves as they always were, and its
  // cancellation stays far below their scale (a few eps x kFromFirstReach x R).
  std::vector<double> from_first(n, 0.0);
  for (std::size_t p = 0; p + 1 < n; ++p) {
    from_first[p + 1] = from_first[p] + curve_.Length_over_radius(p, curve_.x(p), curve_.x(p + 1));
  }
  const double at_ref = from_first[p_ref_] + curve_.Length_over_radius(p_ref_, curve_.x(p_ref_), x_ref);
  for (std::size_t k = 0; k < n; ++k) {
    if (!(std::fabs(from_first[k] - at_ref) <= kFromFirstReach)) return;
  }
  for (std::size_t k = 0; k < n; ++k) from_first[k] = x_ref + radius_ * (from_first[k] - at_ref);
  xi_knots_ = std::move(from_first);
  outward_ = false;
}

double Conformal_map::Xi_on_piece(std::size_t p, double x) const {
  if (!outward_) return xi_knots_[p] + radius_ * curve_.Length_over_radius(p, curve_.x(p), x);
  // From the end of the piece nearer the reference point.
  if (p < p_ref_) return xi_knots_[p + 1] - radius_ * curve_.Length_over_radius(p, x, curve_.x(p + 1));
  if (p > p_ref_) return xi_knots_[p] + radius_ * curve_.Length_over_radius(p, curve_.x(p), x);
  if (x < x_ref_) return x_ref_ - radius_ * curve_.Length_over_radius(p, x, x_ref_);
  return x_ref_ + radius_ * curve_.Length_over_radius(p, x_ref_, x);
}

double Conformal_map::Xi(double x) const { return Xi_on_piece(curve_.Piece_at(x), x); }

double Conformal_map::Axial(double xi) const {
  // The piece whose xi range holds xi (xi grows with x), then Newton on
  // Xi_on_piece(x) = xi with dxi/dx = R sqrt(1 + r'^2) / r, kept inside the
  // piece by bisection while the root is bracketed there.
  const auto after = std::upper_bound(xi_knots_.begin() + 1, xi_knots_.end() - 1, xi);
  const std::size_t p = static_cast<std::size_t>(after - (xi_knots_.begin() + 1));
  const Curve_piece& piece = curve_.piece(p);
  const bool inside = xi_knots_[p] <= xi && xi <= xi_knots_[p + 1];
  double low = piece.x0;
  double high = piece.x1;
  double x = piece.x0 + (xi - xi_knots_[p]) / (xi_knots_[p + 1] - xi_knots_[p]) * (piece.x1 - piece.x0);
  const double scale = std::max({std::fabs(piece.x0), std::fabs(piece.x1), piece.x1 - piece.x0});
  for (int step = 0; step < kMaxNewtonSteps; ++step) {
    const double residual = Xi_on_piece(p, x) - xi;
    if (residual == 0.0) break;
    if (inside) (residual > 0.0 ? high : low) = x;
    const double s = piece.Slope(x);
    const double derivative = radius_ * std::sqrt(1.0 + s * s) / piece.Radius(x);
    double next = x - residual / derivative;
    if (inside && !(low <= next && next <= high)) next = 0.5 * (low + high);
    const double change = std::fabs(next - x);
    x = next;
    if (change <= 2.0 * kEpsilon * scale) break;
  }
  return x;
}

Surface_point Conformal_map::Point(double xi, double y) const {
  const double x = Axial(xi);
  return {x, curve_.Radius(x), y / radius_};
}

double Casing_reference_radius(const Meridional_curve& casing, double rhub, double tan_sweep) {
  // Newton on g(rho) = r_cas((rho - rhub) tan_sweep) - rho, from the radius at
  // x = 0; without sweep the first value is the answer.
  double rho = casing.Radius(0.0);
  if (tan_sweep == 0.0) return rho;
  const double start = rho;
  for (int step = 0; step < kMaxNewtonSteps; ++step) {
    const double x = (rho - rhub) * tan_sweep;
    const double g = casing.Radius(x) - rho;
    const double derivative = casing.Slope(x) * tan_sweep - 1.0;
    if (derivative == 0.0) return start;
    const double next = rho - g / derivative;
    if (std::fabs(next - rho) <= 4.0 * kEpsilon * std::fabs(rho)) return next;
    rho = next;
  }
  return start;
}

}  // namespace torvane
