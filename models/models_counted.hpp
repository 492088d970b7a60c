// The models with a tally of kernel evaluations, for the benchmarks and for measurements of
// caching: each call adds to the caller's counter only, so the tally needs no shared state.
// Count and Cache may each be null.
#pragma once

#include "models/coil_factor_cache.hpp"

namespace veldo {

// Outer: evaluations of the model's integrand over the spatial frequency k (or u for the vertical
// coil), both quadrature runs together. Inner: evaluations of the vertical coil's inner integrand
// over v (0 for every other model).
// Reuse (read by the model): the real-part run takes the kernel values the imaginary-part run
// already computed at the same nodes. False evaluates every node of every run afresh, which gives
// the same numbers with more work: for measuring and testing the reuse.
// CoilFactors: coil factors evaluated (not found in a CoilFactorCache), both runs together.
struct KernelCount {
  long long Outer = 0;
  long long Inner = 0;
  long long CoilFactors = 0;
  bool Reuse = true;
};

void AirCoilReactance(int N, double R1, double R2, double L, double f, double Acc, double& X0, int& Ier,
                      KernelCount* Count);
void PlanarOneLayer(int N, double R1, double R2, double L, double f, double LO, double CON1, double MR1,
                    double Acc, double& dR, double& dX, int& Ier, KernelCount* Count,
                    CoilFactorCache* Cache = nullptr);
void PlanarTwoLayers(int N, double R1, double R2, double L, double f, double LO, double D1, double CON1,
                     double CON2, double MR1, double MR2, double Acc, double& dR, double& dX, int& Ier,
                     KernelCount* Count, CoilFactorCache* Cache = nullptr);
void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count,
                            CoilFactorCache* Cache = nullptr);
void CylinderInsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                             double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                             double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache = nullptr);
void CylinderOutsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                             double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count,
                             CoilFactorCache* Cache = nullptr);
void CylinderOutsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                              double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                              double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache = nullptr);
void VerticalCoilHalfSpace(int N, double R1, double R2, double L, double f, double LO, double CON1,
                           double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count,
                           CoilFactorCache* Cache = nullptr);

}  // namespace veldo
