// Reading text a line at a time: which bytes count as blanks between the
// items of a line, and a line without blanks at either end.
#pragma once

#include <string_view>

namespace torvane {

// The blanks a reader takes between items. Every reader takes space and tab;
// torvane's deck reader takes CR too (a deck saved with CR LF line ends), and
// torvane-deck's readers of hand-edited files form feed and vertical tab as well.
enum class Blanks { space_tab, with_cr, all_but_newline };

// True when c separates items under the given rule.
constexpr bool Is_blank(char c, Blanks blanks = Blanks::all_but_newline) {
  if (c == ' ' || c == '\t') return true;
  if (blanks == Blanks::space_tab) return false;
  if (c == '\r') return true;
  return blanks == Blanks::all_but_newline && (c == '\f' || c == '\v');
}

// The text without blanks at either end.
constexpr std::string_view Trim(std::string_view text, Blanks blanks = Blanks::all_but_newline) {
  while (!text.empty() && Is_blank(text.front(), blanks)) text.remove_prefix(1);
  while (!text.empty() && Is_blank(text.back(), blanks)) text.remove_suffix(1);
  return text;
}

}  // namespace torvane
