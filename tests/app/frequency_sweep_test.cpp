// Frequency sweeps and logarithmic sweeps of the Compute command: the logarithmic values and
// their count, the frequency row wired to every case model with the other fields fixed, each
// point normalised by the coil's reactance in air at its own frequency, the refusals of a bad
// logarithmic Step, and the curve's record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "app/compute.hpp"
#include "tests/app/fakes.hpp"

namespace veldo {
namespace {

using test::FakeInput;
using test::FakeModels;
using test::RecordingOutput;
using Fields = std::vector<std::pair<const char*, const char*>>;

// ---------------------------------------------------------------------------------------------
// Logarithmic sweep values: From * 10^(i/k), the count from the decades spanned, the last value To
// itself when the range holds a whole number of steps.

struct LogRange {
  const char* name;
  double from, to, perDecade;
  int count;
  bool endsOnTo;  // the last value is To exactly
};

void PrintTo(const LogRange& r, std::ostream* os) { *os << r.name; }

const LogRange kLogRanges[] = {
    {"1 kHz to 10 MHz at 10 per decade", 1, 10000, 10, 41, true},
    {"the same range in hertz", 1000, 1e7, 10, 41, true},
    {"one decade at one point", 2, 20, 1, 2, true},
    {"three decades at 3 per decade from 0.1", 0.1, 100, 3, 10, true},
    {"part of a decade", 1, 5, 10, 7, false},
    {"From = To", 7.5, 7.5, 10, 1, true},
    {"just short of a step", 1, 1.2589, 10, 1, false},
    {"a step reached within the slack", 1, 1.25892541179416, 10, 2, true},
};

class LogSweep : public ::testing::TestWithParam<LogRange> {};

TEST_P(LogSweep, CountValuesAndLastPoint) {
  const LogRange& r = GetParam();
  const std::optional<SweepRange> range = MakeLogSweep(r.from, r.to, r.perDecade);
  ASSERT_TRUE(range);
  ASSERT_EQ(range->count, r.count);
  EXPECT_EQ(range->Value(0), r.from);
  for (int i = 1; i < range->count; ++i) {
    const long double exact = r.from * std::pow(10.0L, static_cast<long double>(i) / r.perDecade);
    const double v = range->Value(i);
    if (i < range->count - 1 || !r.endsOnTo) {  // within an ulp
      EXPECT_NEAR(v, static_cast<double>(exact), 2.3e-16 * v) << "point " << i;
    }
    EXPECT_GT(v, range->Value(i - 1)) << "point " << i;
    EXPECT_LE(v, r.to) << "point " << i;
  }
  EXPECT_EQ(range->Value(range->count - 1) == r.to, r.endsOnTo);
}

INSTANTIATE_TEST_SUITE_P(Ranges, LogSweep, ::testing::ValuesIn(kLogRanges));

TEST(LogSweepLimits, MoreThanAMillionPointsAreRefused) {
  EXPECT_FALSE(MakeLogSweep(1, 1e300, 4000));  // 1.2 million points
  EXPECT_TRUE(MakeLogSweep(1, 1e300, 3000));   // 900 001
}

// ---------------------------------------------------------------------------------------------
// The command: the window's defaults with the frequency row's To and Step at theirs.

FakeInput Defaults() {
  FakeInput in;
  for (const CaseDef& c : kCases)
    if (!c.params.empty()) {
      in.Set(c.frequency.toField, std::string(c.frequency.toDefault));
      in.Set(c.frequency.stepField, std::string(c.frequency.stepDefault));
    }
  return in;
}

// Selects one row of a case: a parameter's or the frequency's.
void Select(FakeInput& in, const CaseDef& c, const ParamDef& row) {
  for (const ParamDef& p : c.params) in.selected.erase(std::string(p.selector));
  in.selected.erase(std::string(c.frequency.selector));
  in.selected.insert(std::string(row.selector));
}

// The coil of cases 5 and 6 enclosing their default rods.
void Widen(FakeInput& in, int testCase) {
  if (testCase == 5 || testCase == 6) {
    in.Set("Editr1", "12");
    in.Set("Editr2", "14");
  }
}

// Records the curve's description besides everything else.
class DescribingOutput : public RecordingOutput {
public:
  void CurveDescribed(const CurveInfo& info) override {
    infos.push_back(info);
    log.push_back("described");
  }
  std::vector<CurveInfo> infos;
};

class FrequencyRow : public ::testing::TestWithParam<int> {};

// The default frequency row sweeps two decades at ten per decade: 21 points From * 10^(i/10), each
// passed to the model in hertz with every other parameter at its From value, each normalised by
// the stand-in air coil's reactance at that frequency (X0 = 1e-8 N^2 f ohm, as the real one, in
// proportion to f); the labels keep X0 and L0 = X0 / (2 pi f) at From.
TEST_P(FrequencyRow, SweepsTheFrequencyWithTheOtherFieldsFixed) {
  const CaseDef& c = *FindCase(GetParam());
  FakeInput in = Defaults();
  Widen(in, c.testCase);
  Select(in, c, c.frequency);
  FakeModels models;
  DescribingOutput out;
  ASSERT_EQ(ButtonComputeClick(c.testCase, in, out, models.Table()), ComputeStatus::Completed);

  const double fFrom = std::stod(std::string(c.frequencyDefault));
  ASSERT_EQ(out.curves.size(), 1u);
  EXPECT_EQ(out.curves[0].colour, kBlack);
  ASSERT_EQ(out.details.size(), 21u);
  ASSERT_EQ(models.calls.size(), 21u);
  EXPECT_EQ(out.progressMaximum, 21);
  const double N2 = 200.0 * 200.0;
  const double X0From = 1e-8 * N2 * fFrom * 1000;
  EXPECT_DOUBLE_EQ(out.airCoil.first, X0From);
  EXPECT_DOUBLE_EQ(out.airCoil.second, X0From / (2 * std::numbers::pi * fFrom * 1000));
  EXPECT_EQ(models.airCoilCalls, 1);

  std::vector<double> fixed;
  for (const ParamDef& p : c.params) fixed.push_back(std::stod(std::string(p.fromDefault)) * p.factor);
  for (std::size_t i = 0; i < out.details.size(); ++i) {
    const auto& d = out.details[i];
    const double fkHz = fFrom * std::pow(10.0, static_cast<double>(i) / 10);
    EXPECT_EQ(d.param, "f");
    EXPECT_NEAR(d.value, fkHz, 1e-15 * fkHz) << i;
    EXPECT_NEAR(models.calls[i].f, fkHz * 1000, 1e-15 * fkHz * 1000) << i;
    EXPECT_EQ(models.calls[i].Params(), fixed) << i;
    // dR = -1e-3 N^2 and dX = -2e-3 N^2 at every frequency: normalised by X0(f), x falls as 1/f.
    const double X0 = 1e-8 * N2 * models.calls[i].f;
    EXPECT_NEAR(d.X0, X0, 1e-15 * X0) << i;
    EXPECT_NEAR(d.x, -1e-3 * N2 / X0, 1e-15 * std::fabs(d.x)) << i;
    EXPECT_NEAR(d.y, (-2e-3 * N2 + X0) / X0, 1e-15 * std::fabs(d.y) + 1e-15) << i;
  }
  EXPECT_EQ(out.details.back().value, fFrom * 100);  // To itself
  EXPECT_EQ(models.calls.back().f, fFrom * 100 * 1000);
  // The From point is normalised by the labels' X0 itself.
  EXPECT_EQ(out.details.front().X0, out.airCoil.first);
}

// Sweeping the frequency from one value gives, bit for bit, the point of a sweep of the first
// parameter over its From value alone: the same model inputs and the same X0.
TEST_P(FrequencyRow, FirstPointIsThePointOfAnyOtherSweepAtFrom) {
  const CaseDef& c = *FindCase(GetParam());
  FakeInput in = Defaults();
  Widen(in, c.testCase);
  in.Set(c.params[0].toField, std::string(c.params[0].fromDefault));
  RecordingOutput single, swept;
  FakeModels a, b;
  ASSERT_EQ(ButtonComputeClick(c.testCase, in, single, a.Table()), ComputeStatus::Completed);
  Select(in, c, c.frequency);
  ASSERT_EQ(ButtonComputeClick(c.testCase, in, swept, b.Table()), ComputeStatus::Completed);
  ASSERT_EQ(single.curves[0].points.size(), 1u);
  ASSERT_GT(swept.curves[0].points.size(), 1u);
  EXPECT_EQ(swept.curves[0].points[0], single.curves[0].points[0]);
  EXPECT_EQ(swept.labels, single.labels);
}

INSTANTIATE_TEST_SUITE_P(EveryCase, FrequencyRow, ::testing::Values(1, 2, 3, 4, 5, 6, 9),
                         [](const auto& p) { return "Case" + std::to_string(p.param); });

// ---------------------------------------------------------------------------------------------
// Linear and logarithmic sweeps of the frequency and of the other parameters, and the refusals of
// a bad logarithmic Step, all in case 1.

struct Sweep {
  const char* name;
  const char* selector;
  Fields fields;
  std::string message;            // "" for a curve; error-box texts end with a full stop
  std::vector<double> values;     // the swept values in the window's unit (first ones)
  int count = 0;
};

void PrintTo(const Sweep& s, std::ostream* os) { *os << s.name; }

std::string NotAFloat(const std::string& text) {
  return "'" + text + "' is not a valid floating point value.";
}
const std::string kRange(kCheckRangeMessage), kLogFrom(kLogFromMessage), kLogStep(kLogStepMessage);

const Sweep kSweeps[] = {
    {"linear frequency", "RBpr1f", {{"Epr1f", "100"}, {"Epr1fb", "500"}, {"Epr1fc", "100"}}, "",
     {100, 200, 300, 400, 500}, 5},
    {"frequency at one point per decade", "RBpr1f", {{"Epr1f", "1"}, {"Epr1fb", "10000"}, {"Epr1fc", "1/dec"}},
     "", {1, 10, 100, 1000, 10000}, 5},
    {"spaces and capitals around the suffix", "RBpr1f", {{"Epr1f", "1"}, {"Epr1fb", "100"}, {"Epr1fc", " 2 /DEC "}},
     "", {1}, 5},
    {"logarithmic conductivity", "RBpr1con1", {{"Epr1con1a", "1"}, {"Epr1con1b", "100"}, {"Epr1con1c", "1/dec"}},
     "", {1, 10, 100}, 3},
    {"logarithmic lift-off", "RBpr1lo", {{"Epr1loa", "0.01"}, {"Epr1lob", "1"}, {"Epr1loc", "2/dec"}}, "",
     {0.01}, 5},
    {"logarithmic lift-off from 0", "RBpr1lo", {{"Epr1loa", "0"}, {"Epr1loc", "10/dec"}}, kLogFrom, {}, 0},
    {"no points per decade", "RBpr1f", {{"Epr1fc", "0/dec"}}, kLogStep, {}, 0},
    {"a fraction of points per decade", "RBpr1f", {{"Epr1fc", "2.5/dec"}}, kLogStep, {}, 0},
    {"negative points per decade", "RBpr1f", {{"Epr1fc", "-10/dec"}}, kRange, {}, 0},
    {"logarithmic From above To", "RBpr1f", {{"Epr1f", "1000"}, {"Epr1fb", "100"}}, kRange, {}, 0},
    {"too many points per decade", "RBpr1f", {{"Epr1fc", "1e9/dec"}}, std::string(kTooManyPointsMessage), {}, 0},
    {"no number before the suffix", "RBpr1f", {{"Epr1fc", "/dec"}}, NotAFloat("/dec"), {}, 0},
    {"text before the suffix", "RBpr1f", {{"Epr1fc", "ten/dec"}}, NotAFloat("ten/dec"), {}, 0},
    {"another suffix", "RBpr1f", {{"Epr1fc", "10/decade"}}, NotAFloat("10/decade"), {}, 0},
    {"malformed To of the frequency", "RBpr1f", {{"Epr1fb", "1e4x"}}, NotAFloat("1e4x"), {}, 0},
    {"frequency To not read unless swept", "RBpr1lo", {{"Epr1fb", "x"}, {"Epr1fc", "y/dec"}}, "", {0.1}, 10},
};

class Sweeps : public ::testing::TestWithParam<Sweep> {};

TEST_P(Sweeps, ValuesOrMessage) {
  const Sweep& s = GetParam();
  FakeInput in = Defaults();
  Select(in, *FindCase(1), FindCase(1)->params[0]);
  in.selected.erase("RBpr1lo");
  in.selected.insert(s.selector);
  for (const auto& [field, text] : s.fields) in.Set(field, text);
  FakeModels models;
  RecordingOutput out;
  const ComputeStatus status = ButtonComputeClick(1, in, out, models.Table());
  if (!s.message.empty()) {
    EXPECT_EQ(status, ComputeStatus::Rejected);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, s.message);
    EXPECT_EQ(out.messages[0].kind, s.message.back() == '.' ? MessageKind::Error : MessageKind::Plain);
    EXPECT_TRUE(out.curves.empty());
    EXPECT_TRUE(models.calls.empty());
    EXPECT_NE(out.labels.first, "");  // the labels already show the new air-coil values
    return;
  }
  ASSERT_EQ(status, ComputeStatus::Completed);
  ASSERT_EQ(out.details.size(), static_cast<std::size_t>(s.count));
  for (std::size_t i = 0; i < s.values.size(); ++i)
    EXPECT_NEAR(out.details[i].value, s.values[i], 1e-15 * s.values[i]) << i;
  EXPECT_EQ(models.calls.size(), out.details.size());
}

INSTANTIATE_TEST_SUITE_P(Case1, Sweeps, ::testing::ValuesIn(kSweeps));

// ---------------------------------------------------------------------------------------------
// The curve's record: what was swept and how, what was held fixed, and the air-coil values.

TEST(CurveRecord, DescribesTheSweepTheFixedFieldsAndTheCoil) {
  struct Row {
    const char* selector;
    Fields fields;
    const char* param;
    const char* unit;
    double from, to, step;
    bool logarithmic;
    const char* stepText;
    int points;
    std::vector<std::string> fixed;  // names of the fields held fixed, in order
    Rgb colour;
  };
  const Row rows[] = {
      {"RBpr1f", {}, "f", "kHz", 100, 10000, 10, true, "10/dec", 21, {"LO", "CON1", "MR1"}, kBlack},
      {"RBpr1lo", {}, "LO", "mm", 0.2, 1.0, 0.1, false, "0.1", 9, {"f", "CON1", "MR1"}, kBlue},
      {"RBpr1con1", {{"Epr1con1c", "5/dec"}, {"Epr1con1a", "1,5"}}, "CON1", "MS/m", 1.5, 10, 5, true, "5/dec", 5,
       {"f", "LO", "MR1"}, kRed},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.selector);
    FakeInput in = Defaults();
    in.separator = ",";
    in.Set("Epr1loa", "0.2");
    in.Set("Editr2", "5");
    for (const auto& [field, text] : r.fields) in.Set(field, text);
    in.selected.erase("RBpr1lo");
    in.selected.insert(r.selector);
    FakeModels models;
    DescribingOutput out;
    ASSERT_EQ(ButtonComputeClick(1, in, out, models.Table()), ComputeStatus::Completed);
    ASSERT_EQ(out.infos.size(), 1u);
    // Given just before the curve begins.
    const auto begin = std::find(out.log.begin(), out.log.end(), "begin");
    ASSERT_NE(begin, out.log.begin());
    EXPECT_EQ(*(begin - 1), "described");
    const ComputeOutput::CurveInfo& info = out.infos[0];
    EXPECT_EQ(info.testCase, 1);
    EXPECT_EQ(info.caseName, "planar1");
    EXPECT_EQ(info.param, r.param);
    EXPECT_EQ(info.unit, r.unit);
    EXPECT_EQ(info.from, r.from);
    EXPECT_EQ(info.to, r.to);
    EXPECT_EQ(info.step, r.step);
    EXPECT_EQ(info.logarithmic, r.logarithmic);
    EXPECT_EQ(info.stepText, r.stepText);
    EXPECT_EQ(info.points, r.points);
    EXPECT_EQ(info.colour, r.colour);
    EXPECT_EQ(info.Acc, 0.01 / 100);
    EXPECT_EQ(info.X0, out.airCoil.first);
    EXPECT_EQ(info.L0, out.airCoil.second);

    std::vector<std::string> names;
    for (const auto& v : info.fixed) names.emplace_back(v.name);
    EXPECT_EQ(names, r.fixed);
    for (const auto& v : info.fixed) {
      EXPECT_EQ(v.text, in.texts.at(std::string(v.field))) << v.name;
      if (v.name == "LO") {  // changed from its default, and kept in the window's unit
        EXPECT_EQ(v.value, 0.2);
        EXPECT_EQ(v.defaultText, "0.1");
      }
    }
    ASSERT_EQ(info.coil.size(), kCommonFields.size());
    for (std::size_t k = 0; k < kCommonFields.size(); ++k) {
      EXPECT_EQ(info.coil[k].field, kCommonFields[k].name);
      EXPECT_EQ(info.coil[k].defaultText, kCommonFields[k].defaultText);
    }
    EXPECT_EQ(info.coil[kFieldR2].name, "R2");
    EXPECT_EQ(info.coil[kFieldR2].text, "5");
    EXPECT_EQ(info.coil[kFieldR2].value, 5);
    EXPECT_EQ(info.coil[kFieldN].value, 200);
    EXPECT_EQ(info.coil[kFieldAcc].value, 0.01);
  }
}

// On several threads the frequency sweep's outputs are those of one thread, call for call and bit
// for bit (the per-point reactance included).
TEST(FrequencyParallel, SameOutputsOnAnyNumberOfThreads) {
  const ModelTable models = test::StandInModels(
      [](int N, double, double, double, double f, double, double& X0, int& Ier) {
        X0 = 1e-8 * N * N * f;
        Ier = 0;
      },
      [](const test::ModelArgs& a, double& dR, double& dX, int& Ier) {
        dR = -std::sqrt(a.f) * a.P1;
        dX = -std::log(a.f) * a.CON1 * 1e-9;
        Ier = a.f > 1e6 ? 1 : 0;
      });
  FakeInput in = Defaults();
  in.Set("Epr1f", "1");
  in.Set("Epr1fb", "10000");
  Select(in, *FindCase(1), FindCase(1)->frequency);
  RecordingOutput serial;
  ASSERT_EQ(ButtonComputeClick(1, in, serial, models, 1), ComputeStatus::Completed);
  ASSERT_EQ(serial.details.size(), 41u);
  for (int threads : {2, 3, 8}) {
    RecordingOutput parallel;
    ASSERT_EQ(ButtonComputeClick(1, in, parallel, models, threads), ComputeStatus::Completed);
    EXPECT_EQ(parallel.trace, serial.trace) << threads;
    for (std::size_t i = 0; i < serial.details.size(); ++i)
      EXPECT_EQ(parallel.details[i].X0, serial.details[i].X0) << i;
  }
}

}  // namespace
}  // namespace veldo
