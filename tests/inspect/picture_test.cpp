// Pictures parsed back: every grid line and boundary of its kind, the axes,
// scale bar and legend, and with cell bands the counts of each band against
// the report's own lists; the SVG rendered by a real renderer.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "inspect/picture/drawing.hpp"
#include "inspect/picture/picture_files.hpp"
#include "inspect/quality/report.hpp"
#include "inspect/run_files/run_files.hpp"
#include "inspect_support.hpp"
#include "support/process.hpp"

namespace torvane::inspect {
namespace {

struct Parsed_svg {
  double width = 0, height = 0;
  std::map<std::string, int> lines;  // polylines per class
  std::map<std::string, int> cells;  // polygons per class
  std::set<std::string> legend;      // the legend's texts
  std::vector<std::string> x_ticks, y_ticks;
  long outside = 0;  // points outside the view box
  long points = 0;
};

double Attribute(const std::string& svg, const std::string& name, std::size_t from = 0) {
  const std::size_t at = svg.find(name + "=\"", from) + name.size() + 2;
  double v = 0;
  std::from_chars(svg.data() + at, svg.data() + svg.size(), v);
  return v;
}

std::string Class_at(const std::string& svg, std::size_t at) {
  const std::size_t klass = svg.find("class=\"", at) + 7;
  return svg.substr(klass, svg.find('"', klass) - klass);
}

// The texts of <text> elements between from and to.
std::vector<std::string> Texts(const std::string& svg, std::size_t from, std::size_t to) {
  std::vector<std::string> texts;
  for (std::size_t at = svg.find("<text", from); at < to; at = svg.find("<text", at + 1)) {
    const std::size_t begin = svg.find('>', at) + 1;
    texts.push_back(svg.substr(begin, svg.find("</text>", begin) - begin));
  }
  return texts;
}

void Count_points(Parsed_svg& p, const std::string& svg, std::size_t at) {
  const std::size_t begin = svg.find("points=\"", at) + 8, end = svg.find('"', begin);
  const char* c = svg.data() + begin;
  const char* stop = svg.data() + end;
  while (c < stop) {
    double x = 0, y = 0;
    c = std::from_chars(c, stop, x).ptr + 1;  // skip the comma
    c = std::from_chars(c, stop, y).ptr;
    while (c < stop && *c == ' ') ++c;
    ++p.points;
    if (x < 0 || x > p.width || y < 0 || y > p.height) ++p.outside;
  }
}

Parsed_svg Parse(const std::string& svg) {
  Parsed_svg p;
  p.width = Attribute(svg, "width");
  p.height = Attribute(svg, "height");
  for (std::size_t at = svg.find("<polyline"); at != std::string::npos; at = svg.find("<polyline", at + 1)) {
    ++p.lines[Class_at(svg, at)];
    Count_points(p, svg, at);
  }
  for (std::size_t at = svg.find("<polygon"); at != std::string::npos; at = svg.find("<polygon", at + 1)) {
    ++p.cells[Class_at(svg, at)];
    Count_points(p, svg, at);
  }
  const std::size_t x_axis = svg.find("<g class=\"x-axis\""), y_axis = svg.find("<g class=\"y-axis\"");
  const std::size_t legend = svg.find("<g class=\"legend\"");
  p.x_ticks = Texts(svg, x_axis, svg.find("class=\"axis-label\"", x_axis));
  p.y_ticks = Texts(svg, y_axis, svg.find("class=\"axis-label\"", y_axis));
  for (const std::string& t : Texts(svg, legend, svg.size())) p.legend.insert(t);
  return p;
}

// A run of the sector grid of the other inspect tests, blade walls from i = 2 to 4;
// with `fold`, two points of the hub change places so that cells of k = 1 turn inside out.
std::string Sector_run(const testing::Scratch& scratch, bool fold) {
  Grid g = testing::Sector_grid(5, 4, 3, 0.1, 0.05, 1.0, 0.1);
  if (fold) std::swap(g.x[g.Index(2, 2, 1)], g.x[g.Index(3, 2, 1)]);
  const std::string stem = scratch.File(fold ? "folded" : "sector");
  testing::Write_run(stem, g, 2, 4, 0.15);
  return stem;
}

TEST(Pictures, DrawEveryGridLineAndBoundaryWithinTheDrawing) {
  // Blade-to-blade: two pitches of ie lines across and je along; on each pitch the two
  // walls and the periodic lines j = 1 and je upstream and downstream. Cross-sections:
  // je spanwise and ke pitchwise lines, hub and casing, and the two walls at the blade
  // or the periodic lines upstream of it.
  testing::Scratch scratch;
  std::vector<std::string> stems = {Sector_run(scratch, false)};
  if (const std::string stem = testing::Reference_stem("typical"); !stem.empty()) stems.push_back(stem);
  const std::set<std::string> b2b_legend = {"grid lines", "blade wall j = 1", "blade wall j = je",
                                            "periodic lines j = 1, j = je"};
  for (const std::string& stem : stems) {
    const Run_files run = Read_run(stem);
    const Grid& g = run.grid;
    const int ile = run.faces.ile, ite = run.faces.ite;
    for (int k : {1, g.ke}) {
      const Parsed_svg svg = Parse(Svg_text(Blade_to_blade(g, run.faces, k, "b2b")));
      const std::map<std::string, int> expected = {
          {"i-line", 2 * g.ie}, {"j-line", 2 * g.je}, {"wall-j1", 2}, {"wall-je", 2}, {"periodic", 8}};
      EXPECT_EQ(svg.lines, expected) << stem << " k " << k;
      EXPECT_TRUE(svg.cells.empty());
      EXPECT_EQ(svg.legend, b2b_legend) << stem;
      EXPECT_EQ(svg.outside, 0) << stem;
      EXPECT_EQ(svg.points, 2L * 2 * g.ie * g.je + 4L * (ite - ile + 1) + 4L * (ile + g.ie - ite + 1)) << stem;
      EXPECT_EQ(svg.width, kPageWidth);
    }
    struct Station {
      int i;
      const char* side_kind;
      const char* side_legend;
    };
    for (const Station& s :
         {Station{ile, "wall-j1", "blade wall j = 1"}, Station{1, "periodic", "periodic lines j = 1, j = je"}}) {
      const Parsed_svg svg = Parse(Svg_text(Cross_section(g, run.faces, s.i, "section")));
      EXPECT_EQ(svg.lines.at("j-line"), g.je) << stem;
      EXPECT_EQ(svg.lines.at("k-line"), g.ke) << stem;
      EXPECT_EQ(svg.lines.at("hub"), 1) << stem;
      EXPECT_EQ(svg.lines.at("casing"), 1) << stem;
      EXPECT_EQ(svg.lines.at(s.side_kind), s.i == ile ? 1 : 2) << stem << " i " << s.i;
      EXPECT_TRUE(svg.legend.count(s.side_legend)) << stem << " i " << s.i;
      EXPECT_TRUE(svg.legend.count("hub k = 1") && svg.legend.count("casing k = ke")) << stem;
      EXPECT_EQ(svg.outside, 0) << stem;
    }
  }
}

TEST(Pictures, AxesAndScaleBarGiveTheSameLengthPerPixelAcrossAndUp) {
  testing::Scratch scratch;
  const Run_files run = Read_run(Sector_run(scratch, false));
  for (const Drawing& d :
       {Blade_to_blade(run.grid, run.faces, 1, "b2b"), Cross_section(run.grid, run.faces, 3, "le")}) {
    ASSERT_GE(d.x_ticks.size(), 2u);
    ASSERT_GE(d.y_ticks.size(), 2u);
    auto per_pixel = [](const std::vector<Axis_tick>& ticks) {
      const Axis_tick &a = ticks.front(), &b = ticks.back();
      return (std::strtod(b.label.c_str(), nullptr) - std::strtod(a.label.c_str(), nullptr)) / (b.at - a.at);
    };
    const double across = per_pixel(d.x_ticks), up = -per_pixel(d.y_ticks);  // y grows downwards
    EXPECT_NEAR(up / across, 1, 1e-6) << d.x_label;
    const double bar = std::strtod(d.scale_label.c_str(), nullptr);
    EXPECT_NEAR(bar / (d.scale_to.x - d.scale_from.x) / across, 1, 1e-6) << d.scale_label;
    for (const Axis_tick& t : d.x_ticks) EXPECT_TRUE(t.at >= d.left && t.at <= d.right) << t.label;
    for (const Axis_tick& t : d.y_ticks) EXPECT_TRUE(t.at >= d.top && t.at <= d.bottom) << t.label;
  }
}

TEST(Pictures, AGridOfNoAxialExtentStillGivesAPageWithinItsBounds) {
  // Every station at x = 0: the blade-to-blade picture has no width to scale across.
  const Grid g = testing::Sector_grid(5, 4, 3, 0.0, 0.05, 1.0, 0.1);
  Block_faces faces;
  faces.ile = 2;
  faces.ite = 4;
  faces.pitch_angle = 0.15;
  const Drawing d = Blade_to_blade(g, faces, 1, "flat");
  EXPECT_TRUE(d.x_ticks.empty());
  EXPECT_FALSE(d.y_ticks.empty());
  EXPECT_EQ(Parse(Svg_text(d)).outside, 0);
  EXPECT_GT(d.scale_to.x - d.scale_from.x, 10) << d.scale_label;
  EXPECT_LE(d.scale_to.x, d.right) << d.scale_label;
}

// The report's bad cells in one layer (i or k fixed at `layer`), from its comma-separated list.
long Bad_cells_in_layer(const std::string& csv, char axis, int layer) {
  long count = 0;
  for (std::size_t at = csv.find('\n') + 1; at < csv.size(); at = csv.find('\n', at) + 1) {
    int i = 0, j = 0, k = 0;
    if (std::sscanf(csv.c_str() + at, "%d,%d,%d", &i, &j, &k) == 3 && (axis == 'i' ? i : k) == layer) ++count;
  }
  return count;
}

long Legend_count(const Parsed_svg& svg, const std::string& band) {
  for (const std::string& text : svg.legend) {
    if (text.rfind(band + " cells (", 0) == 0) return std::atol(text.c_str() + text.rfind(' ') + 1);
  }
  ADD_FAILURE() << "no legend entry for " << band;
  return -1;
}

struct Banded {
  Parsed_svg svg;
  long good, fair, bad, folded;
};

Banded Banded_picture(const Drawing& d) {
  Banded b{Parse(Svg_text(d)), 0, 0, 0, 0};
  b.good = Legend_count(b.svg, "good");
  b.fair = Legend_count(b.svg, "fair");
  b.bad = Legend_count(b.svg, "bad");
  b.folded = Legend_count(b.svg, "folded");
  return b;
}

TEST(Pictures, QualityColoursEveryCellOfTheLayerAndCountsItsBandsAsTheReport) {
  // Per run: the hub and casing layers and the layer at the leading edge; each band's
  // polygons match its legend count (twice on the two pitches), the counts add up to the
  // layer, bad and folded together are the report's bad cells of that layer and the
  // folded ones the report's folded cells (all of which lie at the hub here).
  testing::Scratch scratch;
  for (bool fold : {false, true}) {
    const std::string stem = Sector_run(scratch, fold);
    const Run_files run = Read_run(stem);
    const Grid& g = run.grid;
    const Cell_field cells = Measure_cells(g, run.faces);
    const Report report = Make_report(stem, g, run.faces, cells);
    const std::string csv = Bad_cells_csv(cells);
    struct Page {
      Drawing drawing;
      char axis;
      int layer, copies;
    } pages[] = {{Blade_to_blade(g, run.faces, 1, "hub", &cells), 'k', 1, 2},
                 {Blade_to_blade(g, run.faces, g.ke, "casing", &cells), 'k', g.ke - 1, 2},
                 {Cross_section(g, run.faces, run.faces.ile, "le", &cells), 'i', run.faces.ile, 1}};
    long folded_drawn = 0;
    for (const Page& page : pages) {
      const Banded b = Banded_picture(page.drawing);
      const long layer_cells = page.axis == 'k' ? long{g.ie - 1} * (g.je - 1) : long{g.je - 1} * (g.ke - 1);
      EXPECT_EQ(b.good + b.fair + b.bad + b.folded, layer_cells) << stem << " " << page.drawing.title;
      EXPECT_EQ(b.bad + b.folded, Bad_cells_in_layer(csv, page.axis, page.layer)) << page.drawing.title;
      const std::map<std::string, long> drawn = {
          {"good", b.good}, {"fair", b.fair}, {"bad", b.bad}, {"folded", b.folded}};
      for (const auto& [band, count] : drawn) {
        const auto found = b.svg.cells.find(band);
        EXPECT_EQ(found == b.svg.cells.end() ? 0 : found->second, page.copies * count)
            << band << " " << page.drawing.title;
      }
      EXPECT_EQ(b.svg.outside, 0);
      if (page.axis == 'k' && page.layer == 1) folded_drawn = b.folded;
    }
    EXPECT_EQ(folded_drawn, report.quality.folded) << stem;
    EXPECT_EQ(fold, report.quality.folded > 0);
  }
}

TEST(Pictures, TheCompressorExampleShowsItsNinetySevenBadCellsAtTheLeadingEdge) {
  const std::string deck = std::string(TORVANE_SOURCE_DIR) + "/examples/compressor_rotor.in";
  testing::Scratch scratch;
  const ::torvane::testing::Process_result torvane =
      ::torvane::testing::Run_program(TORVANE_BINARY, {}, deck, scratch.path());
  ASSERT_EQ(torvane.status, 0) << torvane.err;
  const std::string stem = scratch.File("compressor_rotor");
  const Run_files run = Read_run(stem);
  const Cell_field cells = Measure_cells(run.grid, run.faces);
  const Report report = Make_report(stem, run.grid, run.faces, cells);
  ASSERT_EQ(run.faces.ile, 21);
  const Banded le = Banded_picture(Cross_section(run.grid, run.faces, run.faces.ile, "le", &cells));
  EXPECT_EQ(le.bad, 97);
  EXPECT_EQ(le.bad, report.quality.jacobian.bands[static_cast<int>(Band::bad)]);
  EXPECT_EQ(le.folded, 0);
  EXPECT_EQ(le.svg.cells.at("bad"), 97);

  // The page as a real renderer reads it.
  const std::string svg_path = scratch.File("le.svg");
  testing::Write_text(svg_path, Svg_text(Cross_section(run.grid, run.faces, run.faces.ile, "le", &cells)));
  if (std::system("command -v rsvg-convert > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "rsvg-convert not found (Debian package librsvg2-bin): SVG not rendered";
  }
  const std::string png_path = scratch.File("le.png");
  ASSERT_EQ(
      std::system(("rsvg-convert -o '" + png_path + "' '" + svg_path + "' 2> '" + scratch.File("err") + "'").c_str()),
      0)
      << testing::Read_text(scratch.File("err"));
  const std::string png = testing::Read_text(png_path);
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  auto big_endian = [&](std::size_t at) {
    return (unsigned char)png[at] << 24 | (unsigned char)png[at + 1] << 16 | (unsigned char)png[at + 2] << 8 |
           (unsigned char)png[at + 3];
  };
  EXPECT_EQ(big_endian(16), static_cast<unsigned>(le.svg.width));
  EXPECT_EQ(big_endian(20), static_cast<unsigned>(le.svg.height));
  EXPECT_EQ(testing::Read_text(scratch.File("err")), "");
}

TEST(Pictures, TheTitleIsEscapedForXml) {
  Drawing d;
  d.title = "a<b & \"c\"";
  d.width = 10;
  d.height = 10;
  const std::string svg = Svg_text(d);
  EXPECT_NE(svg.find(">a&lt;b &amp; &quot;c&quot;</text>"), std::string::npos) << svg;
}

}  // namespace
}  // namespace torvane::inspect
