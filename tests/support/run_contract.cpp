#include "support/run_contract.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "base/grid_check.hpp"
#include "control/run.hpp"
#include "support/decks.hpp"
#include "support/run_files.hpp"
#include "support/scratch_folder.hpp"

namespace torvane::testing {

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Files_in(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) names.push_back(entry.path().filename().string());
  return names;
}

bool Ends_with(const std::string& text, const std::string& end) { return text.ends_with(end); }

// One diagnostic record "torvane: <reason>" ended by CR LF, with a reason.
bool One_diagnostic(const std::string& err) {
  const std::string prefix = "torvane: ";
  if (!err.starts_with(prefix) || !err.ends_with("\r\n") || err.size() <= prefix.size() + 2) return false;
  return err.find('\n') == err.size() - 1;
}

// The sizes the summary printed: " Number of grid points:  81 x  33 x  17".
bool Summary_sizes(const std::string& out, int& ie, int& je, int& ke) {
  size_t at = out.find(" Number of grid points: ");
  if (at == std::string::npos) return false;
  return std::sscanf(out.c_str() + at + 24, "%d x %d x %d", &ie, &je, &ke) == 3;
}

// An index the summary printed, as " Leading edge index   :  21"; 0 when absent.
int Summary_index(const std::string& out, const std::string& label) {
  const size_t at = out.find(label);
  int value = 0;
  if (at == std::string::npos || std::sscanf(out.c_str() + at + label.size(), "%d", &value) != 1) return 0;
  return value;
}

// The grid of a complete run read back from its files and measured with the
// base library's checks: "" when no cell is folded and no blade covered.
std::string Check_sound_grid(const Contract_run& run, const std::string& stem, int ie, int je, int ke) {
  const std::string grid_text = Read_file(stem + ".rgra");
  const std::string topology = Read_file(stem + ".rtp");
  // Past the two header records, 26 characters per coordinate: every x, every y, every z.
  const size_t first = grid_text.find("\r\n", grid_text.find("\r\n") + 2) + 2;
  const size_t points = static_cast<size_t>(ie) * je * ke;
  std::vector<double> xyz(3 * points);
  for (size_t n = 0; n < xyz.size(); ++n) xyz[n] = std::strtod(grid_text.c_str() + first + 26 * n, nullptr);
  const Grid_points grid{xyz.data(), xyz.data() + points,     xyz.data() + 2 * points,     ie, je,
                         ke,         static_cast<size_t>(ie), static_cast<size_t>(ie) * je};
  const Folded_cells folded = Find_folded_cells(grid);
  if (folded.folded > 0) return "status 0 with " + std::to_string(folded.folded) + " folded cells";
  // The periodic angle follows the first periodic row, on the seventh record of the topology file.
  size_t line = 0;
  for (int n = 0; n < 6 && line != std::string::npos; ++n) line = topology.find("\r\n", line) + 2;
  const double pitch_angle = std::fabs(std::strtod(topology.c_str() + line, nullptr));
  const Blade_sense sense = Check_blade_sense(grid, Summary_index(run.out, " Leading edge index   : "),
                                              Summary_index(run.out, " Trailing edge index  : "), pitch_angle);
  if (sense.covering > 0) return "status 0 with a blade covered at " + std::to_string(sense.covering) + " stations";
  return "";
}

std::string Check_complete_run(const Contract_run& run, const std::string& stem, long checked_points) {
  if (!Without_bad_cell_note(run.err).empty()) return "status 0 with a diagnostic: " + run.err;
  if (!Ends_with(run.out, "\r\n Finished.\r\n\r\n")) return "status 0 without the closing line";
  int ie = 0, je = 0, ke = 0;
  if (!Summary_sizes(run.out, ie, je, ke)) return "status 0 without the grid summary";
  const long points = static_cast<long>(ie) * je * ke;
  if (points <= checked_points) {
    const std::string problem = Check_run_files(stem, ie, je, ke);
    return problem.empty() ? Check_sound_grid(run, stem, ie, je, ke) : problem;
  }
  // Header records "0.0" and 13 characters, then 3 coordinates of 26 characters per point, CR LF each.
  std::error_code error;
  const auto size = fs::file_size(stem + ".rgra", error);
  if (error || static_cast<long>(size) != 5 + 15 + 78 * points + 2) return stem + ".rgra has the wrong size";
  if (!fs::exists(stem + ".rtp") || !fs::exists(stem + "_grid_volume.plt")) return "status 0 with a file missing";
  return "";
}

std::string Check_stopped_run(const Contract_run& run) {
  if (run.status == kExitRefused) {
    return One_diagnostic(run.err) ? "" : "status 2 without one diagnostic line: \"" + run.err + "\"";
  }
  if (run.status != kExitProgramError) return "exit status " + std::to_string(run.status);
  if (!run.err.empty()) {
    return One_diagnostic(run.err) ? "" : "status 1 without one diagnostic line: \"" + run.err + "\"";
  }
  if (Ends_with(run.out, " ERROR - too many grid points !\r\n")) return "";
  if (Ends_with(run.out, "\r\nERROR (Bezier_x): x-coordinate outside the specified curve interval\r\n")) return "";
  return "status 1 without its ERROR line";
}

}  // namespace

Contract_run Run_under_contract(const std::string& deck, const std::string& folder, long checked_points) {
  const std::string stem = folder + "/run";
  std::istringstream in(deck);
  Console out;
  Console err;
  Run_options options;
  options.output_stem = stem;
  Contract_run run{Run(in, out, err, options), out.captured(), err.captured(), ""};

  const std::vector<std::string> files = Files_in(folder);
  if (run.status == kExitComplete) {
    run.broken = Check_complete_run(run, stem, checked_points);
    if (run.broken.empty() && files.size() != 3) {
      run.broken = std::to_string(files.size()) + " files in the output folder after a complete run";
    }
  } else {
    run.broken = Check_stopped_run(run);
    if (run.broken.empty() && !files.empty()) {
      run.broken = "status " + std::to_string(run.status) + " left the file " + files.front();
    }
  }
  std::error_code ignored;
  for (const std::string& name : files) fs::remove(fs::path(folder) / name, ignored);
  return run;
}

}  // namespace torvane::testing
