// torvane-inspect: grid quality report, exports and pictures of a torvane run.
#include <iostream>
#include <string>
#include <vector>

#include "base/process_setup.hpp"
#include "base/terminal_text.hpp"
#include "inspect/command_line.hpp"
#include "inspect/subcommands.hpp"

int main(int argc, char** argv) {
  using namespace torvane::inspect;
  // A file-size limit or a full disk fails a write, which is reported with
  // the output-error status; the earlier file stays as it was.
  torvane::Set_up_process();
  const std::vector<std::string> args(argv + 1, argv + argc);
  Options options;
  try {
    options = Parse_command_line(args);
  } catch (const Usage_error& e) {
    std::cerr << "torvane-inspect: " << torvane::Printable(e.what()) << "\n" << Usage_text();
    return kExitUsage;
  }
  const int status = Run_command(options, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
