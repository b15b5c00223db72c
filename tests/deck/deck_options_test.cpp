#include "deck/deck_options.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "deck/deck_records.hpp"
#include "deck/deck_support.hpp"
#include "support/decks.hpp"

namespace torvane::deck {
namespace {

TEST(DeckOptions, TakesRecordValuesInBothFormsAndTheFiles) {
  const Deck_options options =
      Parse_command_line({"--hub", "h.dat", "--casing=c.dat", "--nin", "12", "--betain=-40", "--points", "129"});
  EXPECT_EQ(options.hub, "h.dat");
  EXPECT_EQ(options.casing, "c.dat");
  EXPECT_EQ(options.points, "129");
  ASSERT_EQ(options.settings.size(), 2u);
  EXPECT_EQ(options.settings[0].name, "nin");
  EXPECT_EQ(options.settings[0].text, "12");
  EXPECT_EQ(options.settings[1].name, "betain");
  EXPECT_EQ(options.settings[1].text, "-40");
  EXPECT_EQ(options.settings[1].origin, "--betain");
}

TEST(DeckOptions, RefusesWrongCommandLines) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"--nblades", "60"}, "--nblades is not an option; see --help"},
      {{"--nin"}, "--nin needs a value"},
      {{"--nin", "--nout", "30"}, "--nin has no value (the next argument, \"--nout\", is an option)"},
      {{"--nin", "2", "--nin=3"}, "--nin is given twice"},
      {{"rotor.dat"}, "\"rotor.dat\" is not an option"},
      {{"--"}, "\"--\" is not an option"},
  };
  for (const Case& c : cases) {
    try {
      Parse_command_line(c.args);
      ADD_FAILURE() << c.message;
    } catch (const Usage_error& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(DeckOptions, TheParameterFileGoesBeforeTheCommandLineAndFindsFilesBesideIt) {
  torvane::testing::Scratch_folder folder;
  const std::string path = folder.path() + "/rotor.par";
  testing::Write_text(path,
                      "# a rotor\n"
                      "hub = sections/hub.dat\n"
                      "casing = /abs/casing.dat\n"
                      "  nin =  12 \r\n"
                      "\n"
                      "title = Rotor = test\n");
  Deck_options options = Parse_command_line({"--parameters", path, "--nin", "14", "--casing", "mine.dat"});
  Read_parameter_file(options);
  EXPECT_EQ(options.hub, folder.path() + "/sections/hub.dat");
  EXPECT_EQ(options.casing, "mine.dat");  // the command line wins
  ASSERT_EQ(options.settings.size(), 3u);
  EXPECT_EQ(options.settings[0].text, "12");
  EXPECT_EQ(options.settings[0].origin, path + ", line 4 (nin)");
  EXPECT_EQ(options.settings[1].text, "Rotor = test");
  EXPECT_EQ(options.settings[2].text, "14");  // applied last, so it wins
}

TEST(DeckOptions, RefusesMalformedParameterFilesNamingTheLine) {
  torvane::testing::Scratch_folder folder;
  const std::string path = folder.path() + "/bad.par";
  struct Case {
    const char* text;
    std::string message;
  };
  const Case cases[] = {
      {"nin 12\n", path + ", line 1: expected `name = value`, found \"nin 12\""},
      {"\nnblades = 60\n", path + ", line 2: \"nblades\" is not a name torvane-deck knows; see --help"},
      {"nin = 1\nnin = 2\n", path + ", line 2: nin is given a second time"},
      {"hub =\n", path + ", line 1: hub needs a value"},
      // A name given twice is refused as such before its value is looked at.
      {"hub = a.dat\nhub =\n", path + ", line 2: hub is given a second time"},
      {"\xEF\xBB\xBF# comment\n points 3", path + ", line 2: expected `name = value`, found \"points 3\""},
  };
  for (const Case& c : cases) {
    testing::Write_text(path, c.text);
    Deck_options options;
    options.parameters = path;
    try {
      Read_parameter_file(options);
      ADD_FAILURE() << c.message;
    } catch (const Input_error& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(DeckRecords, ValuesAreTakenOnlyInFormsTorvaneReads) {
  struct Case {
    const char* name;
    const char* text;
    const char* why;  // "" when taken
  };
  const Case cases[] = {
      {"nin", "12", ""},
      {"nin", "2.5", "\"2.5\" is not an integer"},
      {"nin", "twelve", "\"twelve\" is not a number"},
      {"dsle", "3D-4", ""},
      {"dsle", "1e999", "\"1e999\" is not a number"},
      {"dsle", "nan", "\"nan\" is not a number"},
      {"title", "12345678901234567890123456789012345678901234567890", ""},
      {"title", "123456789012345678901234567890123456789012345678901", "51 bytes long; the record holds 50"},
      {"fname", "runs/rotor", ""},
      {"fname", "my rotor", "\"my rotor\" holds a blank; torvane takes the stem only up to the first blank"},
      {"fname", "", "the stem of the output files cannot be empty"},
  };
  for (const Case& c : cases) {
    Control_values values;
    const auto why = Set_value(values, *Find_record(c.name), c.text);
    EXPECT_EQ(why.value_or(""), c.why) << c.name << " = " << c.text;
  }
}

TEST(DeckRecords, RealsAreWrittenSoTheyReadBackExactly) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {{-58, "-58.0"}, {0.0003, "0.0003"}, {1.5e-5, "1.5E-05"}, {0.1 + 0.2, "0.30000000000000004"},
                        {0, "0.0"},     {-0.0, "-0.0"},     {1e22, "1E+22"}};
  for (const Case& c : cases) {
    EXPECT_EQ(Real_text(c.value), c.text);
    double back = 0;
    ASSERT_TRUE(Parse_real(Real_text(c.value), back));
    EXPECT_EQ(back, c.value);
  }
}

}  // namespace
}  // namespace torvane::deck
