#!/usr/bin/python3
"""High-precision references for layered conductors: plates of three and five layers, a tube and a
rod of three shells, by mpmath at 30 digits, independent of the program's code.

The coil integrals, the quadrature over k and the Bessel functions are those of
make_dodd_deeds_references.py (closed forms, tanh-sinh over the oscillation periods, ascending
series and asymptotic K). The stacks are written in another form than the program's:
  - a plate by its generalised reflection coefficients from the bottom interface up,
      R_i = (r_i + R_{i+1} e_{i+1}) / (1 + r_i R_{i+1} e_{i+1}),
    r_i = (b_i - b_{i+1}) / (b_i + b_{i+1}) with b = alpha / mu (air: b = k), e = exp(-2 alpha d);
  - a cylinder by solving, interface by interface, the 2x2 continuity conditions of A and of
    (1/mu)(1/r) d(rA)/dr for the coefficients (a, c) of a I1(alpha r) + c K1(alpha r) in each shell,
    unscaled (the working precision absorbs the exponentials), starting from (0, 1) in a tube's
    unbounded medium or (1, 0) in a rod's core; rho = a/c (tube) or c/a (rod) of the air.
Run:  /usr/bin/python3 make_stack_references.py > stack_references.csv
"""
import mpmath as mp

import make_dodd_deeds_references as dd

mp.mp.dps = 30
PI, MU0 = dd.PI, dd.MU0


def plate_rho(layers, w):
    def rho(k):
        n = len(layers)
        a = [dd.alpha(k, w * m * MU0 * s) for (_, s, m) in layers]
        b = [k] + [a[i] / layers[i][2] for i in range(n)]
        R = (b[n - 1] - b[n]) / (b[n - 1] + b[n])  # top of the half-space
        for i in range(n - 2, -1, -1):
            r = (b[i] - b[i + 1]) / (b[i] + b[i + 1])
            e = mp.exp(-2 * a[i] * layers[i][0])
            R = (r + R * e) / (1 + r * R * e)
        return R
    return rho


def cylinder_rho(radius, layers, w, rod):
    def rho(k):
        a = [dd.alpha(k, w * m * MU0 * s) for (_, s, m) in layers]
        media = [(k, mp.mpf(1))] + [(a[i], layers[i][2]) for i in range(len(layers))]
        radii = [radius]
        for (d, _, _) in layers[:-1]:
            radii.append(radii[-1] - d if rod else radii[-1] + d)
        coef = (mp.mpf(1), mp.mpf(0)) if rod else (mp.mpf(0), mp.mpf(1))
        for j in range(len(layers), 0, -1):  # interface at radii[j-1] between media j-1 and j
            r = radii[j - 1]
            (ai, mi), (ao, mo) = media[j - 1], media[j]

            def rows(al, mu):
                z = al * r
                return [[dd.I(1, z), dd.Kb(1, z)], [al / mu * dd.I(0, z), -al / mu * dd.Kb(0, z)]]
            A, B = rows(ai, mi), rows(ao, mo)
            rhs = [B[0][0] * coef[0] + B[0][1] * coef[1], B[1][0] * coef[0] + B[1][1] * coef[1]]
            det = A[0][0] * A[1][1] - A[0][1] * A[1][0]
            coef = ((rhs[0] * A[1][1] - A[0][1] * rhs[1]) / det, (A[0][0] * rhs[1] - A[1][0] * rhs[0]) / det)
        return coef[1] / coef[0] if rod else coef[0] / coef[1]
    return rho


MM, MS = mp.mpf('1e-3'), mp.mpf('1e6')
INF = mp.inf
# (geometry, N, R1, R2, L [mm], f [Hz], position [mm: lift-off or radius], layers: (d [mm], sigma [MS/m], mur))
POINTS = [
    ('plate', 200, 2, 4, 1, 1e5, 0.1, [(0.05, 0, 1), (0.2, 35.4, 1), (INF, 1.4, 100)]),
    ('plate', 300, 1, 3, 2, 3e4, 0.3, [(0.5, 20, 1), (0.3, 3, 5), (INF, 58, 1)]),
    ('plate', 200, 2, 4, 1, 2e5, 0.05, [(0.025, 0, 1), (0.1, 35.4, 1), (0.4, 18, 1), (0.2, 2, 50), (INF, 5, 1)]),
    ('plate', 150, 0, 5, 1.5, 1e4, 0.2, [(1, 10, 1), (1, 12, 1), (1, 14, 1), (1, 16, 1), (INF, 18, 1)]),
    ('tube', 200, 2, 4, 1, 1e4, 5, [(0.5, 10, 1), (1, 2, 20), (INF, 35.4, 1)]),
    ('rod', 200, 12, 14, 1, 5e4, 11, [(0.4, 35.4, 1), (2, 1, 10), (INF, 5, 1)]),
]


def evaluate(p):
    geo, N, R1, R2, L, f, pos, layers = p
    R1, R2, L, pos = (mp.mpf(v) * MM for v in (R1, R2, L, pos))
    f = mp.mpf(f)
    w = 2 * PI * f
    layers = [(mp.mpf(d) * MM if d != INF else INF, mp.mpf(s) * MS, mp.mpf(m)) for (d, s, m) in layers]
    if geo == 'plate':
        return dd.planar(N, R1, R2, L, f, pos, plate_rho(layers, w))
    if geo == 'tube':
        return dd.cylinder(N, R1, R2, L, f, cylinder_rho(pos, layers, w, False), lambda k: dd.CI(k * R1, k * R2),
                           pos - R2)
    return dd.cylinder(N, R1, R2, L, f, cylinder_rho(pos, layers, w, True), lambda k: dd.CK(k * R1, k * R2),
                       R1 - pos)


if __name__ == '__main__':
    print('# Impedance change dR + j dX [ohm] of a coil over layered conductors, from an independent')
    print('# mpmath evaluation at 30 digits (see make_stack_references.py beside this file).')
    print('# Lengths in mm, f in Hz, conductivities in MS/m; layers as thickness:sigma:mur separated by')
    print('# spaces, the last unbounded (inf); position = lift-off (plate) or radius (tube, rod).')
    print('# Command: /usr/bin/python3 make_stack_references.py > stack_references.csv')
    print('geometry,N,R1,R2,L,f,position,layers,dR,dX')
    for p in POINTS:
        dR, dX = evaluate(p)
        layers = ' '.join(f'{d}:{s}:{m}' for (d, s, m) in p[7])
        print(','.join(str(v) for v in p[:7]) + f',{layers},{mp.nstr(dR, 20)},{mp.nstr(dX, 20)}', flush=True)
