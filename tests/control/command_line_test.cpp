#include "control/command_line.hpp"

#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "support/decks.hpp"

namespace torvane {
namespace {

struct Call {
  int status;
  std::string out, err;
};

Call Main(std::vector<std::string_view> args, bool terminal = false, const std::string& deck = "") {
  std::istringstream in(deck);
  Console out, err;
  int status = Torvane_main(args, in, terminal, out, err);
  return {status, out.captured(), err.captured()};
}

TEST(CommandLine, HelpAndVersionAnswerAndExitZero) {
  Call help = Main({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with(
      "Usage: torvane [--flow-path FILE] [--allow-folded] [--tip-gap GAP [--gap-cells N]] < deck.in\r\n"));
  EXPECT_NE(help.out.find("--allow-folded writes such a grid anyway"), std::string::npos);
  EXPECT_NE(help.out.find("STEM.rgra"), std::string::npos);
  EXPECT_NE(help.out.find("Exit status: 0"), std::string::npos);
  EXPECT_NE(help.out.find("docs/deck.md"), std::string::npos);
  EXPECT_EQ(help.err, "");

  Call version = Main({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("torvane 1."));
  EXPECT_TRUE(version.out.ends_with(")\r\n"));
}

TEST(CommandLine, RefusesAnyOtherArgumentInOneLine) {
  struct Case {
    std::vector<std::string_view> args;
    const char* named;
  } cases[] = {{{"deck.in"}, "deck.in"},
               {{"-h"}, "-h"},
               {{"--help", "--version"}, "--version"},
               {{"--version", "deck.in"}, "deck.in"},
               {{"--allow-folded", "deck.in"}, "deck.in"},
               {{"--allow-folded", "--allow-folded"}, "--allow-folded"},
               {{"deck.in", "--allow-folded"}, "deck.in"},
               {{"--flow-path", "p", "--flow-path", "q"}, "--flow-path"},
               {{"--allow-folded", "--flow-path=p", "deck.in"}, "deck.in"}};
  for (const Case& c : cases) {
    Call call = Main(c.args);
    EXPECT_EQ(call.status, 2);
    EXPECT_EQ(call.out, "");
    EXPECT_EQ(call.err, "torvane: unexpected argument \"" + std::string(c.named) +
                            "\"; torvane takes --help or --version alone, or --flow-path FILE and --allow-folded "
                            "once each, and reads the deck from standard input\r\n");
  }
}

TEST(CommandLine, FlowPathTakesOneFileInEitherFormAndHandsItToTheRun) {
  testing::Scratch_folder folder;
  const std::string deck = testing::Join(testing::Small_deck_lines(folder.path() + "/small"));
  const std::string needs = "torvane: --flow-path needs a file (torvane --flow-path FILE < deck.in)\r\n";
  const std::string unreadable =
      "torvane: /nonexistent/p: the flow-path file cannot be read (No such file or directory)\r\n";
  struct Case {
    std::vector<std::string_view> args;
    std::string err;
  } cases[] = {
      {{"--flow-path"}, needs},
      {{"--flow-path="}, needs},
      {{"--flow-path", "p", "deck.in"},
       "torvane: unexpected argument \"deck.in\"; torvane takes --help or --version alone, or --flow-path FILE and "
       "--allow-folded once each, and reads the deck from standard input\r\n"},
      {{"--flow-path", "/nonexistent/p"}, unreadable},
      {{"--flow-path=/nonexistent/p"}, unreadable},
  };
  for (const Case& c : cases) {
    Call call = Main(c.args, false, deck);
    EXPECT_EQ(call.status, 2) << c.args[0];
    EXPECT_EQ(call.err, c.err);
  }
}

TEST(CommandLine, AHintShowsOnlyWhenTheDeckComesFromATerminal) {
  const std::string hint =
      "torvane: reading the control deck from standard input (for example: torvane < rotor.in)\r\n";
  Call terminal = Main({}, true, "");
  EXPECT_TRUE(terminal.err.starts_with(hint));
  EXPECT_EQ(terminal.status, 2);  // the empty deck ends before its title

  testing::Scratch_folder folder;
  Call redirected = Main({}, false, testing::Join(testing::Small_deck_lines(folder.path() + "/quiet")));
  EXPECT_EQ(redirected.status, 0);
  EXPECT_EQ(redirected.err, "");
}

}  // namespace
}  // namespace torvane
