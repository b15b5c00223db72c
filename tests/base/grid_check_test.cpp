// The grid check's measures on blocks small enough to know by hand: which
// cells are folded, which come first, and where a passage covers a blade.
#include "base/grid_check.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace torvane {
namespace {

// An ie x je x ke block of points (i, j, k) at (i - 1, j - 1, k - 1), stored
// with `pad` unused slots after every line and every plane (filled with NaN,
// so that reading one shows), changed by `change` before it is measured.
struct Box {
  int ie, je, ke, pad;
  std::vector<double> x, y, z;

  Box(int ie_, int je_, int ke_, int pad_ = 0) : ie(ie_), je(je_), ke(ke_), pad(pad_) {
    const std::size_t size = static_cast<std::size_t>(Plane()) * static_cast<std::size_t>(ke);
    for (auto* v : {&x, &y, &z}) v->assign(size, std::numeric_limits<double>::quiet_NaN());
    for (int k = 1; k <= ke; ++k) {
      for (int j = 1; j <= je; ++j) {
        for (int i = 1; i <= ie; ++i) Set(i, j, k, {i - 1.0, j - 1.0, k - 1.0});
      }
    }
  }
  int Line() const { return ie + pad; }
  int Plane() const { return Line() * je + pad; }
  Grid_points Points() const {
    return {
        x.data(), y.data(), z.data(), ie, je, ke, static_cast<std::size_t>(Line()), static_cast<std::size_t>(Plane())};
  }
  void Set(int i, int j, int k, const Vec3& p) {
    const std::size_t n = Points().Index(i, j, k);
    x[n] = p.x;
    y[n] = p.y;
    z[n] = p.z;
  }
};

TEST(FoldedCells, CountsAndFirstCellOfHandMadeBlocks) {
  struct Case {
    const char* what;
    int ie, je, ke;
    std::function<void(Box&)> change;
    long folded;
    int first_i, first_j, first_k;
  } cases[] = {
      {"unit cubes", 3, 2, 2, [](Box&) {}, 0, 0, 0, 0},
      {"mirrored in x: every corner turns left-handed", 3, 2, 2,
       [](Box& b) {
         for (double& v : b.x) v = -v;
       },
       2, 1, 1, 1},
      {"point (3, 1, 1) on point (2, 1, 1): an edge of zero length", 3, 2, 2,
       [](Box& b) {
         b.Set(3, 1, 1, {1, 0, 0});
       },
       1, 2, 1, 1},
      {"point (3, 1, 1) pushed behind point (2, 1, 1)", 3, 2, 2,
       [](Box& b) {
         b.Set(3, 1, 1, {0.5, 0, 0});
       },
       1, 2, 1, 1},
      {"point (1, 1, 3) pulled below point (1, 1, 2): only the upper cell", 2, 2, 3,
       [](Box& b) {
         b.Set(1, 1, 3, {0, 0, 0.5});
       },
       1, 1, 1, 2},
      {"both cells folded, the first in storage order is told", 3, 2, 3,
       [](Box& b) {
         b.Set(3, 1, 2, {0.5, 0, 1});  // behind (2, 1, 2): the cells (2, 1, 1) and (2, 1, 2) share it
       },
       2, 2, 1, 1},
      {"a corner point drawn slightly inside: still a sound cell", 2, 2, 2,
       [](Box& b) {
         b.Set(2, 2, 2, {0.9, 0.9, 0.9});
       },
       0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    for (int pad : {0, 3}) {
      Box box(c.ie, c.je, c.ke, pad);
      c.change(box);
      const Folded_cells f = Find_folded_cells(box.Points());
      EXPECT_EQ(f.cells, static_cast<long>(c.ie - 1) * (c.je - 1) * (c.ke - 1)) << c.what;
      EXPECT_EQ(f.folded, c.folded) << c.what << ", padding " << pad;
      EXPECT_EQ(f.first_i, c.first_i) << c.what;
      EXPECT_EQ(f.first_j, c.first_j) << c.what;
      EXPECT_EQ(f.first_k, c.first_k) << c.what;
    }
  }
}

TEST(FoldedCells, TheScaledJacobianOfACellIsItsWorstCorner) {
  // A unit cube has 1 at every corner; a k edge leaning 45 degrees towards x
  // leaves the corners it starts from at 1 / sqrt(2).
  const Unit_edge i = Edge_between({0, 0, 0}, {1, 0, 0});
  const Unit_edge j = Edge_between({0, 0, 0}, {0, 1, 0});
  const Unit_edge k = Edge_between({0, 0, 0}, {0, 0, 1});
  const Unit_edge* along_i[4] = {&i, &i, &i, &i};
  Vec3 face0[4], face1[4];
  Face_crosses(j, j, k, k, face0);
  Face_crosses(j, j, k, k, face1);
  EXPECT_EQ(Scaled_jacobian(along_i, face0, face1, 1.0), 1.0);
  EXPECT_EQ(Scaled_jacobian(along_i, face0, face1, 0.0), 0.0);  // a collapsed edge
  Face_crosses(j, j, k, Edge_between({0, 0, 0}, {1, 0, 1}), face1);
  EXPECT_NEAR(Scaled_jacobian(along_i, face0, face1, 1.0), 1 / std::sqrt(2.0), 1e-15);
  EXPECT_TRUE(Is_folded(0.0));
  EXPECT_TRUE(Is_folded(-1e-300));
  EXPECT_TRUE(Is_folded(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(Is_folded(1e-300));
}

TEST(FoldedCells, TheFastPathAgreesWithThePlainMeasureOnEveryCell) {
  // Unit cubes shaken by up to `shake` in every coordinate (a fixed sequence):
  // from a few folded cells to most, with corners near zero in between, and
  // one plane collapsed onto the next.
  // At lengths whose products over- or underflow in single and double
  // precision too: the fast path scales each edge, and passes on to the plain
  // measure what it cannot scale (a squared length below the normal doubles).
  struct Case {
    double shake, scale;
  } cases[] = {{0.3, 1}, {0.6, 1}, {1.2, 1}, {0.6, 1e-150}, {0.6, 1e150}, {0.6, 1e-160}};
  for (const auto [shake, scale] : cases) {
    Box box(9, 7, 6, 2);
    unsigned long state = 12345;
    auto next = [&state] {
      state = state * 6364136223846793005UL + 1442695040888963407UL;
      return static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
    };
    for (int k = 1; k <= box.ke; ++k) {
      for (int j = 1; j <= box.je; ++j) {
        for (int i = 1; i <= box.ie; ++i) {
          box.Set(
              i, j, k,
              {scale * (i - 1 + shake * next()), scale * (j - 1 + shake * next()), scale * (k - 1 + shake * next())});
        }
      }
    }
    for (int j = 1; j <= box.je; ++j) {
      for (int i = 1; i <= box.ie; ++i) box.Set(i, j, 6, box.Points().Point(i, j, 5));
    }
    const Grid_points g = box.Points();
    Folded_cells plain;
    for (int k = 1; k < g.ke; ++k) {
      for (int j = 1; j < g.je; ++j) {
        for (int i = 1; i < g.ie; ++i) {
          if (!Is_folded(Cell_scaled_jacobian(g, i, j, k))) continue;
          if (plain.folded++ == 0) plain = {0, 1, i, j, k};
        }
      }
    }
    const Folded_cells fast = Find_folded_cells(g);
    EXPECT_EQ(fast.folded, plain.folded) << shake << " at " << scale;
    EXPECT_GE(fast.folded, 8 * 6) << shake << " at " << scale;  // at least the collapsed layer
    EXPECT_LT(fast.folded, fast.cells) << shake << " at " << scale;
    EXPECT_EQ(fast.first_i, plain.first_i) << shake << " at " << scale;
    EXPECT_EQ(fast.first_j, plain.first_j) << shake << " at " << scale;
    EXPECT_EQ(fast.first_k, plain.first_k) << shake << " at " << scale;
  }
}

// One station at radius 1: the walls j = 1 .. je at the angles theta.
std::vector<Vec3> Station(const std::vector<double>& theta) {
  std::vector<Vec3> points;
  for (double t : theta) points.push_back({0, std::sin(t), std::cos(t)});
  return points;
}

TEST(BladeSense, APassageWiderThanThePitchOrRunningBackwardsCoversTheBlade) {
  const double pitch = 0.3;
  struct Case {
    std::vector<double> theta;
    long covering;
    double thickness;  // pitch minus the angle swept, at radius 1
  } cases[] = {
      {{0, 0.1, 0.25}, 0, 0.05},    // a blade 0.05 thick
      {{0, 0.15, 0.3}, 0, 0},       // no thickness at all: an edge
      {{0, 0.2, 0.35}, 1, -0.05},   // the walls overlap the next blade
      {{0, -0.1, -0.05}, 1, 0.35},  // the walls run backwards
  };
  for (const Case& c : cases) {
    const std::vector<Vec3> points = Station(c.theta);
    std::vector<double> x, y, z;
    for (const Vec3& p : points) {
      x.push_back(p.x);
      y.push_back(p.y);
      z.push_back(p.z);
    }
    const int je = static_cast<int>(points.size());
    const Grid_points grid{x.data(), y.data(), z.data(), 1, je, 1, 1, static_cast<std::size_t>(je)};
    const Blade_sense b = Check_blade_sense(grid, 1, 1, pitch);
    EXPECT_EQ(b.stations, 1);
    EXPECT_EQ(b.covering, c.covering) << c.theta[1];
    EXPECT_NEAR(b.min_thickness, c.thickness, 1e-12);
    if (c.covering > 0) {
      EXPECT_EQ(b.first_i, 1);
      EXPECT_EQ(b.first_k, 1);
      EXPECT_NEAR(b.first_thickness, c.thickness, 1e-12);
    }
  }
}

TEST(BladeSense, TheFirstCoveredStationIsTheLowestKThenI) {
  // Three stations (i) on two planes (k); only (3, 1) and (2, 2) cover the blade.
  const int ie = 3, je = 2, ke = 2;
  std::vector<double> x(ie * je * ke), y(x.size()), z(x.size());
  const Grid_points grid{x.data(), y.data(), z.data(), ie, je, ke, ie, ie * je};
  for (int k = 1; k <= ke; ++k) {
    for (int i = 1; i <= ie; ++i) {
      const bool covers = (i == 3 && k == 1) || (i == 2 && k == 2);
      const double theta[2] = {0, covers ? 0.4 : 0.2};
      for (int j = 1; j <= je; ++j) {
        const std::size_t n = grid.Index(i, j, k);
        y[n] = std::sin(theta[j - 1]);
        z[n] = std::cos(theta[j - 1]);
      }
    }
  }
  const Blade_sense b = Check_blade_sense(grid, 1, 3, 0.3);
  EXPECT_EQ(b.stations, 6);
  EXPECT_EQ(b.covering, 2);
  EXPECT_EQ(b.first_i, 3);
  EXPECT_EQ(b.first_k, 1);
}

TEST(BladeSense, TheCheckOfTheRunCountsTheStationsAsTheFullMeasure) {
  // Stations at radius 1 of walls at the given angles; the check of the run
  // passes most on bounds of the swept angle and must count the covering
  // ones exactly as Check_blade_sense does, at the tolerance's edges too.
  const double pitch = 0.3;
  const double tolerance = kPitchTolerance * pitch;
  struct Case {
    const char* what;
    std::vector<double> theta;
  } cases[] = {
      {"a blade 0.05 thick", {0, 0.1, 0.25}},
      {"no thickness: an edge", {0, 0.1, 0.2, 0.3}},
      {"wider than the pitch by half the tolerance", {0, 0.15, 0.3 + tolerance / 2}},
      {"wider than the pitch by twice the tolerance", {0, 0.15, 0.3 + 2 * tolerance}},
      {"running backwards by half the tolerance", {0, -tolerance / 4, -tolerance / 2}},
      {"running backwards by twice the tolerance", {0, -tolerance, -2 * tolerance}},
      {"overlapping the next blade", {0, 0.2, 0.35}},
      {"one interval of 0.6 rad: no bound, measured", {0, 0.6, 0.29}},
      {"an interval past a right angle: no bound, measured", {0, 1.7, 0.1}},
      {"many small intervals", {0, 0.01, 0.02, 0.03, 0.05, 0.08, 0.12, 0.17, 0.23, 0.26, 0.28, 0.2999}},
  };
  // All cases as stations i of one plane k = 2 of three (je: the most angles; the shorter repeat their last).
  std::size_t je = 0;
  for (const Case& c : cases) je = std::max(je, c.theta.size());
  const int ie = static_cast<int>(std::size(cases)), ke = 3;
  std::vector<double> x(static_cast<std::size_t>(ie) * je * ke, 0.0), y(x.size()), z(x.size());
  const Grid_points grid{x.data(),
                         y.data(),
                         z.data(),
                         ie,
                         static_cast<int>(je),
                         ke,
                         static_cast<std::size_t>(ie),
                         static_cast<std::size_t>(ie) * je};
  for (int k = 1; k <= ke; ++k) {
    for (int i = 1; i <= ie; ++i) {
      const std::vector<double>& theta = cases[i - 1].theta;
      for (int j = 1; j <= static_cast<int>(je); ++j) {
        // Planes 1 and 3 hold a sound blade 0.1 thick at every station.
        const double t = k != 2 ? 0.2 * (j - 1) / (static_cast<double>(je) - 1)
                                : theta[std::min(static_cast<std::size_t>(j), theta.size()) - 1];
        const std::size_t n = grid.Index(i, j, k);
        y[n] = std::sin(t);
        z[n] = std::cos(t);
      }
    }
  }
  Sense_work work(ie);
  for (int i = 1; i <= ie; ++i) {
    const Blade_sense full = Check_blade_sense(grid, i, i, pitch);
    const Blade_sense run = Find_covering_stations(grid, i, i, pitch, work, 1, ke);
    EXPECT_EQ(run.stations, 3) << cases[i - 1].what;
    EXPECT_EQ(run.covering, full.covering) << cases[i - 1].what;
    EXPECT_EQ(run.first_k, full.first_k) << cases[i - 1].what;
    EXPECT_EQ(run.first_thickness, full.first_thickness) << cases[i - 1].what;
  }
  // The whole block at once, and in parts merged, as the check's tasks take it.
  const Blade_sense full = Check_blade_sense(grid, 1, ie, pitch);
  EXPECT_EQ(full.covering, 3);  // twice the tolerance either way, and overlapping
  const Blade_sense parts = Merged(Merged(Find_covering_stations(grid, 1, ie, pitch, work, 1, 1),
                                          Find_covering_stations(grid, 1, ie, pitch, work, 2, 2)),
                                   Find_covering_stations(grid, 1, ie, pitch, work, 3, 3));
  for (const Blade_sense& run : {Find_covering_stations(grid, 1, ie, pitch, work, 1, ke), parts}) {
    EXPECT_EQ(run.stations, full.stations);
    EXPECT_EQ(run.covering, full.covering);
    EXPECT_EQ(run.first_i, full.first_i);
    EXPECT_EQ(run.first_k, full.first_k);
    EXPECT_EQ(run.first_thickness, full.first_thickness);
  }
}

}  // namespace
}  // namespace torvane
