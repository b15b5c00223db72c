// torvane's grid check on decks of the NACA 65-410: the settings that fold the
// grid or let the passage cover the blade stop torvane with no file and make
// torvane-deck refuse the deck naming the options; and on every deck, torvane
// exits 0 exactly when torvane-inspect's report on its files exits 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "control/run.hpp"
#include "deck/deck_checks.hpp"
#include "deck/deck_records.hpp"
#include "deck/deck_support.hpp"
#include "deck/deck_text.hpp"
#include "support/decks.hpp"
#include "support/process.hpp"
#include "support/run_contract.hpp"

namespace torvane::deck {
namespace {

using torvane::testing::Run_program;
using torvane::testing::Run_under_contract;
using torvane::testing::Scratch_folder;

// The README's example: both sections the NACA 65-410 at 30 degrees stagger, the other records the defaults.
std::string Naca_deck(const std::string& path, const std::string& option = "", const std::string& value = "") {
  Control_values values = Default_values();
  values.title = "NACA 65-410";
  values.fname = "naca65410";
  values.staghub = 30;
  values.stagcas = 30;
  if (!option.empty()) {
    EXPECT_EQ(Set_value(values, *Find_record(option), value), std::nullopt) << option;
  }
  const Airfoil_file file = Read_airfoil_file(path);
  const Deck_section section{"naca65410.dat", file.name, Build_contour(file), false};
  return Deck_text(values, section, section);
}

// The deck with the first line `from` replaced by `to`, and that line's number (from 1).
std::pair<std::string, int> With_line(const std::string& deck, const std::string& from, const std::string& to) {
  const size_t at = deck.find("\n" + from + "\n");
  EXPECT_NE(at, std::string::npos) << from;
  std::string changed = deck;
  changed.replace(at + 1, from.size(), to);
  return {changed, static_cast<int>(std::count(deck.begin(), deck.begin() + static_cast<long>(at) + 1, '\n')) + 1};
}

constexpr const char* kSpanOptions = "; change --nspan, --rhub, --rcas, --nwallhc, --ratio or --dzwall";

TEST(GridCheck, SettingsThatFoldTheGridStopTorvaneAndTheDeckToolNamingTheirCause) {
  TORVANE_REQUIRE_NACA(naca);
  // Defaults: dzwall 0.006, ratio 1.2, nwallhc 3, nspan 16, rhub 0.25, rcas 0.5; dywle 0.0004,
  // nwall 5, npitch 32, 30 blades. A wall layer is d (1 + q + q^2 + ...), its last interval d q^(n-1).
  struct Case {
    const char* option;
    const char* value;
    const char* cause;
    const char* options;
  } cases[] = {
      // 2 x 0.02184 of the span 0.05 leaves 0.00632 for 10 intervals, each below the last wall interval 0.00864.
      {"rcas", "0.30",
       "the two wall layers of 3 intervals from 0.006 growing by 1.2 take 2 x 0.02184 of the span "
       "0.05 (87 %), leaving 0.00632 for the 10 intervals of the blend (0.000632 each, less than the "
       "last wall interval 0.00864)",
       kSpanOptions},
      // 0.006 + 0.012 + 0.024 = 0.042; 0.166 left for 10 intervals, each below 0.024.
      {"ratio", "2",
       "take 2 x 0.042 of the span 0.25 (34 %), leaving 0.166 for the 10 intervals of the blend "
       "(0.0166 each, less than the last wall interval 0.024)",
       kSpanOptions},
      // 0.05 + 0.06 + 0.072 = 0.182, twice that is more than the span.
      {"dzwall", "0.05", "take 2 x 0.182 of the span 0.25 (146 %), leaving nothing for the blend between them",
       kSpanOptions},
      // Pitch 2 pi 0.25 / 30 = 0.05236; 0.0004 (1.2^14 - 1) / 0.2 = 0.02368 per wall; 4 intervals of 0.00125
      // against a last wall interval of 0.0004 x 1.2^13 = 0.00428.
      {"nwall", "14",
       "at the hub the two wall layers of 14 intervals from 0.0004 growing by 1.2 take 2 x 0.02368 of "
       "the pitch 0.05236 (90 %), leaving 0.005003 for the 4 intervals of the blend (0.001251 each, "
       "less than the last wall interval 0.00428)",
       "; change --npitch, --nwall, --ratio, --dywle, --dywte or --dyout"},
  };
  for (const Case& c : cases) {
    const std::string deck = Naca_deck(naca, c.option, c.value);
    Scratch_folder folder;
    const auto run = Run_under_contract(deck, folder.path());
    EXPECT_EQ(run.status, 1) << c.option;
    EXPECT_EQ(run.broken, "") << c.option;  // one diagnostic line, no file left
    EXPECT_TRUE(run.err.starts_with("torvane: the grid has ")) << run.err;
    EXPECT_NE(run.err.find(c.cause), std::string::npos) << run.err;
    EXPECT_TRUE(run.err.ends_with("; no file written (torvane --allow-folded writes them for a viewer)\r\n"));

    const std::vector<std::string> problems = Dry_run_problems(deck);
    ASSERT_EQ(problems.size(), 1u) << c.option;
    EXPECT_TRUE(problems[0].starts_with("torvane would stop on this deck: the grid has ")) << problems[0];
    EXPECT_TRUE(problems[0].ends_with(c.options)) << problems[0];
  }
}

TEST(GridCheck, APassageThatCoversTheBladeNamesTheSectionStationAndPoints) {
  TORVANE_REQUIRE_NACA(naca);
  const std::string deck = Naca_deck(naca);
  struct Case {
    std::string deck;
    std::string named;  // what the message must name
  };
  // One mistyped point: the sign of y lost on the hub's -y side near the trailing edge.
  const auto [typo, line] = With_line(deck, "0.95029 0.00937", "0.95029 -0.00937");
  const auto [thick, unused] =
      With_line(deck, "30        nbrow: number of blades in the row", "2000      nbrow: number of blades in the row");
  const Case cases[] = {
      {typo, "(record " + std::to_string(line) + ")"},
      {thick, "hub section, blade station i = "},
  };
  for (const Case& c : cases) {
    Scratch_folder folder;
    const auto run = Run_under_contract(c.deck, folder.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.broken, "");
    EXPECT_TRUE(run.err.starts_with("torvane: hub section, blade station i = ")) << run.err;
    EXPECT_NE(run.err.find("the passage covers the blade"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;

    const std::vector<std::string> problems = Dry_run_problems(c.deck);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(problems[0].ends_with("; change --nbrow, or the points of the section file")) << problems[0];
  }
}

// The rotor with the absolute spanwise defaults of before, given explicitly: explicit values win.
TEST(GridCheck, TheDeckToolRefusesAFoldingSettingWithStatusOneAndNoDeck) {
  TORVANE_REQUIRE_NACA(naca);
  Scratch_folder folder;
  const auto run = Run_program(TORVANE_DECK_EXE,
                               {"--hub", naca, "--casing", naca, "--staghub", "30", "--stagcas", "30", "--rcas", "0.30",
                                "--dzwall", "0.006", "--nwallhc", "3"},
                               "/dev/null", folder.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(run.err.starts_with("torvane-deck: torvane would stop on this deck: the grid has ")) << run.err;
  EXPECT_NE(run.err.find(kSpanOptions), std::string::npos) << run.err;
}

// Runs torvane in-process with --allow-folded, then the report on its files.
struct Agreement {
  int torvane = 0;  // status without --allow-folded
  int report = 0;
  std::string torvane_folded = "0", report_folded;  // the counts each prints
};

// The digits after `label` in `text`.
std::string Count_after(const std::string& text, const std::string& label) {
  const size_t at = text.find(label);
  if (at == std::string::npos) return "";
  const size_t first = at + label.size();
  return text.substr(first, text.find_first_not_of("0123456789", first) - first);
}

Agreement Torvane_and_report(const std::string& deck, const std::string& folder) {
  Agreement a;
  {
    std::istringstream in(deck);
    Console out, err;
    Run_options checked;
    checked.output_stem = folder + "/run";
    a.torvane = Run(in, out, err, checked);
    if (err.captured().starts_with("torvane: the grid has ")) {
      a.torvane_folded = Count_after(err.captured(), "torvane: the grid has ");
    }
  }
  std::istringstream in(deck);
  Console out, err;
  Run_options allowed;
  allowed.output_stem = folder + "/run";
  allowed.allow_folded = true;
  if (Run(in, out, err, allowed) != 0) {
    a.report = -1;  // stopped before the check: no files to report on
    return a;
  }
  const auto report = Run_program(TORVANE_INSPECT_EXE, {"report", "run"}, "/dev/null", folder);
  a.report = report.status;
  a.report_folded = Count_after(report.out, "folded cells (scaled Jacobian <= 0): ");
  for (const auto& entry : std::filesystem::directory_iterator(folder)) std::filesystem::remove(entry.path());
  return a;
}

TEST(GridCheck, TorvaneExitsZeroExactlyWhenTheReportOnItsFilesExitsZeroAndCountsTheSameFolds) {
  TORVANE_REQUIRE_NACA(naca);
  const std::string deck = Naca_deck(naca);
  std::vector<std::string> decks = {deck, With_line(deck, "0.95029 0.00937", "0.95029 -0.00937").first};
  const std::pair<const char*, const char*> folding[] = {
      {"rcas", "0.30"}, {"ratio", "2"}, {"dzwall", "0.05"}, {"nwall", "14"}, {"nbrow", "2000"}};
  for (const auto& [option, value] : folding) decks.push_back(Naca_deck(naca, option, value));
  // The public decks, which all give sound grids.
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(TORVANE_SHARED_DIR) / "cases" / "public", error)) {
    if (entry.path().extension() == ".in") decks.push_back(testing::Read_text(entry.path().string()));
  }
  int sound = 0;
  for (size_t n = 0; n < decks.size(); ++n) {
    Scratch_folder folder;
    const Agreement a = Torvane_and_report(decks[n], folder.path());
    if (a.report < 0) continue;
    EXPECT_EQ(a.torvane == 0, a.report == 0) << "deck " << n << ": torvane " << a.torvane << ", report " << a.report;
    if (a.torvane != 2) {
      EXPECT_EQ(a.torvane_folded, a.report_folded) << "deck " << n;
    }
    if (a.torvane == 0) ++sound;
  }
  EXPECT_GE(sound, 1);
}

}  // namespace
}  // namespace torvane::deck
