// A real blade row from its curve files (NASA Rotor 37 in the shared data):
// torvane-deck's deck, torvane's grid from it, and the grid measured against
// the published sections (a nearest-point distance to the triangulated blade
// walls), its inlet and outlet planes, and the refusals of malformed files.
#include "deck/rotor_deck.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "control/control_input.hpp"
#include "control/deck_block.hpp"
#include "control/run.hpp"
#include "deck/curve_files.hpp"
#include "deck/deck_main.hpp"
#include "deck/deck_support.hpp"
#include "geometry/meridional_curve.hpp"
#include "inspect/run_files/grid_file.hpp"
#include "section_distance.hpp"
#include "support/process.hpp"
#include "support/scratch_folder.hpp"

namespace torvane::deck {
namespace {

namespace fs = std::filesystem;
using testing::Blade_wall_triangles;
using testing::Distance_to_walls;
using testing::P3;
using testing::Section_distance;

// The shared Rotor 37 folder, or "" when it is absent.
std::string Rotor37_folder() {
  const fs::path folder = fs::path(TORVANE_SHARED_DIR) / "data" / "rotor37";
  return fs::exists(folder / "profile_R37.dat") ? folder.string() : "";
}

struct Row_run {
  Deck_build deck;
  int status = -1;
  std::string err;
  inspect::Grid grid;
};

// The deck of the shared files and its grid; without_gap leaves out the tip
// gap the info file's clearance puts in the deck's block.
Row_run Run_row(const std::string& folder, const torvane::testing::Scratch_folder& scratch,
                std::vector<Setting> settings = {}, bool without_gap = false) {
  Row_run run;
  run.deck = Build_row_deck({folder + "/profile_R37.dat", folder + "/hub_R37.dat", folder + "/shroud_R37.dat",
                             folder + "/Info.txt", std::move(settings), "", "", ""});
  if (run.deck.status != 0) return run;
  std::string deck = run.deck.deck;
  if (without_gap) {
    const size_t at = deck.find("\ntip-gap ");
    if (at != std::string::npos) deck.erase(at + 1, deck.find('\n', at + 1) - at);
  }
  Run_options options;
  options.output_stem = scratch.path() + "/r37";
  std::istringstream in(deck);
  Console out, err;
  run.status = Run(in, out, err, options);
  run.err = err.captured();
  if (run.status == 0) run.grid = inspect::Read_grid_file(options.output_stem + ".rgra");
  return run;
}

// The info file's `Tip clearance : 0.2% of span` meshed: the blade tip lies the
// gap under the casing curve of the deck's flow path at every blade station.
TEST(RowDeck, Rotor37TipLiesItsClearanceUnderTheCasing) {
  const std::string folder = Rotor37_folder();
  if (folder.empty()) GTEST_SKIP() << "shared Rotor 37 curve files not found under " << TORVANE_SHARED_DIR;
  torvane::testing::Scratch_folder scratch;
  const Row_run run = Run_row(folder, scratch);
  ASSERT_EQ(run.deck.status, 0) << (run.deck.messages.empty() ? "" : run.deck.messages[0]);
  ASSERT_NE(run.deck.deck.find("\ntip-gap 0.2% cells 6 "), std::string::npos);
  ASSERT_EQ(run.status, 0) << run.err;
  const inspect::Grid& g = run.grid;
  const size_t block_at = run.deck.deck.find("torvane-block 1");
  const Deck_block block = Parse_deck_block(run.deck.deck.substr(block_at));
  ASSERT_TRUE(block.flow_path && block.frame);
  const Meridional_curve casing(block.flow_path->casing.x, block.flow_path->casing.r);
  // 0.2 % of the span rcas - rhub of the deck (records 17 and 18).
  std::istringstream records(run.deck.deck);
  const Control_values v = Deck_reader(records).Read_control_values();
  const double gap = 0.002 * (v.rcas - v.rhub);
  const int tip = g.ke - 6;
  for (int i = 21; i <= 51; ++i) {
    for (int j : {1, g.je}) {
      const inspect::Vec3 p = g.Point(i, j, tip);
      EXPECT_NEAR(casing.Radius(p.x - block.frame->x) - std::hypot(p.y, p.z), gap, 0.25 * gap) << i << ", " << j;
    }
  }
}

// The acceptance of a real blade row: with the info file's tip clearance
// meshed (the deck's default) and with the blade given up to the casing,
// every published section below the tip lies within 0.05 mm of the grid's
// blade walls between 5 % and 95 % of its axial chord and within 0.15 mm over
// the whole contour, inlet and outlet are the planes of the trims, and the
// report passes the grid.
TEST(RowDeck, Rotor37GridPassesThroughEveryPublishedSectionBelowTheTip) {
  const std::string folder = Rotor37_folder();
  if (folder.empty()) GTEST_SKIP() << "shared Rotor 37 curve files not found under " << TORVANE_SHARED_DIR;
  struct Case {
    const char* name;
    bool without_gap;
    int gap_cells;
  };
  const Case cases[] = {{"with the tip clearance", false, 6}, {"blade to the casing", true, 0}};
  const auto sections = Read_profile_file(folder + "/profile_R37.dat", 'X', 1.0);
  for (const Case& c : cases) {
    torvane::testing::Scratch_folder scratch;
    const Row_run run = Run_row(folder, scratch, {}, c.without_gap);
    ASSERT_EQ(run.deck.status, 0) << (run.deck.messages.empty() ? "" : run.deck.messages[0]);
    ASSERT_EQ(run.status, 0) << c.name << ": " << run.err;
    const inspect::Grid& g = run.grid;
    // The default counts: nin 20, nblade 60.
    const auto walls = Blade_wall_triangles(g, 21, 51, g.ke - c.gap_cells, 2.0 * M_PI / 36.0);
    for (const Profile_section& section : sections) {
      if (section.percent >= 100) continue;  // the tip: the casing, where the tip gap goes
      std::vector<P3> points;
      for (const Cylindrical_point& p : section.points) {
        // The files' centimetres in metres, y = r sin(theta), z = r cos(theta), as the grid.
        points.push_back({0.01 * p.x, 0.01 * p.r * std::sin(p.theta), 0.01 * p.r * std::cos(p.theta)});
      }
      const Section_distance d = Distance_to_walls(points, walls);
      std::printf("Rotor 37 %s, section %d at %g%%: within 5-95%% of the axial chord %.4f mm, whole contour %.4f mm\n",
                  c.name, section.number, section.percent, d.inner * 1e3, d.whole * 1e3);
      EXPECT_LT(d.inner, 0.05e-3) << c.name << ", section at " << section.percent << "%";
      EXPECT_LT(d.whole, 0.15e-3) << c.name << ", section at " << section.percent << "%";
    }
    // Inlet and outlet are the planes of the info file's trims, -30 and 90 mm.
    double inlet = 0, outlet = 0;
    for (int k = 1; k <= g.ke; ++k) {
      for (int j = 1; j <= g.je; ++j) {
        inlet = std::max(inlet, std::fabs(g.x[g.Index(1, j, k)] + 0.030));
        outlet = std::max(outlet, std::fabs(g.x[g.Index(g.ie, j, k)] - 0.090));
      }
    }
    std::printf("Rotor 37 %s: inlet plane off x = -30 mm by %.3g m, outlet plane off x = 90 mm by %.3g m\n", c.name,
                inlet, outlet);
    EXPECT_LT(inlet, 1e-9) << c.name;
    EXPECT_LT(outlet, 1e-9) << c.name;
    const auto report = torvane::testing::Run_program(TORVANE_INSPECT_EXE, {"report", scratch.path() + "/r37"},
                                                      "/dev/null", scratch.path());
    EXPECT_EQ(report.status, 0) << c.name << ": " << report.out << report.err;
  }
}

// The sum of a patch's values in an OpenFOAM surface field (0/phi).
double Patch_sum(const std::string& field, const std::string& name) {
  const std::size_t at = field.find("\n    " + name + "\n");
  if (at == std::string::npos) return NAN;
  const std::string block = field.substr(at, field.find("\n    }", at) - at);
  const std::size_t list = block.find("List<scalar>");
  if (list == std::string::npos) return NAN;
  double sum = 0;
  const char* p = block.c_str() + block.find('(', list) + 1;
  char* next = nullptr;
  for (double v = std::strtod(p, &next); next != p; v = std::strtod(p, &next)) {
    sum += v;
    p = next;
  }
  return sum;
}

TEST(RowDeck, Rotor37OpenfoamCasePassesCheckMeshAndBalancesThePotentialFlux) {
  const std::string folder = Rotor37_folder();
  if (folder.empty()) GTEST_SKIP() << "shared Rotor 37 curve files not found under " << TORVANE_SHARED_DIR;
  const char* bashrc = "/usr/share/openfoam/etc/bashrc";
  if (!fs::exists(bashrc)) GTEST_SKIP() << "OpenFOAM not installed (Debian package openfoam)";
  torvane::testing::Scratch_folder scratch;
  const Row_run run = Run_row(folder, scratch);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string stem = scratch.path() + "/r37";
  const auto exported = torvane::testing::Run_program(
      TORVANE_INSPECT_EXE, {"export", "--to", "openfoam", "--case", "--output", stem + "_foam", stem}, "/dev/null",
      scratch.path());
  ASSERT_EQ(exported.status, 0) << exported.err;
  auto foam = [&](const std::string& command) {
    return torvane::testing::Run_program(
        "/bin/bash", {"-c", std::string("source ") + bashrc + " > /dev/null 2>&1; nice -n 10 " + command}, "/dev/null",
        stem + "_foam");
  };
  const std::string log = foam("checkMesh").out;
  for (const char* line :
       {"Boundary definition OK.", "Cell to face addressing OK.", "Point usage OK.", "Upper triangular ordering OK.",
        "Face vertices OK.", "Number of regions: 1 (OK).", "Cell volumes OK.", "Face pyramids OK."}) {
    EXPECT_NE(log.find(line), std::string::npos) << "checkMesh does not say \"" << line << "\"\n" << log;
  }
  EXPECT_TRUE(std::regex_search(log, std::regex(R"(Coupled point location match \(average [^)]*\) OK\.)"))) << log;
  const auto flow = foam("potentialFoam -writephi");
  ASSERT_EQ(flow.status, 0) << flow.out << flow.err;
  const std::string phi = torvane::testing::Read_file(stem + "_foam/0/phi");
  const double in = Patch_sum(phi, "inlet"), out = Patch_sum(phi, "outlet");
  ASSERT_TRUE(std::isfinite(in) && std::isfinite(out)) << "no inlet or outlet flux in 0/phi";
  std::printf("Rotor 37: potentialFoam inlet flux %.17g, outlet flux %.17g\n", in, out);
  EXPECT_LT(std::fabs(in + out), 1e-6 * std::fabs(in));
}

// A blade row of its own, written as the curve files of a design tool: axis Z,
// millimetres, conical hub and casing, a cambered section of sharp edges whose
// stagger turns from -30 to -50 deg and whose trailing edge is bowed 6 mm
// along the span, each list running the other way round from its nose.
struct Synthetic_row {
  std::string folder;
  double Hub(double x) const { return 200.0 + 0.1 * x; }
  double Casing(double x) const { return 300.0 - 0.05 * x; }
  // The section at span fraction f as (x, r, theta) points [mm, rad].
  std::vector<Cylindrical_point> Section(double f) const {
    const double chord = 50.0, stagger = -(30.0 + 20.0 * f) * M_PI / 180.0;
    const double bow = 6.0 * std::sin(M_PI * f);
    std::vector<Cylindrical_point> points;
    const int n = 90;
    for (int side : {1, -1}) {
      for (int m = side == 1 ? 0 : n; side == 1 ? m <= n : m > 0; m += side) {
        const double s = 0.5 * (1.0 - std::cos(M_PI * m / n));
        const double camber = 0.2 * s * (1.0 - s);
        const double half =
            0.5 * (0.2969 * std::sqrt(s) - 0.126 * s - 0.3516 * s * s + 0.2843 * s * s * s - 0.1036 * s * s * s * s);
        const double u = s, v = camber + side * half;
        const double x = 2.0 * f + chord * (u * std::cos(stagger) + v * std::sin(stagger));
        const double y = bow * s * s + chord * (v * std::cos(stagger) - u * std::sin(stagger));
        const double r = Hub(x) + f * (Casing(x) - Hub(x));
        points.push_back({x, r, y / r});
      }
    }
    return points;
  }
  std::vector<double> fractions;
  // closed: each list closed by its first point written again, a hair away, and its fifth line repeated.
  Synthetic_row(const std::string& where, std::vector<double> spans, bool closed = false)
      : folder(where), fractions(std::move(spans)) {
    std::string profile;
    for (size_t n = 0; n < fractions.size(); ++n) {
      profile += "#Profile " + std::to_string(n + 1) + " at " + std::to_string(100 * fractions[n]) + "%\n";
      const std::vector<Cylindrical_point> points = Section(fractions[n]);
      for (size_t m = 0; m <= points.size(); ++m) {
        if (m == points.size() && !closed) break;
        const Cylindrical_point& p = points[m % points.size()];
        char line[128];
        std::snprintf(line, sizeof line, "%.10f %.10f %.10f\n",
                      p.r * std::sin(p.theta) + (m == points.size() ? 1e-10 : 0), p.r * std::cos(p.theta), p.x);
        profile += line;
        if (closed && m == 4) profile += line;
      }
    }
    testing::Write_text(folder + "/profile.dat", profile);
    std::string hub, casing;
    for (double x = -60; x <= 160; x += 5) {
      hub += std::to_string(Hub(x)) + " 0 " + std::to_string(x) + "\n";
      casing.insert(0, std::to_string(Casing(x)) + " 0 " + std::to_string(x) + "\n");  // outlet first
    }
    testing::Write_text(folder + "/hub.dat", hub);
    testing::Write_text(folder + "/casing.dat", casing);
    testing::Write_text(folder + "/info.txt",
                        "No of blades : 24\nAxis of rotation : Z\nCoordinates unit : mm\nInlet trim: -40mm Axial\n"
                        "Outlet trim: 120mm Axial\n");
  }
};

TEST(RowDeck, ARowOfItsOwnWithABowedTrailingEdgePassesThroughEverySection) {
  struct Case {
    const char* name;
    std::vector<double> spans;
    bool closed;
  };
  const Case cases[] = {
      {"hub to casing", {0.0, 0.25, 0.5, 0.75, 1.0}, false},
      {"away from both walls", {0.05, 0.3, 0.55, 0.8, 0.95}, false},
      {"closed lists with a repeated line", {0.0, 0.5, 1.0}, true},
  };
  for (const Case& c : cases) {
    torvane::testing::Scratch_folder scratch;
    const Synthetic_row row(scratch.path(), c.spans, c.closed);
    const Deck_build deck = Build_row_deck({row.folder + "/profile.dat",
                                            row.folder + "/hub.dat",
                                            row.folder + "/casing.dat",
                                            row.folder + "/info.txt",
                                            {},
                                            "",
                                            "",
                                            ""});
    ASSERT_EQ(deck.status, 0) << c.name << ": " << (deck.messages.empty() ? "" : deck.messages[0]);
    Run_options options;
    options.output_stem = scratch.path() + "/row";
    std::istringstream in(deck.deck);
    Console out, err;
    ASSERT_EQ(torvane::Run(in, out, err, options), 0) << c.name << ": " << err.captured();
    const inspect::Grid g = inspect::Read_grid_file(options.output_stem + ".rgra");
    const auto walls = Blade_wall_triangles(g, 21, 51, g.ke, 2.0 * M_PI / 24.0);
    for (double f : c.spans) {
      if (f >= 1.0) continue;  // the tip
      std::vector<P3> points;
      for (const Cylindrical_point& p : row.Section(f)) {
        // The files' axis Z is the grid's x; the files' x and y are the grid's y and z.
        points.push_back({1e-3 * p.x, 1e-3 * p.r * std::sin(p.theta), 1e-3 * p.r * std::cos(p.theta)});
      }
      const Section_distance d = Distance_to_walls(points, walls);
      std::printf("own row %s, section at %g: within 5-95%% of the axial chord %.4f mm, whole contour %.4f mm\n",
                  c.name, f, d.inner * 1e3, d.whole * 1e3);
      EXPECT_LT(d.inner, 0.05e-3) << c.name << ", section at " << f;
      EXPECT_LT(d.whole, 0.15e-3) << c.name << ", section at " << f;
    }
    double inlet = 0;
    for (int k = 1; k <= g.ke; ++k) {
      for (int j = 1; j <= g.je; ++j) inlet = std::max(inlet, std::fabs(g.x[g.Index(1, j, k)] + 0.040));
    }
    EXPECT_LT(inlet, 1e-9) << c.name;
  }
}

TEST(CurveFiles, RefusalsNameTheFileAndTheLine) {
  torvane::testing::Scratch_folder scratch;
  const std::string file = scratch.path() + "/f.dat";
  struct Case {
    const char* what;
    const char* text;
    std::string (*read)(const std::string&);
    const char* diagnostic;
  };
  auto profile = [](const std::string& path) {
    Read_profile_file(path, 'X', 0.01);
    return std::string();
  };
  auto curve = [](const std::string& path) {
    Read_curve_file(path, 'X', 0.01);
    return std::string();
  };
  auto info = [](const std::string& path) {
    Read_info_file(path);
    return std::string();
  };
  const Case cases[] = {
      {"a point before a heading", "1 2 3\n", profile, ", line 1: a point before the first heading `#Profile N at P%`"},
      {"two numbers", "#\tProfile\t1\tat\t0%\n1 2\n", profile,
       ", line 2: a point is a line `x y z` of three numbers, found 2 items"},
      {"a word", "#Profile 1 at 0%\n1 2 zz\n", profile, ", line 2: \"zz\" is not a number; a point is a line `x y z`"},
      {"a bad percent", "#Profile 1 at x%\n", profile,
       ", line 1: \"x%\" is not a place in the span (a per cent, 0% to 100%)"},
      {"one section", "#Profile 1 at 0%\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n", profile,
       ": one section; a blade row needs at least the hub and the casing section"},
      {"x back", "0 0 1\n1 0 1\n0.5 0 1\n2 0 1\n", curve,
       ", line 3: the axial position does not change monotonically from line 2; it must increase (or decrease) "
       "strictly along the curve"},
      {"x back, listed downwards", "2 0 1\n1 0 1\n1.5 0 1\n0 0 1\n", curve,
       ", line 2: the axial position does not change monotonically from line 3; it must increase (or decrease) "
       "strictly along the curve"},
      {"on the axis", "0 0 0\n", curve, ", line 1: the point lies on the axis; a radius must be positive"},
      {"unit", "Coordinates unit : furlong\n", info, ", line 1: \"furlong\" is not a unit; give m, cm, mm, in or ft"},
      {"blades", "No of blades : many\n", info, ", line 1: \"many\" is not a blade count (a whole number above 0)"},
      {"trim", "Coordinates unit : cm\nInlet trim: -30 furlong Axial\n", info,
       ", line 2: \"-30 furlong\" is not an axial position; give a number and a unit (-30mm)"},
      {"speed", "No of blades : 36\nRPM : fast\n", info,
       ", line 2: RPM \"fast\" is not a speed in rpm (for example 17189, or 0 for a stationary row)"},
      {"negative speed", "RPM : -17189\n", info,
       ", line 1: RPM \"-17189\" is below 0: give the speed without a sign; the sense of rotation follows from the "
       "grid's blade angles"},
  };
  for (const Case& c : cases) {
    testing::Write_text(file, c.text);
    std::string diagnostic;
    try {
      c.read(file);
    } catch (const Input_error& e) {
      diagnostic = e.what();
    }
    EXPECT_EQ(diagnostic, file + c.diagnostic) << c.what;
  }
}

TEST(RowDeck, TheCommandLineTakesTheCurveFilesTogetherAndTheUnitFromSomewhere) {
  torvane::testing::Scratch_folder scratch;
  const Synthetic_row row(scratch.path(), {0.0, 0.5, 1.0});
  const std::string p = row.folder + "/profile.dat", h = row.folder + "/hub.dat", c = row.folder + "/casing.dat";
  // Two sections at 50 %: the dry run refuses the second one's deck entry,
  // which the message traces back to the third block of the profile file.
  fs::create_directory(scratch.path() + "/twice");
  const Synthetic_row twice(scratch.path() + "/twice", {0.0, 0.5, 0.5, 1.0});
  const std::string twice_profile = twice.folder + "/profile.dat";
  const std::string twice_text = testing::Read_text(twice_profile);
  int third_heading = 0, headings = 0;
  for (size_t at = 0, line = 1; at < twice_text.size() && headings < 3; at = twice_text.find('\n', at) + 1, ++line) {
    if (twice_text[at] == '#' && ++headings == 3) third_heading = static_cast<int>(line);
  }
  // A casing curve that ends at x = 20 mm, inside the blade.
  const std::string short_casing = scratch.path() + "/short_casing.dat";
  testing::Write_text(short_casing, "300 0 -60\n298 0 -20\n297 0 20\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* first_line;            // of standard error
    std::vector<std::string> parts{};  // pieces of it, where it holds a figure of the build
  };
  const Case cases[] = {
      {{"--profile", p, "--hub-curve", h},
       kExitUsage,
       "torvane-deck: a blade row's curve files are --profile, --hub-curve and --casing-curve together, without "
       "--hub, --casing, --flow-path or --points"},
      {{"--profile", p, "--hub-curve", h, "--casing-curve", c, "--hub", p},
       kExitUsage,
       "torvane-deck: a blade row's curve files are --profile, --hub-curve and --casing-curve together, without "
       "--hub, --casing, --flow-path or --points"},
      {{"--profile", p, "--hub-curve", h, "--casing-curve", c},
       kExitUsage,
       "torvane-deck: the coordinates' unit is not known: give --unit (m, cm, mm, in or ft) or an info file with "
       "`Coordinates unit`"},
      {{"--profile", p, "--hub-curve", h, "--casing-curve", c, "--unit", "yd"},
       kExitUsage,
       "torvane-deck: --unit: \"yd\": give m, cm, mm, in or ft"},
      {{"--profile", p + "x", "--hub-curve", h, "--casing-curve", c, "--unit", "mm"}, kExitInput, nullptr},
      {{"--profile", p, "--hub-curve", h, "--casing-curve", c, "--info", row.folder + "/info.txt", "--nbrow", "20",
        "--outlet-plane", "150"},
       kExitWritten,
       nullptr},
      {{"--profile", twice_profile, "--hub-curve", h, "--casing-curve", c, "--info", row.folder + "/info.txt"},
       kExitProblems,
       nullptr,
       {"torvane-deck: torvane would stop on this deck: deck line ",
        " (section): span 0.5 is the span of the section on line ",
        " (the section of " + twice_profile + ", line " + std::to_string(third_heading) + ", at 50%)"}},
      {{"--profile", p, "--hub-curve", h, "--casing-curve", short_casing, "--info", row.folder + "/info.txt"},
       kExitInput,
       nullptr,
       {"torvane-deck: " + p + ", line 1: the section at 0% reaches the axial position ",
        ", beyond the hub and casing curves, which both reach from -60 to 20 (the files' unit); extend the curves"}},
  };
  for (const Case& k : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(Deck_main(k.args, out, err), k.status) << err.str();
    const std::string first_line = err.str().substr(0, err.str().find('\n'));
    if (k.first_line != nullptr) {
      EXPECT_EQ(first_line, k.first_line);
    }
    for (const std::string& part : k.parts) EXPECT_NE(first_line.find(part), std::string::npos) << first_line;
    if (k.status == kExitWritten) {
      EXPECT_NE(out.str().find("\n20        nbrow"), std::string::npos) << "--nbrow wins over the info file";
      EXPECT_NE(out.str().find("\nplanes "), std::string::npos);
    }
  }
  // The choices of a deck apply: --refine 2 doubles the counts.
  std::ostringstream out, err;
  ASSERT_EQ(Deck_main({"--profile", p, "--hub-curve", h, "--casing-curve", c, "--info", row.folder + "/info.txt",
                       "--refine", "2"},
                      out, err),
            kExitWritten)
      << err.str();
  EXPECT_NE(out.str().find("\n120       nblade"), std::string::npos) << out.str().substr(0, 400);
  EXPECT_NE(out.str().find("\n32        nspan"), std::string::npos) << out.str().substr(0, 400);
}

TEST(CurveFiles, ReadsTheInfoFileAndTheTrimsInMetres) {
  const std::string folder = Rotor37_folder();
  if (folder.empty()) GTEST_SKIP() << "shared Rotor 37 curve files not found under " << TORVANE_SHARED_DIR;
  const Row_info info = Read_info_file(folder + "/Info.txt");
  EXPECT_EQ(info.blades, 36);
  EXPECT_EQ(info.axis, 'X');
  EXPECT_EQ(info.unit, 0.01);
  EXPECT_EQ(info.rpm, 17189);
  EXPECT_DOUBLE_EQ(*info.inlet_trim, -0.030);
  EXPECT_DOUBLE_EQ(*info.outlet_trim, 0.090);
  EXPECT_EQ(info.tip_clearance, "0.2% of span (~0.1316mm)");
}

}  // namespace
}  // namespace torvane::deck

namespace torvane::deck {
namespace {

// A blade row's speed: the info file's RPM, or --rpm over it, or none.
TEST(RowDeck, TheSpeedComesFromTheInfoFileUnlessRpmIsGiven) {
  torvane::testing::Scratch_folder scratch;
  const Synthetic_row row(scratch.path(), {0.0, 0.5, 1.0});
  const std::string info = row.folder + "/info.txt";
  const std::string with_speed = row.folder + "/info_rpm.txt";
  testing::Write_text(with_speed, torvane::testing::Read_file(info) + "RPM : 3000\n");
  struct Case {
    std::string info;
    Setting rpm;
    const char* row;   // the block's rpm row, or nullptr for none
    const char* note;  // the deck's note on it
  };
  const Case cases[] = {
      {info, {}, nullptr, nullptr},
      {with_speed, {}, "\nrpm 3000 ", "# rotor speed 3000 rpm, from the info file's RPM"},
      {with_speed, {"rpm", "2500.5", "--rpm"}, "\nrpm 2500.5 ", "# rotor speed 2500.5 rpm, from --rpm"},
      {info, {"rpm", "0", "--rpm"}, "\nrpm 0 ", "# rotor speed 0 rpm, from --rpm"},
  };
  for (const Case& c : cases) {
    Row_request request;
    request.profile = row.folder + "/profile.dat";
    request.hub_curve = row.folder + "/hub.dat";
    request.casing_curve = row.folder + "/casing.dat";
    request.info = c.info;
    request.rpm = c.rpm;
    const Deck_build build = Build_row_deck(request);
    ASSERT_EQ(build.status, 0) << (build.messages.empty() ? "" : build.messages[0]);
    const std::string block = build.deck.substr(build.deck.find("torvane-block 1"));
    EXPECT_EQ(block.find("\nrpm ") != std::string::npos, c.row != nullptr) << c.info << " " << c.rpm.text;
    if (c.row != nullptr) {
      EXPECT_NE(block.find(c.row), std::string::npos) << block.substr(block.find("\nrpm"));
      EXPECT_NE(build.deck.find(c.note), std::string::npos) << c.note;
    }
  }
}

// From the four shared files to the RANS case with the programs themselves:
// the info file's RPM goes through the deck's block and the run's machine file
// into constant/SRFProperties without --rpm; --rpm wins over it.
TEST(RowDeck, Rotor37RansCaseTakesTheInfoFilesRpmWithoutTheOption) {
  const std::string folder = Rotor37_folder();
  if (folder.empty()) GTEST_SKIP() << "shared Rotor 37 curve files not found under " << TORVANE_SHARED_DIR;
  torvane::testing::Scratch_folder scratch;
  const std::string dir = scratch.path();
  const auto deck = torvane::testing::Run_program(
      TORVANE_DECK_EXE,
      {"--profile", folder + "/profile_R37.dat", "--hub-curve", folder + "/hub_R37.dat", "--casing-curve",
       folder + "/shroud_R37.dat", "--info", folder + "/Info.txt", "--fname", "r37"},
      "/dev/null", dir);
  ASSERT_EQ(deck.status, 0) << deck.err;
  EXPECT_NE(deck.out.find("\nrpm 17189 "), std::string::npos);
  EXPECT_NE(deck.out.find("# rotor speed 17189 rpm, from the info file's RPM"), std::string::npos);
  testing::Write_text(dir + "/r37.in", deck.out);
  const auto run = torvane::testing::Run_program(TORVANE_BINARY, {}, dir + "/r37.in", dir);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(torvane::testing::Read_file(dir + "/r37.rmach"),
            "# Machine data of the grid's blade row (torvane)\r\nrpm 17189\r\n");

  struct Case {
    std::vector<std::string> speed;  // --rpm and its value, or nothing
    const char* rpm_line;
    const char* source;  // in SRFProperties' comment
  };
  const Case cases[] = {
      {{}, "rpm             17189;", "// The speed is the grid's, from r37.rmach (the rpm of its deck's block)"},
      {{"--rpm", "1000"}, "rpm             1000;", "// The speed is --rpm's."},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"export", "--to", "openfoam", "--case", "rans", "--output", "rans", "r37"};
    args.insert(args.begin() + 5, c.speed.begin(), c.speed.end());
    const auto exported = torvane::testing::Run_program(TORVANE_INSPECT_EXE, args, "/dev/null", dir);
    ASSERT_EQ(exported.status, 0) << exported.err;
    const std::string srf = torvane::testing::Read_file(dir + "/rans/constant/SRFProperties");
    EXPECT_NE(srf.find(c.rpm_line), std::string::npos) << srf;
    EXPECT_NE(srf.find(c.source), std::string::npos) << srf;
    EXPECT_NE(srf.find("axis            (1 0 0);"), std::string::npos) << srf;
  }
  // The console line says where the speed came from.
  const auto summary = torvane::testing::Run_program(
      TORVANE_INSPECT_EXE, {"export", "--to", "openfoam", "--case", "rans", "--output", "rans2", "r37"}, "/dev/null",
      dir);
  EXPECT_NE(summary.out.find("RANS case for SRFSimpleFoam: 17189 rpm (the grid's speed, r37.rmach), right-handed"),
            std::string::npos)
      << summary.out;
}

}  // namespace
}  // namespace torvane::deck
