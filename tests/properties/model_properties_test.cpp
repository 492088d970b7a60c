// Physical invariants of the eddy-current models over random, physically valid inputs.
//
// Every draw is a coil, a frequency, materials and a geometry in the ranges a user types
// (10 Hz..10 MHz, 0..100 MS/m, relative permeability 1..1000, lift-offs 0..20 mm, coil radii
// 0.1..50 mm, heights 0.05..50 mm), with a fixed seed per case so a failure reproduces. The
// checks are what any passive test piece must satisfy, whatever the numerics:
//  - finite results and none of the three floating-point faults the Compute command reports;
//  - passivity: the piece can only absorb power, dR >= 0;
//  - a non-magnetic conductor only opposes the coil's field, dX <= 0; a non-conducting magnetic
//    piece only reinforces it, dX >= 0 with dR exactly 0 (its kernel is real);
//  - halving Acc moves the result by less than Acc relative;
//  - over a half-space (cases 1, 2, 9) dR falls as the lift-off grows: every spatial frequency
//    contributes a non-negative amount damped by e^(-2 k LO);
//  - a two-layer piece of one material is the one-layer piece.
// Sign checks allow the requested accuracy: |violation| <= Acc * |dZ|. Points whose quadrature
// reports Ier != 0 are counted and checked with a ten times looser bound. Checks that a case
// still fails for a known reason print their findings instead of failing; a disabled
// reproducer below stands for each. Open: the continuity in Acc of the air coil and the rod,
// where an oscillating kernel (a winding much wider than high) or an early, falsely confident
// stop of the quadrature still leaves a value a few times Acc off while it reports success;
// every other model holds it over 3000 draws.
//
// The draws per case default to a number that keeps the suite quick; VELDO_PROPERTY_DRAWS sets
// the count of every case (the full search runs a few thousand).
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "models/models.hpp"
#include "tests/models/model_calls.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

using test::FpFlagWatch;

// splitmix64: a fixed, portable stream (the standard distributions are not specified bit for bit).
class Rng {
public:
  explicit Rng(std::uint64_t seed) : s_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }  // [0, 1)
  double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
  // Log-uniform on [lo, hi]: every decade equally likely.
  double LogUniform(double lo, double hi) { return lo * std::pow(hi / lo, Uniform()); }
  bool Chance(double p) { return Uniform() < p; }

private:
  std::uint64_t s_;
};

// One set of model inputs in SI units. P1 is LO or B1, P2 is D1 or B2.
struct Draw {
  int N = 0;
  double R1 = 0, R2 = 0, L = 0, f = 0, Acc = 0;
  double P1 = 0, P2 = 0, CON1 = 0, CON2 = 0, MR1 = 1, MR2 = 1;
};

std::string Describe(const Draw& d) {
  char buf[512];
  std::snprintf(buf, sizeof buf,
                "N=%d R1=%.17g R2=%.17g L=%.17g f=%.17g Acc=%.17g P1=%.17g P2=%.17g CON1=%.17g "
                "CON2=%.17g MR1=%.17g MR2=%.17g",
                d.N, d.R1, d.R2, d.L, d.f, d.Acc, d.P1, d.P2, d.CON1, d.CON2, d.MR1, d.MR2);
  return buf;
}

struct Result {
  double dR = 0, dX = 0;
  int Ier = 0;
  int flags = 0;
  std::string flagText;
  double Mag() const { return std::hypot(dR, dX); }
};

enum class Geometry { HalfSpace, HalfSpaceLayer, Bore, BoreLayer, Rod, RodLayer, Vertical };

// What a draw's material is made to be.
enum class Material { General, NonMagneticConductor, NonConductingMagnetic, OneMaterial };

// What a violation is about. Some are known open defects of a case (the case lists them): they
// are printed and counted, not failed, and each has a disabled reproducer below.
enum class Check { Finite, Fault, Passivity, Reactance, Lossless, Accuracy, LiftOff, Layers, Zero };

struct CaseInfo {
  const char* name;
  Geometry geometry;
  std::uint64_t seed;
  int defaultDraws;
  std::function<void(const Draw&, double&, double&, int&)> model;
  // Two-layer cases: the one-layer model of the same geometry, of material 1.
  std::function<void(const Draw&, double&, double&, int&)> single = nullptr;
  // Checks with a known open defect in this case (printed, not failed).
  std::vector<Check> open = {};
};

void PrintTo(const CaseInfo& c, std::ostream* os) { *os << c.name; }

bool TwoLayers(Geometry g) {
  return g == Geometry::HalfSpaceLayer || g == Geometry::BoreLayer || g == Geometry::RodLayer;
}
bool LiftOff(Geometry g) {
  return g == Geometry::HalfSpace || g == Geometry::HalfSpaceLayer || g == Geometry::Vertical;
}

using ModelOfDraw = std::function<void(const Draw&, double&, double&, int&)>;

Result RunOnce(const ModelOfDraw& model, const Draw& d) {
  Result r;
  FpFlagWatch watch;
  model(d, r.dR, r.dX, r.Ier);
  r.flags = watch.raised();
  r.flagText = watch.describe();
  return r;
}
Result Evaluate(const CaseInfo& c, const Draw& d) { return RunOnce(c.model, d); }

// The coil and the piece, drawn in the ranges of the window's fields.
Draw DrawInputs(Rng& rng, Geometry g, Material m) {
  Draw d;
  d.N = 1 + static_cast<int>(rng.Next() % 2000);
  // Radii 0.1..50 mm with R1 < R2 (at least 1 % apart: a winding has a width).
  double a = rng.LogUniform(0.1e-3, 50e-3), b = rng.LogUniform(0.1e-3, 50e-3);
  if (a > b) std::swap(a, b);
  if (b < a * 1.01) b = a * 1.01;
  if (b > 50e-3) a = (b = 50e-3) / 1.01;
  d.R1 = a;
  d.R2 = b;
  d.L = rng.LogUniform(0.05e-3, 50e-3);
  d.f = rng.LogUniform(10.0, 10e6);
  d.Acc = rng.LogUniform(1e-5, 1e-2);  // 0.001 % .. 1 %
  d.CON1 = rng.LogUniform(0.01e6, 100e6);
  d.CON2 = rng.LogUniform(0.01e6, 100e6);
  d.MR1 = rng.LogUniform(1.0, 1000.0);
  d.MR2 = rng.LogUniform(1.0, 1000.0);
  switch (m) {
    case Material::General: break;
    case Material::NonMagneticConductor: d.MR1 = d.MR2 = 1.0; break;
    case Material::NonConductingMagnetic: d.CON1 = d.CON2 = 0.0; break;
    case Material::OneMaterial:
      d.CON2 = d.CON1;
      d.MR2 = d.MR1;
      break;
  }
  switch (g) {
    case Geometry::HalfSpace:
    case Geometry::Vertical:
      d.P1 = rng.Chance(0.05) ? 0.0 : rng.Uniform(0.0, 20e-3);
      break;
    case Geometry::HalfSpaceLayer:
      d.P1 = rng.Chance(0.05) ? 0.0 : rng.Uniform(0.0, 20e-3);
      d.P2 = rng.LogUniform(0.001e-3, 20e-3);
      break;
    case Geometry::Bore:  // the bore wall lies outside the winding
      d.P1 = d.R2 + rng.LogUniform(0.001e-3, 20e-3);
      break;
    case Geometry::BoreLayer:
      d.P1 = d.R2 + rng.LogUniform(0.001e-3, 20e-3);
      d.P2 = d.P1 + rng.LogUniform(0.001e-3, 20e-3);
      break;
    case Geometry::Rod:  // the rod lies inside the winding
      d.P1 = d.R1 * rng.Uniform(0.05, 1.0);
      break;
    case Geometry::RodLayer:
      d.P1 = d.R1 * rng.Uniform(0.05, 1.0);
      d.P2 = d.P1 * rng.Uniform(0.05, 1.0);
      break;
  }
  return d;
}

int DrawCount(const CaseInfo& c) {
  if (const char* env = std::getenv("VELDO_PROPERTY_DRAWS")) {
    const int n = std::atoi(env);
    if (n > 0) return n;
  }
  return c.defaultDraws;
}

// Collects violations; the first few are printed with the inputs that reproduce them.
class Findings {
public:
  explicit Findings(std::vector<Check> open) : open_(std::move(open)) {}
  void Add(Check check, const std::string& what, const Draw& d, const Result& r) {
    const bool known = std::find(open_.begin(), open_.end(), check) != open_.end();
    int& n = known ? known_ : count_;
    ++n;
    if (n > 6) return;
    std::ostringstream msg;
    msg << (known ? "open defect, not failed: " : "") << what << "\n  inputs: " << Describe(d)
        << "\n  dR=" << r.dR << " dX=" << r.dX << " Ier=" << r.Ier << " flags=" << r.flagText;
    if (known)
      std::printf("%s\n", msg.str().c_str());
    else
      ADD_FAILURE() << msg.str();
  }
  int count() const { return count_; }
  int known() const { return known_; }

private:
  std::vector<Check> open_;
  int count_ = 0, known_ = 0;
};

// The tolerance of a sign or continuity check on a result of magnitude `mag`.
double Slack(const Draw& d, const Result& r, double mag) {
  const double factor = r.Ier == 0 ? 1.0 : 10.0;
  return factor * d.Acc * mag + 1e-300;
}

class ModelProperties : public ::testing::TestWithParam<CaseInfo> {};

TEST_P(ModelProperties, InvariantsHoldOnRandomInputs) {
  const CaseInfo& c = GetParam();
  Rng rng(c.seed);
  const int draws = DrawCount(c);
  Findings bad(c.open);
  int shortPoints = 0, calls = 0;

  for (int i = 0; i < draws; ++i) {
    // Rotate the material kinds; two-layer cases also get pieces of one material.
    const int kinds = TwoLayers(c.geometry) ? 4 : 3;
    const auto m = static_cast<Material>(i % kinds);
    const Draw d = DrawInputs(rng, c.geometry, m);
    const Result r = Evaluate(c, d);
    ++calls;
    if (r.Ier != 0) ++shortPoints;
    // Every drawn piece conducts or is magnetic, and lies within 20 mm of the winding: its
    // effect is small at worst, never exactly nothing.
    if (r.dR == 0 && r.dX == 0) bad.Add(Check::Zero, "a conducting or magnetic piece changed nothing (dZ = 0)", d, r);

    // A fault ends the Compute command with its message: the point never reaches the chart,
    // so the fault is the finding and the draw's other checks would only repeat it.
    if (r.flags != 0) {
      bad.Add(Check::Fault, "floating-point fault raised", d, r);
      continue;
    }
    if (!std::isfinite(r.dR) || !std::isfinite(r.dX)) {
      bad.Add(Check::Finite, "result not finite without a fault flag", d, r);
      continue;
    }
    const double slack = Slack(d, r, r.Mag());
    if (r.dR < -slack) bad.Add(Check::Passivity, "passivity: dR < 0", d, r);
    if (m == Material::NonMagneticConductor && r.dX > slack)
      bad.Add(Check::Reactance, "non-magnetic conductor raised the reactance (dX > 0)", d, r);
    if (m == Material::NonConductingMagnetic) {
      if (r.dX < -slack) bad.Add(Check::Reactance, "non-conducting magnetic piece lowered the reactance", d, r);
      if (r.dR != 0) bad.Add(Check::Lossless, "non-conducting magnetic piece has dR != 0", d, r);
    }

    // Continuity in the accuracy, on every fourth draw (it costs a finer computation).
    if (i % 4 == 1) {
      Draw fine = d;
      fine.Acc = d.Acc / 2;
      const Result rf = Evaluate(c, fine);
      ++calls;
      const double moved = std::hypot(rf.dR - r.dR, rf.dX - r.dX);
      const bool bothExact = r.Ier == 0 && rf.Ier == 0;
      if (rf.flags != 0)
        bad.Add(Check::Fault, "floating-point fault raised at Acc/2", fine, rf);
      else if (bothExact && moved > d.Acc * rf.Mag() + 1e-300)
        bad.Add(Check::Accuracy, "halving Acc moved the result by " + std::to_string(moved / rf.Mag()) +
                    " relative (to dR=" + std::to_string(rf.dR) + " dX=" + std::to_string(rf.dX) +
                    ")",
                d, r);
    }

    // dR against lift-off, over a half-space, on every fourth draw.
    if (LiftOff(c.geometry) && i % 4 == 2) {
      Draw far = d;
      far.P1 = d.P1 + rng.LogUniform(0.001e-3, 5e-3);
      const Result rfar = Evaluate(c, far);
      ++calls;
      if (rfar.flags != 0)
        bad.Add(Check::Fault, "floating-point fault raised at the larger lift-off", far, rfar);
      else if (rfar.dR > r.dR + Slack(d, r, r.Mag()) + Slack(far, rfar, rfar.Mag()))
        bad.Add(Check::LiftOff, "dR grew with the lift-off: LO " + std::to_string(far.P1) + " gives dR=" +
                    std::to_string(rfar.dR),
                d, r);
    }

    // One material in two layers is the one-layer piece, wherever the interface lies.
    if (m == Material::OneMaterial && c.single) {
      const Result r1 = RunOnce(c.single, d);
      ++calls;
      const double diff = std::hypot(r1.dR - r.dR, r1.dX - r.dX);
      if (r1.flags != 0)
        bad.Add(Check::Fault, "floating-point fault raised by the one-layer model", d, r1);
      else if (diff > Slack(d, r, r1.Mag()))
        bad.Add(Check::Layers, "one material in two layers differs from one layer: dR=" + std::to_string(r1.dR) +
                    " dX=" + std::to_string(r1.dX),
                d, r);
    }
  }

  std::printf("[ %s ] %d draws, %d model calls, %d with Ier != 0, %d open-defect findings\n", c.name, draws,
              calls, shortPoints, bad.known());
  EXPECT_EQ(bad.count(), 0) << "violations in " << draws << " draws";
}

// A model of tests/models/model_calls.hpp on a draw: P1 is LO or B1, P2 is D1 or B2.
template <test::Model M>
void Run(const Draw& d, double& dR, double& dX, int& Ier) {
  const test::ModelOutput o = test::RunModel(
      M, test::ModelInput{d.N, d.R1, d.R2, d.L, d.f, d.P1, d.P2, d.P1, d.P2, d.CON1, d.CON2, d.MR1, d.MR2, d.Acc});
  dR = o.dR, dX = o.dX, Ier = o.Ier;
}
constexpr auto Planar1Model = &Run<test::Model::Planar1>;
constexpr auto Planar2Model = &Run<test::Model::Planar2>;
constexpr auto Bore1Model = &Run<test::Model::Inside1>;
constexpr auto Bore2Model = &Run<test::Model::Inside2>;
constexpr auto Rod1Model = &Run<test::Model::Outside1>;
constexpr auto Rod2Model = &Run<test::Model::Outside2>;
constexpr auto VerticalModel = &Run<test::Model::Vertical>;

INSTANTIATE_TEST_SUITE_P(Cases, ModelProperties,
                         ::testing::Values(
                             CaseInfo{"Planar1", Geometry::HalfSpace, 0x5EED0001, 500, Planar1Model,
                                      nullptr},
                             CaseInfo{"Planar2", Geometry::HalfSpaceLayer, 0x5EED0002, 500,
                                      Planar2Model, Planar1Model},
                             CaseInfo{"Bore1", Geometry::Bore, 0x5EED0003, 400, Bore1Model, nullptr},
                             CaseInfo{"Bore2", Geometry::BoreLayer, 0x5EED0004, 200, Bore2Model,
                                      Bore1Model},
                             CaseInfo{"Rod1", Geometry::Rod, 0x5EED0005, 400, Rod1Model, nullptr,
                                      {Check::Accuracy}},
                             CaseInfo{"Rod2", Geometry::RodLayer, 0x5EED0006, 300, Rod2Model,
                                      Rod1Model},
                             CaseInfo{"Vertical", Geometry::Vertical, 0x5EED0009, 60,
                                      VerticalModel, nullptr}),
                         [](const ::testing::TestParamInfo<CaseInfo>& p) {
                           return std::string(p.param.name);
                         });

// The air-coil reference over random coils: finite, positive and fault-free; proportional to N^2
// and to f bit for bit (both enter as exact powers of two here: 2N and 2f scale the extended
// product by 4 and 2 before its one rounding). Continuity in Acc is an open defect here too
// (see the disabled reproducer): misses are printed, not failed.
TEST(AirCoilProperties, ReactanceScalesAndConverges) {
  Rng rng(0x5EED00A1);
  const int draws = std::max(1, DrawCount(CaseInfo{"AirCoil", Geometry::HalfSpace, 0, 300, {}}));
  for (int i = 0; i < draws; ++i) {
    const Draw d = DrawInputs(rng, Geometry::HalfSpace, Material::General);
    double X0 = 0, X0n = 0, X0f = 0, X0a = 0;
    int ier = 0, iern = 0, ierf = 0, iera = 0;
    FpFlagWatch watch;
    AirCoilReactance(d.N, d.R1, d.R2, d.L, d.f, d.Acc, X0, ier);
    AirCoilReactance(2 * d.N, d.R1, d.R2, d.L, d.f, d.Acc, X0n, iern);
    AirCoilReactance(d.N, d.R1, d.R2, d.L, 2 * d.f, d.Acc, X0f, ierf);
    AirCoilReactance(d.N, d.R1, d.R2, d.L, d.f, d.Acc / 2, X0a, iera);
    const std::string where = Describe(d);
    EXPECT_EQ(watch.raised(), 0) << watch.describe() << "\n  " << where;
    EXPECT_TRUE(std::isfinite(X0) && X0 > 0) << X0 << "\n  " << where;
    EXPECT_EQ(X0n, 4 * X0) << where;
    EXPECT_EQ(X0f, 2 * X0) << where;
    if (ier == 0 && iera == 0 && std::fabs(X0a - X0) > d.Acc * X0a)
      std::printf("open defect, not failed: halving Acc moved X0 by %g relative\n  inputs: %s\n",
                  std::fabs(X0a - X0) / X0a, where.c_str());
    if (HasFailure()) break;  // one draw's report is enough
  }
}

// Reproducers of single draws: faults the draws found and that are fixed. Each gives the draw,
// what must hold (no fault flag always; a sign, Ier 0, an independent reference where one was
// made) and what went wrong before.
struct Reproducer {
  const char* name;
  void (*model)(const Draw&, double&, double&, int&);
  Draw d;
  enum { None, PositiveR, PositiveX, ZeroRPositiveX } sign;
  bool ierZero;                 // Ier 0 required
  double refR = NAN, refX = NAN;  // an independent reference, within Acc
};

void PrintTo(const Reproducer& r, std::ostream* os) { *os << r.name; }

Draw MakeDraw(int N, double R1, double R2, double L, double f, double Acc, double P1, double P2, double CON1,
              double CON2, double MR1, double MR2) {
  return Draw{N, R1, R2, L, f, Acc, P1, P2, CON1, CON2, MR1, MR2};
}

class ModelReproducers : public ::testing::TestWithParam<Reproducer> {};

TEST_P(ModelReproducers, Holds) {
  const Reproducer& c = GetParam();
  const Result r = RunOnce(c.model, c.d);
  EXPECT_EQ(r.flags, 0) << r.flagText;
  if (c.sign == Reproducer::PositiveR) {
    EXPECT_GT(r.dR, 0);
  } else if (c.sign != Reproducer::None) {
    EXPECT_GT(r.dX, 0);
    EXPECT_TRUE(c.sign != Reproducer::ZeroRPositiveX || r.dR == 0) << "dR " << r.dR;
  }
  EXPECT_TRUE(!c.ierZero || r.Ier == 0) << "Ier " << r.Ier;
  EXPECT_TRUE(std::isnan(c.refR) || test::RelErr(r.dR, r.dX, c.refR, c.refX) <= c.d.Acc)
      << "dR=" << r.dR << " dX=" << r.dX;
}

INSTANTIATE_TEST_SUITE_P(
    Draws, ModelReproducers,
    ::testing::Values(
        // The inner integral of a coil far above a half-space decays into the subnormal range for
        // large outer frequencies; the quadrature's extrapolation overflowed on it, and the Compute
        // command ended with "Floating point overflow" on an ordinary input.
        Reproducer{"VerticalCoilWithSubnormalInnerIntegral", VerticalModel,
                   MakeDraw(196, 0.031016791544491044, 0.042852754686895894, 0.00073421090266592389,
                            12198.291121626538, 0.0019368002827710598, 0.0061930031043817401, 0, 0, 0,
                            7.2681397552294111, 1),
                   Reproducer::ZeroRPositiveX, false},
        // Coil inside a bore of a good magnetic conductor (|alpha1 B1| ~ 570): with the unscaled
        // pair the numerator and denominator of rho came out near 1e-243 and 1e-249, the division
        // overflowed (|den|^-2 ~ 1e497) and every node was dropped: dZ = 0 with FE_OVERFLOW.
        Reproducer{"BoreOfGoodConductor", Bore1Model,
                   MakeDraw(523, 0.0011618769332093525, 0.0012083605717458804, 0.00053456640147640344,
                            4041007.2576721888, 0.00042047513195603693, 0.0012201885323427624, 0,
                            55711598.753277093, 0, 249.97496804755571, 1),
                   Reproducer::PositiveR, false},
        // Two-layer bore of non-conducting magnetic material: I1(k B1) ~ 1.6e152 passes the
        // sqrt(xmax) cut-off, and its product with alpha1 and a second Bessel value overflowed.
        Reproducer{"BoreOfTwoMagneticLayers", Bore2Model,
                   MakeDraw(865, 0.00013091869066971418, 0.0059000753411580092, 0.001633369145972888,
                            344917.55357065093, 3.7111606557036786e-05, 0.023653809497492649,
                            0.026419504755714054, 0, 0, 69.718528094832195, 12.27339469504366),
                   Reproducer::PositiveX, false},
        // Rod at strong skin effect (|alpha1 B1| ~ 900, Re ~ 638): the unscaled I(alpha1 B1) ~
        // 1e277 does not overflow, and the sqrt(xmax) cut-off on it dropped every node: dZ = 0
        // exactly with Ier = 0, a silent wrong point at (0, 1).
        Reproducer{"RodAtStrongSkinEffect", Rod1Model,
                   MakeDraw(467, 0.020166126409897778, 0.039851489728814395, 0.00059577187792849231,
                            8817434.1824853495, 0.004068900169406843, 0.0048375208698255359, 0,
                            1231965.0930698756, 0, 406.04439474822607, 1),
                   Reproducer::PositiveR, false},
        // Bore 12 um outside a wide, flat winding at 8.2 MHz in a magnetic steel (|alpha1 B1| ~
        // 5e4): every complex Bessel value comes with Amos' IERR 3 (computed, the phase of e^-z
        // good to |z| eps), which the kernels took for a failure: dZ = 0 with Ier = 0. The kernel
        // matters out to k R2 of several thousand, beyond the coil factor's overflow at 700.9, so
        // this also guards the scaled coil factor. Reference: the case-3 integral in mpmath
        // (tests/data/models/make_extreme_bore_reference.py).
        Reproducer{"BoreAtExtremeSkinEffect", Bore1Model,
                   MakeDraw(1788, 0.00014226077377921007, 0.041501569116719622, 8.6188955880815103e-05,
                            8158193.5236026533, 1.2591623318755262e-05, 0.041514200231846071, 0,
                            29789198.173661135, 0, 891.22448378692911, 1),
                   Reproducer::None, true, 88471.310420132417, -1662737.8968940719},
        Reproducer{"BoreAtExtremeSkinEffectFine", Bore1Model,
                   MakeDraw(1788, 0.00014226077377921007, 0.041501569116719622, 8.6188955880815103e-05,
                            8158193.5236026533, 1e-6, 0.041514200231846071, 0, 29789198.173661135, 0,
                            891.22448378692911, 1),
                   Reproducer::None, true, 88471.310420132417, -1662737.8968940719},
        // Two-layer rod of one material at 58 Hz: a product in the kernel overflowed at k ~ 3.8e6.
        Reproducer{"RodOfTwoEqualLayers", Rod2Model,
                   MakeDraw(1755, 0.00013348871515483723, 0.00022960637021963304, 0.001717564558992062,
                            58.005785071308509, 0.00054861638727903234, 9.0303880254666635e-05,
                            8.7718372670240983e-05, 13466.781675594966, 13466.781675594966,
                            4.2789306627587154, 4.2789306627587154),
                   Reproducer::None, false},
        // Coil 18.6 mm above a magnetic half-space: the kernel lives at k ~ 50 /m, which the map
        // of (0, inf) onto (0, 1] put in a sliver near t = 0.02 when integrating over k; QAGI
        // reported success with dX 1.4e-3 off. Reference: scipy quad on the same kernel with the
        // coil integral in closed form (Struve functions), split at a log grid, epsrel 1e-12.
        Reproducer{"PlanarFarLiftOff", Planar1Model,
                   MakeDraw(359, 0.00015933498983051569, 0.0050959672857479954, 0.0052647842983340014,
                            823974.40137342957, 0.0001919838779552257, 0.018608056115798292, 0,
                            93062208.460351795, 0, 45.991582906407473, 1),
                   Reproducer::None, true, 0.03577528721299715, -1.320173182734288}),
    [](const auto& p) { return std::string(p.param.name); });

// A long, thin coil (R1 0.21 mm, R2 0.33 mm, L 3.1 mm): its kernel lives at k ~ 3e3 /m, which
// the map of (0, inf) onto (0, 1] squeezed near t = 3e-4 when integrating over k, where QAGI
// reported success at Acc = 0.41 % with X0 3.5 % off. Reference: scipy quad on the same kernel,
// coil integral in closed form (Struve functions), split on a log grid, epsrel 1e-12.
TEST(ModelReproducerAirCoil, LongThinWindingMeetsTheRequestedAccuracy) {
  const double Acc = 0.0041202013056848607;
  double X0 = 0;
  int ier = 0;
  AirCoilReactance(1106, 0.00020832703356652731, 0.00032858009287393025, 0.0030910644294999999,
                   239582.44785268788, Acc, X0, ier);
  EXPECT_EQ(ier, 0);
  EXPECT_LE(test::RelErr(X0, 135.3274580827021), Acc);
}

// Open defects, each with what goes wrong, to be enabled with the fix.

// A short, wide coil (12-14 mm, 1 mm high) at Acc = 3e-6: J(k)^2 oscillates with the periods of
// both radii and decays only like k^-3 up to k ~ 1/L, and QAGI's extrapolation settles on X0
// 1.03e-5 off while reporting success (Ier 0); finer requests give the same value with Ier 1.
// Independent references: Maxwell's formula for coaxial filaments integrated over the winding
// (tests/data/models/maxwell_limits.csv: L0 = 4.976570145491469e-08 H per turn squared, so X0 =
// 2 pi 1e5 * 200^2 * L0 = 1250.7484967320229 ohm), and a composite Gauss rule over k R2 in
// [0, 2e4] on the same kernel, 1250.74849668563 ohm.
TEST(ModelOpenDefects, DISABLED_AirCoilOfShortWideWindingAtTightAccuracy) {
  const double Acc = 3e-6;
  double X0 = 0;
  int ier = -1;
  AirCoilReactance(200, 12e-3, 14e-3, 1e-3, 1e5, Acc, X0, ier);
  if (ier == 0) {
    EXPECT_LE(test::RelErr(X0, 1250.7484967320229), Acc);
  }
}

// Halving Acc: each draw's two results must differ by less than Acc relative.
Result HalveAcc(void (*model)(const Draw&, double&, double&, int&), const Draw& d, Result& fine) {
  Draw f = d;
  f.Acc = d.Acc / 2;
  fine = RunOnce(model, f);
  return RunOnce(model, d);
}

// A weakly conducting rod (88 kS/m, 2.1 kHz) 35 um inside a winding of 1.3..12.7 mm: the
// imaginary-part run (dR) stops after three subintervals (75 evaluations) with an error
// estimate below Acc while dR is 1.0e-4 relative low; Acc/2 bisects further and finds the
// converged value (1.0995363e-4 ohm, the same to 8 digits at Acc 1e-8).
TEST(ModelOpenDefects, DISABLED_RodOfWeakConductorIsContinuousInAcc) {
  const Draw d = MakeDraw(378, 0.0013037609948595077, 0.012724851126503994, 0.018257251705463863,
                          2124.7337736045024, 2.9780147748969363e-05, 0.0012690738032459783, 0,
                          87737.223786401053, 0, 1, 1);
  Result fine;
  const Result r = HalveAcc(Rod1Model, d, fine);
  ASSERT_EQ(r.Ier + fine.Ier, 0);
  EXPECT_LE(test::RelErr(r.dR, r.dX, fine.dR, fine.dX), d.Acc);
}

// A non-conducting magnetic bore 13 um outside a winding of 0.14..49 mm, 0.1 mm high: the
// kernel reaches out to k R2 of about 1900, and the coil factor's cut-off at k R2 = 713.7 (where
// CoilIntI overflows) dropped 3.2e-5 of the change; the step it left made Acc 1.62e-5 and its
// half disagree by 3.0e-5 with Ier 0. The coil factor is kept scaled there. Reference: the
// case-3 integral in mpmath (make_dodd_deeds_references.py, case3 on these inputs).
TEST(ModelReproducerAcc, MagneticBoreNearAWideWindingIsContinuousInAcc) {
  const Draw d = MakeDraw(449, 0.00013529219476871192, 0.049073879254397705, 9.6047629764461497e-05,
                          190825.2878031673, 1.6227913465487498e-05, 0.049086857007417772, 0, 0, 0,
                          388.51758438088075, 1);
  Result fine;
  const Result r = HalveAcc(Bore1Model, d, fine);
  ASSERT_EQ(r.Ier + fine.Ier, 0);
  EXPECT_LE(test::RelErr(r.dR, r.dX, fine.dR, fine.dX), d.Acc);
  EXPECT_LE(test::RelErr(r.dR, r.dX, 0.0, 1197.018833349635), d.Acc);
}

}  // namespace
}  // namespace veldo
