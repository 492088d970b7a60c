// Complex arithmetic: branch choices of the square root, signed zeros, aliasing and the
// floating-point flags that the Compute command turns into messages.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

#include "numerics/complex.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

TEST(ComplexSqrt, BranchCutAndTieBreaks) {
  // On the negative real axis the root lies on the positive imaginary axis, whatever the sign
  // of the zero imaginary part; just below the axis it flips to the lower half-plane.
  TComplex r = CSqrt(Cmplx(-4.0, 0.0));
  EXPECT_EQ(r.Re, 0.0);
  EXPECT_EQ(r.Im, 2.0);
  r = CSqrt(Cmplx(-4.0, -0.0));
  EXPECT_EQ(r.Re, 0.0);
  EXPECT_EQ(r.Im, 2.0);
  r = CSqrt(Cmplx(-4.0, -1e-300));
  EXPECT_GT(r.Re, 0.0);
  EXPECT_LT(r.Re, 1e-299);
  EXPECT_EQ(r.Im, -2.0);
  // Right half-plane: the sign of the imaginary part follows the input's.
  r = CSqrt(Cmplx(4.0, -0.0));
  EXPECT_EQ(r.Re, 2.0);
  EXPECT_TRUE(std::signbit(r.Im));
}

TEST(ComplexSqrt, ExactSquaresAndZero) {
  test::FpFlagWatch flags;
  TComplex r = CSqrt(Cmplx(0.0, 2.0));
  EXPECT_EQ(r.Re, 1.0);
  EXPECT_EQ(r.Im, 1.0);
  r = CSqrt(Cmplx(3.0, 4.0));
  EXPECT_EQ(r.Re, 2.0);
  EXPECT_EQ(r.Im, 1.0);
  r = CSqrt(Cmplx(0.0, 0.0));  // no 0/0 on the way
  EXPECT_EQ(r.Re, 0.0);
  EXPECT_EQ(r.Im, 0.0);
  EXPECT_EQ(flags.raised(), 0) << flags.describe();
}

TEST(ComplexSqrt, ExtendedRangeAvoidsOverflow) {
  // |z|^2 would overflow a double; the extended exponent range keeps the root exact.
  test::FpFlagWatch flags;
  const TComplex r = CSqrt(Cmplx(3e300, 4e300));
  EXPECT_NEAR(r.Re / 2e150, std::sqrt(1.0), 1e-15);
  EXPECT_NEAR(r.Im / 1e150, 1.0, 1e-15);
  EXPECT_EQ(CAbs(Cmplx(3e300, 4e300)), 5e300);
  EXPECT_EQ(flags.raised(), 0) << flags.describe();
}

TEST(ComplexArithmetic, ProductsQuotientsAndRotation) {
  TComplex q = CDiv(Cmplx(1.0, 0.0), Cmplx(0.0, 1.0));
  EXPECT_EQ(q.Re, 0.0);
  EXPECT_EQ(q.Im, -1.0);
  q = CDiv(Cmplx(11.0, 2.0), Cmplx(3.0, -4.0));  // (11 + 2i)/(3 - 4i) = 1 + 2i
  EXPECT_DOUBLE_EQ(q.Re, 1.0);
  EXPECT_DOUBLE_EQ(q.Im, 2.0);
  const TComplex i = CMulI(Cmplx(2.0, 3.0));
  EXPECT_EQ(i.Re, -3.0);
  EXPECT_EQ(i.Im, 2.0);
  const TComplex p = CMul(Cmplx(1.0, 2.0), Cmplx(3.0, 4.0));  // -5 + 10i
  EXPECT_EQ(p.Re, -5.0);
  EXPECT_EQ(p.Im, 10.0);
  const TComplex e = CExp(Cmplx(0.0, M_PI / 2));
  EXPECT_NEAR(e.Re, 0.0, 1e-16);
  EXPECT_EQ(e.Im, 1.0);
}

TEST(ComplexArithmetic, ResultMayAliasAnInput) {
  TComplex z = Cmplx(1.0, 2.0);
  z = CMul(z, z);  // (1 + 2i)^2 = -3 + 4i
  EXPECT_EQ(z.Re, -3.0);
  EXPECT_EQ(z.Im, 4.0);
  z = CDiv(z, z);
  EXPECT_EQ(z.Re, 1.0);
  EXPECT_EQ(z.Im, 0.0);
  z = CSqrt(Cmplx(-3.0, 4.0));  // 1 + 2i
  z = CSub(CAdd(z, z), z);
  EXPECT_EQ(z.Re, 1.0);
  EXPECT_EQ(z.Im, 2.0);
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
  {
    test::FpFlagWatch flags;
    volatile TComplex e = CExp(Cmplx(710.0, 0.0));
    (void)e;
    EXPECT_TRUE(flags.raised() & FE_OVERFLOW) << flags.describe();
  }
  {
    // Large divisors: 1/|b|^2 underflows quietly (no fault), the quotient goes to zero.
    test::FpFlagWatch flags;
    const TComplex q = CDiv(Cmplx(1.0, 0.0), Cmplx(1e200, 1e200));
    EXPECT_EQ(q.Re, 0.0);
    EXPECT_EQ(flags.raised(), 0) << flags.describe();
  }
}

}  // namespace
}  // namespace veldo
