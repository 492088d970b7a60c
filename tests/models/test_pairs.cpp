// Probes of two coils: the mutual inductance in air against Maxwell's formula and Neumann's
// integral, the transfer impedance over a near-perfect conductor against its image, reciprocity,
// a pickup that is the drive, a symmetric differential pair, and small coils far apart on a
// half-space against the dipole-dipole closed form.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "models/problem.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

Coil CoilOf(const test::CsvTable& t, std::size_t i, char which) {
  auto v = [&](const char* name) { return t.num(i, t.col(std::string(name) + which)); };
  return Coil{static_cast<int>(v("N")), v("R1") * 1e-3, v("R2") * 1e-3, v("L") * 1e-3, v("z") * 1e-3, v("x") * 1e-3};
}

// In air, and over a plate of 1e15 S/m (skin depth 50 nm at 100 kHz), whose reflection is minus
// the image of the pickup in the surface: Z21 = -j omega M(drive, image of the pickup) to about
// delta / gap.
TEST(Pairs, MutualInductanceAndThePerfectConductorsImage) {
  const auto t = test::ReadCsv("models/mutual_references.csv");
  ASSERT_GE(t.rows.size(), 5u);
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    const std::string name = t.rows[i][t.col("name")];
    const Coil a = CoilOf(t, i, 'a'), b = CoilOf(t, i, 'b');
    const double M = t.num(i, t.col("M"));
    // Within Acc when the quadrature says it reached it. Windings whose spans along the axes
    // overlap keep an undamped oscillating tail, where QAGI may run out of subintervals (and says
    // so); apart, the integral decays and must converge.
    for (const double acc : {1e-6, 1e-8}) {
      int ier = -1;
      const double m = MutualInductance(a, b, acc, ier);
      if (acc == 1e-6 && t.num(i, t.col("apart")) == 1) {
        EXPECT_EQ(ier, 0) << name;
      }
      if (ier == 0) {
        EXPECT_LE(test::RelErr(m, M), 2 * acc) << name;
      }
      EXPECT_LE(test::RelErr(MutualInductance(b, a, acc, ier), m), 1e-14) << name;
    }
    if (name.find("image") == std::string::npos) continue;
    Coil pickup = b;
    pickup.z = -(b.z + b.L);  // the winding whose image b is
    const Conductor perfect{Geometry::Plate, 0.0, {{kInf, 1e15, 1}}};
    const double omega = 2 * M_PI * 1e5;
    Workspace ws;
    const Impedance z = EvaluatePair(a, pickup, perfect, 1e5, 1e-8, ws);
    EXPECT_LE(test::RelErr(z.dR, z.dX, 0.0, -omega * M), 2e-4) << name;
  }
}

// Z_ab = Z_ba for every pair over every conductor, to rounding; a pickup that is the drive is the
// drive's own impedance change, bit for bit.
TEST(Pairs, ReciprocityAndThePickupThatIsTheDrive) {
  const Coil drive{200, 2e-3, 4e-3, 1e-3};
  const struct {
    const char* what;
    Coil pickup;
    Conductor conductor;
  } cases[] = {
      {"plate, stacked", Coil{100, 1e-3, 1.5e-3, 0.5e-3, 1.5e-3}, {Geometry::Plate, 1e-4, {{0.2e-3, 1e7, 1}, {kInf, 3.5e7, 50}}}},
      {"plate, side by side", Coil{150, 1e-3, 3e-3, 2e-3, 0.2e-3, 7e-3}, {Geometry::Plate, 1e-4, {{kInf, 1e6, 1}}}},
      {"tube", Coil{100, 2.5e-3, 3.5e-3, 1e-3, 4e-3}, {Geometry::Tube, 5e-3, {{1e-3, 1e7, 1}, {kInf, 3e6, 20}}}},
      {"rod", Coil{100, 2.5e-3, 3.5e-3, 1e-3, -3e-3}, {Geometry::Rod, 1.8e-3, {{0.3e-3, 3.5e7, 1}, {kInf, 5e6, 10}}}},
  };
  for (const auto& c : cases) {
    Workspace ws;
    const Impedance ab = EvaluatePair(drive, c.pickup, c.conductor, 1e5, 1e-6, ws);
    const Impedance ba = EvaluatePair(c.pickup, drive, c.conductor, 1e5, 1e-6, ws);
    EXPECT_EQ(ab.Ier, 0) << c.what;
    EXPECT_LE(test::RelErr(ab.dR, ab.dX, ba.dR, ba.dX), 1e-13) << c.what;
    Probe one;
    one.coils.push_back(drive);
    const Impedance self = EvaluatePair(drive, drive, c.conductor, 1e5, 1e-6, ws);
    const Impedance absolute = Evaluate(one, c.conductor, 1e5, 1e-6);
    EXPECT_EQ(self.dR, absolute.dR) << c.what;
    EXPECT_EQ(self.dX, absolute.dX) << c.what;
  }
}

// Two identical pickups placed symmetrically about the drive (either side over a plate, above and
// below in a tube) see one transfer impedance: their difference, the differential signal, is zero.
TEST(Pairs, ASymmetricDifferentialPairGivesZero) {
  const Coil drive{200, 2e-3, 4e-3, 1e-3, 0.0};
  const Conductor plate{Geometry::Plate, 1e-4, {{kInf, 1e7, 1}}};
  const Conductor tube{Geometry::Tube, 5e-3, {{kInf, 1e7, 1}}};
  const struct {
    Coil plus, minus;
    const Conductor& conductor;
  } cases[] = {
      {Coil{100, 1e-3, 2e-3, 1e-3, 0.0, 9e-3}, Coil{100, 1e-3, 2e-3, 1e-3, 0.0, -9e-3}, plate},
      {Coil{100, 2e-3, 4e-3, 1e-3, 2e-3}, Coil{100, 2e-3, 4e-3, 1e-3, -2e-3}, tube},
  };
  for (const auto& c : cases) {
    Workspace ws;
    const Impedance p = EvaluatePair(drive, c.plus, c.conductor, 1e5, 1e-6, ws);
    const Impedance m = EvaluatePair(drive, c.minus, c.conductor, 1e5, 1e-6, ws);
    EXPECT_LE(std::hypot(p.dR - m.dR, p.dX - m.dX),
              1e-13 * std::hypot(p.dR, p.dX));
  }
}

// Two small coils side by side on a half-space, from a fraction of the skin depth to a hundred
// skin depths apart, against the dipole-dipole closed form (tests/data/models/pair_dipole_limit.csv):
// the far field falls off as rho^-5 out of the cancellation of the coil factor's cycles of J0(k rho).
TEST(PairFarField, DipolesOnAHalfSpace) {
  const auto t = test::ReadCsv("models/pair_dipole_limit.csv");
  ASSERT_GE(t.rows.size(), 4u);
  const Coil drive{10, 0.05e-3, 0.1e-3, 0.01e-3};
  const Conductor plate{Geometry::Plate, 1e-6, {{kInf, 1e6, 1}}};
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
