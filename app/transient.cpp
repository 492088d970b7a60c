#include "app/transient.hpp"

#include <algorithm>
#include <cmath>

#include "app/problem.hpp"

namespace veldo {
namespace {

// Nodes of the fixed Talbot contour: M = 20 gives about 1e-10 of the scale of Delta L in double
// precision, where e^r = e^8 (about 3000) times the p-domain accuracy sets the floor.
constexpr int kM = 20;
// The accuracy the p-domain values need so that the e^r weight leaves Acc.
double InnerAcc(double Acc) { return std::max(Acc / std::exp(0.4 * kM), 1e-13); }

// -L^-1[Delta L - Delta L(inf)](t) by the fixed Talbot rule.
double StepOff(const Problem& p, double t, double Linf, double acc, int& Ier, Workspace& ws) {
  const Coil& a = p.probe.coils[p.probe.drive];
  const Coil& b = p.probe.coils[p.probe.pickup];
  const double r = 0.4 * kM;
  double sum = 0;
  for (int k = 0; k < kM; ++k) {
    int ier = 0;
    if (k == 0) {
      const TComplex F = InductanceAt(a, b, p.conductor, Cmplx(r / t, 0.0), acc, ier, ws);
      sum += 0.5 * std::exp(r) * (F.Re - Linf);
    } else {
      const double theta = k * M_PI / kM, cot = std::cos(theta) / std::sin(theta);
      const TComplex z = Cmplx(r * theta * cot / t, r * theta / t);
      const TComplex F = InductanceAt(a, b, p.conductor, z, acc, ier, ws);
      const TComplex weight = CMul(CExp(Cmplx(z.Re * t, z.Im * t)), Cmplx(1.0, theta * (1 + cot * cot) - cot));
      sum += CMul(weight, Cmplx(F.Re - Linf, F.Im)).Re;
    }
    Ier = std::max(Ier, ier);
  }
  return -sum * r / (kM * t);
}

}  // namespace

std::optional<std::string> TransientRefusal(const Problem& p, std::span<const double> t, const Waveform& w, double Acc) {
  if (auto refusal = ProblemRefusal(p)) return refusal;
  if (t.empty()) return std::string("Check the times: give at least one");
  for (std::size_t i = 0; i < t.size(); ++i)
    if (!std::isfinite(t[i]) || !(t[i] > 0)) return "Check the times: time " + std::to_string(i + 1) + " is not a finite number above 0 s";
  if (w.kind == Waveform::Pulse && !(std::isfinite(w.width) && w.width > 0))
    return std::string("Check the pulse: its width must be a finite number above 0 s");
  if (!(Acc >= 1e-9) || !(Acc < 1))
    return std::string("Check the accuracy: a transient resolves 1e-9 to 1 (the inversion's rounding limits it)");
  return std::nullopt;
}

TransientResult Transient(const Problem& p, std::span<const double> t, const Waveform& w, double Acc) {
  TransientResult out;
  Workspace ws;
  const double acc = InnerAcc(Acc);
  const Coil& a = p.probe.coils[p.probe.drive];
  const Coil& b = p.probe.coils[p.probe.pickup];
  // The perfect conductor's limit: at p = 1e30 /s every conducting layer's alpha exceeds k by
  // about 1e12 or more.
  int ier = 0;
  const double Linf = InductanceAt(a, b, p.conductor, Cmplx(1e30, 0.0), acc, ier, ws).Re;
  out.Ier = ier;
  for (double ti : t) {
    double v = StepOff(p, ti, Linf, acc, out.Ier, ws);
    // A pulse 1 A from 0 to width: step-on at 0, step-off at width.
    if (w.kind == Waveform::Pulse) v = ti > w.width ? StepOff(p, ti - w.width, Linf, acc, out.Ier, ws) - v : -v;
    out.v.push_back(v);
  }
  return out;
}

}  // namespace veldo
