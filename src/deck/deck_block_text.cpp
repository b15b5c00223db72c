#include "deck/deck_block_text.hpp"

#include "control/deck_block.hpp"
#include "deck/deck_records.hpp"

namespace torvane::deck {

namespace {

void Put_curve(std::string& text, const char* name, const Curve_points& curve) {
  text.append(name).push_back('\n');
  for (size_t n = 0; n < curve.x.size(); ++n) text += Real_text(curve.x[n]) + " " + Real_text(curve.r[n]) + "\n";
}

}  // namespace

std::string Deck_block_text(const Deck_block& block) {
  std::string entries;
  if (block.flow_path) {
    entries += "flow-path      # hub and casing curves, x r per line, as a --flow-path file\n";
    Put_curve(entries, "hub", block.flow_path->hub);
    Put_curve(entries, "casing", block.flow_path->casing);
    entries += "end flow-path\n";
  }
  if (block.tip_gap) {
    entries += "tip-gap " + Tip_gap_text(*block.tip_gap) + " cells " + std::to_string(block.tip_gap->cells) +
               "    # the blade ends this far below the casing; cells across the gap\n";
  }
  if (entries.empty()) return entries;
  return "torvane-block " + std::to_string(kDeckBlockVersion) +
         "    # read by torvane after the casing contour (docs/deck.md)\n" + entries + "end torvane-block\n";
}

}  // namespace torvane::deck
