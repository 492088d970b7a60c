// Complex arithmetic: branch choices of the square root, signed zeros, aliasing and the
// floating-point flags that the Compute command turns into messages.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

#include "numerics/complex.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

// Exact results of the operations, each with the branch, sign or range it pins down.
struct Exact {
  const char* what;
  TComplex got, want;
};

TEST(ComplexOperations, ExactResultsWithoutFaultFlags) {
  test::FpFlagWatch flags;
  TComplex alias = Cmplx(1.0, 2.0);
  alias = CMul(alias, alias);  // results may alias an input: (1 + 2i)^2 = -3 + 4i
  TComplex alias2 = CSqrt(Cmplx(-3.0, 4.0));
  alias2 = CSub(CAdd(alias2, alias2), alias2);
  const Exact cases[] = {
      // On the negative real axis the root lies on the positive imaginary axis, whatever the
      // sign of the zero imaginary part; the right half-plane keeps the input's sign.
      {"sqrt(-4 + 0i)", CSqrt(Cmplx(-4.0, 0.0)), Cmplx(0.0, 2.0)},
      {"sqrt(-4 - 0i)", CSqrt(Cmplx(-4.0, -0.0)), Cmplx(0.0, 2.0)},
      {"sqrt(2i)", CSqrt(Cmplx(0.0, 2.0)), Cmplx(1.0, 1.0)},
      {"sqrt(3 + 4i)", CSqrt(Cmplx(3.0, 4.0)), Cmplx(2.0, 1.0)},
      {"sqrt(0)", CSqrt(Cmplx(0.0, 0.0)), Cmplx(0.0, 0.0)},  // no 0/0 on the way
      {"|3e300 + 4e300i|", Cmplx(CAbs(Cmplx(3e300, 4e300)), 0.0), Cmplx(5e300, 0.0)},
      {"1 / i", CDiv(Cmplx(1.0, 0.0), Cmplx(0.0, 1.0)), Cmplx(0.0, -1.0)},
      {"i (2 + 3i)", CMulI(Cmplx(2.0, 3.0)), Cmplx(-3.0, 2.0)},
      {"(1 + 2i)(3 + 4i)", CMul(Cmplx(1.0, 2.0), Cmplx(3.0, 4.0)), Cmplx(-5.0, 10.0)},
      {"z = z * z", alias, Cmplx(-3.0, 4.0)},
      {"z = z / z", CDiv(alias, alias), Cmplx(1.0, 0.0)},
      {"z = (z + z) - z", alias2, Cmplx(1.0, 2.0)},
      // Large divisors: 1/|b|^2 underflows quietly (no fault), the quotient goes to zero.
      {"1 / (1e200 + 1e200i)", Cmplx(CDiv(Cmplx(1.0, 0.0), Cmplx(1e200, 1e200)).Re, 0.0), Cmplx(0.0, 0.0)},
  };
  for (const Exact& c : cases) {
    EXPECT_EQ(c.got.Re, c.want.Re) << c.what;
    EXPECT_EQ(c.got.Im, c.want.Im) << c.what;
  }
  EXPECT_TRUE(std::signbit(CSqrt(Cmplx(4.0, -0.0)).Im));
  // Just below the negative axis the root flips to the lower half-plane.
  const TComplex below = CSqrt(Cmplx(-4.0, -1e-300));
  EXPECT_GT(below.Re, 0.0);
  EXPECT_LT(below.Re, 1e-299);
  EXPECT_EQ(below.Im, -2.0);
  // |z|^2 would overflow a double; the extended exponent range keeps the root.
  const TComplex big = CSqrt(Cmplx(3e300, 4e300));
  EXPECT_NEAR(big.Re / 2e150, 1.0, 1e-15);
  EXPECT_NEAR(big.Im / 1e150, 1.0, 1e-15);
  const TComplex q = CDiv(Cmplx(11.0, 2.0), Cmplx(3.0, -4.0));  // 1 + 2i, to rounding
  EXPECT_DOUBLE_EQ(q.Re, 1.0);
  EXPECT_DOUBLE_EQ(q.Im, 2.0);
  const TComplex e = CExp(Cmplx(0.0, M_PI / 2));
  EXPECT_NEAR(e.Re, 0.0, 1e-16);
  EXPECT_EQ(e.Im, 1.0);
  EXPECT_EQ(flags.raised(), 0) << flags.describe();
}

TEST(ComplexArithmetic, ProductKeepsExtendedPrecisionIntermediates) {
  // (1 + 2^-30)^2 - 1 * (1 + 2^-29) = 2^-60 exactly. The first product needs 61 bits: formed
  // in long double and rounded once, the real part keeps the 2^-60 that double arithmetic
  // rounds away.
  const double x = 1.0 + 0x1p-30;
  const TComplex p = CMul(Cmplx(x, 1.0), Cmplx(x, 1.0 + 0x1p-29));
  EXPECT_EQ(p.Re, 0x1p-60);
}

TEST(ComplexFaults, ZeroDivisorAndOverflowRaiseTheirFlags) {
  {
    test::FpFlagWatch flags;
    volatile TComplex q = CDiv(Cmplx(1.0, 1.0), Cmplx(0.0, 0.0));
    (void)q;
    EXPECT_TRUE(flags.raised() & FE_DIVBYZERO) << flags.describe();
  }
  test::FpFlagWatch flags;
  volatile TComplex e = CExp(Cmplx(710.0, 0.0));
  (void)e;
  EXPECT_TRUE(flags.raised() & FE_OVERFLOW) << flags.describe();
}

}  // namespace
}  // namespace veldo
