"""Independent closed forms for a coil of rectangular winding cross-section, from scipy alone.

Nothing here uses VELDO: the inductances come from Maxwell's mutual inductance of two coaxial
circular filaments (complete elliptic integrals) integrated over the winding's cross-section, the
half-space limits from the method of images, and the rod from the field inside an infinitely long
solenoid (Foerster's effective permeability). SI units throughout: metres, hertz, S/m.

A winding has N turns spread uniformly over R1 <= r <= R2 and a height L, so its turns density is
N / ((R2 - R1) * L) per square metre.
"""

import numpy as np
from scipy import integrate, special

MU0 = 4e-7 * np.pi  # the value the models use; the 2019 SI value differs by 1e-10 relative


def filament_mutual(a, b, d):
    """Maxwell's mutual inductance [H] of coaxial circular filaments of radii a, b at axial distance d.

    M = mu0 sqrt(a b) [(2/k - k) K(k^2) - (2/k) E(k^2)],  k^2 = 4 a b / ((a + b)^2 + d^2).
    scipy's ellipk/ellipe take the parameter m = k^2. Near k = 1 the bracket cancels to digits;
    it is only approached at the self-inductance's integrable singularity.
    """
    m = 4.0 * a * b / ((a + b) ** 2 + d * d)
    k = np.sqrt(m)
    return MU0 * np.sqrt(a * b) * ((2.0 / k - k) * special.ellipk(m) - (2.0 / k) * special.ellipe(m))


def _quad(f, lo, hi, points=None):
    value, _ = integrate.quad(f, lo, hi, points=points, epsabs=0.0, epsrel=1e-10, limit=200)
    return value


def self_inductance(N, R1, R2, L):
    """L0 [H] of the winding in air.

    The two heights z, z' of a pair of turns enter only through d = |z - z'|, whose density over the
    square [0, L]^2 is 2 (L - d) on [0, L]; the logarithmic singularity at r = r', d = 0 is integrable
    and the quadrature is told where it lies.
    """
    density = N / ((R2 - R1) * L)

    def over_d(rp, r):
        return _quad(lambda d: 2.0 * (L - d) * filament_mutual(r, rp, d), 0.0, L)

    def over_rp(r):
        return _quad(lambda rp: over_d(rp, r), R1, R2, points=[r])

    return density**2 * _quad(over_rp, R1, R2)


def image_mutual(N, R1, R2, L, LO):
    """Mutual inductance [H] of the winding with its mirror image in the plane z = 0.

    The winding spans LO <= z <= LO + L, its image -LO - L <= z' <= -LO; a pair of turns is at
    distance s = z + |z'|, whose density over the two heights is the triangle L - |s - (2 LO + L)|
    on [2 LO, 2 LO + 2 L].
    """
    density = N / ((R2 - R1) * L)
    centre = 2.0 * LO + L

    def over_s(rp, r):
        return _quad(lambda s: (L - abs(s - centre)) * filament_mutual(r, rp, s),
                     2.0 * LO, 2.0 * LO + 2.0 * L, points=[centre])

    def over_rp(r):
        return _quad(lambda rp: over_s(rp, r), R1, R2)

    return density**2 * _quad(over_rp, R1, R2)


def halfspace_limits(N, R1, R2, L, LO, MR):
    """Impedance-change limits of a half-space below z = 0, as inductance changes dL [H].

    A perfect conductor (sigma -> infinity) reflects the coil's current as an image of opposite sign:
    dL = -M. A non-conducting half-space of relative permeability MR reflects it as an image of
    (MR - 1) / (MR + 1) times the current: dL = (MR - 1) / (MR + 1) M, exact for any MR, and +M as
    MR -> infinity. Returns (dL for sigma -> infinity, dL for sigma = 0 at MR).
    """
    M = image_mutual(N, R1, R2, L, LO)
    return -M, (MR - 1.0) / (MR + 1.0) * M


def foerster_rod_per_length(n, B1, f, CON1, MR1):
    """dZ per unit length [ohm/m] of an infinitely long winding of n turns per metre round a rod.

    Inside the winding the field is n I outside the rod and n I J0(k r) / J0(k B1) within it,
    k^2 = -j omega mu0 MR1 CON1 (time factor exp(j omega t)). The rod's flux differs from air's by
    mu0 n I pi B1^2 (MR1 mu_eff - 1), mu_eff = 2 J1(k B1) / (k B1 J0(k B1)), and every turn links it
    whatever its radius, so dZ' = j omega mu0 n^2 pi B1^2 (MR1 mu_eff - 1). At CON1 = 0, mu_eff = 1.
    """
    omega = 2.0 * np.pi * f
    if CON1 == 0.0:
        mu_eff = 1.0
    else:
        x = np.sqrt(-1j * omega * MU0 * MR1 * CON1) * B1
        mu_eff = 2.0 * special.jv(1, x) / (x * special.jv(0, x))
    return 1j * omega * MU0 * n * n * np.pi * B1 * B1 * (MR1 * mu_eff - 1.0)


def vertical_image_mutual(N, R1, R2, L, LO, n_radial=16, n_angle=256):
    """Mutual inductance [H] of a winding whose axis is parallel to the plane z = 0 with its mirror
    image, the image's current running along the mirrored path (the sigma = 0, MR -> infinity image).

    The winding's axis is at height H = R2 + LO. A turn of radius r at axial position x and a
    mirrored turn of radius r' at x' couple by Neumann's formula,
        mu0 r r' / (4 pi) * double integral of -cos(phi + phi') / D  over phi, phi',
        D^2 = (x - x')^2 + c^2,  c^2 = (r cos phi - r' cos phi')^2 + (2 H + r sin phi + r' sin phi')^2,
    (the mirrored path's tangent is (0, -r' sin phi', -r' cos phi')). Over the winding's length the
    axial distance s = |x - x'| has density 2 (L - s) on [0, L], and
        integral_0^L 2 (L - s) / sqrt(s^2 + c^2) ds = 2 (L asinh(L / c) - sqrt(L^2 + c^2) + c)
    in closed form. The angles are periodic and the integrand analytic (c >= 2 LO > 0): the
    trapezoidal rule converges geometrically; the radii take Gauss-Legendre nodes.
    """
    density = N / ((R2 - R1) * L)
    H = R2 + LO
    x, w = np.polynomial.legendre.leggauss(n_radial)
    r = 0.5 * (R2 - R1) * x + 0.5 * (R1 + R2)
    wr = 0.5 * (R2 - R1) * w
    phi = 2.0 * np.pi * np.arange(n_angle) / n_angle
    dphi = 2.0 * np.pi / n_angle
    cos, sin = np.cos(phi), np.sin(phi)
    total = 0.0
    for ri, wi in zip(r, wr):
        for rj, wj in zip(r, wr):
            # c over the (phi, phi') grid
            cy = ri * cos[:, None] - rj * cos[None, :]
            cz = 2.0 * H + ri * sin[:, None] + rj * sin[None, :]
            c = np.sqrt(cy * cy + cz * cz)
            along = 2.0 * (L * np.arcsinh(L / c) - np.sqrt(L * L + c * c) + c)
            dot = -np.cos(phi[:, None] + phi[None, :])
            total += wi * wj * ri * rj * np.sum(dot * along) * dphi * dphi
    return density**2 * MU0 / (4.0 * np.pi) * total


def coil_mutual(a, b, nodes=24):
    """Mutual inductance [H] of two coaxial windings a, b in air, dicts of N, R1, R2, L and z (the
    lower face), whose sections do not overlap: Maxwell's filament formula on a Gauss-Legendre
    product rule over both sections (the integrand is smooth when they are apart; 8, 16, 24 and 32
    nodes a side agree to 1e-14 for the finite-element pair)."""
    x, w = np.polynomial.legendre.leggauss(nodes)

    def points(c):
        r = (c["R1"] + c["R2"]) / 2 + (c["R2"] - c["R1"]) / 2 * x
        z = c["z"] + c["L"] / 2 + c["L"] / 2 * x
        R, Z = np.meshgrid(r, z, indexing="ij")
        W = np.outer(w, w) / 4  # the mean over the section
        return R.ravel(), Z.ravel(), W.ravel()

    ra, za, wa = points(a)
    rb, zb, wb = points(b)
    M = filament_mutual(ra[:, None], rb[None, :], za[:, None] - zb[None, :])
    return a["N"] * b["N"] * float(wa @ M @ wb)
