// Coil factors kept across model calls. Every model integrates over the dimensionless spatial
// frequency kappa = k*R2, and QAGI bisects fixed dyadic subintervals of its finite range, so the
// same kappa nodes recur from one call to the next. The coil factor of a node (the coil's
// cross-section integral, the powers of k, the winding-height factor) depends only on kappa and
// the coil, not on the material, the lift-off, the bore or rod, or the frequency: along a sweep
// or a study with one coil it is the same number at every recurring node.
//
// A CoilFactorCache holds those values by the exact bit pattern of kappa, for one coil and one
// model family at a time (a call with another coil or family starts afresh). A value found is
// the value a fresh evaluation gives, bit for bit; a value whose evaluation raised a
// floating-point fault flag is never kept, so every call raises the flags it would raise
// without the cache. The cache is not synchronised: one per thread, owned by whoever runs the
// points (a sweep worker, a chunk of a study), passed to the model overloads below (or with a
// KernelCount to those of models/models_counted.hpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "models/models.hpp"

namespace veldo {

namespace models_detail {

// Which coil factor a value holds: the planar models' J(k)^2/k^6 with J the integral of t J1(t),
// the bore models' integral of t I1(t), the rod models' integral of t K1(t), the vertical coil's
// integral of t I1(t) with its winding factor.
enum class CoilFactorKind : std::uint8_t { Planar, Inside, Outside, Vertical, PlanarPair, InsidePair, OutsidePair };

// The parts of a coil factor at one node; each family fills what it uses.
struct CoilFactor {
  long double k6 = 0.0L;  // k^6 (u^6 for the vertical coil), extended precision
  long double s = 0.0L;   // vertical: sin(u L/2), extended precision
  double c = 0.0;         // the cross-section integral (bore: scaled by e^(-kR2) unless plain)
  double radial = 0.0;    // planar: J^2 / k^6 as a double
  double axial = 0.0;     // cylinders: 1 - cos(k L)
  double lnScale = 0.0;   // bore: k R2 when c is kept scaled, else 0
  double c2 = 0.0;        // cylinder pairs: the second coil's cross-section integral
  double lnScale2 = 0.0;  // bore pairs: its scale
  double lateral = 1.0;   // planar pairs: J0(k x) of the axes' lateral separation x
  bool plain = true;      // bore: c unscaled; vertical: c below the cut-offs (has a value)
};

}  // namespace models_detail

class CoilFactorCache {
public:
  // `slotCount` bounds the memory (about 120 bytes a slot); at most three quarters of them are
  // filled, later nodes are evaluated without being kept.
  explicit CoilFactorCache(std::size_t slotCount = kDefaultSlots) : slots_(RoundUp(slotCount)), mask_(slots_.size() - 1) {}

  // Forgets every kept value (the memory stays).
  void Clear() {
    ++generation_;
    fill_ = 0;
  }
  // Coil factors evaluated and coil factors found since construction.
  long long Evaluated() const { return evaluated_; }
  long long Found() const { return found_; }
  std::size_t Kept() const { return fill_; }

  // For the models: selects the coil (or pair of coils) and family of the values to come, by the
  // numbers that fix the factor (up to kKeySize), forgetting the kept values when any differs from
  // the last call's.
  static constexpr int kKeySize = 8;
  void Bind(models_detail::CoilFactorKind kind, const double* values, int n) {
    std::uint64_t key[kKeySize] = {};
    for (int i = 0; i < n && i < kKeySize; ++i) key[i] = Bits(values[i]);
    if (bound_ && kind == kind_ && std::memcmp(key, coil_, sizeof key) == 0) return;
    bound_ = true;
    kind_ = kind;
    std::memcpy(coil_, key, sizeof key);
    Clear();
  }
  const models_detail::CoilFactor* Find(double kappa) {
    const std::uint64_t key = Bits(kappa);
    for (std::size_t s = Home(key);; s = (s + 1) & mask_) {
      const Slot& slot = slots_[s];
      if (slot.generation != generation_) return nullptr;
      if (slot.key == key) {
        ++found_;
        return &slot.value;
      }
    }
  }
  void Insert(double kappa, const models_detail::CoilFactor& v) {
    if (fill_ >= slots_.size() / 4 * 3) return;
    const std::uint64_t key = Bits(kappa);
    std::size_t s = Home(key);
    while (slots_[s].generation == generation_) {
      if (slots_[s].key == key) return;
      s = (s + 1) & mask_;
    }
    slots_[s] = Slot{key, generation_, v};
    ++fill_;
  }
  void CountEvaluation() { ++evaluated_; }

  // 4096 slots (about 0.5 MB): a long sweep of any case at the default accuracy meets a few
  // hundred distinct nodes (10,000 lift-offs of case 1: about 170).
  static constexpr std::size_t kDefaultSlots = 4096;

private:
  struct Slot {
    std::uint64_t key = 0;
    std::uint64_t generation = 0;  // the slot is in use when it equals the table's generation
    models_detail::CoilFactor value;
  };

  static std::size_t RoundUp(std::size_t n) {
    std::size_t p = 16;
    while (p < n) p *= 2;
    return p;
  }
  static std::uint64_t Bits(double x) {
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
  }
  // Fibonacci hashing: the nodes differ mostly in their low mantissa bits, which the
  // multiplication carries into the top bits.
  std::size_t Home(std::uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask_;
  }

  std::vector<Slot> slots_;
  std::size_t mask_;
  std::size_t fill_ = 0;
  std::uint64_t generation_ = 1;
  bool bound_ = false;
  models_detail::CoilFactorKind kind_ = models_detail::CoilFactorKind::Planar;
  std::uint64_t coil_[kKeySize] = {};
  long long evaluated_ = 0, found_ = 0;
};

// The models of models/models.hpp with the caller's cache: the same results, bit for bit.
void PlanarOneLayer(int N, double R1, double R2, double L, double f, double LO, double CON1, double MR1,
                    double Acc, double& dR, double& dX, int& Ier, CoilFactorCache& Cache);
void PlanarTwoLayers(int N, double R1, double R2, double L, double f, double LO, double D1, double CON1,
                     double CON2, double MR1, double MR2, double Acc, double& dR, double& dX, int& Ier,
                     CoilFactorCache& Cache);
void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier, CoilFactorCache& Cache);
void CylinderInsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                             double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                             double& dX, int& Ier, CoilFactorCache& Cache);
void CylinderOutsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                             double MR1, double Acc, double& dR, double& dX, int& Ier, CoilFactorCache& Cache);
void CylinderOutsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                              double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                              double& dX, int& Ier, CoilFactorCache& Cache);
void VerticalCoilHalfSpace(int N, double R1, double R2, double L, double f, double LO, double CON1,
                           double MR1, double Acc, double& dR, double& dX, int& Ier, CoilFactorCache& Cache);

}  // namespace veldo
