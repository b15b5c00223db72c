#include "geometry/meridional_curve.hpp"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <utility>

namespace torvane {

namespace {

// Gauss-Kronrod 7-15: the abscissae of the 15-point Kronrod rule on [-1, 1]
// (the odd ones are the 7-point Gauss rule's) and both sets of weights.
constexpr double kNodes[8] = {0.991455371120812639206854697526329, 0.949107912342758524526189684047851,
                              0.864864423359769072789712788640926, 0.741531185599394439863864773280788,
                              0.586087235467691130294144845693013, 0.405845151377397166906606412076961,
                              0.207784955007898467600689403773245, 0.0};
constexpr double kKronrodWeights[8] = {0.022935322010529224963732008058970, 0.063092092629978553290700663189204,
                                       0.104790010322250183839876322541518, 0.140653259715525918745189590510238,
                                       0.169004726639267902826583426598550, 0.190350578064785409913256402421014,
                                       0.204432940075298892414161999234649, 0.209482141084727828012999174891714};
constexpr double kGaussWeights[4] = {0.129484966168869693270611432679082, 0.279705391489276667901467771423780,
                                     0.381830050505118944950369775488975, 0.417959183673469387755102040816327};
// An interval is accepted when the two rules agree to this fraction; the
// 15-point value is then far closer still.
constexpr double kAgreement = 1.0e-14;
// The plain rule's halvings: far deeper than a smooth integrand needs (a few).
constexpr int kPlainHalvings = 16;
// Far deeper than a smooth integrand needs (a few halvings): a radius that
// falls towards the axis at an end of a piece (1/r nearly singular there)
// needs about log2(piece length / end radius) halvings at that end, and only
// there. An interval that still disagrees at this depth leaves the integral
// unsettled.
constexpr int kMaxHalvings = 96;

// The monotone slope at an inner point from the secants on either side
// (weighted harmonic mean; zero at a local extremum of the data).
double Inner_slope(double h0, double h1, double d0, double d1) {
  if (d0 == 0.0 || d1 == 0.0 || (d0 > 0.0) != (d1 > 0.0)) return 0.0;
  const double w0 = 2.0 * h1 + h0;
  const double w1 = h1 + 2.0 * h0;
  return (w0 + w1) / (w0 / d0 + w1 / d1);
}

// The slope at an end point from the three-point formula, kept to the sign of
// the end secant and to three times it where the data turn.
double End_slope(double h0, double h1, double d0, double d1) {
  double d = ((2.0 * h0 + h1) * d0 - h0 * d1) / (h0 + h1);
  if (d0 == 0.0 || (d > 0.0) != (d0 > 0.0) || d == 0.0) return 0.0;
  if ((d0 > 0.0) != (d1 > 0.0) && std::fabs(d) > std::fabs(3.0 * d0)) d = 3.0 * d0;
  return d;
}

// The plain rule: on the piece's own cubic in x, halving down to
// kPlainHalvings; `settled` turns false (and the work stops) where the two
// rules still disagree there or a value is not finite.
double Plain_integrand(const Curve_piece& piece, double x) {
  const double s = piece.Slope(x);
  return std::sqrt(1.0 + s * s) / piece.Radius(x);
}

double Plain_adaptive(const Curve_piece& piece, double a, double b, int halvings, bool& settled) {
  const double centre = 0.5 * (a + b);
  const double half = 0.5 * (b - a);
  const double f0 = Plain_integrand(piece, centre);
  double kronrod = kKronrodWeights[7] * f0;
  double gauss = kGaussWeights[3] * f0;
  for (int n = 0; n < 7; ++n) {
    const double sum =
        Plain_integrand(piece, centre - half * kNodes[n]) + Plain_integrand(piece, centre + half * kNodes[n]);
    kronrod += kKronrodWeights[n] * sum;
    if (n % 2 == 1) gauss += kGaussWeights[n / 2] * sum;
  }
  kronrod *= half;
  gauss *= half;
  if (std::fabs(kronrod - gauss) <= kAgreement * std::fabs(kronrod)) return kronrod;
  if (halvings == kPlainHalvings || !std::isfinite(kronrod) || !std::isfinite(gauss)) {
    settled = false;
    return kronrod;
  }
  const double left = Plain_adaptive(piece, a, centre, halvings + 1, settled);
  if (!settled) return left;
  return left + Plain_adaptive(piece, centre, b, halvings + 1, settled);
}

// The value of an integral that did not settle.
constexpr double kUnsettled = std::numeric_limits<double>::quiet_NaN();

// A piece's cubic about one of its ends, in u = x - end: r = c0 + u (c1 + u (c2 + u c3)).
// About the nearer end, u keeps its full precision where the radius is
// smallest, and r there its own value rather than a difference of large terms.
struct Local_cubic {
  double c0, c1, c2, c3;
};

double Integrand(const Local_cubic& c, double u) {
  const double s = c.c1 + u * (2.0 * c.c2 + u * 3.0 * c.c3);
  return std::sqrt(1.0 + s * s) / (c.c0 + u * (c.c1 + u * (c.c2 + u * c.c3)));
}

double Adaptive(const Local_cubic& piece, double a, double b, int halvings) {
  const double centre = 0.5 * (a + b);
  const double half = 0.5 * (b - a);
  // A halved interval too narrow for its outer nodes to fall between its ends
  // and its centre cannot resolve what made its parent disagree.
  const double outer = half * kNodes[0];
  if (halvings > 0 && !(a < centre - outer && centre - outer < centre && centre < centre + outer && centre + outer < b))
    return kUnsettled;
  const double f0 = Integrand(piece, centre);
  double kronrod = kKronrodWeights[7] * f0;
  double gauss = kGaussWeights[3] * f0;
  for (int n = 0; n < 7; ++n) {
    const double sum = Integrand(piece, centre - half * kNodes[n]) + Integrand(piece, centre + half * kNodes[n]);
    kronrod += kKronrodWeights[n] * sum;
    if (n % 2 == 1) gauss += kGaussWeights[n / 2] * sum;
  }
  kronrod *= half;
  gauss *= half;
  // Values beyond the range of a double (extreme points) settle nothing.
  if (!std::isfinite(kronrod) || !std::isfinite(gauss)) return kUnsettled;
  if (std::fabs(kronrod - gauss) <= kAgreement * std::fabs(kronrod)) return kronrod;
  if (halvings == kMaxHalvings) return kUnsettled;
  const double left = Adaptive(piece, a, centre, halvings + 1);
  if (std::isnan(left)) return kUnsettled;
  return left + Adaptive(piece, centre, b, halvings + 1);
}

}  // namespace

double Curve_piece::Radius(double x) const {
  const double t = x - x0;
  return c0 + t * (c1 + t * (c2 + t * c3));
}

double Curve_piece::Slope(double x) const {
  const double t = x - x0;
  return c1 + t * (2.0 * c2 + t * 3.0 * c3);
}

Meridional_curve::Meridional_curve(std::vector<double> x, std::vector<double> r) : x_(std::move(x)), r_(std::move(r)) {
  assert(x_.size() == r_.size() && x_.size() >= 2);
  const std::size_t n = x_.size();
  std::vector<double> h(n - 1), secant(n - 1), slope(n);
  for (std::size_t k = 0; k + 1 < n; ++k) {
    h[k] = x_[k + 1] - x_[k];
    secant[k] = (r_[k + 1] - r_[k]) / h[k];
  }
  if (n == 2) {
    slope[0] = secant[0];
    slope[1] = secant[0];
  } else {
    slope[0] = End_slope(h[0], h[1], secant[0], secant[1]);
    slope[n - 1] = End_slope(h[n - 2], h[n - 3], secant[n - 2], secant[n - 3]);
    for (std::size_t k = 1; k + 1 < n; ++k) slope[k] = Inner_slope(h[k - 1], h[k], secant[k - 1], secant[k]);
  }
  pieces_.reserve(n - 1);
  for (std::size_t k = 0; k + 1 < n; ++k) {
    // The cubic Hermite piece with the end values and slopes; a straight run
    // of points (both slopes equal to the secant) keeps c2 = c3 = 0.
    const double c2 = (3.0 * secant[k] - 2.0 * slope[k] - slope[k + 1]) / h[k];
    const double c3 = (slope[k] + slope[k + 1] - 2.0 * secant[k]) / (h[k] * h[k]);
    pieces_.push_back({x_[k], x_[k + 1], r_[k], slope[k], c2, c3});
  }
}

std::size_t Meridional_curve::Piece_at(double x) const {
  const auto after = std::upper_bound(x_.begin() + 1, x_.end() - 1, x);
  return static_cast<std::size_t>(after - (x_.begin() + 1));
}

std::size_t Meridional_curve::First_unsound_piece() const {
  for (std::size_t p = 0; p < pieces_.size(); ++p) {
    const Curve_piece& c = pieces_[p];
    if (!std::isfinite(c.c0) || !std::isfinite(c.c1) || !std::isfinite(c.c2) || !std::isfinite(c.c3)) return p;
  }
  return pieces_.size();
}

bool Meridional_curve::Plain_rule_settles(std::size_t p, double a, double b) const {
  bool settled = true;
  if (a != b) Plain_adaptive(pieces_[p], a, b, 0, settled);
  return settled;
}

double Meridional_curve::Length_over_radius(std::size_t p, double a, double b) const {
  if (a == b) return 0.0;
  // The plain rule where it settles (every ordinary curve); the resolving one
  // where it does not.
  bool settled = true;
  const double plain = Plain_adaptive(pieces_[p], a, b, 0, settled);
  if (settled) return plain;
  return Resolved_length_over_radius(p, a, b);
}

double Meridional_curve::Resolved_length_over_radius(std::size_t p, double a, double b) const {
  if (a == b) return 0.0;
  if (a > b) return -Resolved_length_over_radius(p, b, a);
  // Each half of the piece about its own end.
  const Curve_piece& piece = pieces_[p];
  const double h = piece.x1 - piece.x0;
  const double middle = piece.x0 + 0.5 * h;
  double sum = 0.0;
  if (a < middle) {
    const Local_cubic first{piece.c0, piece.c1, piece.c2, piece.c3};
    sum += Adaptive(first, a - piece.x0, std::min(b, middle) - piece.x0, 0);
  }
  if (b > middle) {
    // The same cubic about x1: the point's radius, the slope and half the
    // second derivative there, the third coefficient unchanged.
    const Local_cubic last{r_[p + 1], piece.Slope(piece.x1), piece.c2 + 3.0 * piece.c3 * h, piece.c3};
    sum += Adaptive(last, std::max(a, middle) - piece.x1, b - piece.x1, 0);
  }
  return sum;
}

}  // namespace torvane
