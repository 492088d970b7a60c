#include "app/checks.hpp"

#include <cmath>

namespace veldo {

std::optional<std::string_view> CoilRefusal(int N, double R1, double R2, double L) {
  if (!(R1 >= 0)) return kCoilRadiusMessage;
  if (!(R1 < R2)) return kCoilRadiiMessage;
  if (!(L > 0)) return kCoilHeightMessage;
  if (N < 1) return kCoilTurnsMessage;
  for (double length : {R1, R2, L})
    if (auto refusal = LengthRefusal(length)) return refusal;
  if (!(L >= kMinWinding && R2 - R1 >= kMinWinding)) return kWindingRangeMessage;
  return std::nullopt;
}

std::optional<std::string_view> LengthRefusal(double length) {
  if (!(std::fabs(length) <= kMaxLength)) return kLengthRangeMessage;
  return std::nullopt;
}

std::optional<std::string_view> RodRadiusRefusal(double radius) {
  if (!(radius == 0 || radius >= kMinRodRadius)) return kRodRadiusRangeMessage;
  return std::nullopt;
}

std::optional<std::string_view> LayerThicknessRefusal(double thickness) {
  if (!(thickness == 0 || thickness >= kMinLayerThickness)) return kLayerThicknessRangeMessage;
  return std::nullopt;
}

std::optional<std::string_view> FrequencyRefusal(double f) {
  if (!(f <= kMaxFrequency)) return kFrequencyRangeMessage;
  return std::nullopt;
}

std::optional<std::string_view> MaterialRefusal(double sigma, double mur) {
  if (!(sigma <= kMaxConductivity)) return kConductivityRangeMessage;
  if (!(mur >= kMinRelativePermeability && mur <= kMaxRelativePermeability)) return kPermeabilityRangeMessage;
  return std::nullopt;
}

std::optional<std::string_view> RangeRefusal(const CasePoint& p) {
  if (auto refusal = FrequencyRefusal(p.f)) return refusal;
  const CaseDef* c = nullptr;
  for (const CaseDef& d : kCases)
    if (d.model == p.model && !d.params.empty()) c = &d;
  if (c == nullptr) return std::nullopt;
  for (std::size_t i = 0; i < c->params.size(); ++i) {
    const double v = p.params[i];
    switch (c->params[i].id) {
      case Param::LO:
      case Param::D1:
      case Param::B1:
      case Param::B2:
        if (auto refusal = LengthRefusal(v)) return refusal;
        if (c->params[i].id == Param::D1)
          if (auto refusal = LayerThicknessRefusal(v)) return refusal;
        if (c->params[i].id == Param::B1 &&
            (p.model == ModelKind::CylinderOutsideOneLayer || p.model == ModelKind::CylinderOutsideTwoLayers))
          if (auto refusal = RodRadiusRefusal(v)) return refusal;
        break;
      case Param::CON1:
      case Param::CON2:
        if (!(v <= kMaxConductivity)) return kConductivityRangeMessage;
        break;
      case Param::MR1:
      case Param::MR2:
        if (!(v >= kMinRelativePermeability && v <= kMaxRelativePermeability)) return kPermeabilityRangeMessage;
        break;
      case Param::F: break;
    }
  }
  return std::nullopt;
}

std::optional<std::string_view> GeometryRefusal(ModelKind model, double R1, double R2,
                                                const std::array<double, 6>& v) {
  switch (model) {
    case ModelKind::CylinderOutsideOneLayer:
    case ModelKind::CylinderOutsideTwoLayers:
      if (v[0] > R1) return kRodMessage;
      if (model == ModelKind::CylinderOutsideTwoLayers && v[1] > v[0]) return kRodLayerMessage;
      return std::nullopt;
    case ModelKind::CylinderInsideOneLayer:
    case ModelKind::CylinderInsideTwoLayers:
      if (v[0] < R2) return kBoreMessage;
      if (model == ModelKind::CylinderInsideTwoLayers && v[1] < v[0]) return kBoreLayerMessage;
      return std::nullopt;
    default: return std::nullopt;
  }
}

}  // namespace veldo
