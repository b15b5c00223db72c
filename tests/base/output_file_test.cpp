#include "base/output_file.hpp"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "support/decks.hpp"

namespace torvane {
namespace {

using testing::Exists;
using testing::Read_file;
using testing::Scratch_folder;

TEST(OutputFile, ReplacesALongerFileOfTheSameNameWhole) {
  Scratch_folder folder;
  std::string path = folder.path() + "/old.rtp";
  std::ofstream(path) << std::string(10000, 'x');
  Output_file file(path);
  file.Append("new\r\n");
  file.Close();
  EXPECT_EQ(Read_file(path), "new\r\n");
}

TEST(OutputFile, AClosedTemporaryReplacesTheTargetOnlyWhenAskedAndIsRemovedOtherwise) {
  Scratch_folder folder;
  const std::string path = folder.path() + "/run.rgra";
  std::ofstream(path) << "old";
  {
    Output_file kept(path);
    kept.Append("new");
    kept.Close_temporary();
    EXPECT_EQ(Read_file(path), "old");  // written and closed, not yet in place
    kept.Replace_target();
  }
  EXPECT_EQ(Read_file(path), "new");
  {
    Output_file dropped(path);
    dropped.Append("newer");
    dropped.Close_temporary();
  }
  EXPECT_EQ(Read_file(path), "new");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);  // no temporary left
}

TEST(OutputFile, ReportsAFolderThatDoesNotExistWithTheFileAndReason) {
  Scratch_folder folder;
  try {
    Output_file file(folder.path() + "/no/such.rgra");
    FAIL() << "created";
  } catch (const Run_stop& stop) {
    EXPECT_EQ(stop.status, 2);
    EXPECT_EQ(stop.diagnostic, "file error on channel 10: cannot create \"" + folder.path() +
                                   "/no/such.rgra\": No such file or directory");
  }
}

TEST(OutputFile, ReportsAFolderWithoutWritePermission) {
  Scratch_folder folder;
  std::string locked = folder.path() + "/locked";
  std::filesystem::create_directory(locked);
  std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  // In a child process; as root it first gives up its privileges, which
  // permissions do not restrict.
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    try {
      Output_file file(locked + "/grid.rgra");
    } catch (const Run_stop& stop) {
      bool named =
          stop.diagnostic == "file error on channel 10: cannot create \"" + locked + "/grid.rgra\": Permission denied";
      ::_exit(named && stop.status == 2 ? 42 : 1);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot give up root privileges here";
  EXPECT_EQ(WEXITSTATUS(status), 42) << "the refused file was not reported as it should be";
  EXPECT_FALSE(Exists(locked + "/grid.rgra"));
}

TEST(OutputFile, AFailedWriteLeavesTheEarlierFileAndNoTemporaryBehind) {
  Scratch_folder folder;
  std::string path = folder.path() + "/grid.rgra";
  std::ofstream(path) << "the good grid of an earlier run\n";
  // In a child process limited to 64 KiB per file, writing 4 MiB fails with EFBIG.
  pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{65536, 65536};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      Output_file file(path);
      for (int n = 0; n < 4096; ++n) file.Append(std::string(1024, 'y'));
      file.Close();
    } catch (const Run_stop& stop) {
      bool named = stop.diagnostic == "file error on channel 10: cannot write \"" + path + "\": File too large";
      ::_exit(named && stop.status == 2 ? 42 : 1);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 42) << "the failed write was not reported as it should be";
  EXPECT_EQ(Read_file(path), "the good grid of an earlier run\n");
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
  EXPECT_EQ(entries, 1) << "a temporary file was left behind";
}

}  // namespace
}  // namespace torvane
