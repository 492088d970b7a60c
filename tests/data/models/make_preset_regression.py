#!/usr/bin/env python3
"""Regression data of the seven window cases: dR, dX and Ier of each case's model at random inputs.

These numbers are not references: they are what the one- and two-layer closed formulas of each
case gave (commit 716e132, the last before the layered-conductor kernels), kept so that the
general stack kernels can be held to them at 1e-12 relative. The draws are log-uniform over the
ranges below, fixed by the seed; vertical-coil draws are fewer (each costs a nested quadrature).

    PYTHONPATH=build/default/python /usr/bin/python3 tests/data/models/make_preset_regression.py \
        > tests/data/models/preset_regression.csv
"""
import math
import random

import veldo

rng = random.Random(20261207)


def lu(lo, hi):
    return math.exp(rng.uniform(math.log(lo), math.log(hi)))


CASES = {"planar1": 60, "planar2": 60, "bore1": 50, "bore2": 50, "rod1": 50, "rod2": 50, "vertical": 12}
print("# Regression data of the one- and two-layer formulas (see make_preset_regression.py).")
print("# SI units; P1 = LO or B1, P2 = D1 or B2; Acc relative.")
print("case,N,R1,R2,L,f,Acc,P1,P2,CON1,CON2,MR1,MR2,dR,dX,ier")
for case, n in CASES.items():
    for _ in range(n):
        N = rng.randint(1, 2000)
        R1 = lu(1e-4, 2e-2)
        R2 = R1 * lu(1.05, 4.0)
        L = lu(1e-4, 2e-2)
        f = lu(10.0, 5e6)
        acc = rng.choice([1e-4, 1e-6, 1e-8])
        con1, con2 = lu(1e4, 6e7), lu(1e4, 6e7)
        mr1 = 1.0 if rng.random() < 0.5 else lu(1, 500)
        mr2 = 1.0 if rng.random() < 0.5 else lu(1, 500)
        if case in ("planar1", "planar2", "vertical"):
            p1, p2 = lu(1e-5, 1e-2), lu(1e-5, 5e-3)
        elif case.startswith("bore"):
            p1 = R2 * lu(1.001, 2.0)
            p2 = p1 * lu(1.001, 1.5)
        else:
            p1 = R1 * lu(0.3, 0.999)
            p2 = p1 * lu(0.3, 0.999)
        args = {"planar1": (p1, con1, mr1), "planar2": (p1, p2, con1, con2, mr1, mr2),
                "bore1": (p1, con1, mr1), "bore2": (p1, p2, con1, con2, mr1, mr2),
                "rod1": (p1, con1, mr1), "rod2": (p1, p2, con1, con2, mr1, mr2),
                "vertical": (p1, con1, mr1)}[case]
        z = getattr(veldo, case)(N, R1, R2, L, f, *args, acc=acc)
        two = len(args) == 6
        row = [N, R1, R2, L, f, acc, p1, p2 if two else 0, con1, con2 if two else 0, mr1, mr2 if two else 1]
        print(",".join([case] + [repr(float(v)) if i else str(v) for i, v in enumerate(row)]
                       + [repr(float(z.dR)), repr(float(z.dX)), str(int(z.ier))]))
