#include "inspect/topology_file.hpp"

#include <cstdlib>

#include "inspect/text_input.hpp"

namespace torvane::inspect {

namespace {

// Cell count along each of the two in-face directions of a face, in the file's order:
// faces 1, 2 give (j, k); faces 3, 4 give (k, i); faces 5, 6 give (i, j).
void In_face_cells(const Topology& t, int face, int& first, int& second) {
  if (face <= 2) {
    first = t.nj;
    second = t.nk;
  } else if (face <= 4) {
    first = t.nk;
    second = t.ni;
  } else {
    first = t.ni;
    second = t.nj;
  }
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

Boundary_row Read_row(Text_file& file, const Topology& t, const Record& record) {
  Fields fields(file, record);
  Boundary_row row;
  row.record = record.number;
  row.code = fields.Integer("type code");
  if (row.code != kInlet && row.code != kOutlet && row.code != kWall && row.code != kPeriodic) {
    fields.Refuse_here("type code " + std::to_string(row.code) + " is none of 10, 20, 70, 120");
  }
  row.face = fields.Integer("face");
  if (row.face < 1 || row.face > 6) fields.Refuse_here("face " + std::to_string(row.face) + " is not 1 to 6");
  const bool periodic = row.code == kPeriodic;
  int first_cells = 0, second_cells = 0;
  In_face_cells(t, row.face, first_cells, second_cells);
  // Periodic rows carry their spanwise range negated.
  Read_range(fields, row.first, first_cells, periodic && row.face >= 3 && row.face <= 4, "first range");
  Read_range(fields, row.second, second_cells, false, "second range");
  row.partner_region = fields.Integer("partner region");
  const long partner_column = fields.column();
  row.partner_face = fields.Integer("partner face");
  for (int n = 0; n < 2; ++n) row.partner_first[n] = fields.Integer("partner first range");
  for (int n = 0; n < 2; ++n) row.partner_second[n] = fields.Integer("partner second range");
  fields.Expect_end("the twelve integers of a boundary row");
  Require_line_end(file.path(), record);
  if (!periodic) {
    if (row.partner_region != 0 || row.partner_face != 0) {
      fields.Refuse_at(partner_column, "a non-periodic row names a partner");
    }
    return row;
  }
  if (row.face != 3 && row.face != 4) {
    fields.Refuse_at(
        5, "periodic row on face " + std::to_string(row.face) + ": only the pitchwise faces 3 and 4 can be periodic");
  }
  if (row.partner_region != 1 || row.partner_face != 7 - row.face || row.partner_first[0] != row.first[0] ||
      row.partner_first[1] != row.first[1] || row.partner_second[0] != row.second[0] ||
      row.partner_second[1] != row.second[1]) {
    fields.Refuse_at(partner_column, "periodic row of face " + std::to_string(row.face) +
                                         " must be matched with the same cells of face " +
                                         std::to_string(7 - row.face) + " of region 1");
  }
  Record angle = file.Expect("the periodic angle after a periodic row");
  Fields angle_fields(file, angle);
  row.angle = angle_fields.Real("periodic angle");
  angle_fields.Expect_end("the periodic angle");
  if (row.angle == 0) angle_fields.Refuse_here("periodic angle 0: the pitch angle must not vanish");
  Require_line_end(file.path(), angle);
  return row;
}

Topology Read_topology(Text_file& file) {
  const std::string& path = file.path();
  Topology t;
  t.path = path;
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
    t.rows.push_back(Read_row(file, t, record));
  }
  file.Expect_end();
  return t;
}

}  // namespace

Topology Read_topology_file(const std::string& path) {
  Text_file file(path);
  return Read_topology(file);
}

Topology Read_topology_text(const std::string& name, std::string text) {
  Text_file file(name, std::move(text));
  return Read_topology(file);
}

}  // namespace torvane::inspect
