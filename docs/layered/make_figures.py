#!/usr/bin/env python3
"""The figures of docs/layered.md: a coated plate and a tube, through veldo.impedance.

    PYTHONPATH=build/default/python /usr/bin/python3 docs/layered/make_figures.py
"""
import math
import pathlib

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import veldo  # noqa: E402

HERE = pathlib.Path(__file__).resolve().parent
INF = math.inf


def normalised(coil, conductor, f):
    z = veldo.impedance(coil, conductor, f, 1e-6)
    X0 = veldo.air_coil(coil.N, coil.R1, coil.R2, coil.L, f, acc=1e-8).X0
    return z.dR / X0, (z.dX + X0) / X0


def coated_plate():
    """A copper coating 0..0.5 mm thick on a steel-like substrate under a 50 um coat of paint, at
    three frequencies; the dashed lines are lift-off curves over the bare substrate."""
    coil = veldo.Coil(200, 2e-3, 4e-3, 1e-3)
    t = np.concatenate([[0.0], np.geomspace(0.5e-6, 0.5e-3, 80)])
    fig, ax = plt.subplots(figsize=(6.4, 4.8))
    for f, colour in ((10e3, "tab:blue"), (50e3, "tab:orange"), (200e3, "tab:green")):
        plate = veldo.Plate([veldo.Layer(50e-6, 0.0), veldo.Layer(t, 58e6), veldo.Layer(INF, 5e6, 100)], 0.0)
        x, y = normalised(coil, plate, f)
        ax.plot(x, y, "-", color=colour, label=f"copper 0 to 0.5 mm, {f / 1e3:g} kHz")
        lo = np.linspace(0, 1e-3, 21)
        x, y = normalised(coil, veldo.Plate([veldo.Layer(INF, 5e6, 100)], lo), f)
        ax.plot(x, y, "--", color=colour, lw=0.8)
    ax.set_xlabel("normalised resistance dR/X0")
    ax.set_ylabel("normalised reactance (X0 + dX)/X0")
    ax.set_title("Coil over paint, copper and a magnetic substrate")
    ax.legend(fontsize=8)
    ax.grid(True, lw=0.3)
    fig.tight_layout()
    fig.savefig(HERE / "coated_plate.png", dpi=110)


def tube():
    """A bobbin coil in a tube of 20 mm bore: the wall from 0.5 to 2 mm (wall loss from the outside)
    of a brass-like alloy, at three frequencies, in air beyond the wall."""
    coil = veldo.Coil(100, 8e-3, 9.5e-3, 2e-3)
    wall = np.linspace(0.5e-3, 2e-3, 31)
    fig, ax = plt.subplots(figsize=(6.4, 4.8))
    for f, colour in ((5e3, "tab:blue"), (20e3, "tab:orange"), (80e3, "tab:green")):
        t = veldo.Tube(10e-3, [veldo.Layer(wall, 15e6), veldo.Layer(INF, 0.0)])
        x, y = normalised(coil, t, f)
        ax.plot(x, y, "o-", ms=2, color=colour, label=f"wall 0.5 to 2 mm, {f / 1e3:g} kHz")
    ax.set_xlabel("normalised resistance dR/X0")
    ax.set_ylabel("normalised reactance (X0 + dX)/X0")
    ax.set_title("Bobbin coil in a tube: wall thickness")
    ax.legend(fontsize=8)
    ax.grid(True, lw=0.3)
    fig.tight_layout()
    fig.savefig(HERE / "tube_wall.png", dpi=110)


if __name__ == "__main__":
    coated_plate()
    tube()
