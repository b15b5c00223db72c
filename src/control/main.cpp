// torvane: the H-grid generator for one blade passage. Reads the control
// deck on standard input and writes the grid, topology and plot files.
#include <unistd.h>

#include <iostream>
#include <string_view>
#include <vector>

#include "base/process_setup.hpp"
#include "control/command_line.hpp"

int main(int argc, char** argv) {
  // A reader of standard output that went away must not stop the grid from
  // being built and written; a file-size limit fails a write, reported.
  torvane::Set_up_process();
  std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  torvane::Console out(1);
  torvane::Console err(2);
  return torvane::Torvane_main(args, std::cin, ::isatty(0) == 1, out, err);
}
