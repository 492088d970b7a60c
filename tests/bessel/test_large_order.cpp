// Tests of the large-order Bessel routines (uniform asymptotic expansions, overflow/underflow
// pre-tests, Wronskian normalisation, Airy function) through the entry points ZBESI, ZBESJ,
// ZBESK and ZAIRY, against mpmath references (tests/data/bessel/large_order_*.csv).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "bessel/amos.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

using test::CsvTable;
using test::FpFlagWatch;
using test::ReadCsv;
using test::RelErr;

constexpr double kEps = std::numeric_limits<double>::epsilon();
constexpr double kSentinel = -7.25;  // fills every element the routines must not write
constexpr int kSlots = 7;            // index 0 plus up to 5 members plus one beyond

// Error bound for a member whose condition number |z f'(z)/f(z)| is `cond`. The methods carry
// exponents of that size through exp, cos and sin (argument reduction, the zeta functions of the
// uniform expansions), so their relative error grows like eps * cond (Amos: "p * 10^s" with
// 10^s about max(|z|, FNU)); 32 eps per unit of cond leaves room for the dozen roundings along
// the way. Well-conditioned members (cond <= 14) are held to 1e-13.
double Bound(double cond) { return std::max(1e-13, 32.0 * kEps * cond); }

// One call of an entry point: func I, J, K, or A (n = 2: Ai in member 1, Ai' in member 2).
struct Call {
  char func;
  int kode, n;
  double fnu, zr, zi;
};

struct Result {
  double cyr[kSlots], cyi[kSlots];
  int nz = -99, ierr = -99, flags = 0;
  // Element 0 and the elements after member n keep the sentinel.
  bool Untouched(int n) const {
    for (int k = 0; k < kSlots; ++k) {
      if (k >= 1 && k <= n) continue;
      if (cyr[k] != kSentinel || cyi[k] != kSentinel) return false;
    }
    return true;
  }
};

Result Evaluate(const Call& c) {
  Result r;
  std::fill(std::begin(r.cyr), std::end(r.cyr), kSentinel);
  std::fill(std::begin(r.cyi), std::end(r.cyi), kSentinel);
  FpFlagWatch watch;
  switch (c.func) {
    case 'I': ZBESI(c.zr, c.zi, c.fnu, c.kode, c.n, r.cyr, r.cyi, r.nz, r.ierr); break;
    case 'J': ZBESJ(c.zr, c.zi, c.fnu, c.kode, c.n, r.cyr, r.cyi, r.nz, r.ierr); break;
    case 'K': ZBESK(c.zr, c.zi, c.fnu, c.kode, c.n, r.cyr, r.cyi, r.nz, r.ierr); break;
    default: {
      int nz = 0, ierr = 0;
      ZAIRY(c.zr, c.zi, 0, c.kode, r.cyr[1], r.cyi[1], r.nz, r.ierr);
      ZAIRY(c.zr, c.zi, 1, c.kode, r.cyr[2], r.cyi[2], nz, ierr);
      EXPECT_EQ(nz, r.nz);  // Ai and Ai' share the exponent tests
      EXPECT_EQ(ierr, r.ierr);
    }
  }
  r.flags = watch.raised();
  return r;
}

std::string Describe(const Call& c) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%c fnu=%.17g kode=%d n=%d z=(%.17g, %.17g)", c.func, c.fnu,
                c.kode, c.n, c.zr, c.zi);
  return buf;
}

// The rows of a table grouped by call (one row per member k).
struct Group {
  Call call;
  std::vector<std::size_t> rows;
};

std::vector<Group> GroupRows(const CsvTable& t, bool hasFnu) {
  std::vector<Group> groups;
  const std::size_t cf = t.col("func"), ck = t.col("kode"), cn = t.col("n"), czr = t.col("zr"),
                    czi = t.col("zi");
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    const Call c{t.rows[i][cf][0], static_cast<int>(t.num(i, ck)), static_cast<int>(t.num(i, cn)),
                 hasFnu ? t.num(i, t.col("fnu")) : 0.0, t.num(i, czr), t.num(i, czi)};
    if (groups.empty() || t.num(i, t.col("k")) == 1.0) groups.push_back({c, {}});
    groups.back().rows.push_back(i);
  }
  return groups;
}

// I, J, K of orders 0..200 with N up to 5, |z| from 1e-3 to 1000 in all four quadrants, KODE 1
// and 2: every member within its bound, no status, no fault flag, nothing written outside 1..N.
TEST(LargeOrderReference, BesselIJKAgreeWithMpmath) {
  const CsvTable t = ReadCsv("bessel/large_order_ijk.csv");
  const std::size_t cre = t.col("re"), cim = t.col("im"), ccond = t.col("cond"), ck = t.col("k");
  std::size_t members = 0;
  for (const Group& g : GroupRows(t, true)) {
    const Result r = Evaluate(g.call);
    SCOPED_TRACE(Describe(g.call));
    ASSERT_EQ(r.ierr, 0);
    EXPECT_EQ(r.nz, 0);
    EXPECT_EQ(r.flags, 0) << "fault flags raised";
    EXPECT_TRUE(r.Untouched(g.call.n));
    for (std::size_t i : g.rows) {
      const int k = static_cast<int>(t.num(i, ck));
      EXPECT_LE(RelErr(r.cyr[k], r.cyi[k], t.num(i, cre), t.num(i, cim)), Bound(t.num(i, ccond)))
          << "member " << k << " cond " << t.num(i, ccond);
      ++members;
    }
  }
  EXPECT_GE(members, 350u);
}

// Ai(z) and Ai'(z) of complex z, KODE 1 and 2, including z = 0, |z| below TOL and both sides of
// the switch at |z| = 1 from the power series to the K functions of order 1/3 and 2/3.
TEST(LargeOrderReference, AiryAgreesWithMpmath) {
  const CsvTable t = ReadCsv("bessel/large_order_airy.csv");
  const std::size_t cid = t.col("id"), ckode = t.col("kode"), czr = t.col("zr"), czi = t.col("zi"),
                    cre = t.col("re"), cim = t.col("im"), ccond = t.col("cond");
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    const int id = static_cast<int>(t.num(i, cid)), kode = static_cast<int>(t.num(i, ckode));
    const double zr = t.num(i, czr), zi = t.num(i, czi);
    double air = kSentinel, aii = kSentinel;
    int nz = -99, ierr = -99;
    FpFlagWatch watch;
    ZAIRY(zr, zi, id, kode, air, aii, nz, ierr);
    const Call c{'A', kode, 1, 0.0, zr, zi};
    SCOPED_TRACE(Describe(c) + " id=" + std::to_string(id));
    EXPECT_EQ(ierr, 0);
    EXPECT_EQ(nz, 0);
    EXPECT_EQ(watch.raised(), 0);
    EXPECT_LE(RelErr(air, aii, t.num(i, cre), t.num(i, cim)), Bound(t.num(i, ccond)));
  }
}

// The five routing cases into the large-order branches, and calls on both sides of the
// overflow and underflow limits: IERR = 2 once the exponent of the leading term passes ELIM,
// exact zeros counted in NZ once it falls below -ELIM (the last members for I, the first for K),
// values to full accuracy just inside; an order above the half-precision limit gives IERR = 3
// with its value.
TEST(LargeOrderLimits, RoutingOverflowAndUnderflow) {
  const CsvTable t = ReadCsv("bessel/large_order_limits.csv");
  const std::size_t ccase = t.col("case"), cnz = t.col("nz"), cierr = t.col("ierr"),
                    ck = t.col("k"), cre = t.col("re"), cim = t.col("im"), ccond = t.col("cond");
  int cases = 0;
  for (const Group& g : GroupRows(t, true)) {
    const std::size_t first = g.rows.front();
    SCOPED_TRACE(t.rows[first][ccase] + ": " + Describe(g.call));
    const Result r = Evaluate(g.call);
    const int ierr = static_cast<int>(t.num(first, cierr));
    EXPECT_EQ(r.ierr, ierr);
    EXPECT_EQ(r.nz, static_cast<int>(t.num(first, cnz)));
    EXPECT_EQ(r.flags, 0) << "fault flags raised";
    if (g.call.func != 'A') {
      EXPECT_TRUE(r.Untouched(g.call.n));
    }
    ++cases;
    if (ierr != 0 && ierr != 3) continue;  // nothing computed (3: values of reduced accuracy)
    for (std::size_t i : g.rows) {
      const int k = static_cast<int>(t.num(i, ck));
      const double wr = t.num(i, cre), wi = t.num(i, cim);
      if (wr == 0.0 && wi == 0.0) {
        EXPECT_EQ(r.cyr[k], 0.0) << "member " << k << " not set to zero";
        EXPECT_EQ(r.cyi[k], 0.0) << "member " << k << " not set to zero";
      } else {
        EXPECT_LE(RelErr(r.cyr[k], r.cyi[k], wr, wi), Bound(t.num(i, ccond))) << "member " << k;
      }
    }
  }
  EXPECT_EQ(cases, 25);
}

// ZAIRY's range limits: IERR = 3 (values of reduced accuracy) above sqrt(AA), IERR = 4 (nothing
// computed) above AA, with AA = min(0.5/TOL, I1MACH(9)/2)^(2/3) = 1048575.9996744783 and
// sqrt(AA) = 1023.9999998410539. On the positive axis Ai has underflowed there already (NZ = 1).
TEST(LargeOrderLimits, AiryRangeLimits) {
  struct Case {
    double z;
    int nz, ierr;
  };
  for (const Case& c : {Case{1023.9999998410539 * (1 - 1e-12), 1, 0},
                        Case{1023.9999998410539 * (1 + 1e-12), 1, 3},
                        Case{1048575.9996744783 * (1 - 1e-12), 1, 3},
                        Case{1048575.9996744783 * (1 + 1e-12), 0, 4}}) {
    double air = kSentinel, aii = kSentinel;
    int nz = -99, ierr = -99;
    ZAIRY(c.z, 0.0, 0, 1, air, aii, nz, ierr);
    EXPECT_EQ(ierr, c.ierr) << c.z;
    EXPECT_EQ(nz, c.nz) << c.z;
    if (ierr != 4) {
      EXPECT_EQ(air, 0.0);
      EXPECT_EQ(aii, 0.0);
    }
  }
  // Bad ID or KODE: input error, no value.
  double air = kSentinel, aii = kSentinel;
  int nz = -99, ierr = -99;
  ZAIRY(2.0, 1.0, 2, 1, air, aii, nz, ierr);
  EXPECT_EQ(ierr, 1);
  ZAIRY(2.0, 1.0, 0, 3, air, aii, nz, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(air, kSentinel);
}

// The Wronskian I(nu, z) K(nu+1, z) + I(nu+1, z) K(nu, z) = 1/z ties the I expansions (ZUNI1,
// ZUNI2, ZWRSK) to the K expansions (ZUNK1, ZUNK2) without any reference data; a wrong sign, a
// swapped member or a wrong rotation in either breaks it. KODE = 2 keeps the products on scale:
// there exp(-|Re z|) I times exp(z) K carries the factor exp(i Im z) for Re z >= 0.
TEST(LargeOrderIdentities, WronskianOfIAndK) {
  struct Case {
    double fnu, zr, zi;
  };
  for (const Case& c : {Case{120.0, 50.0, 30.0}, Case{120.0, 20.0, -90.0}, Case{95.5, 300.0, 5.0},
                        Case{40.25, 60.0, 20.0}, Case{200.0, 3.0, 250.0}, Case{150.0, 150.0, 0.0}}) {
    SCOPED_TRACE(Describe({'W', 2, 2, c.fnu, c.zr, c.zi}));
    double ir[3] = {}, ii[3] = {}, kr[3] = {}, ki[3] = {};
    int nz = -1, ierr = -1;
    ZBESI(c.zr, c.zi, c.fnu, 2, 2, ir, ii, nz, ierr);
    ASSERT_EQ(ierr, 0);
    ASSERT_EQ(nz, 0);
    ZBESK(c.zr, c.zi, c.fnu, 2, 2, kr, ki, nz, ierr);
    ASSERT_EQ(ierr, 0);
    ASSERT_EQ(nz, 0);
    // w = I(nu) K(nu+1) + I(nu+1) K(nu), compared with exp(i Im z)/z
    const double wr = ir[1] * kr[2] - ii[1] * ki[2] + ir[2] * kr[1] - ii[2] * ki[1];
    const double wi = ir[1] * ki[2] + ii[1] * kr[2] + ir[2] * ki[1] + ii[2] * kr[1];
    const double az2 = c.zr * c.zr + c.zi * c.zi;
    const double er = (std::cos(c.zi) * c.zr + std::sin(c.zi) * c.zi) / az2;
    const double ei = (std::sin(c.zi) * c.zr - std::cos(c.zi) * c.zi) / az2;
    // each factor carries about eps * max(|z|, nu) (see Bound)
    EXPECT_LE(RelErr(wr, wi, er, ei), Bound(std::max(std::hypot(c.zr, c.zi), c.fnu + 1)));
  }
}

// ZUNHJ changes form at |w^2| = |1 - (z/FNU)^2| = 1/4: power series in w^2 (GAMA, ALFA, BETA)
// inside, closed form with the Debye polynomials (C, AR, BR) outside. Both describe the same
// functions, so values on either side of the switch must join: the outside value must match the
// linear extrapolation of two inside values. A wrong coefficient in the leading blocks of the
// tables shows as a jump. The sums are relative to 1 (ASUM) or to their own size (BSUM, which
// the closed form gets through a cancellation that costs it about 1e-12).
TEST(LargeOrderExpansions, AiryTypeFormsJoinAtTheSwitch) {
  const double tol = 2.220446e-16;
  struct Out {
    double v[10];  // PHI, ARG, ZETA1 - ZETA2, ASUM, BSUM as (re, im) pairs
  };
  auto eval = [tol](double fnu, double t, double alpha) {
    // z = FNU sqrt(1 - t exp(i alpha)): w^2 = t exp(i alpha), z in the fourth quadrant
    const double wr = 1.0 - t * std::cos(alpha), wi = -t * std::sin(alpha);
    const double m = std::sqrt(std::hypot(wr, wi));
    const double a = 0.5 * std::atan2(wi, wr);
    double phr, phi, arr, ari, z1r, z1i, z2r, z2i, asr, asi, bsr, bsi;
    ZUNHJ(fnu * m * std::cos(a), fnu * m * std::sin(a), fnu, 0, tol, phr, phi, arr, ari, z1r, z1i,
          z2r, z2i, asr, asi, bsr, bsi);
    return Out{{phr, phi, arr, ari, z1r - z2r, z1i - z2i, asr, asi, bsr, bsi}};
  };
  const char* names[] = {"PHI", "ARG", "ZETA1-ZETA2", "ASUM", "BSUM"};
  const double bounds[] = {1e-13, 1e-13, 1e-13, 1e-14, 2e-11};
  for (double fnu : {90.0, 150.0, 1.0e4}) {
    for (double alpha : {0.0, 0.3, 1.5, 2.9, 3.1}) {
      const double d = 0.25e-9;
      const Out in2 = eval(fnu, 0.25 - 3 * d, alpha), in1 = eval(fnu, 0.25 - d, alpha);
      const Out out = eval(fnu, 0.25 + d, alpha);
      for (int q = 0; q < 5; ++q) {
        const double er = 2 * in1.v[2 * q] - in2.v[2 * q] - out.v[2 * q];
        const double ei = 2 * in1.v[2 * q + 1] - in2.v[2 * q + 1] - out.v[2 * q + 1];
        const double size = q == 3 ? 1.0 : std::hypot(out.v[2 * q], out.v[2 * q + 1]);
        EXPECT_LE(std::hypot(er, ei) / size, bounds[q])
            << names[q] << " fnu=" << fnu << " alpha=" << alpha;
      }
    }
  }
}

// ZUNIK keeps the terms of the Debye expansion in its work arrays: a second call with INIT set
// and the other IKFLG re-sums them (alternating signs for K) and must give what a fresh call
// gives; IPMTR = 1 gives the same PHI and ZETA without the sum.
TEST(LargeOrderExpansions, DebyeTermsReusedForTheOtherFunction) {
  const double tol = 2.220446e-16;
  const double points[][2] = {{30.0, -20.0}, {120.0, 45.0}};
  for (const auto& z : points) {
    for (double fnu : {90.0, 300.5}) {
      double wr[17], wi[17], ur[17], ui[17];
      double phr, phi, z1r, z1i, z2r, z2i, sr, si;
      double fr, fi, f1r, f1i, f2r, f2i, gr, gi;
      int init = 0, fresh = 0, bare = 0;
      ZUNIK(z[0], z[1], fnu, 1, 0, tol, init, phr, phi, z1r, z1i, z2r, z2i, sr, si, wr, wi);
      ASSERT_GT(init, 1);
      ZUNIK(z[0], z[1], fnu, 2, 0, tol, init, phr, phi, z1r, z1i, z2r, z2i, sr, si, wr, wi);
      ZUNIK(z[0], z[1], fnu, 2, 0, tol, fresh, fr, fi, f1r, f1i, f2r, f2i, gr, gi, ur, ui);
      EXPECT_EQ(init, fresh);
      EXPECT_EQ(sr, gr);
      EXPECT_EQ(si, gi);
      EXPECT_EQ(phr, fr);
      EXPECT_EQ(phi, fi);
      double pr, pi, p1r, p1i, p2r, p2i, qr = 0, qi = 0;
      ZUNIK(z[0], z[1], fnu, 2, 1, tol, bare, pr, pi, p1r, p1i, p2r, p2i, qr, qi, ur, ui);
      EXPECT_EQ(pr, fr);
      EXPECT_EQ(p1r, f1r);
      EXPECT_EQ(p2i, f2i);
    }
  }
}

// No writable static storage: two threads evaluating the same calls concurrently get the bits a
// single thread gets.
TEST(LargeOrderConcurrency, TwoThreadsGiveTheSerialBits) {
  const CsvTable t = ReadCsv("bessel/large_order_ijk.csv");
  std::vector<Call> calls;
  for (const Group& g : GroupRows(t, true)) calls.push_back(g.call);
  for (const Group& g : GroupRows(ReadCsv("bessel/large_order_limits.csv"), true))
    calls.push_back(g.call);
  auto run = [&calls](std::vector<Result>& out) {
    out.clear();
    for (int pass = 0; pass < 3; ++pass)
      for (const Call& c : calls) out.push_back(Evaluate(c));
  };
  std::vector<Result> serial, a, b;
  run(serial);
  std::thread ta([&] { run(a); });
  std::thread tb([&] { run(b); });
  ta.join();
  tb.join();
  ASSERT_EQ(a.size(), serial.size());
  ASSERT_EQ(b.size(), serial.size());
  for (std::size_t i = 0; i < serial.size(); ++i) {
    for (const std::vector<Result>* other : {&a, &b}) {
      const Result& o = (*other)[i];
      EXPECT_EQ(o.nz, serial[i].nz);
      EXPECT_EQ(o.ierr, serial[i].ierr);
      EXPECT_EQ(0, std::memcmp(o.cyr, serial[i].cyr, sizeof o.cyr)) << Describe(calls[i % calls.size()]);
      EXPECT_EQ(0, std::memcmp(o.cyi, serial[i].cyi, sizeof o.cyi)) << Describe(calls[i % calls.size()]);
    }
  }
}

}  // namespace
}  // namespace veldo
