#!/usr/bin/python3
"""High-precision references for the eddy-current models, independent of the program's code.

Each model's impedance change is the integral of its Dodd-Deeds kernel, evaluated here with
mpmath (25 significant digits) by other means than the program uses:
  - the cross-section integrals int t*J1, t*I1, t*K1 come from closed forms (Struve functions,
    the hypergeometric 1F2 series of int I0, and int_x^inf K0 by quadrature) instead of
    Chebyshev expansions and Amos' Bessel routines;
  - the outer integral is mpmath's tanh-sinh quadrature over breakpoints at the kernel's
    oscillation period, up to where the rest of the integral is below about 1e-15 of it
    (exponential decay e^{-2k LO}, e^{-2k(B1-R2)}, e^{-2k(R1-B1)} and the power-law tails);
  - K0, K1 of complex argument by their ascending series (in extra precision) and asymptotic
    expansion, since mpmath's integer-order K is slow;
  - for the vertical coil the inner integral over v is taken in the variable v = u sinh t
    (kappa = u cosh t), which removes the 1/kappa scale and decays double-exponentially;
    for a non-conducting piece it is the closed form rho*K0(2uh).
Run:  /usr/bin/python3 make_dodd_deeds_references.py > dodd_deeds_references.csv
"""
import sys
import mpmath as mp

mp.mp.dps = 25
PI = mp.pi
MU0 = 4e-7 * PI

# ---------------------------------------------------------------- coil cross-section integrals


def GJ(x):  # int_0^x t J1(t) dt = (pi x / 2)(J1 H0 - J0 H1)
    return PI * x / 2 * (mp.besselj(1, x) * mp.struveh(0, x) - mp.besselj(0, x) * mp.struveh(1, x))


def GI(x):  # int_0^x t I1(t) dt = x I0(x) - int_0^x I0,  int_0^x I0 = x 1F2(1/2; 1, 3/2; x^2/4)
    return x * mp.besseli(0, x) - x * mp.hyp1f2(0.5, 1, 1.5, x * x / 4)


def TK(x):
    """int_x^inf t K1(t) dt = e^-x int_0^inf e^{-x (cosh s - 1)} (x + 1/cosh s) ds, from
    K1(t) = int_0^inf e^{-t cosh s} cosh s ds integrated over t: no cancellation for any x."""
    T = mp.acosh(1 + 75 / x)
    f = lambda s: mp.exp(-x * (mp.cosh(s) - 1)) * (x + 1 / mp.cosh(s))
    return mp.quad(f, [0, T / 8, T / 2, T], method='gauss-legendre') * mp.exp(-x)


def Kfast(n, z):
    """K0 or K1 of a complex argument with Re z > 0: the ascending series (in extra working
    precision, which its cancellation needs) below |z| = 25, the asymptotic expansion above
    (its smallest term there is below 1e-21). mpmath's own integer-order K is accurate but slow."""
    z = mp.mpmathify(z)
    if abs(z) >= 25:
        s = mp.mpf(1)
        term = mp.mpf(1)
        mu = 4 * n * n
        for k in range(1, 200):
            new = term * (mu - (2 * k - 1) ** 2) / (k * 8 * z)
            if abs(new) > abs(term):
                break
            term = new
            s += term
            if abs(term) < mp.eps * abs(s):
                break
        return mp.sqrt(mp.pi / (2 * z)) * mp.exp(-z) * s
    with mp.workdps(mp.mp.dps + 10 + int(0.9 * float(abs(z)))):
        z = +z
        y = z * z / 4
        lg = mp.log(z / 2)
        g = mp.euler
        if n == 0:  # K0 = -(ln(z/2) + gamma) I0 + sum H_k y^k / (k!)^2
            s = -(lg + g) * mp.besseli(0, z)
            t = mp.mpf(1)
            H = mp.mpf(0)
            for k in range(1, 400):
                t *= y / (k * k)
                H += mp.mpf(1) / k
                s += H * t
                if k > 2 and abs(H * t) < mp.eps * abs(s) * 1e-3:
                    break
        else:  # K1 = 1/z + ln(z/2) I1 - (z/4) sum (psi(k+1) + psi(k+2)) y^k / (k! (k+1)!)
            s0 = mp.mpf(0)
            t = mp.mpf(1)
            Hk = mp.mpf(0)
            for k in range(0, 400):
                if k > 0:
                    t *= y / (k * (k + 1))
                    Hk += mp.mpf(1) / k
                psi = (Hk - g) + (Hk + mp.mpf(1) / (k + 1) - g)
                s0 += psi * t
                if k > 2 and abs(psi * t) < mp.eps * abs(s0) * 1e-3:
                    break
            s = 1 / z + lg * mp.besseli(1, z) - z / 4 * s0
        r = +s
    return +r


def CJ(x1, x2):
    return GJ(x2) - GJ(x1)


def CI(x1, x2):
    return GI(x2) - GI(x1)


def CK(x1, x2):
    return TK(x1) - TK(x2)


# ---------------------------------------------------------------- outer quadrature


def breakpoints(kmax, period, scale):
    """Geometric points from scale/1000 up to kmax plus one point per oscillation period."""
    pts = {mp.mpf(0)}
    x = mp.mpf(scale) / 1000
    while x < kmax:
        pts.add(x)
        x *= 2
    n = int(kmax / period)
    for i in range(1, n + 1):
        pts.add(i * period)
    pts.add(mp.mpf(kmax))
    return sorted(pts)


def integrate(f, kmax, period, scale):
    return mp.quad(f, breakpoints(kmax, period, scale))


def alpha(k, s):
    return mp.sqrt(k * k + 1j * s)


def dZ(prefactor, S):
    z = 1j * prefactor * S
    return z.real, z.imag


# ---------------------------------------------------------------- planar (cases 1, 2)


def planar(N, R1, R2, L, f, LO, rho):
    w = 2 * PI * f
    q = mp.mpf(N) ** 2 / (L * L * (R2 - R1) ** 2)

    def K(k):
        E = (mp.exp(-k * LO) - mp.exp(-k * (LO + L))) ** 2
        return rho(k) * E * CJ(k * R1, k * R2) ** 2 / k ** 6

    # J^2/k^6 decays like k^-5 and E like exp(-2 k LO): beyond kmax the rest is below 1e-15.
    kmax = min(18 / LO, 4e3 / R2) if LO > 0 else 4e3 / R2
    S = integrate(K, kmax, 4 * PI / R2, 1 / R2)
    return dZ(PI * w * MU0 * q, S)


def case1(N, R1, R2, L, f, LO, CON1, MR1):
    s1 = 2 * PI * f * MR1 * MU0 * CON1
    return planar(N, R1, R2, L, f, LO,
                  lambda k: (k * MR1 - alpha(k, s1)) / (k * MR1 + alpha(k, s1)))


def case2(N, R1, R2, L, f, LO, D1, CON1, CON2, MR1, MR2):
    w = 2 * PI * f
    s1, s2 = w * MR1 * MU0 * CON1, w * MR2 * MU0 * CON2

    def rho(k):
        a1, a2 = alpha(k, s1), alpha(k, s2)
        A, B = k * MR1 + a1, k * MR1 - a1
        P, M = a1 * MR2 + a2 * MR1, a1 * MR2 - a2 * MR1
        e = mp.exp(-2 * a1 * D1)
        return (A * M * e + B * P) / (B * M * e + A * P)
    return planar(N, R1, R2, L, f, LO, rho)


# ---------------------------------------------------------------- cylinders (cases 3 to 6)


def I(n, z):
    return mp.besseli(n, z)


def Kb(n, z):
    return Kfast(n, z)


def cylinder(N, R1, R2, L, f, rho, Ic, decay):
    w = 2 * PI * f
    q = mp.mpf(N) ** 2 / (L * L * (R2 - R1) ** 2)

    def K(k):
        return rho(k) * (1 - mp.cos(k * L)) * Ic(k) ** 2 / k ** 6
    kmax = 22 / decay  # exp(-2 k decay) < 1e-19
    S = integrate(K, kmax, 2 * PI / L, 1 / R2)
    return dZ(4 * w * MU0 * q, S)


def case3(N, R1, R2, L, f, B1, CON1, MR1):
    s1 = 2 * PI * f * MR1 * MU0 * CON1

    def rho(k):
        a = alpha(k, s1)
        x, z = k * B1, a * B1
        return ((k * MR1 * Kb(0, x) * Kb(1, z) - a * Kb(1, x) * Kb(0, z))
                / (k * MR1 * I(0, x) * Kb(1, z) + a * I(1, x) * Kb(0, z)))
    return cylinder(N, R1, R2, L, f, rho, lambda k: CI(k * R1, k * R2), B1 - R2)


def case4(N, R1, R2, L, f, B1, B2, CON1, CON2, MR1, MR2):
    w = 2 * PI * f
    s1, s2 = w * MR1 * MU0 * CON1, w * MR2 * MU0 * CON2

    def rho(k):
        a1, a2 = alpha(k, s1), alpha(k, s2)
        x = k * B1
        P = MR2 * a1 * Kb(1, a2 * B2) * Kb(0, a1 * B2) - MR1 * a2 * Kb(0, a2 * B2) * Kb(1, a1 * B2)
        Q = MR2 * a1 * Kb(1, a2 * B2) * I(0, a1 * B2) + MR1 * a2 * Kb(0, a2 * B2) * I(1, a1 * B2)
        A1 = k * MR1 * Kb(0, x) * I(1, a1 * B1) + a1 * Kb(1, x) * I(0, a1 * B1)
        A2 = k * MR1 * Kb(0, x) * Kb(1, a1 * B1) - a1 * Kb(1, x) * Kb(0, a1 * B1)
        A3 = k * MR1 * I(0, x) * I(1, a1 * B1) - a1 * I(1, x) * I(0, a1 * B1)
        A4 = k * MR1 * I(0, x) * Kb(1, a1 * B1) + a1 * I(1, x) * Kb(0, a1 * B1)
        return (P * A1 + Q * A2) / (P * A3 + Q * A4)
    return cylinder(N, R1, R2, L, f, rho, lambda k: CI(k * R1, k * R2), B1 - R2)


def case5(N, R1, R2, L, f, B1, CON1, MR1):
    s1 = 2 * PI * f * MR1 * MU0 * CON1

    def rho(k):
        a = alpha(k, s1)
        x, z = k * B1, a * B1
        return ((k * MR1 * I(0, x) * I(1, z) - a * I(1, x) * I(0, z))
                / (k * MR1 * Kb(0, x) * I(1, z) + a * Kb(1, x) * I(0, z)))
    return cylinder(N, R1, R2, L, f, rho, lambda k: CK(k * R1, k * R2), R1 - B1)


def case6(N, R1, R2, L, f, B1, B2, CON1, CON2, MR1, MR2):
    w = 2 * PI * f
    s1, s2 = w * MR1 * MU0 * CON1, w * MR2 * MU0 * CON2

    def rho(k):
        a1, a2 = alpha(k, s1), alpha(k, s2)
        x = k * B1
        P = MR2 * a1 * I(1, a2 * B2) * Kb(0, a1 * B2) + MR1 * a2 * I(0, a2 * B2) * Kb(1, a1 * B2)
        Q = MR2 * a1 * I(1, a2 * B2) * I(0, a1 * B2) - MR1 * a2 * I(0, a2 * B2) * I(1, a1 * B2)
        A1 = k * MR1 * I(0, x) * I(1, a1 * B1) - a1 * I(1, x) * I(0, a1 * B1)
        A2 = k * MR1 * I(0, x) * Kb(1, a1 * B1) + a1 * I(1, x) * Kb(0, a1 * B1)
        A3 = k * MR1 * Kb(0, x) * I(1, a1 * B1) + a1 * Kb(1, x) * I(0, a1 * B1)
        A4 = k * MR1 * Kb(0, x) * Kb(1, a1 * B1) - a1 * Kb(1, x) * Kb(0, a1 * B1)
        return (P * A1 + Q * A2) / (P * A3 + Q * A4)
    return cylinder(N, R1, R2, L, f, rho, lambda k: CK(k * R1, k * R2), R1 - B1)


# ---------------------------------------------------------------- vertical coil (case 9)


def case9(N, R1, R2, L, f, LO, CON1, MR1):
    w = 2 * PI * f
    s1 = w * MR1 * MU0 * CON1
    h = R2 + LO

    def rho(kappa):
        a = alpha(kappa, s1)
        return (kappa * MR1 - a) / (kappa * MR1 + a)

    def W(u):
        if CON1 == 0:
            return rho(u) * mp.besselk(0, 2 * u * h)  # rho is constant: int e^{-2 kappa h}/kappa dv
        a = 2 * h * u
        tmax = mp.acosh(1 + 70 / a)  # e^{-a (cosh t - 1)} < e^-70 beyond
        return mp.quad(lambda t: rho(u * mp.cosh(t)) * mp.exp(-a * (mp.cosh(t) - 1)), [0, tmax / 4, tmax]) * mp.exp(-a)

    def G(u):
        return W(u) * CI(u * R1, u * R2) ** 2 * mp.sin(u * L / 2) ** 2 / u ** 6
    # G decays like u^-5.5 exp(-2 u LO).
    umax = min(18 / LO, 3e3 / R2) if LO > 0 else 3e3 / R2
    S = integrate(G, umax, 2 * PI / L, 1 / R2)
    q = 2 * mp.mpf(N) ** 2 / ((L / 2) ** 2 * (R2 - R1) ** 2)
    return dZ(w * MU0 * q, S)


MM, MS = mp.mpf('1e-3'), mp.mpf('1e6')
# (model, N, R1, R2, L, f, LO, D1, B1, B2, CON1, CON2, MR1, MR2): the first row of each model is
# its case's default input (rod cases with the coil 12-14 mm round the rod).
POINTS = [
    ('PlanarOneLayer', 200, 2, 4, 1, 1e5, 0.1, 0, 0, 0, 1, 0, 1, 0),
    ('PlanarOneLayer', 200, 2, 4, 1, 1e3, 1.0, 0, 0, 0, 5, 0, 100, 0),
    ('PlanarOneLayer', 100, 0, 3, 2, 2e6, 0.5, 0, 0, 0, 58, 0, 1, 0),
    ('PlanarTwoLayers', 200, 2, 4, 1, 1e4, 0.1, 0.1, 0, 0, 10, 35.4, 1, 1),
    ('PlanarTwoLayers', 200, 2, 4, 1, 1e5, 0.2, 0.5, 0, 0, 1, 5, 1, 50),
    ('CylinderInsideOneLayer', 200, 2, 4, 1, 1e4, 0, 0, 10, 0, 10, 0, 1, 0),
    ('CylinderInsideOneLayer', 200, 2, 4, 1, 1e5, 0, 0, 5, 0, 2, 0, 50, 0),
    ('CylinderInsideTwoLayers', 200, 2, 4, 1, 1e4, 0, 0, 10, 12, 10, 35.4, 1, 1),
    ('CylinderInsideTwoLayers', 200, 2, 4, 1, 5e4, 0, 0, 6, 7, 5, 1, 1, 20),
    ('CylinderOutsideOneLayer', 200, 12, 14, 1, 1e5, 0, 0, 9, 0, 1, 0, 1, 0),
    ('CylinderOutsideOneLayer', 200, 12, 14, 1, 1e4, 0, 0, 11, 0, 1, 0, 20, 0),
    ('CylinderOutsideTwoLayers', 200, 12, 14, 1, 1e5, 0, 0, 10, 9, 1, 35.4, 1, 1),
    ('CylinderOutsideTwoLayers', 200, 12, 14, 1, 2e4, 0, 0, 11, 10, 2, 10, 10, 1),
    ('VerticalCoilHalfSpace', 200, 2, 4, 1, 1e5, 0.1, 0, 0, 0, 1, 0, 1, 0),
    ('VerticalCoilHalfSpace', 200, 2, 4, 1, 1e4, 1.0, 0, 0, 0, 5, 0, 10, 0),
    ('VerticalCoilHalfSpace', 200, 2, 4, 1, 1e5, 0.5, 0, 0, 0, 0, 0, 100, 0),
]


def evaluate(p):
    name, N, R1, R2, L, f, LO, D1, B1, B2, C1, C2, M1, M2 = p
    R1, R2, L, LO, D1, B1, B2 = (mp.mpf(v) * MM for v in (R1, R2, L, LO, D1, B1, B2))
    f, C1, C2, M1, M2 = mp.mpf(f), mp.mpf(C1) * MS, mp.mpf(C2) * MS, mp.mpf(M1), mp.mpf(M2)
    if name == 'PlanarOneLayer':
        return case1(N, R1, R2, L, f, LO, C1, M1)
    if name == 'PlanarTwoLayers':
        return case2(N, R1, R2, L, f, LO, D1, C1, C2, M1, M2)
    if name == 'CylinderInsideOneLayer':
        return case3(N, R1, R2, L, f, B1, C1, M1)
    if name == 'CylinderInsideTwoLayers':
        return case4(N, R1, R2, L, f, B1, B2, C1, C2, M1, M2)
    if name == 'CylinderOutsideOneLayer':
        return case5(N, R1, R2, L, f, B1, C1, M1)
    if name == 'CylinderOutsideTwoLayers':
        return case6(N, R1, R2, L, f, B1, B2, C1, C2, M1, M2)
    return case9(N, R1, R2, L, f, LO, C1, M1)


if __name__ == '__main__':
    only = sys.argv[1] if len(sys.argv) > 1 else None
    print('# Impedance change dR + j dX [ohm] of each model, from an independent mpmath evaluation')
    print('# of its Dodd-Deeds integral (25 digits; see make_dodd_deeds_references.py beside this file).')
    print('# Lengths in mm, f in Hz, conductivities in MS/m; unused parameters are 0.')
    print('# Command: /usr/bin/python3 make_dodd_deeds_references.py > dodd_deeds_references.csv')
    print('model,N,R1,R2,L,f,LO,D1,B1,B2,CON1,CON2,MR1,MR2,dR,dX')
    for p in POINTS:
        if only and p[0] != only:
            continue
        dr, dx = evaluate(p)
        print(','.join(str(v) for v in p) + ',%s,%s' % (mp.nstr(dr, 17), mp.nstr(dx, 17)), flush=True)
