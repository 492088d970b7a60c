#!/usr/bin/python3
"""Reference values for the large-order Bessel tests (tests/bessel/bessel_test.cpp).

Writes, next to this script:
  large_order_ijk.csv   I, J, K of complex argument, orders 0..200 (integer and fractional),
                        N = 1..5 members, |z| from 1e-3 to 1000 in all four quadrants, KODE 1, 2
  large_order_airy.csv  Ai(z), Ai'(z) of complex argument, KODE 1 and 2
  large_order_limits.csv the routing cases of the large-order branches and calls on both sides
                        of the overflow and underflow limits of the published routines

All values come from mpmath (besseli, besselj, besselk, airyai) at 60 significant digits and are
kept only when a second evaluation at 90 digits agrees to 1e-30 and every member of the row is a
normal double far from overflow and underflow (1e-290 < |value| < 1e290). Inputs are doubles
written with 17 significant digits, so they are read back exactly; the references are the values
at those exact inputs. The column `cond` is the condition number |z f'(z)/f(z)| of the member,
the factor by which a relative error in z (or in an argument reduction) grows in the result.

Run:  /usr/bin/python3 tests/data/bessel/large_order_make.py
"""
import os
import random
import sys

import mpmath as mp

HERE = os.path.dirname(os.path.abspath(__file__))


def scaled(func, nu, z, kode):
    """The member the routines return: f(nu, z), or its KODE = 2 scaled form."""
    if mp.im(z) == 0 and mp.re(z) > 0:
        # real on the positive axis: drop the rounding noise of the complex evaluation
        return mp.re(scaled_complex(func, nu, z, kode))
    return scaled_complex(func, nu, z, kode)


def scaled_complex(func, nu, z, kode):
    if func == "I":
        v = mp.besseli(nu, z)
        return v if kode == 1 else v * mp.exp(-abs(mp.re(z)))
    if func == "J":
        v = mp.besselj(nu, z)
        return v if kode == 1 else v * mp.exp(-abs(mp.im(z)))
    v = mp.besselk(nu, z)
    return v if kode == 1 else v * mp.exp(z)


def cond(func, nu, z):
    """|z f'(z) / f(z)| from the standard recurrences for the derivative."""
    if func == "I":
        f, d = mp.besseli(nu, z), mp.besseli(nu + 1, z) + nu / z * mp.besseli(nu, z)
    elif func == "J":
        f, d = mp.besselj(nu, z), -mp.besselj(nu + 1, z) + nu / z * mp.besselj(nu, z)
    else:
        f, d = mp.besselk(nu, z), -mp.besselk(nu + 1, z) + nu / z * mp.besselk(nu, z)
    return abs(z * d / f)


def representable(v):
    a = abs(v)
    return mp.mpf("1e-290") < a < mp.mpf("1e290")


def ijk_rows(rng):
    orders = [0.0, 0.25, 1.0, 2.0, 3.5, 7.0, 12.75, 30.0, 50.5, 85.0, 86.5, 100.0, 133.25, 200.0]
    moduli = [1e-3, 0.1, 1.0, 2.5, 6.0, 15.0, 30.0, 60.0, 120.0, 300.0, 1000.0]
    # angles inside all four quadrants, both sides of the region boundary |Im| = 1.7321 |Re|
    angles = [0.0, 0.35, 0.9, 1.2, 1.5, 1.75, 2.3, 2.9, -0.25, -0.8, -1.15, -1.45, -2.0, -2.75]
    # Fixed calls first, one per method of the large-order code and scaling (KODE 1, 2), with
    # complex z in more than one quadrant: the Wronskian region (|z| between RL and FNUL,
    # 2|z| < order^2), the Debye and Airy sectors above FNUL, orders raised to FNUL (|z| > FNUL
    # with a small order), and K continued to Re z < 0 at large order, also where |z| > order
    # makes the I term of the continuation dominate.
    fixed = []
    for func in "IJK":
        for kode in (1, 2):
            for nu, r, th in [(30.0, 40.0, 0.5), (30.0, 40.0, -2.5), (12.75, 70.0, 1.3),
                              (100.0, 60.0, 0.4), (100.0, 60.0, -1.3), (40.0, 120.0, 2.2),
                              (95.5, 50.0, 2.8), (120.0, 90.0, -1.9), (90.0, 200.0, 2.9),
                              (120.0, 300.0, 2.0), (150.0, 400.0, -2.7)]:
                fixed.append((func, nu, 3, r, th, kode))
    # Near the turning point |z| = order, where the Airy-type expansion takes its power-series
    # form in w^2 = 1 - (z/order)^2 (the GAMA, ALFA, BETA tables): J on the real axis and I, K
    # on the imaginary axis, both sides of order = |z|.
    for func, th in [("J", 0.0), ("I", 1.5707963267948966), ("K", -1.5707963267948966)]:
        for nu, r in [(100.0, 100.0), (100.0, 92.5), (150.5, 160.0), (200.0, 201.5)]:
            fixed.append((func, nu, 2, r, th, 1 if nu != 150.5 else 2))
    seen, rows = set(), []
    tries = 0
    while len(seen) < 220 and tries < 20000:
        tries += 1
        if fixed:
            func, nu, n, r, th, kode = fixed.pop(0)
        else:
            func = rng.choice("IJK")
            nu = rng.choice(orders)
            n = rng.choice([1, 1, 2, 3, 5])
            r = rng.choice(moduli) * rng.choice([1.0, 1.37])
            th = rng.choice(angles)
            kode = rng.choice([1, 2])
        zr = float(r * mp.cos(th))
        zi = float(r * mp.sin(th))
        if abs(zi) < 1e-300:
            zi = 0.0
        key = (func, nu, n, zr, zi, kode)
        if key in seen:
            continue
        z = mp.mpc(zr, zi)
        vals = []
        ok = True
        for k in range(n):
            with mp.workdps(60):
                v = scaled(func, mp.mpf(nu) + k, z, kode)
            with mp.workdps(90):
                w = scaled(func, mp.mpf(nu) + k, z, kode)
            if not representable(w) or abs(v - w) > mp.mpf("1e-30") * abs(w):
                ok = False
                break
            with mp.workdps(40):
                c = cond(func, mp.mpf(nu) + k, z)
            vals.append((k + 1, w, c))
        if not ok:
            continue
        seen.add(key)
        for k, w, c in vals:
            rows.append((func, kode, n, nu, zr, zi, k, w, c))
    return rows


def airy_rows():
    rows = []
    # |z| = 1 is the switch from the power series to the K functions of order 1/3 and 2/3
    moduli = [0.0, 1e-20, 0.3, 1.0, 1.001, 2.5, 20.0, 200.0]
    angles = [0.0, 1.1, 2.6, -0.4, -1.9, -3.05]
    for r in moduli:
        for th in angles:
            if r == 0.0 and th != 0.0:
                continue
            zr = float(r * mp.cos(th))
            zi = float(r * mp.sin(th))
            z = mp.mpc(zr, zi)
            for did in (0, 1):
                for kode in (1, 2):
                    def val():
                        a = mp.airyai(z, derivative=did)
                        if kode == 2:
                            a *= mp.exp(mp.mpf(2) / 3 * z * mp.sqrt(z))
                        return a
                    with mp.workdps(60):
                        v = val()
                    with mp.workdps(90):
                        w = val()
                    if not representable(w) or abs(v - w) > mp.mpf("1e-30") * abs(w):
                        continue
                    with mp.workdps(40):
                        # |z f'/f| with Ai'' = z Ai
                        if r == 0.0:
                            c = mp.mpf(0)
                        elif did == 0:
                            c = abs(z * mp.airyai(z, derivative=1) / mp.airyai(z))
                        else:
                            c = abs(z * z * mp.airyai(z) / mp.airyai(z, derivative=1))
                    rows.append(("Ai" if did == 0 else "Aip", kode, did, zr, zi, w, c))
    return rows


# The limits of the published routines with this program's machine constants.
ELIM = 2.303 * (1021 * 0.30103 - 3.0)          # 700.92180389, exp(-ELIM) = 1000 D1MACH(1)
TOL = 2.220446e-16
DENORM = mp.mpf(2) ** -1074


def expo_i(nu, x):
    """Re(ZETA2 - ZETA1) of the Debye expansion of I(nu, x), x > 0 (ZUNIK): the exponent
    ZUOIK and ZUNI1 compare with ELIM before any refinement."""
    t = x / nu
    sq = mp.sqrt(1 + t * t)
    return nu * sq - nu * mp.log((1 + sq) / t)


def lead_i(nu, x):
    """The refined estimate ln|leading term| = Re(ZETA2 - ZETA1) + ln|PHI|,
    PHI = (2 pi nu s)^(-1/2), s = sqrt(1 + (x/nu)^2), used between ALIM and ELIM."""
    t = x / nu
    sq = mp.sqrt(1 + t * t)
    return expo_i(nu, x) - mp.log(2 * mp.pi * nu * sq) / 2


def lead_k(nu, x):
    """The same for K(nu, x): -Re(ZETA2 - ZETA1) + ln|PHI|, PHI = sqrt(pi/2) (nu s)^(-1/2)."""
    t = x / nu
    sq = mp.sqrt(1 + t * t)
    return -expo_i(nu, x) + mp.log(mp.pi / (2 * nu * sq)) / 2


def airy_test(z):
    """ZAIRY's exponent test for KODE = 1: |Re zeta| + ln|z|/4, zeta = (2/3) z^(3/2)."""
    zeta = mp.mpf(2) / 3 * z * mp.sqrt(z)
    return abs(mp.re(zeta)) + mp.log(abs(z)) / 4


def airy_k(z):
    """ln|K(1/3, zeta)|: ZBKNU's underflow test on the K function behind Ai for Re z > 0."""
    zeta = mp.mpf(2) / 3 * z * mp.sqrt(z)
    return mp.log(abs(mp.besselk(mp.mpf(1) / 3, zeta)))


def side(f, level, delta, x0):
    """A double x with f(x) = level + delta (delta small, the side of the limit)."""
    u = mp.findroot(lambda u: f(mp.exp(u)) - (level + delta), mp.log(x0))
    return float(mp.exp(u))


def limit_rows():
    mp.mp.dps = 40
    rows = []   # (case, func, kode, n, fnu, zr, zi, nz, ierr, values)

    def bessel(case, func, kode, n, nu, zr, zi, nz, ierr):
        z = mp.mpc(zr, zi)
        vals = []
        for k in range(n):
            if ierr not in (0, 3) or (func in "IJ" and k >= n - nz) or (func == "K" and k < nz):
                vals.append((mp.mpc(0), mp.mpf(0)))
                continue
            with mp.workdps(60):
                w = scaled(func, mp.mpf(nu) + k, z, kode)
            with mp.workdps(40):
                c = cond(func, mp.mpf(nu) + k, z)
            vals.append((w, c))
        rows.append((case, func, kode, n, nu, zr, zi, nz, ierr, vals))

    def airy(case, r, th, nz, ierr):
        zr, zi = float(r * mp.cos(th)), float(r * mp.sin(th))
        z = mp.mpc(zr, zi)
        vals = []
        for did in (0, 1):
            if nz or ierr:
                vals.append((mp.mpc(0), mp.mpf(0)))
                continue
            with mp.workdps(60):
                w = mp.airyai(z, derivative=did)
            c = abs(z) ** 1.5
            vals.append((w, c))
        rows.append((case, "A", 1, 2, 0.0, zr, zi, nz, ierr, vals))

    # The five routing cases of the large-order branches.
    bessel("route-ZUNI1", "I", 1, 1, 100.0, 30.0, 0.0, 0, 0)
    bessel("route-ZWRSK", "I", 1, 1, 50.0, 30.0, 0.0, 0, 0)
    bessel("route-ZUNI2", "I", 1, 1, 100.0, 0.0, 30.0, 0, 0)
    bessel("route-ZUNK1", "K", 1, 1, 100.0, 1.0, 0.0, 0, 0)
    bessel("route-ZUOIK-K", "K", 1, 1, 2.5, 1.0, 0.0, 0, 0)
    # Order above the half-precision limit sqrt(min(0.5/TOL, I1MACH(9)/2)) = 32767.99999:
    # IERR = 3 with values, near the transition point where I stays on scale.
    bessel("I-order-half-precision", "I", 1, 1, 40000.0, 26500.0, 0.0, 0, 3)
    # Overflow (IERR = 2): the exponent Re(ZETA2 - ZETA1) itself passes ELIM; the refinement
    # by ln|PHI| < 0 only applies between ALIM and ELIM and cannot move an overflow.
    # I at order 100 (ZUOIK, then ZBUNI/ZUNI1 for the values).
    x = side(lambda x: expo_i(100, x), ELIM, -0.01, 650)
    bessel("I-overflow-below", "I", 1, 1, 100.0, x, 0.0, 0, 0)
    x = side(lambda x: expo_i(100, x), ELIM, 0.01, 650)
    bessel("I-overflow-above", "I", 1, 1, 100.0, x, 0.0, 0, 2)
    bessel("I-overflow-above-scaled", "I", 2, 2, 100.0, x, 0.0, 0, 0)
    # Underflow: members whose refined estimate is below -ELIM are zero and counted in NZ.
    # I at order 1000; with N = 3 the last member only.
    x = side(lambda x: lead_i(1000, x), -ELIM, 0.01, 300)
    bessel("I-underflow-above", "I", 1, 1, 1000.0, x, 0.0, 0, 0)
    x = side(lambda x: lead_i(1000, x), -ELIM, -0.01, 300)
    bessel("I-underflow-below", "I", 1, 1, 1000.0, x, 0.0, 1, 0)
    d = lead_i(1000, 300) - lead_i(1002, 300)
    x = side(lambda x: lead_i(1000, x), -ELIM, d / 2, 300)
    nz = sum(1 for k in range(3) if lead_i(1000 + k, mp.mpf(x)) < -ELIM)
    bessel("I-underflow-straddle", "I", 1, 3, 1000.0, x, 0.0, nz, 0)
    # K at order 100 (ZBUNK, ZUNK1): overflow for small x, underflow for large x; with N = 2
    # the first member only (K grows with the order).
    x = side(lambda x: -expo_i(100, x), ELIM, 0.01, 0.065)
    bessel("K-overflow-above", "K", 1, 1, 100.0, x, 0.0, 0, 2)
    x = side(lambda x: -expo_i(100, x), ELIM, -0.01, 0.065)
    bessel("K-overflow-below", "K", 1, 1, 100.0, x, 0.0, 0, 0)
    x = side(lambda x: lead_k(100, x), -ELIM, 0.01, 700)
    bessel("K-underflow-above", "K", 1, 1, 100.0, x, 0.0, 0, 0)
    x = side(lambda x: lead_k(100, x), -ELIM, -0.01, 700)
    bessel("K-underflow-below", "K", 1, 1, 100.0, x, 0.0, 1, 0)
    d = lead_k(101, 700) - lead_k(100, 700)
    x = side(lambda x: lead_k(100, x), -ELIM, -d / 2, 700)
    bessel("K-underflow-straddle", "K", 1, 2, 100.0, x, 0.0, 1, 0)
    # K at order 50 (<= FNUL, FNU + N - 1 > 2): the ZUOIK pre-test on the last member decides
    # before ZBKNU.
    x = side(lambda x: -expo_i(50, x), ELIM, 0.01, 2.7e-5)
    bessel("K50-overflow-above", "K", 1, 1, 50.0, x, 0.0, 0, 2)
    x = side(lambda x: -expo_i(50, x), ELIM, -0.01, 2.7e-5)
    bessel("K50-overflow-below", "K", 1, 1, 50.0, x, 0.0, 0, 0)
    x = side(lambda x: lead_k(51, x), -ELIM, -0.01, 700)
    bessel("K50-underflow-below", "K", 1, 2, 50.0, x, 0.0, 2, 0)
    # Airy, KODE = 1. Left half plane: ZAIRY's own test |Re zeta| + ln|z|/4 > ELIM gives
    # IERR = 2; a little below it (within about 3) the K(1/3, -zeta) of the continuation
    # already underflows and ZACAI reports that as overflow too, so the on-scale row sits 5
    # below. Right half plane: Ai is zero (NZ = 1) once ln|K(1/3, zeta)| < -ELIM (ZBKNU).
    th = 2.6
    for case, delta, ierr in [("Ai-overflow-below", -5.0, 0),
                              ("Ai-overflow-continuation", -0.01, 2),
                              ("Ai-overflow-above", 0.01, 2)]:
        r = side(lambda r: airy_test(r * mp.expj(th)), ELIM, delta, 100)
        airy(case, r, th, 0, ierr)
    th = 0.3
    for case, delta, nz in [("Ai-underflow-above", 0.01, 0), ("Ai-underflow-below", -0.01, 1)]:
        r = side(lambda r: airy_k(r * mp.expj(th)), -ELIM, delta, 100)
        airy(case, r, th, nz, 0)
    return rows


def fmt(x):
    return mp.nstr(x, 20, min_fixed=0, max_fixed=0) if x != 0 else "0"


def main():
    rng = random.Random(644)
    rows = ijk_rows(rng)
    with open(os.path.join(HERE, "large_order_ijk.csv"), "w") as f:
        f.write("# Bessel I, J, K of complex argument for the large-order tests.\n")
        f.write("# Made by large_order_make.py (mpmath %s, 90 digits, checked at 60, seed 644).\n"
                % mp.__version__)
        f.write("# KODE 2 rows hold exp(-|Re z|) I, exp(-|Im z|) J, exp(z) K. One row per member\n")
        f.write("# k (order fnu+k-1) of a call with n members; cond = |z f'(z)/f(z)|.\n")
        f.write("func,kode,n,fnu,zr,zi,k,re,im,cond\n")
        for func, kode, n, nu, zr, zi, k, w, c in rows:
            f.write("%s,%d,%d,%r,%r,%r,%d,%s,%s,%s\n" % (func, kode, n, nu, zr, zi, k,
                    fmt(mp.re(w)), fmt(mp.im(w)), mp.nstr(c, 6)))
    arows = airy_rows()
    with open(os.path.join(HERE, "large_order_airy.csv"), "w") as f:
        f.write("# Airy Ai(z) (id 0) and Ai'(z) (id 1) of complex argument.\n")
        f.write("# Made by large_order_make.py (mpmath %s airyai, 90 digits, checked at 60).\n"
                % mp.__version__)
        f.write("# KODE 2 rows hold exp(zeta) Ai, zeta = (2/3) z^(3/2) on the principal branch.\n")
        f.write("# cond = |z f'(z)/f(z)| of the returned function.\n")
        f.write("func,kode,id,zr,zi,re,im,cond\n")
        for name, kode, did, zr, zi, w, c in arows:
            f.write("%s,%d,%d,%r,%r,%s,%s,%s\n" % (name, kode, did, zr, zi,
                    fmt(mp.re(w)), fmt(mp.im(w)), mp.nstr(c, 6)))
    lrows = limit_rows()
    with open(os.path.join(HERE, "large_order_limits.csv"), "w") as f:
        f.write("# Routing cases of the large-order branches and calls on both sides of the\n")
        f.write("# overflow/underflow limits (ELIM = 2.303 (1021 * 0.30103 - 3)) of the published\n")
        f.write("# routines, placed 0.01 in the logarithm from the limit with the exponents and\n")
        f.write("# leading-term estimates the routines test (expo_i, lead_i, lead_k, airy_test,\n")
        f.write("# airy_k in large_order_make.py). cond = |z f'/f| (Airy: |z|^1.5).\n")
        f.write("# Values from mpmath %s at 60 digits; func A: n = 2 means Ai (k = 1), Ai' (k = 2).\n"
                % mp.__version__)
        f.write("# Expected nz, ierr as the published limits define them; a zero value row is an\n")
        f.write("# exact zero (or not computed: ierr 1, 2, 4, 5).\n")
        f.write("case,func,kode,n,fnu,zr,zi,nz,ierr,k,re,im,cond\n")
        for case, func, kode, n, nu, zr, zi, nz, ierr, vals in lrows:
            for k, (w, c) in enumerate(vals, 1):
                f.write("%s,%s,%d,%d,%r,%r,%r,%d,%d,%d,%s,%s,%s\n" % (
                    case, func, kode, n, nu, zr, zi, nz, ierr, k, fmt(mp.re(w)), fmt(mp.im(w)),
                    mp.nstr(c, 6)))
    print(len(rows), "I/J/K rows,", len(arows), "Airy rows,", len(lrows), "limit cases",
          file=sys.stderr)


if __name__ == "__main__":
    main()
