// A run as torvane-inspect sees it: the grid and topology files of one stem,
// read, checked against each other and laid out as the block's faces.
#pragma once

#include <optional>
#include <string>

#include "inspect/run_files/block_faces.hpp"
#include "inspect/run_files/grid_file.hpp"
#include "inspect/run_files/topology_file.hpp"

namespace torvane::inspect {

struct Run_files {
  std::string stem;
  std::optional<double> rpm;  // the rotor's speed of the machine file STEM.rmach, when the run left one
  std::string machine_path;   // STEM.rmach
  Grid grid;
  Passage passage;            // read from the topology file
  std::string topology_path;  // the topology file, for messages
  Block_faces faces;
};

// The machine file's speed (its `rpm N` line; other names are skipped, for
// entries a later torvane may add), nothing when it gives none; throws
// Input_error naming file, record and column.
std::optional<double> Read_machine_file(const std::string& path);

// Reads STEM.rgra and STEM.rtp, and STEM.rmach when it is there; throws
// Input_error naming file, record and column.
Run_files Read_run(const std::string& stem);

// The run of a grid held in memory and its passage, laid out as Read_run does
// with the files (names the topology file STEM.rtp in messages).
Run_files Lay_out_run(const std::string& stem, Grid grid, Passage passage);

}  // namespace torvane::inspect
