// torvane-deck, torvane and torvane-inspect run as a user runs them, on the
// published NACA 65-410 file and a Lednicer version of it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "control/control_input.hpp"
#include "deck/airfoil_file.hpp"
#include "deck/deck_main.hpp"
#include "deck/deck_support.hpp"
#include "support/decks.hpp"
#include "support/process.hpp"

namespace torvane::deck {
namespace {

using torvane::testing::Run_program;
using torvane::testing::Scratch_folder;

struct Deck_run {
  torvane::testing::Process_result deck, grid, report;
};

// Writes the deck with the arguments, runs torvane on it and the report on its files.
Deck_run Deck_grid_report(const std::string& folder, const std::vector<std::string>& args) {
  Deck_run run;
  run.deck = Run_program(TORVANE_DECK_EXE, args, "/dev/null", folder);
  testing::Write_text(folder + "/deck.in", run.deck.out);
  run.grid = Run_program(TORVANE_BINARY, {}, folder + "/deck.in", folder);
  run.report = Run_program(TORVANE_INSPECT_EXE, {"report", "naca65410"}, "/dev/null", folder);
  return run;
}

// The point lists of a deck, read as torvane reads them.
struct Deck_lists {
  Control_values values;
  std::vector<double> hub, casing;
  Contour_points hub_list, casing_list;
};

Deck_lists Read_lists(const std::string& deck) {
  Deck_lists lists;
  lists.hub.resize(2 * kMaxContourPoints);
  lists.casing.resize(2 * kMaxContourPoints);
  lists.hub_list.xy = lists.hub;
  lists.casing_list.xy = lists.casing;
  std::istringstream in(deck);
  Deck_reader reader(in);
  lists.values = reader.Read_control_values();
  reader.Read_point_list(Surface::hub, lists.hub_list);
  reader.Read_point_list(Surface::casing, lists.casing_list);
  return lists;
}

TEST(DeckEndToEnd, SeligAndLednicerFilesGiveDecksThatGridWithoutAFoldedCell) {
  TORVANE_REQUIRE_NACA(naca);
  Scratch_folder folder;
  const std::string lednicer = folder.path() + "/naca65410_lednicer.dat";
  testing::Write_text(lednicer, testing::Lednicer_from_selig(testing::Read_text(naca)));
  const Airfoil_file file = Read_airfoil_file(naca);

  for (const std::string& casing : {naca, lednicer}) {
    SCOPED_TRACE(casing);
    const Deck_run run = Deck_grid_report(folder.path(), {"--hub", naca, "--casing", casing, "--staghub", "30",
                                                          "--stagcas", "30", "--fname", "naca65410"});
    ASSERT_EQ(run.deck.status, 0) << run.deck.err;
    EXPECT_EQ(run.deck.err, "");
    ASSERT_EQ(run.grid.status, 0) << run.grid.out << run.grid.err;
    EXPECT_EQ(run.grid.out.find("WARNING"), std::string::npos);
    EXPECT_EQ(run.report.status, 0) << run.report.out;
    EXPECT_NE(run.report.out.find("folded cells (scaled Jacobian <= 0): 0\n"), std::string::npos) << run.report.out;

    // Both lists as torvane reads them: the trailing-edge midpoint first, the
    // file's points from the end of its lower side round to its start, and
    // the midpoint again; the leading edge is the reference point.
    const Deck_lists lists = Read_lists(run.deck.out);
    EXPECT_EQ(lists.values.staghub, 30.0);
    for (const Contour_points& list : {lists.hub_list, lists.casing_list}) {
      ASSERT_EQ(list.npts, 52);
      EXPECT_EQ(list.iref, 26);
      EXPECT_EQ(list.xy[0], 0.5 * (1.0 + 0.94971));
      EXPECT_EQ(list.xy[1], 0.5 * (0.0 + 0.00327));
      EXPECT_EQ(list.xy[2 * 51], list.xy[0]);
      EXPECT_EQ(list.xy[2 * 51 + 1], list.xy[1]);
      for (size_t n = 0; n < 50; ++n) {
        EXPECT_EQ(list.xy[2 * (n + 1)], file.loop[49 - n].x) << "point " << n + 2;
        EXPECT_EQ(list.xy[2 * (n + 1) + 1], file.loop[49 - n].y) << "point " << n + 2;
      }
    }
  }
}

TEST(DeckEndToEnd, AResampledDeckAtTheDefaultsGridsWithoutAFoldedCell) {
  TORVANE_REQUIRE_NACA(naca);
  Scratch_folder folder;
  const Deck_run run = Deck_grid_report(folder.path(), {"--hub", naca, "--casing", naca, "--points", "129"});
  ASSERT_EQ(run.deck.status, 0) << run.deck.err;
  ASSERT_EQ(run.grid.status, 0) << run.grid.err;
  EXPECT_EQ(run.report.status, 0) << run.report.out;
  const Deck_lists lists = Read_lists(run.deck.out);
  EXPECT_EQ(lists.hub_list.npts, 129);
  EXPECT_EQ(lists.hub_list.iref, 65);
  EXPECT_EQ(lists.hub[2 * 64], 0.0);
  EXPECT_EQ(lists.hub[2 * 64 + 1], 0.0);
}

TEST(DeckEndToEnd, TheShippedParameterFileGivesItsRotor) {
  TORVANE_REQUIRE_NACA(naca);
  Scratch_folder folder;
  const auto result = Run_program(TORVANE_DECK_EXE,
                                  {"--parameters", std::string(TORVANE_SOURCE_DIR) + "/examples/naca65410_rotor.par",
                                   "--hub", naca, "--casing", naca},
                                  "/dev/null", folder.path());
  ASSERT_EQ(result.status, 0) << result.err;
  const Deck_lists lists = Read_lists(result.out);
  EXPECT_EQ(lists.values.title, "NACA 65-410 rotor, 30 blades" + std::string(22, ' '));
  EXPECT_EQ(lists.values.stagcas, 36.0);
  EXPECT_EQ(lists.values.nspan, 16);
}

// The blade sections of the shared Rotor 37 curve file in the blade-to-blade
// plane (x, r theta), each closed loop without its repeated last point; none
// when the file is absent.
std::vector<std::vector<Point>> Rotor37_sections() {
  std::ifstream in(std::string(TORVANE_SHARED_DIR) + "/data/rotor37/profile_R37.dat");
  std::vector<std::vector<Point>> sections;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("#")) {
      sections.emplace_back();
      continue;
    }
    std::istringstream items(line);
    double x = 0, y = 0, z = 0;
    if (!sections.empty() && items >> x >> y >> z) sections.back().push_back({x, std::hypot(y, z) * std::atan2(y, z)});
  }
  for (auto& section : sections) section.pop_back();
  return sections;
}

// The Rotor 37 sections have round trailing edges whose most downstream point
// lies some ten points along the -y side from the end of the chord, where a
// list naturally starts. Listed from there (every other point, so that a deck
// holds them), each section gives a deck, a grid and a report without a
// folded cell.
TEST(DeckEndToEnd, RoundTrailingEdgesOfTheRotor37SectionsGridWithoutAFoldedCell) {
  const std::vector<std::vector<Point>> sections = Rotor37_sections();
  if (sections.empty()) GTEST_SKIP() << "shared Rotor 37 data not found: profile_R37.dat";
  ASSERT_EQ(sections.size(), 6u);
  Scratch_folder folder;
  for (size_t n = 0; n < sections.size(); n += 5) {
    SCOPED_TRACE("section " + std::to_string(n + 1));
    const std::vector<Point>& section = sections[n];
    const size_t count = section.size();
    size_t nose = 0, tail = 0;
    for (size_t p = 1; p < count; ++p) {
      if (section[p].x < section[nose].x) nose = p;
    }
    auto apart = [&](size_t p) { return std::hypot(section[p].x - section[nose].x, section[p].y - section[nose].y); };
    for (size_t p = 1; p < count; ++p) {
      if (apart(p) > apart(tail)) tail = p;
    }
    std::string text = "Rotor 37 section\n";
    for (size_t p = 0; p <= count; p += 2) {
      const Point& point = section[(tail + p) % count];
      char line[64];
      std::snprintf(line, sizeof line, "%.9f %.9f\n", point.x, point.y);
      text += line;
    }
    testing::Write_text(folder.path() + "/section.dat", text);
    Deck_run run;
    run.deck = Run_program(
        TORVANE_DECK_EXE,
        {"--hub", "section.dat", "--casing", "section.dat", "--staghub", "0", "--stagcas", "0", "--fname", "naca65410"},
        "/dev/null", folder.path());
    ASSERT_EQ(run.deck.status, 0) << run.deck.err;
    testing::Write_text(folder.path() + "/deck.in", run.deck.out);
    run.grid = Run_program(TORVANE_BINARY, {}, folder.path() + "/deck.in", folder.path());
    ASSERT_EQ(run.grid.status, 0) << run.grid.err;
    run.report = Run_program(TORVANE_INSPECT_EXE, {"report", "naca65410"}, "/dev/null", folder.path());
    EXPECT_EQ(run.report.status, 0) << run.report.out;
    EXPECT_NE(run.report.out.find("folded cells (scaled Jacobian <= 0): 0\n"), std::string::npos) << run.report.out;
  }
}

// Standard output that takes nothing (a full device, a closed descriptor):
// what was asked for did not arrive, so the status is the output-error one.
TEST(DeckEndToEnd, AStandardOutputThatFailsIsReportedNotStatusZero) {
  TORVANE_REQUIRE_NACA(naca);
  struct Case {
    const char* name;
    std::string arguments, redirection, message;
  } cases[] = {
      {"deck to a full device", "--hub '" + naca + "' --casing '" + naca + "'", ">/dev/full", "the deck"},
      {"deck to a closed descriptor", "--hub '" + naca + "' --casing '" + naca + "'", ">&-", "the deck"},
      {"help to a full device", "--help", ">/dev/full", "the help"},
  };
  Scratch_folder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string command = std::string("exec '") + TORVANE_DECK_EXE + "' " + c.arguments + " " + c.redirection;
    const auto result = Run_program("/bin/sh", {"-c", command}, "/dev/null", folder.path());
    EXPECT_EQ(result.status, kExitInput);
    EXPECT_EQ(result.err, "torvane-deck: standard output: " + c.message + " cannot be written\n");
  }
}

TEST(DeckEndToEnd, WritesNoDeckWhenACheckFailsAndSaysWhy) {
  TORVANE_REQUIRE_NACA(naca);
  Scratch_folder folder;
  testing::Write_text(folder.path() + "/bad.dat", "NACA 0012\n1.0 0.0\n0.5 0.06 0.1\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {{"--hub", naca, "--casing", naca, "--nblade", "3"},
       1,
       "torvane-deck: --nblade: 3 intervals give fewer than 2 along each blade side\n"},
      {{"--hub", naca, "--casing", "bad.dat"},
       2,
       "torvane-deck: bad.dat, line 3: expected two numbers, x and y, found \"0.5 0.06 0.1\"\n"},
      {{"--hub", naca, "--casing", naca, "--points", "300"},
       3,
       "torvane-deck: --points: \"300\": give a point count from 9 to 257\n"},
  };
  for (const Case& c : cases) {
    const auto result = Run_program(TORVANE_DECK_EXE, c.args, "/dev/null", folder.path());
    EXPECT_EQ(result.status, c.status) << c.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err);
  }
}

// Bytes a terminal would act on, from a damaged file or a file name, reach
// the terminal as '?': the messages quote what they found, and the user's
// terminal must not clear its screen or change its title on the way.
TEST(DeckEndToEnd, ControlBytesInWhatAMessageQuotesAreShownAsMarks) {
  Scratch_folder folder;
  testing::Write_text(folder.File("bad.dat"), "NACA 0012\n1.0 0.0\n0.5 0.\x1b[2J06\n");
  testing::Write_text(folder.File("bad.par"), "nin = 20\n\x1b[31mred = 1\n");
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"--hub", "bad.dat", "--casing", "bad.dat"}, "torvane-deck: bad.dat, line 3: y \"0.?[2J06\" is not a number\n"},
      {{"--parameters", "bad.par"},
       "torvane-deck: bad.par, line 2: \"?[31mred\" is not a name torvane-deck knows; see --help\n"},
      {{"--hub", "x\x1b]0;t\x07.dat", "--casing", "bad.dat"},
       "torvane-deck: x?]0;t?.dat: cannot be opened: No such file or directory\n"},
      {{"--nin\r", "1"}, "torvane-deck: --nin? is not an option; see --help\n"},
  };
  for (const Case& c : cases) {
    const auto result = Run_program(TORVANE_DECK_EXE, c.args, "/dev/null", folder.path());
    EXPECT_EQ(result.err.substr(0, result.err.find('\n') + 1), c.err);
    EXPECT_EQ(result.out, "");
  }
}

// The default title and stem come from a section's name and the hub file's
// name: a control byte there becomes a blank in the title and an underscore
// (as a blank does) in the stem, so the deck stays one record a line.
TEST(DeckEndToEnd, ControlBytesInTheSectionNameAndFileNameLeaveTheDeckReadable) {
  Scratch_folder folder;
  std::string selig = testing::Naca0012_selig(21, 21);
  selig.replace(0, selig.find('\n'), "NACA\t0012\x1b[1m");
  testing::Write_text(folder.File("hub\x01 12.dat"), selig);
  const auto result = Run_program(TORVANE_DECK_EXE, {"--hub", "hub\x01 12.dat", "--casing", "hub\x01 12.dat"},
                                  "/dev/null", folder.path());
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(result.out.starts_with("NACA 0012 [1m" + std::string(37, ' ') + "title:")) << result.out.substr(0, 60);
  const size_t record2 = result.out.find('\n') + 1;
  EXPECT_EQ(result.out.substr(record2, 10), "hub__12   ");
}

}  // namespace
}  // namespace torvane::deck
