// An output file written safely: through a large buffer into a temporary file
// beside the target, which replaces the target only when every byte has been
// written and the file closed. A failure leaves any earlier file of that name
// untouched and removes the temporary file.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "base/run_stop.hpp"

namespace torvane {

class Output_file {
 public:
  // Creates the temporary file; throws Run_stop (status 2) naming the file and
  // the system's reason when it cannot.
  explicit Output_file(std::string path);
  ~Output_file();
  Output_file(const Output_file&) = delete;
  Output_file& operator=(const Output_file&) = delete;

  // Room for at least n bytes at the end of the buffer (n <= the buffer size).
  char* Reserve(size_t n);
  // Marks n bytes written at the pointer Reserve returned.
  void Commit(size_t n) { used_ += n; }
  void Append(std::string_view bytes);

  // Writes the rest, closes the file and renames it over the target.
  void Close();
  // Writes the rest and closes the temporary file; the target is left as it is
  // until Replace_target (the destructor removes the temporary file instead).
  void Close_temporary();
  // Renames the closed temporary file over the target.
  void Replace_target();

  static constexpr size_t kBufferSize = size_t{1} << 20;

 private:
  void Flush();
  // Closes and removes the temporary file, if any.
  void Discard();
  [[noreturn]] void Fail(const char* what, int error);

  std::string path_;
  std::string temporary_;  // empty once renamed or removed
  int fd_ = -1;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
};

}  // namespace torvane
