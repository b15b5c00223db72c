// Writing a drawing as SVG text (no library needed) or, when cairo is built
// in, as a PNG image of the same page.
#pragma once

#include <string>

#include "inspect/picture/drawing.hpp"

namespace torvane::inspect {

// The SVG document of the drawing: one polygon per coloured cell and one
// polyline per line, each with a class naming its band or kind; the frame,
// the axes, the scale bar and the legend in groups of their own.
std::string Svg_text(const Drawing& drawing);

// True when this build can write PNG images.
bool Png_available();

// Writes the drawing as PNG; throws Output_error (also when PNG is not built in).
void Write_png(const std::string& path, const Drawing& drawing);

// Frees the font caches PNG drawing leaves behind; call once the last PNG is written.
void Release_png_caches();

}  // namespace torvane::inspect
