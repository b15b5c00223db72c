#include "control/grid_storage.hpp"

#include <sys/mman.h>

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

// The points of a block of ie x je x ke, each extent held to 1 .. its limit.
size_t Points(int ie, int je, int ke) {
  assert(1 <= ie && ie <= kMaxIe && 1 <= je && je <= kMaxJe && 1 <= ke && ke <= kMaxKe);
  return static_cast<size_t>(ie) * static_cast<size_t>(je) * static_cast<size_t>(ke);
}

}  // namespace

void Grid_storage::Free_blocks::operator()(double* blocks) const { std::free(blocks); }

// Every array is left uninitialised: the run writes each element before it
// reads it, and only the part a run's grid sizes select is ever touched.
Grid_storage::Grid_storage(int ie, int je, int ke)
    : ie_(ie),
      je_(je),
      ke_(ke),
      blocks_(Allocate_blocks(3 * sizeof(double) * Points(ie, je, ke) + sizeof(Small))),
      xg_(blocks_.get(), Points(ie, je, ke)),
      yg_(blocks_.get() + Points(ie, je, ke), Points(ie, je, ke)),
      zg_(blocks_.get() + 2 * Points(ie, je, ke), Points(ie, je, ke)),
      small_(new (blocks_.get() + 3 * Points(ie, je, ke)) Small),
      check_work_(ie, je) {}

}  // namespace torvane
