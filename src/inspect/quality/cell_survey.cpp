#include "inspect/quality/cell_survey.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "inspect/quality/cell_sweep.hpp"

namespace torvane::inspect {

namespace {

// Cosines further than this from a limit's cosine decide on their own: the angle
// changes by at least 57 degrees per unit of cosine, so 1e-9 is some 1e-7 degrees,
// far beyond the rounding of the arccosine and of the limit's cosine (1e-13).
constexpr double kCosineMargin = 1e-9;

// The smallest (sense +1) or largest (sense -1) face angle over the cells. The
// arccosine is taken only of a cosine within the margin of the most extreme one
// so far: any other lies 1e-7 degrees or more beyond an angle already taken.
class Extreme_angle {
 public:
  explicit Extreme_angle(double sense) : sense_(sense) {}

  void Take_cosine(double c) {
    const double key = sense_ * std::clamp(c, -1.0, 1.0);
    if (any_ && key < best_key_ - kCosineMargin) return;
    Take_angle(Angle_degrees(c));
    best_key_ = std::max(best_key_, key);
  }
  void Take_angle(double a) {
    angle_ = !any_ ? a : sense_ > 0 ? std::min(angle_, a) : std::max(angle_, a);
    any_ = true;
  }
  double angle() const { return angle_; }

 private:
  double sense_;
  double best_key_ = -std::numeric_limits<double>::infinity();
  double angle_ = 0;
  bool any_ = false;
};

}  // namespace

// The limit's cosine to within rounding; the margin covers the difference.
Cosine_angle_bands::Limit::Limit(double limit_degrees)
    : degrees(limit_degrees), cosine(std::cos(limit_degrees / 57.295779513082320876798)) {}

bool Cosine_angle_bands::Limit::Angle_below(double c) const {
  if (c > cosine + kCosineMargin) return true;
  if (c < cosine - kCosineMargin) return false;
  return Angle_degrees(c) < degrees;
}

bool Cosine_angle_bands::Limit::Angle_above(double c) const {
  if (c < cosine - kCosineMargin) return true;
  if (c > cosine + kCosineMargin) return false;
  return Angle_degrees(c) > degrees;
}

Cosine_angle_bands::Cosine_angle_bands()
    : bad_low_(kAngleBadLow), bad_high_(kAngleBadHigh), fair_low_(kAngleFairLow), fair_high_(kAngleFairHigh) {}

Band Cosine_angle_bands::Of(double cos_max, double cos_min) const {
  if (bad_low_.Angle_below(cos_max) || bad_high_.Angle_above(cos_min)) return Band::bad;
  if (fair_low_.Angle_below(cos_max) || fair_high_.Angle_above(cos_min)) return Band::fair;
  return Band::good;
}

namespace {

// Gathers the bad cells of each measure: a bit per measure and cell, and the
// worst cell (the largest badness) of each.
class Bad_gatherer {
 public:
  Bad_gatherer(int ni, int nj, int nk) : ni_(ni), nj_(nj), nk_(nk), flags_(static_cast<std::size_t>(ni) * nj * nk, 0) {}

  void Take(Measure measure, int i, int j, int k, double badness) {
    const int m = static_cast<int>(measure);
    flags_[Index(i, j, k)] |= static_cast<unsigned char>(1U << m);
    Bad_cells& b = bad_[m];
    if (b.count++ == 0 || badness > worst_[m]) {
      worst_[m] = badness;
      b.i = i;
      b.j = j;
      b.k = k;
    }
  }

  // The volume ratio of cell m (i fastest) of layer k, when in its bad band.
  void Take_ratio(Band band, double ratio, std::size_t m, int k) {
    if (band != Band::bad) return;
    const std::size_t ni = static_cast<std::size_t>(ni_);
    Take(Measure::volume_ratio, static_cast<int>(m % ni) + 1, static_cast<int>(m / ni) + 1, k, ratio);
  }

  // The bad bands of a swept cell's shape, measure by measure.
  void Take_shape(const Hex_shape& h, Band jacobian, Band angle, Band aspect, int i, int j, int k) {
    const double sj = h.scaled_jacobian;
    if (jacobian == Band::bad) Take(Measure::scaled_jacobian, i, j, k, std::isnan(sj) ? INFINITY : -sj);
    if (angle == Band::bad) {
      Take(Measure::face_angle, i, j, k, h.collapsed ? INFINITY : std::max(h.cos_max, -h.cos_min));
    }
    if (aspect == Band::bad) {
      Take(Measure::aspect_ratio, i, j, k, std::isnan(h.aspect_ratio) ? INFINITY : h.aspect_ratio);
    }
  }

  // The bad bands of cell n of a field measured beforehand.
  void Take_field_cell(const Cell_field& cells, std::size_t n, int i, int j, int k) {
    const double sj = cells.scaled_jacobian[n];
    const double angle_badness = std::max(kAngleBadLow - cells.min_angle[n], cells.max_angle[n] - kAngleBadHigh);
    if (Jacobian_band(sj) == Band::bad) Take(Measure::scaled_jacobian, i, j, k, std::isnan(sj) ? INFINITY : -sj);
    if (Angle_band(cells.min_angle[n], cells.max_angle[n]) == Band::bad) {
      Take(Measure::face_angle, i, j, k, std::isnan(angle_badness) ? INFINITY : angle_badness);
    }
    if (Aspect_band(cells.aspect_ratio[n]) == Band::bad) Take(Measure::aspect_ratio, i, j, k, cells.aspect_ratio[n]);
    if (Volume_ratio_band(cells.volume_ratio[n]) == Band::bad) {
      Take(Measure::volume_ratio, i, j, k, cells.volume_ratio[n]);
    }
  }

  // Each measure's bad cells with the run along k through the worst.
  void Finish(Bad_cells (&out)[kMeasures]) const {
    for (int m = 0; m < kMeasures; ++m) {
      Bad_cells b = bad_[m];
      if (b.count > 0) {
        const unsigned char bit = static_cast<unsigned char>(1U << m);
        b.k_first = b.k;
        while (b.k_first > 1 && (flags_[Index(b.i, b.j, b.k_first - 1)] & bit) != 0) --b.k_first;
        b.k_last = b.k;
        while (b.k_last < nk_ && (flags_[Index(b.i, b.j, b.k_last + 1)] & bit) != 0) ++b.k_last;
      }
      out[m] = b;
    }
  }

 private:
  std::size_t Index(int i, int j, int k) const {
    return (static_cast<std::size_t>(k - 1) * nj_ + static_cast<std::size_t>(j - 1)) * ni_ +
           static_cast<std::size_t>(i - 1);
  }
  int ni_, nj_, nk_;
  std::vector<unsigned char> flags_;
  Bad_cells bad_[kMeasures];
  double worst_[kMeasures] = {0, 0, 0, 0};
};

}  // namespace

Cell_survey Survey_cells(const Grid& grid, const Block_faces& faces) {
  Cell_survey out;
  Quality_summary& s = out.quality;
  const int ni = grid.ie - 1, nj = grid.je - 1, nk = grid.ke - 1;
  if (ni < 1 || nj < 1 || nk < 1) return out;
  const std::size_t layer = static_cast<std::size_t>(ni) * static_cast<std::size_t>(nj);
  s.cells = static_cast<long>(layer * static_cast<std::size_t>(nk));
  // The volumes of three layers in turn, layer k at (k - 1) % 3: the ratios of a
  // layer are taken once the layer above it is measured.
  std::vector<double> volumes(3 * layer), ratio(layer);
  const Volume_ratios ratios(ni, nj, nk, faces);
  Bad_gatherer bad(ni, nj, nk);
  auto volumes_of = [&](int k) { return volumes.data() + static_cast<std::size_t>((k - 1) % 3) * layer; };
  auto take_ratios = [&](int k) {
    ratios.Layer(k, k > 1 ? volumes_of(k - 1) : nullptr, volumes_of(k), k < nk ? volumes_of(k + 1) : nullptr,
                 ratio.data());
    for (std::size_t m = 0; m < layer; ++m) {
      const Band band = Volume_ratio_band(ratio[m]);
      Add_cell(s.volume_ratio, ratio[m], ratio[m], band, k == 1 && m == 0);
      bad.Take_ratio(band, ratio[m], m, k);
    }
  };
  const Cosine_angle_bands angle_bands;
  Extreme_angle smallest(1), largest(-1);
  bool first = true;
  Sweep_cells(grid, [&](int j, int k, const Hex_shape* shapes) {
    double* volume = volumes_of(k) + static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(ni);
    for (int i = 1; i <= ni; ++i, first = false) {
      const Hex_shape& h = shapes[i - 1];
      const double sj = h.scaled_jacobian;
      if (!(sj > 0)) {
        ++s.folded;
        if (out.folded.size() < kFoldedListed) out.folded.push_back({i, j, k, sj});
      }
      const Band jacobian_band = Jacobian_band(sj);
      Add_cell(s.jacobian, sj, sj, jacobian_band, first);
      // A collapsed cell has angles 0 and 180 degrees: bad.
      const Band angle_band = h.collapsed ? Band::bad : angle_bands.Of(h.cos_max, h.cos_min);
      ++s.angle.bands[static_cast<int>(angle_band)];
      if (h.collapsed) {
        smallest.Take_angle(0);
        largest.Take_angle(180);
      } else {
        smallest.Take_cosine(h.cos_max);
        largest.Take_cosine(h.cos_min);
      }
      const Band aspect_band = Aspect_band(h.aspect_ratio);
      Add_cell(s.aspect, h.aspect_ratio, h.aspect_ratio, aspect_band, first);
      bad.Take_shape(h, jacobian_band, angle_band, aspect_band, i, j, k);
      volume[i - 1] = h.volume;
    }
    if (j == nj && k > 1) take_ratios(k - 1);
  });
  take_ratios(nk);
  s.angle.min = smallest.angle();
  s.angle.max = largest.angle();
  bad.Finish(out.bad);
  return out;
}

Cell_survey Survey_of(const Cell_field& cells) {
  Cell_survey out;
  out.quality = Summarize(cells);
  Bad_gatherer bad(cells.ni, cells.nj, cells.nk);
  for (int k = 1; k <= cells.nk; ++k) {
    for (int j = 1; j <= cells.nj; ++j) {
      for (int i = 1; i <= cells.ni; ++i) bad.Take_field_cell(cells, cells.Index(i, j, k), i, j, k);
    }
  }
  bad.Finish(out.bad);
  for (int k = 1; k <= cells.nk && out.folded.size() < kFoldedListed; ++k) {
    for (int j = 1; j <= cells.nj && out.folded.size() < kFoldedListed; ++j) {
      for (int i = 1; i <= cells.ni && out.folded.size() < kFoldedListed; ++i) {
        const double sj = cells.scaled_jacobian[cells.Index(i, j, k)];
        if (!(sj > 0)) out.folded.push_back({i, j, k, sj});
      }
    }
  }
  return out;
}

}  // namespace torvane::inspect
