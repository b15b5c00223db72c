// Helpers of the torvane-deck tests: the shared NACA 65-410 file, a Lednicer
// version of a Selig text, and scratch files.
#pragma once

#include <string>
#include <vector>

#include "deck/airfoil_file.hpp"

namespace torvane::deck::testing {

// The shared NACA 65-410 Selig file, or "" when the shared folder is absent.
std::string Naca65410_path();

#define TORVANE_REQUIRE_NACA(path_var)                                     \
  const std::string path_var = ::torvane::deck::testing::Naca65410_path(); \
  if (path_var.empty()) GTEST_SKIP() << "shared airfoil data not found: naca65410.dat"

// The same section in the Lednicer format: the upper side (file start to the
// leading edge, the point of smallest x) turned round, then the lower side
// from the leading edge, each side from the leading edge to the trailing edge.
std::string Lednicer_from_selig(const std::string& selig_text);

// A NACA 0012 section in the Selig format with `upper` and `lower` points on
// its sides (cosine spaced, the leading edge shared), its trailing edge open
// by the thickness the series formula leaves (0.00252 of the chord).
std::string Naca0012_selig(int upper, int lower);

std::string Read_text(const std::string& path);
void Write_text(const std::string& path, const std::string& text);

}  // namespace torvane::deck::testing
