#include "base/process_setup.hpp"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "support/scratch_folder.hpp"

namespace torvane {
namespace {

// Exit status of a child that writes where the signal would strike: 42 when
// the write fails with the expected error, 1 when it fails otherwise; a
// child killed by the signal shows as 128 + its number.
int Child_status(bool set_up, const std::string& folder, int which) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGPIPE, SIG_DFL);
    std::signal(SIGXFSZ, SIG_DFL);
    if (set_up) Set_up_process();
    int error = 0;
    if (which == SIGXFSZ) {
      rlimit limit{4096, 4096};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      std::FILE* file = std::fopen((folder + "/big").c_str(), "wb");
      const std::string block(8192, 'x');
      const bool failed = std::fwrite(block.data(), 1, block.size(), file) != block.size() || std::fflush(file) != 0;
      error = failed ? errno : 0;
      ::_exit(error == EFBIG ? 42 : 1);
    }
    int ends[2];
    if (::pipe(ends) != 0) ::_exit(2);
    ::close(ends[0]);  // the reader went away
    error = ::write(ends[1], "x", 1) < 0 ? errno : 0;
    ::_exit(error == EPIPE ? 42 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(Set_up_process, AFailedWriteIsReportedInsteadOfKillingTheProgram) {
  testing::Scratch_folder folder;
  struct Case {
    const char* name;
    int signal;
  } cases[] = {{"file-size limit", SIGXFSZ}, {"reader gone", SIGPIPE}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Child_status(false, folder.path(), c.signal), 128 + c.signal) << "the signal no longer kills by default";
    EXPECT_EQ(Child_status(true, folder.path(), c.signal), 42);
  }
}

}  // namespace
}  // namespace torvane
