#include "numerics/quadpack.hpp"

namespace veldo {

// Wynn's epsilon algorithm, one new diagonal per call: the table holds the sequence of
// partial integrals; each sweep forms the next extrapolated elements from the reciprocals of
// differences, and the error estimate compares the new result with the last three.
void QELG(int& N, double* EPSTAB, double& RESULT, double& ABSERR, double* RES3LA, int& NRES) {
  const double EPMACH = QMACH(4);
  const double OFLOW = QMACH(2);
  NRES = NRES + 1;
  ABSERR = OFLOW;
  RESULT = EPSTAB[N];
  if (N >= 3) {
    EPSTAB[N + 2] = EPSTAB[N];
    const int NEWELM = (N - 1) / 2;
    EPSTAB[N] = OFLOW;
    const int NUM = N;
    int K1 = N;
    bool converged = false;
    for (int I = 1; I <= NEWELM; ++I) {
      const int K2 = K1 - 1;
      const int K3 = K1 - 2;
      double RES = EPSTAB[K1 + 2];
      const double E0 = EPSTAB[K3];
      const double E1 = EPSTAB[K2];
      const double E2 = RES;
      const double E1ABS = std::fabs(E1);
      const double DELTA2 = E2 - E1;
      const double ERR2 = std::fabs(DELTA2);
      const double TOL2 = std::max(std::fabs(E2), E1ABS) * EPMACH;
      const double DELTA3 = E1 - E0;
      const double ERR3 = std::fabs(DELTA3);
      const double TOL3 = std::max(E1ABS, std::fabs(E0)) * EPMACH;
      if (!(ERR2 > TOL2 || ERR3 > TOL3)) {
        // E0, E1 and E2 agree to machine accuracy: convergence is assumed.
        RESULT = RES;
        ABSERR = ERR2 + ERR3;
        converged = true;  // go to 100
        break;
      }
      /* 10 */ const double E3 = EPSTAB[K1];
      EPSTAB[K1] = E1;
      const double DELTA1 = E1 - E3;
      const double ERR1 = std::fabs(DELTA1);
      const double TOL1 = std::max(E1ABS, std::fabs(E3)) * EPMACH;
      // Two elements very close to each other, or irregular behaviour in the table: omit a
      // part of the table by adjusting N.
      bool omit = (ERR1 <= TOL1 || ERR2 <= TOL2 || ERR3 <= TOL3);
      // The reciprocals of the differences, their sum or its reciprocal leave the double range
      // when the table holds values near the subnormal range (an integrand that has decayed
      // almost to nothing, such as an inner integral far out in the outer variable): 1/DELTA
      // or the sum would overflow and a sum of infinities be invalid, though the table itself
      // is sound. Such a step is taken in extended precision, where every one of these stays
      // finite; all other steps keep the published double arithmetic bit for bit.
      const double TINY = 1.0 / OFLOW;
      const long double BIG = 0.25L * OFLOW;
      bool wide = false;
      double SS = 0.0;
      long double SSX = 0.0L;
      if (!omit) {
        // No difference is zero here (each exceeds its tolerance), so the reciprocals exist.
        SSX = 1.0L / DELTA1 + 1.0L / DELTA2 - 1.0L / DELTA3;
        wide = std::fabs(DELTA1) < 4 * TINY || std::fabs(DELTA2) < 4 * TINY ||
               std::fabs(DELTA3) < 4 * TINY || !(std::fabs(SSX) < BIG) ||
               !(std::fabs(SSX) > 4 * TINY) || !(std::fabs(SSX * E1) < BIG);
        if (!wide) {
          SS = 1.0 / DELTA1 + 1.0 / DELTA2 - 1.0 / DELTA3;
          const double EPSINF = std::fabs(SS * E1);
          omit = !(EPSINF > 0.1e-03);
        } else {
          const long double EPSINF = std::fabs(SSX * E1);
          omit = !(EPSINF > 0.1e-03L);
        }
      }
      if (omit) {
        /* 20 */ N = I + I - 1;
        break;  // go to 50
      }
      // A new element, and possibly a better result.
      /* 30 */ RES = wide ? static_cast<double>(E1 + 1.0L / SSX) : E1 + 1.0 / SS;
      EPSTAB[K1] = RES;
      K1 = K1 - 2;
      const double ERROR = ERR2 + std::fabs(RES - E2) + ERR3;
      if (!(ERROR > ABSERR)) {
        ABSERR = ERROR;
        RESULT = RES;
      }
    } /* 40 */
    if (!converged) {
      // Shift the table.
      /* 50 */ if (N == LIMEXP) N = 2 * (LIMEXP / 2) - 1;
      int IB = 1;
      if ((NUM / 2) * 2 == NUM) IB = 2;
      const int IE = NEWELM + 1;
      for (int I = 1; I <= IE; ++I) {
        const int IB2 = IB + 2;
        EPSTAB[IB] = EPSTAB[IB2];
        IB = IB2;
      } /* 60 */
      if (NUM != N) {
        int INDX = NUM - N + 1;
        for (int I = 1; I <= N; ++I) {
          EPSTAB[I] = EPSTAB[INDX];
          INDX = INDX + 1;
        } /* 70 */
      }
      /* 80 */ if (NRES < 4) {
        RES3LA[NRES] = RESULT;
        ABSERR = OFLOW;
      } else {
        // Error estimate from the last three results.
        /* 90 */ ABSERR = std::fabs(RESULT - RES3LA[3]) + std::fabs(RESULT - RES3LA[2]) + std::fabs(RESULT - RES3LA[1]);
        RES3LA[1] = RES3LA[2];
        RES3LA[2] = RES3LA[3];
        RES3LA[3] = RESULT;
      }
    }
  }
  /* 100 */ ABSERR = std::max(ABSERR, 0.5e+01 * EPMACH * std::fabs(RESULT));
}

// Maintains the descending order of the error estimates. Only the part of the list that can
// still be bisected before LIMIT is reached (JUPBN entries) is kept ordered.
void QPSRT(int limit, int LAST, int& MAXERR, double& ERMAX, const double* ELIST, int* IORD, int& NRMAX) {
  if (LAST <= 2) {
    IORD[1] = 1;
    IORD[2] = 2;
  } else {
    // Only when a difficult integrand made a subdivision increase the error does the
    // insertion start above the NRMAX-th largest estimate.
    /* 10 */ const double ERRMAX = ELIST[MAXERR];
    if (NRMAX != 1) {
      const int IDO = NRMAX - 1;
      for (int I = 1; I <= IDO; ++I) {
        const int ISUCC = IORD[NRMAX - 1];
        if (ERRMAX <= ELIST[ISUCC]) break;  // go to 30
        IORD[NRMAX] = ISUCC;
        NRMAX = NRMAX - 1;
      } /* 20 */
    }
    // Number of elements to keep in descending order.
    /* 30 */ int JUPBN = LAST;
    if (LAST > (limit / 2 + 2)) JUPBN = limit + 3 - LAST;
    const double ERRMIN = ELIST[LAST];

    // Insert ERRMAX by traversing the list top-down.
    const int JBND = JUPBN - 1;
    const int IBEG = NRMAX + 1;
    int I = IBEG;
    bool found = false;
    if (IBEG <= JBND) {
      for (I = IBEG; I <= JBND; ++I) {
        const int ISUCC = IORD[I];
        if (ERRMAX >= ELIST[ISUCC]) {
          found = true;  // go to 60
          break;
        }
        IORD[I - 1] = ISUCC;
      } /* 40 */
    }
    if (!found) {
      /* 50 */ IORD[JBND] = MAXERR;
      IORD[JUPBN] = LAST;
    } else {
      // Insert ERRMIN by traversing the list bottom-up.
      /* 60 */ IORD[I - 1] = MAXERR;
      int K = JBND;
      bool placed = false;
      for (int J = I; J <= JBND; ++J) {
        const int ISUCC = IORD[K];
        if (ERRMIN < ELIST[ISUCC]) {
          placed = true;  // go to 80
          break;
        }
        IORD[K + 1] = ISUCC;
        K = K - 1;
      } /* 70 */
      if (placed)
        /* 80 */ IORD[K + 1] = LAST;
      else
        IORD[I] = LAST;
    }
  }
  // Set MAXERR and ERMAX.
  /* 90 */ MAXERR = IORD[NRMAX];
  ERMAX = ELIST[MAXERR];
}

}  // namespace veldo
