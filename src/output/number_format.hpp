// Number text of every console line and file record: the fixed-width fields of
// formatted writes (Iw, Fw.d, Ew.d, Aw) and the 25-column real field of list
// writes. Digits are those of the exact binary value, rounded to nearest with
// ties to even.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace torvane {

// Ends a record, on every destination.
inline constexpr std::string_view kEndOfRecord = "\r\n";

// Iw: the integer right-justified in w columns, or w asterisks.
void Put_integer(std::string& out, int value, int w);

// A count of grid points: Iw, or all its digits where w columns cannot hold
// them (the 1000 points of a large grid), so that a reader gets the number.
void Put_count(std::string& out, int value, int w);

// Iw fields of the values with the separator between them, as "(I3,1X,I3,1X,I3)" writes three.
void Put_integers(std::string& out, std::initializer_list<int> values, int w, std::string_view separator);

// Fw.d: fixed point with d decimals in w columns, or w asterisks.
void Put_fixed(std::string& out, double value, int w, int d);

// Ew.d: 0.d1..dd followed by the exponent part, in w columns.
void Put_exponent(std::string& out, double value, int w, int d);

// Aw: the text in w columns, preceded by blanks or cut to its first w characters.
void Put_text(std::string& out, std::string_view text, int w);

// The 25-column real field of a list write (without the blank before it):
// 17 significant digits in fixed form for zero and 0.1 <= |v| < 1e17, in
// exponent form otherwise.
void Put_list_real(std::string& out, double value);

// Writes the 25-column list field of value at out[0..24]; returns 25.
// The building block of Put_list_real for callers that fill large buffers.
int List_real_field(char* out, double value);

// Writes the Ew.d field of value at out[0..w-1]; returns w.
int Exponent_field(char* out, double value, int w, int d);

}  // namespace torvane
