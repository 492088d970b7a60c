// The number parsers, the label and error-box texts, and the sweep values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/format.hpp"
#include "app/parse.hpp"
#include "app/sweep.hpp"

namespace veldo {
namespace {

TEST(LenientReal, ReadsTheCommonFieldGrammarWithAPointInEveryLocale) {
  EXPECT_EQ(ParseLenientReal("2.0"), 2.0);
  EXPECT_EQ(ParseLenientReal("   0.01"), 0.01);
  EXPECT_EQ(ParseLenientReal("-4"), -4.0);
  EXPECT_EQ(ParseLenientReal("+1e3"), 1000.0);
  EXPECT_EQ(ParseLenientReal("1E-3"), 0.001);
  EXPECT_EQ(ParseLenientReal(".5"), 0.5);
  EXPECT_EQ(ParseLenientReal("5."), 5.0);
  // Below the smallest subnormal: a zero, not a refusal.
  EXPECT_EQ(ParseLenientReal("1e-400"), 0.0);
  // Only "." is a decimal point here; nothing may follow the number.
  for (const char* bad : {"", "   ", "1,5", "1e", "e3", "-", ".", "1.5x", "2.0 ", "0x10", "1..2"})
    EXPECT_FALSE(ParseLenientReal(bad)) << '"' << bad << '"';
}

TEST(LenientReal, RejectsInfinityNanAndOverflow) {
  for (const char* bad : {"inf", "-inf", "nan", "infinity", "1e999", "-1e309"})
    EXPECT_FALSE(ParseLenientReal(bad)) << bad;
  EXPECT_EQ(ParseLenientReal("1.7976931348623157e308"), std::numeric_limits<double>::max());
}

TEST(LenientInt, DecimalAndHexadecimalWithinThirtyTwoBits) {
  EXPECT_EQ(ParseLenientInt("200"), 200);
  EXPECT_EQ(ParseLenientInt("  -3"), -3);
  EXPECT_EQ(ParseLenientInt("$C8"), 200);
  EXPECT_EQ(ParseLenientInt("x1f"), 31);
  EXPECT_EQ(ParseLenientInt("X10"), 16);
  EXPECT_EQ(ParseLenientInt("0x10"), 16);
  EXPECT_EQ(ParseLenientInt("0X10"), 16);
  EXPECT_EQ(ParseLenientInt("2147483647"), 2147483647);
  EXPECT_EQ(ParseLenientInt("-2147483648"), -2147483647 - 1);
  for (const char* bad :
       {"", "2147483648", "-2147483649", "2.5", "1e3", "$", "0x", "$-1", "12 ", "abc"})
    EXPECT_FALSE(ParseLenientInt(bad)) << '"' << bad << '"';
}

TEST(StrictReal, SpacesAroundAndBothSeparators) {
  EXPECT_EQ(ParseStrictReal("  1.5  ", "."), 1.5);
  EXPECT_EQ(ParseStrictReal("1,5", ","), 1.5);
  EXPECT_EQ(ParseStrictReal("1.5", ","), 1.5);  // "." in every locale
  EXPECT_EQ(ParseStrictReal("-2,5e-1", ","), -0.25);
  for (const char* bad : {"", " ", "1,5", "abc", "1.5.", "inf", "nan", "1e999"})
    EXPECT_FALSE(ParseStrictReal(bad, ".")) << '"' << bad << '"';
  EXPECT_FALSE(ParseStrictReal("1.000,5", ","));
  EXPECT_FALSE(ParseStrictReal("1,2,3", ","));
}

TEST(LabelText, FixedSixDecimalsPaddedOrCutToSixteen) {
  EXPECT_EQ(LabelNumberText(0.00142), "        0.001420");
  EXPECT_EQ(LabelNumberText(4.9e-7), "        0.000000");
  EXPECT_EQ(LabelNumberText(-1.5), "       -1.500000");
  EXPECT_EQ(LabelNumberText(123456789.0), "123456789.000000");    // fills 16 exactly
  EXPECT_EQ(LabelNumberText(1234567890.25), "1234567890.25000");  // loses its last decimal
  EXPECT_EQ(LabelNumberText(1e300).size(), 16u);
}

TEST(ErrorBoxText, FullStopOnlyAfterALetterOrADigit) {
  EXPECT_EQ(ErrorBoxText("Floating point overflow"), "Floating point overflow.");
  EXPECT_EQ(ErrorBoxText("value 7"), "value 7.");
  EXPECT_EQ(ErrorBoxText("Done."), "Done.");
  EXPECT_EQ(ErrorBoxText("'x'"), "'x'");
  EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(Sweep, ValuesAreFromPlusIStepEndingOnTo) {
  // 0.1 to 1.0 mm by 0.1 mm, in metres: ten points, the last exactly To.
  const auto lo = MakeSweep(0.1 * 0.001, 1.0 * 0.001, 0.1 * 0.001);
  ASSERT_TRUE(lo);
  EXPECT_EQ(lo->count, 10);
  EXPECT_EQ(lo->Value(0), 0.1 * 0.001);
  EXPECT_EQ(lo->Value(9), 1.0 * 0.001);
  EXPECT_EQ(lo->Value(4), 0.1 * 0.001 + 4 * (0.1 * 0.001));  // never accumulated
  // 10.0 to 11.0 mm by 0.1 mm: eleven points.
  const auto b1 = MakeSweep(10.0 * 0.001, 11.0 * 0.001, 0.1 * 0.001);
  ASSERT_TRUE(b1);
  EXPECT_EQ(b1->count, 11);
  EXPECT_EQ(b1->Value(10), 11.0 * 0.001);
  // A range that is no multiple of the step stops below To and is not moved onto it.
  const auto odd = MakeSweep(0.0, 1.0, 0.3);
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->count, 4);
  EXPECT_EQ(odd->Value(3), 0.0 + 3 * 0.3);
}

TEST(Sweep, OnePointForFromEqualToOrZeroStepAndTooFineRefused) {
  EXPECT_EQ(MakeSweep(1.0, 1.0, 0.1)->count, 1);
  const auto zero = MakeSweep(1.0, 2.0, 0.0);
  ASSERT_TRUE(zero);
  EXPECT_EQ(zero->count, 1);
  EXPECT_EQ(zero->Value(0), 1.0);
  EXPECT_EQ(MakeSweep(0.0, 1.0, 1.0 / (kMaxSweepPoints - 1))->count, kMaxSweepPoints);
  EXPECT_FALSE(MakeSweep(0.0, 1.0, 1.0 / kMaxSweepPoints * 0.5));
  EXPECT_FALSE(MakeSweep(0.0, 1.0, 1e-320));  // the quotient overflows
}

}  // namespace
}  // namespace veldo
