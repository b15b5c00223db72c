// Decks a hand edit could leave: valid decks with one or two values changed
// (counts, angles, radii, spacings, contour points), lines lost, doubled or
// inserted, or the deck cut short. Every run either completes with
// well-formed files of finite coordinates or stops with its message and no
// file; edits that change nothing the grid uses leave every byte as it was.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/decks.hpp"
#include "support/run_contract.hpp"

namespace torvane {
namespace {

using testing::Join;
using testing::Read_file;
using testing::Scratch_folder;

// Lines of records 1 to 33 are 0 to 32; the hub count pair follows on line 33.
constexpr size_t kHubCountLine = 33;
constexpr int kCountRecords[] = {3, 4, 5, 6, 7, 8, 21, 22, 32};
constexpr int kRealRecords[] = {9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 23, 24, 25, 26, 27, 28, 29, 30, 31, 33};

// Bounds of the item'th item of a line (blanks or one comma between items); npos when missing.
std::pair<size_t, size_t> Item_bounds(const std::string& line, int item) {
  size_t at = 0;
  for (int n = 0;; ++n) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at < line.size() && line[at] == ',' && n > 0) ++at;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size()) return {std::string::npos, 0};
    size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != ',') ++end;
    if (n == item) return {at, end};
    at = end;
  }
}

// The item'th item of a line ("" when missing).
std::string Item(const std::string& line, int item) {
  auto [start, end] = Item_bounds(line, item);
  return start == std::string::npos ? "" : line.substr(start, end - start);
}

// Puts text in place of the item'th item, the rest of the line as it was.
void Replace_item(std::string& line, int item, const std::string& text) {
  auto [start, end] = Item_bounds(line, item);
  if (start != std::string::npos) line.replace(start, end - start, text);
}

// A real as a deck holds it, every digit kept.
std::string Real_text(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// The three files of a stem, concatenated ("" for a missing one).
std::string Files_of(const std::string& stem) {
  return Read_file(stem + ".rgra") + Read_file(stem + ".rtp") + Read_file(stem + "_grid_volume.plt");
}

// A small grid from a shipped example deck: its geometry and contours, few intervals.
std::vector<std::string> Shrunk_example(const std::string& name) {
  std::istringstream text(Read_file(std::string(TORVANE_SOURCE_DIR) + "/examples/" + name));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  const std::pair<size_t, const char*> small_counts[] = {{2, "16"}, {3, "5"},  {4, "6"}, {5, "8"},
                                                         {6, "4"},  {20, "2"}, {21, "1"}};
  if (lines.size() > kHubCountLine) {
    for (auto [line, count] : small_counts) Replace_item(lines[line], 0, count);
  }
  return lines;
}

// One or two random edits of a valid deck, described for a failure message.
class Deck_editor {
 public:
  Deck_editor(const std::vector<std::string>& base, std::uint32_t seed) : base_(base), random_(seed) {
    const int npthub = std::atoi(Item(base_[kHubCountLine], 0).c_str());
    casing_count_line_ = kHubCountLine + 1 + static_cast<size_t>(npthub);
  }

  // The next edited deck; `what` says what was changed.
  std::vector<std::string> Edit(std::string& what) {
    std::vector<std::string> lines = base_;
    what.clear();
    const int edits = Pick(3) == 0 ? 2 : 1;
    for (int n = 0; n < edits; ++n) what += (n > 0 ? "; " : "") + Edit_once(lines);
    return lines;
  }

 private:
  size_t Pick(size_t n) { return static_cast<size_t>(random_() % n); }
  template <typename T, size_t N>
  const T& Pick_from(const T (&table)[N]) {
    return table[Pick(N)];
  }

  // Each edit changes the lines and returns its description.
  std::string Edit_once(std::vector<std::string>& lines) {
    switch (Pick(10)) {
      case 0:
      case 1:
        return Count(lines);
      case 2:
      case 3:
        return Real(lines);
      case 4:
        return Point_count(lines);
      case 5:
      case 6:
        return Point(lines);
      case 7:
        return Line_removed_or_doubled(lines);
      case 8:
        return Line_inserted(lines);
      default:
        return Cut_short(lines);
    }
  }

  std::string Count(std::vector<std::string>& lines) {
    const int record = Pick_from(kCountRecords);
    if (static_cast<size_t>(record) > lines.size()) return "no edit";
    const std::string old = Item(lines[record - 1], 0);
    const int value = std::atoi(old.c_str());
    const std::string values[] = {"-2147483648",
                                  "-1",
                                  "0",
                                  "1",
                                  "2",
                                  "3",
                                  "4",
                                  std::to_string(value - 1),
                                  std::to_string(value + 1),
                                  std::to_string(2 * value),
                                  "48",
                                  "64",
                                  "65",
                                  "256",
                                  "257",
                                  "2147483647"};
    const std::string& text = Pick_from(values);
    Replace_item(lines[record - 1], 0, text);
    return "record " + std::to_string(record) + ": " + old + " -> " + text;
  }

  std::string Real_value(double old) {
    const double values[] = {0.0,      -0.0,   -old, old * 1e-6, old * 1e6, old * 1.0000001, 1e300, -1e300,
                             4.9e-324, 1e-300, 90.0, -90.0,      89.999999, 180.0,           360.0, 1e6};
    return Real_text(Pick_from(values));
  }

  std::string Real(std::vector<std::string>& lines) {
    const int record = Pick_from(kRealRecords);
    if (static_cast<size_t>(record) > lines.size()) return "no edit";
    const std::string old = Item(lines[record - 1], 0);
    const std::string text = Real_value(std::strtod(old.c_str(), nullptr));
    Replace_item(lines[record - 1], 0, text);
    return "record " + std::to_string(record) + ": " + old + " -> " + text;
  }

  std::string Point_count(std::vector<std::string>& lines) {
    const size_t line = Pick(2) == 0 ? kHubCountLine : casing_count_line_;
    if (line >= lines.size()) return "no edit";
    const int item = static_cast<int>(Pick(2));
    const std::string old = Item(lines[line], item);
    const int value = std::atoi(old.c_str());
    const std::string values[] = {
        "-1", "0", "1", "2", "3", std::to_string(value - 1), std::to_string(value + 1), "257", "258", "2147483647"};
    const std::string& text = Pick_from(values);
    Replace_item(lines[line], item, text);
    return "line " + std::to_string(line + 1) + " item " + std::to_string(item + 1) + ": " + old + " -> " + text;
  }

  std::string Point(std::vector<std::string>& lines) {
    const size_t first = kHubCountLine + 1;
    if (lines.size() <= first) return "no edit";
    size_t line = first + Pick(lines.size() - first);
    if (line == casing_count_line_) ++line;
    if (line >= lines.size()) return "no edit";
    const int item = static_cast<int>(Pick(2));
    const std::string old = Item(lines[line], item);
    std::string text;
    switch (Pick(4)) {
      case 0:
        text = Item(lines[line - 1], item);
        break;  // the point before it, where there is one
      case 1:
        text = Real_text(std::strtod(old.c_str(), nullptr) + 1e-9);
        break;
      default:
        text = Real_value(std::strtod(old.c_str(), nullptr));
        break;
    }
    if (text.empty()) return "no edit";
    Replace_item(lines[line], item, text);
    return "line " + std::to_string(line + 1) + " item " + std::to_string(item + 1) + ": " + old + " -> " + text;
  }

  std::string Line_removed_or_doubled(std::vector<std::string>& lines) {
    if (lines.empty()) return "no edit";
    const size_t line = Pick(lines.size());
    const auto at = lines.begin() + static_cast<long>(line);
    if (Pick(2) == 0) {
      lines.erase(at);
      return "line " + std::to_string(line + 1) + " removed";
    }
    lines.insert(at, *at);
    return "line " + std::to_string(line + 1) + " doubled";
  }

  std::string Line_inserted(std::vector<std::string>& lines) {
    const char* texts[] = {"", "", "   ", "x", "1,,2", "1.5.5", "-", "1e", "D5", "12 3"};
    const size_t line = Pick(lines.size() + 1);
    const std::string text = Pick_from(texts);
    lines.insert(lines.begin() + static_cast<long>(line), text);
    return "\"" + text + "\" inserted before line " + std::to_string(line + 1);
  }

  std::string Cut_short(std::vector<std::string>& lines) {
    if (lines.empty()) return "no edit";
    const size_t keep = Pick(lines.size());
    lines.resize(keep);
    return "cut after line " + std::to_string(keep);
  }

  std::vector<std::string> base_;
  std::mt19937 random_;
  size_t casing_count_line_ = 0;
};

// Runs `cases` edits of the deck; each run must keep the run promise.
void Check_edits(const std::vector<std::string>& base, std::uint32_t seed, int cases) {
  Scratch_folder folder;
  testing::Contract_run plain = testing::Run_under_contract(Join(base), folder.path());
  ASSERT_EQ(plain.status, 0) << "the base deck does not run: " << plain.err;
  ASSERT_EQ(plain.broken, "");
  Deck_editor editor(base, seed);
  int complete = 0;
  for (int n = 0; n < cases; ++n) {
    std::string what;
    const std::vector<std::string> lines = editor.Edit(what);
    testing::Contract_run run = testing::Run_under_contract(Join(lines), folder.path());
    EXPECT_EQ(run.broken, "") << "case " << n << " (" << what << "): status " << run.status << "\n" << run.err;
    if (run.status == 0) ++complete;
  }
  // Both outcomes are exercised, not only refusals.
  EXPECT_GT(complete, cases / 10);
  EXPECT_LT(complete, cases);
}

TEST(DeckProperty, EditsOfTheSmallDeckCompleteOrStopCleanly) { Check_edits(testing::Small_deck_lines(), 7, 300); }

TEST(DeckProperty, EditsOfTheCompressorRotorCompleteOrStopCleanly) {
  Check_edits(Shrunk_example("compressor_rotor.in"), 11, 150);
}

TEST(DeckProperty, EditsOfTheTurbineStatorCompleteOrStopCleanly) {
  Check_edits(Shrunk_example("turbine_stator.in"), 13, 150);
}

TEST(DeckProperty, EditsOfTheLargestGridsContoursCompleteOrStopCleanly) {
  Check_edits(Shrunk_example("largest_grid.in"), 17, 100);
}

TEST(DeckProperty, EditsOfNothingTheGridUsesLeaveEveryByte) {
  enum Kind { kReplace, kInsertBefore, kSplitPair };
  struct Case {
    const char* what;
    Kind kind;
    size_t line;
    const char* text;
  } cases[] = {
      {"record 29 not used", kReplace, 28, "-1.5D300  not used"},
      {"record 31 not used", kReplace, 30, "4.9E-324"},
      {"record 33 not used", kReplace, 32, "123456789"},
      {"empty line before a count", kInsertBefore, 2, ""},
      {"blank lines before a spacing", kInsertBefore, 23, "   \t "},
      {"note after a value", kReplace, 3, "3,  upstream intervals, 3 of them"},
      {"exponent form of a radius", kReplace, 16, "0.025D1"},
      {"hub point 1 split over two lines", kSplitPair, kHubCountLine + 1, ""},
      {"casing count pair split over two lines", kSplitPair, kHubCountLine + 34, ""},
  };
  Scratch_folder folder;
  const std::vector<std::string> base = testing::Small_deck_lines(folder.path() + "/plain");
  ASSERT_EQ(testing::Run_deck(Join(base)).status, 0);
  const std::string plain = Files_of(folder.path() + "/plain");
  for (const Case& c : cases) {
    const std::string stem = folder.path() + "/edit" + std::to_string(&c - cases);
    std::vector<std::string> lines = base;
    lines[1] = stem;
    const auto at = lines.begin() + static_cast<long>(c.line);
    switch (c.kind) {
      case kReplace:
        *at = c.text;
        break;
      case kInsertBefore:
        lines.insert(at, c.text);
        break;
      case kSplitPair: {
        const std::string second = Item(*at, 1);
        *at = Item(*at, 0);
        lines.insert(at + 1, second);
        break;
      }
    }
    testing::Run_result run = testing::Run_deck(Join(lines));
    EXPECT_EQ(run.status, 0) << c.what << "\n" << run.err;
    EXPECT_TRUE(Files_of(stem) == plain) << c.what;
  }
}

}  // namespace
}  // namespace torvane
