// Coil coaxial with an infinitely long cylindrical conductor: inside a bore (cases 3, 4) or round
// a rod (cases 5, 6), one or two materials, by the Dodd-Deeds integral over the axial spatial
// frequency k. The field harmonic cos(kz) meets the conductor surface r = B1 and, for two
// materials, the interface r = B2; the modified Bessel functions of the real argument k*B and of
// the complex argument alpha*B (alpha = sqrt(k^2 + j omega mu0 MR CON)) match the radial
// solutions across them.
#include <cmath>

#include "bessel/amos.hpp"
#include "coilint/coilint.hpp"
#include "models/model_driver.hpp"

namespace veldo {

using namespace models_detail;

namespace {

// Amos' status codes that the kernels read.
constexpr int kBesselOverflow = 2;  // IERR 2: overflow, nothing computed

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
// Unscaled pairs of a real argument.
int BesselI(double x, RealPair& out) {
  double cyr[3] = {}, cyi[3] = {};
  int nz = 0, ierr = 0;
  ZBESI(x, 0.0, 0.0, 1, 2, cyr, cyi, nz, ierr);
  out = RealPair{cyr[1], cyr[2]};
  return ierr;
}
int BesselK(double x, RealPair& out) {
  double cyr[3] = {}, cyi[3] = {};
  int nz = 0, ierr = 0;
  ZBESK(x, 0.0, 0.0, 1, 2, cyr, cyi, nz, ierr);
  out = RealPair{cyr[1], cyr[2]};
  return ierr;
}

// One complex-argument pair of a kernel. The unscaled values overflow (I) or underflow to zero
// (K) once the skin depth is a few hundredths of a percent of the radius (Re(alpha B) > about
// 700), although the reflection coefficient, a ratio in which every such pair enters
// homogeneously, stays finite. Such a pair is marked, and the kernel is then formed from the
// exponentially scaled pairs with the leftover exponential factors put back explicitly.
struct Fetch {
  bool failed = false;       // an IERR other than overflow: the node is dropped
  bool needsScaled = false;  // overflow or underflow of an unscaled pair

  void I(const TComplex& z, ComplexPair& out) { Take(BesselI(z, 1, out, nz), out); }
  void K(const TComplex& z, ComplexPair& out) { Take(BesselK(z, 1, out, nz), out); }

 private:
  int nz = 0;
  void Take(int ierr, const ComplexPair&) {
    if (failed) return;
    if (ierr == kBesselOverflow || (ierr == 0 && nz != 0)) {
      needsScaled = true;
    } else if (ierr != 0) {
      failed = true;
    }
  }
};

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
  // Beyond xhigh = T + ln(T)/2 - ln(1/2), T = ln(xmax), the running integral of I0 (and so
  // CoilIntI) no longer fits a double.
  double xhigh = 0.0;
  // Above ELIM the unscaled I0 of a real argument overflows, so CoilIntI has no value there.
  double elim = BesselElim();

  Limits() {
    const double T = std::log(xmax);
    xhigh = T + 0.5 * std::log(T) - std::log(0.5);
  }
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

// The coil inside a bore: Ic = int_{kR1}^{kR2} t I1(t) dt, cut off where it outgrows a double.
// Returns false (node dropped) for the large k of cut-offs 1 and 2.
bool InsideCoilFactor(double k, double R1, double R2, const Limits& lim, double& Ic) {
  if (k * R2 > lim.xhigh) return false;
  if (k * R2 > lim.elim) return false;
  Ic = CoilIntI(k * R1, k * R2);
  return !(Ic > lim.sqrtXmax);
}

bool TooLarge(const ComplexPair& p, const Limits& lim) {
  return CAbs(p.v0) > lim.sqrtXmax || CAbs(p.v1) > lim.sqrtXmax;
}
bool TooLarge(const RealPair& p, const Limits& lim) { return p.v0 > lim.sqrtXmax || p.v1 > lim.sqrtXmax; }

}  // namespace

// Bore in one material:
// rho = [k mu K0(kB1) K1(a1B1) - a1 K1(kB1) K0(a1B1)] / [k mu I0(kB1) K1(a1B1) + a1 I1(kB1) K0(a1B1)].
void CylinderInsideOneLayer(int N, double R1, double R2, double L, double f, double B1, double CON1,
                            double MR1, double Acc, double& dR, double& dX, int& Ier, KernelCount* Count) {
  const Limits lim;
  const double omega = Omega(f);
  const double s1 = SProduct(omega, MR1, CON1);
  auto kernel = [=, &lim](double k) {
    double Ic = 0.0;
    if (!InsideCoilFactor(k, R1, R2, lim, Ic)) return kZero;
    const TComplex alpha1 = CSqrt(Cmplx(k * k, s1));
    const TComplex z1 = CScale(alpha1, B1);
    ComplexPair Ka;
    Fetch fetch;
    fetch.K(z1, Ka);
    if (fetch.failed) return kZero;
    // K(a1B1) enters numerator and denominator alike: its scale factor exp(-a1B1) cancels.
    if (fetch.needsScaled) {
      int nz = 0;
      if (BesselK(z1, 2, Ka, nz) != 0) return kZero;
    }
    RealPair Ir, Kr;
    if (BesselI(k * B1, Ir) != 0) return kZero;
    if (BesselK(k * B1, Kr) != 0) return kZero;
    const TComplex num = CSub(KMuTerm(k, MR1, Kr.v0, Ka.v1), AlphaTerm(alpha1, Kr.v1, Ka.v0));
    const TComplex den = CAdd(KMuTerm(k, MR1, Ir.v0, Ka.v1), AlphaTerm(alpha1, Ir.v1, Ka.v0));
    const TComplex rho = CDiv(num, den);
    if (CAbs(rho) > lim.xmax) return kZero;
    return CylinderKernel(rho, k, L, Ic);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, Acc, Ier, evals);
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
  auto kernel = [=, &lim](double k) {
    double Ic = 0.0;
    if (!InsideCoilFactor(k, R1, R2, lim, Ic)) return kZero;
    const TComplex alpha1 = CSqrt(Cmplx(k * k, s1));
    const TComplex alpha2 = CSqrt(Cmplx(k * k, s2));
    const TComplex w = CScale(alpha2, B2);
    const TComplex z1 = CScale(alpha1, B1);
    const TComplex z2 = CScale(alpha1, B2);
    ComplexPair Kw, Iz1, Kz1, Iz2, Kz2;
    Fetch fetch;
    fetch.K(w, Kw);
    fetch.I(z1, Iz1);
    fetch.K(z1, Kz1);
    fetch.I(z2, Iz2);
    fetch.K(z2, Kz2);
    if (fetch.failed) return kZero;
    if (fetch.needsScaled) {
      int nz = 0;
      if (BesselK(w, 2, Kw, nz) != 0 || BesselI(z1, 2, Iz1, nz) != 0 || BesselK(z1, 2, Kz1, nz) != 0 ||
          BesselI(z2, 2, Iz2, nz) != 0 || BesselK(z2, 2, Kz2, nz) != 0)
        return kZero;
    }
    RealPair Ir, Kr;
    if (BesselI(k * B1, Ir) != 0) return kZero;
    if (BesselK(k * B1, Kr) != 0) return kZero;
    const TComplex a1m2 = CScale(alpha1, MR2);
    const TComplex a2m1 = CScale(alpha2, MR1);
    const TComplex P = CSub(CMul(a1m2, CMul(Kw.v1, Kz2.v0)), CMul(a2m1, CMul(Kw.v0, Kz2.v1)));
    const TComplex Q = CAdd(CMul(a1m2, CMul(Kw.v1, Iz2.v0)), CMul(a2m1, CMul(Kw.v0, Iz2.v1)));
    const TComplex A1 = CAdd(KMuTerm(k, MR1, Kr.v0, Iz1.v1), AlphaTerm(alpha1, Kr.v1, Iz1.v0));
    const TComplex A2 = CSub(KMuTerm(k, MR1, Kr.v0, Kz1.v1), AlphaTerm(alpha1, Kr.v1, Kz1.v0));
    const TComplex A3 = CSub(KMuTerm(k, MR1, Ir.v0, Iz1.v1), AlphaTerm(alpha1, Ir.v1, Iz1.v0));
    const TComplex A4 = CAdd(KMuTerm(k, MR1, Ir.v0, Kz1.v1), AlphaTerm(alpha1, Ir.v1, Kz1.v0));
    TComplex rho;
    if (!fetch.needsScaled) {
      rho = CDiv(CAdd(CMul(P, A1), CMul(Q, A2)), CAdd(CMul(P, A3), CMul(Q, A4)));
    } else {
      // Scaled pairs: I(z) = Is(z) e^Re z, K(z) = Ks(z) e^-z. K(a2B2) cancels; the P terms keep
      // F = exp(-(z2 - z1) - Re(z2 - z1)), the field's decay across the layer there and back,
      // |F| <= 1 because B2 > B1.
      const TComplex F = CExp(Cmplx(-2.0 * (z2.Re - z1.Re), -(z2.Im - z1.Im)));
      const TComplex PF = CMul(P, F);
      rho = CDiv(CAdd(CMul(PF, A1), CMul(Q, A2)), CAdd(CMul(PF, A3), CMul(Q, A4)));
    }
    if (CAbs(rho) > lim.xmax) return kZero;
    return CylinderKernel(rho, k, L, Ic);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, Acc, Ier, evals);
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
  auto kernel = [=, &lim](double k) {
    const double Ic = CoilIntK(k * R1, k * R2);
    const TComplex alpha1 = CSqrt(Cmplx(k * k, s1));
    const TComplex z1 = CScale(alpha1, B1);
    ComplexPair Ia;
    Fetch fetch;
    fetch.I(z1, Ia);
    if (fetch.failed) return kZero;
    RealPair Kr, Ir;
    if (BesselK(k * B1, Kr) != 0) return kZero;
    if (BesselI(k * B1, Ir) != 0) return kZero;
    if (fetch.needsScaled) {
      // I(a1B1) enters numerator and denominator alike: its scale factor cancels.
      int nz = 0;
      if (BesselI(z1, 2, Ia, nz) != 0) return kZero;
    }
    if (TooLarge(Ia, lim) || TooLarge(Kr, lim) || TooLarge(Ir, lim)) return kZero;
    const TComplex num = CSub(KMuTerm(k, MR1, Ir.v0, Ia.v1), AlphaTerm(alpha1, Ir.v1, Ia.v0));
    const TComplex den = CAdd(KMuTerm(k, MR1, Kr.v0, Ia.v1), AlphaTerm(alpha1, Kr.v1, Ia.v0));
    const TComplex rho = CDiv(num, den);
    if (CAbs(rho) > lim.xmax) return kZero;
    return CylinderKernel(rho, k, L, Ic);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, Acc, Ier, evals);
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
  auto kernel = [=, &lim](double k) {
    const double Ic = CoilIntK(k * R1, k * R2);
    const TComplex alpha1 = CSqrt(Cmplx(k * k, s1));
    const TComplex alpha2 = CSqrt(Cmplx(k * k, s2));
    const TComplex z1 = CScale(alpha1, B1);
    const TComplex z2 = CScale(alpha1, B2);
    const TComplex w = CScale(alpha2, B2);
    ComplexPair Iz1, Kz1, Iz2, Kz2, Iw;
    Fetch fetch;
    fetch.I(z1, Iz1);
    fetch.K(z1, Kz1);
    fetch.I(z2, Iz2);
    fetch.K(z2, Kz2);
    fetch.I(w, Iw);
    if (fetch.failed) return kZero;
    RealPair Ir, Kr;
    if (BesselI(k * B1, Ir) != 0) return kZero;
    if (BesselK(k * B1, Kr) != 0) return kZero;
    if (fetch.needsScaled) {
      int nz = 0;
      if (BesselI(z1, 2, Iz1, nz) != 0 || BesselK(z1, 2, Kz1, nz) != 0 || BesselI(z2, 2, Iz2, nz) != 0 ||
          BesselK(z2, 2, Kz2, nz) != 0 || BesselI(w, 2, Iw, nz) != 0)
        return kZero;
    }
    if (TooLarge(Iz1, lim) || TooLarge(Kz1, lim) || TooLarge(Iz2, lim) || TooLarge(Kz2, lim) ||
        TooLarge(Iw, lim) || TooLarge(Ir, lim) || TooLarge(Kr, lim))
      return kZero;
    const TComplex a1m2 = CScale(alpha1, MR2);
    const TComplex a2m1 = CScale(alpha2, MR1);
    const TComplex P = CAdd(CMul(a1m2, CMul(Iw.v1, Kz2.v0)), CMul(a2m1, CMul(Iw.v0, Kz2.v1)));
    const TComplex Q = CSub(CMul(a1m2, CMul(Iw.v1, Iz2.v0)), CMul(a2m1, CMul(Iw.v0, Iz2.v1)));
    const TComplex A1 = CSub(KMuTerm(k, MR1, Ir.v0, Iz1.v1), AlphaTerm(alpha1, Ir.v1, Iz1.v0));
    const TComplex A2 = CAdd(KMuTerm(k, MR1, Ir.v0, Kz1.v1), AlphaTerm(alpha1, Ir.v1, Kz1.v0));
    const TComplex A3 = CAdd(KMuTerm(k, MR1, Kr.v0, Iz1.v1), AlphaTerm(alpha1, Kr.v1, Iz1.v0));
    const TComplex A4 = CSub(KMuTerm(k, MR1, Kr.v0, Kz1.v1), AlphaTerm(alpha1, Kr.v1, Kz1.v0));
    TComplex rho;
    if (!fetch.needsScaled) {
      rho = CDiv(CAdd(CMul(P, A1), CMul(Q, A2)), CAdd(CMul(P, A3), CMul(Q, A4)));
    } else {
      // Scaled pairs: I(a2B2) cancels; the Q terms keep F = exp(-(z1 - z2) - Re(z1 - z2)), the
      // decay across the shell there and back, |F| <= 1 because B2 < B1.
      const TComplex F = CExp(Cmplx(-2.0 * (z1.Re - z2.Re), -(z1.Im - z2.Im)));
      const TComplex QF = CMul(Q, F);
      rho = CDiv(CAdd(CMul(P, A1), CMul(QF, A2)), CAdd(CMul(P, A3), CMul(QF, A4)));
    }
    if (CAbs(rho) > lim.xmax) return kZero;
    return CylinderKernel(rho, k, L, Ic);
  };
  long long evals = 0;
  const TComplex S = IntegrateKernel(kernel, Acc, Ier, evals);
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
