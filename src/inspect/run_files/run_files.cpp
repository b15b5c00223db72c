#include "inspect/run_files/run_files.hpp"

namespace torvane::inspect {

Run_files Read_run(const std::string& stem) {
  Run_files run;
  run.stem = stem;
  run.grid = Read_grid_file(stem + ".rgra");
  run.topology_path = stem + ".rtp";
  run.passage = Read_topology_file(run.topology_path);
  run.faces = Lay_out_faces(run.passage, run.topology_path, run.grid);
  return run;
}

Run_files Lay_out_run(const std::string& stem, Grid grid, Passage passage) {
  Run_files run;
  run.stem = stem;
  run.grid = std::move(grid);
  run.topology_path = stem + ".rtp";
  run.passage = std::move(passage);
  run.faces = Lay_out_faces(run.passage, run.topology_path, run.grid);
  return run;
}

}  // namespace torvane::inspect
