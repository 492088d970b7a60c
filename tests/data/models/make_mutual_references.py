#!/usr/bin/python3
"""Mutual inductances of two windings in air, from Maxwell's formula and Neumann's integral.

Each winding: N turns of uniform current density over R1 < r < R2, z < z' < z + L, its axis at
lateral offset x; all axes parallel. Independent of the program's Bessel-function integrals:
  - coaxial filaments (x equal): Maxwell's M(a, b, d) = mu0 sqrt(ab) [(2/k - k) K(k) - (2/k) E(k)],
    k^2 = 4ab / ((a + b)^2 + d^2), scipy's ellipkm1/ellipe;
  - filaments side by side (x apart): Neumann's integral
    M = mu0 a b / (4 pi) int int cos(p - q) / |r_a(p) - r_b(q)| dp dq, the angles by the
    trapezoidal rule (spectrally accurate for a smooth periodic integrand);
both averaged over the two cross-sections with Gauss-Legendre rules. The windings never touch, so
the integrands are smooth; each value is given with the change from halving the rules' spacing.
Lengths in mm, M in henry (turns included).
Run:  /usr/bin/python3 make_mutual_references.py > mutual_references.csv
"""
import numpy as np
from scipy import special

MU0 = 4e-7 * np.pi
# (name, coil a (N, R1, R2, L, z, x), coil b), lengths in mm
PAIRS = [
    ("stacked", (200, 2, 4, 1, 0, 0), (100, 1, 1.5, 0.5, 1.5, 0)),
    ("concentric", (200, 2, 4, 1, 0, 0), (50, 5, 6, 1, 0, 0)),
    ("image of a pickup", (200, 2, 4, 1, 0.2, 0), (100, 1, 1.5, 0.5, -1.2, 0)),
    ("side by side", (200, 2, 4, 1, 0, 0), (200, 2, 4, 1, 0, 9)),
    ("side by side image", (200, 2, 4, 1, 0.1, 0), (200, 2, 4, 1, -1.1, 9)),
    ("far side by side", (200, 2, 4, 1, 0, 0), (200, 2, 4, 1, 1.5, 60)),
]


def gauss(lo, hi, n):
    t, w = np.polynomial.legendre.leggauss(n)
    return (hi - lo) / 2 * t + (hi + lo) / 2, (hi - lo) / 2 * w


def maxwell(a, b, d):
    den = (a + b) ** 2 + d * d
    m = 4 * a * b / den
    p = ((a - b) ** 2 + d * d) / den
    k = np.sqrt(m)
    return MU0 * np.sqrt(a * b) * ((2 / k - k) * special.ellipkm1(p) - (2 / k) * special.ellipe(m))


def neumann(a, b, x, d, n_angle):
    p = np.arange(n_angle) * 2 * np.pi / n_angle
    P, Q = np.meshgrid(p, p, indexing="ij")
    r = np.sqrt((a * np.cos(P) - x - b * np.cos(Q)) ** 2 + (a * np.sin(P) - b * np.sin(Q)) ** 2 + d * d)
    return MU0 * a * b / (4 * np.pi) * np.sum(np.cos(P - Q) / r) * (2 * np.pi / n_angle) ** 2


def mutual(ca, cb, n, n_angle):
    Na, R1a, R2a, La, za, xa = ca
    Nb, R1b, R2b, Lb, zb, xb = cb
    ra, wra = gauss(R1a, R2a, n)
    rb, wrb = gauss(R1b, R2b, n)
    zsa, wza = gauss(za, za + La, n)
    zsb, wzb = gauss(zb, zb + Lb, n)
    total = 0.0
    for r1, w1 in zip(ra, wra):
        for r2, w2 in zip(rb, wrb):
            for z1, v1 in zip(zsa, wza):
                d = z1 - zsb
                if xa == xb:
                    m = maxwell(r1, r2, d)
                else:
                    m = np.array([neumann(r1, r2, abs(xb - xa), di, n_angle) for di in d])
                total += w1 * w2 * v1 * np.sum(wzb * m)
    return Na * Nb * total / (La * (R2a - R1a) * Lb * (R2b - R1b))


if __name__ == "__main__":
    print(__doc__.split("\n")[0].join(["# ", ""]))
    print("# See make_mutual_references.py beside this file: Maxwell's formula (coaxial) or Neumann's")
    print("# integral (side by side) over both cross-sections. Lengths in mm; M [H]; dM = the change")
    print("# from halving the spacing of the rules (an error estimate); apart = 1 where the windings' spans")
    print("# along the axes are disjoint (then the spatial-frequency integral decays exponentially).")
    print("# Command: /usr/bin/python3 make_mutual_references.py > mutual_references.csv")
    print("name,Na,R1a,R2a,La,za,xa,Nb,R1b,R2b,Lb,zb,xb,M,dM,apart")
    for name, a, b in PAIRS:
        sa = tuple(v * 1e-3 if i else v for i, v in enumerate(a))
        sb = tuple(v * 1e-3 if i else v for i, v in enumerate(b))
        coarse = mutual(sa, sb, 8, 96) if a[5] != b[5] else mutual(sa, sb, 12, 0)
        fine = mutual(sa, sb, 12, 192) if a[5] != b[5] else mutual(sa, sb, 20, 0)
        apart = int(a[4] + a[3] <= b[4] or b[4] + b[3] <= a[4])  # the spans along the axes are disjoint
        print(",".join([name] + [str(v) for v in a + b] + [repr(float(fine)), f"{abs(fine - coarse):.2e}", str(apart)]),
              flush=True)
