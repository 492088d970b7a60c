"""Transients: the fixed Talbot inversion against a second, independent transform and the physics.

The reference transform is QUADPACK's Fourier integral (scipy's quad with weight='sin', QAWF) of
the frequency response: for a step-off, v(t) = -(2/pi) int_0^inf dR(w)/w sin(wt) dw, dR the
transfer resistance change at w. The limits: the response to a conductivity c sigma is the
response to sigma at t/c, over c; and the time integral of the step response is the change of the
transfer inductance from DC to the perfect conductor, minus the image's mutual inductance
(Maxwell's formula, tests/data/models/mutual_references.csv) for a non-magnetic plate.
"""

import csv
import math
import pathlib

import numpy as np
import pytest
from scipy import integrate

import veldo

INF = math.inf
DRIVE = veldo.Coil(200, 2e-3, 4e-3, 1e-3, z=0.2e-3)
PICKUP = veldo.Coil(100, 1e-3, 1.5e-3, 0.5e-3, z=0.7e-3)
PLATE = veldo.Plate([veldo.Layer(1e-3, 3.5e7), veldo.Layer(INF, 0.0)], 0.0)


@pytest.mark.parametrize("t", [1e-5, 3e-4])
def test_talbot_is_the_fourier_integral_of_the_frequency_response(t):
    v = veldo.transient(DRIVE, PICKUP, PLATE, t, acc=1e-8)
    dR = lambda w: veldo.transfer_impedance(DRIVE, PICKUP, PLATE, w / (2 * math.pi), 1e-10).dR / w
    integral, _ = integrate.quad(dR, 0, np.inf, weight="sin", wvar=t, limlst=200, epsabs=abs(v) * 1e-9)
    assert v == pytest.approx(-2 / math.pi * integral, rel=1e-7)


def test_a_tube_wall_against_the_fourier_integral():
    coil, tube = veldo.Coil(100, 8e-3, 9.5e-3, 2e-3), veldo.Tube(10e-3, [veldo.Layer(1e-3, 1.5e7), veldo.Layer(INF, 0.0)])
    t = 2e-4
    v = veldo.transient(coil, coil, tube, t, acc=1e-6)
    dR = lambda w: veldo.impedance(coil, tube, w / (2 * math.pi), 1e-8).dR / w
    integral, _ = integrate.quad(dR, 0, np.inf, weight="sin", wvar=t, limlst=100, epsabs=abs(v) * 1e-6)
    assert v == pytest.approx(-2 / math.pi * integral, rel=1e-5)


def test_conductivity_scales_time():
    t = np.geomspace(1e-6, 1e-3, 4)
    double = veldo.Plate([veldo.Layer(1e-3, 7e7), veldo.Layer(INF, 0.0)], 0.0)
    assert veldo.transient(DRIVE, PICKUP, double, 2 * t, acc=1e-8) == pytest.approx(
        veldo.transient(DRIVE, PICKUP, PLATE, t, acc=1e-8) / 2, rel=1e-6)


def test_the_time_integral_is_the_perfect_conductors_image():
    rows = csv.DictReader(l for l in open(pathlib.Path(__file__).resolve().parents[2] / "tests" / "data" / "models" /
                                          "mutual_references.csv") if not l.startswith("#"))
    M = next(float(r["M"]) for r in rows if r["name"] == "image of a pickup")
    lt = np.linspace(math.log(1e-10), math.log(1.0), 160)
    v = veldo.transient(DRIVE, PICKUP, PLATE, np.exp(lt), acc=1e-5)
    area = np.trapz(v * np.exp(lt), lt) + 2 * v[0] * math.exp(lt[0])  # v ~ t^-1/2 below the first time
    assert area == pytest.approx(-M, rel=2e-3)


@pytest.mark.parametrize("t,waveform,conductor,message", [
    (0.0, "step-off", PLATE, "time 1 is not a finite number above 0"),
    ([1e-3, math.nan], "step-off", PLATE, "time 2 is not"),
    ([1e-3, -1e-6], "step-off", PLATE, "time 2 is not a finite number above 0"),
    (-math.inf, "step-off", PLATE, "time 1 is not a finite number above 0"),
    (1e-3, ("pulse", 0.0), PLATE, "Check the pulse"),
    (1e-3, ("pulse", -1e-4), PLATE, "Check the pulse"),
    (1e-3, ("samples", [0.0], [1.0]), PLATE, "at least two samples"),
    (1e-3, ("samples", [0.0, 1e-4, 1e-4], [1.0, 0.5, 0.0]), PLATE, "sample 3 is not after"),
    (1e-3, ("samples", [0.0, math.inf], [1.0, 0.0]), PLATE, "sample 2 is not a pair of finite numbers"),
    ([1e-9, 1e4], "step-off", PLATE, "span more than 12 decades"),
    (1e-3, "step-off", veldo.Tube(3e-3, [veldo.Layer(INF, 1e6)]), "the coil must fit inside the bore"),
])
def test_bad_input_is_refused_before_any_work(t, waveform, conductor, message):
    with pytest.raises(ValueError, match=message):
        veldo.transient(DRIVE, PICKUP, conductor, t, waveform)


def _reference_rows():
    path = pathlib.Path(__file__).resolve().parents[2] / "tests" / "data" / "transient" / "transient_references.csv"
    return list(csv.DictReader(l for l in open(path) if not l.startswith("#")))


def _waveform(text):
    kind, *rest = text.split(" ")
    if kind == "step-off":
        return "step-off"
    if kind == "pulse":
        return ("pulse", float(rest[0]))
    pairs = [tuple(map(float, p.split(":"))) for p in rest]
    return ("samples", [a for a, _ in pairs], [b for _, b in pairs])


@pytest.mark.parametrize("row", _reference_rows(), ids=lambda r: f"{r['name']} {r['waveform'][:8]} t={r['t']}")
def test_against_the_independent_references(row):
    """Step-off, pulse and sampled waveforms over a two-layer plate, the pickup 0.5 mm above it,
    against QAWF sine and cosine transforms of an independently written frequency response."""
    layers = [veldo.Layer(float(d) * 1e-3, float(s), float(m)) for d, s, m in (x.split(":") for x in row["layers"].split())]
    drive = veldo.Coil(200, 2e-3, 4e-3, 1e-3, z=0.2e-3)
    v = veldo.transient(drive, PICKUP, veldo.Plate(layers, 0.5e-3), float(row["t"]), _waveform(row["waveform"]), acc=1e-7)
    assert v == pytest.approx(float(row["v"]), rel=1e-5)
