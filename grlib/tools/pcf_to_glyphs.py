#!/usr/bin/env python3
"""Convert the X11 misc-fixed 7x13 font into the canvas library's glyph table.

Run once, from the repository root, on a machine with Debian's xfonts-base:

    python3 grlib/tools/pcf_to_glyphs.py \
        /usr/share/fonts/X11/misc/7x13-ISO8859-1.pcf.gz > grlib/src/font7x13.inc

Reads the PCF file directly (gzip or plain) with the standard library only.
Every character 32..255 of ISO 8859-1 becomes 13 rows of 7 bits, bit 6 the
leftmost column; a character the font lacks becomes an empty cell.
"""
import gzip
import struct
import sys

CELL_W, CELL_H = 7, 13
FIRST, LAST = 32, 255

PCF_ACCELERATORS = 1 << 1
PCF_METRICS = 1 << 2
PCF_BITMAPS = 1 << 3
PCF_BDF_ENCODINGS = 1 << 5
PCF_BDF_ACCELERATORS = 1 << 8

PCF_BYTE_MSB = 1 << 2
PCF_BIT_MSB = 1 << 3
PCF_COMPRESSED_METRICS = 0x100


class Table:
    """One PCF table: its format word decides the byte order of the rest."""

    def __init__(self, data, offset):
        (self.format,) = struct.unpack_from("<I", data, offset)
        self.data = data
        self.pos = offset + 4
        self.endian = ">" if self.format & PCF_BYTE_MSB else "<"

    def read(self, fmt):
        values = struct.unpack_from(self.endian + fmt, self.data, self.pos)
        self.pos += struct.calcsize(self.endian + fmt)
        return values


def load(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] == b"\x1f\x8b":
        data = gzip.decompress(data)
    if data[:4] != b"\x01fcp":
        sys.exit(f"{path}: not a PCF font")
    (count,) = struct.unpack_from("<I", data, 4)
    tables = {}
    for i in range(count):
        kind, _fmt, _size, offset = struct.unpack_from("<IIII", data, 8 + 16 * i)
        tables[kind] = offset
    return data, tables


def read_metrics(data, offset):
    t = Table(data, offset)
    metrics = []
    if t.format & PCF_COMPRESSED_METRICS:
        (n,) = t.read("H")
        for _ in range(n):
            lsb, rsb, width, ascent, descent = (v - 0x80 for v in t.read("5B"))
            metrics.append((lsb, rsb, ascent, descent))
    else:
        (n,) = t.read("I")
        for _ in range(n):
            lsb, rsb, width, ascent, descent, _attr = t.read("5hH")
            metrics.append((lsb, rsb, ascent, descent))
    return metrics


def read_bitmaps(data, offset):
    t = Table(data, offset)
    (n,) = t.read("I")
    offsets = t.read(f"{n}I")
    t.read("4I")  # sizes of the bitmap data for each padding
    start = t.pos
    pad = 1 << (t.format & 3)
    unit = 1 << ((t.format >> 4) & 3)
    msb_bits = bool(t.format & PCF_BIT_MSB)
    swap_units = unit > 1 and bool(t.format & PCF_BYTE_MSB) != msb_bits
    return start, offsets, pad, unit, msb_bits, swap_units


def read_encodings(data, offset):
    t = Table(data, offset)
    min2, max2, min1, max1, _default = t.read("5H")
    cols = max2 - min2 + 1
    indices = t.read(f"{cols * (max1 - min1 + 1)}H")
    glyph_of = {}
    for code in range(FIRST, LAST + 1):
        b1, b2 = code >> 8, code & 0xFF
        if min1 <= b1 <= max1 and min2 <= b2 <= max2:
            index = indices[(b1 - min1) * cols + (b2 - min2)]
            if index != 0xFFFF:
                glyph_of[code] = index
    return glyph_of


def read_ascent(data, tables):
    offset = tables.get(PCF_BDF_ACCELERATORS, tables.get(PCF_ACCELERATORS))
    t = Table(data, offset)
    t.read("8B")  # flags
    (ascent,) = t.read("i")
    return ascent


def glyph_rows(data, bitmaps, index, metric, font_ascent):
    start, offsets, pad, unit, msb_bits, swap_units = bitmaps
    lsb, rsb, ascent, descent = metric
    stride = ((rsb - lsb + 7) // 8 + pad - 1) // pad * pad
    base = start + offsets[index]
    rows = [0] * CELL_H
    for gy in range(ascent + descent):
        line = bytearray(data[base + gy * stride: base + (gy + 1) * stride])
        if swap_units:
            for u in range(0, stride, unit):
                line[u:u + unit] = line[u:u + unit][::-1]
        cy = font_ascent - ascent + gy
        for gx in range(rsb - lsb):
            byte = line[gx // 8]
            bit = (byte >> (7 - gx % 8)) & 1 if msb_bits else (byte >> (gx % 8)) & 1
            cx = lsb + gx
            if bit and 0 <= cy < CELL_H and 0 <= cx < CELL_W:
                rows[cy] |= 1 << (CELL_W - 1 - cx)
    return rows


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: pcf_to_glyphs.py FONT.pcf[.gz] > font7x13.inc")
    data, tables = load(sys.argv[1])
    metrics = read_metrics(data, tables[PCF_METRICS])
    bitmaps = read_bitmaps(data, tables[PCF_BITMAPS])
    glyph_of = read_encodings(data, tables[PCF_BDF_ENCODINGS])
    font_ascent = read_ascent(data, tables)

    out = sys.stdout
    out.write("// Glyphs of the X11 misc-fixed 7x13 font (ISO 8859-1), public domain,\n")
    out.write("// from Debian's xfonts-base; made by grlib/tools/pcf_to_glyphs.py.\n")
    out.write(f"// Characters {FIRST}..{LAST}: 13 rows each, 7 bits a row, bit 6 the leftmost column.\n")
    out.write(f"static const unsigned char font7x13[{LAST - FIRST + 1}][{CELL_H}] = {{\n")
    for code in range(FIRST, LAST + 1):
        rows = [0] * CELL_H
        if code in glyph_of:
            index = glyph_of[code]
            rows = glyph_rows(data, bitmaps, index, metrics[index], font_ascent)
        body = ", ".join(f"0x{r:02x}" for r in rows)
        out.write(f"    {{{body}}}, // {code}\n")
    out.write("};\n")


if __name__ == "__main__":
    main()
