// The command over the models library: each case reaches its own model function, and short
// sweeps of every case on 1, 2 and 7 threads give the same rows bit for bit, in the same order.
#include <gtest/gtest.h>

#include "app/compute.hpp"
#include "models/models.hpp"
#include "tests/app/fakes.hpp"
#include "tests/models/model_calls.hpp"

namespace veldo {
namespace {

TEST(RealModels, EachCaseCallsItsOwnModelAndThreadsGiveTheSerialBits) {
  struct ShortSweep {
    int testCase;
    const char* toField;
    const char* to;  // about four points from From with the default Step
  };
  const ShortSweep sweeps[] = {
      {1, "Epr1lob", "0.4"}, {2, "Epr2lob", "0.4"},  {3, "Eid1b1b", "15.3"},  {4, "Eid2b1b", "15.6"},
      {5, "Eod1b1b", "9.3"}, {6, "Eod2b1b", "10.3"}, {9, "Evpr1lob", "0.4"},
  };
  for (const ShortSweep& s : sweeps) {
    SCOPED_TRACE(s.testCase);
    test::FakeInput in;
    in.Set("Editr1", "12");  // a coil round the rods, which also fits the bores of 15 mm and more
    in.Set("Editr2", "14");
    in.Set("Eid1b1a", "15");
    in.Set("Eid2b1a", "15");
    in.Set("Eid2b2a", "17");
    in.Set(s.toField, s.to);
    // The arguments of every point, as the stand-ins record them.
    test::FakeModels recorder;
    test::RecordingOutput recorded;
    ASSERT_EQ(ButtonComputeClick(s.testCase, in, recorded, recorder.Table()), ComputeStatus::Completed);

    test::RecordingOutput serial;
    ASSERT_EQ(ButtonComputeClick(s.testCase, in, serial, RealModels(), 1), ComputeStatus::Completed)
        << (serial.messages.empty() ? "" : serial.messages[0].text);
    ASSERT_EQ(serial.details.size(), recorder.calls.size());
    ASSERT_GE(serial.details.size(), 3u);
    const test::ModelArgs& a = recorder.calls.back();
    EXPECT_EQ(a.model, FindCase(s.testCase)->model);
    const test::ModelOutput o = test::CallModel(a);
    EXPECT_EQ(serial.details.back().dR, o.dR);
    EXPECT_EQ(serial.details.back().dX, o.dX);
    EXPECT_EQ(serial.details.back().Ier, o.Ier);
    double X0 = 0;
    int airIer = 0;
    AirCoilReactance(a.N, a.R1, a.R2, a.L, a.f, a.Acc, X0, airIer);
    EXPECT_EQ(serial.airCoil.first, X0);

    for (int threads : {2, 7}) {
      SCOPED_TRACE(threads);
      test::RecordingOutput parallel;
      EXPECT_EQ(ButtonComputeClick(s.testCase, in, parallel, RealModels(), threads), ComputeStatus::Completed);
      EXPECT_EQ(serial.trace, parallel.trace);  // every output, the doubles bit for bit
    }
  }
}

}  // namespace
}  // namespace veldo
