// The window's pure texts and checks: number texts, and the Axes Limits dialog's OK and ticks.
#include "ui/axes_limits.hpp"
#include "ui/number_text.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

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

// A form of tests/data/ui/axes_limits.tsv: automatic or manual|minimum|maximum|increment|grid.
AxisForm Form(const std::string& cell) {
  std::vector<std::string> f;
  std::istringstream in(cell);
  for (std::string part; std::getline(in, part, '|');) f.push_back(part);
  f.resize(5);
  return {f[0] == "manual", f[1], f[2], f[3], f[4] == "grid"};
}

std::string Text(const AxisState& a) {
  return (a.automatic ? "automatic " : "manual ") + std::to_string(a.minimum) + ".." + std::to_string(a.maximum) +
         " by " + std::to_string(a.increment) + (a.grid ? " grid" : " no grid");
}

// OK of the dialog on the rows of tests/data/ui/axes_limits.tsv, the bottom axis starting
// automatic and the left one manual, both over 0..1 by 0.25 with grid lines: each check in the
// dialog's order against the axis' values at that moment, what came before a failed check
// applied, nothing after it.
TEST(ApplyAxesLimits, ChecksInOrderAndKeepsWhatWasApplied) {
  const test::CsvTable t = test::ReadCsv("ui/axes_limits.tsv", '\t');
  ASSERT_EQ(t.rows.size(), 8u);
  for (const auto& r : t.rows) {
    AxisState x{true, 0, 1, 0.25, true}, y{false, 0, 1, 0.25, true};
    const std::optional<std::string> error = ApplyAxesLimits(Form(r.at(0)), Form(r.at(1)), x, y);
    EXPECT_EQ(error.value_or(""), r.at(2)) << r[0];
    EXPECT_EQ(Text(x), r.at(3)) << r[0];
    EXPECT_EQ(Text(y), r.at(4)) << r[0];
  }
}

TEST(BoundedTickInterval, NeverAsksForMoreThanTheBound) {
  EXPECT_EQ(BoundedTickInterval(0, 1, 0.25), 0.25);
  EXPECT_EQ(BoundedTickInterval(0, 1, 0), 0.0);
  EXPECT_EQ(BoundedTickInterval(1, 1, 0.1), 0.0);
  EXPECT_EQ(BoundedTickInterval(1, 0, 0.1), 0.0);
  const double big = BoundedTickInterval(0, 10500, 0.05);
  EXPECT_LE(10500 / big, 50.0);
  EXPECT_EQ(std::fmod(big, 0.05) < 1e-9 || std::fmod(big, 0.05) > 0.05 - 1e-9, true);
  EXPECT_LE(1e300 / BoundedTickInterval(0, 1e300, 1e-300), 50.0);
}

}  // namespace
}  // namespace veldo
