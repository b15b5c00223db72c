#include "base/process_setup.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iostream>

#include "base/temporary_files.hpp"

namespace torvane {

namespace {

// A closed standard output or error gets a descriptor that refuses every
// write, so the program's writes fail and are reported instead of landing in
// the first file it opens, which would take the free number.
void Hold_closed_output(int fd) {
  if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) return;
  const int held = ::open("/dev/null", O_RDONLY);
  if (held < 0 || held == fd) return;
  ::dup2(held, fd);
  ::close(held);
}

}  // namespace

void Set_up_process() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  Remove_temporaries_on_signal();
  Hold_closed_output(STDOUT_FILENO);
  Hold_closed_output(STDERR_FILENO);
  std::ios::sync_with_stdio(false);
}

}  // namespace torvane
