// The quality report of a run: what `torvane-inspect report` prints, as text
// or as JSON, and the exit status it ends with.
#pragma once

#include <string>
#include <vector>

#include "inspect/quality/cell_quality.hpp"
#include "inspect/quality/cell_survey.hpp"
#include "inspect/quality/wall_checks.hpp"
#include "inspect/run_files/block_faces.hpp"
#include "inspect/run_files/grid_file.hpp"
#include "inspect/run_files/plot_file.hpp"

namespace torvane::inspect {

struct Report {
  std::string stem;
  int ie = 0, je = 0, ke = 0;
  int ile = 0, ite = 0;
  double pitch_angle = 0;  // radians
  Quality_summary quality;
  std::vector<Cell_at> folded;  // the first few folded cells
  Bad_cells bad[kMeasures];     // each measure's bad cells, indexed by Measure
  Wall_heights heights;
  Periodic_match periodic;
  Blade_sense sense;
  Tip_gap_survey tip_gap;     // tip_k 0 without a gap
  bool plot_checked = false;  // report --plot: the plot file compared with the grid file
  Plot_agreement plot;

  bool Periodic_ok() const { return periodic.max_relative <= kPeriodicTolerance; }
  // 1 when a cell is folded, the periodic boundaries do not match, the passage covers a blade
  // or a compared plot file differs from the grid file.
  int Exit_status() const;
};

// The report of a run whose cells were surveyed, or measured one by one.
Report Make_report(const std::string& stem, const Grid& grid, const Block_faces& faces, const Cell_survey& survey);
Report Make_report(const std::string& stem, const Grid& grid, const Block_faces& faces, const Cell_field& cells);

// The measures' names in JSON and in the Python module's report.
inline constexpr const char* kMeasureKeys[kMeasures] = {"scaled_jacobian", "face_angle", "aspect_ratio",
                                                        "volume_ratio"};

// Where a measure's bad cells are, named by their worst: "at the leading edge
// by wall j = je, k 12-17".
std::string Bad_place(const Report& report, const Bad_cells& bad);

// The result line after "result": what fails, then each measure's bad cells
// and where ("97 bad cells by scaled Jacobian, at the leading edge by wall
// j = je, k 12-17"), or that the grid passes.
std::string Verdict(const Report& report);

// The report as lines of text, and as one JSON object.
std::string Report_text(const Report& report);
std::string Report_json(const Report& report);

// One line per cell in the bad band of any measure, as comma-separated values.
std::string Bad_cells_csv(const Cell_field& cells);

}  // namespace torvane::inspect
