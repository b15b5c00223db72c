// The OpenFOAM export proven by OpenFOAM itself (Debian package openfoam): checkMesh
// accepts the mesh of each deck, and potentialFoam on the --case folder converges
// with as much volume flux leaving through the outlet as enters through the inlet.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/decks.hpp"
#include "support/process.hpp"

namespace torvane::inspect {
namespace {

using torvane::testing::Process_result;
using torvane::testing::Run_program;

const char* const kFoamBashrc = "/usr/share/openfoam/etc/bashrc";

// Runs an OpenFOAM utility in folder with the package's environment.
Process_result Run_foam(const std::string& command, const std::string& folder) {
  return Run_program("/bin/bash", {"-c", std::string("source ") + kFoamBashrc + " > /dev/null 2>&1; " + command},
                     "/dev/null", folder);
}

struct Deck_case {
  const char* name;
  const char* example;              // deck file in examples/, or nullptr for the NACA 65-410 deck torvane-deck writes
  bool largest;                     // run only where the largest grid's solver runs are wanted
  bool axis_z;                      // exported with the machine axis as z
  const char* tip_gap = nullptr;    // torvane --tip-gap, when the blade ends below the casing
  const char* flow_path = nullptr;  // flow-path file in examples/, when not on cylinders
};

void PrintTo(const Deck_case& c, std::ostream* out) { *out << c.name; }

// Runs torvane on the deck in folder and returns the stem; "" with the reason in `why` when it cannot.
std::string Make_run(const Deck_case& c, const std::string& folder, std::string& why) {
  std::string deck = folder + "/" + c.name + ".in";
  if (c.example) {
    deck = std::string(TORVANE_SOURCE_DIR) + "/examples/" + c.example;
  } else {
    const std::string airfoil = std::string(TORVANE_SHARED_DIR) + "/data/airfoils/naca65410.dat";
    if (!std::filesystem::exists(airfoil)) {
      why = "shared airfoil file not found: " + airfoil;
      return "";
    }
    const Process_result d =
        Run_program(TORVANE_DECK_EXE,
                    {"--hub", airfoil, "--casing", airfoil, "--staghub", "30", "--stagcas", "30", "--fname", c.name},
                    "/dev/null", folder);
    if (d.status != 0) {
      why = "torvane-deck failed: " + d.err;
      return "";
    }
    std::ofstream(deck, std::ios::binary) << d.out;
  }
  std::vector<std::string> options;
  if (c.tip_gap) options.insert(options.end(), {"--tip-gap", c.tip_gap});
  if (c.flow_path)
    options.insert(options.end(), {"--flow-path", std::string(TORVANE_SOURCE_DIR) + "/examples/" + c.flow_path});
  const Process_result run = Run_program(TORVANE_BINARY, options, deck, folder);
  if (run.status != 0) {
    why = "torvane failed on " + deck + ": " + run.err;
    return "";
  }
  const std::string file = c.example ? c.example : c.name;
  return folder + "/" + file.substr(0, file.find(".in"));
}

// Sum of the values of patch `name` in the boundaryField of an OpenFOAM surface field file.
double Patch_sum(const std::string& field, const std::string& name) {
  const std::size_t at = field.find("\n    " + name + "\n");
  if (at == std::string::npos) return NAN;
  const std::size_t end = field.find("\n    }", at);
  const std::string block = field.substr(at, end - at);
  const std::size_t list = block.find("List<scalar>");
  if (list == std::string::npos) return NAN;
  const std::size_t open = block.find('(', list);
  double sum = 0;
  const char* p = block.c_str() + open + 1;
  char* next = nullptr;
  for (double v = std::strtod(p, &next); next != p; v = std::strtod(p, &next)) {
    sum += v;
    p = next;
  }
  return sum;
}

// The shipped examples (the compressor rotor also with the machine axis as z), the NACA 65-410
// deck of the README and the largest grid.
const Deck_case kDecks[] = {
    {"compressor_rotor", "compressor_rotor.in", false, false},
    {"compressor_rotor_axis_z", "compressor_rotor.in", false, true},
    {"turbine_stator", "turbine_stator.in", false, false},
    {"naca65410", nullptr, false, false},
    {"largest_grid", "largest_grid.in", true, false},
    // A tip gap: its faces j = 1 and j = je in the cyclic pair, on the cylinders and on a flow path.
    {"compressor_rotor_tip_gap", "compressor_rotor.in", false, false, "1%"},
    {"compressor_rotor_gap_example_flow_path", "compressor_rotor_gap.in", false, false, nullptr,
     "compressor_rotor.path"},
};

class OpenfoamRun : public ::testing::TestWithParam<Deck_case> {};

TEST_P(OpenfoamRun, CheckMeshAcceptsTheMeshAndPotentialFoamBalancesTheFlux) {
  const Deck_case& c = GetParam();
  if (!std::filesystem::exists(kFoamBashrc)) GTEST_SKIP() << "OpenFOAM not installed (Debian package openfoam)";
#ifdef TORVANE_NO_LARGEST_SOLVER_RUNS
  if (c.largest) GTEST_SKIP() << "solver runs on the largest grid are left to the Release build";
#endif
  torvane::testing::Scratch_folder scratch;
  std::string why;
  const std::string stem = Make_run(c, scratch.path(), why);
  if (stem.empty()) {
    if (why.rfind("shared", 0) == 0) GTEST_SKIP() << why;
    FAIL() << why;
  }
  const std::string folder = stem + "_foam";
  std::vector<std::string> args = {"export", "--to", "openfoam", "--case", "--output", folder, stem};
  if (c.axis_z) args.insert(args.begin() + 3, {"--axis", "z"});
  const Process_result exported = Run_program(TORVANE_INSPECT_EXE, args, "/dev/null", scratch.path());
  ASSERT_EQ(exported.status, 0) << exported.err;

  // What the test is doing, for `ctest -V`: the largest grid takes minutes.
  std::printf("%s: checkMesh on %s\n", c.name, folder.c_str());
  std::fflush(stdout);
  const Process_result check = Run_foam("checkMesh", folder);
  const std::string& log = check.out;
  for (const char* line : {"Boundary definition OK.", "Cell to face addressing OK.", "Point usage OK.",
                           "Upper triangular ordering OK.", "Face vertices OK.", "Number of regions: 1 (OK).",
                           "Cell volumes OK.", "Face pyramids OK.", "Face area magnitudes OK."}) {
    EXPECT_NE(log.find(line), std::string::npos) << c.name << ": checkMesh does not say \"" << line << "\"\n" << log;
  }
  EXPECT_TRUE(std::regex_search(log, std::regex(R"(Coupled point location match \(average [^)]*\) OK\.)")))
      << c.name << ": the cyclic pair does not match\n"
      << log;
  for (const char* fault : {"wrong orientation", "negative volume", "Zero or negative", "incorrectly matched",
                            "***Faces not in upper triangular order", "***Error"}) {
    EXPECT_EQ(log.find(fault), std::string::npos) << c.name << ": checkMesh reports \"" << fault << "\"\n" << log;
  }

  std::printf("%s: potentialFoam -writephi\n", c.name);
  std::fflush(stdout);
  const Process_result flow = Run_foam("potentialFoam -writephi", folder);
  ASSERT_EQ(flow.status, 0) << c.name << ": potentialFoam failed\n" << flow.out << flow.err;
  // Every solve reaches the tolerance of fvSolution, and the non-orthogonal correctors
  // bring the starting residual down.
  const std::regex solve(R"(Solving for Phi, Initial residual = ([0-9.eE+-]+), Final residual = ([0-9.eE+-]+))");
  std::vector<double> initial;
  for (auto m = std::sregex_iterator(flow.out.begin(), flow.out.end(), solve); m != std::sregex_iterator(); ++m) {
    initial.push_back(std::stod((*m)[1]));
    EXPECT_LT(std::stod((*m)[2]), 1e-9) << c.name << ": a solve stopped short of the tolerance";
  }
  ASSERT_GE(initial.size(), 3u) << flow.out;
  EXPECT_LT(initial.back(), initial[1]) << c.name << ": the non-orthogonal correctors do not converge\n" << flow.out;

  const std::string phi = torvane::testing::Read_file(folder + "/0/phi");
  const double in = Patch_sum(phi, "inlet"), out = Patch_sum(phi, "outlet");
  ASSERT_TRUE(std::isfinite(in) && std::isfinite(out)) << c.name << ": no inlet or outlet flux in 0/phi";
  EXPECT_LT(in, 0) << "the flow enters through the inlet";
  EXPECT_LT(std::fabs(in + out), 1e-6 * std::fabs(in)) << c.name << ": inlet " << in << ", outlet " << out;
  std::printf("%s: checkMesh and potentialFoam: inlet flux %.17g, outlet flux %.17g\n", c.name, in, out);
}

INSTANTIATE_TEST_SUITE_P(Decks, OpenfoamRun, ::testing::ValuesIn(kDecks),
                         [](const ::testing::TestParamInfo<Deck_case>& info) { return std::string(info.param.name); });

// The RANS case's Allrun, cut to a few iterations: the solver reads every file of the case,
// runs and writes its log, the flow rates of both ends each iteration and the residuals. The
// converged runs and their figures: docs/solvers.md.
struct Rans_deck {
  const char* name;
  const char* example;
  const char* rpm;
  const char* solver;
  double inlet_flux;  // the potential case's inlet flux at unit inflow (docs/solvers.md)
};

void PrintTo(const Rans_deck& c, std::ostream* out) { *out << c.name; }

class RansRun : public ::testing::TestWithParam<Rans_deck> {};

TEST_P(RansRun, AllrunRunsTheSolverAndWritesTheFlowRatesOfBothEnds) {
  const Rans_deck& c = GetParam();
  if (!std::filesystem::exists(kFoamBashrc)) GTEST_SKIP() << "OpenFOAM not installed (Debian package openfoam)";
  torvane::testing::Scratch_folder scratch;
  std::string why;
  const std::string stem = Make_run({c.name, c.example, false, false}, scratch.path(), why);
  ASSERT_FALSE(stem.empty()) << why;
  const std::string folder = stem + "_rans";
  const double inflow = 20;
  const Process_result exported = Run_program(
      TORVANE_INSPECT_EXE,
      {"export", "--to", "openfoam", "--case", "rans", "--rpm", c.rpm, "--inflow", "20", "--output", folder, stem},
      "/dev/null", scratch.path());
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_NE(exported.out.find(std::string("RANS case for ") + c.solver), std::string::npos) << exported.out;

  // A few iterations instead of a converged run.
  const int iterations = 4;
  std::string control = torvane::testing::Read_file(folder + "/system/controlDict");
  const std::size_t end = control.find("endTime         ");
  ASSERT_NE(end, std::string::npos);
  control.replace(end, control.find(';', end) - end, "endTime         " + std::to_string(iterations));
  std::ofstream(folder + "/system/controlDict", std::ios::binary) << control;

  std::printf("%s: %s for %d iterations (seconds)\n", c.name, c.solver, iterations);
  std::fflush(stdout);
  const Process_result run = Run_program("/bin/bash", {folder + "/Allrun"}, "/dev/null", scratch.path());
  const std::string log = torvane::testing::Read_file(folder + "/log." + c.solver);
  ASSERT_EQ(run.status, 0) << run.out << run.err << log;
  EXPECT_NE(log.find("\nEnd\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("FOAM FATAL"), std::string::npos) << log;
  EXPECT_EQ(log.find("FOAM Warning"), std::string::npos) << log;
  const std::regex residual(R"(Solving for p, Initial residual = ([0-9.eE+-]+))");
  EXPECT_TRUE(std::regex_search(log, residual)) << log;

  // One row per iteration at each end; the inlet takes the inflow over its whole area.
  for (const char* end_name : {"inlet", "outlet"}) {
    const std::string rates =
        torvane::testing::Read_file(folder + "/postProcessing/" + end_name + "FlowRate/0/surfaceFieldValue.dat");
    std::vector<double> values;
    std::istringstream lines(rates);
    for (std::string line; std::getline(lines, line);) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream fields(line);
      double time = 0, rate = 0;
      if (fields >> time >> rate) values.push_back(rate);
    }
    ASSERT_EQ(values.size(), static_cast<std::size_t>(iterations)) << end_name << ":\n" << rates;
    for (double v : values) EXPECT_TRUE(std::isfinite(v)) << end_name;
    if (std::string(end_name) == "inlet") {
      EXPECT_NEAR(values.back(), inflow * c.inlet_flux, 1e-6 * inflow * std::fabs(c.inlet_flux)) << c.name;
    }
    std::printf("%s: %s flow rate after %d iterations %.9g\n", c.name, end_name, iterations, values.back());
  }
}

// Smoothed grids (torvane --smooth) pass every one of checkMesh's checks,
// skewness included, with the cyclic pair matched.
struct Smoothed_deck {
  const char* name;
  const char* example;                 // deck file in examples/, or nullptr for one torvane-deck writes
  std::vector<std::string> deck_args;  // torvane-deck's arguments, "@" standing for the shared folder
  bool largest;                        // run only where the largest grid's solver runs are wanted
};

void PrintTo(const Smoothed_deck& c, std::ostream* out) { *out << c.name; }

class SmoothedMesh : public ::testing::TestWithParam<Smoothed_deck> {};

TEST_P(SmoothedMesh, CheckMeshSaysMeshOk) {
  const Smoothed_deck& c = GetParam();
  if (!std::filesystem::exists(kFoamBashrc)) GTEST_SKIP() << "OpenFOAM not installed (Debian package openfoam)";
#ifdef TORVANE_NO_LARGEST_SOLVER_RUNS
  if (c.largest) GTEST_SKIP() << "solver runs on the largest grid are left to the Release build";
#endif
  torvane::testing::Scratch_folder scratch;
  std::string deck = std::string(TORVANE_SOURCE_DIR) + "/examples/" + (c.example ? c.example : "");
  if (!c.example) {
    std::vector<std::string> args = c.deck_args;
    for (std::string& arg : args) {
      if (arg.starts_with("@")) arg = std::string(TORVANE_SHARED_DIR) + arg.substr(1);
      if (arg.starts_with(TORVANE_SHARED_DIR) && !std::filesystem::exists(arg)) {
        GTEST_SKIP() << "shared data file not found: " << arg;
      }
    }
    args.insert(args.end(), {"--fname", c.name});
    const Process_result made = Run_program(TORVANE_DECK_EXE, args, "/dev/null", scratch.path());
    ASSERT_EQ(made.status, 0) << made.err;
    deck = scratch.path() + "/" + c.name + ".in";
    std::ofstream(deck, std::ios::binary) << made.out;
  }
  const Process_result run = Run_program(TORVANE_BINARY, {"--smooth", "--large"}, deck, scratch.path());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string file = c.example ? c.example : c.name;
  const std::string stem = scratch.path() + "/" + file.substr(0, file.find(".in"));
  const std::string folder = stem + "_foam";
  const Process_result exported =
      Run_program(TORVANE_INSPECT_EXE, {"export", "--to", "openfoam", "--case", "--output", folder, stem}, "/dev/null",
                  scratch.path());
  ASSERT_EQ(exported.status, 0) << exported.err;
  std::printf("%s: checkMesh on the smoothed grid\n", c.name);
  std::fflush(stdout);
  const std::string log = Run_foam("checkMesh", folder).out;
  EXPECT_NE(log.find("\nMesh OK."), std::string::npos) << c.name << "\n" << log;
  EXPECT_TRUE(std::regex_search(log, std::regex(R"(Coupled point location match \(average [^)]*\) OK\.)")))
      << c.name << ": the cyclic pair does not match\n"
      << log;
}

const Smoothed_deck kSmoothedDecks[] = {
    {"compressor_rotor", "compressor_rotor.in", {}, false},
    {"turbine_stator", "turbine_stator.in", {}, false},
    {"largest_grid", "largest_grid.in", {}, true},
    // The y+ 1 NACA 65-410 deck of torvane-deck --yplus (docs/deck-tool.md): 4.9 million points, a
    // minute or two; the cells' aspect ratio stays within checkMesh's limit of 1000 with the smoothing too.
    {"naca65410_yplus1",
     nullptr,
     {"--hub", "@/data/airfoils/naca65410.dat", "--casing", "@/data/airfoils/naca65410.dat", "--yplus", "1",
      "--reynolds", "5e5", "--large"},
     true},
    // Rotor 37 from its curve files, with the info file's tip gap.
    {"rotor37",
     nullptr,
     {"--profile", "@/data/rotor37/profile_R37.dat", "--hub-curve", "@/data/rotor37/hub_R37.dat", "--casing-curve",
      "@/data/rotor37/shroud_R37.dat", "--info", "@/data/rotor37/Info.txt"},
     false},
};

INSTANTIATE_TEST_SUITE_P(Decks, SmoothedMesh, ::testing::ValuesIn(kSmoothedDecks),
                         [](const ::testing::TestParamInfo<Smoothed_deck>& info) {
                           return std::string(info.param.name);
                         });

const Rans_deck kRansDecks[] = {
    {"compressor_rotor", "compressor_rotor.in", "815", "SRFSimpleFoam", -0.0196348139021},
    {"turbine_stator", "turbine_stator.in", "0", "simpleFoam", -0.00549777301333},
};

INSTANTIATE_TEST_SUITE_P(Decks, RansRun, ::testing::ValuesIn(kRansDecks),
                         [](const ::testing::TestParamInfo<Rans_deck>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace torvane::inspect
