// torvane-inspect: grid quality report, exports and pictures of a torvane run.
#include <iostream>
#include <string>
#include <vector>

#include "inspect/command_line.hpp"
#include "inspect/subcommands.hpp"

int main(int argc, char** argv) {
  using namespace torvane::inspect;
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  Options options;
  try {
    options = Parse_command_line(args);
  } catch (const Usage_error& e) {
    std::cerr << "torvane-inspect: " << e.what() << "\n" << Usage_text();
    return kExitUsage;
  }
  const int status = Run_command(options, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
