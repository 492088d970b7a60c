"""The instrument display's transform worked by hand: u + j v = g (e^{j a} (dZ - dZ0) / X0) with the
horizontal and vertical gains 10^(dB/20) applied after the rotation, at angles whose sine and
cosine are exact (0, 90, 180, -90 degrees) or sqrt(2)/2 (45, 135), and gains of 0, 20 and
20 log10(2) dB (x1, x10, x2). Rows of kind 'angle' give the rotation that turns a lift-off direction
(dR', dX') to point left: 180 - atan2(dX', dR') in degrees, folded into (-180, 180].
Command: /usr/bin/python3 make_instrument_display.py > instrument_display.csv
"""
import math

h = math.sqrt(0.5)
trig = {0: (1, 0), 90: (0, 1), 180: (-1, 0), -90: (0, -1), 45: (h, h), 135: (-h, h)}
gains = {0.0: 1, 20.0: 10, 20 * math.log10(2): 2}
two = 20 * math.log10(2)
# dR0, dX0, angle, gain_h, gain_v, dR, dX, X0
points = [
    (0, 0, 0, 0.0, 0.0, 3, 4, 1),
    (0, 0, 0, 0.0, 0.0, 3, 4, 2),
    (1, 2, 0, 0.0, 0.0, 3, 4, 1),
    (1, 2, 90, 0.0, 0.0, 3, 4, 1),
    (1, 2, 180, 0.0, 0.0, 3, 4, 1),
    (1, 2, -90, 20.0, 0.0, 3, 4, 1),
    (0, 0, 45, 0.0, 0.0, 1, 1, 1),
    (0, 0, 135, two, 20.0, 1, 0, 4),
    (-2, 5, 90, two, two, 0, 0, 0.5),
]
print(__doc__.strip().replace("\n", "\n# ").join(["# ", ""]))
print("kind,dR0,dX0,angle,gain_h,gain_v,dR,dX,X0,u,v")
for dR0, dX0, a, gh, gv, dR, dX, X0 in points:
    c, s = trig[a]
    x, y = (dR - dR0) / X0, (dX - dX0) / X0
    u, v = gains[gh] * (c * x - s * y), gains[gv] * (s * x + c * y)
    print(f"point,{dR0},{dX0},{a},{gh!r},{gv!r},{dR},{dX},{X0},{u!r},{v!r}")
for dRdh, dXdh, a in [(1, 0, 180), (0, 1, 90), (-1, 0, 0), (0, -1, -90), (1, 1, 135), (-1, 1, 45), (-2, -2, -45)]:
    print(f"angle,0,0,{a},0,0,{dRdh},{dXdh},1,0,0")
