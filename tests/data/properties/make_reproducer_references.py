#!/usr/bin/python3
"""References of two rows of reproducers.csv (beside this file), on their exact double inputs.

PlanarFarLiftOff: a coil 18.6 mm above a magnetic half-space (case 1). The impedance change is
the case-1 integral of tests/data/models/make_dodd_deeds_references.py: mpmath at 25 digits, the
coil's cross-section integral in closed form (Struve functions), tanh-sinh quadrature over
breakpoints at the kernel's oscillation period.

AirCoilOfLongThinWinding: X0 = 2 pi f N^2 L0 of a winding of 0.21..0.33 mm, 3.1 mm high, with
L0 from Maxwell's mutual inductance of coaxial filaments integrated over the cross-section
(tests/data/models/make_maxwell_limits.py: elliptic integrals, scipy quad at 1e-10), no Bessel
function and no integral over k at all.

AirCoilOfVeryShortWideWinding, AirCoilOfVeryLongThinWinding, AirCoilOfSolidWindingTight: X0 of
three more windings the same way (Maxwell's filaments over the cross-section); the last, held
at Acc 1e-10, with scipy quad's relative tolerance tightened to 1e-13.

Run:  /usr/bin/python3 make_reproducer_references.py     (a few minutes: the filament
      integrals over the thin and the wide windings take most of it)
Output (mpmath 1.2.1, scipy 1.10.1):
  PlanarFarLiftOff refR,refX = 0.035775287212997134, -1.3201731827342872
  AirCoilOfLongThinWinding refX = 135.32745810173
  AirCoilOfVeryShortWideWinding refX = 1303.5595817666804
  AirCoilOfVeryLongThinWinding refX = 6.475245789377369
  AirCoilOfSolidWindingTight refX = 56.84119385761396
(L0 = 2.3051994561441212e-08, 1.0305673751143901e-10 and 2.2616392434209853e-09 H per turn
squared; about 50, 110 and 190 s.) X0 of VELDO agrees to 8.6e-13, 8.2e-10 (quad warns of
round-off on the 400:1 thin winding, as on AirCoilOfLongThinWinding; the row is held at 1e-8)
and 2.7e-15.
The first two rows hold the values of scipy quad on the same kernel (0.03577528721299715,
-1.320173182734288 and 135.3274580827021): the same to 15 digits and to 1.4e-10, the filament
integral's own tolerance (quad warns of round-off in one inner run on the thin winding), far
below the Acc of 0.019 % and 0.41 % these rows are checked at.
"""
import math
import os
import sys

import mpmath as mp

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'models'))
from make_dodd_deeds_references import case1  # noqa: E402
from make_maxwell_limits import OPTS, self_inductance  # noqa: E402

N, R1, R2, L = 359, 0.00015933498983051569, 0.0050959672857479954, 0.0052647842983340014
f, LO, CON1, MR1 = 823974.40137342957, 0.018608056115798292, 93062208.460351795, 45.991582906407473
dR, dX = case1(N, *[mp.mpf(v) for v in (R1, R2, L, f, LO, CON1, MR1)])
print(f"PlanarFarLiftOff refR,refX = {mp.nstr(dR, 17)}, {mp.nstr(dX, 17)}")

N, R1, R2, L = 1106, 0.00020832703356652731, 0.00032858009287393025, 0.0030910644294999999
f = 239582.44785268788
X0 = 2 * math.pi * f * N * N * self_inductance(R1, R2, L)
print(f"AirCoilOfLongThinWinding refX = {X0:.14g}")

# (name, N, R1, R2, L, f, quad's relative tolerance)
for name, N, R1, R2, L, f, rel in [
    ('AirCoilOfVeryShortWideWinding', 300, 5e-3, 20e-3, 0.2e-3, 1e5, 1e-10),
    ('AirCoilOfVeryLongThinWinding', 1000, 1e-3, 1.1e-3, 40e-3, 1e4, 1e-10),
    ('AirCoilOfSolidWindingTight', 200, 0.0, 4e-3, 1e-3, 1e5, 1e-13),
]:
    OPTS['epsrel'] = rel
    X0 = 2 * math.pi * f * N * N * self_inductance(R1, R2, L)
    print(f"{name} refX = {X0:.17g}", flush=True)
