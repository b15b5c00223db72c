#include "deck/airfoil_file.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <system_error>

#include "deck/text_files.hpp"

namespace torvane::deck {

namespace {

[[noreturn]] void Refuse(const std::string& path, long line, const std::string& why) {
  throw Input_error(Printable(path) + ", line " + std::to_string(line) + ": " + why);
}

// Far more than the most points a file may hold, written out.
constexpr size_t kMaxFileBytes = size_t{16} << 20;

// The line as a message quotes it: at most 40 characters.
std::string Quoted(std::string_view text) {
  text = Trim(text);
  std::string quoted = "\"";
  if (text.size() > 40) {
    quoted.append(Printable(text.substr(0, 40))).append("...");
  } else {
    quoted.append(Printable(text));
  }
  quoted.push_back('"');
  return quoted;
}

// A finite number in plain decimal form (sign, digits, point, exponent).
bool Parse_number(std::string_view item, double& value) {
  const bool plus = !item.empty() && item.front() == '+';
  if (plus) item.remove_prefix(1);
  if (item.empty() || item.front() == '+' || (plus && item.front() == '-')) return false;
  const char first = item.front() == '-' && item.size() > 1 ? item[1] : item.front();
  if (!(std::isdigit(static_cast<unsigned char>(first)) || first == '.')) return false;  // no inf, nan
  const auto result = std::from_chars(item.data(), item.data() + item.size(), value, std::chars_format::general);
  return result.ec == std::errc() && result.ptr == item.data() + item.size() && std::isfinite(value);
}

// One data line: exactly two numbers separated by blanks.
Point Parse_point(const std::string& path, long line_number, std::string_view line) {
  std::vector<std::string_view> items;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && Is_blank(line[at])) ++at;
    if (at == line.size()) break;
    const size_t start = at;
    while (at < line.size() && !Is_blank(line[at])) ++at;
    items.push_back(line.substr(start, at - start));
    if (items.size() > 2) break;
  }
  if (items.size() != 2) {
    Refuse(path, line_number, "expected two numbers, x and y, found " + Quoted(line));
  }
  Point point{};
  if (!Parse_number(items[0], point.x)) {
    Refuse(path, line_number, "x " + Quoted(items[0]) + " is not a number");
  }
  if (!Parse_number(items[1], point.y)) {
    Refuse(path, line_number, "y " + Quoted(items[1]) + " is not a number");
  }
  // One mistyped exponent would stretch the chord until every other point merged into one.
  const bool x_far = !(std::fabs(point.x) <= kLargestCoordinate);
  if (x_far || !(std::fabs(point.y) <= kLargestCoordinate)) {
    Refuse(path, line_number,
           std::string(x_far ? "x " : "y ") + Quoted(x_far ? items[0] : items[1]) + " is larger than " +
               std::to_string(static_cast<long>(kLargestCoordinate)) +
               " in size; a section's points lie within a few chords of each other (a mistyped exponent?)");
  }
  return point;
}

// A line of exactly two numbers.
bool Is_point_line(std::string_view line) {
  line = Trim(line);
  const size_t blank = line.find_first_of(" \t");
  if (blank == std::string_view::npos) return false;
  double x = 0, y = 0;
  return Parse_number(line.substr(0, blank), x) && Parse_number(Trim(line.substr(blank)), y);
}

// A whole number of at least 2 written as a real or an integer ("17." or "17").
bool Is_side_count(double value) { return value >= 2 && value <= kMaxFilePoints && value == std::floor(value); }

// A line of the file and its number from 1.
struct Text_line {
  long number;
  std::string_view text;
};

struct Data_line {
  long number;
  Point point;
};

// A comment line: its first character other than a blank is '#'.
bool Is_comment(std::string_view line) {
  line = Trim(line);
  return !line.empty() && line.front() == '#';
}

// The name line (the first line that is not a comment, blank or not) and the
// lines after it that are neither blank nor comments; a NUL character anywhere
// is refused.
std::vector<Text_line> Content_lines(const std::string& path, std::string_view text) {
  std::vector<Text_line> lines;
  long number = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++number;
    if (line.find('\0') != std::string_view::npos) Refuse(path, number, "a NUL character: not a text file");
    if (Is_comment(line) || (!lines.empty() && Trim(line).empty())) continue;
    if (lines.size() > static_cast<size_t>(kMaxFilePoints) + 1) {  // the name, a Lednicer count line and the points
      Refuse(path, number, "more than " + std::to_string(kMaxFilePoints) + " points");
    }
    lines.push_back({number, line});
  }
  return lines;
}

// The section's name from the first content line, which must not be coordinates.
std::string Name_of(const std::string& path, const Text_line& line) {
  if (Is_point_line(line.text)) {
    Refuse(path, line.number,
           "expected the section's name, found coordinates " + Quoted(line.text) +
               "; a Selig or Lednicer file starts with a name line");
  }
  return std::string(Trim(line.text));
}

// Lednicer when the first data line holds two whole counts and either they
// match the points that follow or these start at the leading edge (the
// smallest x), as a Lednicer side does; a Selig file in large units may start
// with whole numbers too, but at its trailing edge.
bool Is_lednicer(const std::vector<Data_line>& data) {
  const Point counts = data.front().point;
  if (!(Is_side_count(counts.x) && Is_side_count(counts.y) && data.size() > 1)) return false;
  if (static_cast<size_t>(counts.x + counts.y) == data.size() - 1) return true;
  for (size_t n = 2; n < data.size(); ++n) {
    if (data[n].point.x < data[1].point.x) return false;
  }
  return true;
}

// The Selig loop of a Lednicer file: the upper side turned round (trailing
// edge to leading edge), then the lower side.
std::vector<Point> Lednicer_loop(const std::string& path, const std::vector<Data_line>& data) {
  const size_t upper = static_cast<size_t>(data.front().point.x);
  const size_t lower = static_cast<size_t>(data.front().point.y);
  const size_t given = data.size() - 1;
  const std::string announced = "line " + std::to_string(data.front().number) + " announces " + std::to_string(upper) +
                                " upper and " + std::to_string(lower) + " lower points";
  if (given < upper + lower) {
    throw Input_error(Printable(path) + ": " + announced + " (Lednicer format), but only " + std::to_string(given) +
                      " points follow");
  }
  if (given > upper + lower) {
    Refuse(path, data[1 + upper + lower].number,
           "a point beyond the " + std::to_string(upper + lower) + " that " + announced + " (Lednicer format)");
  }
  std::vector<Point> loop;
  for (size_t n = upper; n >= 1; --n) loop.push_back(data[n].point);
  for (size_t n = upper + 1; n <= upper + lower; ++n) {
    if (n == upper + 1 && data[n].point == data[1].point) continue;  // the shared leading edge
    loop.push_back(data[n].point);
  }
  return loop;
}

// The loop of a Selig file: the points in the file's order.
std::vector<Point> Selig_loop(const std::string& path, const std::vector<Data_line>& data) {
  if (data.size() > static_cast<size_t>(kMaxFilePoints)) {
    Refuse(path, data.back().number, "more than " + std::to_string(kMaxFilePoints) + " points");
  }
  std::vector<Point> loop;
  for (const Data_line& line : data) loop.push_back(line.point);
  return loop;
}

}  // namespace

Airfoil_file Parse_airfoil_text(const std::string& path, std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark
  const std::vector<Text_line> lines = Content_lines(path, text);
  const std::string shown = Printable(path);
  if (lines.empty()) {
    throw Input_error(shown + (text.empty() ? ": the file is empty" : ": the file holds only comment lines") +
                      "; expected a name line and the points");
  }
  Airfoil_file file;
  file.path = path;
  file.name = Name_of(path, lines.front());
  std::vector<Data_line> data;
  for (size_t n = 1; n < lines.size(); ++n) {
    data.push_back({lines[n].number, Parse_point(path, lines[n].number, lines[n].text)});
  }
  if (data.empty()) throw Input_error(shown + ": no points follow the name line");
  file.format = Is_lednicer(data) ? Airfoil_format::lednicer : Airfoil_format::selig;
  file.loop = file.format == Airfoil_format::lednicer ? Lednicer_loop(path, data) : Selig_loop(path, data);
  return file;
}

Airfoil_file Read_airfoil_file(const std::string& path) {
  return Parse_airfoil_text(path, Read_small_file(path, kMaxFileBytes, "section file"));
}

}  // namespace torvane::deck
