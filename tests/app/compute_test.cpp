// The Compute command over recording stand-in models: how each input ends the command (status,
// message and the order of every output), the reading order, the sweep and its wiring to every
// case model, the curve registry and the accuracy report. (A fault part-way through a sweep, on
// one thread and on several: parallel_test.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/compute.hpp"
#include "tests/app/fakes.hpp"

namespace veldo {
namespace {

using test::FakeInput;
using test::FakeModels;
using test::RecordingOutput;
using Log = std::vector<std::string>;
using Fields = std::vector<std::pair<const char*, const char*>>;

// The outputs of a command that ends ...
const Log kBeforeAnything{"message"};                       // ... before the progress reset
const Log kAfterReset{"position 0", "maximum 1", "message"};  // ... after it, before the labels
// ... after the labels, before the sweep (the air-coil accuracy is still reported)
const Log kAfterLabels{"position 0", "maximum 1", "labels", "message", "accuracy"};
Log Swept(int points) {
  return {"position 0", "maximum 1", "labels", "maximum " + std::to_string(points), "begin", "count", "accuracy"};
}

struct Ending {
  const char* name;
  int testCase;
  Fields fields;
  ComputeStatus status;
  std::string message;  // the error box's texts end with a full stop, the check messages without
  Log log;
  const char* selector = nullptr;  // nullptr: the case's first; "": none selected
};

void PrintTo(const Ending& e, std::ostream* os) { *os << e.name; }

const std::string kNegative(kNegativeDataMessage), kRange(kCheckRangeMessage);
constexpr auto kRejected = ComputeStatus::Rejected;
constexpr auto kDone = ComputeStatus::Completed;
constexpr auto kFault = ComputeStatus::Fault;
const std::string kNaN = "Invalid floating point operation.";
std::string NotAFloat(const std::string& text) { return "'" + text + "' is not a valid floating point value."; }
// The coil of cases 5 and 6 enclosing their default rods.
const Fields kWide{{"Editr1", "12"}, {"Editr2", "14"}};
Fields Wide(Fields more) {
  more.insert(more.begin(), kWide.begin(), kWide.end());
  return more;
}

const Ending kEndings[] = {
    // Refused before anything is output.
    {"negative R1", 1, {{"Editr1", "-1"}}, kRejected, kNegative, kBeforeAnything},
    {"negative R2", 1, {{"Editr2", "-1"}}, kRejected, kNegative, kBeforeAnything},
    {"negative L", 1, {{"Editl", "-1"}}, kRejected, kNegative, kBeforeAnything},
    {"no turns", 1, {{"EditN", "0"}}, kRejected, std::string(kCoilTurnsMessage), kBeforeAnything},
    {"negative turns", 1, {{"EditN", "-200"}}, kRejected, std::string(kCoilTurnsMessage), kBeforeAnything},
    {"R1 equal to R2", 1, {{"Editr1", "4"}}, kRejected, std::string(kCoilRadiiMessage), kBeforeAnything},
    {"R1 above R2", 1, {{"Editr1", "5"}}, kRejected, std::string(kCoilRadiiMessage), kBeforeAnything},
    {"zero height", 1, {{"Editl", "0"}}, kRejected, std::string(kCoilHeightMessage), kBeforeAnything},
    {"empty accuracy", 1, {{"Editacc", ""}}, kRejected, NotAFloat(""), kBeforeAnything},
    {"malformed R1", 1, {{"Editr1", "abc"}}, kRejected, NotAFloat("abc"), kBeforeAnything},
    {"comma in R2", 1, {{"Editr2", "4,0"}}, kRejected, NotAFloat("4,0"), kBeforeAnything},
    {"fractional N", 1, {{"EditN", "2.5"}}, kRejected, "'2.5' is not a valid integer value.", kBeforeAnything},
    {"accuracy just below", 1, {{"Editacc", "1.110222e-12"}}, kRejected, std::string(kAccuracyMessage),
     kBeforeAnything},
    {"negative accuracy", 1, {{"Editacc", "-0.01"}}, kRejected, std::string(kAccuracyMessage), kBeforeAnything},
    {"accuracy at its bound", 1, {{"Editacc", "1.110223e-12"}}, kDone, "", Swept(10)},
    // Ended after the progress reset, before the air-coil labels.
    {"sphere", 7, {}, ComputeStatus::NoComputation, "", {"position 0", "maximum 1"}},
    {"two-layer sphere", 8, {}, ComputeStatus::NoComputation, "", {"position 0", "maximum 1"}},
    {"negative From not swept", 1, {{"Epr1mr1a", "-1"}}, kRejected, kNegative, kAfterReset},
    {"negative frequency", 1, {{"Epr1f", "-100"}}, kRejected, kNegative, kAfterReset},
    {"infinite frequency", 1, {{"Epr1f", "inf"}}, kRejected, NotAFloat("inf"), kAfterReset},
    {"conductivity overflows in conversion", 1, {{"Epr1con1a", "1e305"}}, kFault, "Floating point overflow.",
     kAfterReset},
    {"zero frequency: L0 is 0 over 0", 1, {{"Epr1f", "0"}}, kFault, kNaN, kAfterReset},
    // Ended by the sweep's checks, after the labels.
    {"malformed To", 1, {{"Epr1lob", "1.0x"}}, kRejected, NotAFloat("1.0x"), kAfterLabels},
    {"From above To", 1, {{"Epr1lob", "0.05"}}, kRejected, kRange, kAfterLabels},
    {"negative To", 1, {{"Epr1lob", "-1"}}, kRejected, kRange, kAfterLabels},
    {"negative Step", 1, {{"Epr1loc", "-0.1"}}, kRejected, kRange, kAfterLabels},
    {"too many points", 1, {{"Epr1loc", "1e-9"}}, kRejected, std::string(kTooManyPointsMessage), kAfterLabels},
    {"no selector", 1, {}, ComputeStatus::NoComputation, "", {"position 0", "maximum 1", "labels", "accuracy"}, ""},
    {"rod wider than the coil", 5, {}, kRejected, std::string(kRodMessage), kAfterLabels},
    {"last rod radius in the winding", 5, {{"Editr1", "9.7"}, {"Editr2", "14"}}, kRejected,
     std::string(kRodMessage), kAfterLabels},
    {"rod radius up to R1", 5, {{"Editr1", "9.8"}, {"Editr2", "14"}}, kDone, "", Swept(9)},
    {"coil wider than the bore", 3, {{"Editr2", "10.5"}}, kRejected, std::string(kBoreMessage), kAfterLabels},
    {"bore down to R2", 3, {{"Editr2", "10"}}, kDone, "", Swept(11)},
    {"interface swept, coil wider than the bore", 4, {{"Editr2", "10.5"}}, kRejected, std::string(kBoreMessage),
     kAfterLabels, "RBid2b2"},
    {"interface inside the bore", 4, {{"Eid2b2a", "9"}}, kRejected, std::string(kBoreLayerMessage), kAfterLabels,
     "RBid2b2"},
    {"bore radius up to the interface", 4, {{"Eid2b2a", "11"}}, kDone, "", Swept(6)},
    {"interface outside the rod", 6, Wide({{"Eod2b2b", "10.5"}}), kRejected, std::string(kRodLayerMessage),
     kAfterLabels, "RBod2b2"},
    {"interface on the rod's surface", 6, Wide({{"Eod2b2a", "10"}}), kDone, "", Swept(6)},
    // Sweeps of one point, and sweeps that fill the progress bar.
    {"From = To", 1, {{"Epr1loa", "0.5"}, {"Epr1lob", "0.5"}}, kDone, "", Swept(1)},
    {"Step = 0 (the maximum stays 1)", 1, {{"Epr1loa", "0.5"}, {"Epr1lob", "3"}, {"Epr1loc", "0"}}, kDone, "",
     {"position 0", "maximum 1", "labels", "begin", "count", "accuracy"}},
    {"To of a parameter not swept is never read", 1, {{"Epr1con1b", "x"}, {"Epr1mr1c", ""}}, kDone, "", Swept(10)},
    {"eleven radii", 3, {{"Editr2", "4"}}, kDone, "", Swept(11)},
};

class Endings : public ::testing::TestWithParam<Ending> {};

TEST_P(Endings, StatusMessageAndTheOrderOfTheOutputs) {
  const Ending& e = GetParam();
  FakeInput in;
  for (const auto& [field, text] : e.fields) in.Set(field, text);
  if (e.selector != nullptr) {
    for (const ParamDef& p : FindCase(e.testCase)->params) in.selected.erase(std::string(p.selector));
    if (*e.selector != '\0') in.selected.insert(e.selector);
  }
  FakeModels models;
  RecordingOutput out;
  EXPECT_EQ(ButtonComputeClick(e.testCase, in, out, models.Table()), e.status);
  EXPECT_EQ(out.log, e.log);
  if (e.message.empty()) {
    EXPECT_TRUE(out.messages.empty());
  } else {
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, e.message);
    EXPECT_EQ(out.messages[0].kind, e.message.back() == '.' ? MessageKind::Error : MessageKind::Plain);
  }
  // Nothing is computed before the progress reset, and no point before the sweep.
  if (e.log.size() < 2) {
    EXPECT_TRUE(models.Untouched());
  }
  EXPECT_EQ(models.calls.size(), out.details.size());
  if (e.status == kDone && !out.curves.empty()) {
    EXPECT_EQ(static_cast<int>(out.curves[0].points.size()), out.progressMaximum);
    EXPECT_EQ(out.progressPosition, out.progressMaximum);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Endings, ::testing::ValuesIn(kEndings), [](const auto& p) {
  std::string name;
  for (const char c : std::string(p.param.name)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
});

// The air-coil reference fell short of its accuracy, and the sweep's checks end the command: the
// shortfall is still reported, after the message.
TEST(AirCoilShortfall, IsReportedWhenTheCommandEndsBeforeTheSweep) {
  for (const Ending& e : kEndings) {
    if (e.log != kAfterLabels) continue;
    SCOPED_TRACE(e.name);
    FakeInput in;
    for (const auto& [field, text] : e.fields) in.Set(field, text);
    if (e.selector != nullptr) in.Select(e.testCase, e.selector);
    FakeModels models;
    models.airCoilIer = 1;
    RecordingOutput out;
    EXPECT_EQ(ButtonComputeClick(e.testCase, in, out, models.Table()), ComputeStatus::Rejected);
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

TEST_F(Compute, DefaultLiftOffSweepOfCaseOne) {
  EXPECT_EQ(Run(1), ComputeStatus::Completed);
  // Ten points from 0.1 to 1.0 mm, the last on To, one model call each.
  ASSERT_EQ(models.calls.size(), 10u);
  EXPECT_EQ(models.calls.front().P1, 0.1 * 0.001);
  EXPECT_EQ(models.calls.back().P1, 1.0 * 0.001);
  ASSERT_EQ(out.curves.size(), 1u);
  EXPECT_EQ(out.curves[0].colour, kBlue);
  EXPECT_EQ(out.curveCount, 1);
  // X0 = 1e-8 * 200^2 * 1e5 Hz = 40 ohm; L0 = X0 / (2 pi f).
  EXPECT_EQ(out.airCoil.first, 40.0);
  EXPECT_NEAR(out.airCoil.second, 40.0 / (2 * M_PI * 1e5), 1e-18);
  EXPECT_EQ(out.labels.first, "       40.000000");
  EXPECT_EQ(out.labels.second, "        0.000064");
  // Normalisation: x = dR / X0, y = (dX + X0) / X0.
  EXPECT_EQ(out.curves[0].points[0].first, -40.0 / 40.0);
  EXPECT_EQ(out.curves[0].points[0].second, (-80.0 + 40.0) / 40.0);
  EXPECT_EQ(out.details[9].param, "LO");
  EXPECT_EQ(out.details[9].value, 1.0);
  ASSERT_EQ(out.accuracy.size(), 1u);
  EXPECT_EQ(out.accuracy[0].pointsShort, 0);
  EXPECT_EQ(out.accuracy[0].pointsTotal, 10);
  EXPECT_FALSE(out.accuracy[0].airCoilShort);
}

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

TEST_F(Compute, LocaleSeparatorInCaseFieldsPointInAll) {
  in.separator = ",";
  in.Set("Epr1loa", "0,2");
  in.Set("Epr1lob", "0.4");
  EXPECT_EQ(Run(1), ComputeStatus::Completed);
  ASSERT_EQ(models.calls.size(), 3u);
  EXPECT_EQ(models.calls[0].P1, 0.2 * 0.001);
}

TEST_F(Compute, AFullRegistryRefusesBeforeReadingAnything) {
  out.curveCount = kCurveSlots;
  EXPECT_EQ(Run(1), ComputeStatus::Rejected);
  ASSERT_EQ(out.messages.size(), 1u);
  EXPECT_EQ(out.messages[0].text, kRegistryFullMessage);
  EXPECT_EQ(out.log, kBeforeAnything);
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

}  // namespace
}  // namespace veldo
