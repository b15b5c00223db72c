#include "control/deck_block.hpp"

#include <algorithm>

#include "base/run_stop.hpp"
#include "base/terminal_text.hpp"
#include "control/flow_path_file.hpp"

namespace torvane {

namespace {

constexpr std::string_view kOpening = "torvane-block";

// A row of the keyword table: the entry's name, whether its lines run to
// `end NAME`, whether it may be given more than once, and its parse.
struct Block_keyword {
  std::string_view name;
  bool multi_line;
  bool repeats;
  void (*parse)(const Block_entry& entry, Deck_block& block);
};

void Parse_flow_path_rows(const Block_entry& entry, Deck_block& block) {
  block.flow_path = Parse_flow_path_entry(entry.body, entry.line);
}

[[noreturn]] void Refuse(int line, std::string_view entry, const std::string& why) {
  throw Run_stop{kExitRefused, "deck line " + std::to_string(line) + " (" + std::string(entry) + "): " + why};
}

// tip-gap VALUE [cells N]: VALUE a length or P% of span, N the cells across the gap.
void Parse_tip_gap_row(const Block_entry& entry, Deck_block& block) {
  const std::vector<std::string>& items = entry.items;
  if (items.empty() || items.size() == 2 || items.size() > 3 || (items.size() == 3 && items[1] != "cells")) {
    Refuse(entry.line, "tip-gap", "write `tip-gap VALUE` or `tip-gap VALUE cells N` (VALUE a length or P% of span)");
  }
  const Tip_gap_parse gap = Parse_tip_gap(items[0]);
  if (!gap.request) Refuse(entry.line, "tip-gap", gap.problem);
  Tip_gap_request request = *gap.request;
  if (items.size() == 3) {
    const Gap_cells_parse cells = Parse_gap_cells(items[2]);
    if (!cells.problem.empty()) Refuse(entry.line, "tip-gap", cells.problem);
    request.cells = cells.cells;
  }
  block.tip_gap = request;
  block.tip_gap_line = entry.line;
}

// The entries of the block, one row each.
constexpr Block_keyword kKeywords[] = {
    {"flow-path", true, false, Parse_flow_path_rows},
    {"tip-gap", false, false, Parse_tip_gap_row},
};

bool Is_separator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == ',' || c == '\v' || c == '\f'; }

// The items of a line up to its comment.
std::vector<std::string_view> Items(std::string_view line) {
  line = line.substr(0, std::min(line.find('#'), line.size()));
  std::vector<std::string_view> items;
  size_t n = 0;
  while (n < line.size()) {
    while (n < line.size() && Is_separator(line[n])) ++n;
    const size_t start = n;
    while (n < line.size() && !Is_separator(line[n])) ++n;
    if (n > start) items.push_back(line.substr(start, n - start));
  }
  return items;
}

// An item in a message between backticks: 40 bytes at most, control and high bytes as '?'.
std::string Quote(std::string_view item) {
  std::string quoted(1, '`');
  quoted.append(Printable(item.substr(0, 40), High_bytes::shown_as_mark));
  quoted.append(item.size() > 40 ? "...`" : "`");
  return quoted;
}

// "`end flow-path`"
bool Is_end_of(const std::vector<std::string_view>& items, std::string_view name) {
  return items.size() == 2 && items[0] == "end" && items[1] == name;
}

}  // namespace

std::string Known_block_entries() {
  std::string known;
  for (const Block_keyword& keyword : kKeywords) {
    if (!known.empty()) known += ", ";
    known += keyword.name;
  }
  return known;
}

bool Deck_block_reader::Take(std::string_view line, int number, bool cut) {
  if (closed_) return false;
  const std::vector<std::string_view> items = Items(line);
  if (block_.line == 0) {
    // Before the opening line every line is ignored, as torvane always did.
    if (items.empty() || items[0] != kOpening) return true;
    if (items.size() == 1) Refuse(number, kOpening, "the opening line gives no version; write `torvane-block 1`");
    int version = 0;
    if (items.size() > 2 || !Parse_integer(items[1], version) || version != kDeckBlockVersion) {
      std::string given(items[1]);
      for (size_t n = 2; n < items.size(); ++n) given.append(" ").append(items[n]);
      Refuse(number, kOpening,
             "block version " + Quote(given) + " is not one this torvane reads; write `torvane-block " +
                 std::to_string(kDeckBlockVersion) + "`");
    }
    block_.line = number;
    return true;
  }
  if (cut) {
    Refuse(number, open_entry_ >= 0 ? kKeywords[open_entry_].name : kOpening,
           "the line is longer than " + std::to_string(kMaxLineLength) + " characters");
  }
  if (open_entry_ >= 0) {
    Take_entry_line(line, number);
    return true;
  }
  if (items.empty()) return true;
  if (Is_end_of(items, kOpening)) {
    block_.end_line = number;
    closed_ = true;
    return false;
  }
  Take_keyword_line(items, number);
  return true;
}

void Deck_block_reader::Take_entry_line(std::string_view line, int number) {
  const Block_keyword& keyword = kKeywords[open_entry_];
  const std::vector<std::string_view> items = Items(line);
  if (Is_end_of(items, keyword.name)) {
    keyword.parse(entry_, block_);
    open_entry_ = -1;
    return;
  }
  if (Is_end_of(items, kOpening)) {
    Refuse(number, keyword.name,
           "the entry opened on line " + std::to_string(entry_.line) + " is not closed; write `end " +
               std::string(keyword.name) + "` before `end torvane-block`");
  }
  entry_.body.append(line).push_back('\n');
}

void Deck_block_reader::Take_keyword_line(const std::vector<std::string_view>& items, int number) {
  const std::string_view name = items[0];
  const auto found = std::find_if(std::begin(kKeywords), std::end(kKeywords),
                                  [&](const Block_keyword& keyword) { return keyword.name == name; });
  if (found == std::end(kKeywords)) {
    Refuse(number, kOpening, "unknown entry " + Quote(name) + "; known: " + Known_block_entries());
  }
  const int row = static_cast<int>(found - std::begin(kKeywords));
  if (!found->repeats && std::find(seen_.begin(), seen_.end(), row) != seen_.end()) {
    Refuse(number, name, "given a second time; the block holds one " + std::string(name) + " entry");
  }
  seen_.push_back(row);
  entry_ = Block_entry{number, {}, {}, number + 1};
  if (found->multi_line) {
    if (items.size() > 1) {
      Refuse(number, name,
             "the entry's lines follow on the lines below, closed by `end " + std::string(name) + "`; found " +
                 Quote(items[1]) + " after " + Quote(name));
    }
    open_entry_ = row;
    return;
  }
  for (size_t n = 1; n < items.size(); ++n) entry_.items.emplace_back(items[n]);
  found->parse(entry_, block_);
}

Deck_block Deck_block_reader::Finish() {
  if (block_.line != 0 && !closed_) {
    if (open_entry_ >= 0) {
      Refuse(entry_.line, kKeywords[open_entry_].name,
             "the entry is not closed; the deck ends before `end " + std::string(kKeywords[open_entry_].name) + "`");
    }
    Refuse(block_.line, kOpening, "the block is not closed; the deck ends before `end torvane-block`");
  }
  return block_;
}

Deck_block Read_deck_block(Deck_reader& reader) {
  Deck_block_reader block;
  std::string line;
  int number = 0;
  bool cut = false;
  while (reader.Read_following_line(line, number, cut)) {
    if (!block.Take(line, number, cut)) break;
  }
  return block.Finish();
}

Deck_block Parse_deck_block(std::string_view text, int first_line) {
  Deck_block_reader block;
  int number = first_line;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!block.Take(line, number++)) break;
  }
  return block.Finish();
}

}  // namespace torvane
