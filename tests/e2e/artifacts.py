#!/usr/bin/env python3
"""The imperfect scans' artifacts as --batch draws them, each checked for the
artifact itself against the perfect scan: streaks from few views, the missing
wedge, the weak detector's half ring, cupping, the dark band between metal
pins, and the rays that metal starves of photons.

usage: artifacts.py path/to/radon
"""
import math
import os
import subprocess
import sys
import tempfile

RADON = os.path.realpath(sys.argv[1])
failed = 0


def check(description, ok, detail=""):
    global failed
    print(("ok   " if ok else "FAIL ") + description + (f" ({detail})" if not ok else ""))
    failed += not ok


def run(commands):
    """The picture after `commands` on 60 x 128, as rows of (r, g, b), top row first."""
    for name in os.listdir("."):
        os.remove(name)
    subprocess.run([RADON, "--batch", commands + " s"], capture_output=True, check=True, timeout=300)
    with open("60x128.bmp", "rb") as f:
        data = f.read()
    return [[tuple(data[54 + (399 - y) * 1200 + 3 * x + c] for c in (2, 1, 0)) for x in range(400)]
            for y in range(400)]


def pixel(x, y):
    """The pixel (column, row) of the world point (x, y)."""
    return int(x * 400 / 6 + 200), int(200 - y * 400 / 6)


def world(ix, iy):
    return (ix - 200) * 6 / 400, (200 - iy) * 6 / 400


def mean_grey(picture, x0, x1, y0, y1):
    (c0, r1), (c1, r0) = pixel(x0, y0), pixel(x1, y1)
    values = [picture[iy][ix][0] for iy in range(r0, r1 + 1) for ix in range(c0, c1 + 1)]
    return sum(values) / len(values)


def streaks(picture):
    """The mean brightness (grey or red) in the ring 2.45 <= r <= 2.9 around the head, where it should be dark."""
    values = [max(picture[iy][ix]) for iy in range(400) for ix in range(400)
              if 2.45 <= math.hypot(*world(ix, iy)) <= 2.9]
    return sum(values) / len(values)


def sharpness(picture, degrees):
    """The largest step of grey between neighbours along the ray from the centre
    at `degrees`, from r = 1 to 2.6: where it meets the skull."""
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    points = [pixel(r * c, r * s) for r in (1 + 0.008 * k for k in range(200))]
    greys = [picture[iy][ix][0] for ix, iy in points]
    return max(abs(g1 - g0) for g0, g1 in zip(greys, greys[1:]))


work = tempfile.TemporaryDirectory()  # removed at exit
os.chdir(work.name)
perfect = run("R")

views = run("{3202} R")
check("every 4th view: streaks around the head", streaks(views) > 3 * streaks(perfect),
      f"{streaks(views):.1f} against {streaks(perfect):.1f}")

wedge = run("{3205} R")
sharp = {d: sharpness(wedge, d) for d in (45, 135, 225, 315)}
check("0 to 90 degrees: the skull stays sharp where the views saw its edge (45, 225 degrees)",
      min(sharp[45], sharp[225]) > 0.8 * min(sharpness(perfect, 45), sharpness(perfect, 225)), str(sharp))
check("and is smeared across the missing wedge (135, 315 degrees)",
      max(sharp[135], sharp[315]) < 0.3 * min(sharp[45], sharp[225]), str(sharp))

ring = run("{3302} R")
changed = [(ix, iy) for iy in range(400) for ix in range(400)
           if max(abs(a - b) for a, b in zip(ring[iy][ix], perfect[iy][ix])) > 8]
on_ring = [world(ix, iy) for ix, iy in changed if abs(math.hypot(*world(ix, iy)) - 0.75) <= 0.05]
upper = sum(1 for x, y in on_ring if y > 0.2)
lower = sum(1 for x, y in on_ring if y < -0.2)
check("5% weak detector: the pixels that change lie on the circle of radius 0.75",
      len(on_ring) >= 0.85 * len(changed), f"{len(on_ring)} of {len(changed)}")
check("on its upper half only: a half ring", upper > 300 and lower <= 0.05 * upper, f"upper {upper}, lower {lower}")

for beam, least, most in (("", -4, 4), ("{3401}", 8, 255)):
    disk = run("{2001} " + beam + " R")
    dip = mean_grey(disk, 0.55, 0.65, 0.05, 0.15) - mean_grey(disk, -0.05, 0.05, 0.05, 0.15)
    check(f"Disk0, {'polychromatic: cupping, the middle darker' if beam else 'monochromatic: flat'}",
          least < dip < most, f"edge minus middle {dip:.1f}")

# Between the pins, what the metal changes: with the polychromatic beam a dark band.
band = {}
for beam in ("", "{3401}"):
    band[beam] = (mean_grey(run("m " + beam + " R"), -0.4, 0.4, -1.25, -1.15) -
                  mean_grey(run(beam + " R"), -0.4, 0.4, -1.25, -1.15))
check("metal with the polychromatic beam: a dark band between the pins",
      band["{3401}"] < -2 and band["{3401}"] < band[""] - 5, str(band))

metal, starved = run("m R"), run("m {3104} R")
check("metal with 1000 photons: more streaks than metal alone", streaks(starved) > 1.3 * streaks(metal),
      f"{streaks(starved):.1f} against {streaks(metal):.1f}")
# The horizontal rays at y = -1.2 cross both pins: at most one photon arrives, -ln(1/1000).
for commands, least, most in (("m {3104} d", 2, 129), ("{3104} d", 0, 0)):
    subprocess.run([RADON, "--batch", commands], capture_output=True, check=True, timeout=300)
    with open("60x128-sinogram.csv") as f:
        row = [float(v) for v in f.read().splitlines()[30].split(",")]
    count = sum(1 for v in row if v >= math.log(1000) - 1e-9)
    check(f"'{commands}': {least} or more starved rays at 90 degrees" if most else f"'{commands}': none starved",
          least <= count <= most, f"{count}")

print(f"artifacts: {'all checks passed' if not failed else f'{failed} checks failed'}")
os.chdir("/")
work.cleanup()
sys.exit(failed)
