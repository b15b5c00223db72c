#include "base/stem_lock.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

#include "base/output_file.hpp"
#include "support/scratch_folder.hpp"

namespace torvane {
namespace {

using testing::Exists;
using testing::Folder_listing;
using testing::Scratch_folder;

// A second run on the stem waits, says so once, and goes on when the first
// lets go; the last one out leaves no lock file behind.
TEST(Stem_lock, ASecondHolderWaitsUntilTheFirstLetsGo) {
  Scratch_folder folder;
  const std::string path = folder.File("rotor.lock");
  std::optional<Stem_lock> first(std::in_place, path, [] { ADD_FAILURE() << "the first run waited"; });
  EXPECT_TRUE(Exists(path));
  std::atomic<int> waits{0};
  std::atomic<bool> second_holds{false};
  std::thread second([&] {
    Stem_lock lock(path, [&] { ++waits; });
    second_holds = true;
  });
  while (waits == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(second_holds) << "both held the lock at once";
  first.reset();
  second.join();
  EXPECT_TRUE(second_holds);
  EXPECT_EQ(waits, 1);
  EXPECT_EQ(Folder_listing(folder.path()), "");
}

// A lock file that exists but cannot be opened stops the run at once with a
// reason that names it, not the folder, and no retry: a symbolic link to a
// missing file, and (tried as another user when the tests run as root)
// another user's read-only lock file.
TEST(Stem_lock, ALockFileThatCannotBeOpenedIsNamedAtOnce) {
  Scratch_folder folder;
  const std::string path = folder.File("rotor.lock");
  ASSERT_EQ(::symlink("missing-target", path.c_str()), 0);
  try {
    Stem_lock lock(path, [] { ADD_FAILURE() << "waited on a dangling link"; });
    ADD_FAILURE() << "locked a dangling link";
  } catch (const File_error& error) {
    EXPECT_EQ(error.action(), "cannot open");
    EXPECT_EQ(error.path(), path);
    EXPECT_NE(error.reason().find("symbolic link to a file that does not exist"), std::string::npos) << error.reason();
  }
  EXPECT_EQ(Folder_listing(folder.path()), "rotor.lock");  // the user's link stays

  if (::geteuid() != 0) GTEST_SKIP() << "another user's lock file needs the tests to run as root";
  ::unlink(path.c_str());
  {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0400);
    ASSERT_GE(fd, 0);
    ::close(fd);
  }
  ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(report[0]);
    std::string told = "locked";
    if (::setgid(65534) == 0 && ::setuid(65534) == 0) {
      try {
        Stem_lock lock(path, nullptr);
      } catch (const File_error& error) {
        told = error.action() + "|" + error.reason();
      }
    } else {
      told = "no other user";
    }
    (void)!::write(report[1], told.data(), told.size());
    ::_exit(0);
  }
  ::close(report[1]);
  std::string told;
  char buffer[512];
  for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;) told.append(buffer, static_cast<size_t>(n));
  ::close(report[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (told == "no other user") GTEST_SKIP() << "cannot become another user";
  EXPECT_EQ(told,
            "cannot open|Permission denied (the lock file exists and this user may not open it; its owner may remove "
            "it)");
}

}  // namespace
}  // namespace torvane
