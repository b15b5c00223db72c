#include "geometry/surface_description.hpp"

#include <cmath>

namespace torvane {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// A casing edge spacing: the hub's, scaled by the chord ratio, product first.
double Casing_spacing(double hub_spacing, const Control_values& v) { return hub_spacing * v.chordcas / v.chordhub; }

}  // namespace

Grid_sizes Derive_grid_sizes(const Control_values& values) {
  Grid_sizes sizes{};
  sizes.ile = values.nin + 1;
  sizes.ite = values.nin + values.nblade / 2 + 1;
  sizes.ie = values.nin + values.nblade / 2 + values.nout + 1;
  sizes.je = values.npitch + 1;
  sizes.ke = values.nspan + 1;
  return sizes;
}

Setup_values Section_setup(const Control_values& v) {
  Setup_values setup{};
  setup.dphi = kTwoPi / static_cast<double>(v.nbrow);
  const double lean = v.lean * kDegree;
  const double sweep = v.sweep * kDegree;
  setup.span = v.rcas - v.rhub;

  // The leaned line from the hub reference point to the casing circle: L is
  // the positive root of L^2 + 2 rhub cos(lean) L + rhub^2 - rcas^2 = 0.
  const double span = setup.span;
  const double b = 2.0 * v.rhub * std::cos(lean) * span;
  const double discriminant = b * b - 4.0 * (span * span) * (v.rhub * v.rhub - v.rcas * v.rcas);
  const double t = (std::sqrt(discriminant) - b) / (2.0 * (span * span));
  const double length = t * span;
  setup.yrefcas = v.rcas * std::asin(std::sin(lean) * length / v.rcas);
  setup.xrefcas = span * std::tan(sweep);
  return setup;
}

Surface_description Describe_surface(Surface surface, const Control_values& v, const Conformal_map* map) {
  const bool hub = surface == Surface::hub;
  const Grid_sizes sizes = Derive_grid_sizes(v);
  const Setup_values setup = Section_setup(v);
  Surface_description d{};
  d.surface = surface;
  d.sizes = {sizes.ie, sizes.je, v.nin, v.nout, v.npitch, sizes.ile, sizes.ite, v.nwall, hub ? 1 : sizes.ke};
  d.geometry = {setup.dphi,
                v.betain * kDegree,
                v.betaout * kDegree,
                (hub ? v.staghub : v.stagcas) * kDegree,
                hub ? 0.0 : setup.xrefcas,
                hub ? 0.0 : setup.yrefcas,
                hub ? v.chordhub : v.chordcas,
                hub ? v.rhub : v.rcas,
                v.lin,
                v.lx};
  d.spacings = {hub ? v.dsle : Casing_spacing(v.dsle, v),
                hub ? v.dywle : Casing_spacing(v.dywle, v),
                hub ? v.dste : Casing_spacing(v.dste, v),
                hub ? v.dywte : Casing_spacing(v.dywte, v),
                v.dyout,
                v.ratio};
  d.ibez = v.ibez;
  d.map = map;
  return d;
}

}  // namespace torvane
