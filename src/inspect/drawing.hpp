// Pictures of the grid as lines on a page: the blade-to-blade grid of a
// spanwise surface (axial coordinate against radius times angle, two pitches)
// and the cross-section of a streamwise station, fitted to a pixel page.
#pragma once

#include <string>
#include <vector>

#include "inspect/block_faces.hpp"
#include "inspect/grid_file.hpp"

namespace torvane::inspect {

struct Point2 {
  double x = 0, y = 0;
};

// A grid line on the page; walls are drawn heavier than grid lines.
struct Polyline {
  std::string kind;  // "i-line", "j-line", "k-line" or "wall"
  std::vector<Point2> points;
};

// A page in pixels, y growing downwards, with its lines inside margins.
struct Drawing {
  std::string title;
  double width = 0, height = 0;
  std::vector<Polyline> lines;
};

// Blade-to-blade grid of surface k, two pitches one above the other.
Drawing Blade_to_blade(const Grid& grid, const Block_faces& faces, int k, const std::string& title);

// Cross-section at station i in the plane normal to the axis, the passage upright.
Drawing Cross_section(const Grid& grid, const Block_faces& faces, int i, const std::string& title);

// Page width of every picture, in pixels.
inline constexpr double kPageWidth = 1000;

}  // namespace torvane::inspect
