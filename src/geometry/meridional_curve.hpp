// A hub or casing line of the meridional plane: the radius r(x) through (x, r)
// points as a monotone piecewise cubic (slopes continuous, no overshoot
// between points), and the meridional arc length weighted by 1/r along it.
#pragma once

#include <cstddef>
#include <vector>

namespace torvane {

// One piece of the curve as a cubic in t = x - x0: r = c0 + t (c1 + t (c2 + t c3)).
struct Curve_piece {
  double x0, x1;
  double c0, c1, c2, c3;
  // r and r' at x (beyond the piece, its cubic continued).
  double Radius(double x) const;
  double Slope(double x) const;
};

class Meridional_curve {
 public:
  // The curve through the points; x strictly increasing, at least two points
  // (the caller checks both). Two points give the straight line.
  Meridional_curve(std::vector<double> x, std::vector<double> r);

  // The points and the pieces between them.
  std::size_t size() const { return x_.size(); }
  double x(std::size_t n) const { return x_[n]; }
  double r(std::size_t n) const { return r_[n]; }
  double x_first() const { return x_.front(); }
  double x_last() const { return x_.back(); }
  std::size_t pieces() const { return pieces_.size(); }
  const Curve_piece& piece(std::size_t p) const { return pieces_[p]; }

  // The piece holding x; the end pieces beyond the ends (their cubics continue).
  std::size_t Piece_at(double x) const;
  // r(x) and r'(x). At the last point its own radius: the last piece's cubic,
  // taken about its first point, would give it as a difference of large terms.
  double Radius(double x) const { return x == x_.back() ? r_.back() : pieces_[Piece_at(x)].Radius(x); }
  double Slope(double x) const { return pieces_[Piece_at(x)].Slope(x); }

  // The integral of sqrt(1 + r'^2) / r from a to b, both on piece p: the
  // meridional length over the radius, what dxi = R dm / r sums to over R.
  // Adaptive Gauss-Kronrod 7-15 on the piece's cubic in x (the plain rule)
  // where it settles within 16 halvings; where it does not, the resolving
  // rule: each half of the piece about its own end, up to 96 halvings where
  // the two rules disagree (a radius near the axis at an end). NaN when that
  // does not settle either: a radius too close to the axis, or values beyond
  // the range of a double.
  double Length_over_radius(std::size_t p, double a, double b) const;
  // The resolving rule alone.
  double Resolved_length_over_radius(std::size_t p, double a, double b) const;
  // Whether the plain rule settles from a to b.
  bool Plain_rule_settles(std::size_t p, double a, double b) const;

  // The first piece whose cubic has a coefficient that is not a finite
  // number (points too close together in x for their slope), or pieces().
  std::size_t First_unsound_piece() const;

 private:
  std::vector<double> x_, r_;
  std::vector<Curve_piece> pieces_;
};

}  // namespace torvane
