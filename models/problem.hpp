// The test problem as a value: a probe (its coils) over a conductor (a planar stack at a lift-off,
// or a cylindrical stack round the coil or inside it), evaluated at one frequency and accuracy.
// Every geometry goes through Evaluate: the kernel is the coil factor (the coil alone) times the
// conductor's response at the spatial frequency (the conductor alone), so a new stack or a new
// probe is a new value, not a new model.
//
// SI units throughout: metres, hertz, siemens per metre, relative permeabilities; Acc a relative
// accuracy (0.0001 means 0.01 %).
#pragma once

#include <cmath>
#include <vector>

#include "models/coil_factor_cache.hpp"
#include "models/models_counted.hpp"
#include "numerics/complex.hpp"

namespace veldo {

// How a coil's axis stands to a plate: normal to its surface, or parallel to it (the coil lying
// on its side, its outermost turns nearest the surface). In a tube or round a rod the axis is the
// cylinder's.
enum class CoilAxis { Normal, Parallel };

// A winding of rectangular cross-section, uniform current density: N turns between the radii R1
// and R2, height L. z: its lower face above the probe's reference (which a plate's lift-off puts
// above the surface; along the axis in a tube or round a rod). x: the lateral offset of its axis
// over a plate (a single coil over an unbounded plate does not see it).
struct Coil {
  int N = 1;
  double R1 = 0, R2 = 0, L = 0;
  double z = 0, x = 0;
  CoilAxis axis = CoilAxis::Normal;
};

// The coils of a probe and which of them is measured: the voltage of coil `pickup` per ampere in
// coil `drive` (the same coil: its own impedance change; two coils: their transfer impedance).
struct Probe {
  std::vector<Coil> coils;
  std::size_t drive = 0, pickup = 0;
};

// One layer of a stack: thickness, conductivity and relative permeability. The last layer of a
// stack is unbounded (a plate's half-space, a tube's surrounding medium, a rod's core to the
// axis) and its thickness is not read. sigma = 0 is a gap or a coat of paint, an ordinary layer.
struct Layer {
  double thickness = 0;
  double sigma = 0;
  double mur = 1;
};

enum class Geometry {
  Plate,  // planar layers from the surface down; position = the probe reference's lift-off
  Tube,   // the coil inside a bore of radius position; layers outward
  Rod,    // the coil round a rod of outer radius position; layers inward, the last to the axis
};

struct Conductor {
  Geometry geometry = Geometry::Plate;
  double position = 0;
  std::vector<Layer> layers;
};

// The impedance change the conductor causes, dR + j dX [ohm], and the status of the two
// quadrature runs: 0 both reached Acc, 1 only the real-part run failed, 2 only the imaginary-part
// run, 3 both. dR and dX are the best estimates whatever Ier says.
struct Impedance {
  double dR = 0, dX = 0;
  int Ier = 0;
};

// What one thread keeps from one evaluation to the next: the coil factors of the recurring
// quadrature nodes, and the tally of kernel evaluations. Not synchronised: one per thread.
struct Workspace {
  CoilFactorCache cache;
  KernelCount count;
  explicit Workspace(std::size_t slots = CoilFactorCache::kDefaultSlots) : cache(slots) {}
};

// The impedance change of the probe's coil over the conductor at frequency f. The inputs are
// taken as the checks of the front ends accept them (a coil 0 <= R1 < R2, L > 0, N >= 1 that
// fits the bore or encloses the rod; at least one layer, finite non-negative thicknesses,
// sigma >= 0 and mur > 0 as the physics needs). Re-entrant: any number of calls may run at once
// on different threads, each with its own workspace.
Impedance Evaluate(const Probe& probe, const Conductor& conductor, double f, double Acc, Workspace& ws);

// The same without keeping coil factors between calls (every node evaluated), or with the
// caller's tally and cache (either may be null).
Impedance Evaluate(const Probe& probe, const Conductor& conductor, double f, double Acc);
Impedance Evaluate(const Probe& probe, const Conductor& conductor, double f, double Acc, KernelCount* count,
                   CoilFactorCache* cache);

// The transfer impedance Z21 = V2 / I1 that the conductor adds between a drive and a pickup coil,
// axes parallel (coaxial in a tube or round a rod; over a plate side by side at their lateral
// offsets x, both normal to it). Reciprocal: swapping the coils changes at most the last bits.
// A pickup that is the drive gives the drive's own impedance change, bit for bit Evaluate's.
Impedance EvaluatePair(const Coil& drive, const Coil& pickup, const Conductor& conductor, double f, double Acc,
                       Workspace& ws);
Impedance EvaluatePair(const Coil& drive, const Coil& pickup, const Conductor& conductor, double f, double Acc,
                       KernelCount* count, CoilFactorCache* cache);

// Delta L(p) = Delta Z(p) / p [H], the conductor's part of the pair's transfer inductance at a
// complex Laplace variable p (Re p may be negative: the contours of a transient's inversion), over
// a plate, in a tube or round a rod. At p = j omega, Delta Z / (j omega).
TComplex InductanceAt(const Coil& drive, const Coil& pickup, const Conductor& conductor, const TComplex& p, double Acc,
                      int& Ier, Workspace& ws);

// The mutual inductance [H] of two windings in air, axes parallel at their lateral offsets x,
// their spans [z, z + L] along the axis; Ier is the quadrature's IER (0: reached Acc). For one
// winding with itself its inductance.
double MutualInductance(const Coil& a, const Coil& b, double Acc, int& Ier);

}  // namespace veldo
