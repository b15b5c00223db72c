// What the report says of the cells: the summary of every measure in bands
// and the first folded cells, worked out in one sweep that keeps only the
// cell volumes (for the volume ratios), with face angles banded by their
// cosines and an arccosine taken only where a cosine lies at a band limit or
// may be the extreme.
#pragma once

#include <cstddef>
#include <vector>

#include "inspect/quality/cell_quality.hpp"
#include "inspect/quality/quality_bands.hpp"
#include "inspect/run_files/block_faces.hpp"
#include "inspect/run_files/grid_file.hpp"

namespace torvane::inspect {

// A cell named in the report: its indices and its scaled Jacobian.
struct Cell_at {
  int i = 0, j = 0, k = 0;
  double scaled_jacobian = 0;
};

// How many folded cells the report names.
inline constexpr std::size_t kFoldedListed = 10;

// The measures in the order the report names them.
enum class Measure { scaled_jacobian = 0, face_angle = 1, aspect_ratio = 2, volume_ratio = 3 };
inline constexpr int kMeasures = 4;

// The cells in one measure's bad band: how many, the worst of them, and the
// run of bad cells along k through the worst (its first and last k).
struct Bad_cells {
  long count = 0;
  int i = 0, j = 0, k = 0;
  int k_first = 0, k_last = 0;
};

struct Cell_survey {
  Quality_summary quality;
  std::vector<Cell_at> folded;  // the first kFoldedListed folded cells in storage order
  Bad_cells bad[kMeasures];     // indexed by Measure
};

// Angle_band of a cell's smallest and largest face angle, decided on the
// cosines of the two: exactly as the angles would decide, the arccosine taken
// only for a cosine within a hair of a band limit's.
class Cosine_angle_bands {
 public:
  Cosine_angle_bands();
  // The band of a cell whose face corner angles have these largest and smallest cosines.
  Band Of(double cos_max, double cos_min) const;

 private:
  // A band limit in degrees and its cosine.
  struct Limit {
    explicit Limit(double limit_degrees);
    double degrees, cosine;
    bool Angle_below(double c) const;  // Angle_degrees(c) < degrees
    bool Angle_above(double c) const;  // Angle_degrees(c) > degrees
  };
  Limit bad_low_, bad_high_, fair_low_, fair_high_;
};

// Surveys the cells of the grid; periodic rows of the faces join cells of j = 1 and j = je - 1.
Cell_survey Survey_cells(const Grid& grid, const Block_faces& faces);

// The same survey of cells measured one by one beforehand.
Cell_survey Survey_of(const Cell_field& cells);

}  // namespace torvane::inspect
