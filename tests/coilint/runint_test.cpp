// Chebyshev summation and the running integrals of J0, I0, K0: values against mpmath, the
// branch and range switches, the caps, and the floating-point flags.
#include <gtest/gtest.h>

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

constexpr double kEpsShort = 1.110223e-16;  // the unit's eps
constexpr double kPiby2 = 1.5707963267948966;

// ---------------------------------------------------------------------------------------
// CHEVAL
// ---------------------------------------------------------------------------------------

// a = e_n gives T_n(t) = cos(n acos t) in the plain Clenshaw range (|t| < 0.6), in both Reinsch
// ranges and at the switches; a sign slip of the t <= -0.6 branch shows, where odd and even
// orders differ in sign.
TEST(Cheval, SingleChebyshevPolynomials) {
  for (int n = 1; n <= 6; ++n) {
    std::vector<double> a(n + 1, 0.0);
    a[n] = 1.0;
    for (double t : {-1.0, -0.7, -0.6, std::nextafter(-0.6, 0.0), -0.2, 0.3, std::nextafter(0.6, 0.0), 0.6, 1.0}) {
      const double want = static_cast<double>(std::cos(n * std::acos(static_cast<long double>(t))));
      EXPECT_NEAR(CHEVAL(n, a.data(), t), want, 8 * kEpsShort) << "n = " << n << ", t = " << t;
    }
  }
  const double two[] = {2.0};  // the zero-order term is halved; N = -1 is the empty series
  EXPECT_EQ(CHEVAL(0, two, 0.9), 1.0);
  for (double t : {-0.9, 0.0, 0.9}) EXPECT_EQ(CHEVAL(-1, two, t), 0.0) << "t = " << t;
}

// ---------------------------------------------------------------------------------------
// J0INT, I0INT, K0INT against mpmath
// ---------------------------------------------------------------------------------------

double Call(const std::string& func, double x) {
  if (func == "J0INT") return J0INT(x);
  if (func == "I0INT") return I0INT(x);
  return K0INT(x);
}

// Each group's bound is a multiple of eps times the row's condition number `cond` (1 plus the
// relative condition number of the integral in x, computed by the generator). The factors
// allow the Chebyshev sum's few rounding errors plus those of the exp/log/cos/sin calls; for
// the I0INT tail the exponent x + ln(...) carries an error of half an ulp of x, which `cond`
// (about x there) already accounts for. The K0INT series has its own, larger allowance
// (K0intSeriesAllowance, tests/coilint/coilint_data.hpp); below XLOW and at the cap a factor of
// 2, elsewhere 8.
TEST(RunIntData, MatchesMpmath) {
  const test::CsvTable t = test::ReadCsv("coilint/runint.csv");
  const std::size_t cf = t.col("func"), cg = t.col("group"), cx = t.col("x"), cr = t.col("ref"),
                    cc = t.col("cond");
  std::set<std::string> groups;
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    const std::string &func = t.rows[i][cf], &group = t.rows[i][cg];
    groups.insert(func + " " + group);
    const double x = t.num(i, cx), want = t.num(i, cr), cond = t.num(i, cc);
    FpFlagWatch flags;
    const double got = Call(func, x);
    EXPECT_EQ(flags.raised(), 0) << func << "(" << x << "): " << flags.describe();
    const double rel = RelErr(got, want);
    double bound = group == "below_xlow" || group == "cap" ? 2.0 : 8.0;
    if (func == "K0INT" && group == "series") bound = test::K0intSeriesAllowance(x);
    EXPECT_LE(rel / (kEpsShort * cond), bound) << func << "(" << x << ") = " << got << ", mpmath " << want
                               << ", rel " << rel << ", cond " << cond;
  }
  EXPECT_EQ(groups, (std::set<std::string>{"I0INT below_xlow", "I0INT series", "I0INT tail", "J0INT below_xlow",
                                            "J0INT series", "J0INT tail", "K0INT below_xlow", "K0INT cap",
                                            "K0INT series", "K0INT tail"}));
}

// ---------------------------------------------------------------------------------------
// Small arguments, symmetry and caps
// ---------------------------------------------------------------------------------------

TEST(RunInt, ZeroAndBelowXlow) {
  EXPECT_EQ(J0INT(0.0), 0.0);
  EXPECT_EQ(I0INT(0.0), 0.0);
  EXPECT_EQ(K0INT(0.0), 0.0);
  // Below xlow the cubic terms are under rounding and the integral is x itself (K0INT: its
  // leading terms x (1 - gamma + ln 2 - ln x)).
  const double xlowJI = std::sqrt(12.0 * kEpsShort), xlowK = std::sqrt(18.0 * kEpsShort);
  for (double x : {5e-324, 1e-300, 1e-20, std::nextafter(xlowJI, 0.0)}) {
    EXPECT_EQ(J0INT(x), x);
    EXPECT_EQ(I0INT(x), x);
  }
  for (double x : {1e-300, 1e-20, std::nextafter(xlowK, 0.0)})
    EXPECT_EQ(K0INT(x), x * (1.1159315156584124 - std::log(x))) << "x = " << x;
}

TEST(RunInt, OddInXAndZeroForNegativeK) {
  for (double x : {1e-9, 0.3, 7.0, 16.0, 17.0, 18.0, 19.0, 300.0, 713.0, 1000.0, 1e16}) {
    EXPECT_EQ(J0INT(-x), -J0INT(x)) << "x = " << x;
    EXPECT_EQ(I0INT(-x), -I0INT(x)) << "x = " << x;
    EXPECT_EQ(K0INT(-x), 0.0) << "x = " << x;
  }
}

TEST(RunInt, LimitsAndCaps) {
  // J0INT -> 1; beyond 1/eps the phase x - pi/4 has no correct digit and the result is 1.
  const double jhigh = 1.0 / kEpsShort;
  EXPECT_EQ(J0INT(std::nextafter(jhigh, 1e300)), 1.0);
  EXPECT_EQ(J0INT(1e300), 1.0);
  EXPECT_NEAR(J0INT(jhigh), 1.0, 1e-7);  // still computed: 1 + O(x^-1/2)

  // K0INT reaches pi/2 exactly from -ln(2 eps) on.
  const double khigh = -std::log(2.0 * kEpsShort);
  EXPECT_EQ(K0INT(khigh), kPiby2);
  EXPECT_EQ(K0INT(1e300), kPiby2);
  // Just below, the computed correction e^-x (...) is already under half an ulp of pi/2.
  EXPECT_GE(K0INT(std::nextafter(khigh, 0.0)), kPiby2 * (1 - 2 * kEpsShort));
  EXPECT_LT(K0INT(30.0), kPiby2 - 1e-14);

  // I0INT is held at its value at xhigh = L + ln(L)/2 + ln 2, L = ln(1.7e308), instead of
  // overflowing.
  const double lnmax = std::log(1.7e308);
  const double ihigh = lnmax + 0.5 * std::log(lnmax) - std::log(0.5);
  EXPECT_NEAR(ihigh, 713.70, 0.01);
  FpFlagWatch flags;
  const double capped = I0INT(1000.0);
  EXPECT_EQ(flags.raised(), 0) << flags.describe();
  EXPECT_TRUE(std::isfinite(capped));
  EXPECT_EQ(capped, I0INT(std::nextafter(ihigh, 1e300)));
  EXPECT_EQ(capped, I0INT(std::numeric_limits<double>::max()));
  // The held value is the leading asymptotic term e^x/sqrt(2 pi x) at xhigh; the series factor
  // it leaves out is 1 + 1/(2x) + ..., so it lies within 1/xhigh below the value there.
  EXPECT_LT(capped, I0INT(ihigh));
  EXPECT_LE(RelErr(capped, I0INT(ihigh)), 1.0 / ihigh);
}

// The running integrals feed every model kernel: none may raise a fault flag on any argument
// the kernels can produce, from 0 to beyond the caps.
TEST(RunInt, NoFaultFlagsFromZeroToHuge) {
  std::vector<double> xs = {0.0, 5e-324, 1e-300, 1e-10, std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::infinity()};
  for (int i = -320; i <= 308; ++i) xs.push_back(std::pow(10.0, i / 1.0) * 1.2345);
  for (double x = 0.0; x <= 1e4; x += 0.37) xs.push_back(x);
  std::vector<double> out;
  out.reserve(5 * xs.size());
  FpFlagWatch flags;
  for (double x : xs) {
    out.push_back(J0INT(x));
    out.push_back(I0INT(x));
    out.push_back(K0INT(x));
    out.push_back(J0INT(-x));
    out.push_back(I0INT(-x));
  }
  EXPECT_EQ(flags.raised(), 0) << flags.describe();
  for (double v : out) ASSERT_TRUE(std::isfinite(v));
}

}  // namespace
}  // namespace veldo
