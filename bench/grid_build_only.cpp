// torvane without its output: reads the deck on standard input, builds the
// grid and stops before the three files. It times the build itself (deck,
// both surfaces, the volume, the finite check, and the first touch of the
// grid storage), not the process start that every run pays alike, and writes
// the wall and CPU seconds to the file named by its first argument; a second
// argument --smooth builds the smoothed grid (torvane --smooth), --large lifts
// the limits (torvane --large).
#include <time.h>

#include <fstream>
#include <iostream>
#include <string>

#include "control/run.hpp"

namespace {

double Seconds(clockid_t clock) {
  timespec t;
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  torvane::Console out(1);
  torvane::Console err(2);
  torvane::Run_options options;
  options.write_files = false;
  // The grid check overlaps the file writing in a whole run; the build alone leaves it out.
  options.check_grid = false;
  for (int n = 2; n < argc; ++n) {
    const std::string arg = argv[n];
    if (arg == "--smooth") options.smooth = true;
    if (arg == "--large") options.large = true;
  }
  const double wall = Seconds(CLOCK_MONOTONIC);
  const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
  const int status = torvane::Run(std::cin, out, err, options);
  const double wall_seconds = Seconds(CLOCK_MONOTONIC) - wall;
  const double cpu_seconds = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu;
  if (argc > 1) std::ofstream(argv[1]) << wall_seconds << ' ' << cpu_seconds << '\n';
  return status;
}
