#include "base/passage.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace torvane {

namespace {

// Everything the programs know of a role, one row each, in the order of
// Patch_role: its name, its type code in the topology file (the one place the
// codes are written), the faces it may lie on (bit f for face f) and, for
// messages, those faces in words. A wall role is one the solvers see as a wall;
// a matched role pairs each cell with the same cell of the partner face and
// carries the angle between them.
struct Role_row {
  Patch_role role;
  std::string_view name;
  int code;
  unsigned faces;
  const char* faces_text;
  bool wall, matched;
};

constexpr unsigned kPitchwiseFaces = 1u << 3 | 1u << 4;
constexpr Role_row kRoles[] = {
    {Patch_role::inlet, "inlet", 10, 1u << 1, "face 1 (i = 1)", false, false},
    {Patch_role::outlet, "outlet", 20, 1u << 2, "face 2 (i = ie)", false, false},
    {Patch_role::hub, "hub", 70, 1u << 5, "face 5 (k = 1)", true, false},
    {Patch_role::casing, "casing", 70, 1u << 6, "face 6 (k = ke)", true, false},
    {Patch_role::blade, "blade", 70, kPitchwiseFaces, "the pitchwise faces 3 (j = 1) and 4 (j = je)", true, false},
    {Patch_role::periodic, "periodic", 120, kPitchwiseFaces, "the pitchwise faces 3 (j = 1) and 4 (j = je)", false,
     true},
};

const Role_row& Row_of(Patch_role role) { return kRoles[static_cast<int>(role)]; }

// "face 3 (j = 1)": a face and the index surface it is.
std::string Face_text(int face) {
  static constexpr const char* kSurfaces[] = {"i = 1", "i = ie", "j = 1", "j = je", "k = 1", "k = ke"};
  return "face " + std::to_string(face) + " (" + kSurfaces[face - 1] + ")";
}

// The cells a patch covers on its face, as a rectangle of in-face cells.
struct Cells_rectangle {
  Cell_range a, b;
  long long Count() const { return a.empty() || b.empty() ? 0 : 1LL * (a.hi - a.lo + 1) * (b.hi - b.lo + 1); }
};

// The cells two rectangles share.
long long Shared_cells(const Cells_rectangle& r, const Cells_rectangle& s) {
  const Cells_rectangle both{{std::max(r.a.lo, s.a.lo), std::min(r.a.hi, s.a.hi)},
                             {std::max(r.b.lo, s.b.lo), std::min(r.b.hi, s.b.hi)}};
  return both.Count();
}

// The cell (i, j, k) of a face at in-face cell (a, b), as text.
std::string Cell_text(const Passage& p, int face, int a, int b) {
  int axes[2];
  In_face_axes(face, axes);
  int cell[3];
  const int normal = Face_normal(face);
  cell[normal] = Face_at_high_end(face) ? p.Cells(normal) : 1;
  cell[axes[0]] = a;
  cell[axes[1]] = b;
  std::string text(1, '(');
  for (int n = 0; n < 3; ++n) text.append(n == 0 ? "" : ", ").append(std::to_string(cell[n]));
  return text + ')';
}

// The first cell of a face, b before a, that none of the rectangles holds;
// {0, 0} when they hold every cell. The first row of cells with a gap is row
// 1 or the row just past a rectangle; within it, the gap starts at the first
// a the rectangles over that row leave out.
std::pair<int, int> First_uncovered(const std::vector<Cells_rectangle>& held, int cells_a, int cells_b) {
  std::vector<int> rows{1};
  for (const Cells_rectangle& r : held) {
    if (r.b.hi < cells_b) rows.push_back(r.b.hi + 1);
  }
  std::sort(rows.begin(), rows.end());
  std::vector<Cell_range> over_row;
  for (int b : rows) {
    over_row.clear();
    for (const Cells_rectangle& r : held) {
      if (b >= r.b.lo && b <= r.b.hi) over_row.push_back(r.a);
    }
    std::sort(over_row.begin(), over_row.end(), [](const Cell_range& x, const Cell_range& y) { return x.lo < y.lo; });
    int a = 1;
    for (const Cell_range& r : over_row) {
      if (r.lo > a) break;
      a = std::max(a, r.hi + 1);
    }
    if (a <= cells_a) return {a, b};
  }
  return {0, 0};
}

std::optional<Boundary_fault> Fault(long record, std::string text, long column = 0) {
  return Boundary_fault{record, column, std::move(text)};
}

}  // namespace

std::vector<Patch_role> All_roles() {
  std::vector<Patch_role> roles;
  for (const Role_row& row : kRoles) roles.push_back(row.role);
  return roles;
}

std::string_view Role_name(Patch_role role) { return Row_of(role).name; }

int Topology_code(Patch_role role) { return Row_of(role).code; }

bool Is_wall(Patch_role role) { return Row_of(role).wall; }

bool Is_matched(Patch_role role) { return Row_of(role).matched; }

std::optional<Patch_role> Role_of_code(int code, int face) {
  // The role of the code that fits the face, else the code's first role.
  std::optional<Patch_role> role;
  for (const Role_row& row : kRoles) {
    if (row.code != code) continue;
    if (Role_fits_face(row.role, face)) return row.role;
    if (!role) role = row.role;
  }
  return role;
}

bool Known_topology_code(int code) { return Role_of_code(code, 1).has_value(); }

std::string Known_topology_codes() {
  std::string text;
  for (const Role_row& row : kRoles) {
    const std::string code = std::to_string(row.code);
    if (text == code || text.ends_with(" " + code)) continue;  // the walls share one code
    text += (text.empty() ? "" : ", ") + code;
  }
  return text;
}

std::string Role_misfit(Patch_role role, int face) {
  const std::string code = " (type code " + std::to_string(Topology_code(role)) + ") on " + Face_text(face);
  // The file's walls are one code: on an end of the passage no wall role fits.
  if (Is_wall(role) && (face == 1 || face == 2)) return "a wall row" + code + ": walls lie on faces 3 to 6 only";
  const std::string what = (Is_matched(role) ? "a " : "the ") + std::string(Role_name(role)) + " row";
  return what + code + ": it lies on " + Row_of(role).faces_text + " only";
}

bool Role_fits_face(Patch_role role, int face) {
  return face >= 1 && face <= 6 && (Row_of(role).faces & 1u << face) != 0;
}

void In_face_axes(int face, int axes[2]) {
  const int normal = Face_normal(face);
  axes[0] = normal == 0 ? 1 : normal == 1 ? 2 : 0;
  axes[1] = normal == 0 ? 2 : normal == 1 ? 0 : 1;
}

Cell_range Written_range(const Boundary_patch& patch, int n) {
  const Cell_range r = patch.range[n];
  if (!patch.periodic() || n != 0) return r;
  return {-r.lo, -r.hi};
}

const Span_station* Passage::Station(Surface surface) const {
  for (const Span_station& s : stations) {
    if (s.surface == surface) return &s;
  }
  return nullptr;
}

Passage::Edges Passage::Blade_edges() const {
  Edges e;
  for (const Boundary_patch& p : patches) {
    if (p.role != Patch_role::blade || p.face != 3 || p.range[1].empty()) continue;
    // Cells lo..hi of i lie between points lo and hi + 1.
    if (e.ile == 0 || p.range[1].lo < e.ile) e.ile = p.range[1].lo;
    if (p.range[1].hi + 1 > e.ite) e.ite = p.range[1].hi + 1;
  }
  return e;
}

int Passage::Blade_top() const {
  int top = 0;
  for (const Boundary_patch& p : patches) {
    if (p.role == Patch_role::blade && p.face == 3 && !p.range[0].empty()) top = std::max(top, p.range[0].hi + 1);
  }
  return top;
}

double Passage::Pitch_angle() const {
  for (const Boundary_patch& p : patches) {
    if (p.periodic()) return std::fabs(p.angle);
  }
  return 0;
}

void Add_tip_gap(Passage& passage, int gap_cells) {
  const Cell_range gap{passage.nk - gap_cells + 1, passage.nk};
  // The angle of each face as the periodic pair upstream and downstream has it.
  double angle[2] = {-passage.Pitch_angle(), passage.Pitch_angle()};
  for (const Boundary_patch& p : passage.patches) {
    if (p.periodic() && (p.face == 3 || p.face == 4)) angle[p.face - 3] = p.angle;
  }
  std::vector<Boundary_patch> above;
  for (Boundary_patch& p : passage.patches) {
    if (p.role != Patch_role::blade || (p.face != 3 && p.face != 4)) continue;
    p.range[0].hi = gap.lo - 1;
    above.push_back(Boundary_patch{Patch_role::periodic, p.face, {gap, p.range[1]}, 7 - p.face, angle[p.face - 3], 0});
  }
  passage.patches.insert(passage.patches.end(), above.begin(), above.end());
}

Passage Make_passage(const Passage_sizes& s, double dphi, Station_kind kind) {
  Passage p;
  p.ni = s.ie - 1;
  p.nj = s.je - 1;
  p.nk = s.ke - 1;
  p.stations = {{Surface::hub, 1, kind}, {Surface::casing, s.ke, kind}};
  const int nin = s.ile - 1;
  const Cell_range span{1, p.nk}, pitch{1, p.nj}, stream{1, p.ni};
  const Cell_range upstream{1, nin}, blade{s.ile, s.ite - 1}, downstream{s.ite, p.ni};
  // Face 3 (j = 1) is turned onto face 4 (j = je) by dphi and back by -dphi.
  auto periodic = [&](int face, Cell_range along_i) {
    return Boundary_patch{Patch_role::periodic, face, {span, along_i}, 7 - face, face == 3 ? -dphi : dphi, 0};
  };
  auto plain = [&](Patch_role role, int face, Cell_range first, Cell_range second) {
    return Boundary_patch{role, face, {first, second}, 0, 0, 0};
  };
  p.patches = {periodic(3, upstream),
               periodic(4, upstream),
               periodic(3, downstream),
               periodic(4, downstream),
               plain(Patch_role::blade, 3, span, blade),
               plain(Patch_role::blade, 4, span, blade),
               plain(Patch_role::hub, 5, stream, pitch),
               plain(Patch_role::casing, 6, stream, pitch),
               plain(Patch_role::inlet, 1, pitch, span),
               plain(Patch_role::outlet, 2, pitch, span)};
  return p;
}

std::vector<Span_station> Stations_of_patches(const Passage& passage) {
  std::vector<Span_station> stations;
  for (Surface surface : {Surface::hub, Surface::casing}) {
    const Patch_role role = surface == Surface::hub ? Patch_role::hub : Patch_role::casing;
    for (const Boundary_patch& p : passage.patches) {
      if (p.role != role) continue;
      stations.push_back({surface, Face_at_high_end(p.face) ? passage.nk + 1 : 1, Station_kind::from_file});
      break;
    }
  }
  return stations;
}

namespace {

// A fault of row n on its own or against the rows before it: its face, role and ranges, its periodic
// partner and angle, a cell an earlier row of its face covers already.
std::optional<Boundary_fault> Row_fault(const Passage& passage, const std::vector<Cells_rectangle>& cells,
                                        std::size_t n) {
  const std::vector<Boundary_patch>& patches = passage.patches;
  const Boundary_patch& p = patches[n];
  if (p.face < 1 || p.face > 6) return Fault(p.record, "face " + std::to_string(p.face) + " is not 1 to 6");
  if (!Role_fits_face(p.role, p.face)) return Fault(p.record, Role_misfit(p.role, p.face));
  int axes[2];
  In_face_axes(p.face, axes);
  for (int m = 0; m < 2; ++m) {
    const Cell_range r = p.range[m];
    if (r.lo < 1 || r.hi > passage.Cells(axes[m]) || r.hi < r.lo - 1) {
      return Fault(p.record, "range " + std::to_string(r.lo) + ", " + std::to_string(r.hi) + " of " +
                                 Face_text(p.face) + " lies outside cells 1.." +
                                 std::to_string(passage.Cells(axes[m])));
    }
  }
  if (p.periodic() && p.partner_face != 7 - p.face) {
    return Fault(p.record, "periodic row of face " + std::to_string(p.face) + " must be matched with face " +
                               std::to_string(7 - p.face));
  }
  for (std::size_t m = 0; m < n; ++m) {
    const Boundary_patch& q = patches[m];
    // Every periodic row turns by the pitch angle, face 3 one way and face 4 the other.
    if (p.periodic() && q.periodic()) {
      if (std::fabs(p.angle) != std::fabs(q.angle)) {
        return Fault(p.record + 1, "periodic angle differs from the pitch angle of the other rows", 1);
      }
      if ((q.face == p.face) != (q.angle == p.angle)) {
        return Fault(p.record + 1,
                     "periodic angle of face " + std::to_string(p.face) +
                         (q.face == p.face ? " differs from an earlier row of face "
                                           : " turns the same way as an earlier row of face ") +
                         std::to_string(q.face),
                     1);
      }
    }
    if (q.face == p.face && Shared_cells(cells[n], cells[m]) > 0) {
      return Fault(p.record, "the row covers a cell of face " + std::to_string(p.face) + " that the row of record " +
                                 std::to_string(q.record) + " covers already");
    }
  }
  return std::nullopt;
}

// The first face whose rows leave a cell uncovered.
std::optional<Boundary_fault> Uncovered_face_fault(const Passage& passage, const std::vector<Cells_rectangle>& cells,
                                                   long head_record) {
  const std::vector<Boundary_patch>& patches = passage.patches;
  for (int face = 1; face <= 6; ++face) {
    int axes[2];
    In_face_axes(face, axes);
    const int cells_a = passage.Cells(axes[0]), cells_b = passage.Cells(axes[1]);
    std::vector<Cells_rectangle> held;
    long long count = 0;
    long last_row = head_record;
    for (std::size_t n = 0; n < patches.size(); ++n) {
      if (patches[n].face != face || cells[n].Count() == 0) continue;
      held.push_back(cells[n]);
      count += cells[n].Count();
      last_row = patches[n].record;
    }
    // The rows of a face share no cell: they cover it all when their cells add up to it.
    if (count == 1LL * cells_a * cells_b) continue;
    const auto [a, b] = First_uncovered(held, cells_a, cells_b);
    return Fault(last_row, "no row covers the cell " + Cell_text(passage, face, a, b) + " on " + Face_text(face) +
                               ": every boundary cell lies in exactly one row");
  }
  return std::nullopt;
}

// The periodic pair: each periodic cell of face 3 or 4 has a periodic partner, the same cell of the other face.
std::optional<Boundary_fault> Unmatched_periodic_fault(const Passage& passage,
                                                       const std::vector<Cells_rectangle>& cells) {
  const std::vector<Boundary_patch>& patches = passage.patches;
  for (std::size_t n = 0; n < patches.size(); ++n) {
    if (!patches[n].periodic()) continue;
    long long matched = 0;
    for (std::size_t m = 0; m < patches.size(); ++m) {
      if (patches[m].periodic() && patches[m].face == patches[n].partner_face) {
        matched += Shared_cells(cells[n], cells[m]);
      }
    }
    if (matched != cells[n].Count()) {
      return Fault(patches[n].record,
                   "the periodic rows of faces 3 and 4 cover different cells: some of this row's "
                   "cells of face " +
                       std::to_string(patches[n].face) + " have no periodic partner on face " +
                       std::to_string(patches[n].partner_face));
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<Boundary_fault> Find_boundary_fault(const Passage& passage, long head_record) {
  std::vector<Cells_rectangle> cells(passage.patches.size());
  for (std::size_t n = 0; n < passage.patches.size(); ++n) {
    cells[n] = {passage.patches[n].range[0], passage.patches[n].range[1]};
    if (auto fault = Row_fault(passage, cells, n)) return fault;
  }
  if (auto fault = Uncovered_face_fault(passage, cells, head_record)) return fault;
  return Unmatched_periodic_fault(passage, cells);
}

}  // namespace torvane
