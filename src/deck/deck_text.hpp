// The text of a control deck: one record per line, each value followed by its
// name and meaning as a note (torvane reads only the values), then the hub and
// casing point lists with the trailing and leading edges marked.
#pragma once

#include <string>

#include "control/control_input.hpp"
#include "deck/deck_checks.hpp"

namespace torvane::deck {

// With a flow-path file, the rhub and rcas lines say the run needs `torvane --flow-path FILE`.
std::string Deck_text(const Control_values& values, const Deck_section& hub, const Deck_section& casing,
                      std::string_view flow_path = {});

}  // namespace torvane::deck
