#!/usr/bin/python3
"""Reference values of e^-x2 times the integral of t*I1(t) from x1 to x2 (CoilIntIScaled), on
the large arguments where the unscaled integral overflows a double, computed with mpmath.

G_I(x) = x I0(x) - int_0^x I0 (DLMF 10.29.1), the running integral as x 1F2(1/2; 1, 3/2; x^2/4)
(term-by-term integration of the power series), all at 60 digits plus x/2.3 for the size of
e^x; the value e^-x2 (G_I(x2) - G_I(x1)) is checked against mpmath.quad of e^-x2 t I1(t) over
[x1, x2] (Gauss-Legendre, pieces of length 1 from max(x1, x2 - 60): the rest is below e^-60).
Arguments are doubles written with repr().

Run:  /usr/bin/python3 tests/data/coilint/gen_coilint_i_scaled.py > tests/data/coilint/coilint_i_scaled.csv
"""
import mpmath as mp

mp.mp.dps = 40


def gi(x):
    with mp.workdps(60 + int(x / 2.3)):
        x = mp.mpf(x)
        v = x * mp.besseli(0, x) - x * mp.hyp1f2(0.5, 1, 1.5, x * x / 4)
    return v


def scaled(x1, x2):
    with mp.workdps(60 + int(x2 / 2.3)):
        return (gi(x2) - gi(x1)) * mp.exp(-mp.mpf(x2))


def check(x1, x2):
    a = max(mp.mpf(x1), mp.mpf(x2) - 60)
    b = mp.mpf(x2)
    n = max(1, int(mp.ceil(b - a)))
    pts = [a + (b - a) * k / n for k in range(n + 1)]
    return mp.quad(lambda t: t * mp.besseli(1, t) * mp.exp(-b), pts, method='gauss-legendre')


print("# e^-x2 times the integral from x1 to x2 of t*I1(t) (CoilIntIScaled).")
print("# Made by tests/data/coilint/gen_coilint_i_scaled.py with mpmath %s (closed form at 60+ digits, "
      "checked against quadrature to 1e-20); arguments are exact doubles (Python repr)." % mp.__version__)
print("x1,x2,ref")
for x2 in (20.0, 100.0, 700.0, 713.0, 720.0, 1000.0, 2500.0):
    for r in (0.0, 0.5, 0.99, 0.999):
        x1 = x2 * r
        v = scaled(x1, x2)
        q = check(x1, x2)
        if abs(v - q) > mp.mpf('1e-20') * abs(v):
            raise SystemExit(f"routes disagree at ({x1!r}, {x2!r}): {v} vs {q}")
        print(f"{x1!r},{x2!r},{mp.nstr(v, 25)}")
