// Coil coaxial with an infinitely long cylindrical stack: inside a bore whose shells run outward to
// an unbounded medium, or round a rod whose shells run inward to a core on the axis, by the
// Dodd-Deeds integral over the axial spatial frequency k. In each shell the radial solution of the
// field harmonic cos(kz) is a I1(alpha r) + c K1(alpha r), alpha = sqrt(k^2 + j omega mu0 mu
// sigma); across each interface the potential and (1/mu)(1/r) d(r A)/dr are continuous.
#include <algorithm>
#include <cmath>

#include "models/cylinder_media.hpp"
#include "models/stack_models.hpp"

namespace veldo::models_detail {

namespace {

// The two windings' axial factor: (1/2) Re of T_a conj(T_b) k^2, T = int e^(ikz) dz over each
// winding's span [z, z + L] along the axis, that is
//   (cos k(b_a - b_b) - cos k(b_a - a_b) - cos k(a_a - b_b) + cos k(a_a - a_b)) / 2;
// for one winding 1 - cos kL, formed so.
long double AxialPair(long double k, const Coil& a, const Coil& b) {
  if (a.z == b.z && a.L == b.L) return 1.0L - std::cos(k * a.L);
  const long double aa = a.z, ba = aa + a.L, ab = b.z, bb = ab + b.L;
  return (std::cos(k * (ba - bb)) - std::cos(k * (ba - ab)) - std::cos(k * (aa - bb)) + std::cos(k * (aa - ab))) / 2;
}

}  // namespace

// Z_ab, the pickup b's voltage per ampere of the drive a, both coaxial with the cylinder:
// S = int_0^inf rho (axial) Ic_a Ic_b / k^6 dk, Delta Z = j 4 omega mu0 q_ab S. If every node was
// dropped, the integral is exactly 0 without the quadrature noticing anything wrong: the call then
// reports both runs as failed instead of returning a silent "no change". A rod of radius 0 is no
// conductor: rho = 0 at every node.
namespace {

// S = int_0^inf rho (axial) Ic_a Ic_b / k^6 dk over the shells `media`, and the quadrature's status.
TComplex CylinderPairIntegral(const Coil& a, const Coil& b, const CylinderMedia& media, double Acc, int& Ier,
                              KernelCount* Count, CoilFactorCache* Cache) {
  const bool self = a.R1 == b.R1 && a.R2 == b.R2 && a.L == b.L && a.z == b.z;
  const bool rod = media.Rod();
  const Limits lim;
  auto factor = [&](double k, const Coil& c) {
    return rod ? OutsideCoilFactor(k, c.R1, c.R2, c.L) : InsideCoilFactor(k, c.R1, c.R2, c.L, lim);
  };
  auto make = [&](double k) {
    CoilFactor cf = factor(k, a);
    if (!self) {
      const CoilFactor other = factor(k, b);
      cf.c2 = other.c;
      cf.lnScale2 = other.lnScale;
      cf.axial = static_cast<double>(AxialPair(k, a, b));
    }
    return cf;
  };
  const double selfKey[3] = {a.R1, a.R2, a.L};
  const double key[7] = {a.R1, a.R2, a.L, b.R1, b.R2, b.L, b.z - a.z};
  const CoilFactorKind kind = rod ? (self ? CoilFactorKind::Outside : CoilFactorKind::OutsidePair)
                                  : (self ? CoilFactorKind::Inside : CoilFactorKind::InsidePair);
  auto factors = self ? CoilFactors(Cache, kind, selfKey, 3, make) : CoilFactors(Cache, kind, key, 7, make);
  int dropped = 0;
  auto kernel = [&](double kappa, double k) {
    if (media.Surface() == 0.0) return kZero;
    const CoilFactor cf = factors.At(kappa, k);
    TComplex rhoS;
    if (!media.ScaledResponse(k, rhoS)) return ++dropped, kZero;
    return ScaledKernel(rhoS, cf, k * media.Surface(), rod ? +1 : -1, self);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, std::max(a.R2, b.R2), Acc, Ier, evals, Reuses(Count));
  if (dropped > 0 && S.Re == 0.0 && S.Im == 0.0) Ier = CombineIer(1, 1);
  AddCount(Count, evals, 0, factors.Evaluated());
  return S;
}

}  // namespace

void CylinderPair(const Coil& a, const Coil& b, const Conductor& conductor, double f, double Acc, Impedance& out,
                  KernelCount* Count, CoilFactorCache* Cache) {
  const double omega = Omega(f);
  const CylinderMedia media(conductor, 0.0, omega);
  const TComplex S = CylinderPairIntegral(a, b, media, Acc, out.Ier, Count, Cache);
  const double q = PairTurnsFactor(a, b);
  const TComplex dZ = CScale(CMulI(CScale(S, q)), 4.0f * omega * kMu0);
  out.dR = CRe(dZ);
  out.dX = CIm(dZ);
}

// Delta L(p) = Delta Z(p) / p = 4 mu0 q S(p) at a complex Laplace variable p.
TComplex CylinderPairLaplace(const Coil& a, const Coil& b, const Conductor& conductor, const TComplex& p, double Acc,
                             int& Ier, CoilFactorCache* Cache) {
  const CylinderMedia media(conductor, p.Re, p.Im);
  const TComplex S = CylinderPairIntegral(a, b, media, Acc, Ier, nullptr, Cache);
  return CScale(S, static_cast<double>(4.0L * kMu0 * PairTurnsFactor(a, b)));
}

void CylinderCoil(const Coil& coil, const Conductor& conductor, double f, double Acc, Impedance& out,
                  KernelCount* Count, CoilFactorCache* Cache) {
  CylinderPair(coil, coil, conductor, f, Acc, out, Count, Cache);
}

}  // namespace veldo::models_detail
