#include "numerics/elliptic.hpp"

#include <algorithm>
#include <cmath>

namespace veldo {

// The duplication theorem shrinks the spread of the arguments by 4 per step; once it is below
// (3r)^(1/6) resp. (r/4)^(1/6) of their mean the fifth-order series of [1] leaves a relative
// error below r. r = 1e-16: a step or two beyond the double's epsilon/2.
namespace {
constexpr double kR = 1e-16;
}

double RF(double x, double y, double z) {
  const double A0 = (x + y + z) / 3.0;
  double Q = std::pow(3.0 * kR, -1.0 / 6.0) * std::max({std::fabs(A0 - x), std::fabs(A0 - y), std::fabs(A0 - z)});
  double xm = x, ym = y, zm = z, Am = A0, four = 1.0;
  while (Q >= std::fabs(Am) * four) {
    const double sx = std::sqrt(xm), sy = std::sqrt(ym), sz = std::sqrt(zm);
    const double lambda = sx * sy + sx * sz + sy * sz;
    Am = (Am + lambda) / 4.0;
    xm = (xm + lambda) / 4.0;
    ym = (ym + lambda) / 4.0;
    zm = (zm + lambda) / 4.0;
    four *= 4.0;
  }
  const double X = (A0 - x) / (four * Am), Y = (A0 - y) / (four * Am), Z = -(X + Y);
  const double E2 = X * Y - Z * Z, E3 = X * Y * Z;
  return (1.0 - E2 / 10.0 + E3 / 14.0 + E2 * E2 / 24.0 - 3.0 * E2 * E3 / 44.0) / std::sqrt(Am);
}

double RD(double x, double y, double z) {
  const double A0 = (x + y + 3.0 * z) / 5.0;
  double Q = std::pow(kR / 4.0, -1.0 / 6.0) * std::max({std::fabs(A0 - x), std::fabs(A0 - y), std::fabs(A0 - z)});
  double xm = x, ym = y, zm = z, Am = A0, four = 1.0, sum = 0.0;
  while (Q >= std::fabs(Am) * four) {
    const double sx = std::sqrt(xm), sy = std::sqrt(ym), sz = std::sqrt(zm);
    const double lambda = sx * sy + sx * sz + sy * sz;
    sum += 1.0 / (four * sz * (zm + lambda));
    Am = (Am + lambda) / 4.0;
    xm = (xm + lambda) / 4.0;
    ym = (ym + lambda) / 4.0;
    zm = (zm + lambda) / 4.0;
    four *= 4.0;
  }
  const double X = (A0 - x) / (four * Am), Y = (A0 - y) / (four * Am), Z = -(X + Y) / 3.0;
  const double XY = X * Y, Z2 = Z * Z;
  const double E2 = XY - 6.0 * Z2, E3 = (3.0 * XY - 8.0 * Z2) * Z, E4 = 3.0 * (XY - Z2) * Z2, E5 = XY * Z2 * Z;
  const double series = 1.0 - 3.0 * E2 / 14.0 + E3 / 6.0 + 9.0 * E2 * E2 / 88.0 - 3.0 * E4 / 22.0 -
                        9.0 * E2 * E3 / 52.0 + 3.0 * E5 / 26.0;
  return series / (four * Am * std::sqrt(Am)) + 3.0 * sum;
}

}  // namespace veldo
