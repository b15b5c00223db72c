#include "control/grid_storage.hpp"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdlib>
#include <new>

namespace torvane {

namespace {

// The size of a transparent huge page: a TLB entry covers 2 MiB instead of 4 KiB.
constexpr size_t kHugePage = size_t{2} << 20;

// The storage in one block of whole huge pages. The volume build walks the
// coordinate arrays across i (2 KiB strides) and would otherwise take a TLB
// miss and, on first touch, a page fault almost every step; the smaller arrays
// fit in the last page's spare room. The kernel backs the block with huge
// pages when it can and with small ones otherwise.
double* Allocate_blocks(size_t used) {
  const size_t bytes = (used + kHugePage - 1) / kHugePage * kHugePage;
  void* blocks = std::aligned_alloc(kHugePage, bytes);
  if (blocks == nullptr) throw std::bad_alloc();
  ::madvise(blocks, bytes, MADV_HUGEPAGE);  // a hint: nothing changes when it is refused
  return static_cast<double*>(blocks);
}

// The points of a block of ie x je x ke, each extent held to 1 .. its large limit.
size_t Points(int ie, int je, int ke) {
  assert(1 <= ie && ie <= kLargeLimits.ie && 1 <= je && je <= kLargeLimits.je && 1 <= ke && ke <= kLargeLimits.ke);
  return static_cast<size_t>(ie) * static_cast<size_t>(je) * static_cast<size_t>(ke);
}

// The extents the planes and work lines hold, at least the classic limits'.
// A plane serves a blade-to-blade section (i by j) and then a cross-section of
// the volume (j by k) with the same leading extent, and the lines w1, w2 hold
// a side of either (j or k) and w3, w4 its other side (i or j): a grid with
// more points along k than along j, or along j than along i, needs them larger
// than its own i and j.
Work_extents Extents_of(int ie, int je, int ke) {
  return {std::max({ie, je, kMaxIe}), std::max({je, ke, kMaxJe}), std::max(ke, kMaxKe)};
}

// The lengths of the smaller arrays, in their order in the block, for planes
// and work lines of the extents.
std::array<size_t, 26> Small_lengths(Work_extents extents) {
  const auto ci = static_cast<size_t>(extents.ci);
  const auto cj = static_cast<size_t>(extents.cj);
  const auto ck = static_cast<size_t>(extents.ck);
  const size_t bez = 2 * static_cast<size_t>(kMaxBezierPoints);
  const size_t contour = 2 * static_cast<size_t>(kMaxContourPoints);
  return {ci * cj, ci * cj, contour, contour, bez, cj, cj, ci, ci,     ck, ci * cj, ci * cj, ci * ck,
          ci * ck, ci * cj, ci * cj, bez,     cj,  cj, ci, ci, 6 * ck, cj, ci * ck, ci,      cj};
}

size_t Sum(const std::array<size_t, 26>& lengths) {
  size_t sum = 0;
  for (size_t length : lengths) sum += length;
  return sum;
}

}  // namespace

void Grid_storage::Free_blocks::operator()(double* blocks) const { std::free(blocks); }

// Every array is left uninitialised: the run writes each element before it
// reads it, and only the part a run's grid sizes select is ever touched.
Grid_storage::Grid_storage(int ie, int je, int ke)
    : ie_(ie),
      je_(je),
      ke_(ke),
      blocks_(Allocate_blocks(sizeof(double) * (3 * Points(ie, je, ke) + Sum(Small_lengths(Extents_of(ie, je, ke)))))),
      xg_(blocks_.get(), Points(ie, je, ke)),
      yg_(blocks_.get() + Points(ie, je, ke), Points(ie, je, ke)),
      zg_(blocks_.get() + 2 * Points(ie, je, ke), Points(ie, je, ke)),
      ci_(Extents_of(ie, je, ke).ci),
      cj_(Extents_of(ie, je, ke).cj),
      ck_(Extents_of(ie, je, ke).ck),
      check_work_(ie, je) {
  const auto lengths = Small_lengths({ci_, cj_, ck_});
  std::span<double>* spans[] = {&small_.plane1,
                                &small_.plane2,
                                &small_.xyhub,
                                &small_.xycas,
                                &small_.bez,
                                &small_.w1,
                                &small_.w2,
                                &small_.w3,
                                &small_.w4,
                                &small_.sspan,
                                &small_.hub_t,
                                &small_.casing_t,
                                &small_.side1_t,
                                &small_.side2_t,
                                &small_.casing_plane1,
                                &small_.casing_plane2,
                                &small_.casing_bez,
                                &small_.casing_w1,
                                &small_.casing_w2,
                                &small_.casing_w3,
                                &small_.casing_w4,
                                &small_.gap_lines,
                                &small_.gap_row,
                                &small_.smooth_turn,
                                &small_.smooth_theta,
                                &small_.smooth_share};
  double* at = blocks_.get() + 3 * Points(ie, je, ke);
  for (size_t n = 0; n < lengths.size(); ++n) {
    *spans[n] = std::span<double>(at, lengths[n]);
    at += lengths[n];
  }
}

}  // namespace torvane
