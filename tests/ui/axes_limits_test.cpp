#include "ui/axes_limits.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

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
