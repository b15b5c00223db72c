#include "support/decks.hpp"

#include <algorithm>
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
      "Small test deck",    std::string(stem),   "12        nblade",   "3         nin",      "4         nout",
      "7         npitch",   "5         nspan",   "20        nbrow",    "-30.0     betain",   "-20.0     betaout",
      "30.0      staghub",  "40.0      stagcas", "0.0       sweep",    "0.0       lean",     "0.06      chordhub",
      "0.06      chordcas", "0.25      rhub",    "0.5       rcas",     "0.05      lin",      "0.16      lx",
      "2         nwall",    "2         nwallhc", "1.2       ratio",    "0.0006    dsle",     "0.0008    dywle",
      "0.01      dzwall",   "0.0006    dste",    "0.0008    dywte",    "0.0       not used", "0.002     dyout",
      "0.0       not used", "1         ibez",    "0.0       not used",
  };
  // A symmetric section with 10 % thickness and a sharp trailing edge, at
  // cosine-spaced stations: 16 intervals per side.
  constexpr int kSide = 16;
  auto thickness = [](double x) {
    return 0.5 * (0.2969 * std::sqrt(x) - 0.1260 * x - 0.3516 * x * x + 0.2843 * x * x * x - 0.1036 * x * x * x * x);
  };
  for (int list = 0; list < 2; ++list) {
    lines.push_back("33 17     points, leading-edge point");
    for (int n = 0; n <= 2 * kSide; ++n) {
      int station = n <= kSide ? kSide - n : n - kSide;  // from the trailing edge to the leading edge and back
      double x = 0.5 * (1.0 - std::cos(3.141592653589793 * station / kSide));
      double y = n <= kSide ? -thickness(x) : thickness(x);
      char text[64];
      std::snprintf(text, sizeof text, "%.8f %.8f", x, y);
      lines.push_back(text);
    }
  }
  return lines;
}

void Reverse_contour(std::vector<std::string>& lines, size_t count_line) {
  int npts = 0, iref = 0;
  std::sscanf(lines[count_line].c_str(), "%d %d", &npts, &iref);
  lines[count_line] = std::to_string(npts) + " " + std::to_string(npts + 1 - iref);
  auto first = lines.begin() + static_cast<long>(count_line) + 1;
  std::reverse(first, first + npts);
}

std::string Join(const std::vector<std::string>& lines, std::string_view end_of_line) {
  std::string text;
  for (const std::string& line : lines) text.append(line).append(end_of_line);
  return text;
}

Run_result Run_deck(const std::string& deck) {
  std::istringstream in(deck);
  Console out;
  Console err;
  int status = Run(in, out, err);
  return {status, out.captured(), err.captured()};
}

}  // namespace torvane::testing
