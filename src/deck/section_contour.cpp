#include "deck/section_contour.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string>

namespace torvane::deck {

namespace {

// Twice the signed area enclosed by the closed polygon: positive counter-clockwise.
double Twice_signed_area(const std::vector<Point>& points) {
  double sum = 0;
  for (size_t n = 0; n < points.size(); ++n) {
    const Point& a = points[n];
    const Point& b = points[(n + 1) % points.size()];
    sum += a.x * b.y - b.x * a.y;
  }
  return sum;
}

std::string Point_text(const Point& p) {
  char text[64];
  auto end = std::to_chars(text, text + sizeof text, p.x).ptr;
  *end++ = ',';
  *end++ = ' ';
  end = std::to_chars(end, text + sizeof text, p.y).ptr;
  std::string quoted = "(";
  quoted.append(text, end).push_back(')');
  return quoted;
}

// A natural cubic spline through (s_n, v_n), s strictly increasing.
class Spline {
 public:
  Spline(const std::vector<double>& s, const std::vector<double>& v) : s_(s), v_(v), m_(s.size(), 0.0) {
    const size_t n = s.size();
    if (n < 3) return;
    // Second derivatives m_1 .. m_(n-2) from the tridiagonal system (m_0 = m_(n-1) = 0).
    std::vector<double> diagonal(n, 0.0), right(n, 0.0);
    for (size_t i = 1; i + 1 < n; ++i) {
      const double h0 = s[i] - s[i - 1];
      const double h1 = s[i + 1] - s[i];
      diagonal[i] = 2 * (h0 + h1);
      right[i] = 6 * ((v[i + 1] - v[i]) / h1 - (v[i] - v[i - 1]) / h0);
    }
    for (size_t i = 2; i + 1 < n; ++i) {
      const double factor = (s[i] - s[i - 1]) / diagonal[i - 1];
      diagonal[i] -= factor * (s[i] - s[i - 1]);
      right[i] -= factor * right[i - 1];
    }
    for (size_t i = n - 2; i >= 1; --i) {
      const double upper = i + 2 < n ? (s[i + 1] - s[i]) * m_[i + 1] : 0.0;
      m_[i] = (right[i] - upper) / diagonal[i];
    }
  }

  double operator()(double t) const {
    const size_t n = s_.size();
    size_t i = static_cast<size_t>(std::upper_bound(s_.begin(), s_.end(), t) - s_.begin());
    i = std::clamp<size_t>(i, 1, n - 1) - 1;  // segment s_i .. s_(i+1)
    const double h = s_[i + 1] - s_[i];
    const double a = (s_[i + 1] - t) / h;
    const double b = (t - s_[i]) / h;
    return a * v_[i] + b * v_[i + 1] + ((a * a * a - a) * m_[i] + (b * b * b - b) * m_[i + 1]) * (h * h) / 6;
  }

 private:
  std::vector<double> s_, v_, m_;
};

}  // namespace

Section_contour Build_contour(const Airfoil_file& file) {
  std::vector<Point> loop;
  for (const Point& p : file.loop) {
    if (loop.empty() || !(p == loop.back())) loop.push_back(p);
  }
  if (loop.size() < 3) {
    throw Input_error(file.path + ": " + std::to_string(loop.size()) +
                      " distinct points; a section needs at least 3");
  }
  const auto [low, high] = std::minmax_element(loop.begin(), loop.end(),
                                               [](const Point& a, const Point& b) { return a.x < b.x; });
  const double extent = high->x - low->x;
  if (!(extent > 0)) throw Input_error(file.path + ": every point has the same x; no chord");

  // Ends that agree to a billionth of the chord are one closed trailing edge.
  const double close = 1e-9 * extent;
  bool closed = std::fabs(loop.front().x - loop.back().x) <= close &&
                std::fabs(loop.front().y - loop.back().y) <= close;
  if (closed) {
    loop.back() = loop.front();
    if (loop.size() < 4) throw Input_error(file.path + ": a closed contour of fewer than 3 distinct points");
  }

  const double area = Twice_signed_area(loop);
  if (area == 0) throw Input_error(file.path + ": the points enclose no area");
  if (area > 0) std::reverse(loop.begin(), loop.end());  // counter-clockwise: the +y side came first

  size_t le = 0;
  for (size_t n = 1; n < loop.size(); ++n) {
    if (loop[n].x < loop[le].x) le = n;
  }
  const double aft = low->x + 0.5 * extent;
  if (le == 0 || le + 1 == loop.size() || loop.front().x < aft || loop.back().x < aft) {
    throw Input_error(file.path + ": the points run from " + Point_text(loop.front()) + " to " +
                      Point_text(loop.back()) + ", not from the trailing edge around the leading edge " +
                      Point_text(loop[le]) + " back to the trailing edge");
  }

  Section_contour contour;
  if (closed) {
    contour.points = std::move(loop);
    contour.iref = static_cast<int>(le) + 1;
  } else {
    const Point middle{0.5 * (loop.front().x + loop.back().x), 0.5 * (loop.front().y + loop.back().y)};
    contour.points.reserve(loop.size() + 2);
    contour.points.push_back(middle);
    contour.points.insert(contour.points.end(), loop.begin(), loop.end());
    contour.points.push_back(middle);
    contour.iref = static_cast<int>(le) + 2;
    contour.closed_at_midpoint = true;
  }
  return contour;
}

Section_contour Resample_contour(const Section_contour& contour, int npoints) {
  const std::vector<Point>& p = contour.points;
  const size_t count = p.size();
  const bool capped = contour.closed_at_midpoint;
  // The smooth part runs from point `first` over the leading edge to point
  // `last` (0-based); a trailing edge closed at its midpoint adds the two
  // straight halves of its cap before and after it.
  const size_t first = capped ? 1 : 0;
  const size_t last = capped ? count - 2 : count - 1;
  const size_t le = static_cast<size_t>(contour.iref - 1);

  // Chord-length parameter along the whole contour.
  std::vector<double> s(count, 0.0);
  for (size_t n = 1; n < count; ++n) s[n] = s[n - 1] + std::hypot(p[n].x - p[n - 1].x, p[n].y - p[n - 1].y);
  const std::vector<double> knots(s.begin() + static_cast<long>(first), s.begin() + static_cast<long>(last) + 1);
  std::vector<double> xs, ys;
  for (size_t n = first; n <= last; ++n) {
    xs.push_back(p[n].x);
    ys.push_back(p[n].y);
  }
  const Spline x_of(knots, xs), y_of(knots, ys);
  auto on_contour = [&](double t) -> Point {
    auto straight = [&](size_t a, size_t b) {
      const double u = (t - s[a]) / (s[b] - s[a]);
      return Point{p[a].x + u * (p[b].x - p[a].x), p[a].y + u * (p[b].y - p[a].y)};
    };
    if (t <= s[first]) return capped ? straight(0, 1) : p[0];
    if (t >= s[last]) return capped ? straight(count - 2, count - 1) : p[count - 1];
    return {x_of(t), y_of(t)};
  };

  // Cosine clustering on each side: towards point 1 and the leading edge, and
  // towards the leading edge and the last point.
  const int side_a = (npoints - 1) / 2;
  const int side_b = npoints - 1 - side_a;
  std::vector<double> targets;
  auto cluster = [&](double from, double to, int intervals) {
    for (int k = 0; k < intervals; ++k) {
      targets.push_back(from + (to - from) * (0.5 * (1 - std::cos(std::numbers::pi * k / intervals))));
    }
  };
  cluster(s[0], s[le], side_a);
  cluster(s[le], s[count - 1], side_b);
  targets.push_back(s[count - 1]);

  Section_contour result;
  result.closed_at_midpoint = capped;
  result.iref = side_a + 1;
  for (double t : targets) result.points.push_back(on_contour(t));
  // Points of the contour itself where they fall: both ends, the leading edge
  // and the corners of a capped trailing edge (on the nearest inner point of
  // their side).
  result.points.front() = p.front();
  result.points.back() = p.back();
  result.points[static_cast<size_t>(side_a)] = p[le];
  if (capped) {
    auto nearest = [&](double t, size_t low, size_t high) {
      size_t best = low;
      for (size_t k = low; k <= high; ++k) {
        if (std::fabs(targets[k] - t) < std::fabs(targets[best] - t)) best = k;
      }
      return best;
    };
    const size_t a = static_cast<size_t>(side_a);
    result.points[nearest(s[1], 1, a - 1)] = p[1];
    result.points[nearest(s[count - 2], a + 1, targets.size() - 2)] = p[count - 2];
  }
  return result;
}

}  // namespace torvane::deck
