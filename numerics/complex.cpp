#include "numerics/complex.hpp"

#include <cmath>

namespace veldo {

// |z| without rescaling: the sum of squares cannot overflow in the long double exponent range.
double CAbs(const TComplex& z) {
  const long double re = z.Re, im = z.Im;
  return static_cast<double>(std::sqrt(re * re + im * im));
}

TComplex CAdd(const TComplex& a, const TComplex& b) { return TComplex{a.Re + b.Re, a.Im + b.Im}; }

TComplex CSub(const TComplex& a, const TComplex& b) { return TComplex{a.Re - b.Re, a.Im - b.Im}; }

TComplex CMul(const TComplex& a, const TComplex& b) {
  const long double ar = a.Re, ai = a.Im, br = b.Re, bi = b.Im;
  return TComplex{static_cast<double>(ar * br - ai * bi), static_cast<double>(ar * bi + br * ai)};
}

// a / b by the textbook formula. The reciprocal of |b|^2 is stored as a double, so it
// underflows towards 0 once |b| exceeds about sqrt(DBL_MAX); a zero divisor is not tested for
// and raises the division-by-zero flag.
TComplex CDiv(const TComplex& a, const TComplex& b) {
  const long double ar = a.Re, ai = a.Im, br = b.Re, bi = b.Im;
  const double d = static_cast<double>(1.0L / (br * br + bi * bi));
  return TComplex{static_cast<double>((ar * br + ai * bi) * d), static_cast<double>((ai * br - ar * bi) * d)};
}

TComplex CMulI(const TComplex& z) { return TComplex{-z.Im, z.Re}; }

TComplex CScale(const TComplex& z, double s) { return TComplex{z.Re * s, z.Im * s}; }

// e^z = e^Re (cos Im + i sin Im). The exponential is formed in extended precision; a real
// part above about 709 overflows when the result is stored as a double.
TComplex CExp(const TComplex& z) {
  const long double re = z.Re, im = z.Im;
  return TComplex{static_cast<double>(std::exp(re) * std::cos(im)), static_cast<double>(std::exp(re) * std::sin(im))};
}

// Principal square root (real part never negative). w = sqrt((|z| + |Re|) / 2) is the larger
// of the two result parts in magnitude, so the other one is Im / (2w) without cancellation.
// On the negative real axis the root lies on the positive imaginary axis, whatever the sign
// of a zero imaginary part.
TComplex CSqrt(const TComplex& z) {
  const long double re = z.Re, im = z.Im;
  const double w = static_cast<double>(std::sqrt((std::sqrt(re * re + im * im) + std::fabs(re)) * 0.5L));
  if (w == 0.0) return TComplex{0.0, 0.0};
  if (z.Re >= 0.0) return TComplex{w, static_cast<double>(0.5L * im / w)};
  if (z.Im >= 0.0) return TComplex{static_cast<double>(0.5L * im / w), w};
  return TComplex{static_cast<double>(-0.5L * im / w), -w};
}

}  // namespace veldo
