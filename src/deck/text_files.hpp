// The small text files torvane-deck reads (section and parameter files), and
// text from them or from the command line made safe to show in a message or
// a deck note.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace torvane::deck {

// The whole file; throws Input_error ("PATH: why") when it is a folder,
// cannot be opened or read, or is larger than max_bytes (no `what`, then,
// could be this big).
std::string Read_small_file(const std::string& path, std::size_t max_bytes, std::string_view what);

// A blank between items of a line: space, tab, CR, form feed, vertical tab.
bool Is_blank(char c);

// The text without blanks at either end.
std::string_view Trim(std::string_view text);

// The text with every control character (and DEL) shown as '?'.
std::string Printable(std::string_view text);

}  // namespace torvane::deck
