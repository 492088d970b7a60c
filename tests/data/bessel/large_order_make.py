#!/usr/bin/python3
"""Reference values for the large-order Bessel tests (tests/bessel/test_large_order*.cpp).

Writes, next to this script:
  large_order_ijk.csv   I, J, K of complex argument, orders 0..200 (integer and fractional),
                        N = 1..5 members, |z| from 1e-3 to 1000 in all four quadrants, KODE 1, 2
  large_order_airy.csv  Ai(z), Ai'(z) of complex argument, KODE 1 and 2

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
    seen, rows = set(), []
    tries = 0
    while len(seen) < 170 and tries < 20000:
        tries += 1
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
    print(len(rows), "I/J/K rows,", len(arows), "Airy rows", file=sys.stderr)


if __name__ == "__main__":
    main()
