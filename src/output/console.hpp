// The run's standard output: whole records ended by CR LF, written as they are
// completed (so progress shows while the grid is built), or captured in memory
// for a test.
#pragma once

#include <string>
#include <string_view>

#include "base/run_stop.hpp"

namespace torvane {

class Console {
 public:
  // Captures everything in memory (tests, in-process runs).
  Console() = default;
  // Writes through to an open file descriptor (1 for standard output).
  explicit Console(int fd) : fd_(fd) {}

  // Writes bytes that already hold whole records.
  void write(std::string_view records);
  // Writes one record: the text followed by CR LF.
  void record(std::string_view text);
  // A list write of one text item: a blank, the text, CR LF.
  void list_text(std::string_view text);

  const std::string& captured() const { return captured_; }
  // The system's error number of the first write that failed; 0 while none has.
  int failure() const { return failure_; }

 private:
  int fd_ = -1;
  std::string captured_;
  int failure_ = 0;
};

}  // namespace torvane
