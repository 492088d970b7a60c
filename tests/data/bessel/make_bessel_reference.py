#!/usr/bin/python3
"""Reference values of the complex Bessel functions I, J, K for the tests of bessel/.

Made with mpmath at 40 significant digits, independently of the code under test. Every
argument is a double (written with 17 significant digits, read back exactly), so input
rounding never counts as error; the reference is the exact function value at that double,
rounded once to the nearest double.

Columns: group, func (I, J or K), fnu (order), kode (1 plain, 2 scaled), zr, zi (argument),
re, im (value; for kode 2: exp(-|Re z|) I, exp(-|Im z|) J, exp(z) K), scale (the magnitude
against which an error is measured: |value|, except for J on the real axis where it is the
envelope |H1(x)| = sqrt(J^2 + Y^2), scaled like the value, because J has zeros there).

Run:  /usr/bin/python3 tests/data/bessel/make_bessel_reference.py   (from the repository root)
"""
import math
import os

import mpmath as mp

mp.mp.dps = 40
HERE = os.path.dirname(os.path.abspath(__file__))

RL = 21.784272
K_SWITCH = 28.666667156743088


def value(func, nu, z, kode):
    z = mp.mpc(z)
    if func == "I":
        v = mp.besseli(nu, z)
        if kode == 2:
            v *= mp.exp(-abs(z.real))
    elif func == "J":
        v = mp.besselj(nu, z)
        if kode == 2:
            v *= mp.exp(-abs(z.imag))
    else:
        v = mp.besselk(nu, z)
        if kode == 2:
            v *= mp.exp(z)
    return v


def scale_of(func, nu, z, kode, v):
    if func == "J" and z.imag == 0.0 and z.real > 0.0:
        x = mp.mpf(z.real)
        return mp.sqrt(mp.besselj(nu, x) ** 2 + mp.bessely(nu, x) ** 2)
    return abs(v)


def row(group, func, nu, z, kode):
    v = value(func, nu, z, kode)
    s = scale_of(func, nu, z, kode, v)
    return "%s,%s,%r,%d,%r,%r,%r,%r,%r" % (
        group, func, float(nu), kode, float(z.real), float(z.imag),
        float(v.real), float(v.imag), float(s))


def logspace(lo, hi, k):
    return [10.0 ** (lo + (hi - lo) * i / (k - 1)) for i in range(k)]


def write(name, header_lines, rows):
    with open(os.path.join(HERE, name), "w") as f:
        for line in header_lines:
            f.write("# " + line + "\n")
        f.write("group,func,fnu,kode,zr,zi,re,im,scale\n")
        for r in rows:
            f.write(r + "\n")


def main():
    common = [
        "Made by tests/data/bessel/make_bessel_reference.py with mpmath %s at %d digits."
        % (mp.__version__, mp.mp.dps),
        "Arguments are doubles; values are the exact function at that double, rounded once.",
    ]

    # 1. I0, I1, K0, K1 on the rays the models use: arg z from 0 to pi/4, |z| from 1e-6 to 700.
    radii = logspace(-6.0, math.log10(700.0), 36)
    radii += [0.5, 1.0, 2.0, 2.5, 5.0, 10.0, 20.0, RL, 25.0, K_SWITCH, 30.0, 50.0, 100.0,
              300.0, 664.87165521, 680.0, 700.0]
    radii = sorted(set(radii))
    rows = []
    for j in range(5):
        a = j * math.pi / 16.0
        for r in radii:
            z = complex(r * math.cos(a), r * math.sin(a))
            for kode in (1, 2):
                for func in ("I", "K"):
                    for nu in (0, 1):
                        rows.append(row("ray%d" % j, func, nu, z, kode))
    write("rays.csv", common + [
        "I0, I1, K0, K1 at z = r(cos a, sin a), a = j*pi/16 (j = 0..4, group rayj),",
        "r from 1e-6 to 700 (log-spaced) plus the region boundaries; KODE 1 and 2."], rows)

    # 2. The positive real axis: J0, J1, I0, I1, K0, K1, and the region switches straddled.
    xs = sorted(set(logspace(-6.0, math.log10(700.0), 60) + [1.0, 2.0, 3.0, 10.0, 100.0]))
    rows = []
    for x in xs:
        for kode in (1, 2):
            for func in ("J", "I", "K"):
                for nu in (0, 1):
                    rows.append(row("real", func, nu, complex(x, 0.0), kode))
    for b in (2.0, 2.0 * math.sqrt(2.0), RL, K_SWITCH):
        for x in (math.nextafter(b, 0.0), b, math.nextafter(b, math.inf)):
            for func in ("J", "I", "K"):
                for nu in (0, 1):
                    rows.append(row("boundary", func, nu, complex(x, 0.0), 1))
                    rows.append(row("boundary", func, nu, complex(0.0, x), 1))
    write("real_axis.csv", common + [
        "group real: J0, J1, I0, I1, K0, K1 on the positive real axis, x from 1e-6 to 700;",
        "group boundary: x just below, at and just above |z| = 2, 2 sqrt 2, RL = 21.784272 and",
        "28.666667156743088, on the real and on the imaginary axis (std::nextafter neighbours)."],
        rows)

    # 3. Left half plane (K by analytic continuation, I by reflection) and fractional orders.
    rows = []
    for r in (0.5, 1.5, 3.0, 10.0, 25.0, 40.0):
        for a in (5 * math.pi / 8, 3 * math.pi / 4, 7 * math.pi / 8, -3 * math.pi / 4,
                  -7 * math.pi / 8):
            z = complex(r * math.cos(a), r * math.sin(a))
            for kode in (1, 2):
                for func in ("K", "I"):
                    for nu in (0, 1):
                        rows.append(row("left", func, nu, z, kode))
    for nu in (0.25, 1.0 / 3.0, 0.5, 0.75, 1.0e-3):
        for r in (0.1, 1.0, 2.5, 10.0, 30.0):
            for a in (0.0, math.pi / 6, math.pi / 3):
                z = complex(r * math.cos(a), r * math.sin(a))
                for func in ("I", "J", "K"):
                    rows.append(row("fractional", func, nu, z, 1))
                    rows.append(row("fractional", func, nu + 1.0, z, 1))
    write("left_fractional.csv", common + [
        "group left: K0, K1 (continuation) and I0, I1 (reflection) for Re z < 0, KODE 1 and 2;",
        "group fractional: I, J, K of orders 0.25, 1/3, 0.5, 0.75, 0.001 and those plus one,",
        "KODE 1."], rows)

    # 4. Single points of the status and underflow tests.
    rows = []
    for nu in (0, 1):
        for z in (complex(710.0, 0.0), complex(705.0, 300.0)):
            rows.append(row("scaled_overflow", "I", nu, z, 2))
        rows.append(row("scaled_overflow", "J", nu, complex(300.0, 705.0), 2))
        rows.append(row("tiny_k", "K", nu, complex(1.2e-308, 0.0), 1))
        for x in (32768.0, 1073741823.5):
            rows.append(row("range", "K", nu, complex(x, 0.0), 2))
    # K0 crosses exp(-ELIM) at x0; a little beyond, K0 underflows in the exp(z)-scaled
    # recurrence while K1 (larger by about 1/(2x)) stays on scale: NZ = 1 for N = 2.
    elim = mp.mpf("700.92180389")
    x0 = mp.findroot(lambda x: mp.log(mp.besselk(0, x)) + elim, 695)
    x = float(x0) + 3.0e-4
    for nu in (0, 1):
        rows.append(row("nz1", "K", nu, complex(x, 0.0), 1))
    write("edges.csv", common + [
        "Single points of the status tests: scaled values where the plain ones overflow",
        "(scaled_overflow), K at |z| = 1.2e-308 (tiny_k), K at the range limits (range), and",
        "K0, K1 just past the point where ln K0(x) = -ELIM = -700.92180389 (nz1)."], rows)


if __name__ == "__main__":
    main()
