// Coil-integral functions: the cross-section integrals of t*J1(t), t*I1(t), t*K1(t) between
// k*R1 and k*R2, and the running integrals of J0, I0, K0 they are built from.
//
// The running integrals follow MISCFUN, ACM TOMS Algorithm 757:
//   [1] A. J. MacLeod, "Algorithm 757: MISCFUN, a software package to compute uncommon special
//       functions", ACM Trans. Math. Softw. 22 (1996) 288-301, doi:10.1145/232826.232846.
//   [2] J. Oliver, "An error analysis of the modified Clenshaw method for evaluating Chebyshev
//       and Fourier series", J. Inst. Math. Appl. 20 (1977) 379-391 (the CHEVAL recurrence).
//   netlib: https://netlib.org/toms/757
// The names and argument lists are the published ones (CHEVAL(N, A, T), J0INT(XVALUE), ...).
//
// All functions are pure: they read constant tables only and keep no state, so they may be
// called from any number of threads at once.
#pragma once

namespace veldo {

// Chebyshev sum a[0]/2 + sum_{j=1..n} a[j]*T_j(t) (Clenshaw's recurrence, with Reinsch's
// modification for |t| >= 0.6). `a` holds the coefficients at indices 0..n; n is the highest
// index used and may be -1 (empty series, result 0).
double CHEVAL(int n, const double* a, double t);

// Integral of J0(t) from 0 to x (odd in x; exactly 1 beyond 1/eps, about 9.0072e15).
double J0INT(double x);
// Integral of I0(t) from 0 to x (odd in x; capped at its value at xhigh, about 713.70).
double I0INT(double x);
// Integral of K0(t) from 0 to x (0 for x <= 0; exactly pi/2 from about 36.04 on).
double K0INT(double x);
// e^-x times the integral of I0(t) from 0 to x, for x >= 0 (no cap).
double I0INTScaled(double x);
// e^x times the integral of K0(t) from x to infinity, for x >= 6 (K0INT's asymptotic series on
// its own, not subtracted from pi/2).
double K0INTTailScaled(double x);

// Integral of t*J1(t) from x1 to x2 (callers pass 0 <= x1 <= x2: x1 = k*R1, x2 = k*R2).
double CoilIntJ(double x1, double x2);
// Integral of t*I1(t) from x1 to x2. Where I0 overflows (x2 above about 700.92) the integral
// is not representable in a useful way; the result is then kCoilIntIOverflow, a finite value
// above sqrt(1.7e308), so that every kernel's cut-off drops the node. No flag is raised.
double CoilIntI(double x1, double x2);
// e^-x2 times the integral of t*I1(t) from x1 to x2 (0 <= x1 <= x2): finite for every x2,
// where CoilIntI overflows from x2 of about 700.92 on. 0 where Amos computes nothing (x2
// above about 1.07e9).
double CoilIntIScaled(double x1, double x2);
// Integral of t*K1(t) from x1 to x2; x*K0(x) is taken as its limit 0 at x = 0. For x1 >= 6 it
// is formed from the two tails to infinity, so it keeps its relative accuracy where it is
// exponentially small (it underflows to 0 only beyond x1 of about 745).
double CoilIntK(double x1, double x2);

// The value CoilIntI returns where I0 overflows: the overflow limit of this unit's
// machine-constant table (1.7e308), above the kernels' cut-off sqrt(1.7e308) = 1.3038e154.
inline constexpr double kCoilIntIOverflow = 1.7e308;

}  // namespace veldo
