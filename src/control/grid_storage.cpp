#include "control/grid_storage.hpp"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace torvane {

namespace {

// The size of a transparent huge page: a TLB entry covers 2 MiB instead of 4 KiB.
constexpr size_t kHugePage = size_t{2} << 20;

// The three coordinate arrays in one block of whole huge pages. The volume
// build walks them across i (2 KiB strides) and would otherwise take a TLB
// miss and, on first touch, a page fault almost every step; the kernel backs
// the block with huge pages when it can and with small ones otherwise.
double* Allocate_blocks() {
  const size_t bytes = (3 * sizeof(double) * kBlockSize + kHugePage - 1) / kHugePage * kHugePage;
  void* blocks = std::aligned_alloc(kHugePage, bytes);
  if (blocks == nullptr) throw std::bad_alloc();
  ::madvise(blocks, bytes, MADV_HUGEPAGE);  // a hint: nothing changes when it is refused
  return static_cast<double*>(blocks);
}

}  // namespace

void GridStorage::FreeBlocks::operator()(double* blocks) const { std::free(blocks); }

// The coordinate arrays are left uninitialised: only the part a run's grid
// sizes select is ever written and read.
GridStorage::GridStorage()
    : blocks_(Allocate_blocks()),
      xg_(blocks_.get(), kBlockSize),
      yg_(blocks_.get() + kBlockSize, kBlockSize),
      zg_(blocks_.get() + 2 * kBlockSize, kBlockSize),
      small_(std::make_unique<Small>()) {}

}  // namespace torvane
