#include "output/console.hpp"

#include <unistd.h>
#include <cerrno>
#include <string>

namespace torvane {

void Console::write(std::string_view records) {
  if (fd_ < 0) {
    captured_.append(records);
    return;
  }
  // A console that cannot be written (closed pipe, full disk) must not stop
  // the grid from being built; the files are the result of the run.
  while (!records.empty()) {
    ssize_t n = ::write(fd_, records.data(), records.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (failure_ == 0) failure_ = n < 0 ? errno : EIO;
      return;
    }
    records.remove_prefix(static_cast<size_t>(n));
  }
}

void Console::record(std::string_view text) {
  std::string line;
  line.reserve(text.size() + 2);
  line.append(text);
  line.append("\r\n");
  write(line);
}

void Console::list_text(std::string_view text) {
  std::string line;
  line.reserve(text.size() + 3);
  line.push_back(' ');
  line.append(text);
  line.append("\r\n");
  write(line);
}

}  // namespace torvane
