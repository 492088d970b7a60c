// Elementary complex operations on (real, imaginary) pairs, the log-gamma function DGAMLN and
// the underflow test ZUCHK of the Bessel unit.
#include <cmath>

#include "bessel/amos.hpp"
#include "bessel/amos_tables.hpp"

namespace veldo {
namespace {

// ln Gamma(n) = ln((n-1)!) for n = 1..100, index 0 unused.
constexpr double kDgamlnGln[101] = {
    0.0,
    0.00000000000000000e+00, 0.00000000000000000e+00, 6.93147180559945309e-01,
    1.79175946922805500e+00, 3.17805383034794562e+00, 4.78749174278204599e+00,
    6.57925121201010100e+00, 8.52516136106541430e+00, 1.06046029027452502e+01,
    1.28018274800814696e+01,  // 10
    1.51044125730755153e+01, 1.75023078458738858e+01, 1.99872144956618861e+01,
    2.25521638531234229e+01, 2.51912211827386815e+01, 2.78992713838408916e+01,
    3.06718601060806728e+01, 3.35050734501368889e+01, 3.63954452080330536e+01,
    3.93398841871994940e+01,  // 20
    4.23356164607534850e+01, 4.53801388984769080e+01, 4.84711813518352239e+01,
    5.16066755677643736e+01, 5.47847293981123192e+01, 5.80036052229805199e+01,
    6.12617017610020020e+01, 6.45575386270063311e+01, 6.78897431371815350e+01,
    7.12570389671680090e+01,  // 30
    7.46582363488301644e+01, 7.80922235533153106e+01, 8.15579594561150372e+01,
    8.50544670175815174e+01, 8.85808275421976788e+01, 9.21361756036870925e+01,
    9.57196945421432025e+01, 9.93306124547874269e+01, 1.02968198614513813e+02,
    1.06631760260643459e+02,  // 40
    1.10320639714757395e+02, 1.14034211781461703e+02, 1.17771881399745072e+02,
    1.21533081515438634e+02, 1.25317271149356895e+02, 1.29123933639127215e+02,
    1.32952575035616310e+02, 1.36802722637326368e+02, 1.40673923648234259e+02,
    1.44565743946344886e+02,  // 50
    1.48477766951773032e+02, 1.52409592584497358e+02, 1.56360836303078785e+02,
    1.60331128216630907e+02, 1.64320112263195181e+02, 1.68327445448427652e+02,
    1.72352797139162802e+02, 1.76395848406997352e+02, 1.80456291417543771e+02,
    1.84533828861449491e+02,  // 60
    1.88628173423671591e+02, 1.92739047287844902e+02, 1.96866181672889994e+02,
    2.01009316399281527e+02, 2.05168199482641199e+02, 2.09342586752536836e+02,
    2.13532241494563261e+02, 2.17736934113954227e+02, 2.21956441819130334e+02,
    2.26190548323727593e+02,  // 70
    2.30439043565776952e+02, 2.34701723442818268e+02, 2.38978389561834323e+02,
    2.43268849002982714e+02, 2.47572914096186884e+02, 2.51890402209723194e+02,
    2.56221135550009525e+02, 2.60564940971863209e+02, 2.64921649798552801e+02,
    2.69291097651019823e+02,  // 80
    2.73673124285693704e+02, 2.78067573440366143e+02, 2.82474292687630396e+02,
    2.86893133295426994e+02, 2.91323950094270308e+02, 2.95766601350760624e+02,
    3.00220948647014132e+02, 3.04686856765668715e+02, 3.09164193580146922e+02,
    3.13652829949879062e+02,  // 90
    3.18152639620209327e+02, 3.22663499126726177e+02, 3.27185287703775217e+02,
    3.31717887196928473e+02, 3.36261181979198477e+02, 3.40815058870799018e+02,
    3.45379407062266854e+02, 3.49954118040770237e+02, 3.54539085519440809e+02,
    3.59134205369575399e+02,  // 100
};
static_assert(sizeof(kDgamlnGln) / sizeof(double) == 101);

// Stirling-series coefficients B(2k)/(2k(2k-1)), k = 1..22, index 0 unused.
constexpr double kDgamlnCf[23] = {
    0.0,
    8.33333333333333333e-02,  -2.77777777777777778e-03, 7.93650793650793651e-04,
    -5.95238095238095238e-04, 8.41750841750841751e-04,  -1.91752691752691753e-03,
    6.41025641025641026e-03,  -2.95506535947712418e-02, 1.79644372368830573e-01,
    -1.39243221690590112e+00,  // 10
    1.34028640441683920e+01,  -1.56848284626002017e+02, 2.19310333333333333e+03,
    -3.61087712537249894e+04, 6.91472268851313067e+05,  -1.52382215394074162e+07,
    3.82900751391414141e+08,  -1.08822660357843911e+10, 3.47320283765002252e+11,
    -1.23696021422692745e+13,  // 20
    4.88788064793079335e+14,  -2.13203339609193739e+16,  // 22
};
static_assert(sizeof(kDgamlnCf) / sizeof(double) == 23);

constexpr double kDgamlnCon = 1.83787706640934548e+00;  // ln(2 pi)

constexpr double kZlogDpi = 3.141592653589793238462643383e+0;
constexpr double kZlogDhpi = 1.570796326794896619231321696e+0;
constexpr double kZsqrtDrt = 7.071067811865475244008443621e-1;  // 1/sqrt(2)

}  // namespace

// |z| as max(|x|,|y|)*sqrt(1 + q^2), q the ratio of the smaller to the larger part: no
// overflow in the squares and no division by zero. The zero test asks whether both parts are
// zero rather than forming their sum, which overflows (and raises the flag) when both parts are
// near the largest double although |z| itself is representable; the outcome is the same.
double ZABS(double zr, double zi) {
  const double u = std::fabs(zr);
  const double v = std::fabs(zi);
  if (u == 0.0 && v == 0.0) goto L20;
  if (u > v) goto L10;
  {
    const double q = u / v;
    return v * std::sqrt(1.0 + q * q);
  }
L10: {
  const double q = v / u;
  return u * std::sqrt(1.0 + q * q);
}
L20:
  return 0.0;
}

// c = a/b by scaling the divisor to unit modulus first.
void ZDIV(double ar, double ai, double br, double bi, double& cr, double& ci) {
  const double bm = 1.0 / ZABS(br, bi);
  const double cc = br * bm;
  const double cd = bi * bm;
  const double ca = (ar * cc + ai * cd) * bm;
  const double cb = (ai * cc - ar * cd) * bm;
  cr = ca;
  ci = cb;
}

// c = a*b; the parts are formed before storing, so c may alias a or b.
void ZMLT(double ar, double ai, double br, double bi, double& cr, double& ci) {
  const double ca = ar * br - ai * bi;
  const double cb = ar * bi + ai * br;
  cr = ca;
  ci = cb;
}

void ZEXP(double ar, double ai, double& br, double& bi) {
  const double zm = std::exp(ar);
  const double ca = zm * std::cos(ai);
  const double cb = zm * std::sin(ai);
  br = ca;
  bi = cb;
}

// Principal square root from the modulus and half the argument; the axes are handled apart
// so that no arctangent of an infinite ratio is taken.
void ZSQRT(double ar, double ai, double& br, double& bi) {
  double zm = ZABS(ar, ai);
  zm = std::sqrt(zm);
  double dtheta;
  if (ar == 0.0) goto L10;
  if (ai == 0.0) goto L20;
  dtheta = std::atan(ai / ar);
  if (dtheta <= 0.0) goto L40;
  if (ar < 0.0) dtheta = dtheta - kZlogDpi;
  goto L50;
L10:
  if (ai > 0.0) goto L60;
  if (ai < 0.0) goto L70;
  br = 0.0;
  bi = 0.0;
  return;
L20:
  if (ar > 0.0) goto L30;
  br = 0.0;
  bi = std::sqrt(std::fabs(ar));
  return;
L30:
  br = std::sqrt(ar);
  bi = 0.0;
  return;
L40:
  if (ar < 0.0) dtheta = dtheta + kZlogDpi;
L50:
  dtheta = dtheta * 0.5;
  br = zm * std::cos(dtheta);
  bi = zm * std::sin(dtheta);
  return;
L60:
  br = zm * kZsqrtDrt;
  bi = zm * kZsqrtDrt;
  return;
L70:
  br = zm * kZsqrtDrt;
  bi = -zm * kZsqrtDrt;
}

// Principal logarithm; IERR = 1 (and b untouched) for a = 0.
void ZLOG(double ar, double ai, double& br, double& bi, int& ierr) {
  ierr = 0;
  double dtheta;
  if (ar == 0.0) goto L10;
  if (ai == 0.0) goto L20;
  dtheta = std::atan(ai / ar);
  if (dtheta <= 0.0) goto L40;
  if (ar < 0.0) dtheta = dtheta - kZlogDpi;
  goto L50;
L10:
  if (ai == 0.0) goto L60;
  bi = kZlogDhpi;
  br = std::log(std::fabs(ai));
  if (ai < 0.0) bi = -bi;
  return;
L20:
  if (ar > 0.0) goto L30;
  br = std::log(std::fabs(ar));
  bi = kZlogDpi;
  return;
L30:
  br = std::log(ar);
  bi = 0.0;
  return;
L40:
  if (ar < 0.0) dtheta = dtheta + kZlogDpi;
L50: {
  const double zm = ZABS(ar, ai);
  br = std::log(zm);
  bi = dtheta;
  return;
}
L60:
  ierr = 1;
}

// sinh and cosh of x + iy from the real hyperbolic functions of x and the circular ones of y.
// sinh x is taken from the library function rather than from e^x/2 - 0.25/(e^x/2): the
// difference cancels for small |x| and would leave sinh(x) with an absolute rather than a
// relative error, which K of a small fractional order divides by that order.
void ZSHCH(double zr, double zi, double& cshr, double& cshi, double& cchr, double& cchi) {
  const double sh = std::sinh(zr);
  const double ch = std::cosh(zr);
  const double sn = std::sin(zi);
  const double cn = std::cos(zi);
  cshr = sh * cn;
  cshi = ch * sn;
  cchr = ch * cn;
  cchi = sh * sn;
}

// ln Gamma(z), z > 0: a table for integers up to 100, otherwise the Stirling series at
// z + ZINC >= ZMIN = 7 brought back by the recursion Gamma(z+1) = z Gamma(z).
double DGAMLN(double z, int& ierr) {
  ierr = 0;
  int nz = 0;
  if (z <= 0.0) goto L70;
  if (z > 101.0) goto L10;
  nz = static_cast<int>(z);
  {
    const double fz = z - static_cast<double>(nz);
    if (fz > 0.0) goto L10;
  }
  if (nz > 100) goto L10;
  return kDgamlnGln[nz];
L10: {
  double wdtol = D1MACH(4);
  wdtol = std::fmax(wdtol, 0.5e-18);
  const int i1m = I1MACH(14);
  const double rln = D1MACH(5) * static_cast<double>(i1m);
  double fln = std::fmin(rln, 20.0);
  fln = std::fmax(fln, 3.0);
  fln = fln - 3.0;
  const double zm = 1.8000 + 0.3875 * fln;
  const int mz = static_cast<int>(zm) + 1;
  const double zmin = static_cast<double>(mz);
  double zdmy = z;
  double zinc = 0.0;
  if (z >= zmin) goto L20;
  zinc = zmin - static_cast<double>(nz);
  zdmy = z + zinc;
L20:
  double zp = 1.0 / zdmy;
  const double t1 = kDgamlnCf[1] * zp;
  double s = t1;
  if (zp < wdtol) goto L40;
  {
    const double zsq = zp * zp;
    const double tst = t1 * wdtol;
    for (int k = 2; k <= 22; ++k) {
      zp = zp * zsq;
      const double trm = kDgamlnCf[k] * zp;
      if (std::fabs(trm) < tst) goto L40;
      s = s + trm;
    } /* 30 */
  }
L40:
  if (zinc != 0.0) goto L50;
  {
    const double tlg = std::log(z);
    return z * (tlg - 1.0) + 0.5 * (kDgamlnCon - tlg) + s;
  }
L50:
  zp = 1.0;
  nz = static_cast<int>(zinc);
  for (int i = 1; i <= nz; ++i) {
    zp = zp * (z + static_cast<double>(i - 1));
  } /* 60 */
  const double tlg = std::log(zdmy);
  return zdmy * (tlg - 1.0) - std::log(zp) + 0.5 * (kDgamlnCon - tlg) + s;
}
L70:
  ierr = 1;
  return 0.0;
}

// y enters scaled by 1/TOL with a modulus above ASCLE. It is taken as underflowed (NZ = 1)
// when its smaller part is below ASCLE and the larger part is less than one precision above
// it: the phase would then have no absolute accuracy once y is scaled back.
void ZUCHK(double yr, double yi, int& nz, double ascle, double tol) {
  nz = 0;
  const double wr = std::fabs(yr);
  const double wi = std::fabs(yi);
  double st = std::fmin(wr, wi);
  if (st > ascle) return;
  const double ss = std::fmax(wr, wi);
  st = st / tol;
  if (ss < st) nz = 1;
}

}  // namespace veldo
