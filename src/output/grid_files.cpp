#include "output/grid_files.hpp"

#include <algorithm>

#include "base/output_file.hpp"
#include "base/run_stop.hpp"
#include "output/number_format.hpp"

namespace torvane {

namespace {

constexpr size_t kListItem = 26;             // separating blank and the 25-column field
constexpr size_t kPointRecord = 3 * 15 + 2;  // three E15.7 fields and CR LF

// The channel number the error reports give for every output file.
constexpr int kChannel = 10;

// torvane's report of a failed output file: file error on channel 10: ACTION "PATH": REASON.
Run_stop Channel_stop(const File_error& error) {
  std::string diagnostic = "file error on channel ";
  diagnostic.append(std::to_string(kChannel)).append(": ").append(error.action()).append(" \"");
  diagnostic.append(error.path()).append("\": ").append(error.reason());
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

void Write_grid_file(const std::string& stem, const Block_sizes& s, const Grid& grid, Console& console) {
  Put_in_place(*Write_grid_temporary(stem, s, grid, console));
}

void Write_topology_file(const std::string& stem, const Block_sizes& s, double dphi) {
  Put_in_place(*Write_topology_temporary(stem, s, dphi));
}

void Write_plot_file(const std::string& stem, std::string_view title, const Block_sizes& s, const Grid& grid,
                     Console& console) {
  Put_in_place(*Write_plot_temporary(stem, title, s, grid, console));
  Print_finished(console);
}

void Put_in_place(Output_file& file) try { file.Replace_target(); } catch (const File_error& error) {
  throw Channel_stop(error);
}

void Print_finished(Console& console) { console.write("\r\n Finished.\r\n\r\n"); }

std::unique_ptr<Output_file> Write_grid_temporary(const std::string& stem, const Block_sizes& s, const Grid& grid,
                                                  Console& console) try {
  console.record(" Storing grid ...");
  auto made = std::make_unique<Output_file>(stem + ".rgra");
  Output_file& file = *made;
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
  return made;
} catch (const File_error& error) {
  throw Channel_stop(error);
}

std::string Topology_text(const Block_sizes& s, double dphi) {
  std::string text =
      "# Topology file for a blade (H-grid, 1 region)\r\n"
      "#\r\n"
      "1 1\r\n"
      "1\r\n"
      "10 ";
  Put_integers(text, {s.ie - 1, s.je - 1, s.ke - 1}, 3, " ");
  text += kEndOfRecord;

  // Type code, face, two cell ranges, partner region, face and ranges.
  struct Row {
    int code;
    int fields[11];
  };
  const int n = s.nspan;
  const Row rows[] = {
      {120, {3, -1, -n, 1, s.nin, 1, 4, -1, -n, 1, s.nin}},
      {120, {4, -1, -n, 1, s.nin, 1, 3, -1, -n, 1, s.nin}},
      {120, {3, -1, -n, s.ite, s.ie - 1, 1, 4, -1, -n, s.ite, s.ie - 1}},
      {120, {4, -1, -n, s.ite, s.ie - 1, 1, 3, -1, -n, s.ite, s.ie - 1}},
      {70, {3, 1, n, s.ile, s.ite - 1, 0, 0, 0, 0, 0, 0}},
      {70, {4, 1, n, s.ile, s.ite - 1, 0, 0, 0, 0, 0, 0}},
      {70, {5, 1, s.ie - 1, 1, s.npitch, 0, 0, 0, 0, 0, 0}},
      {70, {6, 1, s.ie - 1, 1, s.npitch, 0, 0, 0, 0, 0, 0}},
      {10, {1, 1, s.npitch, 1, n, 0, 0, 0, 0, 0, 0}},
      {20, {2, 1, s.npitch, 1, n, 0, 0, 0, 0, 0, 0}},
  };
  for (int r = 0; r < 10; ++r) {
    Put_integer(text, rows[r].code, 3);
    text += ' ';
    for (int field : rows[r].fields) Put_integer(text, field, 5);
    text += kEndOfRecord;
    // The periodic rows are followed by the angle that turns the face onto its partner.
    if (r < 4) {
      text += ' ';
      Put_list_real(text, rows[r].fields[0] == 3 ? -dphi : dphi);
      text += kEndOfRecord;
    }
  }
  return text;
}

std::unique_ptr<Output_file> Write_topology_temporary(const std::string& stem, const Block_sizes& s, double dphi) try {
  auto file = std::make_unique<Output_file>(stem + ".rtp");
  file->Append(Topology_text(s, dphi));
  file->Close_temporary();
  return file;
} catch (const File_error& error) {
  throw Channel_stop(error);
}

std::unique_ptr<Output_file> Write_plot_temporary(const std::string& stem, std::string_view title, const Block_sizes& s,
                                                  const Grid& grid, Console& console) try {
  console.record(" Storing plot files ...");
  auto made = std::make_unique<Output_file>(stem + "_grid_volume.plt");
  Output_file& file = *made;
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
  return made;
} catch (const File_error& error) {
  throw Channel_stop(error);
}

}  // namespace torvane
