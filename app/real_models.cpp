// The Compute command over the models library.
#include "app/compute.hpp"
#include "models/models.hpp"

namespace veldo {

ModelTable RealModels() {
  return ModelTable{
      .AirCoilReactance = AirCoilReactance,
      .CheckRange = CheckRange,
      .PlanarOneLayer = PlanarOneLayer,
      .PlanarTwoLayers = PlanarTwoLayers,
      .CylinderInsideOneLayer = CylinderInsideOneLayer,
      .CylinderInsideTwoLayers = CylinderInsideTwoLayers,
      .CylinderOutsideOneLayer = CylinderOutsideOneLayer,
      .CylinderOutsideTwoLayers = CylinderOutsideTwoLayers,
      .VerticalCoilHalfSpace = VerticalCoilHalfSpace,
  };
}

}  // namespace veldo
