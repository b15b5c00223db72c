// What every program of the three sets up first: a failed write is reported
// by the program, never a silent kill by a signal.
#pragma once

namespace torvane {

// Ignores SIGPIPE (a reader of standard output that went away) and SIGXFSZ
// (a file-size limit), so the write fails with an error the program reports,
// and unties the C++ streams from C's stdio.
void Set_up_process();

}  // namespace torvane
