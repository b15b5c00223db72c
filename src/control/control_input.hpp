// The control input deck: title, file stem, grid counts, blade-row geometry,
// spacings (records 1 to 33) and the hub and casing contour point lists, read
// from a text stream record by record.
#pragma once

#include <cstddef>
#include <istream>
#include <span>
#include <string>
#include <string_view>

namespace torvane {

// Largest number of points of a contour point list.
inline constexpr int kMaxContourPoints = 257;

// Width of the text records.
inline constexpr int kTextLength = 50;

// Characters of an input line that are kept; the rest of a longer line is
// skipped as it is read (a note after the values may be of any length, but a
// value must start and end within them).
inline constexpr std::size_t kMaxLineLength = 65536;

// The named values of records 1 to 33; angles in degrees until the set-up
// converts them to radians in place.
struct Control_values {
  std::string title;   // record 1, 50 characters
  std::string fname;   // record 2, 50 characters: the stem of the output files
  int nblade = 0;      // intervals along the blade contour, both sides
  int nin = 0;         // streamwise intervals inlet to leading edge
  int nout = 0;        // streamwise intervals trailing edge to outlet
  int npitch = 0;      // intervals across the pitch
  int nspan = 0;       // intervals hub to casing
  int nbrow = 0;       // blades in the row
  double betain = 0;   // angle of the upstream grid lines
  double betaout = 0;  // angle of the downstream grid lines
  double staghub = 0;  // stagger of the hub section
  double stagcas = 0;  // stagger of the casing section
  double sweep = 0;
  double lean = 0;
  double chordhub = 0;
  double chordcas = 0;
  double rhub = 0;
  double rcas = 0;
  double lin = 0;     // axial distance inlet to leading edge
  double lx = 0;      // axial distance inlet to outlet
  int nwall = 0;      // growing pitchwise intervals at the blade walls
  int nwallhc = 0;    // growing spanwise intervals at hub and casing
  double ratio = 0;   // growth ratio of the wall intervals
  double dsle = 0;    // first streamwise interval at the leading edge
  double dywle = 0;   // first pitchwise wall interval, leading-edge line
  double dzwall = 0;  // first spanwise interval at hub and casing
  double dste = 0;    // first streamwise interval at the trailing edge
  double dywte = 0;   // first pitchwise wall interval, trailing-edge line
  double unused29 = 0;
  double dyout = 0;  // first pitchwise interval at the outlet line ends
  double unused31 = 0;
  int ibez = 0;  // 1: one-shot Bezier approximation of the contours
  double unused33 = 0;
};

// A contour point list: the count, the reference point and the (x, y) pairs
// in the run control's storage.
struct Contour_points {
  int count_record = 0;  // record number of the count pair, for messages
  int npts = 0;
  int iref = 0;
  std::span<double> xy;  // room for kMaxContourPoints pairs
};

// Reads the deck in order. Every failure (end of input, an item that is not
// a number of the kind the record needs) throws Run_stop with status 2 and a
// diagnostic naming the record, its name, the input line and what was found.
class Deck_reader {
 public:
  explicit Deck_reader(std::istream& in) : in_(in) {}

  // Records 1 to 33.
  Control_values Read_control_values();

  // The count pair and the points of one list; `which` is "hub" or "casing".
  // A count above the list capacity is refused before any point is read.
  void Read_point_list(std::string_view which, Contour_points& list);

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
  int record_line_ = 0;       // input line of the current record's first item (0: none yet)
  std::string record_items_;  // the current record's items as read, joined by blanks
};

// Parses an integer item: an optional sign and digits, within 32 bits.
bool Parse_integer(std::string_view item, int& value);

// Parses a real item: integer, fixed or exponent form (E or D exponent).
bool Parse_real(std::string_view item, double& value);

// The values of a record's line read with its commas between two digits taken
// as decimal commas ("42,5" as 42.5), joined by blanks, when that reading
// begins with exactly `count` numbers and one of them holds such a comma;
// empty otherwise ("0.25,0.5", "129,65" for two values, "60, a note").
std::string Decimal_comma_reading(std::string_view line, int count);

}  // namespace torvane
