#include "deck/text_files.hpp"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "deck/airfoil_file.hpp"

namespace torvane::deck {

std::string Read_small_file(const std::string& path, std::size_t max_bytes, std::string_view what) {
  const std::string shown = Printable(path);
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw Input_error(shown + ": is a folder, not a " + std::string(what));
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Input_error(shown + ": cannot be opened: " + std::generic_category().message(errno));
  std::string text;
  char block[65536];
  while (in.read(block, sizeof block) || in.gcount() > 0) {
    text.append(block, static_cast<std::size_t>(in.gcount()));
    if (text.size() > max_bytes) {
      throw Input_error(shown + ": larger than " + std::to_string(max_bytes >> 20) + " MB; not a " + std::string(what));
    }
  }
  if (in.bad()) throw Input_error(shown + ": cannot be read: " + std::generic_category().message(errno));
  return text;
}

}  // namespace torvane::deck
