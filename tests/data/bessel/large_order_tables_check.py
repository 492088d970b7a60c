#!/usr/bin/python3
"""Checks the coefficient tables transcribed into bessel/amos_uniform.cpp against values computed
here from their definitions with mpmath (not reference data for the tests: the tables are
internal to the port, so this is a check of the transcription, run by hand).

  C (ZUNIK, ZUNHJ)   Debye polynomials u_k(t), exact rational recurrence
  AR, BR             lambda_k = (2k+1)(2k+3)...(6k-1)/(k! 144^k), mu_k = -(6k+1)/(6k-1) lambda_k
  GAMA               Taylor coefficients of zeta/w^2 in w^2 = 1 - (z/nu)^2
  ALFA, BETA         Taylor coefficients in w^2 of A_1..A_6 and B_0..B_6 of the Airy-type
                     expansion (DLMF 10.20.10-11 with Amos' lambda, mu):
                     A_k = sum_j mu_j zeta^(-3j/2) u_(2k-j)(p),
                     B_k = -zeta^(-1/2) sum_j lambda_j zeta^(-3j/2) u_(2k-j+1)(p), p = 1/w

The coefficients come from the trapezoidal rule for Cauchy's integral on |w^2| = 1/2 at 60
digits. Prints the worst relative difference per table; all should be below 2e-16.

Run:  /usr/bin/python3 tests/data/bessel/large_order_tables_check.py
"""
import os
import re
from fractions import Fraction as F

import mpmath as mp

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
SRC = open(os.path.join(ROOT, "bessel", "amos_uniform.cpp")).read()


def table(name):
    m = re.search(r"constexpr double " + name + r"\[\] = \{(.*?)\};", SRC, re.S)
    body = re.sub(r"//[^\n]*", "", m.group(1))
    return [float(x) for x in body.replace("\n", " ").split(",") if x.strip()]


def debye(kmax):
    """u_0..u_kmax as {power: coefficient}: u_(k+1) = t^2(1-t^2)u_k'/2 + 1/8 int_0^t (1-5s^2)u_k."""
    u = [{0: F(1)}]
    for _ in range(kmax):
        q = {}
        for e, c in u[-1].items():
            if e > 0:
                q[e + 1] = q.get(e + 1, 0) + c * e / 2
                q[e + 3] = q.get(e + 3, 0) - c * e / 2
            q[e + 1] = q.get(e + 1, 0) + c / 8 / (e + 1)
            q[e + 3] = q.get(e + 3, 0) - 5 * c / 8 / (e + 3)
        u.append(q)
    return u


def lam_mu(kmax):
    lam, mu = [F(1)], [F(1)]
    for k in range(1, kmax + 1):
        num = F(1)
        for j in range(2 * k + 1, 6 * k, 2):
            num *= j
        fact = 1
        for j in range(2, k + 1):
            fact *= j
        lam.append(num / fact / F(144) ** k)
        mu.append(-F(6 * k + 1, 6 * k - 1) * lam[-1])
    return lam, mu


def worst(name, got, want):
    w = max(abs(g - float(x)) / abs(float(x)) for g, x in zip(got, want))
    print("%-6s %3d entries, worst relative difference %.1e" % (name, len(got), w))


def main():
    mp.mp.dps = 60
    u = debye(14)
    worst("C", table("zunik_c"), [p.get(e, F(0)) for k, p in enumerate(u)
                                  for e in range(3 * k, k - 1, -2)])
    worst("C/ZUNHJ", table("zunhj_c"), [p.get(e, F(0)) for k, p in enumerate(u[:14])
                                        for e in range(3 * k, k - 1, -2)])
    lam, mu = lam_mu(13)
    worst("AR", table("zunhj_ar"), lam)
    worst("BR", table("zunhj_br"), mu)

    def upoly(k, p):
        return sum(mp.mpf(c.numerator) / c.denominator * p ** e for e, c in u[k].items())

    M, r = 256, mp.mpf("0.5")
    pts = [r * mp.expj(2 * mp.pi * j / M) for j in range(M)]

    def taylor(vals, n=30):
        return [mp.re(sum(v * mp.expj(-2 * mp.pi * j * k / M) for j, v in enumerate(vals)) / M
                      / r ** k) for k in range(n)]

    qs, alfa, beta = [], [[] for _ in range(6)], [[] for _ in range(7)]
    for s in pts:
        w = mp.sqrt(s)
        z = mp.sqrt(1 - s)
        g = (mp.log((1 + w) / z) - w) / w ** 3       # analytic in s = w^2
        q = (mp.mpf(3) / 2 * g) ** (mp.mpf(2) / 3)  # zeta / w^2
        qs.append(q)
        z32 = w ** 3 * q ** 1.5                      # zeta^(3/2) on the branch of w
        z12 = w * mp.sqrt(q)
        p = 1 / w
        for k in range(1, 7):
            alfa[k - 1].append(sum(mp.mpf(mu[j].numerator) / mu[j].denominator / z32 ** j
                                   * upoly(2 * k - j, p) for j in range(2 * k + 1)))
        for k in range(0, 7):
            beta[k].append(-sum(mp.mpf(lam[j].numerator) / lam[j].denominator / z32 ** j
                                * upoly(2 * k - j + 1, p) for j in range(2 * k + 2)) / z12)
    worst("GAMA", table("zunhj_gama"), taylor(qs))
    worst("ALFA", table("zunhj_alfa"), [c for blk in alfa for c in taylor(blk)])
    worst("BETA", table("zunhj_beta"), [c for blk in beta for c in taylor(blk)])


if __name__ == "__main__":
    main()
