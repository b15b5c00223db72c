// Cell measures against hand calculations, and the volume ratio across
// index and periodic neighbours.
#include <gtest/gtest.h>

#include <cmath>

#include "inspect/quality/cell_quality.hpp"
#include "inspect/quality/hex_cell.hpp"

namespace torvane::inspect {
namespace {

// Corners of the parallelepiped a ei + b ej + c ek, numbered a + 2b + 4c.
void Parallelepiped(Vec3 p[8], Vec3 ei, Vec3 ej, Vec3 ek) {
  for (int n = 0; n < 8; ++n) {
    const double a = n & 1, b = (n >> 1) & 1, c = n >> 2;
    p[n] = {a * ei.x + b * ej.x + c * ek.x, a * ei.y + b * ej.y + c * ek.y, a * ei.z + b * ej.z + c * ek.z};
  }
}

TEST(HexCell, MeasuresCellsWorkedOutByHand) {
  const double s3 = std::sqrt(3.0) / 2;
  struct Case {
    const char* what;
    Vec3 ei, ej, ek;
    double jacobian, min_angle, max_angle, aspect, volume;
  } cases[] = {
      {"unit cube", {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, 1, 90, 90, 1, 1},
      {"box 1 x 2 x 4", {1, 0, 0}, {0, 2, 0}, {0, 0, 4}, 1, 90, 90, 4, 8},
      // Sheared by 60 degrees in the i-j plane: sin 30 = 0.5 at every corner.
      {"sheared cube", {1, 0, 0}, {s3, 0.5, 0}, {0, 0, 1}, 0.5, 30, 150, 1, 0.5},
      // k reversed: a left-handed cell, inside out.
      {"mirrored cube", {1, 0, 0}, {0, 1, 0}, {0, 0, -1}, -1, 90, 90, 1, -1},
  };
  for (const Case& c : cases) {
    Vec3 p[8];
    Parallelepiped(p, c.ei, c.ej, c.ek);
    const Hex_measures h = Measure_hex(p);
    EXPECT_NEAR(h.scaled_jacobian, c.jacobian, 1e-15) << c.what;
    EXPECT_NEAR(h.min_angle, c.min_angle, 1e-12) << c.what;
    EXPECT_NEAR(h.max_angle, c.max_angle, 1e-12) << c.what;
    EXPECT_NEAR(h.aspect_ratio, c.aspect, 1e-15) << c.what;
    EXPECT_NEAR(h.volume, c.volume, 1e-15) << c.what;
  }
}

TEST(HexCell, MeasuresACellWithACurvedFaceExactly) {
  // Unit cube with corner (1,1,1) raised to z = 2: x = u, y = v, z = w + uvw, so the
  // Jacobian determinant is 1 + uv and the volume 1 + 1/4. At the raised corner the
  // edges are (1,0,1)/sqrt2, (0,1,1)/sqrt2, (0,0,1): scaled Jacobian 1/2. The faces
  // at a = 1 and b = 1 have corners of 45 and 135 degrees; the longest edge is 2.
  Vec3 p[8];
  Parallelepiped(p, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
  p[7] = {1, 1, 2};
  const Hex_measures h = Measure_hex(p);
  EXPECT_NEAR(h.volume, 1.25, 1e-15);
  EXPECT_NEAR(h.scaled_jacobian, 0.5, 1e-15);
  EXPECT_NEAR(h.min_angle, 45, 1e-12);
  EXPECT_NEAR(h.max_angle, 135, 1e-12);
  EXPECT_NEAR(h.aspect_ratio, 2, 1e-15);
}

TEST(HexCell, CountsACollapsedEdgeAsFolded) {
  Vec3 p[8];
  Parallelepiped(p, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
  p[1] = p[0];
  const Hex_measures h = Measure_hex(p);
  EXPECT_EQ(h.scaled_jacobian, 0);
  EXPECT_TRUE(std::isinf(h.aspect_ratio));
}

// Points of a block of unit cross-section whose cell widths in one direction are given.
Grid Stacked_cells(const std::vector<double>& stations, bool along_j) {
  Grid g;
  const int n = static_cast<int>(stations.size());
  g.ie = along_j ? 2 : n;
  g.je = along_j ? n : 2;
  g.ke = 2;
  for (int k = 1; k <= g.ke; ++k) {
    for (int j = 1; j <= g.je; ++j) {
      for (int i = 1; i <= g.ie; ++i) {
        g.x.push_back(along_j ? i - 1 : stations[i - 1]);
        g.y.push_back(along_j ? stations[j - 1] : j - 1);
        g.z.push_back(k - 1);
      }
    }
  }
  return g;
}

TEST(CellQuality, VolumeRatioIsTheLargestToAnyNeighbour) {
  // Cells of volume 1, 2 and 6 in a row: ratios 2, 3 and 3.
  const Cell_field f = Measure_cells(Stacked_cells({0, 1, 3, 9}, false), Block_faces{});
  ASSERT_EQ(f.cells(), 3u);
  EXPECT_DOUBLE_EQ(f.volume_ratio[0], 2);
  EXPECT_DOUBLE_EQ(f.volume_ratio[1], 3);
  EXPECT_DOUBLE_EQ(f.volume_ratio[2], 3);
}

TEST(CellQuality, VolumeRatioReachesAcrossThePeriodicBoundary) {
  // The same row of cells across the pitch; a periodic row of face 3 makes the
  // first and last cells neighbours, so both see the ratio 6.
  Block_faces faces;
  Patch periodic;
  periodic.role = torvane::Patch_role::periodic;
  periodic.face = 3;
  periodic.points.lo[0] = 1;
  periodic.points.hi[0] = 2;
  periodic.points.lo[2] = 1;
  periodic.points.hi[2] = 2;
  faces.patches.push_back(periodic);
  const Cell_field f = Measure_cells(Stacked_cells({0, 1, 3, 9}, true), faces);
  EXPECT_DOUBLE_EQ(f.volume_ratio[0], 6);
  EXPECT_DOUBLE_EQ(f.volume_ratio[1], 3);
  EXPECT_DOUBLE_EQ(f.volume_ratio[2], 6);
  // Bands: 6 is bad (> 5), 3 fair (> 2).
  const Quality_summary s = Summarize(f);
  EXPECT_EQ(s.volume_ratio.bands[static_cast<int>(Band::bad)], 2);
  EXPECT_EQ(s.volume_ratio.bands[static_cast<int>(Band::fair)], 1);
  EXPECT_EQ(s.volume_ratio.bands[static_cast<int>(Band::good)], 0);
  EXPECT_EQ(s.folded, 0);
}

TEST(QualityBands, PutsTheLimitsInTheDocumentedBands) {
  struct Case {
    double value;
    Band jacobian, aspect, volume_ratio;
  } cases[] = {
      {-0.1, Band::bad, Band::good, Band::good}, {0.0, Band::bad, Band::good, Band::good},
      {0.2, Band::fair, Band::good, Band::good}, {0.5, Band::good, Band::good, Band::good},
      {2.0, Band::good, Band::good, Band::good}, {2.5, Band::good, Band::good, Band::fair},
      {5.0, Band::good, Band::good, Band::fair}, {5.5, Band::good, Band::good, Band::bad},
      {100, Band::good, Band::good, Band::bad},  {101, Band::good, Band::fair, Band::bad},
      {1000, Band::good, Band::fair, Band::bad}, {1001, Band::good, Band::bad, Band::bad},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Jacobian_band(c.value), c.jacobian) << c.value;
    EXPECT_EQ(Aspect_band(c.value), c.aspect) << c.value;
    EXPECT_EQ(Volume_ratio_band(c.value), c.volume_ratio) << c.value;
  }
  EXPECT_EQ(Angle_band(9.9, 90), Band::bad);
  EXPECT_EQ(Angle_band(45, 170.1), Band::bad);
  EXPECT_EQ(Angle_band(10, 170), Band::fair);
  EXPECT_EQ(Angle_band(30, 150), Band::good);
}

}  // namespace
}  // namespace torvane::inspect
