// A blade row torvane has not seen, in the curve files' form: rotors made
// from the shared Rotor 37 files by changes a published rotor may bring (its
// size and unit, the rotation axis, lists in the other direction, a bowed
// trailing edge, sections swept or at other places in the span, another
// blade count, sections left out, a tip gap given as a length), each run
// through torvane-deck and torvane and measured against its own sections.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "control/run.hpp"
#include "deck/curve_files.hpp"
#include "deck/deck_support.hpp"
#include "deck/rotor_deck.hpp"
#include "geometry/meridional_curve.hpp"
#include "inspect/run_files/grid_file.hpp"
#include "section_distance.hpp"
#include "support/process.hpp"
#include "support/scratch_folder.hpp"

namespace torvane::deck {
namespace {

namespace fs = std::filesystem;
using testing::P3;

// The shared Rotor 37 folder, or "" when it is absent.
std::string Rotor37_folder() {
  const fs::path folder = fs::path(TORVANE_SHARED_DIR) / "data" / "rotor37";
  return fs::exists(folder / "profile_R37.dat") ? folder.string() : "";
}

// What makes the rotor another one.
struct Changes {
  const char* name;
  double scale;           // of every length
  const char* unit;       // of the files
  double metres;          // in one unit of the files
  char axis;              // of rotation
  bool reversed;          // profile lists in the other direction, casing curve from the outlet
  double bow;             // the trailing edge turned about the axis by this at mid span [rad]
  double sweep;           // the sections moved downstream by this at mid span [m, before scale]
  double span_shift;      // the sections moved towards the casing by this share of the span at mid span
  int blades;             // in the row
  const char* gap;        // the info file's `Tip clearance`, "" for none
  std::vector<int> kept;  // the Rotor 37 sections kept (numbers from 1)
  int gap_cells;          // cells across the gap in the grid
};

// A section's point moved as the changes ask (metres, radians, before scale).
Cylindrical_point Moved(const Changes& c, const Cylindrical_point& p, double f, double chordwise,
                        const Meridional_curve& hub, const Meridional_curve& casing) {
  const double x = p.x + c.sweep * std::sin(M_PI * f);
  const double hub_r = hub.Radius(p.x), casing_r = casing.Radius(p.x);
  const double fraction = (p.r - hub_r) / (casing_r - hub_r);
  const double moved = fraction + c.span_shift * std::sin(M_PI * fraction);
  const double r = hub.Radius(x) + moved * (casing.Radius(x) - hub.Radius(x));
  return {x, r, p.theta + c.bow * chordwise * chordwise * std::sin(M_PI * f)};
}

// The line `x y z` of a point (x axial, metres) in the files' unit and axis.
std::string Point_line(const Changes& c, const Cylindrical_point& p) {
  const int a = c.axis == 'X' ? 0 : c.axis == 'Y' ? 1 : 2;
  double v[3];
  v[a] = c.scale * p.x / c.metres;
  v[(a + 1) % 3] = c.scale * p.r * std::sin(p.theta) / c.metres;
  v[(a + 2) % 3] = c.scale * p.r * std::cos(p.theta) / c.metres;
  char line[128];
  std::snprintf(line, sizeof line, "%.12g\t%.12g\t%.12g\n", v[0], v[1], v[2]);
  return line;
}

// The rotor's curve files in folder, and its sections as the grid holds them (metres, x axial).
struct Derived_rotor {
  std::vector<std::vector<P3>> sections;
  std::vector<double> percents;
};

Derived_rotor Write_rotor(const std::string& r37, const Changes& c, const std::string& folder) {
  const auto hub_points = Read_curve_file(r37 + "/hub_R37.dat", 'X', 0.01);
  const auto casing_points = Read_curve_file(r37 + "/shroud_R37.dat", 'X', 0.01);
  std::vector<double> hx, hr, cx, cr;
  for (const auto& p : hub_points) {
    hx.push_back(p.x);
    hr.push_back(p.r);
  }
  for (const auto& p : casing_points) {
    cx.push_back(p.x);
    cr.push_back(p.r);
  }
  const Meridional_curve hub(hx, hr), casing(cx, cr);
  Derived_rotor rotor;
  std::string profile;
  for (const Profile_section& section : Read_profile_file(r37 + "/profile_R37.dat", 'X', 0.01)) {
    if (std::find(c.kept.begin(), c.kept.end(), section.number) == c.kept.end()) continue;
    const double f = section.percent / 100.0;
    double x_min = 1e300, x_max = -1e300;
    for (const auto& p : section.points) {
      x_min = std::min(x_min, p.x);
      x_max = std::max(x_max, p.x);
    }
    std::vector<Cylindrical_point> moved;
    for (const auto& p : section.points) moved.push_back(Moved(c, p, f, (p.x - x_min) / (x_max - x_min), hub, casing));
    if (c.reversed) std::reverse(moved.begin(), moved.end());
    const double percent = 100.0 * (f + c.span_shift * std::sin(M_PI * f));
    char heading[64];
    std::snprintf(heading, sizeof heading, "#Profile %d at %.6g%%\n", section.number, percent);
    profile += heading;
    std::vector<P3> points;
    for (const auto& p : moved) {
      profile += Point_line(c, p);
      points.push_back({c.scale * p.x, c.scale * p.r * std::sin(p.theta), c.scale * p.r * std::cos(p.theta)});
    }
    rotor.sections.push_back(points);
    rotor.percents.push_back(percent);
  }
  testing::Write_text(folder + "/profile.dat", profile);
  for (auto [name, points] : {std::pair{"/hub.dat", &hub_points}, std::pair{"/casing.dat", &casing_points}}) {
    std::string text;
    for (const auto& p : *points) {
      const std::string line = Point_line(c, {p.x, p.r, 0.0});
      text = c.reversed && points == &casing_points ? line + text : text + line;
    }
    testing::Write_text(folder + name, text);
  }
  char trims[160];
  std::snprintf(trims, sizeof trims, "Inlet trim: %.12g%s Axial\nOutlet trim: %.12g%s Axial\n",
                -0.030 * c.scale / c.metres, c.unit, 0.090 * c.scale / c.metres, c.unit);
  testing::Write_text(folder + "/info.txt",
                      "No of blades : " + std::to_string(c.blades) + "\nAxis of rotation : " + std::string(1, c.axis) +
                          "\nCoordinates unit : " + c.unit + "\n" +
                          (*c.gap ? std::string("Tip clearance : ") + c.gap + "\n" : "") + "RPM : 12000\n\n" + trims);
  return rotor;
}

TEST(DerivedRotor, AnotherRotorInTheCurveFilesFormGridsThroughEverySectionBelowTheTip) {
  const std::string r37 = Rotor37_folder();
  if (r37.empty()) GTEST_SKIP() << "shared Rotor 37 curve files not found under " << TORVANE_SHARED_DIR;
  const Changes cases[] = {
      {"millimetres, axis Z, lists reversed, trailing edge bowed 3 deg, 30 blades, gap 0.5 mm",
       1.0,
       "mm",
       0.001,
       'Z',
       true,
       3.0 * M_PI / 180.0,
       0.0,
       0.0,
       30,
       "0.5 mm",
       {1, 2, 3, 4, 5, 6},
       6},
      {"metres, 0.8 the size, axis Y, swept 3 mm, sections moved 8 % up the span, 40 blades, gap 1% of span",
       0.8,
       "m",
       1.0,
       'Y',
       false,
       0.0,
       0.003,
       0.08,
       40,
       "1% of span",
       {1, 2, 4, 5, 6},
       6},
      {"inches, 1.2 the size, sections 0, 40, 80 and 100 %, bowed -2 deg, 20 blades, no gap",
       1.2,
       "in",
       0.0254,
       'X',
       true,
       -2.0 * M_PI / 180.0,
       -0.002,
       0.0,
       20,
       "",
       {1, 3, 5, 6},
       0},
  };
  for (const Changes& c : cases) {
    torvane::testing::Scratch_folder scratch;
    const Derived_rotor rotor = Write_rotor(r37, c, scratch.path());
    const std::string f = scratch.path();
    const Deck_build deck =
        Build_row_deck({f + "/profile.dat", f + "/hub.dat", f + "/casing.dat", f + "/info.txt", {}, "", "", ""});
    ASSERT_EQ(deck.status, 0) << c.name << ": " << (deck.messages.empty() ? "" : deck.messages[0]);
    Run_options options;
    options.output_stem = f + "/row";
    std::istringstream in(deck.deck);
    Console out, err;
    ASSERT_EQ(torvane::Run(in, out, err, options), 0) << c.name << ": " << err.captured();
    const inspect::Grid g = inspect::Read_grid_file(options.output_stem + ".rgra");
    const auto walls = testing::Blade_wall_triangles(g, 21, 51, g.ke - c.gap_cells, 2.0 * M_PI / c.blades);
    for (size_t n = 0; n < rotor.sections.size(); ++n) {
      if (rotor.percents[n] >= 100) continue;  // the tip
      const testing::Section_distance d = testing::Distance_to_walls(rotor.sections[n], walls);
      std::printf("%s, section at %g%%: within 5-95%% of the axial chord %.4f mm, whole contour %.4f mm\n", c.name,
                  rotor.percents[n], d.inner * 1e3, d.whole * 1e3);
      EXPECT_LT(d.inner, 0.05e-3 * c.scale) << c.name << ", section at " << rotor.percents[n] << "%";
      EXPECT_LT(d.whole, 0.15e-3 * c.scale) << c.name << ", section at " << rotor.percents[n] << "%";
    }
    double inlet = 0, outlet = 0;
    for (int k = 1; k <= g.ke; ++k) {
      for (int j = 1; j <= g.je; ++j) {
        inlet = std::max(inlet, std::fabs(g.x[g.Index(1, j, k)] + 0.030 * c.scale));
        outlet = std::max(outlet, std::fabs(g.x[g.Index(g.ie, j, k)] - 0.090 * c.scale));
      }
    }
    EXPECT_LT(inlet, 1e-9) << c.name;
    EXPECT_LT(outlet, 1e-9) << c.name;
    const auto report =
        torvane::testing::Run_program(TORVANE_INSPECT_EXE, {"report", options.output_stem}, "/dev/null", f);
    EXPECT_EQ(report.status, 0) << c.name << ": " << report.out << report.err;
  }
}

}  // namespace
}  // namespace torvane::deck
