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
      "Usage: torvane [--flow-path FILE] [--allow-folded] [--large] [--smooth] [--tip-gap GAP [--gap-cells N]\r\n"
      "               [--tip-pinch P]] < deck.in\r\n"));
  EXPECT_NE(help.out.find("--allow-folded writes such a grid anyway"), std::string::npos);
  EXPECT_NE(help.out.find("STEM.rgra"), std::string::npos);
  EXPECT_NE(help.out.find("Exit status: 0"), std::string::npos);
  EXPECT_NE(help.out.find("the block after the casing\r\ncontour (flow path, sections, planes, tip gap): docs/deck.md"),
            std::string::npos);
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
               {{"--large", "--allow-folded", "--large"}, "--large"},
               {{"--smooth", "--large", "--smooth"}, "--smooth"},
               {{"deck.in", "--allow-folded"}, "deck.in"},
               {{"--flow-path", "p", "--flow-path", "q"}, "--flow-path"},
               {{"--allow-folded", "--flow-path=p", "deck.in"}, "deck.in"}};
  for (const Case& c : cases) {
    Call call = Main(c.args);
    EXPECT_EQ(call.status, 2);
    EXPECT_EQ(call.out, "");
    EXPECT_EQ(
        call.err,
        "torvane: unexpected argument \"" + std::string(c.named) +
            "\"; torvane takes --help or --version alone, or --flow-path FILE, --tip-gap GAP, "
            "--gap-cells N, --tip-pinch P, --allow-folded, --large and --smooth once each, and reads the deck from "
            "standard input\r\n");
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
       "torvane: unexpected argument \"deck.in\"; torvane takes --help or --version alone, or --flow-path FILE, "
       "--tip-gap GAP, --gap-cells N, --tip-pinch P, --allow-folded, --large and --smooth once each, and reads the "
       "deck from "
       "standard input\r\n"},
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
  EXPECT_EQ(testing::Without_bad_cell_note(redirected.err), "");
}

// Bytes a terminal acts on, from the deck's file name or the command line,
// reach standard error as '?', as in the companion programs' messages.
TEST(CommandLine, ControlBytesInWhatAMessageQuotesAreShownAsMarks) {
  std::vector<std::string> lines = testing::Small_deck_lines("/nonexistent\x1b[2J/x\x07y");
  const Call record2 = Main({}, false, testing::Join(lines));
  EXPECT_EQ(record2.status, 2);
  EXPECT_NE(record2.err.find("/nonexistent?[2J/x?y.rgra"), std::string::npos) << record2.err;
  const Call flow_path = Main({"--flow-path", "/nonexistent/\x1b]0;title\x07.path"}, false, testing::Join(lines));
  EXPECT_EQ(flow_path.status, 2);
  EXPECT_NE(flow_path.err.find("/nonexistent/?]0;title?.path"), std::string::npos) << flow_path.err;
  const Call argument = Main({"deck\x1b[1m.in"});
  EXPECT_NE(argument.err.find("\"deck?[1m.in\""), std::string::npos) << argument.err;
  for (const Call* call : {&record2, &flow_path, &argument}) {
    const std::string line = call->err.substr(0, call->err.size() - 2);  // without its CR LF
    for (char c : line) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7f) << line;
  }
}

}  // namespace
}  // namespace torvane
