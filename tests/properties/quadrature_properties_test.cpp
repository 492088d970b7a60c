// The quadrature is linear: integrating s*f gives s times the integral of f, for any scale s the
// integrand's values can take. The models need this far down: the vertical coil's inner
// integral decays to the subnormal range for large outer frequencies, and the epsilon
// extrapolation then works on table entries of that size. It must neither lose the result nor
// raise a floating-point fault (the Compute command would end with "Floating point overflow").
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "numerics/quadpack.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

using test::FpFlagWatch;

struct Integrand {
  const char* name;
  std::function<double(double)> f;
};

// Integrands over (0, inf) that make QAGI bisect and extrapolate: a singularity at 0, a slow
// algebraic tail, and an oscillating, decaying kernel like the models'.
const Integrand kIntegrands[] = {
    {"InverseSqrtSingularity", [](double x) { return std::exp(-x) / std::sqrt(x); }},
    {"AlgebraicTail", [](double x) { return 1.0 / ((1.0 + x) * std::sqrt(x)); }},
    {"DampedOscillation", [](double x) { return std::exp(-0.1 * x) * std::cos(x) * std::cos(x); }},
};

TEST(QuadratureProperties, ScaledIntegrandGivesScaledIntegralWithoutFaults) {
  constexpr double kEpsRel = 1e-6;
  std::uint64_t state = 0x0DDBA11;
  auto uniform = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state >> 11) * 0x1.0p-53;
  };
  for (const Integrand& g : kIntegrands) {
    double ref = 0, err = 0;
    int neval = 0, ier = 0;
    QAGI(g.f, 0.0, 1, 0.0, kEpsRel, ref, err, neval, ier);
    ASSERT_EQ(ier, 0) << g.name;
    // Scales from just above the subnormals' worst precision up to where the singular values
    // near 0 would themselves overflow; the first few are fixed points of the old trouble.
    for (int i = 0; i < 60; ++i) {
      const double exponent = i < 4 ? -300.0 - 3.0 * i : uniform() * 590.0 - 310.0;
      const double scale = std::pow(10.0, exponent);
      double r = 0;
      FpFlagWatch watch;
      QAGI([&](double x) { return scale * g.f(x); }, 0.0, 1, 0.0, kEpsRel, r, err, neval, ier);
      EXPECT_EQ(watch.raised(), 0) << g.name << " scale " << scale << ": " << watch.describe();
      EXPECT_LE(std::fabs(r / scale - ref), 10 * kEpsRel * std::fabs(ref))
          << g.name << " scale " << scale << " ier " << ier;
    }
  }
}

}  // namespace
}  // namespace veldo
