#include "output/significant_digits.hpp"

#include <array>
#include <bit>
#include <charconv>

namespace torvane {

static_assert(std::endian::native == std::endian::little, "Eight_digits puts the first digit in the lowest byte");

namespace {

// 5^k for k = 0..27, the powers that fit 64 bits.
constexpr int kMaxScale = 27;
constexpr auto kPow5 = [] {
  std::array<uint64_t, kMaxScale + 1> p{};
  p[0] = 1;
  for (int k = 1; k <= kMaxScale; ++k) p[k] = p[k - 1] * 5;
  return p;
}();

constexpr auto kPow10 = [] {
  std::array<uint64_t, 20> p{};
  p[0] = 1;
  for (int k = 1; k < 20; ++k) p[k] = p[k - 1] * 10;
  return p;
}();

// floor(p log10 2) for |p| <= 2620.
int Floor_log10_pow2(int p) { return (p * 315653) >> 20; }

// Significant_digits for a fixed count N. The magnitude is m 2^e exactly,
// so magnitude x 10^k = m 5^k x 2^(e+k): for 0 <= k <= 27 the product m 5^k
// (below 2^116) and the shift are exact in 128 bits, and so is the rounding.
// Returns false outside that range of k.
template <int N>
bool Exact_digits(double magnitude, Decimal& decimal) {
  const auto bits = std::bit_cast<uint64_t>(magnitude);
  const int biased = static_cast<int>(bits >> 52);
  uint64_t m = bits & ((uint64_t{1} << 52) - 1);
  int e = -1074;
  if (biased != 0) {
    m |= uint64_t{1} << 52;
    e = biased - 1075;
  }
  // 2^p <= magnitude < 2^(p+1) < 2 x 10^(x+1): the decimal exponent is x or x + 1.
  const int p = e + 63 - std::countl_zero(m);
  const int x = Floor_log10_pow2(p);
  // magnitude x 10^k has N digits before the point when the exponent is x,
  // N + 1 when it is x + 1.
  const int k = N - 1 - x;
  if (k < 0 || k > kMaxScale) return false;
  const unsigned __int128 scaled = static_cast<unsigned __int128>(m) * kPow5[k];
  const int shift = -(e + k);
  uint64_t digits;
  unsigned __int128 rest = 0;  // the part below the point, in units of 2^-shift
  unsigned __int128 half = 0;  // one half in those units; 0 when nothing is below the point
  if (shift <= 0) {
    digits = static_cast<uint64_t>(scaled << -shift);  // an integer below 2 x 10^N
  } else {
    digits = static_cast<uint64_t>(scaled >> shift);
    rest = scaled & ((static_cast<unsigned __int128>(1) << shift) - 1);
    half = static_cast<unsigned __int128>(1) << (shift - 1);
  }
  decimal.exponent = x;
  if (digits >= kPow10[N]) {
    // One digit too many: the last one joins the part below the point.
    const unsigned __int128 unit = half == 0 ? 1 : 2 * half;
    rest += (digits % 10) * unit;
    half = 5 * unit;
    digits /= 10;
    ++decimal.exponent;
  }
  // Round to nearest, ties to even; a carry into a new leading digit gives 10^(N-1).
  const bool round_up = (rest > half) | ((rest == half) & (half != 0) & ((digits & 1) != 0));
  digits += round_up ? 1 : 0;
  if (digits == kPow10[N]) {
    digits = kPow10[N - 1];
    ++decimal.exponent;
  }
  decimal.digits = digits;
  return true;
}

}  // namespace

Decimal Significant_digits(double magnitude, int n) {
  Decimal decimal;
  switch (n) {
    case 17:  // grid and topology files
      if (Exact_digits<17>(magnitude, decimal)) return decimal;
      break;
    case 7:  // plot file
      if (Exact_digits<7>(magnitude, decimal)) return decimal;
      break;
    case 4:  // the stretching warning on the console
      if (Exact_digits<4>(magnitude, decimal)) return decimal;
      break;
    default:
      break;
  }
  return Significant_digits_by_to_chars(magnitude, n);
}

Decimal Significant_digits_by_to_chars(double magnitude, int n) {
  char text[40];
  auto result = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, n - 1);
  // d[.ddd]e(+|-)xx[x]
  Decimal decimal{0, 0};
  const char* p = text;
  for (; *p != 'e'; ++p) {
    if (*p != '.') decimal.digits = decimal.digits * 10 + static_cast<uint64_t>(*p - '0');
  }
  ++p;
  bool negative = *p == '-';
  for (++p; p < result.ptr; ++p) decimal.exponent = decimal.exponent * 10 + (*p - '0');
  if (negative) decimal.exponent = -decimal.exponent;
  return decimal;
}

void Put_digits(char* out, uint64_t value, int n) {
  for (char* p = out + n; p > out; value /= 10) *--p = static_cast<char>('0' + value % 10);
}

}  // namespace torvane
