#include "deck/deck_checks.hpp"

#include <gtest/gtest.h>

#include "deck/deck_records.hpp"
#include "deck/deck_support.hpp"
#include "deck/deck_text.hpp"

namespace torvane::deck {
namespace {

Control_values Test_values() {
  Control_values values = Default_values();
  values.title = "test";
  values.fname = "test";
  return values;
}

Deck_section Naca_section(const std::string& path) {
  const Airfoil_file file = Read_airfoil_file(path);
  return Deck_section{"naca65410.dat", file.name, Build_contour(file), false};
}

TEST(DeckChecks, SizeLimitsAndRefusedValuesNameTheOptionInTorvanesWords) {
  struct Case {
    const char* name;
    const char* text;
    const char* problem;
  };
  const Case cases[] = {
      {"nin", "300",
       "too many grid points: ie = nin + nblade/2 + nout + 1 = 361 exceeds 257; lower --nin, --nblade or --nout"},
      {"npitch", "64", ""},  // at the limits the grid still fits
      {"npitch", "65", "too many grid points: je = npitch + 1 = 66 exceeds 65; lower --npitch"},
      {"nspan", "48", ""},
      {"nspan", "49", "too many grid points: ke = nspan + 1 = 50 exceeds 49; lower --nspan"},
      {"nblade", "3", "--nblade: 3 intervals give fewer than 2 along each blade side"},
      {"rcas", "0.2", "--rcas: casing radius 0.2 is not greater than the hub radius 0.25"},
      {"nwall", "40", "--nwall: 40 wall intervals do not fit in 32 pitchwise intervals"},
      {"ibez", "0", "--ibez: 0: only 1 (the one-shot Bezier approximation) defines a blade contour"},
  };
  for (const Case& c : cases) {
    Control_values values = Test_values();
    ASSERT_FALSE(Set_value(values, *Find_record(c.name), c.text));
    const std::vector<std::string> problems = Value_problems(values);
    if (c.problem[0] == '\0') {
      EXPECT_TRUE(problems.empty()) << c.name << " " << c.text;
      continue;
    }
    ASSERT_EQ(problems.size(), 1u) << c.name;
    EXPECT_EQ(problems[0], c.problem);
  }
  EXPECT_TRUE(Value_problems(Test_values()).empty());
}

TEST(DeckChecks, TheNacaSectionPassesAtModerateStaggerAndFailsWhereItsEdgesMove) {
  TORVANE_REQUIRE_NACA(path);
  const Deck_section section = Naca_section(path);
  struct Case {
    double stagger;
    const char* problem;  // "" for none
  };
  const Case cases[] = {
      {0, ""},
      {30, ""},
      {56, ""},  // the smallest x moves a little onto the -y side of the nose: still the leading edge
      {80,
       "hub section (naca65410.dat, staghub 80.0): the largest x of the placed contour is near point 48, 9.9% of the "
       "chord from the trailing edge (point 1), so torvane's edge search would put the trailing edge there; change "
       "--staghub or the section"},
  };
  for (const Case& c : cases) {
    Control_values values = Test_values();
    values.staghub = c.stagger;
    const std::vector<std::string> problems = Section_problems(values, Surface::hub, section);
    if (c.problem[0] == '\0') {
      EXPECT_TRUE(problems.empty()) << c.stagger << ": " << (problems.empty() ? "" : problems[0]);
    } else {
      ASSERT_FALSE(problems.empty()) << c.stagger;
      EXPECT_EQ(problems[0], c.problem);
    }
  }
}

TEST(DeckChecks, ASideThatTurnsBackInXIsReportedWithTheOptionToChange) {
  // A hooked section: the -y side runs back towards larger x before the nose.
  const std::vector<Point> loop{{1, 0},      {0.8, -0.05}, {0.5, -0.08}, {0.3, -0.08}, {0.2, -0.12}, {0.3, -0.2},
                                {0.1, -0.2}, {0, 0},       {0.3, 0.1},   {0.7, 0.06},  {1, 0}};
  const Airfoil_file file{"hook.dat", "hook", Airfoil_format::selig, loop};
  const Deck_section section{"hook.dat", "hook", Build_contour(file), false};
  Control_values values = Test_values();
  values.stagcas = 0;
  const std::vector<std::string> problems = Section_problems(values, Surface::casing, section);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_TRUE(problems[0].starts_with("casing section (hook.dat, stagcas 0.0): the -y side turns back in x by "))
      << problems[0];
  EXPECT_TRUE(
      problems[0].ends_with("so torvane's blade points there would be ambiguous; change --stagcas or the section"))
      << problems[0];
}

TEST(DeckChecks, ListsTooLongForADeckAndEdgeSpacingsTooLongForTheBlade) {
  TORVANE_REQUIRE_NACA(path);
  Deck_section section = Naca_section(path);
  Control_values values = Test_values();
  values.dsle = 0.02;
  values.dste = 0.02;
  std::vector<std::string> problems = Section_problems(values, Surface::hub, section);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_TRUE(
      problems[0].starts_with("hub section (naca65410.dat, staghub 30.0): the first two blade intervals at "
                              "both edges, 2.1 x (dsle + dste) = 0.084, do not fit the blade's axial length "))
      << problems[0];
  EXPECT_TRUE(problems[0].ends_with("; lower --dsle and --dste")) << problems[0];

  section.contour = Resample_contour(section.contour, 257);
  section.contour.points.insert(section.contour.points.begin() + 1, section.contour.points[1]);
  problems = Section_problems(Test_values(), Surface::hub, section);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0],
            "hub section (naca65410.dat, staghub 30.0): 258 points; a deck holds at most 257: resample "
            "it with --points N (N at most 257)");
}

TEST(DeckChecks, StretchedLinesThatCannotReachTheirLengthAreReported) {
  TORVANE_REQUIRE_NACA(path);
  const Deck_section section = Naca_section(path);
  Control_values values = Test_values();
  values.nin = 5;  // 5 intervals growing from 0.0003 would need a ratio near 3.3: the iteration settles on 1
  const std::vector<std::string> problems = Section_problems(values, Surface::hub, section);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0],
            "hub surface: the upstream lines would cover 0.0015 instead of 0.05: torvane's stretching of 5 "
            "intervals from a first one of 0.0003 settles on a growth ratio of 1; change --nin, --dsle or "
            "--lin");
}

TEST(DeckChecks, TheDryRunReportsWhatTorvaneWouldWarnOrStopOn) {
  TORVANE_REQUIRE_NACA(path);
  const Deck_section section = Naca_section(path);
  Control_values values = Test_values();
  EXPECT_TRUE(Dry_run_problems(Deck_text(values, section, section)).empty());

  values.nin = 0;
  values.lin = 0;  // no upstream intervals over no length: every update is 0/0
  std::vector<std::string> problems = Dry_run_problems(Deck_text(values, section, section));
  ASSERT_EQ(problems.size(), 2u);
  const char* options =
      "; change --dsle, --dste, --lin, --lx, --nin, --nout, --dywle, --dywte, --nwall, --ratio, "
      "--dyout or --npitch";
  EXPECT_EQ(problems[0], std::string("torvane would warn while building the hub surface: \"WARNING (Stretch): no "
                                     "convergence. n,r,riter,sumdx,dx1 =     0         NaN         NaN  0.0000E+00  "
                                     "0.3000E-03\"") +
                             options);
  EXPECT_TRUE(problems[1].starts_with("torvane would warn while building the casing surface: ")) << problems[1];

  values = Test_values();
  values.dsle = 0.5;
  problems = Dry_run_problems(Deck_text(values, section, section));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0],
            "torvane would stop on this deck: hub section: a blade station fell outside the contour between its "
            "edges; the blade is 0.0533 long axially, and the first streamwise intervals at its edges are dsle 0.5 "
            "and dste 0.0003 (about twice each is taken at each edge): record 24 (dsle) too long for the blade is "
            "the likely cause; change --dsle");
}

}  // namespace
}  // namespace torvane::deck
