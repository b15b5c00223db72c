// VTK XML structured grid (.vts) of the block, for ParaView: the points with
// every coordinate exact and the cell measures as cell data.
#pragma once

#include <string>

#include "inspect/quality/cell_quality.hpp"
#include "inspect/run_files/grid_file.hpp"

namespace torvane::inspect {

// The whole .vts document; coordinates in shortest round-trip decimal form.
std::string Vts_text(const Grid& grid, const Cell_field& cells);

}  // namespace torvane::inspect
