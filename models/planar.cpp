// Coil with its axis normal to a planar stack of layers, by the Dodd-Deeds integral over the
// radial spatial frequency k: the coil factor E(k) J(k)^2 / k^6 times the stack's reflection
// coefficient rho(k) (models/planar_stack.hpp).
#include <cmath>

#include "coilint/coilint.hpp"
#include "models/model_driver.hpp"
#include "models/planar_stack.hpp"
#include "models/stack_models.hpp"

namespace veldo::models_detail {

namespace {

// The coil factor of the planar kernels: E(k) J(k)^2 / k^6. E(k) = (e^-k h - e^-k(h+L))^2 couples
// the winding's height and its lower face's height h above the surface; it is formed in extended
// precision because the two exponentials nearly cancel for small k L. J(k)^2 / k^6 depends on the
// coil alone.
struct PlanarGeometry {
  double R1, R2, L, h;

  double E(double k) const {
    const long double kk = k;
    const long double d = std::exp(-kk * h) - std::exp(-kk * (static_cast<long double>(h) + L));
    return static_cast<double>(d * d);
  }
  CoilFactor CoilFactorAt(double k) const {
    CoilFactor cf;
    const long double J = CoilIntJ(k * R1, k * R2);
    cf.c = static_cast<double>(J);
    cf.radial = static_cast<double>(J * J / IntPow(k, 6));
    return cf;
  }
};

}  // namespace

// Delta Z = j pi omega mu0 q S, q = N^2 / (L^2 (R2 - R1)^2).
void PlanarNormalCoil(const Coil& coil, double liftOff, const std::vector<Layer>& layers, double f, double Acc,
                      Impedance& out, KernelCount* Count, CoilFactorCache* Cache) {
  const PlanarGeometry g{coil.R1, coil.R2, coil.L, liftOff + coil.z};
  const double omega = Omega(f);
  const PlanarMedia media(layers, omega);
  auto factors = CoilFactors(Cache, CoilFactorKind::Planar, g.R1, g.R2, g.L,
                             [&g](double k) { return g.CoilFactorAt(k); });
  auto kernel = [&](double kappa, double k) {
    const double J2k6 = factors.At(kappa, k).radial;
    const double E = g.E(k);
    return CScale(CScale(media.Reflection(k), E), J2k6);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, g.R2, Acc, out.Ier, evals, Reuses(Count));
  const double q = TurnsFactor(coil.N, coil.R1, coil.R2, coil.L);
  const TComplex dZ = CScale(CMulI(CScale(S, q)), static_cast<double>(kPi * omega * kMu0));
  out.dR = CRe(dZ);
  out.dX = CIm(dZ);
  AddCount(Count, evals, 0, factors.Evaluated());
}

}  // namespace veldo::models_detail
