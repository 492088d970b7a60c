#!/usr/bin/env python3
"""The default sweeps of cases 1 to 6 and 9 computed the way an engineer would write them in
Python: scipy.integrate.quad over [0, inf) (QUADPACK's QAGI, as the C++ code uses) for the
imaginary and then the real part of each Dodd-Deeds integral at the same relative accuracy,
scipy.special for the Bessel functions and the running integrals of the coil factors.

Prints the time per point and, when the C++ benchmark's summary CSV is given, the ratio of the
two. Needs Debian's python3-scipy (run it with /usr/bin/python3); without scipy it says so and
exits 0, so `make bench` runs on machines without it.

    /usr/bin/python3 bench/python/sweep_scipy.py [build/default/bench/app/sweep_summary.csv]
"""
import csv
import math
import sys
import time

try:
    import numpy as np
    from scipy import integrate
    from scipy import special as sp
except ImportError:
    print("scipy comparison skipped: python3-scipy is not installed")
    sys.exit(0)

MU0 = 4e-7 * math.pi
N, R1, R2, L, ACC = 200, 2e-3, 4e-3, 1e-3, 1e-4


def quad_inf(f):
    """int_0^inf f(k) dk at the relative accuracy ACC, as the C++ models run QAGI."""
    return integrate.quad(f, 0.0, np.inf, epsabs=0.0, epsrel=ACC, limit=100)[0]


def complex_integral(kernel):
    """Imaginary part first, then the real part, each its own quadrature of the complex kernel."""
    im = quad_inf(lambda k: kernel(k).imag)
    re = quad_inf(lambda k: kernel(k).real)
    return complex(re, im)


# Coil cross-section integrals int_0^x t Z1(t) dt, by parts from the running integrals of Z0
# (scipy.special.itj0y0, iti0k0): no cancellation between exponentially large terms.
def int_tj1(x):
    return sp.itj0y0(x)[0] - x * sp.j0(x)


def int_ti1(x):
    return x * sp.i0(x) - sp.iti0k0(x)[0]


def int_tk1(x):
    return sp.iti0k0(x)[1] - x * sp.k0(x)


def rod_coil_factor(k, r1, r2, b1):
    """int_{k r1}^{k r2} t K1(t) dt * e^(k b1): the difference of the closed forms near the
    origin, a quadrature of the scaled integrand once it would be lost to rounding."""
    x1, x2, x = k * r1, k * r2, k * b1
    if x1 < 20.0:
        return (int_tk1(x2) - int_tk1(x1)) * math.exp(x)
    return integrate.quad(lambda t: t * sp.kve(1, t) * math.exp(x - t), x1, x2, epsabs=0.0, epsrel=ACC)[0]


def coil_j(k, r1, r2):
    return int_tj1(k * r2) - int_tj1(k * r1)


def air_coil_x0(f, r1=R1, r2=R2):
    def kernel(k):
        if k == 0.0:
            return 0.0
        j = coil_j(k, r1, r2)
        return ((math.expm1(-k * L)) / k + L) * j * j / k**5

    omega = 2 * math.pi * f
    return 2 * math.pi * omega * MU0 * N * N / (L * L * (r2 - r1) ** 2) * quad_inf(kernel)


def planar(f, lo, con1, mr1, d1=None, con2=None, mr2=1.0):
    omega = 2 * math.pi * f

    def kernel(k):
        if k == 0.0:
            return 0j
        j = coil_j(k, R1, R2)
        e = (math.exp(-k * lo) - math.exp(-k * (lo + L))) ** 2
        a1 = np.sqrt(complex(k * k, omega * mr1 * MU0 * con1))
        if d1 is None:
            rho = (k * mr1 - a1) / (k * mr1 + a1)
        else:
            a2 = np.sqrt(complex(k * k, omega * mr2 * MU0 * con2))
            A, B = k * mr1 + a1, k * mr1 - a1
            P, M = a1 * mr2 + a2 * mr1, a1 * mr2 - a2 * mr1
            ex = np.exp(-2 * a1 * d1)
            rho = (A * M * ex + B * P) / (B * M * ex + A * P)
        return rho * e * j * j / k**6

    s = complex_integral(kernel)
    return 1j * math.pi * omega * MU0 * N * N / (L * L * (R2 - R1) ** 2) * s


def cylinder(f, b1, con1, mr1, inside, r1, r2):
    """One-layer bore (inside) or rod, with exponentially scaled Bessel functions so that large k
    neither overflows nor loses the ratio."""
    omega = 2 * math.pi * f

    def kernel(k):
        if k == 0.0 or k * r2 > 700.0:
            return 0j
        a1 = np.sqrt(complex(k * k, omega * mr1 * MU0 * con1))
        x, z = k * b1, a1 * b1
        axial = 1 - math.cos(k * L)
        if inside:
            ic = int_ti1(k * r2) - int_ti1(k * r1)
            num = k * mr1 * sp.kve(0, x) * sp.kve(1, z) - a1 * sp.kve(1, x) * sp.kve(0, z)
            den = k * mr1 * sp.ive(0, x) * sp.kve(1, z) + a1 * sp.ive(1, x) * sp.kve(0, z)
            c = ic * math.exp(-x)
        else:
            num = k * mr1 * sp.ive(0, x) * sp.ive(1, z) - a1 * sp.ive(1, x) * sp.ive(0, z)
            den = k * mr1 * sp.kve(0, x) * sp.ive(1, z) + a1 * sp.kve(1, x) * sp.ive(0, z)
            c = rod_coil_factor(k, r1, r2, b1)
        return num / den * axial * c * c / k**6

    s = complex_integral(kernel)
    return 1j * 4 * omega * MU0 * N * N / (L * L * (r2 - r1) ** 2) * s


def bore_two_layers(f, b1, b2, con1, con2, mr1, mr2, r1=R1, r2=R2):
    """Coil in a bore of radius b1 lined with material 1 up to b2, material 2 beyond. Every Bessel
    function is exponentially scaled; the scale factors are gathered by hand: with E =
    exp(-(a1 + Re a1)(b2 - b1)), |E| <= 1, rho = exp(-2 k b1) (E P A1 + Q A2) / (E P A3 + Q A4) in
    the scaled P, Q, A1..A4, and exp(-2 k b1) goes into the coil factor as in the one-layer bore."""
    omega = 2 * math.pi * f

    def kernel(k):
        if k == 0.0 or k * r2 > 700.0:
            return 0j
        a1 = np.sqrt(complex(k * k, omega * mr1 * MU0 * con1))
        a2 = np.sqrt(complex(k * k, omega * mr2 * MU0 * con2))
        x, z1, z2, w1 = k * b1, a1 * b1, a2 * b2, a1 * b2
        k0x, k1x, i0x, i1x = sp.kve(0, x), sp.kve(1, x), sp.ive(0, x), sp.ive(1, x)
        p = mr2 * a1 * sp.kve(1, z2) * sp.kve(0, w1) - mr1 * a2 * sp.kve(0, z2) * sp.kve(1, w1)
        q = mr2 * a1 * sp.kve(1, z2) * sp.ive(0, w1) + mr1 * a2 * sp.kve(0, z2) * sp.ive(1, w1)
        A1 = k * mr1 * k0x * sp.ive(1, z1) + a1 * k1x * sp.ive(0, z1)
        A2 = k * mr1 * k0x * sp.kve(1, z1) - a1 * k1x * sp.kve(0, z1)
        A3 = k * mr1 * i0x * sp.ive(1, z1) - a1 * i1x * sp.ive(0, z1)
        A4 = k * mr1 * i0x * sp.kve(1, z1) + a1 * i1x * sp.kve(0, z1)
        e = np.exp(-(a1 + a1.real) * (b2 - b1))
        rho = (e * p * A1 + q * A2) / (e * p * A3 + q * A4)
        c = (int_ti1(k * r2) - int_ti1(k * r1)) * math.exp(-x)
        return rho * (1 - math.cos(k * L)) * c * c / k**6

    s = complex_integral(kernel)
    return 1j * 4 * omega * MU0 * N * N / (L * L * (r2 - r1) ** 2) * s


def rod_two_layers(f, b1, b2, con1, con2, mr1, mr2, r1, r2):
    """Coil round a rod of radius b1: material 2 is the core below b2, material 1 the shell. Scaled
    Bessel functions as in bore_two_layers, here with E = exp(-(a1 + Re a1)(b1 - b2)):
    rho = exp(2 k b1) (P A1 + E Q A2) / (P A3 + E Q A4), exp(2 k b1) going into the coil factor."""
    omega = 2 * math.pi * f

    def kernel(k):
        if k == 0.0 or k * r2 > 700.0:
            return 0j
        a1 = np.sqrt(complex(k * k, omega * mr1 * MU0 * con1))
        a2 = np.sqrt(complex(k * k, omega * mr2 * MU0 * con2))
        x, z1, z2, w1 = k * b1, a1 * b1, a2 * b2, a1 * b2
        k0x, k1x, i0x, i1x = sp.kve(0, x), sp.kve(1, x), sp.ive(0, x), sp.ive(1, x)
        p = mr2 * a1 * sp.ive(1, z2) * sp.kve(0, w1) + mr1 * a2 * sp.ive(0, z2) * sp.kve(1, w1)
        q = mr2 * a1 * sp.ive(1, z2) * sp.ive(0, w1) - mr1 * a2 * sp.ive(0, z2) * sp.ive(1, w1)
        A1 = k * mr1 * i0x * sp.ive(1, z1) - a1 * i1x * sp.ive(0, z1)
        A2 = k * mr1 * i0x * sp.kve(1, z1) + a1 * i1x * sp.kve(0, z1)
        A3 = k * mr1 * k0x * sp.ive(1, z1) + a1 * k1x * sp.ive(0, z1)
        A4 = k * mr1 * k0x * sp.kve(1, z1) - a1 * k1x * sp.kve(0, z1)
        e = np.exp(-(a1 + a1.real) * (b1 - b2))
        rho = (p * A1 + e * q * A2) / (p * A3 + e * q * A4)
        c = rod_coil_factor(k, r1, r2, b1)
        return rho * (1 - math.cos(k * L)) * c * c / k**6

    s = complex_integral(kernel)
    return 1j * 4 * omega * MU0 * N * N / (L * L * (r2 - r1) ** 2) * s


def vertical(f, lo, con1, mr1):
    omega = 2 * math.pi * f
    h = R2 + lo
    s1 = omega * mr1 * MU0 * con1

    def g(u, part):
        if u == 0.0 or u * R2 > 700.0:
            return 0.0
        ic = int_ti1(u * R2) - int_ti1(u * R1)

        def inner(v):
            kappa = math.hypot(u, v)
            a1 = np.sqrt(complex(kappa * kappa, s1))
            rho = (kappa * mr1 - a1) / (kappa * mr1 + a1)
            w = rho * math.exp(-2 * kappa * h) / kappa
            return w.imag if part == "imag" else w.real

        return quad_inf(inner) * ic * ic * math.sin(u * L / 2) ** 2 / u**6

    im = quad_inf(lambda u: g(u, "imag"))
    re = quad_inf(lambda u: g(u, "real"))
    return 1j * omega * MU0 * 2 * N * N / ((L / 2) ** 2 * (R2 - R1) ** 2) * complex(re, im)


def sweep(start, stop, step, scale):
    n = int(round((stop - start) / step)) + 1
    return [(start + i * step) * scale for i in range(n)]


# Passes over every sweep; the table shows the fastest.
REPEAT = 3

# case -> (frequency, swept values [SI], model of one value, coil radii); vertical: 2 points only.
CASES = {
    1: (1e5, sweep(0.1, 1.0, 0.1, 1e-3), lambda f, v: planar(f, v, 1e6, 1.0), (R1, R2)),
    2: (1e4, sweep(0.1, 1.0, 0.1, 1e-3), lambda f, v: planar(f, v, 10e6, 1.0, 0.1e-3, 35.4e6), (R1, R2)),
    3: (1e4, sweep(10.0, 11.0, 0.1, 1e-3), lambda f, v: cylinder(f, v, 10e6, 1.0, True, R1, R2), (R1, R2)),
    4: (1e4, sweep(10.0, 11.0, 0.2, 1e-3), lambda f, v: bore_two_layers(f, v, 12e-3, 10e6, 35.4e6, 1.0, 1.0), (R1, R2)),
    5: (1e5, sweep(9.0, 9.8, 0.1, 1e-3), lambda f, v: cylinder(f, v, 1e6, 1.0, False, 12e-3, 14e-3), (12e-3, 14e-3)),
    6: (1e5, sweep(10.0, 10.5, 0.1, 1e-3),
        lambda f, v: rod_two_layers(f, v, 9e-3, 1e6, 35.4e6, 1.0, 1.0, 12e-3, 14e-3), (12e-3, 14e-3)),
    9: (1e5, sweep(0.1, 0.2, 0.1, 1e-3), lambda f, v: vertical(f, v, 1e6, 1.0), (R1, R2)),
}


def main():
    cpp = {}
    if len(sys.argv) > 1:
        try:
            with open(sys.argv[1], newline="") as fh:
                for row in csv.DictReader(fh):  # like for like: the fastest C++ repetition if given
                    cpp[int(row["case"])] = float(row.get("ms_per_point_1_thread_fastest") or
                                                  row["ms_per_point_1_thread"])
        except OSError:
            pass
    print("\nThe same default sweeps in Python (scipy %s, quad + scipy.special; one thread, the fastest of %d"
          " passes against the fastest C++ repetition)" % (__import__("scipy").__version__, REPEAT))
    print("%-5s %6s %14s %14s %10s   %s" % ("case", "points", "ms/pt Python", "ms/pt C++", "ratio", "first point dR, dX [ohm]"))
    for case, (f, values, model, (r1, r2)) in CASES.items():
        ms = math.inf
        for _ in range(REPEAT):  # the fastest pass: the one other work on the machine disturbed least
            t0 = time.perf_counter()
            air_coil_x0(f, r1, r2)
            first = None
            for v in values:
                dz = model(f, v)
                first = first or dz
            ms = min(ms, (time.perf_counter() - t0) * 1e3 / len(values))
        ratio = "%9.0fx" % (ms / cpp[case]) if case in cpp else "%10s" % "-"
        cms = "%14.3f" % cpp[case] if case in cpp else "%14s" % "-"
        print("%-5d %6d %14.3f %s %s   %.6e, %.6e" % (case, len(values), ms, cms, ratio, first.real, first.imag))


if __name__ == "__main__":
    main()
