// Reactance of the coil in air (the normalising reference of every plot) and the sweep-range check.
#include <cmath>

#include "coilint/coilint.hpp"
#include "models/model_driver.hpp"

namespace veldo {

using namespace models_detail;

// X0 = 2*pi*omega*mu0*N^2/(L^2 (R2-R1)^2) * int_0^inf (kL + e^-kL - 1) J(k)^2 / k^6 dk, the
// Dodd-Deeds self-inductance of a rectangular-section winding of uniform current density, with
// J(k) = int_{kR1}^{kR2} t J1(t) dt the radial cross-section factor. The axial factor is written
// ((e^-kL - 1)/k + L) / k^5 and evaluated in extended precision: at small kL the bracket loses
// the digits of L that its two terms share, and the long double keeps them.
void AirCoilReactance(int N, double R1, double R2, double L, double f, double Acc, double& X0, int& Ier,
                      KernelCount* Count) {
  long long evals = 0;
  auto kernel = [=, &evals](double k) {
    ++evals;
    const long double J = CoilIntJ(k * R1, k * R2);
    const long double kk = k;
    return static_cast<double>(((std::exp(-kk * L) - 1.0L) / kk + L) * J * J / IntPow(kk, 5));
  };
  // Over kappa = k*R2 (see QagiOverKappa), the Jacobian applied there.
  const double I = QagiOverKappa([&](double, double k) { return kernel(k); }, R2, Acc, Ier);
  const double omega = Omega(f);
  X0 = static_cast<double>(2.0L * omega * kPi * kMu0);
  X0 = X0 * I;
  const long double n = N;
  const long double w = static_cast<long double>(R2) - R1;
  X0 = static_cast<double>(n * X0 * n / (static_cast<long double>(L) * L * w * w));
  AddCount(Count, evals, 0, evals);
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
