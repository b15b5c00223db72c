// A run as torvane-inspect sees it: the grid and topology files of one stem,
// read, checked against each other and laid out as the block's faces.
#pragma once

#include <string>

#include "inspect/block_faces.hpp"
#include "inspect/grid_file.hpp"
#include "inspect/topology_file.hpp"

namespace torvane::inspect {

struct Run_files {
  std::string stem;
  Grid grid;
  Topology topology;
  Block_faces faces;
};

// Reads STEM.rgra and STEM.rtp; throws Input_error naming file, record and column.
Run_files Read_run(const std::string& stem);

}  // namespace torvane::inspect
