// PNG through cairo, built only when the library is found: the same page as the SVG.
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>

#include "inspect/output_file.hpp"
#include "inspect/picture/picture_files.hpp"
#include "inspect/picture/picture_style.hpp"

namespace torvane::inspect {

namespace {

void Set_colour(cairo_t* cr, Rgb c) { cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0); }

void Set_line(cairo_t* cr, const Line_style& s) {
  Set_colour(cr, s.colour);
  cairo_set_line_width(cr, s.width);
  const double dashes[] = {kDash, kDashGap};
  cairo_set_dash(cr, dashes, s.dashed ? 2 : 0, 0);
}

void Segment(cairo_t* cr, Point2 a, Point2 b) {
  cairo_move_to(cr, a.x, a.y);
  cairo_line_to(cr, b.x, b.y);
  cairo_stroke(cr);
}

// Text at (x, y) on its base line; align 0 left, 0.5 centred, 1 right.
void Show(cairo_t* cr, double x, double y, double align, const std::string& text) {
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  cairo_move_to(cr, x - align * extents.x_advance, y);
  cairo_show_text(cr, text.c_str());
}

// The cells of the bands under (or over) the grid lines, band by band as the SVG page draws them.
void Draw_cells(cairo_t* cr, const Drawing& d, bool over_grid_lines) {
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  for (Cell_band band : {Cell_band::good, Cell_band::fair, Cell_band::bad, Cell_band::folded}) {
    if (Over_grid_lines(band) != over_grid_lines) continue;
    if (over_grid_lines) cairo_push_group(cr);
    cairo_set_line_width(cr, Cell_stroke(band));
    Set_colour(cr, Fill_of(band));
    for (const Cell_patch& cell : d.cells) {
      if (cell.band != band) continue;
      cairo_move_to(cr, cell.corners[0].x, cell.corners[0].y);
      for (int n = 1; n < 4; ++n) cairo_line_to(cr, cell.corners[n].x, cell.corners[n].y);
      cairo_close_path(cr);
      cairo_fill_preserve(cr);
      cairo_stroke(cr);
    }
    if (over_grid_lines) {
      cairo_pop_group_to_source(cr);
      cairo_paint_with_alpha(cr, kOverGridOpacity);
    }
  }
}

// The grid lines, or the boundaries.
void Draw_lines(cairo_t* cr, const Drawing& d, bool boundaries) {
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  for (const Polyline& line : d.lines) {
    const bool is_grid =
        line.kind == Line_kind::i_line || line.kind == Line_kind::j_line || line.kind == Line_kind::k_line;
    if (is_grid == boundaries || line.points.empty()) continue;
    Set_line(cr, Style_of(line.kind));
    cairo_move_to(cr, line.points[0].x, line.points[0].y);
    for (std::size_t n = 1; n < line.points.size(); ++n) cairo_line_to(cr, line.points[n].x, line.points[n].y);
    cairo_stroke(cr);
  }
}

void Draw_axes(cairo_t* cr, const Drawing& d) {
  Set_line(cr, {{0, 0, 0}, 1, false});
  cairo_rectangle(cr, d.left, d.top, d.right - d.left, d.bottom - d.top);
  cairo_stroke(cr);
  cairo_set_font_size(cr, kLabelSize);
  for (const Axis_tick& t : d.x_ticks) {
    Segment(cr, {t.at, d.bottom}, {t.at, d.bottom + 5});
    Show(cr, t.at, d.bottom + 18, 0.5, t.label);
  }
  Show(cr, (d.left + d.right) / 2, d.bottom + 40, 0.5, d.x_label);
  for (const Axis_tick& t : d.y_ticks) {
    Segment(cr, {d.left - 5, t.at}, {d.left, t.at});
    Show(cr, d.left - 8, t.at + 4, 1, t.label);
  }
  cairo_save(cr);
  cairo_translate(cr, 18, (d.top + d.bottom) / 2);
  cairo_rotate(cr, -M_PI / 2);
  Show(cr, 0, 0, 0.5, d.y_label);
  cairo_restore(cr);
}

void Draw_legend(cairo_t* cr, const Drawing& d) {
  Set_line(cr, {{0, 0, 0}, 2, false});
  Segment(cr, d.scale_from, d.scale_to);
  Segment(cr, {d.scale_from.x, d.scale_from.y - 5}, {d.scale_from.x, d.scale_from.y + 5});
  Segment(cr, {d.scale_to.x, d.scale_to.y - 5}, {d.scale_to.x, d.scale_to.y + 5});
  Show(cr, d.scale_to.x + kSwatchGap, d.scale_to.y + 4, 0, d.scale_label);
  for (const Legend_entry& e : d.legend) {
    if (e.is_cell) {
      cairo_rectangle(cr, e.at.x, e.at.y - 10, kSwatch, 12);
      Set_colour(cr, Fill_of(e.band));
      cairo_fill_preserve(cr);
      Set_line(cr, Style_of(Line_kind::i_line));
      cairo_stroke(cr);
    } else {
      Set_line(cr, Style_of(e.line));
      Segment(cr, {e.at.x, e.at.y - 4}, {e.at.x + kSwatch, e.at.y - 4});
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    Show(cr, e.at.x + kSwatch + kSwatchGap, e.at.y, 0, e.label);
  }
}

}  // namespace

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
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  Draw_cells(cr, d, false);
  Draw_lines(cr, d, false);
  Draw_cells(cr, d, true);
  Draw_lines(cr, d, true);
  Draw_axes(cr, d);
  Draw_legend(cr, d);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_font_size(cr, kTitleSize);
  Show(cr, d.left, 22, 0, d.title);
  cairo_destroy(cr);
  const cairo_status_t status = cairo_surface_write_to_png(surface, staged.temporary().c_str());
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) {
    throw Output_error("cannot write " + path + ": " + cairo_status_to_string(status));
  }
  staged.Replace_target();
}

}  // namespace torvane::inspect
