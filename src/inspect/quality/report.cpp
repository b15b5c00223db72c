#include "inspect/quality/report.hpp"

#include <cmath>
#include <cstdio>

#include "inspect/quality/quality_bands.hpp"

namespace torvane::inspect {

namespace {

constexpr double kDegrees = 57.295779513082320876798;  // 180 / pi

std::string Number(double v, const char* format = "%.6g") {
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  char text[64];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

std::string Padded(const std::string& text, int width) {
  return text.size() >= static_cast<std::size_t>(width) ? text : std::string(width - text.size(), ' ') + text;
}

void Measure_line(std::string& out, const char* name, const Measure_summary& s, long cells) {
  char label[32];
  std::snprintf(label, sizeof label, "  %-20s", name);
  out += label;
  out += Padded(Number(s.min), 13) + Padded(Number(s.max), 13);
  for (int band = 2; band >= 0; --band) out += Padded(std::to_string(s.bands[band]), 10);
  const double share = cells > 0 ? 100.0 * static_cast<double>(s.bands[2]) / static_cast<double>(cells) : 0;
  out += Padded(Number(share, "%.2f") + "%", 11) + "\n";
}

void Height_line(std::string& out, const char* name, const Spread& s) {
  char label[32];
  std::snprintf(label, sizeof label, "  %-20s", name);
  out += label;
  if (s.count == 0) {
    out += "  (no wall points)\n";
    return;
  }
  out += Padded(Number(s.min), 13) + Padded(Number(s.median), 13) + Padded(Number(s.max), 13) +
         Padded(std::to_string(s.count), 10) + "\n";
}

// JSON helpers: infinite values, which JSON cannot hold, are written as null.
std::string Json_number(double v) {
  if (!std::isfinite(v)) return "null";
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

std::string Json_string(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
      out += esc;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Json_measure(const Measure_summary& s, const std::string& limits) {
  return "{\"min\": " + Json_number(s.min) + ", \"max\": " + Json_number(s.max) +
         ", \"bad\": " + std::to_string(s.bands[2]) + ", \"fair\": " + std::to_string(s.bands[1]) +
         ", \"good\": " + std::to_string(s.bands[0]) + ", \"limits\": {" + limits + "}}";
}

std::string Json_spread(const Spread& s) {
  return "{\"points\": " + std::to_string(s.count) + ", \"min\": " + Json_number(s.min) +
         ", \"median\": " + Json_number(s.median) + ", \"max\": " + Json_number(s.max) + "}";
}

}  // namespace

int Report::Exit_status() const {
  return quality.folded > 0 || !Periodic_ok() || sense.covering > 0 || plot.differing > 0 ? 1 : 0;
}

Report Make_report(const std::string& stem, const Grid& grid, const Block_faces& faces, const Cell_survey& survey) {
  Report r;
  r.stem = stem;
  r.ie = grid.ie;
  r.je = grid.je;
  r.ke = grid.ke;
  r.ile = faces.ile;
  r.ite = faces.ite;
  r.pitch_angle = faces.pitch_angle;
  r.quality = survey.quality;
  r.folded = survey.folded;
  for (int m = 0; m < kMeasures; ++m) r.bad[m] = survey.bad[m];
  r.heights = First_cell_heights(grid, faces);
  r.periodic = Check_periodic(grid, faces);
  r.sense = Check_blade_sense(grid, faces);
  r.tip_gap = Survey_tip_gap(grid, faces);
  return r;
}

Report Make_report(const std::string& stem, const Grid& grid, const Block_faces& faces, const Cell_field& cells) {
  return Make_report(stem, grid, faces, Survey_of(cells));
}

std::string Report_text(const Report& r) {
  std::string out = "Grid quality of " + r.stem + "\n";
  const long points = static_cast<long>(r.ie) * r.je * r.ke;
  out += "  points               " + std::to_string(r.ie) + " x " + std::to_string(r.je) + " x " +
         std::to_string(r.ke) + " = " + std::to_string(points) + "\n";
  out += "  cells                " + std::to_string(r.ie - 1) + " x " + std::to_string(r.je - 1) + " x " +
         std::to_string(r.ke - 1) + " = " + std::to_string(r.quality.cells) + "\n";
  if (r.ile > 0) {
    out += "  blade walls          i = " + std::to_string(r.ile) + " (leading edge) to " + std::to_string(r.ite) +
           " (trailing edge)\n";
  }
  const Tip_gap_survey& gap = r.tip_gap;
  if (gap.tip_k > 0) {
    out += "  blade-wall span      k = 1 (hub) to " + std::to_string(gap.tip_k) +
           " (the tip, walls closed on the camber); tip gap k = " + std::to_string(gap.tip_k) + " to " +
           std::to_string(r.ke) + " (casing)\n";
    out += "  blade tip radius     " + Number(gap.min_tip_radius) + " to " + Number(gap.max_tip_radius) + "\n";
    out += "  tip gap              " + Number(gap.min_gap) + " (i = " + std::to_string(gap.min_gap_i) + ") to " +
           Number(gap.max_gap) + " (i = " + std::to_string(gap.max_gap_i) + "), mean " + Number(gap.mean_gap) +
           ", under the casing at the tip's axial position\n";
    out += "  gap per station     ";
    for (std::size_t n = 0; n < gap.gap.size(); ++n) {
      if (n > 0 && n % 8 == 0) out += "\n                     ";
      out += " " + std::to_string(r.ile + static_cast<int>(n)) + ":" + Number(gap.gap[n], "%.5g");
    }
    out += "\n";
  }
  out += "  pitch angle          " + Number(r.pitch_angle * kDegrees) + " deg\n\n";

  out += "  cell measure                   min          max       bad      fair      good  bad share\n";
  Measure_line(out, "scaled Jacobian", r.quality.jacobian, r.quality.cells);
  Measure_line(out, "face angle (deg)", r.quality.angle, r.quality.cells);
  Measure_line(out, "aspect ratio", r.quality.aspect, r.quality.cells);
  Measure_line(out, "volume ratio", r.quality.volume_ratio, r.quality.cells);
  out += "  folded cells (scaled Jacobian <= 0): " + std::to_string(r.quality.folded) + "\n";
  for (const Cell_at& c : r.folded) {
    out += "    cell i = " + std::to_string(c.i) + ", j = " + std::to_string(c.j) + ", k = " + std::to_string(c.k) +
           ": scaled Jacobian " + Number(c.scaled_jacobian) + "\n";
  }
  out += "  bands: scaled Jacobian bad < " + Number(kJacobianBad) + ", fair < " + Number(kJacobianFair) +
         "; face angle bad < " + Number(kAngleBadLow) + " or > " + Number(kAngleBadHigh) + ", fair < " +
         Number(kAngleFairLow) + " or > " + Number(kAngleFairHigh) + ";\n         aspect ratio fair > " +
         Number(kAspectFair) + ", bad > " + Number(kAspectBad) + "; volume ratio fair > " + Number(kVolumeRatioFair) +
         ", bad > " + Number(kVolumeRatioBad) + "\n\n";

  out += "  first-cell height              min       median          max    points\n";
  Height_line(out, "blade wall j = 1", r.heights.blade_j1);
  Height_line(out, "blade wall j = je", r.heights.blade_je);
  Height_line(out, "hub k = 1", r.heights.hub);
  Height_line(out, "casing k = ke", r.heights.casing);
  out += "\n";

  const Periodic_match& p = r.periodic;
  out += "  periodic boundaries  " + std::to_string(p.points) + " points; largest mismatch " +
         Number(p.max_mismatch, "%.3g") + " = " + Number(p.max_relative, "%.3g") + " of the pitch";
  if (p.points > 0) {
    out +=
        " (i = " + std::to_string(p.at_i) + ", j = " + std::to_string(p.at_j) + ", k = " + std::to_string(p.at_k) + ")";
  }
  out += "\n";
  const Blade_sense& b = r.sense;
  if (b.stations == 0) {
    out += "  blade-wall sense     not checked (no blade wall or no pitch angle)\n";
  } else {
    out += "  blade-wall sense     " + std::to_string(b.stations - b.covering) + " of " + std::to_string(b.stations) +
           " wall stations have the blade between the walls; blade thickness " + Number(b.min_thickness) +
           " (i = " + std::to_string(b.at_i) + ", k = " + std::to_string(b.at_k) + ") to " + Number(b.max_thickness) +
           "\n";
  }
  if (r.plot_checked) {
    const Plot_agreement& a = r.plot;
    if (a.differing == 0) {
      out += "  plot file            " + std::to_string(a.points) +
             " points agree with the grid file to 7 significant digits\n";
    } else {
      out +=
          "  plot file            " + std::to_string(a.differing) + " of " + std::to_string(a.points) +
          " points differ from the grid file rounded to 7 significant digits (first at i = " + std::to_string(a.at_i) +
          ", j = " + std::to_string(a.at_j) + ", k = " + std::to_string(a.at_k) + ")\n";
    }
  }
  out += "\n";
  out += "  result               " + Verdict(r) + "\n";
  return out;
}

namespace {

constexpr const char* kMeasureNames[kMeasures] = {"scaled Jacobian", "face angle", "aspect ratio", "volume ratio"};

}  // namespace

std::string Bad_place(const Report& r, const Bad_cells& b) {
  // Cell i lies between points i and i + 1.
  std::string place;
  if (b.i + 1 < r.ile) {
    place = "upstream of the leading edge";
  } else if (b.i + 1 == r.ile || b.i == r.ile) {
    place = "at the leading edge";
  } else if (b.i + 1 < r.ite) {
    place = "in the blade passage";
  } else if (b.i + 1 == r.ite || b.i == r.ite) {
    place = "at the trailing edge";
  } else {
    place = "downstream of the trailing edge";
  }
  const bool by_blade = r.ile <= b.i && b.i < r.ite;
  const char* side = by_blade ? " by wall j = " : " by the periodic boundary j = ";
  if (b.j == 1) {
    place += std::string(side) + "1";
  } else if (b.j == r.je - 1) {
    place += std::string(side) + "je";
  } else {
    place += ", j " + std::to_string(b.j);
  }
  place += ", k " + std::to_string(b.k_first);
  if (b.k_last != b.k_first) place += "-" + std::to_string(b.k_last);
  if (b.k_first == 1 && b.k_last == r.ke - 1) {
    place += " (hub to casing)";
  } else if (b.k_first == 1) {
    place += " (at the hub)";
  } else if (b.k_last == r.ke - 1) {
    place += " (at the casing)";
  }
  return place;
}

std::string Verdict(const Report& r) {
  std::string verdict;
  if (r.quality.folded > 0) verdict += std::to_string(r.quality.folded) + " folded cells; ";
  if (!r.Periodic_ok()) verdict += "periodic mismatch above " + Number(kPeriodicTolerance) + " of the pitch; ";
  if (r.sense.covering > 0) {
    verdict += "the passage covers a blade at " + std::to_string(r.sense.covering) + " stations; ";
  }
  if (r.plot.differing > 0)
    verdict += "the plot file differs from the grid file at " + std::to_string(r.plot.differing) + " points; ";
  const bool fails = !verdict.empty();
  bool first_bad = true;
  for (int m = 0; m < kMeasures; ++m) {
    const Bad_cells& b = r.bad[m];
    if (b.count == 0) continue;
    verdict += std::to_string(b.count) + (first_bad ? " bad cells by " : " by ") + kMeasureNames[m] + ", " +
               (b.count > 1 ? "the worst " : "") + Bad_place(r, b) + "; ";
    first_bad = false;
  }
  if (!fails) {
    verdict += "no folded cell, periodic boundaries match to " + Number(kPeriodicTolerance) + " of the pitch";
  } else {
    verdict.resize(verdict.size() - 2);
  }
  return verdict;
}

std::string Report_json(const Report& r) {
  const Quality_summary& q = r.quality;
  std::string o = "{\n";
  o += "  \"stem\": " + Json_string(r.stem) + ",\n";
  o += "  \"points\": {\"ie\": " + std::to_string(r.ie) + ", \"je\": " + std::to_string(r.je) +
       ", \"ke\": " + std::to_string(r.ke) + ", \"count\": " + std::to_string(static_cast<long>(r.ie) * r.je * r.ke) +
       "},\n";
  o += "  \"cells\": " + std::to_string(q.cells) + ",\n";
  o += "  \"leading_edge_i\": " + std::to_string(r.ile) + ",\n  \"trailing_edge_i\": " + std::to_string(r.ite) + ",\n";
  o += "  \"pitch_angle_rad\": " + Json_number(r.pitch_angle) + ",\n";
  o += "  \"scaled_jacobian\": " +
       Json_measure(q.jacobian,
                    "\"bad_below\": " + Json_number(kJacobianBad) + ", \"fair_below\": " + Json_number(kJacobianFair)) +
       ",\n";
  o += "  \"folded_cells\": " + std::to_string(q.folded) + ",\n  \"folded_listed\": [";
  for (std::size_t n = 0; n < r.folded.size(); ++n) {
    const Cell_at& c = r.folded[n];
    o += std::string(n ? ", " : "") + "{\"i\": " + std::to_string(c.i) + ", \"j\": " + std::to_string(c.j) +
         ", \"k\": " + std::to_string(c.k) + ", \"scaled_jacobian\": " + Json_number(c.scaled_jacobian) + "}";
  }
  o += "],\n";
  o += "  \"face_angle_deg\": " +
       Json_measure(q.angle, "\"bad_below\": " + Json_number(kAngleBadLow) + ", \"bad_above\": " +
                                 Json_number(kAngleBadHigh) + ", \"fair_below\": " + Json_number(kAngleFairLow) +
                                 ", \"fair_above\": " + Json_number(kAngleFairHigh)) +
       ",\n";
  o += "  \"aspect_ratio\": " +
       Json_measure(q.aspect,
                    "\"fair_above\": " + Json_number(kAspectFair) + ", \"bad_above\": " + Json_number(kAspectBad)) +
       ",\n";
  o += "  \"volume_ratio\": " +
       Json_measure(q.volume_ratio, "\"fair_above\": " + Json_number(kVolumeRatioFair) +
                                        ", \"bad_above\": " + Json_number(kVolumeRatioBad)) +
       ",\n";
  o += "  \"first_cell_height\": {\"blade_wall_j1\": " + Json_spread(r.heights.blade_j1) +
       ",\n    \"blade_wall_je\": " + Json_spread(r.heights.blade_je) +
       ",\n    \"hub\": " + Json_spread(r.heights.hub) + ",\n    \"casing\": " + Json_spread(r.heights.casing) + "},\n";
  const Periodic_match& p = r.periodic;
  o += "  \"periodic\": {\"points\": " + std::to_string(p.points) +
       ", \"max_mismatch\": " + Json_number(p.max_mismatch) +
       ", \"max_mismatch_over_pitch\": " + Json_number(p.max_relative) + ", \"at\": {\"i\": " + std::to_string(p.at_i) +
       ", \"j\": " + std::to_string(p.at_j) + ", \"k\": " + std::to_string(p.at_k) +
       "}, \"ok\": " + (r.Periodic_ok() ? "true" : "false") + "},\n";
  const Blade_sense& b = r.sense;
  o += "  \"blade_wall_sense\": {\"stations\": " + std::to_string(b.stations) +
       ", \"covering\": " + std::to_string(b.covering) + ", \"min_thickness\": " + Json_number(b.min_thickness) +
       ", \"max_thickness\": " + Json_number(b.max_thickness) + ", \"thinnest_at\": {\"i\": " + std::to_string(b.at_i) +
       ", \"k\": " + std::to_string(b.at_k) + "}},\n";
  if (r.tip_gap.tip_k > 0) {
    const Tip_gap_survey& t = r.tip_gap;
    o += "  \"tip_gap\": {\"tip_k\": " + std::to_string(t.tip_k) + ", \"wall_k\": [1, " + std::to_string(t.tip_k) +
         "], \"min_tip_radius\": " + Json_number(t.min_tip_radius) +
         ", \"max_tip_radius\": " + Json_number(t.max_tip_radius) + ", \"min_gap\": " + Json_number(t.min_gap) +
         ", \"max_gap\": " + Json_number(t.max_gap) + ", \"mean_gap\": " + Json_number(t.mean_gap) +
         ",\n    \"stations\": [";
    for (std::size_t n = 0; n < t.gap.size(); ++n) {
      o += std::string(n ? ", " : "") + "{\"i\": " + std::to_string(r.ile + static_cast<int>(n)) +
           ", \"tip_radius\": " + Json_number(t.tip_radius[n]) + ", \"gap\": " + Json_number(t.gap[n]) + "}";
    }
    o += "]},\n";
  }
  if (r.plot_checked) {
    o += "  \"plot_file\": {\"points\": " + std::to_string(r.plot.points) +
         ", \"differing\": " + std::to_string(r.plot.differing) + "},\n";
  }
  o += "  \"bad_cells\": [";
  bool first = true;
  for (int m = 0; m < kMeasures; ++m) {
    const Bad_cells& b = r.bad[m];
    if (b.count == 0) continue;
    o += std::string(first ? "" : ", ") + "{\"measure\": \"" + kMeasureKeys[m] +
         "\", \"count\": " + std::to_string(b.count) + ", \"worst\": {\"i\": " + std::to_string(b.i) +
         ", \"j\": " + std::to_string(b.j) + ", \"k\": " + std::to_string(b.k) +
         "}, \"k_first\": " + std::to_string(b.k_first) + ", \"k_last\": " + std::to_string(b.k_last) +
         ", \"place\": " + Json_string(Bad_place(r, b)) + "}";
    first = false;
  }
  o += "],\n";
  o += "  \"result\": " + Json_string(Verdict(r)) + ",\n";
  o += "  \"exit_status\": " + std::to_string(r.Exit_status()) + "\n}\n";
  return o;
}

std::string Bad_cells_csv(const Cell_field& f) {
  std::string out = "i,j,k,scaled_jacobian,min_face_angle,max_face_angle,aspect_ratio,volume_ratio\n";
  for (int k = 1; k <= f.nk; ++k) {
    for (int j = 1; j <= f.nj; ++j) {
      for (int i = 1; i <= f.ni; ++i) {
        const std::size_t n = f.Index(i, j, k);
        if (f.Worst(n) != Band::bad) continue;
        out += std::to_string(i) + "," + std::to_string(j) + "," + std::to_string(k);
        for (double v : {f.scaled_jacobian[n], f.min_angle[n], f.max_angle[n], f.aspect_ratio[n], f.volume_ratio[n]}) {
          out += ',';
          out += Number(v, "%.9g");
        }
        out += "\n";
      }
    }
  }
  return out;
}

}  // namespace torvane::inspect
