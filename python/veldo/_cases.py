"""The argument lists of the case models, in the models' order (SI units)."""

COIL = ("N", "R1", "R2", "L", "f")

# Case name -> the parameters after the frequency.
CASE_PARAMS = {
    "planar1": ("LO", "CON1", "MR1"),
    "planar2": ("LO", "D1", "CON1", "CON2", "MR1", "MR2"),
    "bore1": ("B1", "CON1", "MR1"),
    "bore2": ("B1", "B2", "CON1", "CON2", "MR1", "MR2"),
    "rod1": ("B1", "CON1", "MR1"),
    "rod2": ("B1", "B2", "CON1", "CON2", "MR1", "MR2"),
    "vertical": ("LO", "CON1", "MR1"),
}

def arguments(case):
    """All arguments of a case model, in order."""
    try:
        return COIL + CASE_PARAMS[case]
    except KeyError:
        raise ValueError(f"Unknown case '{case}': use {', '.join(CASE_PARAMS)}") from None
