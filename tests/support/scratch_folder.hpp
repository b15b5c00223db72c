// A scratch folder for one test, and reading back what a program wrote there.
#pragma once

#include <string>

namespace torvane::testing {

// A fresh empty folder under the system's temporary folder, removed by the destructor.
class Scratch_folder {
 public:
  Scratch_folder();
  ~Scratch_folder();
  Scratch_folder(const Scratch_folder&) = delete;
  Scratch_folder& operator=(const Scratch_folder&) = delete;
  const std::string& path() const { return path_; }
  // The path of a file in the folder.
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Whole contents of a file ("" when it cannot be read); exists() tells apart.
std::string Read_file(const std::string& path);

// Standard error without torvane's note of bad cells (a grid that passed
// its check with cells in the report's bad band), for tests about the rest.
std::string Without_bad_cell_note(const std::string& err);
bool Exists(const std::string& path);

// The names in the folder, sorted.
std::string Folder_listing(const std::string& folder);

}  // namespace torvane::testing
