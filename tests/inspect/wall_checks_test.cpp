// Boundary checks: first-cell heights, periodic match and blade-wall sense on
// a hand-made annular sector, and on every public reference run.
#include "inspect/quality/wall_checks.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "inspect/quality/cell_quality.hpp"
#include "inspect/quality/report.hpp"
#include "inspect/run_files/run_files.hpp"
#include "inspect_support.hpp"

namespace torvane::inspect {
namespace {

using testing::Scratch;

// 5 x 4 x 3 points: x = 0.1 (i - 1), theta = 0.05 (j - 1), r = 1 + 0.1 (k - 1);
// blade walls i = 2..4, pitch 0.15 = the whole sector, so the blade has no thickness.
Run_files Sector_run(const Scratch& scratch, double pitch) {
  const std::string stem = scratch.File("sector");
  testing::Write_run(stem, testing::Sector_grid(5, 4, 3, 0.1, 0.05, 1.0, 0.1), 2, 4, pitch);
  return Read_run(stem);
}

TEST(WallChecks, FirstCellHeightsOfAnAnnularSector) {
  Scratch scratch;
  const Run_files run = Sector_run(scratch, 0.15);
  const Wall_heights w = First_cell_heights(run.grid, run.faces);
  // Hub and casing: the next point lies 0.1 further out along the radius. Inside the
  // surface the wall normal is radial; at j = 1 and j = je the one-sided tangent
  // -3 P(0) + 4 P(d) - P(2d) on the circle (d = 0.05) tilts it, leaving 0.1 |ty| / |t|.
  const double d = 0.05;
  const double ty = 4 * std::sin(d) - std::sin(2 * d), tz = -3 + 4 * std::cos(d) - std::cos(2 * d);
  const double edge = 0.1 * std::fabs(ty) / std::hypot(ty, tz);
  for (const Spread* s : {&w.hub, &w.casing}) {
    EXPECT_EQ(s->count, 20);
    EXPECT_NEAR(s->min, edge, 1e-15);
    EXPECT_NEAR(s->median, (edge + 0.1) / 2, 1e-15);  // 10 edge and 10 inner points
    EXPECT_NEAR(s->max, 0.1, 1e-15);
  }
  // Blade walls lie in planes of constant theta: the next point is r sin(0.05) off them.
  for (const Spread* s : {&w.blade_j1, &w.blade_je}) {
    EXPECT_EQ(s->count, 9);
    EXPECT_NEAR(s->min, std::sin(0.05), 1e-15);
    EXPECT_NEAR(s->median, 1.1 * std::sin(0.05), 1e-15);
    EXPECT_NEAR(s->max, 1.2 * std::sin(0.05), 1e-15);
  }
}

TEST(WallChecks, PeriodicPartnersMatchWhenTurnedByThePitch) {
  Scratch scratch;
  const Run_files run = Sector_run(scratch, 0.15);
  const Periodic_match m = Check_periodic(run.grid, run.faces);
  // Both faces, upstream i = 1..2 and downstream i = 4..5, three radii.
  EXPECT_EQ(m.points, 2 * 4 * 3);
  EXPECT_LT(m.max_relative, 1e-14);
  const Blade_sense b = Check_blade_sense(run.grid, run.faces);
  EXPECT_EQ(b.stations, 9);
  EXPECT_EQ(b.covering, 0);
}

TEST(WallChecks, APitchSmallerThanThePassageShowsAsMismatchAndCoveredBlade) {
  Scratch scratch;
  const Run_files run = Sector_run(scratch, 0.1);
  const Periodic_match m = Check_periodic(run.grid, run.faces);
  // The partner lands 0.05 rad short: chord 2 r sin(0.025) against the pitch r 0.1.
  EXPECT_NEAR(m.max_relative, 2 * std::sin(0.025) / 0.1, 1e-12);
  const Blade_sense b = Check_blade_sense(run.grid, run.faces);
  EXPECT_EQ(b.covering, 9);
  EXPECT_NEAR(b.min_thickness, 1.2 * -0.05, 1e-12);
  const Cell_field cells = Measure_cells(run.grid, run.faces);
  EXPECT_EQ(Make_report("sector", run.grid, run.faces, cells).Exit_status(), 1);
}

TEST(WallChecks, EveryPublicReferenceRunHasNoFoldedCellAndMatchingPeriodicBoundaries) {
  // Sizes and edge indices of the public decks.
  struct Case {
    const char* name;
    int ie, je, ke, ile, ite;
  } cases[] = {
      {"typical", 81, 33, 17, 21, 51}, {"nblade61", 81, 33, 17, 21, 51}, {"turbine_stator", 81, 41, 13, 17, 57},
      {"small", 13, 8, 6, 4, 9},       {"span1", 38, 10, 2, 11, 26},     {"nin0", 41, 25, 11, 1, 21},
      {"nout0", 41, 21, 13, 17, 41},   {"format_a", 70, 29, 15, 19, 44}, {"format_b", 59, 27, 13, 15, 37},
      {"strut", 81, 33, 17, 21, 51},   {"nwall1", 81, 33, 17, 21, 51},
  };
  int checked = 0;
  for (const Case& c : cases) {
    const std::string stem = testing::Reference_stem(c.name);
    if (stem.empty()) continue;
    ++checked;
    const Run_files run = Read_run(stem);
    EXPECT_EQ(run.grid.ie, c.ie) << c.name;
    EXPECT_EQ(run.faces.ile, c.ile) << c.name;
    EXPECT_EQ(run.faces.ite, c.ite) << c.name;
    const Cell_field cells = Measure_cells(run.grid, run.faces);
    const Report r = Make_report(c.name, run.grid, run.faces, cells);
    EXPECT_EQ(r.quality.folded, 0) << c.name;
    EXPECT_EQ(r.quality.cells, (c.ie - 1) * (c.je - 1) * (c.ke - 1)) << c.name;
    // Points of the periodic rows on both faces: upstream i = 1..ile unless nin = 0,
    // downstream i = ite..ie unless nout = 0.
    const int upstream = c.ile > 1 ? c.ile : 0, downstream = c.ite < c.ie ? c.ie - c.ite + 1 : 0;
    EXPECT_EQ(r.periodic.points, 2L * c.ke * (upstream + downstream)) << c.name;
    EXPECT_LT(r.periodic.max_relative, 1e-13) << c.name;
    EXPECT_EQ(r.sense.stations, static_cast<long>(c.ite - c.ile + 1) * c.ke) << c.name;
    EXPECT_EQ(r.sense.covering, 0) << c.name;
    EXPECT_EQ(r.heights.hub.count, static_cast<long>(c.ie) * c.je) << c.name;
    EXPECT_EQ(r.Exit_status(), 0) << c.name;
  }
  if (checked == 0) GTEST_SKIP() << "shared reference runs not found";
}

}  // namespace
}  // namespace torvane::inspect
