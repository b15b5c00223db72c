#include "inspect/run_files/topology_file.hpp"

#include <cstdlib>
#include <optional>

#include "inspect/run_files/text_input.hpp"

namespace torvane::inspect {

namespace {

// Cell count along each of the two in-face directions of a face, in the file's order.
void In_face_cells(const Passage& p, int face, int& first, int& second) {
  int axes[2];
  In_face_axes(face, axes);
  first = p.Cells(axes[0]);
  second = p.Cells(axes[1]);
}

// Reads a start, end pair of cell indices and checks it lies on the face.
void Read_range(Fields& fields, int range[2], int cells, bool negated, const char* what) {
  long start_column = 0;
  for (int n = 0; n < 2; ++n) {
    range[n] = fields.Integer(what);
    if (n == 0) start_column = fields.column();
  }
  int lo = negated ? -range[0] : range[0];
  int hi = negated ? -range[1] : range[1];
  if (hi < lo) {
    // An empty range (start one past end) is how a row with no cells is written.
    if (hi == lo - 1 && lo >= 1 && lo <= cells + 1) return;
    fields.Refuse_at(start_column, std::string(what) + " " + std::to_string(range[0]) + ", " +
                                       std::to_string(range[1]) + " runs backwards");
  }
  if (lo < 1 || hi > cells) {
    fields.Refuse_at(start_column, std::string(what) + " " + std::to_string(range[0]) + ", " +
                                       std::to_string(range[1]) + (negated ? " (negated)" : "") +
                                       " lies outside cells 1.." + std::to_string(cells));
  }
}

// A data record must end with its line end, as every record of the grid and
// plot files must: a file whose last record has none was cut short.
void Require_line_end(const std::string& path, const Record& record) {
  if (!record.ended) {
    Refuse(path, record.number, static_cast<long>(record.text.size()) + 1,
           "the record has no line end (the file is cut short)");
  }
}

// The cells of a range as read: a negated range is carried with its signs turned.
Cell_range Cells_of(const int range[2], bool negated) {
  return negated ? Cell_range{-range[0], -range[1]} : Cell_range{range[0], range[1]};
}

Boundary_patch Read_row(Text_file& file, const Passage& p, const Record& record) {
  Fields fields(file, record);
  Boundary_patch patch;
  patch.record = record.number;
  const int code = fields.Integer("type code");
  if (!Known_topology_code(code)) {
    fields.Refuse_here("type code " + std::to_string(code) + " is none of " + Known_topology_codes());
  }
  patch.face = fields.Integer("face");
  if (patch.face < 1 || patch.face > 6) fields.Refuse_here("face " + std::to_string(patch.face) + " is not 1 to 6");
  patch.role = *Role_of_code(code, patch.face);
  const bool periodic = patch.periodic();
  int first_cells = 0, second_cells = 0;
  In_face_cells(p, patch.face, first_cells, second_cells);
  // Periodic rows carry their spanwise range negated.
  const bool negated = periodic && patch.face >= 3 && patch.face <= 4;
  int first[2], second[2], partner_first[2], partner_second[2];
  Read_range(fields, first, first_cells, negated, "first range");
  Read_range(fields, second, second_cells, false, "second range");
  patch.range[0] = Cells_of(first, negated);
  patch.range[1] = Cells_of(second, false);
  const int partner_region = fields.Integer("partner region");
  const long partner_column = fields.column();
  patch.partner_face = fields.Integer("partner face");
  for (int& n : partner_first) n = fields.Integer("partner first range");
  for (int& n : partner_second) n = fields.Integer("partner second range");
  fields.Expect_end("the twelve integers of a boundary row");
  Require_line_end(file.path(), record);
  if (!periodic && (partner_region != 0 || patch.partner_face != 0)) {
    fields.Refuse_at(partner_column, "a non-periodic row names a partner");
  }
  if (!Role_fits_face(patch.role, patch.face)) fields.Refuse_at(1, Role_misfit(patch.role, patch.face));
  if (!periodic) return patch;
  if (partner_region != 1 || patch.partner_face != 7 - patch.face || partner_first[0] != first[0] ||
      partner_first[1] != first[1] || partner_second[0] != second[0] || partner_second[1] != second[1]) {
    fields.Refuse_at(partner_column, "periodic row of face " + std::to_string(patch.face) +
                                         " must be matched with the same cells of face " +
                                         std::to_string(7 - patch.face) + " of region 1");
  }
  Record angle = file.Expect("the periodic angle after a periodic row");
  Fields angle_fields(file, angle);
  patch.angle = angle_fields.Real("periodic angle");
  angle_fields.Expect_end("the periodic angle");
  if (patch.angle == 0) angle_fields.Refuse_here("periodic angle 0: the pitch angle must not vanish");
  Require_line_end(file.path(), angle);
  return patch;
}

Passage Read_topology(Text_file& file) {
  const std::string& path = file.path();
  Passage t;
  for (int n = 1; n <= 2; ++n) {
    Record comment = file.Expect("the two comment records");
    if (comment.text.empty() || comment.text.front() != '#') {
      Refuse(path, comment.number, 1, "expected a comment record beginning with #");
    }
  }
  const int expected[2][2] = {{1, 1}, {1, -1}};
  for (const auto& counts : expected) {
    Record record = file.Expect("the region records");
    Fields fields(file, record);
    for (int value : counts) {
      if (value < 0) break;
      int found = fields.Integer("region count");
      if (found != value) {
        fields.Refuse_here("expected " + std::to_string(value) + ", found " + std::to_string(found) +
                           ": only one region is supported");
      }
    }
    fields.Expect_end("the region record");
  }
  Record head = file.Expect("the row count and cell numbers");
  Fields fields(file, head);
  int rows = fields.Integer("row count");
  if (rows < 1 || rows > 1000) fields.Refuse_here("row count " + std::to_string(rows) + " is not 1 to 1000");
  int* cells[3] = {&t.ni, &t.nj, &t.nk};
  for (int* c : cells) {
    *c = fields.Integer("cell count");
    if (*c < 1) fields.Refuse_here("cell count " + std::to_string(*c) + " is not at least 1");
  }
  fields.Expect_end("the row count and the three cell numbers");
  for (int n = 0; n < rows; ++n) {
    Record record = file.Expect("boundary row " + std::to_string(n + 1) + " of " + std::to_string(rows));
    t.patches.push_back(Read_row(file, t, record));
  }
  file.Expect_end();
  // The rows together: every boundary cell once, the periodic pair matched.
  if (const std::optional<Boundary_fault> fault = Find_boundary_fault(t, head.number)) {
    Refuse(path, fault->record, fault->column, fault->text);
  }
  t.stations = Stations_of_patches(t);
  return t;
}

}  // namespace

Passage Read_topology_file(const std::string& path) {
  Text_file file(path);
  return Read_topology(file);
}

Passage Read_topology_text(const std::string& name, std::string text) {
  Text_file file(name, std::move(text));
  return Read_topology(file);
}

}  // namespace torvane::inspect
