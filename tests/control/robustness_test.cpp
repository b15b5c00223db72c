// Decks that once made a run crash, hang or misbehave, each with the sound
// behaviour: lines of any length, counts that pass every check but are never
// used, a file name the system cannot take, and the decks kept in
// fuzz/regressions/.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/decks.hpp"
#include "support/process.hpp"
#include "support/run_contract.hpp"

namespace torvane {
namespace {

namespace fs = std::filesystem;
using testing::Join;
using testing::Read_file;
using testing::Run_deck;
using testing::Run_result;
using testing::Scratch_folder;
using testing::Small_deck_lines;

// The three files of a stem, concatenated ("" for a missing one).
std::string Files_of(const std::string& stem) {
  return Read_file(stem + ".rgra") + Read_file(stem + ".rtp") + Read_file(stem + "_grid_volume.plt");
}

// Line 4 of the small deck holds nin = 3; line 34 the hub count pair "33 17".
constexpr size_t kNinLine = 3;
constexpr size_t kHubCountLine = 33;
constexpr size_t kKept = 65536;  // characters of a line the reader keeps

TEST(Robustness, LinesOfAnyLengthAreReadOrRefusedByWhereTheirValuesLie) {
  struct Case {
    const char* what;
    size_t line;
    std::string text;
    const char* diagnostic;  // nullptr: the run matches the plain small deck
  } cases[] = {
      {"long title", 0, "Small test deck" + std::string(35, ' ') + std::string(200000, 'x'), nullptr},
      {"long note after a value", kNinLine, "3 " + std::string(300000, 'n'), nullptr},
      {"value ending in the last kept column", kNinLine, std::string(kKept - 1, ' ') + "3 note", nullptr},
      {"value ending the kept part of a longer line", kNinLine, std::string(kKept - 1, ' ') + "3" + std::string(9, ' '),
       nullptr},
      {"value beyond the kept part", kNinLine, std::string(kKept + 10, ' ') + "3",
       "record 4 (nin), input line 4: the line is longer than 65536 characters and the value does not lie within them"},
      {"value running on past the kept part", kNinLine, std::string(kKept - 1, ' ') + "33",
       "record 4 (nin), input line 4: the line is longer than 65536 characters and the value does not lie within them"},
      {"second value of a pair beyond the kept part", kHubCountLine, "33" + std::string(kKept, ' ') + "17",
       "record 34 (npthub, irefhub), input line 34: the line is longer than 65536 characters and the value does not "
       "lie within them"},
  };
  Scratch_folder folder;
  ASSERT_EQ(Run_deck(Join(Small_deck_lines(folder.path() + "/plain"))).status, 0);
  const std::string plain = Files_of(folder.path() + "/plain");
  for (const Case& c : cases) {
    const std::string stem = folder.path() + "/long" + std::to_string(&c - cases);
    std::vector<std::string> lines = Small_deck_lines(stem);
    lines[c.line] = c.text;
    Run_result run = Run_deck(Join(lines));
    if (c.diagnostic == nullptr) {
      EXPECT_EQ(run.status, 0) << c.what << "\n" << run.err;
      EXPECT_TRUE(Files_of(stem) == plain) << c.what;
    } else {
      EXPECT_EQ(run.status, 2) << c.what;
      EXPECT_EQ(run.err, "torvane: " + std::string(c.diagnostic) + "\r\n") << c.what;
      EXPECT_FALSE(testing::Exists(stem + ".rgra")) << c.what;
    }
  }
}

TEST(Robustness, AStandardInputThatCannotBeReadIsRefusedInOneLineNotAnAbort) {
  Scratch_folder folder;
  struct Case {
    const char* input;
    std::vector<std::string> command;  // torvane itself, or a shell that closes its standard input first
    const char* reason;
  } cases[] = {
      {"a directory", {TORVANE_BINARY}, "Is a directory"},
      {"a closed descriptor",
       {"/bin/sh", "-c", std::string("exec \"") + TORVANE_BINARY + "\" <&-"},
       "Bad file descriptor"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> args(c.command.begin() + 1, c.command.end());
    const testing::Process_result run = testing::Run_program(c.command[0], args, folder.path(), folder.path());
    EXPECT_EQ(run.status, 2) << c.input;
    EXPECT_EQ(run.err, std::string("torvane: the control deck cannot be read from standard input: ") + c.reason +
                           " (give it as a file: torvane < rotor.in)\r\n")
        << c.input;
  }
}

TEST(Robustness, AWallLayerCountWithOneSpanwiseIntervalIsNeverCounted) {
  // With one spanwise interval nwallhc is not checked against nspan and not
  // used; the largest count once made the run add up two billion intervals.
  Scratch_folder folder;
  std::vector<std::string> files;
  for (const char* nwallhc : {"0", "2147483647"}) {
    const std::string stem = folder.path() + "/span1-" + nwallhc;
    std::vector<std::string> lines = Small_deck_lines(stem);
    lines[6] = "1         nspan";
    lines[21] = std::string(nwallhc) + "  nwallhc";
    Run_result run = Run_deck(Join(lines));
    EXPECT_EQ(run.status, 0) << nwallhc << "\n" << run.err;
    files.push_back(Files_of(stem));
  }
  EXPECT_FALSE(files[0].empty());
  EXPECT_TRUE(files[0] == files[1]);
}

TEST(Robustness, AFileNameHoldingANulIsRefusedBeforeAnyFile) {
  // The system takes a name only up to a NUL: "run\0x" once wrote the grid
  // file as "run", then failed on the topology file with status 2.
  struct Case {
    std::string name;  // after the folder
    bool refused;
  } cases[] = {
      {std::string("run\0x", 5), true},
      {std::string("\0", 1), true},
      {std::string("run \0 note", 11), false},  // after the first blank: not part of the name
  };
  for (const Case& c : cases) {
    Scratch_folder folder;
    const std::string fname = folder.path() + "/" + c.name;
    std::vector<std::string> lines = Small_deck_lines(fname);
    Run_result run = Run_deck(Join(lines));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder.path())) left.push_back(entry.path().filename().string());
    if (c.refused) {
      EXPECT_EQ(run.status, 2);
      EXPECT_EQ(run.err, "torvane: record 2 (fname): the file name holds a NUL character in column " +
                             std::to_string(fname.find('\0') + 1) + "; no file can be named so\r\n");
      EXPECT_TRUE(left.empty()) << left.front();
    } else {
      EXPECT_EQ(run.status, 0) << run.err;
      EXPECT_EQ(left.size(), 3u);
    }
  }
}

TEST(Robustness, EveryDeckTheFuzzerFoundKeepsTheRunPromise) {
  const fs::path folder = fs::path(TORVANE_SOURCE_DIR) / "fuzz" / "regressions";
  std::vector<fs::path> decks;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (entry.is_regular_file() && entry.path().extension() == ".in") decks.push_back(entry.path());
  }
  if (decks.empty()) GTEST_SKIP() << "no regression decks in " << folder;
  for (const fs::path& deck : decks) {
    Scratch_folder scratch;
    testing::Contract_run run = testing::Run_under_contract(Read_file(deck.string()), scratch.path());
    EXPECT_EQ(run.broken, "") << deck.filename() << " (status " << run.status << ")\n" << run.err;
  }
}

}  // namespace
}  // namespace torvane
