// torvane-deck --flow-path: the radii taken from the curves, the note in the
// deck, the dry run on the flow path, and the deck run by torvane on it; the
// shipped flow-path examples run by torvane and checked by torvane-inspect.
#include <cmath>
#include <cstdlib>
#include <sstream>

#include <gtest/gtest.h>

#include "control/control_input.hpp"
#include "control/run.hpp"
#include "deck/deck_main.hpp"
#include "deck/deck_support.hpp"
#include "geometry/meridional_curve.hpp"
#include "support/decks.hpp"
#include "support/process.hpp"

namespace torvane::deck {
namespace {

using torvane::testing::Scratch_folder;

struct Deck_result {
  int status;
  std::string deck, err;
};

Deck_result Write_deck(const std::string& naca, const std::string& flow_path, std::vector<std::string> more = {}) {
  std::vector<std::string> args = {"--hub", naca, "--casing", naca, "--flow-path", flow_path};
  args.insert(args.end(), more.begin(), more.end());
  std::ostringstream out, err;
  const int status = Deck_main(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(DeckFlowPath, TakesTheRadiiFromTheCurvesAndTheDeckRunsOnThePath) {
  TORVANE_REQUIRE_NACA(naca);
  // Casing radius 0.5 + 0.2 x: with sweep the casing section's reference
  // point moves along the rising line, and rcas with it.
  struct Case {
    const char* sweep;
    double rcas;  // r = 0.5 + 0.2 (r - rhub) tan(sweep)
  };
  const double rhub = 0.22 + 0.1 * 0.3;
  const double t = std::tan(10.0 * 0.017453292519943295);
  for (const Case c : {Case{"0", 0.5}, Case{"10", (0.5 - 0.2 * t * rhub) / (1.0 - 0.2 * t)}}) {
    Scratch_folder folder;
    const std::string path = folder.path() + "/flow path";
    testing::Write_text(path, "hub\n-0.3 0.22\n0.3 0.28\ncasing\n-0.3 0.44\n0.3 0.56\n");
    const Deck_result result = Write_deck(naca, path, {"--sweep", c.sweep});
    ASSERT_EQ(result.status, kExitWritten) << result.err;
    std::istringstream in(result.deck);
    const Control_values values = Deck_reader(in).Read_control_values();
    EXPECT_NEAR(values.rhub, 0.25, 1e-15);
    EXPECT_NEAR(values.rcas, c.rcas, 1e-14) << "sweep " << c.sweep;
    EXPECT_NE(result.deck.find("rhub: hub radius, on the hub curve of " + path +
                               ": run this deck with torvane --flow-path " + path + "\n"),
              std::string::npos);
    EXPECT_NE(result.deck.find("rcas: casing radius, on the casing curve of " + path), std::string::npos);

    std::istringstream deck(result.deck);
    Console out, err;
    Run_options options;
    options.write_files = false;
    options.flow_path = path;
    EXPECT_EQ(torvane::Run(deck, out, err, options), kExitComplete) << err.captured();
  }
}

TEST(DeckFlowPath, WritesNoDeckForAPathTheGridDoesNotFitOrAMalformedFile) {
  TORVANE_REQUIRE_NACA(naca);
  struct Case {
    const char* name;
    const char* text;
    int status;
    const char* message;  // after the file name
  };
  const Case cases[] = {
      {"malformed", "hub\n0 0.25\n1 x\n", kExitInput, ":3: \"x\" is not a number; a point is a line `x r`\n"},
      {"short of the outlet", "hub\n-0.3 0.25\n0.05 0.25\ncasing\n-0.3 0.5\n0.3 0.5\n", kExitProblems,
       ":3: the hub curve ends at x = 0.05 (xi = 0.05 in the hub plane), upstream of the hub grid's outlet"},
      {"hub curve missing x = 0", "hub\n0.01 0.25\n0.02 0.6\ncasing\n-0.3 0.5\n0.3 0.5\n", kExitProblems,
       ":2: the hub curve starts at x = 0.01; it must reach the hub section's reference point at x = 0\n"},
  };
  for (const Case& c : cases) {
    Scratch_folder folder;
    const std::string path = folder.path() + "/p";
    testing::Write_text(path, c.text);
    const Deck_result result = Write_deck(naca, path);
    EXPECT_EQ(result.status, c.status) << c.name;
    EXPECT_EQ(result.deck, "") << c.name;
    const std::string said =
        c.status == kExitInput ? "torvane-deck: " : "torvane-deck: torvane would stop on this deck: ";
    EXPECT_TRUE(result.err.starts_with(said + path + c.message)) << c.name << ": " << result.err;
  }
}

TEST(FlowPathExamples, GridWithoutAFoldedCellAndWithPeriodicBoundariesMatching) {
  for (const std::string name : {"compressor_rotor", "turbine_stator"}) {
    Scratch_folder folder;
    const std::string examples = std::string(TORVANE_SOURCE_DIR) + "/examples/";
    const auto grid = torvane::testing::Run_program(TORVANE_BINARY, {"--flow-path", examples + name + ".path"},
                                                    examples + name + ".in", folder.path());
    ASSERT_EQ(grid.status, 0) << name << grid.err;
    EXPECT_EQ(grid.out.find("WARNING"), std::string::npos) << name;
    const auto report =
        torvane::testing::Run_program(TORVANE_INSPECT_EXE, {"report", name}, "/dev/null", folder.path());
    EXPECT_EQ(report.status, 0) << name << report.out;
    EXPECT_NE(report.out.find("folded cells (scaled Jacobian <= 0): 0\n"), std::string::npos) << report.out;
    // "largest mismatch 1.11e-16 = 1.91e-15 of the pitch": rounding level.
    const size_t at = report.out.find("largest mismatch ");
    ASSERT_NE(at, std::string::npos) << report.out;
    EXPECT_LT(std::strtod(report.out.c_str() + at + 17, nullptr), 1e-14) << report.out.substr(at, 60);
  }
}

}  // namespace
}  // namespace torvane::deck
