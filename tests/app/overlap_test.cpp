// On more than one thread the command reads the sweep inputs ahead, starts the first points and
// computes the air-coil reference meanwhile on the calling thread, which then evaluates points as
// well. Every message, label and point must still come out as in a serial run: each scenario below
// runs on one thread and on two and three, over stand-in models that are safe to call from
// several threads, and the recorded outputs must be the same call for call and bit for bit.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/app/fakes.hpp"

namespace veldo {
namespace {

using Clock = std::chrono::steady_clock;

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

// Stand-ins whose results depend on every argument the sweep varies, with no shared state but
// atomics. X0 = 1e-8 N^2 f as the fakes give it (so f = 0 or N = 0 gives X0 = 0). Signals:
// N = 13 makes the air-coil reference divide by zero, N = 14 makes it throw, N = 15 gives X0 = 0
// with points that are not zero; MR1 = 7 makes a
// model raise an overflow while returning finite values; CON1 = 3 MS/m makes a model
// throw. With `holdAirCoil` the air-coil reference returns only after a point has finished.
struct ConcurrentModels {
  bool holdAirCoil = false;
  std::atomic<int> pointsDone{0};
  std::atomic<int> pointsDoneBeforeAirCoil{-1};

  ModelTable Table() {
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

struct Outcome {
  test::RecordingOutput out;
  ComputeStatus status = ComputeStatus::Completed;
  bool threw = false;
};

Outcome Compute(int testCase, const test::FakeInput& in, ConcurrentModels& models, int threads,
            int curvesAlready = 0) {
  Outcome r;
  r.out.curveCount = curvesAlready;
  models.pointsDone = 0;
  try {
    r.status = ButtonComputeClick(testCase, in, r.out, models.Table(), threads);
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
  EXPECT_EQ(serial.out.log, parallel.out.log);
  ASSERT_EQ(serial.out.messages.size(), parallel.out.messages.size());
  for (std::size_t m = 0; m < serial.out.messages.size(); ++m) {
    EXPECT_EQ(serial.out.messages[m].kind, parallel.out.messages[m].kind);
    EXPECT_EQ(serial.out.messages[m].text, parallel.out.messages[m].text);
  }
  EXPECT_EQ(serial.out.labels, parallel.out.labels);
  EXPECT_EQ(serial.out.airCoil, parallel.out.airCoil);
  ASSERT_EQ(serial.out.curves.size(), parallel.out.curves.size());
  for (std::size_t c = 0; c < serial.out.curves.size(); ++c) {
    EXPECT_EQ(serial.out.curves[c].colour, parallel.out.curves[c].colour);
    EXPECT_EQ(serial.out.curves[c].points, parallel.out.curves[c].points);  // doubles compared exactly
  }
  ASSERT_EQ(serial.out.details.size(), parallel.out.details.size());
  for (std::size_t i = 0; i < serial.out.details.size(); ++i) {
    EXPECT_EQ(serial.out.details[i].param, parallel.out.details[i].param);
    EXPECT_EQ(serial.out.details[i].value, parallel.out.details[i].value) << i;
    EXPECT_EQ(serial.out.details[i].dR, parallel.out.details[i].dR) << i;
    EXPECT_EQ(serial.out.details[i].dX, parallel.out.details[i].dX) << i;
    EXPECT_EQ(serial.out.details[i].Ier, parallel.out.details[i].Ier) << i;
  }
  EXPECT_EQ(serial.out.progressPosition, parallel.out.progressPosition);
  EXPECT_EQ(serial.out.progressMaximum, parallel.out.progressMaximum);
  EXPECT_EQ(serial.out.curveCount, parallel.out.curveCount);
  ASSERT_EQ(serial.out.accuracy.size(), parallel.out.accuracy.size());
  for (std::size_t a = 0; a < serial.out.accuracy.size(); ++a) {
    EXPECT_EQ(serial.out.accuracy[a].pointsShort, parallel.out.accuracy[a].pointsShort);
    EXPECT_EQ(serial.out.accuracy[a].pointsTotal, parallel.out.accuracy[a].pointsTotal);
    EXPECT_EQ(serial.out.accuracy[a].airCoilShort, parallel.out.accuracy[a].airCoilShort);
  }
}

struct Scenario {
  const char* name;
  int testCase;
  std::vector<std::pair<const char*, const char*>> fields;
  const char* selector = nullptr;  // nullptr: the case's first; "" clears them all
  // The sweep passes its checks, so on several threads points run while the air coil is computed.
  bool pointsInFlight = true;
  int curvesAlready = 0;
};

// One scenario per way the command can end, and a sweep of every case.
const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> all = {
      {"case 1 lift-off", 1, {}},
      {"case 2 conductivity 2", 2, {}, "RBpr2con2"},
      {"case 3 bore radius", 3, {}},
      {"case 4 interface radius", 4, {}, "RBid2b2"},
      {"case 5 rod radius", 5, {{"Editr1", "12"}, {"Editr2", "14"}}},
      {"case 6 rod radius", 6, {{"Editr1", "12"}, {"Editr2", "14"}}},
      {"case 9 lift-off", 9, {}},
      {"a single point (Step 0)", 1, {{"Epr1loc", "0"}}},
      {"air coil short of its accuracy", 1, {{"EditN", "201"}}},
      // The air-coil reference, or the inductance formed from it, ends the command before the
      // labels while points are in flight; the points are dropped and the sweep's own message,
      // if it had one, never shows (a serial run never reads the fields behind it).
      {"air coil divides by zero", 1, {{"EditN", "13"}}},
      {"air coil faults, To malformed as well", 1, {{"EditN", "13"}, {"Epr1lob", "x"}}, nullptr, false},
      {"zero frequency: L0 = 0/0", 1, {{"Epr1f", "0"}}},
      {"zero frequency, range rejected as well", 1, {{"Epr1f", "0"}, {"Epr1lob", "0.01"}}, nullptr, false},
      {"air coil throws", 1, {{"EditN", "14"}}},
      {"models throw at every point while the air coil faults", 1, {{"EditN", "13"}, {"Epr1con1a", "3"}}},
      // X0 = 0: the first point's normalisation divides by zero.
      {"X0 = 0", 1, {{"EditN", "15"}}},
      {"model overflows at every point", 1, {{"Epr1mr1a", "7"}}},
      {"a model that throws", 1, {{"Epr1con1a", "3"}}},
      // Messages of the sweep's checks, held back until the labels are shown.
      {"To malformed", 1, {{"Epr1lob", "x"}}, nullptr, false},
      {"Step malformed", 1, {{"Epr1loc", ""}}, nullptr, false},
      {"To overflows in conversion", 1, {{"Epr1con1b", "1e305"}}, "RBpr1con1", false},
      {"range rejected", 1, {{"Epr1lob", "0.01"}}, nullptr, false},
      {"negative Step", 1, {{"Epr1loc", "-0.1"}}, nullptr, false},
      {"too many points", 1, {{"Epr1loc", "1e-9"}}, nullptr, false},
      {"rod wider than the coil", 5, {}, nullptr, false},
      {"coil wider than the bore", 3, {{"Editr2", "10.5"}}, nullptr, false},
      {"bore interface below the bore", 4, {{"Eid2b2a", "10.5"}}, nullptr, false},
      {"rod interface above the rod", 6, {{"Editr1", "12"}, {"Editr2", "14"}, {"Eod2b2b", "11"}}, "RBod2b2", false},
      {"no selector selected", 1, {}, "", false},
      // Ends before the air-coil reference: nothing is computed on any thread.
      {"negative From", 1, {{"Epr1mr1a", "-1"}}, nullptr, false},
      {"frequency malformed", 2, {{"Epr2f", "ten"}}, nullptr, false},
      {"negative radius", 1, {{"Editr1", "-1"}}, nullptr, false},
      {"zero turns", 1, {{"EditN", "0"}}, nullptr, false},
      {"registry full", 1, {}, nullptr, false, kCurveSlots},
      {"sphere", 7, {}, nullptr, false},
  };
  return all;
}

TEST(OverlappedAirCoil, EveryWayTheCommandEndsGivesTheSerialOutputs) {
  for (const Scenario& s : Scenarios()) {
    SCOPED_TRACE(s.name);
    test::FakeInput in;
    for (const auto& [field, text] : s.fields) in.Set(field, text);
    if (s.selector != nullptr) {
      for (const ParamDef& p : FindCase(s.testCase)->params) in.selected.erase(std::string(p.selector));
      if (*s.selector != '\0') in.selected.insert(s.selector);
    }
    ConcurrentModels models;
    const Outcome serial = Compute(s.testCase, in, models, 1, s.curvesAlready);
    EXPECT_LE(models.pointsDoneBeforeAirCoil.load(), 0);  // a serial run computes X0 first
    for (int threads : {2, 3}) {
      SCOPED_TRACE(threads);
      models.holdAirCoil = s.pointsInFlight;
      models.pointsDoneBeforeAirCoil = -1;
      const Outcome parallel = Compute(s.testCase, in, models, threads, s.curvesAlready);
      models.holdAirCoil = false;
      ExpectSameOutputs(serial, parallel);
      if (s.pointsInFlight) {
        // The air-coil reference really overlapped the points.
        EXPECT_GT(models.pointsDoneBeforeAirCoil.load(), 0);
      } else {
        // A sweep that fails its checks starts no point.
        EXPECT_LE(models.pointsDoneBeforeAirCoil.load(), 0);
        if (serial.out.details.empty()) {
          EXPECT_EQ(models.pointsDone.load(), 0);
        }
      }
    }
  }
}

// Random field texts and selectors (the numbers and malformed texts that reach every check):
// the outputs on two threads are the serial ones.
TEST(OverlappedAirCoil, RandomInputsGiveTheSerialOutputs) {
  static const char* const kTexts[] = {"0", "1", "2.5", "-1", "10", "0.1", "1e-3", "1e3", "1e305", "-0", "",
                                       "abc", "inf", "1e999", "13", "14", "15", "7", "3", "12", "0.0625", "1e-6"};
  std::mt19937 g(20261207);
  for (int run = 0; run < 1500; ++run) {
    test::FakeInput in;
    for (auto& [field, text] : in.texts)
      if (g() % 4 == 0) text = kTexts[g() % std::size(kTexts)];
    const int testCase = 1 + static_cast<int>(g() % 9);
    if (const CaseDef* c = FindCase(testCase); !c->params.empty())
      in.Select(testCase, c->params[g() % c->params.size()].selector);
    SCOPED_TRACE(::testing::Message() << "run " << run << " case " << testCase);
    ConcurrentModels models;
    const Outcome serial = Compute(testCase, in, models, 1);
    const Outcome parallel = Compute(testCase, in, models, 2);
    ExpectSameOutputs(serial, parallel);
    if (::testing::Test::HasFailure()) break;
  }
}

// The point's model call and its normalisation are two steps on two threads when the point was
// evaluated on a worker; their flags still count as one step's: with no turns (X0 = 0, dR = 0, so
// 0/0) and a model that overflowed, the overflow is reported, not the invalid operation.
TEST(OverlappedAirCoil, OnePointsModelAndNormalisationFaultsReportTheFirstOfBoth) {
  test::FakeInput in;
  in.Set("EditN", "15");
  in.Set("Epr1mr1a", "7");
  for (int threads : {1, 2, 3}) {
    SCOPED_TRACE(threads);
    ConcurrentModels models;
    const Outcome r = Compute(1, in, models, threads);
    EXPECT_EQ(r.status, ComputeStatus::Fault);
    ASSERT_EQ(r.out.messages.size(), 1u);
    EXPECT_EQ(r.out.messages[0].text, "Floating point division by zero.");
    EXPECT_TRUE(r.out.details.empty());
  }
}

// A stop requested while the air-coil reference runs is seen before the first point, as in a
// serial run: the labels, an empty counted curve, the accuracy of no point, the cancellation.
TEST(OverlappedAirCoil, AStopDuringTheAirCoilEndsBeforeTheFirstPoint) {
  test::FakeInput in;
  for (int threads : {1, 2, 3}) {
    SCOPED_TRACE(threads);
    std::stop_source source;
    ConcurrentModels models;
    ModelTable t = models.Table();
    t.AirCoilReactance = [&source](int, double, double, double, double, double, double& X0, int& Ier) {
      source.request_stop();
      X0 = 40.0;
      Ier = 0;
    };
    test::RecordingOutput out;
    EXPECT_EQ(ButtonComputeClick(1, in, out, t, threads, source.get_token()), ComputeStatus::Cancelled);
    const std::vector<std::string> log{"position 0", "maximum 1", "labels",   "maximum 10",
                                       "begin",      "count",     "accuracy", "cancelled 0 of 10"};
    EXPECT_EQ(out.log, log);
    EXPECT_TRUE(out.details.empty());
    EXPECT_EQ(out.curveCount, 1);
  }
}

// Records, for point i of a sweep of LO = 0, 1, 2, ... mm, the thread that evaluated it; point 0
// returns only once `release0` holds (or after the patience of AwaitFor).
struct BlockingModels {
  std::vector<std::atomic<std::thread::id>> thread;
  std::vector<std::atomic<bool>> done;
  std::function<bool()> release0;
  std::function<void(int)> onPoint;  // called at the start of each point
  std::atomic<bool> released0{false};

  explicit BlockingModels(int points) : thread(static_cast<std::size_t>(points)), done(static_cast<std::size_t>(points)) {}

  ModelTable Table() {
    return test::StandInModels(
        [this](int, double, double, double, double, double, double& X0, int& Ier) {
          // Let a worker take point 0 before this thread could.
          AwaitFor([this] { return thread[0].load() != std::thread::id(); });
          X0 = 4.0;
          Ier = 0;
        },
        [this](const test::ModelArgs& a, double& dR, double& dX, int& Ier) {
          const auto i = static_cast<std::size_t>(std::lround(a.P1 * 1000.0));
          thread[i] = std::this_thread::get_id();
          if (onPoint) onPoint(static_cast<int>(i));
          if (i == 0) released0 = AwaitFor(release0);
          dR = -static_cast<double>(i + 1);
          dX = -2.0;
          Ier = 0;
          done[i] = true;
        });
  }
};

test::FakeInput LiftOffFromZero(int points) {
  test::FakeInput in;
  in.Set("Epr1loa", "0");
  in.Set("Epr1lob", std::to_string(points - 1));
  in.Set("Epr1loc", "1");
  return in;
}

// With two threads there is one worker: while it is held on point 0, the calling thread evaluates
// the following points itself instead of waiting, and the outputs stay in sweep order.
TEST(OverlappedAirCoil, TheCallingThreadEvaluatesPointsWhileItWaits) {
  constexpr int kPoints = 4;
  BlockingModels models(kPoints);
  models.release0 = [&models] { return models.done[kPoints - 1].load(); };
  test::RecordingOutput out;
  EXPECT_EQ(ButtonComputeClick(1, LiftOffFromZero(kPoints), out, models.Table(), 2), ComputeStatus::Completed);
  EXPECT_TRUE(models.released0.load());
  EXPECT_NE(models.thread[0].load(), std::this_thread::get_id());
  for (int i = 1; i < kPoints; ++i) EXPECT_EQ(models.thread[static_cast<std::size_t>(i)].load(), std::this_thread::get_id()) << i;
  ASSERT_EQ(out.details.size(), static_cast<std::size_t>(kPoints));
  for (int i = 0; i < kPoints; ++i) EXPECT_EQ(out.details[static_cast<std::size_t>(i)].dR, -(i + 1.0));
}

// A stop requested while the calling thread waits for a point that a worker is still computing
// ends the sweep at once, without that point: the cancellation is reported while the point is
// still running, and the command returns once it has finished.
TEST(OverlappedAirCoil, AStopWakesTheCallingThreadWaitingForAPoint) {
  constexpr int kPoints = 2;
  BlockingModels models(kPoints);
  std::stop_source source;
  std::atomic<bool> cancelled{false};
  struct Output : test::RecordingOutput {
    std::atomic<bool>* cancelled = nullptr;
    void SweepCancelled(int done, int total) override {
      test::RecordingOutput::SweepCancelled(done, total);
      *cancelled = true;
    }
  } out;
  out.cancelled = &cancelled;
  models.release0 = [&cancelled] { return cancelled.load(); };
  models.onPoint = [&source](int i) {
    if (i == 1) source.request_stop();  // the calling thread, with nothing else to do, then waits for point 0
  };
  EXPECT_EQ(ButtonComputeClick(1, LiftOffFromZero(kPoints), out, models.Table(), 2, source.get_token()),
            ComputeStatus::Cancelled);
  EXPECT_TRUE(models.released0.load());  // point 0 ran on until the cancellation was out
  EXPECT_TRUE(models.done[0].load());    // and had finished when the command returned
  EXPECT_TRUE(out.details.empty());
  ASSERT_FALSE(out.log.empty());
  EXPECT_EQ(out.log.back(), "cancelled 0 of 2");
}

}  // namespace
}  // namespace veldo
