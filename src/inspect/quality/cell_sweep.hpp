// A walk over every cell of the block in storage order (i fastest, then j,
// then k) that measures each grid line once: the unit edge vectors of a cell
// are shared with up to three neighbours, so they are worked out per plane of
// points and per layer of lines along k, not per cell.
#pragma once

#include <functional>

#include "inspect/quality/hex_shape.hpp"
#include "inspect/run_files/grid_file.hpp"

namespace torvane::inspect {

// Receives the shapes of the cells (1, j, k) to (ni, j, k), in that order.
using Shape_row = std::function<void(int j, int k, const Hex_shape* shapes)>;

// Hands every row of cells to `row`, rows in storage order.
void Sweep_cells(const Grid& grid, const Shape_row& row);

}  // namespace torvane::inspect
