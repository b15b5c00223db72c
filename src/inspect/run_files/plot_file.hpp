// The plot file of a run (STEM_grid_volume.plt): the same grid in Tecplot
// ASCII point form, one record per point with 7 significant digits, read to
// check that it agrees with the grid file.
#pragma once

#include <string>

#include "inspect/run_files/grid_file.hpp"

namespace torvane::inspect {

// Reads STEM_grid_volume.plt as a grid; throws Input_error naming file, record and column.
Grid Read_plot_file(const std::string& path);

// How many points of the plot file differ from the grid file's rounded to 7 significant digits.
struct Plot_agreement {
  long points = 0;
  long differing = 0;
  int at_i = 0, at_j = 0, at_k = 0;  // the first differing point
};

// Compares point by point; the sizes must be equal (the caller checks).
Plot_agreement Compare_plot(const Grid& plot, const Grid& grid);

}  // namespace torvane::inspect
