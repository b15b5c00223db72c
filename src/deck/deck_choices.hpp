// The choices of torvane-deck that are no record of the deck: the target y+
// and the Reynolds number the wall spacings follow, and the refinement
// factor and multigrid levels applied to every count.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/storage_limits.hpp"
#include "deck/deck_options.hpp"

namespace torvane::deck {

// A choice's value, its text as given and where it was given ("--refine").
struct Choice {
  double value = 0;
  std::string text;
  std::string origin;
};

struct Deck_choices {
  std::optional<Choice> yplus;     // target y+ of the first wall intervals
  std::optional<Choice> reynolds;  // Reynolds number on the chord
  std::optional<Choice> refine;    // factor on the counts, divisor of the first intervals
  std::optional<Choice> levels;    // counts rounded to multiples of 2^levels
  bool large = false;              // the limits of torvane --large (999 intervals each way)
  bool smooth = false;             // the passage smoothed, as torvane --smooth
};

// The grid limits the deck is held to: the classic ones, or with --large those of torvane --large.
Grid_limits Limits_of(const Deck_choices& choices);

// Whether the name is one of the choices (yplus, reynolds, refine, levels, large, smooth).
bool Is_choice_name(std::string_view name);

// Stores the setting as its choice; returns why its value cannot be used.
std::optional<std::string> Set_choice(Deck_choices& choices, const Setting& setting);

// A choice that needs another: --yplus without --reynolds, or the other way round.
std::optional<std::string> Missing_choice(const Deck_choices& choices);

}  // namespace torvane::deck
