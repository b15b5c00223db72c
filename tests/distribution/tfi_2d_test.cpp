#include "distribution/tfi_2d.hpp"

#include <climits>
#include <cmath>
#include <functional>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace torvane {
namespace {

constexpr double kUnset = -777.0;
constexpr int kLd = 6;  // first extent of the planes, one more than the patches use
constexpr int kNd2 = 5;

// Plane coordinates on a kLd x kNd2 array, edge arrays for i and j, all unset.
struct Patch {
  Patch()
      : xs(kLd * kNd2, kUnset),
        ys(kLd * kNd2, kUnset),
        el(kNd2, kUnset),
        er(kNd2, kUnset),
        eb(kLd, kUnset),
        et(kLd, kUnset) {}
  Plane x() { return Plane(xs, kLd, kNd2); }
  Plane y() { return Plane(ys, kLd, kNd2); }
  using Point = std::function<void(int, int, double&, double&)>;
  // Sets the four edges of i1..i2 x j1..j2 from a point function.
  void Set_edges(int i1, int i2, int j1, int j2, const Point& point) {
    for (int i = i1; i <= i2; ++i) {
      point(i, j1, x()(i, j1), y()(i, j1));
      point(i, j2, x()(i, j2), y()(i, j2));
    }
    for (int j = j1; j <= j2; ++j) {
      point(i1, j, x()(i1, j), y()(i1, j));
      point(i2, j, x()(i2, j), y()(i2, j));
    }
  }
  void Run(int i1, int i2, int j1, int j2) { Tfi_2d(i1, i2, j1, j2, Line(el), Line(er), Line(eb), Line(et), x(), y()); }
  std::vector<double> xs, ys, el, er, eb, et;
};

void Unit_square(int i, int j, double& x, double& y) {
  x = (i - 1) / 4.0;
  y = (j - 1) / 3.0;
}

TEST(Tfi2d, ReproducesTheUniformGridOfTheUnitSquare) {
  Patch p;
  p.Set_edges(1, 5, 1, 4, Unit_square);
  const Patch before = p;
  p.Run(1, 5, 1, 4);
  EXPECT_EQ(p.eb, (std::vector<double>{0.0, 0.25, 0.5, 0.75, 1.0, kUnset}));
  EXPECT_EQ(p.et, p.eb);
  for (int j = 1; j <= 4; ++j) {
    EXPECT_NEAR(p.el[j - 1], (j - 1) / 3.0, 1e-15) << "el(" << j << ")";
    EXPECT_NEAR(p.er[j - 1], (j - 1) / 3.0, 1e-15) << "er(" << j << ")";
  }
  EXPECT_EQ(p.el[3], 1.0);
  for (int j = 1; j <= 4; ++j) {
    for (int i = 1; i <= 5; ++i) {
      if (i == 1 || i == 5 || j == 1 || j == 4) {
        EXPECT_EQ(p.x()(i, j), before.xs[(j - 1) * kLd + i - 1]) << "edge point " << i << "," << j;
        EXPECT_EQ(p.y()(i, j), before.ys[(j - 1) * kLd + i - 1]) << "edge point " << i << "," << j;
      } else {
        EXPECT_NEAR(p.x()(i, j), (i - 1) / 4.0, 1e-15) << i << "," << j;
        EXPECT_NEAR(p.y()(i, j), (j - 1) / 3.0, 1e-15) << i << "," << j;
      }
    }
    EXPECT_EQ(p.x()(6, j), kUnset);
  }
}

TEST(Tfi2d, FollowsTheArcLengthOfAStretchedBottomEdge) {
  Patch p;
  p.Set_edges(1, 5, 1, 4, [](int i, int j, double& x, double& y) {
    Unit_square(i, j, x, y);
    if (j == 1) x = x * x;
  });
  p.Run(1, 5, 1, 4);
  EXPECT_EQ(p.eb, (std::vector<double>{0.0, 0.0625, 0.25, 0.5625, 1.0, kUnset}));
  // Rows j = 2 and 3 at i = 2, 3, 4: eta = (j - 1)/3 and x = eta*T + (1 - eta)*B.
  const double expected[2][3] = {{1.0 / 8, 1.0 / 3, 5.0 / 8}, {3.0 / 16, 5.0 / 12, 11.0 / 16}};
  for (int j = 2; j <= 3; ++j) {
    for (int i = 2; i <= 4; ++i) {
      EXPECT_NEAR(p.x()(i, j), expected[j - 2][i - 2], 1e-15) << i << "," << j;
      EXPECT_NEAR(p.y()(i, j), (j - 1) / 3.0, 1e-15) << i << "," << j;
    }
  }
}

TEST(Tfi2d, PlacesEachInteriorPointWhereTheStraightGridLinesOfTheSquareCross) {
  // Points on the sides of the unit square, stretched differently on opposite
  // sides: the interior point (i, j) is where the line from bottom point i to
  // top point i meets the line from left point j to right point j.
  const auto bottom = [](int i) { return (i - 1) / 4.0 * ((i - 1) / 4.0); };
  const auto top = [](int i) { return (i - 1) / 4.0; };
  const auto left = [](int j) { return (j - 1) / 3.0; };
  const auto right = [](int j) { return (j - 1) / 3.0 * ((j - 1) / 3.0); };
  Patch p;
  p.Set_edges(1, 5, 1, 4, [&](int i, int j, double& x, double& y) {
    x = i == 1 ? 0.0 : i == 5 ? 1.0 : j == 1 ? bottom(i) : top(i);
    y = j == 1 ? 0.0 : j == 4 ? 1.0 : i == 1 ? left(j) : right(j);
  });
  p.Run(1, 5, 1, 4);
  for (int j = 2; j <= 3; ++j) {
    for (int i = 2; i <= 4; ++i) {
      const double x = p.x()(i, j), y = p.y()(i, j);
      EXPECT_NEAR(x, bottom(i) + (top(i) - bottom(i)) * y, 1e-15) << i << "," << j;
      EXPECT_NEAR(y, left(j) + (right(j) - left(j)) * x, 1e-15) << i << "," << j;
    }
  }
  // By hand: x = 1/4 + y/4 and y = 1/3 - 2x/9 meet at (6/19, 5/19).
  EXPECT_NEAR(p.x()(3, 2), 6.0 / 19, 1e-15);
  EXPECT_NEAR(p.y()(3, 2), 5.0 / 19, 1e-15);
}

// Patches without interior points: the edge arrays (uniform here) are filled
// as far as the patch reaches, and no grid point is written.
TEST(Tfi2d, WritesOnlyTheEdgeArraysOfAPatchWithoutInterior) {
  struct Case {
    int i1, i2, j1, j2;
  } cases[] = {{1, 5, 1, 2}, {1, 5, 2, 2}, {1, 2, 1, 4}, {3, 3, 1, 4}};
  for (const auto& c : cases) {
    Patch p;
    for (int j = 1; j <= kNd2; ++j) {
      for (int i = 1; i <= kLd; ++i) Unit_square(i, j, p.x()(i, j), p.y()(i, j));
    }
    const Patch before = p;
    p.Run(c.i1, c.i2, c.j1, c.j2);
    EXPECT_EQ(p.xs, before.xs);
    EXPECT_EQ(p.ys, before.ys);
    for (int i = 1; i <= kLd; ++i) {
      const double e = i < c.i1 || i > c.i2 ? kUnset : c.i2 == c.i1 ? 0.0 : double(i - c.i1) / (c.i2 - c.i1);
      EXPECT_NEAR(p.eb[i - 1], e, 1e-15) << "eb(" << i << ") of " << c.i1 << ".." << c.i2;
      EXPECT_NEAR(p.et[i - 1], e, 1e-15) << "et(" << i << ") of " << c.i1 << ".." << c.i2;
    }
    for (int j = 1; j <= kNd2; ++j) {
      const double e = j < c.j1 || j > c.j2 ? kUnset : c.j2 == c.j1 ? 0.0 : double(j - c.j1) / (c.j2 - c.j1);
      EXPECT_NEAR(p.el[j - 1], e, 1e-15) << "el(" << j << ") of " << c.j1 << ".." << c.j2;
      EXPECT_NEAR(p.er[j - 1], e, 1e-15) << "er(" << j << ") of " << c.j1 << ".." << c.j2;
    }
  }
}

TEST(Tfi2d, GivesAnEdgeOfZeroLengthTheUniformParameter) {
  // A wedge: the left edge collapsed into the origin, the top edge the
  // diagonal. With the uniform parameter on the left edge the patch is the
  // bilinear map x = xi, y = xi * eta.
  Patch p;
  p.Set_edges(1, 5, 1, 4, [](int i, int j, double& x, double& y) {
    const double xi = (i - 1) / 4.0, eta = (j - 1) / 3.0;
    x = xi;
    y = j == 1 ? 0.0 : j == 4 ? xi : eta * xi;
  });
  p.Run(1, 5, 1, 4);
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(p.el[j - 1], (j - 1) / 3.0) << "el(" << j << ")";
  for (int j = 2; j <= 3; ++j) {
    for (int i = 2; i <= 4; ++i) {
      EXPECT_NEAR(p.x()(i, j), (i - 1) / 4.0, 1e-15) << i << "," << j;
      EXPECT_NEAR(p.y()(i, j), (i - 1) / 4.0 * ((j - 1) / 3.0), 1e-15) << i << "," << j;
    }
  }
}

TEST(Tfi2d, TouchesNothingWhenThePatchDoesNotLieInsideItsArrays) {
  struct Case {
    int i1, i2, j1, j2;
  } cases[] = {{0, 5, 1, 4}, {1, 7, 1, 4}, {1, 5, 0, 4}, {1, 5, 1, 6}, {INT_MIN, INT_MAX, 1, 4}, {1, 5, INT_MAX, 1}};
  for (const auto& c : cases) {
    Patch p;
    p.Run(c.i1, c.i2, c.j1, c.j2);
    const Patch untouched;
    EXPECT_TRUE(p.xs == untouched.xs && p.ys == untouched.ys && p.el == untouched.el && p.er == untouched.er &&
                p.eb == untouched.eb && p.et == untouched.et)
        << c.i1 << ".." << c.i2 << " x " << c.j1 << ".." << c.j2;
  }
}

}  // namespace
}  // namespace torvane

namespace torvane {
namespace {

// Two differently distorted patches: Tfi_points, fed each point's own edge
// parameters and edge values, gives every interior point the bits Tfi_2d gives it.
TEST(TfiPoints, GivesEachPointOfManyPatchesTheValueTfi2dGivesIt) {
  const Patch::Point shapes[] = {
      [](int i, int j, double& x, double& y) {
        x = std::pow((i - 1) / 4.0, 1.7) + 0.05 * j;
        y = (j - 1) / 3.0 + 0.02 * i * i;
      },
      [](int i, int j, double& x, double& y) {
        x = 2.0 * (i - 1) / 4.0 - 0.1 * std::sin(j);
        y = std::pow((j - 1) / 3.0, 0.6) * (1.0 + 0.1 * i);
      },
  };
  std::vector<double> b, t, l, r, out_x, out_y, expect_x, expect_y;
  std::vector<double> xb, xt, xl, xr, x11, x22, x21, x12, yb, yt, yl, yr, y11, y22, y21, y12;
  for (const Patch::Point& shape : shapes) {
    Patch p;
    p.Set_edges(1, 5, 1, 4, shape);
    Patch edges_only = p;
    Tfi_edge_parameters(1, 5, 1, 4, Line(edges_only.el), Line(edges_only.er), Line(edges_only.eb), Line(edges_only.et),
                        edges_only.x(), edges_only.y());
    p.Run(1, 5, 1, 4);
    EXPECT_EQ(edges_only.eb, p.eb);
    EXPECT_EQ(edges_only.el, p.el);
    for (int j = 2; j <= 3; ++j) {
      for (int i = 2; i <= 4; ++i) {
        b.push_back(p.eb[i - 1]);
        t.push_back(p.et[i - 1]);
        l.push_back(p.el[j - 1]);
        r.push_back(p.er[j - 1]);
        Plane x = p.x(), y = p.y();
        for (auto [plane, bottom, top, left, right, c11, c22, c21, c12] :
             {std::tuple{x, &xb, &xt, &xl, &xr, &x11, &x22, &x21, &x12},
              std::tuple{y, &yb, &yt, &yl, &yr, &y11, &y22, &y21, &y12}}) {
          bottom->push_back(plane(i, 1));
          top->push_back(plane(i, 4));
          left->push_back(plane(1, j));
          right->push_back(plane(5, j));
          c11->push_back(plane(1, 1));
          c22->push_back(plane(5, 4));
          c21->push_back(plane(5, 1));
          c12->push_back(plane(1, 4));
        }
        expect_x.push_back(x(i, j));
        expect_y.push_back(y(i, j));
      }
    }
  }
  out_x.assign(expect_x.size(), kUnset);
  out_y.assign(expect_y.size(), kUnset);
  Tfi_points(b, t, l, r, Tfi_edges{xb, xt, xl, xr, x11, x22, x21, x12}, Tfi_edges{yb, yt, yl, yr, y11, y22, y21, y12},
             out_x, out_y);
  EXPECT_EQ(out_x, expect_x);
  EXPECT_EQ(out_y, expect_y);
}

}  // namespace
}  // namespace torvane
