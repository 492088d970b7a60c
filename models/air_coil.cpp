// Reactance of the coil in air (the normalising reference of every plot) and the sweep-range check.
#include <algorithm>
#include <cmath>

#include "coilint/coilint.hpp"
#include "models/model_driver.hpp"
#include "numerics/elliptic.hpp"

namespace veldo {

using namespace models_detail;

// X0 = 2 pi omega mu0 N^2/(L^2 (R2-R1)^2) * I,  I = int_0^inf (kL + e^-kL - 1) J(k)^2 / k^6 dk,
// the Dodd-Deeds self-inductance of a rectangular-section winding of uniform current density,
// J(k) = int_{kR1}^{kR2} t J1(t) dt the radial cross-section factor.
//
// Why not one quadrature over (0, inf): J(k)^2 oscillates with the periods of both radii and
// grows like k, so the kernel decays only like k^-3 out to k ~ 1/L and like k^-4 beyond. On a
// short, wide winding QAGI's extrapolation of that tail settles on a value some 1e-5 off while
// believing it has converged. The kernel is split instead into its three parts,
//   I = L A - B + C,   A = int J^2/k^5,  B = int J^2/k^6,  C = int e^-kL J^2/k^6,
// each convergent on its own. A and B have no k-integral left: with J/k^2 = int r J1(kr) dr,
//   int_0^inf J1(ka) J1(kb)/k dk   = a/(2b)                                  (a <= b),
//   int_0^inf J1(ka) J1(kb)/k^2 dk = 2/(3 pi) b/u [(1+u^2) E(u^2) - (1-u^2) K(u^2)], u = a/b
// (Weber-Schafheitlin; the hypergeometric 2F1(-1/2, 1/2; 2; u^2) in complete elliptic
// integrals), and the integrals over both radii reduce to a polynomial for A and to a single
// smooth integral over u = a/b for B (the inner radius integral of b^4 is done in closed form).
// Only C remains over k, and its e^-kL makes it an honest finite integral: beyond k = K the
// rest is bounded by |J(k)| <= 3 + 2 sqrt(2 k R2/pi) (|int_0^x J0| <= 1.5, |x J0(x)| <=
// sqrt(2x/pi)). Everything runs in the dimensionless kappa = k R2, u0 = R1/R2, lambda = L/R2:
//   I = R2^5 (lambda a - b + c).
// The pieces use Gauss-Kronrod 10/21 panels whose |K21 - G10| is the error claimed, so the
// result's error estimate is an upper bound in practice; the whole is then within Acc, or Ier 1
// (subdivisions used up) / 2 (rounding of L A - B + C, whose terms cancel on a short winding,
// exceeds Acc) says it is not. The cost is a few hundred microseconds for ordinary windings and
// grows like R2/L (C's panels cover k up to about 40/L); X0 is computed once per command.
namespace {

// Gauss-Kronrod 21-point rule with its embedded 10-point Gauss rule (QUADPACK's QK21 nodes).
constexpr double kXgk[11] = {0.995657163025808080735527280689003, 0.973906528517171720077964012084452,
                             0.930157491355708226001207180059508, 0.865063366688984510732096688423493,
                             0.780817726586416897063717578345042, 0.679409568299024406234327365114874,
                             0.562757134668604683339000099272694, 0.433395394129247190799265943165784,
                             0.294392862701460198131126603103866, 0.148874338981631210884826001129720,
                             0.0};
constexpr double kWgk[11] = {0.011694638867371874278064396062192, 0.032558162307964727478818972459390,
                             0.054755896574351996031381300244580, 0.075039674810919952767043140916190,
                             0.093125454583697605535065465083366, 0.109387158802297641899210590325805,
                             0.123491976262065851077208868544155, 0.134709217311473325928054001771707,
                             0.142775938577060080797094273138717, 0.147739104901338491374841515972068,
                             0.149445554002916905664936468389821};
constexpr double kWg[5] = {0.066671344308688137593568809893332, 0.149451349150580593145776339657697,
                           0.219086362515982043995534934228163, 0.269266719309996355091226921569469,
                           0.295524224714752870143552000719798};

struct Sum {
  long double value = 0.0L, error = 0.0L, absval = 0.0L;
  long long evals = 0;
  bool short_ = false;  // a panel did not meet its tolerance within the bisection depth
};

// One panel [a, b] of f(x): K21 and the G10 difference.
template <class F>
void Panel(const F& f, double a, double b, double& k21, double& err, double& absK) {
  const double c = 0.5 * (a + b), h = 0.5 * (b - a);
  double fc = f(c);
  double k = fc * kWgk[10], g = 0.0, ak = std::fabs(fc) * kWgk[10];
  for (int j = 0; j < 10; ++j) {
    const double f1 = f(c - h * kXgk[j]), f2 = f(c + h * kXgk[j]);
    k += kWgk[j] * (f1 + f2);
    ak += kWgk[j] * (std::fabs(f1) + std::fabs(f2));
    if (j % 2 == 1) g += kWg[j / 2] * (f1 + f2);
  }
  k21 = k * h, err = std::fabs((k - g) * h), absK = ak * std::fabs(h);
}

// Adds the integral of f over [a, b] to s: a K21 panel, bisected while its G10 difference
// exceeds rel of its absolute integral (up to depth bisections).
template <class F>
void Integrate(const F& f, double a, double b, double rel, int depth, Sum& s) {
  double k = 0, e = 0, ak = 0;
  Panel(f, a, b, k, e, ak);
  s.evals += 21;
  if (e > rel * ak && e > 0.0) {
    if (depth > 0) {
      const double m = 0.5 * (a + b);
      Integrate(f, a, m, rel, depth - 1, s);
      Integrate(f, m, b, rel, depth - 1, s);
      return;
    }
    s.short_ = true;
  }
  s.value += k, s.error += e, s.absval += ak;
}

constexpr double kPanelRel = 1e-13;  // each panel's own claim, relative to its |f| integral
constexpr int kDepth = 3;

// b = (2/5) int_{u0}^1 beta(u) (1 - (u0/u)^5) du, beta(u) = 2/(3 pi) [(1+m) E(m) - (1-m) K(m)]
// with m = u^2, written 2/(3 pi) m [2 RF - (1+m) RD/3] with RF, RD at (0, 1-m, 1). beta has a
// (1-u) log(1-u) term at u = 1 and (1 - (u0/u)^5) a pole at u = 0: panels shrink by 4
// geometrically toward u = 1 (parametrised by the distance d = 1 - u, so 1 - m = d (2 - d) keeps
// its digits), and toward u0 while u0 is small beside the interval (offset e = u - u0).
Sum RadialB(double u0) {
  const double D = 1.0 - u0;
  auto g = [u0](double u, double d, double e) {
    const double m = u * u, y = d * (2.0 - d);
    const double beta = 2.0 / (3.0 * static_cast<double>(kPi)) * m * (2.0 * RF(0.0, y, 1.0) - (1.0 + m) * RD(0.0, y, 1.0) / 3.0);
    const double q = u0 / u;
    return 0.4 * beta * (e / u) * (1.0 + q * (1.0 + q * (1.0 + q * (1.0 + q))));
  };
  Sum s;
  auto byOffset = [&](double e) { return g(u0 + e, D - e, e); };
  auto byDistance = [&](double d) { return g(1.0 - d, d, D - d); };
  // Left half, offsets [0, D/2], graded toward e = 0 down to the scale of u0.
  double hi = 0.5 * D;
  while (hi > u0 && hi > 1e-3 * D) {
    Integrate(byOffset, 0.25 * hi, hi, kPanelRel, kDepth, s);
    hi *= 0.25;
  }
  Integrate(byOffset, 0.0, hi, kPanelRel, kDepth, s);
  // Right half, distances [0, D/2] from u = 1, graded toward d = 0. beta <= 4/(3 pi) and the
  // last factor <= 5 (u - u0)/u, so what is left below d is at most d * 2.2 D.
  double d = 0.5 * D;
  while (d * 2.2 * D > 1e-19 * std::fabs(static_cast<double>(s.value)) || s.value == 0.0L) {
    Integrate(byDistance, 0.25 * d, d, kPanelRel, kDepth, s);
    d *= 0.25;
    if (d < 1e-300) break;
  }
  s.error += d * 2.2 * D;
  return s;
}

// J(kappa) = int_{u0 kappa}^{kappa} t J1(t) dt for kappa <= 2 from the power series
//   int_0^x t J1 = sum_n (-1)^n x^(2n+3) / (2^(2n+1) n! (n+1)! (2n+3)),
// the two radii's terms subtracted term by term as kappa^p (1 - u0^p). CoilIntJ subtracts the
// two integrals from 0, which at kappa = 1e-3 leaves J 2e-9 relative off: harmless under the
// Dodd-Deeds kernel's factor (kL)^2, but c's integrand tends to a constant there, the one that
// b cancels. 26 terms leave below 1e-30 at kappa = 2.
long double SmallJ(double kappa, double u0) {
  const long double x2 = static_cast<long double>(kappa) * kappa, q2 = static_cast<long double>(u0) * u0;
  long double term = static_cast<long double>(kappa) * kappa * kappa / 2.0L;  // x^3 / (2 0! 1!)
  long double up = static_cast<long double>(u0) * u0 * u0, sum = 0.0L;
  for (int n = 0; n < 26; ++n) {
    sum += term * (1.0L - up) / (2 * n + 3);
    term *= -x2 / (4.0L * (n + 1) * (n + 2));
    up *= q2;
  }
  return sum;
}

// c = int_0^inf e^(-kappa lambda) J(kappa)^2 / kappa^6 dkappa over panels of at most 3/4 of
// J^2's fastest period pi (and of 3/lambda, the scale of the exponential), out to where the
// bound on the rest falls below 1e-3 * tol * (lambda a - b + c so far), which grows toward I.
Sum AxialC(double u0, double lambda, double lambdaAMinusB, double tol, int& ier) {
  auto f = [u0, lambda](double kappa) {
    const long double J = kappa <= 2.0 ? SmallJ(kappa, u0) : CoilIntJ(kappa * u0, kappa);
    const long double kk = kappa;
    return static_cast<double>(std::exp(-kk * lambda) * J * J / IntPow(kk, 6));
  };
  auto restBound = [lambda](double K) {
    const double j = 3.0 + 2.0 * std::sqrt(2.0 * K / static_cast<double>(kPi));
    return j * j / std::pow(K, 6) * std::exp(-K * lambda) / lambda;
  };
  const double h = std::min(0.75 * static_cast<double>(kPi), 3.0 / lambda);
  Sum s;
  double a = 0.0;
  // 2e6 panels (about 4e7 evaluations, kappa up to 5e6: lambda down to about 1e-5) at most.
  for (long long i = 0; i < 2000000; ++i) {
    Integrate(f, a, a + h, kPanelRel, kDepth, s);
    a += h;
    const double soFar = static_cast<double>(lambdaAMinusB + s.value);
    if (a > 1.0 && soFar > 0.0 && restBound(a) <= 1e-3 * tol * soFar) {
      s.error += restBound(a);
      return s;
    }
  }
  ier = kQagiLimit;
  return s;
}

}  // namespace

void AirCoilReactance(int N, double R1, double R2, double L, double f, double Acc, double& X0, int& Ier,
                      KernelCount* Count) {
  X0 = 0.0;
  // The refusal of QAGI on an accuracy below 50 EPMACH, and of a winding that is none.
  if (!(Acc >= 50.0 * QMACH(4)) || !(R1 >= 0.0 && R2 > R1 && L > 0.0) || !std::isfinite(R2) || !std::isfinite(L)) {
    Ier = kQagiInvalidInput;
    return;
  }
  Ier = kQagiNormal;
  const double u0 = R1 / R2, lambda = L / R2;
  const long double w = static_cast<long double>(R2) - R1, Dw = w / R2;
  // a = A / R2^4 = u0^2 D^2/2 + u0 D^3/3 + D^4/12 with D = (R2 - R1)/R2, without cancellation.
  const long double a = Dw * Dw * (u0 * u0 / 2.0L + u0 * Dw / 3.0L + Dw * Dw / 12.0L);
  const Sum b = RadialB(u0);
  // Internal target: 1e-13 of the result or Acc, whichever is tighter.
  const double tol = std::min(Acc, 1e-13);
  const long double lamA = lambda * a;
  const Sum c = AxialC(u0, lambda, lamA - b.value, tol, Ier);
  const long double i = lamA - b.value + c.value;
  // The claim: both quadratures' errors and a few roundings of the largest term.
  const long double rounding = 8.0L * QMACH(4) * (lamA + b.value + c.value);
  const long double err = b.error + c.error + rounding;
  if (Ier == kQagiNormal && !(err <= Acc * i)) Ier = (b.short_ || c.short_) ? kQagiLimit : kQagiRoundoff;
  const long double I = i * IntPow(R2, 5);
  const double omega = Omega(f);
  X0 = static_cast<double>(2.0L * omega * kPi * kMu0);
  X0 = static_cast<double>(X0 * I);
  const long double n = N;
  X0 = static_cast<double>(n * X0 * n / (static_cast<long double>(L) * L * w * w));
  AddCount(Count, c.evals, 0, c.evals);
}

void AirCoilReactance(int N, double R1, double R2, double L, double f, double Acc, double& X0, int& Ier) {
  AirCoilReactance(N, R1, R2, L, f, Acc, X0, Ier, nullptr);
}

int CheckRange(double From, double To, double Step) {
  if (Step < 0.0) return 1;
  if (From > To) return 1;
  return 0;
}

}  // namespace veldo
