#include "control/grid_storage.hpp"

#include <sys/mman.h>

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

}  // namespace

void Grid_storage::Free_blocks::operator()(double* blocks) const { std::free(blocks); }

// Every array is left uninitialised: the run writes each element before it
// reads it, and only the part a run's grid sizes select is ever touched.
Grid_storage::Grid_storage()
    : blocks_(Allocate_blocks(3 * sizeof(double) * kBlockSize + sizeof(Small))),
      xg_(blocks_.get(), kBlockSize),
      yg_(blocks_.get() + kBlockSize, kBlockSize),
      zg_(blocks_.get() + 2 * kBlockSize, kBlockSize),
      small_(new (blocks_.get() + 3 * kBlockSize) Small) {}

}  // namespace torvane
