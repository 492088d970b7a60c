"""The conductivity-meter example: a measured point, made by the model off the table's grid, is
inverted back to its conductivity and lift-off."""

import importlib.util

import numpy as np
import pytest

from conftest import ROOT

import veldo


@pytest.fixture(scope="module")
def meter():
    found = importlib.util.spec_from_file_location("conductivity_meter",
                                                   ROOT / "examples" / "conductivity_meter.py")
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


@pytest.fixture(scope="module")
def table(meter):
    return meter.lookup_table(np.geomspace(0.5e6, 60e6, 15), np.linspace(0.0, 1e-3, 9))


@pytest.mark.parametrize("sigma,liftoff", [
    (17.3e6, 0.237e-3),  # aluminium alloy, inside the grid
    (1.1e6, 0.93e-3),    # a poor conductor far from the coil: the flattest part of the table
    (58.0e6, 0.011e-3),  # copper almost touching
    (3.7e6, 0.0),        # on the lift-off bound
])
def test_a_measured_point_inverts_to_its_conductivity_and_liftoff(meter, table, sigma, liftoff):
    acc = 1e-7
    z = veldo.planar1(*meter.PROBE.values(), meter.FREQUENCY, liftoff, sigma, 1.0, acc=acc)
    X0 = veldo.air_coil(*meter.PROBE.values(), meter.FREQUENCY, acc=acc).X0
    con, lo = meter.invert(*meter.normalised(z.dR, z.dX, X0), table, acc=acc)
    assert abs(con - sigma) <= 1e-6 * sigma
    assert abs(lo - liftoff) <= 1e-6 * max(liftoff, meter.PROBE["R2"] * 1e-3)


@pytest.fixture(scope="module")
def wall():
    found = importlib.util.spec_from_file_location("pec_wall_thickness", ROOT / "examples" / "pec_wall_thickness.py")
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module


@pytest.mark.parametrize("thickness,liftoff,seed", [(9.37e-3, 48.3e-3, 1), (6.2e-3, 61.0e-3, 7)])
def test_a_noisy_decay_inverts_to_its_wall_thickness(wall, cluster_client, thickness, liftoff, seed):
    """The example at a small table (0.5 % noise on the decay): the wall within 1 %."""
    times = np.geomspace(2e-4, 0.1, 16)
    grid = np.linspace(4e-3, 16e-3, 4), np.linspace(30e-3, 70e-3, 3)
    table = wall.lookup_table(*grid, cluster_client, times=times)
    d, _ = wall.invert(wall.measured(thickness, liftoff, seed=seed, times=times), *grid, table, times=times)
    assert abs(d - thickness) <= 0.01 * thickness
