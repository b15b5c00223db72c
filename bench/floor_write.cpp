// The floor a whole torvane run is measured against: the least a program can
// do to leave the same bytes, with the standard library's conversion. It turns
// COUNT17 doubles into 17 significant digits and COUNT7 into 7 with
// std::to_chars (scientific), each into a slot of a buffer of the size torvane
// writes through, and writes BYTES17 and BYTES7 bytes (the sizes of torvane's
// grid plus topology file and of its plot file) to two files in FOLDER, one
// write per full buffer. Usage: floor_write FOLDER COUNT17 BYTES17 COUNT7 BYTES7
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "base/output_file.hpp"

namespace {

constexpr size_t kBuffer = torvane::Output_file::kBufferSize;

// Coordinates of the size a grid holds: random sign, binary exponent from -14
// to -1 (magnitudes from 6e-5 up to 1), random 52-bit fraction. Made from the
// bits so that making them costs next to nothing beside the conversion.
class Coordinates {
 public:
  double Next() {
    state_ = state_ * 6364136223846793005u + 1442695040888963407u;
    const uint64_t sign = state_ >> 63;
    const uint64_t exponent = 1023 - 1 - (state_ >> 59) % 14;
    const uint64_t fraction = (state_ >> 7) & ((uint64_t{1} << 52) - 1);
    const uint64_t bits = sign << 63 | exponent << 52 | fraction;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

 private:
  uint64_t state_ = 0x9e3779b97f4a7c15u;
};

// Writes a file of `bytes` bytes: `count` numbers of `precision` + 1 digits,
// each in a slot of `slot` bytes, `per_record` slots followed by CR LF, and
// blanks after the last number up to the size.
void Write_floor_file(const std::string& path, uint64_t count, int precision, size_t slot, int per_record,
                      uint64_t bytes, char* buffer, Coordinates& values) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    std::perror(path.c_str());
    std::exit(2);
  }
  auto flush = [&](size_t used) {
    for (size_t done = 0; done < used;) {
      const ssize_t n = ::write(fd, buffer + done, used - done);
      if (n <= 0) {
        std::perror(path.c_str());
        std::exit(2);
      }
      done += static_cast<size_t>(n);
    }
  };
  const int items = per_record > 0 ? per_record : 1;
  const size_t record = slot * static_cast<size_t>(items) + (per_record > 0 ? 2 : 0);
  size_t used = 0;
  uint64_t written = 0;
  std::memset(buffer, ' ', kBuffer);
  for (uint64_t n = 0; n < count;) {
    if (kBuffer - used < record) {
      flush(used);
      written += used;
      used = 0;
    }
    for (int item = 0; item < items && n < count; ++item, ++n) {
      char* field = buffer + used;
      std::to_chars(field, field + slot, values.Next(), std::chars_format::scientific, precision);
      used += slot;
    }
    if (per_record > 0) {
      buffer[used++] = '\r';
      buffer[used++] = '\n';
    }
  }
  // The header records and the rest of the size, as blanks.
  for (written += used; written < bytes;) {
    if (used == kBuffer) {
      flush(used);
      used = 0;
    }
    const size_t n = static_cast<size_t>(std::min<uint64_t>(bytes - written, kBuffer - used));
    std::memset(buffer + used, ' ', n);
    used += n;
    written += n;
  }
  flush(used);
  if (::close(fd) != 0) {
    std::perror(path.c_str());
    std::exit(2);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: floor_write FOLDER COUNT17 BYTES17 COUNT7 BYTES7\n");
    return 2;
  }
  const std::string folder = argv[1];
  const uint64_t count17 = std::strtoull(argv[2], nullptr, 10);
  const uint64_t bytes17 = std::strtoull(argv[3], nullptr, 10);
  const uint64_t count7 = std::strtoull(argv[4], nullptr, 10);
  const uint64_t bytes7 = std::strtoull(argv[5], nullptr, 10);
  auto buffer = std::make_unique_for_overwrite<char[]>(kBuffer);
  Coordinates values;
  // The grid file's list items (a blank and 25 columns) and the plot file's
  // records of three 15-column fields.
  Write_floor_file(folder + "/floor_17_digits.txt", count17, 16, 26, 0, bytes17, buffer.get(), values);
  Write_floor_file(folder + "/floor_7_digits.txt", count7, 6, 15, 3, bytes7, buffer.get(), values);
  return 0;
}
