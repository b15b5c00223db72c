// The three files a run leaves: the grid file (every coordinate, 17 digits),
// the topology file (the boundary patches of the passage) and
// the plot file (the grid as one ordered point zone for viewing).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/grid_views.hpp"
#include "base/output_file.hpp"
#include "base/passage.hpp"
#include "base/stem_lock.hpp"
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

// The text of STEM.rtp: header, a row per boundary patch of the passage, the
// periodic angle after each periodic row.
std::string Topology_text(const Passage& passage);

// Writes STEM.rtp with the text of Topology_text.
void Write_topology_file(const std::string& stem, const Passage& passage);

// Prints " Storing plot files ...", writes STEM_grid_volume.plt and prints the closing line.
void Write_plot_file(const std::string& stem, std::string_view title, const Block_sizes& sizes, const Grid& grid,
                     Console& console);

// The three files of a run in the making: created as empty temporaries
// before the grid is built, filled after it, and renamed into place together
// while the stem's lock keeps any other run on the stem waiting. A deck that
// gives the rotor's speed adds the machine file STEM.rmach; without it an
// earlier run's machine file of the stem goes, so it never describes another grid.
struct Run_output {
  std::unique_ptr<Stem_lock> lock;  // released last: the temporaries go before it
  std::unique_ptr<Output_file> grid, topology, plot;
  std::unique_ptr<Output_file> machine;  // only when the deck gives the speed
  std::string machine_path;              // STEM.rmach
};

// Creates the temporary of STEM.rgra, takes the lock STEM.lock (calling
// on_wait once if another run holds it) and creates the other two
// temporaries; a failure stops the run (status 2) naming the file and, when
// the folder is missing or read-only, the folder (folder_source: "the folder
// named in record 2").
// With machine_file, the temporary of STEM.rmach too.
Run_output Create_run_output(const std::string& stem, std::string_view folder_source,
                             const std::function<void()>& on_wait, bool machine_file = false);

// Prints " Storing grid ..." and writes the grid file into its temporary, closed after.
void Write_grid_into(Output_file& file, const Block_sizes& sizes, const Grid& grid, Console& console);
// Writes the topology file of the passage into its temporary, closed after.
void Write_topology_into(Output_file& file, const Passage& passage);
// Prints " Storing plot files ..." and writes the plot file into its temporary, closed after.
void Write_plot_into(Output_file& file, std::string_view title, const Block_sizes& sizes, const Grid& grid,
                     Console& console);

// Writes the machine file (the rotor's speed) into its temporary, closed after.
void Write_machine_into(Output_file& file, double rpm);

// Renames the closed temporaries over their targets (removing an earlier
// machine file when the run writes none) and lets go of the lock; a failure
// stops the run (status 2).
void Put_in_place(Run_output& files);

// The closing line of a run that wrote its files.
void Print_finished(Console& console);

}  // namespace torvane
