#include "app/problem_sweep.hpp"

#include <algorithm>
#include <cmath>

#include "app/format.hpp"
#include "app/fp_guard.hpp"
#include "app/probe_connection.hpp"
#include "models/models.hpp"

namespace veldo {
namespace {

constexpr long double kTwoPi = 6.28318530717958647703L;

// Points evaluated between two looks at the stop request and two outputs.
constexpr int kBlock = 64;

// The probe in air: the drive's reactance and inductance (the normalisation) and the reading's.
struct AirCoil {
  double X0 = 0, L0 = 0, Xair = 0, Lair = 0;
  int Ier = 0;
  FpFault fault = FpFault::None;
};

AirCoil InAir(const Probe& probe, std::span<const ProbeTerm> terms, double f, double Acc) {
  AirCoil a;
  a.fault = RunGuarded([&] {
    const AirReading r = ReadingInAir(probe, terms, f, Acc);
    a.X0 = r.X0, a.L0 = r.L0, a.Xair = r.Xair, a.Ier = r.Ier;
    a.Lair = static_cast<double>(a.Xair / (kTwoPi * f));
  });
  return a;
}

}  // namespace

std::optional<std::array<std::string, 3>> SplitSweepText(std::string_view text) {
  const std::size_t first = text.find(':');
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = text.find(':', first + 1);
  if (second == std::string_view::npos || text.find(':', second + 1) != std::string_view::npos) return std::nullopt;
  return std::array<std::string, 3>{std::string(text.substr(0, first)),
                                    std::string(text.substr(first + 1, second - first - 1)),
                                    std::string(text.substr(second + 1))};
}

std::variant<std::vector<std::vector<Problem>>, std::string> SweepProblems(const ProblemSweep& s) {
  const std::vector<double> family = s.family.empty() ? std::vector<double>{0.0} : s.familyValues;
  std::vector<std::vector<Problem>> curves;
  for (double v : family) {
    Problem base = s.problem;
    if (!s.family.empty()) {
      double* p = Parameter(base, s.family);
      if (p == nullptr) return UnknownParameterMessage(s.family);
      *p = v;
    }
    std::vector<Problem> points(static_cast<std::size_t>(s.range.count), base);
    for (int i = 0; i < s.range.count; ++i) {
      Problem& p = points[static_cast<std::size_t>(i)];
      int* turns = CoilTurns(p, s.path);
      double* target = turns != nullptr ? nullptr : Parameter(p, s.path);
      if (turns != nullptr) {
        const double n = s.range.Value(i);
        *turns = n == std::trunc(n) && n >= 1 && n <= 2147483647.0 ? static_cast<int>(n) : 0;
      } else if (target == nullptr) {
        return UnknownParameterMessage(s.path);
      } else {
        *target = s.range.Value(i);
      }
      if (auto refusal = ProblemRefusal(p)) return *refusal;
    }
    curves.push_back(std::move(points));
  }
  return curves;
}

ComputeStatus RunProblemSweep(const ProblemSweep& s, ComputeOutput& out, int threads, std::stop_token stop) {
  const WiringTerms wiring = TermsOf(s.wiring, s.problem.probe);
  if (wiring.refusal) return out.ShowMessage(MessageKind::Plain, *wiring.refusal), ComputeStatus::Rejected;
  const std::vector<ProbeTerm>& terms = wiring.terms;
  // Every point of every curve, checked before any work.
  auto problems = SweepProblems(s);
  if (auto* refusal = std::get_if<std::string>(&problems))
    return out.ShowMessage(MessageKind::Plain, *refusal), ComputeStatus::Rejected;
  const std::vector<std::vector<Problem>>& curves = std::get<0>(problems);
  if (!(s.Acc >= kMinAcc)) {
    out.ShowMessage(MessageKind::Plain, std::string(kAccuracyMessage));
    return ComputeStatus::Rejected;
  }
  if (out.CurveCount() + static_cast<int>(curves.size()) > kCurveSlots) {
    out.ShowMessage(MessageKind::Plain, std::string(kRegistryFullMessage));
    return ComputeStatus::Rejected;
  }

  const AirCoil air = InAir(s.problem.probe, terms, s.problem.f, s.Acc);
  if (air.fault != FpFault::None) {
    out.ShowMessage(MessageKind::Error, ErrorBoxText(FpFaultText(air.fault)));
    return ComputeStatus::Fault;
  }
  out.AirCoilValues(air.X0, air.L0);
  out.SetAirCoilLabels(LabelNumberText(air.X0), LabelNumberText(air.L0));
  out.SetProgressPosition(0);
  out.SetProgressMaximum(s.range.count * static_cast<int>(curves.size()));
  const bool coilSwept = s.path.starts_with("coil") || s.family.starts_with("coil");

  int pointsShort = 0, pointsTotal = 0;
  ComputeStatus status = ComputeStatus::Completed;
  for (const std::vector<Problem>& points : curves) {
    out.BeginCurve(s.colour);
    for (int begin = 0; begin < s.range.count && status == ComputeStatus::Completed; begin += kBlock) {
      if (stop.stop_requested()) {
        status = ComputeStatus::Cancelled;
        break;
      }
      const int end = std::min(s.range.count, begin + kBlock);
      const std::span<const Problem> block(points.data() + begin, static_cast<std::size_t>(end - begin));
      std::vector<Impedance> z(block.size());
      const std::vector<Refusal> faults = EvaluateReadings(block, terms, s.Acc, z, threads, s.engine);
      for (int i = begin; i < end; ++i) {
        const Problem& p = points[static_cast<std::size_t>(i)];
        const bool faulted = !faults.empty() && faults.front().index == static_cast<std::size_t>(i - begin);
        AirCoil here = air;
        if (!faulted && coilSwept) here = InAir(p.probe, terms, p.f, s.Acc);
        double X0 = here.X0, Xair = here.Xair, x = 0, y = 0;
        const FpFault fault = faulted ? FpFault::Overflow : here.fault != FpFault::None ? here.fault : RunGuarded([&] {
          if (p.f != s.problem.f || coilSwept) {
            X0 = static_cast<double>(static_cast<long double>(here.L0) * kTwoPi * p.f);
            Xair = static_cast<double>(static_cast<long double>(here.Lair) * kTwoPi * p.f);
          }
          x = z[static_cast<std::size_t>(i - begin)].dR / X0;
          y = (z[static_cast<std::size_t>(i - begin)].dX + Xair) / X0;
        });
        if (fault != FpFault::None) {
          out.ShowMessage(MessageKind::Error,
                          ErrorBoxText(faulted ? faults.front().message : std::string(FpFaultText(fault))));
          status = ComputeStatus::Fault;
          break;
        }
        const Impedance& zi = z[static_cast<std::size_t>(i - begin)];
        out.StepProgress();
        out.PointComputed({s.path, s.range.Value(i) / s.unit, zi.dR, zi.dX, x, y, zi.Ier, X0});
        out.AddPoint(x, y);
        ++pointsTotal;
        if (zi.Ier != 0) ++pointsShort;
      }
    }
    out.CountCurve();
    if (status != ComputeStatus::Completed) break;
  }
  out.ReportAccuracy(pointsShort, pointsTotal, air.Ier != 0);
  if (status == ComputeStatus::Cancelled) out.SweepCancelled(pointsTotal, s.range.count * static_cast<int>(curves.size()));
  return status;
}

}  // namespace veldo
