#include "inspect/export/vts_export.hpp"

#include <charconv>
#include <cmath>
#include <limits>

namespace torvane::inspect {

namespace {

// Shortest decimal text that reads back as the same double.
void Put(std::string& out, double v) {
  char text[32];
  auto r = std::to_chars(text, text + sizeof text, v);
  out.append(text, r.ptr);
}

// VTK's ASCII reader takes no infinity: a vanished neighbour volume is written as the largest double.
double Finite(double v) { return std::isfinite(v) ? v : std::numeric_limits<double>::max(); }

void Cell_array(std::string& out, const char* name, const std::vector<double>& values) {
  out += "        <DataArray type=\"Float64\" Name=\"";
  out += name;
  out += "\" format=\"ascii\">\n";
  std::size_t n = 0;
  for (double v : values) {
    out += (n++ % 6 == 0) ? "\n          " : " ";
    Put(out, Finite(v));
  }
  out += "\n        </DataArray>\n";
}

}  // namespace

std::string Vts_text(const Grid& g, const Cell_field& cells) {
  const std::string extent =
      "0 " + std::to_string(g.ie - 1) + " 0 " + std::to_string(g.je - 1) + " 0 " + std::to_string(g.ke - 1);
  std::string out;
  out.reserve(g.points() * 3 * 24 + cells.cells() * 6 * 20 + 4096);
  out += "<?xml version=\"1.0\"?>\n";
  out += "<VTKFile type=\"StructuredGrid\" version=\"1.0\" byte_order=\"LittleEndian\">\n";
  out += "  <StructuredGrid WholeExtent=\"" + extent + "\">\n";
  out += "    <Piece Extent=\"" + extent + "\">\n";
  out += "      <CellData Scalars=\"ScaledJacobian\">\n";
  Cell_array(out, "ScaledJacobian", cells.scaled_jacobian);
  Cell_array(out, "MinFaceAngle", cells.min_angle);
  Cell_array(out, "MaxFaceAngle", cells.max_angle);
  Cell_array(out, "AspectRatio", cells.aspect_ratio);
  Cell_array(out, "VolumeRatio", cells.volume_ratio);
  out += "        <DataArray type=\"Int32\" Name=\"QualityBand\" format=\"ascii\">\n";
  for (std::size_t n = 0; n < cells.cells(); ++n) {
    out += (n % 20 == 0) ? "\n          " : " ";
    out += static_cast<char>('0' + static_cast<int>(cells.Worst(n)));
  }
  out += "\n        </DataArray>\n";
  out += "      </CellData>\n";
  out += "      <Points>\n";
  out += "        <DataArray type=\"Float64\" Name=\"Points\" NumberOfComponents=\"3\" format=\"ascii\">\n";
  for (std::size_t n = 0; n < g.points(); ++n) {
    out += "          ";
    Put(out, g.x[n]);
    out += ' ';
    Put(out, g.y[n]);
    out += ' ';
    Put(out, g.z[n]);
    out += '\n';
  }
  out += "        </DataArray>\n";
  out += "      </Points>\n";
  out += "    </Piece>\n";
  out += "  </StructuredGrid>\n";
  out += "</VTKFile>\n";
  return out;
}

}  // namespace torvane::inspect
