#include "inspect/run_files/plot_file.hpp"

#include <charconv>

#include "inspect/run_files/text_input.hpp"

namespace torvane::inspect {

namespace {

// The integer after "name=" in the zone record, refusing with its column when absent.
int Zone_size(const std::string& path, const Record& zone, const char* name) {
  const std::string key = std::string(", ") + name + "=";
  const std::size_t at = zone.text.find(key);
  if (at == std::string_view::npos) {
    Refuse(path, zone.number, 1, std::string("the zone record gives no ") + name + "= size");
  }
  std::size_t p = at + key.size();
  while (p < zone.text.size() && zone.text[p] == ' ') ++p;
  int value = 0;
  const char* begin = zone.text.data() + p;
  const char* end = zone.text.data() + zone.text.size();
  const auto result = std::from_chars(begin, end, value);
  if (result.ec != std::errc() || value < 1 || value > 100000) {
    Refuse(path, zone.number, static_cast<long>(p) + 1, std::string(name) + "= is not a point count from 1 up");
  }
  return value;
}

// A coordinate rounded to the 7 significant digits of the plot file's E15.7 fields.
double Rounded(double v) {
  char text[32];
  const auto r = std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, 6);
  double back = 0;
  std::from_chars(text, r.ptr, back);
  return back;
}

}  // namespace

Grid Read_plot_file(const std::string& path) {
  Text_file file(path);
  const Record title = file.Expect("the title record");
  if (title.text.rfind("TITLE", 0) != 0) Refuse(path, title.number, 1, "expected the TITLE record of a plot file");
  const Record variables = file.Expect("the variables record");
  if (variables.text != "VARIABLES = x, y, z") {
    Refuse(path, variables.number, 1, "expected VARIABLES = x, y, z");
  }
  const Record zone = file.Expect("the zone record");
  if (zone.text.rfind("ZONE", 0) != 0) Refuse(path, zone.number, 1, "expected the ZONE record");
  if (zone.text.find("F=POINT") == std::string_view::npos) {
    Refuse(path, zone.number, 1, "only the point form (F=POINT) is read");
  }
  Grid g;
  g.ie = Zone_size(path, zone, "I");
  g.je = Zone_size(path, zone, "J");
  g.ke = Zone_size(path, zone, "K");
  const std::size_t n = g.points();
  // Each point record holds at least three digits and two blanks: refuse a cut file before allocating.
  if (file.size() < n * 6) {
    Refuse(path, zone.number + 1, 0,
           "the file is too short for " + std::to_string(n) + " point records (the file is cut short)");
  }
  g.x.resize(n);
  g.y.resize(n);
  g.z.resize(n);
  for (std::size_t m = 0; m < n; ++m) {
    const Record point = file.Expect("point record " + std::to_string(m + 1) + " of " + std::to_string(n));
    Fields fields(path, point);
    g.x[m] = fields.Real("x");
    g.y[m] = fields.Real("y");
    g.z[m] = fields.Real("z");
    fields.Expect_end("the three coordinates of a point");
    if (!point.ended)
      Refuse(path, point.number, fields.end_column(), "the record has no line end (the file is cut short)");
  }
  file.Expect_end();
  return g;
}

Plot_agreement Compare_plot(const Grid& plot, const Grid& grid) {
  Plot_agreement a;
  for (int k = 1; k <= grid.ke; ++k) {
    for (int j = 1; j <= grid.je; ++j) {
      for (int i = 1; i <= grid.ie; ++i) {
        const std::size_t n = grid.Index(i, j, k);
        ++a.points;
        if (plot.x[n] == Rounded(grid.x[n]) && plot.y[n] == Rounded(grid.y[n]) && plot.z[n] == Rounded(grid.z[n])) {
          continue;
        }
        if (a.differing++ == 0) {
          a.at_i = i;
          a.at_j = j;
          a.at_k = k;
        }
      }
    }
  }
  return a;
}

}  // namespace torvane::inspect
