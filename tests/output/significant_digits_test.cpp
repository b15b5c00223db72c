#include "output/significant_digits.hpp"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace torvane {
namespace {

// The digits and exponent as text, e.g. "12345678 e-3", for readable failures.
std::string Text(const Decimal& d) { return std::to_string(d.digits) + " e" + std::to_string(d.exponent); }

// The digits of the correctly rounded value as std::to_chars writes them.
std::string To_chars(double magnitude, int n) {
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, n - 1);
  return std::string(text, result.ptr);
}

TEST(EightDigits, GivesTheDigitsFirstInTheLowestByte) {
  struct Case {
    uint32_t value;
    const char* text;
  } cases[] = {
      {0, "00000000"},        {7, "00000007"},        {10, "00000010"},       {99, "00000099"},
      {100, "00000100"},      {9999, "00009999"},     {10000, "00010000"},    {12345678, "12345678"},
      {99999999, "99999999"}, {10203040, "10203040"}, {90000009, "90000009"}, {50505050, "50505050"},
  };
  for (const Case& c : cases) {
    char text[9] = {};
    Store_eight(text, Eight_digits(c.value));
    EXPECT_STREQ(text, c.text) << c.value;
  }
}

TEST(EightDigits, MatchesToCharsForEveryValueOfARandomSample) {
  std::mt19937 random(8);
  for (int n = 0; n < 200000; ++n) {
    const uint32_t value = random() % 100000000;
    char text[9] = {};
    char expected[9];
    std::snprintf(expected, sizeof expected, "%08u", value);
    Store_eight(text, Eight_digits(value));
    ASSERT_STREQ(text, expected) << value;
  }
}

TEST(SignificantDigits, RoundsTheExactBinaryValue) {
  // Worked by hand from the exact binary values.
  struct Case {
    double value;
    int n;
    uint64_t digits;
    int exponent;
  } cases[] = {
      {0.1, 17, 10000000000000001, -1},                  // 0.1000000000000000055511...
      {0.09999999999999999, 17, 99999999999999992, -2},  // 0.09999999999999999167...
      {1.0, 17, 10000000000000000, 0},
      {0.5, 7, 5000000, -1},
      {99999999999999984.0, 17, 99999999999999984, 16},
      {1.0e17, 17, 10000000000000000, 17},
      {0.99999996, 7, 1000000, 0},  // carries into a new leading digit
      {9999999.5, 7, 1000000, 7},   // a tie carried up: 9999999|5, 9 odd
      {1234567.5, 7, 1234568, 6},   // tie, 7 odd: up
      {1234568.5, 7, 1234568, 6},   // tie, 8 even: stays
      {12345675.0, 7, 1234568, 7},  // tie of an integer
      {12345665.0, 7, 1234566, 7},
      {1125899906842624.25, 17, 11258999068426242, 15},        // tie at 17 digits, 2 even: stays
      {1125899906842624.75, 17, 11258999068426248, 15},        // tie, 7 odd: up
      {562949953421312.125, 17, 56294995342131212, 14},        // 2^49 + 1/8: tie, 2 even
      {0.125, 2, 12, -1},                                      // tie, 2 even
      {0.375, 2, 38, -1},                                      // tie, 7 odd
      {4.9406564584124654e-324, 17, 49406564584124654, -324},  // least subnormal
      {2.2250738585072009e-308, 17, 22250738585072009, -308},  // greatest subnormal
      {DBL_MAX, 17, 17976931348623157, 308},
      {1.0e-5, 7, 1000000, -5},
      {1.5, 4, 1500, 0},
      {0.00225, 4, 2250, -3},
  };
  for (const Case& c : cases) {
    const Decimal d = Significant_digits(c.value, c.n);
    EXPECT_EQ(d.digits, c.digits) << c.value << " to " << c.n << " digits: " << Text(d);
    EXPECT_EQ(d.exponent, c.exponent) << c.value << " to " << c.n << " digits: " << Text(d);
  }
}

TEST(SignificantDigits, ByToCharsReadsTheDigitsAndExponent) {
  EXPECT_EQ(Text(Significant_digits_by_to_chars(0.05, 17)), "50000000000000003 e-2");
  EXPECT_EQ(Text(Significant_digits_by_to_chars(1.0e300, 17)), "10000000000000001 e300");
  EXPECT_EQ(Text(Significant_digits_by_to_chars(1.0e-101, 7)), "1000000 e-101");
  EXPECT_EQ(Text(Significant_digits_by_to_chars(7.0, 1)), "7 e0");
}

// Every count of digits, on values from every part of the double range and
// from the edges of the exact path's range (10^k scalings 0 to 27), against
// std::to_chars.
TEST(SignificantDigits, MatchesToCharsEverywhere) {
  std::mt19937_64 random(17);
  std::vector<double> values;
  for (int n = 0; n < 20000; ++n) {
    uint64_t bits = random() & ~(uint64_t{1} << 63);
    if ((bits >> 52) == 0x7ff) continue;  // infinity and NaN
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (value != 0) values.push_back(value);
  }
  for (int power = -40; power <= 40; ++power) {
    double p = std::pow(10.0, power);
    double up = p, down = p;
    for (int step = 0; step < 4; ++step) {
      values.push_back(up);
      values.push_back(down);
      up = std::nextafter(up, INFINITY);
      down = std::nextafter(down, 0.0);
    }
  }
  for (int n = 1; n <= 19; ++n) {
    for (double value : values) {
      const Decimal d = Significant_digits(value, n);
      const Decimal r = Significant_digits_by_to_chars(value, n);
      ASSERT_EQ(Text(d), Text(r)) << value << " to " << n << " digits; to_chars: " << To_chars(value, n);
    }
  }
}

}  // namespace
}  // namespace torvane
