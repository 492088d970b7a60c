"""VELDO: the impedance change of an eddy-current test coil, from Python.

The same C++ models and Compute command as the window and ``veldo-cli``, the same bits for the
same inputs. SI units throughout: lengths in metres, frequencies in hertz, conductivities in
siemens per metre, relative permeabilities as numbers, ``acc`` the relative accuracy as a
fraction (1e-4 is the window's default 0.01 %). Array arguments broadcast as NumPy's do; the
results have the broadcast shape (NumPy scalars for scalar inputs).

- :class:`Coil`, :class:`Layer`, :class:`Plate`, :class:`Tube`, :class:`Rod` and
  :func:`impedance`: any layered plate, tube or rod, every field array-valued;
  :func:`transfer_impedance` and :func:`mutual_inductance` for a drive and a pickup coil.
- :func:`air_coil` and one function per case (:func:`planar1`, :func:`planar2`, :func:`bore1`,
  :func:`bore2`, :func:`rod1`, :func:`rod2`, :func:`vertical`): NumPy in, NumPy out.
- :func:`sweep`: the window's Compute command on field texts in the window's units.
- :func:`study`: the outer product of named axes, in chunks, in-process or on a Dask cluster;
  a DataFrame, an ``xarray.Dataset``, or a Zarr store that its workers write and that resumes.

Invalid input raises :class:`InputError` (a ``ValueError``) with the window's message; a point
whose quadrature fell short of ``acc`` is computed and carries its status in ``ier``.
"""

from __future__ import annotations

import inspect

import numpy as np

from . import _veldo
from ._cases import CASE_PARAMS, CASE_SUMMARY, CASE_UNITS, arguments
from ._problem import (IACS, INCH, KHZ, MIL, MM, MS_PER_M, Coil, Layer, Plate, Probe, Rod, Tube, impedance,
                       limit_frequency, mutual_inductance, probe_impedance, skin_depth, transfer_impedance, transient)
from ._study import StudyWarning, read_study, study
from ._version import __version__

__all__ = [
    "AirCoil", "Impedance", "Sweep", "InputError", "ComputeError",
    "air_coil", *CASE_PARAMS,
    "Coil", "Layer", "Plate", "Tube", "Rod", "impedance", "transfer_impedance", "mutual_inductance",
    "Probe", "probe_impedance", "transient", "skin_depth", "limit_frequency",
    "MM", "MIL", "INCH", "MS_PER_M", "IACS", "KHZ",
    "evaluate", "sweep", "study", "read_study", "StudyWarning", "CASES",
]

CASES = tuple(CASE_PARAMS)


class InputError(ValueError):
    """An input the models cannot take; ``str(e)`` is the window's message.

    ``index`` is the first refused point's index into the broadcast shape.
    """

    def __init__(self, message: str, index: tuple = ()):
        super().__init__(message)
        self.message = message
        self.index = index


class ComputeError(ValueError):
    """A message of the Compute command (``str(e)`` is the window's text).

    ``record`` holds what the command output before it (a :class:`Sweep`), e.g. the points before
    an arithmetic fault.
    """

    def __init__(self, message: str, record: "Sweep | None" = None):
        super().__init__(message)
        self.message = message
        self.record = record


def _scalar_or_array(a: np.ndarray):
    """A NumPy scalar for a 0-d result, else the array itself."""
    return a[()] if a.ndim == 0 else a


class Impedance:
    """Impedance change of the coil: ``dR``, ``dX`` [ohm] and the status ``ier`` per point.

    ``ier``: 0 both quadrature runs reached ``acc``, 1 the real-part run fell short, 2 the
    imaginary-part run fell short, 3 both. The values are the best estimates whatever ``ier``.
    """

    __slots__ = ("dR", "dX", "ier")

    def __init__(self, dR, dX, ier):
        self.dR = dR
        self.dX = dX
        self.ier = ier

    @property
    def dZ(self):
        """The complex impedance change dR + j*dX [ohm]."""
        return self.dR + 1j * self.dX

    def __repr__(self):
        return f"Impedance(dR={self.dR!r}, dX={self.dX!r}, ier={self.ier!r})"


class AirCoil:
    """The coil in air: reactance ``X0`` [ohm], inductance ``L0`` = X0/(2*pi*f) [H] and the
    quadrature's status ``ier`` (0 when it reached ``acc``)."""

    __slots__ = ("X0", "L0", "ier")

    def __init__(self, X0, L0, ier):
        self.X0 = X0
        self.L0 = L0
        self.ier = ier

    def __repr__(self):
        return f"AirCoil(X0={self.X0!r}, L0={self.L0!r}, ier={self.ier!r})"


def _columns(values):
    """Broadcasts the arguments; the shape and the flat float64 columns."""
    try:
        arrays = np.broadcast_arrays(*[np.asarray(v, dtype=np.float64) for v in values])
    except ValueError as e:
        raise ValueError(f"the arguments do not broadcast to one shape: {e}") from None
    shape = arrays[0].shape
    return shape, [np.ascontiguousarray(a).reshape(-1) for a in arrays]


ENGINES = ("batch", "adaptive")


def _engine(engine):
    if engine not in ENGINES:
        raise ValueError(f"the engine is 'batch' or 'adaptive', not {engine!r}")
    return engine


def _run(name, values, acc, threads, engine="batch"):
    """Evaluates `name` at the broadcast points; raises InputError at the first refused one."""
    shape, columns = _columns(values)
    first, second, ier, refused = _veldo.evaluate(name, columns, float(acc), int(threads), True, _engine(engine))
    if refused:
        index, message = refused[0]
        raise InputError(message, tuple(int(i) for i in np.unravel_index(index, shape)))
    return (_scalar_or_array(first.reshape(shape)), _scalar_or_array(second.reshape(shape)),
            _scalar_or_array(ier.reshape(shape)))


def evaluate(case: str, *args, acc: float = 1e-4, threads: int = 1, engine: str = "batch") -> Impedance:
    """The impedance change of case ``case`` (``"planar1"``, ..., ``"vertical"``); ``args`` in
    the order of that case's function (N, R1, R2, L [m], f [Hz], then the case's parameters).

    ``engine``: ``"batch"`` (the default) takes the points of one coil together on shared
    quadrature nodes, each point checked against ``acc`` by its own error estimate and computed
    again adaptively where that falls short; its numbers are within ``acc`` of the adaptive ones
    and depend on which points are evaluated together. ``"adaptive"``: every point on its own, as
    the window computes it."""
    names = arguments(case)
    if len(args) != len(names):
        raise TypeError(f"{case} takes {len(names)} arguments ({', '.join(names)}), got {len(args)}")
    return Impedance(*_run(case, args, acc, threads, engine))


def air_coil(N, R1, R2, L, f, *, acc: float = 1e-4, threads: int = 1) -> AirCoil:
    """The coil in air: X0 [ohm], L0 [H] and the quadrature's status.

    N turns; R1, R2 the inner and outer winding radii [m]; L the winding height [m]; f the
    frequency [Hz]; ``acc`` the relative accuracy; ``threads`` the threads that share the points
    (0: one per core; the numbers do not depend on it).
    """
    return AirCoil(*_run("air", (N, R1, R2, L, f), acc, threads))


def _case_function(case):
    """The array function of one case of the case table: ``case(N, R1, R2, L, f, <its
    parameters>, *, acc, threads, engine)``, every argument by position or name."""
    names = arguments(case)
    keyword = inspect.Parameter.KEYWORD_ONLY
    signature = inspect.Signature(
        [inspect.Parameter(n, inspect.Parameter.POSITIONAL_OR_KEYWORD) for n in names]
        + [inspect.Parameter("acc", keyword, default=1e-4, annotation=float),
           inspect.Parameter("threads", keyword, default=1, annotation=int),
           inspect.Parameter("engine", keyword, default="batch", annotation=str)],
        return_annotation=Impedance)

    def case_function(*args, **kwargs):
        bound = signature.bind(*args, **kwargs)
        bound.apply_defaults()
        a = bound.arguments
        return evaluate(case, *(a[n] for n in names), acc=a["acc"], threads=a["threads"], engine=a["engine"])

    units = "; ".join(f"{n} [{u}]" if u else n for n, u in CASE_UNITS[case])
    case_function.__name__ = case_function.__qualname__ = case
    case_function.__signature__ = signature
    case_function.__doc__ = (f"{CASE_SUMMARY[case]}.\n\n"
                             f"N turns; R1, R2 winding radii [m]; L winding height [m]; f frequency [Hz]; {units}.\n"
                             "Returns dR, dX [ohm] and ier (see :func:`evaluate` for ``engine``).")
    return case_function


# One function per case of the table (planar1, planar2, bore1, bore2, rod1, rod2, vertical).
for _case in CASE_PARAMS:
    globals()[_case] = _case_function(_case)
del _case


class Sweep:
    """What the Compute command output: the swept parameter ``param`` and per point its
    ``values`` (window unit: mm, kHz, MS/m or none), ``dR``, ``dX`` [ohm], the normalised point
    ``x`` = dR/X0, ``y`` = (dX + X0)/X0 and ``ier``; the air coil's ``X0`` [ohm] and ``L0`` [H];
    the ``notices`` the window's status bar shows (accuracy shortfalls)."""

    __slots__ = ("param", "values", "dR", "dX", "x", "y", "ier", "X0", "L0", "notices")

    def __init__(self, record):
        for name in self.__slots__:
            setattr(self, name, record[name])

    def __repr__(self):
        return (f"Sweep(param={self.param!r}, points={len(self.values)}, X0={self.X0!r}, "
                f"L0={self.L0!r}, notices={self.notices!r})")


def _field_text(value) -> str:
    """A field's text: strings as they are, numbers in the shortest form that reads back
    exactly, (from, to, step) as FROM:TO:STEP."""
    if isinstance(value, str):
        return value
    if isinstance(value, (tuple, list)):
        if len(value) != 3:
            raise ValueError(f"a sweep is (from, to, step), not {value!r}")
        return ":".join(_field_text(v) for v in value)
    if isinstance(value, (int, np.integer)):
        return str(int(value))
    return repr(float(value))


def sweep(case: str, *, threads: int = 1, **fields) -> Sweep:
    """Runs the window's Compute command for ``case`` and returns its curve.

    ``fields`` are the window's inputs in its units, every other field at its window default:
    ``acc`` [%], ``r1``, ``r2``, ``l`` [mm], ``n`` turns, ``f`` [kHz], and the case's parameters
    in lower case (``lo``, ``d1``, ``b1``, ``b2`` [mm], ``con1``, ``con2`` [MS/m], ``mr1``,
    ``mr2``). A value is a field text or a number; a parameter given as ``(from, to, step)`` or
    ``"FROM:TO:STEP"`` is the swept one (at most one), otherwise the case's first parameter is
    swept over its default range. A message of the command raises :class:`ComputeError` with the
    window's text. ``threads`` evaluate the points (0: one per core; the curve does not depend
    on it).
    """
    options = {name.lower(): _field_text(v) for name, v in fields.items()}
    record = _veldo.run_command(case, options, int(threads))
    if record["messages"]:
        raise ComputeError(record["messages"][0], Sweep(record))
    if record["status"] != "completed":
        raise ComputeError(f"the command ended without a curve ({record['status']})", Sweep(record))
    return Sweep(record)
