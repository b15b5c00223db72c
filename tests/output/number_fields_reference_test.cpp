// The list-write real field and the Ew.d field against a straightforward
// rendering of the field rules built on std::to_chars, for many doubles: the
// fast digit path and its layouts must give the same bytes everywhere.
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "output/number_format.hpp"

namespace torvane {
namespace {

std::string Right_justified(const std::string& text, size_t w) {
  return text.size() > w ? std::string(w, '*') : std::string(w - text.size(), ' ') + text;
}

// Mantissa digits (first digit, then the rest) and exponent of |v| to n digits.
void Reference_digits(double v, int n, std::string& digits, int& exponent) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, std::fabs(v), std::chars_format::scientific, n - 1);
  const std::string s(text, result.ptr);
  const size_t e = s.find('e');
  digits = s.substr(0, 1) + (n > 1 ? s.substr(2, e - 2) : "");
  exponent = std::stoi(s.substr(e + 1));
}

std::string Reference_non_finite(double v, size_t w) {
  if (std::isnan(v)) return Right_justified("NaN", w);
  if (v > 0) return Right_justified(w >= 8 ? "Infinity" : "Inf", w);
  return Right_justified(w >= 9 ? "-Infinity" : "-Inf", w);
}

// The list write of a real: 25 columns.
std::string Reference_list_field(double v) {
  if (!std::isfinite(v)) return Reference_non_finite(v, 25);
  const std::string sign = std::signbit(v) ? "-" : "";
  const double a = std::fabs(v);
  if (a == 0) return Right_justified(sign + "0.0000000000000000", 20) + "     ";
  std::string digits;
  int exponent;
  Reference_digits(v, 17, digits, exponent);
  if (a >= 0.1 && a < 1.0e17) {
    const int k = exponent + 1;  // digits of the integer part
    const std::string text = k <= 0 ? "0." + digits : digits.substr(0, size_t(k)) + "." + digits.substr(size_t(k));
    return Right_justified(sign + text, 20) + "     ";
  }
  char exponent_text[16];
  std::snprintf(exponent_text, sizeof exponent_text, "E%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return Right_justified(sign + digits.substr(0, 1) + "." + digits.substr(1) + exponent_text, 25);
}

// The Ew.d field.
std::string Reference_exponent_field(double v, int w, int d) {
  if (!std::isfinite(v)) return Reference_non_finite(v, size_t(w));
  std::string digits(size_t(d), '0');
  int x = 0;
  if (v != 0) {
    Reference_digits(v, d, digits, x);
    x += 1;  // 0.d1d2... rather than d1.d2...
  }
  char exponent_text[16];
  if (std::abs(x) <= 99) {
    std::snprintf(exponent_text, sizeof exponent_text, "E%c%02d", x < 0 ? '-' : '+', std::abs(x));
  } else {
    std::snprintf(exponent_text, sizeof exponent_text, "%c%03d", x < 0 ? '-' : '+', std::abs(x));
  }
  std::string text = "." + digits + exponent_text;
  const std::string sign = std::signbit(v) ? "-" : "";
  if (sign.size() + text.size() < size_t(w)) text = "0" + text;
  return Right_justified(sign + text, size_t(w));
}

// Doubles from every part of the range, with both signs: random bit patterns,
// coordinates of grid sizes, and the edges where a layout or the digit path
// changes (powers of ten and their neighbours, 0.1, 1e17, the exact path's
// limits), subnormals, the extremes, zeros, infinities and NaN.
std::vector<double> Test_values() {
  std::vector<double> values;
  std::mt19937_64 random(4);
  for (int n = 0; n < 60000; ++n) {
    const uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    values.push_back(value);
  }
  std::uniform_real_distribution<double> power(-25.0, 25.0);
  for (int n = 0; n < 60000; ++n) values.push_back((n % 2 ? -1 : 1) * std::pow(10.0, power(random)));
  std::uniform_real_distribution<double> coordinate(-2.0, 2.0);
  for (int n = 0; n < 30000; ++n) values.push_back(coordinate(random));
  for (int p = -330; p <= 310; ++p) {
    const double ten = std::pow(10.0, p);
    double up = ten, down = ten;
    for (int step = 0; step < 3; ++step) {
      values.insert(values.end(), {up, down, -up, -down});
      up = std::nextafter(up, INFINITY);
      down = std::nextafter(down, 0.0);
    }
  }
  // Values whose last shown digit is a tie or rounds into a new power of ten.
  for (double v : {0.99999996, 9999999.5, 1234567.5, 1234568.5, 12345675.0, 1125899906842624.25, 1125899906842624.75,
                   562949953421312.125, 0.125, 0.375, 99999999999999984.0, 9999999999999998.0})
    values.insert(values.end(), {v, -v});
  values.insert(values.end(), {0.0, -0.0, DBL_MIN, DBL_MAX, -DBL_MAX, DBL_TRUE_MIN, -DBL_TRUE_MIN,
                               std::nextafter(DBL_MIN, 0.0), INFINITY, -INFINITY, NAN});
  return values;
}

TEST(ListRealReference, EveryValueMatchesTheReferenceRendering) {
  for (double v : Test_values()) {
    char field[25];
    ASSERT_EQ(List_real_field(field, v), 25);
    ASSERT_EQ(std::string(field, 25), Reference_list_field(v)) << std::hexfloat << v;
  }
}

TEST(ExponentReference, EveryValueMatchesTheReferenceRenderingInE15_7) {
  for (double v : Test_values()) {
    char field[15];
    ASSERT_EQ(Exponent_field(field, v, 15, 7), 15);
    ASSERT_EQ(std::string(field, 15), Reference_exponent_field(v, 15, 7)) << std::hexfloat << v;
  }
}

TEST(ExponentReference, EveryValueMatchesTheReferenceRenderingInOtherWidths) {
  // E12.4 of the console, and widths where the 0, the sign or the number no longer fit.
  const struct { int w, d; } formats[] = {{12, 4}, {9, 2}, {11, 4}, {10, 4}, {8, 1}, {6, 1}, {3, 1}, {24, 17}};
  const std::vector<double> values = Test_values();
  for (const auto& f : formats) {
    for (size_t n = 0; n < values.size(); n += 7) {
      char field[32];
      ASSERT_EQ(Exponent_field(field, values[n], f.w, f.d), f.w);
      ASSERT_EQ(std::string(field, size_t(f.w)), Reference_exponent_field(values[n], f.w, f.d))
          << std::hexfloat << values[n] << " in E" << f.w << "." << f.d;
    }
  }
}

}  // namespace
}  // namespace torvane
