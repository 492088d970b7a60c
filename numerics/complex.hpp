// Complex numbers for the eddy-current kernels: a plain record of two doubles and the dozen
// operations the integrands need. No scaling against overflow and no special-value handling:
// an overflow or a zero divisor raises the processor's floating-point flag, which the Compute
// command reports. Products, quotients and moduli are formed in extended precision (long
// double) and rounded once when stored, as on the x87 unit the models were tuned on.
#pragma once

namespace veldo {

struct TComplex {
  double Re;
  double Im;
};

// Every operation takes its inputs by reference and returns a fresh value, so the result may
// be assigned to one of its inputs (z = CMul(z, z)).

inline TComplex Cmplx(double re, double im) { return TComplex{re, im}; }
inline double CRe(const TComplex& z) { return z.Re; }
inline double CIm(const TComplex& z) { return z.Im; }

double CAbs(const TComplex& z);
TComplex CAdd(const TComplex& a, const TComplex& b);
TComplex CSub(const TComplex& a, const TComplex& b);
TComplex CMul(const TComplex& a, const TComplex& b);
TComplex CDiv(const TComplex& a, const TComplex& b);
TComplex CMulI(const TComplex& z);
TComplex CScale(const TComplex& z, double s);
TComplex CExp(const TComplex& z);
TComplex CSqrt(const TComplex& z);

}  // namespace veldo
