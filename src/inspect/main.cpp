// torvane-inspect: grid quality report, exports and pictures of a torvane run.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "base/descriptor_output.hpp"
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
  // Standard output through a buffer that keeps the reason of a failed write.
  torvane::Descriptor_output standard_output(1);
  std::streambuf* const original = std::cout.rdbuf(&standard_output);
  const int status = Run_command(options, std::cout, std::cerr);
  if (!std::cout.flush() || standard_output.error() != 0) {
    // A full disk or a closed descriptor: what was asked for did not arrive.
    std::cerr << "torvane-inspect: cannot write standard output: " << std::strerror(standard_output.error()) << "\n";
    std::cout.rdbuf(original);
    return kExitUsage;
  }
  std::cout.rdbuf(original);
  return status;
}
