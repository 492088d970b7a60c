#!/usr/bin/python3
"""Inductances of the coil from Maxwell's mutual inductance of coaxial circular filaments.

These are the physical limits the models must reach, computed without any Bessel-function
integral: the mutual inductance of two coaxial circles of radii a, b at axial distance d is
    M(a, b, d) = mu0 sqrt(a b) [ (2/k - k) K(k) - (2/k) E(k) ],  k^2 = 4ab / ((a+b)^2 + d^2),
with K, E the complete elliptic integrals (scipy's ellipk/ellipe take m = k^2; near m = 1 the
first kind is taken as ellipkm1(1 - m) with 1 - m = ((a-b)^2 + d^2) / ((a+b)^2 + d^2)).
A winding of N turns on the rectangle R1 < r < R2, 0 < z < L with uniform current density has,
per N^2,
  self:   L0 = 1/A^2 int int dr1 dr2 int_0^L int_0^L M(r1, r2, z1 - z2) dz1 dz2
             = 2/A^2 int int dr1 dr2 int_0^L (L - s) M(r1, r2, s) ds,     A = L (R2 - R1),
  mirror: the mutual inductance with its image in the plane z = 0 when the winding occupies
          LO < z < LO + L:  Mi = 1/A^2 int int dr1 dr2 int (L - |s - 2LO - L|) M(r1, r2, s) ds
          over 2LO < s < 2LO + 2L.
The r2 integral is split at r1, where M has its logarithmic singularity (at s = 0). Both are
symmetric in r1, r2, so only r2 > r1 is integrated and doubled.
Run:  /usr/bin/python3 make_maxwell_limits.py > maxwell_limits.csv
"""
import math
from scipy import integrate, special

MU0 = 4e-7 * math.pi
OPTS = dict(epsabs=0.0, epsrel=1e-10, limit=200)


def M(a, b, d):
    den = (a + b) ** 2 + d * d
    m = 4 * a * b / den
    p = ((a - b) ** 2 + d * d) / den  # 1 - m without cancellation
    k = math.sqrt(m)
    K = special.ellipkm1(p)
    E = special.ellipe(m)
    return MU0 * math.sqrt(a * b) * ((2 / k - k) * K - (2 / k) * E)


def cross_section(weight, s_lo, s_hi, R1, R2, L):
    A = L * (R2 - R1)

    def over_s(r1, r2):
        return integrate.quad(lambda s: weight(s) * M(r1, r2, s), s_lo, s_hi, **OPTS)[0]

    def over_r2(r1):
        return integrate.quad(lambda r2: over_s(r1, r2), r1, R2, **OPTS)[0]

    total = integrate.quad(over_r2, R1, R2, **OPTS)[0]
    return 2 * total / (A * A)


def self_inductance(R1, R2, L):
    return 2 * cross_section(lambda s: L - s, 0.0, L, R1, R2, L)


def mirror_inductance(R1, R2, L, LO):
    c = 2 * LO + L
    return cross_section(lambda s: L - abs(s - c), 2 * LO, 2 * LO + 2 * L, R1, R2, L)


# (kind, R1, R2, L, LO) in mm
ROWS = [
    ('self', 2, 4, 1, 0),
    ('self', 12, 14, 1, 0),
    ('self', 1, 5, 3, 0),
    ('mirror', 2, 4, 1, 0.1),
    ('mirror', 2, 4, 1, 1.0),
    ('mirror', 2, 4, 1, 0.5),
]

if __name__ == '__main__':
    print("# Inductance per turn squared [H] of the coil (kind 'self') and the mutual inductance with")
    print("# its mirror image in the conductor surface (kind 'mirror', winding lifted off by LO),")
    print("# from Maxwell's elliptic-integral formula integrated over the winding's cross-section with")
    print("# scipy.integrate.quad (relative tolerance 1e-10); see make_maxwell_limits.py beside this file.")
    print("# Lengths in mm. Command: /usr/bin/python3 make_maxwell_limits.py > maxwell_limits.csv")
    print('kind,R1,R2,L,LO,inductance')
    for kind, R1, R2, L, LO in ROWS:
        r1, r2, l, lo = R1 * 1e-3, R2 * 1e-3, L * 1e-3, LO * 1e-3
        v = self_inductance(r1, r2, l) if kind == 'self' else mirror_inductance(r1, r2, l, lo)
        print('%s,%g,%g,%g,%g,%.15e' % (kind, R1, R2, L, LO, v), flush=True)
