#!/usr/bin/python3
"""A conductivity meter: the look-up table of a probe over conductivity x lift-off at one
frequency, and the inversion of a measured point back to conductivity and lift-off.

A meter calibrated in air reads the coil's normalised impedance x = dR/X0, y = (dX + X0)/X0 over
a plate. Each (conductivity, lift-off) pair gives one point of the impedance plane; the table
spans the meter's range, and a measured point is inverted by starting at its nearest table point
and refining with scipy.optimize.least_squares on the model itself.

    PYTHONPATH=build/default/python /usr/bin/python3 examples/conductivity_meter.py [--scheduler ADDRESS]

With --scheduler the table is computed on that Dask cluster (its workers must import veldo).
"""

import argparse

import numpy as np
from scipy.optimize import least_squares

import veldo

# The probe: 200 turns, R1 = 2 mm, R2 = 4 mm, L = 1 mm, at 100 kHz over a non-magnetic plate.
PROBE = dict(N=200, R1=2e-3, R2=4e-3, L=1e-3)
FREQUENCY = 1e5  # Hz


def normalised(dR, dX, X0):
    """The meter's reading: x = dR/X0, y = (dX + X0)/X0."""
    return dR / X0, (dX + X0) / X0


def lookup_table(sigma, liftoff, *, probe=PROBE, f=FREQUENCY, acc=1e-4, client=None):
    """The table over the outer product of conductivities `sigma` [S/m] and lift-offs
    `liftoff` [m]: a DataFrame with CON1, LO, dR, dX [ohm] and the normalised x, y."""
    df = veldo.study("planar1", {"CON1": sigma, "LO": liftoff}, client=client, acc=acc,
                     MR1=1.0, f=f, **probe)
    X0 = veldo.air_coil(probe["N"], probe["R1"], probe["R2"], probe["L"], f, acc=acc).X0
    df["x"], df["y"] = normalised(df["dR"], df["dX"], X0)
    df.attrs["X0"] = float(X0)
    return df


def invert(x, y, table, *, probe=PROBE, f=FREQUENCY, acc=1e-7):
    """Conductivity [S/m] and lift-off [m] of the measured normalised point (x, y): the nearest
    table point, refined by least squares on the model at accuracy `acc`."""
    X0 = veldo.air_coil(probe["N"], probe["R1"], probe["R2"], probe["L"], f, acc=acc).X0
    nearest = table.iloc[int(np.argmin(np.hypot(table["x"] - x, table["y"] - y)))]
    scale = probe["R2"]  # lift-off in units of the coil radius: both unknowns of order one

    def residual(p):
        z = veldo.planar1(probe["N"], probe["R1"], probe["R2"], probe["L"], f, p[1] * scale,
                          np.exp(p[0]), 1.0, acc=acc)
        return np.subtract(normalised(z.dR, z.dX, X0), (x, y))

    # The model is smooth to about `acc`: difference steps far above it keep the Jacobian clean.
    fit = least_squares(residual, [np.log(nearest["CON1"]), nearest["LO"] / scale],
                        bounds=([-np.inf, 0.0], [np.inf, np.inf]), diff_step=1e-4,
                        xtol=1e-14, ftol=1e-14, gtol=1e-14)
    return float(np.exp(fit.x[0])), float(fit.x[1] * scale)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--scheduler", help="address of a Dask scheduler")
    args = parser.parse_args()
    client = None
    if args.scheduler:
        from distributed import Client
        client = Client(args.scheduler)

    sigma = np.geomspace(0.5e6, 60e6, 60)    # 0.5 .. 60 MS/m
    liftoff = np.linspace(0.0, 1e-3, 41)     # 0 .. 1 mm
    table = lookup_table(sigma, liftoff, client=client)
    print(f"table: {len(table)} points, X0 = {table.attrs['X0']:.6f} ohm")

    # A "measured" point: an aluminium alloy (17.3 MS/m) at 0.237 mm lift-off, off the grid.
    truth = (17.3e6, 0.237e-3)
    z = veldo.planar1(*PROBE.values(), FREQUENCY, truth[1], truth[0], 1.0, acc=1e-7)
    X0 = veldo.air_coil(*PROBE.values(), FREQUENCY, acc=1e-7).X0
    x, y = normalised(z.dR, z.dX, X0)
    con, lo = invert(x, y, table)
    print(f"measured x = {x:.9f}, y = {y:.9f}")
    print(f"conductivity {con / 1e6:.9f} MS/m (true {truth[0] / 1e6} MS/m), "
          f"lift-off {lo * 1e3:.9f} mm (true {truth[1] * 1e3} mm)")


if __name__ == "__main__":
    main()
