// The spanwise count of a deck with a tip gap: the gap's first interval is a
// small share of a small gap, and the hub-to-tip distribution must grow from
// it into the core without a jump between neighbouring cells.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/control_values.hpp"
#include "base/tip_gap_request.hpp"
#include "deck/deck_choices.hpp"
#include "deck/deck_records.hpp"

namespace torvane::deck {

// The largest ratio of neighbouring spanwise intervals, hub to tip and at the
// tip into the gap, the chosen count keeps to: the cells there then differ in
// volume by about as much, well inside the report's fair band (ratios up to 5).
inline constexpr double kTipLayerJump = 2.5;

// How the hub-to-tip distribution meets the gap: jump, the largest ratio of
// neighbouring spanwise intervals from the hub to the tip plane and from the
// last below the tip into the gap's first; gap_first, that first interval.
struct Tip_layer_fit {
  double jump;
  double gap_first;
};

// The fit for the values' counts and the gap; nullopt when no tip plane is
// left or the values describe no line (the checks refuse those).
std::optional<Tip_layer_fit> Tip_layer_jump(const Control_values& values, const Tip_gap_request& gap);

// Without a given nspan: the fewest spanwise intervals, from nspan as it
// stands up in steps of kCountStep, whose distribution keeps
// Tip_layer_jump to kTipLayerJump (nwallhc, unless given or chosen for a
// target y+, follows the count as its default does). Returns why no count
// fits within the deck's limits, naming --large, --nspan and --gap-cells.
// A given nspan is kept; a warning says so when its intervals jump by more.
std::optional<std::string> Apply_tip_layer(Control_values& values, const std::set<std::string>& given,
                                           const Deck_choices& choices, const Tip_gap_request& gap,
                                           Value_sources& sources, std::vector<std::string>& warnings);

}  // namespace torvane::deck
