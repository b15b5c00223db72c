// The passage of one blade row as every part of the three programs sees it:
// the span stations the block is built on (a blade-to-blade surface each) and
// the boundary patches of the block (a role, a face, cell ranges and, for the
// periodic pair, the partner and the turning angle). torvane builds it once
// from the deck; the topology file (STEM.rtp) is its boundary written out,
// and torvane-inspect reads the file back into the same value.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/surface.hpp"

namespace torvane {

// What a boundary patch is to the flow. A new role is a value here and a row
// of the role table in passage.cpp (its name, type code, faces, wall or matched).
enum class Patch_role { inlet, outlet, hub, casing, blade, periodic };

// Every role, in the order of Patch_role.
std::vector<Patch_role> All_roles();

// "inlet", "outlet", "hub", "casing", "blade", "periodic": the patch names of the solver meshes.
std::string_view Role_name(Patch_role role);

// The type code of a role in the topology file: 10 inlet, 20 outlet, 70 a wall
// (hub, casing and blade alike), 120 periodic.
int Topology_code(Patch_role role);

// The role of a topology file's row of type code `code` on `face`: the role of
// that code that may lie on the face (a wall, 70, is the hub on face 5, the
// casing on face 6, the blade on faces 3 and 4), else the code's first role;
// none when the code is not known. Whether it fits is Role_fits_face's.
std::optional<Patch_role> Role_of_code(int code, int face);

// Whether the topology file knows a type code, and the codes it knows ("10, 20, 70, 120").
bool Known_topology_code(int code);
std::string Known_topology_codes();

// Why a role cannot lie on a face, for a message: "the outlet row (type code
// 20) on face 3 (j = 1): it lies on face 2 (i = ie) only".
std::string Role_misfit(Patch_role role, int face);

// Whether a role can lie on a face: the inlet on face 1 (i = 1) only, the
// outlet on face 2 (i = ie), the hub on 5 (k = 1), the casing on 6 (k = ke),
// the blade and the periodic pair on the pitchwise faces 3 (j = 1) and 4 (j = je).
bool Role_fits_face(Patch_role role, int face);

// Whether a role is a wall (the hub, the casing, the blade), and whether it is
// matched cell by cell with a partner face turned by an angle (the periodic pair).
bool Is_wall(Patch_role role);
bool Is_matched(Patch_role role);

// The block's faces are numbered 1 to 6: i = 1, i = ie, j = 1, j = je, k = 1, k = ke.
// The axis normal to a face (0 i, 1 j, 2 k) and whether the face is its high end.
inline int Face_normal(int face) { return (face - 1) / 2; }
inline bool Face_at_high_end(int face) { return face % 2 == 0; }

// The two in-face axes of a face in the order its ranges are written:
// faces 1, 2 give (j, k); faces 3, 4 give (k, i); faces 5, 6 give (i, j).
void In_face_axes(int face, int axes[2]);

// Cells lo..hi counted from 1; hi = lo - 1 is a range of no cell.
struct Cell_range {
  int lo = 1, hi = 0;
  bool empty() const { return hi < lo; }
  bool operator==(const Cell_range&) const = default;
};

// One boundary patch of the block.
struct Boundary_patch {
  Patch_role role = Patch_role::inlet;
  int face = 1;
  Cell_range range[2];   // along the face's in-face axes (In_face_axes)
  int partner_face = 0;  // periodic: the face whose same cells it is matched with
  double angle = 0;      // periodic: radians that turn the partner onto this face
  long record = 0;       // the record of its row in a topology file read; 0 when built

  bool periodic() const { return Is_matched(role); }
  bool wall() const { return Is_wall(role); }
};

// The range as the topology file writes it: a periodic row carries its
// spanwise range negated.
Cell_range Written_range(const Boundary_patch& patch, int n);

// How the surface of a span station is described.
enum class Station_kind {
  cylinder,   // the cylinder of the section's radius
  flow_path,  // the surface of revolution of a flow-path curve
  from_file,  // read back from the topology file, which does not say
};

// A blade-to-blade surface of the block: the deck's section it is built from and its k.
struct Span_station {
  Surface surface = Surface::hub;
  int k = 1;
  Station_kind kind = Station_kind::cylinder;
};

// Points of the block and the edge stations along i, as the deck gives them.
struct Passage_sizes {
  int ie = 0, je = 0, ke = 0;
  int ile = 0, ite = 0;  // leading- and trailing-edge i
};

// The passage: the block's cells, its span stations (hub first, in increasing
// k) and its boundary patches in the order the topology file lists them.
struct Passage {
  int ni = 0, nj = 0, nk = 0;  // cells in i, j, k
  std::vector<Span_station> stations;
  std::vector<Boundary_patch> patches;

  // Cells along an axis (0 i, 1 j, 2 k).
  int Cells(int axis) const { return axis == 0 ? ni : axis == 1 ? nj : nk; }
  // The station of a section's surface, or none.
  const Span_station* Station(Surface surface) const;
  // The blade's walls along i: points ile..ite of the blade patches, {0, 0} when there is none.
  struct Edges {
    int ile = 0, ite = 0;
  };
  Edges Blade_edges() const;
  // The last k point of the blade's walls: nk + 1 (the casing) when the blade
  // reaches it, below it with a tip gap, 0 when there is no blade wall.
  int Blade_top() const;
  // The pitch angle: the magnitude of the periodic angles, 0 without a periodic patch.
  double Pitch_angle() const;
};

// The passage of a single blade row between hub and casing: the periodic
// pair upstream and downstream of the blade (face 3 turned by -dphi onto
// face 4 and back), the blade walls, hub and casing, inlet and outlet.
Passage Make_passage(const Passage_sizes& sizes, double dphi, Station_kind kind);

// A tip gap of gap_cells cells above the blade: its walls end that many cells
// below the casing, and the periodic pair covers the gap's faces j = 1 and
// j = je between the edges above them (two patches after the others, turned
// by the pitch as the periodic pair upstream and downstream).
void Add_tip_gap(Passage& passage, int gap_cells);

// The span stations a boundary tells: the hub at k = 1 and the casing at
// k = ke where a patch of that role lies.
std::vector<Span_station> Stations_of_patches(const Passage& passage);

// What is wrong with a passage's boundary: the record of the row at fault
// (0 for the passage as a whole), a column when one is at fault, and why.
struct Boundary_fault {
  long record = 0;
  long column = 0;
  std::string text;
};

// Checks that the patches cover every boundary cell of the block exactly
// once, each with a role that fits its face, that the periodic patches of
// faces 3 and 4 cover the same cells each matched with the other, and that
// their angles are one pitch angle, face 3 turned one way and face 4 the
// other. `head_record` is the record named for a fault of no row (a face no
// row covers).
std::optional<Boundary_fault> Find_boundary_fault(const Passage& passage, long head_record = 0);

}  // namespace torvane
