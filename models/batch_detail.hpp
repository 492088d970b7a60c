// Pieces of the batch engine shared by its kernels: the Gauss-Kronrod panels and the grid that
// lays them out, the per-point sums and error estimates, and the elementary functions written in
// plain real arithmetic so that loops over the points of a batch vectorise (no library call in
// the loop body; the same IEEE operations in every lane, no change of rounding mode).
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "models/problem.hpp"
#include "numerics/quadpack.hpp"

namespace veldo::batch_detail {

// A point is trusted when its error estimate (each part's Kronrod estimate plus the tail bound)
// is at most this fraction of Acc |S|: the adaptive path's own error may take the rest.
inline constexpr double kTrust = 0.25;
// The most panels of one batch; a point whose tail is not below its accuracy by then falls back.
inline constexpr int kMaxPanels = 400;

// The functions with the loops over a batch's points are compiled twice, for the AVX2 unit and
// for the baseline, the loader picking the one the processor runs (the same IEEE operations in
// the same order either way: no contraction, so the values do not depend on the choice).
// The elementary functions below are inlined into each of them (a function compiled for the
// baseline is not otherwise inlined into the AVX2 copy, and a call in a loop stops vectorisation).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VELDO_BATCH_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VELDO_BATCH_CLONES
#endif
#if defined(__GNUC__)
#define VELDO_BATCH_INLINE inline __attribute__((always_inline))
#else
#define VELDO_BATCH_INLINE inline
#endif

// The 15 nodes and weights of QUADPACK's G7K15 rule on one panel (a, b).
inline constexpr int kNodes = 15;
struct Node {
  double kappa, wk, wg;  // the node, its Kronrod weight, its Gauss weight (0 at Kronrod-only nodes)
};
void PanelNodes(double a, double b, Node nodes[kNodes]);

// The per-point sums of one batch: the current panel's Kronrod and Gauss sums, the integral so far
// and the sum of the panels' |Kronrod - Gauss| (the error estimate), each per part.
struct PanelSums {
  std::vector<double> kr, ki, gr, gi, sr, si, er, ei;
  void Resize(std::size_t n);
  void Add(std::size_t n, double wk, double wg, const double* vr, const double* vi);
  void Close(std::size_t n);  // the panel done: into the integral and the estimate
  // Whether point i's estimate with the bound `tail` of what lies beyond is within kTrust Acc |S|.
  bool Trusted(std::size_t i, double Acc, double tail) const;
};

// Panels over kappa in (0, inf): [0, lo], then each 4 times the last up to kappa = 1 (features of
// any scale between lo and 1: a large lift-off, a low frequency, a thick layer), then panels at most 3 wide
// up to kappa = 4 (the peak of the coil factor), 6 up to 16 and 8 beyond (the coil factor
// oscillates with period pi; the 15-point rule integrates e^(i 2 kappa) over 8 to about 1e-8 of
// the panel, the 7-point rule's difference from it being the estimate), no wider than 6 times the
// decay length `decay` of the batch's lowest point, nor than `widest`.
class Grid {
public:
  // The ratio of the graded panels' ends: the 15-point rule follows a feature smooth in log kappa
  // over a factor of 4 (a factor of 8 sent some points of steep skin transitions back).
  static constexpr double kGrade = 4.0;
  Grid(double smallest, double decay, double widest = HUGE_VAL)
      : lo_(std::clamp(smallest / 4.0, 1e-6, 0.25)), decay_(decay), widest_(widest) {}
  std::pair<double, double> Next() {
    const double a = b_;
    if (a == 0.0) {
      b_ = lo_;
    } else if (a < 1.0) {
      b_ = std::min(kGrade * a, 1.0);
    } else {
      const double osc = a < 4.0 ? 3.0 : a < 16.0 ? 6.0 : 8.0;
      b_ = a + std::min({osc, widest_, std::max(0.25, 6.0 * decay_)});
    }
    return {a, b_};
  }

private:
  double lo_, decay_, widest_, b_ = 0.0;
};

// e^x for x <= 0, exactly 0 below -700: x = n ln2 + r, |r| <= ln2/2, e^r by its Taylor
// polynomial of degree 13 (remainder below 5e-18), 2^n put together in the exponent field.
VELDO_BATCH_INLINE double ExpNonPositive(double x) {
  constexpr double kMagic = 0x1.8p52;  // adding it rounds to an integer in the low bits
  constexpr double kInvLn2 = 1.4426950408889634;
  constexpr double kLn2Hi = 6.93147180369123816490e-01, kLn2Lo = 1.90821492927058770002e-10;
  const double xc = x < -700.0 ? -700.0 : x;
  const double t = xc * kInvLn2 + kMagic;
  const double m = t - kMagic;
  const double r = (xc - m * kLn2Hi) - m * kLn2Lo;
  double p = 1.0 / 6227020800.0;  // 1/13!
  p = p * r + 1.0 / 479001600.0;
  p = p * r + 1.0 / 39916800.0;
  p = p * r + 1.0 / 3628800.0;
  p = p * r + 1.0 / 362880.0;
  p = p * r + 1.0 / 40320.0;
  p = p * r + 1.0 / 5040.0;
  p = p * r + 1.0 / 720.0;
  p = p * r + 1.0 / 120.0;
  p = p * r + 1.0 / 24.0;
  p = p * r + 1.0 / 6.0;
  p = p * r + 0.5;
  p = p * r + 1.0;
  p = p * r + 1.0;
  const std::int64_t nexp = std::bit_cast<std::int64_t>(t) - std::bit_cast<std::int64_t>(kMagic);
  const double scale = std::bit_cast<double>(static_cast<std::uint64_t>(nexp + 1023) << 52);
  const double v = p * scale;  // formed whatever x is: the select below is then branch-free
  return x < -700.0 ? 0.0 : v;
}

// Whether the integer-valued m (|m| < 2^51) is odd: m/2 is then not an integer and rounds away.
VELDO_BATCH_INLINE bool Odd(double m) {
  constexpr double kMagic = 0x1.8p52;
  const double h = m * 0.5;
  return ((h + kMagic) - kMagic) != h;
}

// sin and cos of |t| <= 64: t = q pi/2 + r (Cody-Waite in three parts), |r| <= pi/4, the Taylor
// polynomials of degree 15 and 16, the quadrant from q mod 4.
VELDO_BATCH_INLINE void SinCos(double t, double& s, double& c) {
  constexpr double kMagic = 0x1.8p52;
  constexpr double k2OverPi = 6.36619772367581382433e-01;
  constexpr double kP1 = 1.57079632673412561417e+00, kP2 = 6.07710050630396597660e-11,
                   kP3 = 2.02226624879595063154e-21;
  const double tq = t * k2OverPi + kMagic;
  const double m = tq - kMagic;
  const double r = ((t - m * kP1) - m * kP2) - m * kP3;
  const double r2 = r * r;
  double ps = -1.0 / 1307674368000.0;  // -1/15!
  ps = ps * r2 + 1.0 / 6227020800.0;
  ps = ps * r2 - 1.0 / 39916800.0;
  ps = ps * r2 + 1.0 / 362880.0;
  ps = ps * r2 - 1.0 / 5040.0;
  ps = ps * r2 + 1.0 / 120.0;
  ps = ps * r2 - 1.0 / 6.0;
  const double sr = r + r * (r2 * ps);
  double pc = 1.0 / 20922789888000.0;  // 1/16!
  pc = pc * r2 - 1.0 / 87178291200.0;
  pc = pc * r2 + 1.0 / 479001600.0;
  pc = pc * r2 - 1.0 / 3628800.0;
  pc = pc * r2 + 1.0 / 40320.0;
  pc = pc * r2 - 1.0 / 720.0;
  pc = pc * r2 + 1.0 / 24.0;
  pc = pc * r2 - 0.5;
  const double cr = 1.0 + r2 * pc;
  // The quadrant q mod 4 from the integer-valued m, in floating point: (sin, cos) = (sr, cr),
  // (cr, -sr), (-sr, -cr), (-cr, sr) for q = 0, 1, 2, 3.
  const bool odd = Odd(m);
  const double half = (m - (odd ? 1.0 : 0.0)) * 0.5;  // floor(q / 2)
  const bool sNeg = Odd(half);                          // q mod 4 in {2, 3}
  const bool cNeg = Odd(odd ? half + 1.0 : half);       // q mod 4 in {1, 2}
  const double s0 = odd ? cr : sr, c0 = odd ? sr : cr;
  s = sNeg ? -s0 : s0;
  c = cNeg ? -c0 : c0;
}

// alpha = sqrt(k^2 + j s), k^2 >= 0, s >= 0, not both 0: the principal root, Re >= Im >= 0.
VELDO_BATCH_INLINE void SqrtK2(double k2, double s, double& re, double& im) {
  const double r = std::sqrt(k2 * k2 + s * s);
  re = std::sqrt(0.5 * (r + k2));
  im = s / (2.0 * re);
}

// (ar + j ai) / (br + j bi).
VELDO_BATCH_INLINE void Div(double ar, double ai, double br, double bi, double& qr, double& qi) {
  const double inv = 1.0 / (br * br + bi * bi);
  qr = (ar * br + ai * bi) * inv;
  qi = (ai * br - ar * bi) * inv;
}

// e = exp(-2 alpha d) for Re alpha >= Im alpha >= 0, d >= 0: |phase| <= |log |e||, so beyond a
// decay of e^-40 (|e| < 5e-18, below any accuracy asked of the kernel) the value is 0.
VELDO_BATCH_INLINE void RoundTrip(double ar, double ai, double d, double& er, double& ei) {
  const double x = -2.0 * d * ar;
  const bool gone = !(x >= -40.0);
  const double t = -2.0 * d * ai;
  const double th = gone ? 0.0 : t;
  double sn, cs;
  SinCos(th, sn, cs);
  const double m = ExpNonPositive(gone ? 0.0 : x);
  const double pr = m * cs, pi = m * sn;
  er = gone ? 0.0 : pr;
  ei = gone ? 0.0 : pi;
}

// One interface of the planar recursion: (num, den) <- (P num e + M den, M num e + P den) for the
// layer's round trip e = er + j ei, brought back to |Re den| + |Im den| = 1.
VELDO_BATCH_INLINE void StepAcross(double er, double ei, double Mr, double Mi, double Pr, double Pi, double& nr,
                                   double& ni, double& dr, double& di) {
  const double ner = nr * er - ni * ei, nei = nr * ei + ni * er;
  const double nnr = (Pr * ner - Pi * nei) + (Mr * dr - Mi * di);
  const double nni = (Pr * nei + Pi * ner) + (Mr * di + Mi * dr);
  const double ndr = (Mr * ner - Mi * nei) + (Pr * dr - Pi * di);
  const double ndi = (Mr * nei + Mi * ner) + (Pr * di + Pi * dr);
  const double sc = 1.0 / (std::fabs(ndr) + std::fabs(ndi));
  nr = nnr * sc, ni = nni * sc, dr = ndr * sc, di = ndi * sc;
}

// The planar stack of every point as columns: per layer l the arrays s (omega mu0 mu sigma),
// mu and the thickness d, point i at [l * n + i].
struct PlanarColumns {
  std::size_t n = 0, layers = 0;
  std::vector<double> s, mu, d;
};

// The stacks of the points idx (all of one layer count) as columns, layer by layer: omega mu0 mu
// sigma, mu and the thickness (0 for the unbounded last layer), with each point's angular frequency.
PlanarColumns StackColumns(std::span<const std::size_t> idx, std::span<const Conductor* const> cond,
                           std::span<const double> f, std::vector<double>& omega);
// The first layer from which down every point's stack in `col` is the same (col.layers when none is).
std::size_t SharedFrom(const PlanarColumns& col);

// The reflection coefficient rho(k) of every point's stack at one k, into rr and ri. shared: the
// first layer from which down every point's stack is the same (c.layers when none is): the
// recursion through those layers runs once, for point 0, and is copied to the others.
class PlanarKernel {
public:
  PlanarKernel(const PlanarColumns& c, std::size_t shared);
  void Reflection(double k, double* rr, double* ri);

private:
  const PlanarColumns& c_;
  std::size_t shared_;
  std::vector<double> ar_, ai_, nr_, ni_, dr_, di_;
};

// The ratios of the modified Bessel functions of orders 1 and 0 that a cylindrical half-space's
// admittance needs, K1(z)/K0(z) (bore) and I1(z)/I0(z) (rod), for z = alpha r with
// Re z >= Im z >= 0 (alpha^2 = k^2 + j s), kLanes arguments at a time in plain loops: each
// routine runs the same number of steps in every lane, so the loop over the lanes vectorises.
// Each is accurate to a few units of the last place in its range (tests/data/models/
// bessel_ratios.csv, against mpmath); below |z| = kRatioSmall the points take Amos' routines.
inline constexpr int kLanes = 8;
inline constexpr double kRatioSmall = 0.5;  // below: Amos (Steed's fraction would need > 110 steps)
inline constexpr double kRatioLarge = 20.0;  // from here on: Hankel's expansions
// The steps each routine takes for the lanes' smallest or largest |z| (with a margin over the
// counts that reach the rounding level on arg z in [0, pi/4]).
inline int SteedSteps(double minAbs) { return 10 + static_cast<int>(50.0 / minAbs); }
inline int MillerSteps(double maxAbs) { return 12 + static_cast<int>(1.25 * maxAbs); }
inline int HankelTerms(double minAbs) { return minAbs >= 40.0 ? 12 : minAbs >= 30.0 ? 16 : 20; }
// K1/K0 by Steed's continued fraction, n steps (kRatioSmall <= |z| < kRatioLarge).
void RatioKSteed(int n, const double* zr, const double* zi, double* qr, double* qi);
// I1/I0 by Miller's backward recurrence from order n (|z| < kRatioLarge).
void RatioIMiller(int n, const double* zr, const double* zi, double* qr, double* qi);
// K1/K0 and I1/I0 by Hankel's expansions to the power m <= 20 of 1/z (|z| >= kRatioLarge).
void RatioKHankel(int m, const double* zr, const double* zi, double* qr, double* qi);
void RatioIHankel(int m, const double* zr, const double* zi, double* qr, double* qi);

// A plate's batch of one coil (pickup the drive), or of a coaxial drive and pickup (their
// transfer impedance).
void PlanarChunk(const Coil& drive, const Coil& pickup, std::span<const std::size_t> idx,
                 std::span<const Conductor* const> cond, std::span<const double> f, double Acc,
                 std::span<Impedance> out, std::vector<char>& trusted);
// The batches of the three geometries: the points idx (positions in the caller's spans) of one
// kind, into out and trusted (false: the adaptive path computes the point again).
void CylinderChunk(const Coil& coil, std::span<const std::size_t> idx, std::span<const Conductor* const> cond,
                   std::span<const double> f, double Acc, std::span<Impedance> out, std::vector<char>& trusted);
void VerticalChunk(const Coil& coil, std::span<const std::size_t> idx, std::span<const Conductor* const> cond,
                   std::span<const double> f, double Acc, std::span<Impedance> out, std::vector<char>& trusted);
// Delta L(p_i) - Delta L(inf) of the pair a, b (both normal to the plate) over the plate
// `conductor` at every Laplace variable p_i, into out and trusted (false: the adaptive path
// computes the point again).
void LaplaceChunk(const Coil& a, const Coil& b, const Conductor& conductor, std::span<const TComplex> p, double Acc,
                  std::span<TComplex> out, std::vector<char>& trusted);

}  // namespace veldo::batch_detail
