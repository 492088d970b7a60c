// Reuse of values changes no bit. Within a call the real-part run takes the kernel values of the
// imaginary-part run; across calls a CoilFactorCache keeps the coil factors of the nodes. Every
// model, with either, gives the dR, dX, Ier and floating-point flags of the plain evaluation,
// with fewer evaluations.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cfenv>
#include <cstdint>
#include <vector>

#include "models/model_driver.hpp"
#include "tests/models/model_calls.hpp"

namespace veldo {
namespace {

using test::CaseDefaults;
using test::Model;
using test::ModelInput;
using test::RunModel;

constexpr int kFlags = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;

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
