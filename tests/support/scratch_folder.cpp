#include "support/scratch_folder.hpp"

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace torvane::testing {

Scratch_folder::Scratch_folder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "torvane-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
}

Scratch_folder::~Scratch_folder() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string Read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

std::string Folder_listing(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  std::string listing;
  for (const std::string& name : names) listing.append(listing.empty() ? "" : " ").append(name);
  return listing;
}

std::string Without_bad_cell_note(const std::string& err) {
  std::string kept;
  size_t start = 0;
  while (start < err.size()) {
    size_t end = err.find('\n', start);
    end = end == std::string::npos ? err.size() : end + 1;
    const std::string_view line(err.data() + start, end - start);
    if (!(line.starts_with("torvane: note: ") &&
          line.find(" cells have a scaled Jacobian below 0.2 (bad)") != std::string_view::npos)) {
      kept.append(line);
    }
    start = end;
  }
  return kept;
}

}  // namespace torvane::testing
