#include "support/decks.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "control/run.hpp"

namespace torvane::testing {

std::vector<std::string> Small_deck_lines(std::string_view stem) {
  std::vector<std::string> lines = {
      "Small test deck",
      std::string(stem),
      "12        nblade",
      "3         nin",
      "4         nout",
      "7         npitch",
      "5         nspan",
      "20        nbrow",
      "-30.0     betain",
      "-20.0     betaout",
      "30.0      staghub",
      "40.0      stagcas",
      "0.0       sweep",
      "0.0       lean",
      "0.06      chordhub",
      "0.06      chordcas",
      "0.25      rhub",
      "0.5       rcas",
      "0.05      lin",
      "0.16      lx",
      "2         nwall",
      "2         nwallhc",
      "1.2       ratio",
      "0.0006    dsle",
      "0.0008    dywle",
      "0.01      dzwall",
      "0.0006    dste",
      "0.0008    dywte",
      "0.0       not used",
      "0.002     dyout",
      "0.0       not used",
      "1         ibez",
      "0.0       not used",
  };
  constexpr int kIntervals = 32;
  for (int list = 0; list < 2; ++list) {
    lines.push_back("33 17     points, leading-edge point");
    for (int n = 0; n <= kIntervals; ++n) {
      double theta = 6.283185307179586 * n / kIntervals;
      char text[64];
      std::snprintf(text, sizeof text, "%.8f %.8f", 0.5 * (1.0 + std::cos(theta)), -0.05 * std::sin(theta));
      lines.push_back(text);
    }
  }
  return lines;
}

std::string Join(const std::vector<std::string>& lines, std::string_view end_of_line) {
  std::string text;
  for (const std::string& line : lines) text.append(line).append(end_of_line);
  return text;
}

RunResult Run_deck(const std::string& deck) {
  std::istringstream in(deck);
  Console out;
  Console err;
  int status = Run(in, out, err);
  return {status, out.captured(), err.captured()};
}

ScratchFolder::ScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "torvane-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
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

}  // namespace torvane::testing
