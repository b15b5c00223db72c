// The block torvane-deck writes after the casing contour reads back, through
// torvane's own block reader, to the values it was written from.
#include "deck/deck_block_text.hpp"

#include <gtest/gtest.h>

#include "control/deck_block.hpp"

namespace torvane::deck {
namespace {

TEST(DeckBlockText, AnEmptyBlockWritesNothing) { EXPECT_EQ(Deck_block_text(Deck_block{}), ""); }

TEST(DeckBlockText, TheFlowPathReadsBackToTheSameDoubles) {
  Deck_block block;
  block.flow_path = Flow_path_file{};
  block.flow_path->hub.x = {-0.0419, 0.1 / 3.0, 0.1067};
  block.flow_path->hub.r = {0.1752590003, 0.18, 1.0e-5};
  block.flow_path->casing.x = {-0.0419, 0.1067};
  block.flow_path->casing.r = {0.2566310001, 0.2388540005};
  const std::string text = Deck_block_text(block);
  ASSERT_TRUE(text.starts_with("torvane-block 1 ")) << text;
  ASSERT_TRUE(text.ends_with("end flow-path\nend torvane-block\n")) << text;
  const Deck_block read = Parse_deck_block("last casing point\n" + text, 200);
  EXPECT_EQ(read.line, 201);
  ASSERT_TRUE(read.flow_path.has_value());
  EXPECT_EQ(read.flow_path->hub.x, block.flow_path->hub.x);
  EXPECT_EQ(read.flow_path->hub.r, block.flow_path->hub.r);
  EXPECT_EQ(read.flow_path->casing.x, block.flow_path->casing.x);
  EXPECT_EQ(read.flow_path->casing.r, block.flow_path->casing.r);
}

TEST(DeckBlockText, TheTipGapReadsBackToTheSameRequest) {
  for (const Tip_gap_request& gap : {Tip_gap_request{0.2, true, 6}, Tip_gap_request{0.1 / 3.0, false, 1}}) {
    Deck_block block;
    block.tip_gap = gap;
    const Deck_block read = Parse_deck_block(Deck_block_text(block), 10);
    ASSERT_TRUE(read.tip_gap.has_value());
    EXPECT_EQ(read.tip_gap->value, gap.value);
    EXPECT_EQ(read.tip_gap->percent_of_span, gap.percent_of_span);
    EXPECT_EQ(read.tip_gap->cells, gap.cells);
    EXPECT_EQ(read.tip_gap_line, 11);
  }
}

}  // namespace
}  // namespace torvane::deck
