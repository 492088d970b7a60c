// Sharing kernel values between the imaginary-part and the real-part runs changes no bit: every
// model at several inputs (defaults, a fine accuracy that fills the value table, strong and weak
// skin effect, magnetic materials) gives the same dR, dX, Ier and floating-point flags with the
// sharing as without, and evaluates fewer kernels.
#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cstdint>
#include <vector>

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

Counted RunWith(Model m, const ModelInput& in, bool reuse) {
  Counted r{};
  r.count.Reuse = reuse;
  std::feclearexcept(kFlags);
  r.out = RunModel(m, in, &r.count);
  r.flags = std::fetestexcept(kFlags);
  return r;
}

std::vector<ModelInput> Inputs(Model m) {
  std::vector<ModelInput> inputs;
  const ModelInput base = CaseDefaults(m);
  inputs.push_back(base);
  ModelInput fine = base;  // many subintervals: the table fills and later values are recomputed
  fine.Acc = m == Model::Vertical ? 1e-7 : 1e-12;
  inputs.push_back(fine);
  ModelInput skin = base;  // strong skin effect, magnetic
  skin.f = 1e6;
  skin.MR1 = 50;
  inputs.push_back(skin);
  if (m != Model::Vertical) {
    ModelInput low = base;  // weak skin effect, a second magnetic material
    low.f = 50;
    low.MR2 = 20;
    low.Acc = 1e-8;
    inputs.push_back(low);
  }
  return inputs;
}

TEST(KernelReuse, SameBitsAndFlagsWithFewerEvaluations) {
  for (const Model m : test::kAllModels) {
    for (const ModelInput& in : Inputs(m)) {
      SCOPED_TRACE(::testing::Message() << test::ModelName(m) << " f=" << in.f << " Acc=" << in.Acc
                                        << " MR1=" << in.MR1);
      const Counted plain = RunWith(m, in, false);
      const Counted shared = RunWith(m, in, true);
      EXPECT_EQ(std::bit_cast<std::uint64_t>(shared.out.dR), std::bit_cast<std::uint64_t>(plain.out.dR));
      EXPECT_EQ(std::bit_cast<std::uint64_t>(shared.out.dX), std::bit_cast<std::uint64_t>(plain.out.dX));
      EXPECT_EQ(shared.out.Ier, plain.out.Ier);
      EXPECT_EQ(shared.flags, plain.flags);
      EXPECT_LT(shared.count.Outer, plain.count.Outer);
      EXPECT_LE(shared.count.Inner, plain.count.Inner);
      // The uncounted call is the shared one.
      const test::ModelOutput uncounted = RunModel(m, in);
      EXPECT_EQ(std::bit_cast<std::uint64_t>(uncounted.dR), std::bit_cast<std::uint64_t>(shared.out.dR));
      EXPECT_EQ(std::bit_cast<std::uint64_t>(uncounted.dX), std::bit_cast<std::uint64_t>(shared.out.dX));
    }
  }
}

}  // namespace
}  // namespace veldo
