// The run's fixed-capacity storage: the three coordinate arrays of the grid
// block, the two plane arrays, the contour lists, the Bezier control points,
// the work lines and the spanwise distribution, and the grid check's memory.
// Allocated once per run and lent out as views.
#pragma once

#include <memory>
#include <span>

#include "base/grid_views.hpp"
#include "base/storage_limits.hpp"
#include "control/build_scheduler.hpp"
#include "geometry/passage_smoothing.hpp"
#include "geometry/tip_gap.hpp"

namespace torvane {

// Bezier control points of a contour of kMaxContourPoints points.
inline constexpr int kMaxBezierPoints = 3 * kMaxContourPoints + 1;

// The extents of a storage's planes and work lines.
struct Work_extents {
  int ci, cj, ck;
};

class Grid_storage {
 public:
  // Room for the largest grid of the classic limits, for one build after another.
  Grid_storage() : Grid_storage(kMaxIe, kMaxJe, kMaxKe) {}
  // Room for a grid of ie x je x ke points, each at least 1 and at most its
  // large limit: a run of one deck touches no more memory than its grid needs.
  // The planes and work lines hold the classic limits' extents, or what the
  // grid's sections and cross-sections need where that is larger.
  Grid_storage(int ie, int je, int ke);

  // Whether a grid of ie x je x ke points fits.
  bool Holds(int ie, int je, int ke) const { return ie <= ie_ && je <= je_ && ke <= ke_; }
  // Whether it is a storage of just ie x je x ke points.
  bool Has_size(int ie, int je, int ke) const { return ie == ie_ && je == je_ && ke == ke_; }

  Grid grid() { return {Block(xg_, ie_, je_, ke_), Block(yg_, ie_, je_, ke_), Block(zg_, ie_, je_, ke_)}; }
  Plane plane1() { return Plane(small_.plane1, ci_, cj_); }
  Plane plane2() { return Plane(small_.plane2, ci_, cj_); }
  // The casing surface's own section work, so that it can be built beside the hub's.
  Plane casing_plane1() { return Plane(small_.casing_plane1, ci_, cj_); }
  Plane casing_plane2() { return Plane(small_.casing_plane2, ci_, cj_); }
  std::span<double> casing_bez() { return small_.casing_bez; }
  Line casing_w1() { return Line(small_.casing_w1); }
  Line casing_w2() { return Line(small_.casing_w2); }
  Line casing_w3() { return Line(small_.casing_w3); }
  Line casing_w4() { return Line(small_.casing_w4); }
  std::span<double> xyhub() { return small_.xyhub; }
  std::span<double> xycas() { return small_.xycas; }
  std::span<double> bez() { return small_.bez; }
  Line w1() { return Line(small_.w1); }
  Line w2() { return Line(small_.w2); }
  Line w3() { return Line(small_.w3); }
  Line w4() { return Line(small_.w4); }
  Line sspan() { return Line(small_.sspan); }
  // Edge parameters of every station's cross-section (first index i).
  Plane hub_parameters() { return Plane(small_.hub_t, ci_, cj_); }
  Plane casing_parameters() { return Plane(small_.casing_t, ci_, cj_); }
  Plane side1_parameters() { return Plane(small_.side1_t, ci_, ck_); }
  Plane side2_parameters() { return Plane(small_.side2_t, ci_, ck_); }
  // The lines the tip-gap cut works in.
  Tip_gap_work tip_gap_work() {
    const size_t ck = static_cast<size_t>(ck_);
    auto line = [this, ck](size_t n) { return Line(small_.gap_lines.subspan(n * ck, ck)); };
    return {line(0), line(1), line(2), line(3), line(4), line(5), Line(small_.gap_row)};
  }
  // The smoothing's turns and lines.
  Smoothing_work smoothing_work() {
    return {Plane(small_.smooth_turn, ci_, ck_), Line(small_.smooth_theta), Line(small_.smooth_share)};
  }
  // The grid check's memory, for grids of the storage's ie and je.
  Check_work& check_work() { return check_work_; }

 private:
  // The smaller arrays, placed in the block after zg in this order.
  struct Small {
    std::span<double> plane1, plane2, xyhub, xycas, bez, w1, w2, w3, w4, sspan, hub_t, casing_t, side1_t, side2_t,
        casing_plane1, casing_plane2, casing_bez, casing_w1, casing_w2, casing_w3, casing_w4, gap_lines, gap_row,
        smooth_turn, smooth_theta, smooth_share;
  };

  // Frees the storage's memory.
  struct Free_blocks {
    void operator()(double* blocks) const;
  };

  int ie_, je_, ke_;                               // the extents of the coordinate arrays
  std::unique_ptr<double[], Free_blocks> blocks_;  // xg, yg, zg, then the smaller arrays
  std::span<double> xg_;
  std::span<double> yg_;
  std::span<double> zg_;
  int ci_, cj_, ck_;  // the extents the planes and work lines hold
  Small small_;       // in blocks_, after zg
  Check_work check_work_;
};

}  // namespace torvane
