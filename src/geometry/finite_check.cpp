#include "geometry/finite_check.hpp"

#include <bit>
#include <cmath>
#include <cstdint>

#include "base/build_failure.hpp"

namespace torvane {

namespace {

// Whether n points hold a coordinate that is not finite (its exponent bits
// all set). One pass without a branch, several points at a time (four with
// AVX2, in the copy built for processors that have it).
__attribute__((target_clones("avx2", "default"))) bool Any_not_finite(std::size_t n, const double* x, const double* y,
                                                                      const double* z) {
  constexpr std::uint64_t kExponent = 0x7ff0000000000000;
  std::uint64_t found = 0;
  for (std::size_t m = 0; m < n; ++m) {
    found |= static_cast<std::uint64_t>((std::bit_cast<std::uint64_t>(x[m]) & kExponent) == kExponent) |
             static_cast<std::uint64_t>((std::bit_cast<std::uint64_t>(y[m]) & kExponent) == kExponent) |
             static_cast<std::uint64_t>((std::bit_cast<std::uint64_t>(z[m]) & kExponent) == kExponent);
  }
  return found != 0;
}

// Whether row j of plane k holds a coordinate that is not finite.
bool Row_not_finite(const Grid& grid, int ie, int j, int k) {
  return Any_not_finite(static_cast<std::size_t>(ie), &grid.xg(1, j, k), &grid.yg(1, j, k), &grid.zg(1, j, k));
}

}  // namespace

void Check_finite_planes(const Grid& grid, int ie, int je, int k_first, int k_last) {
  for (int k = k_first; k <= k_last; ++k) {
    bool plane_finite = true;
    for (int j = 1; j <= je; ++j) plane_finite &= !Row_not_finite(grid, ie, j, k);
    if (plane_finite) continue;
    // The first point in storage order that is not finite, for the message.
    for (int j = 1; j <= je; ++j) {
      for (int i = 1; i <= ie; ++i) {
        double x = grid.xg(i, j, k);
        double y = grid.yg(i, j, k);
        double z = grid.zg(i, j, k);
        if (std::isfinite(x) && std::isfinite(y) && std::isfinite(z)) continue;
        throw Build_failure{Coordinate_not_finite{i, j, k, x, y, z}};
      }
    }
  }
}

}  // namespace torvane
