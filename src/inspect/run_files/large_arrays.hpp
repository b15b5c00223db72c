// Storage of the large arrays of a grid (coordinates, cell volumes, edges):
// 2 MiB pages the kernel may back with huge pages, so that filling a 6.5 MB
// array of the largest grid takes a few page faults instead of 1,600 (each
// of which costs some microseconds, more under virtualisation).
#pragma once

#include <cstddef>
#include <limits>
#include <new>
#include <vector>

namespace torvane::inspect {

// Memory of at least `bytes`: from the ordinary heap below 256 KiB, in whole
// huge pages above; throws std::bad_alloc when there is none.
void* Allocate_large(std::size_t bytes);
// Returns memory of Allocate_large; `bytes` as it was asked for.
void Free_large(void* memory, std::size_t bytes) noexcept;

// Allocator of std::vector over Allocate_large.
template <class T>
struct Large_allocator {
  using value_type = T;

  Large_allocator() = default;
  template <class U>
  Large_allocator(const Large_allocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(Allocate_large(n * sizeof(T)));
  }
  void deallocate(T* memory, std::size_t n) noexcept { Free_large(memory, n * sizeof(T)); }

  friend bool operator==(const Large_allocator&, const Large_allocator&) { return true; }
};

// A block of bytes from Allocate_large, left as the kernel hands it out (not
// written until used), returned when the owner goes.
class Large_block {
 public:
  explicit Large_block(std::size_t bytes) : bytes_(bytes), memory_(static_cast<char*>(Allocate_large(bytes))) {}
  ~Large_block() { Free_large(memory_, bytes_); }
  Large_block(const Large_block&) = delete;
  Large_block& operator=(const Large_block&) = delete;

  char* data() const { return memory_; }
  std::size_t size() const { return bytes_; }

 private:
  std::size_t bytes_;
  char* memory_;
};

// An array of reals held in huge pages where the kernel grants them.
using Large_reals = std::vector<double, Large_allocator<double>>;

// Reserves room for n values in an ordinary vector and asks the kernel to back
// it with huge pages and to map it at once rather than page by page on first
// touch; both requests are hints, refused without harm by older kernels.
void Reserve_large(std::vector<double>& values, std::size_t n);

}  // namespace torvane::inspect
