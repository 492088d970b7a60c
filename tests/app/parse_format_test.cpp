// The number parsers, the label and error-box texts (a table of texts), and the sweep values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "app/format.hpp"
#include "app/parse.hpp"
#include "app/sweep.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

// Every row of tests/data/app/field_texts.tsv: a parser's number or refusal, or a text's form.
TEST(FieldTexts, ParsersAndTextsGiveTheTablesResults) {
  const test::CsvTable t = test::ReadCsv("app/field_texts.tsv", '\t');
  ASSERT_GT(t.rows.size(), 60u);
  for (const auto& row : t.rows) {
    const std::string &what = row.at(0), &text = row.at(1), &want = row.at(2);
    std::optional<double> got;
    if (what == "label") {
      EXPECT_EQ(LabelNumberText(std::stod(text)), want) << text;
      continue;
    }
    if (what == "error_box") {
      EXPECT_EQ(ErrorBoxText(text), want) << text;
      continue;
    }
    if (what == "lenient_real") got = ParseLenientReal(text);
    else if (what == "lenient_int") got = ParseLenientInt(text);
    else if (what.rfind("strict_real ", 0) == 0) got = ParseStrictReal(text, what.substr(12));
    else ADD_FAILURE() << "unknown row " << what;
    if (want == "refused") EXPECT_FALSE(got) << what << " '" << text << "' gave " << got.value_or(0);
    else EXPECT_EQ(got, std::optional(std::stod(want))) << what << " '" << text << "'";
  }
  EXPECT_EQ(LabelNumberText(1e300).size(), 16u);
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
