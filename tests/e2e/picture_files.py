#!/usr/bin/env python3
"""radon --object with pictures made here: good ones are scanned like the
built-in box they copy; broken ones (truncated, lying headers, too large, not
pictures at all) give one line "radon: can't read FILE: REASON" and status 2,
never a crash, a hang or a sanitizer report.

usage: picture_files.py path/to/radon
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

RADON = os.path.realpath(sys.argv[1])
failed = 0


def check(description, ok, detail=""):
    global failed
    print(("ok   " if ok else "FAIL ") + description + (f" ({detail})" if detail and not ok else ""))
    failed += not ok


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(w, h, rows, header_size=None):
    """An 8-bit RGBA PNG of the given rows (lists of (r, g, b, a)); the header
    may claim another size than the rows have."""
    hw, hh = header_size or (w, h)
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", hw, hh, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def solid(w, h, pixel=(90, 160, 30, 255)):
    return png(w, h, [[pixel] * w for _ in range(h)])


def run(*args):
    return subprocess.run([RADON, *args], capture_output=True, text=True, timeout=120)


def sanitizer_reports(work):
    """Reports of the sanitizer build go to files: radon holds standard error
    back while a decoder runs, and a report written then would be lost."""
    return [name for name in os.listdir(work) if name.startswith("sanitizer.")]


def bmp_grey(path):
    """The red channel of a 400 x 400 24-bit BMP, top row first."""
    with open(path, "rb") as f:
        data = f.read()
    return [[data[54 + (399 - y) * 1200 + 3 * x + 2] for x in range(400)] for y in range(400)]


def picture(workdir, *args):
    """The picture that radon saves after the commands."""
    for name in os.listdir(workdir):
        if name.endswith(".bmp"):
            os.remove(os.path.join(workdir, name))
    subprocess.run([RADON, *args], cwd=workdir, capture_output=True, timeout=600, check=True)
    return bmp_grey(os.path.join(workdir, "60x128.bmp"))


with tempfile.TemporaryDirectory() as work:
    for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS"):
        os.environ[name] = ":".join(filter(None, [os.environ.get(name), f"log_path={work}/sanitizer"]))

    def write(name, data):
        path = os.path.join(work, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    # Box0 as a picture: 360 x 360 pixels of side 0.01, the middle 240 x 240
    # grey 204 (0.8, give or take the rounding of the luminance). "h" differs
    # from the built-in box only on the box's edges, where the picture
    # blends; "R" a few levels, as the blended edges integrate differently.
    box_rows = [[(204, 204, 204, 255) if 60 <= x < 300 and 60 <= y < 300 else (0, 0, 0, 255)
                 for x in range(360)] for y in range(360)]
    box = write("box.png", png(360, 360, box_rows))
    for keys, most_off, how_far in (("h", 4 * 161, 255), ("R", 160000, 10)):
        mine = picture(work, "--object", box, "--batch", keys + " s")
        built_in = picture(work, "--batch", "{2003} " + keys + " s")
        diffs = [abs(a - b) for ra, rb in zip(mine, built_in) for a, b in zip(ra, rb)]
        off = sum(d > 1 for d in diffs)
        check(f'"{keys}" of a picture of Box0 is the built-in Box0\'s', off <= most_off and max(diffs) <= how_far,
              f"{off} pixels differ by more than 1, at most by {max(diffs)}")

    # Good pictures: a correct object, nothing on stderr.
    good = {"1x1.png": solid(1, 1), "4096x1.png": solid(4096, 1), "3x2.png": solid(3, 2)}
    for name, data in good.items():
        r = run("--object", write(name, data), "--batch", "h")
        check(f"{name} is read", r.returncode == 0 and r.stderr == "", r.stderr.strip())

    # Broken files: one line naming the file, status 2.
    small = solid(8, 8)
    rows8 = [[(1, 2, 3, 255)] * 8 for _ in range(8)]
    broken = {
        "empty.png": b"",
        "text.png": b"this is not a picture\n",
        "zero.png": png(0, 0, []),
        "claims-64x64.png": png(8, 8, rows8, header_size=(64, 64)),
        "claims-0x8.png": png(8, 8, rows8, header_size=(0, 8)),
        "bad-crc.png": small[:30] + bytes([small[30] ^ 0xFF]) + small[31:],
        "bad-data.png": small[:41] + b"\xff" * 8 + small[49:],
    }
    # Truncated at every length of the header and then every few bytes.
    for length in sorted(set(range(0, 40)) | set(range(40, len(small), 5))):
        broken[f"cut-{length}.png"] = small[:length]
    too_large = {"1x10000.png": solid(1, 10000), "4097x1.png": solid(4097, 1),
                 "claims-30000x30000.png": png(8, 8, rows8, header_size=(30000, 30000))}
    os.mkdir(os.path.join(work, "folder.png"))

    cases = [(write(n, d), False) for n, d in broken.items()]
    cases += [(write(n, d), True) for n, d in too_large.items()]
    cases += [(os.path.join(work, "folder.png"), False), (os.path.join(work, "missing.png"), False)]
    intact = picture(work, "--object", write("small.png", small), "--batch", "h s")
    bad = []
    for path, says_4096 in cases:
        r = run("--object", path, "--batch", "h")
        lines = r.stderr.splitlines()
        # A file cut after its pixels (in its end chunk) still holds the whole picture.
        if r.returncode == 0 and r.stderr == "" and os.path.basename(path).startswith("cut-"):
            if picture(work, "--object", path, "--batch", "h s") == intact:
                continue
        ok = (r.returncode == 2 and len(lines) == 1 and lines[0].startswith(f"radon: can't read {path}: ")
              and r.stdout == "" and (not says_4096 or "4096" in lines[0]))
        if not ok:
            bad.append(f"{os.path.basename(path)}: status {r.returncode}, {r.stderr.strip()!r}")
    check(f"{len(cases)} broken or too large files give one line and status 2", not bad, "; ".join(bad))
    # A JPEG cut short: libjpeg would pad it and only warn, the picture grey
    # below the cut. Noise keeps the file large enough to cut in its data.
    jpeg = os.path.join(work, "noise.jpg")
    subprocess.run(["convert", "-size", "200x150", "xc:", "+noise", "Random", jpeg], check=True)
    with open(jpeg, "rb") as f:
        data = f.read()
    r = run("--object", jpeg, "--batch", "h")
    check("a whole JPEG is read", r.returncode == 0 and r.stderr == "", r.stderr.strip())
    for length in (2, 300, len(data) // 2, len(data) - 2):
        r = run("--object", write("cut.jpg", data[:length]), "--batch", "h")
        check(f"a JPEG cut to {length} bytes is refused as truncated",
              r.returncode == 2 and r.stderr == f"radon: can't read {work}/cut.jpg: the JPEG file is truncated (premature end)\n",
              r.stderr.strip())

    # Only regular files: a FIFO would block the open, a device never ends.
    fifo = os.path.join(work, "fifo.png")
    os.mkfifo(fifo)
    for path in (fifo, "/dev/urandom"):
        try:
            r = subprocess.run([RADON, "--object", path, "--batch", "h"], capture_output=True, text=True, timeout=20)
            ok, detail = r.returncode == 2 and r.stderr == f"radon: can't read {path}: not a regular file\n", r.stderr
        except subprocess.TimeoutExpired:
            ok, detail = False, "hung"
        check(f"{path} is refused at once: not a regular file", ok, detail)

    reports = sanitizer_reports(work)
    check("no sanitizer reports", not reports,
          "".join(open(os.path.join(work, name)).read() for name in reports))

print(f"picture_files: {'all checks passed' if not failed else f'{failed} checks failed'}")
sys.exit(1 if failed else 0)
