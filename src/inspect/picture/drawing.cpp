#include "inspect/picture/drawing.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace torvane::inspect {

namespace {

// The page around the plot, in pixels.
constexpr double kTitleBand = 34;  // above the frame, for the title
constexpr double kLeftBand = 84;   // left of the frame: tick labels and the y label
constexpr double kRightMargin = 24;
constexpr double kAxisBand = 50;  // below the frame: tick labels and the x label
constexpr double kPad = 8;        // inside the frame around the lines
constexpr double kLegendRow = 22;
constexpr int kLegendColumns = 3;
constexpr double kMaxPlotHeight = 1300;
constexpr double kTickSpacing = 110;  // about one tick per this many pixels

// Angle of p from the reference direction, theta measured from z towards y, in (-pi, pi].
double Angle_from(const Vec3& ref, const Vec3& p) {
  return std::atan2(ref.z * p.y - ref.y * p.z, ref.y * p.y + ref.z * p.z);
}

// The largest of 1, 2 or 5 times a power of ten that is at most v.
double Round_down_nicely(double v) {
  if (!(v > 0) || !std::isfinite(v)) return 0;  // a line of no extent has no scale
  const double decade = std::pow(10.0, std::floor(std::log10(v)));
  for (double m : {5.0, 2.0, 1.0}) {
    if (m * decade <= v * (1 + 1e-12)) return m * decade;
  }
  return decade;
}

// A tick value written with as many decimals as the step needs; never "-0".
std::string Tick_text(double value, double step) {
  const int decimals = step > 0 ? static_cast<int>(std::clamp(-std::floor(std::log10(step) + 1e-9), 0.0, 17.0)) : 0;
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string out = text;
  if (out.front() == '-' && out.find_first_not_of("-0.") == std::string::npos) out.erase(0, 1);
  return out;
}

// Ticks over [lo, hi] of the model, placed on the page by `place`.
template <class Place>
std::vector<Axis_tick> Ticks(double lo, double hi, double pixels, Place place) {
  const double count = std::max(2.0, std::floor(pixels / kTickSpacing));
  const double step = Round_down_nicely((hi - lo) / count);
  std::vector<Axis_tick> ticks;
  if (step == 0) return ticks;
  for (double n = std::ceil(lo / step - 1e-9); n * step <= hi + step * 1e-9; n += 1) {
    ticks.push_back({place(n * step), Tick_text(n * step, step)});
  }
  return ticks;
}

// The lines, cells and legend of a picture in model coordinates, before the page.
struct Model {
  std::vector<Polyline> lines;
  std::vector<Cell_patch> cells;
  long counts[4] = {0, 0, 0, 0};      // cells of the drawn layer per Cell_band
  std::vector<Line_kind> boundaries;  // in the order of Line_kind
  std::string layer;                  // the drawn layer of cells, "k = 1"
};

void Add_line(Model& m, Line_kind kind, std::vector<Point2> points) {
  if (points.size() < 2) return;
  if (kind != Line_kind::i_line && kind != Line_kind::j_line && kind != Line_kind::k_line &&
      std::find(m.boundaries.begin(), m.boundaries.end(), kind) == m.boundaries.end()) {
    m.boundaries.insert(std::upper_bound(m.boundaries.begin(), m.boundaries.end(), kind), kind);
  }
  m.lines.push_back({kind, std::move(points)});
}

std::string Legend_text(Line_kind kind) {
  switch (kind) {
    case Line_kind::blade_wall_j1:
      return "blade wall j = 1";
    case Line_kind::blade_wall_je:
      return "blade wall j = je";
    case Line_kind::periodic:
      return "periodic lines j = 1, j = je";
    case Line_kind::hub:
      return "hub k = 1";
    case Line_kind::casing:
      return "casing k = ke";
    default:
      return "grid lines";
  }
}

// Scales the model uniformly into the frame, turns y downwards, and places the
// ticks, the scale bar and the legend.
Drawing Lay_out(Model& m, const std::string& title, const std::string& x_label, const std::string& y_label) {
  double lo_x = std::numeric_limits<double>::infinity(), lo_y = lo_x;
  double hi_x = -lo_x, hi_y = -lo_x;
  for (const Polyline& line : m.lines) {
    for (const Point2& p : line.points) {
      lo_x = std::min(lo_x, p.x);
      hi_x = std::max(hi_x, p.x);
      lo_y = std::min(lo_y, p.y);
      hi_y = std::max(hi_y, p.y);
    }
  }
  if (!(lo_x <= hi_x)) lo_x = hi_x = lo_y = hi_y = 0;
  const double span_x = std::max(hi_x - lo_x, 1e-300), span_y = std::max(hi_y - lo_y, 1e-300);
  const double inner = kPageWidth - kLeftBand - kRightMargin - 2 * kPad;
  const double scale = std::min(inner / span_x, (kMaxPlotHeight - 2 * kPad) / span_y);
  Drawing d;
  d.title = title;
  d.x_label = x_label;
  d.y_label = y_label;
  d.width = kPageWidth;
  d.left = kLeftBand;
  d.right = kPageWidth - kRightMargin;
  d.top = kTitleBand;
  d.bottom = d.top + std::ceil(span_y * scale + 2 * kPad);
  const double x0 = d.left + kPad + (inner - span_x * scale) / 2;
  auto page_x = [&](double x) { return x0 + (x - lo_x) * scale; };
  auto page_y = [&](double y) { return d.top + kPad + (hi_y - y) * scale; };
  auto place = [&](Point2& p) { p = {page_x(p.x), page_y(p.y)}; };
  for (Polyline& line : m.lines) std::for_each(line.points.begin(), line.points.end(), place);
  for (Cell_patch& cell : m.cells) std::for_each(cell.corners.begin(), cell.corners.end(), place);
  d.lines = std::move(m.lines);
  d.cells = std::move(m.cells);
  d.x_ticks = Ticks(lo_x, hi_x, span_x * scale, page_x);
  d.y_ticks = Ticks(lo_y, hi_y, span_y * scale, page_y);

  // Under the x label: the scale bar, then the legend in rows of kLegendColumns.
  double row = d.bottom + kAxisBand + kLegendRow;
  // About a quarter of the larger extent, and never longer than half the frame.
  const double bar = Round_down_nicely(std::min(std::max(span_x, span_y) / 4, (d.right - d.left) / scale / 2));
  d.scale_from = {d.left, row};
  d.scale_to = {d.left + bar * scale, row};
  d.scale_label = Tick_text(bar, bar) + " (deck length unit)";
  std::vector<Legend_entry> entries = {{false, Line_kind::i_line, Cell_band::good, Legend_text(Line_kind::i_line), {}}};
  for (Line_kind kind : m.boundaries) entries.push_back({false, kind, Cell_band::good, Legend_text(kind), {}});
  if (!d.cells.empty()) {
    for (Cell_band band : {Cell_band::good, Cell_band::fair, Cell_band::bad, Cell_band::folded}) {
      const long n = m.counts[static_cast<int>(band)];
      entries.push_back({true,
                         Line_kind::i_line,
                         band,
                         std::string(Name_of(band)) + " cells (" + m.layer + "): " + std::to_string(n),
                         {}});
    }
  }
  const double column = (d.right - d.left) / kLegendColumns;
  // The cell bands start a row of their own.
  int at_column = kLegendColumns;
  for (std::size_t n = 0; n < entries.size(); ++n) {
    if (at_column == kLegendColumns || (entries[n].is_cell && !entries[n - 1].is_cell)) {
      row += kLegendRow;
      at_column = 0;
    }
    entries[n].at = {d.left + at_column++ * column, row};
  }
  d.legend = std::move(entries);
  d.height = std::ceil(row + kLegendRow / 2);
  return d;
}

}  // namespace

Cell_band Band_of(const Cell_field& cells, std::size_t n) {
  if (!(cells.scaled_jacobian[n] > 0)) return Cell_band::folded;
  return static_cast<Cell_band>(cells.Worst(n));
}

const char* Name_of(Line_kind kind) {
  static constexpr const char* kNames[] = {"i-line",  "j-line",   "k-line", "wall-j1",
                                           "wall-je", "periodic", "hub",    "casing"};
  return kNames[static_cast<int>(kind)];
}

const char* Name_of(Cell_band band) {
  static constexpr const char* kNames[] = {"good", "fair", "bad", "folded"};
  return kNames[static_cast<int>(band)];
}

Drawing Blade_to_blade(const Grid& g, const Block_faces& faces, int k, const std::string& title,
                       const Cell_field* cells) {
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
  auto along_i = [&](int j, int copy, int from, int to) {
    std::vector<Point2> points;
    for (int i = from; i <= to; ++i) points.push_back(at(i, j, copy));
    return points;
  };
  Model m;
  // The cells of the layer next to the surface: k = 1 at the hub, ke - 1 at the casing.
  const int layer = std::clamp(k, 1, g.ke - 1);
  m.layer = "k = " + std::to_string(layer);
  for (int copy = 0; copy < 2; ++copy) {
    for (int j = 1; cells != nullptr && j < g.je; ++j) {
      for (int i = 1; i < g.ie; ++i) {
        const Cell_band band = Band_of(*cells, cells->Index(i, j, layer));
        if (copy == 0) ++m.counts[static_cast<int>(band)];
        m.cells.push_back({band, {at(i, j, copy), at(i + 1, j, copy), at(i + 1, j + 1, copy), at(i, j + 1, copy)}});
      }
    }
    for (int i = 1; i <= g.ie; ++i) {
      Polyline line{Line_kind::i_line, {}};
      for (int j = 1; j <= g.je; ++j) line.points.push_back(at(i, j, copy));
      m.lines.push_back(std::move(line));
    }
    for (int j = 1; j <= g.je; ++j) m.lines.push_back({Line_kind::j_line, along_i(j, copy, 1, g.ie)});
    for (int j : {1, g.je}) {
      if (faces.ile == 0) {
        Add_line(m, Line_kind::periodic, along_i(j, copy, 1, g.ie));
        continue;
      }
      Add_line(m, Line_kind::periodic, along_i(j, copy, 1, faces.ile));
      Add_line(m, Line_kind::periodic, along_i(j, copy, faces.ite, g.ie));
    }
    if (faces.ile == 0) continue;
    Add_line(m, Line_kind::blade_wall_j1, along_i(1, copy, faces.ile, faces.ite));
    Add_line(m, Line_kind::blade_wall_je, along_i(g.je, copy, faces.ile, faces.ite));
  }
  return Lay_out(m, title, "x, axial", "r·θ, θ from point i = 1, j = 1");
}

Drawing Cross_section(const Grid& g, const Block_faces& faces, int i, const std::string& title, const Cell_field* cells,
                      int k_first) {
  k_first = std::clamp(k_first, 1, g.ke - 1);
  auto at = [&](int j, int k) {
    const Vec3 p = g.Point(i, j, k);
    return Point2{p.y, p.z};
  };
  Model m;
  // The cells downstream of the station, upstream of the last one.
  const int layer = std::clamp(i, 1, g.ie - 1);
  m.layer = "i = " + std::to_string(layer);
  for (int k = k_first; cells != nullptr && k < g.ke; ++k) {
    for (int j = 1; j < g.je; ++j) {
      const Cell_band band = Band_of(*cells, cells->Index(layer, j, k));
      ++m.counts[static_cast<int>(band)];
      m.cells.push_back({band, {at(j, k), at(j + 1, k), at(j + 1, k + 1), at(j, k + 1)}});
    }
  }
  auto along_k = [&](int j, int from, int to) {
    std::vector<Point2> points;
    for (int k = from; k <= to; ++k) points.push_back(at(j, k));
    return points;
  };
  auto along_j = [&](int k) {
    std::vector<Point2> points;
    for (int j = 1; j <= g.je; ++j) points.push_back(at(j, k));
    return points;
  };
  for (int j = 1; j <= g.je; ++j) m.lines.push_back({Line_kind::j_line, along_k(j, k_first, g.ke)});
  for (int k = k_first; k <= g.ke; ++k) m.lines.push_back({Line_kind::k_line, along_j(k)});
  const bool at_blade = faces.ile > 0 && i >= faces.ile && i <= faces.ite;
  // Over a blade with a tip gap the walls end at the tip and the gap's faces above are periodic.
  const int tip = at_blade && faces.tip_k > 0 ? std::min(faces.tip_k, g.ke) : g.ke;
  Add_line(m, at_blade ? Line_kind::blade_wall_j1 : Line_kind::periodic, along_k(1, k_first, tip));
  Add_line(m, at_blade ? Line_kind::blade_wall_je : Line_kind::periodic, along_k(g.je, k_first, tip));
  if (tip < g.ke) {
    Add_line(m, Line_kind::periodic, along_k(1, tip, g.ke));
    Add_line(m, Line_kind::periodic, along_k(g.je, tip, g.ke));
  }
  if (k_first == 1) Add_line(m, Line_kind::hub, along_j(1));
  Add_line(m, Line_kind::casing, along_j(g.ke));
  return Lay_out(m, title, "y = r sin θ", "z = r cos θ");
}

}  // namespace torvane::inspect
