#!/usr/bin/env python3
"""Writes data/closed_forms.csv: the air-coil inductances and coil-image mutual inductances that
test_validation.py and make_docs.py compare the models with.

    /usr/bin/python3 docs/validation/make_references.py      (about a minute)

Every value comes from closed_forms.py (Maxwell's filament formula integrated by scipy's QUADPACK
at 1e-10 relative tolerance); none comes from VELDO. dM/dLO is the central difference of M over
+-2 um of lift-off and d2M/dLO2 its second difference, good to about 1e-5 relative. The image of a
winding lying parallel to the surface (M_vertical_image) is Neumann's formula on product rules,
checked here against twice the nodes in each direction.
"""

import csv
import pathlib
import warnings

from scipy import integrate

import closed_forms as cf

HERE = pathlib.Path(__file__).resolve().parent

# name: N, R1, R2, L [m]. "default" is the window's default coil; "team15" the coil of TEAM
# Workshop Problem 15-1 as published (nominal dimensions); "thin" a tall single-layer-like winding.
COILS = {
    "default": (200, 2e-3, 4e-3, 1e-3),
    "team15": (3790, 6.15e-3, 12.4e-3, 6.15e-3),
    "thin": (50, 5e-3, 5.5e-3, 20e-3),
}
# (coil, lift-off LO [m]) pairs whose image mutual inductance is tabulated.
IMAGES = [("default", 0.5e-3), ("default", 2e-3), ("team15", 0.88e-3), ("thin", 1e-3)]
VERTICAL_IMAGES = [("default", 0.5e-3), ("default", 2e-3), ("thin", 1e-3)]
STEP = 2e-6


def main():
    warnings.simplefilter("ignore", integrate.IntegrationWarning)
    rows = []
    for name, coil in COILS.items():
        rows.append((name, "L0", "", repr(cf.self_inductance(*coil)), "H"))
    for name, LO in IMAGES:
        coil = COILS[name]
        M = cf.image_mutual(*coil, LO)
        up, down = cf.image_mutual(*coil, LO + STEP), cf.image_mutual(*coil, LO - STEP)
        rows.append((name, "M_image", repr(LO), repr(M), "H"))
        rows.append((name, "dM_image/dLO", repr(LO), repr((up - down) / (2 * STEP)), "H/m"))
        rows.append((name, "d2M_image/dLO2", repr(LO), repr((up - 2 * M + down) / STEP**2), "H/m^2"))
    for name, LO in VERTICAL_IMAGES:
        M = cf.vertical_image_mutual(*COILS[name], LO)
        finer = cf.vertical_image_mutual(*COILS[name], LO, n_radial=32, n_angle=512)
        assert abs(M - finer) <= 1e-10 * abs(M), (name, LO, M, finer)
        rows.append((name, "M_vertical_image", repr(LO), repr(M), "H"))
    path = HERE / "data" / "closed_forms.csv"
    with open(path, "w", newline="") as out:
        out.write("# Made by docs/validation/make_references.py from closed_forms.py (scipy only, no VELDO).\n")
        out.write("# L0: Maxwell's coaxial-filament mutual inductance integrated over the winding with itself.\n")
        out.write("# M_image: the same between the winding at lift-off LO and its mirror image in z = 0.\n")
        out.write("# M_vertical_image: Neumann's formula between a winding with its axis parallel to z = 0, its\n")
        out.write("#   outermost turns at LO, and its mirror image (current along the mirrored path).\n")
        out.write("# Coils (N, R1, R2, L in m): " + "; ".join(f"{k} {v}" for k, v in COILS.items()) + "\n")
        writer = csv.writer(out)
        writer.writerow(("coil", "quantity", "LO_m", "value", "unit"))
        writer.writerows(rows)
    print(f"wrote {path}")


if __name__ == "__main__":
    main()
