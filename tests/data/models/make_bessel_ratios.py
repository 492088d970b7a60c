#!/usr/bin/python3
"""References for the Bessel-function ratios K1(z)/K0(z) and I1(z)/I0(z) that the batch engine
forms for a bore in, or a rod of, one material: z = alpha r with Re z >= Im z >= 0. mpmath's
besselk and besseli at 40 digits, independent of the program's code. The moduli run from 0.5 to
400 (log-spaced, with points on both sides of the switches between methods at 20, 30 and 40), the
arguments over [0, pi/4] including both ends.
Run:  /usr/bin/python3 make_bessel_ratios.py > bessel_ratios.csv
"""
import mpmath as mp

mp.mp.dps = 40
TOLERANCE = 2e-15  # relative, on each ratio

moduli = sorted(set([float(mp.mpf(0.5) * (800) ** (mp.mpf(i) / 48)) for i in range(49)] +
                    [19.999, 20.0, 29.999, 30.0, 39.999, 40.0]))
angles = [0.0, 0.1, 0.3, 0.5, 0.65, float(mp.pi / 4)]
print("# K1(z)/K0(z) and I1(z)/I0(z) by mpmath (besselk, besseli) at 40 digits; see make_bessel_ratios.py.")
print("# Command: /usr/bin/python3 make_bessel_ratios.py > bessel_ratios.csv")
print(f"# tolerance {TOLERANCE!r} (relative, on each ratio)")
print("zr,zi,k_re,k_im,i_re,i_im")
for r in moduli:
    for t in angles:
        z = mp.mpf(r) * mp.expj(t)
        zr, zi = float(z.real), float(z.imag)
        z = mp.mpc(zr, zi)  # the double the test passes
        qk = mp.besselk(1, z) / mp.besselk(0, z)
        qi = mp.besseli(1, z) / mp.besseli(0, z)
        print(",".join(repr(float(v)) for v in (zr, zi, qk.real, qk.imag, qi.real, qi.imag)))
