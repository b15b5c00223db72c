#include "control/run_diagnostics.hpp"

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "control/run.hpp"
#include "support/decks.hpp"

namespace torvane {
namespace {

using testing::Join;
using testing::Scratch_folder;
using testing::Small_deck_lines;

// The run prints the lines it has always printed for each event.
TEST(RunDiagnostics, EachEventBecomesItsConsoleLines) {
  struct Case {
    Diagnostic event;
    const char* lines;
  } cases[] = {
      {Contour_approximated{}, " Blade contour: one-shot Bezier spline approx. done\r\n"},
      {Inversion_not_converged{}, "\r\nWARNING (Bezier_x): not converged\r\n\r\n"},
      {Inversion_outside_interval{0.5, 0.0, 0.25},
       "\r\nERROR (Bezier_x): x-coordinate outside the specified curve interval\r\n"},
      {Stretch_not_converged{12, 1.5, 0.25, 0.001},
       "\r\nWARNING (Stretch): no convergence.\r\n"
       " n,r,riter,sumdx,dx1 =    12  0.1500E+01  0.1500E+01  0.2500E+00  0.1000E-02\r\n\r\n"},
  };
  for (const Case& c : cases) {
    Console console;
    const Event_listener none;
    Console_diagnostics diagnostics(console, none);
    diagnostics.Report(c.event);
    EXPECT_EQ(console.captured(), c.lines);
    EXPECT_EQ(Console_lines(c.event), c.lines);
  }
}

// A listener hears every event with the part of the grid being built, and
// the console is the same with or without it.
TEST(RunDiagnostics, AListenerHearsEachEventWithThePartOfTheGrid) {
  Scratch_folder folder;
  std::vector<std::string> lines = Small_deck_lines(folder.path() + "/events");
  lines[3] = "0         nin";
  lines[18] = "0.0       lin";  // no upstream intervals over no length: the stretching cannot converge

  std::vector<std::pair<Build_part, Diagnostic>> heard;
  Run_options listening;
  listening.write_files = false;
  listening.on_event = [&](Build_part part, const Diagnostic& event) { heard.emplace_back(part, event); };
  std::istringstream deck(Join(lines));
  Console out, err;
  ASSERT_EQ(torvane::Run(deck, out, err, listening), kExitComplete) << err.captured();

  ASSERT_EQ(heard.size(), 4u);
  const Build_part parts[] = {Build_part::hub_surface, Build_part::hub_surface, Build_part::casing_surface,
                              Build_part::casing_surface};
  for (size_t n = 0; n < heard.size(); ++n) EXPECT_EQ(heard[n].first, parts[n]) << n;
  EXPECT_TRUE(std::holds_alternative<Contour_approximated>(heard[0].second));
  ASSERT_TRUE(std::holds_alternative<Stretch_not_converged>(heard[1].second));
  const auto& stretch = std::get<Stretch_not_converged>(heard[1].second);
  EXPECT_EQ(stretch.n, 0);
  EXPECT_EQ(stretch.sumdx, 0.0);
  EXPECT_EQ(stretch.dx1, 0.0006);
  EXPECT_TRUE(std::holds_alternative<Contour_approximated>(heard[2].second));
  EXPECT_TRUE(std::holds_alternative<Stretch_not_converged>(heard[3].second));

  Run_options quiet;
  quiet.write_files = false;
  std::istringstream again(Join(lines));
  Console quiet_out, quiet_err;
  ASSERT_EQ(torvane::Run(again, quiet_out, quiet_err, quiet), kExitComplete);
  EXPECT_EQ(quiet_out.captured(), out.captured());
  EXPECT_NE(out.captured().find("WARNING (Stretch): no convergence."), std::string::npos);
}

}  // namespace
}  // namespace torvane
