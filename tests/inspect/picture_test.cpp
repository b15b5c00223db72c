// SVG pictures parsed back: the expected number of grid lines of each kind,
// every point within the drawing's bounds.
#include <gtest/gtest.h>

#include <charconv>
#include <map>

#include "inspect/drawing.hpp"
#include "inspect/picture_files.hpp"
#include "inspect/run_files.hpp"
#include "inspect_support.hpp"

namespace torvane::inspect {
namespace {

struct Parsed_svg {
  double width = 0, height = 0;
  std::map<std::string, int> lines;  // polylines per class
  long outside = 0;                  // points outside the view box
  long points = 0;
};

double Attribute(const std::string& svg, const std::string& name) {
  const std::size_t at = svg.find(name + "=\"") + name.size() + 2;
  double v = 0;
  std::from_chars(svg.data() + at, svg.data() + svg.size(), v);
  return v;
}

Parsed_svg Parse(const std::string& svg) {
  Parsed_svg p;
  p.width = Attribute(svg, "width");
  p.height = Attribute(svg, "height");
  for (std::size_t at = svg.find("<polyline"); at != std::string::npos; at = svg.find("<polyline", at + 1)) {
    const std::size_t klass = svg.find("class=\"", at) + 7;
    ++p.lines[svg.substr(klass, svg.find('"', klass) - klass)];
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
  return p;
}

TEST(Pictures, DrawEveryGridLineWithinTheDrawing) {
  // Per case: the stem and the sizes; blade-to-blade shows two pitches of ie lines across
  // and je lines along, plus the two walls of each pitch; the cross-section at the leading
  // edge shows je spanwise lines, ke pitchwise lines and the two walls.
  struct Case {
    std::string name;
    int ie, je, ke;
  };
  testing::Scratch scratch;
  const std::string sector = scratch.File("sector");
  testing::Write_run(sector, testing::Sector_grid(5, 4, 3, 0.1, 0.05, 1.0, 0.1), 2, 4, 0.15);
  std::vector<std::pair<std::string, Case>> cases = {{sector, {"sector", 5, 4, 3}}};
  if (const std::string stem = testing::Reference_stem("typical"); !stem.empty()) {
    cases.push_back({stem, {"typical", 81, 33, 17}});
  }
  for (const auto& [stem, c] : cases) {
    const Run_files run = Read_run(stem);
    for (int k : {1, c.ke}) {
      const Parsed_svg svg = Parse(Svg_text(Blade_to_blade(run.grid, run.faces, k, "b2b")));
      EXPECT_EQ(svg.lines.at("i-line"), 2 * c.ie) << c.name << " k " << k;
      EXPECT_EQ(svg.lines.at("j-line"), 2 * c.je) << c.name << " k " << k;
      EXPECT_EQ(svg.lines.at("wall"), 4) << c.name << " k " << k;
      EXPECT_EQ(svg.outside, 0) << c.name;
      EXPECT_EQ(svg.points, 2L * 2 * c.ie * c.je + 4L * (run.faces.ite - run.faces.ile + 1)) << c.name;
      EXPECT_EQ(svg.width, kPageWidth);
    }
    const Parsed_svg le = Parse(Svg_text(Cross_section(run.grid, run.faces, run.faces.ile, "le")));
    EXPECT_EQ(le.lines.at("j-line"), c.je) << c.name;
    EXPECT_EQ(le.lines.at("k-line"), c.ke) << c.name;
    EXPECT_EQ(le.lines.at("wall"), 2) << c.name;
    EXPECT_EQ(le.outside, 0) << c.name;
  }
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
