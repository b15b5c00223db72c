#include "inspect/run_files/grid_file.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/terminal_text.hpp"
#include "base/text.hpp"
#include "inspect/run_files/large_arrays.hpp"
#include "inspect/run_files/text_input.hpp"

namespace torvane::inspect {

namespace {

// Records 1 and 2 are a few characters long; more than this is not a grid file.
constexpr std::size_t kShortRecord = 4096;
// Bytes kept in view while parsing coordinates, so that no number is cut by the window's end.
constexpr std::size_t kLookahead = std::size_t{1} << 16;

// The run files torvane writes separate their numbers by spaces alone; tabs are read as well.
constexpr bool Is_blank(char c) { return torvane::Is_blank(c, Blanks::space_tab); }

// Reads one short record from the stream, as the text readers see records.
Record Short_record(Block_stream& in, long number, const char* what) {
  const std::string_view w = in.Window(kShortRecord);
  if (w.empty()) Refuse(in.path(), number, 0, std::string("missing (the file ends before ") + what + ")");
  const std::size_t newline = w.find('\n');
  if (newline == std::string_view::npos && w.size() >= kShortRecord) {
    Refuse(in.path(), number, static_cast<long>(kShortRecord), std::string("too long for ") + what);
  }
  Record r;
  r.number = number;
  r.ended = newline != std::string_view::npos;
  std::size_t length = r.ended ? newline : w.size();
  r.text = w.substr(0, length);
  if (r.ended && length > 0 && w[length - 1] == '\r') r.text = w.substr(0, length - 1);
  in.Consume(length + (r.ended ? 1 : 0));
  return r;
}

// Parses the 3 n coordinates of record 3 into x, y, z, then the record's end.
class Coordinate_parser {
 public:
  Coordinate_parser(Block_stream& in, std::size_t items) : in_(in), items_(items), start_(in.offset()) { Refill(); }

  // Appends n coordinates to values, whose room is reserved (filling it with zeros first cost 20 MB of writes).
  void Fill(std::vector<double>& values, std::size_t first_item, std::size_t n) {
    for (std::size_t m = 0; m < n; ++m) values.push_back(Next(first_item + m));
  }

  // Checks that only blanks and the line end follow the last coordinate.
  void Finish(const Grid& grid) {
    for (;;) {
      while (p_ < end_ && Is_blank(*p_)) ++p_;
      if (p_ < end_ || !Refill_if_short()) break;
    }
    if (end_ - p_ < 2) Refill_if_short();
    if (p_ < end_ && *p_ == '\r' && p_ + 1 < end_ && p_[1] == '\n') ++p_;
    if (p_ == end_ || (*p_ == '\r' && p_ + 1 == end_))
      Refuse_here("the record has no line end (the file is cut short)");
    if (*p_ != '\n') {
      Refuse_here("more than the " + std::to_string(items_) + " coordinates of " + std::to_string(grid.ie) + " x " +
                  std::to_string(grid.je) + " x " + std::to_string(grid.ke) + " points");
    }
    in_.Consume(static_cast<std::size_t>(p_ + 1 - window_));
  }

 private:
  double Next(std::size_t item) {
    for (;;) {
      Skip_blanks();
      if (end_ - p_ < 64 && Refill_if_short()) continue;
      if (p_ == end_ || *p_ == '\r' || *p_ == '\n') {
        Refuse_here("the record ends after " + std::to_string(item) + " of " + std::to_string(items_) +
                    " coordinates (the file is cut short)");
      }
      const char* start = p_;
      if (*p_ == '+' && p_ + 1 < end_ && p_[1] != '-') ++p_;
      double value;
      const auto result = std::from_chars(p_, end_, value);
      // A number running into the window's end may go on in the next block: look again with more in view.
      if (result.ptr == end_ && !in_.at_end() && !retried_) {
        p_ = start;
        retried_ = true;
        Refill();
        continue;
      }
      retried_ = false;
      const char* stop = result.ptr;
      if (result.ec != std::errc() || (stop < end_ && !Is_blank(*stop) && *stop != '\r' && *stop != '\n') ||
          !std::isfinite(value)) {
        while (stop < end_ && !Is_blank(*stop) && *stop != '\r' && *stop != '\n') ++stop;
        p_ = start;
        const std::string_view field(start, static_cast<std::size_t>(stop - start));
        Refuse_here("coordinate " + std::to_string(item + 1) + ": " + Quoted(field, kShownField) +
                    " is not a finite number");
      }
      p_ = stop;
      return value;
    }
  }

  // Moves p_ past blanks, eight characters at a time where as many are in view
  // (a list write puts two to eight blanks before each number).
  void Skip_blanks() {
    constexpr std::uint64_t kOnes = 0x0101010101010101, kHigh = 0x8080808080808080, kLow = 0x7F7F7F7F7F7F7F7F;
    while (end_ - p_ >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p_, sizeof word);
      // A byte's high bit set exactly where the byte equals c (no carry reaches across bytes).
      auto equal = [&](unsigned char c) {
        const std::uint64_t x = word ^ (kOnes * c);
        return ~(((x & kLow) + kLow) | x) & kHigh;
      };
      const std::uint64_t other = ~(equal(' ') | equal('\t')) & kHigh;
      if (other != 0) {
        // The first character in the file's order is the lowest byte of the word.
        p_ += std::endian::native == std::endian::little ? std::countr_zero(other) / 8 : std::countl_zero(other) / 8;
        return;
      }
      p_ += 8;
    }
    while (p_ < end_ && Is_blank(*p_)) ++p_;
  }

  // Moves the window on to the unparsed text; false when nothing more can come.
  bool Refill_if_short() {
    if (in_.at_end()) return false;
    const std::size_t before = static_cast<std::size_t>(end_ - p_);
    Refill();
    return static_cast<std::size_t>(end_ - p_) > before || !in_.at_end();
  }

  void Refill() {
    in_.Consume(static_cast<std::size_t>(p_ - window_));
    const std::string_view w = in_.Window(kLookahead);
    window_ = p_ = w.data();
    end_ = w.data() + w.size();
  }

  [[noreturn]] void Refuse_here(const std::string& what) const {
    const std::size_t at = in_.offset() + static_cast<std::size_t>(p_ - window_);
    Refuse(in_.path(), 3, static_cast<long>(at - start_) + 1, what);
  }

  Block_stream& in_;
  std::size_t items_;
  std::size_t start_;  // file offset of the record
  const char* window_ = nullptr;
  const char* p_ = nullptr;
  const char* end_ = nullptr;
  bool retried_ = false;
};

}  // namespace

Grid Read_grid_file(const std::string& path) {
  Block_stream in(path);
  const Record head = Short_record(in, 1, "record 1, the text 0.0");
  {
    Fields fields(path, head);
    std::string_view field;
    if (!fields.Next(field) || field != "0.0") {
      Refuse(path, head.number, fields.column(), "expected the text 0.0 that opens a grid file");
    }
    fields.Expect_end("0.0");
  }
  const Record sizes = Short_record(in, 2, "record 2, the block count and interval numbers");
  Grid grid;
  {
    Fields fields(path, sizes);
    const int blocks = fields.Integer("block count");
    if (blocks != 1) fields.Refuse_here("block count " + std::to_string(blocks) + ": an H-grid file holds 1 block");
    int* points[3] = {&grid.ie, &grid.je, &grid.ke};
    const char* names[3] = {"i intervals", "j intervals", "k intervals"};
    for (int d = 0; d < 3; ++d) {
      const int intervals = fields.Integer(names[d]);
      if (intervals < 1)
        fields.Refuse_here(std::string(names[d]) + ": " + std::to_string(intervals) + " is not at least 1");
      if (intervals > 100000)
        fields.Refuse_here(std::string(names[d]) + ": " + std::to_string(intervals) + " is implausibly large");
      *points[d] = intervals + 1;
    }
    fields.Expect_end("the three interval numbers");
  }
  const std::size_t n = grid.points();
  if (in.Window(1).empty()) Refuse(path, 3, 0, "missing (the file ends before record 3, the coordinates)");
  // Every coordinate needs a digit and a separator: refuse a cut file before allocating for it.
  const std::size_t left = in.file_size() > in.offset() ? in.file_size() - in.offset() : 0;
  if (in.file_size() > 0 && left < 3 * n * 2 - 1) {
    const std::string_view w = in.Window(left + 1);
    std::size_t length = w.find('\n');
    length = length == std::string_view::npos ? w.size() : length;
    if (length > 0 && w[length - 1] == '\r') --length;
    Refuse(path, 3, static_cast<long>(length) + 1,
           "the record ends after " + std::to_string(length) + " characters, too short for " + std::to_string(3 * n) +
               " coordinates (the file is cut short)");
  }
  for (std::vector<double>* values : {&grid.x, &grid.y, &grid.z}) Reserve_large(*values, n);
  Coordinate_parser parser(in, 3 * n);
  parser.Fill(grid.x, 0, n);
  parser.Fill(grid.y, n, n);
  parser.Fill(grid.z, 2 * n, n);
  parser.Finish(grid);
  // Only empty records may follow.
  long record = 4;
  for (std::string_view w = in.Window(kLookahead); !w.empty(); w = in.Window(kLookahead)) {
    for (char c : w) {
      if (c == '\n') {
        ++record;
      } else if (!Is_blank(c) && c != '\r') {
        Refuse(path, record, 1, "unexpected record after the end of the data");
      }
    }
    in.Consume(w.size());
  }
  return grid;
}

}  // namespace torvane::inspect
