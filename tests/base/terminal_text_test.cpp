#include "base/terminal_text.hpp"

#include <string>

#include <gtest/gtest.h>

#include "base/text.hpp"

namespace torvane {
namespace {

TEST(Printable, ShowsEveryByteATerminalActsOnAsAMark) {
  struct Case {
    std::string text;
    High_bytes high;
    std::string shown;
  } cases[] = {
      {"rotor.rgra", High_bytes::kept, "rotor.rgra"},
      {"\x1b[2J\x1b]0;owned\x07", High_bytes::kept, "?[2J?]0;owned?"},  // clear screen, set the window title
      {"1.0\r9.9", High_bytes::kept, "1.0?9.9"},                        // CR would overwrite the line
      {"a\tb\nc", High_bytes::kept, "a?b?c"},
      {std::string("a\0b", 3), High_bytes::kept, "a?b"},
      {"del\x7f", High_bytes::kept, "del?"},
      {"Schaufel_\xc3\xa4", High_bytes::kept, "Schaufel_\xc3\xa4"},  // UTF-8 names stay readable
      {"Schaufel_\xc3\xa4", High_bytes::shown_as_mark, "Schaufel_??"},
      {"\x9b"
       "2J",
       High_bytes::shown_as_mark, "?2J"},  // the 8-bit control sequence introducer
      {"~ }", High_bytes::shown_as_mark, "~ }"},
  };
  for (const Case& c : cases) EXPECT_EQ(Printable(c.text, c.high), c.shown) << c.shown;
}

TEST(Quoted, CutsAfterTheLimitInsideTheQuotes) {
  const std::string forty(40, '7');
  struct Case {
    std::string text;
    size_t limit;
    std::string quoted;
  } cases[] = {
      {forty, 40, "\"" + forty + "\""},
      {forty + "8", 40, "\"" + forty + "...\""},
      {"", 40, "\"\""},
      {"1.0e\x1b[31m", 40, "\"1.0e?[31m\""},
      {"\x1b[31m" + forty, 3, "\"?[3...\""},
      {"no limit at all", std::string_view::npos, "\"no limit at all\""},
  };
  for (const Case& c : cases) EXPECT_EQ(Quoted(c.text, c.limit), c.quoted) << c.quoted;
}

TEST(Trim, DropsBlanksAtBothEndsOnly) {
  EXPECT_EQ(Trim(" \t nin = 20 \r\f"), "nin = 20");
  EXPECT_EQ(Trim(" \t\r "), "");
  EXPECT_EQ(Trim("\r20\r", Blanks::space_tab), "\r20\r");
  EXPECT_EQ(Trim("\n20\n"), "\n20\n");
}

}  // namespace
}  // namespace torvane
