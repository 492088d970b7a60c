// Coil coaxial with an infinitely long cylindrical conductor: inside a bore (cases 3, 4) or round
// a rod (cases 5, 6), one or two materials, by the Dodd-Deeds integral over the axial spatial
// frequency k. The field harmonic cos(kz) meets the conductor surface r = B1 and, for two
// materials, the interface r = B2; the modified Bessel functions of the real argument k*B and of
// the complex argument alpha*B (alpha = sqrt(k^2 + j omega mu0 MR CON)) match the radial
// solutions across them.
#include <cfenv>
#include <cmath>

#include "bessel/amos.hpp"
#include "coilint/coilint.hpp"
#include "models/model_driver.hpp"

namespace veldo {

using namespace models_detail;

namespace {

// Amos' status codes that the kernels read.
constexpr int kBesselOverflow = 2;  // IERR 2: overflow, nothing computed
// IERR 3: "computation completed, losses of significance by argument reduction produce less
// than half of machine accuracy": |z| above about 3.3e4, where the phase Im z of e^(-z) carries
// an error of |z| eps. The values are there, good to about 1e-11 relative for the largest
// |alpha B| a valid input reaches (a few 1e5), and the scaled values (KODE 2) do not even
// contain that phase. At extreme skin effect every alpha*B is this large, so treating IERR 3
// as a failure dropped every node and gave dZ = 0.
constexpr int kBesselLossOfSignificance = 3;

// Whether an Amos call computed its values (IERR 0 or 3).
bool Computed(int ierr) { return ierr == 0 || ierr == kBesselLossOfSignificance; }

// Orders 0 and 1 of I or K at one argument.
struct ComplexPair {
  TComplex v0, v1;
};
struct RealPair {
  double v0, v1;
};

// Bessel pairs of a complex argument; KODE 1 unscaled, KODE 2 scaled (I by exp(-|Re z|),
// K by exp(z)). Return IERR; nz receives the underflow count.
int BesselI(const TComplex& z, int kode, ComplexPair& out, int& nz) {
  double cyr[3] = {}, cyi[3] = {};
  int ierr = 0;
  ZBESI(z.Re, z.Im, 0.0, kode, 2, cyr, cyi, nz, ierr);
  out = ComplexPair{Cmplx(cyr[1], cyi[1]), Cmplx(cyr[2], cyi[2])};
  return ierr;
}
int BesselK(const TComplex& z, int kode, ComplexPair& out, int& nz) {
  double cyr[3] = {}, cyi[3] = {};
  int ierr = 0;
  ZBESK(z.Re, z.Im, 0.0, kode, 2, cyr, cyi, nz, ierr);
  out = ComplexPair{Cmplx(cyr[1], cyi[1]), Cmplx(cyr[2], cyi[2])};
  return ierr;
}
// Orders 0 and 1 of ZBESI or ZBESK at a real argument; KODE 1 unscaled, KODE 2 scaled as Amos
// does (I by exp(-x), K by exp(x)).
template <class Amos>
int RealPairOf(Amos amos, double x, int kode, RealPair& out) {
  double cyr[3] = {}, cyi[3] = {};
  int nz = 0, ierr = 0;
  amos(x, 0.0, 0.0, kode, 2, cyr, cyi, nz, ierr);
  out = RealPair{cyr[1], cyr[2]};
  return ierr;
}
int BesselI(double x, RealPair& out) { return RealPairOf(ZBESI, x, 1, out); }
int BesselK(double x, RealPair& out) { return RealPairOf(ZBESK, x, 1, out); }
int BesselIScaled(double x, RealPair& out) { return RealPairOf(ZBESI, x, 2, out); }
int BesselKScaled(double x, RealPair& out) { return RealPairOf(ZBESK, x, 2, out); }

// The complex-argument pairs of one kernel evaluation, unscaled. Once the skin depth is below
// about 1/700 of a radius (Re(alpha B) > about 700) I overflows and K underflows to zero,
// although the reflection coefficient, a ratio of sums of their products, stays finite. Such a
// pair does not end the evaluation: it sends it to the balanced form (see BalancedKernel); so
// does, for a rod, a pair beyond the sqrt(xmax) bound that the direct form cannot multiply.
struct Fetch {
  bool failed = false;      // nothing computed for a reason other than overflow: node dropped
  bool outOfRange = false;  // overflow or underflow of an unscaled pair

  void I(const TComplex& z, ComplexPair& out) { Take(BesselI(z, 1, out, nz)); }
  void K(const TComplex& z, ComplexPair& out) { Take(BesselK(z, 1, out, nz)); }

 private:
  int nz = 0;
  void Take(int ierr) {
    if (failed) return;
    if (ierr == kBesselOverflow || (Computed(ierr) && nz != 0)) {
      outOfRange = true;
    } else if (!Computed(ierr)) {
      failed = true;
    }
  }
};

// Guards the direct evaluation of a reflection coefficient from the published Bessel products.
// That form multiplies values as large as e^(Re z) by values as small as e^(-Re z); far out in
// k, or for strongly conducting or magnetic pieces, a product or the reciprocal |den|^-2 that
// the complex division stores leaves the double range, which raises a floating-point fault or
// silently zeroes rho. The guard records the fault flags the direct form raises (and removes
// them again); the kernel then forms rho from exponentially scaled values instead.
class DirectFormGuard {
 public:
  DirectFormGuard() {
    std::fegetexceptflag(&saved_, FE_ALL_EXCEPT);
    std::feclearexcept(kFaults);
  }
  // True when the direct form stayed in range: no fault, and a denominator whose squared
  // modulus CDiv can invert without underflow.
  bool Clean(const TComplex& den) {
    const bool clean = std::fetestexcept(kFaults) == 0 && CAbs(den) < kDenMax;
    std::fesetexceptflag(&saved_, FE_ALL_EXCEPT);
    restored_ = true;
    return clean;
  }
  ~DirectFormGuard() {
    if (!restored_) std::fesetexceptflag(&saved_, FE_ALL_EXCEPT);
  }

 private:
  static constexpr int kFaults = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;
  static constexpr double kDenMax = 1.0e150;
  std::fexcept_t saved_;
  bool restored_ = false;
};

// rho = num / den with both scaled by the same power of two first when |den| is so small or so
// large that CDiv's stored reciprocal |den|^-2 would overflow or underflow. Scaling by 2^n is
// exact, so the quotient is CDiv's own whenever no scaling is needed.
TComplex BalancedDiv(TComplex num, TComplex den) {
  const double m = std::fmax(std::fabs(den.Re), std::fabs(den.Im));
  if (m != 0.0 && (m < 1.0e-150 || m > 1.0e150)) {
    const int e = std::ilogb(m);
    num = Cmplx(std::ldexp(num.Re, -e), std::ldexp(num.Im, -e));
    den = Cmplx(std::ldexp(den.Re, -e), std::ldexp(den.Im, -e));
  }
  return CDiv(num, den);
}

// A term k*mu*(real value)*(complex value): one scaling by the real product.
TComplex KMuTerm(double k, double mu, double real, const TComplex& c) {
  return CScale(c, static_cast<double>(static_cast<long double>(k) * mu * real));
}
// A term alpha*(real value)*(complex value).
TComplex AlphaTerm(const TComplex& alpha, double real, const TComplex& c) { return CMul(CScale(alpha, real), c); }

// The values that all cylinder kernels compare against.
struct Limits {
  double xmax = QMACH(2);              // overflow bound of the quadrature's table
  double sqrtXmax = std::sqrt(QMACH(2));
  // Above ELIM the unscaled I0 of a real argument overflows, so CoilIntI has no value there.
  double elim = BesselElim();
};

// The coil factor of the bore models: Ic = int_{kR1}^{kR2} t I1(t) dt, k^6 and the axial factor
// 1 - cos kL of a winding of height L. Where Ic outgrows a double (k R2 above ELIM, or Ic beyond
// sqrt(xmax): the published cut-offs, at which the node used to be dropped) it is kept scaled,
// Ic e^(-kR2) with lnScale = kR2 and plain false, and the node goes to the balanced form, which
// puts the scale back in its exponent. A bore within microns of the winding keeps kernel weight
// out to k R2 of several thousand (e^(-2k(B1 - R2)) is all that damps it), and the cut-off lost
// 1e-5 of the change there.
CoilFactor InsideCoilFactor(double k, double R1, double R2, double L, const Limits& lim) {
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

// The coil factor of the rod models: Ic = int_{kR1}^{kR2} t K1(t) dt decays like exp(-kR1), so
// no cut-off is needed on it.
CoilFactor OutsideCoilFactor(double k, double R1, double R2, double L) {
  CoilFactor cf;
  const long double kk = k;
  cf.k6 = IntPow(kk, 6);
  cf.axial = static_cast<double>(1.0L - std::cos(kk * L));
  cf.c = CoilIntK(k * R1, k * R2);
  return cf;
}

// rho (1 - cos kL) Ic^2 / k^6: the reflection coefficient times the coil factor.
TComplex CylinderKernel(const TComplex& rho, const CoilFactor& cf) {
  const double radial = static_cast<double>(static_cast<long double>(cf.c) * cf.c / cf.k6);
  return CScale(CScale(rho, cf.axial), radial);
}

// Delta Z = j*4*omega*mu0*q*S.
void CylinderImpedance(const TComplex& S, int N, double R1, double R2, double L, double omega, double& dR,
                       double& dX) {
  const double q = TurnsFactor(N, R1, R2, L);
  const TComplex dZ = CScale(CMulI(CScale(S, q)), 4.0f * omega * kMu0);
  dR = CRe(dZ);
  dX = CIm(dZ);
}

constexpr TComplex kZero{0.0, 0.0};

bool TooLarge(const ComplexPair& p, const Limits& lim) {
  return CAbs(p.v0) > lim.sqrtXmax || CAbs(p.v1) > lim.sqrtXmax;
}
bool TooLarge(const RealPair& p, const Limits& lim) { return p.v0 > lim.sqrtXmax || p.v1 > lim.sqrtXmax; }

// The balanced forms. With every pair scaled (I(z) = Is(z) e^(Re z), K(z) = Ks(z) e^(-z), and
// alike for the real argument x = k B1) the exponentials of the complex arguments cancel from the
// reflection coefficient except for the round trip F across a layer (|F| <= 1), and those of
// x leave rho = rhoS e^(-2x) (coil inside) or rho = rhoS e^(2x) (coil outside), which joins the
// coil factor as (Ic e^(-+x))^2, formed in extended precision.
// A scaled coil factor (lnScale = kR2, see InsideCoilFactor) joins that exponent.
TComplex BalancedKernel(const TComplex& rhoS, const CoilFactor& cf, double x, int sign) {
  if (cf.c == 0.0) return kZero;  // the coil factor has underflowed: nothing left to scale
  // Ic e^(-+x) through the logarithm: far out in k, e^x alone exceeds even the extended range.
  const long double Ic = cf.c;
  const long double c = std::copysign(
      std::exp(std::log(std::fabs(Ic)) + sign * static_cast<long double>(x) + static_cast<long double>(cf.lnScale)),
      Ic);
  const double radial = static_cast<double>(c * c / cf.k6);
  return CScale(CScale(rhoS, cf.axial), radial);
}

struct ScaledReal {
  RealPair I, K;
  bool Get(double x) { return Computed(BesselIScaled(x, I)) && Computed(BesselKScaled(x, K)); }
};

// The materials of a cylinder model: s = omega mu0 MR CON of each, the radii B1 and B2.
struct Materials {
  double s1, s2, MR1, MR2, B1, B2;
};

// The formulas of the four models at one node k, for CylinderNode. Each holds the complex
// arguments and their Bessel pairs and provides:
//   Load(fetch)    the unscaled complex pairs (KODE 1), through `fetch`;
//   LoadScaled()   the same pairs scaled (KODE 2); false when one could not be computed;
//   TooLarge(lim)  whether a complex pair is too large for the direct form (the rods only);
//   Ratio(I, K, scaled, num, den)  numerator and denominator of rho from the real pairs of
//                  x = k B1, for the unscaled pairs or for the scaled ones (rhoS);
//   kSign          -1 coil inside (rho = rhoS e^(-2x)), +1 coil outside (rho = rhoS e^(2x)).

// k mu Z0(x) C1 -+ alpha Z1(x) C0 for the real pair Z and the complex pair C.
TComplex Minus(double k, double mu, const TComplex& alpha, const RealPair& Z, const ComplexPair& C) {
  return CSub(KMuTerm(k, mu, Z.v0, C.v1), AlphaTerm(alpha, Z.v1, C.v0));
}
TComplex Plus(double k, double mu, const TComplex& alpha, const RealPair& Z, const ComplexPair& C) {
  return CAdd(KMuTerm(k, mu, Z.v0, C.v1), AlphaTerm(alpha, Z.v1, C.v0));
}

// Bore in one material:
// rho = [k mu K0(kB1) K1(a1B1) - a1 K1(kB1) K0(a1B1)] / [k mu I0(kB1) K1(a1B1) + a1 I1(kB1) K0(a1B1)].
struct InsideOne {
  static constexpr int kSign = -1;
  double k, x, MR1;
  TComplex alpha1, z1;
  ComplexPair Ka;

  InsideOne(double k_, const Materials& m)
      : k(k_), x(k_ * m.B1), MR1(m.MR1), alpha1(CSqrt(Cmplx(k_ * k_, m.s1))), z1(CScale(alpha1, m.B1)) {}
  void Load(Fetch& fetch) { fetch.K(z1, Ka); }
  bool LoadScaled() {
    int nz = 0;
    return Computed(BesselK(z1, 2, Ka, nz));
  }
  bool TooLarge(const Limits&) const { return false; }
  void Ratio(const RealPair& I, const RealPair& K, bool, TComplex& num, TComplex& den) const {
    num = Minus(k, MR1, alpha1, K, Ka);
    den = Plus(k, MR1, alpha1, I, Ka);
  }
};

// Rod of one material:
// rho = [k mu I0(kB1) I1(a1B1) - a1 I1(kB1) I0(a1B1)] / [k mu K0(kB1) I1(a1B1) + a1 K1(kB1) I0(a1B1)].
struct OutsideOne {
  static constexpr int kSign = +1;
  double k, x, MR1;
  TComplex alpha1, z1;
  ComplexPair Ia;

  OutsideOne(double k_, const Materials& m)
      : k(k_), x(k_ * m.B1), MR1(m.MR1), alpha1(CSqrt(Cmplx(k_ * k_, m.s1))), z1(CScale(alpha1, m.B1)) {}
  void Load(Fetch& fetch) { fetch.I(z1, Ia); }
  bool LoadScaled() {
    int nz = 0;
    return Computed(BesselI(z1, 2, Ia, nz));
  }
  bool TooLarge(const Limits& lim) const { return veldo::TooLarge(Ia, lim); }
  void Ratio(const RealPair& I, const RealPair& K, bool, TComplex& num, TComplex& den) const {
    num = Minus(k, MR1, alpha1, I, Ia);
    den = Plus(k, MR1, alpha1, K, Ia);
  }
};

// rho = (P A1 + Q A2) / (P A3 + Q A4) of the two-layer models; in the balanced form the
// factor F multiplies P (bore) or Q (rod).
void TwoLayerRatio(TComplex P, TComplex Q, const TComplex& A1, const TComplex& A2, const TComplex& A3,
                   const TComplex& A4, TComplex& num, TComplex& den) {
  num = CAdd(CMul(P, A1), CMul(Q, A2));
  den = CAdd(CMul(P, A3), CMul(Q, A4));
}

// The round trip across layer 1, exp(-(b - a) - Re(b - a)) for the arguments a, b at its two
// radii (|F| <= 1 when Re b >= Re a).
TComplex RoundTrip(const TComplex& a, const TComplex& b) {
  return CExp(Cmplx(-2.0 * (b.Re - a.Re), -(b.Im - a.Im)));
}

// Bore with material 1 in B1 < r < B2 and material 2 beyond: P and Q match the interface at
// B2, A1..A4 the surface at B1. Scaled, K(a2B2) cancels and the P terms keep F, the decay across
// layer 1 there and back, |F| <= 1 because B2 > B1.
struct InsideTwo {
  static constexpr int kSign = -1;
  double k, x, MR1;
  TComplex alpha1, alpha2, w, z1, z2, a1m2, a2m1;
  ComplexPair Kw, Iz1, Kz1, Iz2, Kz2;

  InsideTwo(double k_, const Materials& m)
      : k(k_), x(k_ * m.B1), MR1(m.MR1), alpha1(CSqrt(Cmplx(k_ * k_, m.s1))),
        alpha2(CSqrt(Cmplx(k_ * k_, m.s2))), w(CScale(alpha2, m.B2)), z1(CScale(alpha1, m.B1)),
        z2(CScale(alpha1, m.B2)), a1m2(CScale(alpha1, m.MR2)), a2m1(CScale(alpha2, m.MR1)) {}
  void Load(Fetch& fetch) {
    fetch.K(w, Kw);
    fetch.I(z1, Iz1);
    fetch.K(z1, Kz1);
    fetch.I(z2, Iz2);
    fetch.K(z2, Kz2);
  }
  bool LoadScaled() {
    int nz = 0;
    return Computed(BesselK(w, 2, Kw, nz)) && Computed(BesselI(z1, 2, Iz1, nz)) &&
           Computed(BesselK(z1, 2, Kz1, nz)) && Computed(BesselI(z2, 2, Iz2, nz)) &&
           Computed(BesselK(z2, 2, Kz2, nz));
  }
  bool TooLarge(const Limits&) const { return false; }
  void Ratio(const RealPair& I, const RealPair& K, bool scaled, TComplex& num, TComplex& den) const {
    const TComplex P = CSub(CMul(a1m2, CMul(Kw.v1, Kz2.v0)), CMul(a2m1, CMul(Kw.v0, Kz2.v1)));
    const TComplex Q = CAdd(CMul(a1m2, CMul(Kw.v1, Iz2.v0)), CMul(a2m1, CMul(Kw.v0, Iz2.v1)));
    TwoLayerRatio(scaled ? CMul(P, RoundTrip(z1, z2)) : P, Q, Plus(k, MR1, alpha1, K, Iz1),
                  Minus(k, MR1, alpha1, K, Kz1), Minus(k, MR1, alpha1, I, Iz1), Plus(k, MR1, alpha1, I, Kz1), num,
                  den);
  }
};

// Rod with a core of material 2 (r < B2) in a shell of material 1 (B2 < r < B1). Scaled,
// I(a2B2) cancels and the Q terms keep F, the decay across the shell there and back, |F| <= 1
// because B2 < B1.
struct OutsideTwo {
  static constexpr int kSign = +1;
  double k, x, MR1;
  TComplex alpha1, alpha2, z1, z2, w, a1m2, a2m1;
  ComplexPair Iz1, Kz1, Iz2, Kz2, Iw;

  OutsideTwo(double k_, const Materials& m)
      : k(k_), x(k_ * m.B1), MR1(m.MR1), alpha1(CSqrt(Cmplx(k_ * k_, m.s1))),
        alpha2(CSqrt(Cmplx(k_ * k_, m.s2))), z1(CScale(alpha1, m.B1)), z2(CScale(alpha1, m.B2)),
        w(CScale(alpha2, m.B2)), a1m2(CScale(alpha1, m.MR2)), a2m1(CScale(alpha2, m.MR1)) {}
  void Load(Fetch& fetch) {
    fetch.I(z1, Iz1);
    fetch.K(z1, Kz1);
    fetch.I(z2, Iz2);
    fetch.K(z2, Kz2);
    fetch.I(w, Iw);
  }
  bool LoadScaled() {
    int nz = 0;
    return Computed(BesselI(z1, 2, Iz1, nz)) && Computed(BesselK(z1, 2, Kz1, nz)) &&
           Computed(BesselI(z2, 2, Iz2, nz)) && Computed(BesselK(z2, 2, Kz2, nz)) &&
           Computed(BesselI(w, 2, Iw, nz));
  }
  bool TooLarge(const Limits& lim) const {
    return veldo::TooLarge(Iz1, lim) || veldo::TooLarge(Kz1, lim) || veldo::TooLarge(Iz2, lim) ||
           veldo::TooLarge(Kz2, lim) || veldo::TooLarge(Iw, lim);
  }
  void Ratio(const RealPair& I, const RealPair& K, bool scaled, TComplex& num, TComplex& den) const {
    const TComplex P = CAdd(CMul(a1m2, CMul(Iw.v1, Kz2.v0)), CMul(a2m1, CMul(Iw.v0, Kz2.v1)));
    const TComplex Q = CSub(CMul(a1m2, CMul(Iw.v1, Iz2.v0)), CMul(a2m1, CMul(Iw.v0, Iz2.v1)));
    TwoLayerRatio(P, scaled ? CMul(Q, RoundTrip(z2, z1)) : Q, Minus(k, MR1, alpha1, I, Iz1),
                  Plus(k, MR1, alpha1, I, Kz1), Plus(k, MR1, alpha1, K, Iz1), Minus(k, MR1, alpha1, K, Kz1), num,
                  den);
  }
};

// One node of a cylinder model. The direct form from the unscaled pairs when they are in range
// (for a rod, also below sqrt(xmax), the bound the direct form can multiply) and the guard
// finds it clean; otherwise the balanced form from the scaled pairs. A node whose Bessel values
// could not be computed at all (IERR 1, 4 or 5: an argument beyond Amos' range, far out in k
// where the kernels are negligible), or whose direct rho exceeds the double range, counts as
// dropped and gives 0.
template <class Shape>
TComplex CylinderNode(Shape& shape, const CoilFactor& cf, const Limits& lim, int& dropped) {
  Fetch fetch;
  shape.Load(fetch);
  if (fetch.failed) return ++dropped, kZero;
  if (!cf.plain) fetch.outOfRange = true;
  RealPair Ir, Kr;
  if (!fetch.outOfRange) {
    fetch.outOfRange = !Computed(BesselI(shape.x, Ir)) || !Computed(BesselK(shape.x, Kr)) ||
                       (Shape::kSign > 0 && (TooLarge(Ir, lim) || TooLarge(Kr, lim) || shape.TooLarge(lim)));
  }
  if (!fetch.outOfRange) {
    DirectFormGuard guard;
    TComplex num, den;
    shape.Ratio(Ir, Kr, false, num, den);
    const TComplex rho = CDiv(num, den);
    if (guard.Clean(den)) {
      if (CAbs(rho) > lim.xmax) return ++dropped, kZero;
      return CylinderKernel(rho, cf);
    }
  }
  ScaledReal r;
  if (!shape.LoadScaled() || !r.Get(shape.x)) return ++dropped, kZero;
  TComplex num, den;
  shape.Ratio(r.I, r.K, true, num, den);
  return BalancedKernel(BalancedDiv(num, den), cf, shape.x, Shape::kSign);
}

// A cylinder model call: S = int_0^inf rho (1 - cos kL) Ic^2 / k^6 dk over the nodes of Shape,
// then Delta Z. If every node was dropped, the integral is exactly 0 without the quadrature
// noticing anything wrong: the call then reports both runs as failed instead of returning a
// silent "no change". A rod of radius 0 is no conductor: rho = 0 at every node.
template <class Shape>
void CylinderModel(int N, double R1, double R2, double L, double f, const Materials& m, double Acc, double& dR,
                   double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache) {
  constexpr bool rod = Shape::kSign > 0;
  const Limits lim;
  auto coil = CoilFactors(Cache, rod ? CoilFactorKind::Outside : CoilFactorKind::Inside, R1, R2, L, [&](double k) {
    return rod ? OutsideCoilFactor(k, R1, R2, L) : InsideCoilFactor(k, R1, R2, L, lim);
  });
  int dropped = 0;
  auto kernel = [&](double kappa, double k) {
    if (rod && m.B1 == 0.0) return kZero;
    const CoilFactor cf = coil.At(kappa, k);
    Shape shape(k, m);
    return CylinderNode(shape, cf, lim, dropped);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, R2, Acc, Ier, evals, Reuses(Count));
  if (dropped > 0 && S.Re == 0.0 && S.Im == 0.0) Ier = CombineIer(1, 1);
  CylinderImpedance(S, N, R1, R2, L, Omega(f), dR, dX);
  AddCount(Count, evals, 0, coil.Evaluated());
}

Materials MaterialsOf(double f, double B1, double B2, double CON1, double CON2, double MR1, double MR2) {
  const double omega = Omega(f);
  return Materials{SProduct(omega, MR1, CON1), SProduct(omega, MR2, CON2), MR1, MR2, B1, B2};
}

}  // namespace

void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count,
                            CoilFactorCache* Cache) {
  CylinderModel<InsideOne>(N, R1, R2, L, f, MaterialsOf(f, B1, 0.0, CON1, 0.0, MR1, 1.0), Acc, dR, dX, Ier,
                           Count, Cache);
}
void CylinderInsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                             double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                             double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache) {
  CylinderModel<InsideTwo>(N, R1, R2, L, f, MaterialsOf(f, B1, B2, CON1, CON2, MR1, MR2), Acc, dR, dX, Ier,
                           Count, Cache);
}
void CylinderOutsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                             double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count,
                             CoilFactorCache* Cache) {
  CylinderModel<OutsideOne>(N, R1, R2, L, f, MaterialsOf(f, B1, 0.0, CON1, 0.0, MR1, 1.0), Acc, dR, dX, Ier,
                            Count, Cache);
}
void CylinderOutsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                              double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                              double& dX, int& Ier, KernelCount* Count, CoilFactorCache* Cache) {
  CylinderModel<OutsideTwo>(N, R1, R2, L, f, MaterialsOf(f, B1, B2, CON1, CON2, MR1, MR2), Acc, dR, dX, Ier,
                            Count, Cache);
}

void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier) {
  CylinderInsideOneLayer(N, R1, R2, L, f, B1, CON1, MR1, Acc, dR, dX, Ier, nullptr, nullptr);
}
void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier, CoilFactorCache& Cache) {
  CylinderInsideOneLayer(N, R1, R2, L, f, B1, CON1, MR1, Acc, dR, dX, Ier, nullptr, &Cache);
}
void CylinderInsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                             double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                             double& dX, int& Ier) {
  CylinderInsideTwoLayers(N, R1, R2, L, f, B1, B2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr, nullptr);
}
void CylinderInsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                             double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                             double& dX, int& Ier, CoilFactorCache& Cache) {
  CylinderInsideTwoLayers(N, R1, R2, L, f, B1, B2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr, &Cache);
}
void CylinderOutsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                             double MR1, double Acc, double& dR, double& dX, int& Ier) {
  CylinderOutsideOneLayer(N, R1, R2, L, f, B1, CON1, MR1, Acc, dR, dX, Ier, nullptr, nullptr);
}
void CylinderOutsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                             double MR1, double Acc, double& dR, double& dX, int& Ier, CoilFactorCache& Cache) {
  CylinderOutsideOneLayer(N, R1, R2, L, f, B1, CON1, MR1, Acc, dR, dX, Ier, nullptr, &Cache);
}
void CylinderOutsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                              double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                              double& dX, int& Ier) {
  CylinderOutsideTwoLayers(N, R1, R2, L, f, B1, B2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr, nullptr);
}
void CylinderOutsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                              double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                              double& dX, int& Ier, CoilFactorCache& Cache) {
  CylinderOutsideTwoLayers(N, R1, R2, L, f, B1, B2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr, &Cache);
}

}  // namespace veldo
