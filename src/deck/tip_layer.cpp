#include "deck/tip_layer.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "base/diagnostics.hpp"
#include "base/storage_limits.hpp"
#include "deck/geometry_defaults.hpp"
#include "geometry/surface_description.hpp"
#include "geometry/tip_gap.hpp"

namespace torvane::deck {

namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

// The ratio of two neighbouring intervals, the larger over the smaller.
double Jump(double a, double b) { return a > b ? a / b : b / a; }

}  // namespace

std::optional<Tip_layer_fit> Tip_layer_jump(const Control_values& values, const Tip_gap_request& gap) {
  const Control_values& v = values;
  if (!(v.ratio > 1 && std::isfinite(v.ratio) && v.dzwall > 0 && v.nspan > 0 && v.nwallhc >= 0 && v.rhub > 0 &&
        v.rcas > v.rhub && std::isfinite(v.rcas) && v.nbrow > 0)) {
    return std::nullopt;
  }
  const double span = Section_setup(v).span;
  const double length = gap.Length(span);
  if (!(length > 0) || length > kLargestGapShare * span) return std::nullopt;
  const int ke = v.nspan + 1;
  const int kt = Tip_plane(ke, gap.cells);
  if (kt == 0) return std::nullopt;
  std::vector<double> lower(static_cast<size_t>(ke)), across(static_cast<size_t>(ke));
  const Tip_gap_work work{Line(lower), Line(across), {}, {}, {}, {}, {}};
  const Tip_gap_sizes sizes{0, 0, ke, 0, 0, gap.cells, v.nwallhc, v.ratio, v.dzwall, span, length, 0.0};
  Diagnostic_log log;
  Spanwise_distribution(sizes, work, log);
  if (!log.events().empty()) return std::nullopt;
  const double first_in_gap = length * work.across(kt + 1);
  double worst = 1;
  for (int k = 2; k < kt; ++k) {
    const double below = work.lower(k) - work.lower(k - 1);
    const double above = work.lower(k + 1) - work.lower(k);
    if (!(below > 0 && above > 0)) return Tip_layer_fit{INFINITY, first_in_gap};
    worst = std::max(worst, Jump(below, above));
  }
  const double last = work.lower(kt) - work.lower(kt - 1);
  return Tip_layer_fit{std::max(worst, Jump(last, first_in_gap)), first_in_gap};
}

std::optional<std::string> Apply_tip_layer(Control_values& values, const std::set<std::string>& given,
                                           const Deck_choices& choices, const Tip_gap_request& gap,
                                           Value_sources& sources, std::vector<std::string>& warnings) {
  Control_values& v = values;
  if (given.count("nspan") != 0) {
    // A given count is kept; the intervals it leaves under the tip are told when they jump.
    if (const auto fit = Tip_layer_jump(v, gap); fit && fit->jump > kTipLayerJump) {
      warnings.push_back("warning: nspan " + std::to_string(v.nspan) + " with the tip gap " + Tip_gap_text(gap) + " (" +
                         std::to_string(gap.cells) + " cells): the hub-to-tip intervals change by up to " +
                         Number(fit->jump) + " times from one to the next, and the cells beside the tip by up to " +
                         "that much in volume (torvane-deck chooses nspan for at most " + Number(kTipLayerJump) +
                         " when --nspan is left out)");
    }
    return std::nullopt;
  }
  // Layers a target y+ chose blend into the core at both walls; the share-of-span default follows the count.
  const bool layers_follow = given.count("nwallhc") == 0 && !(choices.yplus && choices.reynolds);
  const Grid_limits limits = Limits_of(choices);
  Control_values trial = v;
  auto layers_for = [&](int nspan) {
    trial.nspan = nspan;
    if (layers_follow) trial.nwallhc = Wall_layer_count(trial.dzwall, trial.ratio, Section_setup(trial).span, nspan);
  };
  layers_for(v.nspan);
  const std::optional<Tip_layer_fit> as_given = Tip_layer_jump(trial, gap);
  // The checks refuse values that give no line; a count that fits stays.
  if (!as_given || as_given->jump <= kTipLayerJump) return std::nullopt;
  int nspan = (v.nspan / kCountStep + 1) * kCountStep;
  std::optional<Tip_layer_fit> fit;
  for (; nspan + 1 <= kLargeLimits.ke; nspan += kCountStep) {
    layers_for(nspan);
    fit = Tip_layer_jump(trial, gap);
    if (fit && fit->jump <= kTipLayerJump) break;
  }
  const std::string gap_text = "the tip gap " + Tip_gap_text(gap) + " with " + std::to_string(gap.cells) +
                               " cells across it (its first interval " + Number(as_given->gap_first) + ")";
  if (nspan + 1 > kLargeLimits.ke) {
    return "no spanwise count up to " + std::to_string(kLargeLimits.ke - 1) + " lets " + gap_text +
           " grow into the core by at most " + Number(kTipLayerJump) +
           " from one interval to the next; give --nspan, or lower --gap-cells or raise --ratio";
  }
  if (nspan + 1 > limits.ke) {
    return gap_text + " needs nspan " + std::to_string(nspan) +
           " for spanwise intervals growing into the core by at most " + Number(kTipLayerJump) +
           " from one to the next, beyond the classic limits: add --large, or give --nspan";
  }
  const std::string how = "the fewest, in steps of " + std::to_string(kCountStep) + ", whose intervals grow from " +
                          gap_text + " into the core by at most " + Number(fit->jump) + " from one to the next";
  v.nspan = nspan;
  sources[static_cast<size_t>(Find_record("nspan")->number)] = how;
  // The layers' note, that of the default, still says how they were chosen.
  if (layers_follow) v.nwallhc = trial.nwallhc;
  return std::nullopt;
}

}  // namespace torvane::deck
