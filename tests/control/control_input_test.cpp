#include "control/control_input.hpp"

#include <array>
#include <cerrno>
#include <cmath>
#include <sstream>
#include <system_error>

#include <gtest/gtest.h>

#include "output/console.hpp"
#include "support/decks.hpp"

namespace torvane {
namespace {

using testing::Join;
using testing::Small_deck_lines;

struct Read {
  Control_values values;
  std::array<double, 2 * kMaxContourPoints> hub_xy{};
  std::array<double, 2 * kMaxContourPoints> casing_xy{};
  Contour_points hub{0, 0, 0, hub_xy};
  Contour_points casing{0, 0, 0, casing_xy};
};

// Reads a whole deck; a refusal comes back as the Run_stop it throws.
Read Read_deck(const std::string& text) {
  std::istringstream in(text);
  Deck_reader reader(in);
  Read read;
  read.values = reader.Read_control_values();
  read.hub = Contour_points{0, 0, 0, read.hub_xy};
  read.casing = Contour_points{0, 0, 0, read.casing_xy};
  reader.Read_point_list(Surface::hub, read.hub);
  reader.Read_point_list(Surface::casing, read.casing);
  return read;
}

std::string Refusal(const std::string& text) {
  try {
    Read_deck(text);
  } catch (const Run_stop& stop) {
    EXPECT_EQ(stop.status, 2);
    return stop.diagnostic;
  }
  return "(read without refusal)";
}

TEST(ControlInput, ReadsEveryRecordOfAPlainDeck) {
  Read read = Read_deck(Join(Small_deck_lines()));
  EXPECT_EQ(read.values.title, "Small test deck" + std::string(35, ' '));
  EXPECT_EQ(read.values.fname, "small" + std::string(45, ' '));
  EXPECT_EQ(read.values.nblade, 12);
  EXPECT_EQ(read.values.nspan, 5);
  EXPECT_EQ(read.values.betain, -30.0);
  EXPECT_EQ(read.values.dyout, 0.002);
  EXPECT_EQ(read.values.ibez, 1);
  EXPECT_EQ(read.hub.npts, 33);
  EXPECT_EQ(read.hub.iref, 17);
  EXPECT_EQ(read.hub.count_record, 34);
  EXPECT_EQ(read.casing.count_record, 68);
  EXPECT_EQ(read.hub_xy[0], 1.0);
  EXPECT_EQ(read.casing_xy[2 * 16], 0.0);
}

TEST(ControlInput, FollowsTheLayoutRulesOfAHandEditedDeck) {
  struct Case {
    const char* what;
    int line;  // 0-based line of the small deck to replace
    std::vector<std::string> replacement;
    int Control_values::*integer;
    int expected;
  } cases[] = {
      {"text after the value", 3, {"12   intervals inlet to leading edge"}, &Control_values::nin, 12},
      {"empty lines before the value", 3, {"", "   ", "\t", "9"}, &Control_values::nin, 9},
      {"a comma after the value", 3, {"8, upstream"}, &Control_values::nin, 8},
      {"a plus sign", 3, {"+7"}, &Control_values::nin, 7},
      {"odd nblade", 2, {"97"}, &Control_values::nblade, 97},
      {"a blank-padded value", 6, {"   4   "}, &Control_values::nspan, 4},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = Small_deck_lines();
    lines.erase(lines.begin() + c.line);
    lines.insert(lines.begin() + c.line, c.replacement.begin(), c.replacement.end());
    Read read = Read_deck(Join(lines));
    EXPECT_EQ(read.values.*c.integer, c.expected) << c.what;
  }
}

TEST(ControlInput, AcceptsTheIntegerFixedAndExponentFormsOfAReal) {
  struct Case {
    const char* item;
    double value;
  } cases[] = {
      {"12", 12.0},      {"12.5", 12.5},   {"1.25E1", 12.5}, {"1.25D1", 12.5}, {"1.25D+01", 12.5},
      {"-6.0D+01", -60}, {"6.0d-2", 0.06}, {"1.25e1", 12.5}, {".5", 0.5},      {"5.", 5.0},
      {"+0.25", 0.25},   {"1E3", 1000.0},  {"0.1", 0.1},     {"1e-400", 0.0},  {"-2.5D-320", -2.5e-320},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = Small_deck_lines();
    lines[8] = std::string(c.item) + "   betain";
    EXPECT_EQ(Read_deck(Join(lines)).values.betain, c.value) << c.item;
  }
}

TEST(ControlInput, TextRecordsAreCutOrPaddedToFiftyColumns) {
  std::vector<std::string> lines = Small_deck_lines();
  lines[0] = std::string(49, 'a') + "bcdef";
  EXPECT_EQ(Read_deck(Join(lines)).values.title, std::string(49, 'a') + "b");

  // An empty title line is a title of blanks; the next line is the file name.
  lines[0] = "";
  Read read = Read_deck(Join(lines));
  EXPECT_EQ(read.values.title, std::string(50, ' '));
  EXPECT_EQ(read.values.fname.substr(0, 6), "small ");
}

TEST(ControlInput, ACrLfDeckReadsAsTheSameDeckWithLf) {
  std::vector<std::string> lines = Small_deck_lines();
  Read lf = Read_deck(Join(lines, "\n"));
  Read crlf = Read_deck(Join(lines, "\r\n"));
  EXPECT_EQ(crlf.values.title, lf.values.title);
  EXPECT_EQ(crlf.values.fname, lf.values.fname);
  EXPECT_EQ(crlf.values.title.find('\r'), std::string::npos);
  EXPECT_EQ(crlf.values.unused33, lf.values.unused33);
  EXPECT_EQ(crlf.hub_xy, lf.hub_xy);
  EXPECT_EQ(crlf.casing_xy, lf.casing_xy);
}

TEST(ControlInput, APairMayRunOnToTheNextLine) {
  std::vector<std::string> lines = Small_deck_lines();
  lines[34] = "1.0,";
  lines.insert(lines.begin() + 35, "  -0.0");
  lines[33] = "33";
  lines.insert(lines.begin() + 34, "17, the leading edge");
  Read read = Read_deck(Join(lines));
  EXPECT_EQ(read.hub.npts, 33);
  EXPECT_EQ(read.hub.iref, 17);
  EXPECT_EQ(read.hub_xy[0], 1.0);
  EXPECT_TRUE(std::signbit(read.hub_xy[1]));
}

TEST(ControlInput, AZeroCountReadsNoPointsAndNothingIsReadAfterTheLastPoint) {
  std::vector<std::string> lines = Small_deck_lines();
  lines.erase(lines.begin() + 33, lines.begin() + 67);
  lines.insert(lines.begin() + 33, "0 0");
  lines.push_back("anything after the last casing point");
  Read read = Read_deck(Join(lines));
  EXPECT_EQ(read.hub.npts, 0);
  EXPECT_EQ(read.casing.npts, 33);
  EXPECT_EQ(read.casing.count_record, 35);
}

TEST(ControlInput, RefusesUnreadableItemsNamingTheRecordAndWhatWasFound) {
  struct Case {
    int line;
    std::string text;
    std::string diagnostic;
  } cases[] = {
      {3, "abc", "record 4 (nin), input line 4: \"abc\" is not a number"},
      {3, "12.5", "record 4 (nin), input line 4: \"12.5\" is not an integer"},
      {3, "1e3", "record 4 (nin), input line 4: \"1e3\" is not an integer"},
      {3, "2147483648", "record 4 (nin), input line 4: \"2147483648\" does not fit a 32-bit integer"},
      {3, "-99999999999", "record 4 (nin), input line 4: \"-99999999999\" does not fit a 32-bit integer"},
      {3, "60nblade", "record 4 (nin), input line 4: \"60nblade\" is not a number"},
      {8, "Infinity", "record 9 (betain), input line 9: \"Infinity\" is not a number"},
      {8, "NaN", "record 9 (betain), input line 9: \"NaN\" is not a number"},
      {8, "1.0E400", "record 9 (betain), input line 9: \"1.0E400\" is out of the range of a double"},
      {8, "1.5E", "record 9 (betain), input line 9: \"1.5E\" is not a number"},
      // torvane quotes ASCII only: a control byte and every byte from 0x80 up show as '?'.
      {8, "1.5\x1b[2J\xc2\xb0", "record 9 (betain), input line 9: \"1.5?[2J??\" is not a number"},
      {8, std::string(41, '9') + "x",
       "record 9 (betain), input line 9: \"" + std::string(40, '9') + "...\" is not a number"},
      {8, ", 3.0", "record 9 (betain), input line 9: an empty item before a comma"},
      {32, "x", "record 33 (not used), input line 33: \"x\" is not a number"},
      {33, "129", "record 34 (npthub, irefhub), input line 35: \"1.00000000\" is not an integer"},
      {35, "0.5 oops", "record 36 (hub point 2), input line 36: \"oops\" is not a number"},
      {33, "258 1", "record 34 (npthub, irefhub), input line 34: 258 points do not fit the list of at most 257 points"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = Small_deck_lines();
    lines[c.line] = c.text;
    EXPECT_EQ(Refusal(Join(lines)), c.diagnostic) << c.text;
  }
}

TEST(ControlInput, ARecordThatReadsAsItsValuesWithDecimalCommasIsRefusedWithBothReadings) {
  const std::string advice = " with decimal commas; write decimal points, or blanks between values";
  struct Case {
    int line;
    const char* text;
    std::string diagnostic;
  } cases[] = {
      {10, "42,5",
       "record 11 (staghub), input line 11: \"42,5\" reads as 42 with its commas between values, but as "
       "42.5" +
           advice},
      {8, "-58,5  betain",
       "record 9 (betain), input line 9: \"-58,5  betain\" reads as -58 with its commas between "
       "values, but as -58.5" +
           advice},
      {3, "6,5",
       "record 4 (nin), input line 4: \"6,5\" reads as 6 with its commas between values, but as 6.5" + advice},
      {35, "0,25 0,5",
       "record 36 (hub point 2), input line 36: \"0,25 0,5\" reads as 0 25 with its commas between "
       "values, but as 0.25 0.5" +
           advice},
      {35, "1,5 2",
       "record 36 (hub point 2), input line 36: \"1,5 2\" reads as 1 5 with its commas between values, "
       "but as 1.5 2" +
           advice},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = Small_deck_lines();
    lines[c.line] = c.text;
    EXPECT_EQ(Refusal(Join(lines)), c.diagnostic) << c.text;
  }
}

TEST(ControlInput, CommasThatCannotBeDecimalCommasReadAsSeparators) {
  struct Case {
    int line;
    const char* text;
    double first, second;  // the values read (second for the pairs)
  } cases[] = {
      {35, "0.25,0.5", 0.25, 0.5},           // "0.25.0.5" is no number
      {33, "33,17", 33, 17},                 // "33.17" is one value where the count pair needs two
      {10, "60, a note", 60, 0},             // a comma before a blank
      {10, "30 staghub (fig. 1,2)", 30, 0},  // a comma in the note after the value
      {35, "0.25, 0.5", 0.25, 0.5},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = Small_deck_lines();
    lines[c.line] = c.text;
    const Read read = Read_deck(Join(lines));
    // The values of the record on that line: staghub, the hub's count pair or its second point.
    const double first = c.line == 10 ? read.values.staghub : c.line == 33 ? read.hub.npts : read.hub.xy[2];
    const double second = c.line == 10 ? 0.0 : c.line == 33 ? read.hub.iref : read.hub.xy[3];
    EXPECT_EQ(first, c.first) << c.text;
    EXPECT_EQ(second, c.second) << c.text;
  }
}

// A standard input that fails as a directory does when it is read.
class Failing_input : public std::streambuf {
 protected:
  int_type underflow() override {
    throw std::ios_base::failure("basic_filebuf::underflow error reading the file",
                                 std::error_code(EISDIR, std::system_category()));
  }
};

TEST(ControlInput, AnInputThatCannotBeReadStopsWithOneLine) {
  Failing_input failing;
  std::istream in(&failing);
  Deck_reader reader(in);
  try {
    reader.Read_control_values();
    ADD_FAILURE() << "read without refusal";
  } catch (const Run_stop& stop) {
    EXPECT_EQ(stop.status, 2);
    EXPECT_EQ(stop.diagnostic,
              "the control deck cannot be read from standard input: Is a directory (give it as a file: torvane < "
              "rotor.in)");
  }
}

TEST(ControlInput, RefusesAnEarlyEndOfInputNamingTheMissingRecord) {
  std::vector<std::string> lines = Small_deck_lines();
  struct Case {
    size_t keep;
    const char* diagnostic;
  } cases[] = {
      {0,
       "record 1 (title): the deck is empty (no line at all); a deck holds the title, the file name, records 3 to 33 "
       "and the hub and casing point lists"},
      {1, "record 2 (fname): end of input"},
      {20, "record 21 (nwall): end of input"},
      {33, "record 34 (npthub, irefhub): end of input"},
      {40, "record 41 (hub point 7): end of input"},
      {67, "record 68 (nptcas, irefcas): end of input"},
      {100, "record 101 (casing point 33): end of input"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> kept(lines.begin(), lines.begin() + static_cast<long>(c.keep));
    EXPECT_EQ(Refusal(Join(kept)), c.diagnostic) << c.keep << " lines";
  }
  // A pair cut after its first value.
  std::vector<std::string> kept(lines.begin(), lines.begin() + 34);
  kept.back() = "33";
  EXPECT_EQ(Refusal(Join(kept)), "record 34 (npthub, irefhub): end of input");
}

TEST(ControlInput, ACommentLineBeforeTheTitleGetsAHintWhereRecordThreeFails) {
  // The comment becomes the title, the title the file name, the file name record 3.
  const std::string hint =
      " (records 1 and 2 are the title and the file name, one whole line each, and a comment takes no line of its "
      "own: the first line, starting with #, was read as the title)";
  struct Case {
    std::vector<std::string> first_lines;  // put before the deck, or in place of all of it when `whole`
    bool whole;
    std::string diagnostic;
  } cases[] = {
      {{"# rotor, second try"}, false, "record 3 (nblade), input line 3: \"small\" is not a number" + hint},
      {{"  #"}, false, "record 3 (nblade), input line 3: \"small\" is not a number" + hint},
      {{"# a note", "Title"}, true, "record 3 (nblade): end of input" + hint},
      // A title that only holds a '#' later on, and a deck without a comment, fail without the hint.
      {{"Rotor #3"}, false, "record 3 (nblade), input line 3: \"small\" is not a number"},
      {{"Title", "stem", "12x"}, true, "record 3 (nblade), input line 3: \"12x\" is not a number"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = c.first_lines;
    if (!c.whole) {
      const std::vector<std::string> deck = Small_deck_lines();
      lines.insert(lines.end(), deck.begin(), deck.end());
    }
    EXPECT_EQ(Refusal(Join(lines)), c.diagnostic) << c.first_lines.front();
  }
  // A comment line that shifts the deck by one line but leaves record 3 a number is not guessed at.
  std::vector<std::string> lines = Small_deck_lines();
  lines.insert(lines.begin(), "#");
  lines[2] = "12";
  EXPECT_EQ(Refusal(Join(lines)).find("comment"), std::string::npos);
}

}  // namespace
}  // namespace torvane
