// Running integrals of the order-0 Bessel functions J0, I0, K0 from 0 to x, and the Chebyshev
// summation they share: a port of CHEVAL, J0INT, I0INT and K0INT of MISCFUN ([1], ACM TOMS
// Algorithm 757; Fortran at https://netlib.org/toms/757). References are numbered as in
// coilint/coilint.hpp.
//
// Each running integral is a Chebyshev series in a variable t that maps the argument range onto
// [-1, 1]: on the small-argument ranges the integrand's power series, on the large-argument
// ranges the asymptotic form of the integral (the oscillating tail of J0, the exponential growth
// of I0, the exponential approach of the K0 integral to pi/2). The coefficients are those
// published in [1], to 20 decimals; each series is cut where its coefficients drop below eps/100.
#include "coilint/coilint.hpp"

#include <cmath>
#include <iterator>

namespace veldo {
namespace {

// Machine constants of this unit, read by index 1..5 as MISCFUN reads D1MACH. Written as short
// decimals, not as the exact IEEE values: entry 2 is 1.7e308, not DBL_MAX (1.797e308), and
// entry 3 is the double nearest 1.110223e-16, 2.2e-8 relative below 2^-53; the limits derived
// from them (xlow, xhigh, the term-count threshold) follow from these values, not from
// <limits>. Entries 1, 4 and 5 are not read.
constexpr double kMach[6] = {
    0.0,           // (index 0 unused)
    0.0,           // 1: not read
    1.7e308,       // 2: overflow limit (I0INT)
    1.110223e-16,  // 3: eps, relative spacing of doubles (cut-offs of all three integrals)
    2.220446e-16,  // 4: not read
    0.30103,       // 5: not read
};
constexpr double CoilIntMach(int i) { return kMach[i]; }
static_assert(CoilIntMach(3) != 0x1p-53, "eps is the short decimal, not 2^-53");
static_assert(CoilIntMach(3) < 0x1p-53 && CoilIntMach(3) > 0x1p-53 * (1 - 1e-6));

// Chebyshev coefficient tables of [1], digits as published (index of the first entry of each row
// at its end). ARJ01: J0INT, 0 <= x <= 16, in t = x^2/128 - 1. ARJ0A1, ARJ0A2: J0INT, x > 16,
// the cosine and sine amplitudes of the tail, in t = 512/x^2 - 1. ARI01: I0INT, 0 <= x <= 18, in
// t = (3x - 18)/(x + 18). ARI0A: I0INT, x > 18, in t = 36/x - 1. AK0IN1, AK0IN2: K0INT, x <= 6,
// the regular part and the factor of (ln x - ln 2 + gamma), in t = x^2/18 - 1. AK0INA: K0INT,
// x > 6, in t = 12/x - 1.
constexpr double ARJ01[24] = {
    0.38179279321690173518, -0.21275636350505321870, 0.16754213407215794187,  // 0
    -0.12853209772196398954, 0.10114405455778847013, -0.9100795343201568859e-1,  // 3
    0.6401345264656873103e-1, -0.3066963029926754312e-1, 0.1030836525325064201e-1,  // 6
    -0.255670650399956918e-2, 0.48832755805798304e-3, -0.7424935126036077e-4,  // 9
    0.922260563730861e-5, -0.95522828307083e-6, 0.8388355845986e-7,  // 12
    -0.633184488858e-8, 0.41560504221e-9, -0.2395529307e-10,  // 15
    0.122286885e-11, -0.5569711e-13, 0.227820e-14,  // 18
    -0.8417e-16, 0.282e-17, -0.9e-19,  // 21
};
static_assert(std::size(ARJ01) == 24);

constexpr double ARJ0A1[22] = {
    1.24030133037518970827, -0.478125353632280693e-2, 0.6613148891706678e-4,  // 0
    -0.186042740486349e-5, 0.8362735565080e-7, -0.525857036731e-8,  // 3
    0.42606363251e-9, -0.4211761024e-10, 0.488946426e-11,  // 6
    -0.64834929e-12, 0.9617234e-13, -0.1570367e-13,  // 9
    0.278712e-14, -0.53222e-15, 0.10844e-15,  // 12
    -0.2342e-16, 0.533e-17, -0.127e-17,  // 15
    0.32e-18, -0.8e-19, 0.2e-19,  // 18
    -0.1e-19,  // 21
};
static_assert(std::size(ARJ0A1) == 22);

constexpr double ARJ0A2[19] = {
    1.99616096301341675339, -0.190379819246668161e-2, 0.1539710927044226e-4,  // 0
    -0.31145088328103e-6, 0.1110850971321e-7, -0.58666787123e-9,  // 3
    0.4139926949e-10, -0.365398763e-11, 0.38557568e-12,  // 6
    -0.4709800e-13, 0.650220e-14, -0.99624e-15,  // 9
    0.16700e-15, -0.3028e-16, 0.589e-17,  // 12
    -0.122e-17, 0.27e-18, -0.6e-19,  // 15
    0.1e-19,  // 18
};
static_assert(std::size(ARJ0A2) == 19);

constexpr double ARI01[29] = {
    0.41227906926781516801, -0.34336345150081519562, 0.22667588715751242585,  // 0
    -0.12608164718742260032, 0.6012484628777990271e-1, -0.2480120462913358248e-1,  // 3
    0.892773389565563897e-2, -0.283253729936696605e-2, 0.79891339041712994e-3,  // 6
    -0.20053933660964890e-3, 0.4416816783014313e-4, -0.822377042246068e-5,  // 9
    0.120059794219015e-5, -0.11350865004889e-6, 0.69606014466e-9,  // 12
    0.180622772836e-8, -0.26039481370e-9, -0.166188103e-11,  // 15
    0.510500232e-11, -0.41515879e-12, -0.7368138e-13,  // 18
    0.1279323e-13, 0.103247e-14, -0.30379e-15,  // 21
    -0.1789e-16, 0.673e-17, 0.44e-18,  // 24
    -0.14e-18, -0.1e-19,  // 27
};
static_assert(std::size(ARI01) == 29);

constexpr double ARI0A[34] = {
    2.03739654571143287070, 0.1917631647503310248e-1, 0.49923334519288147e-3,  // 0
    0.2263187103659815e-4, 0.158682108285561e-5, 0.16507855636318e-6,  // 3
    0.2385058373640e-7, 0.392985182304e-8, 0.46042714199e-9,  // 6
    -0.7072558172e-10, -0.6747183961e-10, -0.2026962001e-10,  // 9
    -0.87320338e-12, 0.175520014e-11, 0.60383944e-12,  // 12
    -0.3977983e-13, -0.8049048e-13, -0.1158955e-13,  // 15
    0.827318e-14, 0.282290e-14, -0.77667e-15,  // 18
    -0.48731e-15, 0.7279e-16, 0.7873e-16,  // 21
    -0.785e-17, -0.1281e-16, 0.121e-17,  // 24
    0.214e-17, -0.27e-18, -0.36e-18,  // 27
    0.7e-19, 0.6e-19, -0.2e-19,  // 30
    -0.1e-19,  // 33
};
static_assert(std::size(ARI0A) == 34);

constexpr double AK0IN1[16] = {
    16.79702714464710959477, 9.79134687676889407070, 2.80501316044337939300,  // 0
    0.45615620531888502068, 0.4716224457074760784e-1, 0.335265148269698289e-2,  // 3
    0.17335181193874727e-3, 0.679951889364702e-5, 0.20900268359924e-6,  // 6
    0.516603846976e-8, 0.10485708331e-9, 0.177829320e-11,  // 9
    0.2556844e-13, 0.31557e-15, 0.338e-17,  // 12
    0.3e-19,  // 15
};
static_assert(std::size(AK0IN1) == 16);

constexpr double AK0IN2[16] = {
    10.76266558227809174077, 5.62333479849997511550, 1.43543664879290867158,  // 0
    0.21250410143743896043, 0.2036537393100009554e-1, 0.136023584095623632e-2,  // 3
    0.6675388699209093e-4, 0.250430035707337e-5, 0.7406423741728e-7,  // 6
    0.176974704314e-8, 0.3485775254e-10, 0.57544785e-12,  // 9
    0.807481e-14, 0.9747e-16, 0.102e-17,  // 12
    0.1e-19,  // 15
};
static_assert(std::size(AK0IN2) == 16);

constexpr double AK0INA[28] = {
    1.91172065445060453895, -0.4183064565769581085e-1, 0.213352508068147486e-2,  // 0
    -0.15859497284504181e-3, 0.1497624699858351e-4, -0.167955955322241e-5,  // 3
    0.21495472478804e-6, -0.3058356654790e-7, 0.474946413343e-8,  // 6
    -0.79424660432e-9, 0.14156555325e-9, -0.2667825359e-10,  // 9
    0.528149717e-11, -0.109263199e-11, 0.23518838e-12,  // 12
    -0.5247991e-13, 0.1210191e-13, -0.287632e-14,  // 15
    0.70297e-15, -0.17631e-15, 0.4530e-16,  // 18
    -0.1190e-16, 0.319e-17, -0.87e-18,  // 21
    0.24e-18, -0.7e-19, 0.2e-19,  // 24
    -0.1e-19,  // 27
};
static_assert(std::size(AK0INA) == 28);

// Highest index of a series that still matters: going down from the last coefficient, the first
// one larger than eps/100 (1.110223e-18) in magnitude. Coefficients above it change the sum by
// less than a hundredth of a unit in the last place.
template <std::size_t N>
int TermCount(const double (&a)[N]) {
  const double eps100 = CoilIntMach(3) / 100.0;
  int n = static_cast<int>(N) - 1;
  while (n >= 0 && !(std::fabs(a[n]) > eps100)) --n;
  return n;
}

// sqrt(2/pi), ln sqrt(2*pi), pi/2, 1 - gamma + ln 2 and ln 2 - gamma, as in [1].
constexpr double kRt2bpi = 0.79788456080286535588;
constexpr double kLnr2pi = 0.91893853320467274178;
constexpr double kPiby2 = 1.57079632679489661923;
constexpr double kConst1 = 1.11593151565841244881;
constexpr double kConst2 = 0.11593151565841244881;

}  // namespace

// CHEVAL: Clenshaw's backward recurrence for a[0]/2 + sum a[j]*T_j(t). Near t = +-1 the plain
// recurrence b_j = 2t*b_{j+1} - b_{j+2} + a_j amplifies rounding like 1/(1 - t^2) [2]; there
// Reinsch's modification carries the differences d_j = b_j -+ b_{j+1}, whose recurrence has the
// small factor 2(t -+ 1) instead of 2t. The switch sits at |t| = 0.6 as in [1]. All recurrence
// variables start at 0, so an empty series (n = -1) sums to 0.
double CHEVAL(int n, const double* a, double t) {
  double d0 = 0.0, d1 = 0.0, d2 = 0.0;
  if (std::fabs(t) < 0.6) {
    // Plain Clenshaw.
    const double tt = t + t;
    for (int j = n; j >= 0; --j) {
      d2 = d1;
      d1 = d0;
      d0 = tt * d1 - d2 + a[j];
    }  // 100
    return (d0 - d2) / 2.0;
  }
  double u = 0.0, u1 = 0.0;
  if (t > 0.0) {
    // Reinsch, t >= 0.6: tt = 2(t - 1), formed without rounding for t in [0.5, 2].
    const double tt = ((t - 0.5) - 0.5) * 2.0;
    for (int j = n; j >= 0; --j) {
      d2 = d0;
      u1 = u;
      d0 = tt * u1 + a[j] + d2;
      u = d0 + u1;
    }  // 200
    return (d0 + d2) / 2.0;
  }
  // Reinsch, t <= -0.6: tt = 2(t + 1).
  const double tt = ((t + 0.5) + 0.5) * 2.0;
  for (int j = n; j >= 0; --j) {
    d2 = d0;
    u1 = u;
    d0 = tt * u1 + a[j] - d2;
    u = d0 - u1;
  }  // 300
  return (d0 - d2) / 2.0;
}

// J0INT: integral of J0 from 0 to x. For x <= 16 the integral is x times an even function of x,
// expanded in t = x^2/128 - 1; below xlow = sqrt(12 eps) the x^3/12 term is below rounding and
// the result is x itself. For x > 16 the integral tends to 1 with the tail of J0's asymptotic
// form: 1 - sqrt(2/(pi x)) * (cos(x - pi/4) P(x)/x - sin(x - pi/4) Q(x)) with slowly varying P,
// Q expanded in t = 512/x^2 - 1. x - pi/4 is formed in two parts (201/256 is exact in binary,
// the small remainder follows) so that no digits of x are lost. Beyond 1/eps the phase
// x - pi/4 is no longer known to any digit and the result is the limit 1.
double J0INT(double xvalue) {
  double x = xvalue;
  double sign = 1.0;
  if (x < 0.0) {
    x = -x;
    sign = -1.0;
  }
  const double eps = CoilIntMach(3);
  const double xhigh = 1.0 / eps;
  if (x > xhigh) return sign * 1.0;

  double result;
  if (x <= 16.0) {
    const int nterm1 = TermCount(ARJ01);
    const double xlow = std::sqrt(12.0 * eps);
    if (x < xlow) {
      result = x;
    } else {
      const double t = x * x / 128.0 - 1.0;
      result = x * CHEVAL(nterm1, ARJ01, t);
    }
  } else {
    const int nterm2 = TermCount(ARJ0A1);
    const int nterm3 = TermCount(ARJ0A2);
    const double t = 512.0 / (x * x) - 1.0;
    const double xmpi4 = (x - 201.0 / 256.0) - 0.24191339744830961566e-3;
    double temp = std::cos(xmpi4) * CHEVAL(nterm2, ARJ0A1, t) / x;
    temp = temp - std::sin(xmpi4) * CHEVAL(nterm3, ARJ0A2, t);
    result = 1.0 - kRt2bpi * temp / std::sqrt(x);
  }
  return sign * result;
}

// I0INT: integral of I0 from 0 to x. For x <= 18 it is x e^x times a smooth function, expanded
// in t = (3x - 18)/(x + 18); below xlow = sqrt(12 eps) the result is x. For x > 18 it behaves
// like e^x/sqrt(2 pi x) times a series in 1/x (t = 36/x - 1), summed in logarithms so that the
// exponential is taken once, of the final exponent. Above xhigh = L + ln(L)/2 + ln 2,
// L = ln(1.7e308), that value would overflow; the result is then held at its value at xhigh
// (about 713.70), where the series factor is taken as 1.
double I0INT(double xvalue) {
  double x = xvalue;
  double sign = 1.0;
  if (x < 0.0) {
    x = -x;
    sign = -1.0;
  }
  const double lnxmax = std::log(CoilIntMach(2));
  const double xhigh = lnxmax + 0.5 * std::log(lnxmax) - std::log(0.5);
  if (x > xhigh) return sign * std::exp(xhigh - kLnr2pi - 0.5 * std::log(xhigh));

  const double eps = CoilIntMach(3);
  double result;
  if (x <= 18.0) {
    const int nterm1 = TermCount(ARI01);
    const double xlow = std::sqrt(36.0 * eps / 3.0);
    if (x < xlow) {
      result = x;
    } else {
      const double t = (3.0 * x - 18.0) / (x + 18.0);
      result = std::exp(x) * x * CHEVAL(nterm1, ARI01, t);
    }
  } else {
    const int nterm2 = TermCount(ARI0A);
    const double t = 36.0 / x - 1.0;
    result = std::exp(std::log(CHEVAL(nterm2, ARI0A, t)) + x - 0.5 * std::log(x) - kLnr2pi);
  }
  return sign * result;
}

// K0INT: integral of K0 from 0 to x (defined for x >= 0; 0 for negative x). K0 has a logarithmic
// singularity at 0, so for x <= 6 the integral is x times (a regular series minus
// (ln x - ln 2 + gamma) times a second one), both in t = x^2/18 - 1; below xlow = sqrt(18 eps)
// only the leading terms x (1 - gamma + ln 2 - ln x) survive. For x > 6 the integral approaches
// its limit pi/2 as pi/2 - e^-x/sqrt(2x/pi) times a series in t = 12/x - 1; from
// xhigh = -ln(2 eps) (about 36.04) on, the correction is below rounding and the result is pi/2.
double K0INT(double xvalue) {
  const double x = xvalue;
  if (x < 0.0) return 0.0;

  const double eps = CoilIntMach(3);
  if (x <= 6.0) {
    const int nterm1 = TermCount(AK0IN1);
    const int nterm2 = TermCount(AK0IN2);
    const double xlow = std::sqrt(18.0 * eps);
    if (x < xlow) {
      double fval = x;
      if (x > 0.0) fval = fval * (kConst1 - std::log(x));
      return fval;
    }
    const double t = x * x / 18.0 - 1.0;
    const double fval = (std::log(x) - kConst2) * CHEVAL(nterm2, AK0IN2, t);
    return x * (CHEVAL(nterm1, AK0IN1, t) - fval);
  }
  const int nterm3 = TermCount(AK0INA);
  const double xhigh = -std::log(eps + eps);
  if (x >= xhigh) return kPiby2;
  const double t = 12.0 / x - 1.0;
  return kPiby2 - std::exp(-x) * CHEVAL(nterm3, AK0INA, t) / (kRt2bpi * std::sqrt(x));
}

// I0INT scaled by e^-x, for x >= 0: the published expansions with the exponential left out,
// so that it stays representable beyond I0INT's cap at xhigh (about 713.70). Used by the
// scaled coil integral of the bore kernels.
double I0INTScaled(double x) {
  const double eps = CoilIntMach(3);
  if (x <= 18.0) {
    const int nterm1 = TermCount(ARI01);
    const double xlow = std::sqrt(36.0 * eps / 3.0);
    if (x < xlow) return x * std::exp(-x);
    const double t = (3.0 * x - 18.0) / (x + 18.0);
    return x * CHEVAL(nterm1, ARI01, t);
  }
  const int nterm2 = TermCount(ARI0A);
  const double t = 36.0 / x - 1.0;
  return std::exp(std::log(CHEVAL(nterm2, ARI0A, t)) - 0.5 * std::log(x) - kLnr2pi);
}

// The tail of K0INT's asymptotic range taken on its own: e^x times the integral of K0 from x to
// infinity, = CHEVAL(AK0INA, 12/x - 1) / sqrt(2x/pi), the same series as K0INT's x > 6 branch
// without the subtraction from pi/2 (which keeps only the absolute accuracy of pi/2, and none
// at all of the tail from x = 36 on). Well conditioned for every x >= 6; t tends to -1 as x
// grows, where the series is still valid.
double K0INTTailScaled(double x) {
  const int nterm3 = TermCount(AK0INA);
  const double t = 12.0 / x - 1.0;
  return CHEVAL(nterm3, AK0INA, t) / (kRt2bpi * std::sqrt(x));
}

}  // namespace veldo
