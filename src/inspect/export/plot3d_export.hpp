// Plot3D whole multi-block grid of the block (one block, no blanking), for
// solvers and viewers that read it: ASCII or Fortran-unformatted binary.
#pragma once

#include <string>

#include "inspect/run_files/grid_file.hpp"

namespace torvane::inspect {

// ASCII: the block count, the three dimensions, then all x, all y, all z with
// i fastest, four numbers a line, each with 17 significant digits.
std::string Plot3d_ascii(const Grid& grid);

// Binary: little-endian sequential records, each framed by a 4-byte length
// before and after it: [1] int32 block count, [2] int32 ie, je, ke,
// [3] float64 all x, all y, all z with i fastest. Throws Output_error when
// record 3 would pass the 2^31 - 1 bytes a signed marker can give.
std::string Plot3d_binary(const Grid& grid);

}  // namespace torvane::inspect
