#include "base/rotor_speed.hpp"

#include <charconv>
#include <cmath>

#include "base/terminal_text.hpp"

namespace torvane {

Rotor_speed_parse Rotor_speed_of(std::string_view text, std::optional<double> value) {
  Rotor_speed_parse parse;
  std::string quoted(1, '"');
  quoted.append(Printable(text.substr(0, 40), High_bytes::shown_as_mark)).push_back('"');
  if (!value || !std::isfinite(*value)) {
    parse.problem = quoted + " is not a speed in rpm (for example 17189, or 0 for a stationary row)";
  } else if (*value < 0) {
    parse.problem = quoted +
                    " is below 0: give the speed without a sign; the sense of rotation follows from the grid's "
                    "blade angles";
  } else {
    parse.rpm = value;
  }
  return parse;
}

Rotor_speed_parse Parse_rotor_speed(std::string_view text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, error] = std::from_chars(text.data(), end, value);
  const bool number = !text.empty() && error == std::errc() && ptr == end;
  return Rotor_speed_of(text, number ? std::optional<double>(value) : std::nullopt);
}

std::string Rotor_speed_text(double rpm) {
  char text[40];
  const auto r = std::to_chars(text, text + sizeof text, rpm);
  return std::string(text, r.ptr);
}

std::string Machine_file_text(double rpm) {
  return "# Machine data of the grid's blade row (torvane)\r\nrpm " + Rotor_speed_text(rpm) + "\r\n";
}

}  // namespace torvane
