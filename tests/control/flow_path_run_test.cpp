// Whole runs of the generator with a flow path: the grid files read back
// and measured against the curves, the default run and the refusals.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "control/control_input.hpp"
#include "control/run.hpp"
#include "geometry/meridional_curve.hpp"
#include "inspect/run_files/grid_file.hpp"
#include "output/number_format.hpp"
#include "support/decks.hpp"

namespace torvane {
namespace {

namespace fs = std::filesystem;
using testing::Join;
using testing::Scratch_folder;
using testing::Small_deck_lines;

struct Flow_run {
  int status;
  std::string out, err;
  inspect::Grid grid;
};

// Runs the deck in the folder (with the flow path text when not empty) and reads its grid.
Flow_run Run_in(const Scratch_folder& folder, const std::string& deck, const std::string& flow_path) {
  Run_options options;
  options.output_stem = folder.path() + "/run";
  if (!flow_path.empty()) {
    options.flow_path = folder.path() + "/flow.path";
    std::ofstream(options.flow_path) << flow_path;
  }
  std::istringstream in(deck);
  Console out, err;
  Flow_run run{Run(in, out, err, options), out.captured(), err.captured(), {}};
  if (run.status == 0) run.grid = inspect::Read_grid_file(options.output_stem + ".rgra");
  return run;
}

// The curves in the file's form, and as the test's own curves.
struct Path {
  const char* name;
  std::vector<double> hub_x, hub_r, casing_x, casing_r;
  std::string Text() const {
    std::ostringstream text;
    text.precision(17);
    text << "hub\n";
    for (size_t n = 0; n < hub_x.size(); ++n) text << hub_x[n] << " " << hub_r[n] << "\n";
    text << "casing\n";
    for (size_t n = 0; n < casing_x.size(); ++n) text << casing_x[n] << " " << casing_r[n] << "\n";
    return text.str();
  }
};

// The small deck's hub (0.25 at x = 0) and casing (0.5) on a cone and on an S-shaped path.
std::vector<Path> Paths() {
  Path s{"S-shape", {}, {}, {-0.2, 0.3}, {0.5, 0.5}};
  for (int n = 0; n <= 10; ++n) {
    const double x = -0.2 + 0.05 * n;
    s.hub_x.push_back(x);
    s.hub_r.push_back(0.25 + 0.03 * (std::tanh((x - 0.03) / 0.04) - std::tanh(-0.03 / 0.04)));
  }
  s.casing_x = {-0.2, -0.05, 0.0, 0.05, 0.1, 0.3};
  s.casing_r = {0.47, 0.48, 0.5, 0.53, 0.55, 0.56};
  return {{"cone", {-0.2, 0.3}, {0.21, 0.31}, {-0.2, 0.3}, {0.5, 0.5}}, s};
}

TEST(FlowPathRun, HubAndCasingLieOnTheirCurvesAndPeriodicPartnersStayOnePitchApart) {
  for (const Path& path : Paths()) {
    Scratch_folder folder;
    const Flow_run run = Run_in(folder, Join(Small_deck_lines()), path.Text());
    ASSERT_EQ(run.status, 0) << path.name << run.err;
    const inspect::Grid& g = run.grid;
    const Meridional_curve hub(path.hub_x, path.hub_r);
    const Meridional_curve casing(path.casing_x, path.casing_r);
    const double dphi = 2.0 * 3.141592653589793 / 20.0;
    for (int j = 1; j <= g.je; ++j) {
      for (int i = 1; i <= g.ie; ++i) {
        const inspect::Vec3 h = g.Point(i, j, 1);
        const inspect::Vec3 c = g.Point(i, j, g.ke);
        EXPECT_NEAR(std::hypot(h.y, h.z), hub.Radius(h.x), 1e-12 * 0.25) << path.name << " hub " << i << "," << j;
        EXPECT_NEAR(std::hypot(c.y, c.z), casing.Radius(c.x), 1e-12 * 0.5) << path.name << " casing " << i << "," << j;
      }
    }
    // Every plane: upstream of the leading edge and downstream of the
    // trailing edge (ile 4, ite 10) j = 1 and j = je are one pitch angle apart.
    for (int k = 1; k <= g.ke; ++k) {
      for (int i = 1; i <= g.ie; ++i) {
        if (i > 4 && i < 10) continue;
        const inspect::Vec3 a = g.Point(i, 1, k);
        const inspect::Vec3 b = g.Point(i, g.je, k);
        EXPECT_NEAR(std::atan2(b.y, b.z) - std::atan2(a.y, a.z), dphi, 1e-12) << path.name << " " << i << " " << k;
        EXPECT_NEAR(std::hypot(b.y, b.z), std::hypot(a.y, a.z), 1e-12 * 0.5) << path.name << " " << i << " " << k;
        EXPECT_NEAR(a.x, b.x, 1e-12 * 0.5) << path.name << " " << i << " " << k;
      }
    }
    // The summary gives the inlet and outlet where the grid has them.
    std::string lines = " Inlet x (hub, casing): ";
    Put_fixed(lines, g.Point(1, 1, 1).x, 10, 5);
    Put_fixed(lines, g.Point(1, 1, g.ke).x, 11, 5);
    lines += "\r\n Outlet x(hub, casing): ";
    Put_fixed(lines, g.Point(g.ie, 1, 1).x, 10, 5);
    Put_fixed(lines, g.Point(g.ie, 1, g.ke).x, 11, 5);
    EXPECT_NE(run.out.find(" Pitch angle          : 18.00\r\n" + lines + "\r\n\r\n Generating grid"), std::string::npos)
        << path.name << run.out;
  }
}

TEST(FlowPathRun, ConstantRadiiGiveTheDefaultGridOfEveryPublicDeck) {
  const fs::path folder = fs::path(TORVANE_SHARED_DIR) / "cases" / "public";
  std::vector<fs::path> decks;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    if (entry.path().extension() == ".in") decks.push_back(entry.path());
  }
  if (decks.empty()) GTEST_SKIP() << "no shared decks in " << folder;
  decks.push_back("small (built in)");
  int compared = 0;
  for (const fs::path& deck_path : decks) {
    const std::string deck =
        deck_path.filename() == "small (built in)" ? Join(Small_deck_lines()) : testing::Read_file(deck_path.string());
    Scratch_folder plain_folder, flow_folder;
    const Flow_run plain = Run_in(plain_folder, deck, "");
    if (plain.status != 0) continue;
    std::istringstream in(deck);
    const Control_values v = Deck_reader(in).Read_control_values();
    const double reach = 2.0 * (std::fabs(v.lin) + std::fabs(v.lx) + v.chordhub + v.chordcas + (v.rcas - v.rhub));
    std::ostringstream path;
    path.precision(17);
    path << "hub\n"
         << -reach << " " << v.rhub << "\n"
         << reach << " " << v.rhub << "\ncasing\n"
         << -reach << " " << v.rcas << "\n0 " << v.rcas << "\n"
         << reach << " " << v.rcas << "\n";
    const Flow_run flow = Run_in(flow_folder, deck, path.str());
    ASSERT_EQ(flow.status, 0) << deck_path << flow.err;
    double scale = 0.0;
    for (const std::vector<double>* c : {&plain.grid.x, &plain.grid.y, &plain.grid.z}) {
      for (double value : *c) scale = std::max(scale, std::fabs(value));
    }
    for (size_t n = 0; n < plain.grid.points(); ++n) {
      ASSERT_NEAR(flow.grid.x[n], plain.grid.x[n], 1e-12 * scale) << deck_path << " point " << n;
      ASSERT_NEAR(flow.grid.y[n], plain.grid.y[n], 1e-12 * scale) << deck_path << " point " << n;
      ASSERT_NEAR(flow.grid.z[n], plain.grid.z[n], 1e-12 * scale) << deck_path << " point " << n;
    }
    ++compared;
  }
  EXPECT_GE(compared, 2);
}

TEST(FlowPathRun, ARefusedFlowPathStopsBeforeAnyFileWithStatusTwo) {
  struct Case {
    const char* name;
    const char* path;
    const char* diagnostic;
  };
  const Case cases[] = {
      {"malformed", "hub\n0 0.25\n", "flow.path:1: the hub curve has 1 point; it needs at least two `x r` lines"},
      {"short of the inlet", "hub\n-0.001 0.25\n0.3 0.25\ncasing\n-0.2 0.5\n0.3 0.5\n",
       "flow.path:2: the hub curve starts at x = -0.001 (xi = -0.001 in the hub plane), downstream of the hub grid's "
       "inlet"},
      {"rhub not on the curve", "hub\n-0.2 0.3\n0.3 0.3\ncasing\n-0.2 0.5\n0.3 0.5\n",
       "flow.path:2: the hub curve has radius 0.3 at the hub section's reference point (x = 0) but the deck's "
       "rhub (record 17) is 0.25; give the deck rhub = 0.3 or move the curve"},
  };
  for (const Case& c : cases) {
    Scratch_folder folder;
    const Flow_run run = Run_in(folder, Join(Small_deck_lines()), c.path);
    EXPECT_EQ(run.status, 2) << c.name;
    EXPECT_NE(run.err.find("torvane: " + folder.path() + "/" + c.diagnostic), std::string::npos) << c.name << run.err;
    EXPECT_EQ(run.out.find("Generating grid"), std::string::npos) << c.name;
    EXPECT_TRUE(fs::is_empty(folder.path()) || fs::directory_iterator(folder.path())->path().filename() == "flow.path")
        << c.name;
  }
}

// A hub curve that comes close to the axis upstream of the grid: the inlet
// lies where the map's integral, resolved to the axis end, puts it (x =
// -0.01956 for the compressor rotor, as a closed quadrature gives), or the
// file is refused when the radius is too small to resolve; a cylinder over
// the grid's range that starts near the axis far upstream gives the cylinder
// grid.
TEST(FlowPathRun, AHubNearTheAxisUpstreamGivesTheRightInletOrARefusal) {
  const std::string deck = testing::Read_file(std::string(TORVANE_SOURCE_DIR) + "/examples/compressor_rotor.in");
  const std::string casing = "casing\n-0.2 0.5\n0 0.5\n0.2 0.5\n";
  for (const char* r : {"1e-7", "1e-9", "1e-12"}) {
    Scratch_folder folder;
    const Flow_run run = Run_in(folder, deck, std::string("hub\n-0.06 ") + r + "\n0 0.25\n0.2 0.25\n" + casing);
    ASSERT_EQ(run.status, 0) << r << run.err;
    EXPECT_NE(run.out.find(" Inlet x (hub, casing):   -0.01956   -0.05022"), std::string::npos) << r << run.out;
  }
  {
    Scratch_folder folder;
    const Flow_run run = Run_in(folder, deck, "hub\n-0.06 1e-300\n0 0.25\n0.2 0.25\n" + casing);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("flow.path:2: the mapping of the hub curve cannot be computed between x = -0.06 and 0"),
              std::string::npos)
        << run.err;
  }
  Scratch_folder plain_folder;
  const Flow_run plain = Run_in(plain_folder, deck, "");
  ASSERT_EQ(plain.status, 0);
  for (const char* r : {"1e-6", "1e-15"}) {
    Scratch_folder folder;
    const Flow_run run =
        Run_in(folder, deck, std::string("hub\n-30 ") + r + "\n-1 0.25\n1 0.25\ncasing\n-30 0.5\n1 0.5\n");
    ASSERT_EQ(run.status, 0) << r << run.err;
    for (size_t n = 0; n < plain.grid.points(); ++n) {
      ASSERT_NEAR(run.grid.x[n], plain.grid.x[n], 1e-12) << r << " point " << n;
      ASSERT_NEAR(run.grid.y[n], plain.grid.y[n], 1e-12) << r << " point " << n;
      ASSERT_NEAR(run.grid.z[n], plain.grid.z[n], 1e-12) << r << " point " << n;
    }
  }
}

}  // namespace
}  // namespace torvane
