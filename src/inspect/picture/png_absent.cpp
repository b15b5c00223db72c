// Stand-in when cairo is not built in: PNG output is refused with a reason.
#include "inspect/output_file.hpp"
#include "inspect/picture/picture_files.hpp"

namespace torvane::inspect {

bool Png_available() { return false; }

void Release_png_caches() {}

void Write_png(const std::string& path, const Drawing&) {
  throw Output_error("cannot write " + path + ": this build has no PNG output (cairo was not found)");
}

}  // namespace torvane::inspect
