#include "geometry/finite_check.hpp"

#include <charconv>
#include <cmath>
#include <string>

#include "base/run_stop.hpp"

namespace torvane {

namespace {

std::string Number(double value) {
  char text[32];
  auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace

void Check_finite_planes(const Grid& grid, int ie, int je, int k_first, int k_last) {
  for (int k = k_first; k <= k_last; ++k) {
    for (int j = 1; j <= je; ++j) {
      for (int i = 1; i <= ie; ++i) {
        double x = grid.xg(i, j, k);
        double y = grid.yg(i, j, k);
        double z = grid.zg(i, j, k);
        if (std::isfinite(x) && std::isfinite(y) && std::isfinite(z)) continue;
        std::string message = "the grid has a coordinate that is not a finite number at point (i, j, k) = (";
        message.append(std::to_string(i)).append(", ").append(std::to_string(j)).append(", ");
        message.append(std::to_string(k)).append("): x = ").append(Number(x)).append(", y = ");
        message.append(Number(y)).append(", z = ").append(Number(z)).append("; no file is written");
        throw Run_stop{1, message};
      }
    }
  }
}

}  // namespace torvane
