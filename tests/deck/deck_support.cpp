#include "deck/deck_support.hpp"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

namespace torvane::deck::testing {

std::string Naca65410_path() {
  const std::string path = std::string(TORVANE_SHARED_DIR) + "/data/airfoils/naca65410.dat";
  return std::filesystem::exists(path) ? path : "";
}

std::string Lednicer_from_selig(const std::string& selig_text) {
  std::istringstream in(selig_text);
  std::string name;
  std::getline(in, name);
  std::vector<std::string> lines;
  std::vector<double> xs;
  for (std::string line; std::getline(in, line);) {
    std::istringstream items(line);
    double x = 0;
    if (items >> x) {
      lines.push_back(line);
      xs.push_back(x);
    }
  }
  size_t le = 0;
  for (size_t n = 1; n < xs.size(); ++n) {
    if (xs[n] < xs[le]) le = n;
  }
  std::string text = name + " (Lednicer)\n";
  text += std::to_string(le + 1) + ".       " + std::to_string(xs.size() - le) + ".\n\n";
  for (size_t n = le + 1; n-- > 0;) text += "  " + lines[n] + "\n";
  text += "\n";
  for (size_t n = le; n < xs.size(); ++n) text += "  " + lines[n] + "\n";
  return text;
}

std::string Naca0012_selig(int upper, int lower) {
  auto thickness = [](double x) {
    return 5 * 0.12 *
           (0.2969 * std::sqrt(x) - 0.1260 * x - 0.3516 * x * x + 0.2843 * x * x * x - 0.1015 * x * x * x * x);
  };
  auto station = [](int k, int count) { return 0.5 * (1 - std::cos(std::numbers::pi * k / (count - 1))); };
  std::ostringstream text;
  text.precision(17);
  text << "NACA 0012 (" << upper << " upper, " << lower << " lower points)\n";
  for (int k = upper - 1; k >= 0; --k) text << station(k, upper) << " " << thickness(station(k, upper)) << "\n";
  for (int k = 1; k < lower; ++k) text << station(k, lower) << " " << -thickness(station(k, lower)) << "\n";
  return text.str();
}

std::string Read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write_text(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

}  // namespace torvane::deck::testing
