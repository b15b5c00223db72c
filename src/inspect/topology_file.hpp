// The topology file of a run (STEM.rtp): the boundary rows of the single block,
// each naming a face, two cell ranges in it, a type code and, for periodic
// rows, the partner face and the angle that turns the partner onto this face.
#pragma once

#include <string>
#include <vector>

namespace torvane::inspect {

// Boundary type codes of the file.
inline constexpr int kInlet = 10;
inline constexpr int kOutlet = 20;
inline constexpr int kWall = 70;
inline constexpr int kPeriodic = 120;

// One boundary row; ranges count cells from 1 and periodic rows carry them negated.
struct Boundary_row {
  int code = 0;
  int face = 0;
  int first[2] = {0, 0};
  int second[2] = {0, 0};
  int partner_region = 0;
  int partner_face = 0;
  int partner_first[2] = {0, 0};
  int partner_second[2] = {0, 0};
  double angle = 0;  // periodic rows only: radians, from the record after the row
  long record = 0;   // where the row stands in the file
};

// The whole file: cell counts of the block and its boundary rows.
struct Topology {
  int ni = 0, nj = 0, nk = 0;  // cells in i, j, k
  std::vector<Boundary_row> rows;
  std::string path;
};

// Reads and checks STEM.rtp; throws Input_error naming file, record and column.
Topology Read_topology_file(const std::string& path);

// Reads the text of a topology file held in memory; name stands for the file in messages.
Topology Read_topology_text(const std::string& name, std::string text);

}  // namespace torvane::inspect
