#include "deck/deck_block_text.hpp"

#include "base/rotor_speed.hpp"
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
  if (block.angles) {
    const Station_angles& a = *block.angles;
    entries += "angles " + Real_text(a.hub_in) + " " + Real_text(a.hub_out) + " " + Real_text(a.casing_in) + " " +
               Real_text(a.casing_out) + "    # grid-line angles in and out at hub, then at casing [deg]\n";
  }
  if (block.planes) {
    entries += "planes " + Real_text(block.planes->inlet) + " " + Real_text(block.planes->outlet) +
               "    # inlet and outlet planes x = const\n";
  }
  if (block.frame) {
    entries += "frame " + Real_text(block.frame->x) + " " + Real_text(block.frame->theta) +
               "    # the grid moved by x and turned by theta [deg] into the frame of the curve files\n";
  }
  for (const Block_section& section : block.sections) {
    entries += "section        # a blade section between hub and casing, on its own streamsurface\n";
    entries += "span " + Real_text(section.span) + "\n";
    entries += "stagger " + Real_text(section.stagger) + "\n";
    entries += "chord " + Real_text(section.chord) + "\n";
    entries += "reference " + Real_text(section.xref) + " " + Real_text(section.yref) + "\n";
    if (section.angles_given)
      entries += "angles " + Real_text(section.betain) + " " + Real_text(section.betaout) + "\n";
    entries += "curve " + std::to_string(section.curve.x.size()) + "    # x r\n";
    for (size_t n = 0; n < section.curve.x.size(); ++n) {
      entries += Real_text(section.curve.x[n]) + " " + Real_text(section.curve.r[n]) + "\n";
    }
    entries += "points " + std::to_string(section.xy.size() / 2) + " " + std::to_string(section.iref) +
               "    # x y from the trailing edge along the -y side; the reference point is the nose\n";
    for (size_t n = 0; n + 1 < section.xy.size(); n += 2) {
      entries += Real_text(section.xy[n]) + " " + Real_text(section.xy[n + 1]) + "\n";
    }
    entries += "end section\n";
  }
  if (block.large) entries += "large          # up to 999 intervals in each direction, as torvane --large\n";
  if (block.smooth) entries += "smooth         # the passage smoothed, as torvane --smooth\n";
  if (block.tip_gap) {
    const bool pinched = block.tip_gap->pinch > 0 || block.tip_gap->pinch_auto;
    entries += "tip-gap " + Tip_gap_text(*block.tip_gap) + " cells " + std::to_string(block.tip_gap->cells) +
               (pinched ? " pinch " + Tip_pinch_text(*block.tip_gap) : std::string()) +
               "    # the blade ends this far below the casing; cells across the gap" +
               (pinched ? "; the height its walls close over below the tip\n" : "\n");
  }
  if (block.rpm) {
    entries += "rpm " + Rotor_speed_text(*block.rpm) +
               "    # the rotor's speed [rpm], for the solver cases torvane-inspect exports\n";
  }
  if (entries.empty()) return entries;
  return "torvane-block " + std::to_string(kDeckBlockVersion) +
         "    # read by torvane after the casing contour (docs/deck.md)\n" + entries + "end torvane-block\n";
}

}  // namespace torvane::deck
