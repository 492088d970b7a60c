// The coil-integral functions CoilIntJ, CoilIntI, CoilIntK: values against mpmath on the
// argument ranges of the model kernels, the mended ends (x = 0 for K, I0 overflow for I) and
// the floating-point flags.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "coilint/coilint.hpp"
#include "tests/coilint/k0int_allowance.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

using test::FpFlagWatch;
using test::RelErr;

constexpr double kEpsShort = 1.110223e-16;

double Call(const std::string& func, double x1, double x2) {
  if (func == "CoilIntJ") return CoilIntJ(x1, x2);
  if (func == "CoilIntI") return CoilIntI(x1, x2);
  return CoilIntK(x1, x2);
}

// `cond` (from the generator) sums, over both ends, the sizes of the two terms of G(x) and the
// error that the conditioning of Z0(x) carries into x Z0(x), relative to the integral. It is
// about 3 where the integral is well-conditioned and grows where G(x2) - G(x1) cancels: at small
// x (the integral is x^3/6-like, its terms x-like), at large x for K (both terms near pi/2,
// which overstates the error of the tail form CoilIntK takes from x1 = 6 on; that form has its
// own test below), and for x1 near x2. The
// factor covers a few roundings in each of the four ingredients; for K an end in K0INT's series
// range brings that range's larger allowance along.
TEST(CoilIntData, MatchesMpmath) {
  constexpr double kFactor = 8;
  const test::CsvTable t = test::ReadCsv("coilint/coilint.csv");
  const std::size_t cf = t.col("func"), c1 = t.col("x1"), c2 = t.col("x2"), cr = t.col("ref"),
                    cc = t.col("cond");
  std::set<std::string> funcs;
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    const std::string& func = t.rows[i][cf];
    funcs.insert(func);
    const double x1 = t.num(i, c1), x2 = t.num(i, c2), want = t.num(i, cr), cond = t.num(i, cc);
    FpFlagWatch flags;
    const double got = Call(func, x1, x2);
    EXPECT_EQ(flags.raised(), 0) << func << "(" << x1 << ", " << x2 << "): " << flags.describe();
    const double rel = RelErr(got, want);
    const double bound = func == "CoilIntK" ? std::max({kFactor, test::K0intSeriesAllowance(x1),
                                                        test::K0intSeriesAllowance(x2)})
                                            : kFactor;
    EXPECT_LE(rel / (kEpsShort * cond), bound) << func << "(" << x1 << ", " << x2 << ") = " << got
                               << ", mpmath " << want << ", rel " << rel << ", cond " << cond;
  }
  EXPECT_EQ(funcs, (std::set<std::string>{"CoilIntI", "CoilIntJ", "CoilIntK"}));
}

// Both ends large (x1 from 6 to 740, the rod kernels near a winding reach k R1 of several
// hundred): the integral is a difference of two tails to infinity, each well conditioned, and
// keeps its relative accuracy down to where it underflows. `cond` (from the generator) is
// (T(x1) + T(x2)) / (T(x1) - T(x2)), which grows only as x2 approaches x1. The published form
// G_K(x2) - G_K(x1) kept only pi/2's absolute accuracy here and was exactly 0 from x1 = 37 on.
TEST(CoilInt, KBetweenLargeEndsMatchesMpmath) {
  const test::CsvTable t = test::ReadCsv("coilint/coilint_k_tail.csv");
  const std::size_t c1 = t.col("x1"), c2 = t.col("x2"), cr = t.col("ref"), cc = t.col("cond");
  ASSERT_GE(t.rows.size(), 100u);
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    const double x1 = t.num(i, c1), x2 = t.num(i, c2), want = t.num(i, cr), cond = t.num(i, cc);
    FpFlagWatch flags;
    const double got = CoilIntK(x1, x2);
    EXPECT_EQ(flags.raised(), 0) << "(" << x1 << ", " << x2 << "): " << flags.describe();
    // A few roundings in each tail (the Chebyshev sum, the square root, the scaled K0, e^-x);
    // from x1 of about 708 on the result is subnormal, and e^-x1 carries half a unit of the
    // smallest subnormal, times S = e^x T (about 20 there).
    const double subnormal = 64 * std::numeric_limits<double>::denorm_min();
    const double units = std::max(0.0, std::fabs(got - want) - subnormal) / std::fabs(want) / (kEpsShort * cond);
    EXPECT_LE(units, 16.0) << "CoilIntK(" << x1 << ", " << x2 << ") = " << got << ", mpmath " << want
                           << ", cond " << cond;
  }
}

// The two forms meet at x1 = 6: just below, the published form agrees with the tail form to
// its own accuracy there (K0INT's 160 eps near 6, times the conditioning of G_K(7) - G_K(6),
// two values near pi/2 whose difference is 0.0072: about 8e-12).
TEST(CoilInt, KFormsMeetAtSix) {
  const double below = CoilIntK(std::nextafter(6.0, 0.0), 7.0);
  const double at = CoilIntK(6.0, 7.0);
  EXPECT_GT(at, 0.0);
  EXPECT_LE(RelErr(below, at), 8e-12);
}

// The scaled integral e^-x2 int t I1 that the bore kernels use where CoilIntI overflows: against
// mpmath from x2 = 20 to 2500 (tests/data/coilint/coilint_i_scaled.csv), and equal to CoilIntI
// times e^-x2 where both exist. Bound: a few roundings of its terms, times the cancellation of
// G_I(x2) against G_I(x1) for x1 close to x2 (about 40 at x1 = 0.999 x2 = 20).
TEST(CoilInt, IScaledMatchesMpmath) {
  const test::CsvTable t = test::ReadCsv("coilint/coilint_i_scaled.csv");
  const std::size_t c1 = t.col("x1"), c2 = t.col("x2"), cr = t.col("ref");
  ASSERT_GE(t.rows.size(), 20u);
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    const double x1 = t.num(i, c1), x2 = t.num(i, c2), want = t.num(i, cr);
    FpFlagWatch flags;
    const double got = CoilIntIScaled(x1, x2);
    EXPECT_EQ(flags.raised(), 0) << "(" << x1 << ", " << x2 << "): " << flags.describe();
    const double cond = x1 > 0.9 * x2 ? 50.0 : 1.0;
    EXPECT_LE(RelErr(got, want), 16 * kEpsShort * cond) << "CoilIntIScaled(" << x1 << ", " << x2 << ") = " << got
                                                         << ", mpmath " << want;
  }
  for (const double x2 : {1.0, 10.0, 100.0, 500.0})
    for (const double r : {0.0, 0.5, 0.9}) {
      const double direct = CoilIntI(r * x2, x2) * std::exp(-x2);
      EXPECT_LE(RelErr(CoilIntIScaled(r * x2, x2), direct), 1e-13) << "x1 = " << r * x2 << ", x2 = " << x2;
    }
}

TEST(CoilInt, EqualLimitsGiveZero) {
  for (double x : {0.0, 1e-300, 1e-6, 0.5, 2.404825557695773, 6.0, 16.0, 18.0, 36.5, 699.0}) {
    EXPECT_EQ(CoilIntJ(x, x), 0.0) << "x = " << x;
    EXPECT_EQ(CoilIntI(x, x), 0.0) << "x = " << x;
    EXPECT_EQ(CoilIntK(x, x), 0.0) << "x = " << x;
  }
}

// A solid winding (R1 = 0) puts x1 = 0: x K0(x) is taken as its limit 0 there, so the integral
// from 0 is G_K(x2) = K0INT(x2) - x2 K0(x2), with nothing unset read and no flag.
TEST(CoilInt, KFromZero) {
  FpFlagWatch flags;
  EXPECT_EQ(CoilIntK(0.0, 0.0), 0.0);
  // Near 0, t K1(t) -> 1, so the integral tends to x2.
  EXPECT_LE(RelErr(CoilIntK(0.0, 1e-10), 1e-10), 1e-9);
  // Over (0, inf) the integral is pi/2 (DLMF 10.43.19 with x K0(x) -> 0 at both ends): reached
  // once K0INT is capped and x2 K0(x2) underflows.
  EXPECT_EQ(CoilIntK(0.0, 800.0), 1.5707963267948966);
  EXPECT_EQ(flags.raised(), 0) << flags.describe();
}

// Where I0 overflows (x above ELIM, about 700.92) the integral has no useful double value: the
// result is a finite value above the kernels' cut-off sqrt(1.7e308), reached without a flag.
TEST(CoilInt, IBeyondOverflowIsAboveTheCutOff) {
  const double cutoff = std::sqrt(1.7e308);
  for (double x2 : {700.95, 705.0, 713.7, 720.0, 1000.0, 1e4, 1e300}) {
    for (double r : {0.0, 0.5, 0.999, 1.0}) {
      FpFlagWatch flags;
      const double v = CoilIntI(r * x2, x2);
      EXPECT_EQ(flags.raised(), 0) << "x2 = " << x2 << ": " << flags.describe();
      EXPECT_TRUE(std::isfinite(v)) << "x2 = " << x2;
      EXPECT_GT(v, cutoff) << "x1 = " << r * x2 << ", x2 = " << x2;
    }
  }
  // Just below the overflow threshold the value is a genuine, finite integral.
  FpFlagWatch flags;
  const double v = CoilIntI(0.0, 700.0);
  EXPECT_EQ(flags.raised(), 0) << flags.describe();
  EXPECT_TRUE(std::isfinite(v));
  EXPECT_LT(v, kCoilIntIOverflow);
}

// Later every flag raised in a kernel is reported to the user as a fault: on any x from 0 to
// 1e4 (and the tiny arguments near k = 0) the three integrals must raise none.
TEST(CoilInt, NoFaultFlagsFromZeroTo1e4) {
  std::vector<double> xs = {0.0, 5e-324, 1e-320, 1e-300, 1e-100};
  for (int i = -60; i <= 40; ++i) xs.push_back(std::pow(10.0, i / 10.0));
  for (double x = 0.0; x <= 1e4; x += 0.73) xs.push_back(x);
  for (double x : {6.0, 16.0, 18.0, 36.04, 700.0, 700.9, 700.95, 713.7, 1e4}) {
    xs.push_back(std::nextafter(x, 0.0));
    xs.push_back(x);
    xs.push_back(std::nextafter(x, 1e300));
  }
  std::vector<double> out;
  out.reserve(6 * xs.size());
  FpFlagWatch flags;
  for (double x : xs) {
    for (double r : {0.0, 0.8}) {
      out.push_back(CoilIntJ(r * x, x));
      out.push_back(CoilIntI(r * x, x));
      out.push_back(CoilIntK(r * x, x));
    }
  }
  EXPECT_EQ(flags.raised(), 0) << flags.describe();
  for (double v : out) ASSERT_TRUE(std::isfinite(v));
}

}  // namespace
}  // namespace veldo
