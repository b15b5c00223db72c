// Control decks for tests: a small valid deck built in code (records 1 to 33
// on lines 1 to 33, then the hub and casing lists), and an in-process run of
// the generator that captures its console and error output.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/scratch_folder.hpp"

namespace torvane::testing {

// Lines of a small deck: 14 x 8 x 6 points, ile 4, ite 10, 20 blades, a
// symmetric section of 33 points listed from the trailing edge along the -y
// side to the leading edge (point 17) and back. fname is `stem`.
std::vector<std::string> Small_deck_lines(std::string_view stem = "small");

// Reverses the contour list whose count pair is on line `count_line`
// (0-based), reference index included: the same contour in the other sense.
void Reverse_contour(std::vector<std::string>& lines, size_t count_line);

// The lines joined, each ended by `end_of_line`.
std::string Join(const std::vector<std::string>& lines, std::string_view end_of_line = "\n");

struct Run_result {
  int status;
  std::string out;  // console
  std::string err;  // diagnostics
};

// Runs the generator in-process on the deck text.
Run_result Run_deck(const std::string& deck);

}  // namespace torvane::testing
