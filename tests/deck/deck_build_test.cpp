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

// Wall spacings that come from --yplus and --reynolds: a refusal of the dry
// run names those two options, not the spacings the user never gave; a
// spacing given by name stays named.
TEST(BuildDeck, AdviceForWallSpacingsFromYplusNamesYplusAndReynolds) {
  TORVANE_REQUIRE_NACA(path);
  const std::vector<Setting> from_yplus = {{"yplus", "1e-300", "--yplus"}, {"reynolds", "1e6", "--reynolds"}};
  const Deck_build build = Build_deck({{path, {}}, {path, {}}, "", "", from_yplus, ""});
  ASSERT_EQ(build.status, kExitProblems);
  ASSERT_EQ(build.messages.size(), 1u);
  const std::string& message = build.messages[0];
  EXPECT_EQ(message.find("--dzwall"), std::string::npos) << message;
  EXPECT_EQ(message.find("--dywle"), std::string::npos) << message;
  EXPECT_NE(message.find(", --yplus, --reynolds, "), std::string::npos) << message;
  EXPECT_TRUE(message.ends_with(" or --dsle")) << message;

  std::vector<Setting> with_dzwall = from_yplus;
  with_dzwall.push_back({"dzwall", "1e-300", "--dzwall"});
  const Deck_build named = Build_deck({{path, {}}, {path, {}}, "", "", with_dzwall, ""});
  ASSERT_EQ(named.status, kExitProblems);
  EXPECT_NE(named.messages[0].find("--dzwall"), std::string::npos) << named.messages[0];
}

}  // namespace
}  // namespace torvane::deck
