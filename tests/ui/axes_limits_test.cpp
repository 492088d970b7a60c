#include "ui/axes_limits.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace veldo {
namespace {

AxisForm Manual(std::string lo, std::string hi, std::string inc, bool grid = true) {
  return {true, std::move(lo), std::move(hi), std::move(inc), grid};
}

std::string Text(const AxisState& a) {
  return (a.automatic ? "automatic " : "manual ") + std::to_string(a.minimum) + ".." + std::to_string(a.maximum) +
         " by " + std::to_string(a.increment) + (a.grid ? " grid" : " no grid");
}

// OK of the dialog, the bottom axis starting automatic and the left one manual, both over 0..1
// by 0.25 with grid lines. Each check runs against the axis' values at that moment, in the
// dialog's order; what came before a failed check stays applied, what comes after it does not.
TEST(ApplyAxesLimits, ChecksInOrderAndKeepsWhatWasApplied) {
  const AxisState xStart{true, 0, 1, 0.25, true}, yStart{false, 0, 1, 0.25, true};
  const AxisState xOff{false, 0, 1, 0.25, true};  // switched to manual, then a check failed
  const AxisForm automatic{false, "garbage", "garbage", "garbage", true};
  AxisForm automaticNoGrid = automatic;
  automaticNoGrid.grid = false;
  const struct {
    AxisForm x, y;
    std::optional<std::string> error;
    AxisState x2, y2;
  } cases[] = {
      {Manual("-0.5", "2", "0.5", false), Manual("0.5", "1.2", "0"), {}, {false, -0.5, 2, 0.5, false}, {false, 0.5, 1.2, 0, true}},
      {automatic, automaticNoGrid, {}, xStart, {true, 0, 1, 0.25, false}},  // fields not read
      {Manual("zero", "1", "0", false), automatic, "'zero' is not a valid floating point value", xOff, yStart},
      // A new range wholly above the current one fails at the minimum.
      {Manual("5", "10", "1"), automatic, "Axis Minimum Value must be <= Maximum", xOff, yStart},
      {Manual("1", "1", "0"), automatic, {}, {false, 1, 1, 0, true}, xStart},  // a minimum equal to the maximum
      {Manual("0.5", "0.2", "1"), automatic, "Axis Maximum Value must be >= Minimum", {false, 0.5, 1, 0.25, true}, yStart},
      {Manual("0", "1", "0.1", false), Manual("0", "2", "-1"), "Axis increment must be >= 0",
       {false, 0, 1, 0.1, false}, {false, 0, 2, 0.25, true}},
      {Manual("0", "", "1"), automatic, "'' is not a valid floating point value", xOff, yStart},
  };
  for (const auto& c : cases) {
    AxisState x = xStart, y = yStart;
    EXPECT_EQ(ApplyAxesLimits(c.x, c.y, x, y), c.error) << c.x.minimum << " " << c.x.maximum;
    EXPECT_EQ(Text(x), Text(c.x2)) << c.x.minimum << " " << c.x.maximum;
    EXPECT_EQ(Text(y), Text(c.y2)) << c.x.minimum << " " << c.x.maximum;
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
