// The coil-integral functions: integrals of t*J1(t), t*I1(t), t*K1(t) across the coil's
// cross-section, in closed form from order-0 Bessel values and the running integrals of
// coilint/miscfun.cpp. No quadrature is involved.
//
// With Z0 one of J0, I0, K0, each integrand is a total derivative plus Z0 itself:
//   t J1(t) = J0(t) - d/dt[t J0(t)]      (J1 = -J0', so t J1 = -t J0' = J0 - (t J0)')
//   t I1(t) = d/dt[t I0(t)] - I0(t)      (I1 = +I0')
//   t K1(t) = K0(t) - d/dt[t K0(t)]      (K1 = -K0')
// so the integral from 0 to x is
//   G_J(x) = J0INT(x) - x J0(x),   G_I(x) = x I0(x) - I0INT(x),   G_K(x) = K0INT(x) - x K0(x),
// and the integral from x1 to x2 is G(x2) - G(x1). The order-0 value comes from one unscaled
// Amos call (FNU = 0, KODE = 1, N = 1); its result arrays start zeroed, so a member the routine
// leaves unwritten reads as 0 rather than as whatever the stack held.
#include "coilint/coilint.hpp"

#include <cmath>

#include "bessel/amos.hpp"

namespace veldo {
namespace {

// Amos' IERR values after which the member was computed (0: normal; 3: computed with reduced
// accuracy, |z| above sqrt(0.5/TOL)). Every other value leaves CYR untouched.
constexpr int kIerrNormal = 0;
constexpr int kIerrLossOfSignificance = 3;

// Integral of t J1(t) from 0 to x. For |x| beyond Amos' argument limit (about 2.25e15, IERR 4)
// J0 is not computed and x J0(x) is taken as 0: there the J0INT term is exactly 1 and every
// caller divides the result by a high power of k, so the value only has to stay finite.
double GJ(double x) {
  double cyr[2] = {}, cyi[2] = {};
  int nz = 0, ierr = 0;
  ZBESJ(x, 0.0, 0.0, 1, 1, cyr, cyi, nz, ierr);
  return J0INT(x) - x * cyr[1];
}

// Integral of t I1(t) from 0 to x. Returns false, leaving g unset, where I0(x) is not
// representable (IERR 2 once x exceeds ELIM, about 700.92) or not computed at all.
bool GI(double x, double& g) {
  double cyr[2] = {}, cyi[2] = {};
  int nz = 0, ierr = 0;
  ZBESI(x, 0.0, 0.0, 1, 1, cyr, cyi, nz, ierr);
  if (ierr != kIerrNormal && ierr != kIerrLossOfSignificance) return false;
  g = x * cyr[1] - I0INT(x);
  return true;
}

// Integral of t K1(t) from 0 to x. K0 has a logarithmic singularity at 0 but x K0(x) tends to 0
// there, and ZBESK refuses z = 0, so at x = 0 the product is taken as its limit without a call.
// Below Amos' underflow bound (|z| < 1000 * smallest subnormal, IERR 2) K0 is not computed and
// the zeroed array gives x K0(x) = 0, which is below 1e-317 there anyway; where K0 underflows at
// large x Amos returns 0 with NZ = 1, which is the correct rounded product.
double GK(double x) {
  double xk0 = 0.0;
  if (x != 0.0) {
    double cyr[2] = {}, cyi[2] = {};
    int nz = 0, ierr = 0;
    ZBESK(x, 0.0, 0.0, 1, 1, cyr, cyi, nz, ierr);
    xk0 = x * cyr[1];
  }
  return K0INT(x) - xk0;
}

}  // namespace

double CoilIntJ(double x1, double x2) {
  const double g2 = GJ(x2);
  const double g1 = GJ(x1);
  return g2 - g1;
}

// Where I0 overflows the integral itself exceeds any double of use (t I1(t) near 700 is about
// 1e305 and grows like e^t); kCoilIntIOverflow stands for it. It is above the kernels'
// cut-off sqrt(1.7e308), so the node is dropped before the value enters any arithmetic. Since
// x1 <= x2, an overflow at x1 implies one at x2, which is tested first.
double CoilIntI(double x1, double x2) {
  double g2 = 0.0, g1 = 0.0;
  if (!GI(x2, g2)) return kCoilIntIOverflow;
  if (!GI(x1, g1)) return kCoilIntIOverflow;
  return g2 - g1;
}

// e^-x G_I(x) = x I0(x) e^-x - I0INT(x) e^-x, from the scaled ZBESI (KODE 2) and the scaled
// running integral; false where ZBESI computes nothing.
bool GIScaled(double x, double& g) {
  double cyr[2] = {}, cyi[2] = {};
  int nz = 0, ierr = 0;
  ZBESI(x, 0.0, 0.0, 2, 1, cyr, cyi, nz, ierr);
  if (ierr != kIerrNormal && ierr != kIerrLossOfSignificance) return false;
  g = x * cyr[1] - I0INTScaled(x);
  return true;
}

// e^x T(x), T(x) = integral of t K1(t) from x to infinity = x K0(x) + integral of K0 from x to
// infinity (the same identity as G_K, taken from the other end), for x >= 6: the K0 tail from
// K0INT's asymptotic series and x K0(x) from the scaled ZBESK (KODE 2, K0(x) e^x), so neither
// part under- or overflows. Where ZBESK computes nothing (IERR 4, x above about 1.07e9) the
// zeroed array leaves only the K0 tail; e^-x is 0 there anyway.
double ScaledTailK(double x) {
  double cyr[2] = {}, cyi[2] = {};
  int nz = 0, ierr = 0;
  ZBESK(x, 0.0, 0.0, 2, 1, cyr, cyi, nz, ierr);
  return K0INTTailScaled(x) + x * cyr[1];
}

// e^-x2 (G_I(x2) - G_I(x1)) = e^-x2 G_I(x2) - e^-(x2 - x1) (e^-x1 G_I(x1)).
double CoilIntIScaled(double x1, double x2) {
  double g2 = 0.0, g1 = 0.0;
  if (!GIScaled(x2, g2) || !GIScaled(x1, g1)) return 0.0;
  return g2 - std::exp(-(x2 - x1)) * g1;
}

// Below x1 = 6 the integral is G_K(x2) - G_K(x1) with the published K0INT. From 6 on, both G_K
// values lie within e^-6 of pi/2 and their difference keeps only pi/2's absolute accuracy;
// from x1 of about 36 K0INT is exactly pi/2 at both ends and the difference would be 0. There
// the integral is T(x1) - T(x2) = e^-x1 (S(x1) - e^-(x2 - x1) S(x2)), S = e^x T, whose parts
// are all well conditioned: only the subtraction itself cancels, as the integral does, when x2
// is close to x1.
double CoilIntK(double x1, double x2) {
  if (x1 >= 6.0) {
    const double s1 = ScaledTailK(x1);
    const double s2 = ScaledTailK(x2);
    return std::exp(-x1) * (s1 - std::exp(-(x2 - x1)) * s2);
  }
  const double g2 = GK(x2);
  const double g1 = GK(x1);
  return g2 - g1;
}

}  // namespace veldo
