#include "control/control_input.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/record_table.hpp"
#include "base/terminal_text.hpp"
#include "base/text.hpp"
#include "output/console.hpp"

namespace torvane {

namespace {

// A deck saved with CR LF line ends reads as one with LF alone.
constexpr bool Is_deck_blank(char c) { return Is_blank(c, Blanks::with_cr); }

bool Is_digit(char c) { return c >= '0' && c <= '9'; }

// Quotes an item for a message: 40 bytes at most, ASCII only, control bytes as '?'.
std::string Quote(std::string_view item) { return Quoted(item, 40, High_bytes::shown_as_mark); }

}  // namespace

bool Parse_integer(std::string_view item, int& value) {
  size_t start = 0;
  if (!item.empty() && (item[0] == '+' || item[0] == '-')) start = 1;
  if (start == item.size()) return false;
  for (size_t n = start; n < item.size(); ++n) {
    if (!Is_digit(item[n])) return false;
  }
  // from_chars takes a minus sign but no plus sign.
  const char* first = item.data() + (item[0] == '+' ? 1 : 0);
  auto result = std::from_chars(first, item.data() + item.size(), value);
  return result.ec == std::errc() && result.ptr == item.data() + item.size();
}

namespace {

// Copies a real item into text for from_chars (D exponent as e, no plus
// sign); false when the item is not in integer, fixed or exponent form.
bool Real_text(std::string_view item, std::string& text) {
  // [sign] digits [. [digits]] | [sign] . digits, then [E|D [sign] digits]
  size_t n = 0;
  text.clear();
  if (item.empty()) return false;
  if (item[n] == '+' || item[n] == '-') {
    if (item[n] == '-') text += '-';
    ++n;
  }
  size_t mantissa_digits = 0;
  while (n < item.size() && Is_digit(item[n])) {
    text += item[n++];
    ++mantissa_digits;
  }
  if (n < item.size() && item[n] == '.') {
    text += item[n++];
    while (n < item.size() && Is_digit(item[n])) {
      text += item[n++];
      ++mantissa_digits;
    }
  }
  if (mantissa_digits == 0) return false;
  if (n == item.size()) return true;
  char letter = item[n];
  if (letter != 'E' && letter != 'e' && letter != 'D' && letter != 'd') return false;
  text += 'e';
  ++n;
  if (n < item.size() && (item[n] == '+' || item[n] == '-')) text += item[n++];
  size_t exponent_digits = 0;
  while (n < item.size() && Is_digit(item[n])) {
    text += item[n++];
    ++exponent_digits;
  }
  return exponent_digits > 0 && n == item.size();
}

bool Is_real_form(std::string_view item) {
  std::string text;
  return Real_text(item, text);
}

}  // namespace

bool Parse_real(std::string_view item, double& value) {
  std::string text;
  if (!Real_text(item, text)) return false;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small for a double reads as the nearest one (zero or a subnormal);
    // too large cannot be read. strtod rounds correctly and tells them apart.
    double nearest = std::strtod(text.c_str(), nullptr);
    if (std::isinf(nearest)) return false;
    value = nearest;
    return true;
  }
  return result.ec == std::errc() && result.ptr == text.data() + text.size() && std::isfinite(value);
}

namespace {

// Why a deck with no line at all is refused: it is often the output of a failed torvane-deck run.
constexpr const char* kEmptyDeck =
    "the deck is empty (no line at all); a deck holds the title, the file name, records 3 to 33 and the hub and "
    "casing point lists";

// The first record after the title and the file name.
constexpr int kFirstNumericRecord = Record_of(&Control_values::nblade).number;

// What a refusal at record 3 adds when the first line starts with '#'.
constexpr const char* kCommentTitleHint =
    " (records 1 and 2 are the title and the file name, one whole line each, and a comment takes no line of its own: "
    "the first line, starting with #, was read as the title)";

}  // namespace

namespace {

// Turns each comma between two digits into a point, marking where in
// decimal; true when there was one.
bool Commas_to_points(std::string& text, std::vector<bool>& decimal) {
  bool any = false;
  for (size_t n = 1; n + 1 < text.size(); ++n) {
    if (text[n] == ',' && Is_digit(text[n - 1]) && Is_digit(text[n + 1])) {
      text[n] = '.';
      decimal[n] = true;
      any = true;
    }
  }
  return any;
}

// The item of text from n on, as the reader separates them, moving n to its
// end: true when there is one and it reads as a number.
bool Next_number_item(std::string_view text, size_t& n, size_t& start) {
  while (n < text.size() && Is_blank(text[n])) ++n;
  if (n == text.size() || text[n] == ',') return false;
  start = n;
  while (n < text.size() && !Is_blank(text[n]) && text[n] != ',') ++n;
  double value = 0;
  return Parse_real(text.substr(start, n - start), value);
}

}  // namespace

std::string Decimal_comma_reading(std::string_view line, int count) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string text(line);
  std::vector<bool> decimal(text.size(), false);
  if (!Commas_to_points(text, decimal)) return "";
  // The items as the reader separates them: blanks with at most one comma.
  std::string values;
  int found = 0;
  bool with_comma = false;
  size_t n = 0;
  size_t start = 0;
  while (found <= count && Next_number_item(text, n, start)) {
    ++found;
    if (found <= count) {
      for (size_t m = start; m < n; ++m) with_comma = with_comma || decimal[m];
      if (!values.empty()) values += ' ';
      values.append(text, start, n - start);
    }
    while (n < text.size() && Is_blank(text[n])) ++n;
    if (n < text.size() && text[n] == ',') ++n;
  }
  return found == count && with_comma ? values : "";
}

std::char_traits<char>::int_type Deck_reader::Next_char() {
  try {
    return in_.rdbuf()->sbumpc();
  } catch (const std::exception& failure) {
    // A directory or a closed descriptor as standard input fails the read itself.
    // The library's text ends with the system's reason ("...: Is a directory").
    std::string reason = failure.what();
    const size_t colon = reason.rfind(": ");
    if (colon != std::string::npos) reason.erase(0, colon + 2);
    throw Run_stop{2, "the control deck cannot be read from standard input: " + reason +
                          " (give it as a file: torvane < rotor.in)"};
  }
}

void Deck_reader::Check_decimal_commas(const Record& record, int count) const {
  if (record_line_ != line_number_) return;  // a record over several lines is read as written
  const std::string reading = Decimal_comma_reading(line_, count);
  if (reading.empty()) return;
  Refuse(record, Quote(line_.substr(0, line_.find_last_not_of(" \t\r") + 1)) + " reads as " + record_items_ +
                     " with its commas between values, but as " + reading +
                     " with decimal commas; write decimal points, or blanks between values");
}

bool Deck_reader::Next_line() {
  using Traits = std::char_traits<char>;
  std::streambuf* source = in_.rdbuf();
  Traits::int_type c = source == nullptr ? Traits::eof() : Next_char();
  if (Traits::eq_int_type(c, Traits::eof())) return false;
  line_.clear();
  cut_ = false;
  while (!Traits::eq_int_type(c, Traits::eof()) && c != '\n') {
    if (line_.size() < kMaxLineLength) {
      line_.push_back(Traits::to_char_type(c));
    } else if (!cut_) {
      cut_ = true;
      cut_at_separator_ = Is_deck_blank(Traits::to_char_type(c)) || c == ',';
    }
    c = Next_char();
  }
  ++line_number_;
  position_ = 0;
  return true;
}

void Deck_reader::Discard_rest_of_line() {
  position_ = line_.size();
  cut_ = false;
  record_line_ = 0;
  record_items_.clear();
}

void Deck_reader::Refuse(const Record& record, const std::string& reason) const {
  std::string where = "record " + std::to_string(record.number) + " (" + record.name + ")";
  if (line_number_ == 0) throw Run_stop{2, where + ": " + kEmptyDeck};
  if (reason != "end of input") where += ", input line " + std::to_string(line_number_);
  // A deck opened by a comment line fails at record 3: the comment became the title.
  throw Run_stop{
      2, where + ": " + reason + (record.number == kFirstNumericRecord && title_is_comment_ ? kCommentTitleHint : "")};
}

void Deck_reader::Refuse_beyond_kept_part(const Record& record) const {
  Refuse(record, "the line is longer than " + std::to_string(kMaxLineLength) +
                     " characters and the value does not lie within them");
}

std::string Deck_reader::Read_text(const Record& record) {
  if (!Next_line()) Refuse(record, "end of input");
  std::string_view text = line_;
  // A deck saved with CR LF line ends reads as with LF.
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  std::string value(text.substr(0, kTextLength));
  value.resize(kTextLength, ' ');
  return value;
}

std::string_view Deck_reader::Next_item(const Record& record) {
  for (;;) {
    while (position_ < line_.size() && Is_deck_blank(line_[position_])) ++position_;
    if (position_ < line_.size()) break;
    if (cut_) Refuse_beyond_kept_part(record);
    if (!Next_line()) Refuse(record, "end of input");
  }
  if (line_[position_] == ',') Refuse(record, "an empty item before a comma");
  size_t start = position_;
  while (position_ < line_.size() && !Is_deck_blank(line_[position_]) && line_[position_] != ',') ++position_;
  // The item may run on in the part of the line that was not kept.
  if (position_ == line_.size() && cut_ && !cut_at_separator_) Refuse_beyond_kept_part(record);
  std::string_view item(line_.data() + start, position_ - start);
  if (record_line_ == 0) record_line_ = line_number_;
  if (!record_items_.empty()) record_items_ += ' ';
  record_items_.append(item);
  // The separator after an item: blanks with at most one comma.
  while (position_ < line_.size() && Is_deck_blank(line_[position_])) ++position_;
  if (position_ < line_.size() && line_[position_] == ',') ++position_;
  return item;
}

int Deck_reader::Read_integer(const Record& record) {
  std::string_view item = Next_item(record);
  int value = 0;
  if (Parse_integer(item, value)) return value;
  size_t sign = (item[0] == '+' || item[0] == '-') ? 1 : 0;
  bool digits_only = item.size() > sign;
  for (size_t n = sign; n < item.size(); ++n) digits_only = digits_only && Is_digit(item[n]);
  if (digits_only) Refuse(record, Quote(item) + " does not fit a 32-bit integer");
  double real = 0;
  if (Parse_real(item, real)) Refuse(record, Quote(item) + " is not an integer");
  Refuse(record, Quote(item) + " is not a number");
}

double Deck_reader::Read_real(const Record& record) {
  std::string_view item = Next_item(record);
  double value = 0;
  if (Parse_real(item, value)) return value;
  if (Is_real_form(item)) Refuse(record, Quote(item) + " is out of the range of a double");
  Refuse(record, Quote(item) + " is not a number");
}

Control_values Deck_reader::Read_control_values() {
  Control_values values;
  for (const Deck_record_entry& entry : kDeckRecords) {
    const Record record{entry.number, std::string(Record_label(entry))};
    if (const auto text = std::get_if<std::string Control_values::*>(&entry.value)) {
      // The title and the file name: one whole line each.
      values.*(*text) = Read_text(record);
      if (*text == &Control_values::title) {
        const std::string_view title = line_;
        const size_t first = title.find_first_not_of(" \t");
        title_is_comment_ = first != std::string_view::npos && title[first] == '#';
      }
      continue;
    }
    // Every record begins on a new line; the rest of the previous one is discarded.
    Discard_rest_of_line();
    if (const auto integer = std::get_if<int Control_values::*>(&entry.value)) {
      values.*(*integer) = Read_integer(record);
    } else {
      values.*std::get<double Control_values::*>(entry.value) = Read_real(record);
    }
    Check_decimal_commas(record, 1);
  }
  record_number_ = kLastFixedRecord;
  return values;
}

void Deck_reader::Read_point_list(Surface surface, Contour_points& list) {
  Record count{++record_number_, Point_count_name(surface)};
  list.count_record = count.number;
  Discard_rest_of_line();
  list.npts = Read_integer(count);
  list.iref = Read_integer(count);
  Check_decimal_commas(count, 2);
  int capacity = static_cast<int>(list.xy.size() / 2);
  if (list.npts > capacity) {
    Refuse(count, std::to_string(list.npts) + " points do not fit the list of at most " + std::to_string(capacity) +
                      " points");
  }
  for (int n = 1; n <= list.npts; ++n) {
    Record point{++record_number_, std::string(Surface_name(surface)) + " point " + std::to_string(n)};
    Discard_rest_of_line();
    list.xy[2 * (n - 1)] = Read_real(point);
    list.xy[2 * (n - 1) + 1] = Read_real(point);
    Check_decimal_commas(point, 2);
  }
}

bool Deck_reader::Read_following_line(std::string& line, int& number, bool& cut) {
  Discard_rest_of_line();
  if (!Next_line()) return false;
  std::string_view text = line_;
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  line.assign(text);
  number = line_number_;
  cut = cut_;
  position_ = line_.size();
  return true;
}

}  // namespace torvane
