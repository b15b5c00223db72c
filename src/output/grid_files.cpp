#include "output/grid_files.hpp"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "base/output_file.hpp"
#include "base/rotor_speed.hpp"
#include "base/run_stop.hpp"
#include "output/number_format.hpp"

namespace torvane {

namespace {

constexpr size_t kListItem = 26;             // separating blank and the 25-column field
constexpr size_t kPointRecord = 3 * 15 + 2;  // three E15.7 fields and CR LF

// torvane's report of a failed output file: ACTION "PATH": REASON, and what
// to mend when the folder is missing or read-only.
Run_stop File_stop(const File_error& error, std::string_view folder_source = {}) {
  std::string diagnostic = error.action();
  diagnostic.append(" \"").append(error.path()).append("\": ").append(error.reason());
  if (error.action() == "cannot create" && !folder_source.empty()) {
    if (error.error_number() == ENOENT) diagnostic.append(" (").append(folder_source).append(" must exist)");
    if (error.error_number() == EACCES || error.error_number() == EROFS) {
      diagnostic.append(" (").append(folder_source).append(" must be writable)");
    }
  }
  return Run_stop{kExitRefused, diagnostic};
}

// One grid line (i = 1..ie, at most kMaxIe x 26 bytes) at a time: its room is reserved once.
void Write_block_coordinates(Output_file& file, const Block_sizes& s, const Block& block) {
  const size_t line = kListItem * static_cast<size_t>(s.ie);
  for (int k = 1; k <= s.ke; ++k) {
    for (int j = 1; j <= s.je; ++j) {
      char* field = file.Reserve(line);
      for (int i = 1; i <= s.ie; ++i, field += kListItem) {
        field[0] = ' ';
        List_real_field(field + 1, block(i, j, k));
      }
      file.Commit(line);
    }
  }
}

}  // namespace

std::string Output_stem(std::string_view fname) {
  size_t blank = fname.find(' ');
  return std::string(fname.substr(0, blank));
}

void Write_grid_file(const std::string& stem, const Block_sizes& s, const Grid& grid, Console& console) try {
  Output_file file(stem + ".rgra");
  Write_grid_into(file, s, grid, console);
  file.Replace_target();
} catch (const File_error& error) {
  throw File_stop(error);
}

void Write_topology_file(const std::string& stem, const Passage& passage) try {
  Output_file file(stem + ".rtp");
  Write_topology_into(file, passage);
  file.Replace_target();
} catch (const File_error& error) {
  throw File_stop(error);
}

void Write_plot_file(const std::string& stem, std::string_view title, const Block_sizes& s, const Grid& grid,
                     Console& console) try {
  Output_file file(stem + "_grid_volume.plt");
  Write_plot_into(file, title, s, grid, console);
  file.Replace_target();
  Print_finished(console);
} catch (const File_error& error) {
  throw File_stop(error);
}

Run_output Create_run_output(const std::string& stem, std::string_view folder_source,
                             const std::function<void()>& on_wait, bool machine_file) try {
  Run_output files;
  files.machine_path = stem + std::string(kMachineFileSuffix);
  // The grid file first, so a missing or read-only folder is reported with its name.
  files.grid = std::make_unique<Output_file>(stem + ".rgra");
  files.lock = std::make_unique<Stem_lock>(stem + ".lock", on_wait);
  files.topology = std::make_unique<Output_file>(stem + ".rtp");
  files.plot = std::make_unique<Output_file>(stem + "_grid_volume.plt");
  if (machine_file) files.machine = std::make_unique<Output_file>(files.machine_path);
  return files;
} catch (const File_error& error) {
  throw File_stop(error, folder_source);
}

void Put_in_place(Run_output& files) try {
  // A signal now would leave some files new and the rest old.
  const Held_signals held;
  std::error_code failed;
  // Only a file (or a link) of that name is an earlier run's: anything else stays as it is.
  const std::filesystem::file_type earlier = std::filesystem::symlink_status(files.machine_path, failed).type();
  if (!files.machine && !files.machine_path.empty() &&
      (earlier == std::filesystem::file_type::regular || earlier == std::filesystem::file_type::symlink)) {
    // Before any rename: a machine file that cannot go leaves the run's old files as they were.
    std::filesystem::remove(files.machine_path, failed);
    if (failed) {
      throw Run_stop{kExitRefused, "cannot remove \"" + files.machine_path +
                                       "\" (the machine file of an earlier run): " + failed.message()};
    }
  }
  files.grid->Replace_target();
  files.topology->Replace_target();
  files.plot->Replace_target();
  if (files.machine) files.machine->Replace_target();
  files.lock.reset();
} catch (const File_error& error) {
  throw File_stop(error);
}

void Write_machine_into(Output_file& file, double rpm) try {
  file.Append(Machine_file_text(rpm));
  file.Close_temporary();
} catch (const File_error& error) {
  throw File_stop(error);
}

void Print_finished(Console& console) { console.write("\r\n Finished.\r\n\r\n"); }

void Write_grid_into(Output_file& file, const Block_sizes& s, const Grid& grid, Console& console) try {
  console.record(" Storing grid ...");
  std::string header = "0.0\r\n1 ";
  Put_integers(header, {s.ie - 1, s.je - 1, s.ke - 1}, 3, " ");
  header += kEndOfRecord;
  file.Append(header);
  // One list record of every x, then every y, then every z.
  Write_block_coordinates(file, s, grid.xg);
  Write_block_coordinates(file, s, grid.yg);
  Write_block_coordinates(file, s, grid.zg);
  file.Append(kEndOfRecord);
  file.Close_temporary();
} catch (const File_error& error) {
  throw File_stop(error);
}

std::string Topology_text(const Passage& passage) {
  std::string text =
      "# Topology file for a blade (H-grid, 1 region)\r\n"
      "#\r\n"
      "1 1\r\n"
      "1\r\n";
  text += std::to_string(passage.patches.size()) + ' ';
  Put_integers(text, {passage.ni, passage.nj, passage.nk}, 3, " ");
  text += kEndOfRecord;

  // Type code, face, two cell ranges, partner region, face and ranges.
  for (const Boundary_patch& patch : passage.patches) {
    Put_integer(text, Topology_code(patch.role), 3);
    text += ' ';
    Put_integer(text, patch.face, 5);
    const Cell_range ranges[2] = {Written_range(patch, 0), Written_range(patch, 1)};
    for (const Cell_range& r : ranges) Put_integers(text, {r.lo, r.hi}, 5, "");
    Put_integers(text, {patch.periodic() ? 1 : 0, patch.partner_face}, 5, "");
    for (const Cell_range& r : ranges)
      Put_integers(text, {patch.periodic() ? r.lo : 0, patch.periodic() ? r.hi : 0}, 5, "");
    text += kEndOfRecord;
    // A periodic row is followed by the angle that turns its partner onto it.
    if (patch.periodic()) {
      text += ' ';
      Put_list_real(text, patch.angle);
      text += kEndOfRecord;
    }
  }
  return text;
}

void Write_topology_into(Output_file& file, const Passage& passage) try {
  file.Append(Topology_text(passage));
  file.Close_temporary();
} catch (const File_error& error) {
  throw File_stop(error);
}

void Write_plot_into(Output_file& file, std::string_view title, const Block_sizes& s, const Grid& grid,
                     Console& console) try {
  console.record(" Storing plot files ...");
  // A double quote inside the title would end the quoted title early.
  std::string quoted_title(title);
  std::replace(quoted_title.begin(), quoted_title.end(), '"', '\'');
  std::string header = "TITLE = \"";
  Put_text(header, quoted_title, 50);
  header += "\"\r\nVARIABLES = x, y, z\r\nZONE T=\"volume\", I=";
  Put_count(header, s.ie, 3);
  header += ", J=";
  Put_count(header, s.je, 3);
  header += ", K=";
  Put_count(header, s.ke, 3);
  header += ", F=POINT\r\n";
  file.Append(header);
  // The records of one grid line (i = 1..ie) at a time.
  const size_t line = kPointRecord * static_cast<size_t>(s.ie);
  for (int k = 1; k <= s.ke; ++k) {
    for (int j = 1; j <= s.je; ++j) {
      char* record = file.Reserve(line);
      for (int i = 1; i <= s.ie; ++i, record += kPointRecord) {
        Exponent_field(record, grid.xg(i, j, k), 15, 7);
        Exponent_field(record + 15, grid.yg(i, j, k), 15, 7);
        Exponent_field(record + 30, grid.zg(i, j, k), 15, 7);
        record[45] = '\r';
        record[46] = '\n';
      }
      file.Commit(line);
    }
  }
  file.Close_temporary();
} catch (const File_error& error) {
  throw File_stop(error);
}

}  // namespace torvane
