// Airy function of complex argument for the large-order expansions (Amos, ACM TOMS 644, double
// precision): ZAIRY, Ai(z) or Ai'(z) scaled or not, and ZACAI, the analytic continuation of K
// to the left half plane that ZAIRY uses.
//
// Source: netlib.org/amos (zairy.f, zacai.f), ported routine by routine; Fortran statement labels
// are kept as comments (/* 40 */) or as goto targets (L270).
//
// References
//  [1] D. E. Amos, Algorithm 644: A portable package for Bessel functions of a complex argument
//      and nonnegative order, ACM Trans. Math. Software 12 (1986) 265-273,
//      doi:10.1145/7921.214331; Remarks: 16 (1990) 404, 21 (1995) 388.
//  [2] M. Abramowitz, I. A. Stegun, Handbook of Mathematical Functions, NBS AMS 55 (1964),
//      10.4.2-10.4.5 (power series), 10.4.14, 10.4.16 (Ai and Ai' through K of order 1/3, 2/3),
//      9.6.31 (continuation of K).
//
// Both routines keep all their work in their own frame: re-entrant and thread-safe.
#include <algorithm>
#include <cmath>

#include "bessel/amos.hpp"

namespace veldo {

// ZAIRY: Ai(z) (ID = 0) or Ai'(z) (ID = 1); KODE = 2 multiplies by exp(zeta), zeta = (2/3) z^(3/2),
// removing the exponential decay in |arg z| < pi/3 and the growth elsewhere. |z| <= 1: power
// series in z^3 [2, 10.4.2-10.4.5]; |z| > 1: Ai(z) = c sqrt(z) K(1/3, zeta),
// Ai'(z) = -c z K(2/3, zeta), c = 1/(pi sqrt 3) [2, 10.4.14, 10.4.16], with K from ZBKNU for
// Re z >= 0 and ZACAI for Re z < 0. NZ = 1: Ai set to zero by underflow (KODE = 1). IERR: 0
// normal, 1 input error, 2 overflow, 3 |z| large (less than half precision), 4 |z| too large,
// 5 no convergence.
void ZAIRY(double zr, double zi, int id, int kode, double& air, double& aii, int& nz, int& ierr) {
  constexpr double tth = 6.66666666666666667e-01;
  constexpr double c1 = 3.55028053887817239e-01;   // Ai(0)
  constexpr double c2 = 2.58819403792806798e-01;   // -Ai'(0)
  constexpr double coef = 1.83776298473930683e-01;  // 1/(pi sqrt 3)
  constexpr double zeror = 0.0, zeroi = 0.0, coner = 1.0, conei = 0.0;
  double cyr[2], cyi[2];  // one member, index 1
  double aa, ad, ak, alim, atrm, az, az3, bk, cc, ck, csqi, csqr, dig, dk, d1, d2, elim, fid, fnu,
      ptr, rl, r1m5, sfac, sti, str, s1i, s1r, s2i, s2r, tol, trm1i, trm1r, trm2i, trm2r, ztai,
      ztar, z3i, z3r, alaz, bb;
  int iflag, k, k1, k2, mr, nn;

  ierr = 0;
  nz = 0;
  if (id < 0 || id > 1) ierr = 1;
  if (kode < 1 || kode > 2) ierr = 1;
  if (ierr != 0) return;
  az = ZABS(zr, zi);
  tol = std::fmax(D1MACH(4), 1.0e-18);
  fid = static_cast<double>(id);
  if (az > 1.0) goto L70;
  // Power series for |z| <= 1.
  s1r = coner;
  s1i = conei;
  s2r = coner;
  s2i = conei;
  if (az < tol) goto L170;
  aa = az * az;
  if (aa >= tol / az) {
    trm1r = coner;
    trm1i = conei;
    trm2r = coner;
    trm2i = conei;
    atrm = 1.0;
    str = zr * zr - zi * zi;
    sti = zr * zi + zi * zr;
    z3r = str * zr - sti * zi;
    z3i = str * zi + sti * zr;
    az3 = az * aa;
    ak = 2.0 + fid;
    bk = 3.0 - fid - fid;
    ck = 4.0 - fid;
    dk = 3.0 + fid + fid;
    d1 = ak * dk;
    d2 = bk * ck;
    ad = std::fmin(d1, d2);
    ak = 24.0 + 9.0 * fid;
    bk = 30.0 - 9.0 * fid;
    for (k = 1; k <= 25; ++k) {
      str = (trm1r * z3r - trm1i * z3i) / d1;
      trm1i = (trm1r * z3i + trm1i * z3r) / d1;
      trm1r = str;
      s1r = s1r + trm1r;
      s1i = s1i + trm1i;
      str = (trm2r * z3r - trm2i * z3i) / d2;
      trm2i = (trm2r * z3i + trm2i * z3r) / d2;
      trm2r = str;
      s2r = s2r + trm2r;
      s2i = s2i + trm2i;
      atrm = atrm * az3 / ad;
      d1 = d1 + ak;
      d2 = d2 + bk;
      ad = std::fmin(d1, d2);
      if (atrm < tol * ad) break;
      ak = ak + 18.0;
      bk = bk + 18.0;
    } /* 30 */
  }
  /* 40 */
  if (id != 1) {
    air = s1r * c1 - c2 * (zr * s2r - zi * s2i);
    aii = s1i * c1 - c2 * (zr * s2i + zi * s2r);
    if (kode == 1) return;
    ZSQRT(zr, zi, str, sti);
    ztar = tth * (zr * str - zi * sti);
    ztai = tth * (zr * sti + zi * str);
    ZEXP(ztar, ztai, str, sti);
    ptr = air * str - aii * sti;
    aii = air * sti + aii * str;
    air = ptr;
    return;
  }
  /* 50 */
  air = -s2r * c2;
  aii = -s2i * c2;
  if (az > tol) {
    str = zr * s1r - zi * s1i;
    sti = zr * s1i + zi * s1r;
    cc = c1 / (1.0 + fid);
    air = air + cc * (str * zr - sti * zi);
    aii = aii + cc * (str * zi + sti * zr);
  }
  /* 60 */
  if (kode == 1) return;
  ZSQRT(zr, zi, str, sti);
  ztar = tth * (zr * str - zi * sti);
  ztai = tth * (zr * sti + zi * str);
  ZEXP(ztar, ztai, str, sti);
  ptr = str * air - sti * aii;
  aii = str * aii + sti * air;
  air = ptr;
  return;

L70:
  // |z| > 1.
  fnu = (1.0 + fid) / 3.0;
  // Machine-dependent limits: TOL the unit roundoff (limited to 1e-18), ELIM the exponent
  // limit, exp(-ELIM) < exp(-ALIM) = exp(-ELIM)/TOL and exp(ELIM) > exp(ALIM) = exp(ELIM)*TOL
  // bound the ranges where scaled arithmetic is used; RL the start of the large-|z| expansion;
  // DIG the number of decimal digits in TOL.
  k1 = I1MACH(15);
  k2 = I1MACH(16);
  r1m5 = D1MACH(5);
  k = std::min(std::abs(k1), std::abs(k2));
  elim = 2.303 * (static_cast<double>(k) * r1m5 - 3.0);
  k1 = I1MACH(14) - 1;
  aa = r1m5 * static_cast<double>(k1);
  dig = std::fmin(aa, 18.0);
  aa = aa * 2.303;
  alim = elim + std::fmax(-aa, -41.45);
  rl = 1.2 * dig + 3.0;
  alaz = std::log(az);
  // Test for the proper range: |zeta| must stay below min(0.5/TOL, I1MACH(9)/2).
  aa = 0.5 / tol;
  bb = static_cast<double>(I1MACH(9)) * 0.5;
  aa = std::fmin(aa, bb);
  aa = std::pow(aa, tth);
  if (az > aa) goto L260;
  aa = std::sqrt(aa);
  if (az > aa) ierr = 3;
  ZSQRT(zr, zi, csqr, csqi);
  ztar = tth * (zr * csqr - zi * csqi);
  ztai = tth * (zr * csqi + zi * csqr);
  // Re zeta <= 0 when Re z < 0, especially when Im z is small.
  iflag = 0;
  sfac = 1.0;
  ak = ztai;
  if (zr < 0.0) {
    bk = ztar;
    ck = -std::fabs(bk);
    ztar = ck;
    ztai = ak;
  }
  /* 80 */
  if (zi == 0.0 && zr <= 0.0) {
    ztar = 0.0;
    ztai = ak;
  }
  /* 90 */
  aa = ztar;
  if (aa >= 0.0 && zr > 0.0) goto L110;
  if (kode != 2) {
    // Overflow test.
    if (aa <= (-alim)) {
      aa = -aa + 0.25 * alaz;
      iflag = 1;
      sfac = tol;
      if (aa > elim) goto L270;
    }
  }
  /* 100 */
  // ZBKNU and ZACAI return exp(zeta) K(FNU, zeta) for KODE = 2.
  mr = 1;
  if (zi < 0.0) mr = -1;
  ZACAI(ztar, ztai, fnu, kode, mr, 1, cyr, cyi, nn, rl, tol, elim, alim);
  if (nn < 0) goto L280;
  nz = nz + nn;
  goto L130;
L110:
  if (kode != 2) {
    // Underflow test.
    if (aa >= alim) {
      aa = -aa - 0.25 * alaz;
      iflag = 2;
      sfac = 1.0 / tol;
      if (aa < (-elim)) goto L210;
    }
  }
  /* 120 */
  ZBKNU(ztar, ztai, fnu, kode, 1, cyr, cyi, nz, tol, elim, alim);
L130:
  s1r = cyr[1] * coef;
  s1i = cyi[1] * coef;
  if (iflag == 0) {
    if (id != 1) {
      air = csqr * s1r - csqi * s1i;
      aii = csqr * s1i + csqi * s1r;
      return;
    }
    /* 140 */
    air = -(zr * s1r - zi * s1i);
    aii = -(zr * s1i + zi * s1r);
    return;
  }
  /* 150 */
  s1r = s1r * sfac;
  s1i = s1i * sfac;
  if (id != 1) {
    str = s1r * csqr - s1i * csqi;
    s1i = s1r * csqi + s1i * csqr;
    s1r = str;
    air = s1r / sfac;
    aii = s1i / sfac;
    return;
  }
  /* 160 */
  str = -(s1r * zr - s1i * zi);
  s1i = -(s1r * zi + s1i * zr);
  s1r = str;
  air = s1r / sfac;
  aii = s1i / sfac;
  return;
L170:
  // |z| < TOL: the two leading terms, dropping the z terms below the underflow limit.
  aa = 1.0e+3 * D1MACH(1);
  s1r = zeror;
  s1i = zeroi;
  if (id != 1) {
    if (az > aa) {
      s1r = c2 * zr;
      s1i = c2 * zi;
    }
    /* 180 */
    air = c1 - s1r;
    aii = -s1i;
    return;
  }
  /* 190 */
  air = -c2;
  aii = 0.0;
  aa = std::sqrt(aa);
  if (az > aa) {
    s1r = 0.5 * (zr * zr - zi * zi);
    s1i = zr * zi;
  }
  /* 200 */
  air = air + c1 * s1r;
  aii = aii + c1 * s1i;
  return;
L210:
  nz = 1;
  air = zeror;
  aii = zeroi;
  return;
L270:
  nz = 0;
  ierr = 2;
  return;
L280:
  if (nn == (-1)) goto L270;
  nz = 0;
  ierr = 5;
  return;
L260:
  ierr = 4;
  nz = 0;
}

// ZACAI: the continuation
//   K(FNU, zn exp(i pi MR)) = K(FNU, zn) exp(-i pi MR FNU) - i pi MR I(FNU, zn)   [2, 9.6.31]
// of K from the right to the left half plane for ZAIRY (FNU = 1/3 or 2/3, N = 1): ZACON without
// the parts for larger orders and the recurrence, so that ZAIRY never calls ZACON recursively.
// I(FNU, zn) comes from the power series, the large-|z| expansion or the Miller algorithm, as in
// ZBINU; K(FNU, zn) from ZBKNU. NZ = -1 overflow, -2 no convergence.
void ZACAI(double zr, double zi, double fnu, int kode, int mr, int n, double* yr, double* yi,
           int& nz, double rl, double tol, double elim, double alim) {
  constexpr double pi = 3.14159265358979324e0;
  double cyr[3], cyi[3];
  double arg, ascle, az, csgnr, csgni, cspnr, cspni, c1r, c1i, c2r, c2i, dfnu, fmr, sgn, yy, znr,
      zni;
  int inu, iuf, nn, nw;

  nz = 0;
  znr = -zr;
  zni = -zi;
  az = ZABS(zr, zi);
  nn = n;
  dfnu = fnu + static_cast<double>(n - 1);
  if (az <= 2.0 || az * az * 0.25 <= dfnu + 1.0) {
    /* 10 */
    // Power series for the I function.
    ZSERI(znr, zni, fnu, kode, nn, yr, yi, nw, tol, elim, alim);
  } else if (az >= rl) {
    /* 20 */
    // Asymptotic expansion for large |z| for the I function.
    ZASYI(znr, zni, fnu, kode, nn, yr, yi, nw, rl, tol, elim, alim);
    if (nw < 0) goto L80;
  } else {
    /* 30 */
    // Miller algorithm normalised by the series for the I function.
    ZMLRI(znr, zni, fnu, kode, nn, yr, yi, nw, tol);
    if (nw < 0) goto L80;
  }
  /* 40 */
  // Analytic continuation to the left half plane for the K function.
  ZBKNU(znr, zni, fnu, kode, 1, cyr, cyi, nw, tol, elim, alim);
  if (nw != 0) goto L80;
  fmr = static_cast<double>(mr);
  sgn = -std::copysign(pi, fmr);
  csgnr = 0.0;
  csgni = sgn;
  if (kode != 1) {
    yy = -zni;
    csgnr = -csgni * std::sin(yy);
    csgni = csgni * std::cos(yy);
  }
  /* 50 */
  // CSPN = exp(i FNU pi) from the fractional part of FNU, to keep the phase accurate.
  inu = static_cast<int>(fnu);
  arg = (fnu - static_cast<double>(inu)) * sgn;
  cspnr = std::cos(arg);
  cspni = std::sin(arg);
  if (inu % 2 != 0) {
    cspnr = -cspnr;
    cspni = -cspni;
  }
  /* 60 */
  c1r = cyr[1];
  c1i = cyi[1];
  c2r = yr[1];
  c2i = yi[1];
  if (kode != 1) {
    iuf = 0;
    ascle = 1.0e+3 * D1MACH(1) / tol;
    ZS1S2(znr, zni, c1r, c1i, c2r, c2i, nw, ascle, alim, iuf);
    nz = nz + nw;
  }
  /* 70 */
  yr[1] = cspnr * c1r - cspni * c1i + csgnr * c2r - csgni * c2i;
  yi[1] = cspnr * c1i + cspni * c1r + csgnr * c2i + csgni * c2r;
  return;
L80:
  nz = -1;
  if (nw == (-2)) nz = -2;
}

}  // namespace veldo
