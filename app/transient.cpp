#include "app/transient.hpp"

#include <algorithm>
#include <cmath>
#include <complex>

#include "app/problem.hpp"
#include "models/batch_engine.hpp"

namespace veldo {
namespace {

// The inversion: the trapezoidal rule on a hyperbola, one for every window of times a factor of at
// most kWindow apart (Weideman and Trefethen, "Parabolic and hyperbolic contours for computing the
// Bromwich integral", Math. Comp. 76 (2007) 1341-1356, section 4). The contour
//   z(u) = mu (1 + sin(i u - alpha)),  u real,
// opens to the left round the negative real axis, where the singularities of every passive
// conductor's Delta L(p) lie (the poles of the diffusion modes, the branch cut of a half-space), and
// makes e^(zt) decay on both sides. With u = (k + 1/2) h, k = 0 .. N-1, and the symmetry of a real
// response, f(t) = (h / pi) Im sum G(z_k) e^(z_k t) z'(u_k). Its parameters for t0 <= t <= t1 = Lambda t0,
//   cosh(N h) = ((pi - 2 alpha) Lambda + 4 alpha - pi) / ((4 alpha - pi) sin alpha),
//   mu = (4 pi alpha - pi^2) N / (t1 N h),
// balance the discretisation error on both sides of the strip of analyticity against the
// truncation error, each about e^(-(pi^2 - 2 pi alpha) / h), alpha chosen to make that smallest.
// Why this method: one set of N nodes serves every time of the window (the p-domain values, which
// cost all the time, are shared), the nodes keep an angle of 20 degrees or more from the negative
// real axis (the kernels stay smooth in the spatial frequency there, unlike on Talbot's contour,
// which hugs the axis), the largest weight |e^(zt)| is e^(mu t (1 - sin alpha)), below e^3, so the
// rounding of the p-domain values is not amplified, and the error falls geometrically with N at a
// rate known beforehand (about e^(-N) for a decade).
constexpr double kWindow = 10.0;

struct Hyperbola {
  double alpha = 0, mu = 0, h = 0;
  int N = 0;
};

// The rate (pi^2 - 2 pi alpha) / (N h) per node for the ratio Lambda and the angle alpha.
double Rate(double alpha, double Lambda) {
  const double a = std::acosh(((M_PI - 2 * alpha) * Lambda + 4 * alpha - M_PI) / ((4 * alpha - M_PI) * std::sin(alpha)));
  return (M_PI * M_PI - 2 * M_PI * alpha) / a;
}

// The contour for [t0, t1] that reaches the error eps: alpha by golden-section search over
// (pi/4, pi/2), where the rate is unimodal.
Hyperbola ContourFor(double t0, double t1, double eps) {
  const double Lambda = std::max(t1 / t0, 1.0);
  double lo = M_PI / 4 + 1e-3, hi = M_PI / 2 - 1e-3;
  const double g = 0.5 * (std::sqrt(5.0) - 1);
  for (int i = 0; i < 40; ++i) {
    const double x1 = hi - g * (hi - lo), x2 = lo + g * (hi - lo);
    if (Rate(x1, Lambda) > Rate(x2, Lambda)) hi = x2; else lo = x1;
  }
  Hyperbola c;
  c.alpha = 0.5 * (lo + hi);
  c.N = std::max(4, static_cast<int>(std::ceil(std::log(1 / eps) / Rate(c.alpha, Lambda))));
  const double a = std::acosh(((M_PI - 2 * c.alpha) * Lambda + 4 * c.alpha - M_PI) /
                              ((4 * c.alpha - M_PI) * std::sin(c.alpha)));
  c.h = a / c.N;
  c.mu = (4 * M_PI * c.alpha - M_PI * M_PI) / (t1 * a) * c.N;
  return c;
}

// The error the inversion aims at, relative to the scale of G (the finer of the two inversions below
// a hundredth of it), and the accuracy of the p-domain values.
double InversionError(double Acc) { return Acc / 100; }
double InnerAcc(double Acc) { return std::max(Acc / 10, 1e-12); }

// s(u) and R(u) = int_0^u s at every delay u (sorted, distinct, > 0).
struct Responses {
  std::vector<double> step, ramp;
};

// The error of an inversion is known only as a bound on the scale of G, which at times where the
// response has fallen far below that scale (a magnetic wall's late tail, where Delta L(0) -
// Delta L(inf) is large) exceeds the response itself. So every window is inverted twice, on the
// contour for the error aimed at and on one for a hundredth of it, from one batch of p-domain
// values: the second gives the values, the difference the estimate of their error at every time.
// It holds the first inversion's discretisation error (the second's is about a hundredth of it)
// and the error of the p-domain values, which the two sums take at different nodes. (A bound from
// the terms' magnitudes is useless: the sum cancels by orders of magnitude.) The aim is Acc / 100,
// so that the estimate stays below Acc |v| wherever the response is above a hundredth of its scale.
constexpr double kFinerBy = 1e-2;

struct Inversions {
  Responses coarse, fine;
  int Ier = 0;
};

Inversions Invert(const Problem& p, const std::vector<double>& u, double Acc) {
  Inversions out;
  for (Responses* r : {&out.coarse, &out.fine}) r->step.assign(u.size(), 0.0), r->ramp.assign(u.size(), 0.0);
  // The windows of both inversions, and every node of every window, for one batch of p-domain values.
  struct Window {
    std::size_t begin, end;
    Hyperbola c;
    Responses* into;
  };
  std::vector<Window> windows;
  std::vector<TComplex> z;
  for (Responses* into : {&out.coarse, &out.fine})
    for (std::size_t i = 0; i < u.size();) {
      std::size_t j = i;
      while (j < u.size() && u[j] <= kWindow * u[i]) ++j;
      const Hyperbola c = ContourFor(u[i], u[j - 1], InversionError(Acc) * (into == &out.fine ? kFinerBy : 1.0));
      windows.push_back({i, j, c, into});
      for (int k = 0; k < c.N; ++k) {
        const double th = (k + 0.5) * c.h;
        z.push_back(Cmplx(c.mu * (1 - std::sin(c.alpha) * std::cosh(th)), c.mu * std::cos(c.alpha) * std::sinh(th)));
      }
      i = j;
    }
  std::vector<TComplex> G(z.size());
  Workspace ws;
  const Coil& a = p.probe.coils[p.probe.drive];
  const Coil& b = p.probe.coils[p.probe.pickup];
  InductanceChanges(a, b, p.conductor, z, InnerAcc(Acc), G, out.Ier, ws);
  std::size_t node = 0;
  for (const Window& w : windows) {
    const Hyperbola& c = w.c;
    for (int k = 0; k < c.N; ++k, ++node) {
      const double th = (k + 0.5) * c.h;
      const std::complex<double> zk(z[node].Re, z[node].Im), Gk(G[node].Re, G[node].Im);
      const std::complex<double> dz(-c.mu * std::sin(c.alpha) * std::sinh(th), c.mu * std::cos(c.alpha) * std::cosh(th));
      const std::complex<double> Gd = Gk * dz, Rd = Gd / zk;
      for (std::size_t i = w.begin; i < w.end; ++i) {
        const std::complex<double> e = std::exp(zk * u[i]);
        w.into->step[i] -= (Gd * e).imag();
        w.into->ramp[i] -= (Rd * e).imag();
      }
    }
    for (std::size_t i = w.begin; i < w.end; ++i) {
      w.into->step[i] *= c.h / M_PI;
      w.into->ramp[i] *= c.h / M_PI;
    }
  }
  return out;
}

// The delays after the switching instants at which the waveform's response at t needs s (step) or
// R (ramp): a step-off t; a pulse t and t - width; samples t - t_k for every t_k < t.
template <class F>
void ForEachDelay(const Waveform& w, double t, F&& f) {
  switch (w.kind) {
    case Waveform::StepOff: f(t); break;
    case Waveform::Pulse:
      f(t);
      if (t > w.width) f(t - w.width);
      break;
    case Waveform::Samples:
      for (double tk : w.times)
        if (t > tk) f(t - tk);
      break;
  }
}

}  // namespace

std::optional<std::string> TransientRefusal(const Problem& p, std::span<const double> t, const Waveform& w, double Acc) {
  if (auto refusal = ProblemRefusal(p)) return refusal;
  if (t.empty()) return std::string("Check the times: give at least one");
  for (std::size_t i = 0; i < t.size(); ++i)
    if (!std::isfinite(t[i]) || !(t[i] > 0)) return "Check the times: time " + std::to_string(i + 1) + " is not a finite number above 0 s";
  if (w.kind == Waveform::Pulse && !(std::isfinite(w.width) && w.width > 0))
    return std::string("Check the pulse: its width must be a finite number above 0 s");
  if (w.kind == Waveform::Samples) {
    if (w.times.size() != w.currents.size())
      return std::string("Check the waveform: give as many currents as times");
    if (w.times.size() < 2) return std::string("Check the waveform: give at least two samples (a time and a current each)");
    for (std::size_t k = 0; k < w.times.size(); ++k) {
      if (!std::isfinite(w.times[k]) || !std::isfinite(w.currents[k]))
        return "Check the waveform: sample " + std::to_string(k + 1) + " is not a pair of finite numbers";
      if (k > 0 && !(w.times[k] > w.times[k - 1]))
        return "Check the waveform: the time of sample " + std::to_string(k + 1) +
               " is not after the one before (the samples must be in order of time)";
    }
  }
  if (!(Acc >= 1e-9) || !(Acc < 1))
    return std::string("Check the accuracy: a transient resolves 1e-9 to 1 (the inversion's rounding limits it)");
  double lo = HUGE_VAL, hi = 0;
  for (double ti : t)
    ForEachDelay(w, ti, [&](double u) { lo = std::min(lo, u), hi = std::max(hi, u); });
  if (hi > 0 && hi > lo * std::pow(10.0, kTransientDecades))
    return "Check the times: the delays after the switching instants span more than " +
           std::to_string(static_cast<int>(kTransientDecades)) +
           " decades, beyond what one transform resolves at the accuracy asked (the response's scale changes by "
           "more than the inversion's digits); split the times";
  return std::nullopt;
}

TransientResult Transient(const Problem& p, std::span<const double> t, const Waveform& w, double Acc) {
  TransientResult out;
  std::vector<double> u;
  for (double ti : t) ForEachDelay(w, ti, [&](double d) { u.push_back(d); });
  std::sort(u.begin(), u.end());
  u.erase(std::unique(u.begin(), u.end()), u.end());
  const Inversions inv = u.empty() ? Inversions{} : Invert(p, u, Acc);
  out.Ier = inv.Ier;
  auto at = [&](const std::vector<double>& v, double d) {
    return v[static_cast<std::size_t>(std::lower_bound(u.begin(), u.end(), d) - u.begin())];
  };
  auto response = [&](const Responses& r, double ti) {
    double v = 0;
    switch (w.kind) {
      case Waveform::StepOff: v = at(r.step, ti); break;
      // A pulse 1 A from 0 to width: step-on at 0, step-off at width.
      case Waveform::Pulse: v = (ti > w.width ? at(r.step, ti - w.width) : 0.0) - at(r.step, ti); break;
      // i' = slope_k on (t_k, t_k+1): v = -sum slope_k (R(t - t_k) - R(t - t_k+1)).
      case Waveform::Samples:
        for (std::size_t k = 0; k + 1 < w.times.size(); ++k) {
          if (!(ti > w.times[k])) break;
          const double slope = (w.currents[k + 1] - w.currents[k]) / (w.times[k + 1] - w.times[k]);
          const double far = ti > w.times[k + 1] ? at(r.ramp, ti - w.times[k + 1]) : 0.0;
          v -= slope * (at(r.ramp, ti - w.times[k]) - far);
        }
        break;
    }
    return v;
  };
  for (double ti : t) {
    const double v = response(inv.fine, ti);
    out.v.push_back(v);
    out.error.push_back(std::abs(v - response(inv.coarse, ti)));
  }
  return out;
}

}  // namespace veldo
