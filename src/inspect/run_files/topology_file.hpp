// The topology file of a run (STEM.rtp) read back into the passage torvane
// wrote it from: a row per boundary patch, each naming a type code, a face,
// two cell ranges in it and, for periodic rows, the partner face and the
// angle that turns the partner onto this face.
#pragma once

#include <string>

#include "base/passage.hpp"

namespace torvane::inspect {

// Reads and checks STEM.rtp into the passage it writes: every row in its
// place, the rows covering every boundary cell of the block once with roles
// that fit their faces and the periodic pair matched (the stations are the
// hub and casing the wall rows tell). Throws Input_error naming file, record
// and, where one is at fault, column.
Passage Read_topology_file(const std::string& path);

// Reads the text of a topology file held in memory; name stands for the file in messages.
Passage Read_topology_text(const std::string& name, std::string text);

}  // namespace torvane::inspect
