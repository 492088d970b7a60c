// Coil with its axis normal to a planar conductor: a half-space (case 1) or a layer on a second
// half-space (case 2), by the Dodd-Deeds integral over the radial spatial frequency k.
#include <cmath>

#include "coilint/coilint.hpp"
#include "models/model_driver.hpp"

namespace veldo {

using namespace models_detail;

namespace {

// The factor that all planar kernels share: E(k) J(k)^2 / k^6, apart from the reflection
// coefficient. E(k) = (e^-k LO - e^-k(LO+L))^2 couples the winding's height and lift-off to the
// surface; it is formed in extended precision because the two exponentials nearly cancel
// for small k L. J(k)^2 / k^6 is the coil factor: it depends on the coil alone.
struct PlanarGeometry {
  double R1, R2, L, LO;

  double E(double k) const {
    const long double kk = k;
    const long double d = std::exp(-kk * LO) - std::exp(-kk * (static_cast<long double>(LO) + L));
    return static_cast<double>(d * d);
  }
  CoilFactor CoilFactorAt(double k) const {
    CoilFactor cf;
    const long double J = CoilIntJ(k * R1, k * R2);
    cf.c = static_cast<double>(J);
    cf.radial = static_cast<double>(J * J / IntPow(k, 6));
    return cf;
  }
  auto Factors(CoilFactorCache* cache) const {
    return CoilFactors(cache, CoilFactorKind::Planar, R1, R2, L, [this](double k) { return CoilFactorAt(k); });
  }
};

// Delta Z = j*pi*omega*mu0*q*S.
void PlanarImpedance(const TComplex& S, int N, double R1, double R2, double L, double omega, double& dR,
                     double& dX) {
  const double q = TurnsFactor(N, R1, R2, L);
  const TComplex dZ = CScale(CMulI(CScale(S, q)), static_cast<double>(kPi * omega * kMu0));
  dR = CRe(dZ);
  dX = CIm(dZ);
}

}  // namespace

// Reflection coefficient of a half-space seen by the field harmonic k:
// rho = (k MR1 - alpha1) / (k MR1 + alpha1), alpha1 = sqrt(k^2 + j omega mu0 MR1 CON1).
void PlanarOneLayer(int N, double R1, double R2, double L, double f, double LO, double CON1, double MR1,
                    double Acc, double& dR, double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache) {
  const PlanarGeometry g{R1, R2, L, LO};
  const double omega = Omega(f);
  const double s1 = SProduct(omega, MR1, CON1);
  auto coil = g.Factors(Cache);
  auto kernel = [=, &coil](double kappa, double k) {
    const double J2k6 = coil.At(kappa, k).radial;
    const double E = g.E(k);
    const TComplex alpha1 = CSqrt(Cmplx(k * k, s1));
    const TComplex kmu = Cmplx(k * MR1, 0.0);
    const TComplex rho = CDiv(CSub(kmu, alpha1), CAdd(kmu, alpha1));
    return CScale(CScale(rho, E), J2k6);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, R2, Acc, Ier, evals, Reuses(Count));
  PlanarImpedance(S, N, R1, R2, L, omega, dR, dX);
  AddCount(Count, evals, 0, coil.Evaluated());
}

// Layer of thickness D1 on a half-space: the two interfaces combine into
// rho = (A M e + B P) / (B M e + A P) with A, B = k m1 +- alpha1, P, M = alpha1 m2 +- alpha2 m1 and
// e = exp(-2 alpha1 D1), the round trip through the layer. M vanishes for equal materials, which
// leaves the half-space coefficient B/A; D1 = 0 (e = 1) leaves the lower material's.
void PlanarTwoLayers(int N, double R1, double R2, double L, double f, double LO, double D1, double CON1,
                     double CON2, double MR1, double MR2, double Acc, double& dR, double& dX, int& Ier,
                     KernelCount* Count, CoilFactorCache* Cache) {
  const PlanarGeometry g{R1, R2, L, LO};
  const double omega = Omega(f);
  const double s1 = SProduct(omega, MR1, CON1);
  const double s2 = SProduct(omega, MR2, CON2);
  auto coil = g.Factors(Cache);
  auto kernel = [=, &coil](double kappa, double k) {
    const double J2k6 = coil.At(kappa, k).radial;
    const double E = g.E(k);
    const TComplex alpha1 = CSqrt(Cmplx(k * k, s1));
    const TComplex alpha2 = CSqrt(Cmplx(k * k, s2));
    const TComplex kmu = Cmplx(k * MR1, 0.0);
    const TComplex A = CAdd(kmu, alpha1);
    const TComplex B = CSub(kmu, alpha1);
    const TComplex P = CAdd(CScale(alpha1, MR2), CScale(alpha2, MR1));
    const TComplex M = CSub(CScale(alpha1, MR2), CScale(alpha2, MR1));
    const TComplex e = CExp(CScale(alpha1, -2.0 * D1));
    const TComplex num = CAdd(CMul(CMul(A, M), e), CMul(B, P));
    const TComplex den = CAdd(CMul(CMul(B, M), e), CMul(A, P));
    const TComplex rho = CDiv(num, den);
    return CScale(CScale(rho, E), J2k6);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, R2, Acc, Ier, evals, Reuses(Count));
  PlanarImpedance(S, N, R1, R2, L, omega, dR, dX);
  AddCount(Count, evals, 0, coil.Evaluated());
}

void PlanarOneLayer(int N, double R1, double R2, double L, double f, double LO, double CON1, double MR1,
                    double Acc, double& dR, double& dX, int& Ier) {
  PlanarOneLayer(N, R1, R2, L, f, LO, CON1, MR1, Acc, dR, dX, Ier, nullptr, nullptr);
}
void PlanarOneLayer(int N, double R1, double R2, double L, double f, double LO, double CON1, double MR1,
                    double Acc, double& dR, double& dX, int& Ier, CoilFactorCache& Cache) {
  PlanarOneLayer(N, R1, R2, L, f, LO, CON1, MR1, Acc, dR, dX, Ier, nullptr, &Cache);
}

void PlanarTwoLayers(int N, double R1, double R2, double L, double f, double LO, double D1, double CON1,
                     double CON2, double MR1, double MR2, double Acc, double& dR, double& dX, int& Ier) {
  PlanarTwoLayers(N, R1, R2, L, f, LO, D1, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr, nullptr);
}
void PlanarTwoLayers(int N, double R1, double R2, double L, double f, double LO, double D1, double CON1,
                     double CON2, double MR1, double MR2, double Acc, double& dR, double& dX, int& Ier,
                     CoilFactorCache& Cache) {
  PlanarTwoLayers(N, R1, R2, L, f, LO, D1, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr, &Cache);
}

}  // namespace veldo
