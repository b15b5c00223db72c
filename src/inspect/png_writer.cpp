// PNG through cairo, built only when the library is found.
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>

#include "inspect/output_file.hpp"
#include "inspect/picture_files.hpp"

namespace torvane::inspect {

bool Png_available() { return true; }

void Release_png_caches() {
  // cairo's font caches hold fontconfig patterns; fontconfig keeps its configuration until told.
  cairo_debug_reset_static_data();
  FcFini();
}

void Write_png(const std::string& path, const Drawing& d) {
  // cairo writes by name: to a temporary file beside the target, put in place once complete.
  Staged_file staged(path);
  staged.Close_descriptor();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(d.width)),
                                                        static_cast<int>(std::ceil(d.height)));
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 15);
  cairo_move_to(cr, 20, 22);
  cairo_show_text(cr, d.title.c_str());
  for (int pass = 0; pass < 2; ++pass) {
    const bool walls = pass == 1;
    if (walls) {
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_set_line_width(cr, kWallStroke);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    } else {
      cairo_set_source_rgb(cr, 0x50 / 255.0, 0x60 / 255.0, 0x7a / 255.0);
      cairo_set_line_width(cr, kGridStroke);
    }
    for (const Polyline& line : d.lines) {
      if ((line.kind == "wall") != walls || line.points.empty()) continue;
      cairo_move_to(cr, line.points[0].x, line.points[0].y);
      for (std::size_t n = 1; n < line.points.size(); ++n) cairo_line_to(cr, line.points[n].x, line.points[n].y);
      cairo_stroke(cr);
    }
  }
  cairo_destroy(cr);
  const cairo_status_t status = cairo_surface_write_to_png(surface, staged.temporary().c_str());
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    throw Output_error("cannot write " + path + ": " + cairo_status_to_string(status));
  }
  staged.Replace_target();
}

}  // namespace torvane::inspect
