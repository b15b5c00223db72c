// torvane without its output: reads the deck on standard input, builds the
// grid and stops before the three files. The benchmark times it as a process,
// like torvane itself, to give the grid build's share of a whole run.
#include <unistd.h>

#include <iostream>

#include "control/run.hpp"

int main() {
  std::ios::sync_with_stdio(false);
  torvane::Console out(1);
  torvane::Console err(2);
  torvane::RunOptions options;
  options.write_files = false;
  return torvane::Run(std::cin, out, err, options);
}
