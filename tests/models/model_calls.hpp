// Uniform access to the seven models for table-driven tests: one parameter record, one call.
#pragma once

#include <string>

#include "models/models_counted.hpp"

namespace veldo::test {

// Model names as the case table calls them.
enum class Model { Planar1, Planar2, Inside1, Inside2, Outside1, Outside2, Vertical };

// All inputs in SI units. LO for cases 1, 2, 9; D1 for case 2; B1, B2 for the cylinders.
struct ModelInput {
  int N = 200;
  double R1 = 2e-3, R2 = 4e-3, L = 1e-3, f = 1e5;
  double LO = 0.1e-3, D1 = 0.1e-3, B1 = 10e-3, B2 = 12e-3;
  double CON1 = 1e6, CON2 = 35.4e6, MR1 = 1.0, MR2 = 1.0;
  double Acc = 1e-4;
};

struct ModelOutput {
  double dR = 0.0, dX = 0.0;
  int Ier = -1;
};

inline ModelOutput RunModel(Model m, const ModelInput& in, KernelCount* count = nullptr,
                            CoilFactorCache* cache = nullptr) {
  ModelOutput o;
  switch (m) {
    case Model::Planar1:
      PlanarOneLayer(in.N, in.R1, in.R2, in.L, in.f, in.LO, in.CON1, in.MR1, in.Acc, o.dR, o.dX, o.Ier, count, cache);
      break;
    case Model::Planar2:
      PlanarTwoLayers(in.N, in.R1, in.R2, in.L, in.f, in.LO, in.D1, in.CON1, in.CON2, in.MR1, in.MR2, in.Acc,
                      o.dR, o.dX, o.Ier, count, cache);
      break;
    case Model::Inside1:
      CylinderInsideOneLayer(in.N, in.R1, in.R2, in.L, in.f, in.B1, in.CON1, in.MR1, in.Acc, o.dR, o.dX, o.Ier,
                             count, cache);
      break;
    case Model::Inside2:
      CylinderInsideTwoLayers(in.N, in.R1, in.R2, in.L, in.f, in.B1, in.B2, in.CON1, in.CON2, in.MR1, in.MR2,
                              in.Acc, o.dR, o.dX, o.Ier, count, cache);
      break;
    case Model::Outside1:
      CylinderOutsideOneLayer(in.N, in.R1, in.R2, in.L, in.f, in.B1, in.CON1, in.MR1, in.Acc, o.dR, o.dX, o.Ier,
                              count, cache);
      break;
    case Model::Outside2:
      CylinderOutsideTwoLayers(in.N, in.R1, in.R2, in.L, in.f, in.B1, in.B2, in.CON1, in.CON2, in.MR1, in.MR2,
                               in.Acc, o.dR, o.dX, o.Ier, count, cache);
      break;
    case Model::Vertical:
      VerticalCoilHalfSpace(in.N, in.R1, in.R2, in.L, in.f, in.LO, in.CON1, in.MR1, in.Acc, o.dR, o.dX, o.Ier,
                            count, cache);
      break;
  }
  return o;
}

// The call of a record of the arguments by name (the stand-ins' test::ModelArgs), whose `model`
// is a ModelKind: it lists the models in this file's order, after its None.
template <class Args>
ModelOutput CallModel(const Args& a, KernelCount* count = nullptr) {
  return RunModel(static_cast<Model>(static_cast<int>(a.model) - 1),
                  {a.N, a.R1, a.R2, a.L, a.f, a.P1, a.P2, a.P1, a.P2, a.CON1, a.CON2, a.MR1, a.MR2, a.Acc}, count);
}

// The default inputs of each case (first swept value); the rod cases with a coil of 12-14 mm
// that encloses the rod (the default 2-4 mm coil would reach into it).
inline ModelInput CaseDefaults(Model m) {
  ModelInput in;
  switch (m) {
    case Model::Planar1:
    case Model::Vertical:
      in.f = 1e5, in.LO = 0.1e-3, in.CON1 = 1e6, in.MR1 = 1;
      break;
    case Model::Planar2:
      in.f = 1e4, in.LO = 0.1e-3, in.D1 = 0.1e-3, in.CON1 = 10e6, in.CON2 = 35.4e6;
      break;
    case Model::Inside1:
      in.f = 1e4, in.B1 = 10e-3, in.CON1 = 10e6;
      break;
    case Model::Inside2:
      in.f = 1e4, in.B1 = 10e-3, in.B2 = 12e-3, in.CON1 = 10e6, in.CON2 = 35.4e6;
      break;
    case Model::Outside1:
      in.R1 = 12e-3, in.R2 = 14e-3, in.f = 1e5, in.B1 = 9e-3, in.CON1 = 1e6;
      break;
    case Model::Outside2:
      in.R1 = 12e-3, in.R2 = 14e-3, in.f = 1e5, in.B1 = 10e-3, in.B2 = 9e-3, in.CON1 = 1e6, in.CON2 = 35.4e6;
      break;
  }
  return in;
}

inline constexpr const char* kModelNames[] = {"PlanarOneLayer",          "PlanarTwoLayers",
                                              "CylinderInsideOneLayer",  "CylinderInsideTwoLayers",
                                              "CylinderOutsideOneLayer", "CylinderOutsideTwoLayers",
                                              "VerticalCoilHalfSpace"};
inline const char* ModelName(Model m) { return kModelNames[static_cast<int>(m)]; }
inline Model ModelByName(const std::string& name) {
  int i = 0;
  while (i < 6 && name != kModelNames[i]) ++i;
  return static_cast<Model>(i);
}

inline constexpr Model kAllModels[] = {Model::Planar1,  Model::Planar2,  Model::Inside1, Model::Inside2,
                                       Model::Outside1, Model::Outside2, Model::Vertical};

}  // namespace veldo::test
