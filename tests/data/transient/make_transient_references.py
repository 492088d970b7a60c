"""Transient references of a coaxial drive and pickup over layered plates, independent of VELDO.

The frequency response is the Dodd-Deeds integral written afresh here: the pair's
    S(w) = int_0^inf rho(k, w) D_a(k) D_b(k) J_a(k) J_b(k) / k^6 dk,
rho the stack's reflection coefficient by the layer recursion (numpy), D = e^(-kh) - e^(-k(h+L)),
J(k) = int_{kR1}^{kR2} x J1(x) dx = [pi x (J1 H0 - J0 H1) / 2] with Struve's H0, H1 (scipy), by
Gauss-Legendre panels in k (the tables' digits hold when the panels are halved). With q = Na Nb / (La Lb (R2a-R1a)(R2b-R1b)), Delta Z = j w pi mu0 q S and
    step-off  s(t) = -(2/pi) int_0^inf dR(w)/w sin(wt) dw   = 2 mu0 q int Im S(w) sin(wt) dw,
    ramp      R(u) = int_0^u s = 2 mu0 q int Im S(w)/w (1 - cos(wu)) dw,
the Fourier integrals by QUADPACK's QAWF (scipy quad, weight 'sin' / 'cos'). A pulse of width W
is s(t - W) - s(t); a piecewise-linear current i(t) gives -sum_k slope_k (R(t - t_k) - R(t - t_k+1)).
Lengths in mm, times in s, v in V/A.
Command: /usr/bin/python3 make_transient_references.py > transient_references.csv
"""
import math
import sys

import numpy as np
from scipy import integrate, special

MU0 = 4e-7 * math.pi
DRIVE = (200, 2.0, 4.0, 1.0, 0.2)   # N, R1, R2, L, z [mm]
PICKUP = (100, 1.0, 1.5, 0.5, 0.7)
LIFT = 0.5                          # mm
TWO_LAYERS = [(0.5, 3.5e7, 1.0), (1.5, 1.0e7, 1.0), (math.inf, 0.0, 1.0)]  # thickness mm, S/m, mur

CASES = [  # name, stack, waveform, times
    ("two layers", TWO_LAYERS, ("step-off",), [1e-4, 1e-3]),
    ("two layers", TWO_LAYERS, ("pulse", 1e-4), [5e-5, 2e-4, 1e-3]),
    ("two layers", TWO_LAYERS, ("samples", [0.0, 2e-6, 5e-5, 6e-5], [0.0, 1.0, 1.0, 0.0]), [3e-5, 1e-4]),
]


def cross_section(k, R1, R2):
    f = lambda x: np.pi * x / 2 * (special.j1(x) * special.struve(0, x) - special.j0(x) * special.struve(1, x))
    return f(k * R2) - f(k * R1)


def nodes(panels_per_unit):
    """Gauss-Legendre nodes and weights (64 a panel) on panels graded from 1e-4 to 1 / mm and
    1 / panels_per_unit wide beyond, to k = 64 / mm, where the coil factor is below 1e-40 of its peak."""
    x, w = np.polynomial.legendre.leggauss(64)
    edges = list(np.geomspace(1e-6, 1.0, 13)) + list(np.arange(1.0, 64.0, 1.0 / panels_per_unit)[1:]) + [64.0]
    edges = [0.0] + edges
    k = np.concatenate([(a + b) / 2 + (b - a) / 2 * x for a, b in zip(edges, edges[1:])])
    wk = np.concatenate([(b - a) / 2 * w for a, b in zip(edges, edges[1:])])
    return k, wk


def reflection(k, w, stack):
    a = [np.sqrt(k * k + 1j * w * MU0 * mur * s) for _, s, mur in stack]
    mu = [mur for _, _, mur in stack]
    r = lambda a1, m1, a2, m2: (a1 * m2 - a2 * m1) / (a1 * m2 + a2 * m1)
    if len(stack) == 1:
        return r(k, 1.0, a[0], mu[0])
    R = r(a[-2], mu[-2], a[-1], mu[-1])
    for j in range(len(stack) - 2, -1, -1):
        e = np.exp(-2 * a[j] * stack[j][0])
        top = r(k, 1.0, a[j], mu[j]) if j == 0 else r(a[j - 1], mu[j - 1], a[j], mu[j])
        R = (top + R * e) / (1 + top * R * e)
    return R


class Kernel:
    """Im S(w) [mm] on fixed nodes in k [1/mm]; sigma scaled to 1/mm^2 (w mu0 sigma)."""

    def __init__(self, stack, panels_per_unit=2):
        self.stack = [(d, s * 1e-6, mur) for d, s, mur in stack]
        self.k, wk = nodes(panels_per_unit)
        ha, hb = LIFT + DRIVE[4], LIFT + PICKUP[4]
        k = self.k
        Da = np.exp(-k * ha) - np.exp(-k * (ha + DRIVE[3]))
        Db = np.exp(-k * hb) - np.exp(-k * (hb + PICKUP[3]))
        self.c = wk * Da * Db * cross_section(k, DRIVE[1], DRIVE[2]) * cross_section(k, PICKUP[1], PICKUP[2]) / k ** 6

    def __call__(self, w):
        return float(np.dot(self.c, reflection(self.k, w, self.stack).imag))


def q_factor():
    Na, R1a, R2a, La, _ = DRIVE
    Nb, R1b, R2b, Lb, _ = PICKUP
    return Na * Nb / (La * Lb * (R2a - R1a) * (R2b - R1b))  # 1/mm^4


def scale():
    """mu0 q S in henry from q [1/mm^4] and S [mm^5]: (mm^5 -> m^5) 1e-15 times (1/mm^4 -> 1/m^4) 1e12."""
    return MU0 * q_factor() * 1e-3


def step(t, stack):
    v, _ = integrate.quad(Kernel(stack), 0, math.inf, weight="sin", wvar=t, limlst=200, epsabs=1e-13)
    return 2 * scale() * v


def ramp(u, stack):
    S = Kernel(stack)
    g = lambda w: S(w) / w
    whole, _ = integrate.quad(g, 0, math.inf, epsabs=0, epsrel=1e-11, limit=400)
    c, _ = integrate.quad(g, 0, math.inf, weight="cos", wvar=u, limlst=200, epsabs=1e-13)
    return 2 * scale() * (whole - c)


def response(t, stack, waveform):
    if waveform[0] == "step-off":
        return step(t, stack)
    if waveform[0] == "pulse":
        W = waveform[1]
        return (step(t - W, stack) if t > W else 0.0) - step(t, stack)
    times, currents = waveform[1], waveform[2]
    v = 0.0
    for k in range(len(times) - 1):
        if t <= times[k]:
            break
        slope = (currents[k + 1] - currents[k]) / (times[k + 1] - times[k])
        far = ramp(t - times[k + 1], stack) if t > times[k + 1] else 0.0
        v -= slope * (ramp(t - times[k], stack) - far)
    return v


def waveform_text(w):
    if w[0] == "step-off":
        return "step-off"
    if w[0] == "pulse":
        return f"pulse {w[1]!r}"
    return "samples " + " ".join(f"{a!r}:{b!r}" for a, b in zip(w[1], w[2]))


def main():
    print("# " + __doc__.strip().replace("\n", "\n# "))
    print(f"# drive N,R1,R2,L,z = {DRIVE}; pickup {PICKUP}; lift-off {LIFT} mm")
    print("name,layers,waveform,t,v")
    for name, stack, waveform, times in CASES:
        layers = " ".join(f"{d!r}:{s!r}:{m!r}" for d, s, m in stack)
        for t in times:
            print(f"{name},{layers},{waveform_text(waveform)},{t!r},{response(t, stack, waveform)!r}")
            sys.stdout.flush()


if __name__ == "__main__":
    main()
