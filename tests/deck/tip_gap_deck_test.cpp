// torvane-deck's tip gap: the deck's block carries it, torvane builds from
// that deck the grid a run with --tip-gap builds, and what is no gap is refused
// naming the option or the parameter-file line.
#include <gtest/gtest.h>

#include <sstream>

#include "control/run.hpp"
#include "deck/deck_block_text.hpp"
#include "deck/deck_build.hpp"
#include "deck/deck_main.hpp"
#include "deck/deck_support.hpp"
#include "support/scratch_folder.hpp"

namespace torvane::deck {
namespace {

// The grid file torvane writes for the deck, with the tip gap of the options if any.
std::string Grid_of(const std::string& deck, const std::optional<Tip_gap_request>& gap, std::string& err) {
  torvane::testing::Scratch_folder folder;
  Run_options options;
  options.output_stem = folder.path() + "/run";
  options.tip_gap = gap;
  std::istringstream in(deck);
  Console out, error;
  if (Run(in, out, error, options) != 0) {
    err = error.captured();
    return "";
  }
  return torvane::testing::Read_file(options.output_stem + ".rgra");
}

TEST(TipGapDeck, TheBlockCarriesTheGapAndTorvaneBuildsTheGridOfTipGap) {
  TORVANE_REQUIRE_NACA(path);
  const std::vector<Setting> settings = {{"nspan", "32", "--nspan"}, {"staghub", "30", "--staghub"}};
  const Deck_build plain = Build_deck({{path, {}}, {path, {}}, "", "", settings, ""});
  ASSERT_EQ(plain.status, kExitWritten);
  // The pinch as given: none (the deck's default, a taper over the tip's half
  // thickness), 0 (the walls close over the last interval) or a share of span.
  struct Case {
    const char* name;
    Setting pinch;
    Tip_gap_request request;
    const char* entry;
  };
  const Case cases[] = {
      {"the default pinch", {}, {1.0, true, 4, 0, false, true}, "\ntip-gap 1% cells 4 pinch auto "},
      {"no pinch", {"tip-pinch", "0", "--tip-pinch"}, {1.0, true, 4}, "\ntip-gap 1% cells 4 "},
      {"a pinch of 2% of span",
       {"tip-pinch", "2%", "--tip-pinch"},
       {1.0, true, 4, 2.0, true},
       "\ntip-gap 1% cells 4 pinch 2% "},
  };
  std::string err;
  const std::string gapless = Grid_of(plain.deck, std::nullopt, err);
  std::vector<std::string> grids;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Deck_build gapped = Build_deck({{path, {}},
                                          {path, {}},
                                          "",
                                          "",
                                          settings,
                                          "",
                                          {"tip-gap", "1%", "--tip-gap"},
                                          {"gap-cells", "4", "--gap-cells"},
                                          {},
                                          c.pinch});
    ASSERT_EQ(gapped.status, kExitWritten) << (gapped.messages.empty() ? "" : gapped.messages[0]);
    Deck_block block;
    block.tip_gap = c.request;
    EXPECT_EQ(gapped.deck, plain.deck + Deck_block_text(block));
    EXPECT_NE(gapped.deck.find(c.entry), std::string::npos);

    const std::string by_block = Grid_of(gapped.deck, std::nullopt, err);
    ASSERT_FALSE(by_block.empty()) << err;
    EXPECT_EQ(by_block, Grid_of(plain.deck, c.request, err));
    EXPECT_NE(by_block, gapless);
    for (const std::string& other : grids) EXPECT_NE(by_block, other);
    grids.push_back(by_block);
  }
}

TEST(TipGapDeck, RefusesWhatIsNoGap) {
  TORVANE_REQUIRE_NACA(path);
  struct Case {
    Setting tip_gap, gap_cells;
    int status;
    const char* message;  // the start of the one message
    Setting tip_pinch = {};
  };
  const Case cases[] = {
      {{},
       {"gap-cells", "4", "--gap-cells"},
       kExitUsage,
       "--gap-cells: the cells are those across the tip gap: give --tip-gap too"},
      {{"tip-gap", "abc", "--tip-gap"},
       {},
       kExitUsage,
       "--tip-gap: \"abc\" is not a length or a per cent of span (for example 0.5 or 0.2%)"},
      {{"tip-gap", "30%", "rotor.par, line 3 (tip-gap)"},
       {},
       kExitInput,
       "rotor.par, line 3 (tip-gap): \"30%\" is more than a quarter of the span"},
      {{"tip-gap", "1%", "--tip-gap"},
       {"gap-cells", "none", "--gap-cells"},
       kExitUsage,
       "--gap-cells: \"none\" is not a whole number of cells"},
      // A gap the deck's span cannot take: torvane's dry run stops on it.
      {{"tip-gap", "0.3", "--tip-gap"}, {}, kExitProblems, "torvane would stop on this deck: deck line "},
      {{},
       {},
       kExitUsage,
       "--tip-pinch: the pinch closes the blade at its tip: give --tip-gap too",
       {"tip-pinch", "1%", "--tip-pinch"}},
      {{"tip-gap", "1%", "--tip-gap"},
       {},
       kExitUsage,
       "--tip-pinch: \"-1\" is no pinch",
       {"tip-pinch", "-1", "--tip-pinch"}},
      {{"tip-gap", "1%", "--tip-gap"},
       {},
       kExitProblems,
       "torvane would stop on this deck: deck line ",
       {"tip-pinch", "99%", "--tip-pinch"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const Deck_build build =
        Build_deck({{path, {}}, {path, {}}, "", "", {}, "", c.tip_gap, c.gap_cells, {}, c.tip_pinch});
    EXPECT_EQ(build.status, c.status);
    EXPECT_EQ(build.deck, "");
    ASSERT_EQ(build.messages.size(), 1u);
    EXPECT_TRUE(build.messages[0].starts_with(c.message)) << build.messages[0];
  }
}

}  // namespace
}  // namespace torvane::deck
