// Coil lying with its axis parallel to the surface of a planar stack (a half-space in the window's
// parallel-coil case).
// The field is not axisymmetric about the surface normal, so the impedance change is a double
// integral over two surface wave numbers: u along the coil axis and v across it, with
// kappa = sqrt(u^2 + v^2) the radial wave number of the plane-wave component that meets the
// surface.
#include <cmath>

#include "coilint/coilint.hpp"
#include "models/model_driver.hpp"
#include "models/planar_stack.hpp"
#include "models/stack_models.hpp"

namespace veldo::models_detail {

// Delta Z = j*omega*mu0*2N^2/((L/2)^2 (R2-R1)^2) * int_0^inf G(u) du with
//   G(u) = W(u) Ic(u)^2 sin^2(uL/2) / u^6,  Ic(u) = int_{uR1}^{uR2} t I1(t) dt,
//   W(u) = int_0^inf rho(kappa) e^{-2 kappa h} / kappa dv,  h = R2 + LO the height of the axis,
// and rho the reflection coefficient of the planar stack at wave number kappa (planar_stack.hpp).
// Every outer node runs a complete inner quadrature for each part of W. An outer node that the
// imaginary-part run evaluates is mostly met again by the real-part run, so the first run
// computes both parts of G there at once: CoilIntI and sin^2/u^6 once, and the inner real-part
// run takes the inner kernel values of the inner imaginary-part run. The second outer run then
// finds G complete at every node the two runs share.
// Both levels integrate over wave numbers made dimensionless by R2 (QagiOverKappa): the outer
// over mu = u*R2, the inner over nu = v*R2, each run multiplied back by its Jacobian 1/R2 there;
// the value tables key on the nodes mu and nu.
// An inner run that does not reach its accuracy (IER not 0) makes the outer node's value
// uncertain: it counts as a failure of the outer run whose integrand used that value (the
// imaginary part of W feeds the imaginary-part run, its real part the real-part run).
void PlanarParallelCoil(const Coil& wire, double liftOff, const std::vector<Layer>& layers, double f,
                        double Acc, Impedance& out, KernelCount* Count, CoilFactorCache* Cache) {
  const int N = wire.N;
  const double R1 = wire.R1, R2 = wire.R2, L = wire.L;
  const double h = R2 + (liftOff + wire.z);
  const double omega = Omega(f);
  const PlanarMedia media(layers, omega);
  const double sqrtXmax = std::sqrt(QMACH(2));
  // Above ELIM the unscaled I0 in CoilIntI overflows and Ic has no value; G is negligible
  // there long before.
  const double elim = BesselElim();
  const bool reuse = Reuses(Count);
  long long outer = 0, inner = 0;

  // The coil factor at u: Ic, and sin(uL/2) and u^6 in extended precision; plain false where Ic
  // has no value (G = 0 there).
  auto coil = CoilFactors(Cache, CoilFactorKind::Vertical, R1, R2, L, [&](double u) {
    CoilFactor cf;
    if (u * R2 > elim) return cf.plain = false, cf;
    cf.c = CoilIntI(u * R1, u * R2);
    if (cf.c > sqrtXmax) return cf.plain = false, cf;
    const long double uu = u;
    cf.s = std::sin(uu * L / 2.0L);
    cf.k6 = IntPow(uu, 6);
    return cf;
  });

  struct Parts {
    double imag = 0.0, real = 0.0;
    bool imagShort = false, realShort = false;  // an inner run of that part did not converge
  };
  // G at u (node mu), the parts asked for (the others stay 0).
  auto G = [&](double mu, double u, bool imagPart, bool realPart) -> Parts {
    ++outer;
    Parts g;
    const CoilFactor cf = coil.At(mu, u);
    if (!cf.plain) return g;
    auto gv = [&](double v) -> TComplex {
      ++inner;
      const double kappa = std::sqrt(v * v + u * u);
      const TComplex rho = media.Reflection(kappa);
      const long double kk = kappa;
      return CScale(rho, static_cast<double>(std::exp(-2.0f * kk * h) / kk));
    };
    // The numerator stays extended until the division.
    auto scaled = [&](double W) {
      return static_cast<double>(static_cast<long double>(W) * cf.c * cf.c * (cf.s * cf.s) / cf.k6);
    };
    NodeCache<TComplex> values;
    const bool share = imagPart && realPart && reuse;
    if (imagPart) {
      int ier = 0;
      const double W = QagiOverKappa(
          [&](double nu, double v) {
            const TComplex z = gv(v);
            if (share) values.Insert(nu, z);
            return CIm(z);
          },
          R2, Acc, ier);
      g.imag = scaled(W);
      g.imagShort = ier != 0;
    }
    if (realPart) {
      int ier = 0;
      const double W = QagiOverKappa(
          [&](double nu, double v) {
            if (share)
              if (const TComplex* z = values.Find(nu)) return CRe(*z);
            return CRe(gv(v));
          },
          R2, Acc, ier);
      g.real = scaled(W);
      g.realShort = ier != 0;
    }
    return g;
  };

  int ierImag = 0, ierReal = 0;
  bool innerImagShort = false, innerRealShort = false;
  NodeCache<Parts> nodes;
  const double imag = QagiOverKappa(
      [&](double mu, double u) {
        const Parts g = G(mu, u, true, reuse);
        if (reuse) nodes.Insert(mu, g);
        innerImagShort = innerImagShort || g.imagShort;
        return g.imag;
      },
      R2, Acc, ierImag);
  const double real = QagiOverKappa(
      [&](double mu, double u) {
        const Parts* kept = reuse ? nodes.Find(mu) : nullptr;
        const Parts g = kept != nullptr ? *kept : G(mu, u, false, true);
        innerRealShort = innerRealShort || g.realShort;
        return g.real;
      },
      R2, Acc, ierReal);
  out.Ier = CombineIer(innerImagShort ? 1 : ierImag, innerRealShort ? 1 : ierReal);
  const TComplex S = Cmplx(real, imag);

  const long double n = N;
  const long double w = static_cast<long double>(R2) - R1;
  const long double halfL = static_cast<long double>(L) / 2.0L;
  const double q = static_cast<double>(2.0f * n * n / (halfL * halfL * w * w));
  const TComplex dZ = CScale(CMulI(CScale(S, q)), omega * kMu0);
  out.dR = CRe(dZ);
  out.dX = CIm(dZ);
  AddCount(Count, outer, inner, coil.Evaluated());
}

}  // namespace veldo::models_detail
