// torvane-deck below its command line: the two sections, the resampling and
// the record values turned into the checked deck text, or into the messages
// that say why no deck can be written.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/tip_gap_request.hpp"
#include "deck/deck_options.hpp"

namespace torvane::deck {

// A section given as a file, or as the text of one (file then only names it
// in messages and notes; a hub given as text leaves the default stem blade_row).
struct Section_source {
  std::string file;
  std::optional<std::string> text;
};

// Everything the deck is built from, parameter files already read.
struct Deck_request {
  Section_source hub, casing;
  std::string points;             // resampled point count as given; empty keeps the sections' points
  std::string points_origin;      // where the count was given ("--points")
  std::vector<Setting> settings;  // record values; a later one wins over an earlier one
  std::string flow_path;          // a flow-path file the deck is for, or empty: cylinders
  Setting tip_gap = {};           // the tip gap as given (text empty: the blade reaches the casing)
  Setting gap_cells = {};         // the cells across it as given (text empty: the default)
  Setting rpm = {};               // the rotor's speed as given (text empty: none)
  Setting tip_pinch = {};         // the height the blade's walls close over below the tip (text empty: none)
};

// The deck, or what stops it: the status torvane-deck exits with and one
// message per problem (without the "torvane-deck: " each line starts with);
// beside a written deck, the notes for its user.
struct Deck_build {
  int status = 0;
  std::vector<std::string> messages;
  std::string deck;  // empty unless status is 0
};

// The tip gap, its cells and its pinch as given (text empty: not given) into
// gap; the refusal naming the option or parameter-file line when they cannot be used.
std::optional<Deck_build> Read_tip_gap(const Setting& tip_gap, const Setting& gap_cells, const Setting& tip_pinch,
                                       std::optional<Tip_gap_request>& gap);

// The rotor's speed as given (text empty: not given) into rpm; the refusal
// naming the option, parameter-file line or info-file line when it cannot be used.
std::optional<Deck_build> Read_rotor_speed(const Setting& given, std::optional<double>& rpm);

// Loads and resamples the sections, sets the values and runs every check of
// the deck, torvane's dry run included.
Deck_build Build_deck(const Deck_request& request);

}  // namespace torvane::deck
