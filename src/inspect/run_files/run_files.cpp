#include "inspect/run_files/run_files.hpp"

#include <filesystem>

#include "base/rotor_speed.hpp"
#include "inspect/run_files/text_input.hpp"

namespace torvane::inspect {

std::optional<double> Read_machine_file(const std::string& path) {
  Text_file file(path);
  Record record;
  std::optional<double> rpm;
  long rpm_record = 0;
  while (file.Next(record)) {
    Fields fields(file, record);
    std::string_view name;
    if (!fields.Next(name) || name.starts_with('#') || name != "rpm") continue;
    if (rpm) fields.Refuse_here("a second `rpm` line; record " + std::to_string(rpm_record) + " gives the speed");
    std::string_view value;
    if (!fields.Next(value)) fields.Refuse_here("`rpm` gives no speed; the line is `rpm N`");
    const Rotor_speed_parse speed = Parse_rotor_speed(value);
    if (!speed.rpm) fields.Refuse_here(speed.problem);
    fields.Expect_end("the speed");
    rpm = speed.rpm;
    rpm_record = record.number;
  }
  return rpm;
}

Run_files Read_run(const std::string& stem) {
  Run_files run;
  run.stem = stem;
  run.machine_path = stem + std::string(kMachineFileSuffix);
  std::error_code absent;
  if (std::filesystem::exists(run.machine_path, absent)) run.rpm = Read_machine_file(run.machine_path);
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
