"""Parameter studies: the outer product of named axes, evaluated in chunks by the C++ models.

A chunk is a range of flat indices into the study's grid: it carries the axes (small) and its
range, and the worker forms its own points, so nothing of the size of the study travels to it.
With a ``dask.distributed`` client the chunks are Dask tasks on its workers, local or remote, and
Dask does the scheduling, the retrying of a chunk whose worker died and the transfer of results;
without one they run here, each on ``threads`` threads. The numbers are the same either way:
every point is one call of a pure model function.
"""

from __future__ import annotations

import math
import warnings

import numpy as np

from . import _veldo
from ._cases import arguments

RESULT_COLUMNS = ("dR", "dX", "ier", "error")


class StudyWarning(UserWarning):
    """Some points of a study were refused; the ``error`` column says which and why."""


def _axes(grid):
    axes = {}
    for name, values in grid.items():
        a = np.asarray(values, dtype=np.float64)
        if a.ndim != 1 or a.size == 0:
            raise ValueError(f"the axis {name} must be a non-empty 1-D array")
        axes[name] = a
    return axes


def _prepare(case, grid, fixed):
    names = arguments(case)
    unknown = sorted((set(grid) | set(fixed)) - set(names))
    if unknown:
        raise TypeError(f"{case} has no argument {', '.join(unknown)} (its arguments: {', '.join(names)})")
    both = sorted(set(grid) & set(fixed))
    if both:
        raise TypeError(f"{', '.join(both)} given both as an axis and as a fixed value")
    missing = [n for n in names if n not in grid and n not in fixed]
    if missing:
        raise TypeError(f"{case} needs {', '.join(missing)} as an axis or a fixed value")
    axes = _axes(grid)
    return axes, {name: float(v) for name, v in fixed.items()}


def _with(coil, conductor, values):
    """Copies of the coil and the conductor with the fields named by path set to the values."""
    import copy

    coil, conductor = copy.copy(coil), copy.copy(conductor)
    conductor.layers = [copy.copy(layer) for layer in conductor.layers]
    f = values.pop("f", None)
    for path, v in values.items():
        parts = path.split(".")
        if parts[0] == "coil" and len(parts) == 2 and parts[1] in ("N", "R1", "R2", "L", "z", "x"):
            setattr(coil, parts[1], v)
        elif path == "lift_off" and conductor.geometry == "plate" or path == "radius" and conductor.geometry != "plate":
            setattr(conductor, path, v)
        elif (parts[0] == "layers" and len(parts) == 3 and parts[1].isdigit()
              and int(parts[1]) < len(conductor.layers) and parts[2] in ("thickness", "sigma", "mur")):
            setattr(conductor.layers[int(parts[1])], parts[2], v)
        else:
            raise TypeError(f"the problem has no field '{path}': use f, coil.N, coil.R1, coil.R2, coil.L, coil.z, "
                            "coil.x, lift_off (a plate), radius (a tube or rod), layers.K.thickness, "
                            "layers.K.sigma or layers.K.mur (K from 0 at the coil's side)")
    return coil, conductor, f


def _prepare_problem(problem, grid, fixed):
    coil, conductor = problem
    both = sorted(set(grid) & set(fixed))
    if both:
        raise TypeError(f"{', '.join(both)} given both as an axis and as a fixed value")
    if "f" not in grid and "f" not in fixed:
        raise TypeError("the study needs f as an axis or a fixed value")
    axes = _axes(grid)
    _with(coil, conductor, {**{n: 0.0 for n in axes}, **fixed})  # every path names a field
    return axes, {name: float(v) for name, v in fixed.items()}


def evaluate_problem_chunk(problem, axes, fixed, acc, start, stop, threads=1, engine="batch"):
    """Points ``start`` .. ``stop - 1`` of a problem's grid; returns as :func:`evaluate_chunk`."""
    from ._problem import _evaluate

    shape = tuple(len(a) for a in axes.values())
    index = np.unravel_index(np.arange(start, stop), shape)
    values = {**fixed, **{name: axis[i] for (name, axis), i in zip(axes.items(), index)}}
    coil, conductor, f = _with(*problem, values)
    _, dR, dX, ier, refused = _evaluate(coil, conductor, np.broadcast_to(f, (stop - start,)), acc, threads,
                                        stop_on_refusal=False, engine=engine)
    return start, dR, dX, ier, [(start + i, message) for i, message in refused]


def evaluate_chunk(case, axes, fixed, acc, start, stop, threads=1, engine="batch"):
    """Points ``start`` .. ``stop - 1`` of the grid (C order: the last axis fastest).

    Returns (start, dR, dX, ier, refused) with ``refused`` a list of (grid index, message).
    """
    shape = tuple(len(a) for a in axes.values())
    index = np.unravel_index(np.arange(start, stop), shape)
    by_name = {name: axis[i] for (name, axis), i in zip(axes.items(), index)}
    columns = [by_name[n] if n in by_name else np.full(stop - start, fixed[n])
               for n in arguments(case)]
    dR, dX, ier, refused = _veldo.evaluate(case, columns, float(acc), int(threads), False, engine)
    return start, dR, dX, ier, [(start + i, message) for i, message in refused]


def study(case, grid, *, client=None, chunk=4096, acc=1e-4, path=None, threads=0, engine="batch", **fixed):
    """Evaluates case ``case``, or a problem ``(coil, conductor)``, over the outer product of the
    axes in ``grid``.

    For a problem (a :class:`~veldo.Coil` and a :class:`~veldo.Plate`, :class:`~veldo.Tube` or
    :class:`~veldo.Rod`) the axes and the fixed values name its fields by path: ``"f"``,
    ``"coil.R1"``, ``"lift_off"``, ``"radius"``, ``"layers.1.sigma"`` (layers counted from 0 at the
    coil's side), and ``f`` must be one of them; ``fixed`` is then given as a dict
    (``**{"layers.0.mur": 50.0}``) or by plain names such as ``f=1e5``.

    ``grid`` maps argument names of the case's function (``"N"``, ``"R1"``, ``"R2"``, ``"L"``
    [m], ``"f"`` [Hz], ``"LO"``, ``"CON1"`` [S/m], ...) to 1-D arrays; every other argument is
    given in ``fixed`` as a scalar, SI units throughout. ``acc`` is the relative accuracy.

    The grid is cut into chunks of ``chunk`` points. With ``client`` (a
    ``dask.distributed.Client``) every chunk is a task on its workers, which must be able to
    import ``veldo``; without one the chunks run in this process, each on ``threads`` threads
    (0, the default: one per core).

    Returns a pandas DataFrame with one row per point, the first axis slowest: a column per axis,
    then ``dR``, ``dX`` [ohm], ``ier`` (0 ok, 1 or 2 one quadrature run short of ``acc``, 3 both,
    -1 not computed) and ``error`` (None, or the window's message for a refused point, whose
    dR and dX are NaN). A refused point refuses only itself, and a :class:`StudyWarning` says
    how many were. ``engine`` as for :func:`veldo.evaluate` (``"batch"``, the default, or
    ``"adaptive"``; with ``"batch"`` a point's numbers depend on the chunk it falls in, within
    ``acc``). ``df.attrs`` holds the case, ``acc``, the engine and the fixed values. With ``path`` the
    table is also written there: CSV with 17 significant digits (every number reads back
    exactly with :func:`read_study`), or a pickle when the name ends in ``.pkl``.
    """
    import pandas as pd

    is_problem = not isinstance(case, str)
    if is_problem:
        axes, fixed = _prepare_problem(tuple(case), grid, fixed)
        run = evaluate_problem_chunk
    else:
        axes, fixed = _prepare(case, grid, fixed)
        run = evaluate_chunk
    if int(chunk) < 1:
        raise ValueError("chunk must be at least 1")
    if not acc > 0:
        raise ValueError("acc must be positive")
    if engine not in ("batch", "adaptive"):
        raise ValueError(f"the engine is 'batch' or 'adaptive', not {engine!r}")
    shape = tuple(len(a) for a in axes.values())
    total = math.prod(shape)
    ranges = [(s, min(s + int(chunk), total)) for s in range(0, total, int(chunk))]
    if client is None:
        parts = [run(case, axes, fixed, acc, s, e, threads, engine) for s, e in ranges]
    else:
        # Every call computes afresh (pure=False): a study is not served from results that an
        # earlier one left on the cluster under the same key.
        futures = [client.submit(run, case, axes, fixed, acc, s, e, engine=engine, pure=False)
                   for s, e in ranges]
        parts = client.gather(futures)

    coords = np.meshgrid(*axes.values(), indexing="ij")
    frame = {name: c.reshape(-1) for name, c in zip(axes, coords)}
    frame["dR"] = np.concatenate([p[1] for p in parts]) if parts else np.empty(0)
    frame["dX"] = np.concatenate([p[2] for p in parts]) if parts else np.empty(0)
    frame["ier"] = np.concatenate([p[3] for p in parts]) if parts else np.empty(0, np.int32)
    error = np.full(total, None, dtype=object)
    refused = [r for p in parts for r in p[4]]
    for i, message in refused:
        error[i] = message
    frame["error"] = error
    df = pd.DataFrame(frame)
    df.attrs = {"case": repr(tuple(case)) if is_problem else case, "acc": float(acc), "engine": engine, **fixed}
    if refused:
        i, message = refused[0]
        warnings.warn(f"{len(refused)} of {total} points were refused (the first, row {i}: "
                      f"{message}); see the error column", StudyWarning, stacklevel=2)
    if path is not None:
        write_study(df, path)
    return df


def write_study(df, path):
    """Writes a study's table: a pickle for ``*.pkl``, else CSV whose ``#`` header lines hold
    ``df.attrs`` and whose numbers have 17 significant digits."""
    path = str(path)
    if path.endswith(".pkl"):
        df.to_pickle(path)
        return
    with open(path, "w", encoding="utf-8", newline="") as out:
        for key, value in df.attrs.items():
            out.write(f"# {key}={value!r}\n")
        df.to_csv(out, index=False, float_format="%.17g")


def read_study(path):
    """A study written by :func:`study` read back, every number bit for bit, ``attrs`` included."""
    import ast

    import pandas as pd

    path = str(path)
    if path.endswith(".pkl"):
        return pd.read_pickle(path)
    attrs = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if not line.startswith("# "):
                break
            key, _, value = line[2:].rstrip("\n").partition("=")
            attrs[key] = ast.literal_eval(value)
    df = pd.read_csv(path, skiprows=len(attrs), float_precision="round_trip",
                     dtype={"ier": np.int32})
    df["error"] = np.array([s if isinstance(s, str) else None for s in df["error"]], dtype=object)
    df.attrs = attrs
    return df
