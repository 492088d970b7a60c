// The batch engine's driver (models/batch_engine.hpp): the points grouped by kind and ordered so
// that a batch holds neighbours, the fault flags of each batch, and the adaptive path for every
// point the batch did not settle. Compiled as the rest of the models (the flags are read here).
#include "models/batch_engine.hpp"

#include <algorithm>
#include <cfenv>
#include <map>
#include <tuple>
#include <vector>

#include "models/batch_detail.hpp"
#include "models/model_driver.hpp"

namespace veldo {
namespace {

using namespace batch_detail;

constexpr int kFaults = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;
// Points per batch: the arrays of one batch stay near the first-level caches, and the batches of
// a large call spread over the caller's threads.
constexpr std::size_t kMaxBatch = 256;
// Below this many points a shared grid saves nothing: the adaptive path runs them.
constexpr std::size_t kMinBatch = 4;

// The kind of batch a point belongs to: its geometry, the coil's axis and the number of layers.
using GroupKey = std::tuple<int, int, std::size_t>;

}  // namespace

BatchOutcome EvaluateBatch(const Probe& probe, std::span<const Conductor* const> conductors, std::span<const double> f,
                           double Acc, std::span<Impedance> out, std::span<int> raised, Workspace& ws) {
  const std::size_t n = conductors.size();
  BatchOutcome outcome;
  outcome.points = static_cast<long long>(n);
  std::vector<char> trusted(n, 0);
  auto adaptive = [&](std::size_t i) {
    std::feclearexcept(kFaults);
    out[i] = Evaluate(probe, *conductors[i], f[i], Acc, ws);
    raised[i] = std::fetestexcept(kFaults);
    ++outcome.fallbacks;
  };
  // A drive and a pickup share the plate's batch when they are coaxial and normal to it; other
  // pairs run the adaptive path.
  const bool pair = !probe.coils.empty() && probe.drive != probe.pickup;
  const Coil* pickup = pair ? &probe.coils[probe.pickup] : nullptr;
  // An accuracy beyond the kernels' rounding is the adaptive path's to flag (its IER 2).
  if (probe.coils.empty() || !(Acc >= models_detail::kAttainableAcc) ||
      (pair && (pickup->x != probe.coils[probe.drive].x || pickup->axis != CoilAxis::Normal ||
                probe.coils[probe.drive].axis != CoilAxis::Normal))) {
    for (std::size_t i = 0; i < n; ++i) adaptive(i);
    std::feclearexcept(kFaults);
    return outcome;
  }
  const Coil& coil = probe.coils[probe.drive];
  if (pickup == nullptr) pickup = &coil;
  // Groups of one kind, each ordered by position and then frequency, so that a batch holds
  // neighbouring points and its grid fits them all.
  std::map<GroupKey, std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < n; ++i) {
    raised[i] = 0;
    const Conductor& c = *conductors[i];
    groups[{static_cast<int>(c.geometry), static_cast<int>(coil.axis), c.layers.size()}].push_back(i);
  }
  for (auto& [key, members] : groups) {
    std::stable_sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) {
      const Conductor& ca = *conductors[a];
      const Conductor& cb = *conductors[b];
      if (ca.position != cb.position) return ca.position < cb.position;
      return f[a] * ca.layers[0].sigma < f[b] * cb.layers[0].sigma;
    });
    const auto geometry = static_cast<Geometry>(std::get<0>(key));
    const bool parallel = static_cast<CoilAxis>(std::get<1>(key)) == CoilAxis::Parallel;
    for (std::size_t begin = 0; begin < members.size(); begin += kMaxBatch) {
      const std::span<const std::size_t> chunk(members.data() + begin, std::min(kMaxBatch, members.size() - begin));
      bool fast = chunk.size() >= kMinBatch;
      if (fast) {
        std::feclearexcept(kFaults);
        if (pair && geometry != Geometry::Plate)
          fast = false;
        else if (geometry == Geometry::Plate && !parallel)
          PlanarChunk(coil, *pickup, chunk, conductors, f, Acc, out, trusted);
        else if (geometry == Geometry::Plate)
          VerticalChunk(coil, chunk, conductors, f, Acc, out, trusted);
        else
          CylinderChunk(coil, chunk, conductors, f, Acc, out, trusted);
        // A fault anywhere in the batch: every point of it goes the adaptive way, on its own.
        if (std::fetestexcept(kFaults) != 0) fast = false;
      }
      for (std::size_t i : chunk)
        if (!fast || !trusted[i]) adaptive(i);
    }
  }
  std::feclearexcept(kFaults);
  return outcome;
}

}  // namespace veldo
