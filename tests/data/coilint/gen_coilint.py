#!/usr/bin/python3
"""Reference values for the coil-integral unit (coilint/), computed with mpmath.

Writes, beside this script:
  runint.csv   integrals from 0 to x of J0, I0, K0 (J0INT, I0INT, K0INT)
  coilint.csv  integrals from x1 to x2 of t*J1(t), t*I1(t), t*K1(t) (CoilIntJ, I, K)

Every argument is a double and is written with repr(), so the C++ side reads back exactly the
number mpmath worked with: input rounding never counts as error. Each reference is computed
twice by independent routes (a closed form and mpmath.quad of the integrand) and the script
stops if they disagree beyond 1e-25 relative.

Column `cond` bounds how much rounding at the level of one unit in the last place of the
ingredients can move the result, relative to it:
  runint:  cond = 1 + x |Z0(x)| / |F(x)|   (F the running integral: its relative condition
           number in x, plus one for the value itself);
  coilint: cond = sum over x in {x1, x2} of (|F(x)| + x |Z0(x)| + x^2 |Z1(x)|) / |ref|
           (the two terms of G(x) = +-(F(x) - x Z0(x)) and the error that the condition of
           Z0 at x carries into x Z0(x)); large where G(x2) and G(x1) nearly cancel.
The tests bound the error by a multiple of eps * cond.

Run:  /usr/bin/python3 tests/data/coilint/gen_coilint.py [runint] [coilint]
      (Debian python3-mpmath; each part takes a few minutes of CPU)
"""
import math
import os
import sys

import mpmath as mp

mp.mp.dps = 32
HERE = os.path.dirname(os.path.abspath(__file__))
EPS = 1.110223e-16  # the unit's eps (short decimal of 2^-53)


def nextafter(x, toward):
    return math.nextafter(x, toward)


def j0int(x):
    x = mp.mpf(x)
    if x == 0:
        return mp.mpf(0)
    # DLMF 10.22.2 with nu = 0: integral of J0 = x J0 + (pi x / 2)(J1 H0 - J0 H1).
    return x * mp.besselj(0, x) + mp.pi * x / 2 * (
        mp.besselj(1, x) * mp.struveh(0, x) - mp.besselj(0, x) * mp.struveh(1, x))


def i0int(x):
    x = mp.mpf(x)
    # Term-by-term integration of the power series: x * 1F2(1/2; 1, 3/2; x^2/4).
    return x * mp.hyp1f2(0.5, 1, 1.5, x * x / 4)


def quad(f, a, b, step, log_at_0=False):
    """Integral of f from a to b, on the unit interval u = (t - a)/(b - a) so that tiny and
    huge ranges look alike to mpmath.quad, in pieces at most `step` long in t."""
    a, b = mp.mpf(a), mp.mpf(b)
    if a == b:
        return mp.mpf(0)
    h = b - a
    n = max(1, int(mp.ceil(h / step)))
    pts = [mp.mpf(k) / n for k in range(n + 1)]
    # Logarithmic terms (K0 and t*K1 at 0) are smooth in log t: a geometric grid toward 0.
    if a == 0 and log_at_0:
        pts = [mp.mpf(0)] + [pts[1] * mp.mpf(4) ** (-k) for k in range(12, 0, -1)] + pts[1:]
    try:
        return h * mp.quad(lambda u: f(a + h * u), pts)
    except ZeroDivisionError:
        # mpmath's error estimate divides by the change between refinement levels; it is
        # exactly 0 when f is constant to working precision (J0, I0 on a tiny range).
        return h * mp.quad(lambda u: f(a + h * u), pts, method='gauss-legendre', maxdegree=3)


def k0int(x):
    x = mp.mpf(x)
    if x == 0:
        return mp.mpf(0)
    # Integral of K0 in modified Struve functions: (pi x / 2)(K0 L_{-1} + K1 L0).
    return mp.pi * x / 2 * (mp.besselk(0, x) * mp.struvel(-1, x) +
                            mp.besselk(1, x) * mp.struvel(0, x))


def gi_struve(x):
    """Integral of t I1(t) from 0 to x in modified Struve functions: (pi x/2)(I1 L0 - I0 L1)."""
    # I1 L0 and I0 L1 both grow like e^(2x) and cancel down to e^x: carry x/2.3 more digits.
    with mp.workdps(mp.mp.dps + int(x / 2.3) + 10):
        x = mp.mpf(x)
        v = mp.pi * x / 2 * (mp.besseli(1, x) * mp.struvel(0, x) -
                             mp.besseli(0, x) * mp.struvel(1, x))
    return +v


def check(name, a, b, tol=mp.mpf('1e-25')):
    if a == b:
        return
    if abs(a - b) > tol * max(abs(a), abs(b)):
        sys.exit(f"{name}: routes disagree: {mp.nstr(a, 25)} vs {mp.nstr(b, 25)}")


Z = {
    'J': (lambda x: mp.besselj(0, x), lambda x: mp.besselj(1, x), j0int),
    'I': (lambda x: mp.besseli(0, x), lambda x: mp.besseli(1, x), i0int),
    'K': (lambda x: mp.besselk(0, x), lambda x: mp.besselk(1, x), k0int),
}


def fmt(v):
    return mp.nstr(v, 25, min_fixed=1, max_fixed=0)


def runint_rows():
    rows = []
    xl_j = math.sqrt(12 * EPS)
    xl_i = math.sqrt(36 * EPS / 3)
    xl_k = math.sqrt(18 * EPS)
    lnmax = math.log(1.7e308)
    xh_i = lnmax + 0.5 * math.log(lnmax) - math.log(0.5)
    xh_k = -math.log(EPS + EPS)
    grid = lambda lo, hi, n: [float(mp.mpf(lo) * (mp.mpf(hi) / lo) ** (mp.mpf(k) / (n - 1)))
                              for k in range(n)]
    groups = {
        'J0INT': {
            'below_xlow': [1e-300, 1e-12, 1e-9, nextafter(xl_j, 0)],
            'series': [xl_j] + grid(1e-7, 16, 30) + [0.5, 1.0, 2.42, 2.46, 2.5, 2.4048255576957727,
                                                      5.5, nextafter(16.0, 0), 16.0],
            'tail': [nextafter(16.0, 100), 16.5, 18.0718, 30.0] + grid(20, 1e4, 30) +
                    [1e5, 1e6, 1e9],
        },
        'I0INT': {
            'below_xlow': [1e-300, 1e-12, 1e-9, nextafter(xl_i, 0)],
            'series': [xl_i] + grid(1e-7, 18, 30) + [1.0, 6.0, 17.22, 17.240000000000002, 17.68,
                                                     nextafter(18.0, 0), 18.0],
            'tail': [nextafter(18.0, 100), 18.5, 25.0] + grid(20, 713, 30) +
                    [700.0, 710.0, nextafter(xh_i, 0)],
        },
        'K0INT': {
            'below_xlow': [1e-300, 1e-12, 1e-9, nextafter(xl_k, 0)],
            'series': [xl_k] + grid(1e-7, 6, 30) + [1.0, 4.75, 4.94, 5.32, 5.48, 5.6000000000000005,
                                                     5.74, 5.76, 5.8, 5.9, nextafter(6.0, 0), 6.0],
            'tail': [nextafter(6.0, 10), 6.5, 10.0] + grid(7, 36, 20) + [nextafter(xh_k, 0)],
            'cap': [xh_k, 40.0, 100.0, 700.0],
        },
    }
    for fname, gs in groups.items():
        key = fname[0]
        z0, _, f = Z[key]
        for g, xs in gs.items():
            for x in xs:
                print(fname, g, x, file=sys.stderr, flush=True)
                ref = f(x)
                if fname == 'K0INT':
                    if x > 8:
                        # pi/2 (the integral over (0, inf), DLMF 10.43.19) minus the tail.
                        # The tail beyond x + 60 is below e^-68.
                        check(fname, ref, mp.pi / 2 - quad(z0, x, x + 60, 10))
                    elif x > 0:
                        # mpmath.quad loses digits on the logarithmic singularity for tiny x.
                        check(fname, ref, quad(z0, 0, x, 2, True),
                              mp.mpf('1e-25') if x >= 1e-3 else mp.mpf('1e-15'))
                elif fname == 'I0INT' and x > 40:
                    # mpmath's I0 is slow at large x: check against the modified Struve form.
                    check(fname, ref, x * z0(x) - gi_struve(x))
                elif x <= 200:
                    check(fname, ref, quad(z0, 0, x, 2))
                cond = 1 + abs(x * z0(x) / ref)
                rows.append((fname, g, repr(x), fmt(ref), mp.nstr(cond, 6)))
    return rows


def coilint_rows():
    rows = []
    ratios = [0.0, 0.25, 0.5, 0.8, 0.95]
    tops = {
        'J': [1e-6, 1e-4, 1e-3, 0.01, 0.1, 0.3, 1.0, 2.0, 2.4048255576957727, 3.8317, 5.0,
              10.0, 16.0, 17.0, 30.0, 50.0, 100.0, 300.0, 1000.0, 3000.0, 1e4],
        'I': [1e-6, 1e-4, 1e-3, 0.01, 0.1, 0.3, 1.0, 2.0, 5.0, 10.0, 18.0, 19.0, 30.0,
              50.0, 100.0, 300.0, 600.0, 700.0],
        'K': [1e-6, 1e-4, 1e-3, 0.01, 0.1, 0.3, 1.0, 2.0, 5.0, 6.0, 7.0, 10.0, 20.0, 30.0,
              36.0, 40.0, 100.0, 300.0, 700.0],
    }
    for key, x2s in tops.items():
        z0, z1, f = Z[key]
        integrand = lambda t: t * z1(t)
        for x2 in x2s:
            for r in ratios:
                x1 = float(r * x2)
                print(key, x1, x2, file=sys.stderr, flush=True)
                # Second route: the closed form G(x2) - G(x1).
                if key == 'J':
                    G = lambda x: j0int(x) - x * z0(x)
                elif key == 'I':
                    G = lambda x: x * z0(x) - i0int(x)
                else:
                    G = lambda x: k0int(x) - x * z0(x) if x > 0 else mp.mpf(0)
                # For K both G values approach pi/2 and their difference falls like e^-x1:
                # carry x2/2.3 more digits through the subtraction.
                with mp.workdps(mp.mp.dps + int(x2 / 2.3) + 10):
                    closed = G(x2) - G(x1)
                closed = +closed
                # mpmath.quad where it is quick and sound: mpmath's I0 and K0 are slow at 32
                # digits, and quad loses digits on the steep e^-t of t*K1 at large t.
                quick = {'J': x2 - x1 <= 100, 'I': x2 <= 40, 'K': x2 <= 5}[key]
                if quick:
                    ref = quad(integrand, x1, x2, 2 if key == 'J' else 4, key == 'K')
                    check('CoilInt' + key, ref, closed, mp.mpf('1e-20'))
                else:
                    # Otherwise the closed form (its running integrals checked against quad in
                    # runint.csv); for I also against a second form in Struve functions.
                    ref = closed
                    if key == 'I':
                        check('CoilIntI', ref, gi_struve(x2) - gi_struve(x1), mp.mpf('1e-20'))
                s = mp.mpf(0)
                for x in (x1, x2):
                    s += abs(f(x)) + abs(x * z0(x)) + x * x * abs(z1(x)) if x > 0 else 0
                rows.append(('CoilInt' + key, repr(x1), repr(x2), fmt(ref),
                             mp.nstr(s / abs(ref), 6)))
    return rows


def write(name, header, rows, note):
    with open(os.path.join(HERE, name), 'w') as out:
        out.write(f"# {note}\n")
        out.write(f"# Made by tests/data/coilint/gen_coilint.py with mpmath {mp.__version__} at "
                  f"{mp.mp.dps} significant digits; arguments are exact doubles (Python repr).\n")
        out.write(",".join(header) + "\n")
        for r in rows:
            out.write(",".join(r) + "\n")


if __name__ == '__main__':
    which = sys.argv[1:] or ['runint', 'coilint']
    if 'runint' in which:
        write('runint.csv', ['func', 'group', 'x', 'ref', 'cond'], runint_rows(),
              "Integral from 0 to x of J0, I0, K0 (closed forms / mpmath.quad, cross-checked).")
    if 'coilint' in which:
        write('coilint.csv', ['func', 'x1', 'x2', 'ref', 'cond'], coilint_rows(),
              "Integral from x1 to x2 of t*J1(t), t*I1(t), t*K1(t) (mpmath.quad or the closed "
              "form G(x2) - G(x1), each checked against the other or a Struve form).")
