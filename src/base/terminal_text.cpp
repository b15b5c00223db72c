#include "base/terminal_text.hpp"

namespace torvane {

std::string Printable(std::string_view text, High_bytes high, char mark) {
  std::string shown(text);
  for (char& c : shown) {
    if (Is_control_byte(c) || (high == High_bytes::shown_as_mark && static_cast<unsigned char>(c) >= 0x80)) c = mark;
  }
  return shown;
}

std::string Quoted(std::string_view text, size_t limit, High_bytes high) {
  std::string quoted = "\"";
  quoted.append(Printable(text.substr(0, limit), high));
  if (text.size() > limit) quoted.append("...");
  quoted.push_back('"');
  return quoted;
}

}  // namespace torvane
