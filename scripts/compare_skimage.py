#!/usr/bin/python3
"""Time `radon --batch "{1004}R"` against scikit-image's radon + iradon, and
one SART iteration of each.

Both reconstruct the head phantom on a 400 x 400 image from 200 views over a
half-turn with the Shepp-Logan filter, one after the other on this machine.
radon's time is the whole command (start-up, drawing the phantom, the
transform with its animation, the filtering and the back-projection);
scikit-image's is the two calls alone. Peak memory is each process's maximum
resident set size.

SART: one iteration over the same 200 views, radon's "I" against
scikit-image's iradon_sart. radon's time is that of `{1004} r I` less that of
`{1004} r` (the first iteration, with the rays' lengths it computes once per
grid); scikit-image's is the one call on the sinogram its radon made.

usage: scripts/compare_skimage.py [path/to/radon] [runs]
Needs scikit-image for /usr/bin/python3 (Debian: apt-get install python3-skimage).
"""
import os
import re
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def phantom():
    """head0 at each pixel's top-left corner, as drawHead samples it."""
    import numpy as np
    ix = np.arange(400)
    x = 2 * ((ix - 0.5 * 400) * 3.0) / 400
    y = 2 * ((0.5 * 400 - ix) * 3.0) / 400
    x, y = np.meshgrid(x, y)  # rows are y (top to bottom), columns x
    u1, v1 = x + 0.8, y - 0.2
    u2 = x - 0.8
    u3, v3 = x - 1.2, y + 1.2
    q = 0.33 * (x * x) + 0.2 * (y * y)
    conditions = [
        q > 1,
        q > 0.92,
        2 * (x * x) + 1.25 * ((y - 1) * (y - 1)) < 0.7,
        x * x + (y + 0.1) * (y + 0.1) < 0.02,
        3.5 * (u1 * u1) + 1.5 * u1 * v1 + v1 * v1 < 0.7,
        2.5 * (u2 * u2) - u2 * v1 + v1 * v1 < 0.4,
        3 * (u3 * u3) - u3 * v3 + v3 * v3 < 0.2,
    ]
    return np.select(conditions, [0.0, 1.0, 0.9, 1.0, 0.4, 0.4, 0.8], default=0.7)


def skimage_seconds():
    """One radon + iradon, timed in this process."""
    import numpy as np
    from skimage.transform import iradon, radon
    image = phantom()
    theta = np.linspace(0.0, 180.0, 200, endpoint=False)
    start = time.perf_counter()
    sinogram = radon(image, theta=theta)
    iradon(sinogram, theta=theta, filter_name="shepp-logan")
    return time.perf_counter() - start


def skimage_sart_seconds():
    """One iteration of iradon_sart, timed in this process."""
    import numpy as np
    from skimage.transform import iradon_sart, radon
    image = phantom()
    theta = np.linspace(0.0, 180.0, 200, endpoint=False)
    sinogram = radon(image, theta=theta)
    start = time.perf_counter()
    iradon_sart(sinogram, theta=theta)
    return time.perf_counter() - start


def timed(command):
    """Wall seconds and peak resident KB of one run of command."""
    start = time.perf_counter()
    result = subprocess.run(["/usr/bin/time", "-v"] + command, capture_output=True, text=True)
    seconds = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit("failed: %s\n%s" % (" ".join(command), result.stderr))
    peak = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", result.stderr).group(1))
    return seconds, peak, result.stdout


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--skimage-once":
        print("%.6f" % skimage_seconds())
        return
    if len(sys.argv) > 1 and sys.argv[1] == "--skimage-sart-once":
        print("%.6f" % skimage_sart_seconds())
        return
    radon = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build", "radon")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5

    radon_runs = [timed([radon, "--batch", "{1004}R"]) for _ in range(runs)]
    sk_runs = [timed(["/usr/bin/python3", os.path.abspath(__file__), "--skimage-once"]) for _ in range(runs)]
    radon_s = statistics.median(r[0] for r in radon_runs)
    sk_s = statistics.median(float(r[2]) for r in sk_runs)
    radon_kb = max(r[1] for r in radon_runs)
    sk_kb = max(r[1] for r in sk_runs)

    print("median of %d runs each, %d cores" % (runs, os.cpu_count()))
    print('radon --batch "{1004}R" (whole command): %.3f s  peak RSS %.1f MB' % (radon_s, radon_kb / 1024))
    print("scikit-image radon + iradon (calls only): %.3f s  peak RSS %.1f MB" % (sk_s, sk_kb / 1024))
    print("ratio radon / scikit-image: %.3f" % (radon_s / sk_s))

    scan_s = statistics.median(timed([radon, "--batch", "{1004} r"])[0] for _ in range(runs))
    scan_sart_s = statistics.median(timed([radon, "--batch", "{1004} r I"])[0] for _ in range(runs))
    sk_sart_s = statistics.median(
        float(timed(["/usr/bin/python3", os.path.abspath(__file__), "--skimage-sart-once"])[2]) for _ in range(runs))
    print('radon SART iteration ("{1004} r I" less "{1004} r"): %.3f s' % (scan_sart_s - scan_s))
    print("scikit-image iradon_sart, one iteration (call only): %.3f s" % sk_sart_s)
    print("ratio radon / scikit-image (SART): %.3f" % ((scan_sart_s - scan_s) / sk_sart_s))


if __name__ == "__main__":
    main()
