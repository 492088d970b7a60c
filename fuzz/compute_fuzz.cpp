// Fuzz target: the Compute command fed arbitrary field texts, selector choices, decimal
// separators and registry fill levels, over cheap stand-in models, through a recording output.
//
// Input layout: byte 0 picks TestCase (0..10: two of them have no case), byte 1 the selected
// sweep (one past the last selects none), byte 2 the decimal separator and how full the curve
// registry is; the rest are field texts separated by 0x1F, given in reading order (Editacc,
// Editr1, Editr2, Editl, EditN, the frequency, then From, To, Step of each parameter). A text
// of a single 0x1E keeps the field's default; fields beyond the last text keep theirs.
//
// Oracle: the command ends with points or with exactly one of the system's messages, and the
// status, the curves and the progress bar agree with how it ended; no point is NaN or infinite;
// on two threads (points in flight while the air-coil reference runs, finishing in any order)
// every output is the serial run's, bit for bit.
#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/compute.hpp"
#include "app/format.hpp"
#include "models/models.hpp"  // the range check's message only
#include "tests/support/stand_in_models.hpp"

namespace {

using namespace veldo;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "compute_fuzz: %s\n", what.c_str());
  std::abort();
}

class Input : public ComputeInput {
public:
  std::string FieldText(std::string_view name) const override {
    const auto it = texts.find(std::string(name));
    return it == texts.end() ? std::string() : it->second;
  }
  bool IsSelected(std::string_view radioName) const override { return radioName == selector; }
  std::string DecimalSeparator() const override { return separator; }

  std::map<std::string, std::string> texts;
  std::string selector, separator = ".";
};

class Output : public ComputeOutput {
public:
  void ShowMessage(MessageKind, const std::string& text) override { messages.push_back(text); }
  void SetAirCoilLabels(const std::string&, const std::string&) override { ++labels; }
  void SetProgressPosition(int p) override { position = p; }
  void SetProgressMaximum(int m) override { maximum = m; }
  void StepProgress() override {
    if (position < maximum) ++position;
    ++steps;
  }
  int CurveCount() const override { return curveCount; }
  void BeginCurve(Rgb) override { ++begun; }
  void AddPoint(double x, double y) override {
    if (begun == 0) Fail("a point without a curve");
    if (!std::isfinite(x) || !std::isfinite(y)) Fail("a point that is not finite");
    ++points;
    xy.push_back(x);
    xy.push_back(y);
  }
  void CountCurve() override { ++curveCount; }
  void ReportAccuracy(int, int pointsTotal, bool) override {
    ++reports;
    if (pointsTotal != points) Fail("the accuracy report miscounts the points");
  }

  auto Outputs() const {
    return std::tie(messages, xy, labels, position, maximum, steps, curveCount, begun, points, reports);
  }

  std::vector<std::string> messages;
  std::vector<double> xy;
  int labels = 0, position = -1, maximum = -1, steps = 0, curveCount = 0, begun = 0, points = 0,
      reports = 0;
};

// Stand-ins with the shape of the real prefactors, so degenerate coils fault as the real models
// do (L = 0 or R1 = R2 divides by zero, huge values overflow), at the cost of a few flops.
ModelTable StubModels() {
  constexpr double kMu0 = 1.2566370614359173e-06;
  // N^2 / (L (R2 - R1))^2 times the winding's area squared: 0/0 or 1/0 for a degenerate one.
  auto turns = [](int N, double R1, double R2, double L) {
    const double n = N;
    return n * n / (L * L * (R2 - R1) * (R2 - R1)) * L * L * (R2 - R1) * (R2 - R1);
  };
  return test::StandInModels(
      [turns](int N, double R1, double R2, double L, double f, double, double& X0, int& Ier) {
        X0 = 6.283185307179586 * f * kMu0 * turns(N, R1, R2, L) * (R1 + R2 + L);
        Ier = 0;
      },
      [turns](const test::ModelArgs& a, double& dR, double& dX, int& Ier) {
        // Two layers act as one of their mean properties behind both thicknesses.
        const double P = a.P1 + a.P2;
        const double CON1 = a.TwoLayers() ? 0.5 * (a.CON1 + a.CON2) : a.CON1;
        const double MR1 = a.TwoLayers() ? 0.5 * (a.MR1 + a.MR2) : a.MR1;
        const double s = 6.283185307179586 * a.f * kMu0 * MR1 * CON1;
        const double w = turns(a.N, a.R1, a.R2, a.L) * kMu0 * a.f * a.R2;
        dR = w * s / (1.0 + s) / (1.0 + P * P * 1e6);
        dX = w * (MR1 - 1.0 - s) / (1.0 + s) / (1.0 + P * P * 1e6);
        Ier = a.Acc < 1e-6 ? 3 : 0;
      });
}

// Every text the command may show, with the field text a conversion message quotes.
bool IsSystemMessage(const std::string& m, const std::set<std::string>& fieldTexts) {
  static const std::set<std::string> fixed = {
      std::string(kNegativeDataMessage),
      std::string(kCheckRangeMessage),
      std::string(kRegistryFullMessage),
      std::string(kAccuracyMessage),
      std::string(kTooManyPointsMessage),
      std::string(kCoilRadiusMessage),
      std::string(kCoilRadiiMessage),
      std::string(kCoilHeightMessage),
      std::string(kCoilTurnsMessage),
      std::string(kRodMessage),
      std::string(kBoreMessage),
      std::string(kBoreLayerMessage),
      std::string(kRodLayerMessage),
      std::string(kLengthRangeMessage),
      std::string(kWindingRangeMessage),
      std::string(kFrequencyRangeMessage),
      std::string(kConductivityRangeMessage),
      std::string(kPermeabilityRangeMessage),
      std::string(kRodRadiusRangeMessage),
      std::string(kLayerThicknessRangeMessage),
      "Floating point division by zero.",
      "Floating point overflow.",
      "Invalid floating point operation.",
  };
  if (fixed.count(m)) return true;
  for (const char* kind : {"' is not a valid floating point value", "' is not a valid integer value"})
    for (const std::string& t : fieldTexts)
      if (m == ErrorBoxText("'" + t + kind)) return true;
  return false;
}

bool IsFaultMessage(const std::string& m) {
  return m == "Floating point division by zero." || m == "Floating point overflow." ||
         m == "Invalid floating point operation.";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int testCase = data[0] % 11;
  const int selectorIndex = data[1] % 7;
  static const char* const kSeparators[] = {".", ",", "\xD9\xAB", "\xC2\xB7"};
  static const int kFill[] = {0, 1, 100, 101};

  Input in;
  Output out;
  in.separator = kSeparators[data[2] & 3];
  out.curveCount = kFill[(data[2] >> 2) & 3];

  // Field names in reading order, all at their defaults.
  std::vector<std::string> order;
  for (const CommonField& c : kCommonFields) {
    order.emplace_back(c.name);
    in.texts[std::string(c.name)] = std::string(c.defaultText);
  }
  const CaseDef* caseDef = FindCase(testCase);
  if (caseDef != nullptr && !caseDef->frequencyField.empty()) {
    order.emplace_back(caseDef->frequencyField);
    in.texts[std::string(caseDef->frequencyField)] = std::string(caseDef->frequencyDefault);
    for (const ParamDef& p : caseDef->params) {
      for (auto [field, text] : {std::pair{p.fromField, p.fromDefault},
                                 std::pair{p.toField, p.toDefault},
                                 std::pair{p.stepField, p.stepDefault}}) {
        order.emplace_back(field);
        in.texts[std::string(field)] = std::string(text);
      }
    }
    if (selectorIndex < static_cast<int>(caseDef->params.size()))
      in.selector = std::string(caseDef->params[static_cast<std::size_t>(selectorIndex)].selector);
  }

  // The texts.
  std::size_t field = 0, start = 3;
  for (std::size_t i = 3; i <= size && field < order.size(); ++i) {
    if (i == size || data[i] == 0x1F) {
      const std::string text(reinterpret_cast<const char*>(data) + start, i - start);
      if (text != "\x1E") in.texts[order[field]] = text;
      ++field;
      start = i + 1;
    }
  }
  std::set<std::string> fieldTexts;
  for (const auto& [name, text] : in.texts) fieldTexts.insert(text);

  const int curvesBefore = out.curveCount;
  const ComputeStatus status = ButtonComputeClick(testCase, in, out, StubModels());
  std::feclearexcept(FE_ALL_EXCEPT);
  Output parallel;
  parallel.curveCount = curvesBefore;
  if (ButtonComputeClick(testCase, in, parallel, StubModels(), 2) != status || parallel.Outputs() != out.Outputs())
    Fail("two threads give other outputs than one");
  std::feclearexcept(FE_ALL_EXCEPT);

  if (out.messages.size() > 1) Fail("more than one message");
  for (const std::string& m : out.messages)
    if (!IsSystemMessage(m, fieldTexts)) Fail("a message the system does not have: " + m);
  if (out.position > out.maximum && out.maximum >= 0) Fail("progress beyond its maximum");
  if (out.begun > 1) Fail("more than one curve");
  if (out.curveCount - curvesBefore != out.begun) Fail("a begun curve is not counted, or vice versa");
  if (out.curveCount > kCurveSlots) Fail("the registry overflowed");
  switch (status) {
    case ComputeStatus::Completed:
      if (!out.messages.empty()) Fail("a completed command showed a message");
      if (out.begun != 1 || out.points < 1) Fail("a completed command without points");
      if (out.steps != out.points) Fail("progress steps and points differ");
      break;
    case ComputeStatus::NoComputation:
      if (!out.messages.empty() || out.begun != 0) Fail("no computation, but output");
      break;
    case ComputeStatus::Rejected:
      if (out.messages.size() != 1 || out.begun != 0) Fail("a rejection without its message");
      break;
    case ComputeStatus::Fault:
      if (out.messages.size() != 1 || !IsFaultMessage(out.messages[0]))
        Fail("a fault without its message");
      break;
    default:  // a cancelled sweep: nothing here asks to stop
      Fail("a command ended in a way no input asked for");
  }
  return 0;
}
