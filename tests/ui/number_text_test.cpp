#include "ui/number_text.hpp"

#include <gtest/gtest.h>

namespace veldo {
namespace {

TEST(GeneralText, PlainForModerateExponentsScientificOtherwise) {
  EXPECT_EQ(GeneralText(0.0), "0");
  EXPECT_EQ(GeneralText(-0.0), "0");
  EXPECT_EQ(GeneralText(100.0), "100");
  EXPECT_EQ(GeneralText(0.85), "0.85");
  EXPECT_EQ(GeneralText(-1.5), "-1.5");
  EXPECT_EQ(GeneralText(0.00001), "0.00001");
  EXPECT_EQ(GeneralText(1.23456e-7), "1.23456E-7");
  EXPECT_EQ(GeneralText(1e20), "1E20");
  EXPECT_EQ(GeneralText(0.1 + 0.2), "0.3");  // 15 digits hide the binary residue
  EXPECT_EQ(GeneralText(123456789012345.0), "123456789012345");
  EXPECT_EQ(GeneralText(1234567890123456.0), "1.23456789012346E15");
}

// The Axes Limits fields hold six characters: digits go, magnitude, sign and exponent stay.
TEST(ShortText, KeepsMagnitudeSignAndExponentInSixCharacters) {
  EXPECT_EQ(ShortText(1.23456e-7), "1.2E-7");  // a plain cut would read 1.2345
  EXPECT_EQ(ShortText(0.123456789), "0.1235");
  EXPECT_EQ(ShortText(123456.0), "123456");
  EXPECT_EQ(ShortText(1234567.0), "1.23E6");
  EXPECT_EQ(ShortText(-1234567.0), "-1.2E6");
  EXPECT_EQ(ShortText(-0.000123456), "-1E-4");
  EXPECT_EQ(ShortText(0.000123456), "1.2E-4");  // two digits beat "0.0001"
  EXPECT_EQ(ShortText(999999.7), "1E6");  // rounding carries into the next power of ten
  EXPECT_EQ(ShortText(0.92), "0.92");
  EXPECT_EQ(ShortText(0.0), "0");
  for (double v : {3.14159e-300, -2.5e-12, 7.77e45, -0.0421, 98765.4321, 1.0 / 3.0}) {
    const std::string s = ShortText(v);
    EXPECT_LE(s.size(), 6u) << v;
    const auto back = ParseFieldValue(s);
    ASSERT_TRUE(back) << s;
    // One significant digit may be all that is left; the power of ten stays.
    EXPECT_GT(*back / v, 0.5) << v << " -> " << s;
    EXPECT_LT(*back / v, 2.0) << v << " -> " << s;
  }
  // No six-character text has this magnitude: the exponent and sign still stay whole.
  EXPECT_EQ(ShortText(-1e-100), "-1E-100");
}

TEST(ParseFieldValue, AcceptsDecimalNumbersOnly) {
  EXPECT_EQ(ParseFieldValue(" 1.5 "), 1.5);
  EXPECT_EQ(ParseFieldValue("+2"), 2.0);
  EXPECT_EQ(ParseFieldValue("-3e2"), -300.0);
  EXPECT_EQ(ParseFieldValue(".5"), 0.5);
  EXPECT_EQ(ParseFieldValue("1.2E-7"), 1.2e-7);
  for (const char* bad : {"", "  ", "abc", "1,5", "1.5x", "--1", "+-1", "inf", "nan", "1e999", "0x10", "1 2"})
    EXPECT_FALSE(ParseFieldValue(bad)) << bad;
}

TEST(ErrorText, FullStopOnlyAfterLetterOrDigit) {
  EXPECT_EQ(ErrorText("Axis Minimum Value must be <= Maximum"), "Axis Minimum Value must be <= Maximum.");
  EXPECT_EQ(ErrorText("Axis increment must be >= 0"), "Axis increment must be >= 0.");
  EXPECT_EQ(ErrorText("Cannot create file /x/y.emf"), "Cannot create file /x/y.emf.");
  EXPECT_EQ(ErrorText("Done."), "Done.");
  EXPECT_EQ(ErrorText("'ab' is not a valid floating point value"),
            "'ab' is not a valid floating point value.");
  EXPECT_EQ(ErrorText("path/"), "path/");
  EXPECT_EQ(ErrorText(""), "");
}

}  // namespace
}  // namespace veldo
