// Stand-ins for the window and the models: an input with the window's default texts, an output
// that records every call in order, and model functions that record their arguments.
#pragma once

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/compute.hpp"
#include "app/field_texts.hpp"
#include "tests/support/stand_in_models.hpp"

namespace veldo::test {

// The window's fields of every case with their default texts, the first row of each selected.
class FakeInput : public ComputeInput {
public:
  FakeInput() {
    for (const CaseDef& c : kCases) {
      if (c.params.empty()) continue;
      const CaseFieldTexts defaults(c);
      texts.insert(defaults.texts.begin(), defaults.texts.end());
      selected.insert(defaults.selector);
    }
  }

  std::string FieldText(std::string_view name) const override {
    reads.emplace_back(name);
    const auto it = texts.find(std::string(name));
    return it == texts.end() ? std::string() : it->second;
  }
  bool IsSelected(std::string_view radioName) const override {
    return selected.count(std::string(radioName)) > 0;
  }
  std::string DecimalSeparator() const override { return separator; }

  // Selects one sweep selector of a case (the others of that case are cleared).
  void Select(int testCase, std::string_view selector) {
    for (const ParamDef& p : FindCase(testCase)->params) selected.erase(std::string(p.selector));
    selected.insert(std::string(selector));
  }
  void Set(std::string_view field, std::string text) {
    texts[std::string(field)] = std::move(text);
  }
  // A data table's cells: fields as "FIELD=TEXT;FIELD=TEXT", and a selector of the case ("-":
  // leave the case's first; "": none selected).
  void SetAll(const std::string& fields) {
    for (std::size_t at = 0; at < fields.size();) {
      const std::size_t semi = std::min(fields.find(';', at), fields.size()), eq = fields.find('=', at);
      Set(fields.substr(at, eq - at), fields.substr(eq + 1, semi - eq - 1));
      at = semi + 1;
    }
  }
  void Choose(int testCase, const std::string& selector) {
    if (selector == "-") return;
    Select(testCase, selector);
    if (selector.empty()) selected.erase("");
  }

  std::map<std::string, std::string> texts;
  std::set<std::string> selected;
  std::string separator = ".";
  mutable std::vector<std::string> reads;
};

struct Curve {
  Rgb colour;
  std::vector<std::pair<double, double>> points;
};

// Records what the command writes. `log` keeps the order of the calls that shape a command's
// course; `trace` keeps every call with every argument, the doubles in hexadecimal, so two runs
// compare call for call and bit for bit.
class RecordingOutput : public ComputeOutput {
public:
  void ShowMessage(MessageKind kind, const std::string& text) override {
    messages.push_back({kind, text});
    Log("message", (kind == MessageKind::Error ? "error " : "plain ") + text);
  }
  void SetAirCoilLabels(const std::string& reactance, const std::string& inductance) override {
    labels = {reactance, inductance};
    Log("labels", reactance + " " + inductance);
  }
  void SetProgressPosition(int position) override {
    progressPosition = position;
    Log("position " + std::to_string(position));
  }
  void SetProgressMaximum(int maximum) override {
    progressMaximum = maximum;
    Log("maximum " + std::to_string(maximum));
  }
  void StepProgress() override {
    if (progressPosition < progressMaximum) ++progressPosition;
    trace.push_back("step");
  }
  int CurveCount() const override { return curveCount; }
  void BeginCurve(Rgb colour) override {
    curves.push_back({colour, {}});
    Log("begin", Hex({double(colour.r), double(colour.g), double(colour.b)}));
  }
  void AddPoint(double x, double y) override {
    curves.back().points.emplace_back(x, y);
    trace.push_back("point " + Hex({x, y}));
  }
  void CountCurve() override {
    ++curveCount;
    Log("count");
  }
  void ReportAccuracy(int pointsShort, int pointsTotal, bool airCoilShort) override {
    accuracy.push_back({pointsShort, pointsTotal, airCoilShort});
    Log("accuracy", Hex({double(pointsShort), double(pointsTotal), double(airCoilShort)}));
  }
  void SweepCancelled(int pointsDone, int pointsTotal) override {
    Log("cancelled " + std::to_string(pointsDone) + " of " + std::to_string(pointsTotal));
  }
  void AirCoilValues(double X0, double L0) override {
    airCoil = {X0, L0};
    trace.push_back("air coil " + Hex({X0, L0}));
  }
  void PointComputed(const PointDetails& p) override {
    details.push_back(p);
    trace.push_back(std::string(p.param) + " " + Hex({p.value, p.dR, p.dX, p.x, p.y, double(p.Ier)}));
  }

  struct Message {
    MessageKind kind;
    std::string text;
  };
  struct Accuracy {
    int pointsShort, pointsTotal;
    bool airCoilShort;
  };
  std::vector<Message> messages;
  std::pair<std::string, std::string> labels;
  int progressPosition = -1, progressMaximum = -1;
  int curveCount = 0;
  std::vector<Curve> curves;
  std::vector<Accuracy> accuracy;
  std::pair<double, double> airCoil{-1, -1};
  std::vector<PointDetails> details;
  std::vector<std::string> log, trace;

private:
  void Log(const std::string& call, const std::string& arguments = "") {
    log.push_back(call);
    trace.push_back(call + " " + arguments);
  }
  static std::string Hex(std::initializer_list<double> values) {
    std::string s;
    char buffer[32];
    for (const double v : values) {
      std::snprintf(buffer, sizeof buffer, "%a ", v);
      s += buffer;
    }
    return s;
  }
};

// Stand-in models that record their calls. The air-coil reactance scales like the real one
// (with N squared and with f); each model returns dR = -1e-3*N*N and dX = -2e-3*N*N unless the
// test sets `respond`. Not re-entrant: for runs on one thread.
struct FakeModels {
  std::vector<ModelArgs> calls;  // the case models' calls, in call order
  int airCoilCalls = 0;
  int airCoilIer = 0;
  // Called with the call number (0-based); may change dR, dX, Ier.
  std::function<void(int call, double& dR, double& dX, int& Ier)> respond;

  bool Untouched() const { return calls.empty() && airCoilCalls == 0; }

  ModelTable Table() {
    return StandInModels(
        [this](int N, double, double, double, double f, double, double& X0, int& Ier) {
          ++airCoilCalls;
          X0 = 1e-8 * N * N * f;
          Ier = airCoilIer;
        },
        [this](const ModelArgs& a, double& dR, double& dX, int& Ier) {
          const int call = static_cast<int>(calls.size());
          calls.push_back(a);
          dR = -1e-3 * a.N * a.N;
          dX = -2e-3 * a.N * a.N;
          Ier = 0;
          if (respond) respond(call, dR, dX, Ier);
        });
  }
};

}  // namespace veldo::test
