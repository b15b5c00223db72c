// torvane-deck: a torvane control deck from airfoil coordinate files and a few
// named parameters, checked before it is written.
#include <iostream>
#include <string>
#include <vector>

#include "base/process_setup.hpp"
#include "deck/deck_main.hpp"

int main(int argc, char** argv) {
  // A reader of standard output that went away is reported, not a silent death.
  torvane::Set_up_process();
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return torvane::deck::Deck_main(args, std::cout, std::cerr);
}
