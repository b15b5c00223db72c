// The numerical routines' events as the run prints them, captured for a test:
// the lines a run would write for each event, in order.
#pragma once

#include <string>

#include "base/diagnostics.hpp"
#include "control/run_diagnostics.hpp"

namespace torvane::testing {

class Captured_diagnostics final : public Diagnostics {
 public:
  void Report(const Diagnostic& event) override { captured_ += Console_lines(event); }
  const std::string& captured() const { return captured_; }

 private:
  std::string captured_;
};

}  // namespace torvane::testing
