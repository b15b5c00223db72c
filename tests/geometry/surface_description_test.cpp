#include "geometry/surface_description.hpp"

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
  const Control_values values = Row(0.25, 0.5, 0.0, 0.0, 30);
  const Setup_values setup = Section_setup(values);
  EXPECT_EQ(setup.xrefcas, 0.0);
  EXPECT_EQ(setup.yrefcas, 0.0);
  EXPECT_EQ(setup.span, 0.25);
}

TEST(SectionSetup, LeanMovesTheCasingReferenceAlongTheLeanedLine) {
  // L is the positive root of L^2 + sqrt(3) L - 3 = 0; the arc on the casing
  // circle is 2 asin(sin(30 deg) L / 2).
  Control_values values = Row(1.0, 2.0, 30.0, 0.0, 30);
  const Setup_values setup = Section_setup(values);
  double length = (std::sqrt(15.0) - std::sqrt(3.0)) / 2.0;
  EXPECT_NEAR(length, 1.070466, 1e-6);
  EXPECT_NEAR(setup.yrefcas, 2.0 * std::asin(0.5 * length / 2.0), 1e-14);
  EXPECT_NEAR(setup.yrefcas, 0.541837, 1e-6);
}

TEST(SectionSetup, SweepMovesTheCasingReferenceAxially) {
  Control_values values = Row(0.25, 0.75, 0.0, 45.0, 30);
  const Setup_values setup = Section_setup(values);
  EXPECT_LE(std::fabs(setup.xrefcas - 0.5), std::nextafter(0.5, 1.0) - 0.5);
}

TEST(SurfaceDescription, ConvertsTheAnglesAndLeavesTheDeckValuesAsRead) {
  Control_values values = Row(0.25, 0.5, 0.0, 0.0, 36);
  values.betain = -60.0;
  values.betaout = 90.0;
  values.staghub = 40.0;
  values.stagcas = 1.0;
  const Control_values read = values;
  const Surface_description hub = Describe_surface(Surface::hub, values);
  const Surface_description casing = Describe_surface(Surface::casing, values);
  EXPECT_EQ(hub.geometry.dphi, 0.17453292519943295);
  EXPECT_EQ(hub.geometry.betain, -60.0 * 0.017453292519943295);
  EXPECT_EQ(hub.geometry.betaout, 90.0 * 0.017453292519943295);
  EXPECT_EQ(hub.geometry.stagger, 40.0 * 0.017453292519943295);
  EXPECT_EQ(casing.geometry.stagger, 0.017453292519943295);
  EXPECT_EQ(casing.geometry.betain, hub.geometry.betain);
  EXPECT_EQ(values.betain, read.betain);
  EXPECT_EQ(values.staghub, read.staghub);
  EXPECT_EQ(values.stagcas, read.stagcas);
}

// Hub and casing differ in their plane, radius, chord, stagger, reference
// point and edge spacings; everything else is the deck's.
TEST(SurfaceDescription, TheCasingTakesItsOwnRadiusChordPlaneAndScaledSpacings) {
  Control_values values = Row(0.25, 0.5, 0.0, 45.0, 30);
  values.nin = 20;
  values.nblade = 60;
  values.nout = 30;
  values.npitch = 32;
  values.nspan = 16;
  values.nwall = 5;
  values.chordcas = 0.12;
  values.dsle = 0.0003;
  values.dywle = 0.0004;
  values.dste = 0.0005;
  values.dywte = 0.0006;
  values.dyout = 0.001;
  values.ratio = 1.2;
  values.lin = 0.05;
  values.lx = 0.16;
  values.ibez = 1;
  const Surface_description hub = Describe_surface(Surface::hub, values);
  const Surface_description casing = Describe_surface(Surface::casing, values);

  EXPECT_EQ(hub.surface, Surface::hub);
  EXPECT_EQ(casing.surface, Surface::casing);
  for (const auto& [d, k] : {std::pair{hub, 1}, std::pair{casing, 17}}) {
    const Section_sizes& z = d.sizes;
    EXPECT_EQ(z.k, k);
    EXPECT_EQ(z.ie, 81);
    EXPECT_EQ(z.je, 33);
    EXPECT_EQ(z.ile, 21);
    EXPECT_EQ(z.ite, 51);
    EXPECT_EQ(z.nwall, 5);
    EXPECT_EQ(d.ibez, 1);
    EXPECT_EQ(d.geometry.lin, 0.05);
    EXPECT_EQ(d.geometry.lx, 0.16);
    EXPECT_EQ(d.spacings.dyout, 0.001);
    EXPECT_EQ(d.spacings.ratio, 1.2);
  }
  EXPECT_EQ(hub.geometry.radius, 0.25);
  EXPECT_EQ(casing.geometry.radius, 0.5);
  EXPECT_EQ(hub.geometry.chord, 0.06);
  EXPECT_EQ(casing.geometry.chord, 0.12);
  EXPECT_EQ(hub.geometry.xref, 0.0);
  EXPECT_LE(std::fabs(casing.geometry.xref - 0.25), std::nextafter(0.25, 1.0) - 0.25);
  EXPECT_EQ(hub.spacings.dsle, 0.0003);
  EXPECT_EQ(casing.spacings.dsle, 0.0006);
  EXPECT_EQ(casing.spacings.dywle, 0.0008);
  EXPECT_EQ(casing.spacings.dste, 0.001);
  EXPECT_EQ(casing.spacings.dywte, 0.0012);
}

TEST(SurfaceDescription, TheCasingSpacingsMultiplyBeforeTheyDivide) {
  // (d * chordcas) / chordhub and d * (chordcas / chordhub) differ in the last bit here.
  Control_values values = Row(0.25, 0.5, 0.0, 0.0, 30);
  values.chordhub = 0.07;
  values.chordcas = 0.09;
  values.dsle = 0.0005;
  double product_first = 0.0005 * 0.09 / 0.07;
  double ratio_first = 0.0005 * (0.09 / 0.07);
  ASSERT_NE(product_first, ratio_first);
  EXPECT_EQ(Describe_surface(Surface::casing, values).spacings.dsle, product_first);
}

}  // namespace
}  // namespace torvane
