"""The test problem as values: a coil, the layers of a conductor, a plate, a tube or a rod.

Any field may be an array; :func:`impedance` broadcasts them all (with ``f``) to one shape.
"""

from __future__ import annotations

import warnings
from dataclasses import dataclass, field
from typing import Sequence

import numpy as np

from . import _veldo


@dataclass
class Coil:
    """A winding of N turns between the radii R1 and R2 [m], height L [m].

    ``z`` [m]: its lower face above the probe's reference, which a plate's lift-off places above
    the surface (along the axis in a tube or round a rod). ``x`` [m]: the lateral offset of its
    axis over a plate. ``axis``: ``"normal"`` to a plate, or ``"parallel"`` to it (the coil lying
    on its side, the lift-off measured to its outermost turns).
    """

    N: object
    R1: object
    R2: object
    L: object
    z: object = 0.0
    x: object = 0.0
    axis: str = "normal"


@dataclass
class Layer:
    """A layer of thickness [m] (``math.inf`` for an unbounded one), conductivity ``sigma``
    [S/m] and relative permeability ``mur``. The last layer of a stack is unbounded whatever its
    thickness says: a plate's half-space, the medium round a tube, a rod's core to the axis."""

    thickness: object
    sigma: object
    mur: object = 1.0


@dataclass
class Plate:
    """Layers from the surface down, the last a half-space; ``lift_off`` [m] of the probe's
    reference above the surface."""

    layers: Sequence[Layer]
    lift_off: object = 0.0
    geometry = "plate"

    @property
    def position(self):
        return self.lift_off


@dataclass
class Tube:
    """The coil inside a bore of ``radius`` [m]; layers outward, the last unbounded."""

    radius: object
    layers: Sequence[Layer] = field(default_factory=list)
    geometry = "tube"

    @property
    def position(self):
        return self.radius


@dataclass
class Rod:
    """The coil round a rod of outer ``radius`` [m]; layers inward, the last a core to the axis."""

    radius: object
    layers: Sequence[Layer] = field(default_factory=list)
    geometry = "rod"

    @property
    def position(self):
        return self.radius


def _broadcast(values):
    try:
        arrays = np.broadcast_arrays(*[np.asarray(v, dtype=np.float64) for v in values])
    except ValueError as e:
        raise ValueError(f"the fields do not broadcast to one shape: {e}") from None
    return arrays[0].shape, [np.ascontiguousarray(a).reshape(-1) for a in arrays]


def _coil_values(coil):
    if not isinstance(coil, Coil):
        raise TypeError("a coil must be a veldo.Coil")
    return [coil.N, coil.R1, coil.R2, coil.L, coil.z, coil.x]


def _engine(engine):
    if engine not in ("batch", "adaptive"):
        raise ValueError(f"the engine is 'batch' or 'adaptive', not {engine!r}")
    return engine


def _evaluate(coil, conductor, f, acc, threads, stop_on_refusal=True, pickup=None, engine="batch"):
    """dR, dX, ier as flat arrays, the broadcast shape and the refusals."""
    if not isinstance(coil, Coil):
        raise TypeError("coil must be a veldo.Coil")
    if not isinstance(conductor, (Plate, Tube, Rod)):
        raise TypeError("conductor must be a veldo.Plate, veldo.Tube or veldo.Rod")
    if coil.axis not in ("normal", "parallel"):
        raise ValueError(f"a coil's axis is 'normal' or 'parallel', not {coil.axis!r}")
    layers = list(conductor.layers)
    values = [coil.N, coil.R1, coil.R2, coil.L, coil.z, coil.x, conductor.position, f]
    for layer in layers:
        values += [layer.thickness, layer.sigma, layer.mur]
    if pickup is not None:
        if pickup.axis != "normal":
            raise ValueError("a pickup's axis is the drive's: 'normal'")
        values += _coil_values(pickup)
    shape, cols = _broadcast(values)
    groups = [cols[8 + 3 * i: 11 + 3 * i] for i in range(len(layers))]
    second = cols[8 + 3 * len(layers):] if pickup is not None else []
    dR, dX, ier, refused = _veldo.evaluate_problems(conductor.geometry, coil.axis == "parallel", cols[:6], cols[6],
                                                     cols[7], groups, float(acc), int(threads), stop_on_refusal,
                                                     second, _engine(engine))
    return shape, dR, dX, ier, refused


def impedance(coil: Coil, conductor, f, acc: float = 1e-4, *, threads: int = 1, engine: str = "batch"):
    """The impedance change dR + j dX [ohm] that the conductor causes in the coil at f [Hz].

    Returns an :class:`~veldo.Impedance` (dR, dX, ier), broadcast over every array-valued field of
    the coil, the conductor, its layers and ``f``. A refused input raises
    :class:`~veldo.InputError` with its message and the index of the first refused point.
    ``engine`` as for :func:`veldo.evaluate`: ``"batch"`` (points of one coil on shared nodes,
    each checked against ``acc``) or ``"adaptive"`` (every point on its own).
    """
    return _impedance(coil, conductor, f, acc, threads, None, engine)


def transfer_impedance(drive: Coil, pickup: Coil, conductor, f, acc: float = 1e-4, *, threads: int = 1,
                       engine: str = "batch"):
    """The transfer impedance change Z21 = V2/I1 [ohm] that the conductor adds between a drive and
    a pickup coil at f [Hz]: dR, dX and ier as :func:`impedance` gives them, broadcast alike.

    The coils' axes are parallel: coaxial in a tube or round a rod (``z`` places each along the
    axis), over a plate normal to it at their lateral offsets ``x`` and their heights ``z`` above the
    probe's reference. Reciprocal: swapping drive and pickup changes at most the last bits; a pickup
    that is the drive gives :func:`impedance`. Windings that overlap in space are refused. (Two
    coils are computed adaptively whatever ``engine`` says.)
    """
    if not isinstance(pickup, Coil):
        raise TypeError("pickup must be a veldo.Coil")
    return _impedance(drive, conductor, f, acc, threads, pickup, engine)


def mutual_inductance(drive: Coil, pickup: Coil, acc: float = 1e-6):
    """The mutual inductance [H] of two coils in air, axes parallel at their lateral offsets
    ``x`` and their spans ``[z, z + L]`` along the axis (one coil with itself: its inductance),
    broadcast over array-valued fields. Overlapping windings are refused."""
    from . import InputError, _scalar_or_array

    shape, cols = _broadcast(_coil_values(drive) + _coil_values(pickup))
    M, ier, refused = _veldo.mutual_inductance(cols[:6], cols[6:], float(acc))
    if refused:
        index, message = refused[0]
        raise InputError(message, tuple(int(i) for i in np.unravel_index(index, shape)))
    return _scalar_or_array(M.reshape(shape))


def _impedance(coil, conductor, f, acc, threads, pickup, engine="batch"):
    from . import Impedance, InputError, _scalar_or_array

    shape, dR, dX, ier, refused = _evaluate(coil, conductor, f, acc, threads, pickup=pickup, engine=engine)
    if refused:
        index, message = refused[0]
        raise InputError(message, tuple(int(i) for i in np.unravel_index(index, shape)))
    return Impedance(_scalar_or_array(dR.reshape(shape)), _scalar_or_array(dX.reshape(shape)),
                     _scalar_or_array(ier.reshape(shape)))



CONNECTIONS = ("absolute", "transmit-receive", "differential", "differential transmit-receive")


@dataclass
class Probe:
    """The coils of a probe and how the instrument reads them.

    ``connection``:

    - ``"absolute"``: the impedance change of ``coils[0]``;
    - ``"transmit-receive"``: the transfer impedance Z21 = V2/I1 of ``coils[1]`` (pickup) to
      ``coils[0]`` (drive);
    - ``"differential"``: two coils in opposition, each driven and read: Z(coils[0]) - Z(coils[1]);
    - ``"differential transmit-receive"``: a drive ``coils[0]`` and two pickups in opposition:
      Z21 - Z31.
    """

    coils: Sequence[Coil]
    connection: str = "absolute"

    def terms(self):
        """The (drive, pickup, sign) of each transfer impedance the connection adds up."""
        need = {"absolute": 1, "transmit-receive": 2, "differential": 2, "differential transmit-receive": 3}
        if self.connection not in need:
            raise ValueError(f"a probe's connection is one of {', '.join(CONNECTIONS)}, not {self.connection!r}")
        if len(self.coils) < need[self.connection]:
            raise ValueError(f"the connection {self.connection!r} needs {need[self.connection]} coils, "
                             f"the probe has {len(self.coils)}")
        c = self.coils
        if self.connection == "absolute":
            return [(c[0], c[0], 1)]
        if self.connection == "transmit-receive":
            return [(c[0], c[1], 1)]
        if self.connection == "differential":
            return [(c[0], c[0], 1), (c[1], c[1], -1)]
        return [(c[0], c[1], 1), (c[0], c[2], -1)]


def probe_impedance(probe: Probe, conductor, f, acc: float = 1e-4, *, threads: int = 1, engine: str = "batch"):
    """What the probe's connection measures over the conductor at f [Hz]: dR, dX [ohm] and ier
    (the largest status of the terms), broadcast as :func:`impedance` does. A symmetric
    differential probe over a uniform piece reads zero."""
    from . import Impedance

    total = None
    for drive, pickup, sign in probe.terms():
        z = transfer_impedance(drive, pickup, conductor, f, acc, threads=threads, engine=engine)
        if total is None:
            total = Impedance(sign * z.dR, sign * z.dX, z.ier)
        else:
            total = Impedance(total.dR + sign * z.dR, total.dX + sign * z.dX, np.maximum(total.ier, z.ier))
    return total


def transient(drive: Coil, pickup: Coil, conductor, t, waveform="step-off", acc: float = 1e-6):
    """The pickup's voltage per ampere of drive current [V/A] at the times ``t`` [s] after the
    drive is switched, over a plate, in a tube or round a rod: only what the conductor adds (the coupling in air, an impulse
    at the switching instant, is not part of it). ``waveform``: ``"step-off"`` (1 A before t = 0, 0
    after), ``("pulse", width)`` (1 A from 0 to width [s]) or ``("samples", times, currents)`` (the
    drive current [A] at increasing times [s], straight lines between, the first current held
    before and the last after; the voltage is the sum of the ramp responses). ``pickup`` may be the
    drive (its own voltage). Inversion of the Laplace-domain response on hyperbolic contours shared
    by each decade of times, twice (on the contour for the error aimed at and on one for a hundredth
    of it: the difference is the estimate of the error); ``acc`` is relative to the response's
    scale. Warns (RuntimeWarning) when at some time the estimated error exceeds ``acc`` times the
    voltage there (a late tail below the inversion's error, a magnetic wall's most of all) or a
    Laplace-domain value fell short of its accuracy. Raises ValueError for
    times that are not finite and above 0, a width not above 0, samples too few, not finite or out
    of order, delays after the switching spanning more decades than one transform resolves, or a
    problem the models cannot describe.
    """
    if not isinstance(conductor, (Plate, Tube, Rod)):
        raise TypeError("conductor must be a veldo.Plate, veldo.Tube or veldo.Rod")
    width, times, currents = 0.0, [], []
    if isinstance(waveform, str) and waveform == "step-off":
        pass
    elif isinstance(waveform, tuple) and len(waveform) == 2 and waveform[0] == "pulse":
        width = float(waveform[1])
        if not width > 0:
            raise ValueError("Check the pulse: its width must be a finite number above 0 s")
    elif isinstance(waveform, tuple) and len(waveform) == 3 and waveform[0] == "samples":
        times = np.asarray(waveform[1], dtype=np.float64).reshape(-1).tolist()
        currents = np.asarray(waveform[2], dtype=np.float64).reshape(-1).tolist()
        if len(times) != len(currents):
            raise ValueError("Check the waveform: give as many currents as times")
        if not times:
            raise ValueError("Check the waveform: give at least two samples (a time and a current each)")
    else:
        raise ValueError(f"a waveform is 'step-off', ('pulse', width) or ('samples', times, currents), not {waveform!r}")
    t = np.ascontiguousarray(np.asarray(t, dtype=np.float64))
    scalars = _coil_values(drive) + _coil_values(pickup) + [conductor.position]
    for layer in conductor.layers:
        scalars += [layer.thickness, layer.sigma, layer.mur]
    cols = [np.asarray([float(np.asarray(v))], dtype=np.float64) for v in scalars]
    layers = [cols[13 + 3 * i: 16 + 3 * i] for i in range(len(conductor.layers))]
    v, ier, error = _veldo.transient(conductor.geometry, drive.axis == "parallel", cols[:6], cols[6:12],
                                     float(cols[12][0]), layers, t.reshape(-1), width, float(acc), times, currents)
    short = np.flatnonzero(~(error <= acc * np.abs(v)))
    why = []
    if short.size:
        why.append(f"did not reach acc = {acc:g} at {short.size} of {v.size} times; the first at "
                   f"t = {t.reshape(-1)[short[0]]:.6g} s")
    if ier != 0:
        why.append("holds Laplace-domain values that fell short of their accuracy")
    if why:
        warnings.warn("the transient " + " and ".join(why), RuntimeWarning, stacklevel=2)
    return v.reshape(t.shape)[()] if t.ndim == 0 else v.reshape(t.shape)


# Units, for scripts that think in them: multiply to get SI (``veldo.Layer(2 * veldo.MIL, 40 * veldo.IACS)``).
MM = 1e-3            # millimetre [m]
MIL = 25.4e-6        # thousandth of an inch [m]
INCH = 25.4e-3       # [m]
MS_PER_M = 1e6       # MS/m [S/m]
IACS = 0.58e6        # 1 %IACS [S/m]: 100 %IACS, annealed copper, is 58.0 MS/m
KHZ = 1e3            # [Hz]
_MU0 = 1.2566370614359173e-06


def skin_depth(f, sigma, mur=1.0):
    """The standard depth of penetration delta = 1/sqrt(pi f mu0 mur sigma) [m] (inf where f or sigma
    is 0), broadcasting."""
    with np.errstate(divide="ignore"):
        return 1.0 / np.sqrt(np.pi * np.asarray(f, dtype=np.float64) * _MU0 * mur * np.asarray(sigma, dtype=np.float64))


def limit_frequency(sigma, radius, mur=1.0):
    """The limit frequency f_g = 1/(2 pi mu0 mur sigma r^2) [Hz] of a conductor of radius r (a rod's or a
    tube's; over a plate the coil's mean radius), at which the skin depth is sqrt(2) r."""
    return 1.0 / (2 * np.pi * _MU0 * mur * np.asarray(sigma, dtype=np.float64) * np.asarray(radius, dtype=np.float64) ** 2)
