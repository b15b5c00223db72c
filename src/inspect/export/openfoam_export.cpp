#include "inspect/export/openfoam_export.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string_view>
#include <system_error>

#include "inspect/output_file.hpp"

namespace torvane::inspect {

std::string Foam_header(const char* foam_class, const char* location, const char* object, const std::string& note) {
  std::string h =
      "/*--------------------------------*- C++ -*----------------------------------*\\\n"
      "  written by torvane-inspect\n"
      "\\*---------------------------------------------------------------------------*/\n"
      "FoamFile\n{\n    version     2.0;\n    format      ascii;\n    class       ";
  h += foam_class;
  h += ";\n";
  if (!note.empty()) h += "    note        \"" + note + "\";\n";
  h += "    location    \"";
  h += location;
  h += "\";\n    object      ";
  h += object;
  h += ";\n}\n\n";
  return h;
}

const char* Axis_vector(Machine_axis axis) { return axis == Machine_axis::z ? "(0 0 1)" : "(1 0 0)"; }

std::string Foam_field(const char* foam_class, const char* object, const char* dimensions, const std::string& internal,
                       const Solver_boundary& b, const std::vector<std::string>& entries) {
  std::string out = Foam_header(foam_class, "0", object);
  out += "dimensions      ";
  out += dimensions;
  out += ";\n\ninternalField   ";
  out += internal;
  out += ";\n\nboundaryField\n{\n";
  for (std::size_t n = 0; n < b.patches.size(); ++n) {
    out += "    " + b.patches[n].name + "\n    {\n" + entries[n] + "    }\n";
  }
  out += "}\n";
  return out;
}

namespace {

void Put_face(std::string& out, const Quad_face& f) {
  out += "4(";
  for (int n = 0; n < 4; ++n) {
    if (n > 0) out += ' ';
    Put_count(out, f.points[n]);
  }
  out += ")\n";
}

std::string Boundary_text(const Solver_boundary& b, std::size_t start, Machine_axis axis) {
  std::string out = Foam_header("polyBoundaryMesh", "constant/polyMesh", "boundary");
  Put_count(out, b.patches.size());
  out += "\n(\n";
  for (const Solver_patch& p : b.patches) {
    out += "    " + p.name + "\n    {\n";
    switch (p.role) {
      case Patch_role::patch:
        out += "        type            patch;\n";
        break;
      case Patch_role::wall:
        out += "        type            wall;\n        inGroups        List<word> 1(wall);\n";
        break;
      case Patch_role::cyclic:
        out += "        type            cyclic;\n        inGroups        List<word> 1(cyclic);\n";
        break;
    }
    out += "        nFaces          ";
    Put_count(out, p.faces.size());
    out += ";\n        startFace       ";
    Put_count(out, start);
    out += ";\n";
    start += p.faces.size();
    if (p.role == Patch_role::cyclic) {
      // The angle of each patch carries it onto its neighbour patch.
      const bool lower = p.name == b.patches[kPeriodicLower].name;
      const double degrees = (lower ? b.lower_to_upper : -b.lower_to_upper) * 180 / std::numbers::pi;
      out += "        matchTolerance  0.0001;\n        transform       rotational;\n        rotationAxis    ";
      out += Axis_vector(axis);
      out += ";\n        rotationCentre  (0 0 0);\n        rotationAngle   ";
      Put_real(out, degrees);
      out += ";\n        neighbourPatch  ";
      out += b.patches[lower ? kPeriodicUpper : kPeriodicLower].name;
      out += ";\n";
    }
    out += "    }\n";
  }
  out += ")\n";
  return out;
}

}  // namespace

std::vector<Case_file> Openfoam_mesh(const Grid& g, const Solver_boundary& b, Machine_axis axis) {
  const std::size_t cells = static_cast<std::size_t>(g.ie - 1) * (g.je - 1) * (g.ke - 1);
  std::size_t boundary_faces = 0;
  for (const Solver_patch& p : b.patches) boundary_faces += p.faces.size();
  const std::size_t internal_faces = 3 * cells - boundary_faces / 2;  // each cell has six faces
  const std::size_t faces = internal_faces + boundary_faces;
  const std::string note = "nPoints:" + std::to_string(g.points()) + "  nCells:" + std::to_string(cells) +
                           "  nFaces:" + std::to_string(faces) + "  nInternalFaces:" + std::to_string(internal_faces);

  std::string points = Foam_header("vectorField", "constant/polyMesh", "points");
  points.reserve(g.points() * 75 + 1024);
  Put_count(points, g.points());
  points += "\n(\n";
  for (std::size_t n = 0; n < g.points(); ++n) {
    points += '(';
    Put_real(points, g.x[n]);
    points += ' ';
    Put_real(points, g.y[n]);
    points += ' ';
    Put_real(points, g.z[n]);
    points += ")\n";
  }
  points += ")\n";

  std::string face_text = Foam_header("faceList", "constant/polyMesh", "faces");
  std::string owner = Foam_header("labelList", "constant/polyMesh", "owner", note);
  std::string neighbour = Foam_header("labelList", "constant/polyMesh", "neighbour", note);
  face_text.reserve(faces * 40 + 1024);
  Put_count(face_text, faces);
  face_text += "\n(\n";
  Put_count(owner, faces);
  owner += "\n(\n";
  Put_count(neighbour, internal_faces);
  neighbour += "\n(\n";
  // Upper-triangular order: cell by cell, its faces towards i + 1, j + 1, k + 1 (numbers c + 1,
  // c + ni, c + ni nj), each turning out of the owner into the neighbour.
  const std::size_t step[3] = {1, static_cast<std::size_t>(g.ie - 1), static_cast<std::size_t>(g.ie - 1) * (g.je - 1)};
  const int last[3] = {g.ie - 1, g.je - 1, g.ke - 1};
  for (int k = 1; k <= last[2]; ++k) {
    for (int j = 1; j <= last[1]; ++j) {
      for (int i = 1; i <= last[0]; ++i) {
        const int cell[3] = {i, j, k};
        for (int axis = 0; axis < 3; ++axis) {
          if (cell[axis] == last[axis]) continue;
          const Quad_face f = Face_of_cell(g, cell, axis, true, b.right_handed);
          Put_face(face_text, f);
          Put_count(owner, f.cell);
          owner += '\n';
          Put_count(neighbour, f.cell + step[axis]);
          neighbour += '\n';
        }
      }
    }
  }
  for (const Solver_patch& p : b.patches) {
    for (const Quad_face& f : p.faces) {
      Put_face(face_text, f);
      Put_count(owner, f.cell);
      owner += '\n';
    }
  }
  face_text += ")\n";
  owner += ")\n";
  neighbour += ")\n";
  return {{"constant/polyMesh/points", std::move(points)},
          {"constant/polyMesh/faces", std::move(face_text)},
          {"constant/polyMesh/owner", std::move(owner)},
          {"constant/polyMesh/neighbour", std::move(neighbour)},
          {"constant/polyMesh/boundary", Boundary_text(b, internal_faces, axis)}};
}

std::vector<Case_file> Potential_flow_case(const Solver_boundary& b, Machine_axis axis) {
  const std::string inflow = std::string("uniform ") + Axis_vector(axis);
  std::vector<std::string> u_entries, p_entries;
  for (std::size_t n = 0; n < b.patches.size(); ++n) {
    const Patch_role role = b.patches[n].role;
    if (role == Patch_role::cyclic) {
      u_entries.push_back("        type            cyclic;\n");
      p_entries.push_back("        type            cyclic;\n");
    } else if (n == kInletPatch) {
      u_entries.push_back("        type            fixedValue;\n        value           " + inflow + ";\n");
      p_entries.push_back("        type            zeroGradient;\n");
    } else if (n == kOutletPatch) {
      u_entries.push_back("        type            zeroGradient;\n");
      p_entries.push_back("        type            fixedValue;\n        value           uniform 0;\n");
    } else {
      u_entries.push_back("        type            slip;\n");
      p_entries.push_back("        type            zeroGradient;\n");
    }
  }
  std::vector<Case_file> files;
  files.emplace_back("0/U", Foam_field("volVectorField", "U", "[0 1 -1 0 0 0 0]", "uniform (0 0 0)", b, u_entries));
  files.emplace_back("0/p", Foam_field("volScalarField", "p", "[0 2 -2 0 0 0 0]", "uniform 0", b, p_entries));
  files.emplace_back("system/controlDict", Foam_header("dictionary", "system", "controlDict") +
                                               "application     potentialFoam;\n"
                                               "startFrom       startTime;\n"
                                               "startTime       0;\n"
                                               "stopAt          endTime;\n"
                                               "endTime         1;\n"
                                               "deltaT          1;\n"
                                               "writeControl    timeStep;\n"
                                               "writeInterval   1;\n"
                                               "purgeWrite      0;\n"
                                               "writeFormat     ascii;\n"
                                               "writePrecision  17;\n"
                                               "writeCompression off;\n"
                                               "timeFormat      general;\n"
                                               "timePrecision   6;\n"
                                               "runTimeModifiable false;\n");
  // The grid's faces can be far from orthogonal near the blade: the limited correction keeps
  // the Laplacian bounded there.
  files.emplace_back("system/fvSchemes",
                     Foam_header("dictionary", "system", "fvSchemes") +
                         "ddtSchemes\n{\n    default         steadyState;\n}\n\n"
                         "gradSchemes\n{\n    default         Gauss linear;\n}\n\n"
                         "divSchemes\n{\n    default         none;\n"
                         "    div(div(phi,U)) Gauss linear;\n}\n\n"
                         "laplacianSchemes\n{\n    default         Gauss linear limited corrected 0.33;\n}\n\n"
                         "interpolationSchemes\n{\n    default         linear;\n}\n\n"
                         "snGradSchemes\n{\n    default         limited corrected 0.33;\n}\n");
  files.emplace_back("system/fvSolution", Foam_header("dictionary", "system", "fvSolution") +
                                              "solvers\n{\n"
                                              "    \"(Phi|p)\"\n    {\n"
                                              "        solver          GAMG;\n"
                                              "        smoother        DIC;\n"
                                              "        tolerance       1e-10;\n"
                                              "        relTol          0;\n"
                                              "    }\n}\n\n"
                                              "potentialFlow\n{\n    nNonOrthogonalCorrectors 8;\n}\n");
  return files;
}

namespace {

// Writes the bytes into the staged file and closes it; a script (Allrun, Allclean) becomes
// executable by whoever may read it.
void Fill(Staged_file& file, std::string_view bytes, bool script) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(file.descriptor(), bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) file.Fail_errno("cannot write", n < 0 ? errno : EIO);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  struct stat made {};
  if (script && (::fstat(file.descriptor(), &made) != 0 ||
                 ::fchmod(file.descriptor(), (made.st_mode & 07777) | ((made.st_mode & 0444) >> 2)) != 0)) {
    file.Fail_errno("cannot write", errno);
  }
  file.Close_descriptor();
}

}  // namespace

void Write_case_files(const std::string& folder, const std::vector<Case_file>& files) {
  // The folders first: one that cannot be made (a plain file in its place, no permission)
  // stops the export before any file is touched.
  for (const Case_file& file : files) {
    const std::filesystem::path parent = (std::filesystem::path(folder) / file.first).parent_path();
    std::error_code error;
    std::filesystem::create_directories(parent, error);
    if (error) throw Output_error("cannot create " + parent.string() + ": " + error.message());
  }
  // Every file complete beside its target before any target is replaced: a failure (a full
  // disk, a file-size limit) leaves the earlier case as it was, and the temporaries go.
  std::vector<std::unique_ptr<Staged_file>> staged;
  staged.reserve(files.size());
  for (const Case_file& file : files) {
    staged.push_back(std::make_unique<Staged_file>((std::filesystem::path(folder) / file.first).string()));
    const std::string name = std::filesystem::path(file.first).filename().string();
    Fill(*staged.back(), file.second, name == "Allrun" || name == "Allclean");
  }
  // Then the renames, one right after the other.
  for (const std::unique_ptr<Staged_file>& file : staged) file->Replace_target();
}

}  // namespace torvane::inspect
