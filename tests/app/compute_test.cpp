// The Compute command over fake models: reading order, checks and their messages, the sweep and
// its wiring to every case model, faults, the curve registry and the accuracy report.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "app/compute.hpp"
#include "tests/app/fakes.hpp"

namespace veldo {
namespace {

using test::FakeInput;
using test::FakeModels;
using test::RecordingOutput;

constexpr std::string_view kRangeMessage = "Check if (From <= To) and if (Step > 0)";

class Compute : public ::testing::Test {
protected:
  ComputeStatus Run(int testCase) { return ButtonComputeClick(testCase, in, out, models.Table()); }
  // A coil that encloses the default rods of cases 5 and 6.
  void WideCoil() {
    in.Set("Editr1", "12");
    in.Set("Editr2", "14");
  }
  void ExpectOnlyMessage(MessageKind kind, std::string_view text) {
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].kind, kind);
    EXPECT_EQ(out.messages[0].text, text);
  }
  FakeInput in;
  RecordingOutput out;
  FakeModels models;
};

TEST_F(Compute, DefaultLiftOffSweepOfCaseOne) {
  EXPECT_EQ(Run(1), ComputeStatus::Completed);
  EXPECT_TRUE(out.messages.empty());
  // Ten points from 0.1 to 1.0 mm, the last on To, one model call each.
  const auto calls = models.calls;
  ASSERT_EQ(calls.size(), 10u);
  EXPECT_EQ(calls.front().P1, 0.1 * 0.001);
  EXPECT_EQ(calls.back().P1, 1.0 * 0.001);
  ASSERT_EQ(out.curves.size(), 1u);
  EXPECT_EQ(out.curves[0].colour, kBlue);
  EXPECT_EQ(out.curves[0].points.size(), 10u);
  EXPECT_EQ(out.progressMaximum, 10);
  EXPECT_EQ(out.progressPosition, 10);
  EXPECT_EQ(out.curveCount, 1);
  // X0 = 1e-5 * 200^2 * 1e5 Hz = 40 ohm; L0 = X0 / (2 pi f).
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
  const std::vector<std::string> order{"position 0", "maximum 1", "labels",  "maximum 10",
                                       "begin",      "count",     "accuracy"};
  EXPECT_EQ(out.log, order);
}

TEST_F(Compute, ReadsCommonFieldsThenFrequencyAndFromsThenSweptToAndStepOnly) {
  in.Set("Epr1con1b", "not a number");  // To of a parameter that is not swept: never read
  in.Set("Epr1mr1c", "");
  EXPECT_EQ(Run(1), ComputeStatus::Completed);
  const std::vector<std::string> reads{"Editacc",  "Editr1",  "Editr2",  "Editl",
                                       "EditN",    "Epr1f",   "Epr1loa", "Epr1con1a",
                                       "Epr1mr1a", "Epr1lob", "Epr1loc"};
  EXPECT_EQ(in.reads, reads);
  EXPECT_TRUE(out.messages.empty());
}

TEST_F(Compute, MalformedSweptToFieldIsReportedAfterTheLabels) {
  in.Set("Epr1lob", "1.0x");
  EXPECT_EQ(Run(1), ComputeStatus::Rejected);
  ExpectOnlyMessage(MessageKind::Error, "'1.0x' is not a valid floating point value.");
  EXPECT_EQ(out.labels.first, "       40.000000");
  EXPECT_TRUE(out.curves.empty());
  EXPECT_EQ(out.curveCount, 0);
}

TEST_F(Compute, OnePointForFromEqualToAndForZeroStep) {
  in.Set("Epr1loa", "0.5");
  in.Set("Epr1lob", "0.5");
  EXPECT_EQ(Run(1), ComputeStatus::Completed);
  EXPECT_EQ(models.calls.size(), 1u);
  EXPECT_EQ(out.progressMaximum, 1);

  RecordingOutput second;
  FakeModels fresh;
  in.Set("Epr1lob", "3");
  in.Set("Epr1loc", "0");
  EXPECT_EQ(ButtonComputeClick(1, in, second, fresh.Table()), ComputeStatus::Completed);
  ASSERT_EQ(fresh.calls.size(), 1u);
  EXPECT_EQ(fresh.calls[0].P1, 0.5 * 0.001);
  EXPECT_EQ(second.progressMaximum, 1);
  EXPECT_EQ(second.curves.at(0).points.size(), 1u);
}

TEST_F(Compute, RejectedRangeShowsTheCheckAfterTheLabelsAndMakesNoCurve) {
  for (auto [to, step] : {std::pair{"0.05", "0.1"}, std::pair{"1.0", "-0.1"}}) {
    RecordingOutput o;
    in.Set("Epr1lob", to);
    in.Set("Epr1loc", step);
    EXPECT_EQ(ButtonComputeClick(1, in, o, models.Table()), ComputeStatus::Rejected);
    ASSERT_EQ(o.messages.size(), 1u);
    EXPECT_EQ(o.messages[0].kind, MessageKind::Plain);
    EXPECT_EQ(o.messages[0].text, kRangeMessage);
    EXPECT_EQ(o.labels.first, "       40.000000");
    EXPECT_TRUE(o.curves.empty());
  }
  EXPECT_TRUE(models.calls.empty());
}

TEST_F(Compute, NegativeCoilValuesStopBeforeAnythingElse) {
  for (const char* field : {"Editr1", "Editr2", "Editl"}) {
    FakeInput i;
    RecordingOutput o;
    i.Set(field, "-1");
    EXPECT_EQ(ButtonComputeClick(1, i, o, models.Table()), ComputeStatus::Rejected) << field;
    ASSERT_EQ(o.messages.size(), 1u);
    EXPECT_EQ(o.messages[0].kind, MessageKind::Plain);
    EXPECT_EQ(o.messages[0].text, "Check for negative data values");
    EXPECT_EQ(o.log, std::vector<std::string>{"message"});  // not even the progress bar
  }
  EXPECT_TRUE(models.Untouched());
}

TEST_F(Compute, NegativeFromOfAnyParameterStopsAfterTheProgressReset) {
  in.Set("Epr1mr1a", "-1");  // not swept
  EXPECT_EQ(Run(1), ComputeStatus::Rejected);
  ExpectOnlyMessage(MessageKind::Plain, "Check for negative data values");
  EXPECT_EQ(out.log, (std::vector<std::string>{"position 0", "maximum 1", "message"}));
  EXPECT_TRUE(models.Untouched());

  FakeInput i;
  RecordingOutput o;
  i.Set("Epr1f", "-100");
  EXPECT_EQ(ButtonComputeClick(1, i, o, models.Table()), ComputeStatus::Rejected);
  EXPECT_EQ(o.messages.at(0).text, "Check for negative data values");
}

TEST_F(Compute, NegativeToOrStepIsLeftToTheRangeCheck) {
  in.Set("Epr1lob", "-1");
  EXPECT_EQ(Run(1), ComputeStatus::Rejected);
  ExpectOnlyMessage(MessageKind::Plain, kRangeMessage);
}

TEST_F(Compute, SphereCasesDoNothingAfterTheCommonSteps) {
  for (int c : {7, 8}) {
    FakeInput i;
    RecordingOutput o;
    EXPECT_EQ(ButtonComputeClick(c, i, o, models.Table()), ComputeStatus::NoComputation);
    EXPECT_TRUE(o.messages.empty());
    EXPECT_EQ(o.log, (std::vector<std::string>{"position 0", "maximum 1"}));
    EXPECT_EQ(i.reads.size(), kCommonFields.size());
  }
  EXPECT_TRUE(models.Untouched());
}

// ---- Wiring: every case, every swept parameter -------------------------------------------------

struct WiringCase {
  int testCase;
  int param;
};

void PrintTo(const WiringCase& w, std::ostream* os) {
  *os << "case " << w.testCase << " parameter " << w.param;
}

class Wiring : public ::testing::TestWithParam<WiringCase> {};

TEST_P(Wiring, SweptValueInItsPositionOthersAtTheirFromValues) {
  const auto [testCase, j] = GetParam();
  const CaseDef& caseDef = *FindCase(testCase);
  const ParamDef& swept = caseDef.params[static_cast<std::size_t>(j)];
  FakeInput in;
  FakeModels models;
  RecordingOutput out;
  // Distinct values everywhere so a swapped argument shows; a coil that encloses every rod and
  // fits every bore; each parameter's From distinct from the others, swept over two points.
  in.Set("Editacc", "0.5");
  in.Set("Editr1", "2.5");
  in.Set("Editr2", "3.5");
  in.Set("Editl", "1.5");
  in.Set("EditN", "7");
  in.Set(caseDef.frequencyField, "20");
  std::vector<double> from(caseDef.params.size());
  for (std::size_t i = 0; i < caseDef.params.size(); ++i) {
    // Radii chosen to pass every geometry check: rods below R1, bores above R2, and the layer
    // interface on the conductor's side of B1.
    double v = 0.25 + 0.125 * static_cast<double>(i);
    if (caseDef.params[i].id == Param::B1)
      v = caseDef.model == ModelKind::CylinderOutsideOneLayer ||
                  caseDef.model == ModelKind::CylinderOutsideTwoLayers
              ? 2.0
              : 4.0;
    if (caseDef.params[i].id == Param::B2)
      v = caseDef.model == ModelKind::CylinderOutsideTwoLayers ? 1.0 : 5.0;
    from[i] = v;
    in.Set(caseDef.params[i].fromField, std::to_string(v));
  }
  const double step = 0.0625;
  in.Set(swept.toField, std::to_string(from[static_cast<std::size_t>(j)] + step));
  in.Set(swept.stepField, std::to_string(step));
  in.Select(testCase, swept.selector);

  ASSERT_EQ(ButtonComputeClick(testCase, in, out, models.Table()), ComputeStatus::Completed)
      << (out.messages.empty() ? "" : out.messages[0].text);
  ASSERT_EQ(out.curves.size(), 1u);
  EXPECT_EQ(out.curves[0].colour, swept.colour);
  const auto calls = models.calls;
  ASSERT_EQ(calls.size(), 2u);
  for (int point = 0; point < 2; ++point) {
    const test::ModelArgs& c = calls[static_cast<std::size_t>(point)];
    EXPECT_EQ(c.model, caseDef.model);
    EXPECT_EQ(c.N, 7);
    EXPECT_EQ(c.R1, 2.5 * 0.001);
    EXPECT_EQ(c.R2, 3.5 * 0.001);
    EXPECT_EQ(c.L, 1.5 * 0.001);
    EXPECT_EQ(c.f, 20 * 1000.0);
    const std::vector<double> params = c.Params();
    ASSERT_EQ(params.size(), caseDef.params.size());
    for (std::size_t i = 0; i < caseDef.params.size(); ++i) {
      double want = from[i] * caseDef.params[i].factor;
      if (static_cast<int>(i) == j && point == 1) want = (from[i] + step) * caseDef.params[i].factor;
      EXPECT_DOUBLE_EQ(params[i], want) << caseDef.params[i].name << " at point " << point;
    }
    EXPECT_EQ(c.Acc, 0.5 / 100);
  }
  EXPECT_EQ(out.details[0].param, swept.name);
}

std::vector<WiringCase> AllWirings() {
  std::vector<WiringCase> v;
  for (const CaseDef& c : kCases)
    for (std::size_t j = 0; j < c.params.size(); ++j)
      v.push_back({c.testCase, static_cast<int>(j)});
  return v;
}

INSTANTIATE_TEST_SUITE_P(AllCasesAllParameters, Wiring, ::testing::ValuesIn(AllWirings()),
                         [](const auto& p) {
                           const CaseDef& c = *FindCase(p.param.testCase);
                           return std::string(c.cliName) + "_" +
                                  std::string(
                                      c.params[static_cast<std::size_t>(p.param.param)].name);
                         });

// ---- Geometry refusals --------------------------------------------------------------------------

TEST_F(Compute, RodMustFitInsideTheCoil) {
  // The default coil (R1 = 2 mm) and the default rod (9 mm) of case 5.
  EXPECT_EQ(Run(5), ComputeStatus::Rejected);
  ExpectOnlyMessage(MessageKind::Plain,
                    "Check the geometry: the rod must fit inside the coil (B1 <= R1)");
  EXPECT_TRUE(models.calls.empty());
  EXPECT_TRUE(out.curves.empty());

  // Only the last rod radius of the sweep reaches into the winding.
  FakeInput i;
  RecordingOutput o;
  i.Set("Editr1", "9.7");
  i.Set("Editr2", "14");
  EXPECT_EQ(ButtonComputeClick(5, i, o, models.Table()), ComputeStatus::Rejected);
  EXPECT_EQ(o.messages.at(0).text,
            "Check the geometry: the rod must fit inside the coil (B1 <= R1)");

  // The boundary B1 = R1 is accepted.
  FakeInput edge;
  RecordingOutput e;
  edge.Set("Editr1", "9.8");
  edge.Set("Editr2", "14");
  EXPECT_EQ(ButtonComputeClick(5, edge, e, models.Table()), ComputeStatus::Completed);
  EXPECT_EQ(models.calls.back().P1, 9.8 * 0.001);
}

TEST_F(Compute, CoilMustFitInsideTheBore) {
  in.Set("Editr2", "10.5");  // bore 10.0 .. 11.0 mm
  EXPECT_EQ(Run(3), ComputeStatus::Rejected);
  ExpectOnlyMessage(MessageKind::Plain,
                    "Check the geometry: the coil must fit inside the bore (B1 >= R2)");
  FakeInput edge;
  RecordingOutput e;
  edge.Set("Editr2", "10");
  EXPECT_EQ(ButtonComputeClick(3, edge, e, models.Table()), ComputeStatus::Completed);
  // Case 4 with B2 swept: B1 must still clear the coil.
  FakeInput two;
  RecordingOutput t;
  two.Set("Editr2", "10.5");
  two.Select(4, "RBid2b2");
  EXPECT_EQ(ButtonComputeClick(4, two, t, models.Table()), ComputeStatus::Rejected);
  EXPECT_EQ(t.messages.at(0).text,
            "Check the geometry: the coil must fit inside the bore (B1 >= R2)");
}

TEST_F(Compute, LayerInterfaceMustLieInsideTheConductor) {
  // Case 4: B2 swept from 9 mm with B1 = 10 mm starts inside the bore.
  in.Set("Eid2b2a", "9");
  in.Select(4, "RBid2b2");
  EXPECT_EQ(Run(4), ComputeStatus::Rejected);
  ExpectOnlyMessage(
      MessageKind::Plain,
      "Check the geometry: the layer interface must lie inside the conductor (B2 >= B1)");
  FakeInput edge4;
  RecordingOutput e4;
  edge4.Set("Eid2b2a", "11");  // B1 swept 10 .. 11 reaches B2 = 11: accepted
  EXPECT_EQ(ButtonComputeClick(4, edge4, e4, models.Table()), ComputeStatus::Completed);

  // Case 6: B2 swept up to 10.5 mm with B1 = 10 mm leaves the rod.
  FakeInput six;
  RecordingOutput s;
  six.Set("Editr1", "12");
  six.Set("Editr2", "14");
  six.Set("Eod2b2b", "10.5");
  six.Select(6, "RBod2b2");
  EXPECT_EQ(ButtonComputeClick(6, six, s, models.Table()), ComputeStatus::Rejected);
  EXPECT_EQ(s.messages.at(0).text,
            "Check the geometry: the layer interface must lie inside the rod (B2 <= B1)");
  FakeInput edge6;
  RecordingOutput e6;
  edge6.Set("Editr1", "12");
  edge6.Set("Editr2", "14");
  edge6.Set("Eod2b2a", "10");  // B2 = B1 at the sweep's first point: accepted
  EXPECT_EQ(ButtonComputeClick(6, edge6, e6, models.Table()), ComputeStatus::Completed);
}

// ---- Faults -------------------------------------------------------------------------------------

TEST_F(Compute, ZeroFrequencyFaultsWhenTheInductanceIsFormed) {
  in.Set("Epr1f", "0");
  EXPECT_EQ(Run(1), ComputeStatus::Fault);
  ExpectOnlyMessage(MessageKind::Error, "Invalid floating point operation.");
  EXPECT_TRUE(out.labels.first.empty());  // the labels keep their texts
  EXPECT_TRUE(out.curves.empty());
}

TEST_F(Compute, ACoilTheModelsCannotDescribeIsRefusedBeforeAnyWork) {
  const struct {
    const char* field;
    const char* text;
    std::string_view message;
  } rows[] = {
      {"EditN", "0", kCoilTurnsMessage},
      {"EditN", "-200", kCoilTurnsMessage},
      {"Editr1", "4", kCoilRadiiMessage},
      {"Editr1", "5", kCoilRadiiMessage},
      {"Editl", "0", kCoilHeightMessage},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    FakeInput i;
    i.Set(row.field, row.text);
    RecordingOutput o;
    FakeModels m;
    EXPECT_EQ(ButtonComputeClick(1, i, o, m.Table()), ComputeStatus::Rejected);
    ASSERT_EQ(o.messages.size(), 1u);
    EXPECT_EQ(o.messages[0].kind, MessageKind::Plain);
    EXPECT_EQ(o.messages[0].text, row.message);
    EXPECT_TRUE(m.Untouched());
    EXPECT_TRUE(o.curves.empty());
  }
}

TEST_F(Compute, FaultInTheSweepKeepsEarlierPointsAndCountsTheCurve) {
  volatile double zero = 0.0, big = DBL_MAX;
  models.respond = [&](int call, double& dR, double&, int&) {
    if (call == 2) dR = big * 2.0;
  };
  EXPECT_EQ(Run(1), ComputeStatus::Fault);
  ExpectOnlyMessage(MessageKind::Error, "Floating point overflow.");
  EXPECT_EQ(out.curves.at(0).points.size(), 2u);
  EXPECT_EQ(out.progressPosition, 2);
  EXPECT_EQ(out.curveCount, 1);
  ASSERT_EQ(out.accuracy.size(), 1u);
  EXPECT_EQ(out.accuracy[0].pointsTotal, 2);
  EXPECT_EQ(models.calls.size(), 3u);  // the first fault ends the command

  RecordingOutput o;
  FakeModels m;
  m.respond = [&](int call, double& dR, double&, int&) {
    if (call == 0) dR = 1.0 / zero;
  };
  EXPECT_EQ(ButtonComputeClick(1, in, o, m.Table()), ComputeStatus::Fault);
  EXPECT_EQ(o.messages.at(0).text, "Floating point division by zero.");
  EXPECT_TRUE(o.curves.at(0).points.empty());
}

TEST_F(Compute, ConversionOverflowIsAnArithmeticFault) {
  in.Set("Epr1con1a", "1e305");  // MS/m -> S/m overflows
  EXPECT_EQ(Run(1), ComputeStatus::Fault);
  ExpectOnlyMessage(MessageKind::Error, "Floating point overflow.");
  EXPECT_TRUE(models.Untouched());
}

TEST_F(Compute, FlagsLeftRaisedBeforeTheCommandAreNotItsFaults) {
  volatile double zero = 0.0;
  volatile double junk = 0.0 / zero;  // raises FE_INVALID
  (void)junk;
  EXPECT_EQ(Run(1), ComputeStatus::Completed);
  EXPECT_TRUE(out.messages.empty());
}

// ---- Mends --------------------------------------------------------------------------------------

TEST_F(Compute, MalformedOrEmptyCommonFieldsEndTheCommand) {
  const std::pair<const char*, const char*> cases[] = {
      {"Editacc", ""}, {"Editr1", "abc"}, {"Editr2", "4,0"}, {"Editl", "inf"}};
  for (auto [field, text] : cases) {
    FakeInput i;
    RecordingOutput o;
    i.Set(field, text);
    EXPECT_EQ(ButtonComputeClick(1, i, o, models.Table()), ComputeStatus::Rejected) << field;
    ASSERT_EQ(o.messages.size(), 1u);
    EXPECT_EQ(o.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(o.messages[0].text,
              "'" + std::string(text) + "' is not a valid floating point value.");
  }
  FakeInput i;
  RecordingOutput o;
  i.Set("EditN", "2.5");
  EXPECT_EQ(ButtonComputeClick(1, i, o, models.Table()), ComputeStatus::Rejected);
  EXPECT_EQ(o.messages.at(0).text, "'2.5' is not a valid integer value.");
  EXPECT_TRUE(models.Untouched());
}

TEST_F(Compute, AccuracyTheQuadratureRefusesEndsTheCommandFirst) {
  in.Set("Editacc", "1e-12");  // 1e-14 as a fraction
  EXPECT_EQ(Run(1), ComputeStatus::Rejected);
  ExpectOnlyMessage(MessageKind::Plain, std::string(kAccuracyMessage));
  EXPECT_EQ(out.log, std::vector<std::string>{"message"});
  in.Set("Editacc", "-0.01");
  RecordingOutput o;
  EXPECT_EQ(ButtonComputeClick(1, in, o, models.Table()), ComputeStatus::Rejected);
  in.Set("Editacc", "1.110222e-12");
  RecordingOutput below;
  EXPECT_EQ(ButtonComputeClick(1, in, below, models.Table()), ComputeStatus::Rejected);
  in.Set("Editacc", "1.110223e-12");  // the boundary the message names
  RecordingOutput ok;
  EXPECT_EQ(ButtonComputeClick(1, in, ok, models.Table()), ComputeStatus::Completed);
}

TEST_F(Compute, InfinityAndNanInCaseFieldsAreConversionErrors) {
  for (const char* text : {"inf", "nan", "1e999", "-INF"}) {
    FakeInput i;
    RecordingOutput o;
    i.Set("Epr1f", text);
    EXPECT_EQ(ButtonComputeClick(1, i, o, models.Table()), ComputeStatus::Rejected);
    EXPECT_EQ(o.messages.at(0).text,
              "'" + std::string(text) + "' is not a valid floating point value.");
  }
}

TEST_F(Compute, LocaleSeparatorInCaseFieldsPointInAll) {
  in.separator = ",";
  in.Set("Epr1loa", "0,2");
  in.Set("Epr1lob", "0.4");
  EXPECT_EQ(Run(1), ComputeStatus::Completed);
  EXPECT_EQ(models.calls.size(), 3u);
  EXPECT_EQ(models.calls[0].P1, 0.2 * 0.001);
}

TEST_F(Compute, FullRegistryRefusesBeforeAnyWork) {
  out.curveCount = 101;
  EXPECT_EQ(Run(1), ComputeStatus::Rejected);
  ExpectOnlyMessage(MessageKind::Plain, std::string(kRegistryFullMessage));
  EXPECT_TRUE(in.reads.empty());
  EXPECT_TRUE(models.Untouched());
  RecordingOutput last;
  last.curveCount = 100;  // the last free slot
  EXPECT_EQ(ButtonComputeClick(1, in, last, models.Table()), ComputeStatus::Completed);
  EXPECT_EQ(last.curveCount, 101);
}

TEST_F(Compute, TooFineASweepIsRefusedBeforeAnyPoint) {
  in.Set("Epr1loc", "1e-9");
  EXPECT_EQ(Run(1), ComputeStatus::Rejected);
  ExpectOnlyMessage(MessageKind::Plain, std::string(kTooManyPointsMessage));
  EXPECT_TRUE(models.calls.empty());
}

TEST_F(Compute, AccuracyReportCountsShortPointsAndTheAirCoil) {
  models.airCoilIer = 1;
  models.respond = [](int call, double&, double&, int& Ier) { Ier = call % 3 == 0 ? 2 : 0; };
  EXPECT_EQ(Run(1), ComputeStatus::Completed);
  ASSERT_EQ(out.accuracy.size(), 1u);
  EXPECT_EQ(out.accuracy[0].pointsShort, 4);  // calls 0, 3, 6, 9
  EXPECT_EQ(out.accuracy[0].pointsTotal, 10);
  EXPECT_TRUE(out.accuracy[0].airCoilShort);
  EXPECT_EQ(out.curves[0].points.size(), 10u);  // plotted all the same
}

TEST_F(Compute, RadiusSweepOfElevenPointsFillsTheProgressBar) {
  in.Set("Editr2", "4");
  EXPECT_EQ(Run(3), ComputeStatus::Completed);  // 10.0 .. 11.0 mm by 0.1
  EXPECT_EQ(models.calls.size(), 11u);
  EXPECT_EQ(out.progressMaximum, 11);
  EXPECT_EQ(out.progressPosition, 11);
}

TEST_F(Compute, SeparatedHalvesGiveTheSamePointsAsTheCommand) {
  WideCoil();
  SweepPlan plan;
  RecordingOutput prep;
  ASSERT_EQ(PrepareSweep(6, in, prep, models.Table(), plan), ComputeStatus::Completed);
  EXPECT_EQ(plan.range.count, 6);
  EXPECT_EQ(plan.colour, kBlue);
  // Points may be evaluated in any order; each stands alone.
  const PointResult last = EvaluatePoint(plan, 5);
  const PointResult first = EvaluatePoint(plan, 0);
  EXPECT_EQ(first.value, 10 * 0.001);
  EXPECT_EQ(last.value, 10.5 * 0.001);
  EXPECT_EQ(first.fault, FpFault::None);
  EXPECT_EQ(RunSweep(plan, prep), ComputeStatus::Completed);
  ASSERT_EQ(prep.curves.size(), 1u);
  EXPECT_EQ(prep.curves[0].points.front().first, first.x);
  EXPECT_EQ(prep.curves[0].points.back().second, last.y);
}

}  // namespace
}  // namespace veldo
