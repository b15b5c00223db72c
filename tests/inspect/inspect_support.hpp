// Helpers of the torvane-inspect tests: the shared reference runs and small
// hand-made runs whose measures are known by hand.
#pragma once

#include <string>
#include <vector>

#include "inspect/run_files/grid_file.hpp"
#include "support/scratch_folder.hpp"

namespace torvane::inspect::testing {

// Stem of a reference run (NAME/files/STEM), or "" when the shared folder is absent.
std::string Reference_stem(const std::string& name);

// Skips the running test with a message when the shared folder is absent.
#define TORVANE_REQUIRE_REFERENCE(stem_var, name)                                 \
  const std::string stem_var = ::torvane::inspect::testing::Reference_stem(name); \
  if (stem_var.empty()) GTEST_SKIP() << "shared reference runs not found: " << (name)

// The scratch folder of every test program.
using Scratch = ::torvane::testing::Scratch_folder;

void Write_text(const std::string& path, const std::string& text);
std::string Read_text(const std::string& path);

// Annular-sector H-grid without blade thickness: x_i = (i - 1) dx, theta_j = (j - 1) dtheta,
// r_k = r0 + (k - 1) dr, with y = r sin(theta), z = r cos(theta).
Grid Sector_grid(int ie, int je, int ke, double dx, double dtheta, double r0, double dr);

// Writes STEM.rgra (shortest exact decimals) and STEM.rtp with the ten rows of an
// H-grid whose blade walls run from ile to ite and whose periodic angle is dphi.
void Write_run(const std::string& stem, const Grid& grid, int ile, int ite, double dphi);

}  // namespace torvane::inspect::testing
