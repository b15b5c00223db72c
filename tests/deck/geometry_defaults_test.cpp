// torvane-deck's defaults that follow the geometry: the metal angles of known
// sections, the y+ wall spacing against a hand calculation, the wall-layer
// counts, the notes that say where each value came from, and --refine and
// --levels at and beyond the storage limits.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "deck/airfoil_file.hpp"
#include "deck/deck_build.hpp"
#include "deck/deck_main.hpp"
#include "deck/geometry_defaults.hpp"
#include "deck/metal_angles.hpp"
#include "deck/refinement.hpp"
#include "deck/wall_spacing.hpp"
#include "distribution/distribute_line.hpp"
#include "distribution/stretch.hpp"
#include "support/captured_diagnostics.hpp"
#include "support/scratch_folder.hpp"

namespace torvane::deck {
namespace {

// A shared airfoil file, or "" when the shared folder is absent.
std::string Airfoil(const char* name) {
  const std::string path = std::string(TORVANE_SHARED_DIR) + "/data/airfoils/" + name;
  return std::filesystem::exists(path) ? path : "";
}

#define REQUIRE_AIRFOIL(var, name)       \
  const std::string var = Airfoil(name); \
  if (var.empty()) GTEST_SKIP() << "shared airfoil data not found: " << name

// The deck's line of the record, or "" when there is none.
std::string Line_of(const std::string& deck, const std::string& name) {
  std::istringstream in(deck);
  for (std::string line; std::getline(in, line);) {
    const size_t at = line.find(' ');
    if (at == std::string::npos) continue;
    const size_t note = line.find_first_not_of(' ', at);
    if (note != std::string::npos && line.compare(note, name.size() + 1, name + ":") == 0) return line;
  }
  return "";
}

Deck_build Deck_of(const std::string& path, std::vector<Setting> settings) {
  for (Setting& setting : settings) setting.origin = "--" + setting.name;
  return Build_deck({{path, {}}, {path, {}}, "", "", settings, ""});
}

TEST(WallSpacing, TheFirstIntervalForATargetYplusMatchesTheHandCalculation) {
  // Cf = (2 log10 Re - 0.65)^-2.3; u_tau / U = sqrt(Cf / 2); y = y+ c / (Re u_tau / U).
  struct Case {
    double yplus, re, chord, cf, distance;
  } cases[] = {
      // 2 x 6 - 0.65 = 11.35; 11.35^-2.3 = 0.0037455; sqrt(0.0018727) = 0.043275; 0.06 / (1e6 x 0.043275).
      {1, 1e6, 0.06, 0.0037455, 1.38647e-6},
      // 2 x 5.69897 - 0.65 = 10.74794; ^-2.3 = 0.0042457; sqrt(0.0021229) = 0.046075; 30 x 0.06 / (5e5 x 0.046075).
      {30, 5e5, 0.06, 0.0042457, 7.81343e-5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.re);
    EXPECT_NEAR(Flat_plate_skin_friction(c.re), c.cf, 1e-7);
    EXPECT_NEAR(Wall_distance(c.yplus, c.re, c.chord), c.distance, 1e-5 * c.distance);
  }
}

TEST(WallSpacing, YplusSetsTheThreeWallIntervalsAndTheirNotesSayHow) {
  REQUIRE_AIRFOIL(naca, "naca65410.dat");
  const Deck_build build = Deck_of(
      naca,
      {{"yplus", "1", ""}, {"reynolds", "1e6", ""}, {"dywte", "0.0002", ""}, {"nwall", "5", ""}, {"nwallhc", "3", ""}});
  ASSERT_EQ(build.status, kExitWritten) << build.messages.front();
  const std::string source =
      " = y+ 1 at Re 1e6 on chordhub 0.06: y+ x chord / (Re sqrt(Cf/2)), Cf = (2 log10 Re - 0.65)^-2.3 = "
      "0.0037455 (Schlichting, turbulent flat plate)";
  // Pitchwise, the distance normal to the wall over the cosine of the inlet metal angle.
  EXPECT_EQ(Line_of(build.deck, "dywle"),
            "1.588E-06 dywle: first pitchwise interval at the walls, leading-edge line (hub) = wall distance 1.386e-06 "
            "normal to the wall / cos(inlet metal angle -29.19, mean of hub and casing); y+ 1 at Re 1e6 on chordhub "
            "0.06: y+ x chord / (Re sqrt(Cf/2)), Cf = (2 log10 Re - 0.65)^-2.3 = 0.0037455 (Schlichting, turbulent "
            "flat plate)");
  EXPECT_EQ(Line_of(build.deck, "dzwall"), "1.386E-06 dzwall: first spanwise interval at hub and casing" + source);
  // The option given wins over the target y+.
  EXPECT_EQ(Line_of(build.deck, "dywte"),
            "0.0002    dywte: first pitchwise interval at the walls, trailing-edge line (hub)");
}

TEST(MetalAngles, SectionsOfKnownCamberGiveTheirEdgeAnglesTurnedByTheStagger) {
  REQUIRE_AIRFOIL(naca0012, "naca0012.dat");
  REQUIRE_AIRFOIL(arc, "arc50_t12.dat");
  // The circular arc of 50 degrees: its chord from the camber line at 1% to
  // 6% of the chord leans 23.15 degrees, at 94% to 99% -23.15 degrees
  // (radius 0.5 / sin 25 deg). The symmetric section's camber line is its chord.
  // The file's points leave the arc's angles within a degree: its smallest x,
  // where torvane puts the leading edge, lies 0.0054 chords off the arc's end.
  struct Case {
    const std::string& path;
    double stagger, inlet, outlet;
  } cases[] = {
      {naca0012, 0, 0, 0},     {naca0012, 20, -20, -20},           {naca0012, 45, -45, -45},
      {arc, 0, 23.15, -23.15}, {arc, 30, 23.15 - 30, -23.15 - 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " at " + std::to_string(c.stagger));
    const Section_contour contour = Build_contour(Read_airfoil_file(c.path));
    Control_values values = Default_values();
    values.staghub = c.stagger;
    const auto angles = Section_metal_angles(values, Surface::hub, contour);
    ASSERT_TRUE(angles.has_value());
    EXPECT_NEAR(angles->inlet, c.inlet, 1.0);
    EXPECT_NEAR(angles->outlet, c.outlet, 1.0);
  }
}

TEST(WallLayers, TheMostLayersThatTakeAThirdOfTheLineUpToAQuarterOfItsIntervals) {
  // Two layers of n intervals from d growing by 1.2 take 2 d (1.2^n - 1) / 0.2.
  struct Case {
    double first;
    int intervals, count;
  } cases[] = {
      {0.008, 32, 8},  // n = 9 would fit (0.3328), the quarter of 32 stops at 8
      {0.008, 40, 9},  // 1.2^9: 2 x 0.008 x 4.15978 / 0.2 = 0.3328 fits; 1.2^10: 0.4153 does not
      {0.1, 32, 1},    // two intervals already take 2 x 0.22
      {0.4, 32, 1},    // one interval too thick still leaves one
      {0.001, 7, 1},   // a quarter of 7 intervals is 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    EXPECT_EQ(Wall_layer_count(c.first, 1.2, 1.0, c.intervals), c.count);
  }
}

TEST(GeometryDefaults, TheNotesSayWhereEachDefaultCameFromAndGivenValuesWin) {
  REQUIRE_AIRFOIL(naca, "naca65410.dat");
  // The rear stage: hub/tip 0.25 / 0.30, which folded 15,817 cells with the absolute defaults.
  const Deck_build rear = Deck_of(naca, {{"rcas", "0.30", ""}, {"chordhub", "0.08", ""}, {"dsle", "0.0002", ""}});
  ASSERT_EQ(rear.status, kExitWritten) << rear.messages.front();
  struct Case {
    const char* name;
    std::string line;
  } cases[] = {
      {"dzwall", "0.0012    dzwall: first spanwise interval at hub and casing = 0.024 x span 0.05 (rcas - rhub)"},
      {"nwallhc",
       "4         nwallhc: growing spanwise intervals at hub and casing = the most layers, up to "
       "nspan/4, that take at most a third of the span"},
      // 0.005 x 0.08; 0.8333 x 0.08 = 0.066664; 0.0667 + 1.833 x 0.08 = 0.21334.
      {"dste", "0.0004    dste: first streamwise interval at the trailing edge (hub) = 0.005 x chordhub 0.08"},
      {"lin", "0.06666   lin: axial distance inlet to leading edge (hub) = 0.8333 x chordhub 0.08"},
      {"lx", "0.2133    lx: axial distance inlet to outlet = lin 0.06666 + 1.833 x the longer chord 0.08"},
      // 2 pi 0.25 / 30 = 0.0523599; x 0.008 = 0.000418879; x 0.02 = 0.0010472.
      {"dywle",
       "0.0004189 dywle: first pitchwise interval at the walls, leading-edge line (hub) = 0.008 x hub "
       "pitch 0.0523599 (2 pi x rhub 0.25 / nbrow 30)"},
      {"dyout",
       "0.001047  dyout: first pitchwise interval at both ends of the outlet line = 0.02 x hub pitch "
       "0.0523599 (2 pi x rhub 0.25 / nbrow 30)"},
      {"dsle", "0.0002    dsle: first streamwise interval at the leading edge (hub)"},
      {"rcas", "0.3       rcas: casing radius"},
  };
  for (const Case& c : cases) EXPECT_EQ(Line_of(rear.deck, c.name), c.line);
  EXPECT_TRUE(Line_of(rear.deck, "betain").find("= inlet metal angle, mean of hub ") != std::string::npos);
}

TEST(GeometryDefaults, AnOutletMetalAngleSteeperThanTheLimitIsLimitedAndSaysSo) {
  REQUIRE_AIRFOIL(arc, "arc50_t12.dat");
  // 60 + 23 degrees at the trailing edge: the downstream lines would shear the outlet's cells.
  const Deck_build build = Deck_of(arc, {{"staghub", "60", ""}, {"stagcas", "60", ""}});
  ASSERT_EQ(build.status, kExitWritten) << build.messages.front();
  const std::string line = Line_of(build.deck, "betaout");
  EXPECT_TRUE(line.starts_with("-70.0     betaout:")) << line;
  EXPECT_TRUE(line.ends_with(" limited to -70")) << line;
}

TEST(Refinement, CountsAreRefinedAndRoundedToTheMultigridMultiple) {
  struct Case {
    int n;
    double factor;
    int levels, count;
  } cases[] = {
      {20, 2, 0, 40},  {20, 0.5, 0, 10}, {15, 0.5, 0, 8},  // 7.5 rounds away from zero
      {1, 0.25, 0, 1},                                     // never below one interval
      {20, 1, 3, 24},                                      // 20 / 8 = 2.5 rounds to 3 eights
      {3, 1, 2, 4},                                        // at least one multiple
      {30, 1, 4, 32},  {16, 1, 5, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.n) + " x " + std::to_string(c.factor) + ", levels " + std::to_string(c.levels));
    EXPECT_EQ(Refined_count(c.n, c.factor, c.levels), c.count);
  }
}

TEST(Refinement, DoublingReachesThePitchwiseLimitAndOneStepMorePassesIt) {
  REQUIRE_AIRFOIL(naca, "naca65410.dat");
  // Doubled: npitch 64 gives je = 65, the limit; nin 40 + nblade/2 60 + nout 60 + 1 = 161; nspan 32.
  const Deck_build doubled = Deck_of(naca, {{"refine", "2", ""}});
  ASSERT_EQ(doubled.status, kExitWritten) << doubled.messages.front();
  EXPECT_EQ(Line_of(doubled.deck, "npitch"), "64        npitch: intervals across the pitch = from 32 by --refine 2");
  EXPECT_EQ(Line_of(doubled.deck, "nblade"),
            "120       nblade: intervals along the blade contour, both sides = from 60 by --refine 2");
  EXPECT_EQ(Line_of(doubled.deck, "dsle"),
            "0.00015   dsle: first streamwise interval at the leading edge (hub) = 0.005 x chordhub 0.06, 0.0003 / 2 "
            "by --refine 2");
  // 1.2^(1/2): the wall layers keep their thickness with twice the intervals.
  EXPECT_TRUE(Line_of(doubled.deck, "ratio").starts_with("1.0954451150103321  ratio:"));

  struct Case {
    std::vector<Setting> settings;
    std::string message;
  } cases[] = {
      {{{"refine", "2.1", ""}},
       "too many grid points by --refine 2.1: je = npitch + 1 = 68 exceeds 65; lower --refine"},
      // nspan 16 rounds to 64; nin, nout and each side to 64 too, ie = 193 still fits.
      {{{"levels", "6", ""}}, "too many grid points by --levels 6: ke = nspan + 1 = 65 exceeds 49; lower --levels"},
      // A count beyond its limit as given is named as it is without refinement.
      {{{"npitch", "70", ""}, {"refine", "0.5", ""}},
       "too many grid points: je = npitch + 1 = 71 exceeds 65; lower --npitch"},
      {{{"refine", "4", ""}, {"levels", "1", ""}},
       "too many grid points by --refine 4 and --levels 1: ie = nin + nblade/2 + nout + 1 = 321 exceeds 257; "
       "je = npitch + 1 = 129 exceeds 65; ke = nspan + 1 = 65 exceeds 49; lower --refine or --levels"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const Deck_build build = Deck_of(naca, c.settings);
    EXPECT_EQ(build.status, kExitProblems);
    EXPECT_EQ(build.deck, "");
    ASSERT_EQ(build.messages.size(), 1u);
    EXPECT_TRUE(build.messages[0].starts_with(c.message)) << build.messages[0];
  }
}

TEST(Refinement, LevelsGiveCountsOfTheMultipleThatTorvaneAccepts) {
  REQUIRE_AIRFOIL(naca, "naca65410.dat");
  // 2^5 = 32: nin 20, nout 30, each side 30, nspan 16 all round to 32; npitch stays 32.
  const Deck_build build = Deck_of(naca, {{"levels", "5", ""}});
  ASSERT_EQ(build.status, kExitWritten) << build.messages.front();
  for (const char* name : {"nin", "nout", "npitch", "nspan"}) EXPECT_TRUE(Line_of(build.deck, name).starts_with("32 "));
  EXPECT_TRUE(Line_of(build.deck, "nblade").starts_with("64 "));
}

TEST(DeckChoices, ValuesThatCannotServeAreRefusedNamingTheOption) {
  REQUIRE_AIRFOIL(naca, "naca65410.dat");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"--yplus", "1"}, kExitUsage, "--yplus: a target y+ needs the Reynolds number on the chord: add --reynolds RE"},
      {{"--reynolds", "1e6"}, kExitUsage, "--reynolds: the Reynolds number serves a target y+: add --yplus Y"},
      {{"--yplus", "0", "--reynolds", "1e6"}, kExitUsage, "--yplus: \"0\": give a target y+ above 0 and at most 1000"},
      {{"--yplus", "1", "--reynolds", "100"},
       kExitUsage,
       "--reynolds: \"100\": give a Reynolds number on the chord from 1E+04 to 1E+10, where the turbulent "
       "flat-plate correlation holds"},
      {{"--refine", "0"}, kExitUsage, "--refine: \"0\": give a refinement factor from 0.125 to 16"},
      {{"--refine", "two"}, kExitUsage, "--refine: \"two\" is not a number"},
      {{"--levels", "1.5"}, kExitUsage, "--levels: \"1.5\": give a whole number of multigrid levels from 0 to 8"},
      {{"--levels", "9"}, kExitUsage, "--levels: \"9\": give a whole number of multigrid levels from 0 to 8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::vector<std::string> args = {"--hub", naca, "--casing", naca};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::ostringstream out, err;
    EXPECT_EQ(Deck_main(args, out, err), c.status);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "torvane-deck: " + c.message + "\n");
  }
}

TEST(DeckChoices, AParameterFileTakesTheChoicesAndItsLineIsNamedWhenOneIsWrong) {
  REQUIRE_AIRFOIL(naca, "naca65410.dat");
  const torvane::testing::Scratch_folder folder;
  const std::string file = folder.File("choices.par");
  struct Case {
    std::string text;
    int status;
    std::string err;
  } cases[] = {
      // Given layer counts keep the classic distribution's counts.
      {"yplus = 1\nreynolds = 1e6\nrefine = 0.5\nnwall = 5\nnwallhc = 3\nnin = 20\n", kExitWritten, ""},
      {"refine = 2\nlevels = 9\n", kExitInput,
       "torvane-deck: " + file + ", line 2 (levels): \"9\": give a whole number of multigrid levels from 0 to 8\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    { std::ofstream(file) << c.text; }
    std::ostringstream out, err;
    EXPECT_EQ(Deck_main({"--hub", naca, "--casing", naca, "--parameters", file}, out, err), c.status);
    EXPECT_EQ(err.str(), c.err);
    if (c.status == kExitWritten) {
      // Halved: 1.386E-06 / 0.5; nin 20 x 0.5.
      EXPECT_TRUE(Line_of(out.str(), "dzwall").starts_with("2.772E-06 ")) << Line_of(out.str(), "dzwall");
      EXPECT_TRUE(Line_of(out.str(), "nin").starts_with("10 "));
    }
  }
}

}  // namespace
}  // namespace torvane::deck

namespace torvane::deck {
namespace {

// The layers end where the blend's mean interval is 1 to kBlendMismatch times
// their last slope on every line, the counts in steps of kCountStep unless fixed.
TEST(WallLayers, TheLayersMeetABlendThatNeitherShrinksNorJumps) {
  struct Case {
    double first;
    std::vector<double> lengths, scales;
    int from;
    bool fixed;
    std::optional<Layered_line> expected;
    double largest = INFINITY;  // the blend's largest interval allowed
  } cases[] = {
      {2.604e-6, {0.25}, {1.0}, 16, false, Layered_line{96, 44}},
      {2.604e-6, {0.25}, {1.0}, 16, true, std::nullopt},  // 16 spanwise intervals cannot hold y+ 1 layers
      {0.01, {0.25}, {1.0}, 16, true, Layered_line{16, 3}},
      {1e-3, {0.25}, {1.0}, 16, true, std::nullopt},  // 16 intervals: a blend 16 times the layers' last
      {2.983e-6, {0.05236, 0.10472}, {1.0, 1.0}, 32, false, Layered_line{88, 36}},
      {0.1, {0.25}, {1.0}, 16, false, std::nullopt},  // a first interval wider than the line allows
      // The span's core within 800 x the blade's first pitchwise interval, the pitch's within 800 x dzwall.
      {2.604e-6, {0.25}, {1.0}, 16, false, Layered_line{176, 37}, 800 * 2.983e-6},
      {2.983e-6, {0.05236, 0.10472}, {1.0, 1.0}, 32, false, Layered_line{128, 30}, 800 * 2.604e-6},
      // A limit the blend of 999 intervals cannot keep to.
      {2.604e-6, {0.25}, {1.0}, 16, false, std::nullopt, 1e-4},
  };
  for (const Case& c : cases) {
    const auto line = Wall_layers(c.first, 1.2, c.lengths, c.scales, c.from, 998, c.fixed, c.largest);
    ASSERT_EQ(line.has_value(), c.expected.has_value()) << c.first << " from " << c.from;
    if (!line) continue;
    EXPECT_EQ(line->intervals, c.expected->intervals) << c.first;
    EXPECT_EQ(line->layers, c.expected->layers) << c.first;
    if (!c.fixed) {
      EXPECT_EQ(line->intervals % kCountStep, 0);
    }
    // Whatever was chosen, the blend starts at or above the layers' last slope and within the mismatch.
    for (size_t l = 0; l < c.lengths.size(); ++l) {
      const double h1 = c.first * c.scales[l];
      const double thickness = h1 * (std::pow(1.2, line->layers) - 1.0) / 0.2;
      const double blend = (c.lengths[l] - 2 * thickness) / (line->intervals - 2 * line->layers);
      const double slope = h1 * std::pow(1.2, line->layers - 1) * 1.2 * std::log(1.2) / 0.2;
      EXPECT_GE(blend / slope, 1.0);
      EXPECT_LE(blend / slope, kBlendMismatch);
      // The line as the grid distributes it: no interval above the limit.
      const int n = line->intervals;
      std::vector<double> points(static_cast<size_t>(n) + 1);
      testing::Captured_diagnostics diagnostics;
      Distribute_line(1, line->layers + 1, n + 1 - line->layers, n + 1, 0.0, thickness, c.lengths[l] - thickness,
                      c.lengths[l], h1, h1, Line(points), diagnostics);
      double widest = 0;
      for (size_t p = 1; p < points.size(); ++p) widest = std::max(widest, points[p] - points[p - 1]);
      EXPECT_LE(widest, c.largest * (1 + 1e-9)) << c.first << " on line " << l;
    }
  }
}

// The deck's estimates of a line's largest interval against the lines the grid
// is built of: the cubic blend between stretched ends and the geometric
// stretch before and after the blade.
TEST(WallLayers, TheLargestIntervalsAreThoseOfTheGridsDistributions) {
  // Two intervals at each end, from d0 and d1 and covering 2.1 of them, as along the blade.
  struct Blend_case {
    double length;
    int intervals;
    double d0, d1;
  } blends[] = {
      {1.0, 10, 0.1 / 1.1534, 0.1 / 1.1534},  // nearly uniform
      {1.0, 20, 0.01, 0.01},                  // ends steeper than nothing: the middle widest
      {0.052, 52, 3e-4, 3e-4},
      {1.0, 8, 0.2, 0.05},  // unequal ends
      {1.0, 30, 0.06, 0.02},
  };
  for (const Blend_case& c : blends) {
    const int last = c.intervals + 5;
    std::vector<double> points(static_cast<size_t>(last));
    testing::Captured_diagnostics diagnostics;
    Distribute_line(1, 3, last - 2, last, -2.1 * c.d0, 0.0, c.length, c.length + 2.1 * c.d1, c.d0, c.d1, Line(points),
                    diagnostics);
    double widest = 0;
    for (size_t q = 3; q + 3 <= static_cast<size_t>(last); ++q) widest = std::max(widest, points[q] - points[q - 1]);
    // The ends' slopes where the blend starts: the second interval 1.1 d times 1.1 ln 1.1 / 0.1.
    auto slope = [](double d) { return 1.1 * d * (1.1 * std::log(1.1) / 0.1); };
    EXPECT_NEAR(Blend_largest(c.length, c.intervals, slope(c.d0), slope(c.d1)), widest, 1e-3 * widest)
        << c.length << " " << c.intervals;
  }

  struct Stretch_case {
    double first, length;
    int n;
  } stretches[] = {{3e-4, 0.05, 31}, {3e-4, 0.05, 70}, {1e-3, 0.01, 10}, {2e-3, 0.01, 8}, {1e-5, 1.0, 200}};
  for (const Stretch_case& c : stretches) {
    testing::Captured_diagnostics diagnostics;
    const double r = Stretch(c.first, c.length, c.n, diagnostics);
    const double largest = std::max(c.first, c.first * Integer_power(r, c.n - 1));
    EXPECT_NEAR(Stretch_largest(c.first, c.length, c.n), largest, 1e-3 * largest) << c.first << " " << c.n;
  }
}

}  // namespace
}  // namespace torvane::deck
