// The meridional flow path: the conformal map from a surface's blade-to-blade
// plane (xi, y), set up at section radius R, onto the surface of revolution of
// its hub or casing curve: dxi = R dm / r(x), theta = y / R.
#pragma once

#include <cstddef>
#include <vector>

#include "geometry/meridional_curve.hpp"

namespace torvane {

// A point of a surface of revolution: axial position, radius, angle.
struct Surface_point {
  double x;
  double r;
  double theta;
};

// xi(x) = x_ref + R * integral from x_ref to x of sqrt(1 + r'^2) / r: angles
// of the blade-to-blade plane are kept on the surface, and on a cylinder
// r = R the map is the identity.
class Conformal_map {
 public:
  // The map of the curve for a section of radius R whose reference point lies at x_ref.
  Conformal_map(const Meridional_curve& curve, double radius, double x_ref);

  const Meridional_curve& curve() const { return curve_; }
  double radius() const { return radius_; }
  // xi of the curve's first and last point: the plane's stretch the curve
  // covers (NaN where the integral out to it does not settle).
  double xi_first() const { return xi_knots_.front(); }
  double xi_last() const { return xi_knots_.back(); }
  // xi of point k of the curve.
  double xi_knot(std::size_t k) const { return xi_knots_[k]; }

  // xi of the axial position x.
  double Xi(double x) const;
  // The axial position of xi (beyond the curve's ends its end cubics continue).
  double Axial(double xi) const;
  // The surface point of the plane point (xi, y).
  Surface_point Point(double xi, double y) const;

 private:
  double Xi_on_piece(std::size_t p, double x) const;

  Meridional_curve curve_;
  double radius_;
  double x_ref_;
  std::size_t p_ref_;             // the piece holding x_ref
  bool outward_ = false;          // xi summed outwards from x_ref (a piece needs the resolving rule)
  std::vector<double> xi_knots_;  // xi of each point of the curve (NaN where the integral did not settle)
};

// The casing radius a deck needs for its casing section to lie on the casing
// curve: the rcas with r_cas(xrefcas) = rcas, xrefcas = (rcas - rhub) tan(sweep).
// Returns the start value when the iteration does not settle.
double Casing_reference_radius(const Meridional_curve& casing, double rhub, double tan_sweep);

}  // namespace torvane
