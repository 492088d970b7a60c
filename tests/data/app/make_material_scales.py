"""Skin depth delta = 1/sqrt(pi f mu0 mur sigma) and limit frequency f_g = 1/(2 pi mu0 mur sigma r^2),
closed forms at 30 digits (mpmath), mu0 = 4 pi 1e-7 H/m as the models take it.
Command: /usr/bin/python3 make_material_scales.py > material_scales.csv"""
import mpmath as mp

mp.mp.dps = 30
mu0 = 4 * mp.pi * mp.mpf("1e-7")
rows = [  # f [Hz], sigma [S/m], mur, r [m]
    ("1e5", "3.5e7", "1", "3e-3"),       # aluminium at 100 kHz, the default coil's mean radius
    ("50", "5.8e7", "1", "0.01"),         # copper at mains frequency
    ("1e3", "5e6", "100", "0.025"),      # steel
    ("1e9", "1e9", "1e6", "1e-9"),        # the extremes the fields take
    ("1e-3", "1e-2", "1", "100"),
]
print("# " + __doc__.replace("\n", "\n# "))
print("f,sigma,mur,r,delta,fg")
for f, s, m, r in rows:
    F, S, M, R = map(mp.mpf, (f, s, m, r))
    delta = 1 / mp.sqrt(mp.pi * F * mu0 * M * S)
    fg = 1 / (2 * mp.pi * mu0 * M * S * R**2)
    print(f"{f},{s},{m},{r},{mp.nstr(delta, 20)},{mp.nstr(fg, 20)}")
