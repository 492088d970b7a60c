// One call of ZBESI, ZBESJ, ZBESK or ZAIRY as the Bessel tests make it: sentinels in every
// element of the result arrays, the status, and the fault flags the call raised.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <cstdio>
#include <limits>
#include <string>

#include "bessel/amos.hpp"
#include "tests/support/test_support.hpp"

namespace veldo::test {

using cd = std::complex<double>;

// func 'I', 'J', 'K', or 'A' for Ai (member 1) and Ai' (member 2) with N = 2.
struct BesselCall {
  char func;
  double zr, zi, fnu;
  int kode, n;
};

inline constexpr double kSentinel = -7.25;
inline constexpr int kSlots = 7;  // index 0, up to five members, one beyond

struct BesselResult {
  double cyr[kSlots], cyi[kSlots];
  int nz = -99, ierr = -99, flags = 0;
  cd operator[](int k) const { return {cyr[k], cyi[k]}; }
  // Index 0 and the elements after member n keep their sentinel.
  bool UntouchedBeyond(int n) const {
    for (int k = 0; k < kSlots; ++k)
      if ((k == 0 || k > n) && (cyr[k] != kSentinel || cyi[k] != kSentinel)) return false;
    return true;
  }
};

// Error bound for a member whose condition number |z f'(z)/f(z)| is `cond`, at large orders or
// arguments. The methods carry exponents of that size through exp, cos and sin (argument
// reduction, the zeta functions of the uniform expansions), so their relative error grows like
// eps * cond (Amos: "p * 10^s" with 10^s about max(|z|, FNU)); 32 eps per unit of cond leaves
// room for the dozen roundings along the way. Well-conditioned members (cond <= 14): 1e-13.
inline double CondBound(double cond) { return std::max(1e-13, 32.0 * std::numeric_limits<double>::epsilon() * cond); }

inline std::string Describe(const BesselCall& c) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%c fnu=%.17g kode=%d n=%d z=(%.17g, %.17g)", c.func, c.fnu, c.kode, c.n, c.zr,
                c.zi);
  return buf;
}

// The call, checked for what holds whatever the status: nothing written at index 0 or beyond
// member N, nothing at all on an input error (IERR 1) or beyond the range limit (IERR 4).
inline BesselResult Eval(const BesselCall& c) {
  BesselResult r;
  std::fill(std::begin(r.cyr), std::end(r.cyr), kSentinel);
  std::fill(std::begin(r.cyi), std::end(r.cyi), kSentinel);
  {
    FpFlagWatch watch;
    switch (c.func) {
      case 'I': ZBESI(c.zr, c.zi, c.fnu, c.kode, c.n, r.cyr, r.cyi, r.nz, r.ierr); break;
      case 'J': ZBESJ(c.zr, c.zi, c.fnu, c.kode, c.n, r.cyr, r.cyi, r.nz, r.ierr); break;
      case 'K': ZBESK(c.zr, c.zi, c.fnu, c.kode, c.n, r.cyr, r.cyi, r.nz, r.ierr); break;
      default: {
        int nz = 0, ierr = 0;
        ZAIRY(c.zr, c.zi, 0, c.kode, r.cyr[1], r.cyi[1], r.nz, r.ierr);
        ZAIRY(c.zr, c.zi, 1, c.kode, r.cyr[2], r.cyi[2], nz, ierr);
        EXPECT_EQ(nz, r.nz) << Describe(c);  // Ai and Ai' share the exponent tests
        EXPECT_EQ(ierr, r.ierr) << Describe(c);
      }
    }
    r.flags = watch.raised();
  }
  EXPECT_TRUE(r.UntouchedBeyond(r.ierr == 1 || r.ierr == 4 ? 0 : c.n)) << Describe(c) << " ierr " << r.ierr;
  return r;
}

}  // namespace veldo::test
