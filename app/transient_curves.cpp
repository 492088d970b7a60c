#include "app/transient_curves.hpp"

#include <cmath>
#include <cstdio>
#include <iterator>

#include "app/compute.hpp"
#include "app/format.hpp"
#include "app/fp_guard.hpp"
#include "app/layered_form.hpp"
#include "app/parse.hpp"
#include "app/probe_connection.hpp"

namespace veldo {
namespace {

std::string Short(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", v);
  return buffer;
}

std::optional<double> Number(const std::string& text, const std::string& separator) {
  auto v = ParseStrictReal(text, separator);
  if (!v && separator != ".") v = ParseStrictReal(text, ".");
  return v && std::isfinite(*v) ? v : std::nullopt;
}

std::string NotANumber(const std::string& text, const char* what) {
  return "Check the time domain: '" + text + "' is not a number (" + what + ")";
}

// The curves of one command in colours apart, so that decays that run together until their
// tails part stay told apart: the swept path's colour first, then the others in turn.
Rgb CurveColour(Rgb first, std::size_t k) {
  static constexpr Rgb kTurns[] = {kBlue, kRed, kGreen, kFuchsia, kBlack, {0, 160, 160}, {255, 128, 0}, {128, 0, 128}};
  constexpr std::size_t n = std::size(kTurns);
  std::size_t start = 0;
  while (start < n && !(kTurns[start].r == first.r && kTurns[start].g == first.g && kTurns[start].b == first.b)) ++start;
  if (start == n) return k == 0 ? first : kTurns[(k - 1) % n];
  return kTurns[(start + k) % n];
}

}  // namespace

std::variant<TransientTimes, std::string> MakeTransientTimes(double from, double to, double perDecade) {
  if (!(from > 0) || !(from <= to) || !std::isfinite(to)) return std::string("Check the times: FROM must be above 0 and not above TO");
  if (!(perDecade >= 1) || perDecade != std::floor(perDecade)) return std::string(kLogStepMessage);
  const auto sweep = MakeLogSweep(from, to, perDecade);
  if (!sweep) return std::string(kTooManyPointsMessage);
  TransientTimes out{*sweep, {}};
  for (int i = 0; i < sweep->count; ++i) out.t.push_back(sweep->Value(i) * 1e-3);
  return out;
}

std::variant<TransientInputs, std::string> ReadTransientTexts(const TransientTexts& texts, const std::string& separator) {
  const auto from = Number(texts.from, separator), to = Number(texts.to, separator);
  const auto perDecade = Number(texts.perDecade, separator);
  if (!from) return NotANumber(texts.from, "the first time, ms");
  if (!to) return NotANumber(texts.to, "the last time, ms");
  if (!perDecade) return NotANumber(texts.perDecade, "times per decade");
  auto times = MakeTransientTimes(*from, *to, *perDecade);
  if (auto* message = std::get_if<std::string>(&times)) return *message;
  TransientInputs in{std::get<TransientTimes>(std::move(times)), {}, "step-off"};
  if (texts.waveform == 1) {
    const auto width = Number(texts.width, separator);
    if (!width) return NotANumber(texts.width, "the pulse width, ms");
    in.waveform = {Waveform::Pulse, *width * 1e-3, {}, {}};
    in.waveformText = "pulse " + texts.width + " ms";
  } else if (texts.waveform == 2) {
    in.waveform.kind = Waveform::Samples;
    std::string item;
    auto take = [&]() -> std::optional<std::string> {
      if (item.empty()) return std::nullopt;
      const std::size_t colon = item.find(':');
      const auto t = colon == std::string::npos ? std::nullopt : Number(item.substr(0, colon), separator);
      const auto i = colon == std::string::npos ? std::nullopt : Number(item.substr(colon + 1), separator);
      if (!t || !i) return "Check the time domain: '" + item + "' is not a sample t:i (ms, A)";
      in.waveform.times.push_back(*t * 1e-3);
      in.waveform.currents.push_back(*i);
      item.clear();
      return std::nullopt;
    };
    for (const char c : texts.samples + " ") {
      if (c == ' ' || c == ';' || c == '\t' || c == '\n') {
        if (auto message = take()) return *message;
      } else {
        item += c;
      }
    }
    in.waveformText = "samples (" + std::to_string(in.waveform.times.size()) + ")";
  }
  return in;
}

TransientCurves TransientSweep(const ProblemSweep& s, const TransientInputs& in, const CurveRecord& head,
                               const Units& units, int slotsFree) {
  TransientCurves out;
  const WiringTerms wiring = TermsOf(s.wiring, s.problem.probe);
  if (wiring.refusal) return out.message = *wiring.refusal, out;
  if (!(s.Acc >= kMinAcc)) return out.message = kAccuracyMessage, out;
  // Every curve's problem, and its value in the units shown.
  struct Curve {
    Problem problem;
    double value;
    int familyIndex;
  };
  auto problems = SweepProblems(s);
  if (auto* refusal = std::get_if<std::string>(&problems)) return out.message = *refusal, out;
  std::vector<Curve> curves;
  for (std::size_t k = 0; k < std::get<0>(problems).size(); ++k)
    for (int i = 0; i < s.range.count; ++i)
      curves.push_back({std::get<0>(problems)[k][static_cast<std::size_t>(i)], s.range.Value(i),
                        s.family.empty() ? -1 : static_cast<int>(k)});
  if (static_cast<int>(curves.size()) > slotsFree) return out.message = kRegistryFullMessage, out;
  for (const Curve& c : curves)
    for (const ProbeTerm& term : wiring.terms) {
      Problem p = c.problem;
      p.probe.drive = term.drive, p.probe.pickup = term.pickup;
      if (auto refusal = TransientRefusal(p, in.times.t, in.waveform, s.Acc)) return out.message = *refusal, out;
    }

  for (std::size_t k = 0; k < curves.size(); ++k) {
    const Curve& c = curves[k];
    bool shortHere = false;
    std::vector<double> v(in.times.t.size(), 0.0), error(v.size(), 0.0);
    int ier = 0;
    const FpFault fault = RunGuarded([&] {
      for (const ProbeTerm& term : wiring.terms) {
        Problem p = c.problem;
        p.probe.drive = term.drive, p.probe.pickup = term.pickup;
        const TransientResult r = Transient(p, in.times.t, in.waveform, s.Acc);
        for (std::size_t i = 0; i < v.size(); ++i) v[i] += term.sign * r.v[i], error[i] += r.error[i];
        ier = std::max(ier, r.Ier);
      }
    });
    if (fault != FpFault::None) {
      out.records.clear();
      out.fault = true;
      out.message = ErrorBoxText(FpFaultText(fault));
      return out;
    }
    CurveRecord r = head;
    ProblemSweep at = s;
    at.problem = c.problem;
    at.range = SweepRange{c.value, c.value, 0, 1, false};
    at.family.clear(), at.familyValues.clear();
    r.layered = LayeredCurve{at, -1, units};
    const double shown = c.value / s.unit;
    r.transient = TransientOf{in.waveformText, shown};
    const std::string unit = PathUnit(s.path, units);
    r.label = PathShortName(s.path) + " " + Short(shown) + (unit.empty() ? "" : " " + unit);
    if (c.familyIndex >= 0) {
      const std::string familyUnit = PathUnit(s.family, units);
      r.label += ", " + PathShortName(s.family) + " " +
                 Short(s.familyValues[static_cast<std::size_t>(c.familyIndex)] / PathFactor(s.family, units)) +
                 (familyUnit.empty() ? "" : " " + familyUnit);
    }
    if (in.waveform.kind != Waveform::StepOff) r.label += ", " + in.waveformText;
    r.colour = CurveColour(head.colour, k);
    r.X0 = r.L0 = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
      const double ms = in.times.ms.Value(static_cast<int>(i));
      const bool reached = ier == 0 && error[i] <= s.Acc * std::abs(v[i]);
      r.points.push_back(CurvePoint{ms, 0, 0, ms, v[i], reached ? 0 : std::max(ier, 1)});
      shortHere = shortHere || !reached;
    }
    out.pointsShort += shortHere;
    out.records.push_back(std::move(r));
  }
  return out;
}

}  // namespace veldo
