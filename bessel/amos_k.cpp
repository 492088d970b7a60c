// Bessel K of complex argument: the entry point ZBESK, the right-half-plane driver ZBKNU
// (series for |z| <= 2, Miller/Temme algorithm beyond, scaled forward recurrence), its underflow
// routine ZKSCL, and the analytic continuation to Re z < 0 (ZACON with ZS1S2). Statement labels
// of the published routines are kept as comments or as goto targets L<label>.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "bessel/amos.hpp"
#include "bessel/amos_tables.hpp"

namespace veldo {
namespace {

constexpr int kZbknuKmax = 30;
constexpr double kZbknuR1 = 2.0;                      // series radius
constexpr double kZbknuDpi = 3.14159265358979324;     // pi
constexpr double kZbknuRthpi = 1.25331413731550025;   // sqrt(pi/2)
constexpr double kZbknuSpi = 1.90985931710274403;     // 6/pi
constexpr double kZbknuHpi = 1.57079632679489662;     // pi/2
constexpr double kZbknuFpi = 1.89769999331517738;     // fitted start-index constant
constexpr double kZbknuTth = 6.66666666666666666e-01;  // 2/3

// Coefficients of the series of G1 = (1/Gamma(1-nu) - 1/Gamma(1+nu))/(2 nu) in nu^2, used for
// |nu| <= 0.1 where the difference would cancel; index 0 unused.
constexpr double kZbknuCc[9] = {
    0.0,
    5.77215664901532861e-01,  -4.20026350340952355e-02, -4.21977345555443367e-02,
    7.21894324666309954e-03,  -2.15241674114950973e-04, -2.01348547807882387e-05,
    1.13302723198169588e-06,  6.11609510448141582e-09,  // 8
};
static_assert(sizeof(kZbknuCc) / sizeof(double) == 9);

constexpr double kZaconPi = 3.14159265358979324;

}  // namespace

// K(FNU+k-1, z), k = 1..N, z != 0: ZBKNU in the right half plane, ZACON (continuation) in the
// left, the uniform expansions for FNU > FNUL, after an overflow test on the last member.
void ZBESK(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz,
           int& ierr) {
  double aa, alim, aln, arg, az, dig, elim, fn, fnul, rl, tol, ufl;
  int mr, nn, nuf, nw = 0;
  (void)dig;
  ierr = 0;
  nz = 0;
  if (zi == 0.0 && zr == 0.0) ierr = 1;
  if (fnu < 0.0) ierr = 1;
  if (kode < 1 || kode > 2) ierr = 1;
  if (n < 1) ierr = 1;
  if (ierr != 0) return;
  nn = n;
  amos_detail::MachineLimits(tol, elim, alim, rl, fnul);
  // Test for proper range.
  az = ZABS(zr, zi);
  fn = fnu + static_cast<double>(nn - 1);
  aa = amos_detail::RangeLimit(tol);
  if (az > aa) goto L260;
  if (fn > aa) goto L260;
  aa = std::sqrt(aa);
  if (az > aa) ierr = 3;
  if (fn > aa) ierr = 3;
  // Overflow test on the last member of the sequence.
  ufl = D1MACH(1) * 1.0e3;
  if (az < ufl) goto L180;
  // With the subnormal underflow base, UFL no longer covers the arguments for which 2/z (the
  // RZ of ZBKNU, whose logarithm the series takes) exceeds the overflow base: below
  // 2/D1MACH(2) = 1.18e-308 the series would run on infinities and return NaN with IERR = 0.
  // Such z are reported as overflow, as an underflow base of the smallest normal double
  // (UFL = 2.2e-305) would have reported them.
  if (az < 2.0 / D1MACH(2)) goto L180;
  if (fnu > fnul) goto L80;
  if (fn <= 1.0) goto L60;
  if (fn > 2.0) goto L50;
  if (az > tol) goto L60;
  arg = 0.5 * az;
  aln = -fn * std::log(arg);
  if (aln > elim) goto L180;
  goto L60;
L50:
  ZUOIK(zr, zi, fnu, kode, 2, nn, cyr, cyi, nuf, tol, elim, alim);
  if (nuf < 0) goto L180;
  nz = nz + nuf;
  nn = nn - nuf;
  // Here NN = N or NN = 0, since NUF = 0, NN or -1 on return from ZUOIK.
  if (nn == 0) goto L100;
L60:
  if (zr < 0.0) goto L70;
  // Right half plane, Re z >= 0.
  ZBKNU(zr, zi, fnu, kode, nn, cyr, cyi, nw, tol, elim, alim);
  if (nw < 0) goto L200;
  nz = nw;
  return;
L70:
  // Left half plane, pi/2 < arg z <= pi and -pi < arg z < -pi/2.
  if (nz != 0) goto L180;
  mr = 1;
  if (zi < 0.0) mr = -1;
  ZACON(zr, zi, fnu, kode, mr, nn, cyr, cyi, nw, rl, fnul, tol, elim, alim);
  if (nw < 0) goto L200;
  nz = nw;
  return;
L80:
  // Uniform asymptotic expansions for FNU > FNUL.
  mr = 0;
  if (zr >= 0.0) goto L90;
  mr = 1;
  if (zi < 0.0) mr = -1;
L90:
  ZBUNK(zr, zi, fnu, kode, mr, nn, cyr, cyi, nw, tol, elim, alim);
  if (nw < 0) goto L200;
  nz = nz + nw;
  return;
L100:
  if (zr < 0.0) goto L180;
  return;
L180:
  nz = 0;
  ierr = 2;
  return;
L200:
  if (nw == -1) goto L180;
  nz = 0;
  ierr = 5;
  return;
L260:
  nz = 0;
  ierr = 4;
}

// K sequence for Re z >= 0. For |z| <= 2 the series of Temme for K(DNU) and K(DNU+1),
// |DNU| <= 1/2; beyond, the Miller algorithm for the confluent hypergeometric function U with
// a start index fitted to |z| (forward-recurrence search when |z| >= 28.67); then forward
// recurrence to FNU with three scaling levels. When Re z > ALIM the values are carried scaled
// by exp(z) and ZKSCL brings them back, zeroing the leading members that underflow.
void ZBKNU(double zr, double zi, double fnu, int kode, int n, double* yr, double* yi, int& nz,
           double tol, double elim, double alim) {
  double cssr[4], csrr[4], bry[4], cyr[3], cyi[3];
  double aa, ak, ascle, a1, a2, bb, bk, caz, cbi, cbr, cchi, cchr, cki = 0.0, ckr = 0.0, coefi, coefr, crscr,
      csclr, cshi, cshr, csi, csr, czi, czr, dnu, dnu2 = 0.0, etest, fc, fhs, fi, fk, fks, fmui,
      fmur, fr, g1, g2, pi, pr, pti, ptr, p1i, p1r, p2i, p2m, p2r, qi, qr, rak, rcaz, rzi, rzr,
      s, smui = 0.0, smur = 0.0, sti, str, s1i, s1r, s2i, s2r, tm, t1, t2, elm, celmr, zdr, zdi,
      as, alas, helim;
  int i, iflag, inu, k, kflag, kk, koded, j, ic, inub, idum, nw;
  caz = ZABS(zr, zi);
  csclr = 1.0 / tol;
  crscr = tol;
  cssr[1] = csclr;
  cssr[2] = 1.0;
  cssr[3] = crscr;
  csrr[1] = crscr;
  csrr[2] = 1.0;
  csrr[3] = csclr;
  bry[1] = 1.0e3 * D1MACH(1) / tol;
  bry[2] = 1.0 / bry[1];
  bry[3] = D1MACH(2);
  nz = 0;
  iflag = 0;
  koded = kode;
  rcaz = 1.0 / caz;
  str = zr * rcaz;
  sti = -zi * rcaz;
  rzr = (str + str) * rcaz;
  rzi = (sti + sti) * rcaz;
  inu = static_cast<int>(fnu + 0.5);
  dnu = fnu - static_cast<double>(inu);
  if (std::fabs(dnu) == 0.5) goto L110;
  dnu2 = 0.0;
  if (std::fabs(dnu) > tol) dnu2 = dnu * dnu;
  if (caz > kZbknuR1) goto L110;
  // Series for |z| <= R1.
  fc = 1.0;
  ZLOG(rzr, rzi, smur, smui, idum);
  fmur = smur * dnu;
  fmui = smui * dnu;
  ZSHCH(fmur, fmui, cshr, cshi, cchr, cchi);
  if (dnu == 0.0) goto L10;
  fc = dnu * kZbknuDpi;
  fc = fc / std::sin(fc);
  smur = cshr / dnu;
  smui = cshi / dnu;
L10:
  a2 = 1.0 + dnu;
  // Gamma(1-z) Gamma(1+z) = pi z/sin(pi z); T1 = 1/Gamma(1-DNU), T2 = 1/Gamma(1+DNU).
  t2 = std::exp(-DGAMLN(a2, idum));
  t1 = 1.0 / (t2 * fc);
  if (std::fabs(dnu) > 0.1) goto L40;
  // Series for F0 to resolve the indeterminacy for small |DNU|.
  ak = 1.0;
  s = kZbknuCc[1];
  for (k = 2; k <= 8; ++k) {
    ak = ak * dnu2;
    tm = kZbknuCc[k] * ak;
    s = s + tm;
    if (std::fabs(tm) < tol) break;
  } /* 20 */
  /* 30 */ g1 = -s;
  goto L50;
L40:
  g1 = (t1 - t2) / (dnu + dnu);
L50:
  g2 = (t1 + t2) * 0.5;
  fr = fc * (cchr * g1 + smur * g2);
  fi = fc * (cchi * g1 + smui * g2);
  ZEXP(fmur, fmui, str, sti);
  pr = 0.5 * str / t2;
  pi = 0.5 * sti / t2;
  ZDIV(0.5, 0.0, str, sti, ptr, pti);
  qr = ptr / t1;
  qi = pti / t1;
  s1r = fr;
  s1i = fi;
  s2r = pr;
  s2i = pi;
  ak = 1.0;
  a1 = 1.0;
  ckr = 1.0;
  cki = 0.0;
  bk = 1.0 - dnu2;
  if (inu > 0 || n > 1) goto L80;
  // K(FNU, z) for 0 <= FNU < 0.5 and N = 1.
  if (caz < tol) goto L70;
  ZMLT(zr, zi, zr, zi, czr, czi);
  czr = 0.25 * czr;
  czi = 0.25 * czi;
  t1 = 0.25 * caz * caz;
L60:
  fr = (fr * ak + pr + qr) / bk;
  fi = (fi * ak + pi + qi) / bk;
  str = 1.0 / (ak - dnu);
  pr = pr * str;
  pi = pi * str;
  str = 1.0 / (ak + dnu);
  qr = qr * str;
  qi = qi * str;
  str = ckr * czr - cki * czi;
  rak = 1.0 / ak;
  cki = (ckr * czi + cki * czr) * rak;
  ckr = str * rak;
  s1r = ckr * fr - cki * fi + s1r;
  s1i = ckr * fi + cki * fr + s1i;
  a1 = a1 * t1 * rak;
  bk = bk + ak + ak + 1.0;
  ak = ak + 1.0;
  if (a1 > tol) goto L60;
L70:
  yr[1] = s1r;
  yi[1] = s1i;
  if (koded == 1) return;
  ZEXP(zr, zi, str, sti);
  ZMLT(s1r, s1i, str, sti, yr[1], yi[1]);
  return;
L80:
  // K(DNU, z) and K(DNU+1, z) for the forward recurrence.
  if (caz < tol) goto L100;
  ZMLT(zr, zi, zr, zi, czr, czi);
  czr = 0.25 * czr;
  czi = 0.25 * czi;
  t1 = 0.25 * caz * caz;
L90:
  fr = (fr * ak + pr + qr) / bk;
  fi = (fi * ak + pi + qi) / bk;
  str = 1.0 / (ak - dnu);
  pr = pr * str;
  pi = pi * str;
  str = 1.0 / (ak + dnu);
  qr = qr * str;
  qi = qi * str;
  str = ckr * czr - cki * czi;
  rak = 1.0 / ak;
  cki = (ckr * czi + cki * czr) * rak;
  ckr = str * rak;
  s1r = ckr * fr - cki * fi + s1r;
  s1i = ckr * fi + cki * fr + s1i;
  str = pr - fr * ak;
  sti = pi - fi * ak;
  s2r = ckr * str - cki * sti + s2r;
  s2i = ckr * sti + cki * str + s2i;
  a1 = a1 * t1 * rak;
  bk = bk + ak + ak + 1.0;
  ak = ak + 1.0;
  if (a1 > tol) goto L90;
L100:
  kflag = 2;
  a1 = fnu + 1.0;
  ak = a1 * std::fabs(smur);
  if (ak > alim) kflag = 3;
  str = cssr[kflag];
  p2r = s2r * str;
  p2i = s2i * str;
  ZMLT(p2r, p2i, rzr, rzi, s2r, s2i);
  s1r = s1r * str;
  s1i = s1i * str;
  if (koded == 1) goto L210;
  ZEXP(zr, zi, fr, fi);
  ZMLT(s1r, s1i, fr, fi, s1r, s1i);
  ZMLT(s2r, s2i, fr, fi, s2r, s2i);
  goto L210;
  // IFLAG = 0: no underflow occurred. IFLAG = 1: an underflow occurred; the computation goes
  // on with KODED = 2 and a test for on-scale values is made during the forward recurrence.
L110:
  ZSQRT(zr, zi, str, sti);
  ZDIV(kZbknuRthpi, 0.0, str, sti, coefr, coefi);
  kflag = 2;
  if (koded == 2) goto L120;
  if (zr > alim) goto L290;
  str = std::exp(-zr) * cssr[kflag];
  sti = -str * std::sin(zi);
  str = str * std::cos(zi);
  ZMLT(coefr, coefi, str, sti, coefr, coefi);
L120:
  if (std::fabs(dnu) == 0.5) goto L300;
  // Miller algorithm for |z| > R1.
  ak = std::cos(kZbknuDpi * dnu);
  ak = std::fabs(ak);
  if (ak == 0.0) goto L300;
  fhs = std::fabs(0.25 - dnu2);
  if (fhs == 0.0) goto L300;
  // R2 = F(E): for |z| >= R2 the forward recurrence determines the backward index K. R2 is a
  // straight line in 12 <= E <= 60, E from 2^(-E) = B^(1-I1MACH(14)) = TOL.
  t1 = static_cast<double>(I1MACH(14) - 1);
  t1 = t1 * D1MACH(5) * 3.321928094;
  t1 = std::fmax(t1, 12.0);
  t1 = std::fmin(t1, 60.0);
  t2 = kZbknuTth * t1 - 6.0;
  if (zr != 0.0) goto L130;
  t1 = kZbknuHpi;
  goto L140;
L130:
  t1 = std::atan(zi / zr);
  t1 = std::fabs(t1);
L140:
  if (t2 > caz) goto L170;
  // Forward recurrence loop when |z| >= R2.
  etest = ak / (kZbknuDpi * caz * tol);
  fk = 1.0;
  if (etest < 1.0) goto L180;
  fks = 2.0;
  ckr = caz + caz + 2.0;
  p1r = 0.0;
  p2r = 1.0;
  for (i = 1; i <= kZbknuKmax; ++i) {
    ak = fhs / fks;
    cbr = ckr / (fk + 1.0);
    ptr = p2r;
    p2r = cbr * p2r - p1r * ak;
    p1r = ptr;
    ckr = ckr + 2.0;
    fks = fks + fk + fk + 2.0;
    fhs = fhs + fk + fk;
    fk = fk + 1.0;
    str = std::fabs(p2r) * fk;
    if (etest < str) goto L160;
  } /* 150 */
  goto L310;
L160:
  fk = fk + kZbknuSpi * t1 * std::sqrt(t2 / caz);
  fhs = std::fabs(0.25 - dnu2);
  goto L180;
L170:
  // Backward index K for |z| < R2.
  a2 = std::sqrt(caz);
  ak = kZbknuFpi * ak / (tol * std::sqrt(a2));
  aa = 3.0 * t1 / (1.0 + caz);
  bb = 14.7 * t1 / (28.0 + caz);
  ak = (std::log(ak) + caz * std::cos(aa) / (1.0 + 0.008 * caz)) / std::cos(bb);
  fk = 0.12125 * ak * ak / caz + 1.5;
L180:
  // Backward recurrence loop of the Miller algorithm.
  k = static_cast<int>(fk);
  fk = static_cast<double>(k);
  fks = fk * fk;
  p1r = 0.0;
  p1i = 0.0;
  p2r = tol;
  p2i = 0.0;
  csr = p2r;
  csi = p2i;
  for (i = 1; i <= k; ++i) {
    a1 = fks - fk;
    ak = (fks + fk) / (a1 + fhs);
    rak = 2.0 / (fk + 1.0);
    cbr = (fk + zr) * rak;
    cbi = zi * rak;
    ptr = p2r;
    pti = p2i;
    p2r = (ptr * cbr - pti * cbi - p1r) * ak;
    p2i = (pti * cbr + ptr * cbi - p1i) * ak;
    p1r = ptr;
    p1i = pti;
    csr = csr + p2r;
    csi = csi + p2i;
    fks = a1 - fk + 1.0;
    fk = fk - 1.0;
  } /* 190 */
  // P2/CS = (P2/|CS|)*(conj(CS)/|CS|) for better scaling.
  tm = ZABS(csr, csi);
  ptr = 1.0 / tm;
  s1r = p2r * ptr;
  s1i = p2i * ptr;
  csr = csr * ptr;
  csi = -csi * ptr;
  ZMLT(coefr, coefi, s1r, s1i, str, sti);
  ZMLT(str, sti, csr, csi, s1r, s1i);
  if (inu > 0 || n > 1) goto L200;
  zdr = zr;
  zdi = zi;
  if (iflag == 1) goto L270;
  goto L240;
L200:
  // P1/P2 = (P1/|P2|)*(conj(P2)/|P2|) for scaling.
  tm = ZABS(p2r, p2i);
  ptr = 1.0 / tm;
  p1r = p1r * ptr;
  p1i = p1i * ptr;
  p2r = p2r * ptr;
  p2i = -p2i * ptr;
  ZMLT(p1r, p1i, p2r, p2i, ptr, pti);
  str = dnu + 0.5 - ptr;
  sti = -pti;
  ZDIV(str, sti, zr, zi, str, sti);
  str = str + 1.0;
  ZMLT(str, sti, s1r, s1i, s2r, s2i);
L210:
  // Forward recursion on the three-term recurrence, scaled near the exponent extremes on
  // KFLAG = 1 or KFLAG = 3.
  str = dnu + 1.0;
  ckr = str * rzr;
  cki = str * rzi;
  if (n == 1) inu = inu - 1;
  if (inu > 0) goto L220;
  if (n > 1) goto L215;
  s1r = s2r;
  s1i = s2i;
L215:
  zdr = zr;
  zdi = zi;
  if (iflag == 1) goto L270;
  goto L240;
L220:
  inub = 1;
  if (iflag == 1) goto L261;
L225:
  p1r = csrr[kflag];
  ascle = bry[kflag];
  for (i = inub; i <= inu; ++i) {
    str = s2r;
    sti = s2i;
    s2r = ckr * str - cki * sti + s1r;
    s2i = ckr * sti + cki * str + s1i;
    s1r = str;
    s1i = sti;
    ckr = ckr + rzr;
    cki = cki + rzi;
    if (kflag >= 3) continue;
    p2r = s2r * p1r;
    p2i = s2i * p1r;
    str = std::fabs(p2r);
    sti = std::fabs(p2i);
    p2m = std::fmax(str, sti);
    if (p2m <= ascle) continue;
    kflag = kflag + 1;
    ascle = bry[kflag];
    s1r = s1r * p1r;
    s1i = s1i * p1r;
    s2r = p2r;
    s2i = p2i;
    str = cssr[kflag];
    s1r = s1r * str;
    s1i = s1i * str;
    s2r = s2r * str;
    s2i = s2i * str;
    p1r = csrr[kflag];
  } /* 230 */
  if (n != 1) goto L240;
  s1r = s2r;
  s1i = s2i;
L240:
  str = csrr[kflag];
  yr[1] = s1r * str;
  yi[1] = s1i * str;
  if (n == 1) return;
  yr[2] = s2r * str;
  yi[2] = s2i * str;
  if (n == 2) return;
  kk = 2;
L250:
  kk = kk + 1;
  if (kk > n) return;
  p1r = csrr[kflag];
  ascle = bry[kflag];
  for (i = kk; i <= n; ++i) {
    p2r = s2r;
    p2i = s2i;
    s2r = ckr * p2r - cki * p2i + s1r;
    s2i = cki * p2r + ckr * p2i + s1i;
    s1r = p2r;
    s1i = p2i;
    ckr = ckr + rzr;
    cki = cki + rzi;
    p2r = s2r * p1r;
    p2i = s2i * p1r;
    yr[i] = p2r;
    yi[i] = p2i;
    if (kflag >= 3) continue;
    str = std::fabs(p2r);
    sti = std::fabs(p2i);
    p2m = std::fmax(str, sti);
    if (p2m <= ascle) continue;
    kflag = kflag + 1;
    ascle = bry[kflag];
    s1r = s1r * p1r;
    s1i = s1i * p1r;
    s2r = p2r;
    s2i = p2i;
    str = cssr[kflag];
    s1r = s1r * str;
    s1i = s1i * str;
    s2r = s2r * str;
    s2i = s2i * str;
    p1r = csrr[kflag];
  } /* 260 */
  return;
L261:
  // IFLAG = 1: forward recurrence on values scaled by exp(z) until two consecutive members
  // are on scale; values growing past exp(ELIM/2) are damped by exp(-ELIM).
  helim = 0.5 * elim;
  elm = std::exp(-elim);
  celmr = elm;
  ascle = bry[1];
  zdr = zr;
  zdi = zi;
  ic = -1;
  j = 2;
  for (i = 1; i <= inu; ++i) {
    str = s2r;
    sti = s2i;
    s2r = str * ckr - sti * cki + s1r;
    s2i = sti * ckr + str * cki + s1i;
    s1r = str;
    s1i = sti;
    ckr = ckr + rzr;
    cki = cki + rzi;
    as = ZABS(s2r, s2i);
    alas = std::log(as);
    p2r = -zdr + alas;
    if (p2r < (-elim)) goto L263;
    ZLOG(s2r, s2i, str, sti, idum);
    p2r = -zdr + str;
    p2i = -zdi + sti;
    p2m = std::exp(p2r) / tol;
    p1r = p2m * std::cos(p2i);
    p1i = p2m * std::sin(p2i);
    ZUCHK(p1r, p1i, nw, ascle, tol);
    if (nw != 0) goto L263;
    j = 3 - j;
    cyr[j] = p1r;
    cyi[j] = p1i;
    if (ic == (i - 1)) goto L264;
    ic = i;
    continue;
  L263:
    if (alas < helim) continue;
    zdr = zdr - elim;
    s1r = s1r * celmr;
    s1i = s1i * celmr;
    s2r = s2r * celmr;
    s2i = s2i * celmr;
  } /* 262 */
  if (n != 1) goto L270;
  s1r = s2r;
  s1i = s2i;
  goto L270;
L264:
  kflag = 1;
  inub = i + 1;
  s2r = cyr[j];
  s2i = cyi[j];
  j = 3 - j;
  s1r = cyr[j];
  s1i = cyi[j];
  if (inub <= inu) goto L225;
  if (n != 1) goto L240;
  s1r = s2r;
  s1i = s2i;
  goto L240;
L270:
  yr[1] = s1r;
  yi[1] = s1i;
  if (n == 1) goto L280;
  yr[2] = s2r;
  yi[2] = s2i;
L280:
  ascle = bry[1];
  ZKSCL(zdr, zdi, fnu, n, yr, yi, nz, rzr, rzi, ascle, tol, elim);
  inu = n - nz;
  if (inu <= 0) return;
  kk = nz + 1;
  s1r = yr[kk];
  s1i = yi[kk];
  yr[kk] = s1r * csrr[1];
  yi[kk] = s1i * csrr[1];
  if (inu == 1) return;
  kk = nz + 2;
  s2r = yr[kk];
  s2i = yi[kk];
  yr[kk] = s2r * csrr[1];
  yi[kk] = s2i * csrr[1];
  if (inu == 2) return;
  t2 = fnu + static_cast<double>(kk - 1);
  ckr = t2 * rzr;
  cki = t2 * rzi;
  kflag = 1;
  goto L250;
L290:
  // Scale by exp(z), IFLAG = 1 cases.
  koded = 2;
  iflag = 1;
  kflag = 2;
  goto L120;
L300:
  // FNU a half odd integer, DNU = -0.5.
  s1r = coefr;
  s1i = coefi;
  s2r = coefr;
  s2i = coefi;
  goto L210;
L310:
  nz = -2;
}

// Sets K members to zero on underflow and continues the recurrence on the scaled values until
// two members come on scale; returns with min(NZ+2, N) values scaled by 1/TOL.
void ZKSCL(double zrr, double zri, double fnu, int n, double* yr, double* yi, int& nz, double rzr,
           double rzi, double ascle, double tol, double elim) {
  double cyr[3], cyi[3];
  double acs, as, cki, ckr, csi, csr, fn, str, s1i, s1r, s2i, s2r, zdr, zdi, celmr, elm, helim,
      alas;
  int i, ic, idum, kk = 0, nn, nw;
  nz = 0;
  ic = 0;
  nn = std::min(2, n);
  for (i = 1; i <= nn; ++i) {
    s1r = yr[i];
    s1i = yi[i];
    cyr[i] = s1r;
    cyi[i] = s1i;
    as = ZABS(s1r, s1i);
    acs = -zrr + std::log(as);
    nz = nz + 1;
    yr[i] = 0.0;
    yi[i] = 0.0;
    if (acs < (-elim)) continue;
    ZLOG(s1r, s1i, csr, csi, idum);
    csr = csr - zrr;
    csi = csi - zri;
    str = std::exp(csr) / tol;
    csr = str * std::cos(csi);
    csi = str * std::sin(csi);
    ZUCHK(csr, csi, nw, ascle, tol);
    if (nw != 0) continue;
    yr[i] = csr;
    yi[i] = csi;
    ic = i;
    nz = nz - 1;
  } /* 10 */
  if (n == 1) return;
  if (ic > 1) goto L20;
  yr[1] = 0.0;
  yi[1] = 0.0;
  nz = 2;
L20:
  if (n == 2) return;
  if (nz == 0) return;
  fn = fnu + 1.0;
  ckr = fn * rzr;
  cki = fn * rzi;
  s1r = cyr[1];
  s1i = cyi[1];
  s2r = cyr[2];
  s2i = cyi[2];
  helim = 0.5 * elim;
  elm = std::exp(-elim);
  celmr = elm;
  zdr = zrr;
  zdi = zri;
  // Find two consecutive Y values on scale; scale the recurrence if S2 gets larger than
  // exp(ELIM/2).
  for (i = 3; i <= n; ++i) {
    kk = i;
    csr = s2r;
    csi = s2i;
    s2r = ckr * csr - cki * csi + s1r;
    s2i = cki * csr + ckr * csi + s1i;
    s1r = csr;
    s1i = csi;
    ckr = ckr + rzr;
    cki = cki + rzi;
    as = ZABS(s2r, s2i);
    alas = std::log(as);
    acs = -zdr + alas;
    nz = nz + 1;
    yr[i] = 0.0;
    yi[i] = 0.0;
    if (acs < (-elim)) goto L25;
    ZLOG(s2r, s2i, csr, csi, idum);
    csr = csr - zdr;
    csi = csi - zdi;
    str = std::exp(csr) / tol;
    csr = str * std::cos(csi);
    csi = str * std::sin(csi);
    ZUCHK(csr, csi, nw, ascle, tol);
    if (nw != 0) goto L25;
    yr[i] = csr;
    yi[i] = csi;
    nz = nz - 1;
    if (ic == kk - 1) goto L40;
    ic = kk;
    continue;
  L25:
    if (alas < helim) continue;
    zdr = zdr - elim;
    s1r = s1r * celmr;
    s1i = s1i * celmr;
    s2r = s2r * celmr;
    s2i = s2i * celmr;
  } /* 30 */
  nz = n;
  if (ic == n) nz = n - 1;
  goto L45;
L40:
  nz = kk - 2;
L45:
  for (i = 1; i <= nz; ++i) {
    yr[i] = 0.0;
    yi[i] = 0.0;
  } /* 50 */
}

// Analytic continuation of K from the right to the left half plane,
// K(nu, zn exp(mp)) = K(nu, zn) exp(-mp nu) - mp I(nu, zn), mp = i pi MR, zn = -z.
void ZACON(double zr, double zi, double fnu, int kode, int mr, int n, double* yr, double* yi,
           int& nz, double rl, double fnul, double tol, double elim, double alim) {
  double cyr[3], cyi[3], cssr[4], csrr[4], bry[4];
  double arg, ascle, as2, azn, bscle, cki, ckr, cpn, cscl, cscr, csgni, csgnr, cspni, cspnr, csr,
      c1i, c1m, c1r, c2i, c2r, fmr, fn, pti, ptr, razn, rzi, rzr, sc1i = 0.0, sc1r = 0.0,
      sc2i = 0.0, sc2r = 0.0, sgn, spn, sti, str, s1i, s1r, s2i, s2r, yy, zni, znr;
  int i, inu, iuf, kflag, nn, nw;
  nz = 0;
  znr = -zr;
  zni = -zi;
  nn = n;
  ZBINU(znr, zni, fnu, kode, nn, yr, yi, nw, rl, fnul, tol, elim, alim);
  if (nw < 0) goto L90;
  // Analytic continuation to the left half plane for the K function.
  nn = std::min(2, n);
  ZBKNU(znr, zni, fnu, kode, nn, cyr, cyi, nw, tol, elim, alim);
  if (nw != 0) goto L90;
  s1r = cyr[1];
  s1i = cyi[1];
  fmr = static_cast<double>(mr);
  sgn = -std::copysign(kZaconPi, fmr);
  csgnr = 0.0;
  csgni = sgn;
  if (kode == 1) goto L10;
  yy = -zni;
  cpn = std::cos(yy);
  spn = std::sin(yy);
  ZMLT(csgnr, csgni, cpn, spn, csgnr, csgni);
L10:
  // CSPN = exp(FNU*pi*i) from the fractional part of FNU.
  inu = static_cast<int>(fnu);
  arg = (fnu - static_cast<double>(inu)) * sgn;
  cpn = std::cos(arg);
  spn = std::sin(arg);
  cspnr = cpn;
  cspni = spn;
  if (inu % 2 == 0) goto L20;
  cspnr = -cspnr;
  cspni = -cspni;
L20:
  iuf = 0;
  c1r = s1r;
  c1i = s1i;
  c2r = yr[1];
  c2i = yi[1];
  ascle = 1.0e3 * D1MACH(1) / tol;
  if (kode == 1) goto L30;
  ZS1S2(znr, zni, c1r, c1i, c2r, c2i, nw, ascle, alim, iuf);
  nz = nz + nw;
  sc1r = c1r;
  sc1i = c1i;
L30:
  ZMLT(cspnr, cspni, c1r, c1i, str, sti);
  ZMLT(csgnr, csgni, c2r, c2i, ptr, pti);
  yr[1] = str + ptr;
  yi[1] = sti + pti;
  if (n == 1) return;
  cspnr = -cspnr;
  cspni = -cspni;
  s2r = cyr[2];
  s2i = cyi[2];
  c1r = s2r;
  c1i = s2i;
  c2r = yr[2];
  c2i = yi[2];
  if (kode == 1) goto L40;
  ZS1S2(znr, zni, c1r, c1i, c2r, c2i, nw, ascle, alim, iuf);
  nz = nz + nw;
  sc2r = c1r;
  sc2i = c1i;
L40:
  ZMLT(cspnr, cspni, c1r, c1i, str, sti);
  ZMLT(csgnr, csgni, c2r, c2i, ptr, pti);
  yr[2] = str + ptr;
  yi[2] = sti + pti;
  if (n == 2) return;
  cspnr = -cspnr;
  cspni = -cspni;
  azn = ZABS(znr, zni);
  razn = 1.0 / azn;
  str = znr * razn;
  sti = -zni * razn;
  rzr = (str + str) * razn;
  rzi = (sti + sti) * razn;
  fn = fnu + 1.0;
  ckr = fn * rzr;
  cki = fn * rzi;
  // Scale near the exponent extremes during the recurrence on the K functions.
  cscl = 1.0 / tol;
  cscr = tol;
  cssr[1] = cscl;
  cssr[2] = 1.0;
  cssr[3] = cscr;
  csrr[1] = cscr;
  csrr[2] = 1.0;
  csrr[3] = cscl;
  bry[1] = ascle;
  bry[2] = 1.0 / ascle;
  bry[3] = D1MACH(2);
  as2 = ZABS(s2r, s2i);
  kflag = 2;
  if (as2 > bry[1]) goto L50;
  kflag = 1;
  goto L60;
L50:
  if (as2 < bry[2]) goto L60;
  kflag = 3;
L60:
  bscle = bry[kflag];
  s1r = s1r * cssr[kflag];
  s1i = s1i * cssr[kflag];
  s2r = s2r * cssr[kflag];
  s2i = s2i * cssr[kflag];
  csr = csrr[kflag];
  for (i = 3; i <= n; ++i) {
    str = s2r;
    sti = s2i;
    s2r = ckr * str - cki * sti + s1r;
    s2i = ckr * sti + cki * str + s1i;
    s1r = str;
    s1i = sti;
    c1r = s2r * csr;
    c1i = s2i * csr;
    str = c1r;
    sti = c1i;
    c2r = yr[i];
    c2i = yi[i];
    if (kode == 1) goto L70;
    if (iuf < 0) goto L70;
    ZS1S2(znr, zni, c1r, c1i, c2r, c2i, nw, ascle, alim, iuf);
    nz = nz + nw;
    sc1r = sc2r;
    sc1i = sc2i;
    sc2r = c1r;
    sc2i = c1i;
    if (iuf != 3) goto L70;
    iuf = -4;
    s1r = sc1r * cssr[kflag];
    s1i = sc1i * cssr[kflag];
    s2r = sc2r * cssr[kflag];
    s2i = sc2i * cssr[kflag];
    str = sc2r;
    sti = sc2i;
  L70:
    ptr = cspnr * c1r - cspni * c1i;
    pti = cspnr * c1i + cspni * c1r;
    yr[i] = ptr + csgnr * c2r - csgni * c2i;
    yi[i] = pti + csgnr * c2i + csgni * c2r;
    ckr = ckr + rzr;
    cki = cki + rzi;
    cspnr = -cspnr;
    cspni = -cspni;
    if (kflag >= 3) continue;
    ptr = std::fabs(c1r);
    pti = std::fabs(c1i);
    c1m = std::fmax(ptr, pti);
    if (c1m <= bscle) continue;
    kflag = kflag + 1;
    bscle = bry[kflag];
    s1r = s1r * csr;
    s1i = s1i * csr;
    s2r = str;
    s2i = sti;
    s1r = s1r * cssr[kflag];
    s1i = s1i * cssr[kflag];
    s2r = s2r * cssr[kflag];
    s2i = s2i * cssr[kflag];
    csr = csrr[kflag];
  } /* 80 */
  return;
L90:
  nz = -1;
  if (nw == -2) nz = -2;
}

// Underflow test for the sum of the K term S1 and the I term S2 of the continuation formula.
// With KODE = 2 both are scaled and may be of the same size: S1 is rescaled by exp(-2z) (or
// dropped when that underflows) and the pair is zeroed unless its larger member is at least
// one precision above the underflow limit.
void ZS1S2(double zrr, double zri, double& s1r, double& s1i, double& s2r, double& s2i, int& nz,
           double ascle, double alim, int& iuf) {
  double aa, aln, as1, as2, c1i, c1r, s1di, s1dr;
  int idum;
  nz = 0;
  as1 = ZABS(s1r, s1i);
  as2 = ZABS(s2r, s2i);
  if (s1r == 0.0 && s1i == 0.0) goto L10;
  if (as1 == 0.0) goto L10;
  aln = -zrr - zrr + std::log(as1);
  s1dr = s1r;
  s1di = s1i;
  s1r = 0.0;
  s1i = 0.0;
  as1 = 0.0;
  if (aln < (-alim)) goto L10;
  ZLOG(s1dr, s1di, c1r, c1i, idum);
  c1r = c1r - zrr - zrr;
  c1i = c1i - zri - zri;
  ZEXP(c1r, c1i, s1r, s1i);
  as1 = ZABS(s1r, s1i);
  iuf = iuf + 1;
L10:
  aa = std::fmax(as1, as2);
  if (aa > ascle) return;
  s1r = 0.0;
  s1i = 0.0;
  s2r = 0.0;
  s2i = 0.0;
  nz = 1;
  iuf = 0;
}

}  // namespace veldo
