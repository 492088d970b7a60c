// One entry point for every geometry, and the window's fixed cases as presets of it.
#include <initializer_list>
#include <limits>
#include <span>

#include "models/models.hpp"
#include "models/presets.hpp"
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

int PresetParamCount(PresetKind kind) {
  switch (kind) {
    case PresetKind::PlanarOneLayer:
    case PresetKind::CylinderInsideOneLayer:
    case PresetKind::CylinderOutsideOneLayer:
    case PresetKind::VerticalCoilHalfSpace: return 3;
    case PresetKind::PlanarTwoLayers:
    case PresetKind::CylinderInsideTwoLayers:
    case PresetKind::CylinderOutsideTwoLayers: return 6;
    case PresetKind::None: break;
  }
  return 0;
}

Probe PresetProbe(PresetKind kind, int N, double R1, double R2, double L) {
  Probe p;
  const CoilAxis axis = kind == PresetKind::VerticalCoilHalfSpace ? CoilAxis::Parallel : CoilAxis::Normal;
  p.coils.push_back(Coil{N, R1, R2, L, 0.0, 0.0, axis});
  return p;
}

Conductor PresetConductor(PresetKind kind, std::span<const double> v) {
  constexpr double kUnbounded = std::numeric_limits<double>::infinity();
  switch (kind) {
    case PresetKind::PlanarOneLayer:
    case PresetKind::VerticalCoilHalfSpace: return {Geometry::Plate, v[0], {{kUnbounded, v[1], v[2]}}};
    case PresetKind::PlanarTwoLayers: return {Geometry::Plate, v[0], {{v[1], v[2], v[4]}, {kUnbounded, v[3], v[5]}}};
    case PresetKind::CylinderInsideOneLayer: return {Geometry::Tube, v[0], {{kUnbounded, v[1], v[2]}}};
    case PresetKind::CylinderInsideTwoLayers:
      return {Geometry::Tube, v[0], {{v[1] - v[0], v[2], v[4]}, {kUnbounded, v[3], v[5]}}};
    case PresetKind::CylinderOutsideOneLayer: return {Geometry::Rod, v[0], {{v[0], v[1], v[2]}}};
    case PresetKind::CylinderOutsideTwoLayers:
      return {Geometry::Rod, v[0], {{v[0] - v[1], v[2], v[4]}, {v[1], v[3], v[5]}}};
    case PresetKind::None: break;
  }
  return {};
}

namespace {

// One case point through the general entry point.
void Preset(PresetKind kind, int N, double R1, double R2, double L, double f, std::initializer_list<double> params,
            double Acc, double& dR, double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache) {
  const Impedance z = Evaluate(PresetProbe(kind, N, R1, R2, L),
                               PresetConductor(kind, std::span<const double>(params.begin(), params.size())), f, Acc,
                               Count, Cache);
  dR = z.dR;
  dX = z.dX;
  Ier = z.Ier;
}

}  // namespace

void PlanarOneLayer(int N, double R1, double R2, double L, double f, double LO, double CON1, double MR1,
                    double Acc, double& dR, double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache) {
  Preset(PresetKind::PlanarOneLayer, N, R1, R2, L, f, {LO, CON1, MR1}, Acc, dR, dX, Ier, Count, Cache);
}
void PlanarTwoLayers(int N, double R1, double R2, double L, double f, double LO, double D1, double CON1,
                     double CON2, double MR1, double MR2, double Acc, double& dR, double& dX, int& Ier,
                     KernelCount* Count, CoilFactorCache* Cache) {
  Preset(PresetKind::PlanarTwoLayers, N, R1, R2, L, f, {LO, D1, CON1, CON2, MR1, MR2}, Acc, dR, dX, Ier, Count, Cache);
}
void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count,
                            CoilFactorCache* Cache) {
  Preset(PresetKind::CylinderInsideOneLayer, N, R1, R2, L, f, {B1, CON1, MR1}, Acc, dR, dX, Ier, Count, Cache);
}
void CylinderInsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                             double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                             double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache) {
  Preset(PresetKind::CylinderInsideTwoLayers, N, R1, R2, L, f, {B1, B2, CON1, CON2, MR1, MR2}, Acc, dR, dX, Ier, Count, Cache);
}
void CylinderOutsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                             double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count,
                             CoilFactorCache* Cache) {
  Preset(PresetKind::CylinderOutsideOneLayer, N, R1, R2, L, f, {B1, CON1, MR1}, Acc, dR, dX, Ier, Count, Cache);
}
void CylinderOutsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                              double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                              double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache) {
  Preset(PresetKind::CylinderOutsideTwoLayers, N, R1, R2, L, f, {B1, B2, CON1, CON2, MR1, MR2}, Acc, dR, dX, Ier, Count, Cache);
}
void VerticalCoilHalfSpace(int N, double R1, double R2, double L, double f, double LO, double CON1,
                           double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count,
                           CoilFactorCache* Cache) {
  Preset(PresetKind::VerticalCoilHalfSpace, N, R1, R2, L, f, {LO, CON1, MR1}, Acc, dR, dX, Ier, Count, Cache);
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
