// The reader of the deck's block after the casing contour: the opening line
// `torvane-block 1`, one-line and multi-line entries looked up in a keyword
// table, the closing line `end torvane-block`. Every refusal is a Run_stop
// (status 2) "deck line N (ENTRY): why".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/deck_block.hpp"
#include "control/control_input.hpp"

namespace torvane {

// The version of the block this reader knows.
inline constexpr int kDeckBlockVersion = 1;

// One entry of the block as written: its line and the items after its keyword
// (a one-line entry), or the text of the lines between its keyword line and
// its `end KEYWORD` line, with the number of the first of them.
struct Block_entry {
  int line = 0;
  std::vector<std::string> items;
  std::string body;
  int body_line = 0;
};

// Takes the lines after the casing contour one at a time: skips them up to
// the opening line, then reads the block's entries into a Deck_block.
class Deck_block_reader {
 public:
  // False once the block is closed: the lines after it are not read.
  bool Take(std::string_view line, int number, bool cut = false);
  // The block; refuses one left open at the end of the deck.
  Deck_block Finish();

 private:
  void Take_entry_line(std::string_view line, int number);
  void Take_keyword_line(const std::vector<std::string_view>& items, int number);

  Deck_block block_;
  bool closed_ = false;
  int open_entry_ = -1;  // the keyword table's row of the multi-line entry being read, or -1
  Block_entry entry_;
  std::vector<int> seen_;  // the rows given so far, for entries given once
};

// Reads the rest of the deck after the casing point list.
Deck_block Read_deck_block(Deck_reader& reader);

// The block in text whose first line is deck line first_line (tests, the Python module).
Deck_block Parse_deck_block(std::string_view text, int first_line = 1);

// The entries the block knows, in the table's order: "flow-path, ...".
std::string Known_block_entries();

}  // namespace torvane
