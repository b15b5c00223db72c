// The torvane command: --help and --version, or a run on the deck read from
// standard input.
#pragma once

#include <istream>
#include <span>
#include <string_view>

#include "output/console.hpp"

namespace torvane {

// Handles the arguments (without the program name) and runs; returns the exit
// status. When the deck comes from a terminal, a hint says where it is read from.
int Torvane_main(std::span<const std::string_view> args, std::istream& deck, bool deck_is_terminal, Console& out,
                 Console& err);

}  // namespace torvane
