// Composite cubic Bezier curves for the blade section contour: nseg segments,
// control points 0 .. 3*nseg stored as (x, y) pairs, one parameter t in [0, 1].
#pragma once

#include <span>

#include "base/diagnostics.hpp"

namespace torvane {

// The curve point at parameter t.
void Bezier_point(std::span<const double> bez, int nseg, double t, double& x, double& y);

// The x of the curve at each parameter t[n], as Bezier_point gives it, into x[n].
void Bezier_axial(std::span<const double> bez, int nseg, std::span<const double> t, std::span<double> x);

// Control points of the curve whose control polygon is the data polygon d_0 .. d_nseg.
void Bezier_polygon(std::span<const double> d, int nseg, std::span<double> bez);

// The one-shot approximation: the control polygon with its junctions moved
// onto the data points (except at triple points, which stay sharp corners).
void Bezier_approx(std::span<const double> d, int nseg, std::span<double> bez);

// The curve point between parameters ta and tb whose x is the x given on
// entry, by false position. A wanted x outside the stretch is reported
// (Inversion_outside_interval) and ends the build (Build_failure, Station_outside_curve).
void Bezier_x(std::span<const double> bez, int nseg, double ta, double tb, double tol, double& x, double& y,
              Diagnostics& diagnostics);

}  // namespace torvane
