"""The problem values: any layered plate, tube or rod through veldo.impedance.

The window's cases are presets of the same evaluation, so each must give its function's bits; every
field broadcasts; a refused layer is named in the message.
"""

import math

import numpy as np
import pytest

import veldo

INF = math.inf
COIL = veldo.Coil(200, 2e-3, 4e-3, 1e-3)
ROD_COIL = veldo.Coil(200, 12e-3, 14e-3, 1e-3)

PRESETS = [  # (problem, its case function's call)
    (COIL, veldo.Plate([veldo.Layer(INF, 1e6)], 1e-4), 1e5,
     lambda: veldo.planar1(200, 2e-3, 4e-3, 1e-3, 1e5, 1e-4, 1e6, 1)),
    (COIL, veldo.Plate([veldo.Layer(1e-4, 1e7, 2), veldo.Layer(INF, 3.54e7)], 1e-4), 1e4,
     lambda: veldo.planar2(200, 2e-3, 4e-3, 1e-3, 1e4, 1e-4, 1e-4, 1e7, 3.54e7, 2, 1)),
    (COIL, veldo.Tube(10e-3, [veldo.Layer(2e-3, 1e7), veldo.Layer(INF, 3.54e7)]), 1e4,
     lambda: veldo.bore2(200, 2e-3, 4e-3, 1e-3, 1e4, 10e-3, 12e-3, 1e7, 3.54e7, 1, 1)),
    (ROD_COIL, veldo.Rod(10e-3, [veldo.Layer(10e-3 - 9e-3, 1e6), veldo.Layer(INF, 3.54e7)]), 1e5,
     lambda: veldo.rod2(200, 12e-3, 14e-3, 1e-3, 1e5, 10e-3, 9e-3, 1e6, 3.54e7, 1, 1)),
    (veldo.Coil(200, 2e-3, 4e-3, 1e-3, axis="parallel"), veldo.Plate([veldo.Layer(INF, 1e6)], 1e-4), 1e5,
     lambda: veldo.vertical(200, 2e-3, 4e-3, 1e-3, 1e5, 1e-4, 1e6, 1)),
]


@pytest.mark.parametrize("coil,conductor,f,preset", PRESETS, ids=["planar1", "planar2", "bore2", "rod2", "vertical"])
def test_a_window_case_is_a_preset_of_the_problem(coil, conductor, f, preset):
    z, want = veldo.impedance(coil, conductor, f), preset()
    assert (z.dR, z.dX, z.ier) == (want.dR, want.dX, want.ier)


def test_every_field_broadcasts():
    sigma = np.geomspace(1e6, 6e7, 3)
    lift_off = np.array([[1e-4], [5e-4]])
    plate = veldo.Plate([veldo.Layer(0.2e-3, sigma), veldo.Layer(INF, 1e6, 50)], lift_off)
    z = veldo.impedance(COIL, plate, 1e5, threads=2, engine="adaptive")
    assert z.dR.shape == (2, 3)
    one = veldo.impedance(COIL, veldo.Plate([veldo.Layer(0.2e-3, sigma[2]), veldo.Layer(INF, 1e6, 50)], 5e-4), 1e5)
    assert (z.dR[1, 2], z.dX[1, 2]) == (one.dR, one.dX)


@pytest.mark.parametrize("conductor,message", [
    (veldo.Plate([veldo.Layer(1e-3, -5), veldo.Layer(INF, 1e6)], 0), "Check layer 1 of 2: the conductivity"),
    (veldo.Plate([], 0), "Check the conductor: it needs at least one layer"),
    (veldo.Plate([veldo.Layer(1e-10, 1e6), veldo.Layer(INF, 1e6)], 0), "Check layer 1 of 2: its thickness must be 0 or at least 1e-9 m"),
    (veldo.Plate([veldo.Layer(INF, 1e6, 1e-4)], 0), "Check layer 1 of 1: the relative permeability must be from 0.001 to 1e6"),
    (veldo.Tube(3e-3, [veldo.Layer(INF, 1e6)]), "Check the geometry: the coil must fit inside the bore"),
])
def test_a_refused_problem_names_what_is_wrong(conductor, message):
    with pytest.raises(veldo.InputError, match=message):
        veldo.impedance(COIL, conductor, 1e5)


def test_a_study_sweeps_any_field_by_its_path():
    plate = veldo.Plate([veldo.Layer(1e-4, 1e7), veldo.Layer(INF, 3.54e7)], 1e-4)
    df = veldo.study((COIL, plate), {"lift_off": [1e-4, 5e-4], "layers.1.sigma": [1e7, 3.54e7]}, chunk=3,
                     f=1e4, **{"layers.0.mur": 2.0})
    one = veldo.impedance(COIL, veldo.Plate([veldo.Layer(1e-4, 1e7, 2.0), veldo.Layer(INF, 1e7)], 5e-4), 1e4)
    assert (df["dR"][2], df["dX"][2]) == (one.dR, one.dX)
    with pytest.raises(TypeError, match="no field 'layers.2.sigma'"):
        veldo.study((COIL, plate), {"layers.2.sigma": [1.0]}, f=1e4)


def test_a_drive_and_a_pickup():
    pickup = veldo.Coil(100, 1e-3, 1.5e-3, 0.5e-3, z=1.5e-3)
    plate = veldo.Plate([veldo.Layer(0.2e-3, 1e7), veldo.Layer(INF, 3.5e7)], np.array([1e-4, 2e-4]))
    ab = veldo.transfer_impedance(COIL, pickup, plate, 1e5)
    ba = veldo.transfer_impedance(pickup, COIL, plate, 1e5)
    assert ab.dR.shape == (2,) and np.allclose(ab.dZ, ba.dZ, rtol=1e-13, atol=0)
    same = veldo.transfer_impedance(COIL, COIL, plate, 1e5)
    own = veldo.impedance(COIL, plate, 1e5)
    assert (same.dR == own.dR).all() and (same.dX == own.dX).all()
    assert veldo.mutual_inductance(COIL, COIL) == pytest.approx(veldo.air_coil(200, 2e-3, 4e-3, 1e-3, 1e5, acc=1e-8).L0, rel=2e-6)
    with pytest.raises(veldo.InputError, match="Check coils 1 and 2: their windings overlap"):
        veldo.mutual_inductance(COIL, veldo.Coil(10, 3e-3, 5e-3, 1e-3, z=0.5e-3))


def test_a_probes_connection():
    a, b = veldo.Coil(100, 1e-3, 2e-3, 1e-3, x=-7e-3), veldo.Coil(100, 1e-3, 2e-3, 1e-3, x=7e-3)
    plate = veldo.Plate([veldo.Layer(INF, 1e7)], 1e-4)
    zero = veldo.probe_impedance(veldo.Probe([a, b], "differential"), plate, 1e5)
    assert (zero.dR, zero.dX) == (0.0, 0.0)
    drive = veldo.Coil(200, 2e-3, 4e-3, 1e-3)
    tr = veldo.probe_impedance(veldo.Probe([drive, a], "transmit-receive"), plate, 1e5)
    assert tr.dZ == veldo.transfer_impedance(drive, a, plate, 1e5).dZ
    balanced = veldo.probe_impedance(veldo.Probe([drive, a, b], "differential transmit-receive"), plate, 1e5)
    assert abs(balanced.dZ) <= 1e-13 * abs(tr.dZ)
    with pytest.raises(ValueError, match="needs 3 coils"):
        veldo.Probe([drive, a], "differential transmit-receive").terms()


def test_a_study_of_a_probe_sweeps_any_coils_field():
    drive, pickup = veldo.Coil(200, 2e-3, 4e-3, 1e-3), veldo.Coil(100, 1e-3, 2.5e-3, 0.5e-3, z=1.5e-3)
    plate = veldo.Plate([veldo.Layer(1e-4, 5e6), veldo.Layer(INF, 3.5e7)], 1e-4)
    probe = veldo.Probe([drive, pickup], "transmit-receive")
    z = [1.5e-3, 0.5e-3, 2.5e-3]  # the middle one overlaps the drive's winding
    with pytest.warns(veldo.StudyWarning, match="1 of 3 points"):
        df = veldo.study((probe, plate), {"coils.1.z": z}, f=1e5, engine="adaptive")
    for i in (0, 2):
        want = veldo.transfer_impedance(drive, veldo.Coil(100, 1e-3, 2.5e-3, 0.5e-3, z=z[i]), plate, 1e5,
                                        engine="adaptive")
        assert (df.dR[i], df.dX[i], df.ier[i]) == (want.dR, want.dX, want.ier)
    assert "overlap" in df.error[1] and math.isnan(df.dR[1]) and df.ier[1] == -1
    ds = veldo.study((probe, plate), {"coils.0.N": [100, 200]}, f=1e5, dataset=True)
    assert '"connection": "transmit-receive"' in ds.attrs["problem"]
    with pytest.raises(TypeError, match="no field 'coils.2.z'"):
        veldo.study((probe, plate), {"coils.2.z": z}, f=1e5)
    with pytest.raises(ValueError, match="needs 2 coils"):
        veldo.study((veldo.Probe([drive], "differential"), plate), {"lift_off": z}, f=1e5)


def test_units_and_the_depth_of_penetration():
    assert 100 * veldo.IACS == 58.0e6 and 1000 * veldo.MIL == pytest.approx(veldo.INCH)
    # Copper at 100 kHz: 0.209 mm (the textbook figure); at a 5 mm rod's f_g delta = sqrt(2) r.
    assert veldo.skin_depth(100 * veldo.KHZ, 100 * veldo.IACS) == pytest.approx(0.209e-3, rel=1e-2)
    fg = veldo.limit_frequency(1e6, 5e-3)
    assert veldo.skin_depth(fg, 1e6) == pytest.approx(5e-3 * math.sqrt(2), rel=1e-12)
