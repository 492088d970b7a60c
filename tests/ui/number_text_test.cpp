#include "ui/number_text.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

// Every row of tests/data/ui/number_texts.tsv: the text a number is shown as, the number a
// field's text is read as (or its refusal), or an error box's text.
TEST(NumberTexts, GiveTheTablesTexts) {
  const test::CsvTable t = test::ReadCsv("ui/number_texts.tsv", '\t');
  ASSERT_GT(t.rows.size(), 40u);
  for (const auto& row : t.rows) {
    const std::string &what = row.at(0), &text = row.at(1), &want = row.at(2);
    const double x = std::strtod(text.c_str(), nullptr);
    if (what == "general") EXPECT_EQ(GeneralText(x), want) << text;
    else if (what == "short") EXPECT_EQ(ShortText(x), want) << text;
    else if (what == "error") EXPECT_EQ(ErrorText(text), want) << text;
    else if (what != "parse") ADD_FAILURE() << "unknown row " << what;
    else if (want == "refused") EXPECT_FALSE(ParseFieldValue(text)) << "'" << text << "'";
    else EXPECT_EQ(ParseFieldValue(text), std::strtod(want.c_str(), nullptr)) << "'" << text << "'";
  }
}

// The Axes Limits fields hold six characters; read back, the text keeps the power of ten (one
// significant digit may be all that is left).
TEST(ShortText, KeepsMagnitudeAndSignInSixCharacters) {
  for (double v : {3.14159e-300, -2.5e-12, 7.77e45, -0.0421, 98765.4321, 1.0 / 3.0}) {
    const std::string s = ShortText(v);
    EXPECT_LE(s.size(), 6u) << v;
    const auto back = ParseFieldValue(s);
    ASSERT_TRUE(back) << s;
    EXPECT_GT(*back / v, 0.5) << v << " -> " << s;
    EXPECT_LT(*back / v, 2.0) << v << " -> " << s;
  }
}

}  // namespace
}  // namespace veldo
