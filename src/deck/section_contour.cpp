#include "deck/section_contour.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string>

#include "deck/text_files.hpp"

namespace torvane::deck {

namespace {

// Twice the signed area enclosed by the closed polygon, in coordinates
// moved to (x0, y0) and divided by scale: positive counter-clockwise.
double Twice_signed_area(const std::vector<Point>& points, double x0, double y0, double scale) {
  double sum = 0;
  for (size_t n = 0; n < points.size(); ++n) {
    const Point& a = points[n];
    const Point& b = points[(n + 1) % points.size()];
    sum += ((a.x - x0) / scale) * ((b.y - y0) / scale) - ((b.x - x0) / scale) * ((a.y - y0) / scale);
  }
  return sum;
}

// How far the points may spread in y, in units of their spread in x.
constexpr double kMaxThickness = 10.0;

std::string Number_text(double value) {
  char text[32];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
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
  std::vector<Point> loop = file.loop;
  if (loop.size() < 3) {
    throw Input_error(Printable(file.path) + ": " + std::to_string(loop.size()) +
                      " points; a section needs at least 3");
  }
  double xmin = loop.front().x, xmax = loop.front().x, ymin = loop.front().y, ymax = loop.front().y;
  for (const Point& p : loop) {
    xmin = std::min(xmin, p.x);
    xmax = std::max(xmax, p.x);
    ymin = std::min(ymin, p.y);
    ymax = std::max(ymax, p.y);
  }
  const double extent = xmax - xmin;
  if (!(extent > 0)) throw Input_error(Printable(file.path) + ": every point has the same x; no chord");
  if (!std::isfinite(extent) || !(ymax - ymin <= kMaxThickness * extent)) {
    throw Input_error(Printable(file.path) + ": the points span " + Number_text(ymax - ymin) + " in y against " +
                      Number_text(extent) + " in x; not a blade section");
  }

  // Consecutive points that agree to a billionth of the chord are one point
  // (legs that short would vanish in the contour's parameter), and ends that
  // agree as closely are one closed trailing edge.
  const double close = 1e-9 * extent;
  auto same = [close](const Point& a, const Point& b) {
    return std::fabs(a.x - b.x) <= close && std::fabs(a.y - b.y) <= close;
  };
  loop.erase(std::unique(loop.begin(), loop.end(), same), loop.end());
  if (loop.size() > 1 && same(loop.front(), loop.back())) loop.back() = loop.front();
  const bool closed = loop.size() > 1 && loop.front() == loop.back();
  const size_t distinct = loop.size() - (closed ? 1 : 0);
  if (distinct < 3) {
    throw Input_error(Printable(file.path) + ": " + std::to_string(distinct) +
                      " distinct points; a section needs at least 3");
  }

  const double area = Twice_signed_area(loop, xmin, ymin, extent);
  if (area == 0) throw Input_error(Printable(file.path) + ": the points enclose no area");
  if (area > 0) std::reverse(loop.begin(), loop.end());  // counter-clockwise: the +y side came first

  size_t le = 0;
  for (size_t n = 1; n < loop.size(); ++n) {
    if (loop[n].x < loop[le].x) le = n;
  }
  const double aft = xmin + 0.5 * extent;
  if (le == 0 || le + 1 == loop.size() || loop.front().x < aft || loop.back().x < aft) {
    throw Input_error(Printable(file.path) + ": the points run from " + Point_text(loop.front()) + " to " +
                      Point_text(loop.back()) + ", not from the trailing edge around the leading edge " +
                      Point_text(loop[le]) + " back to the trailing edge");
  }

  Section_contour contour;
  if (closed) {
    contour.points = std::move(loop);
    contour.iref = static_cast<int>(le) + 1;
    return contour;
  }
  const Point middle{0.5 * (loop.front().x + loop.back().x), 0.5 * (loop.front().y + loop.back().y)};
  contour.closed_at_midpoint = true;
  auto distance = [](const Point& a, const Point& b) { return std::hypot(a.x - b.x, a.y - b.y); };
  const double gap = distance(loop.front(), loop.back());
  const double next = std::min(distance(loop[0], loop[1]), distance(loop[loop.size() - 1], loop[loop.size() - 2]));
  if (gap < 0.5 * next && loop.size() >= 4) {
    // A gap short against the legs beside it: the midpoint takes the place of
    // both ends (when 3 other points remain), since a cap that short would
    // make the contour curve loop.
    loop.front() = middle;
    loop.back() = middle;
    contour.points = std::move(loop);
    contour.iref = static_cast<int>(le) + 1;
    return contour;
  }
  contour.points.reserve(loop.size() + 2);
  contour.points.push_back(middle);
  contour.points.insert(contour.points.end(), loop.begin(), loop.end());
  contour.points.push_back(middle);
  contour.iref = static_cast<int>(le) + 2;
  contour.corner_first = 2;
  contour.corner_last = static_cast<int>(contour.points.size()) - 1;
  return contour;
}

Section_contour Resample_contour(const Section_contour& contour, int npoints) {
  const std::vector<Point>& p = contour.points;
  const size_t count = p.size();
  const bool capped = contour.corner_first > 0;
  // The smooth part runs from point `first` over the leading edge to point
  // `last` (0-based); the corners of a capped trailing edge add the two
  // straight halves of its cap before and after it.
  const size_t first = capped ? static_cast<size_t>(contour.corner_first - 1) : 0;
  const size_t last = capped ? static_cast<size_t>(contour.corner_last - 1) : count - 1;
  const size_t le = static_cast<size_t>(contour.iref - 1);

  // Chord-length parameter along the whole contour, in units of the chord.
  double xmin = p.front().x, xmax = p.front().x;
  for (const Point& q : p) {
    xmin = std::min(xmin, q.x);
    xmax = std::max(xmax, q.x);
  }
  const double scale = xmax - xmin;
  std::vector<double> s(count, 0.0);
  for (size_t n = 1; n < count; ++n) {
    s[n] = s[n - 1] + std::hypot((p[n].x - p[n - 1].x) / scale, (p[n].y - p[n - 1].y) / scale);
  }
  const std::vector<double> knots(s.begin() + static_cast<long>(first), s.begin() + static_cast<long>(last) + 1);
  std::vector<double> xs, ys;
  for (size_t n = first; n <= last; ++n) {
    xs.push_back(p[n].x);
    ys.push_back(p[n].y);
  }
  const Spline x_of(knots, xs), y_of(knots, ys);
  auto straight = [&](size_t a, size_t b, double t) {
    const double u = (t - s[a]) / (s[b] - s[a]);
    return Point{p[a].x + u * (p[b].x - p[a].x), p[a].y + u * (p[b].y - p[a].y)};
  };
  auto on_contour = [&](double t) -> Point {
    if (t <= s[first]) return first > 0 ? straight(0, first, t) : p[0];
    if (t >= s[last]) return last + 1 < count ? straight(last, count - 1, t) : p[count - 1];
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
  result.closed_at_midpoint = contour.closed_at_midpoint;
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
    const size_t corner_first = nearest(s[first], 1, a - 1);
    const size_t corner_last = nearest(s[last], a + 1, targets.size() - 2);
    result.points[corner_first] = p[first];
    result.points[corner_last] = p[last];
    result.corner_first = static_cast<int>(corner_first) + 1;
    result.corner_last = static_cast<int>(corner_last) + 1;
  }
  return result;
}

}  // namespace torvane::deck
