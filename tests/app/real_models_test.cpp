// The command over the models library: each case reaches its own model function. One point per
// case, compared with a direct call of the function the case names.
#include <gtest/gtest.h>

#include "app/compute.hpp"
#include "models/models.hpp"
#include "tests/app/fakes.hpp"

namespace veldo {
namespace {

TEST(RealModels, EachCaseCallsItsOwnModel) {
  // The fields' texts converted as the command converts them (value times the unit factor).
  constexpr int N = 200;
  const double R1 = 12 * 0.001, R2 = 14 * 0.001, L = 1.0 * 0.001, Acc = 0.01 / 100;
  struct Expect {
    int testCase;
    double f;
    std::function<void(double&, double&, int&)> direct;
  };
  const Expect cases[] = {
      {1, 100.0 * 1000.0,
       [=](double& dR, double& dX, int& Ier) {
         PlanarOneLayer(N, R1, R2, L, 100.0 * 1000.0, 0.1 * 0.001, 1.0 * 1000000.0, 1, Acc, dR, dX,
                        Ier);
       }},
      {2, 10.0 * 1000.0,
       [=](double& dR, double& dX, int& Ier) {
         PlanarTwoLayers(N, R1, R2, L, 10.0 * 1000.0, 0.1 * 0.001, 0.1 * 0.001, 10.0 * 1000000.0,
                         35.4 * 1000000.0, 1, 1, Acc, dR, dX, Ier);
       }},
      {3, 10.0 * 1000.0,
       [=](double& dR, double& dX, int& Ier) {
         CylinderInsideOneLayer(N, R1, R2, L, 10.0 * 1000.0, 15 * 0.001, 10.0 * 1000000.0, 1, Acc,
                                dR, dX, Ier);
       }},
      {4, 10.0 * 1000.0,
       [=](double& dR, double& dX, int& Ier) {
         CylinderInsideTwoLayers(N, R1, R2, L, 10.0 * 1000.0, 15 * 0.001, 16 * 0.001,
                                 10.0 * 1000000.0, 35.4 * 1000000.0, 1, 1, Acc, dR, dX, Ier);
       }},
      {5, 100.0 * 1000.0,
       [=](double& dR, double& dX, int& Ier) {
         CylinderOutsideOneLayer(N, R1, R2, L, 100.0 * 1000.0, 9 * 0.001, 1.0 * 1000000.0, 1, Acc,
                                 dR, dX, Ier);
       }},
      {6, 100.0 * 1000.0,
       [=](double& dR, double& dX, int& Ier) {
         CylinderOutsideTwoLayers(N, R1, R2, L, 100.0 * 1000.0, 10 * 0.001, 9 * 0.001,
                                  1.0 * 1000000.0, 35.4 * 1000000.0, 1, 1, Acc, dR, dX, Ier);
       }},
      {9, 100.0 * 1000.0,
       [=](double& dR, double& dX, int& Ier) {
         VerticalCoilHalfSpace(N, R1, R2, L, 100.0 * 1000.0, 0.1 * 0.001, 1.0 * 1000000.0, 1, Acc,
                               dR, dX, Ier);
       }},
  };
  for (const Expect& e : cases) {
    const CaseDef& caseDef = *FindCase(e.testCase);
    test::FakeInput in;
    in.Set("Editr1", "12");
    in.Set("Editr2", "14");
    in.Set("Editacc", "0.01");
    in.Set("Eid1b1a", "15");
    in.Set("Eid2b1a", "15");
    in.Set("Eid2b2a", "16");
    const ParamDef& first = caseDef.params[0];
    in.Set(first.toField, in.texts[std::string(first.fromField)]);  // one point, at From
    in.Set(first.stepField, "0");
    test::RecordingOutput out;
    ButtonComputeClick(e.testCase, in, out);
    ASSERT_EQ(out.details.size(), 1u)
        << "case " << e.testCase << (out.messages.empty() ? "" : ": " + out.messages[0].text);
    double dR = 0, dX = 0;
    int Ier = 0;
    e.direct(dR, dX, Ier);
    EXPECT_EQ(out.details[0].dR, dR) << "case " << e.testCase;
    EXPECT_EQ(out.details[0].dX, dX) << "case " << e.testCase;
    EXPECT_EQ(out.details[0].Ier, Ier) << "case " << e.testCase;
    double X0 = 0;
    AirCoilReactance(N, R1, R2, L, e.f, Acc, X0, Ier);
    EXPECT_EQ(out.airCoil.first, X0) << "case " << e.testCase;
  }
}

}  // namespace
}  // namespace veldo
