// The checks a grid must pass before a solver can use it: no folded cell and
// no blade covered by the passage. torvane runs them before its files take
// their names, torvane-inspect's report runs the same ones on the files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/cell_shape.hpp"

namespace torvane {

// Tolerance of the blade-wall sense and of the periodic match, relative to the pitch.
inline constexpr double kPitchTolerance = 1e-9;

// Read-only points of an ie x je x ke block, i fastest; (i, j, k) from 1 lies
// at (k - 1) plane + (j - 1) line + i - 1 of each coordinate array.
struct Grid_points {
  const double* x;
  const double* y;
  const double* z;
  int ie, je, ke;
  std::size_t line;   // distance from (i, j, k) to (i, j + 1, k)
  std::size_t plane;  // distance from (i, j, k) to (i, j, k + 1)

  std::size_t Index(int i, int j, int k) const {
    return static_cast<std::size_t>(k - 1) * plane + static_cast<std::size_t>(j - 1) * line +
           static_cast<std::size_t>(i - 1);
  }
  Vec3 Point(int i, int j, int k) const {
    const std::size_t n = Index(i, j, k);
    return {x[n], y[n], z[n]};
  }
};

// The folded cells of a block: how many, and the first in storage order
// (i fastest, then j, then k; cell (i, j, k) has corner points i..i+1, j..j+1, k..k+1).
struct Folded_cells {
  long cells = 0;
  long folded = 0;
  int first_i = 0, first_j = 0, first_k = 0;  // 0 when none is folded
  // Cells in the report's bad band of the scaled Jacobian (below
  // kBadScaledJacobian, the folded ones among them) and the worst of them.
  long bad = 0;
  double worst = 0;
  int worst_i = 0, worst_j = 0, worst_k = 0;  // 0 when none is bad
};

// The scaled Jacobian below which torvane-inspect's report calls a cell bad.
inline constexpr double kBadScaledJacobian = 0.2;

// The scaled Jacobian of cell (i, j, k) from its eight points, exactly as
// torvane-inspect's sweep over all cells works it out.
double Cell_scaled_jacobian(const Grid_points& grid, int i, int j, int k);

// The memory Find_folded_cells works in for grids of up to ie x je points
// (the edges of two planes of points and of the lines between them, one row
// of faces), made beforehand so that a check on a thread of its own allocates nothing.
struct Fold_work {
  Fold_work(int ie, int je);
  std::vector<float> arrays;
  std::vector<std::int32_t> plain;  // per cell of a row: whether its corners are all plainly positive
  int ie, je;
};

// Counts the cells whose Cell_scaled_jacobian Is_folded says is folded. A
// cell whose eight corners are all plainly positive is passed on its raw
// edges (no square root, no division), a row of cells at a time; every other
// cell is measured with Cell_scaled_jacobian. work must have been made for at
// least the grid's ie and je.
Folded_cells Find_folded_cells(const Grid_points& grid, Fold_work& work);
Folded_cells Find_folded_cells(const Grid_points& grid);
// The same over the layers of cells k_first to k_last only (cells counts those).
Folded_cells Find_folded_cells(const Grid_points& grid, Fold_work& work, int k_first, int k_last);

// The two counts of disjoint parts of a block as one: the first folded cell
// is the earlier in storage order.
Folded_cells Merged(const Folded_cells& a, const Folded_cells& b);

// Blade thickness r * (pitch - angle from wall j = 1 to wall j = je) at every
// wall station (ile <= i <= ite, every k).
struct Blade_sense {
  long stations = 0;
  long covering = 0;  // stations where the passage overlaps a blade or runs backwards
  double min_thickness = 0, max_thickness = 0;
  int at_i = 0, at_k = 0;        // thinnest station
  int first_i = 0, first_k = 0;  // first covering station, k then i ascending (0 when none)
  double first_thickness = 0;    // there
};

// The blade-wall sense of the block; pitch_angle is the angle of one pitch in radians.
Blade_sense Check_blade_sense(const Grid_points& grid, int ile, int ite, double pitch_angle);

// The memory Find_covering_stations works in for grids of up to ie points along i.
struct Sense_work {
  explicit Sense_work(int ie);
  std::vector<double> arrays;
  std::vector<std::int64_t> sound;
  int ie;
};

// The stations of the planes k_first .. k_last, the covering ones and the
// first of them as Check_blade_sense counts them, without the thickness range
// (left 0): what torvane's check needs. A station whose swept angle is plainly
// inside the pitch is passed on bounds of its increments, without atan2;
// every other station is measured as Check_blade_sense measures it.
Blade_sense Find_covering_stations(const Grid_points& grid, int ile, int ite, double pitch_angle, Sense_work& work,
                                   int k_first, int k_last);

// The stations, the covering ones and the first of them of disjoint parts of
// a block as one (the thickness range is left 0).
Blade_sense Merged(const Blade_sense& a, const Blade_sense& b);

}  // namespace torvane
