// Placeholders for the large-order routines (uniform asymptotic expansions, the overflow and
// underflow pre-test, the Wronskian normalisation and the Airy function) until their port
// replaces this file. Each reports non-convergence (-2) where the routine has a status, which
// the entry points turn into IERR = 5 with NZ = 0 and no values; outputs are zeroed so that no
// caller ever reads an unset value.
#include "bessel/amos.hpp"

namespace veldo {

void ZUOIK(double, double, double, int, int, int, double*, double*, int& nuf, double, double,
           double) {
  nuf = -2;
}

void ZUNIK(double, double, double, int, int, double, int& init, double& phir, double& phii,
           double& zeta1r, double& zeta1i, double& zeta2r, double& zeta2i, double& sumr,
           double& sumi, double*, double*) {
  init = 0;
  phir = phii = zeta1r = zeta1i = zeta2r = zeta2i = sumr = sumi = 0.0;
}

void ZUNHJ(double, double, double, int, double, double& phir, double& phii, double& argr,
           double& argi, double& zeta1r, double& zeta1i, double& zeta2r, double& zeta2i,
           double& asumr, double& asumi, double& bsumr, double& bsumi) {
  phir = phii = argr = argi = zeta1r = zeta1i = zeta2r = zeta2i = 0.0;
  asumr = asumi = bsumr = bsumi = 0.0;
}

void ZUNI1(double, double, double, int, int, double*, double*, int& nz, int& nlast, double,
           double, double, double) {
  nz = -2;
  nlast = 0;
}

void ZUNI2(double, double, double, int, int, double*, double*, int& nz, int& nlast, double,
           double, double, double) {
  nz = -2;
  nlast = 0;
}

void ZBUNI(double, double, double, int, int, double*, double*, int& nz, int, int& nlast, double,
           double, double, double) {
  nz = -2;
  nlast = 0;
}

void ZUNK1(double, double, double, int, int, int, double*, double*, int& nz, double, double,
           double) {
  nz = -2;
}

void ZUNK2(double, double, double, int, int, int, double*, double*, int& nz, double, double,
           double) {
  nz = -2;
}

void ZBUNK(double, double, double, int, int, int, double*, double*, int& nz, double, double,
           double) {
  nz = -2;
}

void ZAIRY(double, double, int, int, double& air, double& aii, int& nz, int& ierr) {
  air = aii = 0.0;
  nz = 0;
  ierr = 5;
}

void ZACAI(double, double, double, int, int, int, double*, double*, int& nz, double, double,
           double, double) {
  nz = -2;
}

void ZWRSK(double, double, double, int, int, double*, double*, int& nz, double*, double*, double,
           double, double) {
  nz = -2;
}

void ZRATI(double, double, double, int n, double* cyr, double* cyi, double) {
  for (int i = 1; i <= n; ++i) {
    cyr[i] = 0.0;
    cyi[i] = 0.0;
  }
}

}  // namespace veldo
