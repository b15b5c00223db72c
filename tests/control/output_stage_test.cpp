// The output stage as a user meets it: the folder is checked before the build,
// a signal leaves no temporary behind, two runs on one stem each leave a whole
// set of files, and a protected file is not replaced.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "base/temporary_files.hpp"
#include "support/decks.hpp"
#include "support/process.hpp"

extern char** environ;

namespace torvane {
namespace {

using testing::Exists;
using testing::Folder_listing;
using testing::Join;
using testing::Read_file;
using testing::Run_deck;
using testing::Run_result;
using testing::Scratch_folder;
using testing::Small_deck_lines;

// Starts torvane in folder with the deck file as standard input and its
// output to files there; returns the process id.
pid_t Start_torvane(const std::string& folder, const std::string& deck, const std::string& name) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, deck.c_str(), O_RDONLY, 0);
  const std::string out = folder + "/" + name + ".out", err = folder + "/" + name + ".err";
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  char* argv[] = {const_cast<char*>(TORVANE_BINARY), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, TORVANE_BINARY, &actions, nullptr, argv, environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The wait status of the process.
int Wait_for(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

// Writes the deck as a file and returns its path.
std::string Deck_file(const std::string& folder, const std::string& name, const std::vector<std::string>& lines) {
  const std::string path = folder + "/" + name;
  std::ofstream(path) << Join(lines);
  return path;
}

TEST(OutputStage, AMissingOrReadOnlyFolderIsReportedBeforeTheBuild) {
  struct Case {
    const char* name;
    const char* folder;
    mode_t mode;  // of the folder; 0 for none
    const char* reason;
  } cases[] = {
      {"missing", "nosuchdir", 0, "No such file or directory (the folder named in record 2 must exist)"},
      {"read-only", "readonly", 0555, "Permission denied (the folder named in record 2 must be writable)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scratch_folder folder;
    ::chmod(folder.path().c_str(), 0777);
    const std::string inside = folder.File(c.folder);
    if (c.mode != 0) ::mkdir(inside.c_str(), c.mode);
    const std::string stem = inside + "/rotor";
    // In a child that gives up root, which folder permissions do not restrict.
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
      const Run_result run = Run_deck(Join(Small_deck_lines(stem)));
      const bool reported = run.status == 2 && run.err == "torvane: cannot create \"" + stem +
                                                              ".rgra\": " + std::string(c.reason) + "\r\n";
      // Nothing of the build is done: the summary and its first line come after the files are created.
      ::_exit(reported && run.out.find("Generating") == std::string::npos ? 42 : 1);
    }
    const int status = Wait_for(pid);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3) {
      GTEST_SKIP() << "cannot give up root privileges here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 42) << "not reported as it should be before the build";
    if (c.mode != 0) {
      EXPECT_EQ(Folder_listing(inside), "");
    }
  }
}

TEST(OutputStage, AWriteProtectedFileOfAnotherOwnerIsNotReplaced) {
  Scratch_folder folder;
  ::chmod(folder.path().c_str(), 0777);
  const std::string stem = folder.File("rotor");
  std::ofstream(stem + ".rgra") << "another user's grid";
  ::chmod((stem + ".rgra").c_str(), 0444);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    const Run_result run = Run_deck(Join(Small_deck_lines(stem)));
    ::_exit(run.status == 2 && run.err == "torvane: cannot replace \"" + stem +
                                              ".rgra\": Permission denied (the file is write-protected)\r\n"
                ? 42
                : 1);
  }
  const int status = Wait_for(pid);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot give up root privileges here";
  EXPECT_EQ(WEXITSTATUS(status), 42);
  EXPECT_EQ(Read_file(stem + ".rgra"), "another user's grid");
  EXPECT_EQ(Folder_listing(folder.path()), "rotor.rgra");
}

// With standard output closed, the first file opened would take its number
// and the progress lines would land in the grid file: the files are the same
// as with standard output open.
// A file named like the lock file that the run did not make is not the run's
// to remove: a user's file stays, with what it holds.
TEST(OutputStage, ALockFileTheRunDidNotMakeStays) {
  Scratch_folder folder;
  const std::string deck = Deck_file(folder.path(), "rotor.in", Small_deck_lines("rotor"));
  std::ofstream(folder.File("rotor.lock")) << "precious";
  ASSERT_EQ(WEXITSTATUS(Wait_for(Start_torvane(folder.path(), deck, "run"))), 0);
  EXPECT_EQ(Read_file(folder.File("rotor.lock")), "precious");
  EXPECT_TRUE(Exists(folder.File("rotor.rgra")));

  // The lock file a run makes is gone when it is done.
  std::filesystem::remove(folder.File("rotor.lock"));
  ASSERT_EQ(WEXITSTATUS(Wait_for(Start_torvane(folder.path(), deck, "again"))), 0);
  EXPECT_FALSE(Exists(folder.File("rotor.lock")));
}

// Asked for its usage or version, torvane fails when it cannot give them.
TEST(OutputStage, HelpOrVersionThatCannotBeWrittenIsAFailure) {
  Scratch_folder folder;
  const std::string empty = Deck_file(folder.path(), "empty.in", {});
  for (const char* option : {"--help", "--version"}) {
    const testing::Process_result full =
        testing::Run_program("/bin/sh", {"-c", std::string("exec '") + TORVANE_BINARY + "' " + option + " > /dev/full"},
                             empty, folder.path());
    EXPECT_EQ(full.status, 2) << option;
    EXPECT_EQ(full.err, "torvane: cannot write standard output: No space left on device\r\n") << option;
  }
}

// Signals held off while a run's files are renamed are taken afterwards.
TEST(OutputStage, HeldSignalsArriveWhenTheHoldEnds) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    static volatile std::sig_atomic_t arrived = 0;
    std::signal(SIGTERM, [](int) { arrived = 1; });
    {
      const Held_signals held;
      std::raise(SIGTERM);
      if (arrived != 0) ::_exit(1);
    }
    ::_exit(arrived == 1 ? 0 : 2);
  }
  const int status = Wait_for(pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: taken while held; 2: never taken";
}

TEST(OutputStage, AClosedStandardOutputLeavesTheFilesAsTheyAre) {
  Scratch_folder folder;
  const std::string deck = Deck_file(folder.path(), "rotor.in", Small_deck_lines("rotor"));
  auto files = [&] {
    return Read_file(folder.File("rotor.rgra")) + "|" + Read_file(folder.File("rotor.rtp")) + "|" +
           Read_file(folder.File("rotor_grid_volume.plt"));
  };
  ASSERT_EQ(WEXITSTATUS(Wait_for(Start_torvane(folder.path(), deck, "open"))), 0);
  const std::string expected = files();
  const testing::Process_result closed =
      testing::Run_program("/bin/sh", {"-c", std::string("exec '") + TORVANE_BINARY + "' >&-"}, deck, folder.path());
  EXPECT_EQ(closed.status, 0) << closed.err;
  EXPECT_EQ(files(), expected);
}

// The grid file's name is a pipe whose reader takes nothing: torvane stops
// while writing the grid into it, with the topology and plot temporaries made
// and the stem locked, and is signalled there.
TEST(OutputStage, ASignalWhileWritingRemovesTheTemporariesAndEndsTheRunByThatSignal) {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal_number));
    Scratch_folder folder;
    std::vector<std::string> lines = Small_deck_lines("rotor");
    lines[5] = "25        npitch";  // a grid file larger than the pipe holds
    lines[6] = "25        nspan";
    const std::string deck = Deck_file(folder.path(), "rotor.in", lines);
    const std::string pipe = folder.File("rotor.rgra");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const pid_t pid = Start_torvane(folder.path(), deck, "run");
    ASSERT_GT(pid, 0);
    // The console says when the grid file is being written; the pipe fills and the write waits.
    for (int n = 0; n < 5000 && Read_file(folder.File("run.out")).find(" Storing grid ...") == std::string::npos; ++n) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(Exists(folder.File("rotor.rtp.tmp" + std::to_string(pid))));
    EXPECT_TRUE(Exists(folder.File("rotor.lock")));
    ::kill(pid, signal_number);
    const int status = Wait_for(pid);
    ::close(reader);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), signal_number);
    EXPECT_EQ(Folder_listing(folder.path()), "rotor.in rotor.rgra run.err run.out");
  }
}

// Two runs on one stem at once, each with its own deck (the second has
// another title and span count, so all three of its files differ): every
// pair leaves the three files of one run.
TEST(OutputStage, TwoRunsOnOneStemEachLeaveACompleteSet) {
  Scratch_folder folder;
  std::vector<std::string> a = Small_deck_lines("rotor"), b = a;
  a[5] = "25        npitch";
  a[6] = "25        nspan";
  b[0] = "The other run";
  b[5] = "25        npitch";
  b[6] = "21        nspan";
  const std::string decks[2] = {Deck_file(folder.path(), "a.in", a), Deck_file(folder.path(), "b.in", b)};
  auto set_of_files = [&] {
    const std::string stem = folder.File("rotor");
    return Read_file(stem + ".rgra") + "|" + Read_file(stem + ".rtp") + "|" + Read_file(stem + "_grid_volume.plt");
  };
  std::string alone[2];
  for (int n = 0; n < 2; ++n) {
    ASSERT_EQ(WEXITSTATUS(Wait_for(Start_torvane(folder.path(), decks[n], "alone"))), 0);
    alone[n] = set_of_files();
  }
  ASSERT_NE(alone[0], alone[1]);
  int waited = 0;
  for (int pair = 0; pair < 20; ++pair) {
    const pid_t first = Start_torvane(folder.path(), decks[pair % 2], "first");
    const pid_t second = Start_torvane(folder.path(), decks[1 - pair % 2], "second");
    EXPECT_EQ(Wait_for(first), 0);
    EXPECT_EQ(Wait_for(second), 0);
    const std::string left = set_of_files();
    EXPECT_TRUE(left == alone[0] || left == alone[1]) << "pair " << pair << " left a mixed set";
    for (const char* err : {"first.err", "second.err"}) {
      const std::string said = testing::Without_bad_cell_note(Read_file(folder.File(err)));
      if (!said.empty()) {
        ++waited;
        EXPECT_EQ(said,
                  "torvane: another run is writing the files of rotor; waiting until it is done (rotor.lock)\r\n");
      }
    }
  }
  std::cout << waited << " of 20 second runs waited for the first\n";
  EXPECT_EQ(Folder_listing(folder.path()),
            "a.in alone.err alone.out b.in first.err first.out rotor.rgra rotor.rtp rotor_grid_volume.plt second.err "
            "second.out");
}

}  // namespace
}  // namespace torvane
