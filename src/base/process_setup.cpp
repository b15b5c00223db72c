#include "base/process_setup.hpp"

#include <csignal>
#include <iostream>

namespace torvane {

void Set_up_process() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  std::ios::sync_with_stdio(false);
}

}  // namespace torvane
