#include "base/output_file.hpp"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "support/scratch_folder.hpp"

namespace torvane {
namespace {

using testing::Exists;
using testing::Folder_listing;
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
  EXPECT_EQ(Folder_listing(folder.path()), "old.rtp");
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
  } catch (const File_error& error) {
    EXPECT_EQ(error.action(), "cannot create");
    EXPECT_EQ(error.path(), folder.path() + "/no/such.rgra");
    EXPECT_EQ(error.reason(), "No such file or directory");
    EXPECT_STREQ(error.what(), ("cannot create " + folder.path() + "/no/such.rgra: No such file or directory").c_str());
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
    } catch (const File_error& error) {
      bool named = error.action() == "cannot create" && error.path() == locked + "/grid.rgra" &&
                   error.reason() == "Permission denied";
      ::_exit(named ? 42 : 1);
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
    } catch (const File_error& error) {
      bool named = error.action() == "cannot write" && error.path() == path && error.reason() == "File too large";
      ::_exit(named ? 42 : 1);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 42) << "the failed write was not reported as it should be";
  EXPECT_EQ(Read_file(path), "the good grid of an earlier run\n");
  EXPECT_EQ(Folder_listing(folder.path()), "grid.rgra") << "a temporary file was left behind";
}

// A library writing by name: what it wrote replaces the target only when the
// writer says so; a failure on the way leaves the earlier file and no temporary.
TEST(Staged_file, PutsALibrarysFileInPlaceOnlyWhenComplete) {
  struct Case {
    const char* name;
    bool completed;
    const char* expected;
  } cases[] = {
      {"complete", true, "written by the library"},
      {"failed half way", false, "the earlier export"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scratch_folder folder;
    const std::string path = folder.File("rotor.cgns");
    std::ofstream(path) << "the earlier export";
    try {
      Staged_file staged(path);
      staged.Close_descriptor();
      EXPECT_EQ(std::filesystem::path(staged.temporary()).parent_path(), folder.path());
      std::ofstream(staged.temporary()) << "written by the library";
      if (!c.completed) staged.Fail("cannot write", "the library gave up");
      staged.Replace_target();
    } catch (const File_error& error) {
      EXPECT_FALSE(c.completed);
      EXPECT_STREQ(error.what(), ("cannot write " + path + ": the library gave up").c_str());
    }
    EXPECT_EQ(Read_file(path), c.expected);
    EXPECT_EQ(Folder_listing(folder.path()), "rotor.cgns") << "a temporary file was left behind";
  }
}

TEST(Staged_file, LeavesNoTemporaryWhenTheWriterThrowsSomethingElse) {
  Scratch_folder folder;
  const std::string path = folder.File("rotor_hub.png");
  try {
    Staged_file staged(path);
    throw std::runtime_error("the drawing failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(Folder_listing(folder.path()), "");
}

TEST(Write_whole_file, ReplacesTheTargetWithExactlyTheBytesGiven) {
  Scratch_folder folder;
  const std::string path = folder.File("rotor.xyz");
  std::ofstream(path) << std::string(3 << 20, 'o');
  // Longer than the buffer, with a zero byte inside.
  std::string bytes = std::string(Output_file::kBufferSize + 3, 'n');
  bytes[17] = '\0';
  Write_whole_file(path, bytes);
  EXPECT_EQ(Read_file(path), bytes);
}

// A replaced file keeps its permissions; one the user could not write is
// refused before anything is written, as a write to it would be.
TEST(OutputFile, ReplacingKeepsThePermissionsAndRefusesAWriteProtectedFile) {
  Scratch_folder folder;
  const std::string path = folder.File("rotor.rgra");
  for (const auto mode : {0600, 0640, 0444}) {
    std::ofstream(path) << "old";
    ::chmod(path.c_str(), static_cast<mode_t>(mode));
    if (mode == 0444 && ::geteuid() != 0) continue;  // only root may replace its own protected file
    Write_whole_file(path, "new");
    struct stat found {};
    ASSERT_EQ(::stat(path.c_str(), &found), 0);
    EXPECT_EQ(found.st_mode & 07777, static_cast<mode_t>(mode));
    EXPECT_EQ(Read_file(path), "new");
    ::unlink(path.c_str());
  }

  // A protected file of another owner, in a folder everyone may write: the
  // child gives up root first, since root may write anything.
  ::chmod(folder.path().c_str(), 0777);
  std::ofstream(path) << "the other owner's grid";
  ::chmod(path.c_str(), 0444);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    try {
      Write_whole_file(path, "new");
    } catch (const File_error& error) {
      ::_exit(std::string(error.what()) ==
                      "cannot replace " + path + ": Permission denied (the file is write-protected)"
                  ? 42
                  : 1);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot give up root privileges here";
  EXPECT_EQ(WEXITSTATUS(status), 42) << "the protected file was not refused as it should be";
  EXPECT_EQ(Read_file(path), "the other owner's grid");
  EXPECT_EQ(Folder_listing(folder.path()), "rotor.rgra");
}

// Targets that are no plain file: what is there stays what it is.
TEST(OutputFile, ReplacesALinkWritesIntoAPipeAndRefusesAFolder) {
  Scratch_folder folder;
  // A symbolic link is replaced by the new file; the file it named stays as it was.
  std::ofstream(folder.File("real.csv")) << "earlier list";
  std::filesystem::create_symlink(folder.File("real.csv"), folder.File("bad_cells.csv"));
  Write_whole_file(folder.File("bad_cells.csv"), "i,j,k\n");
  EXPECT_FALSE(std::filesystem::is_symlink(folder.File("bad_cells.csv")));
  EXPECT_EQ(Read_file(folder.File("bad_cells.csv")), "i,j,k\n");
  EXPECT_EQ(Read_file(folder.File("real.csv")), "earlier list");

  // A named pipe: written in place for the reader at the other end.
  const std::string pipe = folder.File("list.pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] { received = Read_file(pipe); });
  Write_whole_file(pipe, "i,j,k\n2,1,1\n");
  reader.join();
  EXPECT_EQ(received, "i,j,k\n2,1,1\n");
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));

  // A folder of that name: refused before anything is written.
  std::filesystem::create_directory(folder.File("rotor.vts"));
  try {
    Write_whole_file(folder.File("rotor.vts"), "<VTKFile/>");
    ADD_FAILURE() << "wrote over a folder";
  } catch (const File_error& error) {
    EXPECT_STREQ(error.what(), ("cannot create " + folder.File("rotor.vts") + ": Is a directory").c_str());
  }
  EXPECT_TRUE(std::filesystem::is_directory(folder.File("rotor.vts")));
  EXPECT_EQ(Folder_listing(folder.path()), "bad_cells.csv list.pipe real.csv rotor.vts");
}

}  // namespace
}  // namespace torvane
