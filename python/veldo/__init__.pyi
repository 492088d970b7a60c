# Type hints of the package veldo (SI units: m, Hz, S/m; acc a relative accuracy).
from os import PathLike
from typing import Any, Callable, Mapping, Sequence, Union

import numpy as np
import numpy.typing as npt
import pandas as pd
import xarray as xr

ArrayLike = npt.ArrayLike
FloatArray = Union[np.float64, npt.NDArray[np.float64]]
IntArray = Union[np.int32, npt.NDArray[np.int32]]
FieldValue = Union[str, float, int, Sequence[Union[str, float, int]]]

CASES: tuple[str, ...]
MM: float
MIL: float
INCH: float
MS_PER_M: float
IACS: float
KHZ: float

class InputError(ValueError):
    message: str
    index: tuple[int, ...]
    def __init__(self, message: str, index: tuple[int, ...] = ...) -> None: ...

class ComputeError(ValueError):
    message: str
    record: "Sweep | None"
    def __init__(self, message: str, record: "Sweep | None" = ...) -> None: ...

class StudyWarning(UserWarning): ...

class Impedance:
    dR: FloatArray
    dX: FloatArray
    ier: IntArray
    @property
    def dZ(self) -> Union[np.complex128, npt.NDArray[np.complex128]]: ...

class AirCoil:
    X0: FloatArray
    L0: FloatArray
    ier: IntArray

class Sweep:
    param: str
    values: npt.NDArray[np.float64]
    dR: npt.NDArray[np.float64]
    dX: npt.NDArray[np.float64]
    x: npt.NDArray[np.float64]
    y: npt.NDArray[np.float64]
    ier: npt.NDArray[np.int32]
    X0: float | None
    L0: float | None
    notices: list[str]

def air_coil(N: ArrayLike, R1: ArrayLike, R2: ArrayLike, L: ArrayLike, f: ArrayLike, *,
             acc: float = ..., threads: int = ...) -> AirCoil: ...
def planar1(N: ArrayLike, R1: ArrayLike, R2: ArrayLike, L: ArrayLike, f: ArrayLike, LO: ArrayLike,
            CON1: ArrayLike, MR1: ArrayLike, *, acc: float = ..., threads: int = ..., engine: str = ...) -> Impedance: ...
def planar2(N: ArrayLike, R1: ArrayLike, R2: ArrayLike, L: ArrayLike, f: ArrayLike, LO: ArrayLike,
            D1: ArrayLike, CON1: ArrayLike, CON2: ArrayLike, MR1: ArrayLike, MR2: ArrayLike, *,
            acc: float = ..., threads: int = ..., engine: str = ...) -> Impedance: ...
def bore1(N: ArrayLike, R1: ArrayLike, R2: ArrayLike, L: ArrayLike, f: ArrayLike, B1: ArrayLike,
          CON1: ArrayLike, MR1: ArrayLike, *, acc: float = ..., threads: int = ..., engine: str = ...) -> Impedance: ...
def bore2(N: ArrayLike, R1: ArrayLike, R2: ArrayLike, L: ArrayLike, f: ArrayLike, B1: ArrayLike,
          B2: ArrayLike, CON1: ArrayLike, CON2: ArrayLike, MR1: ArrayLike, MR2: ArrayLike, *,
          acc: float = ..., threads: int = ..., engine: str = ...) -> Impedance: ...
def rod1(N: ArrayLike, R1: ArrayLike, R2: ArrayLike, L: ArrayLike, f: ArrayLike, B1: ArrayLike,
         CON1: ArrayLike, MR1: ArrayLike, *, acc: float = ..., threads: int = ..., engine: str = ...) -> Impedance: ...
def rod2(N: ArrayLike, R1: ArrayLike, R2: ArrayLike, L: ArrayLike, f: ArrayLike, B1: ArrayLike,
         B2: ArrayLike, CON1: ArrayLike, CON2: ArrayLike, MR1: ArrayLike, MR2: ArrayLike, *,
         acc: float = ..., threads: int = ..., engine: str = ...) -> Impedance: ...
def vertical(N: ArrayLike, R1: ArrayLike, R2: ArrayLike, L: ArrayLike, f: ArrayLike, LO: ArrayLike,
             CON1: ArrayLike, MR1: ArrayLike, *, acc: float = ..., threads: int = ..., engine: str = ...) -> Impedance: ...
class Coil:
    N: ArrayLike
    R1: ArrayLike
    R2: ArrayLike
    L: ArrayLike
    z: ArrayLike
    x: ArrayLike
    axis: str
    def __init__(self, N: ArrayLike, R1: ArrayLike, R2: ArrayLike, L: ArrayLike, z: ArrayLike = ...,
                 x: ArrayLike = ..., axis: str = ...) -> None: ...

class Layer:
    thickness: ArrayLike
    sigma: ArrayLike
    mur: ArrayLike
    def __init__(self, thickness: ArrayLike, sigma: ArrayLike, mur: ArrayLike = ...) -> None: ...

class Plate:
    layers: Sequence[Layer]
    lift_off: ArrayLike
    def __init__(self, layers: Sequence[Layer], lift_off: ArrayLike = ...) -> None: ...

class Tube:
    radius: ArrayLike
    layers: Sequence[Layer]
    def __init__(self, radius: ArrayLike, layers: Sequence[Layer] = ...) -> None: ...

class Rod:
    radius: ArrayLike
    layers: Sequence[Layer]
    def __init__(self, radius: ArrayLike, layers: Sequence[Layer] = ...) -> None: ...

def impedance(coil: Coil, conductor: Union[Plate, Tube, Rod], f: ArrayLike, acc: float = ..., *,
              threads: int = ..., engine: str = ...) -> Impedance: ...
def transfer_impedance(drive: Coil, pickup: Coil, conductor: Union[Plate, Tube, Rod], f: ArrayLike,
                       acc: float = ..., *, threads: int = ..., engine: str = ...) -> Impedance: ...
def mutual_inductance(drive: Coil, pickup: Coil, acc: float = ...) -> FloatArray: ...
class Probe:
    coils: Sequence[Coil]
    connection: str
    def __init__(self, coils: Sequence[Coil], connection: str = ...) -> None: ...
    def terms(self) -> list[tuple[Coil, Coil, int]]: ...

def probe_impedance(probe: Probe, conductor: Union[Plate, Tube, Rod], f: ArrayLike, acc: float = ..., *,
                    threads: int = ..., engine: str = ...) -> Impedance: ...
def transient(drive: Coil, pickup: Coil, conductor: Union[Plate, Tube, Rod], t: ArrayLike,
              waveform: Union[str, tuple[str, float], tuple[str, ArrayLike, ArrayLike]] = ...,
              acc: float = ...) -> FloatArray: ...
def skin_depth(f: ArrayLike, sigma: ArrayLike, mur: ArrayLike = ...) -> FloatArray: ...
def limit_frequency(sigma: ArrayLike, radius: ArrayLike, mur: ArrayLike = ...) -> FloatArray: ...
def evaluate(case: str, *args: ArrayLike, acc: float = ..., threads: int = ..., engine: str = ...) -> Impedance: ...
def sweep(case: str, *, threads: int = ..., **fields: FieldValue) -> Sweep: ...
def study(case: str, grid: Mapping[str, ArrayLike], *, client: Any = ..., chunk: int = ...,
          acc: float = ..., path: Union[str, PathLike[str], None] = ..., threads: int = ..., engine: str = ...,
          dataset: bool = ..., progress: Callable[[int, int], object] | None = ...,
          **fixed: float) -> Union[pd.DataFrame, xr.Dataset]: ...
def read_study(path: Union[str, PathLike[str]]) -> Union[pd.DataFrame, xr.Dataset]: ...
