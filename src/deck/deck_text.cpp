#include "deck/deck_text.hpp"

#include "base/surface.hpp"
#include "deck/deck_records.hpp"
#include "deck/text_files.hpp"

namespace torvane::deck {

namespace {

// Appends value, padded to width, and the note after it.
void Put_line(std::string& text, const std::string& value, size_t width, std::string_view note) {
  text += value;
  text.append(value.size() < width ? width - value.size() : 2, ' ');
  text += note;
  text += '\n';
}

void Put_section(std::string& text, Surface surface, const Deck_section& section) {
  const Section_contour& contour = section.contour;
  const size_t npts = contour.points.size();
  const bool hub = surface == Surface::hub;
  std::string note = hub ? "npthub irefhub: " : "nptcas irefcas: ";
  note += std::string(Surface_name(surface)) + " section";
  if (!section.name.empty()) note.append(" ").append(Printable(section.name));
  note.append(" from ").append(Printable(section.file)).append("; reference point = leading edge");
  if (contour.closed_at_midpoint) note += "; open trailing edge closed at its midpoint";
  Put_line(text, std::to_string(npts) + " " + std::to_string(contour.iref), 10, note);

  for (size_t n = 1; n <= npts; ++n) {
    const Point& p = contour.points[n - 1];
    std::string_view point_note;
    if (n == 1) {
      point_note = "trailing edge: the list runs along the -y side first";
    } else if (n == npts) {
      point_note = "back at the trailing edge: the contour is closed";
    } else if (static_cast<int>(n) == contour.iref) {
      point_note = "leading edge: the reference point";
    } else if (static_cast<int>(n) == contour.corner_first || static_cast<int>(n) == contour.corner_last) {
      point_note = "trailing-edge corner: an end point of the file";
    }
    std::string values = Real_text(p.x) + " " + Real_text(p.y);
    if (point_note.empty()) {
      text += values;
      text += '\n';
    } else {
      Put_line(text, values, 24, point_note);
    }
  }
}

}  // namespace

std::string Deck_text(const Control_values& values, const Deck_section& hub, const Deck_section& casing,
                      std::string_view flow_path, const Value_sources& sources) {
  std::string text;
  text.reserve(64 * (40 + hub.contour.points.size() + casing.contour.points.size()));
  for (const Deck_record& record : Deck_records()) {
    const size_t width = record.kind == Value_kind::text ? static_cast<size_t>(kTextLength) : 10;
    if (!flow_path.empty() && (record.name == "rhub" || record.name == "rcas")) {
      const std::string file = Printable(flow_path);
      const std::string note = Note(record) + ", on the " + (record.name == "rhub" ? "hub" : "casing") + " curve of " +
                               file + ": run this deck with torvane --flow-path " + file;
      Put_line(text, Value_text(values, record), width, note);
      continue;
    }
    const std::string& source = sources[static_cast<size_t>(record.number)];
    Put_line(text, Value_text(values, record), width, source.empty() ? Note(record) : Note(record) + " = " + source);
  }
  Put_section(text, Surface::hub, hub);
  Put_section(text, Surface::casing, casing);
  return text;
}

}  // namespace torvane::deck
