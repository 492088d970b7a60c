// Integrals S = int_0^inf K(k) J0(k x) dk of a kernel with a Bessel factor of two coils whose axes
// are x > 0 apart, for any x.
//
// Over (0, inf) in one QAGI run the factor J0(k x) oscillates x/R2 times per unit of kappa = k R2:
// for coils far apart compared with their size (or with the skin depth) it crosses zero thousands
// of times where the coil factor still matters, the rule's nodes alias the oscillation and the
// result is off by orders of magnitude (reported as IER 2 or 3). Here the range is cut at the
// zeros of J0(k x) instead, each half-wave ("cycle") is integrated by the 15-point Gauss-Kronrod
// rule with bisection to near the rounding level, and the partial sums over the cycles, an
// alternating sequence whose terms change slowly once the kernel is smooth on the scale pi/x, are
// extrapolated by Wynn's epsilon algorithm (QELG). This is QUADPACK's QAWF scheme for Fourier
// integrals [1] (routine DQAWFE: cycles, QELG on the partial sums, its convergence and roundoff
// tests) with the sine's cycles replaced by the half-waves of J0, as Lucas and Stone [2] do for
// Hankel transforms ("integration then summation" with the epsilon algorithm).
//
// The cycle ends are McMahon's asymptotic zeros j_{0,m} ~ b + 1/(8b) - 124/(3 (8b)^3) +
// 120928/(15 (8b)^5), b = (m - 1/4) pi [3, 9.5.12], within 2e-4 of the exact zero for m = 1 and
// closer after: the cycle integrals alternate whichever exact ends they have.
//
// [1] R. Piessens, E. de Doncker-Kapenga, C. W. Ueberhuber, D. K. Kahaner, QUADPACK, Springer 1983,
//     routines DQAWF/DQAWFE, DQK15, DQELG.
// [2] S. K. Lucas, H. A. Stone, Evaluating infinite integrals involving Bessel functions of
//     arbitrary order, J. Comput. Appl. Math. 64 (1995) 217-231.
// [3] M. Abramowitz, I. A. Stegun, Handbook of Mathematical Functions, 1964.
#pragma once

#include <algorithm>
#include <cmath>

#include "models/model_driver.hpp"
#include "numerics/complex.hpp"
#include "numerics/quadpack.hpp"

namespace veldo::models_detail {

// The m-th positive zero of J0 (m >= 1) by McMahon's expansion.
double BesselJ0ZeroMcMahon(int m);

// Whether two coils of outer radii Ra, Rb with axes x apart take the cycle sums below: when the
// gap x - Ra - Rb is at least half of Ra + Rb. Closer, J0(k x) oscillates no faster than the coil
// factors J_a J_b, whose oscillation beats against it at the slow frequency x - Ra - Rb: QAGI over
// (0, inf) resolves that (to 1e-7 in air at a gap of an eighth of Ra + Rb), while the cycle
// integrals lose the regular alternation the epsilon algorithm extrapolates (1e-5 there). Farther
// apart QAGI aliases J0 (5e-4 off in air at x = 6 (Ra + Rb); over a plate the resistive part of
// 0.1 mm coils 3 skin depths apart off by a factor 5, at 10 skin depths by 1e3) and the cycle sums
// reach Acc.
inline bool CyclesApart(double x, double Ra, double Rb) { return x >= 1.5 * (Ra + Rb); }

// J(x1, x2) = int_x1^x2 t J1(t) dt as CoilIntJ, but for x2 <= 1 from the power series of t J1(t):
// the difference of the two ends' antiderivatives that CoilIntJ forms loses its digits as
// (x2)^-2 there (1e-5 relative at x2 = 1e-5), and coils far apart take their coupling from
// k ~ 1/x, where k R2 is that small.
long double CoilIntJOffset(double x1, double x2);

// One real part of the cycle sums and its extrapolation, DQAWFE's bookkeeping with a relative
// target: the cycle integrals are added in order; the sum is settled when the last cycle and the
// cycles' errors are below Acc |sum| (a kernel that has died out), or when the epsilon algorithm's
// limit is within Acc |limit| together with ten times the largest cycle error.
class CycleSeries {
public:
  // Adds the L-th cycle integral (L = 1, 2, ...) with its error estimate; `cycleFailed` when its
  // bisection ran out of subintervals.
  void Add(int L, double term, double err, bool cycleFailed, double Acc);
  // Settled, or stopped by the roundoff test (more cycles would not help).
  bool Done() const { return settled_ || ier_ != 0; }
  // After the last Add: the result, and IER 0 when it was settled, else 1 (the cycle limit was
  // reached), 2 (roundoff: the extrapolation has not improved for 15 cycles while its
  // error is already far below that of the partial sums) or 3 (a cycle
  // could not be integrated to its tolerance).
  double Finish(int& ier);

private:
  double psum_[LIMEXP + 3] = {};
  double res3la_[4] = {};
  int numrl2_ = 0, ll_ = 0, nres_ = 0, ktmin_ = 0, ier_ = 0;
  double errsum_ = 0.0, correc_ = 0.0, drl_ = 0.0, result_ = 0.0, abserr_ = QMACH(2);
  bool settled_ = false, extrapolated_ = false, failed_ = false;
};

// Cycles per integral at most: Wynn's table settles within some tens of cycles once the kernel is
// smooth on the cycle's scale; the limit bounds the work of a kernel that is not.
inline constexpr int kMaxCycles = 600;
// Subintervals per cycle at most (the bisection of one half-wave).
inline constexpr int kCycleParts = 40;

// DQK15, QUADPACK's 15-point Gauss-Kronrod rule on the finite interval (A, B) [1], applied to the
// real and imaginary part of a complex kernel at once: RESULT the Kronrod estimate, ABSERR,
// RESABS and RESASC per part as the published routine forms them. The kernel is called as
// kernel(kappa, k) with k = kappa / R2.
struct QK15Parts {
  TComplex RESULT;
  double ABSERR[2], RESABS[2];
};

template <class Kernel>
QK15Parts QK15(const Kernel& kernel, double R2, double A, double B, long long& evals) {
  using veldo::detail::WG;
  using veldo::detail::WGK;
  using veldo::detail::XGK;
  const double EPMACH = QMACH(4), UFLOW = QMACH(1);
  const double CENTR = 0.5 * (A + B), HLGTH = 0.5 * (B - A);
  double FV1[2][8], FV2[2][8];
  auto at = [&](double kappa) {
    ++evals;
    return kernel(kappa, kappa / R2);
  };
  const TComplex FC = at(CENTR);
  double resg[2] = {WG[8] * FC.Re, WG[8] * FC.Im}, resk[2] = {WGK[8] * FC.Re, WGK[8] * FC.Im};
  double resabs[2] = {std::fabs(resk[0]), std::fabs(resk[1])};
  for (int J = 1; J <= 7; ++J) {
    const double ABSC = HLGTH * XGK[J];
    const TComplex F1 = at(CENTR - ABSC), F2 = at(CENTR + ABSC);
    const double v1[2] = {F1.Re, F1.Im}, v2[2] = {F2.Re, F2.Im};
    for (int p = 0; p < 2; ++p) {
      FV1[p][J] = v1[p];
      FV2[p][J] = v2[p];
      resg[p] += WG[J] * (v1[p] + v2[p]);
      resk[p] += WGK[J] * (v1[p] + v2[p]);
      resabs[p] += WGK[J] * (std::fabs(v1[p]) + std::fabs(v2[p]));
    }
  }
  QK15Parts out;
  const double fc[2] = {FC.Re, FC.Im};
  double result[2];
  for (int p = 0; p < 2; ++p) {
    const double RESKH = resk[p] * 0.5;
    double RESASC = WGK[8] * std::fabs(fc[p] - RESKH);
    for (int J = 1; J <= 7; ++J) RESASC += WGK[J] * (std::fabs(FV1[p][J] - RESKH) + std::fabs(FV2[p][J] - RESKH));
    result[p] = resk[p] * HLGTH;
    RESASC *= HLGTH;
    const double RESABS = resabs[p] * std::fabs(HLGTH);
    double ABSERR = std::fabs((resk[p] - resg[p]) * HLGTH);
    if (RESASC != 0.0 && ABSERR != 0.0) ABSERR = RESASC * std::min(1.0, std::pow(200.0 * ABSERR / RESASC, 1.5));
    if (RESABS > UFLOW / (50.0 * EPMACH)) ABSERR = std::max((EPMACH * 50.0) * RESABS, ABSERR);
    out.ABSERR[p] = ABSERR;
    out.RESABS[p] = RESABS;
  }
  out.RESULT = Cmplx(result[0], result[1]);
  return out;
}

// The relative accuracy each cycle is integrated to, against the integral of |part| over the
// cycle: well below Acc, since the cycle sums of coils far apart cancel to a small part of the
// first cycles' size (the far field of a plate falls off as x^-5 against the x^-3 of one
// cycle), and not below what the 15-point rule's error estimate can certify.
inline double CycleTolerance(double Acc) { return std::max(1e-6 * Acc, 1e-13); }

// The integral of one cycle (A, B) in kappa to CycleTolerance: bisection of the subinterval with
// the largest error (globally adaptive, as DQAG) until both parts are within it. Returns the
// integral and each part's error; `failed` when kCycleParts subintervals did not suffice.
template <class Kernel>
TComplex IntegrateCycle(const Kernel& kernel, double R2, double A, double B, double Acc, double err[2], bool& failed,
                        long long& evals) {
  struct Part {
    double a, b;
    QK15Parts r;
  };
  Part parts[kCycleParts];
  int n = 1;
  parts[0] = Part{A, B, QK15(kernel, R2, A, B, evals)};
  const double tol = CycleTolerance(Acc);
  failed = false;
  for (;;) {
    double sum[2] = {0.0, 0.0}, e[2] = {0.0, 0.0}, mass[2] = {0.0, 0.0};
    int worst = 0;
    double worstErr = -1.0;
    for (int i = 0; i < n; ++i) {
      const QK15Parts& r = parts[i].r;
      sum[0] += r.RESULT.Re, sum[1] += r.RESULT.Im;
      for (int p = 0; p < 2; ++p) e[p] += r.ABSERR[p], mass[p] += r.RESABS[p];
    }
    // The subinterval to halve: the largest error relative to its part's budget.
    for (int i = 0; i < n; ++i) {
      const QK15Parts& r = parts[i].r;
      double w = 0.0;
      for (int p = 0; p < 2; ++p)
        if (mass[p] > 0.0) w = std::max(w, r.ABSERR[p] / mass[p]);
      if (w > worstErr) worstErr = w, worst = i;
    }
    err[0] = e[0], err[1] = e[1];
    const bool within = e[0] <= tol * mass[0] && e[1] <= tol * mass[1];
    if (within) return Cmplx(sum[0], sum[1]);
    if (n + 1 > kCycleParts) {
      failed = true;
      return Cmplx(sum[0], sum[1]);
    }
    const double a = parts[worst].a, b = parts[worst].b, mid = 0.5 * (a + b);
    if (!(mid > a && mid < b)) {  // no room left to halve: the rounding level
      failed = true;
      return Cmplx(sum[0], sum[1]);
    }
    parts[worst] = Part{a, mid, QK15(kernel, R2, a, mid, evals)};
    parts[n++] = Part{mid, b, QK15(kernel, R2, mid, b, evals)};
  }
}

// S = int_0^inf K(k) J0(k x) dk, x > 0, the kernel K(k) J0(k x) called as kernel(kappa, k) (k =
// kappa / R2, the Bessel factor included by the caller), to the relative accuracy Acc for the
// real and the imaginary part each. Ier as CombineIer: 1 the real part missed Acc, 2 the
// imaginary part, 3 both; the best estimates whatever it says. `evals` counts kernel calls.
template <class Kernel>
TComplex IntegrateOffsetKernel(const Kernel& kernel, double R2, double x, double Acc, int& Ier, long long& evals) {
  CycleSeries re, im;
  const double scale = R2 / x;  // kappa of the zero j of J0(k x): j R2 / x
  double A = 0.0;
  for (int L = 1; L <= kMaxCycles; ++L) {
    const double B = BesselJ0ZeroMcMahon(L) * scale;
    double err[2];
    bool failed = false;
    const TComplex c = IntegrateCycle(kernel, R2, A, B, Acc, err, failed, evals);
    if (!re.Done()) re.Add(L, c.Re, err[0], failed, Acc);
    if (!im.Done()) im.Add(L, c.Im, err[1], failed, Acc);
    if (re.Done() && im.Done()) break;
    A = B;
  }
  int ierRe = 0, ierIm = 0;
  const double sr = re.Finish(ierRe), si = im.Finish(ierIm);
  if (Acc < kAttainableAcc) {  // beyond the kernels' rounding, as QagiOverKappa says
    if (ierRe == 0) ierRe = kQagiRoundoffIer;
    if (ierIm == 0) ierIm = kQagiRoundoffIer;
  }
  Ier = CombineIer(ierIm, ierRe);
  return Cmplx(sr / R2, si / R2);  // the Jacobian of k = kappa / R2
}

}  // namespace veldo::models_detail
