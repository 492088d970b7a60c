// Error allowance of K0INT's series range, shared by the running-integral and coil-integral tests.
#pragma once

namespace veldo::test {

// Error allowance of K0INT, in eps times the row's condition number, over its series range
// (0 < x <= 6), where the published method in double precision is least accurate (measured on
// a 0.02 grid against mpmath: 7.4 eps below x = 0.5, 37 eps below x = 4.5, 134 eps at x = 5.76).
// Two effects: for t = x^2/18 - 1 near -1 Reinsch's recurrence carries partial sums of AK0IN1
// and AK0IN2 (a_0/2 = 8.4, a_1 = 9.8) several times the result; towards x = 6 the
// two series x CHEVAL(AK0IN1) and x (ln x - ln 2 + gamma) CHEVAL(AK0IN2) cancel to 1/30 .. 1/200
// of their size, so each one's last-place rounding grows accordingly. Elsewhere: 8.
inline double K0intSeriesAllowance(double x) {
  if (x > 4.0 && x <= 6.0) return 160.0;
  if (x > 0.5 && x <= 4.0) return 48.0;
  if (x > 0.0 && x <= 0.5) return 16.0;
  return 8.0;
}

}  // namespace veldo::test
