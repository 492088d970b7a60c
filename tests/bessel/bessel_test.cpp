// ZBESI, ZBESJ, ZBESK and ZAIRY against mpmath reference values (tests/data/bessel/*.csv, made by
// make_bessel_reference.py and large_order_make.py there), each group of rows with its own error
// bound; status codes, underflow counts, identities and floating-point flags, and the support
// routines and expansions where a fault would hide. Every call must return the expected status,
// raise no fault flag, and leave index 0 and the elements after member N untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bessel/amos.hpp"
#include "bessel/amos_tables.hpp"
#include "tests/support/test_support.hpp"

namespace veldo::test {

// One call of ZBESI, ZBESJ, ZBESK or ZAIRY as the Bessel tests make it: sentinels in every
// element of the result arrays, the status, and the fault flags the call raised.
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

namespace veldo {
namespace {

using test::BesselCall;
using test::BesselResult;
using test::cd;
using test::Describe;
using test::Eval;
using test::FpFlagWatch;


// ---------------------------------------------------------------------------------------
// Orders 0 and 1 and small fractional orders: rays.csv, real_axis.csv, left_fractional.csv.
// ---------------------------------------------------------------------------------------

// Checks every row of `file` within bound(group, func, kode, zr) in units of the row's scale.
template <class Bound>
void CheckFile(const std::string& file, Bound bound) {
  const test::CsvTable t = test::ReadCsv("bessel/" + file);
  ASSERT_FALSE(t.rows.empty());
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    auto n = [&](const char* c) { return t.num(i, t.col(c)); };
    const std::string group = t.rows[i][t.col("group")];
    const char func = t.rows[i][t.col("func")][0];
    const double fnu = n("fnu"), zr = n("zr"), scale = n("scale");
    const int kode = static_cast<int>(n("kode"));
    // The single member at FNU, the first of two at FNU, and the second of two at FNU - 1:
    // the three ways the program and the recurrences reach a given order.
    struct Way {
      double fnu;
      int n, k;
    };
    std::vector<Way> ways = {{fnu, 1, 1}, {fnu, 2, 1}};
    if (fnu >= 1.0) ways.push_back({fnu - 1.0, 2, 2});
    for (const Way& w : ways) {
      const BesselCall call{func, zr, n("zi"), w.fnu, kode, w.n};
      const BesselResult r = Eval(call);
      SCOPED_TRACE(Describe(call) + " member " + std::to_string(w.k));
      EXPECT_EQ(r.flags, 0);
      EXPECT_EQ(r.ierr, 0);
      // K: the first NZ members underflow (Re z >= 0); I and J: the last NZ members. They are
      // exactly zero, and only where the true value is below exp(-ELIM) ~ 1e-304.
      if (func == 'K' ? zr >= 0.0 && w.k <= r.nz : w.k > w.n - r.nz) {
        EXPECT_EQ(r[w.k], cd(0.0, 0.0));
        EXPECT_LT(scale, 1e-303);
        continue;
      }
      EXPECT_LE(std::abs(r[w.k] - cd(n("re"), n("im"))) / scale, bound(group, func, kode, zr))
          << "got " << r[w.k] << " want (" << n("re") << ", " << n("im") << ")";
    }
  }
}

// Bounds, in units of the row's scale. A few units of 1e-15 wherever the function is
// well conditioned; two groups are looser because the published algorithm is, not the port:
//  - K with KODE = 1 and Re z > ALIM is carried scaled by exp(z) and brought back as
//    exp(log(S) - z): the exponent, about -Re z, is rounded to an absolute 2^-53 Re z, so the
//    value keeps a relative error up to Re z * 1.1e-16 (7.7e-14 at Re z = 700);
//  - fractional orders in the Miller region take the normalising weights from differences of
//    ln Gamma values near 100, which keep only an absolute 1e-14 (the published routine
//    shows the same error there).
TEST(BesselReference, RaysRealAxisLeftHalfPlaneAndFractionalOrders) {
  constexpr double kAlim = 664.87165521, kWellConditioned = 6e-15;
  auto beyondAlim = [](const std::string&, char func, int kode, double zr) {
    return func == 'K' && kode == 1 && zr > kAlim ? 1e-13 : kWellConditioned;
  };
  CheckFile("rays.csv", beyondAlim);
  CheckFile("real_axis.csv", beyondAlim);
  CheckFile("left_fractional.csv", [](const std::string& group, char, int, double) {
    return group == "fractional" ? 4e-14 : kWellConditioned;
  });
}

// ---------------------------------------------------------------------------------------
// Large orders (uniform asymptotic expansions, overflow and underflow pre-tests, Wronskian
// normalisation) and the Airy function: large_order_{ijk,limits,airy}.csv.
// ---------------------------------------------------------------------------------------

// One member of one call with its expected status. A column a table lacks takes its default:
// the Airy table has a row per function (id 0: Ai, 1: Ai', members 1 and 2 of the two-call
// form) and no order; it and the I, J, K table have no status columns (0: success).
struct LargeRow {
  std::string what;
  BesselCall call;
  int k, nz, ierr;
  cd want;
  double cond;
};

std::vector<LargeRow> LargeOrderRows(const std::string& file) {
  const test::CsvTable t = test::ReadCsv("bessel/" + file);
  auto has = [&](const char* c) { return std::find(t.header.begin(), t.header.end(), c) != t.header.end(); };
  std::vector<LargeRow> rows;
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    auto n = [&](const char* c, double otherwise = 0.0) { return has(c) ? t.num(i, t.col(c)) : otherwise; };
    auto whole = [&](const char* c, double otherwise = 0.0) { return static_cast<int>(n(c, otherwise)); };
    const char func = t.rows[i][t.col("func")][0];
    rows.push_back({has("case") ? t.rows[i][t.col("case")] : file,
                    {func, n("zr"), n("zi"), n("fnu"), whole("kode"), whole("n", 2)},
                    has("k") ? whole("k") : whole("id") + 1, whole("nz"), whole("ierr"),
                    {n("re"), n("im")}, n("cond")});
  }
  return rows;
}

// I, J, K of orders 0..200 with N up to 5, |z| from 1e-3 to 1000 in all four quadrants; Ai and
// Ai' of complex z including z = 0, |z| below TOL and both sides of the switch at |z| = 1 from
// the power series to K of order 1/3 and 2/3; the five routing cases into the large-order
// branches and calls on both sides of the overflow and underflow limits: IERR = 2 once the
// exponent of the leading term passes ELIM, exact zeros counted in NZ once it falls below
// -ELIM (the last members for I, the first for K), values to full accuracy just inside; an
// order above the half-precision limit gives IERR = 3 with its value. KODE 1 and 2 throughout.
TEST(BesselReference, LargeOrdersAiryAndTheirLimits) {
  for (const char* file : {"large_order_ijk.csv", "large_order_airy.csv", "large_order_limits.csv"}) {
    const std::vector<LargeRow> rows = LargeOrderRows(file);
    EXPECT_FALSE(rows.empty()) << file;
    for (const LargeRow& row : rows) {
      SCOPED_TRACE(row.what + ": " + Describe(row.call) + " member " + std::to_string(row.k));
      const BesselResult r = Eval(row.call);
      EXPECT_EQ(r.ierr, row.ierr);
      EXPECT_EQ(r.nz, row.nz);
      EXPECT_EQ(r.flags, 0);
      if (row.ierr != 0 && row.ierr != 3) continue;  // nothing computed (3: reduced accuracy)
      if (row.want == cd(0.0, 0.0)) {
        EXPECT_EQ(r[row.k], cd(0.0, 0.0)) << "not set to zero";
      } else {
        EXPECT_LE(test::RelErr(r.cyr[row.k], r.cyi[row.k], row.want.real(), row.want.imag()), test::CondBound(row.cond))
            << "cond " << row.cond;
      }
    }
  }
}

// No writable static storage: two threads evaluating the large-order calls concurrently get the
// bits a single thread gets.
TEST(BesselConcurrency, TwoThreadsGiveTheSerialBits) {
  std::vector<BesselCall> calls;
  for (const char* file : {"large_order_ijk.csv", "large_order_limits.csv"})
    for (const LargeRow& row : LargeOrderRows(file)) calls.push_back(row.call);
  auto run = [&calls](std::vector<BesselResult>& out) {
    for (int pass = 0; pass < 3; ++pass)
      for (const BesselCall& c : calls) out.push_back(Eval(c));
  };
  std::vector<BesselResult> serial, a, b;
  run(serial);
  std::thread ta([&] { run(a); });
  std::thread tb([&] { run(b); });
  ta.join();
  tb.join();
  ASSERT_EQ(a.size(), serial.size());
  ASSERT_EQ(b.size(), serial.size());
  for (std::size_t i = 0; i < serial.size(); ++i) {
    const BesselResult& s = serial[i];
    for (const BesselResult* o : {&a[i], &b[i]})
      EXPECT_TRUE(o->nz == s.nz && o->ierr == s.ierr && !std::memcmp(o->cyr, s.cyr, sizeof s.cyr) &&
                  !std::memcmp(o->cyi, s.cyi, sizeof s.cyi))
          << Describe(calls[i % calls.size()]);
  }
}



double Rel(cd got, cd want) { return std::abs(got - want) / std::abs(want); }

// One value of tests/data/bessel/edges.csv (group, func, fnu, zr, zi) -> (re, im).
cd Edge(const std::string& group, const std::string& func, double fnu, double zr, double zi) {
  static const test::CsvTable t = test::ReadCsv("bessel/edges.csv");  // read-only after the first call
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    auto n = [&](const char* c) { return t.num(i, t.col(c)); };
    if (t.rows[i][t.col("group")] == group && t.rows[i][t.col("func")] == func && n("fnu") == fnu &&
        n("zr") == zr && n("zi") == zi)
      return {n("re"), n("im")};
  }
  ADD_FAILURE() << "no edges.csv row " << group << " " << func << " " << fnu << " " << zr;
  return {std::nan(""), 0.0};
}

// ---------------------------------------------------------------------------------------
// Status codes and underflow counts.
// ---------------------------------------------------------------------------------------

// A member of a call: unchecked, exactly a value, or within a relative bound of a reference
// (edges.csv or a closed form).
struct Member {
  enum Kind { Any, Exactly, Near } kind = Any;
  cd want{};
  double bound = 0.0;
};
Member Is(cd v) { return {Member::Exactly, v, 0.0}; }
Member Near(cd v, double bound) { return {Member::Near, v, bound}; }

// A member of a row of tests/data/bessel/status.tsv.
Member ReadMember(const std::string& cell, char func, double zr, double zi) {
  if (cell == "-") return {};
  std::istringstream in(cell);
  std::string word, group;
  double v, fnu, bound;
  if (!(in >> word) || (word != "edge" && word != "near")) return Is(std::stod(cell));
  if (word == "near") {
    in >> v >> bound;
    return Near(v, bound);
  }
  in >> group >> fnu >> bound;
  return Near(Edge(group, std::string(1, func), fnu, zr, zi), bound);
}

// The limits of tests/data/bessel/status.tsv: status, underflow count, no fault flag whatever the
// status, and the members the table gives.
TEST(BesselStatus, StatusUnderflowCountAndValuesAtEveryLimit) {
  const test::CsvTable tab = test::ReadCsv("bessel/status.tsv", '\t');
  ASSERT_EQ(tab.rows.size(), 53u);
  for (std::size_t i = 0; i < tab.rows.size(); ++i) {
    auto n = [&](const char* c) { return tab.num(i, tab.col(c)); };
    const char f = tab.rows[i][tab.col("func")][0];
    const test::BesselCall call{f, n("zr"), n("zi"), n("fnu"), static_cast<int>(n("kode")), static_cast<int>(n("n"))};
    const BesselResult r = Eval(call);
    SCOPED_TRACE(tab.rows[i][tab.col("what")] + ": " + Describe(call));
    EXPECT_EQ(r.ierr, static_cast<int>(n("ierr")));
    EXPECT_EQ(r.nz, static_cast<int>(n("nz")));
    EXPECT_EQ(r.flags, 0);  // whatever the status
    for (int k = 1; k <= 2; ++k) {
      const Member m = ReadMember(tab.rows[i][tab.col(k == 1 ? "m1" : "m2")], f, call.zr, call.zi);
      EXPECT_TRUE(m.kind == Member::Any || (m.kind == Member::Exactly ? r[k] == m.want : Rel(r[k], m.want) < m.bound))
          << "member " << k << " " << r[k] << " want " << m.want;
    }
  }
  double air = test::kSentinel, aii = test::kSentinel;  // a bad ID: input error, no value
  int nz = -99, ierr = -99;
  ZAIRY(2.0, 1.0, 2, 1, air, aii, nz, ierr);
  EXPECT_EQ(ierr, 1);
  EXPECT_EQ(air, test::kSentinel);
}

// ---------------------------------------------------------------------------------------
// Identities that catch sign, index, rotation and scaling slips.
// ---------------------------------------------------------------------------------------

std::vector<cd> Grid(double argLo, double argHi, int nArg, double lrLo, double lrHi, double step) {
  std::vector<cd> zs;
  for (int ia = 0; ia <= nArg; ++ia) {
    const double a = argLo + (argHi - argLo) * ia / nArg;
    for (double lr = lrLo; lr <= lrHi + 1e-12; lr += step) zs.push_back(std::polar(std::pow(10.0, lr), a));
  }
  return zs;
}

// Relative error of I(nu) K(nu+1) + I(nu+1) K(nu) = 1/z from one N = 2 call of each; with
// KODE = 2 the product carries exp(i Im z) (Re z >= 0).
double WronskianError(double fnu, cd z, int kode) {
  const BesselResult i = Eval({'I', z.real(), z.imag(), fnu, kode, 2});
  const BesselResult k = Eval({'K', z.real(), z.imag(), fnu, kode, 2});
  EXPECT_TRUE(i.ierr == 0 && k.ierr == 0 && i.nz == 0 && k.nz == 0) << "fnu " << fnu << " z " << z;
  return Rel(i[1] * k[2] + i[2] * k[1], (kode == 2 ? std::exp(cd(0.0, z.imag())) : 1.0) / z);
}

// Order 0 from |z| = 1e-5 to 700, a fractional order inside the series region (FNU + 1 > 1 leaves
// it sooner), and large orders, where the identity ties the I expansions (ZUNI1, ZUNI2, ZWRSK) to
// the K expansions (ZUNK1, ZUNK2) without reference data.
TEST(BesselIdentities, WronskianOfIAndK) {
  for (const cd z : Grid(-M_PI / 2, M_PI / 2, 16, -5.0, std::log10(700.0), 0.1))
    EXPECT_LT(WronskianError(0.0, z, 2), 1e-14) << z;
  for (const cd z : Grid(-M_PI / 2, M_PI / 2, 8, -3.0, 0.4, 0.2)) EXPECT_LT(WronskianError(0.3, z, 1), 1e-14) << z;
  for (const auto& [fnu, z] : {std::pair{120.0, cd(50.0, 30.0)}, {120.0, cd(20.0, -90.0)}, {95.5, cd(300.0, 5.0)},
                               {40.25, cd(60.0, 20.0)}, {200.0, cd(3.0, 250.0)}, {150.0, cd(150.0, 0.0)}})
    EXPECT_LE(WronskianError(fnu, z, 2), test::CondBound(std::max(std::abs(z), fnu + 1))) << fnu << " " << z;
}

// Orders 0 and 1 over the plane: I0(z) = J0(iz) and I1(z) = -i J1(iz) (the two entry points share
// ZBINU through different rotations); f(conj z) = conj f(z) for I, J and K off the real axis
// (the Im z < 0 branches, the CII = -1 rotation of ZBESJ and the signs of the reflection and
// continuation factors must mirror the Im z > 0 ones); KODE 2 is KODE 1 times its scale factor.
TEST(BesselIdentities, RotationConjugationAndScaling) {
  for (const cd z : Grid(-M_PI, M_PI, 24, -5.0, std::log10(600.0), 0.2)) {
    const double x = z.real(), y = z.imag();
    const BesselResult i = Eval({'I', x, y, 0.0, 1, 2}), j = Eval({'J', -y, x, 0.0, 1, 2});
    ASSERT_TRUE(i.ierr == 0 && j.ierr == 0) << z;
    EXPECT_LT(Rel(j[1], i[1]), 4e-15) << z;
    EXPECT_LT(Rel(cd(0.0, -1.0) * j[2], i[2]), 4e-15) << z;
    for (const auto& [f, factor] : {std::pair{'I', cd(std::exp(-std::fabs(x)))}, {'J', cd(std::exp(-std::fabs(y)))},
                                    {'K', std::exp(z)}}) {
      const BesselResult plain = Eval({f, x, y, 0.0, 1, 2}), scaled = Eval({f, x, y, 0.0, 2, 2});
      const BesselResult mirror = Eval({f, x, -y, 0.0, 1, 2});
      if (plain.ierr != 0 || plain.nz != 0 || scaled.nz != 0) continue;  // over/underflow
      ASSERT_EQ(scaled.ierr, 0);
      for (int k = 1; k <= 2; ++k) {
        EXPECT_TRUE(std::fabs(y) < 0.05 * std::abs(z) || Rel(mirror[k], std::conj(plain[k])) < 1e-15) << f << z;
        const cd want = plain[k] * factor;
        if (std::abs(want) < 1e-290 || std::abs(want) > 1e290) continue;
        // exp(|x|) of an exact x up to 600 carries a relative rounding of |x| 2^-53.
        EXPECT_LT(Rel(scaled[k], want), 1e-14 + 2.3e-16 * std::abs(z)) << f << z << " member " << k;
      }
    }
  }
}

// The program's calls raise no fault flag: FNU = 0, N = 1 or 2, KODE = 1, Re z >= 0, |z| from
// below the underflow bound to 700.
TEST(BesselFlags, NoFaultFlagOnTheProgramsCalls) {
  int calls = 0;
  for (const cd z0 : Grid(-M_PI / 2, M_PI / 2, 32, -323.0, std::log10(700.0), 0.25)) {
    for (char f : {'I', 'J', 'K'}) {
      for (int n = 1; n <= 2; ++n) {
        const BesselResult r = Eval({f, std::fmax(z0.real(), 0.0), z0.imag(), 0.0, 1, n});
        ++calls;
        ASSERT_EQ(r.flags, 0) << z0 << " n=" << n;
        ASSERT_TRUE(r.ierr == 0 || r.ierr == 2) << z0 << " ierr " << r.ierr;
        for (int k = 1; k <= n && r.ierr == 0; ++k) ASSERT_TRUE(std::isfinite(std::abs(r[k]))) << z0;
      }
    }
  }
  EXPECT_GT(calls, 100000);
}

// ---------------------------------------------------------------------------------------
// Machine constants, region switches, support routines and expansions.
// ---------------------------------------------------------------------------------------

TEST(BesselSupport, DerivedLimitsHaveTheirDocumentedValues) {
  double tol, elim, alim, rl, fnul;
  amos_detail::MachineLimits(tol, elim, alim, rl, fnul);
  EXPECT_EQ(tol, 2.220446e-16);
  EXPECT_NEAR(elim, 700.92180389, 5e-9);
  EXPECT_NEAR(alim, 664.87165521, 5e-9);
  EXPECT_NEAR(rl, 21.784272, 1e-12);
  EXPECT_NEAR(fnul, 85.92136, 1e-12);
  EXPECT_EQ(amos_detail::RangeLimit(tol), 1073741823.5);
  // Underflow bounds from the subnormal D1MACH(1), and the scaling levels of ZBKNU/ZACON.
  EXPECT_EQ(1.0e3 * D1MACH(1), 4.94065645841246544e-321);
  EXPECT_NEAR(1.0e3 * D1MACH(1) / tol / 2.2250739078601621e-305, 1.0, 1e-15);
  EXPECT_NEAR(tol / (1.0e3 * D1MACH(1)) / 4.494232737472046e304, 1.0, 1e-15);
}

// The region switches of ZBINU pick the documented method: the entry point's values equal,
// bit for bit, those of the method called directly, on either side of each switch.
TEST(BesselRegions, SwitchesTakeTheDocumentedMethod) {
  double tol, elim, alim, rl, fnul;
  amos_detail::MachineLimits(tol, elim, alim, rl, fnul);
  for (double x : {2.0, std::nextafter(2.0, 3.0), std::nextafter(rl, 0.0), rl}) {
    for (int n = 1; n <= 2; ++n) {
      double yr[3], yi[3];
      int nz;
      // N = 1: series up to |z| = 2; N = 2: also while |z|^2/4 <= 2; Miller below RL;
      // asymptotic expansion from RL on.
      if (x <= 2.0 || (n == 2 && x * x * 0.25 <= 2.0)) {
        ZSERI(x, 0.0, 0.0, 1, n, yr, yi, nz, tol, elim, alim);
      } else if (x < rl) {
        ZMLRI(x, 0.0, 0.0, 1, n, yr, yi, nz, tol);
      } else {
        ZASYI(x, 0.0, 0.0, 1, n, yr, yi, nz, rl, tol, elim, alim);
      }
      const BesselResult r = Eval({'I', x, 0.0, 0.0, 1, n});
      for (int k = 1; k <= n; ++k) EXPECT_EQ(r[k], cd(yr[k], yi[k])) << "x = " << x << " n = " << n;
    }
  }
  // The methods do differ in the last bits at these points, so the comparison has teeth.
  double ar[2], ai[2], br[2], bi[2];
  int nz;
  ZMLRI(rl, 0.0, 0.0, 1, 1, ar, ai, nz, tol);
  ZASYI(rl, 0.0, 0.0, 1, 1, br, bi, nz, rl, tol, elim, alim);
  EXPECT_NE(ar[1], br[1]);
}

// Every row of tests/data/bessel/support.tsv: the routine's IERR and value, raising no fault flag.
TEST(BesselSupport, LogGammaAndElementaryComplexOperations) {
  const test::CsvTable t = test::ReadCsv("bessel/support.tsv", '\t');
  ASSERT_EQ(t.rows.size(), 18u);
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    auto n = [&](const char* c) { return t.num(i, t.col(c)); };
    const std::string func = t.rows[i][t.col("func")], kind = t.rows[i][t.col("kind")];
    const double x = n("x"), y = n("y");
    double re = 0, im = 0, chr = 0, chi = 0;
    int ierr = 0;
    FpFlagWatch watch;
    if (func == "DGAMLN") re = DGAMLN(x, ierr);
    else if (func == "ZABS") re = ZABS(x, y);
    else if (func == "ZLOG") ZLOG(x, y, re, im, ierr);
    else if (func == "ZSQRT") ZSQRT(x, y, re, im);
    else ZSHCH(x, y, re, im, chr, chi);
    if (func == "COSH") re = chr, im = chi;
    SCOPED_TRACE(func + "(" + t.rows[i][t.col("x")] + ", " + t.rows[i][t.col("y")] + ")");
    EXPECT_EQ(watch.raised(), 0) << watch.describe();
    EXPECT_EQ(ierr, n("ierr"));
    if (ierr != 0) continue;
    const cd want(n("re"), n("im"));
    EXPECT_LE(std::abs(cd(re, im) - want), n("bound") * (kind == "rel" ? std::abs(want) : 1.0)) << cd(re, im);
  }
  // K_nu(z) -> K_0(z) as nu -> 0 with dK/dnu = 0 at nu = 0: at nu = 1e-9 the two agree to
  // about nu^2; a sinh formed by cancellation would leave an error near 1e-7 here.
  for (double x : {0.3, 1.0, 1.9})
    EXPECT_LT(Rel(Eval({'K', x, 0.2, 1e-9, 1, 1})[1], Eval({'K', x, 0.2, 0.0, 1, 1})[1]), 1e-15) << x;
}

// ZUNHJ changes form at |w^2| = |1 - (z/FNU)^2| = 1/4: power series in w^2 (GAMA, ALFA, BETA)
// inside, closed form with the Debye polynomials (C, AR, BR) outside. Both describe the same
// functions, so values on either side of the switch must join: the outside value must match the
// linear extrapolation of two inside values. A wrong coefficient in the leading blocks of the
// tables shows as a jump. The sums are relative to 1 (ASUM) or to their own size (BSUM, which
// the closed form gets through a cancellation that costs it about 1e-12).
TEST(BesselExpansions, AiryTypeFormsJoinAtTheSwitch) {
  auto eval = [](double fnu, double t, double alpha) {
    // z = FNU sqrt(1 - t exp(i alpha)): w^2 = t exp(i alpha), z in the fourth quadrant
    const cd z = fnu * std::sqrt(cd(1.0 - t * std::cos(alpha), -t * std::sin(alpha)));
    double phr, phi, arr, ari, z1r, z1i, z2r, z2i, asr, asi, bsr, bsi;
    ZUNHJ(z.real(), z.imag(), fnu, 0, 2.220446e-16, phr, phi, arr, ari, z1r, z1i, z2r, z2i, asr, asi, bsr, bsi);
    return std::vector<cd>{{phr, phi}, {arr, ari}, {z1r - z2r, z1i - z2i}, {asr, asi}, {bsr, bsi}};
  };
  const char* names[] = {"PHI", "ARG", "ZETA1-ZETA2", "ASUM", "BSUM"};
  const double bounds[] = {1e-13, 1e-13, 1e-13, 1e-14, 2e-11};
  for (double fnu : {90.0, 150.0, 1.0e4}) {
    for (double alpha : {0.0, 0.3, 1.5, 2.9, 3.1}) {
      const double d = 0.25e-9;
      const auto in2 = eval(fnu, 0.25 - 3 * d, alpha), in1 = eval(fnu, 0.25 - d, alpha), out = eval(fnu, 0.25 + d, alpha);
      for (int q = 0; q < 5; ++q) {
        const double size = q == 3 ? 1.0 : std::abs(out[q]);
        EXPECT_LE(std::abs(2.0 * in1[q] - in2[q] - out[q]) / size, bounds[q])
            << names[q] << " fnu=" << fnu << " alpha=" << alpha;
      }
    }
  }
}

// ZUNIK keeps the terms of the Debye expansion in its work arrays: a second call with INIT set
// and the other IKFLG re-sums them (alternating signs for K) and must give what a fresh call
// gives; IPMTR = 1 gives the same PHI and ZETA without the sum.
TEST(BesselExpansions, DebyeTermsReusedForTheOtherFunction) {
  const double tol = 2.220446e-16;
  for (const cd z : {cd(30.0, -20.0), cd(120.0, 45.0)}) {
    for (double fnu : {90.0, 300.5}) {
      double wr[17], wi[17], ur[17], ui[17];
      double phr, phi, z1r, z1i, z2r, z2i, sr, si;
      double fr, fi, f1r, f1i, f2r, f2i, gr, gi;
      int init = 0, fresh = 0, bare = 0;
      ZUNIK(z.real(), z.imag(), fnu, 1, 0, tol, init, phr, phi, z1r, z1i, z2r, z2i, sr, si, wr, wi);
      ASSERT_GT(init, 1);
      ZUNIK(z.real(), z.imag(), fnu, 2, 0, tol, init, phr, phi, z1r, z1i, z2r, z2i, sr, si, wr, wi);
      ZUNIK(z.real(), z.imag(), fnu, 2, 0, tol, fresh, fr, fi, f1r, f1i, f2r, f2i, gr, gi, ur, ui);
      EXPECT_EQ(init, fresh);
      EXPECT_EQ(cd(sr, si), cd(gr, gi));
      EXPECT_EQ(cd(phr, phi), cd(fr, fi));
      double pr, pi, p1r, p1i, p2r, p2i, qr = 0, qi = 0;
      ZUNIK(z.real(), z.imag(), fnu, 2, 1, tol, bare, pr, pi, p1r, p1i, p2r, p2i, qr, qi, ur, ui);
      EXPECT_EQ(pr, fr);
      EXPECT_EQ(p1r, f1r);
      EXPECT_EQ(p2i, f2i);
    }
  }
}

}  // namespace
}  // namespace veldo
