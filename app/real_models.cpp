// The Compute command over the models library.
#include <memory>

#include "app/compute.hpp"
#include "models/models_counted.hpp"

namespace veldo {
namespace {

// The models over the cache `c`, or over none (every node evaluated) when it is null.
ModelTable Table(const std::shared_ptr<CoilFactorCache>& c) {
  return ModelTable{
      .AirCoilReactance = [](auto&&... a) { AirCoilReactance(a...); },
      .CheckRange = CheckRange,
      .PlanarOneLayer = [c](auto&&... a) { PlanarOneLayer(a..., nullptr, c.get()); },
      .PlanarTwoLayers = [c](auto&&... a) { PlanarTwoLayers(a..., nullptr, c.get()); },
      .CylinderInsideOneLayer = [c](auto&&... a) { CylinderInsideOneLayer(a..., nullptr, c.get()); },
      .CylinderInsideTwoLayers = [c](auto&&... a) { CylinderInsideTwoLayers(a..., nullptr, c.get()); },
      .CylinderOutsideOneLayer = [c](auto&&... a) { CylinderOutsideOneLayer(a..., nullptr, c.get()); },
      .CylinderOutsideTwoLayers = [c](auto&&... a) { CylinderOutsideTwoLayers(a..., nullptr, c.get()); },
      .VerticalCoilHalfSpace = [c](auto&&... a) { VerticalCoilHalfSpace(a..., nullptr, c.get()); },
      .ForThread = CachedModels,
  };
}

}  // namespace

ModelTable RealModels() { return Table(nullptr); }

ModelTable CachedModels() { return Table(std::make_shared<CoilFactorCache>()); }

}  // namespace veldo
