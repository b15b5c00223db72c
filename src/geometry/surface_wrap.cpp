#include "geometry/surface_wrap.hpp"

#include <cmath>

namespace torvane {

void Wrap_on_cylinder(const Plane& x, const Plane& y, int ie, int je, double radius, const Grid& grid, int k) {
  for (int j = 1; j <= je; ++j) {
    for (int i = 1; i <= ie; ++i) {
      const double theta = y(i, j) / radius;
      grid.xg(i, j, k) = x(i, j);
      grid.yg(i, j, k) = std::sin(theta) * radius;
      grid.zg(i, j, k) = radius - (1.0 - std::cos(theta)) * radius;
    }
  }
}

void Wrap_on_flow_path(const Plane& x, const Plane& y, int ie, int je, const Conformal_map& map, const Grid& grid,
                       int k) {
  for (int j = 1; j <= je; ++j) {
    for (int i = 1; i <= ie; ++i) {
      const Surface_point p = map.Point(x(i, j), y(i, j));
      grid.xg(i, j, k) = p.x;
      grid.yg(i, j, k) = std::sin(p.theta) * p.r;
      grid.zg(i, j, k) = p.r - (1.0 - std::cos(p.theta)) * p.r;
    }
  }
}

}  // namespace torvane
