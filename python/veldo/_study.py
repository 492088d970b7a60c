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
    axes = {}
    for name, values in grid.items():
        a = np.asarray(values, dtype=np.float64)
        if a.ndim != 1 or a.size == 0:
            raise ValueError(f"the axis {name} must be a non-empty 1-D array")
        axes[name] = a
    return axes, {name: float(v) for name, v in fixed.items()}


def evaluate_chunk(case, axes, fixed, acc, start, stop, threads=1):
    """Points ``start`` .. ``stop - 1`` of the grid (C order: the last axis fastest).

    Returns (start, dR, dX, ier, refused) with ``refused`` a list of (grid index, message).
    """
    shape = tuple(len(a) for a in axes.values())
    index = np.unravel_index(np.arange(start, stop), shape)
    by_name = {name: axis[i] for (name, axis), i in zip(axes.items(), index)}
    columns = [by_name[n] if n in by_name else np.full(stop - start, fixed[n])
               for n in arguments(case)]
    dR, dX, ier, refused = _veldo.evaluate(case, columns, float(acc), int(threads), False)
    return start, dR, dX, ier, [(start + i, message) for i, message in refused]


def study(case, grid, *, client=None, chunk=4096, acc=1e-4, path=None, threads=1, **fixed):
    """Evaluates case ``case`` over the outer product of the axes in ``grid``.

    ``grid`` maps argument names of the case's function (``"N"``, ``"R1"``, ``"R2"``, ``"L"``
    [m], ``"f"`` [Hz], ``"LO"``, ``"CON1"`` [S/m], ...) to 1-D arrays; every other argument is
    given in ``fixed`` as a scalar, SI units throughout. ``acc`` is the relative accuracy.

    The grid is cut into chunks of ``chunk`` points. With ``client`` (a
    ``dask.distributed.Client``) every chunk is a task on its workers, which must be able to
    import ``veldo``; without one the chunks run in this process, each on ``threads`` threads
    (0: one per core).

    Returns a pandas DataFrame with one row per point, the first axis slowest: a column per axis,
    then ``dR``, ``dX`` [ohm], ``ier`` (0 ok, 1 or 2 one quadrature run short of ``acc``, 3 both,
    -1 not computed) and ``error`` (None, or the window's message for a refused point, whose
    dR and dX are NaN). A refused point refuses only itself, and a :class:`StudyWarning` says
    how many were. ``df.attrs`` holds the case, ``acc`` and the fixed values. With ``path`` the
    table is also written there: CSV with 17 significant digits (every number reads back
    exactly with :func:`read_study`), or a pickle when the name ends in ``.pkl``.
    """
    import pandas as pd

    axes, fixed = _prepare(case, grid, fixed)
    if int(chunk) < 1:
        raise ValueError("chunk must be at least 1")
    if not acc > 0:
        raise ValueError("acc must be positive")
    shape = tuple(len(a) for a in axes.values())
    total = math.prod(shape)
    ranges = [(s, min(s + int(chunk), total)) for s in range(0, total, int(chunk))]
    if client is None:
        parts = [evaluate_chunk(case, axes, fixed, acc, s, e, threads) for s, e in ranges]
    else:
        # Every call computes afresh (pure=False): a study is not served from results that an
        # earlier one left on the cluster under the same key.
        futures = [client.submit(evaluate_chunk, case, axes, fixed, acc, s, e, pure=False)
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
    df.attrs = {"case": case, "acc": float(acc), **fixed}
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
