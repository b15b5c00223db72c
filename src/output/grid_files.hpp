// The three files a run leaves: the grid file (every coordinate, 17 digits),
// the topology file (boundary conditions and periodic pairs of the block) and
// the plot file (the grid as one ordered point zone for viewing).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/grid_views.hpp"
#include "base/output_file.hpp"
#include "output/console.hpp"

namespace torvane {

// Grid dimensions and the indices the topology file refers to.
struct Block_sizes {
  int ie, je, ke;  // points in i, j, k
  int ile, ite;    // leading- and trailing-edge i
  int nin;         // upstream intervals
  int npitch;      // pitchwise intervals
  int nspan;       // spanwise intervals
};

// The stem of every output file name: the text of fname before its first
// blank (empty when fname begins with a blank; all of it when it has none).
std::string Output_stem(std::string_view fname);

// Prints " Storing grid ..." and writes STEM.rgra.
void Write_grid_file(const std::string& stem, const Block_sizes& sizes, const Grid& grid, Console& console);

// The text of STEM.rtp: header, ten boundary rows, the periodic angle after each periodic row.
std::string Topology_text(const Block_sizes& sizes, double dphi);

// Writes STEM.rtp with the text of Topology_text.
void Write_topology_file(const std::string& stem, const Block_sizes& sizes, double dphi);

// Prints " Storing plot files ...", writes STEM_grid_volume.plt and prints the closing line.
void Write_plot_file(const std::string& stem, std::string_view title, const Block_sizes& sizes, const Grid& grid,
                     Console& console);

// The same three files left in their closed temporaries, for the caller to
// rename with Replace_target or drop; the plot file's closing line is the
// caller's to print (Print_finished).
std::unique_ptr<Output_file> Write_grid_temporary(const std::string& stem, const Block_sizes& sizes, const Grid& grid,
                                                  Console& console);
std::unique_ptr<Output_file> Write_topology_temporary(const std::string& stem, const Block_sizes& sizes, double dphi);
std::unique_ptr<Output_file> Write_plot_temporary(const std::string& stem, std::string_view title,
                                                  const Block_sizes& sizes, const Grid& grid, Console& console);

// Renames a closed temporary over its target; a failure stops the run (status 2).
void Put_in_place(Output_file& file);

// The closing line of a run that wrote its files.
void Print_finished(Console& console);

}  // namespace torvane
