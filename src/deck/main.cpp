// torvane-deck: a torvane control deck from airfoil coordinate files and a few
// named parameters, checked before it is written.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "deck/deck_main.hpp"

int main(int argc, char** argv) {
  // A reader of standard output that went away is reported, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return torvane::deck::Deck_main(args, std::cout, std::cerr);
}
