// The driver of the batch at complex Laplace variables (models/batch_engine.hpp): the fault flags
// of the batch and the adaptive path for every point it did not settle. Compiled as the rest of
// the models (the flags are read here).
#include <algorithm>
#include <cfenv>
#include <vector>

#include "models/batch_detail.hpp"
#include "models/batch_engine.hpp"

namespace veldo {

BatchOutcome InductanceChanges(const Coil& drive, const Coil& pickup, const Conductor& conductor,
                               std::span<const TComplex> p, double Acc, std::span<TComplex> out, int& Ier,
                               Workspace& ws) {
  constexpr int kFaults = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;
  const std::size_t n = p.size();
  BatchOutcome outcome;
  outcome.points = static_cast<long long>(n);
  std::vector<char> trusted(n, 0);
  const bool batch = conductor.geometry == Geometry::Plate && drive.axis == CoilAxis::Normal &&
                     pickup.axis == CoilAxis::Normal && n > 0;
  if (batch) {
    std::feclearexcept(kFaults);
    batch_detail::LaplaceChunk(drive, pickup, conductor, p, Acc, out, trusted);
    if (std::fetestexcept(kFaults) != 0) std::fill(trusted.begin(), trusted.end(), 0);
    std::feclearexcept(kFaults);
  }
  bool haveInf = false;
  TComplex inf{};
  for (std::size_t i = 0; i < n; ++i) {
    if (trusted[i]) continue;
    if (!haveInf) {
      inf = InductanceAt(drive, pickup, conductor, Cmplx(1e30, 0.0), Acc, Ier, ws);
      haveInf = true;
    }
    int ier = 0;
    const TComplex L = InductanceAt(drive, pickup, conductor, p[i], Acc, ier, ws);
    out[i] = Cmplx(L.Re - inf.Re, L.Im - inf.Im);
    Ier = std::max(Ier, ier);
    ++outcome.fallbacks;
  }
  std::feclearexcept(kFaults);
  return outcome;
}

}  // namespace veldo
