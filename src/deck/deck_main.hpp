// torvane-deck from its command line to the deck on standard output.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace torvane::deck {

// Exit statuses of torvane-deck.
inline constexpr int kExitWritten = 0;
inline constexpr int kExitProblems = 1;  // a value or a section torvane would refuse or get wrong
inline constexpr int kExitInput = 2;     // a section or parameter file unreadable or malformed; output failed
inline constexpr int kExitUsage = 3;     // wrong command line

// Runs torvane-deck on argv[1..]: the deck goes to out (nothing when a check
// fails), messages to err, each line starting "torvane-deck: ".
int Deck_main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace torvane::deck
