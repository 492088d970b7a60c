// Shared pieces of the eddy-current models: physical constants, the integer power, the two
// quadrature runs over the real and imaginary part of a complex kernel, and the status code.
#pragma once

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "bessel/amos.hpp"
#include "models/coil_factor_cache.hpp"
#include "models/models_counted.hpp"
#include "numerics/complex.hpp"
#include "numerics/quadpack.hpp"

namespace veldo::models_detail {

// Permeability of free space 4*pi*1e-7 H/m, as a double.
inline constexpr double kMu0 = 1.2566370614359173e-06;
// pi and 2*pi to the full extended precision: omega = 2*pi*f and the prefactors are formed with
// them before rounding to double.
inline constexpr long double kPi = 3.14159265358979323851L;
inline constexpr long double kTwoPi = 6.28318530717958647703L;

// x^n for n >= 0 by binary powering (square-and-multiply), in extended precision: the kernels
// divide by k^5 or k^6, which overflows a double once k exceeds about 1e51 while the quotient
// is still representable.
inline long double IntPow(long double x, int n) {
  long double y = 1.0L;
  while (n > 0) {
    if (n & 1) y *= x;
    n >>= 1;
    if (n > 0) x *= x;
  }
  return y;
}

// Status of a model from the IER codes of its two runs: 0 both fine, 1 only the real-part run
// failed, 2 only the imaginary-part run, 3 both.
inline int CombineIer(int ierImag, int ierReal) { return (ierReal != 0 ? 1 : 0) + (ierImag != 0 ? 2 : 0); }

// Kernel values by the exact bit pattern of their argument, for the span of one model call. The
// two quadrature runs of a model apply the same 15-point rule to the same subintervals wherever
// their bisections agree (always the first interval, usually the first levels), so the real-part
// run meets many nodes that the imaginary-part run has evaluated. A fixed open-addressing table
// in the caller's frame: no allocation, and once it is three quarters full further values are
// simply not kept (the caller computes them, as without a table). Only a bit-identical argument
// hits, so a kept value is exactly the value a fresh evaluation would give.
template <class Value>
class NodeCache {
public:
  const Value* Find(double x) const {
    const std::uint64_t key = Bits(x);
    for (std::size_t s = Home(key);; s = (s + 1) & kMask) {
      if (!used_[s]) return nullptr;
      if (keys_[s] == key) return &values_[s];
    }
  }
  void Insert(double x, const Value& v) {
    if (fill_ >= kMaxFill) return;
    const std::uint64_t key = Bits(x);
    std::size_t s = Home(key);
    while (used_[s]) {
      if (keys_[s] == key) return;
      s = (s + 1) & kMask;
    }
    used_[s] = true;
    keys_[s] = key;
    values_[s] = v;
    ++fill_;
  }

private:
  // 1024 slots hold a whole run of 68 subintervals (1020 nodes); the default inputs need 20 to 25.
  static constexpr std::size_t kSlots = 1024;
  static constexpr std::size_t kMask = kSlots - 1;
  static constexpr int kMaxFill = static_cast<int>(kSlots * 3 / 4);

  static std::uint64_t Bits(double x) {
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
  }
  // Fibonacci hashing: the nodes differ mostly in their low mantissa bits, which the
  // multiplication carries into the top bits that select the slot.
  static std::size_t Home(std::uint64_t key) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 54);
  }

  std::array<bool, kSlots> used_{};
  std::array<std::uint64_t, kSlots> keys_;
  std::array<Value, kSlots> values_;
  int fill_ = 0;
};

// The models' integrals run over the dimensionless spatial frequency kappa = k*R2, R2 the coil's
// outer radius, and not over k in 1/m. QAGI maps (0, inf) onto (0, 1] by t = 1/(1 + kappa); a
// coil of 0.1 to 50 mm puts its kernel at k ~ 20..1e4 /m, a sliver t ~ 1e-4..0.05 where the
// first 15-point rule has no node and the error estimate of the first bisections is blind to
// most of the integral (success reported with the result several times Acc off). In kappa the
// coil factor lives near kappa ~ 1, across the middle of (0, 1].
//
// QagiOverKappa integrates f(kappa, k) with k = kappa/R2 over kappa in (0, inf) and returns
//   int_0^inf K(k) dk = (1/R2) int_0^inf K(kappa/R2) dkappa.
// The integrand receives both the node kappa (the key of the kernel-value tables) and the k the
// kernel formulas are written in; the Jacobian dk/dkappa = 1/R2 is applied to the result here,
// and nowhere else. Every quadrature run of every model goes through this function.
//
// The kernels' values carry rounding of up to about 1e-13 relative (Bessel functions, running
// integrals, the layer recursions): two runs asked for 2.5e-14 and 1.2e-14 may differ by 1.2e-13
// while both claim success. Below kAttainableAcc a run that reports success reports instead
// QUADPACK's IER 2, roundoff prevents the requested tolerance; its value is the best there is.
inline constexpr double kAttainableAcc = 1e-12;
inline constexpr int kQagiRoundoffIer = 2;

template <class F>
double QagiOverKappa(const F& f, double R2, double Acc, int& ier, int* evaluations = nullptr) {
  double result = 0.0, abserr = 0.0;
  int neval = 0;
  QAGI([&](double kappa) { return f(kappa, kappa / R2); }, 0.0, 1, 0.0, Acc, result, abserr, neval, ier);
  if (ier == 0 && Acc < kAttainableAcc) ier = kQagiRoundoffIer;
  if (evaluations != nullptr) *evaluations = neval;
  return result / R2;  // the Jacobian of k = kappa / R2
}

// A run that ends within its first few subintervals has judged the whole of (0, inf) by 15-point
// rules over spans of t = 1/(1 + kappa) an eighth to a half wide: where the kernel has structure
// on a finer scale in between (a long winding's axial factor over a rod's thin core at kappa ~
// R2/B1 or in a bore, a coil close above a magnetic plate), the Kronrod and Gauss rules can agree by
// chance, and QAGI stops with an estimate below Acc on a value 1 to 100 Acc off. Such a run is
// repeated at Acc/4 (or finer, below); the bisection repeats the first run's tree before going
// deeper, so with the kernel values cached (NodeCache) it costs only the new nodes. The finer
// result is returned. It stands with Ier 0 when its run succeeded, or when it is within Acc of the
// first (the first run's claim confirmed); otherwise with the finer run's Ier. Runs of eight
// subintervals and more (kConfirmEvals evaluations) are taken as they are: the falsely confident
// stops found over random inputs of every case all ended within six, and a deeper run has bisected
// where the kernel lives.
inline constexpr int kConfirmEvals = 30 * 8 - 15;
inline constexpr int kConfirmTries = 3;

template <class F>
double ConfirmedQagiOverKappa(const F& f, double R2, double Acc, int& ier) {
  int neval = 0;
  const double first = QagiOverKappa(f, R2, Acc, ier, &neval);
  if (ier != kQagiNormal || neval >= kConfirmEvals) return first;
  // A repeat that evaluates no more nodes than the first run is the first run's tree again, whose
  // estimate was below the finer tolerance too: it confirms nothing. The tolerance is divided by 4
  // again, up to Acc/64, until a run bisects deeper (a thin rod's core at kappa ~ R2/B1 of 4000
  // was missed 2 Acc off by a tree of five subintervals whose estimate lay below Acc/4).
  double fine = Acc, result = first;
  int ierFine = kQagiNormal, nevalFine = neval;
  for (int tries = 0; tries < kConfirmTries && nevalFine <= neval; ++tries) {
    // QAGI refuses a relative accuracy below 50 EPMACH.
    const double finer = std::max(fine / 4.0, 50.0 * QMACH(4));
    if (!(finer < fine)) break;
    fine = finer;
    result = QagiOverKappa(f, R2, fine, ierFine, &nevalFine);
  }
  ier = (ierFine == kQagiNormal || std::fabs(result - first) <= Acc * std::fabs(result)) ? kQagiNormal : ierFine;
  return result;
}

// The integral S = int_0^inf K(k) dk of a complex kernel as two real quadratures over kappa =
// k*R2 to the relative accuracy Acc: first the imaginary part (run 1), then the real part
// (run 2), each confirmed when it ends early (ConfirmedQagiOverKappa). With `reuse` every run
// takes the complex value of every node evaluated before from a NodeCache keyed by the node
// kappa; the kernel is a pure function, so the values and both results are those of evaluating
// afresh. `evals` counts the kernel evaluations actually made. The kernel is called as
// kernel(kappa, k).
template <class Kernel>
TComplex IntegrateKernel(const Kernel& kernel, double R2, double Acc, int& Ier, long long& evals,
                         bool reuse = true) {
  double imag = 0.0, real = 0.0;
  int ierImag = 0, ierReal = 0;
  if (!reuse) {
    imag = ConfirmedQagiOverKappa([&](double kappa, double k) { ++evals; return CIm(kernel(kappa, k)); }, R2, Acc,
                                  ierImag);
    real = ConfirmedQagiOverKappa([&](double kappa, double k) { ++evals; return CRe(kernel(kappa, k)); }, R2, Acc,
                                  ierReal);
  } else {
    NodeCache<TComplex> cache;
    imag = ConfirmedQagiOverKappa(
        [&](double kappa, double k) {
          if (const TComplex* v = cache.Find(kappa)) return CIm(*v);
          ++evals;
          const TComplex v = kernel(kappa, k);
          cache.Insert(kappa, v);
          return CIm(v);
        },
        R2, Acc, ierImag);
    real = ConfirmedQagiOverKappa(
        [&](double kappa, double k) {
          if (const TComplex* v = cache.Find(kappa)) return CRe(*v);
          ++evals;
          return CRe(kernel(kappa, k));
        },
        R2, Acc, ierReal);
  }
  Ier = CombineIer(ierImag, ierReal);
  return Cmplx(real, imag);
}

// Whether a model call shares kernel values between its runs (always, unless a measurement asks
// for the plain evaluation).
inline bool Reuses(const KernelCount* Count) { return Count == nullptr || Count->Reuse; }

// omega = 2*pi*f, formed in extended precision and stored as a double.
inline double Omega(double f) { return static_cast<double>(kTwoPi * f); }

// s = omega*MR*mu0*CON [1/m^2], in this order: the square of the complex wave number's
// conductive part.
inline double SProduct(double omega, double MR, double CON) {
  return static_cast<double>(static_cast<long double>(omega) * MR * kMu0 * CON);
}

// q = N^2 / (L^2 (R2 - R1)^2): the turns density squared of the winding's cross-section.
inline double TurnsFactor(int N, double R1, double R2, double L) {
  const long double n = N;
  const long double w = static_cast<long double>(R2) - R1;
  return static_cast<double>(n * n / (static_cast<long double>(L) * L * w * w));
}

// q_ab = N_a N_b / (L_a L_b w_a w_b), w = R2 - R1: the product of two windings' turns densities;
// for one winding the turns factor above, formed in the same order.
template <class Coil>
double PairTurnsFactor(const Coil& a, const Coil& b) {
  const long double na = a.N, nb = b.N;
  const long double wa = static_cast<long double>(a.R2) - a.R1, wb = static_cast<long double>(b.R2) - b.R1;
  return static_cast<double>(na * nb / (static_cast<long double>(a.L) * b.L * wa * wb));
}

// J0 of a real argument, order 0 of ZBESJ.
inline double BesselJ0(double x) {
  double cyr[2] = {}, cyi[2] = {};
  int nz = 0, ierr = 0;
  ZBESJ(x, 0.0, 0.0, 1, 1, cyr, cyi, nz, ierr);
  return cyr[1];
}

// ELIM = 2.303 (K log10(2) - 3), K the smaller exponent bound of the Bessel unit's table (about
// 700.92): above it the unscaled I0 of a real argument overflows in ZBESI, so CoilIntI has no
// value there.
inline double BesselElim() {
  const int K = -I1MACH(15) < I1MACH(16) ? -I1MACH(15) : I1MACH(16);
  return static_cast<double>(2.303L * (K * static_cast<long double>(D1MACH(5)) - 3.0L));
}

inline void AddCount(KernelCount* Count, long long outer, long long inner, long long coil) {
  if (Count != nullptr) {
    Count->Outer += outer;
    Count->Inner += inner;
    Count->CoilFactors += coil;
  }
}

// The coil factor of one model call at the node kappa (k = kappa/R2): from the caller's
// CoilFactorCache when it holds the node, else evaluated by `make(k)` and kept. An evaluation
// that raises a fault flag is not kept (the flag stays raised for the caller, as without the
// cache), so a later call that finds a value misses no flag. Without a cache every node is
// evaluated. `Evaluated()` counts the evaluations of this call.
template <class Make>
class CoilFactors {
public:
  CoilFactors(CoilFactorCache* cache, CoilFactorKind kind, double R1, double R2, double L, Make make)
      : cache_(cache), make_(make) {
    const double key[3] = {R1, R2, L};
    if (cache_ != nullptr) cache_->Bind(kind, key, 3);
  }
  // A factor fixed by more numbers (a pair of coils and their offsets).
  CoilFactors(CoilFactorCache* cache, CoilFactorKind kind, const double* key, int n, Make make)
      : cache_(cache), make_(make) {
    if (cache_ != nullptr) cache_->Bind(kind, key, n);
  }
  CoilFactor At(double kappa, double k) {
    if (cache_ == nullptr) {
      ++evaluated_;
      return make_(k);
    }
    if (const CoilFactor* v = cache_->Find(kappa)) return *v;
    ++evaluated_;
    cache_->CountEvaluation();
    // Only the fault flags are set aside and put back: the others the evaluation raises stay.
    constexpr int kFaults = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;
    std::fexcept_t saved, raisedFlags;
    std::fegetexceptflag(&saved, kFaults);
    std::feclearexcept(kFaults);
    const CoilFactor v = make_(k);
    const int raised = std::fetestexcept(kFaults);
    std::fegetexceptflag(&raisedFlags, kFaults);
    std::fesetexceptflag(&saved, kFaults);
    if (raised == 0) {
      cache_->Insert(kappa, v);
    } else {
      std::fesetexceptflag(&raisedFlags, raised);
    }
    return v;
  }
  long long Evaluated() const { return evaluated_; }

private:
  CoilFactorCache* cache_;
  Make make_;
  long long evaluated_ = 0;
};

}  // namespace veldo::models_detail
