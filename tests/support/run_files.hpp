// Checks of the three files a run leaves, independent of any reference:
// record counts and lengths, CR LF record ends, finite coordinates.
#pragma once

#include <string>

namespace torvane::testing {

// "" when STEM.rgra, STEM.rtp and STEM_grid_volume.plt are well formed for an
// ie x je x ke grid with finite coordinates; otherwise the first problem.
std::string Check_run_files(const std::string& stem, int ie, int je, int ke);

}  // namespace torvane::testing
