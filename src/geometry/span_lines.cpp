#include "geometry/span_lines.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

#include "distribution/distribute_line.hpp"
#include "distribution/stretch.hpp"
#include "geometry/finite_check.hpp"

namespace torvane {

namespace {

std::size_t At(int s, int i, int j, int ie, int je) {
  return (static_cast<std::size_t>(s) * static_cast<std::size_t>(je) + static_cast<std::size_t>(j - 1)) *
             static_cast<std::size_t>(ie) +
         static_cast<std::size_t>(i - 1);
}

// The grid point of (x, r, theta), as the surfaces are wrapped.
void Put_point(const Grid& grid, int i, int j, int k, double x, double r, double theta) {
  grid.xg(i, j, k) = x;
  grid.yg(i, j, k) = std::sin(theta) * r;
  grid.zg(i, j, k) = r - (1.0 - std::cos(theta)) * r;
}

}  // namespace

void Spline_slopes(int n, const double* u, const double* f, double* m) {
  std::array<double, kMaxSpanStations> h{}, d{}, a{}, b{}, c{}, rhs{};
  for (int p = 0; p + 1 < n; ++p) {
    h[p] = u[p + 1] - u[p];
    d[p] = (f[p + 1] - f[p]) / h[p];
  }
  if (n == 2) {
    m[0] = d[0];
    m[1] = d[0];
    return;
  }
  if (n == 3) {
    // The parabola through the three points.
    m[1] = (h[1] * d[0] + h[0] * d[1]) / (h[0] + h[1]);
    m[0] = 2.0 * d[0] - m[1];
    m[2] = 2.0 * d[1] - m[1];
    return;
  }
  // Not-a-knot: the third derivative continuous at the second and the last
  // but one point; rows of the tridiagonal system a m[p-1] + b m[p] + c m[p+1] = rhs.
  b[0] = h[1];
  c[0] = h[0] + h[1];
  rhs[0] = ((h[0] + 2.0 * c[0]) * h[1] * d[0] + h[0] * h[0] * d[1]) / c[0];
  for (int p = 1; p + 1 < n; ++p) {
    a[p] = h[p];
    b[p] = 2.0 * (h[p - 1] + h[p]);
    c[p] = h[p - 1];
    rhs[p] = 3.0 * (h[p] * d[p - 1] + h[p - 1] * d[p]);
  }
  const int last = n - 1;
  const double xn = h[last - 1] + h[last - 2];
  a[last] = xn;
  b[last] = h[last - 2];
  rhs[last] = (h[last - 1] * h[last - 1] * d[last - 2] + (2.0 * xn + h[last - 1]) * h[last - 2] * d[last - 1]) / xn;
  // Elimination downwards, then back substitution.
  for (int p = 1; p < n; ++p) {
    const double w = a[p] / b[p - 1];
    b[p] = b[p] - w * c[p - 1];
    rhs[p] = rhs[p] - w * rhs[p - 1];
  }
  m[last] = rhs[last] / b[last];
  for (int p = last - 1; p >= 0; --p) m[p] = (rhs[p] - c[p] * m[p + 1]) / b[p];
}

void Limit_monotone(int n, const double* u, const double* f, double* m) {
  for (int p = 0; p < n; ++p) {
    // The secants of the pieces on either side (one at an end).
    const double before = p > 0 ? (f[p] - f[p - 1]) / (u[p] - u[p - 1]) : (f[1] - f[0]) / (u[1] - u[0]);
    const double after = p + 1 < n ? (f[p + 1] - f[p]) / (u[p + 1] - u[p]) : before;
    // At a turn of the points, or against their sense, the slope is 0.
    if (before * after <= 0 || m[p] * after <= 0) {
      m[p] = 0;
    } else {
      const double bound = 3.0 * std::min(std::fabs(before), std::fabs(after));
      if (std::fabs(m[p]) > bound) m[p] = std::copysign(bound, after);
    }
  }
}

double Spline_value(const double* u, const double* f, const double* m, int p, double v) {
  const double h = u[p + 1] - u[p];
  const double t = (v - u[p]) / h;
  const double s = 1.0 - t;
  // Hermite basis: f0 s^2 (1 + 2t) + f1 t^2 (1 + 2s) + h (m0 t s^2 - m1 t^2 s).
  return f[p] * (s * s * (1.0 + 2.0 * t)) + f[p + 1] * (t * t * (1.0 + 2.0 * s)) +
         h * (m[p] * (t * s * s) - m[p + 1] * (t * t * s));
}

namespace {

// The plane of each inner station: the nearest to its place, after the
// previous station's and leaving one for each station still to come; NaN in
// the first when the stations do not all get a plane of their own.
void Assign_station_planes(const Volume_sizes& s, int n, std::span<const double> places, const Span_work& work) {
  work.station_planes[0] = 0.0;
  work.station_planes[static_cast<std::size_t>(n - 1)] = 1.0;
  work.station_k[0] = 1;
  work.station_k[static_cast<std::size_t>(n - 1)] = s.ke;
  int k_previous = 1;
  for (int station = 1; station < n - 1; ++station) {
    const int k_last = s.ke - (n - 1 - station);
    if (k_previous + 1 > k_last) {
      work.station_planes[0] = std::numeric_limits<double>::quiet_NaN();
      break;
    }
    int best = k_previous + 1;
    for (int k = best; k <= k_last; ++k) {
      if (std::fabs(work.sspan(k) / s.span - places[static_cast<std::size_t>(station)]) <
          std::fabs(work.sspan(best) / s.span - places[static_cast<std::size_t>(station)])) {
        best = k;
      }
    }
    work.station_planes[static_cast<std::size_t>(station)] = work.sspan(best) / s.span;
    work.station_k[static_cast<std::size_t>(station)] = best;
    k_previous = best;
  }
}

// The stations' points in cylindrical coordinates, moved into the frame.
void Read_station_points(std::span<const Station_surface> stations, Frame_shift frame, int ie, int je,
                         const Span_work& work) {
  const int n = static_cast<int>(stations.size());
  for (int station = 0; station < n; ++station) {
    const Station_surface& surface = stations[static_cast<std::size_t>(station)];
    for (int j = 1; j <= je; ++j) {
      for (int i = 1; i <= ie; ++i) {
        const double y = surface.grid.yg(i, j, surface.k);
        const double z = surface.grid.zg(i, j, surface.k);
        const std::size_t at = At(station, i, j, ie, je);
        work.x[at] = surface.grid.xg(i, j, surface.k) + frame.x;
        work.r[at] = std::hypot(y, z);
        work.theta[at] = std::atan2(y, z) + frame.theta;
      }
    }
  }
}

// The chord-length parameter of the line from `first`: the distance along
// the stations' points, scaled to 1, in u and in the work.
void Line_parameter(int n, std::size_t first, std::size_t stride, const Span_work& work, double* u) {
  u[0] = 0.0;
  for (int p = 1; p < n; ++p) {
    const std::size_t a = first + static_cast<std::size_t>(p - 1) * stride;
    const std::size_t b = a + stride;
    const double dx = work.x[b] - work.x[a];
    const double dy = std::sin(work.theta[b]) * work.r[b] - std::sin(work.theta[a]) * work.r[a];
    const double dz = std::cos(work.theta[b]) * work.r[b] - std::cos(work.theta[a]) * work.r[a];
    u[p] = u[p - 1] + std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  const double length = u[n - 1];
  for (int p = 1; p < n - 1; ++p) u[p] = u[p] / length;
  u[n - 1] = 1.0;
  for (int p = 0; p < n; ++p) work.u[first + static_cast<std::size_t>(p) * stride] = u[p];
}

// The parameters and the splines' slopes of every line (i, j).
void Fit_lines(int n, int ie, int je, const Span_work& work) {
  std::array<double, kMaxSpanStations> u{}, f{}, m{};
  const std::size_t stride = Span_work_size(1, ie, je);
  for (int j = 1; j <= je; ++j) {
    for (int i = 1; i <= ie; ++i) {
      const std::size_t first = At(0, i, j, ie, je);
      Line_parameter(n, first, stride, work, u.data());
      for (auto [values, slopes] :
           {std::pair{work.x, work.mx}, std::pair{work.r, work.mr}, std::pair{work.theta, work.mtheta}}) {
        for (int p = 0; p < n; ++p) f[p] = values[first + static_cast<std::size_t>(p) * stride];
        Spline_slopes(n, u.data(), f.data(), m.data());
        // The radius stays between the stations' on every piece: no point beyond the hub or the casing.
        if (values.data() == work.r.data()) Limit_monotone(n, u.data(), f.data(), m.data());
        for (int p = 0; p < n; ++p) slopes[first + static_cast<std::size_t>(p) * stride] = m[p];
      }
    }
  }
}

// The hub (k = 1) and casing (k = ke) planes written again in the frame.
void Put_end_planes(const Volume_sizes& s, int n, const Span_work& work, const Grid& grid) {
  const int ie = s.ie;
  const int je = s.je;
  for (int j = 1; j <= je; ++j) {
    for (int i = 1; i <= ie; ++i) {
      for (auto [station, k] : {std::pair{0, 1}, std::pair{n - 1, s.ke}}) {
        const std::size_t at = At(station, i, j, ie, je);
        Put_point(grid, i, j, k, work.x[at], work.r[at], work.theta[at]);
      }
    }
  }
}

// Where a line meets the plane at spanwise fraction v: the spline's piece and
// the line's parameter there.
struct Line_place {
  int piece;
  double w;
};

Line_place Place_on_line(int n, const double* u, double v, std::span<const double> station_planes) {
  int piece = 0;
  double w = v;
  if (std::isnan(station_planes[0])) {
    while (piece + 2 < n && u[piece + 1] <= v) ++piece;
  } else {
    // Between the planes of two stations, in proportion to the line's parameter between them.
    const std::span<const double> at = station_planes;
    while (piece + 2 < n && at[static_cast<std::size_t>(piece + 1)] <= v) ++piece;
    const double a = at[static_cast<std::size_t>(piece)], b = at[static_cast<std::size_t>(piece + 1)];
    w = v == a ? u[piece] : u[piece] + (v - a) * (u[piece + 1] - u[piece]) / (b - a);
  }
  return {piece, w};
}

}  // namespace

void Prepare_span_lines(const Volume_sizes& s, std::span<const Station_surface> stations,
                        std::span<const double> places, Frame_shift frame, const Span_work& work, const Grid& grid,
                        Diagnostics& diagnostics) {
  const int n = static_cast<int>(stations.size());
  const int ie = s.ie;
  const int je = s.je;
  if (s.ke > 2) {
    const double hsum = Geometric_length(s.dzwall, s.nwallhc, s.ratio);
    Distribute_line(1, s.nwallhc + 1, s.ke - s.nwallhc, s.ke, 0.0, hsum, s.span - hsum, s.span, s.dzwall, s.dzwall,
                    work.sspan, diagnostics);
  }
  Assign_station_planes(s, n, places, work);
  Read_station_points(stations, frame, ie, je, work);
  Fit_lines(n, ie, je, work);
  if (frame.x != 0.0 || frame.theta != 0.0) Put_end_planes(s, n, work, grid);
}

void Build_span_plane(int k, const Volume_sizes& s, int n, const Span_work& work, const Grid& grid) {
  const int ie = s.ie;
  const int je = s.je;
  const double v = work.sspan(k) / s.span;
  const std::size_t stride = Span_work_size(1, ie, je);
  std::array<double, kMaxSpanStations> u{}, f{}, m{};
  for (int j = 1; j <= je; ++j) {
    for (int i = 1; i <= ie; ++i) {
      const std::size_t first = At(0, i, j, ie, je);
      for (int p = 0; p < n; ++p) u[p] = work.u[first + static_cast<std::size_t>(p) * stride];
      const auto [piece, w] = Place_on_line(n, u.data(), v, work.station_planes);
      double value[3];
      int c = 0;
      for (auto [values, slopes] :
           {std::pair{work.x, work.mx}, std::pair{work.r, work.mr}, std::pair{work.theta, work.mtheta}}) {
        for (int p = piece; p <= piece + 1; ++p) {
          f[p] = values[first + static_cast<std::size_t>(p) * stride];
          m[p] = slopes[first + static_cast<std::size_t>(p) * stride];
        }
        value[c++] = Spline_value(u.data(), f.data(), m.data(), piece, w);
      }
      Put_point(grid, i, j, k, value[0], value[1], value[2]);
    }
  }
  Check_finite_planes(grid, ie, je, k, k);
}

}  // namespace torvane
