#!/usr/bin/python3
"""Reference for the bore at extreme skin effect (rows BoreAtExtremeSkinEffect of
tests/data/properties/reproducers.csv, read by tests/properties/model_properties_test.cpp): a coil of 0.142..41.5 mm,
0.086 mm high, in a bore 12.6 um outside its winding, of magnetic steel (30 MS/m, MR 891) at
8.16 MHz, where |alpha B1| is about 5e4 and every Bessel value of the complex argument comes
with Amos' IERR 3. The impedance change is the case-3 integral of make_dodd_deeds_references.py
(mpmath, 25 digits, Bessel K of complex argument by its asymptotic expansion there), run on the
exact double inputs of the reproducer.

Run:  /usr/bin/python3 make_extreme_bore_reference.py     (about a minute)
Output (mpmath 1.2.1): dR = 88471.310420132417 ohm, dX = -1662737.8968940719 ohm
"""
import os
import sys

import mpmath as mp

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_dodd_deeds_references import case3  # noqa: E402

N = 1788
R1, R2, L = 0.00014226077377921007, 0.041501569116719622, 8.6188955880815103e-05
f, B1 = 8158193.5236026533, 0.041514200231846071
CON1, MR1 = 29789198.173661135, 891.22448378692911
dR, dX = case3(N, *[mp.mpf(v) for v in (R1, R2, L, f, B1, CON1, MR1)])
print(f"dR = {mp.nstr(dR, 17)} ohm, dX = {mp.nstr(dX, 17)} ohm")
