#include "inspect/grid_file.hpp"

#include <charconv>
#include <cmath>
#include <string_view>

#include "inspect/text_input.hpp"

namespace torvane::inspect {

namespace {

// Fills values from the blank-separated reals of record 3, starting at column `at` + 1.
// Returns the position after the last number read.
std::size_t Read_block(const Text_file& file, const Record& record, std::size_t at, std::vector<double>& values,
                       std::size_t first_item, std::size_t all_items) {
  const std::string_view text = record.text;
  const char* const base = text.data();
  const char* const end = base + text.size();
  const char* p = base + at;
  for (std::size_t n = 0; n < values.size(); ++n) {
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p == end) {
      Refuse(file.path(), record.number, static_cast<long>(p - base) + 1,
             "the record ends after " + std::to_string(first_item + n) + " of " + std::to_string(all_items) +
                 " coordinates (the file is cut short)");
    }
    const char* start = p;
    if (*p == '+' && p + 1 < end && p[1] != '-') ++p;
    double value;
    auto result = std::from_chars(p, end, value);
    const char* stop = result.ptr;
    if (result.ec != std::errc() || (stop < end && *stop != ' ' && *stop != '\t') || !std::isfinite(value)) {
      while (stop < end && *stop != ' ' && *stop != '\t') ++stop;
      std::string field(start, static_cast<std::size_t>(std::min<std::ptrdiff_t>(stop - start, 40)));
      Refuse(file.path(), record.number, static_cast<long>(start - base) + 1,
             "coordinate " + std::to_string(first_item + n + 1) + ": \"" + field + "\" is not a finite number");
    }
    values[n] = value;
    p = stop;
  }
  return static_cast<std::size_t>(p - base);
}

}  // namespace

Grid Read_grid_file(const std::string& path) {
  Text_file file(path);
  Record head = file.Expect("record 1, the text 0.0");
  {
    Fields fields(file, head);
    std::string_view field;
    if (!fields.Next(field) || field != "0.0") {
      Refuse(path, head.number, fields.column(), "expected the text 0.0 that opens a grid file");
    }
    fields.Expect_end("0.0");
  }
  Record sizes = file.Expect("record 2, the block count and interval numbers");
  Grid grid;
  {
    Fields fields(file, sizes);
    int blocks = fields.Integer("block count");
    if (blocks != 1) fields.Refuse_here("block count " + std::to_string(blocks) + ": an H-grid file holds 1 block");
    int* points[3] = {&grid.ie, &grid.je, &grid.ke};
    const char* names[3] = {"i intervals", "j intervals", "k intervals"};
    for (int d = 0; d < 3; ++d) {
      int intervals = fields.Integer(names[d]);
      if (intervals < 1) fields.Refuse_here(std::string(names[d]) + ": " + std::to_string(intervals) + " is not at least 1");
      if (intervals > 100000) fields.Refuse_here(std::string(names[d]) + ": " + std::to_string(intervals) + " is implausibly large");
      *points[d] = intervals + 1;
    }
    fields.Expect_end("the three interval numbers");
  }
  const std::size_t n = grid.points();
  Record data = file.Expect("record 3, the coordinates");
  // Every coordinate needs at least a digit and a separator: refuse a cut file before allocating.
  if (data.text.size() < 3 * n * 2 - 1) {
    Refuse(path, data.number, static_cast<long>(data.text.size()) + 1,
           "the record ends after " + std::to_string(data.text.size()) + " characters, too short for " +
               std::to_string(3 * n) + " coordinates (the file is cut short)");
  }
  grid.x.resize(n);
  grid.y.resize(n);
  grid.z.resize(n);
  std::size_t at = Read_block(file, data, 0, grid.x, 0, 3 * n);
  at = Read_block(file, data, at, grid.y, n, 3 * n);
  at = Read_block(file, data, at, grid.z, 2 * n, 3 * n);
  const std::string_view rest = data.text.substr(at);
  std::size_t extra = rest.find_first_not_of(" \t");
  if (extra != std::string_view::npos) {
    Refuse(path, data.number, static_cast<long>(at + extra) + 1,
           "more than the " + std::to_string(3 * n) + " coordinates of " + std::to_string(grid.ie) + " x " +
               std::to_string(grid.je) + " x " + std::to_string(grid.ke) + " points");
  }
  if (!data.ended) {
    Refuse(path, data.number, static_cast<long>(data.text.size()) + 1,
           "the record has no line end (the file is cut short)");
  }
  file.Expect_end();
  return grid;
}

}  // namespace torvane::inspect
