#include "deck/section_contour.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>

#include "deck/deck_support.hpp"

namespace torvane::deck {
namespace {

Airfoil_file File_of(std::vector<Point> loop) { return Airfoil_file{"test.dat", "test", Airfoil_format::selig, loop}; }

TEST(SectionContour, TheNacaFileRunsFromTheTrailingEdgeMidpointAlongTheMinusYSide) {
  TORVANE_REQUIRE_NACA(path);
  const Airfoil_file file = Read_airfoil_file(path);
  const Section_contour contour = Build_contour(file);
  // The file's ends (1, 0) and (0.94971, 0.00327) are apart: closed at their midpoint.
  ASSERT_EQ(contour.points.size(), 52u);
  EXPECT_TRUE(contour.closed_at_midpoint);
  EXPECT_DOUBLE_EQ(contour.points.front().x, 0.974855);
  EXPECT_DOUBLE_EQ(contour.points.front().y, 0.001635);
  EXPECT_EQ(contour.points.back(), contour.points.front());
  // Between them the file's points in the other order: the lower (-y) side
  // from its trailing-edge end to the leading edge, then the upper side.
  for (size_t n = 0; n < 50; ++n) {
    EXPECT_EQ(contour.points[1 + n], file.loop[49 - n]) << "point " << n + 2;
  }
  EXPECT_EQ(contour.iref, 26);
  EXPECT_EQ(contour.points[25], (Point{0.0, 0.0}));
  EXPECT_EQ(contour.points[26], (Point{0.00372, 0.00861}));  // the +y side follows the leading edge
}

TEST(SectionContour, TheSenseDoesNotDependOnTheSideTheFileListsFirst) {
  // A closed diamond listed over +y first (Selig) and over -y first.
  const std::vector<Point> plus_first{{1, 0}, {0.5, 0.1}, {0, 0}, {0.5, -0.1}, {1, 0}};
  const std::vector<Point> minus_first{{1, 0}, {0.5, -0.1}, {0, 0}, {0.5, 0.1}, {1, 0}};
  for (const auto& loop : {plus_first, minus_first}) {
    const Section_contour contour = Build_contour(File_of(loop));
    EXPECT_FALSE(contour.closed_at_midpoint);
    EXPECT_EQ(contour.points, minus_first);
    EXPECT_EQ(contour.iref, 3);
  }
}

TEST(SectionContour, RepeatedPointsAreDroppedAndNearlyClosedEndsJoined) {
  struct Case {
    std::vector<Point> loop;
    std::vector<Point> contour;
    bool closed_at_midpoint;
  };
  const Case cases[] = {
      // ends a billionth of the chord apart are one point
      {{{1, 1e-12}, {0.5, 0.1}, {0.5, 0.1}, {0, 0}, {0.5, -0.1}, {1, 0}},
       {{1, 1e-12}, {0.5, -0.1}, {0, 0}, {0.5, 0.1}, {1, 1e-12}},
       false},
      // a repeat of the trailing edge next to its nearly equal end goes too
      {{{1, 0}, {0.5, 0.06}, {0, 0}, {0.5, -0.06}, {1, 0}, {1, 1e-12}},
       {{1, 0}, {0.5, -0.06}, {0, 0}, {0.5, 0.06}, {1, 0}},
       false},
      // a point a hair from the last is dropped; the ends then are 0.02 apart
      {{{1, 0.02}, {0.5, 0.06}, {0, 0}, {0.5, -0.06}, {1, 0}, {1, 1e-121}},
       {{1, 0.01}, {0.5, -0.06}, {0, 0}, {0.5, 0.06}, {1, 0.01}},
       true},
      // a gap short against the legs beside it: the midpoint replaces both ends
      {{{1, 5e-6}, {0.5, 0.1}, {0, 0}, {0.5, -0.1}, {1, -5e-6}},
       {{1, 0}, {0.5, -0.1}, {0, 0}, {0.5, 0.1}, {1, 0}},
       true},
  };
  for (const Case& c : cases) {
    const Section_contour contour = Build_contour(File_of(c.loop));
    EXPECT_EQ(contour.points, c.contour);
    EXPECT_EQ(contour.closed_at_midpoint, c.closed_at_midpoint);
    EXPECT_EQ(contour.corner_first, 0);
    for (const Point& p : Resample_contour(contour, 9).points) {
      EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
  }
}

TEST(SectionContour, SidesOfDifferentLengthsMakeOneSectionInEitherFormat) {
  const std::string selig = testing::Naca0012_selig(21, 61);
  for (const std::string& text : {selig, testing::Lednicer_from_selig(selig)}) {
    const Section_contour contour = Build_contour(Parse_airfoil_text("naca0012.dat", text));
    // The midpoint, the 61 lower points from the trailing edge to the leading
    // edge, the 20 further upper points, the midpoint.
    ASSERT_EQ(contour.points.size(), 83u);
    EXPECT_EQ(contour.iref, 62);
    EXPECT_EQ(contour.points[61], (Point{0, 0}));
    EXPECT_EQ(contour.points.front(), contour.points.back());
    EXPECT_NEAR(contour.points.front().x, 1.0, 1e-15);
    EXPECT_NEAR(contour.points.front().y, 0.0, 1e-15);
    EXPECT_EQ(contour.corner_first, 2);
    EXPECT_EQ(contour.corner_last, 82);
    EXPECT_LT(contour.points[1].y, 0);   // the -y side first
    EXPECT_GT(contour.points[81].y, 0);  // the +y side last
  }
}

TEST(SectionContour, RefusesPointsThatAreNoSection) {
  struct Case {
    std::vector<Point> loop;
    const char* message;
  };
  const Case cases[] = {
      {{{1, 0}, {0, 0}, {1, 0}}, "test.dat: 2 distinct points; a section needs at least 3"},
      {{{1, 0}, {1, 0}}, "test.dat: 2 points; a section needs at least 3"},
      {{{1, 0}, {0, 0}, {0, 0}, {1, 0}}, "test.dat: 2 distinct points; a section needs at least 3"},
      {{{1, 0}, {1, 0.1}, {1, -0.1}}, "test.dat: every point has the same x; no chord"},
      {{{1, 0}, {0.5, 0}, {0, 0}, {0.5, 0}, {1, 0}}, "test.dat: the points enclose no area"},
      {{{1, 0}, {0.5, 20}, {0, 0}, {0.5, -0.1}, {1, 0}},
       "test.dat: the points span 20.1 in y against 1 in x; not a blade section"},
      {{{0, 0}, {0.5, 0.1}, {1, 0}, {0.5, -0.1}},
       "test.dat: the points run from (0, 0) to (0.5, -0.1), not from the trailing edge around the leading edge (0, 0) "
       "back to the trailing edge"},
  };
  for (const Case& c : cases) {
    try {
      Build_contour(File_of(c.loop));
      ADD_FAILURE() << c.message;
    } catch (const Input_error& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

// An ellipse of semi-axes 0.5 and 0.06 centred at (0.5, 0), densely listed
// from (1, 0) over +y and back: a closed, smooth section.
std::vector<Point> Ellipse(int count) {
  std::vector<Point> loop;
  for (int n = 0; n <= count; ++n) {
    const double a = 2 * std::numbers::pi * n / count;
    loop.push_back({0.5 + 0.5 * std::cos(a), 0.06 * std::sin(a)});
  }
  loop.back() = loop.front();
  return loop;
}

// 1 on the ellipse, below inside it.
double On_ellipse(const Point& p) { return std::pow((p.x - 0.5) / 0.5, 2) + std::pow(p.y / 0.06, 2); }

TEST(SectionContour, ResamplingFollowsASmoothCurveNotTheStraightLegs) {
  // Away from the edges (0.1 < x < 0.9), where the coarse polygon's legs are long against the curvature.
  auto inner = [](const Point& p) { return p.x > 0.1 && p.x < 0.9; };
  const std::vector<Point> coarse = Ellipse(48);
  double leg_error = 0;  // the midpoints of the straight legs fall inside the ellipse
  for (size_t n = 0; n + 1 < coarse.size(); ++n) {
    const Point middle{0.5 * (coarse[n].x + coarse[n + 1].x), 0.5 * (coarse[n].y + coarse[n + 1].y)};
    if (inner(middle)) leg_error = std::max(leg_error, 1 - On_ellipse(middle));
  }
  const Section_contour resampled = Resample_contour(Build_contour(File_of(coarse)), 257);
  double spline_error = 0;
  for (const Point& p : resampled.points) {
    if (inner(p)) spline_error = std::max(spline_error, std::fabs(1 - On_ellipse(p)));
  }
  EXPECT_LT(spline_error, leg_error / 20) << "legs " << leg_error << ", resampled " << spline_error;
}

TEST(SectionContour, ResamplingStaysOnTheCurveAndClustersAtBothEdges) {
  const Section_contour dense = Build_contour(File_of(Ellipse(400)));
  for (int npoints : {9, 60, 129, 257}) {
    const Section_contour coarse = Resample_contour(dense, npoints);
    ASSERT_EQ(coarse.points.size(), static_cast<size_t>(npoints));
    EXPECT_EQ(coarse.iref, (npoints - 1) / 2 + 1);
    EXPECT_EQ(coarse.points[static_cast<size_t>(coarse.iref - 1)], dense.points[static_cast<size_t>(dense.iref - 1)]);
    EXPECT_EQ(coarse.points.front(), dense.points.front());
    EXPECT_EQ(coarse.points.back(), dense.points.back());
    for (const Point& p : coarse.points) {
      EXPECT_NEAR(On_ellipse(p), 1.0, 1e-4) << npoints << " points";
    }
    // Cosine clustering: the intervals next to the edges are the shortest.
    auto interval = [&](size_t n) {
      return std::hypot(coarse.points[n + 1].x - coarse.points[n].x, coarse.points[n + 1].y - coarse.points[n].y);
    };
    const size_t le = static_cast<size_t>(coarse.iref - 1);
    EXPECT_LT(interval(0), interval(le / 2));
    EXPECT_LT(interval(le - 1), interval(le / 2));
    EXPECT_LT(interval(le), interval(le + le / 2));
  }
}

TEST(SectionContour, ResamplingKeepsTheThreePointsOfAClosedOpenTrailingEdge) {
  TORVANE_REQUIRE_NACA(path);
  const Section_contour contour = Build_contour(Read_airfoil_file(path));
  for (int npoints : {33, 129, 257}) {
    const Section_contour resampled = Resample_contour(contour, npoints);
    const std::vector<Point>& p = resampled.points;
    ASSERT_EQ(p.size(), static_cast<size_t>(npoints));
    EXPECT_TRUE(resampled.closed_at_midpoint);
    EXPECT_EQ(p.front(), contour.points.front());
    EXPECT_EQ(p.back(), contour.points.back());
    EXPECT_EQ(p[static_cast<size_t>(resampled.iref - 1)], (Point{0.0, 0.0}));
    // The two corners (the file's end points) are among the points.
    EXPECT_NE(std::find(p.begin(), p.end(), (Point{0.94971, 0.00327})), p.end());
    EXPECT_NE(std::find(p.begin(), p.end(), (Point{1.0, 0.0})), p.end());
  }
}

TEST(SectionContour, EveryFileTheFuzzerFoundIsRefusedOrGivesASoundContour) {
  const std::filesystem::path folder = std::filesystem::path(TORVANE_SOURCE_DIR) / "fuzz" / "regressions";
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".dat") continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    try {
      const Section_contour contour = Build_contour(Read_airfoil_file(entry.path().string()));
      for (int npoints : {9, 50, 257}) {
        const Section_contour resampled = Resample_contour(contour, npoints);
        EXPECT_EQ(resampled.points.front(), resampled.points.back());
        for (const Point& p : resampled.points) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
      }
    } catch (const Input_error&) {
    }
  }
  EXPECT_GE(files, 3);
}

}  // namespace
}  // namespace torvane::deck
