#include "control/deck_block.hpp"

#include <algorithm>
#include <charconv>

#include "base/rotor_speed.hpp"
#include "base/run_stop.hpp"
#include "base/storage_limits.hpp"
#include "base/terminal_text.hpp"
#include "base/text.hpp"
#include "control/flow_path_file.hpp"

namespace torvane {

namespace {

constexpr std::string_view kOpening = "torvane-block";

// A row of the keyword table: the entry's name, whether its lines run to
// `end NAME`, whether it may be given more than once, and its parse.
struct Block_keyword {
  std::string_view name;
  bool multi_line;
  bool repeats;
  void (*parse)(const Block_entry& entry, Deck_block& block);
};

[[noreturn]] void Refuse(int line, std::string_view entry, const std::string& why) {
  throw Run_stop{kExitRefused, "deck line " + std::to_string(line) + " (" + std::string(entry) + "): " + why};
}

std::vector<std::string_view> Items(std::string_view line);
std::string Quote(std::string_view item);

std::string Shortest(double value) {
  char text[64];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// The real `item`, the `what` of the entry.
double Real_item(std::string_view item, int line, std::string_view entry, std::string_view what) {
  double value = 0;
  if (!Parse_real(item, value)) Refuse(line, entry, Quote(item) + " is not a number; " + std::string(what));
  return value;
}

// Exactly `count` items, or a refusal that says what the line holds.
void Expect_items(size_t found, size_t count, int line, std::string_view entry, std::string_view form) {
  if (found != count) {
    Refuse(line, entry,
           "expected `" + std::string(form) + "`, found " + std::to_string(found) + (found == 1 ? " item" : " items"));
  }
}

void Parse_flow_path_rows(const Block_entry& entry, Deck_block& block) {
  block.flow_path = Parse_flow_path_entry(entry.body, entry.line);
}

// tip-gap VALUE [cells N] [pinch P]: VALUE a length or P% of span, N the
// cells across the gap, P the height below the tip over which the walls close.
void Parse_tip_gap_row(const Block_entry& entry, Deck_block& block) {
  const std::vector<std::string>& items = entry.items;
  constexpr std::string_view kForm =
      "write `tip-gap VALUE`, `tip-gap VALUE cells N`, `tip-gap VALUE pinch P` or `tip-gap VALUE cells N pinch P` "
      "(VALUE and P a length or P% of span, P also auto)";
  if (items.empty() || items.size() % 2 == 0 || items.size() > 5) Refuse(entry.line, "tip-gap", std::string(kForm));
  const Tip_gap_parse gap = Parse_tip_gap(items[0]);
  if (!gap.request) Refuse(entry.line, "tip-gap", gap.problem);
  Tip_gap_request request = *gap.request;
  bool cells_given = false, pinch_given = false;
  for (std::size_t n = 1; n + 1 < items.size(); n += 2) {
    if (items[n] == "cells" && !cells_given) {
      const Gap_cells_parse cells = Parse_gap_cells(items[n + 1]);
      if (!cells.problem.empty()) Refuse(entry.line, "tip-gap", cells.problem);
      request.cells = cells.cells;
      cells_given = true;
    } else if (items[n] == "pinch" && !pinch_given) {
      const std::string problem = Parse_tip_pinch(items[n + 1], request);
      if (!problem.empty()) Refuse(entry.line, "tip-gap", "pinch " + problem);
      pinch_given = true;
    } else {
      Refuse(entry.line, "tip-gap", std::string(kForm));
    }
  }
  block.tip_gap = request;
  block.tip_gap_line = entry.line;
}

// angles BETAIN_HUB BETAOUT_HUB BETAIN_CASING BETAOUT_CASING
void Parse_angles(const Block_entry& entry, Deck_block& block) {
  constexpr std::string_view kForm = "angles BETAIN_HUB BETAOUT_HUB BETAIN_CASING BETAOUT_CASING";
  Expect_items(entry.items.size(), 4, entry.line, "angles", kForm);
  double value[4];
  for (size_t n = 0; n < 4; ++n) value[n] = Real_item(entry.items[n], entry.line, "angles", kForm);
  block.angles = Station_angles{entry.line, value[0], value[1], value[2], value[3]};
}

// planes XIN XOUT
void Parse_planes(const Block_entry& entry, Deck_block& block) {
  constexpr std::string_view kForm = "planes XIN XOUT";
  Expect_items(entry.items.size(), 2, entry.line, "planes", kForm);
  const double inlet = Real_item(entry.items[0], entry.line, "planes", kForm);
  const double outlet = Real_item(entry.items[1], entry.line, "planes", kForm);
  if (!(inlet < outlet)) {
    Refuse(entry.line, "planes",
           "the inlet plane x = " + Shortest(inlet) + " must lie upstream of the outlet plane x = " + Shortest(outlet));
  }
  block.planes = Axial_planes{entry.line, inlet, outlet};
}

// frame X THETA
void Parse_frame(const Block_entry& entry, Deck_block& block) {
  constexpr std::string_view kForm = "frame X THETA";
  Expect_items(entry.items.size(), 2, entry.line, "frame", kForm);
  block.frame = Grid_frame{entry.line, Real_item(entry.items[0], entry.line, "frame", kForm),
                           Real_item(entry.items[1], entry.line, "frame", kForm)};
}

// A section entry as its lines come: what it holds so far, the names given,
// and the lines still owed to a `curve` or `points` list, and which.
struct Section_reading {
  Block_section section;
  std::vector<std::string_view> given;
  int owed = 0;
  bool curve_list = false;

  bool Seen(std::string_view name) const { return std::find(given.begin(), given.end(), name) != given.end(); }
};

constexpr std::string_view kSectionEntry = "section";

// A point line `x r` of the curve or `x y` of the contour, in its list.
void Take_section_point(const std::vector<std::string_view>& items, int number, Section_reading& reading) {
  Block_section& section = reading.section;
  const std::string_view form = reading.curve_list ? "x r" : "x y";
  Expect_items(items.size(), 2, number, kSectionEntry, form);
  const double a = Real_item(items[0], number, kSectionEntry, "a point is a line `" + std::string(form) + "`");
  const double b = Real_item(items[1], number, kSectionEntry, "a point is a line `" + std::string(form) + "`");
  if (reading.curve_list) {
    Curve_points& curve = section.curve;
    if (!(b > 0))
      Refuse(number, kSectionEntry, "r = " + Shortest(b) + " on the section's curve; a radius must be positive");
    if (!curve.x.empty() && !(a > curve.x.back())) {
      Refuse(number, kSectionEntry,
             "x = " + Shortest(a) + " does not increase from x = " + Shortest(curve.x.back()) + " on line " +
                 std::to_string(curve.lines.back()) + "; x must increase strictly along a curve");
    }
    curve.x.push_back(a);
    curve.r.push_back(b);
    curve.lines.push_back(number);
  } else {
    section.xy.push_back(a);
    section.xy.push_back(b);
    section.point_lines.push_back(number);
  }
  --reading.owed;
}

// `span S`, `stagger DEG` or `chord C`: the section's value.
void Take_section_value(const std::vector<std::string_view>& items, int number, Block_section& section) {
  const std::string_view name = items[0];
  Expect_items(items.size(), 2, number, kSectionEntry, std::string(name) + " VALUE");
  const double value = Real_item(items[1], number, kSectionEntry, std::string(name) + " takes a number");
  (name == "span" ? section.span : name == "stagger" ? section.stagger : section.chord) = value;
}

// `reference X Y` or `angles BETAIN BETAOUT`: the section's pair.
void Take_section_pair(const std::vector<std::string_view>& items, int number, Block_section& section) {
  const bool reference = items[0] == "reference";
  const std::string form = reference ? "reference X Y" : "angles BETAIN BETAOUT";
  Expect_items(items.size(), 3, number, kSectionEntry, form);
  const double a = Real_item(items[1], number, kSectionEntry, form);
  const double b = Real_item(items[2], number, kSectionEntry, form);
  if (reference) {
    section.xref = a;
    section.yref = b;
  } else {
    section.angles_given = true;
    section.betain = a;
    section.betaout = b;
  }
}

// `curve N`: the count of `x r` lines that follow.
void Take_curve_header(const std::vector<std::string_view>& items, int number, Section_reading& reading) {
  Expect_items(items.size(), 2, number, kSectionEntry, "curve N");
  if (!Parse_integer(items[1], reading.owed) || reading.owed < 2) {
    Refuse(number, kSectionEntry, "the curve needs a count of at least two `x r` lines, found " + Quote(items[1]));
  }
  reading.section.curve.header_line = number;
  reading.curve_list = true;
}

// `points N IREF`: the count of `x y` lines that follow and the reference index.
void Take_points_header(const std::vector<std::string_view>& items, int number, Section_reading& reading) {
  Expect_items(items.size(), 3, number, kSectionEntry, "points NPTS IREF");
  int& owed = reading.owed;
  if (!Parse_integer(items[1], owed) || owed < 4 || owed > kMaxContourPoints) {
    Refuse(number, kSectionEntry,
           "the contour needs from 4 to " + std::to_string(kMaxContourPoints) + " points, found " + Quote(items[1]));
  }
  int& iref = reading.section.iref;
  if (!Parse_integer(items[2], iref) || iref < 1 || iref > owed) {
    Refuse(number, kSectionEntry, "the reference index " + Quote(items[2]) + " is not a point of the list");
  }
  reading.curve_list = false;
}

// A named line of the section, given once.
void Take_section_line(const std::vector<std::string_view>& items, int number, Section_reading& reading) {
  const std::string_view name = items[0];
  if (reading.Seen(name)) Refuse(number, kSectionEntry, Quote(name) + " is given a second time in the section");
  reading.given.push_back(name);
  if (name == "span" || name == "stagger" || name == "chord") {
    Take_section_value(items, number, reading.section);
  } else if (name == "reference" || name == "angles") {
    Take_section_pair(items, number, reading.section);
  } else if (name == "curve") {
    Take_curve_header(items, number, reading);
  } else if (name == "points") {
    Take_points_header(items, number, reading);
  } else {
    Refuse(number, kSectionEntry,
           "unknown line " + Quote(name) +
               "; a section holds span, stagger, chord, reference, angles, curve and "
               "points");
  }
}

// The section once its lines are read: complete, in range, its reference
// point on its curve.
void Check_section(const Section_reading& reading, int number, int entry_line) {
  const Block_section& section = reading.section;
  if (reading.owed > 0) {
    Refuse(number, kSectionEntry,
           "the " + std::string(reading.curve_list ? "curve" : "contour") + " ends " + std::to_string(reading.owed) +
               (reading.owed == 1 ? " point" : " points") + " short of its count");
  }
  for (std::string_view needed : {"span", "stagger", "chord", "reference", "curve", "points"}) {
    if (!reading.Seen(needed)) {
      Refuse(entry_line, kSectionEntry, "the section gives no `" + std::string(needed) + "` line");
    }
  }
  if (!(section.span > 0 && section.span < 1)) {
    Refuse(entry_line, kSectionEntry,
           "span " + Shortest(section.span) + " does not lie between hub (0) and casing (1)");
  }
  if (!(section.chord > 0)) {
    Refuse(entry_line, kSectionEntry, "chord " + Shortest(section.chord) + " is not above 0");
  }
  const size_t iref = static_cast<size_t>(section.iref);
  if (section.xy[2 * (iref - 1)] == section.xy[0]) {
    Refuse(section.point_lines[iref - 1], kSectionEntry,
           "the reference point lies at the x of point 1: no chord to scale");
  }
  if (!(section.curve.x.front() <= section.xref && section.xref <= section.curve.x.back())) {
    Refuse(section.curve.header_line, kSectionEntry,
           "the curve, x = " + Shortest(section.curve.x.front()) + " to " + Shortest(section.curve.x.back()) +
               ", misses the section's reference point at x = " + Shortest(section.xref));
  }
}

// section ... end section: `span S`, `stagger DEG`, `chord C`, `reference X Y`,
// optionally `angles BETAIN BETAOUT`, then `curve N` and N lines `x r`, and
// `points N IREF` and N lines `x y`.
void Parse_section(const Block_entry& entry, Deck_block& block) {
  Section_reading reading;
  reading.section.line = entry.line;
  std::string_view body = entry.body;
  int number = entry.body_line - 1;
  while (!body.empty()) {
    const size_t end = std::min(body.find('\n'), body.size());
    const std::vector<std::string_view> items = Items(body.substr(0, end));
    body.remove_prefix(std::min(end + 1, body.size()));
    ++number;
    if (items.empty()) continue;
    if (reading.owed > 0) {
      Take_section_point(items, number, reading);
    } else {
      Take_section_line(items, number, reading);
    }
  }
  Check_section(reading, number, entry.line);
  Block_section& section = reading.section;
  for (const Block_section& other : block.sections) {
    if (other.span == section.span) {
      Refuse(entry.line, kSectionEntry,
             "span " + Shortest(section.span) + " is the span of the section on line " + std::to_string(other.line));
    }
  }
  const auto after = std::find_if(block.sections.begin(), block.sections.end(),
                                  [&](const Block_section& other) { return other.span > section.span; });
  block.sections.insert(after, std::move(section));
}

// An entry that is a switch: its name alone.
void Expect_no_values(const Block_entry& entry, std::string_view name) {
  if (!entry.items.empty()) {
    Refuse(
        entry.line, name,
        "the entry takes no value; found `" + Printable(entry.items[0].substr(0, 40), High_bytes::shown_as_mark) + "`");
  }
}

void Parse_large(const Block_entry& entry, Deck_block& block) {
  Expect_no_values(entry, "large");
  block.large = true;
}

// rpm N: the rotor's speed in revolutions per minute, 0 for a stationary row.
void Parse_rpm_row(const Block_entry& entry, Deck_block& block) {
  Expect_items(entry.items.size(), 1, entry.line, "rpm", "rpm N");
  double value = 0;
  const std::string& text = entry.items[0];
  const Rotor_speed_parse speed = Rotor_speed_of(text, Parse_real(text, value) ? std::optional(value) : std::nullopt);
  if (!speed.rpm) Refuse(entry.line, "rpm", speed.problem);
  block.rpm = speed.rpm;
  block.rpm_line = entry.line;
}

void Parse_smooth(const Block_entry& entry, Deck_block& block) {
  Expect_no_values(entry, "smooth");
  block.smooth = true;
}

// The entries of the block, one row each.
constexpr Block_keyword kKeywords[] = {
    {"flow-path", true, false, Parse_flow_path_rows},
    {"section", true, true, Parse_section},
    {"angles", false, false, Parse_angles},
    {"planes", false, false, Parse_planes},
    {"frame", false, false, Parse_frame},
    {"large", false, false, Parse_large},
    {"smooth", false, false, Parse_smooth},
    {"tip-gap", false, false, Parse_tip_gap_row},
    {"rpm", false, false, Parse_rpm_row},
};

// The items of a line up to its comment.
std::vector<std::string_view> Items(std::string_view line) {
  return Split_items(line.substr(0, std::min(line.find('#'), line.size())));
}

// An item in a message between backticks: 40 bytes at most, control and high bytes as '?'.
std::string Quote(std::string_view item) {
  std::string quoted(1, '`');
  quoted.append(Printable(item.substr(0, 40), High_bytes::shown_as_mark));
  quoted.append(item.size() > 40 ? "...`" : "`");
  return quoted;
}

// "`end flow-path`"
bool Is_end_of(const std::vector<std::string_view>& items, std::string_view name) {
  return items.size() == 2 && items[0] == "end" && items[1] == name;
}

}  // namespace

std::string Known_block_entries() {
  std::string known;
  for (const Block_keyword& keyword : kKeywords) {
    if (!known.empty()) known += ", ";
    known += keyword.name;
  }
  return known;
}

bool Deck_block_reader::Take(std::string_view line, int number, bool cut) {
  if (closed_) return false;
  const std::vector<std::string_view> items = Items(line);
  if (block_.line == 0) {
    // Before the opening line every line is ignored, as torvane always did.
    if (items.empty() || items[0] != kOpening) return true;
    if (items.size() == 1) Refuse(number, kOpening, "the opening line gives no version; write `torvane-block 1`");
    int version = 0;
    if (items.size() > 2 || !Parse_integer(items[1], version) || version != kDeckBlockVersion) {
      std::string given(items[1]);
      for (size_t n = 2; n < items.size(); ++n) given.append(" ").append(items[n]);
      Refuse(number, kOpening,
             "block version " + Quote(given) + " is not one this torvane reads; write `torvane-block " +
                 std::to_string(kDeckBlockVersion) + "`");
    }
    block_.line = number;
    return true;
  }
  if (cut) {
    Refuse(number, open_entry_ >= 0 ? kKeywords[open_entry_].name : kOpening,
           "the line is longer than " + std::to_string(kMaxLineLength) + " characters");
  }
  if (open_entry_ >= 0) {
    Take_entry_line(line, number);
    return true;
  }
  if (items.empty()) return true;
  if (Is_end_of(items, kOpening)) {
    block_.end_line = number;
    closed_ = true;
    return false;
  }
  Take_keyword_line(items, number);
  return true;
}

void Deck_block_reader::Take_entry_line(std::string_view line, int number) {
  const Block_keyword& keyword = kKeywords[open_entry_];
  const std::vector<std::string_view> items = Items(line);
  if (Is_end_of(items, keyword.name)) {
    keyword.parse(entry_, block_);
    open_entry_ = -1;
    return;
  }
  if (Is_end_of(items, kOpening)) {
    Refuse(number, keyword.name,
           "the entry opened on line " + std::to_string(entry_.line) + " is not closed; write `end " +
               std::string(keyword.name) + "` before `end torvane-block`");
  }
  entry_.body.append(line).push_back('\n');
}

void Deck_block_reader::Take_keyword_line(const std::vector<std::string_view>& items, int number) {
  const std::string_view name = items[0];
  const auto found = std::find_if(std::begin(kKeywords), std::end(kKeywords),
                                  [&](const Block_keyword& keyword) { return keyword.name == name; });
  if (found == std::end(kKeywords)) {
    Refuse(number, kOpening, "unknown entry " + Quote(name) + "; known: " + Known_block_entries());
  }
  const int row = static_cast<int>(found - std::begin(kKeywords));
  if (!found->repeats && std::find(seen_.begin(), seen_.end(), row) != seen_.end()) {
    Refuse(number, name, "given a second time; the block holds one " + std::string(name) + " entry");
  }
  seen_.push_back(row);
  entry_ = Block_entry{number, {}, {}, number + 1};
  if (found->multi_line) {
    if (items.size() > 1) {
      Refuse(number, name,
             "the entry's lines follow on the lines below, closed by `end " + std::string(name) + "`; found " +
                 Quote(items[1]) + " after " + Quote(name));
    }
    open_entry_ = row;
    return;
  }
  for (size_t n = 1; n < items.size(); ++n) entry_.items.emplace_back(items[n]);
  found->parse(entry_, block_);
}

Deck_block Deck_block_reader::Finish() {
  if (block_.line != 0 && !closed_) {
    if (open_entry_ >= 0) {
      Refuse(entry_.line, kKeywords[open_entry_].name,
             "the entry is not closed; the deck ends before `end " + std::string(kKeywords[open_entry_].name) + "`");
    }
    Refuse(block_.line, kOpening, "the block is not closed; the deck ends before `end torvane-block`");
  }
  return block_;
}

Deck_block Read_deck_block(Deck_reader& reader) {
  Deck_block_reader block;
  std::string line;
  int number = 0;
  bool cut = false;
  while (reader.Read_following_line(line, number, cut)) {
    if (!block.Take(line, number, cut)) break;
  }
  return block.Finish();
}

Deck_block Parse_deck_block(std::string_view text, int first_line) {
  Deck_block_reader block;
  int number = first_line;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!block.Take(line, number++)) break;
  }
  return block.Finish();
}

}  // namespace torvane
