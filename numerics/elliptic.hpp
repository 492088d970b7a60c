// Carlson's symmetric elliptic integrals of the first and second kind, by duplication.
//
// [1] B. C. Carlson, Numerical computation of real or complex elliptic integrals, Numerical
//     Algorithms 10 (1995) 13-26, algorithms for RF and RD (real arguments here).
//
//   RF(x, y, z) = 1/2 int_0^inf dt / sqrt((t+x)(t+y)(t+z)),
//   RD(x, y, z) = 3/2 int_0^inf dt / (sqrt((t+x)(t+y)) (t+z)^(3/2)).
// Arguments: x, y, z >= 0, at most one of them zero (RD: z > 0). Complete integrals of
// parameter m: K(m) = RF(0, 1-m, 1), E(m) = RF(0, 1-m, 1) - m/3 RD(0, 1-m, 1).
// Pure functions, no state: re-entrant.
#pragma once

namespace veldo {

double RF(double x, double y, double z);
double RD(double x, double y, double z);

}  // namespace veldo
