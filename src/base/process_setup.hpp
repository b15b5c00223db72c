// What every program of the three sets up first: a failed write is reported
// by the program, never a silent kill by a signal, and a program ended by a
// signal leaves no temporary file behind.
#pragma once

namespace torvane {

// Ignores SIGPIPE (a reader of standard output that went away) and SIGXFSZ
// (a file-size limit), so the write fails with an error the program reports,
// removes the files in the making on SIGINT, SIGTERM and SIGHUP before
// dying of the signal, makes a closed standard output or error refuse the
// writes, and unties the C++ streams from C's stdio.
void Set_up_process();

}  // namespace torvane
