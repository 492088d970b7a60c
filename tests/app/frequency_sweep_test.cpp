// Frequency and logarithmic sweeps of the Compute command (their values and count: the sweep
// ranges of parse_format_test): the frequency row of every case with each point normalised by the
// reactance in air at its own frequency, the refusals of a bad logarithmic Step, and the curve's
// record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "app/compute.hpp"
#include "tests/app/fakes.hpp"
#include "tests/support/test_support.hpp"

namespace veldo {
namespace {

using test::FakeInput;
using test::FakeModels;
using test::RecordingOutput;

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

}  // namespace
}  // namespace veldo
