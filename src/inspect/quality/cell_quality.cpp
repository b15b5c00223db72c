#include "inspect/quality/cell_quality.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "inspect/quality/cell_sweep.hpp"
#include "inspect/quality/hex_cell.hpp"

namespace torvane::inspect {

namespace {

// Ratio of the larger to the smaller magnitude; infinite when one vanishes.
double Ratio(double a, double b) {
  a = std::fabs(a);
  b = std::fabs(b);
  double lo = std::min(a, b), hi = std::max(a, b);
  return lo > 0 ? hi / lo : std::numeric_limits<double>::infinity();
}

}  // namespace

void Add_cell(Measure_summary& s, double lo, double hi, Band band, bool first) {
  if (first) {
    s.min = lo;
    s.max = hi;
  } else {
    s.min = std::min(s.min, lo);
    s.max = std::max(s.max, hi);
  }
  ++s.bands[static_cast<int>(band)];
}

Band Cell_field::Worst(std::size_t n) const {
  Band worst = std::max({Jacobian_band(scaled_jacobian[n]), Angle_band(min_angle[n], max_angle[n]),
                         Aspect_band(aspect_ratio[n]), Volume_ratio_band(volume_ratio[n])});
  return worst;
}

Cell_field Measure_cells(const Grid& grid, const Block_faces& faces) {
  Cell_field f;
  f.ni = grid.ie - 1;
  f.nj = grid.je - 1;
  f.nk = grid.ke - 1;
  const std::size_t n = f.cells();
  for (auto* v : {&f.scaled_jacobian, &f.min_angle, &f.max_angle, &f.aspect_ratio, &f.volume, &f.volume_ratio}) {
    v->resize(n);
  }
  Sweep_cells(grid, [&f](int j, int k, const Hex_shape* shapes) {
    const std::size_t first = f.Index(1, j, k);
    for (int i = 0; i < f.ni; ++i) {
      const Hex_measures h = Measures_of(shapes[i]);
      const std::size_t m = first + static_cast<std::size_t>(i);
      f.scaled_jacobian[m] = h.scaled_jacobian;
      f.min_angle[m] = h.min_angle;
      f.max_angle[m] = h.max_angle;
      f.aspect_ratio[m] = h.aspect_ratio;
      f.volume[m] = h.volume;
    }
  });
  const Volume_ratios ratios(f.ni, f.nj, f.nk, faces);
  const std::size_t layer = static_cast<std::size_t>(f.ni) * static_cast<std::size_t>(f.nj);
  for (int k = 1; k <= f.nk; ++k) {
    const double* volume = f.volume.data() + static_cast<std::size_t>(k - 1) * layer;
    ratios.Layer(k, k > 1 ? volume - layer : nullptr, volume, k < f.nk ? volume + layer : nullptr,
                 f.volume_ratio.data() + static_cast<std::size_t>(k - 1) * layer);
  }
  return f;
}

Volume_ratios::Volume_ratios(int ni, int nj, int nk, const Block_faces& faces)
    : ni_(ni), nj_(nj), nk_(nk), periodic_(static_cast<std::size_t>(ni) * static_cast<std::size_t>(nk), 0) {
  // Cells (i, 1, k) and (i, nj, k) share a face where a periodic row of face 3 says so.
  for (const Patch& patch : faces.patches) {
    if (!Is_matched(patch.role) || patch.face != 3 || patch.empty) continue;
    for (int k = patch.points.lo[2]; k < patch.points.hi[2]; ++k) {
      for (int i = patch.points.lo[0]; i < patch.points.hi[0]; ++i) {
        periodic_[static_cast<std::size_t>(k - 1) * ni + static_cast<std::size_t>(i - 1)] = 1;
      }
    }
  }
}

void Volume_ratios::Layer(int k, const double* below, const double* volume, const double* above, double* ratio) const {
  const std::size_t step_j = static_cast<std::size_t>(ni_);
  const std::size_t across = step_j * static_cast<std::size_t>(nj_ - 1);  // from (i, 1, k) to (i, nj, k)
  const char* periodic = periodic_.data() + static_cast<std::size_t>(k - 1) * step_j;
  std::size_t m = 0;
  for (int j = 1; j <= nj_; ++j) {
    for (int i = 1; i <= ni_; ++i, ++m) {
      const double v = volume[m];
      double worst = 1;
      if (i > 1) worst = std::max(worst, Ratio(v, volume[m - 1]));
      if (i < ni_) worst = std::max(worst, Ratio(v, volume[m + 1]));
      if (j > 1) worst = std::max(worst, Ratio(v, volume[m - step_j]));
      if (j < nj_) worst = std::max(worst, Ratio(v, volume[m + step_j]));
      if (k > 1) worst = std::max(worst, Ratio(v, below[m]));
      if (k < nk_) worst = std::max(worst, Ratio(v, above[m]));
      if ((j == 1 || j == nj_) && periodic[i - 1]) {
        worst = std::max(worst, Ratio(v, volume[j == 1 ? m + across : m - across]));
      }
      ratio[m] = worst;
    }
  }
}

Quality_summary Summarize(const Cell_field& f) {
  Quality_summary s;
  const std::size_t n = f.cells();
  s.cells = static_cast<long>(n);
  for (std::size_t m = 0; m < n; ++m) {
    const bool first = m == 0;
    const double sj = f.scaled_jacobian[m];
    if (!(sj > 0)) ++s.folded;
    Add_cell(s.jacobian, sj, sj, Jacobian_band(sj), first);
    Add_cell(s.angle, f.min_angle[m], f.max_angle[m], Angle_band(f.min_angle[m], f.max_angle[m]), first);
    Add_cell(s.aspect, f.aspect_ratio[m], f.aspect_ratio[m], Aspect_band(f.aspect_ratio[m]), first);
    Add_cell(s.volume_ratio, f.volume_ratio[m], f.volume_ratio[m], Volume_ratio_band(f.volume_ratio[m]), first);
  }
  return s;
}

}  // namespace torvane::inspect
