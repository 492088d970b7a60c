// Coil with its axis normal to a planar stack of layers, by the Dodd-Deeds integral over the
// radial spatial frequency k: the coil factor E(k) J(k)^2 / k^6 times the stack's reflection
// coefficient rho(k) (models/planar_stack.hpp).
#include <algorithm>
#include <cmath>

#include "bessel/amos.hpp"

#include "coilint/coilint.hpp"
#include "models/model_driver.hpp"
#include "models/offset_integral.hpp"
#include "models/planar_stack.hpp"
#include "models/stack_models.hpp"

namespace veldo::models_detail {

namespace {

// The factors of one winding over a plate: E(k) couples its height L and its lower face's height h
// above the surface, J(k) = int_{kR1}^{kR2} t J1(t) dt its cross-section.
struct PlanarWinding {
  double R1, R2, L, h;

  // e^-k h - e^-k(h+L), in extended precision: the two exponentials nearly cancel for small k L.
  long double D(double k) const {
    const long double kk = k;
    return std::exp(-kk * h) - std::exp(-kk * (static_cast<long double>(h) + L));
  }
  long double J(double k) const { return CoilIntJ(k * R1, k * R2); }
};

// S = int_0^inf rho(k) D_a D_b J_a J_b / k^6 J0(k x) dk over the stack `media`, and the quadrature's
// status.
TComplex PlanarPairIntegral(const Coil& a, const Coil& b, double liftOff, const PlanarMedia& media, double Acc,
                            int& Ier, KernelCount* Count, CoilFactorCache* Cache) {
  const PlanarWinding wa{a.R1, a.R2, a.L, liftOff + a.z}, wb{b.R1, b.R2, b.L, liftOff + b.z};
  const bool self = a.R1 == b.R1 && a.R2 == b.R2 && a.L == b.L && wa.h == wb.h && a.x == b.x;
  const double x = std::fabs(a.x - b.x);
  const bool cycles = x != 0 && CyclesApart(x, a.R2, b.R2);
  // A pair's factor holds its heights' parts too: D_a D_b = e^-k(h_a + h_b) (1 - e^-k L_a)(1 - e^-k L_b),
  // of which only the exponential of the heights changes with the lift-off (one exponential per
  // node instead of four; each product commutes, so Z_ab = Z_ba stays exact).
  auto make = [&](double k) {
    CoilFactor cf;
    const long double Ja = cycles ? CoilIntJOffset(k * a.R1, k * a.R2) : wa.J(k);
    const long double Jb = self ? Ja : cycles ? CoilIntJOffset(k * b.R1, k * b.R2) : wb.J(k);
    cf.c = static_cast<double>(Ja);
    if (self) {
      cf.radial = static_cast<double>(Ja * Jb / IntPow(k, 6));
    } else {
      const long double kk = k;
      cf.radial = static_cast<double>(Ja * Jb * (std::expm1(-kk * a.L) * std::expm1(-kk * b.L)) / IntPow(k, 6));
    }
    if (x != 0) cf.lateral = BesselJ0(k * x);
    return cf;
  };
  const double key[7] = {a.R1, a.R2, a.L, b.R1, b.R2, b.L, x};
  const double selfKey[3] = {a.R1, a.R2, a.L};
  auto factors = self ? CoilFactors(Cache, CoilFactorKind::Planar, selfKey, 3, make)
                      : CoilFactors(Cache, CoilFactorKind::PlanarPair, key, 7, make);
  auto kernel = [&](double kappa, double k) {
    const CoilFactor& cf = factors.At(kappa, k);
    double E;
    if (self) {
      const long double Da = wa.D(k);
      E = static_cast<double>(Da * Da);
    } else {
      E = std::exp(-k * (wa.h + wb.h));
    }
    const TComplex z = CScale(CScale(media.Reflection(k), E), cf.radial);
    return x != 0 ? CScale(z, cf.lateral) : z;
  };
  long long evals = 0;
  // Axes far apart: the cycles of J0(k x) summed and extrapolated (models/offset_integral.hpp).
  const double R2 = std::max(a.R2, b.R2);
  const TComplex S = cycles ? IntegrateOffsetKernel(kernel, R2, x, Acc, Ier, evals)
                            : IntegrateKernel(kernel, R2, Acc, Ier, evals, Reuses(Count));
  AddCount(Count, evals, 0, factors.Evaluated());
  return S;
}

}  // namespace

// The impedance change of the pickup's voltage per ampere of the drive, both coils' axes normal to
// the plate, parallel and x apart:
//   Delta Z = j pi omega mu0 q int_0^inf rho(k) D_a D_b J_a J_b / k^6 J0(k x) dk,
//   q = N_a N_b / (L_a L_b (R2_a - R1_a)(R2_b - R1_b)).
// For one coil (a = b, x = 0) the coil factor E(k) J(k)^2 / k^6 with E = D^2 and the turns
// density squared are formed as they always were; each product of two factors commutes exactly,
// so Z_ab = Z_ba to the rounding of the turns factor.
void PlanarPair(const Coil& a, const Coil& b, double liftOff, const std::vector<Layer>& layers, double f,
                double Acc, Impedance& out, KernelCount* Count, CoilFactorCache* Cache) {
  const double omega = Omega(f);
  const PlanarMedia media(layers, omega);
  const TComplex S = PlanarPairIntegral(a, b, liftOff, media, Acc, out.Ier, Count, Cache);
  const double q = PairTurnsFactor(a, b);
  const TComplex dZ = CScale(CMulI(CScale(S, q)), static_cast<double>(kPi * omega * kMu0));
  out.dR = CRe(dZ);
  out.dX = CIm(dZ);
}

// Delta L(p) = Delta Z(p) / p = pi mu0 q S(p) at a complex Laplace variable p.
TComplex PlanarPairLaplace(const Coil& a, const Coil& b, double liftOff, const std::vector<Layer>& layers,
                           const TComplex& p, double Acc, int& Ier, CoilFactorCache* Cache) {
  const PlanarMedia media(layers, p.Re, p.Im);
  const TComplex S = PlanarPairIntegral(a, b, liftOff, media, Acc, Ier, nullptr, Cache);
  return CScale(S, static_cast<double>(kPi * kMu0 * PairTurnsFactor(a, b)));
}

void PlanarNormalCoil(const Coil& coil, double liftOff, const std::vector<Layer>& layers, double f, double Acc,
                      Impedance& out, KernelCount* Count, CoilFactorCache* Cache) {
  PlanarPair(coil, coil, liftOff, layers, f, Acc, out, Count, Cache);
}

}  // namespace veldo::models_detail
