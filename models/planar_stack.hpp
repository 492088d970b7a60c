// The response of a planar stack of layers to a field harmonic of radial wave number k: the
// reflection coefficient rho(k) that the normal and the parallel coil alike integrate against
// their coil factors.
#pragma once

#include <cmath>
#include <vector>

#include "models/model_driver.hpp"
#include "models/problem.hpp"

namespace veldo::models_detail {

// num / den with both scaled by the same power of two first when |den| is so small or so large
// that CDiv's stored reciprocal |den|^-2 would overflow or underflow. Scaling by 2^n is exact, so
// the quotient is CDiv's own whenever no scaling is needed.
inline TComplex BalancedDiv(TComplex num, TComplex den) {
  const double m = std::fmax(std::fabs(den.Re), std::fabs(den.Im));
  if (m != 0.0 && (m < 1.0e-150 || m > 1.0e150)) {
    const int e = std::ilogb(m);
    num = Cmplx(std::ldexp(num.Re, -e), std::ldexp(num.Im, -e));
    den = Cmplx(std::ldexp(den.Re, -e), std::ldexp(den.Im, -e));
  }
  return CDiv(num, den);
}

// A ratio num/den carried through a recursion: both parts are brought back towards 1 by the same
// power of two once they drift far from it, which changes neither the ratio nor (being exact) a
// single bit of the quotient formed at the end.
inline void Rebalance(TComplex& num, TComplex& den) {
  const double m = std::fmax(std::fmax(std::fabs(num.Re), std::fabs(num.Im)),
                             std::fmax(std::fabs(den.Re), std::fabs(den.Im)));
  if (m != 0.0 && (m > 0x1p300 || m < 0x1p-300)) {
    const int e = std::ilogb(m);
    num = Cmplx(std::ldexp(num.Re, -e), std::ldexp(num.Im, -e));
    den = Cmplx(std::ldexp(den.Re, -e), std::ldexp(den.Im, -e));
  }
}

// Layers 1..n from the surface down (layer n a half-space), above them the air (layer 0: alpha0 =
// k, mu0 = 1). At the interface i between layers i and i+1, with alpha_i = sqrt(k^2 + j omega mu0
// mu_i sigma_i),
//   M_i = alpha_i mu_{i+1} - alpha_{i+1} mu_i,   P_i = alpha_i mu_{i+1} + alpha_{i+1} mu_i,
// so that M_i / P_i is the interface's own reflection coefficient. From the bottom up, the
// reflection seen from above interface i is num_i / den_i with
//   num_i = P_i num_{i+1} e_{i+1} + M_i den_{i+1},   den_i = M_i num_{i+1} e_{i+1} + P_i den_{i+1},
// starting from (num, den) = (M_{n-1}, P_{n-1}), and rho = num_0 / den_0. The layer enters only
// through its round trip e_i = exp(-2 alpha_i d_i), |e_i| <= 1: no thickness, conductivity or
// frequency can overflow the recursion, and a thick layer (e_i -> 0) leaves its own half-space
// coefficient. One layer gives rho = (k mu1 - alpha1) / (k mu1 + alpha1); two layers the
// classical (A M e + B P) / (B M e + A P), with the same operations in the same order.
class PlanarMedia {
public:
  // At the angular frequency omega: alpha^2 = k^2 + j omega mu0 mu sigma.
  PlanarMedia(const std::vector<Layer>& layers, double omega) : PlanarMedia(layers, 0.0, omega) {}
  // At the Laplace variable p = pRe + j pIm (a transient's contour): alpha^2 = k^2 + p mu0 mu sigma.
  // With pRe = 0 the same numbers as at omega = pIm.
  PlanarMedia(const std::vector<Layer>& layers, double pRe, double pIm) {
    for (const Layer& l : layers) {
      r_.push_back(pRe == 0.0 ? 0.0 : SProduct(pRe, l.mur, l.sigma));
      s_.push_back(SProduct(pIm, l.mur, l.sigma));
      mu_.push_back(l.mur);
      d_.push_back(l.thickness);
    }
  }
  std::size_t Count() const { return s_.size(); }

  TComplex Reflection(double k) const {
    const std::size_t n = s_.size();
    // alphaBelow and muBelow are those of layer i+1, alphaAbove and muAbove of layer i.
    TComplex alphaBelow = CSqrt(Cmplx(k * k + r_[n - 1], s_[n - 1]));
    double muBelow = mu_[n - 1];
    TComplex num, den;
    if (n == 1) {
      Air(k, alphaBelow, muBelow, num, den);
      return BalancedDiv(num, den);
    }
    TComplex alphaAbove = CSqrt(Cmplx(k * k + r_[n - 2], s_[n - 2]));
    double muAbove = mu_[n - 2];
    num = CSub(CScale(alphaAbove, muBelow), CScale(alphaBelow, muAbove));
    den = CAdd(CScale(alphaAbove, muBelow), CScale(alphaBelow, muAbove));
    for (std::size_t i = n - 1; i-- > 0;) {  // interface i, between layers i and i+1 (1-based)
      alphaBelow = alphaAbove;
      muBelow = muAbove;
      TComplex P, M;
      if (i >= 1) {
        alphaAbove = CSqrt(Cmplx(k * k + r_[i - 1], s_[i - 1]));
        muAbove = mu_[i - 1];
        P = CAdd(CScale(alphaAbove, muBelow), CScale(alphaBelow, muAbove));
        M = CSub(CScale(alphaAbove, muBelow), CScale(alphaBelow, muAbove));
      } else {
        Air(k, alphaBelow, muBelow, M, P);
      }
      const TComplex e = CExp(CScale(alphaBelow, -2.0 * d_[i]));
      const TComplex nextNum = CAdd(CMul(CMul(P, num), e), CMul(M, den));
      den = CAdd(CMul(CMul(M, num), e), CMul(P, den));
      num = nextNum;
      Rebalance(num, den);
    }
    return BalancedDiv(num, den);
  }

private:
  // M_0 and P_0 of the air above layer 1 (alpha0 = k, mu0 = 1): k mu1 -+ alpha1, the general
  // interface's very values without its scalings by 1 and of a zero imaginary part.
  static void Air(double k, const TComplex& alpha1, double mu1, TComplex& M, TComplex& P) {
    const TComplex kmu = Cmplx(k * mu1, 0.0);
    M = CSub(kmu, alpha1);
    P = CAdd(kmu, alpha1);
  }

  // Per layer: the real and imaginary part of p mu0 mu sigma [1/m^2] (0 and omega mu0 mu sigma at a
  // frequency), mu, thickness [m].
  std::vector<double> r_, s_, mu_, d_;
};

}  // namespace veldo::models_detail
