// Standard output as a stream that remembers why a write failed (a full
// disk, a closed descriptor), so a program can say so and fail instead of
// exiting 0 with its output lost.
#pragma once

#include <streambuf>
#include <vector>

namespace torvane {

// A stream buffer writing to an open file descriptor through a buffer of its own.
class Descriptor_output : public std::streambuf {
 public:
  explicit Descriptor_output(int fd);
  ~Descriptor_output() override;
  Descriptor_output(const Descriptor_output&) = delete;
  Descriptor_output& operator=(const Descriptor_output&) = delete;

  // The error number of the first write that failed; 0 while every write succeeded.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize n) override;
  int sync() override;

 private:
  // Writes the buffered bytes; false once a write failed.
  bool Drain();
  // Writes n bytes from data to the descriptor; false (and error_ set) when it cannot.
  bool Write(const char* data, size_t n);

  int fd_;
  int error_ = 0;
  std::vector<char> buffer_;
};

}  // namespace torvane
