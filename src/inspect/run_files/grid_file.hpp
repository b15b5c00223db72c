// The grid file of a run (STEM.rgra): the points of the single H-grid block,
// i streamwise, j pitchwise, k hub to casing, all x, then all y, then all z.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/cell_shape.hpp"

namespace torvane::inspect {

// A point or a vector in the machine's frame (x axial, y = r sin(theta), z = r cos(theta)).
using Vec3 = torvane::Vec3;

// The grid block: ie x je x ke points, i fastest in storage, indices from 1.
struct Grid {
  int ie = 0, je = 0, ke = 0;
  std::vector<double> x, y, z;

  std::size_t points() const { return static_cast<std::size_t>(ie) * je * ke; }
  std::size_t Index(int i, int j, int k) const {
    return (static_cast<std::size_t>(k - 1) * je + static_cast<std::size_t>(j - 1)) * ie +
           static_cast<std::size_t>(i - 1);
  }
  Vec3 Point(int i, int j, int k) const {
    std::size_t n = Index(i, j, k);
    return {x[n], y[n], z[n]};
  }
};

// Reads and checks STEM.rgra; throws Input_error naming file, record and column.
Grid Read_grid_file(const std::string& path);

}  // namespace torvane::inspect
