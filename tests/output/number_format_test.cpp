#include "output/number_format.hpp"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace torvane {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(IntegerField, RightJustifiesOrFillsWithAsterisks) {
  struct Case {
    int value, w;
    const char* text;
  } cases[] = {
      {5, 3, "  5"},    {257, 3, "257"},   {-1, 3, " -1"},  {1000, 3, "***"},
      {-100, 3, "***"}, {-12, 5, "  -12"}, {0, 5, "    0"}, {-2147483647 - 1, 11, "-2147483648"},
  };
  for (const auto& c : cases) {
    std::string out;
    Put_integer(out, c.value, c.w);
    EXPECT_EQ(out, c.text) << c.value << " in I" << c.w;
  }
}

// A point count keeps its I3 field up to 999 and shows all its digits beyond (a large grid's 1000).
TEST(IntegerField, ACountWiderThanItsFieldKeepsItsDigits) {
  struct Case {
    int value, w;
    const char* text;
  } cases[] = {{5, 3, "  5"}, {257, 3, "257"}, {999, 3, "999"}, {1000, 3, "1000"}, {12345, 3, "12345"}};
  for (const auto& c : cases) {
    std::string out = "I=";
    Put_count(out, c.value, c.w);
    EXPECT_EQ(out, std::string("I=") + c.text) << c.value;
  }
}

TEST(FixedField, RoundsAndKeepsTheSign) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {22.5, "22.50"},  {7.5, " 7.50"},       {0.25, " 0.25"},  {0.0, " 0.00"},   {-0.5, "-0.50"},   {-0.004, "-0.00"},
      {-0.0, "-0.00"},  {51.428571, "51.43"}, {120.0, "*****"}, {360.0, "*****"}, {99.996, "*****"}, {0.125, " 0.12"},
      {0.375, " 0.38"}, {kNaN, "  NaN"},      {kInf, "  Inf"},  {-kInf, " -Inf"}, {12.0, "12.00"},
  };
  for (const auto& c : cases) {
    std::string out;
    Put_fixed(out, c.value, 5, 2);
    EXPECT_EQ(out, c.text) << c.value;
  }
}

TEST(FixedField, DropsTheLeadingZeroOnlyWhenThereIsNoRoomForIt) {
  std::string out;
  Put_fixed(out, -0.25, 4, 2);
  EXPECT_EQ(out, "-.25");
  out.clear();
  Put_fixed(out, 0.25, 3, 2);
  EXPECT_EQ(out, ".25");
}

TEST(ExponentField, MatchesTheWrittenExamples) {
  struct Case {
    double value;
    int w, d;
    const char* text;
  } cases[] = {
      {1.0, 15, 7, "  0.1000000E+01"},      {-0.0123, 15, 7, " -0.1230000E-01"},
      {0.0, 15, 7, "  0.0000000E+00"},      {3.14159265, 15, 7, "  0.3141593E+01"},
      {1.0e-100, 15, 7, "  0.1000000E-99"}, {1.0e-101, 15, 7, "  0.1000000-100"},
      {-1.0e300, 15, 7, " -0.1000000+301"}, {0.99999996, 15, 7, "  0.1000000E+01"},
      {-0.0, 15, 7, " -0.0000000E+00"},     {1.5, 12, 4, "  0.1500E+01"},
      {-0.00225, 12, 4, " -0.2250E-02"},    {-0.0125, 15, 7, " -0.1250000E-01"},
      {0.021, 15, 7, "  0.2100000E-01"},    {0.49995, 15, 7, "  0.4999500E+00"},
      {kNaN, 12, 4, "         NaN"},        {kInf, 12, 4, "    Infinity"},
      {-kInf, 12, 4, "   -Infinity"},       {4.9406564584124654e-324, 15, 7, "  0.4940656-323"},
  };
  for (const auto& c : cases) {
    std::string out;
    Put_exponent(out, c.value, c.w, c.d);
    EXPECT_EQ(out, c.text) << c.value << " in E" << c.w << "." << c.d;
  }
}

TEST(ExponentField, RoundsTiesOfTheExactBinaryValueToEven) {
  // 0.125 and 0.375 are exact binary values: ties at the second digit.
  std::string out;
  Put_exponent(out, 0.125, 9, 2);
  Put_exponent(out, 0.375, 9, 2);
  EXPECT_EQ(out, " 0.12E+00 0.38E+00");
}

TEST(TextField, PadsOnTheLeftOrCuts) {
  std::string out;
  Put_text(out, "abc", 5);
  Put_text(out, "abcdef", 4);
  Put_text(out, "abcd", 4);
  EXPECT_EQ(out, "  abcabcdabcd");
}

TEST(ListReal, MatchesTheWrittenExamples) {
  // Each case shows the field with the blank written before it.
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {1.0, "   1.0000000000000000     "},
      {0.5, "  0.50000000000000000     "},
      {-2.5, "  -2.5000000000000000     "},
      {0.0, "   0.0000000000000000     "},
      {-0.0, "  -0.0000000000000000     "},
      {123.456, "   123.45600000000000     "},
      {0.1, "  0.10000000000000001     "},
      {0.05, "   5.0000000000000003E-002"},
      {1.0e-5, "   1.0000000000000001E-005"},
      {1.0e20, "   1.0000000000000000E+020"},
      {0.09999999999999999, "   9.9999999999999992E-002"},
      {1.0e16, "   10000000000000000.     "},
      {1.0e17, "   1.0000000000000000E+017"},
      {99999999999999984.0, "   99999999999999984.     "},
      {-0.20943951023931953, " -0.20943951023931953     "},
      {-6.2831853071795862, "  -6.2831853071795862     "},
      {6.2831853071795862, "   6.2831853071795862     "},
      {-5.0131895068897134E-002, "  -5.0131895068897134E-002"},
      {4.9406564584124654e-324, "   4.9406564584124654E-324"},
      {1.0e300, "   1.0000000000000001E+300"},
      {kInf, "                  Infinity"},
      {-kInf, "                 -Infinity"},
      {kNaN, "                       NaN"},
  };
  for (const auto& c : cases) {
    std::string out = " ";
    Put_list_real(out, c.value);
    EXPECT_EQ(out, c.text) << c.value;
    EXPECT_EQ(out.size(), 26u);
  }
}

}  // namespace
}  // namespace torvane
