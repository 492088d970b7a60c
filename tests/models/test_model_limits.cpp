// The eddy-current models against high-precision references of their integrals, physical limits
// and exact reductions: the coil's inductance and its mirror image from Maxwell's filament
// formula, materials that make a model collapse into another, and the refusal of an accuracy the
// quadrature cannot give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "tests/models/model_calls.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

using test::CaseDefaults;
using test::Model;
using test::ModelInput;
using test::RelErr;
using test::RunModel;

constexpr double kPi = 3.14159265358979323846;

double Omega(double f) { return 2.0 * kPi * f; }

// Inductance per turn squared [H] from tests/data/models/maxwell_limits.csv.
double MaxwellInductance(const std::string& kind, double R1mm, double R2mm, double Lmm, double LOmm) {
  const auto t = test::ReadCsv("models/maxwell_limits.csv");
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    if (t.rows[i][t.col("kind")] == kind && t.num(i, t.col("R1")) == R1mm && t.num(i, t.col("R2")) == R2mm &&
        t.num(i, t.col("L")) == Lmm && t.num(i, t.col("LO")) == LOmm)
      return t.num(i, t.col("inductance"));
  }
  ADD_FAILURE() << "no Maxwell row " << kind << " " << R1mm << " " << R2mm << " " << Lmm << " " << LOmm;
  return 0.0;
}

// The seven models against an independent high-precision evaluation of their integrals
// (tests/data/models/dodd_deeds_references.csv, made with mpmath by the script beside it): at
// the default accuracy and at a tight one, and the two results against each other.
ModelInput InputFromRow(const test::CsvTable& t, std::size_t i) {
  auto v = [&](const char* name) { return t.num(i, t.col(name)); };
  ModelInput in;
  in.N = static_cast<int>(v("N"));
  in.R1 = v("R1") * 1e-3, in.R2 = v("R2") * 1e-3, in.L = v("L") * 1e-3, in.f = v("f");
  in.LO = v("LO") * 1e-3, in.D1 = v("D1") * 1e-3, in.B1 = v("B1") * 1e-3, in.B2 = v("B2") * 1e-3;
  in.CON1 = v("CON1") * 1e6, in.CON2 = v("CON2") * 1e6, in.MR1 = v("MR1"), in.MR2 = v("MR2");
  return in;
}

// Relative error of the complex change |dZ - ref| / |ref|: a part much smaller than the other
// (dR of a non-conducting piece) is judged on the scale of the whole change.
TEST(ModelReferences, AgreeWithinTheRequestedAccuracy) {
  const auto t = test::ReadCsv("models/dodd_deeds_references.csv");
  ASSERT_GE(t.rows.size(), 16u);
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    const std::string name = t.rows[i][t.col("model")];
    const Model m = test::ModelByName(name);
    ModelInput in = InputFromRow(t, i);
    const double refR = t.num(i, t.col("dR")), refX = t.num(i, t.col("dX"));

    in.Acc = 1e-4;  // the window's default 0.01 %
    const auto loose = test::RunModel(m, in);
    in.Acc = 1e-8;
    const auto tight = test::RunModel(m, in);
    // At 1e-8 the quadrature may use up its 100 subintervals (Ier 1) while close to the goal.
    EXPECT_EQ(loose.Ier, 0) << name << " row " << i;

    EXPECT_LE(RelErr(loose.dR, loose.dX, refR, refX), 1e-4) << name << " row " << i;
    // At 1e-8 QAGI's estimate holds to within a small factor; the bound leaves it that factor.
    // A rod within 1 mm of the winding keeps kernel weight out to k R1 of several dozen, where
    // the coil factor int t K1 is exponentially small: it must keep its relative accuracy
    // there (as a difference of two running integrals rounded to pi/2 it lost 1e-6 of the
    // change).
    EXPECT_LE(RelErr(tight.dR, tight.dX, refR, refX), 1e-7) << name << " row " << i;
    EXPECT_LE(RelErr(loose.dR, loose.dX, tight.dR, tight.dX), 1e-4) << name << " row " << i;
  }
}

TEST(CheckRange, RejectsOnlyReversedRangesAndNegativeSteps) {
  EXPECT_EQ(CheckRange(1, 2, 0), 0);  // Step 0: one point
  EXPECT_EQ(CheckRange(1, 1, 0.1), 0);
  EXPECT_EQ(CheckRange(0.1, 1.0, 0.1), 0);
  EXPECT_EQ(CheckRange(2, 1, 0.1), 1);
  EXPECT_EQ(CheckRange(1, 2, -0.1), 1);
  EXPECT_EQ(CheckRange(2, 1, -0.1), 1);
  EXPECT_EQ(CheckRange(1, std::nextafter(1.0, 0.0), 0.1), 1);
}

// X0 = omega N^2 L0: the Dodd-Deeds integral against Maxwell's mutual inductance of coaxial
// filaments integrated over the winding, a wholly different route to the same inductance.
TEST(AirCoilReactance, MatchesMaxwellSelfInductance) {
  struct Coil { double R1, R2, L; };
  for (const Coil c : {Coil{2, 4, 1}, Coil{12, 14, 1}, Coil{1, 5, 3}}) {
    const double L0 = MaxwellInductance("self", c.R1, c.R2, c.L, 0);
    for (const double Acc : {1e-4, 1e-6, 1e-9}) {
      double X0 = 0.0;
      int Ier = -1;
      AirCoilReactance(200, c.R1 * 1e-3, c.R2 * 1e-3, c.L * 1e-3, 1e5, Acc, X0, Ier);
      EXPECT_EQ(Ier, 0) << "coil " << c.R1 << "-" << c.R2 << " x " << c.L << " mm, Acc " << Acc;
      // Bound: the requested accuracy plus the reference's own (quadrature at 1e-11) when the
      // quadrature claims it; a run that used up its subintervals (Ier 1) claims nothing, and
      // its best estimate is held to the default accuracy.
      EXPECT_LE(RelErr(X0, Omega(1e5) * 200.0 * 200.0 * L0), Ier == 0 ? std::max(Acc, 1e-9) : 1e-4)
          << "coil " << c.R1 << "-" << c.R2 << " x " << c.L << " mm, Acc " << Acc << ", Ier " << Ier;
    }
  }
}

// A solid winding (R1 = 0) is a valid coil. (X0 against N^2 and f: the air-coil properties.)
TEST(AirCoilReactance, SolidWindingIsACoil) {
  double X0 = 0.0;
  int Ier = -1;
  AirCoilReactance(200, 0.0, 4e-3, 1e-3, 1e5, 1e-4, X0, Ier);
  EXPECT_EQ(Ier, 0);
  EXPECT_TRUE(std::isfinite(X0) && X0 > 0.0);
}

// A non-conducting half-space of permeability mu reflects every spatial frequency with the same
// rho = (mu - 1)/(mu + 1), so dZ = j omega rho M, M the mutual inductance of the coil with its
// mirror image: exact, whatever the coil. A very good conductor reflects with rho -> -1.
TEST(PlanarOneLayer, ReachesTheMirrorImageLimits) {
  for (const double LO : {0.1, 0.5, 1.0}) {
    const double M = 200.0 * 200.0 * MaxwellInductance("mirror", 2, 4, 1, LO);
    ModelInput in;
    in.LO = LO * 1e-3, in.f = 1e5, in.Acc = 1e-8;
    in.CON1 = 0.0, in.MR1 = 1000.0;
    auto o = RunModel(Model::Planar1, in);
    EXPECT_EQ(o.Ier, 0);
    EXPECT_EQ(o.dR, 0.0);  // a real kernel: the imaginary-part run integrates zeros
    EXPECT_LE(RelErr(o.dX, Omega(in.f) * M * 999.0 / 1001.0), 1e-8) << "LO " << LO;

    // Copper-like at 100 MHz: skin depth 16 um, rho = -1 + O(k/|alpha|) with k/|alpha| ~ 1e-3.
    in.CON1 = 1e8, in.MR1 = 1.0, in.f = 1e8;
    o = RunModel(Model::Planar1, in);
    EXPECT_GT(o.dR, 0.0);
    EXPECT_LE(RelErr(o.dX, -Omega(in.f) * M), 1e-2) << "LO " << LO;
  }
}

// Two layers of one material are one half-space: M = 0 in the planar coefficient, P = 0 (bore)
// or Q = 0 (rod) in the cylindrical ones, leaving the one-layer ratio with numerator and
// denominator multiplied by one common factor; only their rounding differs (a few ulps of the
// kernel, about 1e-16 of the result; a third of such points agree to the last bit).
TEST(TwoLayerModels, EqualMaterialsMatchOneLayer) {
  struct Case {
    Model two, one;
    double interface;  // D1 or B2 [m]
  };
  const Model P2 = Model::Planar2, P1 = Model::Planar1, I2 = Model::Inside2, I1 = Model::Inside1,
              O2 = Model::Outside2, O1 = Model::Outside1;
  for (const Case c : {Case{P2, P1, 0.01e-3}, Case{P2, P1, 0.1e-3}, Case{P2, P1, 2e-3}, Case{P2, P1, 50e-3},
                       Case{I2, I1, 10.5e-3}, Case{I2, I1, 12e-3}, Case{I2, I1, 30e-3}, Case{O2, O1, 1e-3},
                       Case{O2, O1, 5e-3}, Case{O2, O1, 9.9e-3}}) {
    ModelInput in = CaseDefaults(c.two);
    (c.two == Model::Planar2 ? in.D1 : in.B2) = c.interface;
    in.CON2 = in.CON1, in.MR1 = in.MR2 = c.two == Model::Planar2 ? 7.0 : 3.0;
    const auto two = RunModel(c.two, in);
    const auto one = RunModel(c.one, in);
    EXPECT_LE(RelErr(two.dR, two.dX, one.dR, one.dX), 2e-15) << test::ModelName(c.two) << " at " << c.interface;
  }
}

// D1 = 0 leaves the lower material alone: algebraically the one-layer coefficient of material 2,
// equal up to rounding.
TEST(PlanarTwoLayers, ZeroThicknessIsTheLowerMaterial) {
  ModelInput in = CaseDefaults(Model::Planar2);
  in.D1 = 0.0, in.MR2 = 20.0;
  const auto two = RunModel(Model::Planar2, in);
  ModelInput lower = in;
  lower.CON1 = in.CON2, lower.MR1 = in.MR2;
  const auto one = RunModel(Model::Planar1, lower);
  EXPECT_LE(RelErr(two.dR, two.dX, one.dR, one.dX), 2e-15);
}

// Air is no test piece: rho vanishes up to the rounding of alpha = sqrt(k^2) and dZ with it.
TEST(AllModels, NonConductingNonMagneticPieceChangesNothing) {
  double X0;
  int Ier;
  for (const Model m : test::kAllModels) {
    ModelInput in = CaseDefaults(m);
    in.CON1 = in.CON2 = 0.0, in.MR1 = in.MR2 = 1.0;
    AirCoilReactance(in.N, in.R1, in.R2, in.L, in.f, in.Acc, X0, Ier);
    const auto o = RunModel(m, in);
    EXPECT_LE(std::hypot(o.dR, o.dX), 1e-12 * X0) << test::ModelName(m);
  }
}

// An accuracy below 50 EPMACH = 1.110223e-14 makes both quadrature runs refuse (their IER 6):
// Ier = 3 and no change; the air-coil reference passes the refusal through as 6 and X0 = 0.
TEST(AllModels, RefuseAnAccuracyBelowTheQuadraturesLimit) {
  for (const Model m : test::kAllModels) {
    ModelInput in = CaseDefaults(m);
    in.Acc = 1.1e-14;
    const auto o = RunModel(m, in);
    EXPECT_EQ(o.Ier, 3) << test::ModelName(m);
    EXPECT_EQ(o.dR, 0.0) << test::ModelName(m);
    EXPECT_EQ(o.dX, 0.0) << test::ModelName(m);
  }
  double X0 = -1.0;
  int Ier = -1;
  AirCoilReactance(200, 2e-3, 4e-3, 1e-3, 1e5, 1e-15, X0, Ier);
  EXPECT_EQ(Ier, 6);
  EXPECT_EQ(X0, 0.0);
}

}  // namespace
}  // namespace veldo
