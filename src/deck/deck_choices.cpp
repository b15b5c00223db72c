#include "deck/deck_choices.hpp"

#include <cmath>

#include "base/terminal_text.hpp"
#include "control/control_input.hpp"
#include "deck/wall_spacing.hpp"

namespace torvane::deck {

namespace {

// Refinement beyond these would leave no count or pass every storage limit.
constexpr double kMinRefine = 0.125;
constexpr double kMaxRefine = 16;
// 2^kMaxLevels already passes every storage limit.
constexpr int kMaxLevels = 8;

// The y+ a first wall interval is usually aimed at lies far inside this.
constexpr double kMaxYplus = 1000;

}  // namespace

bool Is_choice_name(std::string_view name) {
  return name == "yplus" || name == "reynolds" || name == "refine" || name == "levels" || name == "large" ||
         name == "smooth";
}

Grid_limits Limits_of(const Deck_choices& choices) { return torvane::Limits_of(choices.large); }

std::optional<std::string> Set_choice(Deck_choices& choices, const Setting& setting) {
  const std::string& name = setting.name;
  const std::string quoted = Quoted(setting.text);
  double value = 0;
  if (name == "levels") {
    int levels = 0;
    if (!Parse_integer(setting.text, levels) || levels < 0 || levels > kMaxLevels) {
      return quoted + ": give a whole number of multigrid levels from 0 to " + std::to_string(kMaxLevels);
    }
    choices.levels = Choice{static_cast<double>(levels), setting.text, setting.origin};
    return std::nullopt;
  }
  if (name == "large" || name == "smooth") {
    if (setting.text != "yes" && setting.text != "no") return quoted + ": give yes or no";
    (name == "large" ? choices.large : choices.smooth) = setting.text == "yes";
    return std::nullopt;
  }
  if (!Parse_real(setting.text, value) || !std::isfinite(value)) return quoted + " is not a number";
  if (name == "yplus") {
    if (!(value > 0 && value <= kMaxYplus)) return quoted + ": give a target y+ above 0 and at most 1000";
    choices.yplus = Choice{value, setting.text, setting.origin};
  } else if (name == "reynolds") {
    if (!(value >= kMinReynolds && value <= kMaxReynolds)) {
      return quoted +
             ": give a Reynolds number on the chord from 1E+04 to 1E+10, where the turbulent "
             "flat-plate correlation holds";
    }
    choices.reynolds = Choice{value, setting.text, setting.origin};
  } else {
    if (!(value >= kMinRefine && value <= kMaxRefine)) return quoted + ": give a refinement factor from 0.125 to 16";
    choices.refine = Choice{value, setting.text, setting.origin};
  }
  return std::nullopt;
}

std::optional<std::string> Missing_choice(const Deck_choices& choices) {
  if (choices.yplus && !choices.reynolds) {
    return choices.yplus->origin + ": a target y+ needs the Reynolds number on the chord: add --reynolds RE";
  }
  if (choices.reynolds && !choices.yplus) {
    return choices.reynolds->origin + ": the Reynolds number serves a target y+: add --yplus Y";
  }
  return std::nullopt;
}

}  // namespace torvane::deck
