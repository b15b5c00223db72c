// Quality of every cell of the block and its summary in bands: scaled
// Jacobian, face angles, aspect ratio and the largest volume ratio to a
// neighbour, across the periodic boundaries too.
#pragma once

#include <cstddef>
#include <vector>

#include "inspect/quality/quality_bands.hpp"
#include "inspect/run_files/block_faces.hpp"
#include "inspect/run_files/grid_file.hpp"

namespace torvane::inspect {

// One value per cell, cells indexed (i, j, k) from 1 with i fastest.
struct Cell_field {
  int ni = 0, nj = 0, nk = 0;
  std::vector<double> scaled_jacobian, min_angle, max_angle, aspect_ratio, volume, volume_ratio;

  std::size_t cells() const { return static_cast<std::size_t>(ni) * nj * nk; }
  std::size_t Index(int i, int j, int k) const {
    return (static_cast<std::size_t>(k - 1) * nj + static_cast<std::size_t>(j - 1)) * ni +
           static_cast<std::size_t>(i - 1);
  }
  // The worst band of the cell over all measures.
  Band Worst(std::size_t n) const;
};

// Measures every cell; periodic rows of the faces join cells of j = 1 and j = je - 1.
Cell_field Measure_cells(const Grid& grid, const Block_faces& faces);

// For every cell the largest ratio of its volume to a neighbour's (at least 1),
// one layer k of ni x nj cells (i fastest) at a time, so that a caller needs
// the volumes of three layers only; periodic rows of the faces join cells of
// j = 1 and j = nj.
class Volume_ratios {
 public:
  Volume_ratios(int ni, int nj, int nk, const Block_faces& faces);

  // Ratios of layer k from the volumes of layers k - 1, k and k + 1 (null beyond the block).
  void Layer(int k, const double* below, const double* volume, const double* above, double* ratio) const;

 private:
  int ni_, nj_, nk_;
  std::vector<char> periodic_;  // cell (i, 1, k) faces (i, nj, k), at (k - 1) ni + i - 1
};

// Smallest and largest value of one measure and its cell count per band.
struct Measure_summary {
  double min = 0, max = 0;
  long bands[3] = {0, 0, 0};  // indexed by Band
};

struct Quality_summary {
  long cells = 0;
  long folded = 0;  // scaled Jacobian <= 0
  Measure_summary jacobian, angle, aspect, volume_ratio;
};

Quality_summary Summarize(const Cell_field& field);

// Takes one cell's smallest and largest value of a measure and its band into a
// summary; the first cell's values become the summary's min and max.
void Add_cell(Measure_summary& summary, double lo, double hi, Band band, bool first);

}  // namespace torvane::inspect
