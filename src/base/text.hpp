// Reading text a line at a time: which bytes count as blanks between the
// items of a line, and a line without blanks at either end.
#pragma once

#include <string_view>
#include <vector>

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

// The items of a line, separated by blanks (every blank but the newline) or
// commas: the curve lists of a flow path and the deck's block take them so.
inline std::vector<std::string_view> Split_items(std::string_view line) {
  auto separates = [](char c) { return c == ',' || Is_blank(c); };
  std::vector<std::string_view> items;
  size_t n = 0;
  while (n < line.size()) {
    while (n < line.size() && separates(line[n])) ++n;
    const size_t start = n;
    while (n < line.size() && !separates(line[n])) ++n;
    if (n > start) items.push_back(line.substr(start, n - start));
  }
  return items;
}

}  // namespace torvane
