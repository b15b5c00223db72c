// The deck built below the command line: sections given as text and record
// names that no command line could have let through.
#include "deck/deck_build.hpp"

#include <gtest/gtest.h>

#include "deck/deck_main.hpp"
#include "deck/deck_support.hpp"

namespace torvane::deck {
namespace {

using testing::Read_text;

TEST(BuildDeck, SectionsGivenAsTextGiveTheDeckOfTheirFiles) {
  TORVANE_REQUIRE_NACA(path);
  const std::vector<Setting> settings = {{"fname", "rotor", "test"}, {"staghub", "32", "test"}};
  const Deck_build from_files = Build_deck({{path, {}}, {path, {}}, "", "", settings, ""});
  const std::string text = Read_text(path);
  const Deck_build from_text = Build_deck({{"hub text", text}, {"casing text", text}, "", "", settings, ""});
  ASSERT_EQ(from_files.status, kExitWritten);
  ASSERT_EQ(from_text.status, kExitWritten);
  // Only the notes that say where each section came from differ.
  std::string expected = from_files.deck;
  for (const char* name : {"hub text", "casing text"}) expected.replace(expected.find(path), path.size(), name);
  EXPECT_EQ(from_text.deck, expected);
  // Without a stem of its own, a hub given as text leaves torvane-deck's default.
  const Deck_build unnamed = Build_deck({{"hub text", text}, {"casing text", text}, "", "", {}, ""});
  EXPECT_EQ(unnamed.deck.substr(unnamed.deck.find('\n') + 1, 10), "blade_row ");
}

TEST(BuildDeck, RefusesWhatNoDeckCanHold) {
  TORVANE_REQUIRE_NACA(path);
  struct Case {
    Deck_request request;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{{path, {}}, {path, {}}, "", "", {{"nbladez", "60", "deck(nbladez=...)"}}, ""},
       kExitUsage,
       "deck(nbladez=...): nbladez is not the name of a record"},
      {{{path, {}}, {path, {}}, "", "", {{"nin", "2.5", "deck(nin=...)"}}, ""},
       kExitInput,
       "deck(nin=...): \"2.5\" is not an integer"},
      {{{path, {}}, {path, {}}, "8", "deck(points=...)", {}, ""},
       kExitInput,
       "deck(points=...): \"8\": give a point count from 9 to 257"},
      {{{"hub text", "just a name line\n"}, {path, {}}, "", "", {}, ""}, kExitInput, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const Deck_build build = Build_deck(c.request);
    EXPECT_EQ(build.status, c.status);
    EXPECT_EQ(build.deck, "");
    ASSERT_EQ(build.messages.size(), 1u);
    if (c.message.empty()) {
      EXPECT_TRUE(build.messages[0].starts_with("hub text")) << build.messages[0];
    } else {
      EXPECT_EQ(build.messages[0], c.message);
    }
  }
}

// Wall spacings that come from --yplus and --reynolds: a refusal names the
// options the user can change (--yplus and what sets the layers), not the
// spacings the user never gave.
TEST(BuildDeck, AdviceForWallSpacingsFromYplusNamesYplusAndReynolds) {
  TORVANE_REQUIRE_NACA(path);
  const std::vector<Setting> from_yplus = {{"yplus", "1e-300", "--yplus"}, {"reynolds", "1e6", "--reynolds"}};
  const Deck_build build = Build_deck({{path, {}}, {path, {}}, "", "", from_yplus, ""});
  ASSERT_EQ(build.status, kExitProblems);
  ASSERT_EQ(build.messages.size(), 1u);
  const std::string& message = build.messages[0];
  EXPECT_EQ(message.find("--dzwall"), std::string::npos) << message;
  EXPECT_EQ(message.find("--dywle"), std::string::npos) << message;
  EXPECT_EQ(message.find("--dywte"), std::string::npos) << message;
  EXPECT_NE(message.find("--yplus"), std::string::npos) << message;
}

}  // namespace
}  // namespace torvane::deck

namespace torvane::deck {
namespace {

// --large holds the deck to torvane --large's limits and says the deck needs it;
// without it, the classic limits refuse the same counts as before.
TEST(BuildDeck, LargeRaisesTheLimitsAndNotesThatTheDeckNeedsTorvaneLarge) {
  TORVANE_REQUIRE_NACA(path);
  const std::vector<Setting> counts = {{"npitch", "80", "--npitch"},   {"nspan", "60", "--nspan"},
                                       {"dyout", "0.0002", "--dyout"}, {"dzwall", "0.001", "--dzwall"},
                                       {"nwallhc", "4", "--nwallhc"},  {"nwall", "4", "--nwall"}};
  const Deck_build classic = Build_deck({{path, {}}, {path, {}}, "", "", counts, ""});
  EXPECT_EQ(classic.status, kExitProblems);
  ASSERT_EQ(classic.messages.size(), 2u);
  EXPECT_EQ(classic.messages[0], "too many grid points: je = npitch + 1 = 81 exceeds 65; lower --npitch");

  std::vector<Setting> large = counts;
  large.push_back({"large", "yes", "--large"});
  const Deck_build built = Build_deck({{path, {}}, {path, {}}, "", "", large, ""});
  ASSERT_EQ(built.status, kExitWritten) << (built.messages.empty() ? "" : built.messages[0]);
  EXPECT_TRUE(built.messages.empty());
  // The deck asks torvane for the large limits itself, in its block.
  EXPECT_TRUE(
      built.deck.ends_with("torvane-block 1    # read by torvane after the casing contour (docs/deck.md)\n"
                           "large          # up to 999 intervals in each direction, as torvane --large\n"
                           "end torvane-block\n"));
  // Within the classic limits no block is written.
  const Deck_build small = Build_deck({{path, {}}, {path, {}}, "", "", {{"large", "yes", "--large"}}, ""});
  ASSERT_EQ(small.status, kExitWritten);
  EXPECT_EQ(small.deck.find("torvane-block"), std::string::npos);

  large.back().text = "maybe";
  const Deck_build wrong = Build_deck({{path, {}}, {path, {}}, "", "", large, ""});
  EXPECT_EQ(wrong.status, kExitUsage);
  ASSERT_EQ(wrong.messages.size(), 1u);
  EXPECT_EQ(wrong.messages[0], "--large: \"maybe\": give yes or no");
}

// --smooth: the deck asks torvane for the smoothing in its block (beside
// the large limits when both are wanted); `smooth = no` leaves no block.
TEST(BuildDeck, SmoothIsAskedOfTorvaneInTheDecksBlock) {
  TORVANE_REQUIRE_NACA(path);
  const std::string opening = "torvane-block 1    # read by torvane after the casing contour (docs/deck.md)\n";
  const std::string smooth_row = "smooth         # the passage smoothed, as torvane --smooth\n";
  struct Case {
    std::vector<Setting> settings;
    std::string block;  // the deck's end, "" for no block
    int status = kExitWritten;
  } cases[] = {
      {{{"smooth", "yes", "--smooth"}}, opening + smooth_row + "end torvane-block\n"},
      {{{"smooth", "no", "parameter file line 3"}}, ""},
      {{{"smooth", "yes", "--smooth"},
        {"npitch", "80", "--npitch"},
        {"dyout", "0.0002", "--dyout"},
        {"nwall", "4", "--nwall"},
        {"large", "yes", "--large"}},
       opening + "large          # up to 999 intervals in each direction, as torvane --large\n" + smooth_row +
           "end torvane-block\n"},
      {{{"smooth", "often", "--smooth"}}, "", kExitUsage},
  };
  for (const Case& c : cases) {
    const Deck_build built = Build_deck({{path, {}}, {path, {}}, "", "", c.settings, ""});
    ASSERT_EQ(built.status, c.status) << (built.messages.empty() ? "" : built.messages[0]);
    if (c.status != kExitWritten) {
      EXPECT_EQ(built.messages, std::vector<std::string>{"--smooth: \"often\": give yes or no"});
      continue;
    }
    if (c.block.empty()) {
      EXPECT_EQ(built.deck.find("torvane-block"), std::string::npos);
    } else {
      EXPECT_TRUE(built.deck.ends_with(c.block)) << built.deck.substr(built.deck.size() - 300);
    }
  }
}

}  // namespace
}  // namespace torvane::deck

namespace torvane::deck {
namespace {

// A y+ 1 deck: wall-resolving counts beyond the classic limits are refused
// naming --large, and with it the deck runs; the pitchwise first interval puts
// the first point at the wall distance normal to the blade's edges.
TEST(BuildDeck, WallResolvingLayersNeedLargeAndFollowTheWallNormal) {
  TORVANE_REQUIRE_NACA(path);
  std::vector<Setting> settings = {{"yplus", "1", "--yplus"}, {"reynolds", "5e5", "--reynolds"}};
  const Deck_build classic = Build_deck({{path, {}}, {path, {}}, "", "", settings, ""});
  EXPECT_EQ(classic.status, kExitProblems);
  ASSERT_EQ(classic.messages.size(), 1u);
  EXPECT_EQ(classic.messages[0],
            "the wall layers for y+ 1 growing by 1.2 and blending into the core need npitch 128, nspan 176, beyond the "
            "classic limits: add --large, or raise --yplus or growth 1.2 (--ratio)");

  settings.push_back({"large", "yes", "--large"});
  const Deck_build large = Build_deck({{path, {}}, {path, {}}, "", "", settings, ""});
  ASSERT_EQ(large.status, kExitWritten) << (large.messages.empty() ? "" : large.messages[0]);
  auto record = [&](const std::string& name) {
    const size_t at = large.deck.find(" " + name + ":");
    const size_t start = large.deck.rfind('\n', at) + 1;
    return std::stod(large.deck.substr(start, at - start));
  };
  // No interval along a wall over 800 times the first across it: the spanwise
  // core within 800 x dywle, the pitchwise core and the streamwise intervals
  // within 800 x dzwall (more pitchwise, spanwise and streamwise intervals than
  // the layers and the stretches' growth alone need: 104, 96, 60, 31 and 33).
  EXPECT_EQ(record("npitch"), 128);
  EXPECT_EQ(record("nwall"), 29);
  EXPECT_EQ(record("nspan"), 176);
  EXPECT_EQ(record("nwallhc"), 37);
  EXPECT_EQ(record("nblade"), 112);
  EXPECT_EQ(record("nin"), 70);
  EXPECT_EQ(record("nout"), 89);
  EXPECT_EQ(record("dzwall"), 2.604e-6);
  // The pitchwise intervals: the wall distance over the cosine of the edges' mean metal angles.
  EXPECT_GT(record("dywle"), record("dzwall"));
  EXPECT_GT(record("dywte"), record("dywle"));

  // A given spanwise count is kept; more spanwise points than pitchwise ones build a sound grid.
  settings.push_back({"nspan", "144", "--nspan"});
  const Deck_build given = Build_deck({{path, {}}, {path, {}}, "", "", settings, ""});
  ASSERT_EQ(given.status, kExitWritten) << (given.messages.empty() ? "" : given.messages[0]);
  EXPECT_NE(given.deck.find("\n144       nspan: "), std::string::npos);

  // A fixed spanwise count too small for the layers names the options to change.
  settings.back() = {"nspan", "16", "--nspan"};
  const Deck_build fixed = Build_deck({{path, {}}, {path, {}}, "", "", settings, ""});
  EXPECT_EQ(fixed.status, kExitProblems);
  ASSERT_EQ(fixed.messages.size(), 1u);
  EXPECT_EQ(fixed.messages[0],
            "--nspan 16: no wall layers for y+ 1 growing by 1.2 and blending into the core fit across the span; raise "
            "--nspan or --ratio, or leave --nspan out");
}

}  // namespace
}  // namespace torvane::deck

namespace torvane::deck {
namespace {

// The dry run passes a deck whose grid has bad cells, and says so beside the deck.
TEST(BuildDeck, TheDryRunWarnsOfBadCellsAndStillWritesTheDeck) {
  TORVANE_REQUIRE_NACA(path);
  const Deck_build clean = Build_deck({{path, {}}, {path, {}}, "", "", {}, ""});
  ASSERT_EQ(clean.status, kExitWritten);
  EXPECT_TRUE(clean.messages.empty());
  const Deck_build steep = Build_deck(
      {{path, {}}, {path, {}}, "", "", {{"staghub", "65", "--staghub"}, {"stagcas", "71", "--stagcas"}}, ""});
  ASSERT_EQ(steep.status, kExitWritten);
  EXPECT_FALSE(steep.deck.empty());
  ASSERT_EQ(steep.messages.size(), 1u);
  EXPECT_EQ(steep.messages[0],
            "warning: torvane's grid of this deck: 903 of 40960 cells have a scaled Jacobian below 0.2 (bad), the "
            "worst 0.141 at cell (50, 1, 16); torvane-inspect report naca65410 names the bad cells of every measure "
            "and where they lie");
}

}  // namespace
}  // namespace torvane::deck
