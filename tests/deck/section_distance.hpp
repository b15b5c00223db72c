// How far published blade sections lie from a grid's blade walls: the
// nearest-point distance of every section point to the walls triangulated
// between the leading and trailing edges, up to the blade tip.
#pragma once

#include <array>
#include <vector>

#include "inspect/run_files/grid_file.hpp"

namespace torvane::deck::testing {

struct P3 {
  double x, y, z;
};

// The distance from p to the triangle abc (the closest point by its Voronoi region).
double Triangle_distance(P3 p, P3 a, P3 b, P3 c);

// The grid's blade walls from the leading to the trailing edge and from the
// hub to the tip plane k = top, as triangles: j = 1, and j = je turned back
// by the pitch angle onto the same blade.
std::vector<std::array<P3, 3>> Blade_wall_triangles(const inspect::Grid& g, int ile, int ite, int top,
                                                    double pitch_angle);

// The largest distance of a section's points (x the machine's axis) from the
// walls: within 5-95 % of the section's axial chord, and over the whole contour.
struct Section_distance {
  double inner = 0, whole = 0;
};
Section_distance Distance_to_walls(const std::vector<P3>& section, const std::vector<std::array<P3, 3>>& walls);

}  // namespace torvane::deck::testing
