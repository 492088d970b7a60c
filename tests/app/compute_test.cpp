// The Compute command over recording stand-in models: how each input ends the command (status,
// message and the order of every output), the reading order, the sweep and its wiring to every
// case model, the curve registry, the accuracy report, the frequency and logarithmic sweeps, and
// every case over the models library itself. (A fault part-way through a sweep, on one thread and
// on several: parallel_test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "app/compute.hpp"
#include "models/models.hpp"
#include "tests/app/fakes.hpp"
#include "tests/models/model_calls.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

using test::FakeInput;
using test::FakeModels;
using test::RecordingOutput;
using Log = std::vector<std::string>;
using Fields = std::vector<std::pair<const char*, const char*>>;

// The outputs a command gives by the log column of tests/data/app/compute_endings.tsv.
Log Outputs(const std::string& log) {
  if (log == "before") return {"message"};  // ended before the progress reset
  if (log == "reset") return {"position 0", "maximum 1", "message"};  // after it, before the labels
  // ... after the labels, before the sweep (the air-coil accuracy is still reported)
  if (log == "labels") return {"position 0", "maximum 1", "labels", "message", "accuracy"};
  if (log.rfind("swept ", 0) == 0)
    return {"position 0", "maximum 1", "labels", "maximum " + log.substr(6), "begin", "count", "accuracy"};
  Log out;
  for (std::size_t at = 0; at <= log.size();) {
    const std::size_t bar = std::min(log.find('|', at), log.size());
    out.push_back(log.substr(at, bar - at));
    at = bar + 1;
  }
  return out;
}

struct Ending {
  std::string name;
  int testCase;
  FakeInput in;
  std::string status, message, log;
};

// Every row of the table, its fields set and its selector chosen.
std::vector<Ending> Endings() {
  const test::CsvTable t = test::ReadCsv("app/compute_endings.tsv", '\t');
  std::vector<Ending> endings;
  for (const auto& r : t.rows) {
    Ending e{r.at(0), std::stoi(r.at(1)), {}, r.at(3), r.at(4), r.at(5)};
    e.in.SetAll(r.at(2));
    e.in.Choose(e.testCase, r.at(6));
    endings.push_back(std::move(e));
  }
  return endings;
}

// The status column's names, in the order of ComputeStatus.
constexpr const char* kStatusNames[] = {"completed", "no computation", "rejected", "fault", "cancelled"};

TEST(Endings, StatusMessageAndTheOrderOfTheOutputs) {
  const std::vector<Ending> endings = Endings();
  ASSERT_GT(endings.size(), 40u);
  for (const Ending& e : endings) {
    SCOPED_TRACE(e.name);
    FakeModels models;
    RecordingOutput out;
    const ComputeStatus status = ButtonComputeClick(e.testCase, e.in, out, models.Table());
    EXPECT_EQ(kStatusNames[static_cast<int>(status)], e.status);
    EXPECT_EQ(out.log, Outputs(e.log));
    if (e.message.empty()) {
      EXPECT_TRUE(out.messages.empty());
    } else {
      ASSERT_EQ(out.messages.size(), 1u);
      EXPECT_EQ(out.messages[0].text, e.message);
      EXPECT_EQ(out.messages[0].kind, e.message.back() == '.' ? MessageKind::Error : MessageKind::Plain);
    }
    // Nothing is computed before the progress reset, and no point before the sweep.
    if (e.log == "before") {
      EXPECT_TRUE(models.Untouched());
    }
    EXPECT_EQ(models.calls.size(), out.details.size());
    if (status == ComputeStatus::Completed && !out.curves.empty()) {
      EXPECT_EQ(static_cast<int>(out.curves[0].points.size()), out.progressMaximum);
      EXPECT_EQ(out.progressPosition, out.progressMaximum);
    }
  }
}

// The air-coil reference fell short of its accuracy, and the sweep's checks end the command: the
// shortfall is still reported, after the message.
TEST(AirCoilShortfall, IsReportedWhenTheCommandEndsBeforeTheSweep) {
  for (const Ending& e : Endings()) {
    if (e.log != "labels") continue;
    SCOPED_TRACE(e.name);
    FakeModels models;
    models.airCoilIer = 1;
    RecordingOutput out;
    EXPECT_EQ(ButtonComputeClick(e.testCase, e.in, out, models.Table()), ComputeStatus::Rejected);
    ASSERT_EQ(out.accuracy.size(), 1u);
    EXPECT_EQ(out.accuracy[0].pointsShort, 0);
    EXPECT_EQ(out.accuracy[0].pointsTotal, 0);
    EXPECT_TRUE(out.accuracy[0].airCoilShort);
  }
}

class Compute : public ::testing::Test {
protected:
  ComputeStatus Run(int testCase) { return ButtonComputeClick(testCase, in, out, models.Table()); }
  FakeInput in;
  RecordingOutput out;
  FakeModels models;
};

TEST_F(Compute, ReadsCommonFieldsThenFrequencyAndFromsThenSweptToAndStepOnly) {
  EXPECT_EQ(Run(1), ComputeStatus::Completed);
  const std::vector<std::string> reads{"Editacc",  "Editr1",  "Editr2",  "Editl",
                                       "EditN",    "Epr1f",   "Epr1loa", "Epr1con1a",
                                       "Epr1mr1a", "Epr1lob", "Epr1loc"};
  EXPECT_EQ(in.reads, reads);
}

// ---- Wiring: every case, every swept parameter -------------------------------------------------

// Each case calls its own model with every argument in its place: the swept one at From and then
// From + Step, the others at their From values. Every value differs from the others, so a swapped
// argument shows; the radii pass every geometry check (rods below R1, bores above R2, the layer
// interface on the conductor's side of B1).
TEST(Wiring, SweptValueInItsPositionOthersAtTheirFromValues) {
  for (const CaseDef& caseDef : kCases) {
    for (std::size_t j = 0; j < caseDef.params.size(); ++j) {
      const ParamDef& swept = caseDef.params[j];
      SCOPED_TRACE(std::string(caseDef.cliName) + " " + std::string(swept.name));
      FakeInput in;
      for (const auto& [field, text] : Fields{{"Editacc", "0.5"}, {"Editr1", "2.5"}, {"Editr2", "3.5"},
                                              {"Editl", "1.5"}, {"EditN", "7"}})
        in.Set(field, text);
      in.Set(caseDef.frequencyField, "20");
      const bool rod = caseDef.model == ModelKind::CylinderOutsideOneLayer ||
                       caseDef.model == ModelKind::CylinderOutsideTwoLayers;
      std::vector<double> from;
      for (const ParamDef& p : caseDef.params) {
        from.push_back(p.id == Param::B1   ? (rod ? 2.0 : 4.0)
                       : p.id == Param::B2 ? (rod ? 1.0 : 5.0)
                                           : 0.25 + 0.125 * static_cast<double>(from.size()));
        in.Set(p.fromField, std::to_string(from.back()));
      }
      const double step = 0.0625;
      in.Set(swept.toField, std::to_string(from[j] + step));
      in.Set(swept.stepField, std::to_string(step));
      in.Select(caseDef.testCase, swept.selector);
      FakeModels models;
      RecordingOutput out;
      ASSERT_EQ(ButtonComputeClick(caseDef.testCase, in, out, models.Table()), ComputeStatus::Completed)
          << (out.messages.empty() ? "" : out.messages[0].text);
      EXPECT_EQ(out.curves.at(0).colour, swept.colour);
      EXPECT_EQ(out.details.at(0).param, swept.name);
      ASSERT_EQ(models.calls.size(), 2u);
      for (std::size_t point = 0; point < 2; ++point) {
        const test::ModelArgs& c = models.calls[point];
        EXPECT_EQ(c.model, caseDef.model);
        EXPECT_EQ(c.N, 7);
        EXPECT_EQ((std::vector<double>{c.R1, c.R2, c.L, c.f, c.Acc}),
                  (std::vector<double>{2.5 * 0.001, 3.5 * 0.001, 1.5 * 0.001, 20 * 1000.0, 0.5 / 100}));
        const std::vector<double> params = c.Params();
        ASSERT_EQ(params.size(), caseDef.params.size());
        for (std::size_t i = 0; i < params.size(); ++i)
          EXPECT_DOUBLE_EQ(params[i], (from[i] + (i == j ? step * point : 0)) * caseDef.params[i].unit.factor)
              << caseDef.params[i].name << " at point " << point;
      }
    }
  }
}

// ---- Faults, the registry and the accuracy report ---------------------------------------------

TEST_F(Compute, FlagsLeftRaisedBeforeTheCommandAreNotItsFaults) {
  volatile double zero = 0.0;
  volatile double junk = 0.0 / zero;  // raises FE_INVALID
  (void)junk;
  EXPECT_EQ(Run(1), ComputeStatus::Completed);
  EXPECT_TRUE(out.messages.empty());
}

TEST_F(Compute, AFullRegistryRefusesBeforeReadingAnything) {
  out.curveCount = kCurveSlots;
  EXPECT_EQ(Run(1), ComputeStatus::Rejected);
  ASSERT_EQ(out.messages.size(), 1u);
  EXPECT_EQ(out.messages[0].text, kRegistryFullMessage);
  EXPECT_EQ(out.log, Outputs("before"));
  EXPECT_TRUE(in.reads.empty());
  EXPECT_TRUE(models.Untouched());
  RecordingOutput last;
  last.curveCount = kCurveSlots - 1;  // the last free slot
  EXPECT_EQ(ButtonComputeClick(1, in, last, models.Table()), ComputeStatus::Completed);
  EXPECT_EQ(last.curveCount, kCurveSlots);
}

TEST_F(Compute, AccuracyReportCountsShortPointsAndTheAirCoil) {
  models.airCoilIer = 1;
  // Either run short (Ier 1: the real-part run, 2: the imaginary-part run) counts the point.
  models.respond = [](int call, double&, double&, int& Ier) { Ier = call % 3 == 0 ? 1 + call % 2 : 0; };
  EXPECT_EQ(Run(1), ComputeStatus::Completed);
  ASSERT_EQ(out.accuracy.size(), 1u);
  EXPECT_EQ(out.accuracy[0].pointsShort, 4);  // calls 0, 3, 6, 9
  EXPECT_EQ(out.accuracy[0].pointsTotal, 10);
  EXPECT_TRUE(out.accuracy[0].airCoilShort);
  EXPECT_EQ(out.curves[0].points.size(), 10u);  // plotted all the same
}

// ---- Frequency and logarithmic sweeps ---------------------------------------------------------

// Frequency and logarithmic sweeps of the Compute command (their values and count: the sweep
// ranges of parse_format_test): the frequency row of every case with each point normalised by the
// reactance in air at its own frequency, the refusals of a bad logarithmic Step, and the curve's
// record.

// The window's defaults, one row of case `c` selected.
FakeInput Selecting(const CaseDef& c, const ParamDef& row) {
  FakeInput in;
  if (c.testCase == 5 || c.testCase == 6) {  // a coil round the default rods
    in.Set("Editr1", "12");
    in.Set("Editr2", "14");
  }
  in.Select(c.testCase, row.selector);
  return in;
}

class FrequencyRow : public ::testing::TestWithParam<int> {};

// The default frequency row: 21 points From * 10^(i/10), passed to the model in hertz with every
// other parameter at its From value, each normalised by the stand-in air coil's reactance at its
// own frequency (1e-8 N^2 f ohm); the labels keep X0 and L0 at From, and the From point is the
// point of a one-point sweep of the first parameter, bit for bit.
TEST_P(FrequencyRow, SweepsTheFrequencyWithTheOtherFieldsFixed) {
  const CaseDef& c = *FindCase(GetParam());
  FakeModels models;
  RecordingOutput out;
  ASSERT_EQ(ButtonComputeClick(c.testCase, Selecting(c, c.frequency), out, models.Table()),
            ComputeStatus::Completed);
  ASSERT_EQ(out.details.size(), 21u);
  EXPECT_EQ(out.curves[0].colour, kBlack);
  const double N2 = 200.0 * 200.0, fFrom = std::stod(std::string(c.frequencyDefault)) * 1000;
  EXPECT_DOUBLE_EQ(out.airCoil.first, 1e-8 * N2 * fFrom);
  EXPECT_DOUBLE_EQ(out.airCoil.second, 1e-8 * N2 / (2 * std::numbers::pi));
  std::vector<double> fixed;
  for (const ParamDef& p : c.params) fixed.push_back(std::stod(std::string(p.fromDefault)) * p.unit.factor);
  for (std::size_t i = 0; i < out.details.size(); ++i) {
    const auto& d = out.details[i];
    const double f = fFrom * std::pow(10.0, static_cast<double>(i) / 10), X0 = 1e-8 * N2 * f;
    EXPECT_EQ(d.param, "f");
    EXPECT_NEAR(d.value * 1000, f, 1e-15 * f) << i;
    EXPECT_NEAR(models.calls[i].f, f, 1e-15 * f) << i;
    EXPECT_EQ(models.calls[i].Params(), fixed) << i;
    EXPECT_NEAR(d.X0, X0, 1e-15 * X0) << i;
    EXPECT_NEAR(d.x, -1e-3 * N2 / X0, 1e-15 * std::fabs(d.x)) << i;  // dR = -1e-3 N^2
    EXPECT_NEAR(d.y, (-2e-3 * N2 + X0) / X0, 1e-15 * (std::fabs(d.y) + 1)) << i;
  }
  EXPECT_EQ(models.calls.back().f, fFrom * 100);  // To itself

  FakeInput one = Selecting(c, c.params[0]);
  one.Set(c.params[0].toField, std::string(c.params[0].fromDefault));
  RecordingOutput single;
  ASSERT_EQ(ButtonComputeClick(c.testCase, one, single, FakeModels().Table()), ComputeStatus::Completed);
  EXPECT_EQ(out.curves[0].points[0], single.curves[0].points.at(0));
  EXPECT_EQ(out.labels, single.labels);
}

INSTANTIATE_TEST_SUITE_P(EveryCase, FrequencyRow, ::testing::Values(1, 2, 3, 4, 5, 6, 9));

// Case 1, linear and logarithmic, or refused after the labels with nothing computed: the sweeps of
// tests/data/app/case1_sweeps.tsv.
TEST(Sweeps, ValuesOrMessage) {
  const test::CsvTable table = test::ReadCsv("app/case1_sweeps.tsv", '\t');
  ASSERT_GT(table.rows.size(), 15u);
  for (const auto& s : table.rows) {
    SCOPED_TRACE(s.at(0));
    FakeInput in = Selecting(*FindCase(1), FindCase(1)->params[0]);
    in.selected = {s.at(1)};
    in.SetAll(s.at(2));
    const std::string& message = s.at(3);
    FakeModels models;
    RecordingOutput out;
    const ComputeStatus status = ButtonComputeClick(1, in, out, models.Table());
    if (!message.empty()) {
      EXPECT_EQ(status, ComputeStatus::Rejected);
      ASSERT_EQ(out.messages.size(), 1u);
      EXPECT_EQ(out.messages[0].text, message);
      EXPECT_EQ(out.messages[0].kind, message.back() == '.' ? MessageKind::Error : MessageKind::Plain);
      EXPECT_TRUE(out.curves.empty() && models.calls.empty());
      EXPECT_NE(out.labels.first, "");
      continue;
    }
    ASSERT_EQ(status, ComputeStatus::Completed);
    ASSERT_EQ(out.details.size(), std::stoul(s.at(4)));
    EXPECT_EQ(out.details.front().value, std::stod(s.at(5)));
    EXPECT_EQ(out.details.back().value, std::stod(s.at(6)));
  }
}

// The record comes just before the curve: the sweep as typed, the fields held fixed in the
// window's unit with their texts and defaults, the coil, and the air-coil values at From.
TEST(CurveRecord, DescribesTheSweepAndTheFixedFields) {
  struct Describing : RecordingOutput {
    void CurveDescribed(const CurveInfo& i) override {
      info = i;
      log.push_back("described");
    }
    CurveInfo info{};
  } out;
  FakeInput in = Selecting(*FindCase(1), FindCase(1)->frequency);
  in.separator = ",";
  in.Set("Epr1loa", "0,2");
  in.Set("Editr2", "5");
  ASSERT_EQ(ButtonComputeClick(1, in, out, FakeModels().Table()), ComputeStatus::Completed);
  EXPECT_EQ(*(std::find(out.log.begin(), out.log.end(), "begin") - 1), "described");
  const ComputeOutput::CurveInfo& info = out.info;
  EXPECT_EQ(std::tie(info.testCase, info.caseName, info.param, info.unit, info.logarithmic, info.stepText),
            std::make_tuple(1, "planar1", "f", "kHz", true, "10/dec"));
  EXPECT_EQ(std::tie(info.from, info.to, info.step, info.points), std::make_tuple(100.0, 10000.0, 10.0, 21));
  EXPECT_EQ(std::tie(info.Acc, info.X0, info.L0), std::make_tuple(0.01 / 100, out.airCoil.first, out.airCoil.second));
  ASSERT_EQ(info.fixed.size(), 3u);
  const auto& lo = info.fixed[0];
  EXPECT_EQ(std::tie(lo.field, lo.name, lo.defaultText, lo.text, lo.value),
            std::make_tuple("Epr1loa", "LO", "0.1", "0,2", 0.2));
  EXPECT_EQ(std::tie(info.fixed[1].name, info.fixed[2].name), std::make_tuple("CON1", "MR1"));
  ASSERT_EQ(info.coil.size(), 5u);
  EXPECT_EQ(std::tie(info.coil[kFieldR2].name, info.coil[kFieldR2].text, info.coil[kFieldR2].value),
            std::make_tuple("R2", "5", 5.0));
  EXPECT_EQ(info.coil[kFieldN].value, 200);
}

// ---- The real models ---------------------------------------------------------------------------

// The command over the models library: each case reaches its own model function, and short
// sweeps of every case on 1, 2 and 7 threads give the same rows bit for bit, in the same order.
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
