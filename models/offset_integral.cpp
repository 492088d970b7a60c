#include "models/offset_integral.hpp"

#include <cmath>

#include "coilint/coilint.hpp"

namespace veldo::models_detail {

double BesselJ0ZeroMcMahon(int m) {
  const double b = (m - 0.25) * 3.14159265358979323846;
  const double t = 1.0 / (8.0 * b), t2 = t * t;
  return b + t * (1.0 - t2 * (124.0 / 3.0 - t2 * (120928.0 / 15.0)));
}

long double CoilIntJOffset(double x1, double x2) {
  if (!(x2 <= 1.0)) return CoilIntJ(x1, x2);
  // t J1(t) = sum_n (-1)^n t^(2n+2) / (2^(2n+1) n! (n+1)!), integrated term by term; |terms| fall
  // by (x2/2)^2 / ((n+1)(n+2)) or faster, so 14 of them reach the extended precision's rounding.
  const long double a = x1, b = x2, a2 = a * a, b2 = b * b;
  long double pa = a2 * a, pb = b2 * b;  // x^(2n+3)
  long double c = 0.5L;                  // 1 / (2^(2n+1) n! (n+1)!)
  long double sum = 0.0L;
  for (int n = 0; n < 14; ++n) {
    const long double term = c * (pb - pa) / (2 * n + 3);
    sum += (n % 2 == 0) ? term : -term;
    pa *= a2, pb *= b2;
    c /= 4.0L * (n + 1) * (n + 2);
  }
  return sum;
}

// DQAWFE's loop body for one part (labels of the published text in the comments), the absolute
// target EPSABS replaced by Acc times the current estimate.
void CycleSeries::Add(int L, double term, double err, bool cycleFailed, double Acc) {
  errsum_ += err;
  drl_ = std::fabs(term);
  numrl2_ += 1;
  if (L == 1) {
    psum_[1] = term;
  } else {
    /* 20 */ psum_[numrl2_] = psum_[ll_] + term;
  }
  const double partial = psum_[numrl2_];
  correc_ = std::max(correc_, err);
  // A cycle short of its tolerance (the kernel's own rounding noise, at the smallest k) does not
  // stop the sum: its error estimate is in ERRSUM and CORREC, which both tests below charge.
  if (cycleFailed) failed_ = true;
  // Test on accuracy with the partial sum: the kernel has died out.
  if (L >= 6 && errsum_ + drl_ <= Acc * std::fabs(partial)) {
    result_ = partial;
    abserr_ = errsum_ + drl_;
    extrapolated_ = false;
    settled_ = true;
    ll_ = numrl2_;
    return;
  }
  if (L >= 3) {
    // Perform a new extrapolation.
    double reseps, abseps;
    QELG(numrl2_, psum_, reseps, abseps, res3la_, nres_);
    // Whether the extrapolated result is influenced by roundoff.
    ktmin_ += 1;
    if (ktmin_ >= 15 && abserr_ <= 1e-3 * (errsum_ + drl_) && ier_ == 0) ier_ = 2;
    if (abseps <= abserr_ || L == 3) {
      abserr_ = abseps;
      result_ = reseps;
      extrapolated_ = true;
      ktmin_ = 0;
      if (ier_ == 0 && abserr_ + 10.0 * correc_ <= Acc * std::fabs(result_)) settled_ = true;
    }
  }
  /* 40 */ ll_ = numrl2_;
}

// Label 60 on: the extrapolated result unless the plain partial sum has the smaller relative
// error estimate.
double CycleSeries::Finish(int& ier) {
  const double partial = psum_[ll_];
  if (settled_) {
    ier = 0;
    return result_;
  }
  ier = ier_ != 0 ? ier_ : failed_ ? 3 : 1;
  if (!extrapolated_) return ll_ > 0 ? partial : 0.0;
  const double abserr = abserr_ + 10.0 * correc_;
  if (result_ != 0.0 && partial != 0.0 && abserr / std::fabs(result_) > (errsum_ + drl_) / std::fabs(partial))
    return partial;
  return result_;
}

}  // namespace veldo::models_detail
