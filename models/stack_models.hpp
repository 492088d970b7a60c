// The three kernels behind Evaluate: a coil normal to a planar stack, a coil parallel to it, and a
// coil coaxial with a cylindrical stack (inside a bore or round a rod).
#pragma once

#include <vector>

#include "models/problem.hpp"
#include "numerics/complex.hpp"

namespace veldo::models_detail {

void PlanarNormalCoil(const Coil& coil, double liftOff, const std::vector<Layer>& layers, double f, double Acc,
                      Impedance& out, KernelCount* Count, CoilFactorCache* Cache);
void PlanarPair(const Coil& drive, const Coil& pickup, double liftOff, const std::vector<Layer>& layers, double f,
                double Acc, Impedance& out, KernelCount* Count, CoilFactorCache* Cache);
TComplex PlanarPairLaplace(const Coil& drive, const Coil& pickup, double liftOff, const std::vector<Layer>& layers,
                           const TComplex& p, double Acc, int& Ier, CoilFactorCache* Cache);
TComplex CylinderPairLaplace(const Coil& drive, const Coil& pickup, const Conductor& conductor, const TComplex& p,
                             double Acc, int& Ier, CoilFactorCache* Cache);
void CylinderPair(const Coil& drive, const Coil& pickup, const Conductor& conductor, double f, double Acc,
                  Impedance& out, KernelCount* Count, CoilFactorCache* Cache);
void PlanarParallelCoil(const Coil& coil, double liftOff, const std::vector<Layer>& layers, double f,
                        double Acc, Impedance& out, KernelCount* Count, CoilFactorCache* Cache);
void CylinderCoil(const Coil& coil, const Conductor& conductor, double f, double Acc, Impedance& out,
                  KernelCount* Count, CoilFactorCache* Cache);

}  // namespace veldo::models_detail
