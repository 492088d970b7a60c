#!/usr/bin/env python3
"""Independent finite-element impedances of every axisymmetric geometry, with their mesh study.

    make docs            (installs FreeFEM on first use and runs this)
    /usr/bin/python3 docs/validation/fe_solve.py [--cases NAME,...]

Reads the problems from data/fe_cases.json and writes data/fe_axisym.csv. Nothing here uses VELDO.

The solver is FreeFEM (Debian's freefem++), not GetDP with Gmsh: one script holds the weak form,
the complex P2 assembly and the sparse direct solve, the section's regions come in as the labels
of a mesh this script writes, and the flux linkage of a coil is one integral over its region; GetDP
would need a Gmsh geometry, a .pro of function spaces, formulations and resolutions, and the same
numbers out of post-processing files.

The mesh is a tensor-product grid in (r, z), each cell cut into two triangles, whose lines pass
through every coil edge and every material interface, so each triangle lies in one material. The
1-D node spacing equidistributes a size h(x) = min_i(h_i + g |x - x_i|) / k over each interval
between interfaces: h_i is a fraction of the coil's dimensions at its edges and of the skin depth
(or the layer's thickness, if thinner) at each interface, g = 0.2 makes the cells grow
geometrically away from them, and the level k refines everything by k. The domain is truncated at
r = RB and |z| = RB with A = 0; a conductor that is unbounded (a half-space, the medium round a
bore, a rod along its axis) runs to that boundary. Each case is solved at the levels k = 1, 2, 4
in the box RB, and at the level below the finest in the box 2 RB (the truncation acts on the far
field, which the near-field refinement does not change); dZ = Z(conductor) - Z(air) on the same mesh,
so the coil's own discretisation error cancels and the difference converges as the scattered field.
"""

import argparse
import json
import math
import pathlib
import re
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

import numpy as np

HERE = pathlib.Path(__file__).resolve().parent
EDP = HERE / "fe" / "eddy_axisym.edp"
CASES = HERE / "data" / "fe_cases.json"
OUT = HERE / "data" / "fe_axisym.csv"
MU0 = 4e-7 * math.pi
LEVELS = (1, 2, 4)
GROWTH = 0.2
RB = 0.4   # domain half-size [m], 100 times the largest coil radius
COIL_CELLS = 3  # cells across the smaller coil dimension at level 1
SKIN_CELLS = 2  # cells per skin depth at an interface at level 1


def skin_depth(f, sigma, mur):
    return math.inf if sigma == 0 else 1.0 / math.sqrt(math.pi * f * MU0 * mur * sigma)


def grid1d(lo, hi, breaks, features, k, hmax):
    """Nodes on [lo, hi] through every break, equidistributing 1/h with h the graded size / k."""
    pos = np.array([p for p, _ in features])
    size = np.array([s for _, s in features])

    def h(x):
        return np.minimum(hmax, np.min(size[None, :] + GROWTH * np.abs(x[:, None] - pos[None, :]), axis=1)) / k

    pts = sorted({lo, hi, *[b for b in breaks if lo < b < hi]})
    nodes = [lo]
    for a, b in zip(pts[:-1], pts[1:]):
        x = np.linspace(a, b, 4001)
        w = 1.0 / h(x)
        cum = np.concatenate([[0.0], np.cumsum((w[1:] + w[:-1]) / 2 * np.diff(x))])
        n = max(1, math.ceil(cum[-1]))
        nodes += list(np.interp(np.linspace(0, cum[-1], n + 1)[1:], cum, x))
        nodes[-1] = b
    return np.array(nodes)


def layout(case, box):
    """Regions of the section: a list of (r0, r1, z0, z1, sigma, mur) of the conductor, the coils'
    rectangles, and the features of the grid in r and in z."""
    f, geo = case["f"], case["geometry"]
    coils, layers = case["coils"], case["layers"]
    mats = []
    coil_rects = []
    hc = min(min(c["R2"] - c["R1"], c["L"]) for c in coils) / COIL_CELLS
    fr, fz = [(0.0, hc)], []
    if geo == "plate":
        base = case["lift_off"]
        for c in coils:
            coil_rects.append((c["R1"], c["R2"], base + c["z"], base + c["z"] + c["L"]))
        top = 0.0
        for i, (t, s, m) in enumerate(layers):
            bottom = -box if i == len(layers) - 1 else top - t
            mats.append((0.0, box, bottom, top, s, m))
            top = bottom
    else:
        for c in coils:
            coil_rects.append((c["R1"], c["R2"], c["z"], c["z"] + c["L"]))
        edge = case["radius"]
        for i, (t, s, m) in enumerate(layers):
            last = i == len(layers) - 1
            if geo == "tube":
                outer = box if last else edge + t
                mats.append((edge, outer, -box, box, s, m))
                edge = outer
            else:
                inner = 0.0 if last else edge - t
                mats.append((inner, edge, -box, box, s, m))
                edge = inner
    for r0, r1, z0, z1 in coil_rects:
        fr += [(r0, hc), (r1, hc)]
        fz += [(z0, hc), (z1, hc)]
    # each interface: a quarter of the thinner skin depth of its two sides, or half the thinner layer
    interfaces = {}
    for r0, r1, z0, z1, s, m in mats:
        d = skin_depth(f, s, m)
        thick = (z1 - z0) if geo == "plate" else (r1 - r0)
        size = min(d / SKIN_CELLS, thick / 2, 4 * hc)
        for x in ((z0, z1) if geo == "plate" else (r0, r1)):
            if abs(x) < box and not (geo == "rod" and x == 0.0):
                interfaces[x] = min(interfaces.get(x, math.inf), size)
    for x, size in interfaces.items():
        (fz if geo == "plate" else fr).append((x, size))
    return mats, coil_rects, fr, fz


def write_mesh(path, case, box, k):
    mats, coil_rects, fr, fz = layout(case, box)
    hmax = box / 10
    rb = [x for x, _ in fr]
    zb = [x for x, _ in fz]
    r = grid1d(0.0, box, rb, fr, k, hmax)
    z = grid1d(-box, box, zb, fz, k, hmax)
    nr, nz = len(r), len(z)
    rc, zc = (r[1:] + r[:-1]) / 2, (z[1:] + z[:-1]) / 2
    R, Zc = np.meshgrid(rc, zc, indexing="ij")
    reg = np.ones(R.shape, dtype=int)  # 1: air
    for i, (r0, r1, z0, z1, s, m) in enumerate(mats):
        reg[(R > r0) & (R < r1) & (Zc > z0) & (Zc < z1)] = 2 + i
    for j, (r0, r1, z0, z1) in enumerate(coil_rects):
        inside = (R > r0) & (R < r1) & (Zc > z0) & (Zc < z1)
        if np.any(reg[inside] != 1):
            raise SystemExit(f"{case['name']}: coil {j} overlaps the conductor")
        reg[inside] = 2 + len(mats) + j
    vid = lambda i, j: i * nz + j + 1  # noqa: E731
    tris = []
    for i in range(nr - 1):
        for j in range(nz - 1):
            a, b, c, d = vid(i, j), vid(i + 1, j), vid(i + 1, j + 1), vid(i, j + 1)
            tris += [(a, b, c, reg[i, j]), (a, c, d, reg[i, j])]
    edges = []
    for j in range(nz - 1):
        edges += [(vid(0, j), vid(0, j + 1), 1), (vid(nr - 1, j), vid(nr - 1, j + 1), 2)]
    for i in range(nr - 1):
        edges += [(vid(i, 0), vid(i + 1, 0), 2), (vid(i, nz - 1), vid(i + 1, nz - 1), 2)]
    with open(path, "w") as fh:
        fh.write(f"{nr * nz} {len(tris)} {len(edges)}\n")
        for i in range(nr):
            for j in range(nz):
                fh.write(f"{r[i]!r} {z[j]!r} {1 if i == 0 else (2 if i == nr - 1 or j in (0, nz - 1) else 0)}\n")
        fh.writelines(f"{a} {b} {c} {g}\n" for a, b, c, g in tris)
        fh.writelines(f"{a} {b} {g}\n" for a, b, g in edges)
    regions = [(1, 0.0, 1.0)] + [(2 + i, m[4], m[5]) for i, m in enumerate(mats)]
    regions += [(2 + len(mats) + j, 0.0, 1.0) for j in range(len(coil_rects))]
    coils = [(2 + len(mats) + j, c["N"], (c["R2"] - c["R1"]) * c["L"]) for j, c in enumerate(case["coils"])]
    return regions, coils, (nr, nz)


def solve(case, box, k, work):
    mesh = work / f"{case['name']}-{k}-{box}.msh"
    regions, coils, grid = write_mesh(mesh, case, box, k)
    params = work / "params.txt"
    lines = [str(mesh), repr(2 * math.pi * case["f"]), str(len(regions))]
    lines += [f"{i} {s!r} {m!r}" for i, s, m in regions]
    lines += [str(len(coils))] + [f"{i} {n} {s!r}" for i, n, s in coils]
    params.write_text("\n".join(lines) + "\n")
    run = subprocess.run(["FreeFem++", "-nw", "-ne", "-v", "0", str(EDP), str(params)],
                         capture_output=True, text=True, cwd=work)
    if run.returncode != 0 or "MESH" not in run.stdout:
        raise SystemExit(f"FreeFem++ failed on {case['name']}:\n{run.stdout[-3000:]}\n{run.stderr[-3000:]}")
    m = re.search(r"MESH triangles (\d+) vertices (\d+) dof (\d+)", run.stdout)
    z = {}
    for p, c, re_, im in re.findall(r"^Z (\d) (\d) (\S+) (\S+)$", run.stdout, re.M):
        z[(int(p), int(c))] = complex(float(re_), float(im))
    pick = 1 if len(coils) > 1 else 0  # the pickup's voltage, or the coil's own
    dz = z[(1, pick)] - z[(0, pick)]
    return dict(triangles=int(m.group(1)), dof=int(m.group(3)), grid=grid, dZ=dz, Z0=z[(0, pick)])


def freefem_version():
    run = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "freefem++"], capture_output=True, text=True)
    return run.stdout.strip() or "unknown"


def describe(case):
    coils = "; ".join(f"N={c['N']} R1={c['R1']!r} R2={c['R2']!r} L={c['L']!r} z={c['z']!r}" for c in case["coils"])
    layers = "; ".join(f"(t={'unbounded' if t is None else repr(t)}, sigma={s!r}, mur={m!r})"
                       for t, s, m in case["layers"])
    where = f"lift_off={case['lift_off']!r}" if case["geometry"] == "plate" else f"radius={case['radius']!r}"
    return f"{case['name']}: {case['geometry']} f={case['f']!r} {where} layers {layers}; coils {coils}"


def write_csv(cases, rows):
    order = {c["name"]: i for i, c in enumerate(cases)}
    rows = sorted(rows, key=lambda l: (order.get(l.split(",")[0], 99), float(l.split(",")[2]), int(l.split(",")[1])))
    head = [
        "# Finite-element impedance changes dZ = dR + j dX [ohm] of the axisymmetric problems in",
        "# data/fe_cases.json, made by docs/validation/fe_solve.py (remake: make docs, or",
        "# /usr/bin/python3 docs/validation/fe_solve.py). Solver: FreeFEM " + freefem_version()
        + " (Debian freefem++), docs/validation/fe/eddy_axisym.edp:",
        "# azimuthal vector potential in (r, z), Lagrange P2 triangles, quadrature qf5pT, UMFPACK direct solve.",
        "# Mesh: tensor grid through every coil edge and interface, two triangles a cell; at level k the",
        f"# size is (h_i + {GROWTH} |x - x_i|) / k, h_i = min(coil width, coil height) / {COIL_CELLS} at the coil edges,",
        f"# min(skin depth / {SKIN_CELLS}, thickness / 2) at an interface, capped at box / 10. Domain: 0 <= r <= box,",
        "# -box <= z <= box, A = 0 on its far sides and on the axis; unbounded conductors run to the boundary.",
        f"# Levels {', '.join(map(str, LEVELS))} in the box {RB!r} m; level {LEVELS[-2]} again in the box {2 * RB!r} m.",
        "# dZ = Z(conductor) - Z(air) on the same mesh (for a drive-pickup pair: Z21 = V2/I1). X0_air_ohm is",
        "# the air reactance (of Z21 for a pair) on the same mesh. SI units. Inputs:",
    ] + ["#   " + describe(c) for c in cases] + [
        "case,level,box_m,grid,triangles,dof,dR_ohm,dX_ohm,X0_air_ohm",
    ]
    OUT.write_text("\n".join(head + rows) + "\n")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--cases", help="comma-separated names (default: all); others keep their stored rows")
    ap.add_argument("--jobs", type=int, default=2, help="FreeFem++ runs at once (default 2)")
    args = ap.parse_args()
    cases = json.loads(CASES.read_text())["cases"]
    wanted = set(args.cases.split(",")) if args.cases else {c["name"] for c in cases}
    old = []
    if OUT.exists() and args.cases:
        old = [l for l in OUT.read_text().splitlines() if l and not l.startswith("#") and not l.startswith("case,")]
    rows = [l for l in old if l.split(",")[0] not in wanted]
    runs = [(case, k, box) for case in cases if case["name"] in wanted
            for k, box in [(k, RB) for k in LEVELS] + [(LEVELS[-2], 2 * RB)]]

    def one(run):
        case, k, box = run
        with tempfile.TemporaryDirectory() as tmp:
            s = solve(case, box, k, pathlib.Path(tmp))
        row = (f"{case['name']},{k},{box!r},{s['grid'][0]}x{s['grid'][1]},{s['triangles']},{s['dof']},"
               f"{s['dZ'].real!r},{s['dZ'].imag!r},{s['Z0'].imag!r}")
        print(row, flush=True)
        return row

    with ThreadPoolExecutor(args.jobs) as pool:  # each run is one FreeFem++ process
        rows += list(pool.map(one, runs))
    write_csv(cases, rows)
    print(f"wrote {OUT}")


if __name__ == "__main__":
    sys.exit(main())
