// The topology-file fuzzer: damaged topology files (any bytes, seeded with the
// files of real runs) through torvane-inspect's reader. A file is either
// refused (Input_error: one line naming the file) or gives a passage that an
// independent count finds sound: every boundary cell of the block in exactly
// one row, each role on a face it can lie on, the periodic cells of the two
// pitchwise faces the same and their angles one pitch turned both ways; and
// the passage written again reads back unchanged.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/passage.hpp"
#include "inspect/run_files/text_input.hpp"
#include "inspect/run_files/topology_file.hpp"
#include "output/grid_files.hpp"

namespace {

using torvane::Boundary_patch;
using torvane::Passage;
using torvane::Patch_role;

// Faces of at most this many cells are counted cell by cell.
constexpr long long kCountedCells = 1 << 20;

void Require(bool holds) {
  if (!holds) std::abort();
}

// Where each role may lie, written out apart from the library's own table.
bool Allowed(Patch_role role, int face) {
  switch (role) {
    case Patch_role::inlet:
      return face == 1;
    case Patch_role::outlet:
      return face == 2;
    case Patch_role::hub:
      return face == 5;
    case Patch_role::casing:
      return face == 6;
    case Patch_role::blade:
    case Patch_role::periodic:
      return face == 3 || face == 4;
  }
  return false;
}

// Cells along the two in-face axes of a face: (j, k), (k, i), (i, j).
void Face_cells(const Passage& p, int face, long long& a, long long& b) {
  const long long cells[3] = {p.ni, p.nj, p.nk};
  const int normal = (face - 1) / 2;
  a = cells[(normal + 1) % 3];
  b = cells[(normal + 2) % 3];
}

// Every cell of each face in one row, counted cell by cell; the periodic cells of faces 3 and 4 alike.
void Check_cover(const Passage& p) {
  std::vector<int> periodic[2];
  for (int face = 1; face <= 6; ++face) {
    long long na = 0, nb = 0;
    Face_cells(p, face, na, nb);
    if (na * nb > kCountedCells) return;
    std::vector<int> count(static_cast<std::size_t>(na * nb), 0);
    std::vector<int> is_periodic(count.size(), 0);
    for (const Boundary_patch& row : p.patches) {
      if (row.face != face) continue;
      for (int b = row.range[1].lo; b <= row.range[1].hi; ++b) {
        for (int a = row.range[0].lo; a <= row.range[0].hi; ++a) {
          Require(a >= 1 && a <= na && b >= 1 && b <= nb);
          const std::size_t at = static_cast<std::size_t>((b - 1) * na + (a - 1));
          ++count[at];
          is_periodic[at] = row.role == Patch_role::periodic;
        }
      }
    }
    for (int c : count) Require(c == 1);
    if (face == 3 || face == 4) periodic[face - 3] = is_periodic;
  }
  Require(periodic[0] == periodic[1]);
}

void Check_passage(const Passage& p) {
  Require(p.ni >= 1 && p.nj >= 1 && p.nk >= 1);
  double face3 = 0, face4 = 0;
  for (const Boundary_patch& row : p.patches) {
    Require(row.face >= 1 && row.face <= 6 && Allowed(row.role, row.face));
    if (row.role != Patch_role::periodic) continue;
    Require(row.partner_face == 7 - row.face && std::isfinite(row.angle) && row.angle != 0);
    double& mine = row.face == 3 ? face3 : face4;
    if (mine == 0) mine = row.angle;
    Require(row.angle == mine);
  }
  if (face3 != 0 && face4 != 0) Require(face3 == -face4);
  Check_cover(p);
  // Written again and read back: the same rows.
  const Passage again = torvane::inspect::Read_topology_text("again.rtp", torvane::Topology_text(p));
  Require(again.ni == p.ni && again.nj == p.nj && again.nk == p.nk && again.patches.size() == p.patches.size());
  for (std::size_t n = 0; n < p.patches.size(); ++n) {
    const Boundary_patch &a = again.patches[n], &b = p.patches[n];
    Require(a.role == b.role && a.face == b.face && a.range[0] == b.range[0] && a.range[1] == b.range[1] &&
            a.partner_face == b.partner_face && a.angle == b.angle);
  }
  Require(again.stations.size() == p.stations.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  try {
    Check_passage(torvane::inspect::Read_topology_text("fuzz.rtp", std::move(text)));
  } catch (const torvane::inspect::Input_error& e) {
    const std::string message = e.what();
    Require(message.rfind("fuzz.rtp", 0) == 0 && message.find('\n') == std::string::npos);
  }
  return 0;
}
