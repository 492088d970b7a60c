// Two small coils side by side on a half-space, from a fraction of the skin depth to a hundred
// skin depths apart, against the dipole-dipole closed form (tests/data/models/pair_dipole_limit.csv):
// the far field falls off as rho^-5 out of the cancellation of the coil factor's cycles of J0(k rho).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "models/problem.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

TEST(PairFarField, DipolesOnAHalfSpace) {
  const auto t = test::ReadCsv("models/pair_dipole_limit.csv");
  ASSERT_GE(t.rows.size(), 4u);
  const Coil drive{10, 0.05e-3, 0.1e-3, 0.01e-3};
  const Conductor plate{Geometry::Plate, 1e-6, {{std::numeric_limits<double>::infinity(), 1e6, 1}}};
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    const std::string where = "rho/delta = " + t.rows[i][t.col("rho_over_delta")];
    Coil pickup = drive;
    pickup.x = t.num(i, t.col("x"));
    const double dR = t.num(i, t.col("dR")), dX = t.num(i, t.col("dX"));
    for (const double acc : {1e-4, 1e-6}) {
      Workspace ws;
      const Impedance z = EvaluatePair(drive, pickup, plate, 1e3, acc, ws);
      EXPECT_EQ(z.Ier, 0) << where << ", Acc " << acc;
      EXPECT_LE(test::RelErr(z.dR, z.dX, dR, dX), t.num(i, t.col("tol"))) << where << ", Acc " << acc;
      const Impedance ba = EvaluatePair(pickup, drive, plate, 1e3, acc, ws);
      EXPECT_LE(test::RelErr(ba.dR, ba.dX, z.dR, z.dX), 1e-13) << where;
    }
  }
}

}  // namespace
}  // namespace veldo
