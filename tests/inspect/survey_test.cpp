// The one-sweep survey of the cells against the report's plain path (every
// cell measured on its own, angles taken by arccosine, then summarised): the
// same numbers to the last bit on the reference runs and on grids made to
// fold, collapse, or put face angles at the band limits.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <tuple>

#include "inspect/quality/cell_quality.hpp"
#include "inspect/quality/cell_survey.hpp"
#include "inspect/quality/hex_cell.hpp"
#include "inspect/quality/quality_bands.hpp"
#include "inspect/quality/report.hpp"
#include "inspect/run_files/run_files.hpp"
#include "inspect_support.hpp"

namespace torvane::inspect {
namespace {

constexpr double kDegrees = 57.295779513082320876798;  // 180 / pi

// Equal to the last bit, the sign of a zero and a NaN's presence included.
bool Same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b); }

void Expect_same_measure(const Measure_summary& fast, const Measure_summary& plain, const std::string& what) {
  EXPECT_TRUE(Same_bits(fast.min, plain.min)) << what << " min " << fast.min << " against " << plain.min;
  EXPECT_TRUE(Same_bits(fast.max, plain.max)) << what << " max " << fast.max << " against " << plain.max;
  for (int band = 0; band < 3; ++band) EXPECT_EQ(fast.bands[band], plain.bands[band]) << what << " band " << band;
}

void Expect_same_survey(const Grid& grid, const Block_faces& faces, const std::string& what) {
  const Cell_survey fast = Survey_cells(grid, faces);
  const Cell_survey plain = Survey_of(Measure_cells(grid, faces));
  EXPECT_EQ(fast.quality.cells, plain.quality.cells) << what;
  EXPECT_EQ(fast.quality.folded, plain.quality.folded) << what;
  Expect_same_measure(fast.quality.jacobian, plain.quality.jacobian, what + ": scaled Jacobian");
  Expect_same_measure(fast.quality.angle, plain.quality.angle, what + ": face angle");
  Expect_same_measure(fast.quality.aspect, plain.quality.aspect, what + ": aspect ratio");
  Expect_same_measure(fast.quality.volume_ratio, plain.quality.volume_ratio, what + ": volume ratio");
  ASSERT_EQ(fast.folded.size(), plain.folded.size()) << what;
  for (std::size_t n = 0; n < fast.folded.size(); ++n) {
    EXPECT_EQ(fast.folded[n].i, plain.folded[n].i) << what;
    EXPECT_EQ(fast.folded[n].j, plain.folded[n].j) << what;
    EXPECT_EQ(fast.folded[n].k, plain.folded[n].k) << what;
    EXPECT_TRUE(Same_bits(fast.folded[n].scaled_jacobian, plain.folded[n].scaled_jacobian)) << what;
  }
  // The bad cells of each measure: as many, the same worst, the same run along k.
  for (int m = 0; m < kMeasures; ++m) {
    const Bad_cells &f = fast.bad[m], &p = plain.bad[m];
    EXPECT_EQ(f.count, p.count) << what << " measure " << m;
    const Measure_summary* summaries[kMeasures] = {&fast.quality.jacobian, &fast.quality.angle, &fast.quality.aspect,
                                                   &fast.quality.volume_ratio};
    EXPECT_EQ(f.count, summaries[m]->bands[static_cast<int>(Band::bad)]) << what << " measure " << m;
    EXPECT_EQ(std::tuple(f.i, f.j, f.k, f.k_first, f.k_last), std::tuple(p.i, p.j, p.k, p.k_first, p.k_last))
        << what << " measure " << m;
    if (f.count > 0) {
      EXPECT_LE(f.k_first, f.k);
      EXPECT_GE(f.k_last, f.k);
    }
  }
}

// Points x_i = i + (j - 1) cos(shear), y = (j - 1) sin(shear), z = k - 1 with a
// random displacement of up to `jitter` in each coordinate.
Grid Jittered_grid(int ie, int je, int ke, double shear_degrees, double jitter, unsigned seed) {
  Grid g;
  g.ie = ie;
  g.je = je;
  g.ke = ke;
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> offset(-jitter, jitter);
  const double c = std::cos(shear_degrees / kDegrees), s = std::sin(shear_degrees / kDegrees);
  for (int k = 1; k <= ke; ++k) {
    for (int j = 1; j <= je; ++j) {
      for (int i = 1; i <= ie; ++i) {
        g.x.push_back(i + (j - 1) * c + (jitter > 0 ? offset(random) : 0));
        g.y.push_back((j - 1) * s + (jitter > 0 ? offset(random) : 0));
        g.z.push_back(k - 1 + (jitter > 0 ? offset(random) : 0));
      }
    }
  }
  return g;
}

// A periodic row of face 3 over all cells, so that the volume ratio reaches across the pitch.
Block_faces Periodic_faces(const Grid& g) {
  Block_faces faces;
  Patch periodic;
  periodic.role = torvane::Patch_role::periodic;
  periodic.face = 3;
  periodic.points.hi[0] = g.ie;
  periodic.points.hi[2] = g.ke;
  faces.patches.push_back(periodic);
  return faces;
}

TEST(CellSurvey, AgreesWithThePlainPathOnEveryReferenceRun) {
  int checked = 0;
  for (const char* name : {"typical", "nblade61", "turbine_stator", "small", "span1", "nin0", "nout0", "format_a",
                           "format_b", "strut", "nwall1"}) {
    const std::string stem = testing::Reference_stem(name);
    if (stem.empty()) continue;
    ++checked;
    const Run_files run = Read_run(stem);
    Expect_same_survey(run.grid, run.faces, name);
  }
  if (checked == 0) GTEST_SKIP() << "shared reference runs not found";
}

TEST(CellSurvey, AgreesWithThePlainPathOnDistortedFoldedAndCollapsedGrids) {
  struct Case {
    const char* what;
    double shear, jitter;
    unsigned seed;
  } cases[] = {
      {"regular boxes", 90, 0, 1},
      {"mildly distorted", 90, 0.1, 2},
      {"strongly distorted, some cells folded", 90, 0.45, 3},
      {"wildly distorted, many cells folded", 90, 0.9, 4},
      {"sheared to 20 degrees and distorted", 20, 0.2, 5},
      {"sheared to 5 degrees", 5, 0.02, 6},
  };
  for (const Case& c : cases) {
    const Grid g = Jittered_grid(9, 7, 6, c.shear, c.jitter, c.seed);
    Expect_same_survey(g, Block_faces{}, c.what);
    Expect_same_survey(g, Periodic_faces(g), std::string(c.what) + ", periodic");
  }
  // Two points made one: the edge between them has no length, and its four cells are collapsed.
  Grid collapsed = Jittered_grid(6, 5, 4, 90, 0.2, 7);
  const std::size_t from = collapsed.Index(3, 3, 2), to = collapsed.Index(4, 3, 2);
  collapsed.x[to] = collapsed.x[from];
  collapsed.y[to] = collapsed.y[from];
  collapsed.z[to] = collapsed.z[from];
  Expect_same_survey(collapsed, Block_faces{}, "an edge of zero length");
  // Mirrored in z: every cell inside out, more folded cells than the report names.
  Grid mirrored = Jittered_grid(6, 5, 4, 90, 0.1, 8);
  for (double& z : mirrored.z) z = -z;
  const Cell_survey survey = Survey_cells(mirrored, Block_faces{});
  EXPECT_EQ(survey.quality.folded, 5 * 4 * 3);
  EXPECT_EQ(survey.folded.size(), kFoldedListed);
  Expect_same_survey(mirrored, Block_faces{}, "mirrored");
}

TEST(CellSurvey, BandsFaceAnglesAtTheBandLimitsAsTheirArccosineDoes) {
  // Boxes sheared to a face angle of the limit and a few rounding steps off it:
  // the cosine alone cannot tell these apart, the arccosine must decide.
  int fair = 0, bad = 0;
  for (double limit : {kAngleBadLow, kAngleFairLow, kAngleFairHigh, kAngleBadHigh}) {
    for (int step = -8; step <= 8; ++step) {
      const double shear = limit + step * 4e-15 * limit;
      const Grid g = Jittered_grid(3, 3, 2, shear, 0, 0);
      Expect_same_survey(g, Block_faces{}, "shear " + std::to_string(shear));
      const Cell_survey s = Survey_cells(g, Block_faces{});
      fair += s.quality.angle.bands[static_cast<int>(Band::fair)] > 0;
      bad += s.quality.angle.bands[static_cast<int>(Band::bad)] > 0;
    }
  }
  // Sheared by 10 or 170 degrees the cells are bad or, just inside, fair; by 30 or
  // 150 fair or good: both sides of each limit are reached.
  EXPECT_GT(bad, 0);
  EXPECT_GT(fair, 0);
}

TEST(CellSurvey, CosineBandsDecideAsTheAnglesDoAroundEveryLimit) {
  // Within a few rounding steps of a limit's cosine, comparing cosines and
  // comparing arccosines disagree here and there (30 degrees: one step off): the
  // bands must follow the angles. Every cosine 3000 steps either side of each
  // limit, the other extreme held at 90 degrees, and cosines across [-1, 1] and
  // beyond it (rounding can push a cosine of unit vectors past 1).
  const Cosine_angle_bands bands;
  auto expect_as_angles = [&](double cos_max, double cos_min) {
    ASSERT_EQ(bands.Of(cos_max, cos_min), Angle_band(Angle_degrees(cos_max), Angle_degrees(cos_min)))
        << "cosines " << cos_max << ", " << cos_min;
  };
  for (double limit : {kAngleBadLow, kAngleFairLow, kAngleFairHigh, kAngleBadHigh}) {
    double c = std::cos(limit / kDegrees);
    for (int step = 0; step < 3000; ++step) c = std::nextafter(c, -2.0);
    for (int step = 0; step < 6000; ++step, c = std::nextafter(c, 2.0)) {
      expect_as_angles(c, 0.0);
      expect_as_angles(0.0, c);
    }
  }
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> cosine(-1.000000000000001, 1.000000000000001);
  for (int n = 0; n < 100000; ++n) {
    const double a = cosine(random), b = cosine(random);
    expect_as_angles(std::max(a, b), std::min(a, b));
  }
}

TEST(CellSweep, MeasuresEveryCellAsItsEightCornersAlone) {
  // The sweep shares each edge among the cells around it; measured on its own
  // corners every cell must give the same values to the last bit.
  const Grid g = Jittered_grid(7, 6, 5, 70, 0.3, 9);
  const Cell_field f = Measure_cells(g, Block_faces{});
  for (int k = 1; k < g.ke; ++k) {
    for (int j = 1; j < g.je; ++j) {
      for (int i = 1; i < g.ie; ++i) {
        Vec3 corner[8];
        for (int c = 0; c < 8; ++c) corner[c] = g.Point(i + (c & 1), j + ((c >> 1) & 1), k + (c >> 2));
        const Hex_measures h = Measure_hex(corner);
        const std::size_t m = f.Index(i, j, k);
        const std::string at = std::to_string(i) + ", " + std::to_string(j) + ", " + std::to_string(k);
        EXPECT_TRUE(Same_bits(f.scaled_jacobian[m], h.scaled_jacobian)) << at;
        EXPECT_TRUE(Same_bits(f.min_angle[m], h.min_angle)) << at;
        EXPECT_TRUE(Same_bits(f.max_angle[m], h.max_angle)) << at;
        EXPECT_TRUE(Same_bits(f.aspect_ratio[m], h.aspect_ratio)) << at;
        EXPECT_TRUE(Same_bits(f.volume[m], h.volume)) << at;
      }
    }
  }
}

}  // namespace
}  // namespace torvane::inspect

namespace torvane::inspect {
namespace {

// The result line names each measure's bad cells and the place of the worst,
// keeps the failures first, and says the grid passes when nothing fails.
TEST(ReportVerdict, NamesBadCellsByMeasureAndPlace) {
  Report r;
  r.ie = 81;
  r.je = 33;
  r.ke = 18;
  r.ile = 21;
  r.ite = 51;
  const std::string passes = "no folded cell, periodic boundaries match to 1e-09 of the pitch";
  EXPECT_EQ(Verdict(r), passes);
  r.bad[static_cast<int>(Measure::scaled_jacobian)] = {97, 21, 32, 14, 12, 16};
  EXPECT_EQ(Verdict(r),
            "97 bad cells by scaled Jacobian, the worst at the leading edge by wall j = je, k 12-16; " + passes);
  r.bad[static_cast<int>(Measure::volume_ratio)] = {1, 60, 9, 1, 1, 1};
  EXPECT_EQ(
      Verdict(r),
      "97 bad cells by scaled Jacobian, the worst at the leading edge by wall j = je, k 12-16; 1 by volume ratio, "
      "downstream of the trailing edge, j 9, k 1 (at the hub); " +
          passes);
  struct Case {
    Bad_cells bad;
    const char* place;
  } places[] = {
      {{1, 5, 1, 3, 3, 3}, "upstream of the leading edge by the periodic boundary j = 1, k 3"},
      {{1, 30, 1, 3, 2, 17}, "in the blade passage by wall j = 1, k 2-17 (at the casing)"},
      {{1, 50, 16, 3, 1, 17}, "at the trailing edge, j 16, k 1-17 (hub to casing)"},
      {{1, 51, 32, 3, 3, 3}, "at the trailing edge by the periodic boundary j = je, k 3"},
      {{1, 52, 32, 3, 3, 3}, "downstream of the trailing edge by the periodic boundary j = je, k 3"},
  };
  for (const Case& c : places) EXPECT_EQ(Bad_place(r, c.bad), c.place);
  // A folded grid fails first, and its bad cells follow.
  r.quality.folded = 3;
  EXPECT_EQ(Verdict(r).substr(0, 34), "3 folded cells; 97 bad cells by sc");
  EXPECT_EQ(Verdict(r).find(passes), std::string::npos);
}

}  // namespace
}  // namespace torvane::inspect
