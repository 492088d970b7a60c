// The mutual inductance of two windings in air, axes parallel: coaxial, stacked or side by side.
#include <algorithm>
#include <cmath>

#include "bessel/amos.hpp"
#include "coilint/coilint.hpp"
#include "models/model_driver.hpp"
#include "models/offset_integral.hpp"
#include "models/problem.hpp"

namespace veldo {

namespace {

using namespace models_detail;

// (e^-u - 1 + u) / u^2 for u >= 0 without the cancellation of its three terms at small u.
long double Phi(long double u) {
  if (u < 0.25L) {
    long double term = 0.5L, sum = 0.5L;  // sum_{n>=0} (-u)^n / (n + 2)!
    for (int n = 1; n < 30 && std::fabs(term) > 1e-21L * sum; ++n) {
      term *= -u / (n + 2);
      sum += term;
    }
    return sum;
  }
  return (std::exp(-u) - 1.0L + u) / (u * u);
}

// The axial coupling of the two windings' spans [z, z + L]: the double integral of e^(-k|z1 - z2|)
// over both (a length squared). Disjoint spans give the product form
// e^(-k gap) (1 - e^(-k L_a)) (1 - e^(-k L_b)) / k^2; overlapping ones the four-term combination of
// G(s) = s^2 Phi(k|s|), G'' = e^(-k|s|), which for one winding is 2 G(L).
long double AxialInAir(long double k, const Coil& a, const Coil& b) {
  const long double aa = a.z, ba = aa + a.L, ab = b.z, bb = ab + b.L;
  const long double gap = std::max(ab - ba, aa - bb);
  if (gap >= 0) return std::exp(-k * gap) * std::expm1(-k * a.L) * std::expm1(-k * b.L) / (k * k);
  auto G = [k](long double s) { return s * s * Phi(k * std::fabs(s)); };
  return -(G(ba - bb) - G(ba - ab) - G(aa - bb) + G(aa - ab));
}

}  // namespace

// M = pi mu0 q_ab int_0^inf J_a J_b / k^4 A_ab(k) J0(k x) dk with J = int_{kR1}^{kR2} t J1(t) dt,
// A_ab the axial coupling above and x the distance between the axes; for one winding the
// inductance X0 / omega of the air-coil reference.
double MutualInductance(const Coil& a, const Coil& b, double Acc, int& Ier) {
  const double x = std::fabs(a.x - b.x);
  auto kernel = [&](double, double k) {
    const long double Ja = CoilIntJ(k * a.R1, k * a.R2), Jb = CoilIntJ(k * b.R1, k * b.R2);
    const long double kk = k;
    const long double v = Ja * Jb / (kk * kk * kk * kk) * AxialInAir(kk, a, b);
    return static_cast<double>(x != 0 ? v * BesselJ0(k * x) : v);
  };
  const double R2 = std::max(a.R2, b.R2);
  if (x != 0 && CyclesApart(x, a.R2, b.R2)) {  // the cycles of J0(k x) summed (models/offset_integral.hpp)
    auto offset = [&](double, double k) {
      const long double Ja = CoilIntJOffset(k * a.R1, k * a.R2), Jb = CoilIntJOffset(k * b.R1, k * b.R2);
      const long double kk = k;
      return Cmplx(static_cast<double>(Ja * Jb / (kk * kk * kk * kk) * AxialInAir(kk, a, b) * BesselJ0(k * x)), 0.0);
    };
    long long evals = 0;
    const double I = CRe(IntegrateOffsetKernel(offset, R2, x, Acc, Ier, evals));
    return static_cast<double>(kPi * kMu0 * PairTurnsFactor(a, b) * static_cast<long double>(I));
  }
  const double I = QagiOverKappa(kernel, R2, Acc, Ier);
  return static_cast<double>(kPi * kMu0 * PairTurnsFactor(a, b) * static_cast<long double>(I));
}

}  // namespace veldo
