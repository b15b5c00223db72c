#include "inspect_support.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifndef TORVANE_SHARED_DIR
#define TORVANE_SHARED_DIR ""
#endif

namespace torvane::inspect::testing {

std::string Reference_stem(const std::string& name) {
  const std::string stem_name = name == "format_a" ? "rotor" : name == "format_b" ? "out/rotor" : name;
  const std::string stem = std::string(TORVANE_SHARED_DIR) + "/reference/" + name + "/files/" + stem_name;
  return std::filesystem::exists(stem + ".rtp") ? stem : "";
}

void Write_text(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string Read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

Grid Sector_grid(int ie, int je, int ke, double dx, double dtheta, double r0, double dr) {
  Grid g;
  g.ie = ie;
  g.je = je;
  g.ke = ke;
  g.x.resize(g.points());
  g.y.resize(g.points());
  g.z.resize(g.points());
  for (int k = 1; k <= ke; ++k) {
    for (int j = 1; j <= je; ++j) {
      for (int i = 1; i <= ie; ++i) {
        const std::size_t n = g.Index(i, j, k);
        const double r = r0 + (k - 1) * dr, theta = (j - 1) * dtheta;
        g.x[n] = (i - 1) * dx;
        g.y[n] = r * std::sin(theta);
        g.z[n] = r * std::cos(theta);
      }
    }
  }
  return g;
}

namespace {

void Put(std::string& out, double v) {
  char text[32];
  auto r = std::to_chars(text, text + sizeof text, v);
  out += ' ';
  out.append(text, r.ptr);
}

std::string Row(int code, int face, int a, int b, int c, int d, bool periodic) {
  char text[96];
  const int partner_face = periodic ? 7 - face : 0;
  if (periodic) {
    std::snprintf(text, sizeof text, "%3d %5d%5d%5d%5d%5d%5d%5d%5d%5d%5d%5d\r\n", code, face, a, b, c, d, 1,
                  partner_face, a, b, c, d);
  } else {
    std::snprintf(text, sizeof text, "%3d %5d%5d%5d%5d%5d%5d%5d%5d%5d%5d%5d\r\n", code, face, a, b, c, d, 0, 0, 0, 0, 0,
                  0);
  }
  return text;
}

}  // namespace

void Write_run(const std::string& stem, const Grid& g, int ile, int ite, double dphi) {
  std::string grid =
      "0.0\r\n1 " + std::to_string(g.ie - 1) + " " + std::to_string(g.je - 1) + " " + std::to_string(g.ke - 1) + "\r\n";
  for (const auto* block : {&g.x, &g.y, &g.z}) {
    for (double v : *block) Put(grid, v);
  }
  grid += "\r\n";
  Write_text(stem + ".rgra", grid);
  const int ni = g.ie - 1, nj = g.je - 1, nk = g.ke - 1, nin = ile - 1;
  char head[64];
  std::snprintf(head, sizeof head, "10 %3d %3d %3d\r\n", ni, nj, nk);
  std::string t = "# Topology file for a blade (H-grid, 1 region)\r\n#\r\n1 1\r\n1\r\n";
  t += head;
  char angle[64];
  const std::string minus = (std::snprintf(angle, sizeof angle, " %.17g\r\n", -dphi), angle);
  const std::string plus = (std::snprintf(angle, sizeof angle, " %.17g\r\n", dphi), angle);
  t += Row(120, 3, -1, -nk, 1, nin, true) + minus;
  t += Row(120, 4, -1, -nk, 1, nin, true) + plus;
  t += Row(120, 3, -1, -nk, ite, ni, true) + minus;
  t += Row(120, 4, -1, -nk, ite, ni, true) + plus;
  t += Row(70, 3, 1, nk, ile, ite - 1, false);
  t += Row(70, 4, 1, nk, ile, ite - 1, false);
  t += Row(70, 5, 1, ni, 1, nj, false);
  t += Row(70, 6, 1, ni, 1, nj, false);
  t += Row(10, 1, 1, nj, 1, nk, false);
  t += Row(20, 2, 1, nj, 1, nk, false);
  Write_text(stem + ".rtp", t);
}

}  // namespace torvane::inspect::testing
