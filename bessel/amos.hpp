// Complex Bessel functions I, J and K of real order and complex argument by Amos' algorithm
// (ACM TOMS 644, double-precision routines), ported routine by routine.
//
// Conventions shared by every routine below:
//  - a complex value is passed as two doubles (real part, imaginary part);
//  - a DOUBLE PRECISION input scalar is a `double`, an output or in/out scalar a `double&`;
//    an INTEGER input is an `int`, an output or in/out one an `int&`;
//  - arrays are `double*` / `int*` indexed 1..n exactly as in the Fortran: element 0 of the
//    caller's storage is never read nor written, so a sequence of N members needs N+1
//    elements. A Fortran call that passes `CY(2)` passes `cy + 1`.
//  - no routine keeps writable global or static state; all are re-entrant and thread-safe.
#pragma once

namespace veldo {

// ---------------------------------------------------------------------------------------
// Entry points.
//
// For k = 1..N, with z = ZR + i*ZI and the member of order FNU+k-1 stored at index k:
//   ZBESI: KODE = 1: I(FNU+k-1, z);  KODE = 2: exp(-|Re z|) * I(FNU+k-1, z)
//   ZBESJ: KODE = 1: J(FNU+k-1, z);  KODE = 2: exp(-|Im z|) * J(FNU+k-1, z)
//   ZBESK: KODE = 1: K(FNU+k-1, z);  KODE = 2: exp(z) * K(FNU+k-1, z)        (z != 0)
// FNU >= 0, KODE in {1, 2}, N >= 1. CYR/CYI need at least N+1 elements (index 0 untouched).
//
// NZ: number of members set to exactly zero by underflow. For I and J these are the last
//     NZ members (indices N-NZ+1..N); for K with Re z >= 0 the first NZ members; for K with
//     Re z < 0 NZ only counts underflows.
// IERR: 0 normal;
//       1 input error (nothing computed, NZ = 0);
//       2 overflow (nothing computed, NZ = 0);
//       3 |z| or FNU+N-1 large: values computed with less than half precision;
//       4 |z| or FNU+N-1 too large: nothing computed, NZ = 0;
//       5 an algorithm did not meet its termination test: nothing computed, NZ = 0.
//
//   double cyr[3] = {}, cyi[3] = {}; int nz, ierr;
//   veldo::ZBESI(zr, zi, 0.0, 1, 2, cyr, cyi, nz, ierr);   // I0 in cy[1], I1 in cy[2]
// ---------------------------------------------------------------------------------------
void ZBESI(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz,
           int& ierr);
void ZBESJ(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz,
           int& ierr);
void ZBESK(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz,
           int& ierr);

// ---------------------------------------------------------------------------------------
// Machine constants of this unit (see amos_mach.cpp for the tables).
// ---------------------------------------------------------------------------------------
double D1MACH(int i);
int I1MACH(int i);

// ---------------------------------------------------------------------------------------
// Elementary complex operations on (real, imaginary) pairs.
// ---------------------------------------------------------------------------------------
double ZABS(double zr, double zi);                                           // |z| without overflow
void ZDIV(double ar, double ai, double br, double bi, double& cr, double& ci);  // c = a / b
void ZMLT(double ar, double ai, double br, double bi, double& cr, double& ci);  // c = a * b
void ZEXP(double ar, double ai, double& br, double& bi);                    // b = exp(a)
void ZSQRT(double ar, double ai, double& br, double& bi);                   // b = principal sqrt(a)
void ZLOG(double ar, double ai, double& br, double& bi, int& ierr);          // b = principal log(a)
void ZSHCH(double zr, double zi, double& cshr, double& cshi, double& cchr, double& cchi);

// ln Gamma(z) for real z > 0; IERR = 1 (and 0 returned) for z <= 0.
double DGAMLN(double z, int& ierr);

// NZ = 1 when y is to be treated as underflowed on the scale ASCLE.
void ZUCHK(double yr, double yi, int& nz, double ascle, double tol);

// ---------------------------------------------------------------------------------------
// I function: driver and small-order methods (Re z >= 0).
// ---------------------------------------------------------------------------------------
void ZBINU(double zr, double zi, double fnu, int kode, int n, double* cyr, double* cyi, int& nz,
           double rl, double fnul, double tol, double elim, double alim);
void ZSERI(double zr, double zi, double fnu, int kode, int n, double* yr, double* yi, int& nz,
           double tol, double elim, double alim);
void ZMLRI(double zr, double zi, double fnu, int kode, int n, double* yr, double* yi, int& nz,
           double tol);
void ZASYI(double zr, double zi, double fnu, int kode, int n, double* yr, double* yi, int& nz,
           double rl, double tol, double elim, double alim);

// ---------------------------------------------------------------------------------------
// K function: right-half-plane driver, underflow rescaling, analytic continuation.
// ---------------------------------------------------------------------------------------
void ZBKNU(double zr, double zi, double fnu, int kode, int n, double* yr, double* yi, int& nz,
           double tol, double elim, double alim);
void ZKSCL(double zrr, double zri, double fnu, int n, double* yr, double* yi, int& nz, double rzr,
           double rzi, double ascle, double tol, double elim);
void ZACON(double zr, double zi, double fnu, int kode, int mr, int n, double* yr, double* yi,
           int& nz, double rl, double fnul, double tol, double elim, double alim);
void ZS1S2(double zrr, double zri, double& s1r, double& s1i, double& s2r, double& s2i, int& nz,
           double ascle, double alim, int& iuf);

// ---------------------------------------------------------------------------------------
// Large-order methods: overflow/underflow pre-tests, the uniform asymptotic expansions and the
// Wronskian normalisation (amos_uniform.cpp); the Airy function and the analytic continuation
// of I (amos_airy.cpp).
// ---------------------------------------------------------------------------------------
void ZUOIK(double zr, double zi, double fnu, int kode, int ikflg, int n, double* yr, double* yi,
           int& nuf, double tol, double elim, double alim);
void ZUNIK(double zrr, double zri, double fnu, int ikflg, int ipmtr, double tol, int& init,
           double& phir, double& phii, double& zeta1r, double& zeta1i, double& zeta2r,
           double& zeta2i, double& sumr, double& sumi, double* cwrkr, double* cwrki);
void ZUNHJ(double zr, double zi, double fnu, int ipmtr, double tol, double& phir, double& phii,
           double& argr, double& argi, double& zeta1r, double& zeta1i, double& zeta2r,
           double& zeta2i, double& asumr, double& asumi, double& bsumr, double& bsumi);
void ZUNI1(double zr, double zi, double fnu, int kode, int n, double* yr, double* yi, int& nz,
           int& nlast, double fnul, double tol, double elim, double alim);
void ZUNI2(double zr, double zi, double fnu, int kode, int n, double* yr, double* yi, int& nz,
           int& nlast, double fnul, double tol, double elim, double alim);
void ZBUNI(double zr, double zi, double fnu, int kode, int n, double* yr, double* yi, int& nz,
           int nui, int& nlast, double fnul, double tol, double elim, double alim);
void ZUNK1(double zr, double zi, double fnu, int kode, int mr, int n, double* yr, double* yi,
           int& nz, double tol, double elim, double alim);
void ZUNK2(double zr, double zi, double fnu, int kode, int mr, int n, double* yr, double* yi,
           int& nz, double tol, double elim, double alim);
void ZBUNK(double zr, double zi, double fnu, int kode, int mr, int n, double* yr, double* yi,
           int& nz, double tol, double elim, double alim);
void ZAIRY(double zr, double zi, int id, int kode, double& air, double& aii, int& nz, int& ierr);
void ZACAI(double zr, double zi, double fnu, int kode, int mr, int n, double* yr, double* yi,
           int& nz, double rl, double tol, double elim, double alim);
void ZWRSK(double zrr, double zri, double fnu, int kode, int n, double* yr, double* yi, int& nz,
           double* cwr, double* cwi, double tol, double elim, double alim);
void ZRATI(double zr, double zi, double fnu, int n, double* cyr, double* cyi, double tol);

}  // namespace veldo
