// The text of the deck's block after the casing contour, as torvane reads it
// back (docs/deck.md): the opening line, one entry per value the block holds,
// the closing line; nothing when the block holds nothing.
#pragma once

#include <string>

#include "base/deck_block.hpp"

namespace torvane::deck {

// The block's lines, each ending in a line feed; empty for an empty block.
std::string Deck_block_text(const Deck_block& block);

}  // namespace torvane::deck
