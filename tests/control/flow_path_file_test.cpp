#include "control/flow_path_file.hpp"

#include <string>

#include <gtest/gtest.h>

#include "base/run_stop.hpp"

namespace torvane {
namespace {

// The diagnostic of a refused file or check, "" when it passes.
template <typename F>
std::string Refusal(F&& f) {
  try {
    f();
  } catch (const Run_stop& stop) {
    EXPECT_EQ(stop.status, kExitRefused);
    return stop.diagnostic;
  }
  return "";
}

TEST(FlowPathFile, ReadsBothCurvesWithCommentsBlankLinesAndTheDeckNumberForms) {
  const Flow_path_file file = Parse_flow_path("path.txt",
                                              "# a cone\n"
                                              "\n"
                                              "hub   # rising\n"
                                              "-0.1 0.24\n"
                                              "0.2, 2.7D-1\r\n"
                                              "casing\n"
                                              "  -1  .5\n"
                                              "+1E0 5e-1  # the end\n");
  EXPECT_EQ(file.hub.header_line, 3);
  EXPECT_EQ(file.hub.x, (std::vector<double>{-0.1, 0.2}));
  EXPECT_EQ(file.hub.r, (std::vector<double>{0.24, 0.27}));
  EXPECT_EQ(file.hub.lines, (std::vector<int>{4, 5}));
  EXPECT_EQ(file.casing.x, (std::vector<double>{-1.0, 1.0}));
  EXPECT_EQ(file.casing.r, (std::vector<double>{0.5, 0.5}));
  EXPECT_EQ(file.casing.lines, (std::vector<int>{7, 8}));
}

TEST(FlowPathFile, RefusesAMalformedFileNamingTheLine) {
  struct Case {
    const char* text;
    const char* diagnostic;
  };
  const Case cases[] = {
      {"-0.1 0.2\n", "p:1: expected the line `hub` before the points, found \"-0.1\""},
      {"hub\n0 0.2\n1 0.3\n",
       "p: no `casing` line after the hub curve; the file gives a hub curve, then a casing curve"},
      {"", "p: no `hub` line; the file gives a hub curve, then a casing curve"},
      {"hub\n0 0.2\ncasing\n0 1\n1 1\n", "p:1: the hub curve has 1 point; it needs at least two `x r` lines"},
      {"hub\n0 0.2\n1 0.2\ncasing\n0 1\n", "p:4: the casing curve has 1 point; it needs at least two `x r` lines"},
      {"hub\n0 0.2\n1 0.2\ncasing\n", "p:4: the casing curve has 0 points; it needs at least two `x r` lines"},
      {"hub\n0.3 0.2\n0.1 0.2\n",
       "p:3: x = 0.1 does not increase from x = 0.3 on line 2; x must increase strictly along a curve"},
      {"hub\n0.1 0.2\n0.1000000001 0.2\n0.1 0.2\n",
       "p:4: x = 0.1 does not increase from x = 0.1000000001 on line 3; x must increase "
       "strictly along a curve"},
      {"hub\n0 0.2\n1 r\n", "p:3: \"r\" is not a number; a point is a line `x r`"},
      {"hub\n0 0.2 7\n", "p:2: a point is a line `x r` of two numbers, found 3 items"},
      {"hub\n0\n", "p:2: a point is a line `x r` of two numbers, found 1 items"},
      {"hub\n0 0.2\n0 0.3\n",
       "p:3: x = 0 does not increase from x = 0 on line 2; x must increase strictly along a curve"},
      {"hub\n0 0.2\n1 0\n", "p:3: r = 0 on the hub curve; a radius must be positive"},
      {"hub\n0 0.2\n1 0.2\ncasing\n0 -1\n", "p:5: r = -1 on the casing curve; a radius must be positive"},
      {"casing\n0 1\n1 1\n", "p:1: the hub curve must come before the casing curve"},
      {"hub\n0 0.2\n1 0.2\nhub\n", "p:4: a second `hub` line; the file holds one hub curve"},
      {"hub\n0 0.2\n1 0.2\ncasing\n0 1\n1 1\ncasing\n", "p:7: a second `casing` line; the file holds one casing curve"},
      {"hub\n0 1e999\n", "p:2: \"1e999\" is not a number; a point is a line `x r`"},
      {"hub\n0 0.25\n5e-324 0.25\n0.2 0.25\ncasing\n0 1\n1 1\n",
       "p:3: the hub curve's slope from x = 0 (line 2) to x = 5e-324 is not a finite number: the points lie too "
       "close in x for the change of radius between them; move them apart or correct the radius"},
      {"hub\n0 0.2\n1 0.2\ncasing\n0 1\n0.2 1.7e308\n",
       "p:6: the casing curve's slope from x = 0 (line 5) to x = 0.2 is not a finite number: the points lie too "
       "close in x for the change of radius between them; move them apart or correct the radius"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Refusal([&] { Parse_flow_path("p", c.text); }), c.diagnostic) << c.text;
  }
}

TEST(FlowPathFile, AFileThatCannotBeReadOrIsAFolderIsNamed) {
  EXPECT_EQ(Refusal([] { Read_flow_path_file("/nonexistent/flow.path"); }),
            "/nonexistent/flow.path: the flow-path file cannot be read (No such file or directory)");
  EXPECT_EQ(Refusal([] { Read_flow_path_file("/"); }), "/: a folder, not a flow-path file");
}

// A cone hub 0.2 -> 0.3 over x = -0.5 .. 0.5 (0.25 at x = 0) under a casing
// of radius 0.5, and a deck whose planes reach from xi = -0.1 to 0.2.
Flow_path_demands Demands() { return {0.25, 0.5, 0.0, 0.0, {-0.1, 0.2}, {-0.1, 0.2}}; }
const char* const kCone = "hub\n-0.5 0.2\n0.5 0.3\ncasing\n-0.5 0.5\n0.5 0.5\n";

TEST(FlowPathFile, AcceptsACurveThatCoversTheDeckAndPassesItsRadii) {
  const Surface_maps maps = Check_flow_path(Parse_flow_path("p", kCone), Demands());
  EXPECT_DOUBLE_EQ(maps.hub.curve().Radius(0.0), 0.25);
  EXPECT_EQ(maps.casing.radius(), 0.5);
}

TEST(FlowPathFile, RefusesWhatDoesNotFitTheDeck) {
  struct Case {
    const char* name;
    const char* text;
    Flow_path_demands demands;
    const char* diagnostic;
  };
  Flow_path_demands wider = Demands();
  wider.casing.outlet = 0.7;
  Flow_path_demands earlier = Demands();
  earlier.hub.inlet = -0.6;
  Flow_path_demands rhub = Demands();
  rhub.rhub = 0.26;
  Flow_path_demands swept = Demands();
  swept.xrefcas = 0.1;
  swept.tan_sweep = 0.4;
  Flow_path_demands just_short = Demands();
  just_short.hub.inlet = -0.5606413;  // the curve reaches xi = -0.560641234...
  Flow_path_demands longer = Demands();
  longer.casing.outlet = 0.45;
  const Case cases[] = {
      {"inlet upstream of the hub curve", kCone, earlier,
       "p:2: the hub curve starts at x = -0.5 (xi = -0.560641 in the hub plane), downstream of the hub grid's "
       "inlet at xi = -0.6; extend the curve upstream or shorten lin"},
      {"outlet downstream of the casing curve", kCone, wider,
       "p:6: the casing curve ends at x = 0.5 (xi = 0.5 in the casing plane), upstream of the casing grid's "
       "outlet at xi = 0.7; extend the curve downstream or shorten lx"},
      {"hub radius off the deck's", kCone, rhub,
       "p:2: the hub curve has radius 0.25 at the hub section's reference point (x = 0) but the deck's rhub "
       "(record 17) is 0.26; give the deck rhub = 0.25 or move the curve"},
      {"casing radius off at the swept reference point", "hub\n-0.5 0.2\n0.5 0.3\ncasing\n-0.5 0.45\n0.5 0.55\n", swept,
       "p:5: the casing curve has radius 0.51 at the casing section's reference point (x = 0.1) but the deck's "
       "rcas (record 18) is 0.5; give the deck rcas = 0.510416666667 or move the curve"},
      {"reference point beyond the hub curve", "hub\n0.01 0.25\n0.5 0.3\ncasing\n-0.5 0.5\n0.5 0.5\n", Demands(),
       "p:2: the hub curve starts at x = 0.01; it must reach the hub section's reference point at x = 0"},
      {"a hub near the axis upstream", "hub\n-0.4 1e-40\n0 0.25\n0.5 0.25\ncasing\n-0.5 0.5\n0.5 0.5\n", Demands(),
       "p:2: the mapping of the hub curve cannot be computed between x = -0.4 and 0 (lines 2 and 3): its integral of "
       "sqrt(1 + r'^2) / r does not settle there (r = 1e-40 is too small beside r = 0.25 at the piece's other end "
       "for it to resolve); start or end the curve where the radius is larger"},
      {"a casing beyond the double range", "hub\n-0.5 0.2\n0.5 0.3\ncasing\n-0.5 0.5\n1.7e308 0.5\n", Demands(),
       "p:5: the mapping of the casing curve cannot be computed between x = -0.5 and 1.7e+308 (lines 5 and 6): its "
       "integral of sqrt(1 + r'^2) / r does not settle there (the values are too large for a double); bring the "
       "points nearer"},
      {"an inlet just upstream of the curve's start", kCone, just_short,
       "p:2: the hub curve starts at x = -0.5 (xi = -0.5606412 in the hub plane), downstream of the hub grid's "
       "inlet at xi = -0.5606413; extend the curve upstream or shorten lin"},
      {"hub reaching the casing", "hub\n-0.5 0.2\n0 0.25\n0.1 0.52\n0.15 0.3\n0.5 0.3\ncasing\n-0.5 0.5\n0.5 0.5\n",
       longer,
       "p:4: the hub radius 0.52 reaches the casing radius 0.5 at x = 0.1 (casing curve near line 8); the hub "
       "must stay below the casing over the axial range of the grid, x = -0.1 to 0.45"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Refusal([&] { Check_flow_path(Parse_flow_path("p", c.text), c.demands); }), c.diagnostic) << c.name;
  }
}

TEST(FlowPathFile, AReferenceRadiusWithinOnePartInABillionPasses) {
  Flow_path_demands demands = Demands();
  demands.rhub = 0.25 * (1.0 + 0.9e-9);
  EXPECT_EQ(Refusal([&] { Check_flow_path(Parse_flow_path("p", kCone), demands); }), "");
  demands.rhub = 0.25 * (1.0 + 1.1e-9);
  EXPECT_NE(Refusal([&] { Check_flow_path(Parse_flow_path("p", kCone), demands); }), "");
}

}  // namespace
}  // namespace torvane
