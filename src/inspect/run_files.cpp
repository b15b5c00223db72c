#include "inspect/run_files.hpp"

namespace torvane::inspect {

Run_files Read_run(const std::string& stem) {
  Run_files run;
  run.stem = stem;
  run.grid = Read_grid_file(stem + ".rgra");
  run.topology = Read_topology_file(stem + ".rtp");
  run.faces = Lay_out_faces(run.topology, run.grid);
  return run;
}

Run_files Lay_out_run(const std::string& stem, Grid grid, std::string topology_text) {
  Run_files run;
  run.stem = stem;
  run.grid = std::move(grid);
  run.topology = Read_topology_text(stem + ".rtp", std::move(topology_text));
  run.faces = Lay_out_faces(run.topology, run.grid);
  return run;
}

}  // namespace torvane::inspect
