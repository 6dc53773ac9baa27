#!/usr/bin/python3
"""Builds windscope-dotmatrix-5x7.ttf, the 5 x 7 dot-matrix LCD face, from the
public-domain X11 "5x7" bitmap font (Debian package xfonts-base).

Every set pixel of the bitmap becomes one square dot, so each dot is its own
closed figure in the outline, which is what the LCD readout fills one by one.

Usage: make_dotmatrix_font.py [SOURCE.pcf.gz] [OUTPUT.ttf]
"""
import gzip
import struct
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

SOURCE = "/usr/share/fonts/X11/misc/5x7-ISO8859-1.pcf.gz"
OUTPUT = "windscope-dotmatrix-5x7.ttf"
FAMILY = "Windscope Dot Matrix"

UNITS_PER_EM = 1000
PITCH = 125        # one bitmap pixel; 8 rows make one em
DOT = 100          # the lit square inside a pixel cell; the rest is the gap

PCF_METRICS = 1 << 2
PCF_BITMAPS = 1 << 3
PCF_BDF_ENCODINGS = 1 << 5
PCF_ACCELERATORS = 1 << 1
PCF_BDF_ACCELERATORS = 1 << 8
PCF_COMPRESSED_METRICS = 0x100


class Table:
    """One PCF table: its format word decides the byte order of what follows."""

    def __init__(self, data, offset):
        self.data = data
        self.fmt = struct.unpack_from("<I", data, offset)[0]
        self.pos = offset + 4
        self.order = ">" if self.fmt & 4 else "<"

    def read(self, code):
        value = struct.unpack_from(self.order + code, self.data, self.pos)
        self.pos += struct.calcsize(code)
        return value if len(value) > 1 else value[0]


def parse_pcf(data):
    if data[:4] != b"\x01fcp":
        raise SystemExit("not a PCF font")
    count = struct.unpack_from("<I", data, 4)[0]
    toc = {}
    for i in range(count):
        kind, _fmt, _size, offset = struct.unpack_from("<IIII", data, 8 + 16 * i)
        toc[kind] = offset

    t = Table(data, toc[PCF_METRICS])
    metrics = []
    if t.fmt & PCF_COMPRESSED_METRICS:
        for _ in range(t.read("h")):
            lsb, rsb, width, asc, desc = (t.read("B") - 0x80 for _ in range(5))
            metrics.append((lsb, rsb, width, asc, desc))
    else:
        for _ in range(t.read("i")):
            lsb, rsb, width, asc, desc, _attr = t.read("hhhhhH")
            metrics.append((lsb, rsb, width, asc, desc))

    t = Table(data, toc[PCF_BITMAPS])
    glyph_count = t.read("i")
    offsets = [t.read("i") for _ in range(glyph_count)]
    sizes = [t.read("i") for _ in range(4)]
    pad = 1 << (t.fmt & 3)
    msb_bits = bool(t.fmt & 8)
    if (t.fmt >> 4) & 3:
        # Scan units wider than a byte would need byte swapping; 5x7 uses bytes.
        if not t.fmt & 4:
            raise SystemExit("unsupported scan unit")
    base = t.pos
    blob = data[base:base + sizes[t.fmt & 3]]

    bitmaps = []
    for index, (lsb, rsb, _width, asc, desc) in enumerate(metrics):
        w, h = rsb - lsb, asc + desc
        row_bytes = ((w + 7) // 8 + pad - 1) // pad * pad
        rows = []
        for y in range(h):
            row = blob[offsets[index] + y * row_bytes: offsets[index] + (y + 1) * row_bytes]
            bits = []
            for x in range(w):
                byte = row[x // 8]
                bit = (byte >> (7 - x % 8)) & 1 if msb_bits else (byte >> (x % 8)) & 1
                bits.append(bit)
            rows.append(bits)
        bitmaps.append(rows)

    t = Table(data, toc[PCF_BDF_ENCODINGS])
    min2, max2, min1, max1, _default = (t.read("h") for _ in range(5))
    cmap = {}
    for b1 in range(min1, max1 + 1):
        for b2 in range(min2, max2 + 1):
            glyph = t.read("H")
            if glyph != 0xFFFF:
                cmap[(b1 << 8) | b2] = glyph

    accel = toc.get(PCF_BDF_ACCELERATORS, toc.get(PCF_ACCELERATORS))
    t = Table(data, accel)
    t.pos += 8  # flag bytes
    font_ascent, font_descent = t.read("i"), t.read("i")
    return metrics, bitmaps, cmap, font_ascent, font_descent


def dot(pen, x, y):
    """A square dot, drawn clockwise (the TrueType outer-contour direction)."""
    inset = (PITCH - DOT) // 2
    x0, y0 = x * PITCH + inset, y * PITCH + inset
    pen.moveTo((x0, y0))
    pen.lineTo((x0, y0 + DOT))
    pen.lineTo((x0 + DOT, y0 + DOT))
    pen.lineTo((x0 + DOT, y0))
    pen.closePath()


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else SOURCE
    output = sys.argv[2] if len(sys.argv) > 2 else OUTPUT
    with gzip.open(source, "rb") if source.endswith(".gz") else open(source, "rb") as f:
        metrics, bitmaps, cmap, font_ascent, font_descent = parse_pcf(f.read())

    # One spare row above the bitmap's ascent so that the em is 8 rows.
    ascent = (font_ascent + 1) * PITCH
    descent = font_descent * PITCH
    names = [".notdef"]
    glyphs = {".notdef": TTGlyphPen(None).glyph()}
    advances = {".notdef": (metrics[0][2] * PITCH, 0)}
    char_map = {}
    for code, index in sorted(cmap.items()):
        if code < 0x20 or 0x7F <= code < 0xA0:
            continue
        lsb, _rsb, width, asc, _desc = metrics[index]
        pen = TTGlyphPen(None)
        for row, bits in enumerate(bitmaps[index]):
            for col, bit in enumerate(bits):
                if bit:
                    dot(pen, lsb + col, asc - 1 - row)
        name = "uni%04X" % code
        names.append(name)
        glyphs[name] = pen.glyph()
        advances[name] = (width * PITCH, lsb * PITCH)
        char_map[code] = name

    fb = FontBuilder(UNITS_PER_EM, isTTF=True)
    fb.setupGlyphOrder(names)
    fb.setupCharacterMap(char_map)
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics(advances)
    fb.setupHorizontalHeader(ascent=ascent, descent=-descent)
    fb.setupNameTable({
        "familyName": FAMILY,
        "styleName": "Regular",
        "uniqueFontIdentifier": FAMILY + " Regular",
        "fullName": FAMILY + " Regular",
        "psName": "WindscopeDotMatrix-Regular",
        "copyright": "Public domain, generated from the X11 5x7 bitmap font",
    })
    fb.setupOS2(sTypoAscender=ascent, sTypoDescender=-descent, sTypoLineGap=0,
                usWinAscent=ascent, usWinDescent=descent, fsType=0)
    fb.setupPost(isFixedPitch=1)
    fb.save(output)


if __name__ == "__main__":
    main()
