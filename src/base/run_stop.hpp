// How a run ends: the exit statuses the three programs share, and the stop
// signal that ends a run at once with one of them and a diagnostic line.
#pragma once

#include <string>

namespace torvane {

// Exit statuses of a run.
inline constexpr int kExitComplete = 0;
inline constexpr int kExitProgramError = 1;  // grid too large, Bezier inversion failure, folded grid
inline constexpr int kExitRefused = 2;       // unreadable input, refused values, covered blade, file failures

// Ends the run at once. The run control catches it, writes the diagnostic (if
// any) as one line on standard error and exits with the status.
struct Run_stop {
  int status;
  std::string diagnostic;
};

}  // namespace torvane
