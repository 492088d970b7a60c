// Machine constants of the Bessel unit: D1MACH and I1MACH, and the compile-time checks of the
// limits that the entry points derive from them.
#include <cmath>
#include <limits>

#include "bessel/amos.hpp"
#include "bessel/amos_tables.hpp"

namespace veldo {
namespace {

using amos_detail::kD1mach;
using amos_detail::kI1mach;

// The underflow base is the smallest subnormal: every underflow bound of the unit derives from
// it (1000*D1MACH(1) = 4.94e-321, 1000*D1MACH(1)/TOL = 2.225e-305).
static_assert(kD1mach[1] == std::numeric_limits<double>::denorm_min());
static_assert(kD1mach[1] < std::numeric_limits<double>::min());
// D1MACH(4) is the short decimal 2.220446e-16, a look-alike of epsilon and deliberately not it.
static_assert(kD1mach[4] != std::numeric_limits<double>::epsilon());
static_assert(kD1mach[4] < std::numeric_limits<double>::epsilon());
static_assert(kD1mach[2] < std::numeric_limits<double>::max());
static_assert(kI1mach[9] == std::numeric_limits<int>::max());
static_assert(kI1mach[14] == std::numeric_limits<double>::digits);
static_assert(kI1mach[16] == std::numeric_limits<double>::max_exponent - 1);
static_assert(kI1mach[15] == std::numeric_limits<double>::min_exponent);

constexpr bool Near(long double a, long double b, long double tol) {
  return (a > b ? a - b : b - a) <= tol;
}

// The derived limits, formed as the entry points form them (extended precision, stored as
// doubles), against their documented values.
constexpr double kTol = kD1mach[4] > 1.0e-18 ? kD1mach[4] : 1.0e-18;  // TOL = max(D1MACH(4), 1e-18)
constexpr int kK = (-kI1mach[15] < kI1mach[16]) ? -kI1mach[15] : kI1mach[16];  // min |exponent|
constexpr double kElim = static_cast<double>(2.303L * (kK * static_cast<long double>(kD1mach[5]) - 3.0L));
constexpr double kAa = static_cast<double>(static_cast<long double>(kD1mach[5]) * (kI1mach[14] - 1));
constexpr double kDig = kAa < 18.0 ? kAa : 18.0;
constexpr double kAlim = static_cast<double>(
    kElim + ((-2.303L * kAa) > -41.45L ? (-2.303L * kAa) : -41.45L));
constexpr double kRl = static_cast<double>(1.2L * kDig + 3.0L);
constexpr double kFnul = static_cast<double>(10.0L + 6.0L * (kDig - 3.0L));

static_assert(kTol == 2.220446e-16);
static_assert(kK == 1021);
static_assert(Near(kElim, 700.92180389L, 5e-9L));  // ELIM = 2.303*(K*R1M5 - 3)
static_assert(Near(kAa, 15.65356L, 1e-12L));       // DIG = R1M5*(I1MACH(14) - 1)
static_assert(Near(kAlim, 664.87165521L, 5e-9L));  // ALIM = ELIM + max(-2.303*DIG, -41.45)
static_assert(Near(kRl, 21.784272L, 1e-12L));      // RL = 1.2*DIG + 3
static_assert(Near(kFnul, 85.92136L, 1e-12L));     // FNUL = 10 + 6*(DIG - 3)
// Range limit min(0.5/TOL, I1MACH(9)/2): the integer bound wins.
static_assert(0.5 / kTol > kI1mach[9] * 0.5);
static_assert(kI1mach[9] * 0.5 == 1073741823.5);
// Underflow bounds derived from D1MACH(1).
static_assert(1.0e3 * kD1mach[1] == 4.94065645841246544e-321);
static_assert(Near(1.0e3 * kD1mach[1] / kTol, 2.2250739078601621e-305L, 1e-320L));

}  // namespace

// No range check: the unit only asks for 1, 2, 4 and 5; any other index is not defined.
double D1MACH(int i) { return kD1mach[i]; }

// The unit only asks for 9, 14, 15 and 16.
int I1MACH(int i) { return kI1mach[i]; }

}  // namespace veldo
