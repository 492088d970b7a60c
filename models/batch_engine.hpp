// The batch engine: many points of one probe (one coil, many conductors and frequencies) on one
// set of spatial-frequency nodes. The nodes are Gauss-Kronrod panels (7-point Gauss embedded in
// 15-point Kronrod) on a grid chosen from the coil, the batch's lift-offs or gaps and its skin
// depths, extended until a bound of the remaining tail is below the accuracy of every point. The
// coil factor is computed once per node for the batch; the conductor's response runs over all
// points at one node in plain loops over arrays of doubles. Every point gets its own Kronrod
// error estimate per part (real and imaginary) plus its tail bound; a point whose estimate exceeds
// its accuracy (relative to |dZ|) is computed again by the adaptive path (Evaluate), and so is
// every point of a batch that raised a floating-point fault flag, each point on its own so that a
// fault is reported on the point that raises it. No point is worse than Evaluate would make it.
#pragma once

#include <span>

#include "models/problem.hpp"

namespace veldo {

struct BatchOutcome {
  long long points = 0;     // points evaluated
  long long fallbacks = 0;  // of them, computed again (or only) by the adaptive path
};

// Evaluates the impedance change of `probe` over conductors[i] at frequency f[i] for every i at
// relative accuracy Acc, into out[i]. raised[i] receives the floating-point fault flags
// (FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID) that point's adaptive evaluation raised (0 for points
// the batch path computed; a batch that raises a flag is redone point by point). Inputs as
// Evaluate takes them (the front ends' checks passed). The flags are cleared on return; the
// workspace is the calling thread's.
BatchOutcome EvaluateBatch(const Probe& probe, std::span<const Conductor* const> conductors, std::span<const double> f,
                           double Acc, std::span<Impedance> out, std::span<int> raised, Workspace& ws);

// Delta L(p_i) - Delta L(inf) [H] for every Laplace variable p_i (the conductor's part of the
// pair's transfer inductance less the perfect conductor's limit, InductanceAt's values) at relative
// accuracy Acc, into out, and the largest status of the points the adaptive path computed into
// Ier. Over a plate with both coils normal to it, on one set of kappa nodes for all p (the batch
// engine's panels, the coil factor once per node); a point whose estimate misses Acc, every point
// of a batch that raised a floating-point fault flag, and every point of another geometry goes
// through InductanceAt. The flags are cleared on return; the workspace is the calling thread's.
BatchOutcome InductanceChanges(const Coil& drive, const Coil& pickup, const Conductor& conductor,
                               std::span<const TComplex> p, double Acc, std::span<TComplex> out, int& Ier,
                               Workspace& ws);

}  // namespace veldo
