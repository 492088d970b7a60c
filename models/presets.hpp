// The window's fixed geometry cases as problems of the general description: one coil over a
// stack of one or two layers, built from the case's parameters in the models' argument order
// after the frequency (one layer: LO or B1, CON1, MR1; two layers: LO or B1, D1 or B2, CON1,
// CON2, MR1, MR2), in SI units.
#pragma once

#include <span>

#include "models/problem.hpp"

namespace veldo {

enum class PresetKind {
  None,                      // the sphere groups: no computation
  PlanarOneLayer,            // LO, CON1, MR1
  PlanarTwoLayers,           // LO, D1, CON1, CON2, MR1, MR2
  CylinderInsideOneLayer,    // B1, CON1, MR1
  CylinderInsideTwoLayers,   // B1, B2, CON1, CON2, MR1, MR2
  CylinderOutsideOneLayer,   // B1, CON1, MR1
  CylinderOutsideTwoLayers,  // B1, B2, CON1, CON2, MR1, MR2
  VerticalCoilHalfSpace,     // LO, CON1, MR1
};

// The number of parameters after the frequency: 3 or 6 (0 for None).
int PresetParamCount(PresetKind kind);

// The probe of a case: its one coil, lying parallel to the surface for VerticalCoilHalfSpace.
Probe PresetProbe(PresetKind kind, int N, double R1, double R2, double L);

// The conductor of a case. A two-layer bore or rod gives its interface as a radius; the shell
// between is its thickness (B2 - B1 in a bore, B1 - B2 round the core of a rod), which gives the
// interface back exactly whenever the two radii are within a factor of two of each other.
Conductor PresetConductor(PresetKind kind, std::span<const double> params);

}  // namespace veldo
