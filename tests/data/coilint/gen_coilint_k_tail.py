#!/usr/bin/python3
"""Reference values of the integral of t*K1(t) from x1 to x2 where both ends are large
(x1 from 6 to 800), computed with mpmath at 40 significant digits.

Writes coilint_k_tail.csv beside this script. In this range the integral is a difference of two
exponentially small tails, T(x1) - T(x2) with T(x) = integral of t K1(t) from x to infinity
= x K0(x) + integral of K0(t) from x to infinity (from t K1 = K0 - (t K0)', DLMF 10.29.1).
Each row is computed twice and the script stops if the routes disagree beyond 1e-20 relative:
  1. the closed form T(x) = x K0(x) + pi/2 - (pi x / 2)(K0(x) L_{-1}(x) + K1(x) L0(x)) (the
     integral of K0 from 0 to x in modified Struve functions, DLMF 10.43.2 / 11.2), with
     x/2.3 + 20 extra digits to carry the cancellation of pi/2 against it;
  2. T(x1) - T(x2) with T(x) = e^-x int_0^inf e^{-x (cosh s - 1)} (x + 1/cosh s) ds, from
     K1(t) = int_0^inf e^{-t cosh s} cosh s ds (DLMF 10.32.9) integrated over t from x to
     infinity: an integral of elementary functions, with no cancellation for any x.
Arguments are doubles written with repr(), so the C++ side reads back exactly the number
mpmath worked with.

Column `cond` = (T(x1) + T(x2)) / |T(x1) - T(x2)|: how much a relative error in the two tails
(the well-conditioned ingredients) is magnified in their difference. It is about 1 when x2 is
well above x1 and grows as x2 approaches x1.

Run:  /usr/bin/python3 tests/data/coilint/gen_coilint_k_tail.py > tests/data/coilint/coilint_k_tail.csv
      (Debian python3-mpmath; a few minutes)
"""
import math

import mpmath as mp

mp.mp.dps = 40


def tail(x):
    x = mp.mpf(x)
    T = mp.acosh(1 + 120 / x)  # beyond T the integrand is below e^-120 of its start
    f = lambda s: mp.exp(-x * (mp.cosh(s) - 1)) * (x + 1 / mp.cosh(s))
    return mp.quad(f, [T * k / 8 for k in range(9)]) * mp.exp(-x)


def tail_struve(x):
    with mp.workdps(mp.mp.dps + int(x / 2.3) + 20):
        x = mp.mpf(x)
        k0int = mp.pi * x / 2 * (mp.besselk(0, x) * mp.struvel(-1, x) +
                                 mp.besselk(1, x) * mp.struvel(0, x))
        v = x * mp.besselk(0, x) + mp.pi / 2 - k0int
    return +v


def direct(x1, x2):
    return tail_struve(x1) - tail_struve(x2)


def rows():
    out = []
    x1s = [6.0, math.nextafter(6.0, 7.0), 6.5, 8.0, 10.0, 12.0, 16.0, 20.0, 25.0, 29.5, 30.0,
           33.0, 36.0, 36.04, 36.5, 37.0, 40.0, 45.0, 50.0, 60.0, 75.0, 100.0, 150.0, 200.0,
           300.0, 400.0, 500.0, 600.0, 650.0, 700.0, 720.0, 740.0]
    for x1 in x1s:
        # Coil ratios R2/R1 from a near-touching winding to a wide one, and a far end.
        for r in (1.0001, 1.01, 1.1, 1.5, 3.0, 20.0):
            x2 = x1 * r
            if x2 > 800.0:
                continue
            t1, t2 = tail(x1), tail(x2)
            closed = t1 - t2
            quad = direct(x1, x2)
            if abs(quad - closed) > mp.mpf('1e-20') * abs(closed):
                raise SystemExit(f"routes disagree at ({x1!r}, {x2!r}): {quad} vs {closed}")
            cond = (t1 + t2) / abs(closed)
            out.append((x1, x2, closed, cond))
    return out


def main():
    print("# Integral from x1 to x2 of t*K1(t) for large ends, where it is a difference of two "
          "exponentially small tails.")
    print("# Made by tests/data/coilint/gen_coilint_k_tail.py with mpmath %s at 40 significant "
          "digits (the tails from Struve functions, and from an integral of elementary functions, agreeing to 1e-20); "
          "arguments are exact doubles (Python repr)." % mp.__version__)
    print("x1,x2,ref,cond")
    for x1, x2, ref, cond in rows():
        print(f"{x1!r},{x2!r},{mp.nstr(ref, 30)},{mp.nstr(cond, 6)}")


if __name__ == "__main__":
    main()
