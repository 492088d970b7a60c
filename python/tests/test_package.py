"""The package's functions against the command-line front end (the same bits), their broadcasting
and threads, and their refusals (the window's messages)."""

import json
import pathlib
import sys
import threading

import numpy as np
import pytest

import veldo

# Window units -> SI, as the command converts a field (its parsed number times the factor).
FACTOR = {"r1": 1e-3, "r2": 1e-3, "l": 1e-3, "lo": 1e-3, "d1": 1e-3, "b1": 1e-3, "b2": 1e-3,
          "f": 1e3, "con1": 1e6, "con2": 1e6, "mr1": 1.0, "mr2": 1.0}
COIL = {"r1": 2.0, "r2": 4.0, "l": 1.0, "n": 200, "acc": 0.01}

# The tables of tests/data/python/package_cases.json (their making is said there).
CASES = json.loads((pathlib.Path(__file__).resolve().parents[2] / "tests" / "data" / "python"
                    / "package_cases.json").read_text())
# One point per case, every field away from its default and from the others, so a swapped
# argument changes the numbers: (case, coil fields, case fields in the models' order).
POINTS = [tuple(p) for p in CASES["points"]]


def si_args(coil, fields):
    """The SI arguments the command passes the model for these fields."""
    c = {**COIL, **coil}
    args = [int(c["n"]), c["r1"] * FACTOR["r1"], c["r2"] * FACTOR["r2"], c["l"] * FACTOR["l"]]
    args += [v * FACTOR[k] for k, v in fields.items()]
    return args, c["acc"] / 100


def cli_args(case, coil, fields):
    """The front end's options: the first case parameter swept over one point."""
    args = [case]
    for k, v in {**COIL, **coil}.items():
        args += [f"--{k}", repr(v)]
    first = [k for k in fields if k != "f"][0]
    for k, v in fields.items():
        args += [f"--{k}", f"{v!r}:{v!r}:0" if k == first else repr(v)]
    return args


@pytest.mark.parametrize("case,coil,fields", POINTS, ids=[p[0] for p in POINTS])
def test_point_is_the_front_ends_to_the_bit(veldo_cli, case, coil, fields):
    X0, L0, rows = veldo_cli(*cli_args(case, coil, fields))
    args, acc = si_args(coil, fields)
    z = getattr(veldo, case)(*args, acc=acc)
    (row,) = rows
    assert (z.dR, z.dX, z.ier) == (float(row["dR"]), float(row["dX"]), int(row["ier"]))
    air = veldo.air_coil(*args[:5], acc=acc)
    assert (air.X0, air.L0, air.ier) == (X0, L0, 0)
    assert z.dZ == complex(z.dR, z.dX)


@pytest.mark.parametrize("case,options", [
    ("planar1", ["--con1", "1:5:1"]),
    ("rod2", ["--r1", "12", "--r2", "14", "--b2", "9:10:0.25"]),
    ("vertical", ["--f", "20", "--mr1", "1:41:10"]),
    ("bore1", ["--f", "1:1000:5/dec"]),
])
def test_sweep_is_the_front_ends_curve(veldo_cli, case, options):
    X0, L0, rows = veldo_cli(case, *options)
    fields = {options[i][2:]: options[i + 1] for i in range(0, len(options), 2)}
    s = veldo.sweep(case, **fields)
    assert (s.X0, s.L0, s.notices) == (X0, L0, [])
    for column in ("dR", "dX", "x", "y"):
        assert list(getattr(s, column)) == [float(r[column]) for r in rows], column
    assert list(s.ier) == [int(r["ier"]) for r in rows]
    assert s.param == rows[0]["param"]


def test_sweep_threads_and_tuple_form_give_the_same_curve():
    one = veldo.sweep("planar2", d1=(0.1, 0.9, 0.05), threads=1)
    two = veldo.sweep("planar2", d1="0.1:0.9:0.05", threads=2)
    assert len(one.values) == 17
    for column in ("values", "dR", "dX", "x", "y", "ier"):
        assert np.array_equal(getattr(one, column), getattr(two, column)), column


def test_broadcast_shape_and_elements():
    lo = np.array([[1e-4], [5e-4], [1e-3]])
    con = np.array([1e6, 5e6, 2e7, 5.8e7])
    z = veldo.planar1(200, 2e-3, 4e-3, 1e-3, 1e5, lo, con, 1.0, engine="adaptive")
    assert z.dR.shape == z.dX.shape == z.ier.shape == (3, 4)
    for i, j in [(0, 0), (1, 2), (2, 3)]:
        p = veldo.planar1(200, 2e-3, 4e-3, 1e-3, 1e5, lo[i, 0], con[j], 1.0)
        assert (z.dR[i, j], z.dX[i, j]) == (p.dR, p.dX)
    with pytest.raises(ValueError, match="broadcast"):
        veldo.planar1(200, 2e-3, 4e-3, 1e-3, 1e5, np.zeros(3), np.ones(4), 1.0)


@pytest.mark.parametrize("engine", ["adaptive", "batch"])
@pytest.mark.parametrize("case,coil,fields", [POINTS[1], POINTS[4], POINTS[6]],
                         ids=["planar2", "rod1", "vertical"])
def test_threads_do_not_change_a_bit(case, coil, fields, engine):
    args, acc = si_args(coil, fields)
    args[5] = args[5] * np.linspace(0.5, 1.0, 41)  # lift-off, or a rod radius below R1
    serial = getattr(veldo, case)(*args, acc=acc, threads=1, engine=engine)
    # Points evaluated alone (no coil factors kept from other points) are the same bits, or (the
    # batch engine, whose nodes the batch chooses) within acc.
    for k in (0, 17, 40):
        alone = getattr(veldo, case)(*args[:5], args[5][k], *args[6:], acc=acc)
        if engine == "adaptive":
            assert (alone.dR, alone.dX) == (serial.dR[k], serial.dX[k])
        else:
            assert abs(alone.dZ - serial.dZ[k]) <= acc * abs(alone.dZ)
    for threads in (2, 3, 0):
        z = getattr(veldo, case)(*args, acc=acc, threads=threads, engine=engine)
        assert np.array_equal(z.dR, serial.dR) and np.array_equal(z.dX, serial.dX)
        assert np.array_equal(z.ier, serial.ier)


def test_air_coil_broadcasts_over_frequency():
    f = np.array([1e3, 1e4, 1e5])
    air = veldo.air_coil(200, 2e-3, 4e-3, 1e-3, f)
    # The inductance of a coil in air does not depend on the frequency.
    assert np.allclose(air.L0, air.L0[0], rtol=1e-6, atol=0)
    assert np.array_equal(air.X0, [veldo.air_coil(200, 2e-3, 4e-3, 1e-3, x).X0 for x in f])


def test_the_lock_is_released_while_computing():
    done, seen = [], threading.Event()

    def work():
        # Computes until this thread has been seen running (however the system schedules them).
        for _ in range(10_000):
            if seen.is_set():
                break
            veldo.planar1(200, 2e-3, 4e-3, 1e-3, 1e5, np.linspace(1e-4, 1e-3, 20), 1e6, 1.0)
        done.append(True)

    interval = sys.getswitchinterval()
    sys.setswitchinterval(1000)  # the worker keeps the lock until it lets go of it itself
    try:
        worker = threading.Thread(target=work)
        worker.start()
        during = not done  # this thread runs again only once the worker has let go of the lock
        seen.set()
        worker.join()
    finally:
        sys.setswitchinterval(interval)
    assert during and done


PLANAR1 = CASES["bases"]["PLANAR1"]
# (case, base arguments, changed SI arguments, the same change as window fields or None, message)
REFUSALS = [(c, CASES["bases"][b], change, fields, message)
            for c, b, change, fields, message in CASES["refusals"]]


@pytest.mark.parametrize("case,base,change,fields,message", REFUSALS)
def test_refusals_carry_the_windows_message(case, base, change, fields, message):
    args = dict(base)
    # The refused value sits at index 2 of a 4-point array: the error names that point.
    for k, v in change.items():
        column = np.full(4, args[k], dtype=float)
        column[2] = v
        args[k] = column
    if message is None:  # N not whole: the window's text for a field that is not an integer
        message = "'2.5' is not a valid integer value"
    with pytest.raises(veldo.InputError) as e:
        getattr(veldo, case)(*args.values())
    assert (str(e.value), e.value.index) == (message, (2,))
    if fields is not None:
        with pytest.raises(veldo.ComputeError) as w:
            veldo.sweep(case, **fields)
        assert str(w.value).rstrip(".") == message


def test_accuracy_below_the_quadratures_smallest_is_refused():
    with pytest.raises(ValueError, match="Check the computation accuracy"):
        veldo.planar1(*PLANAR1.values(), acc=1e-15)
    with pytest.raises(ValueError, match="Check the computation accuracy"):
        veldo.air_coil(200, 2e-3, 4e-3, 1e-3, 1e5, acc=0.0)


def test_an_arithmetic_fault_is_not_a_silent_number():
    # The air-coil inductance at 0 Hz divides 0 by 0: the window's fault, not a NaN.
    with pytest.raises(ValueError, match="^Invalid floating point operation$"):
        veldo.air_coil(200, 2e-3, 4e-3, 1e-3, 0.0)
    with pytest.raises(veldo.ComputeError, match=r"^Floating point overflow\.$") as e:
        veldo.sweep("planar1", f="1e308", con1="1e308")
    assert len(e.value.record.dR) == 0


@pytest.mark.parametrize("case,fields,message", [
    (c, {k: tuple(v) if isinstance(v, list) else v for k, v in f.items()}, m)
    for c, f, m in CASES["sweep_messages"]])
def test_sweep_messages(case, fields, message):
    with pytest.raises(ValueError) as e:
        veldo.sweep(case, **fields)
    assert str(e.value) == message


def test_sweep_reports_an_accuracy_shortfall_as_the_status_bar_does():
    # 3e-14 relative lies below what the kernels' rounding resolves (the points' Ier 2), and the
    # air coil's L A - B + C, whose terms cancel to a thirtieth on this winding, claims more
    # rounding than that too; the points are kept, both shortfalls named.
    s = veldo.sweep("planar1", acc="3e-12", lo=(0.1, 0.2, 0.1))
    assert s.notices == ["2 of 2 points did not reach the requested accuracy",
                         "the coil's reactance in air did not reach the requested accuracy"]
    assert len(s.dR) == 2


def test_every_public_name_has_its_type_hints_and_a_docstring():
    import ast
    import pathlib
    stub = ast.parse((pathlib.Path(veldo.__file__).parent / "__init__.pyi").read_text())
    hinted = {n.name for n in stub.body if isinstance(n, (ast.FunctionDef, ast.ClassDef))}
    hinted |= {n.target.id for n in stub.body if isinstance(n, ast.AnnAssign)}
    assert hinted == set(veldo.__all__)
    assert [n for n in veldo.__all__ if callable(getattr(veldo, n)) and not getattr(veldo, n).__doc__] == []
    # The case functions' hints list the case table's arguments, as the functions take them.
    hints = {n.name: [a.arg for a in n.args.args + n.args.kwonlyargs] for n in stub.body
             if isinstance(n, ast.FunctionDef) and n.name in veldo.CASES}
    import inspect
    assert hints == {c: list(inspect.signature(getattr(veldo, c)).parameters) for c in veldo.CASES}
