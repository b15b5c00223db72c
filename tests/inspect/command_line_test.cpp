// torvane-inspect's command line read into options, and each refusal's words.
#include "inspect/command_line.hpp"

#include <gtest/gtest.h>

namespace torvane::inspect {
namespace {

TEST(Inspect_command_line, RefusesEachWrongCommandLineWithItsReason) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{}, "no subcommand given"},
      {{"inspect", "x"}, "unknown subcommand \"inspect\""},
      {{"report"}, "report needs the stem of a run"},
      {{"report", "a", "b"}, "a second stem \"b\": give one run at a time"},
      {{"report", "--to", "vts", "x"}, "option --to is not known to report"},
      {{"report", "--output", "p", "x"}, "option --output is not known to report"},
      {{"report", "--bad-cells"}, "--bad-cells needs a value"},
      {{"export", "x"}, "export needs --to vts, --to plot3d, --to cgns, --to openfoam or --to su2"},
      {{"export", "--to", "stl", "x"}, "--to stl: the formats are vts, plot3d, cgns, openfoam and su2"},
      {{"export", "--to"}, "--to needs a value"},
      {{"export", "--to", "vts", "--binary", "x"}, "--binary applies to --to plot3d only"},
      {{"export", "--png", "--to", "vts", "x"}, "option --png is not known to export"},
      {{"picture", "--binary", "x"}, "option --binary is not known to picture"},
      {{"picture", "-", "x"}, "option - is not known to picture"},
  };
  for (const Case& c : cases) {
    try {
      Parse_command_line(c.args);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const Usage_error& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

// A run is named by its stem or by any of its three files.
TEST(Inspect_command_line, TakesARunFileNameForItsStem) {
  const struct {
    const char* given;
    const char* stem;
  } cases[] = {
      {"runs/rotor", "runs/rotor"},       {"runs/rotor.rgra", "runs/rotor"},
      {"runs/rotor.rtp", "runs/rotor"},   {"runs/rotor_grid_volume.plt", "runs/rotor"},
      {"runs/rotor.in", "runs/rotor.in"}, {".rgra", ".rgra"},  // no stem left to take
  };
  for (const auto& c : cases) {
    const Options report = Parse_command_line({"report", c.given});
    EXPECT_EQ(report.stem, c.stem) << c.given;
    const Options picture = Parse_command_line({"picture", c.given});
    EXPECT_EQ(picture.output, c.stem) << c.given << ": the pictures are named after the stem";
  }
}

TEST(Inspect_command_line, TakesEachSubcommandsOptionsInAnyOrder) {
  const Options report = Parse_command_line({"report", "--bad-cells", "bad.csv", "runs/rotor", "--json", "--plot"});
  EXPECT_EQ(report.command, Command::report);
  EXPECT_EQ(report.stem, "runs/rotor");
  EXPECT_TRUE(report.json && report.plot);
  EXPECT_EQ(report.bad_cells, "bad.csv");
  EXPECT_EQ(report.output, "runs/rotor");  // the stem, when no prefix is given

  const Options binary = Parse_command_line({"export", "--binary", "--output", "out/r", "--to", "plot3d", "rotor"});
  EXPECT_EQ(binary.command, Command::export_grid);
  EXPECT_EQ(binary.format, Export_format::plot3d);
  EXPECT_TRUE(binary.binary);
  EXPECT_EQ(binary.output, "out/r");

  // A later --to wins, as the option is read in order.
  EXPECT_EQ(Parse_command_line({"export", "--to", "vts", "--to", "cgns", "rotor"}).format, Export_format::cgns);

  const Options picture = Parse_command_line({"picture", "--png", "rotor"});
  EXPECT_EQ(picture.command, Command::picture);
  EXPECT_TRUE(picture.png);

  for (const char* help : {"--help", "-h", "help"}) EXPECT_EQ(Parse_command_line({help}).command, Command::help);
  EXPECT_EQ(Parse_command_line({"--version", "ignored"}).command, Command::version);
}

}  // namespace
}  // namespace torvane::inspect
