// Short sweeps of every case over the models library on 1, 2 and 7 threads: the same rows bit for
// bit, in the same order.
#include <gtest/gtest.h>

#include "app/compute.hpp"
#include "tests/app/fakes.hpp"

namespace veldo {
namespace {

TEST(ParallelSweep, RealModelsGiveTheSerialRowsBitForBit) {
  struct ShortSweep {
    int testCase;
    const char* toField;
    const char* to;  // about four points from From with the default Step
  };
  const ShortSweep sweeps[] = {
      {1, "Epr1lob", "0.4"},  {2, "Epr2lob", "0.4"},   {3, "Eid1b1b", "15.3"}, {4, "Eid2b1b", "15.6"},
      {5, "Eod1b1b", "9.3"},  {6, "Eod2b1b", "10.3"},  {9, "Evpr1lob", "0.4"},
  };
  for (const ShortSweep& s : sweeps) {
    SCOPED_TRACE(s.testCase);
    test::FakeInput in;
    in.Set("Editr1", "12");  // a coil round the rods, which also fits the bores of 10 mm and more
    in.Set("Editr2", "14");
    in.Set("Eid1b1a", "15");
    in.Set("Eid2b1a", "15");
    in.Set("Eid2b2a", "17");  // the bores from 15 mm
    in.Set(s.toField, s.to);
    test::RecordingOutput serial;
    ASSERT_EQ(ButtonComputeClick(s.testCase, in, serial, RealModels(), 1), ComputeStatus::Completed)
        << (serial.messages.empty() ? "" : serial.messages[0].text);
    ASSERT_GE(serial.details.size(), 3u);
    for (int threads : {2, 7}) {
      SCOPED_TRACE(threads);
      test::RecordingOutput parallel;
      EXPECT_EQ(ButtonComputeClick(s.testCase, in, parallel, RealModels(), threads),
                ComputeStatus::Completed);
      EXPECT_EQ(serial.log, parallel.log);
      ASSERT_EQ(parallel.details.size(), serial.details.size());
      for (std::size_t i = 0; i < serial.details.size(); ++i) {
        // Exact equality of doubles: the same bits (none of these is a zero or a NaN).
        EXPECT_EQ(serial.details[i].value, parallel.details[i].value) << i;
        EXPECT_EQ(serial.details[i].dR, parallel.details[i].dR) << i;
        EXPECT_EQ(serial.details[i].dX, parallel.details[i].dX) << i;
        EXPECT_EQ(serial.details[i].x, parallel.details[i].x) << i;
        EXPECT_EQ(serial.details[i].y, parallel.details[i].y) << i;
        EXPECT_EQ(serial.details[i].Ier, parallel.details[i].Ier) << i;
      }
    }
  }
}

}  // namespace
}  // namespace veldo
