// The control input deck: title, file stem, grid counts, blade-row geometry,
// spacings (records 1 to 33) and the hub and casing contour point lists, read
// from a text stream record by record.
#pragma once

#include <cstddef>
#include <istream>
#include <span>
#include <string>
#include <string_view>

#include "base/control_values.hpp"
#include "base/surface.hpp"

namespace torvane {

// Width of the text records.
inline constexpr int kTextLength = 50;

// Characters of an input line that are kept; the rest of a longer line is
// skipped as it is read (a note after the values may be of any length, but a
// value must start and end within them).
inline constexpr std::size_t kMaxLineLength = 65536;

// Reads the deck in order. Every failure (end of input, an item that is not
// a number of the kind the record needs) throws Run_stop with status 2 and a
// diagnostic naming the record, its name, the input line and what was found.
class Deck_reader {
 public:
  explicit Deck_reader(std::istream& in) : in_(in) {}

  // Records 1 to 33.
  Control_values Read_control_values();

  // The count pair and the points of the surface's list. A count above the
  // list capacity is refused before any point is read.
  void Read_point_list(Surface surface, Contour_points& list);

  // The next whole line after the records read so far (the rest of the
  // current one is skipped), without its line end, and its number counted from
  // the deck's first line; false at the end of the input. `cut` tells a line
  // longer than kMaxLineLength.
  bool Read_following_line(std::string& line, int& number, bool& cut);

 private:
  struct Record {
    int number;
    std::string name;
  };

  bool Next_line();
  // The next character of the input; an input that cannot be read stops the run.
  std::char_traits<char>::int_type Next_char();
  // Refuses a record whose line reads as its count of other values with decimal commas.
  void Check_decimal_commas(const Record& record, int count) const;
  void Discard_rest_of_line();
  std::string Read_text(const Record& record);
  std::string_view Next_item(const Record& record);
  int Read_integer(const Record& record);
  double Read_real(const Record& record);
  [[noreturn]] void Refuse(const Record& record, const std::string& reason) const;
  [[noreturn]] void Refuse_beyond_kept_part(const Record& record) const;

  std::istream& in_;
  std::string line_;               // the first kMaxLineLength characters of the current line
  bool cut_ = false;               // the current line was longer
  bool cut_at_separator_ = false;  // its first character not kept is a blank or a comma
  size_t position_ = 0;
  int line_number_ = 0;
  int record_number_ = 0;
  bool title_is_comment_ = false;  // the first line starts with '#'
  int record_line_ = 0;            // input line of the current record's first item (0: none yet)
  std::string record_items_;       // the current record's items as read, joined by blanks
};

// Parses an integer item: an optional sign and digits, within 32 bits.
bool Parse_integer(std::string_view item, int& value);

// Parses a real item: integer, fixed or exponent form (E or D exponent).
bool Parse_real(std::string_view item, double& value);

// The values of a record's line read with its commas between two digits taken
// as decimal commas ("42,5" as 42.5), joined by blanks, when that reading
// begins with exactly `count` numbers and one of them holds such a comma;
// empty otherwise ("0.25,0.5", "129,33" for two values, "60, a note").
std::string Decimal_comma_reading(std::string_view line, int count);

}  // namespace torvane
