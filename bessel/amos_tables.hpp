// Machine-constant tables of the Bessel unit, shared by D1MACH/I1MACH and the compile-time
// checks of the limits derived from them. Internal to bessel/.
#pragma once

namespace veldo::amos_detail {

// D1MACH(1..5). Element 0 is a placeholder so the Fortran index reads directly.
//  1: the smallest subnormal double (the underflow base of every bound below; the smallest
//     normal double would be 2.2250738585072014e-308)
//  2: overflow base, a short decimal below the largest double
//  3: half the relative spacing (not read by the unit)
//  4: relative precision, the short decimal 2.220446e-16 (slightly below 2^-52)
//  5: log10 of the radix, the short decimal 0.30103
inline constexpr double kD1mach[6] = {
    0.0,                      // (unused)
    4.9406564584124654e-324,  // 1
    1.7e308,                  // 2
    1.110223e-16,             // 3
    2.220446e-16,             // 4
    0.30103,                  // 5
};

// I1MACH(1..16); the unit reads 9, 14, 15 and 16.
inline constexpr int kI1mach[17] = {
    0,                                    // (unused)
    5,          6,   0,    0,             // 1..4   units
    32,         4,   2,    31,            // 5..8   integer word
    2147483647, 2,   24,   -125, 127,     // 9..13  largest integer, float radix/digits/exponents
    53,         -1021, 1023,              // 14..16 double digits and exponent range
};

}  // namespace veldo::amos_detail

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "bessel/amos.hpp"

namespace veldo::amos_detail {

// Limits shared by the entry points, formed from the two machine-constant tables on every call
// (nothing cached), each step in extended precision and stored as a double:
//   TOL  = max(D1MACH(4), 1e-18)                             = 2.220446e-16
//   ELIM = 2.303*(min(|I1MACH(15)|, |I1MACH(16)|)*R1M5 - 3)  = 700.92180389  exp(-ELIM) ~ underflow
//   DIG  = min(R1M5*(I1MACH(14) - 1), 18)                    = 15.65356
//   ALIM = ELIM + max(-2.303*R1M5*(I1MACH(14) - 1), -41.45)  = 664.87165521  ELIM less one precision
//   RL   = 1.2*DIG + 3                                       = 21.784272     asymptotic in |z| beyond
//   FNUL = 10 + 6*(DIG - 3)                                  = 85.92136      uniform in order beyond
// with R1M5 = D1MACH(5).
inline void MachineLimits(double& tol, double& elim, double& alim, double& rl, double& fnul) {
  tol = std::fmax(D1MACH(4), 1.0e-18);
  int k1 = I1MACH(15);
  const int k2 = I1MACH(16);
  const double r1m5 = D1MACH(5);
  const int k = std::min(std::abs(k1), std::abs(k2));
  elim = static_cast<double>(2.303L * (static_cast<long double>(k) * r1m5 - 3.0L));
  k1 = I1MACH(14) - 1;
  double aa = static_cast<double>(static_cast<long double>(r1m5) * k1);
  const double dig = std::fmin(aa, 18.0);
  aa = static_cast<double>(aa * 2.303L);
  alim = static_cast<double>(static_cast<long double>(elim) + std::fmax(-aa, -41.45));
  rl = static_cast<double>(1.2L * dig + 3.0L);
  fnul = static_cast<double>(10.0L + 6.0L * (static_cast<long double>(dig) - 3.0L));
}

// Range limit of the entry points: min(0.5/TOL, I1MACH(9)/2) = 1073741823.5. Beyond it nothing
// is computed (IERR = 4); beyond its square root 32767.999992370605 the values have lost half
// their digits (IERR = 3).
inline double RangeLimit(double tol) {
  const double aa = 0.5 / tol;
  const double bb = static_cast<double>(I1MACH(9)) * 0.5;
  return std::fmin(aa, bb);
}

}  // namespace veldo::amos_detail
