// The tip clearance a run is asked for: the gap between the blade tip and the
// casing, as a length or a share of the span, and the grid cells across it.
// torvane's command line, torvane-deck and the deck's block read it alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace torvane {

// Grid cells across the gap when none are asked for.
inline constexpr int kDefaultGapCells = 6;
// The largest gap, as a share of the span: a larger one is no tip clearance.
inline constexpr double kLargestGapShare = 0.25;

struct Tip_gap_request {
  double value = 0;              // a length in the deck's unit, or per cent of span
  bool percent_of_span = false;  // value given as `P%`
  int cells = kDefaultGapCells;  // grid cells across the gap
  // The height below the tip over which the blade's walls close onto its
  // camber (a taper), a length or per cent of span; 0: over the last interval.
  double pinch = 0;
  bool pinch_percent_of_span = false;
  bool pinch_auto = false;  // `auto`: over the blade's largest half thickness at the tip (a 45 degree taper)

  // The gap as a length for a span of `span`.
  double Length(double span) const { return percent_of_span ? value / 100.0 * span : value; }
  // The pinch of `other` in place of this one's.
  void Take_pinch(const Tip_gap_request& other) {
    pinch = other.pinch;
    pinch_percent_of_span = other.pinch_percent_of_span;
    pinch_auto = other.pinch_auto;
  }
  // The pinch as a length for a span of `span`.
  double Pinch_length(double span) const { return pinch_percent_of_span ? pinch / 100.0 * span : pinch; }
};

// The gap of `text`, a positive length or `P%` of span; otherwise why not.
struct Tip_gap_parse {
  std::optional<Tip_gap_request> request;
  std::string problem;  // when there is no request
};
Tip_gap_parse Parse_tip_gap(std::string_view text);

// The cell count of `text`, a whole number of at least 1; otherwise why not.
struct Gap_cells_parse {
  int cells = 0;
  std::string problem;  // empty when cells holds the count
};
Gap_cells_parse Parse_gap_cells(std::string_view text);

// The pinch of `text`, a length or `P%` of span of 0 or more and under the
// whole span, or `auto`; otherwise why not. `request` takes it.
std::string Parse_tip_pinch(std::string_view text, Tip_gap_request& request);

// The gap's text as the deck's block writes it: the shortest value that reads back the same, `%` when of span.
std::string Tip_gap_text(const Tip_gap_request& request);
// The pinch's text alike.
std::string Tip_pinch_text(const Tip_gap_request& request);

}  // namespace torvane
