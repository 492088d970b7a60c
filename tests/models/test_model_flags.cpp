// Floating-point hygiene of the models. The Compute command reports a division-by-zero, overflow
// or invalid flag raised anywhere in a sweep as a fault and stops, so a valid input must raise
// none; reusing kernel values and coil factors must change no bit and no flag. (That the models
// keep no state: every case on 2 and 7 threads in tests/app.)
#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

#include "models/model_driver.hpp"
#include "numerics/quadpack.hpp"
#include "tests/models/model_calls.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

using test::CaseDefaults;
using test::FpFlagWatch;
using test::Model;
using test::ModelInput;
using test::RunModel;

// The geometry variants of model m in tests/data/models/fault_geometries.tsv (mm; "-": the
// case's default).
std::vector<ModelInput> Geometries(Model m) {
  const test::CsvTable t = test::ReadCsv("models/fault_geometries.tsv", '\t');
  std::vector<ModelInput> out;
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    if (t.rows[i][0] != test::ModelName(m)) continue;
    ModelInput& in = out.emplace_back(CaseDefaults(m));
    double* lengths[] = {&in.LO, &in.D1, &in.B1, &in.B2};
    for (std::size_t k = 0; k < 4; ++k)
      if (t.rows[i][k + 1] != "-") *lengths[k] = t.num(i, k + 1) * 1e-3;
  }
  return out;
}

class ModelFaults : public ::testing::TestWithParam<Model> {};

// f from 1 Hz to 100 MHz, CON from 0 to 100 MS/m, MR from 1 to 1000, both layers varied
// together or crossed: no fault flag, finite results.
TEST_P(ModelFaults, NoFaultFlagOverValidInputs) {
  const Model m = GetParam();
  const bool twoLayers = m == Model::Planar2 || m == Model::Inside2 || m == Model::Outside2;
  const bool slow = m == Model::Vertical;
  int calls = 0;
  for (const ModelInput& geometry : Geometries(m)) {
    for (const double f : slow ? std::vector<double>{1.0, 1e8} : std::vector<double>{1.0, 1e4, 1e8}) {
      for (const double con : {0.0, 1e6, 1e8}) {
        for (const double mr : {1.0, 1000.0}) {
          ModelInput in = geometry;
          in.f = f, in.CON1 = con, in.MR1 = mr;
          // Layer 2 the opposite extreme of layer 1, so every interface sees a contrast.
          in.CON2 = twoLayers ? 1e8 - con : 0.0, in.MR2 = twoLayers ? 1001.0 - mr : 1.0;
          FpFlagWatch watch;
          const auto o = test::RunModel(m, in);
          ++calls;
          EXPECT_EQ(watch.raised(), 0) << watch.describe() << " f=" << f << " CON1=" << con << " MR1=" << mr
                                       << " LO=" << in.LO << " D1=" << in.D1 << " B1=" << in.B1
                                       << " B2=" << in.B2;
          EXPECT_TRUE(std::isfinite(o.dR) && std::isfinite(o.dX)) << "f=" << f << " CON1=" << con;
        }
      }
    }
  }
  EXPECT_GE(calls, 2 * 12);  // at least two geometries
}

INSTANTIATE_TEST_SUITE_P(Models, ModelFaults, ::testing::ValuesIn(test::kAllModels),
                         [](const auto& p) { return std::string(test::ModelName(p.param)); });

// Strong skin effect (Re(alpha B) of several hundred, where the unscaled Bessel pairs leave the
// double range): the change keeps following the frequency smoothly instead of dropping to zero.
TEST(CylinderModels, StrongSkinEffectContinuesTheCurve) {
  for (const Model m : {Model::Inside1, Model::Inside2, Model::Outside1, Model::Outside2}) {
    ModelInput in = CaseDefaults(m);
    in.CON1 = in.CON2 = 1e8;
    double previousX = 0.0;
    for (const double f : {1e6, 1e7, 1e8}) {
      double X0;
      int Ier;
      AirCoilReactance(in.N, in.R1, in.R2, in.L, f, in.Acc, X0, Ier);
      in.f = f;
      FpFlagWatch watch;
      const auto o = test::RunModel(m, in);
      EXPECT_EQ(watch.raised(), 0) << test::ModelName(m) << " f=" << f;
      const double x = o.dX / X0;
      EXPECT_GT(o.dR, 0.0) << test::ModelName(m) << " f=" << f;
      EXPECT_LT(x, 0.0) << test::ModelName(m) << " f=" << f;
      // Toward the perfect conductor the normalised reactance change settles: within 10 % of the
      // previous decade's.
      if (previousX != 0.0) {
        EXPECT_NEAR(x / previousX, 1.0, 0.1) << test::ModelName(m) << " f=" << f;
      }
      previousX = x;
    }
  }
}

// No silent "no change": a model whose every kernel node had to be dropped for want of Bessel
// values says so through Ier. A two-layer rod with a core of radius 0 asks for K(alpha1 * 0),
// which Amos refuses (IERR 1) at every node; a rod of radius 0 is no conductor at all, and its
// zero change is the right one.
TEST(CylinderModels, NoSilentZeroWhenEveryNodeFails) {
  ModelInput core = CaseDefaults(Model::Outside2);
  core.B2 = 0.0;
  const auto o = test::RunModel(Model::Outside2, core);
  EXPECT_FALSE(o.dR == 0.0 && o.dX == 0.0 && o.Ier == 0) << "dR=" << o.dR << " dX=" << o.dX;

  for (const Model m : {Model::Outside1, Model::Outside2}) {
    ModelInput none = CaseDefaults(m);
    none.B1 = 0.0, none.B2 = 0.0;
    FpFlagWatch watch;
    const auto z = test::RunModel(m, none);
    EXPECT_EQ(watch.raised(), 0) << watch.describe();
    EXPECT_EQ(z.dR, 0.0) << test::ModelName(m);
    EXPECT_EQ(z.dX, 0.0) << test::ModelName(m);
    EXPECT_EQ(z.Ier, 0) << test::ModelName(m);
  }
}

// The vertical coil's inner integral over v is a quadrature of its own at every outer node; one
// that ends short of Acc makes that node's value uncertain and the point says so. At a weak skin
// effect (50 Hz, 1 kS/m) the real part of W(u) falls below 1e-25 of the coil's scale at mu =
// u R2 = 10, and QAGI ends that inner run with IER 1 (shown here on the closed-form integrand
// rho(kappa) e^(-2 kappa h) / kappa); the real-part bit of Ier is set. At the defaults every
// inner run converges.
TEST(VerticalCoil, InnerShortfallReachesIer) {
  ModelInput weak = CaseDefaults(Model::Vertical);
  weak.f = 50, weak.CON1 = 1e3;
  const double h = weak.R2 + weak.LO, u = 10 / weak.R2;
  const double s1 = 2 * M_PI * weak.f * 4e-7 * M_PI * weak.CON1;
  auto reW = [&](double v) {
    const double kappa = std::hypot(u, v);
    const std::complex<double> alpha = std::sqrt(std::complex<double>(kappa * kappa, s1));
    return ((kappa - alpha) / (kappa + alpha) * std::exp(-2 * kappa * h) / kappa).real();
  };
  double W, abserr;
  int neval, ier;
  QAGI(reW, 0.0, 1, 0.0, weak.Acc, W, abserr, neval, ier);
  ASSERT_NE(ier, 0);
  EXPECT_EQ(test::RunModel(Model::Vertical, weak).Ier & 1, 1);
  EXPECT_EQ(test::RunModel(Model::Vertical, CaseDefaults(Model::Vertical)).Ier, 0);
}

// ---------------------------------------------------------------------------------------------
// Reuse of values changes no bit. Within a call the real-part run takes the kernel values of the
// imaginary-part run; across calls a CoilFactorCache keeps the coil factors of the nodes. Every
// model, with either, gives the dR, dX, Ier and floating-point flags of the plain evaluation,
// with fewer evaluations.

constexpr int kFlags = test::kFaultFlags;

struct Counted {
  test::ModelOutput out;
  int flags;
  KernelCount count;
};

Counted RunWith(Model m, const ModelInput& in, bool reuse, CoilFactorCache* cache = nullptr) {
  Counted r{};
  r.count.Reuse = reuse;
  std::feclearexcept(kFlags);
  r.out = RunModel(m, in, &r.count, cache);
  r.flags = std::fetestexcept(kFlags);
  return r;
}

void ExpectSameBits(const Counted& a, const Counted& b) {
  EXPECT_EQ(std::bit_cast<std::uint64_t>(a.out.dR), std::bit_cast<std::uint64_t>(b.out.dR));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(a.out.dX), std::bit_cast<std::uint64_t>(b.out.dX));
  EXPECT_EQ(a.out.Ier, b.out.Ier);
  EXPECT_EQ(a.flags, b.flags);
}

// Defaults, a fine accuracy that fills the value tables, strong skin effect with a magnetic
// material, weak skin effect with a second magnetic material.
std::vector<ModelInput> Inputs(Model m) {
  const ModelInput base = CaseDefaults(m);
  std::vector<ModelInput> inputs{base, base, base};
  inputs[1].Acc = m == Model::Vertical ? 1e-7 : 1e-12;
  inputs[2].f = 1e6, inputs[2].MR1 = 50;
  if (m != Model::Vertical) {
    inputs.push_back(base);
    inputs.back().f = 50, inputs.back().MR2 = 20, inputs.back().Acc = 1e-8;
  }
  return inputs;
}

TEST(KernelReuse, SameBitsAndFlagsWithFewerEvaluations) {
  for (const Model m : test::kAllModels) {
    for (const ModelInput& in : Inputs(m)) {
      SCOPED_TRACE(::testing::Message() << test::ModelName(m) << " f=" << in.f << " Acc=" << in.Acc);
      const Counted plain = RunWith(m, in, false);
      const Counted shared = RunWith(m, in, true);
      ExpectSameBits(shared, plain);
      EXPECT_LT(shared.count.Outer, plain.count.Outer);
      EXPECT_LE(shared.count.Inner, plain.count.Inner);
    }
  }
}

// The sweeps of the Compute command with one cache, as a sweep worker holds it: the material,
// the frequency and the geometry change from point to point, then the coil (a new coil must not
// see the old one's values), and the next model reuses the same cache (another family).
TEST(CoilFactorCacheSweep, EveryPointHasThePlainBits) {
  CoilFactorCache cache;
  for (const Model m : test::kAllModels) {
    const bool vertical = m == Model::Vertical;
    const int points = vertical ? 4 : 12;
    long long plainCoil = 0, cachedCoil = 0;
    for (int sweep = 0; sweep < 5; ++sweep) {
      for (int i = 0; i < points; ++i) {
        ModelInput in = CaseDefaults(m);
        const double t = static_cast<double>(i) / points;
        switch (sweep) {
          case 0: in.CON1 = 0.01e6 + t * 60e6; break;
          case 1: in.f = 1e3 * std::pow(1e3, t); break;
          case 2: in.LO = 0.001e-3 + t * 10e-3, in.D1 = in.LO; break;
          case 3: in.B1 = m == Model::Outside1 || m == Model::Outside2 ? in.B1 * (0.5 + t / 2) : in.B1 * (1 + t);
                  in.B2 = m == Model::Outside2 ? in.B1 / 2 : in.B1 * 1.2; break;
          case 4: in.R1 = in.R1 * (1 - t / 2), in.L = in.L * (1 + t); break;
        }
        SCOPED_TRACE(::testing::Message() << test::ModelName(m) << " sweep " << sweep << " point " << i);
        const Counted plain = RunWith(m, in, true);
        const Counted cached = RunWith(m, in, true, &cache);
        ExpectSameBits(cached, plain);
        EXPECT_EQ(cached.count.Outer, plain.count.Outer);
        plainCoil += plain.count.CoilFactors;
        cachedCoil += cached.count.CoilFactors;
      }
    }
    // Most nodes recur: far fewer coil factors evaluated.
    EXPECT_LT(cachedCoil * 2, plainCoil) << test::ModelName(m);
  }
  EXPECT_GT(cache.Found(), cache.Evaluated());
}

// A coil factor whose evaluation raised a fault flag is not kept: a later call at the same node
// evaluates it again and raises the flag again, as without the cache. A full table keeps no more
// values and still answers.
TEST(CoilFactorCacheSweep, FaultingValuesAreNotKeptAndAFullTableStillAnswers) {
  using namespace models_detail;
  CoilFactorCache cache(16);
  int made = 0;
  auto make = [&made](double k) {
    ++made;
    CoilFactor cf;
    cf.c = k;
    if (k == 2.0) std::feraiseexcept(FE_OVERFLOW);
    return cf;
  };
  for (int pass = 0; pass < 2; ++pass) {
    CoilFactors coil(&cache, CoilFactorKind::Planar, 1.0, 1.0, 1.0, make);
    for (double kappa = 1.0; kappa <= 20.0; kappa += 1.0) {
      std::feclearexcept(kFlags);
      EXPECT_EQ(coil.At(kappa, kappa).c, kappa);
      EXPECT_EQ(std::fetestexcept(kFlags), kappa == 2.0 ? FE_OVERFLOW : 0) << kappa;
    }
  }
  // 12 of the 16 slots filled on the first pass (the faulting node not among them); the
  // second pass evaluates the other 8 again.
  EXPECT_EQ(cache.Kept(), 12u);
  EXPECT_EQ(made, 20 + 8);
}

}  // namespace
}  // namespace veldo
