// Checks of a deck before it is written: what torvane would refuse (the grid
// size limits, the refused values, in torvane's own words), whether each
// section placed with its stagger has its smallest and largest x at the
// leading and trailing edge and runs monotonically in x between them, and a
// dry run of the grid build that must finish without a warning.
#pragma once

#include <string>
#include <vector>

#include "base/control_values.hpp"
#include "base/surface.hpp"
#include "deck/section_contour.hpp"

namespace torvane::deck {

// One section of the deck and where it came from.
struct Deck_section {
  std::string file;  // the section file as the user named it
  std::string name;  // the file's name line
  Section_contour contour;
  bool resampled = false;  // by --points
};

// Problems with the grid counts and values, or nothing: "too many grid points"
// with the size over its limit, or the first value torvane refuses; each
// names the option to change.
std::vector<std::string> Value_problems(const Control_values& values, const Grid_limits& limits = kClassicLimits);

// Problems of one section placed as torvane places it:
// more points than a deck holds, the edges found away from the leading and
// trailing edge or in the wrong order, a side that turns back in x.
std::vector<std::string> Section_problems(const Control_values& values, Surface surface, const Deck_section& section);

// Runs torvane's grid build on the deck text without writing files: what it
// stops on, and every warning it prints, naming the part of the grid and the
// options that govern it.
// With a flow-path file the grid is built on its curves.
// A grid that passes with cells in the report's bad band adds torvane's note
// of them to warnings, when given.
std::vector<std::string> Dry_run_problems(const std::string& deck, const std::string& flow_path = {},
                                          bool large = false, std::vector<std::string>* warnings = nullptr);

}  // namespace torvane::deck
