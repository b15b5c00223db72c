#include "geometry/section_grid.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/captured_diagnostics.hpp"

#include "control/build_stop.hpp"
#include "control/control_input.hpp"
#include "geometry/bezier.hpp"
#include "geometry/contour_sense.hpp"
#include "geometry/edge_search.hpp"
#include "geometry/surface_description.hpp"

namespace torvane {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Accuracy of a stretched length: the ratio's last Newton step is below 5e-5.
constexpr double kStretchLength = 1e-7;
constexpr char kConfirmation[] = " Blade contour: one-shot Bezier spline approx. done\r\n";

// Storage of exactly the size one surface needs (planes ie x je, grid with nd3
// planes), filled with NaN so that an unwritten point shows.
struct Surface_storage {
  Surface_storage(int ie, int je, int npts, int nd3)
      : ie(ie),
        je(je),
        nd3(nd3),
        x(ie * je, kNaN),
        y(ie * je, kNaN),
        bez(2 * (3 * (npts - 1) + 1), kNaN),
        w1(je, kNaN),
        w2(je, kNaN),
        w3(ie, kNaN),
        w4(ie, kNaN),
        xg(ie * je * nd3, kNaN),
        yg(ie * je * nd3, kNaN),
        zg(ie * je * nd3, kNaN) {}

  Section_work work() { return {Plane(x, ie, je), Plane(y, ie, je), bez, Line(w1), Line(w2), Line(w3), Line(w4)}; }
  Grid grid() { return {Block(xg, ie, je, nd3), Block(yg, ie, je, nd3), Block(zg, ie, je, nd3)}; }
  double X(int i, int j) const { return x[(j - 1) * ie + (i - 1)]; }
  double Y(int i, int j) const { return y[(j - 1) * ie + (i - 1)]; }
  double G(const std::vector<double>& a, int i, int j, int k) const {
    return a[((k - 1) * je + (j - 1)) * ie + (i - 1)];
  }

  int ie, je, nd3;
  std::vector<double> x, y, bez, w1, w2, w3, w4, xg, yg, zg;
};

// A lens-shaped section of chord 1: trailing edge (1, 0), the -y side, the
// leading edge (0, 0) as reference point, the +y side, back to (1, 0).
struct Lens {
  std::vector<double> xy = {1, 0, 0.5, -0.1, 0, 0, 0.5, 0.1, 1, 0};
  int iref = 3;

  Section_sizes sizes{17, 9, 4, 4, 8, 5, 13, 2, 1};
  Section_geometry geometry{0.8, 0.3, -0.2, 0.0, 0.0, 0.0, 1.0, 1.0, 0.5, 2.0};
  Section_spacings spacings{0.05, 0.01, 0.05, 0.01, 0.05, 1.2};

  int npts() const { return static_cast<int>(xy.size() / 2); }
  double pitch() const { return geometry.dphi * geometry.radius; }

  // Builds the surface into plane k; returns the console output.
  std::string Build(Surface_storage& s, Surface surface = Surface::hub, int k = 1) {
    sizes.k = k;
    testing::Captured_diagnostics diagnostics;
    Section_grid({surface, sizes, geometry, spacings, 1}, {0, npts(), iref, xy}, s.work(), s.grid(), diagnostics);
    return diagnostics.captured();
  }
  Surface_storage Storage() const { return Surface_storage(sizes.ie, sizes.je, npts(), 2); }
};

TEST(SectionPlacement, RotatesScalesAndMovesTheReferencePoint) {
  struct Case {
    const char* name;
    double stagger, chord, xref, yref;
    std::vector<double> want;  // placed contour
  } cases[] = {
      {"stagger 0, chord 2", 0.0, 2.0, 0.25, -0.5, {2.25, -0.5, 1.25, -0.7, 0.25, -0.5, 1.25, -0.3, 2.25, -0.5}},
      // Clockwise by a right angle: +x goes to -y, +y to +x.
      {"stagger pi/2", std::numbers::pi / 2, 1.0, 0.0, 0.0, {0, -1, -0.1, -0.5, 0, 0, 0.1, -0.5, 0, -1}},
  };
  for (const auto& c : cases) {
    Lens lens;
    lens.geometry.stagger = c.stagger;
    lens.geometry.chord = c.chord;
    lens.geometry.xref = c.xref;
    lens.geometry.yref = c.yref;
    lens.geometry.lx = 4.0;
    Surface_storage s = lens.Storage();
    lens.Build(s);
    for (std::size_t p = 0; p < c.want.size(); ++p) {
      EXPECT_NEAR(lens.xy[p], c.want[p], 1e-15) << c.name << ": point " << p / 2 + 1 << (p % 2 ? " y" : " x");
    }
  }
}

TEST(SectionGrid, EdgesAndPeriodicLinesAreOnePitchApart) {
  Lens lens;
  Surface_storage s = lens.Storage();
  lens.Build(s);
  const double pitch = lens.pitch();
  const int ile = 5, ite = 13, je = 9;

  // The leading edge is the junction at (0, 0); the trailing edge is the end
  // of the curve (the last of the samples at x = 1).
  EXPECT_EQ(s.X(ile, 1), 0.0);
  EXPECT_EQ(s.Y(ile, 1), 0.0);
  EXPECT_EQ(s.X(ite, 1), 1.0);
  EXPECT_EQ(s.Y(ite, 1), 0.0);
  for (int i = 1; i <= 17; ++i) {
    if (i > ile && i < ite) continue;
    EXPECT_EQ(s.X(i, je), s.X(i, 1)) << "i = " << i;
    EXPECT_EQ(s.Y(i, je), s.Y(i, 1) + pitch) << "i = " << i;
  }
  // Upstream and downstream lines are straight at betain and betaout.
  for (int i = 1; i < ile; ++i) EXPECT_NEAR(s.Y(i, 1), s.X(i, 1) * std::tan(0.3), 1e-15) << "i = " << i;
  for (int i = ite + 1; i <= 17; ++i) {
    EXPECT_NEAR(s.Y(i, 1), (s.X(i, 1) - 1.0) * std::tan(-0.2), 1e-15) << "i = " << i;
  }
}

// Side j = 1 runs over the +y side of the lens, side je over the -y side of
// the next blade; both at the same x along the blade.
TEST(SectionGrid, BladeSidesFaceEachOtherAcrossThePassage) {
  Lens lens;
  Surface_storage s = lens.Storage();
  lens.Build(s);
  const double pitch = lens.pitch();
  for (int i = 6; i <= 12; ++i) {
    EXPECT_NEAR(s.X(i, 9), s.X(i, 1), 2e-10) << "i = " << i;
    EXPECT_GT(s.X(i, 1), s.X(i - 1, 1)) << "i = " << i;
    EXPECT_GT(s.Y(i, 1), 0.0) << "i = " << i;
    EXPECT_LT(s.Y(i, 9) - pitch, 0.0) << "i = " << i;
  }
  // The first interval at each edge is dsle or dste.
  EXPECT_NEAR(s.X(6, 1), 0.05, 1e-10);
  EXPECT_NEAR(s.X(12, 1), 0.95, 1e-10);
}

// With the leading edge at the reference point the inlet line lies lin
// upstream of x = 0 whatever xref is, and the outlet line lx behind it.
TEST(SectionGrid, InletAndOutletLinesAreLinAndLxFromTheOrigin) {
  for (double xref : {0.0, 0.3}) {
    Lens lens;
    lens.geometry.xref = xref;
    lens.geometry.yref = 0.125;
    lens.geometry.lx = 2.5;
    Surface_storage s = lens.Storage();
    lens.Build(s);
    for (int j = 1; j <= 9; ++j) {
      EXPECT_NEAR(s.X(1, j), -0.5, kStretchLength) << "xref " << xref << ", j = " << j;
      EXPECT_NEAR(s.X(17, j), s.X(1, 1) + 2.5, kStretchLength) << "xref " << xref << ", j = " << j;
      EXPECT_EQ(s.G(s.xg, 1, j, 1), s.X(1, j));
    }
    for (int j = 2; j <= 9; ++j) EXPECT_NEAR(s.Y(1, j) - s.Y(1, j - 1), 0.1, 1e-15) << "j = " << j;
  }
}

// Odd npitch: the outlet half-pitch stretch has (npitch - 1) / 2 intervals.
// With dyout 0.08 over 0.4 in three intervals, 1 + q + q^2 = 5.
TEST(SectionGrid, OddPitchCountStretchesTheOutletOverThreeIntervals) {
  Lens lens;
  lens.sizes.npitch = 7;
  lens.sizes.je = 8;
  lens.spacings.dyout = 0.08;
  Surface_storage s = lens.Storage();
  lens.Build(s);
  const double q = (std::sqrt(17.0) - 1.0) / 2.0;
  const int ie = 17, je = 8;
  EXPECT_NEAR(s.Y(ie, 2) - s.Y(ie, 1), 0.08, 1e-15);
  EXPECT_NEAR(s.Y(ie, 3) - s.Y(ie, 1), (q + 1.0) * 0.08, kStretchLength);
  EXPECT_NEAR(s.Y(ie, je) - s.Y(ie, je - 1), 0.08, 1e-15);
  EXPECT_NEAR(s.Y(ie, je) - s.Y(ie, je - 2), (q + 1.0) * 0.08, kStretchLength);
}

// Every point lands on the cylinder at the angle y / radius.
TEST(SectionGrid, WrapsTheSurfaceOntoItsCylinder) {
  Lens lens;
  lens.geometry.radius = 0.5;
  lens.geometry.dphi = 1.6;
  Surface_storage s = lens.Storage();
  lens.Build(s, Surface::casing, 2);
  for (int j = 1; j <= 9; ++j) {
    for (int i = 1; i <= 17; ++i) {
      const double yg = s.G(s.yg, i, j, 2), zg = s.G(s.zg, i, j, 2);
      EXPECT_EQ(s.G(s.xg, i, j, 2), s.X(i, j));
      EXPECT_NEAR(std::hypot(yg, zg), 0.5, 1e-15) << i << ", " << j;
      EXPECT_NEAR(std::atan2(yg, zg) * 0.5, s.Y(i, j), 1e-14) << i << ", " << j;
      EXPECT_TRUE(std::isnan(s.G(s.xg, i, j, 1))) << "plane 1 touched at " << i << ", " << j;
    }
  }
}

TEST(SectionGrid, ConfirmationLineOncePerCall) {
  Lens lens;
  Surface_storage s = lens.Storage();
  EXPECT_EQ(lens.Build(s), kConfirmation);
  Lens casing;
  EXPECT_EQ(casing.Build(s, Surface::casing, 2), kConfirmation);
}

// A contour that does not start and end at the trailing edge gives a leading
// edge at or after the trailing edge; it is refused before any grid point is
// written, naming the section.
TEST(SectionGrid, RefusesAContourThatDoesNotStartAtTheTrailingEdge) {
  struct Case {
    Surface surface;
    std::vector<double> xy;
    int iref;
  } cases[] = {
      {Surface::hub, {1, 0, 0.5, -0.1, 0, 0, 0.5, 0.1, 0.9, 0.05}, 3},  // open, largest x first: t_te = 0
      {Surface::casing, {0, 0, 0.5, 0.1, 1, 0, 0.5, -0.1, 0, 0}, 3},    // starts at the leading edge
  };
  for (const auto& c : cases) {
    const std::string name(Surface_name(c.surface));
    Lens lens;
    lens.xy = c.xy;
    lens.iref = c.iref;
    Surface_storage s = lens.Storage();
    try {
      lens.Build(s, c.surface);
      ADD_FAILURE() << name << ": not refused";
    } catch (const Build_failure& failure) {
      const auto* edges = std::get_if<Edges_out_of_order>(&failure.kind);
      ASSERT_NE(edges, nullptr) << name;
      EXPECT_EQ(edges->surface, c.surface);
      EXPECT_FALSE(edges->t_le < edges->t_te) << name;
      const Run_stop stop = Stop_of(failure);
      EXPECT_EQ(stop.status, 2) << name;
      EXPECT_EQ(stop.diagnostic.rfind(name + " section: ", 0), 0u) << stop.diagnostic;
      EXPECT_NE(stop.diagnostic.find("must start and end at the trailing edge and pass the leading edge once"),
                std::string::npos)
          << stop.diagnostic;
      EXPECT_EQ(stop.diagnostic.find('\n'), std::string::npos) << stop.diagnostic;
    }
    for (double v : s.xg) ASSERT_TRUE(std::isnan(v)) << name << ": grid written";
  }
}

// A section of chord 1 with a round trailing edge of radius 0.04 (centre
// (0.96, 0)) and an elliptic nose, listed from the end of its chord (1, 0)
// along the -y side to the leading edge (0, 0) and back along the +y side;
// `reversed` lists the +y side first. Returns the list and the index of the
// leading edge.
std::pair<std::vector<double>, int> Round_trailing_edge_section(bool reversed) {
  constexpr double kPi = std::numbers::pi;
  constexpr double r = 0.04, xc = 1 - r;
  std::vector<double> xy;
  auto add = [&](double x, double y) {
    xy.push_back(x);
    xy.push_back(y);
  };
  for (int n = 0; n < 6; ++n) add(xc + r * std::cos(-kPi / 12 * n), r * std::sin(-kPi / 12 * n));
  for (int n = 0; n < 12; ++n) {  // -y side, from the edge circle to the nose
    const double x = xc * 0.5 * (1 + std::cos(kPi * n / 12));
    add(x, -r * std::sqrt(x / xc));
  }
  for (int n = 0; n < 12; ++n) {  // +y side, from the nose to the edge circle
    const double x = xc * 0.5 * (1 - std::cos(kPi * n / 12));
    add(x, r * std::sqrt(x / xc));
  }
  for (int n = 6; n >= 0; --n) add(xc + r * std::cos(kPi / 12 * n), r * std::sin(kPi / 12 * n));
  const int npts = static_cast<int>(xy.size() / 2);
  if (reversed) {
    std::vector<double> back;
    for (int p = npts - 1; p >= 0; --p) back.insert(back.end(), {xy[2 * p], xy[2 * p + 1]});
    xy = back;
  }
  return {xy, 19};  // 6 circle points, then 12 on the -y side: the nose is point 19 either way
}

// A round trailing edge at negative stagger has its most downstream point a
// few points along the -y side, before the leading edge along the curve: the
// section builds with its trailing edge there and its sides in place. The
// same blade listed in the wrong sense at positive stagger (the most
// downstream point a few points along the +y side) still comes out covering
// the blade, which the run refuses, and a list that starts at the leading edge
// is still refused by the edge search.
TEST(SectionGrid, ARoundTrailingEdgeWhoseMostDownstreamPointFollowsTheStartBuilds) {
  constexpr double kDegree = std::numbers::pi / 180;
  struct Case {
    bool reversed;
    double stagger_degrees;
    bool starts_at_leading_edge;
    Edge_order order;
    bool covers_blade;
  } cases[] = {
      {false, -40, false, Edge_order::trailing_first, false},  // the sound blade the search refused
      {false, -25, false, Edge_order::trailing_first, false},
      {false, 40, false, Edge_order::leading_first, false},  // the most downstream point before the end
      {true, 40, false, Edge_order::trailing_first, true},   // the wrong sense
      {true, -40, false, Edge_order::leading_first, true},   // the wrong sense
      {false, 40, true, Edge_order::refused, false},
  };
  for (const Case& c : cases) {
    const std::string what = std::string(c.reversed ? "reversed" : "in order") + ", stagger " +
                             std::to_string(c.stagger_degrees) + (c.starts_at_leading_edge ? ", from the nose" : "");
    Lens lens;
    auto [xy, iref] = Round_trailing_edge_section(c.reversed);
    if (c.starts_at_leading_edge) {  // the nose first, the last point the nose again
      const int npts = static_cast<int>(xy.size() / 2);
      std::vector<double> turned(xy.begin() + 2 * (iref - 1), xy.end() - 2);
      turned.insert(turned.end(), xy.begin(), xy.begin() + 2 * iref);
      xy = turned;
      ASSERT_EQ(static_cast<int>(xy.size() / 2), npts) << what;
      iref = 1 + (npts - iref);
      lens.geometry.xref = 0.0;
    }
    lens.xy = xy;
    lens.iref = iref;
    lens.geometry.stagger = c.stagger_degrees * kDegree;
    lens.geometry.dphi = 1.0;

    // The edges as the build finds them.
    std::vector<double> placed = lens.xy;
    Place_contour(lens.geometry, {0, lens.npts(), lens.iref, placed});
    const int nseg = lens.npts() - 1;
    std::vector<double> bez(2 * (3 * nseg + 1));
    Bezier_approx(placed, nseg, bez);
    const Edge_parameters edges = Find_edges(bez, nseg);
    EXPECT_EQ(Order_of_edges(bez, nseg, edges), c.order) << what;

    Surface_storage s = lens.Storage();
    if (c.order == Edge_order::refused) {
      EXPECT_THROW(lens.Build(s), Build_failure) << what;
      continue;
    }
    ASSERT_NO_THROW(lens.Build(s)) << what;
    const Section_sizes& z = lens.sizes;
    EXPECT_EQ(Surface_covers_blade(Plane(s.y, z.ie, z.je), z.ile, z.ite, z.je, lens.pitch()), c.covers_blade) << what;
    if (c.covers_blade) continue;
    // The trailing-edge line at the most downstream point of the curve, the
    // leading-edge line at the most upstream one.
    double largest = -1e300, smallest = 1e300;
    for (int i = 0; i <= kEdgeSamples; ++i) {
      double x = 0.0, y = 0.0;
      Bezier_point(bez, nseg, Edge_sample(i), x, y);
      largest = std::max(largest, x);
      smallest = std::min(smallest, x);
    }
    EXPECT_EQ(s.X(z.ite, 1), largest) << what;
    EXPECT_EQ(s.X(z.ile, 1), smallest) << what;
    // Between the edges the passage keeps the blade's thickness out: the +y
    // side at j = 1 above the -y side one pitch back, by up to 0.08 / cos 40.
    for (int i = z.ile + 1; i <= z.ite - 1; ++i) {
      const double thickness = s.Y(i, 1) - (s.Y(i, z.je) - lens.pitch());
      EXPECT_GT(thickness, 0.0) << what << " at i = " << i;
      EXPECT_LT(thickness, 0.11) << what << " at i = " << i;
    }
  }
}

// The fewest intervals the run control lets through, with storage of exactly
// that size: the build stays inside every array it is lent.
TEST(SectionGrid, SmallestCountsStayInsideTheStorage) {
  struct Case {
    int nin, nside, nout, npitch, nwall;
  } cases[] = {{0, 2, 0, 2, 0}, {0, 2, 0, 2, 2}, {1, 2, 1, 2, 1}, {0, 3, 0, 3, 3}, {2, 4, 1, 2, 0}};
  for (const auto& c : cases) {
    Lens lens;
    const int ile = c.nin + 1, ite = ile + c.nside, ie = ite + c.nout;
    lens.sizes = {ie, c.npitch + 1, c.nin, c.nout, c.npitch, ile, ite, c.nwall, 1};
    Surface_storage s = lens.Storage();
    const std::string what = "nin " + std::to_string(c.nin) + ", side " + std::to_string(c.nside) + ", nout " +
                             std::to_string(c.nout) + ", npitch " + std::to_string(c.npitch) + ", nwall " +
                             std::to_string(c.nwall);
    EXPECT_NO_THROW(lens.Build(s)) << what;
    for (int j = 1; j <= c.npitch + 1; ++j) {
      for (int i = 1; i <= ie; ++i) EXPECT_FALSE(std::isnan(s.G(s.xg, i, j, 1))) << what << " at " << i << ", " << j;
    }
  }
}

// ---- Real decks -----------------------------------------------------------

void Expect_surface(const Surface_storage& s, int k, const Section_sizes& z, double pitch, double lx,
                    const std::string& what) {
  for (int j = 1; j <= z.je; ++j) {
    for (int i = 1; i <= z.ie; ++i) {
      ASSERT_TRUE(std::isfinite(s.X(i, j)) && std::isfinite(s.Y(i, j))) << what << " at " << i << ", " << j;
      ASSERT_TRUE(std::isfinite(s.G(s.xg, i, j, k)) && std::isfinite(s.G(s.yg, i, j, k)) &&
                  std::isfinite(s.G(s.zg, i, j, k)))
          << what << " at " << i << ", " << j;
    }
  }
  for (int i = 1; i <= z.ie; ++i) {
    if (i > z.ile && i < z.ite) continue;
    EXPECT_EQ(s.X(i, z.je), s.X(i, 1)) << what << " i = " << i;
    EXPECT_EQ(s.Y(i, z.je), s.Y(i, 1) + pitch) << what << " i = " << i;
  }
  if (z.nout == 0) return;  // the outlet line is the trailing-edge line
  for (int j = 1; j <= z.je; ++j) {
    EXPECT_NEAR(s.X(z.ie, j) - s.X(1, 1), lx, kStretchLength) << what << " j = " << j;
  }
}

// The published NACA 65-410 list stops short of the trailing edge on its
// lower side: its first point has the largest x, so the leading edge is found
// after the trailing edge and the section is refused. Closed by repeating the
// first point, the same list gives a blade.
TEST(SectionGridDecks, OpenAirfoilListIsRefusedAndTheClosedOneBuilds) {
  const std::filesystem::path path = std::filesystem::path(TORVANE_SHARED_DIR) / "data" / "airfoils" / "naca65410.dat";
  std::ifstream file(path);
  if (!file) GTEST_SKIP() << "no airfoil file at " << path;
  std::string title;
  std::getline(file, title);
  std::vector<double> open;
  for (double x, y; file >> x >> y;) open.insert(open.end(), {x, y});
  ASSERT_GE(open.size(), 8u);
  int leading = 1;
  for (std::size_t p = 0; p < open.size(); p += 2) {
    if (open[p] < open[2 * (leading - 1)]) leading = static_cast<int>(p / 2) + 1;
  }
  std::vector<double> closed = open;
  closed.insert(closed.end(), {open[0], open[1]});

  constexpr double kDegree = 0.017453292519943295;
  const Section_sizes sizes{81, 33, 20, 30, 32, 21, 51, 5, 1};
  const double dphi = 6.283185307179586 / 30;
  const Section_geometry geometry{dphi, -60 * kDegree, -35 * kDegree, 40 * kDegree, 0.0, 0.0, 0.06, 0.25, 0.05, 0.16};
  const Section_spacings spacings{0.0003, 0.0004, 0.0003, 0.0004, 0.001, 1.2};

  Surface_storage s(81, 33, static_cast<int>(closed.size() / 2), 1);
  testing::Captured_diagnostics diagnostics;
  try {
    Section_grid({Surface::hub, sizes, geometry, spacings, 1}, {0, static_cast<int>(open.size() / 2), leading, open},
                 s.work(), s.grid(), diagnostics);
    ADD_FAILURE() << "open list not refused";
  } catch (const Build_failure& failure) {
    const Run_stop stop = Stop_of(failure);
    EXPECT_EQ(stop.status, 2);
    EXPECT_EQ(stop.diagnostic.rfind("hub section: ", 0), 0u) << stop.diagnostic;
  }
  EXPECT_EQ(diagnostics.captured(), kConfirmation);

  testing::Captured_diagnostics closed_diagnostics;
  Section_grid({Surface::hub, sizes, geometry, spacings, 1}, {0, static_cast<int>(closed.size() / 2), leading, closed},
               s.work(), s.grid(), closed_diagnostics);
  EXPECT_EQ(closed_diagnostics.captured().rfind(kConfirmation, 0), 0u);
  Expect_surface(s, 1, sizes, dphi * 0.25, 0.16, "closed NACA 65-410");
}

// Each public deck, read and set up as the run reads and sets it up.
TEST(SectionGridDecks, EveryPublicDeckGivesAFinitePeriodicSurfaceAtHubAndCasing) {
  const std::filesystem::path folder = std::filesystem::path(TORVANE_SHARED_DIR) / "cases" / "public";
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no shared decks at " << folder;
  int decks = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".in") continue;
    ++decks;
    const std::string name = entry.path().stem().string();
    std::ifstream file(entry.path());
    Deck_reader reader(file);
    const Control_values v = reader.Read_control_values();
    std::vector<double> xyhub(2 * kMaxContourPoints), xycas(2 * kMaxContourPoints);
    Contour_points hub{0, 0, 0, xyhub}, casing{0, 0, 0, xycas};
    reader.Read_point_list(Surface::hub, hub);
    reader.Read_point_list(Surface::casing, casing);
    ASSERT_EQ(v.ibez, 1) << name;

    // The descriptions the run builds from, checked against the deck's values.
    const Surface_description hub_surface = Describe_surface(Surface::hub, v);
    const Surface_description casing_surface = Describe_surface(Surface::casing, v);
    const Section_sizes& sizes = hub_surface.sizes;
    const double dphi = 6.283185307179586 / v.nbrow;
    EXPECT_EQ(sizes.ile, v.nin + 1) << name;
    EXPECT_EQ(sizes.ite, v.nin + 1 + v.nblade / 2) << name;
    EXPECT_EQ(sizes.je, v.npitch + 1) << name;
    EXPECT_EQ(hub_surface.geometry.radius, v.rhub) << name;
    EXPECT_EQ(casing_surface.geometry.radius, v.rcas) << name;
    EXPECT_EQ(casing_surface.sizes.k, v.nspan + 1) << name;

    Surface_storage s(sizes.ie, sizes.je, std::max(hub.npts, casing.npts), 2);
    testing::Captured_diagnostics diagnostics;
    Section_grid(hub_surface, hub, s.work(), s.grid(), diagnostics);
    EXPECT_EQ(diagnostics.captured().rfind(kConfirmation, 0), 0u) << name;
    Expect_surface(s, 1, sizes, dphi * v.rhub, v.lx, name + " hub");

    // Into plane 2 of the test's storage.
    Surface_description casing_plane2 = casing_surface;
    casing_plane2.sizes.k = 2;
    testing::Captured_diagnostics casing_diagnostics;
    Section_grid(casing_plane2, casing, s.work(), s.grid(), casing_diagnostics);
    EXPECT_EQ(casing_diagnostics.captured().rfind(kConfirmation, 0), 0u) << name;
    Expect_surface(s, 2, casing_plane2.sizes, dphi * v.rcas, v.lx, name + " casing");
  }
  EXPECT_GT(decks, 0);
}

}  // namespace
}  // namespace torvane
