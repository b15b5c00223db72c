#include "inspect/export/cgns_export.hpp"

#include <cgnslib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <string>
#include <vector>

#include "inspect/output_file.hpp"

namespace torvane::inspect {

namespace {

// Dimensional exponents of mass, length, time, temperature and angle.
const float kLength[5] = {0, 1, 0, 0, 0};
const float kAngle[5] = {0, 0, 0, 0, 1};

// Turns a failed library call into an Output_error carrying the library's reason.
void Check(int status, const std::string& path, const char* step) {
  if (status != CG_OK) throw Output_error("cannot write " + path + " (" + step + "): " + cg_get_error());
}

void Range_of(const Patch& patch, cgsize_t range[6]) {
  for (int d = 0; d < 3; ++d) {
    range[d] = patch.points.lo[d];
    range[d + 3] = patch.points.hi[d];
  }
}

// The partner's points: the same i and k on the other pitchwise face.
void Partner_range_of(const Patch& patch, int je, cgsize_t range[6]) {
  Range_of(patch, range);
  range[1] = range[4] = patch.face == 3 ? je : 1;
}

BCType_t Bc_type(torvane::Patch_role role) {
  switch (role) {
    case torvane::Patch_role::inlet:
      return CGNS_ENUMV(BCInflow);
    case torvane::Patch_role::outlet:
      return CGNS_ENUMV(BCOutflow);
    default:
      return CGNS_ENUMV(BCWall);
  }
}

// The family of a boundary patch: one per patch of the solver meshes, the blade's two sides together.
std::string Family_of(const Patch& patch) { return std::string(Role_name(patch.role)); }

}  // namespace

std::string Cgns_patch_name(const Patch& patch, int je) {
  // The role's name capitalised, the pitchwise faces told apart by their j.
  std::string name(Role_name(patch.role));
  name[0] = static_cast<char>(name[0] - 'a' + 'A');
  if (patch.face == 3 || patch.face == 4) name += "_j" + std::to_string(patch.face == 3 ? 1 : je);
  return name + '_' + std::to_string(patch.record);
}

namespace {

// Writes the CGNS file `name`; throws Output_error naming `path`, the file the user asked for.
void Write_cgns_file(const std::string& name, const std::string& path, const Run_files& run, Machine_axis axis) {
  const Grid& g = run.grid;
  int file = 0, base = 0, zone = 0, coord = 0;
  Check(cg_open(name.c_str(), CG_MODE_WRITE, &file), path, "open");
  try {
    Check(cg_base_write(file, "Base", 3, 3, &base), path, "base");
    // The grid carries no units: its coordinates are lengths of unknown dimension.
    Check(cg_goto(file, base, "end"), path, "data class");
    Check(cg_dataclass_write(CGNS_ENUMV(NormalizedByUnknownDimensional)), path, "data class");
    // A family per patch carrying its boundary type: viewers group and show the patches by it.
    std::vector<std::string> families;
    for (const Patch& patch : run.faces.patches) {
      if (patch.empty || Is_matched(patch.role)) continue;
      const std::string family = Family_of(patch);
      bool known = false;
      for (const std::string& written : families) known = known || written == family;
      if (known) continue;
      families.push_back(family);
      int family_index = 0, bc_index = 0;
      Check(cg_family_write(file, base, family.c_str(), &family_index), path, "family");
      Check(cg_fambc_write(file, base, family_index, "FamBC", Bc_type(patch.role), &bc_index), path, "family");
    }
    cgsize_t size[9] = {g.ie, g.je, g.ke, g.ie - 1, g.je - 1, g.ke - 1, 0, 0, 0};
    Check(cg_zone_write(file, base, "Passage", size, CGNS_ENUMV(Structured), &zone), path, "zone");
    Check(cg_coord_write(file, base, zone, CGNS_ENUMV(RealDouble), "CoordinateX", g.x.data(), &coord), path, "x");
    Check(cg_coord_write(file, base, zone, CGNS_ENUMV(RealDouble), "CoordinateY", g.y.data(), &coord), path, "y");
    Check(cg_coord_write(file, base, zone, CGNS_ENUMV(RealDouble), "CoordinateZ", g.z.data(), &coord), path, "z");
    for (int n = 1; n <= 3; ++n) {
      Check(cg_goto(file, base, "Zone_t", zone, "GridCoordinates_t", 1, "DataArray_t", n, "end"), path, "exponents");
      Check(cg_exponents_write(CGNS_ENUMV(RealSingle), kLength), path, "exponents");
    }
    for (const Patch& patch : run.faces.patches) {
      if (patch.empty) continue;  // a row over no cells is no face to join or bound
      const std::string name = Cgns_patch_name(patch, g.je);
      cgsize_t range[6];
      Range_of(patch, range);
      if (!Is_matched(patch.role)) {
        int bc = 0;
        Check(cg_boco_write(file, base, zone, name.c_str(), CGNS_ENUMV(FamilySpecified), CGNS_ENUMV(PointRange), 2,
                            range, &bc),
              path, "boundary condition");
        Check(cg_goto(file, base, "Zone_t", zone, "ZoneBC_t", 1, "BC_t", bc, "end"), path, "boundary family");
        Check(cg_famname_write(Family_of(patch).c_str()), path, "boundary family");
        continue;
      }
      cgsize_t donor[6];
      Partner_range_of(patch, g.je, donor);
      int transform[3] = {1, 2, 3};
      int connection = 0;
      Check(cg_1to1_write(file, base, zone, name.c_str(), "Passage", range, donor, transform, &connection), path,
            "connection");
      // Right-handed rotation about the machine (x) axis carrying this face onto its partner.
      // A turn by a in theta (measured from z towards y) is the right-handed rotation by -a;
      // the row's angle turns the partner onto this face, so this face goes onto the partner
      // by the right-handed rotation of the row's own angle. The library stores it in single precision.
      const float center[3] = {0, 0, 0};
      const float turn = static_cast<float>(patch.angle);
      const float angle[3] = {axis == Machine_axis::z ? 0 : turn, 0, axis == Machine_axis::z ? turn : 0};
      const float translation[3] = {0, 0, 0};
      Check(cg_1to1_periodic_write(file, base, zone, connection, center, angle, translation), path, "periodicity");
      Check(cg_goto(file, base, "Zone_t", zone, "ZoneGridConnectivity_t", 1, "GridConnectivity1to1_t", connection,
                    "GridConnectivityProperty_t", 1, "Periodic_t", 1, "end"),
            path, "periodicity units");
      Check(cg_units_write(CGNS_ENUMV(MassUnitsNull), CGNS_ENUMV(LengthUnitsNull), CGNS_ENUMV(TimeUnitsNull),
                           CGNS_ENUMV(TemperatureUnitsNull), CGNS_ENUMV(Radian)),
            path, "periodicity units");
      // RotationCenter, RotationAngle and Translation, in the order the library writes them.
      const float* exponents[3] = {kLength, kAngle, kLength};
      for (int n = 1; n <= 3; ++n) {
        Check(cg_goto(file, base, "Zone_t", zone, "ZoneGridConnectivity_t", 1, "GridConnectivity1to1_t", connection,
                      "GridConnectivityProperty_t", 1, "Periodic_t", 1, "DataArray_t", n, "end"),
              path, "periodicity exponents");
        Check(cg_exponents_write(CGNS_ENUMV(RealSingle), exponents[n - 1]), path, "periodicity exponents");
      }
    }
  } catch (...) {
    cg_close(file);
    throw;
  }
  Check(cg_close(file), path, "close");
}

// Runs the writer in a child process; gives "" when it succeeded, else its message.
std::string Write_in_child(const std::string& name, const std::string& path, const Run_files& run, Machine_axis axis) {
  int ends[2];
  if (::pipe(ends) != 0) return "cannot write " + path + ": " + std::strerror(errno);
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(ends[0]);
    ::close(ends[1]);
    return "cannot write " + path + ": " + std::strerror(errno);
  }
  if (pid == 0) {
    ::close(ends[0]);
    std::string failure;
    try {
      Write_cgns_file(name, path, run, axis);
    } catch (const std::exception& e) {
      failure = e.what();
      if (failure.empty()) failure = "cannot write " + path;
    }
    for (size_t at = 0; at < failure.size();) {
      const ssize_t n = ::write(ends[1], failure.data() + at, failure.size() - at);
      if (n <= 0) break;
      at += static_cast<size_t>(n);
    }
    ::_exit(failure.empty() ? 0 : 1);  // no exit handlers: the library's would crash on a failed file
  }
  ::close(ends[1]);
  std::string failure;
  char block[4096];
  for (ssize_t n; (n = ::read(ends[0], block, sizeof block)) != 0;) {
    if (n > 0) failure.append(block, static_cast<size_t>(n));
    if (n < 0 && errno != EINTR) break;
  }
  ::close(ends[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && failure.empty()) return "";
  if (!failure.empty()) return failure;
  return "cannot write " + path + ": the CGNS writer ended abnormally";
}

}  // namespace

// The library writes by name, to a temporary file beside the target put in
// place once closed. It writes in a child process: after a failed write the
// library (HDF5 beneath it) keeps a file it cannot close and crashes the
// program at exit; the child ends without running that cleanup.
void Write_cgns(const std::string& path, const Run_files& run, Machine_axis axis) {
  Staged_file staged(path);
  staged.Close_descriptor();
  const std::string failure = Write_in_child(staged.temporary(), path, run, axis);
  if (!failure.empty()) throw Output_error(failure);
  staged.Replace_target();
}

}  // namespace torvane::inspect
