// The batch engine's ratios K1/K0 and I1/I0 of a one-material bore or rod against mpmath
// (tests/data/models/bessel_ratios.csv), each argument through the routine and step count the
// engine picks for it, in a full block of lanes; and no floating-point fault flag on the way.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "models/batch_detail.hpp"

namespace veldo::batch_detail {
namespace {

TEST(BesselRatios, MatchHighPrecisionReferencesWithoutFaults) {
  std::ifstream in(std::string(VELDO_TEST_DATA_DIR) + "/models/bessel_ratios.csv");
  ASSERT_TRUE(in.good());
  double tolerance = 0.0;
  int rows = 0;
  std::feclearexcept(FE_ALL_EXCEPT);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("# tolerance ", 0) == 0) tolerance = std::stod(line.substr(12));
    if (line.empty() || line[0] == '#' || line[0] == 'z') continue;
    std::istringstream s(line);
    double v[6];
    char comma;
    s >> v[0] >> comma >> v[1] >> comma >> v[2] >> comma >> v[3] >> comma >> v[4] >> comma >> v[5];
    const double a = std::hypot(v[0], v[1]);
    double zr[kLanes], zi[kLanes], kr[kLanes], ki[kLanes], ir[kLanes], ii[kLanes];
    for (int l = 0; l < kLanes; ++l) zr[l] = v[0], zi[l] = v[1];
    if (a < kRatioLarge) {
      RatioKSteed(SteedSteps(a), zr, zi, kr, ki);
      RatioIMiller(MillerSteps(a), zr, zi, ir, ii);
    } else {
      RatioKHankel(HankelTerms(a), zr, zi, kr, ki);
      RatioIHankel(HankelTerms(a), zr, zi, ir, ii);
    }
    EXPECT_LE(std::hypot(kr[kLanes - 1] - v[2], ki[kLanes - 1] - v[3]), tolerance * std::hypot(v[2], v[3])) << line;
    EXPECT_LE(std::hypot(ir[kLanes - 1] - v[4], ii[kLanes - 1] - v[5]), tolerance * std::hypot(v[4], v[5])) << line;
    ++rows;
  }
  EXPECT_GT(tolerance, 0.0);
  EXPECT_GT(rows, 300);
  EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID), 0);
}

}  // namespace
}  // namespace veldo::batch_detail
