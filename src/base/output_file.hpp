// Output files written safely: the bytes go to a temporary file beside the
// target, which replaces the target only when every byte has been written and
// the file closed. A failure leaves any earlier file of that name untouched,
// removes the temporary file and throws File_error; each program words it.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/temporary_files.hpp"

namespace torvane {

// An output file that could not be created, written, closed or put in place.
class File_error : public std::runtime_error {
 public:
  // what() reads "ACTION PATH: REASON", e.g. "cannot write runs/rotor.vts: File too large".
  File_error(std::string action, std::string path, std::string reason, int error_number = 0);

  const std::string& action() const { return action_; }  // "cannot create", "cannot write", ...
  const std::string& path() const { return path_; }      // the target, never the temporary name
  const std::string& reason() const { return reason_; }  // the system's or the library's reason
  int error_number() const { return error_number_; }     // the system's error number; 0 for a library's reason

 private:
  std::string action_;
  std::string path_;
  std::string reason_;
  int error_number_ = 0;
};

// A temporary file beside a target, created empty and exclusively for us, for
// a writer of our own or a library that writes by name (CGNS, PNG). It is
// renamed over the target by Replace_target and removed in every other case.
// A symbolic link is replaced, not followed; a target that is no regular file
// (a device, a pipe) is written in place. A regular file is replaced only
// when it could have been written (a write-protected file is refused), and
// the new file keeps its permissions. A signal that ends the program removes
// the temporary file (see temporary_files.hpp).
class Staged_file {
 public:
  // Creates the temporary file; throws File_error ("cannot create") naming the target.
  explicit Staged_file(std::string target);
  ~Staged_file();
  Staged_file(const Staged_file&) = delete;
  Staged_file& operator=(const Staged_file&) = delete;

  const std::string& target() const { return target_; }
  // The name a library writes to.
  const std::string& temporary() const { return temporary_; }
  // The open descriptor of the temporary file; -1 once closed.
  int descriptor() const { return fd_; }

  // Closes the descriptor; throws File_error ("cannot close").
  void Close_descriptor();
  // Closes the descriptor if open and renames the temporary file over the
  // target; throws File_error ("cannot close", "cannot replace").
  void Replace_target();
  // Removes the temporary file and throws File_error naming the target.
  [[noreturn]] void Fail(std::string action, std::string reason);
  // Fail with the system's reason for the error number.
  [[noreturn]] void Fail_errno(std::string action, int error);
  // Fail with a reason the system does not word, keeping its error number.
  [[noreturn]] void Fail(std::string action, std::string reason, int error);

 private:
  // Closes and removes the temporary file, if any.
  void Discard();

  std::string target_;
  std::string place_;      // the file replaced: the target
  std::string temporary_;  // empty once renamed or removed
  int fd_ = -1;
  bool in_place_ = false;  // the target itself is written: nothing to rename or remove
  Temporary_mark mark_;    // the temporary file on the list a signal removes
};

// A file written through a large buffer into a Staged_file.
class Output_file {
 public:
  // Creates the temporary file; throws File_error when it cannot.
  explicit Output_file(std::string path);
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

  Staged_file staged_;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
};

// Creates or replaces the file at path with the bytes given; throws File_error.
void Write_whole_file(const std::string& path, std::string_view bytes);

}  // namespace torvane
