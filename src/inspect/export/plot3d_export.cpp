#include "inspect/export/plot3d_export.hpp"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "inspect/output_file.hpp"

namespace torvane::inspect {

namespace {

void Put_real(std::string& out, double v) {
  char text[40];
  auto r = std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, 16);
  out.append(text, r.ptr);
}

// Little-endian bytes whatever the machine's own order.
void Put_u32(std::string& out, std::uint32_t v) {
  for (int n = 0; n < 4; ++n) out += static_cast<char>((v >> (8 * n)) & 0xff);
}

void Put_f64(std::string& out, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int n = 0; n < 8; ++n) out += static_cast<char>((bits >> (8 * n)) & 0xff);
}

}  // namespace

std::string Plot3d_ascii(const Grid& g) {
  std::string out;
  out.reserve(g.points() * 3 * 25 + 64);
  out += "1\n" + std::to_string(g.ie) + " " + std::to_string(g.je) + " " + std::to_string(g.ke) + "\n";
  std::size_t column = 0;
  for (const std::vector<double>* block : {&g.x, &g.y, &g.z}) {
    for (double v : *block) {
      if (column > 0) out += ' ';
      Put_real(out, v);
      if (++column == 4) {
        out += '\n';
        column = 0;
      }
    }
  }
  if (column > 0) out += '\n';
  return out;
}

std::string Plot3d_binary(const Grid& g) {
  const std::size_t n = g.points();
  std::string out;
  out.reserve(n * 24 + 64);
  Put_u32(out, 4);
  Put_u32(out, 1);
  Put_u32(out, 4);
  Put_u32(out, 12);
  for (int d : {g.ie, g.je, g.ke}) Put_u32(out, static_cast<std::uint32_t>(d));
  Put_u32(out, 12);
  // Fortran record markers are signed 32-bit: a larger record cannot be framed.
  if (n * 3 * 8 > 0x7fffffffu) {
    throw Output_error("the grid's " + std::to_string(n) + " points do not fit one Plot3D binary record");
  }
  const auto bytes = static_cast<std::uint32_t>(n * 3 * 8);
  Put_u32(out, bytes);
  for (const std::vector<double>* block : {&g.x, &g.y, &g.z}) {
    for (double v : *block) Put_f64(out, v);
  }
  Put_u32(out, bytes);
  return out;
}

}  // namespace torvane::inspect
