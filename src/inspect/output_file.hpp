// torvane-inspect's output files: each written through the base's safe output
// file (base/output_file.hpp), which fails with File_error; Output_error is
// for what a library reports or this build cannot write at all.
#pragma once

#include <stdexcept>
#include <string>

#include "base/output_file.hpp"

namespace torvane::inspect {

// An output file a library could not write, or a format this build lacks.
class Output_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace torvane::inspect
