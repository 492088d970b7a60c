// Bessel I and J of complex argument: the entry points ZBESI and ZBESJ, the right-half-plane
// driver ZBINU and its small-order methods ZSERI (power series), ZMLRI (Miller algorithm) and
// ZASYI (asymptotic expansion). Statement labels of the published routines are kept as
// comments or as goto targets L<label>.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "bessel/amos.hpp"
#include "bessel/amos_tables.hpp"

namespace veldo {
namespace {

constexpr double kPi = 3.14159265358979324;
constexpr double kHpi = 1.57079632679489662;
constexpr double kRtpi = 0.159154943091895336;  // 1/(2 pi), ZASYI

}  // namespace

// I(FNU+k-1, z), k = 1..N. The left half plane is reflected, I(nu, -z) = exp(+-i pi nu) I(nu, z),
// with the factor formed from the fractional part of the order only so that no significance is
// lost when FNU is large.
void ZBESI(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz,
           int& ierr) {
  double tol, elim, alim, rl, fnul, az, fn, aa, znr, zni, csgnr, csgni, arg, rtol, ascle, atol,
      bb, str, sti;
  int inu, nn;
  ierr = 0;
  nz = 0;
  if (fnu < 0.0) ierr = 1;
  if (kode < 1 || kode > 2) ierr = 1;
  if (n < 1) ierr = 1;
  if (ierr != 0) return;
  amos_detail::MachineLimits(tol, elim, alim, rl, fnul);
  // Test for proper range.
  az = ZABS(zr, zi);
  fn = fnu + static_cast<double>(n - 1);
  aa = amos_detail::RangeLimit(tol);
  if (az > aa) goto L260;
  if (fn > aa) goto L260;
  aa = std::sqrt(aa);
  if (az > aa) ierr = 3;
  if (fn > aa) ierr = 3;
  znr = zr;
  zni = zi;
  csgnr = 1.0;
  csgni = 0.0;
  if (zr >= 0.0) goto L40;
  znr = -zr;
  zni = -zi;
  // CSGN = exp(FNU*pi*i) from the fractional part of FNU.
  inu = static_cast<int>(fnu);
  arg = (fnu - static_cast<double>(inu)) * kPi;
  if (zi < 0.0) arg = -arg;
  csgnr = std::cos(arg);
  csgni = std::sin(arg);
  if (inu % 2 == 0) goto L40;
  csgnr = -csgnr;
  csgni = -csgni;
L40:
  ZBINU(znr, zni, fnu, kode, n, cyr, cyi, nz, rl, fnul, tol, elim, alim);
  if (nz < 0) goto L120;
  if (zr >= 0.0) return;
  // Analytic continuation to the left half plane. Values near the underflow limit are scaled
  // up by 1/TOL before the complex product so that the phase keeps its digits.
  nn = n - nz;
  if (nn == 0) return;
  rtol = 1.0 / tol;
  ascle = D1MACH(1) * rtol * 1.0e3;
  for (int i = 1; i <= nn; ++i) {
    aa = cyr[i];
    bb = cyi[i];
    atol = 1.0;
    if (std::fmax(std::fabs(aa), std::fabs(bb)) > ascle) goto L55;
    aa = aa * rtol;
    bb = bb * rtol;
    atol = tol;
  L55:
    str = aa * csgnr - bb * csgni;
    sti = aa * csgni + bb * csgnr;
    cyr[i] = str * atol;
    cyi[i] = sti * atol;
    csgnr = -csgnr;
    csgni = -csgni;
  } /* 50 */
  return;
L120:
  if (nz == -2) goto L130;
  nz = 0;
  ierr = 2;
  return;
L130:
  nz = 0;
  ierr = 5;
  return;
L260:
  nz = 0;
  ierr = 4;
}

// J(FNU+k-1, z), k = 1..N, from J(nu, z) = exp(nu pi i/2) I(nu, -iz) for Im z >= 0 and the
// conjugate rotation for Im z < 0, so that the I argument lies in the right half plane.
void ZBESJ(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz,
           int& ierr) {
  double tol, elim, alim, rl, fnul, az, fn, aa, bb, cii, arg, csgnr, csgni, znr, zni, rtol, ascle,
      atol, str, sti;
  int inu, inuh, ir, nl;
  ierr = 0;
  nz = 0;
  if (fnu < 0.0) ierr = 1;
  if (kode < 1 || kode > 2) ierr = 1;
  if (n < 1) ierr = 1;
  if (ierr != 0) return;
  amos_detail::MachineLimits(tol, elim, alim, rl, fnul);
  // Test for proper range.
  az = ZABS(zr, zi);
  fn = fnu + static_cast<double>(n - 1);
  aa = amos_detail::RangeLimit(tol);
  if (az > aa) goto L260;
  if (fn > aa) goto L260;
  aa = std::sqrt(aa);
  if (az > aa) ierr = 3;
  if (fn > aa) ierr = 3;
  // CSGN = exp(FNU*HPI*i) from FNU less an even integer.
  cii = 1.0;
  inu = static_cast<int>(fnu);
  inuh = inu / 2;
  ir = inu - 2 * inuh;
  arg = (fnu - static_cast<double>(inu - ir)) * kHpi;
  csgnr = std::cos(arg);
  csgni = std::sin(arg);
  if (inuh % 2 == 0) goto L40;
  csgnr = -csgnr;
  csgni = -csgni;
L40:
  // ZN = -i z lies in the right half plane.
  znr = zi;
  zni = -zr;
  if (zi >= 0.0) goto L50;
  znr = -znr;
  zni = -zni;
  csgni = -csgni;
  cii = -cii;
L50:
  ZBINU(znr, zni, fnu, kode, n, cyr, cyi, nz, rl, fnul, tol, elim, alim);
  if (nz < 0) goto L130;
  nl = n - nz;
  if (nl == 0) return;
  rtol = 1.0 / tol;
  ascle = D1MACH(1) * rtol * 1.0e3;
  for (int i = 1; i <= nl; ++i) {
    aa = cyr[i];
    bb = cyi[i];
    atol = 1.0;
    if (std::fmax(std::fabs(aa), std::fabs(bb)) > ascle) goto L55;
    aa = aa * rtol;
    bb = bb * rtol;
    atol = tol;
  L55:
    str = aa * csgnr - bb * csgni;
    sti = aa * csgni + bb * csgnr;
    cyr[i] = str * atol;
    cyi[i] = sti * atol;
    str = -csgni * cii;
    csgni = csgnr * cii;
    csgnr = str;
  } /* 60 */
  return;
L130:
  if (nz == -2) goto L140;
  nz = 0;
  ierr = 2;
  return;
L140:
  nz = 0;
  ierr = 5;
  return;
L260:
  nz = 0;
  ierr = 4;
}

// I sequence for Re z >= 0: power series for small |z| (or |z|^2/4 <= FNU+N), Miller algorithm
// below RL, asymptotic expansion above; larger orders go to the uniform expansions.
void ZBINU(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz,
           double rl, double fnul, double tol, double elim, double alim) {
  double cwr[3] = {}, cwi[3] = {};  // two-member work array, 1-based
  double az, dfnu;
  int inw, nlast = 0, nn, nui, nw = 0;
  nz = 0;
  az = ZABS(zr, zi);
  nn = n;
  dfnu = fnu + static_cast<double>(n - 1);
  if (az <= 2.0) goto L10;
  if (az * az * 0.25 > dfnu + 1.0) goto L20;
L10:
  // Power series.
  ZSERI(zr, zi, fnu, kode, nn, cyr, cyi, nw, tol, elim, alim);
  inw = std::abs(nw);
  nz = nz + inw;
  nn = nn - inw;
  if (nn == 0) return;
  if (nw >= 0) goto L120;
  dfnu = fnu + static_cast<double>(nn - 1);
L20:
  if (az < rl) goto L40;
  if (dfnu <= 1.0) goto L30;
  if (az + az < dfnu * dfnu) goto L50;
L30:
  // Asymptotic expansion for large z.
  ZASYI(zr, zi, fnu, kode, nn, cyr, cyi, nw, rl, tol, elim, alim);
  if (nw < 0) goto L130;
  goto L120;
L40:
  if (dfnu <= 1.0) goto L70;
L50:
  // Overflow and underflow test on the I sequence for the Miller algorithm.
  ZUOIK(zr, zi, fnu, kode, 1, nn, cyr, cyi, nw, tol, elim, alim);
  if (nw < 0) goto L130;
  nz = nz + nw;
  nn = nn - nw;
  if (nn == 0) return;
  dfnu = fnu + static_cast<double>(nn - 1);
  if (dfnu > fnul) goto L110;
  if (az > fnul) goto L110;
L60:
  if (az > rl) goto L80;
L70:
  // Miller algorithm normalised by the series.
  ZMLRI(zr, zi, fnu, kode, nn, cyr, cyi, nw, tol);
  if (nw < 0) goto L130;
  goto L120;
L80:
  // Miller algorithm normalised by the Wronskian; first the overflow test on the K functions.
  ZUOIK(zr, zi, fnu, kode, 2, 2, cwr, cwi, nw, tol, elim, alim);
  if (nw >= 0) goto L100;
  nz = nn;
  for (int i = 1; i <= nn; ++i) {
    cyr[i] = 0.0;
    cyi[i] = 0.0;
  } /* 90 */
  return;
L100:
  if (nw > 0) goto L130;
  ZWRSK(zr, zi, fnu, kode, nn, cyr, cyi, nw, cwr, cwi, tol, elim, alim);
  if (nw < 0) goto L130;
  goto L120;
L110:
  // Raise FNU+NN-1 to FNUL, expand uniformly and recur backward.
  nui = static_cast<int>(fnul - dfnu) + 1;
  nui = std::max(nui, 0);
  ZBUNI(zr, zi, fnu, kode, nn, cyr, cyi, nw, nui, nlast, fnul, tol, elim, alim);
  if (nw < 0) goto L130;
  nz = nz + nw;
  if (nlast == 0) goto L120;
  nn = nlast;
  goto L60;
L120:
  return;
L130:
  nz = -1;
  if (nw == -2) nz = -2;
}

// Power series for I in |z| <= 2 sqrt(FNU+1), Re z >= 0. NZ > 0: the last NZ members
// underflowed; NZ < 0: they underflowed but |z|^2/4 exceeds the order, and the caller must
// finish the remaining N - |NZ| members with another method.
void ZSERI(double zr, double zi, double fnu, int kode, int n, double* yr, double* yi, int& nz,
           double tol, double elim, double alim) {
  double wr[3] = {}, wi[3] = {};  // the two top members, 1-based
  double aa, acz, ak, ak1i, ak1r, arm, ascle = 0.0, atol, az, cki, ckr, coefi, coefr, crscr, czi,
      czr, dfnu, fnup, hzi, hzr, raz, rs, rtr1, rzi, rzr, s, ss = 0.0, sti, str, s1i, s1r, s2i,
      s2r;
  int i, ib, idum, iflag, il, k, l, m, nn, nw;
  nz = 0;
  az = ZABS(zr, zi);
  if (az == 0.0) goto L160;
  arm = 1.0e3 * D1MACH(1);
  rtr1 = std::sqrt(arm);
  crscr = 1.0;
  iflag = 0;
  if (az < arm) goto L150;
  hzr = 0.5 * zr;
  hzi = 0.5 * zi;
  czr = 0.0;
  czi = 0.0;
  if (az <= rtr1) goto L10;
  ZMLT(hzr, hzi, hzr, hzi, czr, czi);
L10:
  acz = ZABS(czr, czi);
  nn = n;
  ZLOG(hzr, hzi, ckr, cki, idum);
L20:
  dfnu = fnu + static_cast<double>(nn - 1);
  fnup = dfnu + 1.0;
  // Underflow test of the last member: ln of (z/2)^DFNU / Gamma(DFNU+1).
  ak1r = ckr * dfnu;
  ak1i = cki * dfnu;
  ak = DGAMLN(fnup, idum);
  ak1r = ak1r - ak;
  if (kode == 2) ak1r = ak1r - zr;
  if (ak1r > (-elim)) goto L40;
L30:
  nz = nz + 1;
  yr[nn] = 0.0;
  yi[nn] = 0.0;
  if (acz > dfnu) goto L190;
  nn = nn - 1;
  if (nn == 0) return;
  goto L20;
L40:
  if (ak1r > (-alim)) goto L50;
  iflag = 1;
  ss = 1.0 / tol;
  crscr = tol;
  ascle = arm * ss;
L50:
  aa = std::exp(ak1r);
  if (iflag == 1) aa = aa * ss;
  coefr = aa * std::cos(ak1i);
  coefi = aa * std::sin(ak1i);
  atol = tol * acz / fnup;
  il = std::min(2, nn);
  for (i = 1; i <= il; ++i) {
    dfnu = fnu + static_cast<double>(nn - i);
    fnup = dfnu + 1.0;
    s1r = 1.0;
    s1i = 0.0;
    if (acz < tol * fnup) goto L70;
    ak1r = 1.0;
    ak1i = 0.0;
    ak = fnup + 2.0;
    s = fnup;
    aa = 2.0;
  L60:
    rs = 1.0 / s;
    str = ak1r * czr - ak1i * czi;
    sti = ak1r * czi + ak1i * czr;
    ak1r = str * rs;
    ak1i = sti * rs;
    s1r = s1r + ak1r;
    s1i = s1i + ak1i;
    s = s + ak;
    ak = ak + 2.0;
    aa = aa * acz * rs;
    if (aa > atol) goto L60;
  L70:
    s2r = s1r * coefr - s1i * coefi;
    s2i = s1r * coefi + s1i * coefr;
    wr[i] = s2r;
    wi[i] = s2i;
    if (iflag == 0) goto L80;
    ZUCHK(s2r, s2i, nw, ascle, tol);
    if (nw != 0) goto L30;
  L80:
    m = nn - i + 1;
    yr[m] = s2r * crscr;
    yi[m] = s2i * crscr;
    if (i == il) continue;
    ZDIV(coefr, coefi, hzr, hzi, str, sti);
    coefr = str * dfnu;
    coefi = sti * dfnu;
  } /* 90 */
  if (nn <= 2) return;
  k = nn - 2;
  ak = static_cast<double>(k);
  raz = 1.0 / az;
  str = zr * raz;
  sti = -zi * raz;
  rzr = (str + str) * raz;
  rzi = (sti + sti) * raz;
  if (iflag == 1) goto L120;
  ib = 3;
L100:
  for (i = ib; i <= nn; ++i) {
    yr[k] = (ak + fnu) * (rzr * yr[k + 1] - rzi * yi[k + 1]) + yr[k + 2];
    yi[k] = (ak + fnu) * (rzr * yi[k + 1] + rzi * yr[k + 1]) + yi[k + 2];
    ak = ak - 1.0;
    k = k - 1;
  } /* 110 */
  return;
L120:
  // Recur backward with scaled values; ASCLE = 1000*D1MACH(1)/TOL is about one precision
  // above the underflow limit.
  s1r = wr[1];
  s1i = wi[1];
  s2r = wr[2];
  s2i = wi[2];
  for (l = 3; l <= nn; ++l) {
    ckr = s2r;
    cki = s2i;
    s2r = s1r + (ak + fnu) * (rzr * ckr - rzi * cki);
    s2i = s1i + (ak + fnu) * (rzr * cki + rzi * ckr);
    s1r = ckr;
    s1i = cki;
    ckr = s2r * crscr;
    cki = s2i * crscr;
    yr[k] = ckr;
    yi[k] = cki;
    ak = ak - 1.0;
    k = k - 1;
    if (ZABS(ckr, cki) > ascle) goto L140;
  } /* 130 */
  return;
L140:
  ib = l + 1;
  if (ib > nn) return;
  goto L100;
L150:
  nz = n;
  if (fnu == 0.0) nz = nz - 1;
L160:
  yr[1] = 0.0;
  yi[1] = 0.0;
  if (fnu != 0.0) goto L170;
  yr[1] = 1.0;
  yi[1] = 0.0;
L170:
  if (n == 1) return;
  for (i = 2; i <= n; ++i) {
    yr[i] = 0.0;
    yi[i] = 0.0;
  } /* 180 */
  return;
L190:
  nz = -nz;
}

// Miller algorithm for I, Re z >= 0, normalised by the Neumann series
// exp(z) = sum eps_k I_k(z) generalised to fractional order. The start index comes from
// the forward recurrence of the ratios until the truncation error of the series (and of the
// ratios when the order exceeds |z|) falls below TOL; NZ = -2 when 80 steps do not suffice.
void ZMLRI(double zr, double zi, double fnu, int kode, int n, double* yr, double* yi, int& nz,
           double tol) {
  double ack, ak, ap, at, az, bk, cki, ckr, cnormi, cnormr, fkap, fkk, flam, fnf, pti, ptr, p1i,
      p1r, p2i, p2r, raz, rho, rho2, rzi, rzr, scle, sti, str, sumi, sumr, tfnf, tst;
  int i, iaz, idum, ifnu, inu, itime, k, kk, km, m;
  scle = D1MACH(1) / tol;
  nz = 0;
  az = ZABS(zr, zi);
  iaz = static_cast<int>(az);
  ifnu = static_cast<int>(fnu);
  inu = ifnu + n - 1;
  at = static_cast<double>(iaz) + 1.0;
  raz = 1.0 / az;
  str = zr * raz;
  sti = -zi * raz;
  ckr = str * at * raz;
  cki = sti * at * raz;
  rzr = (str + str) * raz;
  rzi = (sti + sti) * raz;
  p1r = 0.0;
  p1i = 0.0;
  p2r = 1.0;
  p2i = 0.0;
  ack = (at + 1.0) * raz;
  rho = ack + std::sqrt(ack * ack - 1.0);
  rho2 = rho * rho;
  tst = (rho2 + rho2) / ((rho2 - 1.0) * (rho - 1.0));
  tst = tst / tol;
  // Relative truncation error index for the series.
  ak = at;
  for (i = 1; i <= 80; ++i) {
    ptr = p2r;
    pti = p2i;
    p2r = p1r - (ckr * ptr - cki * pti);
    p2i = p1i - (cki * ptr + ckr * pti);
    p1r = ptr;
    p1i = pti;
    ckr = ckr + rzr;
    cki = cki + rzi;
    ap = ZABS(p2r, p2i);
    if (ap > tst * ak * ak) goto L20;
    ak = ak + 1.0;
  } /* 10 */
  goto L110;
L20:
  i = i + 1;
  k = 0;
  if (inu < iaz) goto L40;
  // Relative truncation error for the ratios.
  p1r = 0.0;
  p1i = 0.0;
  p2r = 1.0;
  p2i = 0.0;
  at = static_cast<double>(inu) + 1.0;
  str = zr * raz;
  sti = -zi * raz;
  ckr = str * at * raz;
  cki = sti * at * raz;
  ack = at * raz;
  tst = std::sqrt(ack / tol);
  itime = 1;
  for (k = 1; k <= 80; ++k) {
    ptr = p2r;
    pti = p2i;
    p2r = p1r - (ckr * ptr - cki * pti);
    p2i = p1i - (ckr * pti + cki * ptr);
    p1r = ptr;
    p1i = pti;
    ckr = ckr + rzr;
    cki = cki + rzi;
    ap = ZABS(p2r, p2i);
    if (ap < tst) continue;
    if (itime == 2) goto L40;
    ack = ZABS(ckr, cki);
    flam = ack + std::sqrt(ack * ack - 1.0);
    fkap = ap / ZABS(p1r, p1i);
    rho = std::fmin(flam, fkap);
    tst = tst * std::sqrt(rho / (rho * rho - 1.0));
    itime = 2;
  } /* 30 */
  goto L110;
L40:
  // Backward recurrence and the sum of the normalising relation, P2 and SUM scaled by SCLE.
  k = k + 1;
  kk = std::max(i + iaz, k + inu);
  fkk = static_cast<double>(kk);
  p1r = 0.0;
  p1i = 0.0;
  p2r = scle;
  p2i = 0.0;
  fnf = fnu - static_cast<double>(ifnu);
  tfnf = fnf + fnf;
  bk = DGAMLN(fkk + tfnf + 1.0, idum) - DGAMLN(fkk + 1.0, idum) - DGAMLN(tfnf + 1.0, idum);
  bk = std::exp(bk);
  sumr = 0.0;
  sumi = 0.0;
  km = kk - inu;
  for (i = 1; i <= km; ++i) {
    ptr = p2r;
    pti = p2i;
    p2r = p1r + (fkk + fnf) * (rzr * ptr - rzi * pti);
    p2i = p1i + (fkk + fnf) * (rzi * ptr + rzr * pti);
    p1r = ptr;
    p1i = pti;
    ak = 1.0 - tfnf / (fkk + tfnf);
    ack = bk * ak;
    sumr = sumr + (ack + bk) * p1r;
    sumi = sumi + (ack + bk) * p1i;
    bk = ack;
    fkk = fkk - 1.0;
  } /* 50 */
  yr[n] = p2r;
  yi[n] = p2i;
  if (n == 1) goto L70;
  for (i = 2; i <= n; ++i) {
    ptr = p2r;
    pti = p2i;
    p2r = p1r + (fkk + fnf) * (rzr * ptr - rzi * pti);
    p2i = p1i + (fkk + fnf) * (rzi * ptr + rzr * pti);
    p1r = ptr;
    p1i = pti;
    ak = 1.0 - tfnf / (fkk + tfnf);
    ack = bk * ak;
    sumr = sumr + (ack + bk) * p1r;
    sumi = sumi + (ack + bk) * p1i;
    bk = ack;
    fkk = fkk - 1.0;
    m = n - i + 1;
    yr[m] = p2r;
    yi[m] = p2i;
  } /* 60 */
L70:
  if (ifnu <= 0) goto L90;
  for (i = 1; i <= ifnu; ++i) {
    ptr = p2r;
    pti = p2i;
    p2r = p1r + (fkk + fnf) * (rzr * ptr - rzi * pti);
    p2i = p1i + (fkk + fnf) * (rzr * pti + rzi * ptr);
    p1r = ptr;
    p1i = pti;
    ak = 1.0 - tfnf / (fkk + tfnf);
    ack = bk * ak;
    sumr = sumr + (ack + bk) * p1r;
    sumi = sumi + (ack + bk) * p1i;
    bk = ack;
    fkk = fkk - 1.0;
  } /* 80 */
L90:
  ptr = zr;
  pti = zi;
  if (kode == 2) ptr = 0.0;
  ZLOG(rzr, rzi, str, sti, idum);
  p1r = -fnf * str + ptr;
  p1i = -fnf * sti + pti;
  ap = DGAMLN(1.0 + fnf, idum);
  ptr = p1r - ap;
  pti = p1i;
  // exp(PT)/(SUM+P2) formed as exp(PT)/|SUM+P2| * conj(SUM+P2)/|SUM+P2|, so that squaring a
  // large denominator cannot overflow.
  p2r = p2r + sumr;
  p2i = p2i + sumi;
  ap = ZABS(p2r, p2i);
  p1r = 1.0 / ap;
  ZEXP(ptr, pti, str, sti);
  ckr = str * p1r;
  cki = sti * p1r;
  ptr = p2r * p1r;
  pti = -p2i * p1r;
  ZMLT(ckr, cki, ptr, pti, cnormr, cnormi);
  for (i = 1; i <= n; ++i) {
    str = yr[i] * cnormr - yi[i] * cnormi;
    yi[i] = yr[i] * cnormi + yi[i] * cnormr;
    yr[i] = str;
  } /* 100 */
  return;
L110:
  nz = -2;
}

// Asymptotic expansion of I for large |z| (|z| >= max(RL, FNU^2/2)), Re z >= 0:
// I(nu, z) ~ exp(z)/sqrt(2 pi z) [sum (-1)^k a_k(nu)/z^k] + exp(-z +- i pi (nu+1/2))/sqrt(2 pi z)
// [sum a_k(nu)/z^k], the second sum kept while exp(-2z) is on scale. NZ = -1 overflow,
// NZ = -2 when JL terms do not meet the error test.
void ZASYI(double zr, double zi, double fnu, int kode, int n, double* yr, double* yi, int& nz,
           double rl, double tol, double elim, double alim) {
  double aa, aez, ak, ak1i, ak1r, arg, arm, atol, az, bb, bk, cki, ckr, cs1i, cs1r, cs2i, cs2r,
      czi, czr, dfnu, dki, dkr, dnu2, ezi, ezr, fdn, p1i, p1r, raz, rtr1, rzi, rzr, s, sgn, sqk,
      sti, str, s2i, s2r, tzi, tzr;
  int i, ib, il, inu, j, jl, k, koded, m, nn;
  nz = 0;
  az = ZABS(zr, zi);
  arm = 1.0e3 * D1MACH(1);
  rtr1 = std::sqrt(arm);
  il = std::min(2, n);
  dfnu = fnu + static_cast<double>(n - il);
  // Overflow test.
  raz = 1.0 / az;
  str = zr * raz;
  sti = -zi * raz;
  ak1r = kRtpi * str * raz;
  ak1i = kRtpi * sti * raz;
  ZSQRT(ak1r, ak1i, ak1r, ak1i);
  czr = zr;
  czi = zi;
  if (kode != 2) goto L10;
  czr = 0.0;
  czi = zi;
L10:
  if (std::fabs(czr) > elim) goto L100;
  dnu2 = dfnu + dfnu;
  koded = 1;
  if ((std::fabs(czr) > alim) && (n > 2)) goto L20;
  koded = 0;
  ZEXP(czr, czi, str, sti);
  ZMLT(ak1r, ak1i, str, sti, ak1r, ak1i);
L20:
  fdn = 0.0;
  if (dnu2 > rtr1) fdn = dnu2 * dnu2;
  ezr = zr * 8.0;
  ezi = zi * 8.0;
  // When z is imaginary the error test must be relative to the first reciprocal power, the
  // leading term of the imaginary part.
  aez = 8.0 * az;
  s = tol / aez;
  jl = static_cast<int>(rl + rl) + 2;
  p1r = 0.0;
  p1i = 0.0;
  if (zi == 0.0) goto L30;
  // exp(pi*(0.5+FNU+N-IL)*i) from the fractional part of FNU.
  inu = static_cast<int>(fnu);
  arg = (fnu - static_cast<double>(inu)) * kPi;
  inu = inu + n - il;
  ak = -std::sin(arg);
  bk = std::cos(arg);
  if (zi < 0.0) bk = -bk;
  p1r = ak;
  p1i = bk;
  if (inu % 2 == 0) goto L30;
  p1r = -p1r;
  p1i = -p1i;
L30:
  for (k = 1; k <= il; ++k) {
    sqk = fdn - 1.0;
    atol = s * std::fabs(sqk);
    sgn = 1.0;
    cs1r = 1.0;
    cs1i = 0.0;
    cs2r = 1.0;
    cs2i = 0.0;
    ckr = 1.0;
    cki = 0.0;
    ak = 0.0;  // SQK runs through mu-1, mu-9, mu-25, ...: the step AK grows by 8 from 0
    aa = 1.0;
    bb = aez;
    dkr = ezr;
    dki = ezi;
    for (j = 1; j <= jl; ++j) {
      ZDIV(ckr, cki, dkr, dki, str, sti);
      ckr = str * sqk;
      cki = sti * sqk;
      cs2r = cs2r + ckr;
      cs2i = cs2i + cki;
      sgn = -sgn;
      cs1r = cs1r + ckr * sgn;
      cs1i = cs1i + cki * sgn;
      dkr = dkr + ezr;
      dki = dki + ezi;
      aa = aa * std::fabs(sqk) / bb;
      bb = bb + aez;
      ak = ak + 8.0;
      sqk = sqk - ak;
      if (aa <= atol) goto L50;
    } /* 40 */
    goto L110;
  L50:
    s2r = cs1r;
    s2i = cs1i;
    if (zr + zr >= elim) goto L60;
    tzr = zr + zr;
    tzi = zi + zi;
    ZEXP(-tzr, -tzi, str, sti);
    ZMLT(str, sti, p1r, p1i, str, sti);
    ZMLT(str, sti, cs2r, cs2i, str, sti);
    s2r = s2r + str;
    s2i = s2i + sti;
  L60:
    fdn = fdn + 8.0 * dfnu + 4.0;
    p1r = -p1r;
    p1i = -p1i;
    m = n - il + k;
    yr[m] = s2r * ak1r - s2i * ak1i;
    yi[m] = s2r * ak1i + s2i * ak1r;
  } /* 70 */
  if (n <= 2) return;
  nn = n;
  k = nn - 2;
  ak = static_cast<double>(k);
  str = zr * raz;
  sti = -zi * raz;
  rzr = (str + str) * raz;
  rzi = (sti + sti) * raz;
  ib = 3;
  for (i = ib; i <= nn; ++i) {
    yr[k] = (ak + fnu) * (rzr * yr[k + 1] - rzi * yi[k + 1]) + yr[k + 2];
    yi[k] = (ak + fnu) * (rzr * yi[k + 1] + rzi * yr[k + 1]) + yi[k + 2];
    ak = ak - 1.0;
    k = k - 1;
  } /* 80 */
  if (koded == 0) return;
  ZEXP(czr, czi, ckr, cki);
  for (i = 1; i <= nn; ++i) {
    str = yr[i] * ckr - yi[i] * cki;
    yi[i] = yr[i] * cki + yi[i] * ckr;
    yr[i] = str;
  } /* 90 */
  return;
L100:
  nz = -1;
  return;
L110:
  nz = -2;
}

}  // namespace veldo
