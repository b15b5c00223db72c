#include "base/output_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace torvane {

File_error::File_error(std::string action, std::string path, std::string reason, int error_number)
    : std::runtime_error(action + " " + path + ": " + reason),
      action_(std::move(action)),
      path_(std::move(path)),
      reason_(std::move(reason)),
      error_number_(error_number) {}

Staged_file::Staged_file(std::string target) : target_(std::move(target)) {
  struct stat found {};
  if (::stat(target_.c_str(), &found) == 0 && !S_ISREG(found.st_mode)) {
    // Nothing can be put in place of a device or a pipe; a folder is refused by open.
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) Fail_errno("cannot create", errno);
    temporary_ = target_;
    in_place_ = true;
    return;
  }
  // A symbolic link is replaced by the new file, not followed: the file it
  // named stays as it was.
  place_ = target_;
  // A file the user could not write is not replaced either, and a replaced
  // file's permissions pass to the new one.
  struct stat replaced {};
  const bool regular = ::lstat(target_.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode);
  if (regular && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES) {
    Fail("cannot replace", std::string(std::strerror(EACCES)) + " (the file is write-protected)", EACCES);
  }
  // A name of our own beside the target, so the rename stays on one file system.
  for (int attempt = 0;; ++attempt) {
    temporary_ = place_;
    temporary_.append(".tmp").append(std::to_string(::getpid()));
    if (attempt > 0) temporary_.append("-").append(std::to_string(attempt));
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) break;
    if (errno != EEXIST || attempt == 100) {
      const int error = errno;
      temporary_.clear();  // not ours to remove
      Fail_errno("cannot create", error);
    }
  }
  mark_ = Temporary_mark(temporary_.c_str());
  if (regular && ::fchmod(fd_, replaced.st_mode & 07777) != 0) Fail_errno("cannot create", errno);
}

Staged_file::~Staged_file() { Discard(); }

void Staged_file::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty() && !in_place_) ::unlink(temporary_.c_str());
  temporary_.clear();
  mark_.Release();
}

void Staged_file::Fail(std::string action, std::string reason) { Fail(std::move(action), std::move(reason), 0); }

void Staged_file::Fail(std::string action, std::string reason, int error) {
  Discard();
  throw File_error(std::move(action), target_, std::move(reason), error);
}

void Staged_file::Fail_errno(std::string action, int error) { Fail(std::move(action), std::strerror(error), error); }

void Staged_file::Close_descriptor() {
  const int fd = fd_;
  fd_ = -1;
  // A full disk may show only here, when the last blocks are committed.
  if (fd >= 0 && ::close(fd) != 0) Fail_errno("cannot close", errno);
}

void Staged_file::Replace_target() {
  Close_descriptor();
  if (!in_place_ && std::rename(temporary_.c_str(), place_.c_str()) != 0) Fail_errno("cannot replace", errno);
  temporary_.clear();
  mark_.Release();
}

Output_file::Output_file(std::string path)
    : staged_(std::move(path)), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {}

void Output_file::Flush() {
  const char* data = buffer_.get();
  size_t left = used_;
  while (left > 0) {
    const ssize_t n = ::write(staged_.descriptor(), data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) staged_.Fail_errno("cannot write", errno);
    if (n == 0) staged_.Fail_errno("cannot write", EIO);
    data += n;
    left -= static_cast<size_t>(n);
  }
  used_ = 0;
}

char* Output_file::Reserve(size_t n) {
  if (kBufferSize - used_ < n) Flush();
  return buffer_.get() + used_;
}

void Output_file::Append(std::string_view bytes) {
  while (!bytes.empty()) {
    if (used_ == kBufferSize) Flush();
    const size_t n = std::min(bytes.size(), kBufferSize - used_);
    std::memcpy(buffer_.get() + used_, bytes.data(), n);
    used_ += n;
    bytes.remove_prefix(n);
  }
}

void Output_file::Close() {
  Close_temporary();
  Replace_target();
}

void Output_file::Close_temporary() {
  Flush();
  staged_.Close_descriptor();
}

void Output_file::Replace_target() { staged_.Replace_target(); }

void Write_whole_file(const std::string& path, std::string_view bytes) {
  Output_file file(path);
  file.Append(bytes);
  file.Close();
}

}  // namespace torvane
