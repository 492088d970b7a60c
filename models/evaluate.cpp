// One entry point for every geometry, and the window's fixed cases as presets of it.
#include <limits>

#include "models/models.hpp"
#include "models/problem.hpp"
#include "models/stack_models.hpp"

namespace veldo {

Impedance Evaluate(const Probe& probe, const Conductor& conductor, double f, double Acc, KernelCount* count,
                   CoilFactorCache* cache) {
  if (probe.pickup != probe.drive)
    return EvaluatePair(probe.coils[probe.drive], probe.coils[probe.pickup], conductor, f, Acc, count, cache);
  Impedance z;
  const Coil& coil = probe.coils[probe.drive];
  if (conductor.geometry != Geometry::Plate) {
    models_detail::CylinderCoil(coil, conductor, f, Acc, z, count, cache);
  } else if (coil.axis == CoilAxis::Parallel) {
    models_detail::PlanarParallelCoil(coil, conductor.position, conductor.layers, f, Acc, z, count, cache);
  } else {
    models_detail::PlanarNormalCoil(coil, conductor.position, conductor.layers, f, Acc, z, count, cache);
  }
  return z;
}

Impedance EvaluatePair(const Coil& drive, const Coil& pickup, const Conductor& conductor, double f, double Acc,
                       KernelCount* count, CoilFactorCache* cache) {
  Impedance z;
  if (conductor.geometry != Geometry::Plate)
    models_detail::CylinderPair(drive, pickup, conductor, f, Acc, z, count, cache);
  else
    models_detail::PlanarPair(drive, pickup, conductor.position, conductor.layers, f, Acc, z, count, cache);
  return z;
}

TComplex InductanceAt(const Coil& drive, const Coil& pickup, const Conductor& conductor, const TComplex& p, double Acc,
                      int& Ier, Workspace& ws) {
  if (conductor.geometry != Geometry::Plate)
    return models_detail::CylinderPairLaplace(drive, pickup, conductor, p, Acc, Ier, &ws.cache);
  return models_detail::PlanarPairLaplace(drive, pickup, conductor.position, conductor.layers, p, Acc, Ier, &ws.cache);
}

Impedance EvaluatePair(const Coil& drive, const Coil& pickup, const Conductor& conductor, double f, double Acc,
                       Workspace& ws) {
  return EvaluatePair(drive, pickup, conductor, f, Acc, &ws.count, &ws.cache);
}

Impedance Evaluate(const Probe& probe, const Conductor& conductor, double f, double Acc, Workspace& ws) {
  return Evaluate(probe, conductor, f, Acc, &ws.count, &ws.cache);
}

Impedance Evaluate(const Probe& probe, const Conductor& conductor, double f, double Acc) {
  return Evaluate(probe, conductor, f, Acc, nullptr, nullptr);
}

namespace {

constexpr double kUnbounded = std::numeric_limits<double>::infinity();

Probe OneCoil(int N, double R1, double R2, double L, CoilAxis axis = CoilAxis::Normal) {
  Probe p;
  p.coils.push_back(Coil{N, R1, R2, L, 0.0, 0.0, axis});
  return p;
}

void Out(const Impedance& z, double& dR, double& dX, int& Ier) {
  dR = z.dR;
  dX = z.dX;
  Ier = z.Ier;
}

}  // namespace

// The window's cases, each a problem of one coil over a stack of one or two layers. A two-layer
// bore or rod gives its interface as a radius; the shell between is its thickness, which gives the
// interface back exactly whenever the two radii are within a factor of two of each other.
void PlanarOneLayer(int N, double R1, double R2, double L, double f, double LO, double CON1, double MR1,
                    double Acc, double& dR, double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache) {
  const Conductor c{Geometry::Plate, LO, {{kUnbounded, CON1, MR1}}};
  Out(Evaluate(OneCoil(N, R1, R2, L), c, f, Acc, Count, Cache), dR, dX, Ier);
}
void PlanarTwoLayers(int N, double R1, double R2, double L, double f, double LO, double D1, double CON1,
                     double CON2, double MR1, double MR2, double Acc, double& dR, double& dX, int& Ier,
                     KernelCount* Count, CoilFactorCache* Cache) {
  const Conductor c{Geometry::Plate, LO, {{D1, CON1, MR1}, {kUnbounded, CON2, MR2}}};
  Out(Evaluate(OneCoil(N, R1, R2, L), c, f, Acc, Count, Cache), dR, dX, Ier);
}
void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count,
                            CoilFactorCache* Cache) {
  const Conductor c{Geometry::Tube, B1, {{kUnbounded, CON1, MR1}}};
  Out(Evaluate(OneCoil(N, R1, R2, L), c, f, Acc, Count, Cache), dR, dX, Ier);
}
void CylinderInsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                             double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                             double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache) {
  const Conductor c{Geometry::Tube, B1, {{B2 - B1, CON1, MR1}, {kUnbounded, CON2, MR2}}};
  Out(Evaluate(OneCoil(N, R1, R2, L), c, f, Acc, Count, Cache), dR, dX, Ier);
}
void CylinderOutsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                             double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count,
                             CoilFactorCache* Cache) {
  const Conductor c{Geometry::Rod, B1, {{B1, CON1, MR1}}};
  Out(Evaluate(OneCoil(N, R1, R2, L), c, f, Acc, Count, Cache), dR, dX, Ier);
}
void CylinderOutsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                              double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                              double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache) {
  const Conductor c{Geometry::Rod, B1, {{B1 - B2, CON1, MR1}, {B2, CON2, MR2}}};
  Out(Evaluate(OneCoil(N, R1, R2, L), c, f, Acc, Count, Cache), dR, dX, Ier);
}
void VerticalCoilHalfSpace(int N, double R1, double R2, double L, double f, double LO, double CON1,
                           double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count,
                           CoilFactorCache* Cache) {
  const Conductor c{Geometry::Plate, LO, {{kUnbounded, CON1, MR1}}};
  Out(Evaluate(OneCoil(N, R1, R2, L, CoilAxis::Parallel), c, f, Acc, Count, Cache), dR, dX, Ier);
}

void PlanarOneLayer(int N, double R1, double R2, double L, double f, double LO, double CON1, double MR1,
                    double Acc, double& dR, double& dX, int& Ier) {
  PlanarOneLayer(N, R1, R2, L, f, LO, CON1, MR1, Acc, dR, dX, Ier, nullptr, nullptr);
}
void PlanarOneLayer(int N, double R1, double R2, double L, double f, double LO, double CON1, double MR1,
                    double Acc, double& dR, double& dX, int& Ier, CoilFactorCache& Cache) {
  PlanarOneLayer(N, R1, R2, L, f, LO, CON1, MR1, Acc, dR, dX, Ier, nullptr, &Cache);
}
void PlanarTwoLayers(int N, double R1, double R2, double L, double f, double LO, double D1, double CON1,
                     double CON2, double MR1, double MR2, double Acc, double& dR, double& dX, int& Ier) {
  PlanarTwoLayers(N, R1, R2, L, f, LO, D1, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr, nullptr);
}
void PlanarTwoLayers(int N, double R1, double R2, double L, double f, double LO, double D1, double CON1,
                     double CON2, double MR1, double MR2, double Acc, double& dR, double& dX, int& Ier,
                     CoilFactorCache& Cache) {
  PlanarTwoLayers(N, R1, R2, L, f, LO, D1, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr, &Cache);
}
void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier) {
  CylinderInsideOneLayer(N, R1, R2, L, f, B1, CON1, MR1, Acc, dR, dX, Ier, nullptr, nullptr);
}
void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier, CoilFactorCache& Cache) {
  CylinderInsideOneLayer(N, R1, R2, L, f, B1, CON1, MR1, Acc, dR, dX, Ier, nullptr, &Cache);
}
void CylinderInsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                             double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                             double& dX, int& Ier) {
  CylinderInsideTwoLayers(N, R1, R2, L, f, B1, B2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr, nullptr);
}
void CylinderInsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                             double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                             double& dX, int& Ier, CoilFactorCache& Cache) {
  CylinderInsideTwoLayers(N, R1, R2, L, f, B1, B2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr, &Cache);
}
void CylinderOutsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                             double MR1, double Acc, double& dR, double& dX, int& Ier) {
  CylinderOutsideOneLayer(N, R1, R2, L, f, B1, CON1, MR1, Acc, dR, dX, Ier, nullptr, nullptr);
}
void CylinderOutsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                             double MR1, double Acc, double& dR, double& dX, int& Ier, CoilFactorCache& Cache) {
  CylinderOutsideOneLayer(N, R1, R2, L, f, B1, CON1, MR1, Acc, dR, dX, Ier, nullptr, &Cache);
}
void CylinderOutsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                              double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                              double& dX, int& Ier) {
  CylinderOutsideTwoLayers(N, R1, R2, L, f, B1, B2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr, nullptr);
}
void CylinderOutsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                              double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                              double& dX, int& Ier, CoilFactorCache& Cache) {
  CylinderOutsideTwoLayers(N, R1, R2, L, f, B1, B2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr, &Cache);
}
void VerticalCoilHalfSpace(int N, double R1, double R2, double L, double f, double LO, double CON1,
                           double MR1, double Acc, double& dR, double& dX, int& Ier) {
  VerticalCoilHalfSpace(N, R1, R2, L, f, LO, CON1, MR1, Acc, dR, dX, Ier, nullptr, nullptr);
}
void VerticalCoilHalfSpace(int N, double R1, double R2, double L, double f, double LO, double CON1,
                           double MR1, double Acc, double& dR, double& dX, int& Ier, CoilFactorCache& Cache) {
  VerticalCoilHalfSpace(N, R1, R2, L, f, LO, CON1, MR1, Acc, dR, dX, Ier, nullptr, &Cache);
}

}  // namespace veldo
