// Refinement of a deck for grid-convergence studies and multigrid solvers:
// every interval count times a factor and rounded to a multiple of 2^levels,
// every first interval divided by the factor.
#pragma once

#include <optional>
#include <string>

#include "base/control_values.hpp"
#include "deck/deck_choices.hpp"
#include "deck/deck_records.hpp"

namespace torvane::deck {

// The count n times the factor, to the nearest whole number but at least 1,
// then to the nearest multiple of 2^levels but at least that multiple; a
// count below 1 stays as it is.
int Refined_count(int n, double factor, int levels);

// Refines the values by --refine and --levels and adds what each did to the
// sources: the counts nin, nout, npitch, nspan and the intervals along each
// blade side (nblade/2) refined and rounded, the wall-layer counts refined,
// the first intervals divided by the factor and the growth ratio taken to
// its root, so that the wall layers keep their thickness. Returns the
// problem when the refined counts pass the storage limits, naming the option.
std::optional<std::string> Refine(Control_values& values, const Deck_choices& choices, Value_sources& sources);

}  // namespace torvane::deck
