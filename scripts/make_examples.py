#!/usr/bin/python3
"""Make the example scans in examples/ from the program's own phantom.

Simulated, not measured: the Shepp-Logan phantom as radon draws it ("h"),
scanned here with NumPy as a parallel scanner and as a lab's cone-less fan
scanner with a flat detector would scan it. Run with Debian's Python (it has
NumPy, SciPy and tifffile):

    /usr/bin/python3 scripts/make_examples.py build/radon examples
"""
import os
import subprocess
import sys
import tempfile

import numpy as np
import scipy.io
import tifffile
from PIL import Image
from scipy.ndimage import map_coordinates

radon, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)

# The phantom's picture: 400 x 400 pixels over the program's 6 x 6 world units.
with tempfile.TemporaryDirectory() as tmp:
    subprocess.run([os.path.abspath(radon), "--batch", "h s"], cwd=tmp, check=True, stdout=subprocess.DEVNULL)
    grey = np.asarray(Image.open(os.path.join(tmp, "60x128.bmp")).convert("L"), dtype=float) / 255

MU = 0.02  # 1/mm: the phantom's skull (grey 1) as about water


def line_integrals(theta, t, field):
    """The phantom's line integrals (dimensionless) along the lines x cos(theta) + y sin(theta) = t,
    t in mm, the picture spanning `field` mm."""
    mm_per_pixel = field / 400
    ls = np.arange(-field / 2 * 1.5, field / 2 * 1.5, mm_per_pixel / 2)
    x = t[..., None] * np.cos(theta)[..., None] - ls * np.sin(theta)[..., None]
    y = t[..., None] * np.sin(theta)[..., None] + ls * np.cos(theta)[..., None]
    rows, cols = 200 - y / mm_per_pixel, 200 + x / mm_per_pixel
    values = map_coordinates(grey, [rows.ravel(), cols.ravel()], order=1, mode="constant").reshape(rows.shape)
    return MU * values.sum(axis=-1) * (mm_per_pixel / 2)


# (1) Parallel, line integrals, .npy: 180 views over half a turn, 256 columns 0.5 mm apart.
V, C, pitch = 180, 256, 0.5
theta = np.radians(np.arange(V) * 180 / V)[:, None] * np.ones((1, C))
t = ((np.arange(C) - (C - 1) / 2) * pitch)[None, :] * np.ones((V, 1))
np.save(os.path.join(out, "parallel.npy"), line_integrals(theta, t, C * pitch).astype(np.float32))
with open(os.path.join(out, "parallel.scan"), "w") as f:
    f.write("# Simulated: the program's phantom scanned by parallel rays (scripts/make_examples.py).\n"
            "title = Phantom, parallel\ndata = parallel.npy\nvalues = line-integrals\n"
            "geometry = parallel\nangle-step = 1\npitch = 0.5\nunit = mm\n")

# (2) A lab's scanner: a fan to a flat detector, a full turn, photon noise,
# an uneven open beam, a dark current, and the axis 2.5 columns off the middle.
V, C, pitch, R, D, off = 360, 256, 0.8, 300.0, 600.0, 2.5
field = C * pitch * R / D
beta = np.radians(np.arange(V) * 360 / V)[:, None]
s = ((np.arange(C) - (C - 1) / 2 - off) * pitch)[None, :]
gamma = np.arctan(s / D) * np.ones((V, 1))
# Ray gamma of the source at beta is the parallel line of angle beta - gamma at R sin(gamma).
p = line_integrals(beta - gamma, R * np.sin(gamma), field)
rng = np.random.default_rng(30)
columns = np.arange(C)
flat = 20000 * (1 + 0.08 * np.cos(2 * np.pi * columns / C)) * (1 + 0.02 * rng.standard_normal(C))
dark = 300 + 20 * rng.standard_normal(C)
intensities = rng.poisson(flat * np.exp(-p)) + dark
intensities = np.clip(np.rint(intensities), 0, 65535).astype(np.uint16)
tifffile.imwrite(os.path.join(out, "lab-fan.tif"), intensities)
tifffile.imwrite(os.path.join(out, "lab-flat.tif"), flat[None, :].astype(np.float32))
tifffile.imwrite(os.path.join(out, "lab-dark.tif"), dark[None, :].astype(np.float32))
geometry = ("geometry = fan-flat\nangle-step = 1\npitch = 0.8\nsource-to-axis = 300\nsource-to-detector = 600\n"
            "unit = mm\n")
with open(os.path.join(out, "lab-fan.scan"), "w") as f:
    f.write("# Simulated: the program's phantom in a lab's fan scanner with a flat detector, photon noise,\n"
            "# an uneven open beam and the axis 2.5 columns right of the middle (scripts/make_examples.py).\n"
            "title = Phantom, lab fan\ndata = lab-fan.tif\nvalues = intensities\n"
            "flat = lab-flat.tif\ndark = lab-dark.tif\n" + geometry)

# (2) again for the web page, which reads no TIFF: the counts as .npy, flat and dark as .csv rows.
np.save(os.path.join(out, "lab-fan.npy"), intensities)
with open(os.path.join(out, "lab-fan-npy.scan"), "w") as f:
    f.write("# Simulated: the lab fan scan of lab-fan.scan with its counts as .npy, for the web page\n"
            "# (scripts/make_examples.py).\n"
            "title = Phantom, lab fan\ndata = lab-fan.npy\nvalues = intensities\n"
            "flat = lab-flat.csv\ndark = lab-dark.csv\n" + geometry)

# (3) The same as a MATLAB file, views as columns.
scipy.io.savemat(os.path.join(out, "lab-fan.mat"), {"counts": intensities.T.copy()}, format="5")
np.savetxt(os.path.join(out, "lab-flat.csv"), flat[None, :], delimiter=",", fmt="%.6f")
np.savetxt(os.path.join(out, "lab-dark.csv"), dark[None, :], delimiter=",", fmt="%.6f")
with open(os.path.join(out, "lab-fan-mat.scan"), "w") as f:
    f.write("# Simulated: the lab fan scan of lab-fan.scan as MATLAB keeps it, views as columns\n"
            "# (scripts/make_examples.py).\n"
            "title = Phantom, lab fan (MATLAB)\ndata = lab-fan.mat:counts\nviews-are = columns\n"
            "values = intensities\nflat = lab-flat.csv\ndark = lab-dark.csv\n" + geometry)
