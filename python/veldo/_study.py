"""Parameter studies: the outer product of named axes, evaluated in chunks by the C++ models.

A chunk is a block of the grid: the last axes whole as far as they fit in the chunk's size, a run
of indices of the next axis, one index of each earlier axis. A block is thus both a range of flat
indices (C order) and a rectangular chunk of a Zarr array. It carries the axes (small) and its
range, and the worker forms its own points, so nothing of the size of the study travels to it.
With a ``dask.distributed`` client the chunks are Dask tasks on its workers, local or remote, and
Dask does the scheduling, the retrying of a chunk whose worker died and the transfer of results;
without one they run here on ``threads`` threads, side by side. The numbers are the same either way:
every point is one call of a pure model function, and a batch is always one chunk.

A study into a Zarr store (a path ending in ``.zarr``) passes nothing back but a few numbers per
chunk: the worker reads the axes from the store, writes its block of dR, dX, ier and error into it
and then its mark (the number of its refused points) into ``progress/refused``. A chunk without a
mark is computed by the next run, whether it was never started or its worker died while writing
it, so a study interrupted anywhere resumes where it stopped. The store's attributes (the problem,
the grid, the engine, the accuracy, the chunk size and the version) decide whether a run may
continue it; they and the arrays' layout are written once, before any chunk, into a folder that is
renamed into place complete.
"""

from __future__ import annotations

import dataclasses
import hashlib
import json
import math
import os
import shutil
import types
import uuid
import warnings

import numpy as np

from . import _veldo
from ._cases import arguments

RESULT_COLUMNS = ("dR", "dX", "ier", "error")


# What the Dataset's and the store's variables hold.
VARIABLE_ATTRS = types.MappingProxyType({
    "dR": {"units": "ohm", "long_name": "resistance change"},
    "dX": {"units": "ohm", "long_name": "reactance change"},
    "ier": {"long_name": "quadrature status",
            "flag_meanings": "0 both runs reached acc; 1 the real part's, 2 the imaginary part's, 3 both fell "
                             "short; -1 not computed (refused)"},
    "error": {"long_name": "why the point was refused (None where it was computed)"},
})


class StudyWarning(UserWarning):
    """Some points of a study were refused; the ``error`` column or variable says which and why."""


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


_COIL_FIELDS = ("N", "R1", "R2", "L", "z", "x")


def _with(probe, conductor, values):
    """Copies of the coil or probe and the conductor with the fields named by path set to the
    values. A probe's coil K is ``coils.K.<field>``; ``coil.<field>`` is its first coil."""
    import copy

    from ._problem import Probe

    conductor = copy.copy(conductor)
    conductor.layers = [copy.copy(layer) for layer in conductor.layers]
    if isinstance(probe, Probe):
        probe = Probe([copy.copy(c) for c in probe.coils], probe.connection)
        coils = probe.coils
    else:
        probe = copy.copy(probe)
        coils = [probe]
    f = values.pop("f", None)
    for path, v in values.items():
        parts = path.split(".")
        if parts[0] == "coil" and len(parts) == 2 and parts[1] in _COIL_FIELDS:
            setattr(coils[0], parts[1], v)
        elif (parts[0] == "coils" and len(parts) == 3 and parts[1].isdigit() and int(parts[1]) < len(coils)
              and parts[2] in _COIL_FIELDS and len(coils) > 1):
            setattr(coils[int(parts[1])], parts[2], v)
        elif path == "lift_off" and conductor.geometry == "plate" or path == "radius" and conductor.geometry != "plate":
            setattr(conductor, path, v)
        elif (parts[0] == "layers" and len(parts) == 3 and parts[1].isdigit()
              and int(parts[1]) < len(conductor.layers) and parts[2] in ("thickness", "sigma", "mur")):
            setattr(conductor.layers[int(parts[1])], parts[2], v)
        else:
            raise TypeError(f"the problem has no field '{path}': use f, coil.N, coil.R1, coil.R2, coil.L, coil.z, "
                            "coil.x, coils.K.N ... coils.K.x (coil K of a probe, from 0), lift_off (a plate), "
                            "radius (a tube or rod), layers.K.thickness, layers.K.sigma or layers.K.mur "
                            "(K from 0 at the coil's side)")
    return probe, conductor, f


def _prepare_problem(problem, grid, fixed):
    coil, conductor = problem
    both = sorted(set(grid) & set(fixed))
    if both:
        raise TypeError(f"{', '.join(both)} given both as an axis and as a fixed value")
    if "f" not in grid and "f" not in fixed:
        raise TypeError("the study needs f as an axis or a fixed value")
    axes = _axes(grid)
    _with(coil, conductor, {**{n: 0.0 for n in axes}, **fixed})  # every path names a field
    if hasattr(coil, "terms"):
        coil.terms()  # a probe whose connection lacks its coils is refused before any work
    return axes, {name: float(v) for name, v in fixed.items()}


def _fill_axis(out, axis, inner, start):
    """Writes an axis's values at the grid points ``start`` .. ``start + len(out) - 1`` (C order)
    into ``out``, ``inner`` the number of points of the later axes: ``axis[(i // inner) % len(axis)]``
    at flat index i. A piece at a time: a partial run of one value, whole runs up to the end of the
    axis (a slice of it spread over the runs), whole passes over the axis; each a view of ``out``
    that the axis is broadcast into, so nothing of the chunk's size is allocated here."""
    n, stop, k, i = len(axis), start + len(out), 0, start
    while i < stop:
        q, r = divmod(i, inner)
        j = q % n
        if r or stop - i < inner:
            e = min(stop, (q + 1) * inner)
            out[k:k + e - i] = axis[j]
        elif j or stop - i < inner * n:
            runs = min(n - j, (stop - i) // inner)
            e = i + runs * inner
            out[k:k + e - i].reshape(runs, inner)[:] = axis[j:j + runs, None]
        else:
            passes = (stop - i) // (inner * n)
            e = i + passes * inner * n
            out[k:k + e - i].reshape(passes, n, inner)[:] = axis[None, :, None]
        k, i = k + e - i, e


def _inner(axes):
    """The number of grid points of the later axes, for each axis."""
    shape = [len(a) for a in axes.values()]
    return [math.prod(shape[d + 1:]) for d in range(len(shape))]


def _grid_columns(axes, start, stop):
    """Every axis's values at the grid points ``start`` .. ``stop - 1``, by name."""
    columns = {}
    for (name, axis), inner in zip(axes.items(), _inner(axes)):
        columns[name] = np.empty(stop - start)
        _fill_axis(columns[name], axis, inner, start)
    return columns


def evaluate_problem_chunk(problem, axes, fixed, acc, start, stop, threads=1, engine="batch"):
    """Points ``start`` .. ``stop - 1`` of a problem's grid; returns as :func:`evaluate_chunk`."""
    from ._problem import _evaluate

    values = {**fixed, **_grid_columns(axes, start, stop)}
    probe, conductor, f = _with(*problem, values)
    f = np.broadcast_to(f, (stop - start,))
    if not hasattr(probe, "terms"):
        _, dR, dX, ier, refused = _evaluate(probe, conductor, f, acc, threads, stop_on_refusal=False, engine=engine)
        return start, dR, dX, ier, [(start + i, message) for i, message in refused]
    # A probe: the signed sum of its connection's transfer impedances, a point refused by any term
    # refused with that term's first message.
    dR = np.zeros(stop - start)
    dX = np.zeros(stop - start)
    ier = np.zeros(stop - start, dtype=np.int32)
    messages = {}
    for drive, pickup, sign in probe.terms():
        _, r, x, e, refused = _evaluate(drive, conductor, f, acc, threads, stop_on_refusal=False,
                                        pickup=None if pickup is drive else pickup, engine=engine)
        dR += sign * r
        dX += sign * x
        ier = np.maximum(ier, e)
        for i, message in refused:
            messages.setdefault(i, message)
    for i in messages:
        dR[i] = dX[i] = np.nan
        ier[i] = -1
    return start, dR, dX, ier, [(start + i, messages[i]) for i in sorted(messages)]


def evaluate_chunk(case, axes, fixed, acc, start, stop, threads=1, engine="batch"):
    """Points ``start`` .. ``stop - 1`` of the grid (C order: the last axis fastest).

    Returns (start, dR, dX, ier, refused) with ``refused`` a list of (grid index, message).
    """
    # The columns as the rows of one block: a single allocation per chunk.
    names = arguments(case)
    block = np.empty((len(names), stop - start))
    inner = dict(zip(axes, _inner(axes)))
    for row, name in zip(block, names):
        if name in axes:
            _fill_axis(row, axes[name], inner[name], start)
        else:
            row.fill(fixed[name])
    columns = list(block)
    dR, dX, ier, refused = _veldo.evaluate(case, columns, float(acc), int(threads), False, engine)
    return start, dR, dX, ier, [(start + i, message) for i, message in refused]


def _block(shape, chunk):
    """The shape of a chunk of at most ``chunk`` points: the trailing axes whole while they fit,
    then as many indices of the next axis as fit (at least one), one index of each earlier axis."""
    block, size = list(shape), 1
    for d in range(len(shape) - 1, -1, -1):
        if size * shape[d] > chunk:
            block[d] = max(1, chunk // size)
            block[:d] = [1] * d
            break
        size *= shape[d]
    return tuple(block)


def _chunk_count(shape, block):
    return math.prod(-(-n // b) for n, b in zip(shape, block))


def _chunk_range(shape, block, k):
    """Chunk ``k``'s region (a slice per axis) and its range of flat indices [start, stop)."""
    index = np.unravel_index(k, tuple(-(-n // b) for n, b in zip(shape, block)))
    region = tuple(slice(int(i) * b, min((int(i) + 1) * b, n)) for i, b, n in zip(index, block, shape))
    start = int(np.ravel_multi_index([s.start for s in region], shape))
    return region, start, start + math.prod(s.stop - s.start for s in region)


def _numbers(value):
    """Every number as a float, so that N=200 and N=200.0 describe the same problem."""
    if isinstance(value, dict):
        return {k: _numbers(v) for k, v in value.items()}
    if isinstance(value, (list, tuple)):
        return [_numbers(v) for v in value]
    if isinstance(value, (int, float, np.number)) and not isinstance(value, bool):
        return float(value)
    return value


def _json(value):
    """JSON that reads back to the same numbers (17 digits, inf and nan as Python writes them)."""
    return json.dumps(_numbers(value))


def _description(case, axes, fixed, acc, engine, chunk):
    """The attributes that identify a study: what a store must match to be continued."""
    from ._version import __version__

    if isinstance(case, str):
        problem = {"case": case, **{n: None if n in axes else fixed[n] for n in arguments(case)}}
    else:
        coil, conductor, f = _with(*case, {**{n: None for n in axes}, **fixed})
        probe = ({"probe": {"coils": [dataclasses.asdict(c) for c in coil.coils], "connection": coil.connection}}
                 if hasattr(coil, "terms") else {"coil": dataclasses.asdict(coil)})
        problem = {**probe, "conductor": {"geometry": conductor.geometry, **dataclasses.asdict(conductor)}, "f": f}
    digest = hashlib.sha256()
    for name, axis in axes.items():
        digest.update(name.encode() + b"\0" + axis.astype("<f8").tobytes())
    return {"problem": _json(problem), "grid": json.dumps({name: len(a) for name, a in axes.items()}),
            "grid_sha256": digest.hexdigest(), "engine": engine, "acc": float(acc), "chunk": int(chunk),
            "veldo_version": __version__}


def _point(axes, i):
    """Grid point ``i`` (a flat index) by its coordinates."""
    index = np.unravel_index(i, tuple(len(a) for a in axes.values()))
    return ", ".join(f"{name}={axis[j]!r}" for (name, axis), j in zip(axes.items(), index))


def _dataset(axes, dR, dX, ier, error, attrs):
    import xarray as xr

    dims = tuple(axes)
    shape = tuple(len(a) for a in axes.values())
    data = {name: (dims, values.reshape(shape), dict(VARIABLE_ATTRS[name]))
            for name, values in (("dR", dR), ("dX", dX), ("ier", ier), ("error", error))}
    return xr.Dataset(data, coords={name: (name, axis) for name, axis in axes.items()}, attrs=attrs)


def _results(run, case, axes, fixed, acc, ranges, client, threads, engine, progress):
    """The chunks' results, in the order of ``ranges``."""
    if client is None:
        workers = threads if threads > 0 else len(os.sched_getaffinity(0))
        if workers == 1 or len(ranges) == 1:
            parts = []
            for s, e in ranges:
                parts.append(run(case, axes, fixed, acc, s, e, threads, engine))
                if progress is not None:
                    progress(len(parts), len(ranges))
            return parts
        # Chunks side by side, one thread each: a chunk's own preparation and assembly, which at a
        # million points a second are a fifth of its time, overlap too (the models release the GIL).
        from concurrent.futures import ThreadPoolExecutor

        with ThreadPoolExecutor(max_workers=workers) as pool:
            futures = [pool.submit(run, case, axes, fixed, acc, s, e, 1, engine) for s, e in ranges]
            try:
                parts = []
                for future in futures:
                    parts.append(future.result())
                    if progress is not None:
                        progress(len(parts), len(ranges))
            except BaseException:
                for future in futures:
                    future.cancel()
                raise
        return parts
    from distributed import as_completed

    # Every call computes afresh (pure=False): a study is not served from results that an
    # earlier one left on the cluster under the same key.
    futures = [client.submit(run, case, axes, fixed, acc, s, e, engine=engine, pure=False) for s, e in ranges]
    parts = {}
    try:
        for future in as_completed(futures):
            part = future.result()
            parts[part[0]] = part
            if progress is not None:
                progress(len(parts), len(ranges))
    except BaseException:
        client.cancel(futures)
        raise
    return [parts[s] for s, _ in ranges]


def store_chunk(k, path, run, case, fixed, acc, engine, threads=1):
    """Computes chunk ``k`` of the study in the Zarr store at ``path`` and writes it there: its
    block of every variable, then its mark (the number of refused points). Returns (k, that
    number); the axes come from the store, so a task carries nothing of the grid's size."""
    import zarr

    group = zarr.open_consolidated(path, mode="r+")
    variables = [group[name] for name in RESULT_COLUMNS]
    axes = {name: group[name][:] for name in variables[0].attrs["_ARRAY_DIMENSIONS"]}
    region, start, stop = _chunk_range(variables[0].shape, variables[0].chunks, k)
    _, dR, dX, ier, refused = run(case, axes, fixed, acc, start, stop, threads, engine)
    shape = tuple(s.stop - s.start for s in region)
    for variable, values in zip(variables, (dR, dX, ier)):
        variable[region] = values.reshape(shape)
    if refused:  # a block never written reads as None throughout
        error = np.full(stop - start, None, dtype=object)
        for i, message in refused:
            error[i - start] = message
        variables[3][region] = error.reshape(shape)
    group["progress/refused"][k] = len(refused)
    return k, len(refused)


def _create_store(path, axes, block, attrs):
    """A new store for the study, complete with its layout and attributes before it appears at
    ``path``; False when another run made one there first."""
    import numcodecs
    import zarr

    shape = tuple(len(a) for a in axes.values())
    making = f"{path}.{uuid.uuid4().hex}.partial"
    group = zarr.open_group(making, mode="w-")
    for name, axis in axes.items():
        # No fill value: xarray would read a coordinate equal to it as missing.
        group.array(name, axis, chunks=axis.shape, fill_value=None).attrs["_ARRAY_DIMENSIONS"] = [name]
    for name, dtype, fill, codec in (("dR", "f8", math.nan, None), ("dX", "f8", math.nan, None),
                                     ("ier", "i4", None, None), ("error", object, None, numcodecs.MsgPack())):
        variable = group.create(name, shape=shape, chunks=block, dtype=dtype, fill_value=fill, object_codec=codec)
        variable.attrs.update({"_ARRAY_DIMENSIONS": list(axes), **VARIABLE_ATTRS[name]})
    group.create_group("progress").create("refused", shape=(_chunk_count(shape, block),), chunks=(1,),
                                          dtype="i8", fill_value=-1)
    group.attrs.update(attrs)
    zarr.consolidate_metadata(making)
    try:
        os.rename(making, path)  # over nothing or an empty folder
        return True
    except OSError:
        shutil.rmtree(making)
        return False


NAMES = types.MappingProxyType({"problem": "problem", "grid": "grid's axes", "grid_sha256": "grid's values",
                                "engine": "engine", "acc": "accuracy", "chunk": "chunk size",
                                "veldo_version": "VELDO version"})


def _check_store(path, attrs):
    """Refuses a store that another study made (or that is no study's store at all)."""
    import zarr

    try:
        found = dict(zarr.open_consolidated(path, mode="r").attrs)
    except (KeyError, ValueError, OSError, zarr.errors.FSPathExistNotDir):
        found = {}
    if set(found) != set(NAMES):
        raise ValueError(f"{path} exists and is not the store of a VELDO study; it was left as it is: "
                         "choose another path")
    differ = [key for key in NAMES if found[key] != attrs[key]]
    if "grid" in differ:
        differ.remove("grid_sha256")  # the sizes say more
    if differ:
        differences = "; ".join(f"its {NAMES[key]} {found[key]!r}, this study's {attrs[key]!r}" for key in differ)
        hint = f" (chunk={found['chunk']} continues it)" if differ == ["chunk"] else ""
        raise ValueError(f"{path} holds another study: {differences}. It was left as it is{hint}: "
                         "choose another path, or remove the store to start again")


def _open_store(path, axes, block, attrs):
    if not (os.path.isdir(path) and os.listdir(path)) and _create_store(path, axes, block, attrs):
        return
    _check_store(path, attrs)


def _store_study(run, case, axes, fixed, acc, engine, chunk, path, client, threads, progress):
    """The study into the Zarr store at ``path``; the Dataset read lazily from the store."""
    import zarr

    path = os.path.abspath(path)
    shape = tuple(len(a) for a in axes.values())
    block = _block(shape, chunk)
    _open_store(path, axes, block, _description(case, axes, fixed, acc, engine, chunk))
    marks = zarr.open_consolidated(path, mode="r")["progress/refused"]
    todo = [int(k) for k in np.flatnonzero(marks[:] < 0)]
    total, complete = marks.shape[0], marks.shape[0] - len(todo)
    task = dict(path=path, run=run, case=case, fixed=fixed, acc=acc, engine=engine)
    if client is None:
        for k in todo:
            store_chunk(k, threads=threads, **task)
            complete += 1
            if progress is not None:
                progress(complete, total)
    else:
        from distributed import as_completed

        futures = client.map(store_chunk, todo, pure=False, **task)
        try:
            for future in as_completed(futures):
                future.result()
                complete += 1
                if progress is not None:
                    progress(complete, total)
        except BaseException:
            client.cancel(futures)
            raise
    ds = read_study(path)
    _warn_store(ds, marks[:], block)
    return ds


def _warn_store(ds, refused, block):
    if not refused.any():
        return
    k = int(np.flatnonzero(refused)[0])
    axes = {name: ds[name].values for name in ds["dR"].dims}
    region, start, _ = _chunk_range(ds["dR"].shape, block, k)
    error = ds["error"][region].values.reshape(-1)
    i = next(i for i, message in enumerate(error) if message is not None)
    warnings.warn(f"{int(refused.sum())} of {ds['dR'].size} points were refused (the first, at "
                  f"{_point(axes, start + i)}: {error[i]}); see the error variable", StudyWarning, stacklevel=4)


def study(case, grid, *, client=None, chunk=4096, acc=1e-4, path=None, threads=0, engine="batch", dataset=False,
          progress=None, **fixed):
    """Evaluates case ``case``, or a problem ``(coil, conductor)``, over the outer product of the
    axes in ``grid``.

    For a problem (a :class:`~veldo.Coil` or a :class:`~veldo.Probe`, and a :class:`~veldo.Plate`,
    :class:`~veldo.Tube` or :class:`~veldo.Rod`) the axes and the fixed values name its fields by
    path: ``"f"``, ``"coil.R1"``, ``"lift_off"``, ``"radius"``, ``"layers.1.sigma"`` (layers counted
    from 0 at the coil's side), a probe's coil K as ``"coils.K.z"`` (``"coil."`` its coil 0), and
    ``f`` must be one of them; a probe's points are what its connection reads
    (:func:`veldo.probe_impedance`); ``fixed`` is then given as a dict
    (``**{"layers.0.mur": 50.0}``) or by plain names such as ``f=1e5``.

    ``grid`` maps argument names of the case's function (``"N"``, ``"R1"``, ``"R2"``, ``"L"``
    [m], ``"f"`` [Hz], ``"LO"``, ``"CON1"`` [S/m], ...) to 1-D arrays; every other argument is
    given in ``fixed`` as a scalar, SI units throughout. ``acc`` is the relative accuracy.

    The grid is cut into chunks of at most ``chunk`` points: the last axes whole while they fit,
    then a run of the next axis. With ``client`` (a ``dask.distributed.Client``) every chunk is a
    task on its workers, which must be able to import ``veldo``; without one the chunks run in
    this process on ``threads`` threads (0, the default: one per core), several chunks side by side,
    one on all of them when there is only one (or into a Zarr store, chunk after chunk). ``progress``, if
    given, is called here as ``progress(complete, chunks)`` after each chunk; what it raises
    ends the study.

    Returns a pandas DataFrame with one row per point, the first axis slowest: a column per axis,
    then ``dR``, ``dX`` [ohm], ``ier`` (0 ok, 1 or 2 one quadrature run short of ``acc``, 3 both,
    -1 not computed) and ``error`` (None, or the window's message for a refused point, whose
    dR and dX are NaN). A refused point refuses only itself, and a :class:`StudyWarning` says
    how many were. ``engine`` as for :func:`veldo.evaluate` (``"batch"``, the default, or
    ``"adaptive"``; with ``"batch"`` a point's numbers depend on the chunk it falls in, within
    ``acc``). ``df.attrs`` holds the case, ``acc``, the engine and the fixed values. With ``path`` the
    table is also written there: CSV with 17 significant digits (every number reads back
    exactly with :func:`read_study`), or a pickle when the name ends in ``.pkl``.

    With ``dataset=True`` it returns an ``xarray.Dataset`` instead, over the grid's axes (its
    coordinates): ``dR``, ``dX``, ``ier`` and ``error`` (as in the table); its
    attributes hold the problem (``problem``, JSON), the grid (``grid``: the axes' sizes, JSON,
    and ``grid_sha256`` of their values), ``engine``, ``acc``, ``chunk`` and ``veldo_version``.

    With a ``path`` ending in ``.zarr`` the study goes into that Zarr store, each chunk written by
    the worker that computed it (the workers must see the path), and the Dataset comes back read
    lazily from the store (Dask arrays), whatever ``dataset`` says: nothing of the study's size
    passes through this process. A store already at ``path`` is continued: its complete chunks
    are not computed again (a chunk is complete once its mark follows its data, so one half
    written when its worker died is computed again). A store of another study (problem, grid,
    engine, accuracy, chunk size or VELDO version) raises ValueError and is left untouched.
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
    if path is not None and str(path).rstrip("/").endswith(".zarr"):
        return _store_study(run, tuple(case) if is_problem else case, axes, fixed, acc, engine, int(chunk),
                            str(path).rstrip("/"), client, threads, progress)
    shape = tuple(len(a) for a in axes.values())
    total = math.prod(shape)
    block = _block(shape, int(chunk))
    ranges = [_chunk_range(shape, block, k)[1:] for k in range(_chunk_count(shape, block))]
    parts = _results(run, case, axes, fixed, acc, ranges, client, threads, engine, progress)

    dR = np.concatenate([p[1] for p in parts])
    dX = np.concatenate([p[2] for p in parts])
    ier = np.concatenate([p[3] for p in parts])
    refused = [r for p in parts for r in p[4]]
    error = np.full(total, None, dtype=object)
    for i, message in refused:
        error[i] = message
    df = None
    if not dataset or path is not None:
        coords = np.meshgrid(*axes.values(), indexing="ij")
        frame = {name: c.reshape(-1) for name, c in zip(axes, coords)}
        frame.update(dR=dR, dX=dX, ier=ier, error=error)
        df = pd.DataFrame(frame)
        df.attrs = {"case": repr(tuple(case)) if is_problem else case, "acc": float(acc), "engine": engine, **fixed}
    if refused:
        i, message = refused[0]
        where, column = (f"at {_point(axes, i)}", "variable") if dataset else (f"row {i}", "column")
        warnings.warn(f"{len(refused)} of {total} points were refused (the first, {where}: "
                      f"{message}); see the error {column}", StudyWarning, stacklevel=2)
    if path is not None:
        write_study(df, path)
    if not dataset:
        return df
    return _dataset(axes, dR, dX, ier, error, _description(case, axes, fixed, acc, engine, int(chunk)))


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
    """A study written by :func:`study` read back, every number bit for bit, ``attrs`` included:
    a DataFrame from CSV or a pickle, the Dataset (read lazily) from a Zarr store, which must be
    complete."""
    import ast

    import pandas as pd

    path = str(path).rstrip("/")
    if path.endswith(".zarr"):
        import dask.array
        import xarray as xr
        import zarr

        group = zarr.open_consolidated(path, mode="r")
        marks = group["progress/refused"][:]
        missing = int(np.count_nonzero(marks < 0))
        if missing:
            raise ValueError(f"{path} lacks {missing} of its {marks.size} chunks: run the study again to "
                             "complete it")
        # The messages as a Dask array of their own: xarray 2023.01 reads a variable of objects whole
        # when it opens it (looking for cftime dates).
        ds = xr.open_zarr(path, consolidated=True, drop_variables=["error"])
        error = group["error"]
        attrs = {k: v for k, v in error.attrs.items() if k != "_ARRAY_DIMENSIONS"}
        ds["error"] = xr.Variable(error.attrs["_ARRAY_DIMENSIONS"], dask.array.from_zarr(error), attrs)
        return ds[list(RESULT_COLUMNS)]
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
