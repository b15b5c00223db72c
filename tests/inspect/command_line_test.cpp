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
      {{"report"},
       "report needs the stem of a run (a run whose files begin with a dot, as a record 2 beginning with a blank "
       "gives them, is named by one of its files: .rgra)"},
      {{"report", ""},
       "report needs the stem of a run (a run whose files begin with a dot, as a record 2 beginning with a blank "
       "gives them, is named by one of its files: .rgra)"},
      {{"report", "--bad-cells", "compressor_rotor.rgra", "compressor_rotor"},
       "--bad-cells compressor_rotor.rgra: that is the run's own file compressor_rotor.rgra; give the list a file "
       "of its own, such as compressor_rotor_bad_cells.csv"},
      {{"report", "--bad-cells", "./runs/../runs/r.rtp", "runs/r.rgra"},
       "--bad-cells ./runs/../runs/r.rtp: that is the run's own file runs/r.rtp; give the list a file of its own, "
       "such as runs/r_bad_cells.csv"},
      {{"report", "--bad-cells", "r_grid_volume.plt", "r"},
       "--bad-cells r_grid_volume.plt: that is the run's own file r_grid_volume.plt; give the list a file of its "
       "own, such as r_bad_cells.csv"},
      {{"report", "--bad-cells", ".rgra", ".rtp"},
       "--bad-cells .rgra: that is the run's own file .rgra; give the list a file of its own, such as _bad_cells.csv"},
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
      {{"export", "--to", "vts", "--case", "x"}, "--case applies to --to openfoam only"},
      {{"export", "--to", "openfoam", "--case", "--rpm", "800", "x"}, "--rpm applies to --case rans only"},
      {{"export", "--to", "openfoam", "--inflow", "20", "x"}, "--inflow applies to --case rans only"},
      {{"export", "--to", "openfoam", "--case", "rans", "--rpm", "-1", "x"}, "--rpm -1: give a number of 0 or more"},
      {{"export", "--to", "openfoam", "--case", "rans", "--rpm", "800rpm", "x"},
       "--rpm 800rpm: give a number of 0 or more"},
      {{"export", "--to", "openfoam", "--case", "rans", "--rpm", "nan", "x"}, "--rpm nan: give a number of 0 or more"},
      {{"export", "--to", "openfoam", "--case", "rans", "--rpm", "0", "--inflow", "0", "x"},
       "--inflow 0: give an axial velocity above 0 (m/s)"},
      {{"export", "--to", "openfoam", "--case", "rans", "--rpm"}, "--rpm needs a value"},
      {{"export", "--to", "openfoam", "--case", "rans"},
       "export needs the stem of a run (a run whose files begin with a dot, as a record 2 beginning with a blank "
       "gives them, is named by one of its files: .rgra)"},
      {{"picture", "--rpm", "800", "x"}, "option --rpm is not known to picture"},
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
      {"runs/rotor", "runs/rotor"},
      {"runs/rotor.rgra", "runs/rotor"},
      {"runs/rotor.rtp", "runs/rotor"},
      {"runs/rotor_grid_volume.plt", "runs/rotor"},
      {"runs/rotor.in", "runs/rotor.in"},
      // The files of a stem with no name of its own (record 2 beginning with a blank).
      {".rgra", ""},
      {".rtp", ""},
      {"_grid_volume.plt", ""},
      {"runs/.rgra", "runs/"},
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

  // --case names the kind of case when a kind follows it; a bare --case is the potential flow.
  const struct {
    std::vector<std::string> args;
    Foam_case kind;
    const char* stem;
    double rpm, inflow;
  } cases[] = {
      {{"export", "--to", "openfoam", "--case", "rotor"}, Foam_case::potential, "rotor", -1, 0},
      {{"export", "--to", "openfoam", "rotor", "--case"}, Foam_case::potential, "rotor", -1, 0},
      {{"export", "--to", "openfoam", "--case", "potential", "rotor"}, Foam_case::potential, "rotor", -1, 0},
      {{"export", "--to", "openfoam", "--case", "rans", "--rpm", "815", "rotor"}, Foam_case::rans, "rotor", 815, 0},
      {{"export", "--rpm", "0", "--inflow", "12.5", "--case", "rans", "--to", "openfoam", "./rans"},
       Foam_case::rans,
       "./rans",
       0,
       12.5},
      {{"export", "--to", "openfoam", "rotor"}, Foam_case::none, "rotor", -1, 0},
  };
  for (const auto& c : cases) {
    const Options o = Parse_command_line(c.args);
    EXPECT_EQ(o.foam_case, c.kind) << c.args.back();
    EXPECT_EQ(o.stem, c.stem);
    EXPECT_EQ(o.rpm, c.rpm);
    EXPECT_EQ(o.inflow, c.inflow);
    EXPECT_EQ(o.output, std::string(c.stem) + "_openfoam");
  }

  for (const char* help : {"--help", "-h", "help"}) EXPECT_EQ(Parse_command_line({help}).command, Command::help);
  EXPECT_EQ(Parse_command_line({"--version", "ignored"}).command, Command::version);
}

}  // namespace
}  // namespace torvane::inspect
