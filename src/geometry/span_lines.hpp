// The volume of a grid through several blade sections: every spanwise grid
// line (i, j) a cubic spline through the points of the stations' surfaces at
// its (i, j) (hub, the sections from hub to casing, casing), in cylindrical
// coordinates and in the chord-length parameter of those points, evaluated
// at the spanwise distribution clustered at hub and casing.
#pragma once

#include <span>

#include "base/diagnostics.hpp"
#include "base/grid_views.hpp"
#include "geometry/volume_grid.hpp"

namespace torvane {

// Most stations a grid line passes through: hub, casing and the sections between.
inline constexpr int kMaxSpanStations = 64;

// A station's surface: plane k of a grid of the run's ie x je.
struct Station_surface {
  Grid grid;
  int k;
};

// Moves the whole grid into another frame: axially by x, turned by theta [rad] towards +y.
struct Frame_shift {
  double x = 0;
  double theta = 0;
};

// Storage lent to the build, stations x ie x je values in each span, station slowest.
struct Span_work {
  std::span<double> x, r, theta;     // the stations' points
  std::span<double> u;               // their chord-length parameter, 0 at the hub, 1 at the casing
  std::span<double> mx, mr, mtheta;  // the splines' slopes d/du at the stations
  Line sspan;                        // spanwise distribution, 0 at the hub to span at the casing
  // The spanwise fraction of the plane k each station lies on (0 at the hub,
  // 1 at the casing), one per station; NaN in the first when the stations
  // get no plane of their own (fewer inner planes than sections).
  std::span<double> station_planes;
  std::span<int> station_k;  // the plane of each station, 1 at the hub, ke at the casing (while they have their own)
};

// The values each of the span's arrays needs.
inline std::size_t Span_work_size(int stations, int ie, int je) {
  return static_cast<std::size_t>(stations) * static_cast<std::size_t>(ie) * static_cast<std::size_t>(je);
}

// Slopes of the not-a-knot cubic spline through (u[n], f[n]), n < count
// (count >= 2; two points give the line, three the parabola).
void Spline_slopes(int count, const double* u, const double* f, double* slopes);

// Slopes limited so that the cubic Hermite curve through (u[n], f[n]) stays
// monotone on every piece where the points are (a slope of the other sense
// than a neighbouring piece's, or above three times its, made 0 or three
// times it); 0 at a point where the points turn.
void Limit_monotone(int count, const double* u, const double* f, double* slopes);

// The spline's value at v on the piece [u[p], u[p + 1]].
double Spline_value(const double* u, const double* f, const double* slopes, int p, double v);

// Reads the stations' points (moved into the frame), their parameters and
// slopes, and the spanwise distribution; writes the hub (k = 1) and the
// casing (k = ke) planes again in the frame when it moves them. The first
// station is the hub plane, the last the casing plane of the grid. Each
// inner station gets the inner plane whose spanwise fraction lies nearest to
// its place in the span (`places`, 0 to 1, increasing), and that plane goes
// through it: between two stations the planes are spread over each line in
// proportion to the spanwise distribution.
void Prepare_span_lines(const Volume_sizes& sizes, std::span<const Station_surface> stations,
                        std::span<const double> places, Frame_shift frame, const Span_work& work, const Grid& grid,
                        Diagnostics& diagnostics);

// The inner plane k (2 <= k <= ke - 1), checked for coordinates that are not finite.
void Build_span_plane(int k, const Volume_sizes& sizes, int stations, const Span_work& work, const Grid& grid);

}  // namespace torvane
