#include "support/run_files.hpp"

#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include "support/decks.hpp"

namespace torvane::testing {

namespace {

// The records of a text whose every record ends with CR LF; false if one does not.
bool Split_records(const std::string& text, std::vector<std::string_view>& records) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) return false;
    records.emplace_back(text.data() + start, end - start);
    start = end + 2;
  }
  return true;
}

bool Finite_number(std::string_view field) {
  while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
  while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
  double value = 0;
  auto result = std::from_chars(field.data(), field.data() + field.size(), value);
  return result.ec == std::errc() && result.ptr == field.data() + field.size() && std::isfinite(value);
}

std::string Check_grid_file(const std::string& path, long points) {
  const std::string text = Read_file(path);
  std::vector<std::string_view> records;
  if (!Split_records(text, records)) return path + ": a record does not end with CR LF";
  if (records.size() != 3) return path + ": " + std::to_string(records.size()) + " records instead of 3";
  if (records[0] != "0.0" || records[1].size() != 13) return path + ": malformed header";
  if (static_cast<long>(records[2].size()) != 26 * 3 * points) return path + ": coordinate record of wrong length";
  for (long n = 0; n < 3 * points; ++n) {
    if (!Finite_number(records[2].substr(static_cast<size_t>(26 * n), 26))) {
      return path + ": coordinate " + std::to_string(n + 1) + " is not a finite number";
    }
  }
  return "";
}

std::string Check_topology_file(const std::string& path) {
  const std::string text = Read_file(path);
  std::vector<std::string_view> records;
  if (!Split_records(text, records)) return path + ": a record does not end with CR LF";
  const size_t lengths[19] = {46, 1, 3, 1, 14, 59, 26, 59, 26, 59, 26, 59, 26, 59, 59, 59, 59, 59, 59};
  if (records.size() != 19) return path + ": " + std::to_string(records.size()) + " records instead of 19";
  for (size_t r = 0; r < 19; ++r) {
    if (records[r].size() != lengths[r]) return path + ": record " + std::to_string(r + 1) + " of wrong length";
  }
  return "";
}

std::string Check_plot_file(const std::string& path, long points) {
  const std::string text = Read_file(path);
  std::vector<std::string_view> records;
  if (!Split_records(text, records)) return path + ": a record does not end with CR LF";
  if (static_cast<long>(records.size()) != 3 + points) {
    return path + ": " + std::to_string(records.size()) + " records instead of " + std::to_string(3 + points);
  }
  if (records[0].size() != 60 || records[2].size() != 45) return path + ": malformed header";
  for (long n = 0; n < points; ++n) {
    std::string_view record = records[static_cast<size_t>(3 + n)];
    if (record.size() != 45) return path + ": point record " + std::to_string(n + 1) + " of wrong length";
    for (size_t f = 0; f < 3; ++f) {
      // The fraction and the exponent part (E+dd, or +ddd without the letter).
      std::string_view field = record.substr(15 * f, 15);
      size_t sign = field.find_last_of("+-");
      bool well_formed = sign != std::string_view::npos && sign > 0;
      if (well_formed) {
        size_t fraction_end = field[sign - 1] == 'E' ? sign - 1 : sign;
        int exponent = 0;
        auto result = std::from_chars(field.data() + sign + 1, field.data() + field.size(), exponent);
        well_formed = Finite_number(field.substr(0, fraction_end)) && result.ec == std::errc() &&
                      result.ptr == field.data() + field.size();
      }
      if (!well_formed) return path + ": point record " + std::to_string(n + 1) + " is not finite";
    }
  }
  return "";
}

}  // namespace

std::string Check_run_files(const std::string& stem, int ie, int je, int ke) {
  long points = static_cast<long>(ie) * je * ke;
  std::string problem = Check_grid_file(stem + ".rgra", points);
  if (problem.empty()) problem = Check_topology_file(stem + ".rtp");
  if (problem.empty()) problem = Check_plot_file(stem + "_grid_volume.plt", points);
  return problem;
}

}  // namespace torvane::testing
