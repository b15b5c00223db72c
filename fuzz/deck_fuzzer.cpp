// libFuzzer target: the whole run in-process on arbitrary bytes as the control
// deck, its files written to a scratch folder of the process (under TMPDIR),
// whatever stem the deck names. A broken run promise aborts like a crash.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/decks.hpp"
#include "support/run_contract.hpp"

namespace {

// Complete runs of larger grids are checked by the size of the grid file only.
constexpr long kCheckedPoints = 20000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const torvane::testing::Scratch_folder folder;
  const std::string deck(reinterpret_cast<const char*>(data), size);
  const torvane::testing::Contract_run run = torvane::testing::Run_under_contract(deck, folder.path(), kCheckedPoints);
  if (!run.broken.empty()) {
    std::fprintf(stderr, "deck_fuzzer: the run broke its promise (status %d): %s\n", run.status, run.broken.c_str());
    std::abort();
  }
  return 0;
}
