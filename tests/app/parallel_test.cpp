// The command on several threads: the sweep inputs are read ahead, the first points start while
// the calling thread computes the air-coil reference, and points finish in any order. Every
// output must still be that of a serial run, call for call and bit for bit (the recorded traces
// are compared); the first fault in sweep order ends the sweep; a stop keeps what was output.
// (Random inputs on one and two threads: the compute fuzz target, whose corpus ctest replays.)
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <sstream>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/app/fakes.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

using Clock = std::chrono::steady_clock;
using Log = std::vector<std::string>;

// Spins until `ready` holds or `patience` has passed, so that a broken implementation fails its
// test instead of hanging it. Returns whether `ready` held.
template <class Ready>
bool AwaitFor(Ready ready, std::chrono::milliseconds patience = std::chrono::seconds(10)) {
  const auto until = Clock::now() + patience;
  while (!ready()) {
    if (Clock::now() > until) return false;
    std::this_thread::yield();
  }
  return true;
}

struct Outcome {
  test::RecordingOutput out;
  ComputeStatus status = ComputeStatus::Completed;
  bool threw = false;
};

Outcome Compute(int testCase, const test::FakeInput& in, const ModelTable& models, int threads,
                int curvesAlready = 0, std::stop_token stop = {}) {
  Outcome r;
  r.out.curveCount = curvesAlready;
  try {
    r.status = ButtonComputeClick(testCase, in, r.out, models, threads, std::move(stop));
  } catch (const std::runtime_error&) {
    r.threw = true;
  }
  return r;
}

void ExpectSameOutputs(const Outcome& serial, const Outcome& parallel) {
  EXPECT_EQ(serial.threw, parallel.threw);
  if (!serial.threw) {
    EXPECT_EQ(serial.status, parallel.status);
  }
  EXPECT_EQ(serial.out.trace, parallel.out.trace);
  EXPECT_EQ(serial.out.progressPosition, parallel.out.progressPosition);
}

// ---- Every way the command ends, the air-coil reference overlapping the points ----------------

// Stand-ins whose results depend on every argument the sweep varies, with no shared state but
// atomics. X0 = 1e-8 N^2 f (so f = 0 gives X0 = 0). Signals: N = 13 makes the air-coil reference
// divide by zero, N = 14 makes it throw, N = 15 gives X0 = 0 with points that are not zero,
// N = 201 leaves it short of its accuracy; MR1 = 7 makes a model raise an overflow while returning
// finite values; CON1 = 3 MS/m makes a model throw. With `holdAirCoil` the air-coil reference
// returns only after a point has finished.
struct ConcurrentModels {
  bool holdAirCoil = false;
  std::atomic<int> pointsDone{0};
  std::atomic<int> pointsDoneBeforeAirCoil{-1};

  ModelTable Table() {
    pointsDone = 0;
    pointsDoneBeforeAirCoil = -1;
    return test::StandInModels(
        [this](int N, double, double, double, double f, double, double& X0, int& Ier) {
          if (holdAirCoil) AwaitFor([this] { return pointsDone.load() > 0; });
          pointsDoneBeforeAirCoil = pointsDone.load();
          volatile double zero = 0.0;
          X0 = N == 13 ? 1.0 / zero : N == 15 ? 0.0 : 1e-8 * N * N * f;
          if (N == 14) throw std::runtime_error("air coil");
          Ier = N == 201 ? 1 : 0;
        },
        [this](const test::ModelArgs& a, double& dR, double& dX, int& Ier) {
          struct Done {  // counts the point when the call ends, thrown out of or not
            std::atomic<int>& n;
            ~Done() { ++n; }
          } done{pointsDone};
          if (a.CON1 == 3e6) throw std::runtime_error("model");
          volatile double big = 1e308;
          if (a.MR1 == 7) big = big * 10.0;
          dR = -1e-3 * a.N * a.N * (1 + 100 * a.P1 + 0.1 * a.P2);
          dX = -2e-3 * a.N * a.N * (1 + a.P1 + 1e-9 * a.CON1);
          Ier = a.P1 * 1e4 > 7 ? 2 : 0;
        });
  }
};

TEST(OverlappedAirCoil, EveryWayTheCommandEndsGivesTheSerialOutputs) {
  const test::CsvTable table = test::ReadCsv("app/parallel_endings.tsv", '\t');
  ASSERT_GT(table.rows.size(), 25u);
  for (const auto& row : table.rows) {
    SCOPED_TRACE(row.at(0));
    const struct {
      int testCase;
      bool pointsInFlight;
      int curvesAlready;
    } s{std::stoi(row.at(1)), row.at(4) == "1", row.at(5) == "full" ? kCurveSlots : std::stoi(row.at(5))};
    test::FakeInput in;
    in.SetAll(row.at(2));
    in.Choose(s.testCase, row.at(3));
    ConcurrentModels models;
    const Outcome serial = Compute(s.testCase, in, models.Table(), 1, s.curvesAlready);
    EXPECT_LE(models.pointsDoneBeforeAirCoil.load(), 0);  // a serial run computes X0 first
    for (int threads : {2, 3}) {
      SCOPED_TRACE(threads);
      models.holdAirCoil = s.pointsInFlight;
      const Outcome parallel = Compute(s.testCase, in, models.Table(), threads, s.curvesAlready);
      models.holdAirCoil = false;
      ExpectSameOutputs(serial, parallel);
      if (s.pointsInFlight) {
        EXPECT_GT(models.pointsDoneBeforeAirCoil.load(), 0);  // the air coil really overlapped
      } else {
        EXPECT_LE(models.pointsDoneBeforeAirCoil.load(), 0);  // a sweep failing its checks starts no point
        if (serial.out.details.empty()) {
          EXPECT_EQ(models.pointsDone.load(), 0);
        }
      }
    }
  }
}

// ---- Points that finish out of order ----------------------------------------------------------

// Case 1 sweeping LO = 0, 1, ..., points - 1 mm.
test::FakeInput LiftOffFromZero(int points) {
  test::FakeInput in;
  in.Set("Epr1loa", "0");
  in.Set("Epr1lob", std::to_string(points - 1));
  in.Set("Epr1loc", "1");
  return in;
}

// X0 = 4 ohm; point i of LiftOffFromZero returns dR = -(i + 1), dX = -2 and Ier = 1 at every
// third point, after `onPoint(i, dR)`, which may wait, throw, stop or spoil dR.
ModelTable IndexedModels(std::function<void(int i, double& dR)> onPoint) {
  return test::StandInModels(4.0, [onPoint](double P, double& dR, double& dX, int& Ier) {
    const int i = static_cast<int>(std::lround(P * 1000.0));
    dR = -static_cast<double>(i + 1);
    dX = -2.0;
    Ier = i % 3 == 0 ? 1 : 0;
    onPoint(i, dR);
  });
}

enum class Fault { None, DivByZero, Overflow, Invalid };
const char* const kFaultText[] = {"", "Floating point division by zero.", "Floating point overflow.",
                                   "Invalid floating point operation."};

// The sweeps of tests/data/app/parallel_faults.tsv.
TEST(ParallelSweep, OutputsMatchASerialRunWhateverFinishesFirst) {
  const test::CsvTable plans = test::ReadCsv("app/parallel_faults.tsv", '\t');
  ASSERT_EQ(plans.rows.size(), 9u);
  for (std::size_t row = 0; row < plans.rows.size(); ++row) {
    SCOPED_TRACE(plans.rows[row][0]);
    const int points = static_cast<int>(plans.num(row, 1)), firstFault = static_cast<int>(plans.num(row, 4));
    const auto n = static_cast<std::size_t>(points);
    std::vector<Fault> faults(n);
    std::vector<int> waitFor(n, -1);
    std::vector<std::atomic<bool>> finished(n);
    bool wait = false;
    std::istringstream faultCells(plans.rows[row][2]), waitCells(plans.rows[row][3]);
    for (std::string cell; faultCells >> cell;) {
      const std::string kind = cell.substr(cell.find(':') + 1);
      faults.at(std::stoul(cell)) =
          kind == "div" ? Fault::DivByZero : kind == "overflow" ? Fault::Overflow : Fault::Invalid;
    }
    for (std::string cell; waitCells >> cell;)
      waitFor.at(std::stoul(cell)) = std::stoi(cell.substr(cell.find(':') + 1));
    // On more than one thread, point i first waits until point waitFor[i] has finished, so later
    // points, later faults among them, reach the calling thread first; a few others are delayed.
    const ModelTable models = IndexedModels([&](int i, double& dR) {
      const auto k = static_cast<std::size_t>(i);
      if (wait && waitFor[k] >= 0) AwaitFor([&] { return finished[static_cast<std::size_t>(waitFor[k])].load(); });
      if (i % 5 == 1) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      volatile double zero = 0.0, big = 1e308;
      if (faults[k] == Fault::DivByZero) dR = 1.0 / zero;
      if (faults[k] == Fault::Overflow) dR = big * 10.0;
      if (faults[k] == Fault::Invalid) dR = zero / zero;
      finished[k] = true;
    });
    const test::FakeInput in = LiftOffFromZero(points);
    const Outcome serial = Compute(1, in, models, 1);
    // Serially: the points before the first fault stay as a counted curve with their accuracy
    // report, the fault's message follows, and no point after it is computed.
    const std::size_t kept = firstFault < 0 ? n : static_cast<std::size_t>(firstFault);
    ASSERT_EQ(serial.out.details.size(), kept);
    EXPECT_EQ(serial.status, firstFault < 0 ? ComputeStatus::Completed : ComputeStatus::Fault);
    EXPECT_EQ(serial.out.curveCount, 1);
    EXPECT_EQ(serial.out.accuracy.at(0).pointsTotal, static_cast<int>(kept));
    if (firstFault >= 0) {
      EXPECT_EQ(serial.out.messages.at(0).text, kFaultText[static_cast<int>(faults[kept])]);
      for (std::size_t k = kept + 1; k < n; ++k) EXPECT_FALSE(finished[k]) << k;
    }
    for (int threads : {2, 7}) {
      SCOPED_TRACE(threads);
      for (auto& f : finished) f = false;
      wait = true;
      ExpectSameOutputs(serial, Compute(1, in, models, threads));
      wait = false;
    }
  }
}

// A model that throws at a point: the command throws on the calling thread, after outputting the
// points before it, as a serial run does.
TEST(ParallelSweep, AModelThatThrowsEndsTheSweepOnTheCallingThread) {
  const ModelTable models = IndexedModels([](int i, double&) {
    if (i == 5) throw std::runtime_error("point 5");
  });
  for (int threads : {1, 2, 7}) {
    SCOPED_TRACE(threads);
    const Outcome r = Compute(1, LiftOffFromZero(12), models, threads);
    EXPECT_TRUE(r.threw);
    EXPECT_EQ(r.out.details.size(), 5u);
  }
}

// ---- Stop ---------------------------------------------------------------------------------------

// A stop request, here made by the model at point 3 as the window's Stop would, ends the sweep
// before the next point is output: the points already output stay as a counted curve, their
// accuracy is reported, then the cancellation. One thread stops right after point 3; with more,
// the points output are a prefix of the serial ones and never go past 3.
TEST(SweepStop, KeepsThePointsOutputBeforeItAsACountedCurve) {
  constexpr int kPoints = 12;
  for (int threads : {1, 2, 7}) {
    SCOPED_TRACE(threads);
    std::stop_source source;
    const ModelTable models = IndexedModels([&source](int i, double&) {
      if (i == 3) source.request_stop();
    });
    const Outcome r = Compute(1, LiftOffFromZero(kPoints), models, threads, 0, source.get_token());
    EXPECT_EQ(r.status, ComputeStatus::Cancelled);
    const int k = static_cast<int>(r.out.details.size());
    EXPECT_TRUE(threads == 1 ? k == 4 : k <= 4) << k;
    for (int i = 0; i < k; ++i) EXPECT_EQ(r.out.details[static_cast<std::size_t>(i)].dR, -(i + 1.0));
    EXPECT_EQ(r.out.curveCount, 1);
    ASSERT_EQ(r.out.accuracy.size(), 1u);
    EXPECT_EQ(r.out.accuracy[0].pointsTotal, k);
    ASSERT_GE(r.out.log.size(), 3u);
    EXPECT_EQ(Log(r.out.log.end() - 3, r.out.log.end()),
              (Log{"count", "accuracy", "cancelled " + std::to_string(k) + " of " + std::to_string(kPoints)}));
    EXPECT_TRUE(r.out.messages.empty());
  }
}

// A stop requested while the air-coil reference runs is seen before the first point, as in a
// serial run: the labels, an empty counted curve, the accuracy of no point, the cancellation.
TEST(SweepStop, DuringTheAirCoilEndsBeforeTheFirstPoint) {
  for (int threads : {1, 2, 3}) {
    SCOPED_TRACE(threads);
    std::stop_source source;
    ModelTable models = IndexedModels([](int, double&) {});
    models.AirCoilReactance = [&source](int, double, double, double, double, double, double& X0, int& Ier) {
      source.request_stop();
      X0 = 40.0;
      Ier = 0;
    };
    const Outcome r = Compute(1, test::FakeInput(), models, threads, 0, source.get_token());
    EXPECT_EQ(r.status, ComputeStatus::Cancelled);
    EXPECT_EQ(r.out.log, (Log{"position 0", "maximum 1", "labels", "maximum 10", "begin", "count", "accuracy",
                              "cancelled 0 of 10"}));
    EXPECT_EQ(r.out.curveCount, 1);
  }
}

// A stop requested while the calling thread waits for a point that a worker is still computing
// ends the sweep at once, without that point: the cancellation is reported while the point is
// still running, and the command returns once it has finished.
TEST(SweepStop, WakesTheCallingThreadWaitingForAPoint) {
  std::stop_source source;
  std::atomic<bool> cancelled{false}, started0{false}, released0{false}, done0{false};
  struct Output : test::RecordingOutput {
    std::atomic<bool>* cancelled = nullptr;
    void SweepCancelled(int done, int total) override {
      test::RecordingOutput::SweepCancelled(done, total);
      *cancelled = true;
    }
  } out;
  out.cancelled = &cancelled;
  ModelTable models = IndexedModels([&](int i, double&) {
    if (i == 1) source.request_stop();  // the calling thread, with nothing else to do, then waits for point 0
    if (i == 0) {
      started0 = true;
      released0 = AwaitFor([&] { return cancelled.load(); });
      done0 = true;
    }
  });
  models.AirCoilReactance = [&](int, double, double, double, double, double, double& X0, int& Ier) {
    AwaitFor([&] { return started0.load(); });  // the worker takes point 0 first
    X0 = 4.0;
    Ier = 0;
  };
  EXPECT_EQ(ButtonComputeClick(1, LiftOffFromZero(2), out, models, 2, source.get_token()), ComputeStatus::Cancelled);
  EXPECT_TRUE(released0.load());  // point 0 ran on until the cancellation was out
  EXPECT_TRUE(done0.load());      // and had finished when the command returned
  EXPECT_TRUE(out.details.empty());
  ASSERT_FALSE(out.log.empty());
  EXPECT_EQ(out.log.back(), "cancelled 0 of 2");
}

}  // namespace
}  // namespace veldo
