#include "geometry/section_setup.hpp"

#include <cmath>

namespace torvane {

namespace {

constexpr double kTwoPi = 6.283185307179586;

}  // namespace

Setup_values Section_setup(Control_values& v) {
  Setup_values setup{};
  setup.dphi = kTwoPi / static_cast<double>(v.nbrow);
  v.lean = v.lean * kDegree;
  v.sweep = v.sweep * kDegree;
  v.betain = v.betain * kDegree;
  v.betaout = v.betaout * kDegree;
  v.staghub = v.staghub * kDegree;
  v.stagcas = v.stagcas * kDegree;
  setup.span = v.rcas - v.rhub;

  // The leaned line from the hub reference point to the casing circle: L is
  // the positive root of L^2 + 2 rhub cos(lean) L + rhub^2 - rcas^2 = 0.
  double span = setup.span;
  double b = 2.0 * v.rhub * std::cos(v.lean) * span;
  double discriminant = b * b - 4.0 * (span * span) * (v.rhub * v.rhub - v.rcas * v.rcas);
  double t = (std::sqrt(discriminant) - b) / (2.0 * (span * span));
  double length = t * span;
  setup.yrefcas = v.rcas * std::asin(std::sin(v.lean) * length / v.rcas);
  setup.xrefcas = span * std::tan(v.sweep);
  return setup;
}

void Scale_casing_spacings(Control_values& v) {
  v.dsle = v.dsle * v.chordcas / v.chordhub;
  v.dywle = v.dywle * v.chordcas / v.chordhub;
  v.dste = v.dste * v.chordcas / v.chordhub;
  v.dywte = v.dywte * v.chordcas / v.chordhub;
}

}  // namespace torvane
