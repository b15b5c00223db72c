// The three subcommands of torvane-inspect, each taking the parsed command
// line and writing its console text to the streams it is given.
#pragma once

#include <ostream>

#include "inspect/command_line.hpp"

namespace torvane::inspect {

// Carries out the command; returns the exit status (see command_line.hpp).
int Run_command(const Options& options, std::ostream& out, std::ostream& err);

// Whether this build writes CGNS files.
bool Cgns_available();

}  // namespace torvane::inspect
