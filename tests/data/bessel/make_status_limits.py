#!/usr/bin/python3
"""The rows of status.tsv whose arguments or values are computed, printed tab-separated.

On either side of the half-precision limit sqrt(1073741823.5); I at |z| = 32768, past it, through
the leading terms of the expansions of exp(-x) I0(x) and exp(-x) I1(x) in t = 1/(8x), whose next
terms are below 1e-14 there; ZAIRY's limits (IERR 3 above sqrt(AA), IERR 4 above AA, AA =
min(0.5/TOL, I1MACH(9)/2)^(2/3); on the positive axis Ai and Ai' have underflowed there already:
NZ = 1); K where 2/z overflows; K scaled by exp(z) just past its underflow (mpmath, 30 digits);
the first double past the range limit. Arguments are formed in double arithmetic, as written.
"""
import math

import mpmath

mpmath.mp.dps = 30
half, rng, big = math.sqrt(1073741823.5), 1073741823.5, 32768.0
t = 1.0 / (8.0 * big)
lead = 1.0 / math.sqrt(2.0 * math.pi * big)
x = 697.8736974015857
airy_half, airy_range = 1023.9999998410539, 1048575.9996744783
rows = [
    ("below sqrt(range)", "K", math.nextafter(half, 0.0), 2, 1, 0, 0, "-", "-"),
    ("at sqrt(range)", "K", half, 2, 1, 0, 0, "-", "-"),
    ("I above sqrt(range)", "I", big, 2, 2, 3, 0, f"near {lead * (1.0 + t + 4.5 * t * t)!r} 1e-12",
     f"near {lead * (1.0 - 3.0 * t - 7.5 * t * t)!r} 1e-12"),
    ("Airy below sqrt(AA)", "A", airy_half * (1 - 1e-12), 1, 2, 0, 1, "0", "0"),
    ("Airy above sqrt(AA)", "A", airy_half * (1 + 1e-12), 1, 2, 3, 1, "0", "0"),
    ("Airy below AA", "A", airy_range * (1 - 1e-12), 1, 2, 3, 1, "0", "0"),
    ("Airy above AA", "A", airy_range * (1 + 1e-12), 1, 2, 4, 0, "-", "-"),
    ("K where 2/z overflows", "K", math.nextafter(2.0 / 1.7e308, 0.0), 1, 1, 2, 0, "-", "-"),
    ("K scaled", "K", x, 2, 2, 0, 0, f"near {float(mpmath.besselk(0, x) * mpmath.exp(x))!r} 1e-13", "-"),
] + [("beyond", f, math.nextafter(rng, 2e9), 2, 2, 4, 0, "-", "-") for f in "IJK"]
for what, func, zr, kode, n, ierr, nz, m1, m2 in rows:
    print("\t".join([what, func, repr(zr), "0", "0", str(kode), str(n), str(ierr), str(nz), m1, m2]))
