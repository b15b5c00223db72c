#include "inspect/output_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace torvane::inspect {

void Write_file(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw Output_error("cannot create " + path + ": " + std::strerror(errno));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int write_errno = errno;
  // fclose flushes: its failure (disk full) is a failed write too.
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    throw Output_error("cannot write " + path + ": " + std::strerror(written ? errno : write_errno));
  }
}

}  // namespace torvane::inspect
