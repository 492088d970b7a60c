// Sweep points on several threads over stand-in models whose points finish out of order: the
// outputs are those of a serial run, call for call, and the first fault in sweep order ends the
// sweep whatever faulted later or finished first.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <stop_token>
#include <thread>

#include "tests/app/fakes.hpp"

namespace veldo {
namespace {

// Planar one-layer stand-in for a sweep of LO = 0, 1, 2, ... mm: point i returns dR = -(i + 1)
// and dX = -2, or raises the fault that `faults[i]` names. On more than one thread, point i first
// waits until point waitFor[i] (a later one) has finished, so later points, later faults among
// them, reach the consumer side first; a few other points are delayed to shuffle the completion
// order further. Everything it shares between threads is atomic.
enum class Fault { None, DivByZero, Overflow, Invalid };

struct OutOfOrderModels {
  std::vector<Fault> faults;
  std::vector<int> waitFor;  // -1: no wait
  bool wait = false;
  std::vector<std::atomic<bool>> finished;

  explicit OutOfOrderModels(int points)
      : faults(static_cast<std::size_t>(points)),
        waitFor(static_cast<std::size_t>(points), -1),
        finished(static_cast<std::size_t>(points)) {}

  ModelTable Table() {
    return test::StandInModels(4.0, [this](double P, double& dR, double& dX, int& Ier) {
      const auto i = static_cast<std::size_t>(std::lround(P * 1000.0));
      if (wait && waitFor[i] >= 0)
        while (!finished[static_cast<std::size_t>(waitFor[i])].load()) std::this_thread::yield();
      if (i % 5 == 1) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      volatile double zero = 0.0, big = 1e308;
      dR = -static_cast<double>(i + 1);
      dX = -2.0;
      Ier = i % 3 == 0 ? 1 : 0;
      switch (faults[i]) {
        case Fault::DivByZero: dR = 1.0 / zero; break;
        case Fault::Overflow: dR = big * 10.0; break;
        case Fault::Invalid: dR = zero / zero; break;
        case Fault::None: break;
      }
      finished[i].store(true);
    });
  }
};

// Runs case 1 sweeping LO from 0 to points-1 mm in 1 mm steps.
test::RecordingOutput Sweep(OutOfOrderModels& models, int points, int threads, ComputeStatus& status) {
  for (auto& f : models.finished) f.store(false);
  models.wait = threads > 1;
  test::FakeInput in;
  in.Set("Epr1loa", "0");
  in.Set("Epr1lob", std::to_string(points - 1));
  in.Set("Epr1loc", "1");
  test::RecordingOutput out;
  status = ButtonComputeClick(1, in, out, models.Table(), threads);
  return out;
}

void ExpectSameOutputs(const test::RecordingOutput& serial, const test::RecordingOutput& parallel) {
  EXPECT_EQ(serial.log, parallel.log);
  ASSERT_EQ(serial.messages.size(), parallel.messages.size());
  for (std::size_t m = 0; m < serial.messages.size(); ++m)
    EXPECT_EQ(serial.messages[m].text, parallel.messages[m].text);
  ASSERT_EQ(serial.curves.size(), parallel.curves.size());
  for (std::size_t c = 0; c < serial.curves.size(); ++c)
    EXPECT_EQ(serial.curves[c].points, parallel.curves[c].points);
  ASSERT_EQ(serial.details.size(), parallel.details.size());
  for (std::size_t i = 0; i < serial.details.size(); ++i) {
    EXPECT_EQ(serial.details[i].value, parallel.details[i].value) << i;
    EXPECT_EQ(serial.details[i].dR, parallel.details[i].dR) << i;
    EXPECT_EQ(serial.details[i].Ier, parallel.details[i].Ier) << i;
  }
  EXPECT_EQ(serial.progressPosition, parallel.progressPosition);
  ASSERT_EQ(serial.accuracy.size(), parallel.accuracy.size());
  for (std::size_t a = 0; a < serial.accuracy.size(); ++a) {
    EXPECT_EQ(serial.accuracy[a].pointsShort, parallel.accuracy[a].pointsShort);
    EXPECT_EQ(serial.accuracy[a].pointsTotal, parallel.accuracy[a].pointsTotal);
  }
}

struct FaultPlan {
  const char* name;
  int points;
  std::vector<std::pair<int, Fault>> faults;  // point, fault
  std::vector<std::pair<int, int>> waits;       // point i waits for point j > i
  int firstFault;                               // -1: none
};

TEST(ParallelSweep, OutputsMatchASerialRunWhateverFinishesFirst) {
  const FaultPlan plans[] = {
      {"no fault", 12, {}, {{2, 5}}, -1},
      {"fault in the middle", 12, {{5, Fault::DivByZero}}, {{5, 6}}, 5},
      {"fault at the first point", 12, {{0, Fault::Invalid}}, {{0, 2}}, 0},
      {"fault at the last point", 12, {{11, Fault::Overflow}}, {{9, 11}}, 11},
      // The later fault is raised first: the earlier one still rules.
      {"two faults", 12, {{4, Fault::DivByZero}, {6, Fault::Overflow}}, {{4, 6}}, 4},
      {"adjacent faults", 12, {{7, Fault::Overflow}, {8, Fault::Invalid}}, {{7, 8}}, 7},
      // Longer than the window of points in flight, so result slots are reused.
      {"long sweep", 300, {{250, Fault::Invalid}}, {{250, 251}, {100, 103}}, 250},
  };
  for (const FaultPlan& plan : plans) {
    SCOPED_TRACE(plan.name);
    OutOfOrderModels models(plan.points);
    for (const auto& [point, fault] : plan.faults) models.faults[static_cast<std::size_t>(point)] = fault;
    for (const auto& [point, later] : plan.waits) models.waitFor[static_cast<std::size_t>(point)] = later;
    ComputeStatus serialStatus{};
    const test::RecordingOutput serial = Sweep(models, plan.points, 1, serialStatus);
    const int kept = plan.firstFault < 0 ? plan.points : plan.firstFault;
    ASSERT_EQ(serial.details.size(), static_cast<std::size_t>(kept));
    EXPECT_EQ(serialStatus, plan.firstFault < 0 ? ComputeStatus::Completed : ComputeStatus::Fault);
    for (int threads : {2, 7}) {
      SCOPED_TRACE(threads);
      ComputeStatus status{};
      const test::RecordingOutput parallel = Sweep(models, plan.points, threads, status);
      EXPECT_EQ(status, serialStatus);
      ExpectSameOutputs(serial, parallel);
    }
  }
}

TEST(ParallelSweep, ThreadCounts) {
  EXPECT_EQ(SweepThreads(1), 1);
  EXPECT_EQ(SweepThreads(7), 7);
  EXPECT_GE(SweepThreads(kAllCores), 1);
  // More threads than points, and a single point (no pool at all).
  for (int points : {1, 3}) {
    OutOfOrderModels models(points);
    ComputeStatus serialStatus{}, status{};
    const test::RecordingOutput serial = Sweep(models, points, 1, serialStatus);
    const test::RecordingOutput parallel = Sweep(models, points, 7, status);
    EXPECT_EQ(status, ComputeStatus::Completed);
    ExpectSameOutputs(serial, parallel);
  }
}

// A model that throws at a point: the command throws on the calling thread, after outputting the
// points before it, as a serial run does.
TEST(ParallelSweep, AModelThatThrowsEndsTheSweepOnTheCallingThread) {
  for (int threads : {1, 2, 7}) {
    SCOPED_TRACE(threads);
    const ModelTable t = test::StandInModels(4.0, [](double P, double& dR, double& dX, int& Ier) {
      if (std::lround(P * 1000.0) == 5) throw std::runtime_error("point 5");
      dR = 1.0;
      dX = -2.0;
      Ier = 0;
    });
    test::FakeInput in;
    in.Set("Epr1loa", "0");
    in.Set("Epr1lob", "11");
    in.Set("Epr1loc", "1");
    test::RecordingOutput out;
    EXPECT_THROW(ButtonComputeClick(1, in, out, t, threads), std::runtime_error);
    EXPECT_EQ(out.details.size(), 5u);
  }
}

// A stop request, here made by the model at point 3 as a Stop button would from the window, ends
// the sweep before the next point is output: the points already output stay as a counted curve,
// the accuracy of those points is reported, then the cancellation. One thread stops right after
// point 3; with more, the points output are a prefix of the serial ones and never go past 3.
TEST(SweepStop, KeepsThePointsOutputBeforeItAsACountedCurve) {
  constexpr int kPoints = 12;
  for (int threads : {1, 2, 7}) {
    SCOPED_TRACE(threads);
    std::stop_source source;
    const ModelTable t = test::StandInModels(4.0, [&source](double P, double& dR, double& dX, int& Ier) {
      const long i = std::lround(P * 1000.0);
      if (i == 3) source.request_stop();
      dR = -static_cast<double>(i + 1);
      dX = -2.0;
      Ier = 0;
    });
    test::FakeInput in;
    in.Set("Epr1loa", "0");
    in.Set("Epr1lob", std::to_string(kPoints - 1));
    in.Set("Epr1loc", "1");
    test::RecordingOutput out;
    EXPECT_EQ(ButtonComputeClick(1, in, out, t, threads, source.get_token()), ComputeStatus::Cancelled);
    const int k = static_cast<int>(out.details.size());
    if (threads == 1) {
      EXPECT_EQ(k, 4);
    } else {
      EXPECT_LE(k, 4);
    }
    for (int i = 0; i < k; ++i) EXPECT_EQ(out.details[static_cast<std::size_t>(i)].dR, -(i + 1.0));
    EXPECT_EQ(out.curveCount, 1);
    ASSERT_EQ(out.accuracy.size(), 1u);
    EXPECT_EQ(out.accuracy[0].pointsTotal, k);
    ASSERT_GE(out.log.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(out.log.end() - 3, out.log.end()),
              (std::vector<std::string>{"count", "accuracy",
                                        "cancelled " + std::to_string(k) + " of " + std::to_string(kPoints)}));
    EXPECT_TRUE(out.messages.empty());
  }
}

}  // namespace
}  // namespace veldo
