// The number parsers, the label and error-box texts, and the sweep values (tables of texts and ranges).
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

// Every range of tests/data/app/sweep_ranges.tsv: its count or refusal, the values From + i*Step
// (never accumulated) or From * 10^(i/k) (within an ulp of the value in extended precision) below
// To, and the last value on To exactly where the table says.
TEST(Sweep, TheTablesRangesGiveTheirValues) {
  const test::CsvTable t = test::ReadCsv("app/sweep_ranges.tsv", '\t');
  ASSERT_GT(t.rows.size(), 15u);
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    SCOPED_TRACE(t.rows[r][0]);
    auto v = [&](const char* c) { return t.num(r, t.col(c)); };
    const bool log = t.rows[r][t.col("kind")] == "log";
    const double from = v("from") * v("unit"), to = v("to") * v("unit"), step = log ? v("step") : v("step") * v("unit");
    const std::optional<SweepRange> range = log ? MakeLogSweep(from, to, step) : MakeSweep(from, to, step);
    if (t.rows[r][t.col("count")] == "refused") {
      EXPECT_FALSE(range);
      continue;
    }
    ASSERT_TRUE(range);
    ASSERT_EQ(range->count, static_cast<int>(v("count")));
    const bool endsOnTo = v("ends_on_to") == 1;
    EXPECT_EQ(range->Value(0), from);
    for (int i = 1; i < range->count - (endsOnTo ? 1 : 0); ++i) {
      const double x = range->Value(i);
      const long double exact = from * std::pow(10.0L, i / static_cast<long double>(step));
      if (log) ASSERT_NEAR(x, static_cast<double>(exact), 2.3e-16 * x) << i;
      else ASSERT_EQ(x, from + i * step) << i;
      ASSERT_LT(x, to) << i;
    }
    EXPECT_EQ(range->Value(range->count - 1) == to, endsOnTo);
  }
}

}  // namespace
}  // namespace veldo
