// The text of a control deck: one record per line, each value followed by its
// name and meaning as a note (torvane reads only the values), then the hub and
// casing point lists with the trailing and leading edges marked.
#pragma once

#include <string>

#include "control/control_input.hpp"
#include "deck/deck_checks.hpp"
#include "deck/deck_records.hpp"

namespace torvane::deck {

// With a flow-path file, the rhub and rcas lines say the run needs `torvane --flow-path FILE`;
// a value with a source has it written after its note ("= 0.005 x chordhub 0.06").
std::string Deck_text(const Control_values& values, const Deck_section& hub, const Deck_section& casing,
                      std::string_view flow_path = {}, const Value_sources& sources = {});

}  // namespace torvane::deck
