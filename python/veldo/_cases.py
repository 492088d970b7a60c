"""The case table, as the C++ side holds it: per case its parameters after the frequency, in the
models' order (SI units), and what the case is."""

from . import _veldo

COIL = ("N", "R1", "R2", "L", "f")

_TABLE = _veldo.cases()

# Case name -> the parameters after the frequency.
CASE_PARAMS = {c["name"]: tuple(p[0] for p in c["params"]) for c in _TABLE}

# Case name -> its one-line summary.
CASE_SUMMARY = {c["name"]: c["summary"] for c in _TABLE}

# Window unit -> SI unit, for the case functions' documentation.
_SI = {"mm": "m", "MS/m": "S/m", "kHz": "Hz", "": ""}

# Case name -> ((parameter, SI unit), ...).
CASE_UNITS = {c["name"]: tuple((p[0], _SI[p[1]]) for p in c["params"]) for c in _TABLE}


def arguments(case):
    """All arguments of a case model, in order."""
    try:
        return COIL + CASE_PARAMS[case]
    except KeyError:
        raise ValueError(f"Unknown case '{case}': use {', '.join(CASE_PARAMS)}") from None
