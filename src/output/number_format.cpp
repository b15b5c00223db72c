#include "output/number_format.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

namespace torvane {

namespace {

// Significant digits and decimal exponent of |value| rounded to `digits`
// significant digits: |value| ~ d1.d2d3... x 10^exponent.
struct Decimal {
  char digits[20];
  int exponent;
};

Decimal Round_significant(double magnitude, int digits) {
  char text[40];
  auto result = std::to_chars(text, text + sizeof text, magnitude, std::chars_format::scientific, digits - 1);
  Decimal decimal{};
  const char* p = text;
  int n = 0;
  decimal.digits[n++] = *p++;
  if (*p == '.') {
    ++p;
    while (*p != 'e') decimal.digits[n++] = *p++;
  }
  ++p;  // 'e'
  bool negative = *p == '-';
  ++p;
  int exponent = 0;
  for (; p < result.ptr; ++p) exponent = exponent * 10 + (*p - '0');
  decimal.exponent = negative ? -exponent : exponent;
  return decimal;
}

void Fill_asterisks(char* out, int w) { std::memset(out, '*', static_cast<size_t>(w)); }

// Places text right-justified in a field of w columns; asterisks if it does not fit.
void Right_justify(char* out, int w, const char* text, int length) {
  if (length > w) {
    Fill_asterisks(out, w);
    return;
  }
  std::memset(out, ' ', static_cast<size_t>(w - length));
  std::memcpy(out + (w - length), text, static_cast<size_t>(length));
}

// Infinity, NaN: the longest form that fits the field.
void Non_finite_field(char* out, double value, int w) {
  if (std::isnan(value)) {
    Right_justify(out, w, "NaN", 3);
  } else if (value > 0) {
    if (w >= 8) {
      Right_justify(out, w, "Infinity", 8);
    } else {
      Right_justify(out, w, "Inf", 3);
    }
  } else if (w >= 9) {
    Right_justify(out, w, "-Infinity", 9);
  } else {
    Right_justify(out, w, "-Inf", 4);
  }
}

// Appends w columns to out and returns where they start.
char* Grow(std::string& out, int w) {
  size_t at = out.size();
  out.resize(at + static_cast<size_t>(w));
  return out.data() + at;
}

}  // namespace

void Put_integer(std::string& out, int value, int w) {
  char text[16];
  auto result = std::to_chars(text, text + sizeof text, value);
  Right_justify(Grow(out, w), w, text, static_cast<int>(result.ptr - text));
}

void Put_fixed(std::string& out, double value, int w, int d) {
  char* field = Grow(out, w);
  if (!std::isfinite(value)) {
    Non_finite_field(field, value, w);
    return;
  }
  // Up to 309 integer digits, a point and the decimals.
  char digits[400];
  char text[402];
  auto result = std::to_chars(digits, digits + sizeof digits, std::fabs(value), std::chars_format::fixed, d);
  int length = 0;
  if (std::signbit(value)) text[length++] = '-';
  const char* p = digits;
  bool zero_integer_part = p[0] == '0' && (p + 1 == result.ptr || p[1] == '.');
  if (zero_integer_part) ++p;  // the optional zero, put back below if it fits
  for (; p < result.ptr; ++p) text[length++] = *p;
  if (d == 0) text[length++] = '.';
  if (length > w) {
    Fill_asterisks(field, w);
    return;
  }
  if (zero_integer_part && length < w) {
    int sign = std::signbit(value) ? 1 : 0;
    std::memmove(text + sign + 1, text + sign, static_cast<size_t>(length - sign));
    text[sign] = '0';
    ++length;
  }
  Right_justify(field, w, text, length);
}

int Exponent_field(char* out, double value, int w, int d) {
  if (!std::isfinite(value)) {
    Non_finite_field(out, value, w);
    return w;
  }
  char text[48];
  int length = 0;
  if (std::signbit(value)) text[length++] = '-';
  int zero_at = length;
  text[length++] = '.';
  int x = 0;
  if (value == 0) {
    std::memset(text + length, '0', static_cast<size_t>(d));
  } else {
    Decimal decimal = Round_significant(std::fabs(value), d);
    std::memcpy(text + length, decimal.digits, static_cast<size_t>(d));
    x = decimal.exponent + 1;
  }
  length += d;
  int magnitude = x < 0 ? -x : x;
  if (magnitude <= 99) {
    text[length++] = 'E';
    text[length++] = x < 0 ? '-' : '+';
  } else {
    text[length++] = x < 0 ? '-' : '+';
    text[length++] = static_cast<char>('0' + magnitude / 100);
  }
  text[length++] = static_cast<char>('0' + magnitude / 10 % 10);
  text[length++] = static_cast<char>('0' + magnitude % 10);
  if (length < w) {
    std::memmove(text + zero_at + 1, text + zero_at, static_cast<size_t>(length - zero_at));
    text[zero_at] = '0';
    ++length;
  }
  Right_justify(out, w, text, length);
  return w;
}

void Put_exponent(std::string& out, double value, int w, int d) {
  Exponent_field(Grow(out, w), value, w, d);
}

void Put_text(std::string& out, std::string_view text, int w) {
  if (static_cast<int>(text.size()) >= w) {
    out.append(text.substr(0, static_cast<size_t>(w)));
  } else {
    out.append(static_cast<size_t>(w) - text.size(), ' ');
    out.append(text);
  }
}

int List_real_field(char* out, double value) {
  constexpr int kField = 25;
  if (!std::isfinite(value)) {
    Non_finite_field(out, value, kField);
    return kField;
  }
  char text[32];
  int length = 0;
  if (std::signbit(value)) text[length++] = '-';
  double magnitude = std::fabs(value);
  if (magnitude == 0 || (magnitude >= 0.1 && magnitude < 1.0e17)) {
    // Fixed form: 17 significant digits, right-justified in 20 columns, then 5 blanks.
    if (magnitude == 0) {
      std::memcpy(text + length, "0.0000000000000000", 18);
      length += 18;
    } else {
      Decimal decimal = Round_significant(magnitude, 17);
      int integer_digits = decimal.exponent + 1;
      if (integer_digits <= 0) {
        text[length++] = '0';
        text[length++] = '.';
        std::memcpy(text + length, decimal.digits, 17);
        length += 17;
      } else {
        std::memcpy(text + length, decimal.digits, static_cast<size_t>(integer_digits));
        length += integer_digits;
        text[length++] = '.';
        std::memcpy(text + length, decimal.digits + integer_digits, static_cast<size_t>(17 - integer_digits));
        length += 17 - integer_digits;
      }
    }
    Right_justify(out, 20, text, length);
    std::memset(out + 20, ' ', 5);
    return kField;
  }
  // Exponent form: d.dddddddddddddddd followed by E, the sign and three digits.
  Decimal decimal = Round_significant(magnitude, 17);
  text[length++] = decimal.digits[0];
  text[length++] = '.';
  std::memcpy(text + length, decimal.digits + 1, 16);
  length += 16;
  text[length++] = 'E';
  int x = decimal.exponent;
  text[length++] = x < 0 ? '-' : '+';
  if (x < 0) x = -x;
  text[length++] = static_cast<char>('0' + x / 100);
  text[length++] = static_cast<char>('0' + x / 10 % 10);
  text[length++] = static_cast<char>('0' + x % 10);
  Right_justify(out, kField, text, length);
  return kField;
}

void Put_list_real(std::string& out, double value) { List_real_field(Grow(out, 25), value); }

}  // namespace torvane
