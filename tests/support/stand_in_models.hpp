// Stand-in models for the Compute command, for the tests, fuzzers and benchmarks that run the
// command without the cost (or the physics) of the real models. Every case point arrives as one
// argument record, so a stand-in is one function of the arguments it cares about; the air-coil
// reference is another. The range check is the models library's own.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "app/compute.hpp"
#include "models/models.hpp"

namespace veldo::test {

// One call of a case model, every argument by its name. The one-layer models' (P, CON1, MR1)
// arrive as (P1, CON1, MR1) with P2 = CON2 = MR2 = 0.
struct ModelArgs {
  ModelKind model;
  int N;
  double R1, R2, L, f;
  double P1, P2, CON1, CON2, MR1, MR2;
  double Acc;

  bool TwoLayers() const {
    return model == ModelKind::PlanarTwoLayers || model == ModelKind::CylinderInsideTwoLayers ||
           model == ModelKind::CylinderOutsideTwoLayers;
  }
  // The case's parameters in the order of its table (and of the model's argument list).
  std::vector<double> Params() const {
    if (TwoLayers()) return {P1, P2, CON1, CON2, MR1, MR2};
    return {P1, CON1, MR1};
  }
};

// A case model's result for one call: dR, dX in ohms and the quadrature status.
using StandInPoint = std::function<void(const ModelArgs& a, double& dR, double& dX, int& Ier)>;

// An air-coil reference of a fixed reactance X0 (ohms) and status Ier, whatever the coil.
inline AirCoilFn FixedAirCoil(double X0, int Ier = 0) {
  return [X0, Ier](int, double, double, double, double, double, double& x0, int& ier) {
    x0 = X0;
    ier = Ier;
  };
}

// The model table: `airCoil` as the air-coil reference, `point` behind every case point.
// As re-entrant as the two functions given.
inline ModelTable StandInModels(AirCoilFn airCoil, StandInPoint point) {
  ModelTable t;
  t.AirCoilReactance = std::move(airCoil);
  t.CheckRange = CheckRange;
  t.Evaluate = [point](const CasePoint& c, double Acc, double& dR, double& dX, int& Ier) {
    const auto& v = c.params;
    ModelArgs a{c.model, c.N, c.R1, c.R2, c.L, c.f, v[0], 0, v[1], 0, v[2], 0, Acc};
    if (a.TwoLayers()) a = {c.model, c.N, c.R1, c.R2, c.L, c.f, v[0], v[1], v[2], v[3], v[4], v[5], Acc};
    point(a, dR, dX, Ier);
  };
  return t;
}

// The common shape: X0 fixed, every point a function of the first parameter only (LO or B1, m).
inline ModelTable StandInModels(double X0, std::function<void(double P, double& dR, double& dX, int& Ier)> point) {
  return StandInModels(FixedAirCoil(X0), [point = std::move(point)](const ModelArgs& a, double& dR,
                                                                    double& dX, int& Ier) {
    point(a.P1, dR, dX, Ier);
  });
}

}  // namespace veldo::test
