#include "output/grid_files.hpp"

#include <algorithm>
#include <cerrno>

#include "base/output_file.hpp"
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

void Write_topology_file(const std::string& stem, const Block_sizes& s, double dphi) try {
  Output_file file(stem + ".rtp");
  Write_topology_into(file, s, dphi);
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
                             const std::function<void()>& on_wait) try {
  Run_output files;
  // The grid file first, so a missing or read-only folder is reported with its name.
  files.grid = std::make_unique<Output_file>(stem + ".rgra");
  files.lock = std::make_unique<Stem_lock>(stem + ".lock", on_wait);
  files.topology = std::make_unique<Output_file>(stem + ".rtp");
  files.plot = std::make_unique<Output_file>(stem + "_grid_volume.plt");
  return files;
} catch (const File_error& error) {
  throw File_stop(error, folder_source);
}

void Put_in_place(Run_output& files) try {
  // A signal now would leave some files new and the rest old.
  const Held_signals held;
  files.grid->Replace_target();
  files.topology->Replace_target();
  files.plot->Replace_target();
  files.lock.reset();
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

std::string Topology_text(const Block_sizes& s, double dphi) {
  const int n = s.nspan;
  // Spanwise cells of the blade walls: up to the tip, the gap's cells above it.
  const int wall = n - s.gap_cells;
  const int gap_first = wall + 1;
  std::string text =
      "# Topology file for a blade (H-grid, 1 region)\r\n"
      "#\r\n"
      "1 1\r\n"
      "1\r\n";
  text += s.gap_cells > 0 ? "12 " : "10 ";
  Put_integers(text, {s.ie - 1, s.je - 1, s.ke - 1}, 3, " ");
  text += kEndOfRecord;

  // Type code, face, two cell ranges, partner region, face and ranges.
  struct Row {
    int code;
    int fields[11];
  };
  const Row rows[] = {
      {120, {3, -1, -n, 1, s.nin, 1, 4, -1, -n, 1, s.nin}},
      {120, {4, -1, -n, 1, s.nin, 1, 3, -1, -n, 1, s.nin}},
      {120, {3, -1, -n, s.ite, s.ie - 1, 1, 4, -1, -n, s.ite, s.ie - 1}},
      {120, {4, -1, -n, s.ite, s.ie - 1, 1, 3, -1, -n, s.ite, s.ie - 1}},
      {70, {3, 1, wall, s.ile, s.ite - 1, 0, 0, 0, 0, 0, 0}},
      {70, {4, 1, wall, s.ile, s.ite - 1, 0, 0, 0, 0, 0, 0}},
      {70, {5, 1, s.ie - 1, 1, s.npitch, 0, 0, 0, 0, 0, 0}},
      {70, {6, 1, s.ie - 1, 1, s.npitch, 0, 0, 0, 0, 0, 0}},
      {10, {1, 1, s.npitch, 1, n, 0, 0, 0, 0, 0, 0}},
      {20, {2, 1, s.npitch, 1, n, 0, 0, 0, 0, 0, 0}},
      {120, {3, -gap_first, -n, s.ile, s.ite - 1, 1, 4, -gap_first, -n, s.ile, s.ite - 1}},
      {120, {4, -gap_first, -n, s.ile, s.ite - 1, 1, 3, -gap_first, -n, s.ile, s.ite - 1}},
  };
  const int count = s.gap_cells > 0 ? 12 : 10;
  for (int r = 0; r < count; ++r) {
    Put_integer(text, rows[r].code, 3);
    text += ' ';
    for (int field : rows[r].fields) Put_integer(text, field, 5);
    text += kEndOfRecord;
    // The periodic rows are followed by the angle that turns the face onto its partner.
    if (rows[r].code == 120) {
      text += ' ';
      Put_list_real(text, rows[r].fields[0] == 3 ? -dphi : dphi);
      text += kEndOfRecord;
    }
  }
  return text;
}

void Write_topology_into(Output_file& file, const Block_sizes& s, double dphi) try {
  file.Append(Topology_text(s, dphi));
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
  Put_integer(header, s.ie, 3);
  header += ", J=";
  Put_integer(header, s.je, 3);
  header += ", K=";
  Put_integer(header, s.ke, 3);
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
