// Set-up of the hub and casing sections: angles to radians, the pitch angle,
// the span, the casing section's position from sweep and lean, and the casing
// spacings scaled by the chord ratio.
#pragma once

#include "control/control_input.hpp"

namespace torvane {

// Degrees to radians, the factor every angle of the deck is multiplied by.
inline constexpr double kDegree = 0.017453292519943295;

// Values the set-up derives, kept for the whole run.
struct Setup_values {
  double dphi;     // pitch angle, radians
  double span;     // rcas - rhub
  double xrefcas;  // axial position of the casing reference point
  double yrefcas;  // arc position of the casing reference point
};

// Converts the six angles to radians in place and derives the set-up values.
Setup_values Section_setup(Control_values& values);

// Scales dsle, dywle, dste and dywte for the casing build: (d * chordcas) / chordhub.
void Scale_casing_spacings(Control_values& values);

}  // namespace torvane
