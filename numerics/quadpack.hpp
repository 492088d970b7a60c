// Adaptive quadrature of a real function over an infinite range: QUADPACK's DQAGI (worker
// DQAGIE) with its companions DQK15I, DQELG and DQPSRT.
//
// [1] R. Piessens, E. de Doncker-Kapenga, C. W. Ueberhuber, D. K. Kahaner, QUADPACK: A
//     Subroutine Package for Automatic Integration, Springer 1983, routines DQAGI/DQAGIE,
//     DQK15I, DQELG, DQPSRT (netlib.org/quadpack).
// [2] P. Wynn, On a device for computing the e_m(S_n) transformation, MTAC 10 (1956) 91-96.
//
// Differences from the published routine: the integrand is any callable (a lambda capturing
// its parameters, so no global parameter block is needed and the routine is re-entrant: an
// integrand may itself call QAGI); the subinterval limit is the constant LIMIT = 100; the
// workspace lives in the call's frame; the machine constants are this program's own table
// QMACH (UFLOW = 0, EPMACH = 2.220446e-16 as a short decimal). Arrays are 1-based as in the
// published text: element 0 of each workspace array is never used.
#pragma once

#include <algorithm>
#include <cmath>

namespace veldo {

// Completion codes of QAGI (IER), as the published prologue describes them.
inline constexpr int kQagiNormal = 0;         // requested accuracy believed reached
inline constexpr int kQagiLimit = 1;          // maximum number of subdivisions (LIMIT) reached
inline constexpr int kQagiRoundoff = 2;       // roundoff error prevents the requested accuracy
inline constexpr int kQagiBadIntegrand = 3;   // extremely bad integrand behaviour somewhere
inline constexpr int kQagiNoConvergence = 4;  // the extrapolation table does not converge
inline constexpr int kQagiDivergent = 5;      // the integral is divergent or converges too slowly
inline constexpr int kQagiInvalidInput = 6;   // EPSABS <= 0 and EPSREL < max(50 EPMACH, 5e-29)

// Maximum number of subintervals of the adaptive scheme.
inline constexpr int LIMIT = 100;
// Capacity of the epsilon table (LIMEXP + 2 in [1]).
inline constexpr int LIMEXP = 50;

// The quadrature's machine constants:
//   1: UFLOW = 0 (the published routine uses the smallest normalised number),
//   2: OFLOW = 1.7e308, the error value that stands for "no estimate yet" (also the kernels'
//      overflow bound),
//   3: 1.110223e-16 (not read), 4: EPMACH = 2.220446e-16, the double nearest that decimal and
//      not exactly 2^-52, 5: log10(2) to five places (not read).
// The index is not checked, as in the published D1MACH.
constexpr double QMACH(int i) {
  constexpr double table[6] = {0.0, 0.0, 1.7e308, 1.110223e-16, 2.220446e-16, 0.30103};
  return table[i];
}

namespace detail {
// Abscissae and weights of the 15-point Kronrod rule and its embedded 7-point Gauss rule on
// (-1, 1); only the non-negative half, index 8 the centre. WG is zero at the Kronrod-only nodes.
inline constexpr double XGK[9] = {0.0,
                                  0.991455371120812639206854697526329,   // 1
                                  0.949107912342758524526189684047851,   // 2
                                  0.864864423359769072789712788640926,   // 3
                                  0.741531185599394439863864773280788,   // 4
                                  0.586087235467691130294144838258730,   // 5
                                  0.405845151377397166906606412076961,   // 6
                                  0.207784955007898467600689403773245,   // 7
                                  0.000000000000000000000000000000000};  // 8
inline constexpr double WGK[9] = {0.0,
                                  0.022935322010529224963732008058970,   // 1
                                  0.063092092629978553290700663189204,   // 2
                                  0.104790010322250183839876322541518,   // 3
                                  0.140653259715525918745189590510238,   // 4
                                  0.169004726639267902826583426598550,   // 5
                                  0.190350578064785409913256402421014,   // 6
                                  0.204432940075298892414161999234649,   // 7
                                  0.209482141084727828012999174891714};  // 8
inline constexpr double WG[9] = {0.0,
                                 0.0,                                   // 1
                                 0.129484966168869693270611432679082,   // 2
                                 0.0,                                   // 3
                                 0.279705391489276667901467771423780,   // 4
                                 0.0,                                   // 5
                                 0.381830050505118944950369775488975,   // 6
                                 0.0,                                   // 7
                                 0.417959183673469387755102040816327};  // 8
}  // namespace detail

// One 15-point Gauss-Kronrod rule on the subinterval (A, B) of (0, 1], after the range
// (BOUNDARY, +inf) (or (-inf, BOUNDARY), or the whole line for INF = 2) has been mapped onto
// (0, 1] by t = BOUNDARY + DINF (1 - x) / x. RESULT is the Kronrod estimate, ABSERR its error
// estimate, RESABS the integral of |g| and RESASC of |g - mean|.
template <class F>
void QK15I(F& f, double BOUNDARY, int INF, double A, double B, double& RESULT, double& ABSERR,
           double& RESABS, double& RESASC) {
  using detail::WG;
  using detail::WGK;
  using detail::XGK;
  const double EPMACH = QMACH(4);
  const double UFLOW = QMACH(1);
  double FV1[8], FV2[8];
  const double DINF = static_cast<double>(std::min(1, INF));

  const double CENTR = 0.5 * (A + B);
  const double HLGTH = 0.5 * (B - A);
  const double TABSC0 = BOUNDARY + DINF * (1.0 - CENTR) / CENTR;
  double FVAL0 = f(TABSC0);
  if (INF == 2) FVAL0 = FVAL0 + f(-TABSC0);
  const double FC = (FVAL0 / CENTR) / CENTR;

  // Kronrod approximation to the integral and the error estimate.
  double RESG = WG[8] * FC;
  double RESK = WGK[8] * FC;
  RESABS = std::fabs(RESK);
  for (int J = 1; J <= 7; ++J) {
    const double ABSC = HLGTH * XGK[J];
    const double ABSC1 = CENTR - ABSC;
    const double ABSC2 = CENTR + ABSC;
    const double TABSC1 = BOUNDARY + DINF * (1.0 - ABSC1) / ABSC1;
    const double TABSC2 = BOUNDARY + DINF * (1.0 - ABSC2) / ABSC2;
    double FVAL1 = f(TABSC1);
    double FVAL2 = f(TABSC2);
    if (INF == 2) FVAL1 = FVAL1 + f(-TABSC1);
    if (INF == 2) FVAL2 = FVAL2 + f(-TABSC2);
    FVAL1 = (FVAL1 / ABSC1) / ABSC1;
    FVAL2 = (FVAL2 / ABSC2) / ABSC2;
    FV1[J] = FVAL1;
    FV2[J] = FVAL2;
    const double FSUM = FVAL1 + FVAL2;
    RESG = RESG + WG[J] * FSUM;
    RESK = RESK + WGK[J] * FSUM;
    RESABS = RESABS + WGK[J] * (std::fabs(FVAL1) + std::fabs(FVAL2));
  } /* 10 */
  const double RESKH = RESK * 0.5;
  RESASC = WGK[8] * std::fabs(FC - RESKH);
  for (int J = 1; J <= 7; ++J) RESASC = RESASC + WGK[J] * (std::fabs(FV1[J] - RESKH) + std::fabs(FV2[J] - RESKH)); /* 20 */
  RESULT = RESK * HLGTH;
  RESASC = RESASC * HLGTH;
  RESABS = RESABS * HLGTH;
  ABSERR = std::fabs((RESK - RESG) * HLGTH);
  if (RESASC != 0.0 && ABSERR != 0.0) ABSERR = RESASC * std::min(1.0, std::pow(200.0 * ABSERR / RESASC, 1.5));
  if (RESABS > UFLOW / (50.0 * EPMACH)) ABSERR = std::max((EPMACH * 50.0) * RESABS, ABSERR);
}

// One step of Wynn's epsilon algorithm [2] on EPSTAB(1..N), whose newest element is EPSTAB(N).
// RESULT is the extrapolated limit and ABSERR its error estimate, from the last three results
// kept in RES3LA; NRES counts the calls. N is updated for the caller.
void QELG(int& N, double* EPSTAB, double& RESULT, double& ABSERR, double* RES3LA, int& NRES);

// Keeps IORD(1..) in descending order of the error estimates ELIST after a bisection, and
// returns in MAXERR the subinterval to bisect next (NRMAX-th largest error) and ERMAX its error.
void QPSRT(int limit, int LAST, int& MAXERR, double& ERMAX, const double* ELIST, int* IORD, int& NRMAX);

// Integral of F over (BOUND, +inf) (INF = 1), (-inf, BOUND) (INF = -1) or (-inf, +inf)
// (INF = 2; BOUND ignored) to the accuracy max(EPSABS, EPSREL |I|). RESULT approximates I,
// ABSERR estimates |I - RESULT|, NEVAL counts the evaluations of F (30 LAST - 15, doubled for
// INF = 2) and IER is one of the kQagi* codes above.
template <class F>
void QAGI(F&& f, double BOUND, int INF, double EPSABS, double EPSREL, double& RESULT, double& ABSERR, int& NEVAL,
          int& IER) {
  const double EPMACH = QMACH(4);

  // Workspace: subinterval ends in the mapped variable, their integrals and errors, the
  // order of the errors, the epsilon table and the last three extrapolated results.
  double ALIST[LIMIT + 1], BLIST[LIMIT + 1], RLIST[LIMIT + 1], ELIST[LIMIT + 1];
  int IORD[LIMIT + 1];
  double RLIST2[LIMEXP + 3];
  double RES3LA[4];

  // Test on validity of parameters.
  IER = 0;
  NEVAL = 0;
  int LAST = 0;
  RESULT = 0.0;
  ABSERR = 0.0;
  ALIST[1] = 0.0;
  BLIST[1] = 1.0;
  RLIST[1] = 0.0;
  ELIST[1] = 0.0;
  IORD[1] = 0;
  if (EPSABS <= 0.0 && EPSREL < std::max(50.0 * EPMACH, 0.5e-28)) IER = 6;
  if (IER == 6) return; /* 999 */

  // First approximation to the integral: one rule over all of (0, 1].
  double BOUN = BOUND;
  if (INF == 2) BOUN = 0.0;
  double DEFABS, RESABS;
  QK15I(f, BOUN, INF, 0.0, 1.0, RESULT, ABSERR, DEFABS, RESABS);

  // Test on accuracy.
  LAST = 1;
  RLIST[1] = RESULT;
  ELIST[1] = ABSERR;
  IORD[1] = 1;
  const double DRES = std::fabs(RESULT);
  double ERRBND = std::max(EPSABS, EPSREL * DRES);
  if (ABSERR <= 100.0 * EPMACH * DEFABS && ABSERR > ERRBND) IER = 2;
  if (LIMIT == 1) IER = 1;

  double AREA = 0.0, ERRSUM = 0.0;
  int IERRO = 0;
  double CORREC = 0.0;
  int KSGN = -1;
  bool sumList = false;  // leave through label 115: RESULT becomes the sum of RLIST
  bool divergenceTest = false;

  if (!(IER != 0 || (ABSERR <= ERRBND && ABSERR != RESABS) || ABSERR == 0.0)) {
    // Initialization.
    const double UFLOW = QMACH(1);
    const double OFLOW = QMACH(2);
    RLIST2[1] = RESULT;
    double ERRMAX = ABSERR;
    int MAXERR = 1;
    AREA = RESULT;
    ERRSUM = ABSERR;
    ABSERR = OFLOW;
    int NRMAX = 1;
    int NRES = 0;
    int KTMIN = 0;
    int NUMRL2 = 2;
    bool EXTRAP = false;
    bool NOEXT = false;
    int IROFF1 = 0, IROFF2 = 0, IROFF3 = 0;
    if (DRES >= (1.0 - 50.0 * EPMACH) * DEFABS) KSGN = 1;
    double SMALL = 0.0, ERLARG = 0.0, ERTEST = 0.0;

    // Main loop: bisect the subinterval with the NRMAX-th largest error estimate.
    bool leftLoop = false;
    for (LAST = 2; LAST <= LIMIT; ++LAST) {
      const double A1 = ALIST[MAXERR];
      const double B1 = 0.5 * (ALIST[MAXERR] + BLIST[MAXERR]);
      const double A2 = B1;
      const double B2 = BLIST[MAXERR];
      const double ERLAST = ERRMAX;
      double AREA1, ERROR1, AREA2, ERROR2, DEFAB1, DEFAB2;
      QK15I(f, BOUN, INF, A1, B1, AREA1, ERROR1, RESABS, DEFAB1);
      QK15I(f, BOUN, INF, A2, B2, AREA2, ERROR2, RESABS, DEFAB2);

      // Improve previous approximations to integral and error and test for accuracy.
      const double AREA12 = AREA1 + AREA2;
      const double ERRO12 = ERROR1 + ERROR2;
      ERRSUM = ERRSUM + ERRO12 - ERRMAX;
      AREA = AREA + AREA12 - RLIST[MAXERR];
      if (!(DEFAB1 == ERROR1 || DEFAB2 == ERROR2)) {
        if (!(std::fabs(RLIST[MAXERR] - AREA12) > 0.1e-04 * std::fabs(AREA12) || ERRO12 < 0.99 * ERRMAX)) {
          if (EXTRAP) IROFF2 = IROFF2 + 1;
          if (!EXTRAP) IROFF1 = IROFF1 + 1;
        }
        /* 10 */ if (LAST > 10 && ERRO12 > ERRMAX) IROFF3 = IROFF3 + 1;
      }
      /* 15 */ RLIST[MAXERR] = AREA1;
      RLIST[LAST] = AREA2;
      ERRBND = std::max(EPSABS, EPSREL * std::fabs(AREA));

      // Roundoff, the subdivision limit, and bad behaviour at a point of the range.
      if (IROFF1 + IROFF2 >= 10 || IROFF3 >= 20) IER = 2;
      if (IROFF2 >= 5) IERRO = 3;
      if (LAST == LIMIT) IER = 1;
      if (std::max(std::fabs(A1), std::fabs(B2)) <= (1.0 + 100.0 * EPMACH) * (std::fabs(A2) + 1000.0 * UFLOW)) IER = 4;

      // Append the newly created intervals to the list.
      if (!(ERROR2 > ERROR1)) {
        ALIST[LAST] = A2;
        BLIST[MAXERR] = B1;
        BLIST[LAST] = B2;
        ELIST[MAXERR] = ERROR1;
        ELIST[LAST] = ERROR2;
      } else {
        /* 20 */ ALIST[MAXERR] = A2;
        ALIST[LAST] = A1;
        BLIST[LAST] = B1;
        RLIST[MAXERR] = AREA2;
        RLIST[LAST] = AREA1;
        ELIST[MAXERR] = ERROR2;
        ELIST[LAST] = ERROR1;
      }

      // Keep the error list ordered and pick the subinterval to bisect next.
      /* 30 */ QPSRT(LIMIT, LAST, MAXERR, ERRMAX, ELIST, IORD, NRMAX);
      if (ERRSUM <= ERRBND) {
        sumList = true;  // go to 115
        leftLoop = true;
        break;
      }
      if (IER != 0) {
        leftLoop = true;  // go to 100
        break;
      }
      if (LAST == 2) {
        /* 80 */ SMALL = 0.375;
        ERLARG = ERRSUM;
        ERTEST = ERRBND;
        RLIST2[2] = AREA;
        continue;
      }
      if (NOEXT) continue;
      ERLARG = ERLARG - ERLAST;
      if (std::fabs(B1 - A1) > SMALL) ERLARG = ERLARG + ERRO12;
      if (!EXTRAP) {
        // Is the interval to be bisected next the smallest one?
        if (std::fabs(BLIST[MAXERR] - ALIST[MAXERR]) > SMALL) continue;
        EXTRAP = true;
        NRMAX = 2;
      }
      /* 40 */ if (!(IERRO == 3 || ERLARG <= ERTEST)) {
        // The smallest interval has the largest error: before bisecting it, decrease the sum
        // of the errors over the larger intervals (ERLARG) and extrapolate.
        const int ID = NRMAX;
        int JUPBND = LAST;
        if (LAST > (2 + LIMIT / 2)) JUPBND = LIMIT + 3 - LAST;
        bool nextLast = false;
        for (int K = ID; K <= JUPBND; ++K) {
          MAXERR = IORD[NRMAX];
          ERRMAX = ELIST[MAXERR];
          if (std::fabs(BLIST[MAXERR] - ALIST[MAXERR]) > SMALL) {
            nextLast = true;  // go to 90
            break;
          }
          NRMAX = NRMAX + 1;
        } /* 50 */
        if (nextLast) continue;
      }

      // Perform extrapolation.
      /* 60 */ NUMRL2 = NUMRL2 + 1;
      RLIST2[NUMRL2] = AREA;
      double RESEPS, ABSEPS;
      QELG(NUMRL2, RLIST2, RESEPS, ABSEPS, RES3LA, NRES);
      KTMIN = KTMIN + 1;
      if (KTMIN > 5 && ABSERR < 0.1e-02 * ERRSUM) IER = 5;
      if (ABSEPS < ABSERR) {
        KTMIN = 0;
        ABSERR = ABSEPS;
        RESULT = RESEPS;
        CORREC = ERLARG;
        ERTEST = std::max(EPSABS, EPSREL * std::fabs(RESEPS));
        if (ABSERR <= ERTEST) {
          leftLoop = true;  // go to 100
          break;
        }
      }

      // Prepare bisection of the smallest interval.
      /* 70 */ if (NUMRL2 == 1) NOEXT = true;
      if (IER == 5) {
        leftLoop = true;  // go to 100
        break;
      }
      MAXERR = IORD[1];
      ERRMAX = ELIST[MAXERR];
      NRMAX = 1;
      EXTRAP = false;
      SMALL = SMALL * 0.5;
      ERLARG = ERRSUM;
    } /* 90 */
    if (!leftLoop) LAST = LIMIT;  // the loop cannot run out without setting IER = 1 first

    // Set final result and error estimate.
    if (!sumList) {
      /* 100 */ if (ABSERR == OFLOW) {
        sumList = true;
      } else if (IER + IERRO == 0) {
        divergenceTest = true;
      } else {
        if (IERRO == 3) ABSERR = ABSERR + CORREC;
        if (IER == 0) IER = 3;
        if (RESULT != 0.0 && AREA != 0.0) {
          /* 105 */ if (ABSERR / std::fabs(RESULT) > ERRSUM / std::fabs(AREA))
            sumList = true;
          else
            divergenceTest = true;
        } else if (ABSERR > ERRSUM) {
          sumList = true;
        } else if (AREA != 0.0) {
          divergenceTest = true;
        }  // AREA == 0: go to 130
      }
    }
    if (divergenceTest) {
      // Test on divergence.
      /* 110 */ if (!(KSGN == -1 && std::max(std::fabs(RESULT), std::fabs(AREA)) <= DEFABS * 0.1e-01)) {
        if (0.1e-01 > (RESULT / AREA) || (RESULT / AREA) > 0.1e+03 || ERRSUM > std::fabs(AREA)) IER = 6;
      }
    }
    if (sumList) {
      // Compute the global integral sum.
      /* 115 */ RESULT = 0.0;
      for (int K = 1; K <= LAST; ++K) RESULT = RESULT + RLIST[K]; /* 120 */
      ABSERR = ERRSUM;
    }
  }
  /* 130 */ NEVAL = 30 * LAST - 15;
  if (INF == 2) NEVAL = 2 * NEVAL;
  if (IER > 2) IER = IER - 1;
}

}  // namespace veldo
