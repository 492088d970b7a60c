#!/usr/bin/python3
"""Transfer impedance of two small coils side by side on a half-space: the dipole-dipole closed form.

Two vertical magnetic dipoles in the surface plane of a homogeneous half-space, distance rho apart,
quasi-static, e^(j omega t): the total vertical field of a dipole of moment m (Ward and Hohmann,
Electromagnetic theory for geophysical applications, 1988, coplanar loops on a half-space)
  H_z = m / (2 pi k^2 rho^5) [9 - (9 + 9 j k rho - 4 k^2 rho^2 - j k^3 rho^3) e^(-j k rho)],
  k^2 = -j omega mu0 sigma, Im k < 0,
whose DC limit is the free-space -m / (4 pi rho^3). The plate's part of the pickup's voltage per
ampere of the drive is Delta Z21 = j omega mu0 m2 (H_z - H_z,DC), m = N pi (R1^2 + R1 R2 + R2^2) / 3
per ampere for a winding of uniform current density (the area of a turn averaged over the winding).
The form is checked here against the Sommerfeld integral of the dipole over the half-space,
  H_z - H_z,DC = m / (4 pi) int_0^inf r(l) l^2 J0(l rho) dl,  r = (l - u) / (l + u),  u^2 = l^2 + j omega mu0 sigma,
by mpmath's quadosc at every row (the relative difference is printed in the header), and the
closed form is evaluated with mpmath at 30 digits.
Finite coils at a lift-off differ from the dipoles by O(2 h / delta) (h the lift-off plus half the
winding's height; the pair's coupling is through e^(-k (h_a + h_b))) and O((R2 / delta)^2),
O((R2 / rho)^2) (the size of the windings): tol = 8 (h_a + h_b) / delta + 4 (R2 / delta)^2 +
4 (R2 / rho)^2 bounds the relative error |dZ - dZ_ref| / |dZ_ref| of the complex value.
Run:  /usr/bin/python3 make_pair_dipole_limit.py > pair_dipole_limit.csv
"""
import mpmath as mp

mp.mp.dps = 30
MU0 = 4 * mp.pi * mp.mpf("1e-7")
# The coil (both the same), the lift-off of its lower face, the plate and the frequency (SI units).
N, R1, R2, L = 10, mp.mpf("0.05e-3"), mp.mpf("0.1e-3"), mp.mpf("0.01e-3")
LIFT, SIGMA, F = mp.mpf("1e-6"), mp.mpf("1e6"), mp.mpf("1e3")
RATIOS = ["0.3", "1", "3", "10", "100"]  # rho / delta


def closed_form(rho, m1, m2, omega):
    k = mp.sqrt(-1j * omega * MU0 * SIGMA)
    if mp.im(k) > 0:
        k = -k
    a = 1j * k * rho
    hz = m1 / (2 * mp.pi * k**2 * rho**5) * (9 - (9 + 9 * a + 4 * a**2 + a**3) * mp.exp(-a))
    return 1j * omega * MU0 * m2 * (hz + m1 / (4 * mp.pi * rho**3))


def sommerfeld(rho, m1, m2, omega):
    g = 1j * omega * MU0 * SIGMA
    r = lambda l: (l - mp.sqrt(l * l + g)) / (l + mp.sqrt(l * l + g))
    with mp.workdps(20):
        s = mp.quadosc(lambda l: r(l) * l * l * mp.besselj(0, l * rho), [0, mp.inf], zeros=lambda n: mp.besseljzero(0, n) / rho)
    return 1j * omega * MU0 * m2 * m1 / (4 * mp.pi) * s


if __name__ == "__main__":
    omega = 2 * mp.pi * F
    delta = 1 / mp.sqrt(mp.pi * F * MU0 * SIGMA)
    m = N * mp.pi * (R1**2 + R1 * R2 + R2**2) / 3
    rows, checks = [], []
    for t in RATIOS:
        rho = mp.mpf(t) * delta
        z = closed_form(rho, m, m, omega)
        zs = sommerfeld(rho, m, m, omega)
        checks.append(f"{t}: {mp.nstr(abs(zs - z) / abs(z), 2)}")
        h = LIFT + L / 2
        tol = 8 * 2 * h / delta + 4 * (R2 / delta) ** 2 + 4 * (R2 / rho) ** 2
        rows.append(",".join([t, mp.nstr(rho, 17), mp.nstr(mp.re(z), 20), mp.nstr(mp.im(z), 20), mp.nstr(tol, 3)]))
    print(__doc__.split("\n")[0].join(["# ", ""]))
    print("# See make_pair_dipole_limit.py beside this file: Ward and Hohmann's closed form at 30 digits,")
    print("# checked against the Sommerfeld integral (mpmath quadosc), relative difference per rho/delta: " + "; ".join(checks))
    print(f"# Coils N={N}, R1={mp.nstr(R1, 6)}, R2={mp.nstr(R2, 6)}, L={mp.nstr(L, 6)} m, lift-off {mp.nstr(LIFT, 6)} m;"
          f" sigma={mp.nstr(SIGMA, 6)} S/m, mu_r=1, f={mp.nstr(F, 6)} Hz, delta={mp.nstr(delta, 17)} m")
    print("# x = rho [m] the pickup's offset; dR, dX [ohm]; tol bounds |dZ - dZ_ref| / |dZ_ref| (finite coils)")
    print("# Command: /usr/bin/python3 make_pair_dipole_limit.py > pair_dipole_limit.csv")
    print("rho_over_delta,x,dR,dX,tol")
    print("\n".join(rows))
