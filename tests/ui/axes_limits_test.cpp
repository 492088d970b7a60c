#include "ui/axes_limits.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace veldo {
namespace {

AxisState Current(double lo, double hi) {
  AxisState a;
  a.minimum = lo;
  a.maximum = hi;
  return a;
}

AxisForm Manual(std::string lo, std::string hi, std::string inc, bool grid = true) {
  return {true, std::move(lo), std::move(hi), std::move(inc), grid};
}

const AxisForm kAutomatic{false, "garbage", "garbage", "garbage", true};

TEST(ApplyAxesLimits, ManualLimitsAndGridsOnBothAxes) {
  AxisState x = Current(0, 1), y = Current(0.8, 1.0);
  EXPECT_FALSE(ApplyAxesLimits(Manual("-0.5", "2", "0.5", false), Manual("0.5", "1.2", "0", true), x, y));
  EXPECT_FALSE(x.automatic);
  EXPECT_EQ(x.minimum, -0.5);
  EXPECT_EQ(x.maximum, 2.0);
  EXPECT_EQ(x.increment, 0.5);
  EXPECT_FALSE(x.grid);
  EXPECT_FALSE(y.automatic);
  EXPECT_EQ(y.minimum, 0.5);
  EXPECT_EQ(y.maximum, 1.2);
  EXPECT_TRUE(y.grid);
}

TEST(ApplyAxesLimits, AutomaticIgnoresTheFields) {
  AxisState x = Current(0, 1), y = Current(0, 1);
  x.automatic = false;
  x.increment = 0.25;
  AxisForm noGrid = kAutomatic;
  noGrid.grid = false;
  EXPECT_FALSE(ApplyAxesLimits(kAutomatic, noGrid, x, y));
  EXPECT_TRUE(x.automatic);
  EXPECT_EQ(x.increment, 0.25);  // the increment is not touched
  EXPECT_TRUE(y.automatic);
  EXPECT_FALSE(y.grid);
}

// Each check runs against the axis' values at that moment; what came before stays applied.
TEST(ApplyAxesLimits, ChecksInOrderAndKeepsWhatWasApplied) {
  {
    AxisState x = Current(0, 1), y = Current(0, 1);
    const auto e = ApplyAxesLimits(Manual("zero", "1", "0", false), kAutomatic, x, y);
    EXPECT_EQ(e, "'zero' is not a valid floating point value");
    EXPECT_FALSE(x.automatic);  // already switched off
    EXPECT_TRUE(x.grid);        // step 2 never ran
  }
  {
    // A new range wholly above the current one fails at the minimum.
    AxisState x = Current(0, 1), y = Current(0, 1);
    EXPECT_EQ(ApplyAxesLimits(Manual("5", "10", "1"), kAutomatic, x, y),
              "Axis Minimum Value must be <= Maximum");
    EXPECT_EQ(x.minimum, 0.0);
    EXPECT_EQ(x.maximum, 1.0);
  }
  {
    AxisState x = Current(0, 1), y = Current(0, 1);
    EXPECT_EQ(ApplyAxesLimits(Manual("0.5", "0.2", "1"), kAutomatic, x, y),
              "Axis Maximum Value must be >= Minimum");
    EXPECT_EQ(x.minimum, 0.5);  // the minimum was set before the maximum failed
    EXPECT_EQ(x.maximum, 1.0);
  }
  {
    AxisState x = Current(0, 1), y = Current(0, 1);
    y.automatic = true;
    EXPECT_EQ(ApplyAxesLimits(Manual("0", "1", "0.1", false), Manual("0", "2", "-1"), x, y),
              "Axis increment must be >= 0");
    EXPECT_FALSE(x.grid);  // the bottom axis was complete
    EXPECT_EQ(y.maximum, 2.0);
    EXPECT_EQ(y.increment, 0.0);
  }
  {
    AxisState x = Current(0, 1), y = Current(0, 1);
    EXPECT_EQ(ApplyAxesLimits(Manual("0", "", "1"), kAutomatic, x, y),
              "'' is not a valid floating point value");
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
