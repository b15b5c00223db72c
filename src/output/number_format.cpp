#include "output/number_format.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

#include "output/significant_digits.hpp"

namespace torvane {

namespace {

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

// The first 8 characters of a word of eight digits with a point inserted
// after `before` of them (1 <= before <= 8); the digit pushed out is the
// word's last byte.
uint64_t Word_with_point(uint64_t digits, int before) {
  if (before == 8) return digits;
  const uint64_t low = digits & ((uint64_t{1} << (8 * before)) - 1);
  return low | (uint64_t{'.'} << (8 * before)) | ((digits & ~low) << 8);
}

// The four columns after the digits of Ew.d for 0.d1d2... x 10^x: E, the sign
// and two digits, or for |x| >= 100 the sign and three digits.
void Put_exponent_part(char* out, int x) {
  const int magnitude = x < 0 ? -x : x;
  if (magnitude <= 99) {
    out[0] = 'E';
    out[1] = x < 0 ? '-' : '+';
  } else {
    out[0] = x < 0 ? '-' : '+';
    out[1] = static_cast<char>('0' + magnitude / 100);
  }
  out[2] = static_cast<char>('0' + magnitude / 10 % 10);
  out[3] = static_cast<char>('0' + magnitude % 10);
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

void Put_count(std::string& out, int value, int w) {
  char text[16];
  auto result = std::to_chars(text, text + sizeof text, value);
  const int length = static_cast<int>(result.ptr - text);
  const int width = length > w ? length : w;
  Right_justify(Grow(out, width), width, text, length);
}

void Put_integers(std::string& out, std::initializer_list<int> values, int w, std::string_view separator) {
  bool first = true;
  for (int value : values) {
    if (!first) out.append(separator);
    Put_integer(out, value, w);
    first = false;
  }
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
  const bool negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  Decimal decimal{0, -1};  // zero: digits 0 and x = 0
  if (magnitude != 0) decimal = Significant_digits(magnitude, d);
  const int x = decimal.exponent + 1;
  if (w == 15 && d == 7) {
    // The plot file's field: [-]0.ddddddd in columns 2 to 11, the digits in
    // one store of eight whose eighth byte the exponent part overwrites.
    out[0] = ' ';
    out[1] = negative ? '-' : ' ';
    out[2] = '0';
    out[3] = '.';
    Store_eight(out + 4, Eight_digits(static_cast<uint32_t>(decimal.digits)) >> 8);
    Put_exponent_part(out + 11, x);
    return w;
  }
  // The text without its optional 0: sign, point, d digits, the exponent part.
  int length = (negative ? 1 : 0) + 1 + d + 4;
  if (length > w) {
    Fill_asterisks(out, w);
    return w;
  }
  const bool zero = length < w;
  length += zero ? 1 : 0;
  std::memset(out, ' ', static_cast<size_t>(w - length));
  char* p = out + (w - length);
  if (negative) *p++ = '-';
  if (zero) *p++ = '0';
  *p++ = '.';
  Put_digits(p, decimal.digits, d);
  Put_exponent_part(p + d, x);
  return w;
}

void Put_exponent(std::string& out, double value, int w, int d) { Exponent_field(Grow(out, w), value, w, d); }

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
  const char sign = std::signbit(value) ? '-' : ' ';
  const double magnitude = std::fabs(value);
  if (magnitude == 0) {
    // Fixed form of zero: 0.0000000000000000 ending in column 20.
    std::memcpy(out, "  0.0000000000000000     ", kField);
    out[1] = sign;
    return kField;
  }
  // The 17 digits d1 d2..d9 d10..d17 as one character and two words of eight.
  const Decimal decimal = Significant_digits(magnitude, 17);
  const uint64_t first_nine = decimal.digits / 100000000;
  const char first = static_cast<char>('0' + first_nine / 100000000);
  const uint64_t middle = Eight_digits(static_cast<uint32_t>(first_nine % 100000000));
  const uint64_t last = Eight_digits(static_cast<uint32_t>(decimal.digits % 100000000));
  const int integer_digits = decimal.exponent + 1;
  const bool fixed = magnitude >= 0.1 && magnitude < 1.0e17;
  out[0] = ' ';
  out[1] = sign;
  out[2] = first;
  if (fixed && integer_digits >= 2) {
    // Fixed form with the point among the digits: d1 in column 3, then the
    // point inside the middle or the last word; the text ends in column 20.
    if (integer_digits <= 9) {
      Store_eight(out + 3, Word_with_point(middle, integer_digits - 1));
      out[11] = integer_digits == 9 ? '.' : static_cast<char>(middle >> 56);
      Store_eight(out + 12, last);
    } else {
      Store_eight(out + 3, middle);
      Store_eight(out + 11, Word_with_point(last, integer_digits - 9));
      out[19] = integer_digits == 17 ? '.' : static_cast<char>(last >> 56);
    }
    std::memset(out + 20, ' ', 5);
    return kField;
  }
  // The other layouts (a choice of bytes, not of branches, since the form
  // changes from one coordinate to the next): d2..d17 in columns 5 to 20,
  // preceded by d1 and the point (from 1 up to 10; exponent form) or by 0, the
  // point and d1 (from 0.1 up to 1), and followed by 5 blanks or the exponent.
  Store_eight(out + 4, middle);
  Store_eight(out + 12, last);
  const bool below_one = fixed && integer_digits <= 0;
  out[0] = below_one ? sign : ' ';
  out[1] = below_one ? '0' : sign;
  out[2] = below_one ? '.' : first;
  out[3] = below_one ? first : '.';
  const int x = decimal.exponent < 0 ? -decimal.exponent : decimal.exponent;
  out[20] = fixed ? ' ' : 'E';
  out[21] = fixed ? ' ' : decimal.exponent < 0 ? '-' : '+';
  out[22] = fixed ? ' ' : static_cast<char>('0' + x / 100);
  out[23] = fixed ? ' ' : static_cast<char>('0' + x / 10 % 10);
  out[24] = fixed ? ' ' : static_cast<char>('0' + x % 10);
  return kField;
}

void Put_list_real(std::string& out, double value) { List_real_field(Grow(out, 25), value); }

}  // namespace torvane
