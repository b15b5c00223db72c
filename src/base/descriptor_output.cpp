#include "base/descriptor_output.hpp"

#include <unistd.h>

#include <cerrno>

namespace torvane {

namespace {
constexpr size_t kBufferSize = size_t{1} << 16;
}

Descriptor_output::Descriptor_output(int fd) : fd_(fd), buffer_(kBufferSize) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

Descriptor_output::~Descriptor_output() { Drain(); }

bool Descriptor_output::Write(const char* data, size_t n) {
  if (error_ != 0) return false;
  while (n > 0) {
    const ssize_t written = ::write(fd_, data, n);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      error_ = written < 0 ? errno : EIO;
      return false;
    }
    data += written;
    n -= static_cast<size_t>(written);
  }
  return true;
}

bool Descriptor_output::Drain() {
  const bool written = Write(pbase(), static_cast<size_t>(pptr() - pbase()));
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  return written;
}

Descriptor_output::int_type Descriptor_output::overflow(int_type c) {
  if (!Drain()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize Descriptor_output::xsputn(const char* data, std::streamsize n) {
  const size_t count = static_cast<size_t>(n);
  if (count <= static_cast<size_t>(epptr() - pptr())) {
    traits_type::copy(pptr(), data, count);
    pbump(static_cast<int>(count));
    return n;
  }
  if (!Drain()) return 0;
  if (count < buffer_.size()) {
    traits_type::copy(pptr(), data, count);
    pbump(static_cast<int>(count));
    return n;
  }
  return Write(data, count) ? n : 0;
}

int Descriptor_output::sync() { return Drain() ? 0 : -1; }

}  // namespace torvane
