// The Compute command over the models library.
#include <memory>

#include "app/compute.hpp"
#include "app/problem.hpp"
#include "models/models.hpp"

namespace veldo {
namespace {

// The models over the cache `c`, or over none (every node evaluated) when it is null.
ModelTable Table(const std::shared_ptr<CoilFactorCache>& c) {
  return ModelTable{
      .AirCoilReactance = [](auto&&... a) { AirCoilReactance(a...); },
      .CheckRange = CheckRange,
      .Evaluate =
          [c](const CasePoint& point, double Acc, double& dR, double& dX, int& Ier) {
            const Problem q = CaseProblem(point);
            const Impedance z = Evaluate(q.probe, q.conductor, q.f, Acc, nullptr, c.get());
            dR = z.dR;
            dX = z.dX;
            Ier = z.Ier;
          },
      .ForThread = CachedModels,
  };
}

}  // namespace

ModelTable RealModels() { return Table(nullptr); }

ModelTable CachedModels() { return Table(std::make_shared<CoilFactorCache>()); }

}  // namespace veldo
