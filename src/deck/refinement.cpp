#include "deck/refinement.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/storage_limits.hpp"

namespace torvane::deck {

namespace {

// Refined counts stop here, far beyond every storage limit.
constexpr int kMaxCount = 1 << 20;

// Appends what was done to a value to its source text.
void Add_source(Value_sources& sources, const char* name, const std::string& what) {
  std::string& source = sources[static_cast<size_t>(Find_record(name)->number)];
  source += source.empty() ? what : ", " + what;
}

}  // namespace

int Refined_count(int n, double factor, int levels) {
  // A count torvane refuses stays as given, for the value checks to name it;
  // one far beyond the storage limits stays far beyond them.
  if (n <= 0) return n;
  const long refined = std::clamp(std::lround(n * factor), 1L, long{kMaxCount});
  const long multiple = 1L << levels;
  return static_cast<int>(
      std::max(multiple, std::lround(static_cast<double>(refined) / static_cast<double>(multiple)) * multiple));
}

namespace {

// The wall layers refined by the factor: as many times more intervals, each as many times thinner.
void Refine_wall_layers(Control_values& values, double factor, const std::string& factor_text, const std::string& by,
                        Value_sources& sources) {
  for (auto [name, count] : {std::pair{"nwall", &values.nwall}, std::pair{"nwallhc", &values.nwallhc}}) {
    const int refined = *count > 0 ? Refined_count(*count, factor, 0) : 0;
    if (refined != *count) Add_source(sources, name, "from " + std::to_string(*count) + " " + by);
    *count = refined;
  }
  for (auto [name, first] :
       {std::pair{"dsle", &values.dsle}, std::pair{"dywle", &values.dywle}, std::pair{"dzwall", &values.dzwall},
        std::pair{"dste", &values.dste}, std::pair{"dywte", &values.dywte}, std::pair{"dyout", &values.dyout}}) {
    Add_source(sources, name, Real_text(*first) + " / " + factor_text + " " + by);
    *first = *first / factor;
  }
  Add_source(sources, "ratio", Real_text(values.ratio) + "^(1/" + factor_text + ") " + by);
  values.ratio = std::pow(values.ratio, 1.0 / factor);
}

}  // namespace

std::optional<std::string> Refine(Control_values& values, const Deck_choices& choices, Value_sources& sources) {
  if (!choices.refine && !choices.levels) return std::nullopt;
  const double factor = choices.refine ? choices.refine->value : 1.0;
  const int levels = choices.levels ? static_cast<int>(choices.levels->value) : 0;
  std::string by;
  if (choices.refine) by = "by --refine " + choices.refine->text;
  if (choices.levels) by += std::string(by.empty() ? "by" : " and") + " --levels " + choices.levels->text;

  // The counts of the grid's directions: refined and rounded for the multigrid levels.
  for (auto [name, count] : {std::pair{"nin", &values.nin}, std::pair{"nout", &values.nout},
                             std::pair{"npitch", &values.npitch}, std::pair{"nspan", &values.nspan}}) {
    const int refined = Refined_count(*count, factor, levels);
    if (refined != *count) Add_source(sources, name, "from " + std::to_string(*count) + " " + by);
    *count = refined;
  }
  const int side = Refined_count(values.nblade / 2, factor, levels);
  if (2 * side != values.nblade) Add_source(sources, "nblade", "from " + std::to_string(values.nblade) + " " + by);
  values.nblade = 2 * side;

  if (choices.refine && factor != 1.0) Refine_wall_layers(values, factor, choices.refine->text, by, sources);

  const std::string lower = choices.refine && choices.levels ? "lower --refine or --levels"
                            : choices.refine                 ? "lower --refine"
                                                             : "lower --levels";
  const std::int64_t ie = std::int64_t{values.nin} + values.nblade / 2 + values.nout + 1;
  std::string problem;
  auto beyond = [&](const std::string& size, std::int64_t value, int limit) {
    if (value <= limit) return;
    problem +=
        (problem.empty() ? "" : "; ") + size + " = " + std::to_string(value) + " exceeds " + std::to_string(limit);
  };
  beyond("ie = nin + nblade/2 + nout + 1", ie, kMaxIe);
  beyond("je = npitch + 1", std::int64_t{values.npitch} + 1, kMaxJe);
  beyond("ke = nspan + 1", std::int64_t{values.nspan} + 1, kMaxKe);
  if (problem.empty()) return std::nullopt;
  return "too many grid points " + by + ": " + problem + "; " + lower;
}

}  // namespace torvane::deck
