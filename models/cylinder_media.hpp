// The response of a cylindrical stack (a bore's shells outward, a rod's inward) to the field
// harmonic cos(kz), and the coil factors of a coil coaxial with it: what the adaptive path
// (cylinder.cpp) and the batch engine (batch_cylinder.cpp) both integrate.
#pragma once

#include <cmath>
#include <vector>

#include "bessel/amos.hpp"
#include "coilint/coilint.hpp"
#include "models/model_driver.hpp"
#include "models/planar_stack.hpp"
#include "models/problem.hpp"

namespace veldo::models_detail {

// IERR 3 of Amos' routines: "computation completed, losses of significance by argument reduction
// produce less than half of machine accuracy": |z| above about 3.3e4, where the phase Im z of
// e^(-z) carries an error of |z| eps. The scaled values (KODE 2) do not even contain that phase,
// so they are good; at extreme skin effect every alpha*r is this large.
constexpr int kBesselLossOfSignificance = 3;

// Whether an Amos call computed its values (IERR 0 or 3).
inline bool Computed(int ierr) { return ierr == 0 || ierr == kBesselLossOfSignificance; }

// Orders 0 and 1 of I and K, scaled as Amos' KODE 2 scales them: I(z) = Is(z) e^(Re z),
// K(z) = Ks(z) e^(-z). Scaled, neither overflows nor underflows for any argument a valid input
// reaches, however strong the skin effect or however thick the shell.
struct ComplexPairs {
  TComplex I0, I1, K0, K1;
};
struct RealPairs {
  double I0, I1, K0, K1;
};

inline bool ScaledI(const TComplex& z, TComplex& v0, TComplex& v1) {
  double cyr[3] = {}, cyi[3] = {};
  int nz = 0, ierr = 0;
  ZBESI(z.Re, z.Im, 0.0, 2, 2, cyr, cyi, nz, ierr);
  v0 = Cmplx(cyr[1], cyi[1]);
  v1 = Cmplx(cyr[2], cyi[2]);
  return Computed(ierr);
}
inline bool ScaledK(const TComplex& z, TComplex& v0, TComplex& v1) {
  double cyr[3] = {}, cyi[3] = {};
  int nz = 0, ierr = 0;
  ZBESK(z.Re, z.Im, 0.0, 2, 2, cyr, cyi, nz, ierr);
  v0 = Cmplx(cyr[1], cyi[1]);
  v1 = Cmplx(cyr[2], cyi[2]);
  return Computed(ierr);
}
inline bool ScaledPairs(const TComplex& z, ComplexPairs& p) { return ScaledI(z, p.I0, p.I1) && ScaledK(z, p.K0, p.K1); }
inline bool ScaledPairs(double x, RealPairs& p) {
  TComplex i0, i1, k0, k1;
  if (!ScaledI(Cmplx(x, 0.0), i0, i1) || !ScaledK(Cmplx(x, 0.0), k0, k1)) return false;
  p = RealPairs{i0.Re, i1.Re, k0.Re, k1.Re};
  return true;
}

// The round trip across a shell, exp(-(b - a) - Re(b - a)) for its arguments a = alpha r_a and
// b = alpha r_b at two radii r_a < r_b (|F| = exp(-2 Re alpha (r_b - r_a)) <= 1).
inline TComplex RoundTrip(const TComplex& a, const TComplex& b) {
  return CExp(Cmplx(-2.0 * (b.Re - a.Re), -(b.Im - a.Im)));
}

// The shells of a cylindrical stack. Shell j (0-based from the coil's side) lies between the radii
// near[j] (towards the coil) and near[j+1]; the last one is unbounded (bore) or the core (rod).
class CylinderMedia {
public:
  // At the Laplace variable p = pRe + j pIm: alpha^2 = k^2 + p mu0 mu sigma (at a frequency pRe = 0,
  // pIm = omega, and the same numbers as k^2 + j omega mu0 mu sigma).
  CylinderMedia(const Conductor& c, double pRe, double pIm) : rod_(c.geometry == Geometry::Rod) {
    double r = c.position;
    for (const Layer& l : c.layers) {
      r_.push_back(pRe == 0.0 ? 0.0 : SProduct(pRe, l.mur, l.sigma));
      s_.push_back(SProduct(pIm, l.mur, l.sigma));
      mu_.push_back(l.mur);
      near_.push_back(r);
      r = rod_ ? r - l.thickness : r + l.thickness;
    }
  }
  bool Rod() const { return rod_; }
  double Surface() const { return near_[0]; }

  // The reflection coefficient of the stack for the harmonic k, scaled by e^(+2x) (bore) or
  // e^(-2x) (rod), x = k r_surface: rho = rhoS e^(-+2x). False when a Bessel value could not be
  // computed (an argument beyond Amos' range, far out in k where the kernel is negligible).
  //
  // The admittance Y = (alpha/mu)(a I0 - c K0)/(a I1 + c K1) of the solution beyond an interface
  // is carried towards the coil as a pair Yn/Yd. A bore starts from the unbounded medium (c only),
  // a rod from the core (a only). Across an interface the next shell's coefficients follow from Y,
  // as the ratio a/c (bore) or c/a (rod) scaled by the exponentials of that shell's argument at
  // its far radius; carried to its near radius the scaled ratio only gains the round trip F,
  // |F| <= 1. The ratio is a pair too, and shells of one material make its numerator exactly 0.
  bool ScaledResponse(double k, TComplex& rhoS) const {
    TComplex Yn, Yd;
    RealPairs a;
    if (!Admittance(k, Yn, Yd) || !ScaledPairs(k * near_[0], a)) return false;
    rhoS = AirResponse(k, Yn, Yd, a);
    return true;
  }

  // The stack's admittance Yn/Yd at its surface for the harmonic k (false as above).
  bool Admittance(double k, TComplex& Yn, TComplex& Yd) const {
    const std::size_t n = s_.size();
    {
      const TComplex alpha = CSqrt(Cmplx(k * k + r_[n - 1], s_[n - 1]));
      const TComplex z = CScale(alpha, near_[n - 1]);
      TComplex v0, v1;
      if (rod_) {
        if (!ScaledI(z, v0, v1)) return false;
        Yn = CMul(alpha, v0);  // Y = (alpha/mu) I0/I1
        Yd = CScale(v1, mu_[n - 1]);
      } else {
        if (!ScaledK(z, v0, v1)) return false;
        Yn = CScale(CMul(alpha, v0), -1.0);  // Y = -(alpha/mu) K0/K1
        Yd = CScale(v1, mu_[n - 1]);
      }
    }
    for (std::size_t j = n - 1; j-- > 0;) {
      const TComplex alpha = CSqrt(Cmplx(k * k + r_[j], s_[j]));
      const double mu = mu_[j];
      const TComplex zFar = CScale(alpha, near_[j + 1]);
      const TComplex zNear = CScale(alpha, near_[j]);
      ComplexPairs far, nearP;
      if (!ScaledPairs(zFar, far) || !ScaledPairs(zNear, nearP)) return false;
      // The shell's solution matched to Y at its far radius: Tn/Td = a/c (bore) or c/a (rod), scaled.
      TComplex Tn, Td;
      if (rod_) {
        Tn = CSub(CMul(Yd, CMul(alpha, far.I0)), CMul(Yn, CScale(far.I1, mu)));
        Td = CAdd(CMul(Yd, CMul(alpha, far.K0)), CMul(Yn, CScale(far.K1, mu)));
      } else {
        Tn = CAdd(CMul(Yn, CScale(far.K1, mu)), CMul(Yd, CMul(alpha, far.K0)));
        Td = CSub(CMul(Yd, CMul(alpha, far.I0)), CMul(Yn, CScale(far.I1, mu)));
      }
      // Carried to the near radius: inward in a bore, outward in a rod; either way it decays.
      Tn = CMul(Tn, rod_ ? RoundTrip(zFar, zNear) : RoundTrip(zNear, zFar));
      // Its admittance at the near radius.
      if (rod_) {
        Yn = CMul(alpha, CSub(CMul(Td, nearP.I0), CMul(Tn, nearP.K0)));
        Yd = CScale(CAdd(CMul(Td, nearP.I1), CMul(Tn, nearP.K1)), mu);
      } else {
        Yn = CMul(alpha, CSub(CMul(Tn, nearP.I0), CMul(Td, nearP.K0)));
        Yd = CScale(CAdd(CMul(Tn, nearP.I1), CMul(Td, nearP.K1)), mu);
      }
      Rebalance(Yn, Yd);
    }
    return true;
  }

  // rhoS from the admittance and the air's scaled pairs a at x = k r_surface.
  TComplex AirResponse(double k, const TComplex& Yn, const TComplex& Yd, const RealPairs& a) const {
    if (rod_)  // c/a of the air: (k I0 - Y I1) / (k K0 + Y K1)
      return BalancedDiv(CSub(CScale(Yd, k * a.I0), CScale(Yn, a.I1)), CAdd(CScale(Yd, k * a.K0), CScale(Yn, a.K1)));
    // a/c of the air: (Y K1 + k K0) / (k I0 - Y I1)
    return BalancedDiv(CAdd(CScale(Yn, a.K1), CScale(Yd, k * a.K0)), CSub(CScale(Yd, k * a.I0), CScale(Yn, a.I1)));
  }

private:
  bool rod_;
  std::vector<double> r_, s_, mu_, near_;
};

// Above ELIM the unscaled I0 of a real argument overflows, so CoilIntI has no value there.
struct Limits {
  double sqrtXmax = std::sqrt(QMACH(2));
  double elim = BesselElim();
};

// The coil factor of a coil inside a bore: Ic = int_{kR1}^{kR2} t I1(t) dt, k^6 and the axial
// factor 1 - cos kL of a winding of height L. Where Ic outgrows a double (k R2 above ELIM, or Ic
// beyond sqrt(xmax)) it is kept scaled, Ic e^(-kR2) with lnScale = kR2, which the kernel puts back
// in its exponent. A bore within microns of the winding keeps kernel weight out to k R2 of several
// thousand (e^(-2k(B1 - R2)) is all that damps it).
inline CoilFactor InsideCoilFactor(double k, double R1, double R2, double L, const Limits& lim) {
  CoilFactor cf;
  const long double kk = k;
  cf.k6 = IntPow(kk, 6);
  cf.axial = static_cast<double>(1.0L - std::cos(kk * L));
  if (k * R2 <= lim.elim) {
    cf.c = CoilIntI(k * R1, k * R2);
    if (!(cf.c > lim.sqrtXmax)) return cf;
  }
  cf.c = CoilIntIScaled(k * R1, k * R2);
  cf.lnScale = k * R2;
  cf.plain = false;
  return cf;
}

// The coil factor of a coil round a rod: Ic = int_{kR1}^{kR2} t K1(t) dt decays like exp(-kR1).
inline CoilFactor OutsideCoilFactor(double k, double R1, double R2, double L) {
  CoilFactor cf;
  const long double kk = k;
  cf.k6 = IntPow(kk, 6);
  cf.axial = static_cast<double>(1.0L - std::cos(kk * L));
  cf.c = CoilIntK(k * R1, k * R2);
  return cf;
}

inline constexpr TComplex kZero{0.0, 0.0};

// rhoS (axial) (Ic_a e^(-+x)) (Ic_b e^(-+x)) / k^6: the scaled reflection times the coil factor,
// the exponential of x = k r_surface (and of a scaled coil factor's lnScale) joined to each Ic in
// extended precision through the logarithm, since far out in k e^x alone exceeds even the
// extended range.
inline long double Rescaled(double Ic, double x, int sign, double lnScale) {
  const long double v = Ic;
  return std::copysign(std::exp(std::log(std::fabs(v)) + sign * static_cast<long double>(x) + static_cast<long double>(lnScale)), v);
}
inline TComplex ScaledKernel(const TComplex& rhoS, const CoilFactor& cf, double x, int sign, bool self) {
  if (cf.c == 0.0 || (!self && cf.c2 == 0.0)) return kZero;  // a coil factor has underflowed
  const long double c = Rescaled(cf.c, x, sign, cf.lnScale);
  const long double c2 = self ? c : Rescaled(cf.c2, x, sign, cf.lnScale2);
  const double radial = static_cast<double>(c * c2 / cf.k6);
  return CScale(CScale(rhoS, cf.axial), radial);
}

}  // namespace veldo::models_detail
