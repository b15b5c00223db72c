#include "deck/geometry_defaults.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/storage_limits.hpp"
#include "deck/metal_angles.hpp"
#include "deck/wall_spacing.hpp"
#include "distribution/stretch.hpp"
#include "geometry/surface_description.hpp"

namespace torvane::deck {

namespace {

// A derived length as the deck writes it: four significant digits.
double Rounded(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return std::strtod(text, nullptr);
}

// A number in a note: up to six significant digits.
std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

// An angle as the deck writes it: to a hundredth of a degree.
double Rounded_angle(double degrees) { return std::round(degrees * 100.0) / 100.0; }

// Sets a record's value and its source unless the user gave the record.
struct Default_setter {
  const std::set<std::string>& given;
  Value_sources& sources;

  bool Free(const char* name) const { return given.count(name) == 0; }
  void Set(const char* name, double& field, double value, const std::string& source) const {
    if (!Free(name)) return;
    field = value;
    sources[static_cast<size_t>(Find_record(name)->number)] = source;
  }
  void Set(const char* name, int& field, int value, const std::string& source) const {
    if (!Free(name)) return;
    field = value;
    sources[static_cast<size_t>(Find_record(name)->number)] = source;
  }
};

}  // namespace

int Wall_layer_count(double first, double ratio, double length, int intervals) {
  int count = 1;
  // Beyond the storage limits no count is written; a first interval of 0 never stops the search.
  for (int n = 2; n <= std::min(intervals / 4, kMaxIe); ++n) {
    if (2.0 * Geometric_length(first, n, ratio) > kLayerShare * length) break;
    count = n;
  }
  return count;
}

void Apply_geometry_defaults(Control_values& values, const std::set<std::string>& given, const Deck_section& hub,
                             const Deck_section& casing, const Deck_choices& choices, Value_sources& sources) {
  Control_values& v = values;
  if (!(v.nbrow > 0 && v.chordhub > 0 && v.chordcas > 0 && v.rhub > 0 && v.rcas > v.rhub)) return;
  if (!std::isfinite(v.rcas) || !std::isfinite(v.chordhub) || !std::isfinite(v.chordcas)) return;
  const Default_setter set{given, sources};
  const Setup_values setup = Section_setup(v);
  const double hub_pitch = setup.dphi * v.rhub;
  const std::string chord_text = "chordhub " + Number(v.chordhub);
  const std::string pitch_text = "hub pitch " + Number(hub_pitch) + " (2 pi x rhub " + Number(v.rhub) + " / nbrow " +
                                 std::to_string(v.nbrow) + ")";

  // Streamwise lengths and first intervals: shares of the chord.
  set.Set("lin", v.lin, Rounded(kInletShareOfChord * v.chordhub), Number(kInletShareOfChord) + " x " + chord_text);
  const double longer_chord = std::max(v.chordhub, v.chordcas);
  const double shift = std::max(0.0, std::isfinite(setup.xrefcas) ? setup.xrefcas : 0.0);
  set.Set("lx", v.lx, Rounded(v.lin + shift + kOutletShareOfChord * longer_chord),
          "lin " + Number(v.lin) + (shift > 0 ? " + casing shift by the sweep " + Number(shift) : "") + " + " +
              Number(kOutletShareOfChord) + " x the longer chord " + Number(longer_chord));
  const double edge = Rounded(kEdgeShareOfChord * v.chordhub);
  set.Set("dsle", v.dsle, edge, Number(kEdgeShareOfChord) + " x " + chord_text);
  set.Set("dste", v.dste, edge, Number(kEdgeShareOfChord) + " x " + chord_text);

  // Wall intervals: from y+ on the chord, or shares of the pitch and the span.
  if (choices.yplus && choices.reynolds) {
    const double re = choices.reynolds->value;
    const double wall = Rounded(Wall_distance(choices.yplus->value, re, v.chordhub));
    const std::string source =
        "y+ " + choices.yplus->text + " at Re " + choices.reynolds->text + " on " + chord_text +
        ": y+ x chord / (Re sqrt(Cf/2)), Cf = (2 log10 Re - 0.65)^-2.3 = " + Number(Flat_plate_skin_friction(re)) +
        " (Schlichting, turbulent flat plate)";
    set.Set("dywle", v.dywle, wall, source);
    set.Set("dywte", v.dywte, wall, source);
    set.Set("dzwall", v.dzwall, wall, source);
  } else {
    const double wall = Rounded(kWallShareOfPitch * hub_pitch);
    set.Set("dywle", v.dywle, wall, Number(kWallShareOfPitch) + " x " + pitch_text);
    set.Set("dywte", v.dywte, wall, Number(kWallShareOfPitch) + " x " + pitch_text);
    set.Set("dzwall", v.dzwall, Rounded(kEndwallShareOfSpan * setup.span),
            Number(kEndwallShareOfSpan) + " x span " + Number(setup.span) + " (rcas - rhub)");
  }
  set.Set("dyout", v.dyout, Rounded(kOutletShareOfPitch * hub_pitch), Number(kOutletShareOfPitch) + " x " + pitch_text);

  // Wall layers no thicker together than a third of their line, on both surfaces.
  if (v.ratio > 1 && std::isfinite(v.ratio)) {
    const double casing_scale = v.chordcas / v.chordhub;
    const double wall = std::max(v.dywle, v.dywte);
    const int nwall = std::min(Wall_layer_count(wall, v.ratio, hub_pitch, v.npitch),
                               Wall_layer_count(wall * casing_scale, v.ratio, setup.dphi * v.rcas, v.npitch));
    set.Set("nwall", v.nwall, nwall,
            "the most layers, up to npitch/4, that take at most a third of the pitch at hub and casing");
    set.Set("nwallhc", v.nwallhc, Wall_layer_count(v.dzwall, v.ratio, setup.span, v.nspan),
            "the most layers, up to nspan/4, that take at most a third of the span");
  }

  // Grid lines along the camber line at the edges, hub and casing averaged,
  // and no steeper than kMaxLineAngle.
  const auto at_hub = Section_metal_angles(v, Surface::hub, hub.contour);
  const auto at_casing = Section_metal_angles(v, Surface::casing, casing.contour);
  if (at_hub && at_casing) {
    auto line_angle = [&](const char* name, double& field, const char* edge, double hub_angle, double casing_angle) {
      const double mean = Rounded_angle((hub_angle + casing_angle) / 2.0);
      const double angle = std::clamp(mean, -kMaxLineAngle, kMaxLineAngle);
      std::string source = std::string(edge) + " metal angle, mean of hub " + Number(Rounded_angle(hub_angle)) +
                           " and casing " + Number(Rounded_angle(casing_angle));
      if (angle != mean) source += ", " + Number(mean) + " limited to " + Number(angle);
      set.Set(name, field, angle, source);
    };
    line_angle("betain", v.betain, "inlet", at_hub->inlet, at_casing->inlet);
    line_angle("betaout", v.betaout, "outlet", at_hub->outlet, at_casing->outlet);
  }
}

}  // namespace torvane::deck
