// Runs a program as a separate process in a folder of its own, with a file
// as standard input, and collects its exit status and output.
#pragma once

#include <string>
#include <vector>

namespace torvane::testing {

struct Process_result {
  int status;  // exit status, or 128 + signal number
  std::string out;
  std::string err;
};

// Runs program with args in folder, standard input read from input_path.
Process_result Run_program(const std::string& program, const std::vector<std::string>& args,
                           const std::string& input_path, const std::string& folder);

// Where the two texts first differ, as "record R, column C: expected ... found ...".
std::string First_difference(const std::string& expected, const std::string& found);

}  // namespace torvane::testing
