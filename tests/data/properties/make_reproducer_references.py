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

Run:  /usr/bin/python3 make_reproducer_references.py     (a few seconds)
Output (mpmath 1.2.1, scipy 1.10.1):
  PlanarFarLiftOff refR,refX = 0.035775287212997134, -1.3201731827342872
  AirCoilOfLongThinWinding refX = 135.32745810173
The rows hold the values of scipy quad on the same kernel (0.03577528721299715,
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
from make_maxwell_limits import self_inductance  # noqa: E402

N, R1, R2, L = 359, 0.00015933498983051569, 0.0050959672857479954, 0.0052647842983340014
f, LO, CON1, MR1 = 823974.40137342957, 0.018608056115798292, 93062208.460351795, 45.991582906407473
dR, dX = case1(N, *[mp.mpf(v) for v in (R1, R2, L, f, LO, CON1, MR1)])
print(f"PlanarFarLiftOff refR,refX = {mp.nstr(dR, 17)}, {mp.nstr(dX, 17)}")

N, R1, R2, L = 1106, 0.00020832703356652731, 0.00032858009287393025, 0.0030910644294999999
f = 239582.44785268788
X0 = 2 * math.pi * f * N * N * self_inductance(R1, R2, L)
print(f"AirCoilOfLongThinWinding refX = {X0:.14g}")
