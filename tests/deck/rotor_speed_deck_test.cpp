// torvane-deck's rotor speed: --rpm (or a parameter file's rpm) puts it in the
// deck's block beside the other entries, a blade row takes the info file's RPM
// unless --rpm is given, and what is no speed is refused naming where it came from.
#include <gtest/gtest.h>

#include <sstream>

#include "deck/deck_block_text.hpp"
#include "deck/deck_build.hpp"
#include "deck/deck_main.hpp"
#include "deck/deck_support.hpp"
#include "deck/rotor_deck.hpp"
#include "support/scratch_folder.hpp"

namespace torvane::deck {
namespace {

TEST(RotorSpeedDeck, TheBlockCarriesTheSpeedAndTheRestOfTheDeckStaysAsItWas) {
  TORVANE_REQUIRE_NACA(path);
  const Deck_build plain = Build_deck({{path, {}}, {path, {}}, "", "", {}, ""});
  const Deck_build turning = Build_deck({{path, {}}, {path, {}}, "", "", {}, "", {}, {}, {"rpm", "815", "--rpm"}});
  ASSERT_EQ(plain.status, kExitWritten);
  ASSERT_EQ(turning.status, kExitWritten) << (turning.messages.empty() ? "" : turning.messages[0]);
  Deck_block block;
  block.rpm = 815;
  EXPECT_EQ(turning.deck, plain.deck + Deck_block_text(block));
  // With a tip gap the speed is one more entry of the same block.
  const Deck_build both = Build_deck({{path, {}},
                                      {path, {}},
                                      "",
                                      "",
                                      {},
                                      "",
                                      {"tip-gap", "1%", "--tip-gap"},
                                      {},
                                      {"rpm", "0", "rpm.par, line 2 (rpm)"}});
  ASSERT_EQ(both.status, kExitWritten) << (both.messages.empty() ? "" : both.messages[0]);
  const std::string tail = both.deck.substr(both.deck.find("torvane-block 1"));
  EXPECT_NE(tail.find("\ntip-gap 1% cells 6 "), std::string::npos) << tail;
  EXPECT_NE(tail.find("\nrpm 0 "), std::string::npos) << tail;
}

TEST(RotorSpeedDeck, RefusesWhatIsNoSpeedNamingWhereItWasGiven) {
  TORVANE_REQUIRE_NACA(path);
  struct Case {
    Setting rpm;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {{"rpm", "fast", "--rpm"},
       kExitUsage,
       "--rpm: \"fast\" is not a speed in rpm (for example 17189, or 0 for a stationary row)"},
      {{"rpm", "-815", "--rpm"},
       kExitUsage,
       "--rpm: \"-815\" is below 0: give the speed without a sign; the sense of rotation follows from the grid's "
       "blade angles"},
      {{"rpm", "inf", "rotor.par, line 4 (rpm)"},
       kExitInput,
       "rotor.par, line 4 (rpm): \"inf\" is not a speed in rpm (for example 17189, or 0 for a stationary row)"},
  };
  for (const Case& c : cases) {
    const Deck_build build = Build_deck({{path, {}}, {path, {}}, "", "", {}, "", {}, {}, c.rpm});
    EXPECT_EQ(build.status, c.status) << c.message;
    EXPECT_EQ(build.deck, "");
    ASSERT_EQ(build.messages.size(), 1u);
    EXPECT_EQ(build.messages[0], c.message);
  }
  // The command line and a parameter file reach the same place.
  torvane::testing::Scratch_folder scratch;
  testing::Write_text(scratch.path() + "/rotor.par", "# speed\nrpm = -3\n");
  std::ostringstream out, err;
  EXPECT_EQ(Deck_main({"--hub", path, "--casing", path, "--parameters", scratch.path() + "/rotor.par"}, out, err),
            kExitInput);
  EXPECT_EQ(err.str(), "torvane-deck: " + scratch.path() +
                           "/rotor.par, line 2 (rpm): \"-3\" is below 0: give the speed without a sign; the sense "
                           "of rotation follows from the grid's blade angles\n");
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace torvane::deck
