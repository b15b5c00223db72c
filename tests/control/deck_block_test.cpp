// The deck's block after the casing contour: its framing, the keyword table's
// refusals naming the deck line and the entry, the flow-path entry read as a
// --flow-path file, and whole runs with the block.
#include "control/deck_block.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "base/run_stop.hpp"
#include "control/run.hpp"
#include "support/decks.hpp"

namespace torvane {
namespace {

using testing::Join;
using testing::Scratch_folder;
using testing::Small_deck_lines;

// The diagnostic of a refused block, "" when it is read.
std::string Refusal(std::string_view text, int first_line = 1) {
  try {
    Parse_deck_block(text, first_line);
  } catch (const Run_stop& stop) {
    EXPECT_EQ(stop.status, kExitRefused);
    return stop.diagnostic;
  }
  return "";
}

constexpr const char* kPath =
    "hub\n"
    "-0.2 0.25\n"
    "0.3 0.25\n"
    "casing\n"
    "-0.2 0.5\n"
    "0.3 0.5\n";

TEST(DeckBlock, TextBeforeTheOpeningLineAndAfterTheClosingLineIsIgnored) {
  const Deck_block block = Parse_deck_block(
      "a note after the casing points\n"
      "  # torvane-block 1   (a comment, not the opening line)\n"
      "torvane-block 1 # from here on\n"
      "\n"
      "   # a comment line\n"
      "flow-path  # the curves\n" +
          std::string(kPath) +
          "end flow-path\n"
          "end torvane-block\n"
          "unknown-entry after the block\n",
      40);
  EXPECT_EQ(block.line, 42);
  EXPECT_EQ(block.end_line, 53);
  ASSERT_TRUE(block.flow_path.has_value());
  EXPECT_EQ(block.flow_path->entry_line, 45);
  EXPECT_EQ(block.flow_path->hub.header_line, 46);
  EXPECT_EQ(block.flow_path->hub.x, (std::vector<double>{-0.2, 0.3}));
  EXPECT_EQ(block.flow_path->casing.r, (std::vector<double>{0.5, 0.5}));
  EXPECT_EQ(block.flow_path->casing.lines, (std::vector<int>{50, 51}));
}

TEST(DeckBlock, ADeckWithoutTheOpeningLineHasNoBlock) {
  const Deck_block block = Parse_deck_block("anything\nflow-path\nend torvane-block\n", 1);
  EXPECT_EQ(block.line, 0);
  EXPECT_FALSE(block.flow_path.has_value());
}

TEST(DeckBlock, RefusalsNameTheDeckLineAndTheEntry) {
  struct Case {
    std::string text;
    const char* diagnostic;
  };
  const std::string open = "torvane-block 1\n";
  const Case cases[] = {
      {"torvane-block\n", "deck line 300 (torvane-block): the opening line gives no version; write `torvane-block 1`"},
      {"torvane-block 2\n",
       "deck line 300 (torvane-block): block version `2` is not one this torvane reads; write `torvane-block 1`"},
      {"torvane-block 1 beta\n",
       "deck line 300 (torvane-block): block version `1 beta` is not one this torvane reads; write `torvane-block 1`"},
      {open + "smoth\nend torvane-block\n",
       "deck line 301 (torvane-block): unknown entry `smoth`; known: flow-path, tip-gap"},
      {open + "\n", "deck line 300 (torvane-block): the block is not closed; the deck ends before `end torvane-block`"},
      {open + "flow-path\n" + kPath,
       "deck line 301 (flow-path): the entry is not closed; the deck ends before `end flow-path`"},
      {open + "flow-path\n" + kPath + "end torvane-block\n",
       "deck line 308 (flow-path): the entry opened on line 301 is not closed; write `end flow-path` before `end "
       "torvane-block`"},
      {open + "flow-path hub\n",
       "deck line 301 (flow-path): the entry's lines follow on the lines below, closed by `end flow-path`; found "
       "`hub` after `flow-path`"},
      {open + "flow-path\n" + kPath + "end flow-path\nflow-path\n" + kPath + "end flow-path\nend torvane-block\n",
       "deck line 309 (flow-path): given a second time; the block holds one flow-path entry"},
      // The flow-path file's own refusals, at the deck's lines.
      {open + "flow-path\nhub\n0 0.25\n0.1 0x\nend flow-path\n",
       "deck line 304 (flow-path): \"0x\" is not a number; a point is a line `x r`"},
      {open + "flow-path\nhub\n0 0.25\n0.1 0.3\nend flow-path\n",
       "deck line 301 (flow-path): no `casing` line after the hub curve; the file gives a hub curve, then a casing "
       "curve"},
  };
  for (const Case& c : cases) EXPECT_EQ(Refusal(c.text, 300), c.diagnostic) << c.text;
}

struct Block_run {
  int status;
  std::string out, err, grid;
};

// Runs the deck with its files in the folder, optionally with --flow-path.
Block_run Run_in(const Scratch_folder& folder, const std::string& deck, const std::string& flow_path_file = "") {
  Run_options options;
  options.output_stem = folder.path() + "/run";
  options.flow_path = flow_path_file;
  std::istringstream in(deck);
  Console out, err;
  Block_run run{Run(in, out, err, options), out.captured(), err.captured(), ""};
  if (run.status == 0) {
    std::ifstream grid(options.output_stem + ".rgra", std::ios::binary);
    run.grid.assign(std::istreambuf_iterator<char>(grid), {});
  }
  return run;
}

constexpr const char* kConePath =
    "hub\n"
    "-0.2 0.21\n"
    "0.3 0.31\n"
    "casing   # straight\n"
    "-0.2 0.5\n"
    "0.3 0.5\n";

TEST(DeckBlockRun, TheBlocksFlowPathGivesTheFilesOfTheSameFlowPathFile) {
  Scratch_folder with_file, with_block;
  const std::string path = with_file.path() + "/cone.path";
  std::ofstream(path) << kConePath;
  const std::string deck = Join(Small_deck_lines());
  const Block_run by_file = Run_in(with_file, deck, path);
  const Block_run by_block =
      Run_in(with_block, deck + "torvane-block 1\nflow-path\n" + kConePath + "end flow-path\nend torvane-block\n");
  ASSERT_EQ(by_file.status, 0) << by_file.err;
  ASSERT_EQ(by_block.status, 0) << by_block.err;
  EXPECT_EQ(by_block.out, by_file.out);
  EXPECT_EQ(by_block.grid, by_file.grid);
}

TEST(DeckBlockRun, TextAfterTheCasingContourWithoutTheBlockChangesNothing) {
  Scratch_folder plain, noted;
  const std::string deck = Join(Small_deck_lines());
  const Block_run a = Run_in(plain, deck);
  const Block_run b = Run_in(noted, deck + "notes: flow-path\nend torvane-block\n#torvane-block 2\n");
  ASSERT_EQ(a.status, 0) << a.err;
  EXPECT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(b.out, a.out);
  EXPECT_EQ(b.grid, a.grid);
}

TEST(DeckBlockRun, RefusesTheBlocksFlowPathBesideFlowPathAndABlockErrorWithItsLine) {
  Scratch_folder folder;
  const std::string path = folder.path() + "/cone.path";
  std::ofstream(path) << kConePath;
  const std::vector<std::string> lines = Small_deck_lines();
  const std::string deck = Join(lines);
  const int after = static_cast<int>(lines.size()) + 1;
  const Block_run both =
      Run_in(folder, deck + "torvane-block 1\nflow-path\n" + kConePath + "end flow-path\nend torvane-block\n", path);
  EXPECT_EQ(both.status, 2);
  EXPECT_EQ(both.err, "torvane: deck line " + std::to_string(after + 1) +
                          " (flow-path): the deck's block gives the flow path and so does --flow-path " + path +
                          "; give it once\r\n");
  const Block_run unknown = Run_in(folder, deck + "\ntorvane-block 1\nlarge-grid\nend torvane-block\n");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "torvane: deck line " + std::to_string(after + 2) +
                             " (torvane-block): unknown entry `large-grid`; known: " + Known_block_entries() + "\r\n");
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()) || !std::filesystem::exists(folder.path() + "/run.rgra"));
}

}  // namespace
}  // namespace torvane
