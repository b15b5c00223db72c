#include "inspect/run_files/large_arrays.hpp"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace torvane::inspect {

namespace {

// A transparent huge page: one page fault and one TLB entry cover 2 MiB instead of 4 KiB.
constexpr std::size_t kHugePage = std::size_t{2} << 20;
// The ordinary page size of the machines torvane runs on.
constexpr std::uintptr_t kPage = 4096;
// Linux 5.14 and later: fault in a range at once (the value of its headers, for older ones).
#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;
#endif
// Smaller arrays stay on the ordinary heap. From a quarter of a huge page up
// the whole page is worth it: clearing 2 MiB at once costs less than the 64
// page faults of 256 KiB.
constexpr std::size_t kLargeFrom = std::size_t{1} << 18;

}  // namespace

void* Allocate_large(std::size_t bytes) {
  if (bytes < kLargeFrom) return ::operator new(bytes);
  if (bytes > std::numeric_limits<std::size_t>::max() - kHugePage) throw std::bad_alloc();
  const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* memory = std::aligned_alloc(kHugePage, rounded);
  if (memory == nullptr) throw std::bad_alloc();
  ::madvise(memory, rounded, MADV_HUGEPAGE);  // a hint: nothing changes when it is refused
  return memory;
}

void Free_large(void* memory, std::size_t bytes) noexcept {
  if (bytes < kLargeFrom) {
    ::operator delete(memory);
  } else {
    std::free(memory);
  }
}

void Reserve_large(std::vector<double>& values, std::size_t n) {
  values.reserve(n);
  if (n * sizeof(double) < kLargeFrom) return;
  // The heap hands out large blocks as mappings of their own: advise whole pages of it.
  const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(values.data()) & ~(kPage - 1);
  const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(values.data() + n) + kPage - 1) & ~(kPage - 1);
  void* const pages = reinterpret_cast<void*>(begin);
  ::madvise(pages, end - begin, MADV_HUGEPAGE);
  ::madvise(pages, end - begin, kPopulateWrite);
}

}  // namespace torvane::inspect
