// torvane: the H-grid generator for one blade passage. Reads the control
// deck on standard input and writes the grid, topology and plot files.
#include <csignal>
#include <iostream>

#include "control/run.hpp"

int main() {
  // A file-size limit must fail a write (and be reported) rather than kill the run.
  std::signal(SIGXFSZ, SIG_IGN);
  std::ios::sync_with_stdio(false);
  torvane::Console out(1);
  torvane::Console err(2);
  return torvane::Run(std::cin, out, err);
}
