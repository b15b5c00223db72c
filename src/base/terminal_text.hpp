// Text from files and command lines shown in messages: the bytes a terminal
// would act on (control bytes, DEL) are shown as '?', so a damaged file cannot
// move the cursor, rewrite the line or change the terminal's state.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace torvane {

// What becomes of bytes from 0x80 up: kept (UTF-8 names stay readable) or
// shown as '?' too (torvane's messages have always shown only ASCII).
enum class High_bytes { kept, shown_as_mark };

// True for a byte a terminal acts on: below 0x20, and DEL.
constexpr bool Is_control_byte(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }

// The text with each control byte (and, when asked, each byte from 0x80 up) replaced by `mark`.
std::string Printable(std::string_view text, High_bytes high = High_bytes::kept, char mark = '?');

// The text in double quotes, made printable, cut after `limit` bytes with "..." inside the quotes.
std::string Quoted(std::string_view text, size_t limit = std::string_view::npos, High_bytes high = High_bytes::kept);

}  // namespace torvane
