// Writing a finished text or byte buffer to a file, with a failure that names
// the file and the system's reason.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace torvane::inspect {

// An output file that cannot be created or written.
class Output_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Creates or replaces the file with the bytes given; throws Output_error.
void Write_file(const std::string& path, std::string_view bytes);

}  // namespace torvane::inspect
