#!/usr/bin/python3
"""Pulsed eddy current through insulation: the wall thickness of a steel plate read from its decay.

A large drive coil and a pickup inside it sit on 50 mm of insulation over a steel wall (5 MS/m,
mur 100). After the drive current is switched off the pickup's voltage falls as t^-1/2 while the
eddy currents diffuse into the wall, then, once they reach its back face, as exp(-t / tau) with tau
of the wall's lowest diffusion mode (about mu0 mur sigma d^2 / pi^2): the knee and the slope read
the thickness, the early level the lift-off. A look-up table of decays over thickness x lift-off
(one Dask task per decay) gives the starting point, and scipy.optimize.least_squares on the log of
the decays refines thickness and lift-off together.

    PYTHONPATH=build/default/python /usr/bin/python3 examples/pec_wall_thickness.py [--scheduler ADDRESS]

Without --scheduler a LocalCluster of two worker processes computes the table.
"""

import argparse
import math

import numpy as np
from scipy.optimize import least_squares

import veldo

DRIVE = veldo.Coil(100, 20e-3, 40e-3, 10e-3)   # N, R1, R2, L [m]
PICKUP = veldo.Coil(100, 10e-3, 15e-3, 5e-3)
SIGMA, MUR = 5e6, 100.0                         # the wall's steel
TIMES = np.geomspace(2e-4, 0.1, 31)             # s: from the t^-1/2 part to deep in the exponential


def decay(thickness, liftoff, times=TIMES, acc=1e-6):
    """The pickup's step-off voltage per ampere [V/A] over a wall of `thickness` [m] at `liftoff` [m]."""
    plate = veldo.Plate([veldo.Layer(thickness, SIGMA, MUR), veldo.Layer(math.inf, 0.0)], liftoff)
    return veldo.transient(DRIVE, PICKUP, plate, times, acc=acc)


def measured(thickness, liftoff, noise=0.005, seed=1, times=TIMES):
    """A "measured" decay: the model at the true wall with relative Gaussian noise."""
    rng = np.random.default_rng(seed)
    return decay(thickness, liftoff, times) * (1 + noise * rng.standard_normal(len(times)))


def lookup_table(thickness, liftoff, client, times=TIMES):
    """The decays over the outer product thickness x lift-off, shape (thickness, lift-off, time),
    one task per decay on the client's workers."""
    points = [(d, lo) for d in thickness for lo in liftoff]
    futures = client.map(decay, [d for d, _ in points], [lo for _, lo in points], times=times, pure=False)
    return np.array(client.gather(futures)).reshape(len(thickness), len(liftoff), len(times))


def invert(v, thickness, liftoff, table, times=TIMES):
    """Thickness and lift-off [m] of the measured decay v: the table's nearest decay in log
    voltage, refined by least squares on the model."""
    misfit = ((np.log(-table) - np.log(-v)) ** 2).sum(axis=2)
    i, j = np.unravel_index(int(np.argmin(misfit)), misfit.shape)
    scale = np.array([thickness[i], liftoff[j]])  # both unknowns of order one

    def residual(p):
        return np.log(-decay(*(p * scale), times)) - np.log(-v)

    fit = least_squares(residual, [1.0, 1.0], bounds=([0.05, 0.0], [np.inf, np.inf]), diff_step=1e-3,
                        x_scale=1.0)
    return tuple(float(x) for x in fit.x * scale)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--scheduler", help="address of a Dask scheduler")
    args = parser.parse_args()
    from distributed import Client, LocalCluster
    cluster = None if args.scheduler else LocalCluster(n_workers=2, threads_per_worker=1, dashboard_address=None)
    with Client(args.scheduler or cluster) as client:
        thickness = np.linspace(4e-3, 16e-3, 13)   # 4 .. 16 mm
        liftoff = np.linspace(30e-3, 70e-3, 9)     # 30 .. 70 mm of insulation
        table = lookup_table(thickness, liftoff, client)
    if cluster is not None:
        cluster.close()
    truth = (9.37e-3, 48.3e-3)  # off the table's grid
    d, lo = invert(measured(*truth), thickness, liftoff, table)
    print(f"table: {table.shape[0]} x {table.shape[1]} decays of {table.shape[2]} times")
    print(f"wall {d * 1e3:.3f} mm (true {truth[0] * 1e3:.2f} mm, {100 * (d / truth[0] - 1):+.2f} %), "
          f"lift-off {lo * 1e3:.2f} mm (true {truth[1] * 1e3:.1f} mm)")


if __name__ == "__main__":
    main()
