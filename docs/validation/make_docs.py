#!/usr/bin/env python3
"""Makes the figures (docs/validation/*.png) and the tables of docs/validation.md.

    make docs
    PYTHONPATH=build/default/python /usr/bin/python3 docs/validation/make_docs.py

The models run through the Python package veldo; every reference comes from closed_forms.py,
data/closed_forms.csv (make_references.py), data/team15.csv or the finite-element solutions of
data/fe_axisym.csv (fe_solve.py, which make docs runs first). Each table replaces the lines
between "<!-- begin NAME -->" and "<!-- end NAME -->" in docs/validation.md. Nothing is fitted.
"""

import csv
import math
import pathlib
import re

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import closed_forms as cf  # noqa: E402
import fe_cases  # noqa: E402
import veldo  # noqa: E402

HERE = pathlib.Path(__file__).resolve().parent
PAGE = HERE.parent / "validation.md"
ACC = 1e-6
REMAKE = "remake: make docs"


def rows(name):
    with open(HERE / "data" / name, newline="") as f:
        return list(csv.DictReader(line for line in f if not line.startswith("#")))


CLOSED = {(r["coil"], r["quantity"], r["LO_m"]): float(r["value"]) for r in rows("closed_forms.csv")}
TEAM15 = {(int(r["problem"]), r["kind"], r["quantity"]): float(r["value"]) for r in rows("team15.csv")}
COILS = {
    "default": (200, 2e-3, 4e-3, 1e-3),
    "team15": (3790, 6.15e-3, 12.4e-3, 6.15e-3),
    "thin": (50, 5e-3, 5.5e-3, 20e-3),
}
COIL_TEXT = {
    "default": "N = 200, R1 = 2 mm, R2 = 4 mm, L = 1 mm",
    "team15": "N = 3790, R1 = 6.15 mm, R2 = 12.4 mm, L = 6.15 mm",
    "thin": "N = 50, R1 = 5 mm, R2 = 5.5 mm, L = 20 mm",
}
IMAGES = [(c, float(lo)) for (c, q, lo) in CLOSED if q == "M_image"]


def table(header, body):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(row) + " |" for row in body]
    return "\n".join(lines)


def g(x, digits=6):
    return f"{x:.{digits}g}"


def rel(a, b):
    return f"{(a - b) / b:+.1e}"


def save(fig, name):
    fig.text(0.99, 0.01, REMAKE, ha="right", va="bottom", fontsize=7, color="0.4")
    fig.savefig(HERE / name, dpi=110)
    plt.close(fig)


# --- air coil ---------------------------------------------------------------------------------

def air_coil():
    body = []
    for name, coil in COILS.items():
        L0 = float(veldo.air_coil(*coil, 1e3, acc=ACC).L0)
        ref = CLOSED[(name, "L0", "")]
        body.append([COIL_TEXT[name], g(ref * 1e3, 8), g(L0 * 1e3, 8), rel(L0, ref)])
    return table(["coil", "Maxwell integral L0 [mH]", "VELDO L0 [mH]", "relative difference"], body)


# --- planar half-space limits -----------------------------------------------------------------

# The thin-skin limit at the largest conductivity the inputs take, 1e11 S/m, and 1 MHz: the same
# omega sigma, and so the same skin depth, as 1e14 S/m at 1 kHz.
F_THIN, CON_THIN = 1e6, 1e11


def image_limits():
    F = 1e3
    omega = 2 * math.pi * F
    body_mu, body_sigma = [], []
    for coil, LO in IMAGES:
        M, dM, d2M = (CLOSED[(coil, q, repr(LO))] for q in ("M_image", "dM_image/dLO", "d2M_image/dLO2"))
        for MR in (1.5, 10.0, 1e6):
            r = veldo.planar1(*COILS[coil], F, LO, 0.0, MR, acc=ACC)
            want = omega * (MR - 1) / (MR + 1) * M
            body_mu.append([coil, g(LO * 1e3, 3), g(MR, 3), g(want, 8), g(float(r.dX), 8), rel(float(r.dX), want)])
        w = 2 * math.pi * F_THIN
        for MR in (1.0, 50.0):
            h = MR * math.sqrt(2.0 / (w * cf.MU0 * MR * CON_THIN)) * (1 - 1j) / 2
            want = -1j * w * (M + h * dM + h * h * d2M / 2)
            r = veldo.planar1(*COILS[coil], F_THIN, LO, CON_THIN, MR, acc=ACC)
            dz = complex(r.dZ)
            body_sigma.append([coil, g(LO * 1e3, 3), g(MR, 3), g(want.real, 6), g(dz.real, 6),
                               g(want.imag, 8), g(dz.imag, 8), f"{abs(dz - want) / (w * M):.1e}"])
    t_mu = table(["coil", "LO [mm]", "MR", "image dX [ohm]", "VELDO dX [ohm]", "relative difference"], body_mu)
    t_sigma = table(["coil", "LO [mm]", "MR", "complex image dR [ohm]", "VELDO dR [ohm]",
                     "complex image dX [ohm]", "VELDO dX [ohm]", "abs(difference) / (omega M)"], body_sigma)

    # Figure: the default coil at LO = 0.5 mm, dZ / (omega M) against conductivity and permeability.
    coil, LO = "default", 0.5e-3
    M, dM, d2M = (CLOSED[(coil, q, repr(LO))] for q in ("M_image", "dM_image/dLO", "d2M_image/dLO2"))
    fig, (a, b) = plt.subplots(1, 2, figsize=(10, 4))
    con = np.logspace(4, 11, 15)
    r = veldo.planar1(*COILS[coil], F, LO, con, 1.0, acc=ACC)
    a.semilogx(con, r.dX / (omega * M), "o", color="C0", label="VELDO dX / (ωM)")
    a.semilogx(con, r.dR / (omega * M), "s", color="C1", label="VELDO dR / (ωM)")
    con_fine = np.logspace(8, 11, 100)
    h = np.sqrt(2.0 / (omega * cf.MU0 * con_fine)) * (1 - 1j) / 2
    z = -1j * (M + h * dM + h * h * d2M / 2) / M
    a.semilogx(con_fine, z.imag, "-", color="C0", label="complex image, dX")
    a.semilogx(con_fine, z.real, "-", color="C1", label="complex image, dR")
    a.axhline(-1.0, color="0.5", ls=":", label="σ → ∞: −1")
    a.set_xlabel("conductivity σ [S/m] (MR = 1)")
    a.set_ylabel("dZ / (ωM)")
    a.set_title("Thin skin: the coil's image sinks by (1 − j)·MR·δ/2")
    a.legend(fontsize=7)
    mr = np.logspace(0, 6, 19)
    r = veldo.planar1(*COILS[coil], F, LO, 0.0, mr, acc=ACC)
    mr_fine = np.logspace(0, 6, 200)
    b.semilogx(mr, r.dX / (omega * M), "o", label="VELDO dX / (ωM), σ = 0")
    b.semilogx(mr_fine, (mr_fine - 1) / (mr_fine + 1), "-", label="image: (MR − 1)/(MR + 1)")
    b.set_xlabel("relative permeability MR (σ = 0)")
    b.set_title("Non-conducting magnetic half-space")
    b.legend(fontsize=7)
    fig.suptitle(f"Coil {COIL_TEXT[coil]} at LO = 0.5 mm, f = 1 kHz; M = coil–image mutual inductance", fontsize=9)
    fig.tight_layout(rect=(0, 0.03, 1, 0.95))
    save(fig, "halfspace_limits.png")
    return t_mu, t_sigma


# --- coil parallel to the surface -------------------------------------------------------------

def vertical():
    F = 1e3
    omega = 2 * math.pi * F
    body = []
    for (coil, q, lo) in CLOSED:
        if q != "M_vertical_image":
            continue
        LO, M = float(lo), CLOSED[(coil, q, lo)]
        for con, MR in ((0.0, 1.5), (0.0, 1e6), (CON_THIN, 1.0), (CON_THIN, 50.0)):
            f = F if con == 0.0 else F_THIN
            r = veldo.vertical(*COILS[coil], f, LO, con, MR, acc=ACC)
            if con == 0.0:
                want, ours = omega * (MR - 1) / (MR + 1) * M, float(r.dX)
                what = "dX"
            else:
                want, ours = -2 * math.pi * F_THIN * M, float(r.dX - r.dR)
                what = "dX − dR"
            body.append([coil, g(LO * 1e3, 3), f"{con:g}", g(MR, 3), what, g(want, 8), g(ours, 8), rel(ours, want)])
    return table(["coil", "LO [mm]", "σ [S/m]", "MR", "compared", "image [ohm]", "VELDO [ohm]",
                  "relative difference"], body)


# --- two equal layers -------------------------------------------------------------------------

def equal_layers():
    coil, LO = COILS["default"], 0.5e-3
    body = []
    fig, ax = plt.subplots(figsize=(6, 4.5))
    d1 = np.logspace(-5, -1.5, 36)
    for k, (f, con, mr) in enumerate([(1e4, 1e7, 1.0), (1e3, 0.0, 5.0), (1e3, 5e6, 100.0)]):
        X0 = float(veldo.air_coil(*coil, f, acc=ACC).X0)
        one = complex(veldo.planar1(*coil, f, LO, con, mr, acc=ACC).dZ)
        layer = veldo.planar2(*coil, f, LO, d1, con, 0.0, mr, 1.0, acc=ACC).dZ
        equal = veldo.planar2(*coil, f, LO, d1[::5], con, con, mr, mr, acc=ACC).dZ
        lab = f"σ = {con / 1e6:g} MS/m, MR = {mr:g}, f = {f / 1e3:g} kHz"
        ax.plot(layer.real / X0, 1 + layer.imag / X0, "-", color=f"C{k}", lw=1, label=f"layer on air, D1 swept; {lab}")
        ax.plot(equal.real / X0, 1 + equal.imag / X0, "o", color=f"C{k}", mfc="none", label="two equal layers, any D1")
        ax.plot([one.real / X0], [1 + one.imag / X0], "x", color="k", ms=10)
        for d, z in zip(d1[::5], equal):
            body.append([lab, g(d * 1e3, 3), f"{abs(z - one) / abs(one):.1e}"])
    ax.plot([], [], "x", color="k", label="one-layer half-space")
    ax.set_xlabel("dR / X0")
    ax.set_ylabel("(X0 + dX) / X0")
    ax.set_title("Two-layer plate: equal layers are the half-space", fontsize=10)
    ax.legend(fontsize=6)
    fig.tight_layout(rect=(0, 0.03, 1, 1))
    save(fig, "two_layers.png")
    return table(["material", "D1 [mm]", "abs(dZ two layers − dZ one) / abs(dZ one)"], body)


# --- long coil round a rod --------------------------------------------------------------------

def rod():
    n, R1, R2, B1, L = 1e4, 2e-3, 4e-3, 1.5e-3, 160e-3
    lengths = np.array([L, 2 * L, 4 * L])
    turns = np.rint(n * lengths).astype(int)
    fig, ax = plt.subplots(figsize=(6, 4.5))
    body = []
    for k, (con, mr, freqs) in enumerate([(1e7, 1.0, np.logspace(1, 5, 13)), (5e6, 100.0, np.logspace(0, 4, 13))]):
        scale = cf.MU0 * n * n * math.pi * B1 * B1
        ours, exact = [], []
        for f in freqs:
            dZ = veldo.rod1(turns, R1, R2, lengths, f, B1, con, mr, acc=ACC).dZ
            per_length = (2 * dZ[2] - 3 * dZ[1] + dZ[0]) / (3 * L)
            want = cf.foerster_rod_per_length(n, B1, f, con, mr)
            ours.append(per_length / (2 * math.pi * f * scale))
            exact.append(want / (2 * math.pi * f * scale))
            if f in freqs[::4]:
                body.append([f"σ = {con / 1e6:g} MS/m, MR = {mr:g}", g(f, 4), g(want.real, 6), g(per_length.real, 6),
                             g(want.imag, 6), g(per_length.imag, 6), f"{abs(per_length - want) / abs(want):.1e}"])
        f_fine = np.geomspace(freqs[0], freqs[-1], 200)
        curve = np.array([cf.foerster_rod_per_length(n, B1, f, con, mr) / (2 * math.pi * f * scale) for f in f_fine])
        lab = f"σ = {con / 1e6:g} MS/m, MR = {mr:g}"
        ax.plot(curve.real / mr, curve.imag / mr, "-", color=f"C{k}", label=f"Foerster, {lab}")
        ax.plot(np.real(ours) / mr, np.imag(ours) / mr, "o", color=f"C{k}", mfc="none", label=f"VELDO, {lab}")
    ax.set_xlabel("dR' / (ω μ0 n² π B1² MR)")
    ax.set_ylabel("dX' / (ω μ0 n² π B1² MR)")
    ax.set_title("Coil round a rod: impedance change per unit length\nfar from the ends, frequency swept", fontsize=10)
    ax.legend(fontsize=7)
    fig.tight_layout(rect=(0, 0.03, 1, 1))
    save(fig, "rod_foerster.png")
    return table(["rod", "f [Hz]", "Foerster dR' [ohm/m]", "VELDO dR' [ohm/m]", "Foerster dX' [ohm/m]",
                  "VELDO dX' [ohm/m]", "relative difference"], body)


# --- TEAM Workshop Problem 15 -----------------------------------------------------------------

def team15():
    def coil(p):
        q = lambda k: TEAM15[(p, "published", k)]  # noqa: E731
        return int(q("N")), q("R1") * 1e-3, q("R2") * 1e-3, q("L") * 1e-3

    body = []
    for p in (1, 2):
        L0 = float(veldo.air_coil(*coil(p), 1e3).L0)
        meas = TEAM15[(p, "published", "L0_measured")] * 1e-3
        body.append([f"problem {p}: measured", g(meas * 1e3, 4), g(L0 * 1e3, 6), rel(L0, meas)])
    f = TEAM15[(1, "published", "f")] * 1e3
    LO = TEAM15[(1, "published", "LO")] * 1e-3
    D1 = TEAM15[(0, "published", "D1")] * 1e-3
    con = TEAM15[(0, "published", "CON1")] * 1e6
    omega = 2 * math.pi * f
    air = float(veldo.air_coil(*coil(1), f).L0)
    plate = veldo.planar2(*coil(1), f, LO, D1, con, 0.0, 1.0, 1.0)
    half = veldo.planar1(*coil(1), f, LO, con, 1.0)
    L_plate = air + float(plate.dX) / omega
    fem = {k: TEAM15[(1, "fem", k)] for k in ("L0", "L_plate", "R_plate")}
    body.append(["problem 1: finite elements, air", g(fem["L0"], 5), g(air * 1e3, 6), rel(air * 1e3, fem["L0"])])
    body.append(["problem 1: finite elements, over the plate", g(fem["L_plate"], 5), g(L_plate * 1e3, 6),
                 rel(L_plate * 1e3, fem["L_plate"])])
    body.append(["problem 1: finite elements, dR over the plate [ohm]", g(fem["R_plate"], 5), g(float(plate.dR), 6),
                 rel(float(plate.dR), fem["R_plate"])])
    t = table(["quantity [mH unless stated]", "reference", "VELDO", "relative difference"], body)

    # Figure: the normalised impedance of problem 1's coil over the plate against frequency.
    X0 = lambda fr: 2 * math.pi * fr * air  # noqa: E731
    freqs = np.geomspace(50, 20e3, 60)
    z = veldo.planar2(*coil(1), freqs, LO, D1, con, 0.0, 1.0, 1.0).dZ
    zh = veldo.planar1(*coil(1), freqs, LO, con, 1.0).dZ
    fig, ax = plt.subplots(figsize=(6, 4.5))
    ax.plot(z.real / X0(freqs), 1 + z.imag / X0(freqs), "-", label="VELDO, 12.22 mm plate (two-layer case, air below)")
    ax.plot(zh.real / X0(freqs), 1 + zh.imag / X0(freqs), "--", lw=1, label="VELDO, half-space")
    fem_point = (fem["R_plate"] / (omega * fem["L0"] * 1e-3), fem["L_plate"] / fem["L0"])
    ax.plot(*fem_point, "s", mfc="none", ms=9, color="C3", label="finite elements, 900 Hz")
    ours_point = (float(plate.dR) / (omega * air), L_plate / air)
    ax.plot(*ours_point, "+", ms=10, color="k", label="VELDO, 900 Hz")
    ax.set_xlabel("dR / X0")
    ax.set_ylabel("(X0 + dX) / X0")
    ax.set_title("TEAM Problem 15-1 coil over the unflawed plate,\nf from 50 Hz to 20 kHz, LO = 0.88 mm", fontsize=10)
    ax.legend(fontsize=7)
    fig.tight_layout(rect=(0, 0.03, 1, 1))
    save(fig, "team15.png")
    return t


# --- finite elements, every axisymmetric geometry ---------------------------------------------

def finite_elements():
    runs = fe_cases.study()
    body, checks, study = [], [], []
    for case in fe_cases.cases():
        rows = runs[case["name"]]
        fig = fe_cases.figures(rows)
        fe = fig["dZ"]
        need = fe_cases.needs(case)
        if need and not hasattr(veldo, need):
            ours, diff = None, f"(veldo.{need} not built)"
        else:
            ours = fe_cases.veldo_dz(veldo, case, ACC)
            diff = f"{abs(ours - fe) / abs(fe):.1e}"
        body.append([case["name"], case["what"], g(fe.real, 7), g(ours.real, 7) if ours else "—", g(fe.imag, 7),
                     g(ours.imag, 7) if ours else "—", diff, f"{fig['mesh']:.1e}", f"{fig['box']:.1e}",
                     f"{case['bound']:.0e}"])
        for r in rows:
            study.append([case["name"], f"{r['level']:g}", g(r["box_m"], 3), r["grid"], f"{int(r['triangles'])}",
                          f"{int(r['dof'])}", g(r["dR_ohm"], 9), g(r["dX_ohm"], 9)])
        # the air problem on the same meshes against Maxwell's formula
        coils = case["coils"]
        omega = 2 * math.pi * case["f"]
        if len(coils) > 1:
            want, what = omega * cf.coil_mutual(coils[0], coils[1]), "ωM of the pair"
        else:
            c = coils[0]
            want, what = omega * cf.self_inductance(c["N"], c["R1"], c["R2"], c["L"]), "X0 of the coil"
        if case["name"] in ("plate-1", "pair-coated"):
            for r in sorted(rows, key=lambda r: (r["box_m"], r["level"])):
                checks.append([case["name"], what, f"{r['level']:g}", g(r["box_m"], 3), g(want, 9),
                               g(r["X0_air_ohm"], 9), rel(r["X0_air_ohm"], want)])
    t = table(["case", "conductor", "FE dR", "VELDO dR", "FE dX", "VELDO dX", "abs(ΔdZ)/abs(dZ FE)",
               "FE mesh figure", "FE box figure", "test bound"], body)
    t_air = table(["case", "quantity", "level", "box [m]", "Maxwell [ohm]", "FE in air [ohm]",
                   "relative difference"], checks)
    t_study = table(["case", "level", "box [m]", "grid r×z", "triangles", "P2 unknowns", "dR [ohm]", "dX [ohm]"],
                    study)
    return t, t_air, t_study


def main():
    tables = {"air-coil": air_coil()}
    tables["image-mu"], tables["image-sigma"] = image_limits()
    tables["vertical"] = vertical()
    tables["two-layers"] = equal_layers()
    tables["rod"] = rod()
    tables["team15"] = team15()
    tables["fe"], tables["fe-air"], tables["fe-study"] = finite_elements()
    text = PAGE.read_text()
    for name, body in tables.items():
        pattern = re.compile(rf"(<!-- begin {name} -->\n).*?(<!-- end {name} -->)", re.S)
        if not pattern.search(text):
            raise SystemExit(f"{PAGE} has no markers for the table {name}")
        text = pattern.sub(lambda m: m.group(1) + body + "\n" + m.group(2), text)
    PAGE.write_text(text)
    print(f"wrote {PAGE} and the figures in {HERE}")


if __name__ == "__main__":
    main()
