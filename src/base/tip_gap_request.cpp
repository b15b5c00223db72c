#include "base/tip_gap_request.hpp"

#include <charconv>
#include <cmath>

namespace torvane {

namespace {

// A whole decimal number of `text` and nothing else.
std::optional<double> Real_of(std::string_view text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || ptr != end) return std::nullopt;
  return value;
}

// The value as the user gave it, quoted, and what is wrong with it.
std::string Quoted(std::string_view text, std::string_view why) {
  std::string out = "\"";
  out.append(text);
  out.append("\" ");
  out.append(why);
  return out;
}

}  // namespace

Tip_gap_parse Parse_tip_gap(std::string_view text) {
  Tip_gap_parse parse;
  Tip_gap_request request;
  std::string_view number = text;
  if (number.ends_with('%')) {
    request.percent_of_span = true;
    number.remove_suffix(1);
  }
  const std::optional<double> value = Real_of(number);
  if (!value || !std::isfinite(*value)) {
    parse.problem = Quoted(text, "is not a length or a per cent of span (for example 0.5 or 0.2%)");
    return parse;
  }
  if (!(*value > 0)) {
    parse.problem = Quoted(text, "is no gap: the tip clearance must be greater than 0");
    return parse;
  }
  if (request.percent_of_span && *value > 100.0 * kLargestGapShare) {
    parse.problem = Quoted(text, "is more than a quarter of the span");
    return parse;
  }
  request.value = *value;
  parse.request = request;
  return parse;
}

Gap_cells_parse Parse_gap_cells(std::string_view text) {
  Gap_cells_parse parse;
  int cells = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, cells);
  if (error != std::errc() || ptr != end || text.empty()) {
    parse.problem = Quoted(text, "is not a whole number of cells");
  } else if (cells < 1) {
    parse.problem = Quoted(text, "cells: the gap needs at least 1");
  } else {
    parse.cells = cells;
  }
  return parse;
}

std::string Parse_tip_pinch(std::string_view text, Tip_gap_request& request) {
  if (text == "auto") {
    request.pinch = 0;
    request.pinch_percent_of_span = false;
    request.pinch_auto = true;
    return {};
  }
  std::string_view number = text;
  const bool percent = number.ends_with('%');
  if (percent) number.remove_suffix(1);
  const std::optional<double> value = Real_of(number);
  if (!value || !std::isfinite(*value)) {
    return Quoted(text, "is not a length, a per cent of span or auto (for example 0.001, 2% or auto)");
  }
  if (*value < 0) return Quoted(text, "is no pinch: the height below the tip cannot be negative");
  if (percent && *value >= 100.0) return Quoted(text, "is the whole span or more");
  request.pinch = *value;
  request.pinch_percent_of_span = percent;
  request.pinch_auto = false;
  return {};
}

namespace {

// The shortest text that reads back to the same double, `%` when of span.
std::string Shortest_text(double value, bool percent) {
  char text[40];
  const auto r = std::to_chars(text, text + sizeof text, value);
  std::string out(text, r.ptr);
  if (percent) out += '%';
  return out;
}

}  // namespace

std::string Tip_gap_text(const Tip_gap_request& request) {
  return Shortest_text(request.value, request.percent_of_span);
}

std::string Tip_pinch_text(const Tip_gap_request& request) {
  if (request.pinch_auto) return "auto";
  return Shortest_text(request.pinch, request.pinch_percent_of_span);
}

}  // namespace torvane
