// Layered conductors through the one entry point: the window's cases against what their one- and
// two-layer formulas gave (regression data), and the stacks against their own physics.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string>

#include "models/problem.hpp"
#include "tests/models/model_calls.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

using test::RelErr;

// A rod of weak induction, omega mu0 sigma b^2 << 1, reflects almost nothing: rho is a
// difference of two nearly equal products, and the closed formulas' own rounding noise in dZ grew
// as eps / (omega mu0 sigma b^2) (about 1e-15 over it here). There the regression holds to that
// noise, and a quadrature status at the edge of its accuracy may turn either way.
double Tolerance(const std::string& name, const test::ModelInput& in) {
  if (name.rfind("rod", 0) != 0) return 1e-12;
  const double induction = 2 * M_PI * in.f * 4e-7 * M_PI * std::max(in.CON1, in.CON2) * in.B1 * in.B1;
  return std::max(1e-12, 4e-15 / induction);
}

// The seven cases' models reproduce the closed formulas they replaced to 1e-12 of |dZ|, with the
// same status, at random inputs over the whole range of their parameters.
TEST(Stacks, WindowCasesKeepTheirResults) {
  const auto t = test::ReadCsv("models/preset_regression.csv");
  const std::map<std::string, test::Model> models{
      {"planar1", test::Model::Planar1}, {"planar2", test::Model::Planar2}, {"bore1", test::Model::Inside1},
      {"bore2", test::Model::Inside2},   {"rod1", test::Model::Outside1},   {"rod2", test::Model::Outside2},
      {"vertical", test::Model::Vertical}};
  std::map<std::string, double> worst;
  for (std::size_t i = 0; i < t.rows.size(); ++i) {
    auto v = [&](const char* name) { return t.num(i, t.col(name)); };
    const std::string name = t.rows[i][t.col("case")];
    test::ModelInput in;
    in.N = static_cast<int>(v("N"));
    in.R1 = v("R1"), in.R2 = v("R2"), in.L = v("L"), in.f = v("f"), in.Acc = v("Acc");
    in.LO = in.B1 = v("P1");
    in.D1 = in.B2 = v("P2");
    in.CON1 = v("CON1"), in.CON2 = v("CON2"), in.MR1 = v("MR1"), in.MR2 = v("MR2");
    test::FpFlagWatch flags;
    const auto z = test::RunModel(models.at(name), in);
    EXPECT_EQ(flags.raised(), 0) << name << " row " << i;
    const double e = RelErr(z.dR, z.dX, v("dR"), v("dX"));
    worst[name] = std::max(worst[name], e);
    EXPECT_LE(e, Tolerance(name, in)) << name << " row " << i;
    if (Tolerance(name, in) == 1e-12) EXPECT_EQ(z.Ier, static_cast<int>(v("ier"))) << name << " row " << i;
  }
  for (const auto& [name, e] : worst) std::printf("%-9s worst %.2e\n", name.c_str(), e);
}

}  // namespace
}  // namespace veldo
