#include "inspect/drawing.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace torvane::inspect {

namespace {

constexpr double kMargin = 20;     // around the lines
constexpr double kTitleBand = 30;  // above the lines, for the title
constexpr double kMaxHeight = 2400;

// Angle of p from the reference direction, theta measured from z towards y, in (-pi, pi].
double Angle_from(const Vec3& ref, const Vec3& p) {
  return std::atan2(ref.z * p.y - ref.y * p.z, ref.y * p.y + ref.z * p.z);
}

// Scales the model lines uniformly into the page and turns y downwards.
void Fit(Drawing& d) {
  double lo_x = std::numeric_limits<double>::infinity(), lo_y = lo_x;
  double hi_x = -lo_x, hi_y = -lo_x;
  for (const Polyline& line : d.lines) {
    for (const Point2& p : line.points) {
      lo_x = std::min(lo_x, p.x);
      hi_x = std::max(hi_x, p.x);
      lo_y = std::min(lo_y, p.y);
      hi_y = std::max(hi_y, p.y);
    }
  }
  const double span_x = std::max(hi_x - lo_x, 1e-300), span_y = std::max(hi_y - lo_y, 1e-300);
  const double inner = kPageWidth - 2 * kMargin;
  const double scale = std::min(inner / span_x, (kMaxHeight - 2 * kMargin - kTitleBand) / span_y);
  d.width = kPageWidth;
  d.height = std::ceil(span_y * scale + 2 * kMargin + kTitleBand);
  const double left = kMargin + (inner - span_x * scale) / 2;
  for (Polyline& line : d.lines) {
    for (Point2& p : line.points) {
      p = {left + (p.x - lo_x) * scale, kTitleBand + kMargin + (hi_y - p.y) * scale};
    }
  }
}

}  // namespace

Drawing Blade_to_blade(const Grid& g, const Block_faces& faces, int k, const std::string& title) {
  Drawing d;
  d.title = title;
  const Vec3 ref = g.Point(1, 1, k);
  // (axial, r * theta) of every point of the surface, theta from the first point.
  std::vector<Point2> flat(static_cast<std::size_t>(g.ie) * g.je);
  for (int j = 1; j <= g.je; ++j) {
    for (int i = 1; i <= g.ie; ++i) {
      const Vec3 p = g.Point(i, j, k);
      flat[static_cast<std::size_t>(j - 1) * g.ie + (i - 1)] = {p.x, std::hypot(p.y, p.z) * Angle_from(ref, p)};
    }
  }
  auto at = [&](int i, int j, int copy) {
    const Vec3 p = g.Point(i, j, k);
    Point2 q = flat[static_cast<std::size_t>(j - 1) * g.ie + (i - 1)];
    q.y += copy * std::hypot(p.y, p.z) * faces.pitch_angle;
    return q;
  };
  for (int copy = 0; copy < 2; ++copy) {
    for (int i = 1; i <= g.ie; ++i) {
      Polyline line{"i-line", {}};
      for (int j = 1; j <= g.je; ++j) line.points.push_back(at(i, j, copy));
      d.lines.push_back(std::move(line));
    }
    for (int j = 1; j <= g.je; ++j) {
      Polyline line{"j-line", {}};
      for (int i = 1; i <= g.ie; ++i) line.points.push_back(at(i, j, copy));
      d.lines.push_back(std::move(line));
    }
    if (faces.ile == 0) continue;
    for (int j : {1, g.je}) {
      Polyline wall{"wall", {}};
      for (int i = faces.ile; i <= faces.ite; ++i) wall.points.push_back(at(i, j, copy));
      d.lines.push_back(std::move(wall));
    }
  }
  Fit(d);
  return d;
}

Drawing Cross_section(const Grid& g, const Block_faces& faces, int i, const std::string& title) {
  Drawing d;
  d.title = title;
  // Turn the passage so that its middle points upwards.
  const Vec3 a = g.Point(i, 1, 1), b = g.Point(i, g.je, 1);
  const double middle = std::atan2(a.y, a.z) + Angle_from(a, b) / 2;
  const double c = std::cos(middle), s = std::sin(middle);
  auto at = [&](int j, int k) {
    const Vec3 p = g.Point(i, j, k);
    return Point2{p.y * c - p.z * s, p.z * c + p.y * s};
  };
  for (int j = 1; j <= g.je; ++j) {
    Polyline line{"j-line", {}};
    for (int k = 1; k <= g.ke; ++k) line.points.push_back(at(j, k));
    d.lines.push_back(std::move(line));
  }
  for (int k = 1; k <= g.ke; ++k) {
    Polyline line{"k-line", {}};
    for (int j = 1; j <= g.je; ++j) line.points.push_back(at(j, k));
    d.lines.push_back(std::move(line));
  }
  if (faces.ile > 0 && i >= faces.ile && i <= faces.ite) {
    for (int j : {1, g.je}) {
      Polyline wall{"wall", {}};
      for (int k = 1; k <= g.ke; ++k) wall.points.push_back(at(j, k));
      d.lines.push_back(std::move(wall));
    }
  }
  Fit(d);
  return d;
}

}  // namespace torvane::inspect
