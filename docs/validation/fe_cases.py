"""The finite-element problems (data/fe_cases.json), their stored mesh study (data/fe_axisym.csv)
and the same problems put to VELDO, for make_docs.py and python/tests/test_validation.py.

The one- and two-layer plates, bores and rods go through the closed-form cases (planar1, planar2,
bore1, bore2, rod1, rod2); the five-layer plate through veldo.impedance and the drive-pickup pair
through veldo.transfer_impedance, which is what `needs` names.
"""

import csv
import json
import math
import pathlib

HERE = pathlib.Path(__file__).resolve().parent
DATA = HERE / "data"


def cases():
    return json.loads((DATA / "fe_cases.json").read_text())["cases"]


def study():
    """{case: [row, ...]} of the stored runs, numbers as floats."""
    out = {}
    with open(DATA / "fe_axisym.csv", newline="") as f:
        for r in csv.DictReader(line for line in f if not line.startswith("#")):
            row = {k: (v if k in ("case", "grid") else float(v)) for k, v in r.items()}
            out.setdefault(r["case"], []).append(row)
    return out


def figures(rows):
    """The finest run's dZ; its change from the level below, and the change of that level's dZ when
    the box is doubled, relative to |dZ|."""
    box = min(r["box_m"] for r in rows)
    inner = sorted((r for r in rows if r["box_m"] == box), key=lambda r: r["level"])
    fine, coarse = inner[-1], inner[-2]
    big = next(r for r in rows if r["box_m"] > box and r["level"] == coarse["level"])
    dz = lambda r: complex(r["dR_ohm"], r["dX_ohm"])  # noqa: E731
    z = dz(fine)
    return dict(dZ=z, mesh=abs(z - dz(coarse)) / abs(z), box=abs(dz(big) - dz(coarse)) / abs(z), fine=fine)


def needs(case):
    if len(case["coils"]) > 1:
        return "transfer_impedance"
    return "impedance" if len(case["layers"]) > 2 else None


def _complex(r):
    if hasattr(r, "dR"):
        return complex(float(r.dR), float(r.dX))
    return complex(float(r[0]), float(r[1]))


def veldo_dz(veldo, case, acc):
    """VELDO's dZ [ohm] of a case (for a pair, of the transfer impedance)."""
    f, geo, layers, coils = case["f"], case["geometry"], case["layers"], case["coils"]
    c = coils[0]
    coil = (c["N"], c["R1"], c["R2"], c["L"])
    need = needs(case)
    if need is None:
        (t1, s1, m1), *rest = layers
        if geo == "plate":
            LO = case["lift_off"] + c["z"]
            if not rest:
                return _complex(veldo.planar1(*coil, f, LO, s1, m1, acc=acc))
            (_, s2, m2), = rest
            return _complex(veldo.planar2(*coil, f, LO, t1, s1, s2, m1, m2, acc=acc))
        B1 = case["radius"]
        one, two = (veldo.bore1, veldo.bore2) if geo == "tube" else (veldo.rod1, veldo.rod2)
        if not rest:
            return _complex(one(*coil, f, B1, s1, m1, acc=acc))
        (_, s2, m2), = rest
        B2 = B1 + t1 if geo == "tube" else B1 - t1
        return _complex(two(*coil, f, B1, B2, s1, s2, m1, m2, acc=acc))
    vl = [veldo.Layer(math.inf if t is None else t, s, m) for t, s, m in layers]
    if geo == "plate":
        conductor = veldo.Plate(vl, case["lift_off"])
    else:
        conductor = (veldo.Tube if geo == "tube" else veldo.Rod)(case["radius"], vl)
    vc = [veldo.Coil(k["N"], k["R1"], k["R2"], k["L"], z=k["z"]) for k in coils]
    if need == "transfer_impedance":
        return _complex(veldo.transfer_impedance(vc[0], vc[1], conductor, f, acc))
    return _complex(veldo.impedance(vc[0], conductor, f, acc))
