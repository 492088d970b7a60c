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

// rho (1 - cos kL) Ic^2 / k^6: the axial factor of a winding of height L and its radial factor.
TComplex CylinderKernel(const TComplex& rho, double k, double L, double Ic) {
  const long double kk = k;
  const double axial = static_cast<double>(1.0L - std::cos(kk * L));
  const double radial = static_cast<double>(static_cast<long double>(Ic) * Ic / IntPow(kk, 6));
  return CScale(CScale(rho, axial), radial);
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

// The coil inside a bore: Ic = int_{kR1}^{kR2} t I1(t) dt. Where it outgrows a double (k R2
// above ELIM, or Ic beyond sqrt(xmax): the published cut-offs, at which the node used to be
// dropped) it is kept scaled, Ic e^(-kR2) with lnScale = kR2, and the node goes to the balanced
// form, which puts the scale back in its exponent. A bore within microns of the winding keeps
// kernel weight out to k R2 of several thousand (e^(-2k(B1 - R2)) is all that damps it), and
// the cut-off lost 1e-5 of the change there. Returns true for the plain value.
bool InsideCoilFactor(double k, double R1, double R2, const Limits& lim, double& Ic, double& lnScale) {
  lnScale = 0.0;
  if (k * R2 <= lim.elim) {
    Ic = CoilIntI(k * R1, k * R2);
    if (!(Ic > lim.sqrtXmax)) return true;
  }
  Ic = CoilIntIScaled(k * R1, k * R2);
  lnScale = k * R2;
  return false;
}

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
TComplex BalancedKernel(const TComplex& rhoS, double k, double L, double Ic, double x, int sign,
                        double lnScale = 0.0) {
  if (Ic == 0.0) return kZero;  // the coil factor has underflowed: nothing left to scale
  const long double kk = k;
  // Ic e^(-+x) through the logarithm: far out in k, e^x alone exceeds even the extended range.
  const long double c =
      std::copysign(std::exp(std::log(std::fabs(static_cast<long double>(Ic))) + sign * static_cast<long double>(x) +
                             static_cast<long double>(lnScale)),
                    static_cast<long double>(Ic));
  const double axial = static_cast<double>(1.0L - std::cos(kk * L));
  const double radial = static_cast<double>(c * c / IntPow(kk, 6));
  return CScale(CScale(rhoS, axial), radial);
}

struct ScaledReal {
  RealPair I, K;
  bool Get(double x) { return Computed(BesselIScaled(x, I)) && Computed(BesselKScaled(x, K)); }
};

// Nodes whose Bessel values could not be computed at all (IERR 1, 4 or 5: an argument beyond
// Amos' range, far out in k where the kernels are negligible) are dropped as 0. If every node
// of a model call was dropped that way, the integral is exactly 0 without the quadrature
// noticing anything wrong: the call then reports both runs as failed instead of returning a
// silent "no change".
void ReportAllDropped(const TComplex& S, int dropped, int& Ier) {
  if (dropped > 0 && S.Re == 0.0 && S.Im == 0.0) Ier = CombineIer(1, 1);
}

}  // namespace

// Bore in one material:
// rho = [k mu K0(kB1) K1(a1B1) - a1 K1(kB1) K0(a1B1)] / [k mu I0(kB1) K1(a1B1) + a1 I1(kB1) K0(a1B1)].
void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count) {
  const Limits lim;
  const double omega = Omega(f);
  const double s1 = SProduct(omega, MR1, CON1);
  int dropped = 0;  // nodes whose Bessel values could not be computed
  auto kernel = [=, &lim, &dropped](double k) {
    double Ic = 0.0, lnScale = 0.0;
    const bool plainIc = InsideCoilFactor(k, R1, R2, lim, Ic, lnScale);
    const TComplex alpha1 = CSqrt(Cmplx(k * k, s1));
    const TComplex z1 = CScale(alpha1, B1);
    const double x = k * B1;
    ComplexPair Ka;
    Fetch fetch;
    fetch.K(z1, Ka);
    if (fetch.failed) return ++dropped, kZero;
    if (!plainIc) fetch.outOfRange = true;
    RealPair Ir, Kr;
    if (!fetch.outOfRange && (!Computed(BesselI(x, Ir)) || !Computed(BesselK(x, Kr)))) fetch.outOfRange = true;
    if (!fetch.outOfRange) {
      DirectFormGuard guard;
      const TComplex num = CSub(KMuTerm(k, MR1, Kr.v0, Ka.v1), AlphaTerm(alpha1, Kr.v1, Ka.v0));
      const TComplex den = CAdd(KMuTerm(k, MR1, Ir.v0, Ka.v1), AlphaTerm(alpha1, Ir.v1, Ka.v0));
      const TComplex rho = CDiv(num, den);
      if (guard.Clean(den)) {
        if (CAbs(rho) > lim.xmax) return kZero;
        return CylinderKernel(rho, k, L, Ic);
      }
    }
    int nz = 0;
    ScaledReal r;
    if (!Computed(BesselK(z1, 2, Ka, nz)) || !r.Get(x)) return ++dropped, kZero;
    const TComplex num = CSub(KMuTerm(k, MR1, r.K.v0, Ka.v1), AlphaTerm(alpha1, r.K.v1, Ka.v0));
    const TComplex den = CAdd(KMuTerm(k, MR1, r.I.v0, Ka.v1), AlphaTerm(alpha1, r.I.v1, Ka.v0));
    return BalancedKernel(BalancedDiv(num, den), k, L, Ic, x, -1, lnScale);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, R2, Acc, Ier, evals, Reuses(Count));
  ReportAllDropped(S, dropped, Ier);
  CylinderImpedance(S, N, R1, R2, L, omega, dR, dX);
  AddCount(Count, evals, 0);
}

// Bore with material 1 in B1 < r < B2 and material 2 beyond:
// rho = (P A1 + Q A2) / (P A3 + Q A4); P and Q match the interface at B2, A1..A4 the surface at B1.
void CylinderInsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                             double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                             double& dX, int& Ier, KernelCount* Count) {
  const Limits lim;
  const double omega = Omega(f);
  const double s1 = SProduct(omega, MR1, CON1);
  const double s2 = SProduct(omega, MR2, CON2);
  int dropped = 0;  // nodes whose Bessel values could not be computed
  auto kernel = [=, &lim, &dropped](double k) {
    double Ic = 0.0, lnScale = 0.0;
    const bool plainIc = InsideCoilFactor(k, R1, R2, lim, Ic, lnScale);
    const TComplex alpha1 = CSqrt(Cmplx(k * k, s1));
    const TComplex alpha2 = CSqrt(Cmplx(k * k, s2));
    const TComplex w = CScale(alpha2, B2);
    const TComplex z1 = CScale(alpha1, B1);
    const TComplex z2 = CScale(alpha1, B2);
    const double x = k * B1;
    ComplexPair Kw, Iz1, Kz1, Iz2, Kz2;
    Fetch fetch;
    fetch.K(w, Kw);
    fetch.I(z1, Iz1);
    fetch.K(z1, Kz1);
    fetch.I(z2, Iz2);
    fetch.K(z2, Kz2);
    if (fetch.failed) return ++dropped, kZero;
    if (!plainIc) fetch.outOfRange = true;
    const TComplex a1m2 = CScale(alpha1, MR2);
    const TComplex a2m1 = CScale(alpha2, MR1);
    // P, Q, A1..A4 from a set of pairs (unscaled or scaled alike).
    auto terms = [&](const RealPair& Ir, const RealPair& Kr, TComplex& P, TComplex& Q, TComplex& A1,
                     TComplex& A2, TComplex& A3, TComplex& A4) {
      P = CSub(CMul(a1m2, CMul(Kw.v1, Kz2.v0)), CMul(a2m1, CMul(Kw.v0, Kz2.v1)));
      Q = CAdd(CMul(a1m2, CMul(Kw.v1, Iz2.v0)), CMul(a2m1, CMul(Kw.v0, Iz2.v1)));
      A1 = CAdd(KMuTerm(k, MR1, Kr.v0, Iz1.v1), AlphaTerm(alpha1, Kr.v1, Iz1.v0));
      A2 = CSub(KMuTerm(k, MR1, Kr.v0, Kz1.v1), AlphaTerm(alpha1, Kr.v1, Kz1.v0));
      A3 = CSub(KMuTerm(k, MR1, Ir.v0, Iz1.v1), AlphaTerm(alpha1, Ir.v1, Iz1.v0));
      A4 = CAdd(KMuTerm(k, MR1, Ir.v0, Kz1.v1), AlphaTerm(alpha1, Ir.v1, Kz1.v0));
    };
    TComplex P, Q, A1, A2, A3, A4;
    RealPair Ir, Kr;
    if (!fetch.outOfRange && (!Computed(BesselI(x, Ir)) || !Computed(BesselK(x, Kr)))) fetch.outOfRange = true;
    if (!fetch.outOfRange) {
      DirectFormGuard guard;
      terms(Ir, Kr, P, Q, A1, A2, A3, A4);
      const TComplex den = CAdd(CMul(P, A3), CMul(Q, A4));
      const TComplex rho = CDiv(CAdd(CMul(P, A1), CMul(Q, A2)), den);
      if (guard.Clean(den)) {
        if (CAbs(rho) > lim.xmax) return kZero;
        return CylinderKernel(rho, k, L, Ic);
      }
    }
    // Scaled: K(a2B2) cancels; the P terms keep F = exp(-(z2 - z1) - Re(z2 - z1)), the decay
    // across layer 1 there and back, |F| <= 1 because B2 > B1.
    int nz = 0;
    ScaledReal r;
    if (!Computed(BesselK(w, 2, Kw, nz)) || !Computed(BesselI(z1, 2, Iz1, nz)) ||
        !Computed(BesselK(z1, 2, Kz1, nz)) || !Computed(BesselI(z2, 2, Iz2, nz)) ||
        !Computed(BesselK(z2, 2, Kz2, nz)) || !r.Get(x))
      return ++dropped, kZero;
    terms(r.I, r.K, P, Q, A1, A2, A3, A4);
    const TComplex PF = CMul(P, CExp(Cmplx(-2.0 * (z2.Re - z1.Re), -(z2.Im - z1.Im))));
    const TComplex rhoS = BalancedDiv(CAdd(CMul(PF, A1), CMul(Q, A2)), CAdd(CMul(PF, A3), CMul(Q, A4)));
    return BalancedKernel(rhoS, k, L, Ic, x, -1, lnScale);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, R2, Acc, Ier, evals, Reuses(Count));
  ReportAllDropped(S, dropped, Ier);
  CylinderImpedance(S, N, R1, R2, L, omega, dR, dX);
  AddCount(Count, evals, 0);
}

// Rod of one material:
// rho = [k mu I0(kB1) I1(a1B1) - a1 I1(kB1) I0(a1B1)] / [k mu K0(kB1) I1(a1B1) + a1 K1(kB1) I0(a1B1)].
// Ic = int_{kR1}^{kR2} t K1(t) dt decays like exp(-kR1), so no cut-off is needed on it.
void CylinderOutsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                             double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count) {
  const Limits lim;
  const double omega = Omega(f);
  const double s1 = SProduct(omega, MR1, CON1);
  int dropped = 0;  // nodes whose Bessel values could not be computed
  auto kernel = [=, &lim, &dropped](double k) {
    if (B1 == 0.0) return kZero;  // a rod of radius 0 is no conductor: rho = 0
    const double Ic = CoilIntK(k * R1, k * R2);
    const TComplex alpha1 = CSqrt(Cmplx(k * k, s1));
    const TComplex z1 = CScale(alpha1, B1);
    const double x = k * B1;
    ComplexPair Ia;
    Fetch fetch;
    fetch.I(z1, Ia);
    if (fetch.failed) return ++dropped, kZero;
    RealPair Kr, Ir;
    if (!fetch.outOfRange) {
      // A real pair the direct form cannot take (I(kB1) beyond sqrt(xmax) or overflowing) sends
      // the node to the balanced form like a complex one.
      fetch.outOfRange = !Computed(BesselK(x, Kr)) || !Computed(BesselI(x, Ir)) || TooLarge(Kr, lim) ||
                         TooLarge(Ir, lim) || TooLarge(Ia, lim);
    }
    if (!fetch.outOfRange) {
      DirectFormGuard guard;
      const TComplex num = CSub(KMuTerm(k, MR1, Ir.v0, Ia.v1), AlphaTerm(alpha1, Ir.v1, Ia.v0));
      const TComplex den = CAdd(KMuTerm(k, MR1, Kr.v0, Ia.v1), AlphaTerm(alpha1, Kr.v1, Ia.v0));
      const TComplex rho = CDiv(num, den);
      if (guard.Clean(den)) {
        if (CAbs(rho) > lim.xmax) return kZero;
        return CylinderKernel(rho, k, L, Ic);
      }
    }
    int nz = 0;
    ScaledReal r;
    if (!Computed(BesselI(z1, 2, Ia, nz)) || !r.Get(x)) return ++dropped, kZero;
    const TComplex num = CSub(KMuTerm(k, MR1, r.I.v0, Ia.v1), AlphaTerm(alpha1, r.I.v1, Ia.v0));
    const TComplex den = CAdd(KMuTerm(k, MR1, r.K.v0, Ia.v1), AlphaTerm(alpha1, r.K.v1, Ia.v0));
    return BalancedKernel(BalancedDiv(num, den), k, L, Ic, x, +1);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, R2, Acc, Ier, evals, Reuses(Count));
  ReportAllDropped(S, dropped, Ier);
  CylinderImpedance(S, N, R1, R2, L, omega, dR, dX);
  AddCount(Count, evals, 0);
}

// Rod with a core of material 2 (r < B2) in a shell of material 1 (B2 < r < B1).
void CylinderOutsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                              double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                              double& dX, int& Ier, KernelCount* Count) {
  const Limits lim;
  const double omega = Omega(f);
  const double s1 = SProduct(omega, MR1, CON1);
  const double s2 = SProduct(omega, MR2, CON2);
  int dropped = 0;  // nodes whose Bessel values could not be computed
  auto kernel = [=, &lim, &dropped](double k) {
    if (B1 == 0.0) return kZero;  // a rod of radius 0 is no conductor: rho = 0
    const double Ic = CoilIntK(k * R1, k * R2);
    const TComplex alpha1 = CSqrt(Cmplx(k * k, s1));
    const TComplex alpha2 = CSqrt(Cmplx(k * k, s2));
    const TComplex z1 = CScale(alpha1, B1);
    const TComplex z2 = CScale(alpha1, B2);
    const TComplex w = CScale(alpha2, B2);
    const double x = k * B1;
    ComplexPair Iz1, Kz1, Iz2, Kz2, Iw;
    Fetch fetch;
    fetch.I(z1, Iz1);
    fetch.K(z1, Kz1);
    fetch.I(z2, Iz2);
    fetch.K(z2, Kz2);
    fetch.I(w, Iw);
    if (fetch.failed) return ++dropped, kZero;
    const TComplex a1m2 = CScale(alpha1, MR2);
    const TComplex a2m1 = CScale(alpha2, MR1);
    auto terms = [&](const RealPair& Ir, const RealPair& Kr, TComplex& P, TComplex& Q, TComplex& A1,
                     TComplex& A2, TComplex& A3, TComplex& A4) {
      P = CAdd(CMul(a1m2, CMul(Iw.v1, Kz2.v0)), CMul(a2m1, CMul(Iw.v0, Kz2.v1)));
      Q = CSub(CMul(a1m2, CMul(Iw.v1, Iz2.v0)), CMul(a2m1, CMul(Iw.v0, Iz2.v1)));
      A1 = CSub(KMuTerm(k, MR1, Ir.v0, Iz1.v1), AlphaTerm(alpha1, Ir.v1, Iz1.v0));
      A2 = CAdd(KMuTerm(k, MR1, Ir.v0, Kz1.v1), AlphaTerm(alpha1, Ir.v1, Kz1.v0));
      A3 = CAdd(KMuTerm(k, MR1, Kr.v0, Iz1.v1), AlphaTerm(alpha1, Kr.v1, Iz1.v0));
      A4 = CSub(KMuTerm(k, MR1, Kr.v0, Kz1.v1), AlphaTerm(alpha1, Kr.v1, Kz1.v0));
    };
    TComplex P, Q, A1, A2, A3, A4;
    RealPair Ir, Kr;
    if (!fetch.outOfRange) {
      fetch.outOfRange = !Computed(BesselI(x, Ir)) || !Computed(BesselK(x, Kr)) || TooLarge(Ir, lim) ||
                         TooLarge(Kr, lim) || TooLarge(Iz1, lim) || TooLarge(Kz1, lim) || TooLarge(Iz2, lim) ||
                         TooLarge(Kz2, lim) || TooLarge(Iw, lim);
    }
    if (!fetch.outOfRange) {
      DirectFormGuard guard;
      terms(Ir, Kr, P, Q, A1, A2, A3, A4);
      const TComplex den = CAdd(CMul(P, A3), CMul(Q, A4));
      const TComplex rho = CDiv(CAdd(CMul(P, A1), CMul(Q, A2)), den);
      if (guard.Clean(den)) {
        if (CAbs(rho) > lim.xmax) return kZero;
        return CylinderKernel(rho, k, L, Ic);
      }
    }
    // Scaled: I(a2B2) cancels; the Q terms keep F = exp(-(z1 - z2) - Re(z1 - z2)), the decay
    // across the shell there and back, |F| <= 1 because B2 < B1.
    int nz = 0;
    ScaledReal r;
    if (!Computed(BesselI(z1, 2, Iz1, nz)) || !Computed(BesselK(z1, 2, Kz1, nz)) ||
        !Computed(BesselI(z2, 2, Iz2, nz)) || !Computed(BesselK(z2, 2, Kz2, nz)) ||
        !Computed(BesselI(w, 2, Iw, nz)) || !r.Get(x))
      return ++dropped, kZero;
    terms(r.I, r.K, P, Q, A1, A2, A3, A4);
    const TComplex QF = CMul(Q, CExp(Cmplx(-2.0 * (z1.Re - z2.Re), -(z1.Im - z2.Im))));
    const TComplex rhoS = BalancedDiv(CAdd(CMul(P, A1), CMul(QF, A2)), CAdd(CMul(P, A3), CMul(QF, A4)));
    return BalancedKernel(rhoS, k, L, Ic, x, +1);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, R2, Acc, Ier, evals, Reuses(Count));
  ReportAllDropped(S, dropped, Ier);
  CylinderImpedance(S, N, R1, R2, L, omega, dR, dX);
  AddCount(Count, evals, 0);
}

void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier) {
  CylinderInsideOneLayer(N, R1, R2, L, f, B1, CON1, MR1, Acc, dR, dX, Ier, nullptr);
}
void CylinderInsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                             double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                             double& dX, int& Ier) {
  CylinderInsideTwoLayers(N, R1, R2, L, f, B1, B2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr);
}
void CylinderOutsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                             double MR1, double Acc, double& dR, double& dX, int& Ier) {
  CylinderOutsideOneLayer(N, R1, R2, L, f, B1, CON1, MR1, Acc, dR, dX, Ier, nullptr);
}
void CylinderOutsideTwoLayers(int N, double R1, double R2, double L, double f, double B1, double B2,
                              double CON1, double CON2, double MR1, double MR2, double Acc, double& dR,
                              double& dX, int& Ier) {
  CylinderOutsideTwoLayers(N, R1, R2, L, f, B1, B2, CON1, CON2, MR1, MR2, Acc, dR, dX, Ier, nullptr);
}

}  // namespace veldo
