// The small text files torvane-deck reads (section and parameter files) read
// whole; the blanks, Trim and Printable of the base serve their lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/terminal_text.hpp"
#include "base/text.hpp"

namespace torvane::deck {

// The whole file; throws Input_error ("PATH: why") when it is a folder,
// cannot be opened or read, or is larger than max_bytes (no `what`, then,
// could be this big).
std::string Read_small_file(const std::string& path, std::size_t max_bytes, std::string_view what);

}  // namespace torvane::deck
