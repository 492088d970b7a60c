#include "app/checks.hpp"

namespace veldo {

std::optional<std::string_view> CoilRefusal(int N, double R1, double R2, double L) {
  if (!(R1 >= 0)) return kCoilRadiusMessage;
  if (!(R1 < R2)) return kCoilRadiiMessage;
  if (!(L > 0)) return kCoilHeightMessage;
  if (N < 1) return kCoilTurnsMessage;
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
