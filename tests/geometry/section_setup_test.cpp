#include "geometry/section_setup.hpp"

#include <cmath>

#include <gtest/gtest.h>

namespace torvane {
namespace {

Control_values Row(double rhub, double rcas, double lean, double sweep, int nbrow) {
  Control_values values;
  values.rhub = rhub;
  values.rcas = rcas;
  values.lean = lean;
  values.sweep = sweep;
  values.nbrow = nbrow;
  values.chordhub = 0.06;
  values.chordcas = 0.06;
  return values;
}

TEST(SectionSetup, WithoutLeanOrSweepTheCasingReferenceIsTheOrigin) {
  Control_values values = Row(0.25, 0.5, 0.0, 0.0, 30);
  Setup_values setup = Section_setup(values);
  EXPECT_EQ(setup.xrefcas, 0.0);
  EXPECT_EQ(setup.yrefcas, 0.0);
  EXPECT_EQ(setup.span, 0.25);
}

TEST(SectionSetup, LeanMovesTheCasingReferenceAlongTheLeanedLine) {
  // L is the positive root of L^2 + sqrt(3) L - 3 = 0; the arc on the casing
  // circle is 2 asin(sin(30 deg) L / 2).
  Control_values values = Row(1.0, 2.0, 30.0, 0.0, 30);
  Setup_values setup = Section_setup(values);
  double length = (std::sqrt(15.0) - std::sqrt(3.0)) / 2.0;
  EXPECT_NEAR(length, 1.070466, 1e-6);
  EXPECT_NEAR(setup.yrefcas, 2.0 * std::asin(0.5 * length / 2.0), 1e-14);
  EXPECT_NEAR(setup.yrefcas, 0.541837, 1e-6);
}

TEST(SectionSetup, SweepMovesTheCasingReferenceAxially) {
  Control_values values = Row(0.25, 0.75, 0.0, 45.0, 30);
  Setup_values setup = Section_setup(values);
  EXPECT_LE(std::fabs(setup.xrefcas - 0.5), std::nextafter(0.5, 1.0) - 0.5);
}

TEST(SectionSetup, ConvertsTheAnglesInPlaceAndDerivesThePitchAngle) {
  Control_values values = Row(0.25, 0.5, 0.0, 0.0, 36);
  values.betain = -60.0;
  values.betaout = 90.0;
  values.staghub = 40.0;
  values.stagcas = 1.0;
  Setup_values setup = Section_setup(values);
  EXPECT_EQ(setup.dphi, 0.17453292519943295);
  EXPECT_EQ(values.betain, -60.0 * 0.017453292519943295);
  EXPECT_EQ(values.betaout, 90.0 * 0.017453292519943295);
  EXPECT_EQ(values.staghub, 40.0 * 0.017453292519943295);
  EXPECT_EQ(values.stagcas, 0.017453292519943295);
}

TEST(SectionSetup, TheCasingSpacingsScaleWithTheChordRatio) {
  Control_values values = Row(0.25, 0.5, 0.0, 0.0, 30);
  values.chordcas = 0.12;
  values.dsle = 0.0003;
  values.dywle = 0.0004;
  values.dste = 0.0005;
  values.dywte = 0.0006;
  values.dzwall = 0.006;
  values.dyout = 0.001;
  Scale_casing_spacings(values);
  EXPECT_EQ(values.dsle, 0.0006);
  EXPECT_EQ(values.dywle, 0.0008);
  EXPECT_EQ(values.dste, 0.001);
  EXPECT_EQ(values.dywte, 0.0012);
  EXPECT_EQ(values.dzwall, 0.006);
  EXPECT_EQ(values.dyout, 0.001);
}

TEST(SectionSetup, TheScalingMultipliesBeforeItDivides) {
  // (d * chordcas) / chordhub and d * (chordcas / chordhub) differ in the last bit here.
  Control_values values = Row(0.25, 0.5, 0.0, 0.0, 30);
  values.chordhub = 0.07;
  values.chordcas = 0.09;
  values.dsle = 0.0005;
  double product_first = 0.0005 * 0.09 / 0.07;
  double ratio_first = 0.0005 * (0.09 / 0.07);
  ASSERT_NE(product_first, ratio_first);
  Scale_casing_spacings(values);
  EXPECT_EQ(values.dsle, product_first);
}

}  // namespace
}  // namespace torvane
