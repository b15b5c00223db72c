// The significant digits of a coordinate, correctly rounded: the digits of the
// exact binary value cut to n places, ties to even, as the grid and plot files
// show them (17 and 7 places). Exact integer arithmetic for the magnitudes a
// grid holds, std::to_chars beyond them.
#pragma once

#include <cstdint>
#include <cstring>

namespace torvane {

// |value| ~ digits x 10^(exponent - n + 1): the n significant digits as one
// integer, 10^(n-1) <= digits < 10^n, and the decimal exponent of the first.
struct Decimal {
  uint64_t digits;
  int exponent;
};

// Rounds a finite magnitude > 0 (subnormals included) to n significant
// digits, 1 <= n <= 19. A rounding that carries into a new leading digit gives
// 10^(n-1) and raises the exponent.
Decimal Significant_digits(double magnitude, int n);

// The same through std::to_chars alone: the path outside the exact range, and
// the reference the exact path is tested against.
Decimal Significant_digits_by_to_chars(double magnitude, int n);

// Writes the n low decimal digits of value at out[0..n-1], leading zeros included.
void Put_digits(char* out, uint64_t value, int n);

// The eight decimal digits of value < 10^8 as characters in one 64-bit word,
// the first digit in the lowest byte: stored with one memcpy on a
// little-endian machine. Two digits per 16-bit lane, then one per byte, each
// step dividing every lane at once by a multiply and a shift.
inline uint64_t Eight_digits(uint32_t value) {
  uint64_t lanes = (value / 10000) | (static_cast<uint64_t>(value % 10000) << 32);
  uint64_t high = ((lanes * 10486) >> 20) & 0x0000007F0000007Fu;  // / 100 below 10^4
  lanes = high | ((lanes - 100 * high) << 16);
  high = ((lanes * 103) >> 10) & 0x000F000F000F000Fu;  // / 10 below 100
  lanes = high | ((lanes - 10 * high) << 8);
  return lanes + 0x3030303030303030u;
}

// Stores the eight characters of Eight_digits at out.
inline void Store_eight(char* out, uint64_t characters) { std::memcpy(out, &characters, 8); }

}  // namespace torvane
