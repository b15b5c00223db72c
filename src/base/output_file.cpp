#include "base/output_file.hpp"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/run_stop.hpp"

namespace torvane {

namespace {

// The channel number the error reports give for every output file.
constexpr int kChannel = 10;

}  // namespace

Output_file::Output_file(std::string path)
    : path_(std::move(path)), buffer_(std::make_unique_for_overwrite<char[]>(kBufferSize)) {
  // A name of our own beside the target, so the rename stays on one file system.
  for (int attempt = 0;; ++attempt) {
    temporary_ = path_;
    temporary_.append(".tmp").append(std::to_string(::getpid()));
    if (attempt > 0) temporary_.append("-").append(std::to_string(attempt));
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) break;
    if (errno != EEXIST || attempt == 100) {
      int error = errno;
      temporary_.clear();  // not ours to remove
      Fail("cannot create", error);
    }
  }
}

Output_file::~Output_file() { Discard(); }

void Output_file::Discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

void Output_file::Fail(const char* what, int error) {
  Discard();
  std::string diagnostic = "file error on channel ";
  diagnostic.append(std::to_string(kChannel)).append(": ").append(what).append(" \"").append(path_);
  diagnostic.append("\": ").append(std::strerror(error));
  throw Run_stop{2, diagnostic};
}

void Output_file::Flush() {
  const char* data = buffer_.get();
  size_t left = used_;
  while (left > 0) {
    ssize_t n = ::write(fd_, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("cannot write", errno);
    if (n == 0) Fail("cannot write", EIO);
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
    size_t n = std::min(bytes.size(), kBufferSize - used_);
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
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) Fail("cannot close", errno);
}

void Output_file::Replace_target() {
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0) Fail("cannot replace", errno);
  temporary_.clear();
}

}  // namespace torvane
