"""Transients against the physics: closed forms of plates and half-spaces, independent of VELDO
(tests/data/transient/make_transient_physics.py says how each reference was made).

- a plate's late decay: the fitted log-slope against the lowest diffusion mode's, and the
  voltage at the window's end against the sum of the plate's modes;
- a half-space's late t^-5/2 law and its prefactor;
- a half-space's exact transient at every time (erfcx form), early times bounded as t^-1/2, and
  pulses, which are two shifted step responses;
- the time integral of the step response against dM(DC) - dM(perfect conductor);
- the warning of a time short of acc: none where the value is off by more.
"""

import csv
import math
import pathlib
import warnings

import numpy as np
import pytest

import veldo

DATA = pathlib.Path(__file__).resolve().parents[2] / "tests" / "data" / "transient"


def rows(name):
    return list(csv.DictReader(l for l in open(DATA / name) if not l.startswith("#")))


def coil(text):
    N, R1, R2, L, z = (float(x) * (1 if i == 0 else 1e-3) for i, x in enumerate(text.split(":")))
    return veldo.Coil(N, R1, R2, L, z=z)


def layers(text):
    return [veldo.Layer(float(d) * 1e-3, float(s), float(m)) for d, s, m in (x.split(":") for x in text.split())]


@pytest.mark.parametrize("row", rows("plate_late_time.csv"), ids=lambda r: r["name"])
def test_a_plate_decays_with_its_lowest_diffusion_mode(row):
    plate = veldo.Plate(layers(f"{row['d']}:{row['sigma']}:{row['mur']} inf:0:1"), float(row["lift"]) * 1e-3)
    t = np.geomspace(float(row["t_from"]), float(row["t_to"]), int(row["points"]))
    v = veldo.transient(coil(row["drive"]), coil(row["pickup"]), plate, t, acc=1e-9)
    tau = -1 / np.polyfit(t, np.log(-v), 1)[0]
    assert tau == pytest.approx(float(row["tau"]), rel=float(row["tol_tau"]), abs=0)
    assert tau == pytest.approx(float(row["tau_lowest_mode"]), rel=1e-3)  # the higher modes have died
    assert v[-1] == pytest.approx(float(row["v_end"]), rel=float(row["tol_v"]), abs=0)
    if row["tol_thin_skin"]:  # where mur k d >> 1: tau = mu0 mur sigma d^2 / pi^2
        assert tau == pytest.approx(float(row["tau_thin_skin"]), rel=float(row["tol_thin_skin"]))


@pytest.mark.parametrize("row", rows("halfspace_late_time.csv"), ids=lambda r: r["name"])
def test_a_half_space_falls_as_t_to_the_minus_five_halves(row):
    t = np.geomspace(float(row["t_from"]), float(row["t_to"]), int(row["points"]))
    v = veldo.transient(coil(row["drive"]), coil(row["pickup"]), veldo.Plate([veldo.Layer(math.inf, float(row["sigma"]))]),
                        t, acc=1e-9)
    A = float(row["prefactor"])
    x = np.sqrt(t[0] / t)  # the next terms of the late expansion go as powers of t^-1/2
    exponent = np.linalg.lstsq(np.column_stack([np.log(t / t[0]), np.ones_like(x), x, x * x]),
                               np.log(v / A * t[0] ** 2.5), rcond=None)[0][0]
    prefactor = np.linalg.lstsq(np.column_stack([np.ones_like(x), x, x * x]), v * t ** 2.5 / A, rcond=None)[0][0]
    assert exponent == pytest.approx(-2.5, abs=float(row["tol_exponent"]))
    assert prefactor == pytest.approx(1.0, abs=float(row["tol_prefactor"]))


def _waveform(text):
    return "step-off" if text == "step-off" else ("pulse", float(text.split()[1]))


@pytest.mark.parametrize("row", rows("halfspace_transients.csv"), ids=lambda r: f"{r['name']} {r['waveform']} t={r['t']}")
def test_a_half_space_against_its_closed_form(row):
    """From 1e-12 s, where v ~ t^-1/2 (bounded, no ringing before the switching), to the late
    decay; a pulse is the step-on at 0 and the step-off at its width."""
    half = veldo.Plate([veldo.Layer(math.inf, float(row["sigma"]), float(row["mur"]))], float(row["lift"]) * 1e-3)
    drive, pickup, t, waveform = coil(row["drive"]), coil(row["pickup"]), float(row["t"]), _waveform(row["waveform"])
    v = veldo.transient(drive, pickup, half, t, waveform, acc=1e-9)
    assert v == pytest.approx(float(row["v"]), rel=float(row["tol"]), abs=0)
    if waveform != "step-off":
        W = waveform[1]
        steps = veldo.transient(drive, pickup, half, [t, t - W] if t > W else [t], acc=1e-9)
        assert v == pytest.approx(-steps[0] + (steps[1] if t > W else 0.0), rel=1e-7, abs=1e-9 * abs(steps[0]))


@pytest.mark.parametrize("row", rows("time_integrals.csv"), ids=lambda r: r["name"])
def test_the_time_integral_is_the_inductance_change_from_dc_to_the_perfect_conductor(row):
    lt = np.linspace(float(row["log10_t_from"]), float(row["log10_t_to"]), int(row["points"])) * math.log(10)
    t = np.exp(lt)
    v = veldo.transient(coil(row["drive"]), coil(row["pickup"]), veldo.Plate(layers(row["layers"]), float(row["lift"]) * 1e-3),
                        t, acc=1e-8)
    # Both tails are power laws t^p at the grid's ends (t^-1/2 early, t^-5/2 or faster late):
    # int_0^t0 v = t0 v0 / (1 + p0), int_t1^inf v = -t1 v1 / (1 + p1), p from the end points.
    p0, p1 = (math.log(v[1] / v[0]) / (lt[1] - lt[0]), math.log(v[-1] / v[-2]) / (lt[-1] - lt[-2]))
    area = np.trapz(v * t, lt) + t[0] * v[0] / (1 + p0) - t[-1] * v[-1] / (1 + p1)
    assert area == pytest.approx(float(row["integral"]), rel=float(row["tol"]), abs=0)


@pytest.mark.parametrize("acc", [1e-3, 1e-6])
def test_a_time_without_the_warning_is_within_acc_of_its_value(acc):
    """The estimate of each time's error (two inversions) decides the warning: a half-space's
    transient that comes back without it is within acc of the closed form at that time, relative
    to the value there. A steel wall's tail, far below the response's scale (its Delta L(0) is
    large), warns."""
    claimed = 0
    for row in rows("halfspace_transients.csv"):
        half = veldo.Plate([veldo.Layer(math.inf, float(row["sigma"]), float(row["mur"]))], float(row["lift"]) * 1e-3)
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            v = veldo.transient(coil(row["drive"]), coil(row["pickup"]), half, float(row["t"]), _waveform(row["waveform"]), acc=acc)
        if not caught:
            claimed += 1
            assert v == pytest.approx(float(row["v"]), rel=acc + float(row["tol"]), abs=0), row
    assert claimed >= 10
    wall = veldo.Plate([veldo.Layer(4e-3, 5e6, 100), veldo.Layer(math.inf, 0, 1)], 1e-3)
    with pytest.warns(RuntimeWarning, match=r"did not reach acc = .* at 1 of 1 times; the first at t = 0.01 s"):
        veldo.transient(veldo.Coil(200, 2e-3, 4e-3, 1e-3), veldo.Coil(100, 0.5e-3, 1.5e-3, 0.5e-3), wall, [1e-2], acc=acc)
