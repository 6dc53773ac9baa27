#!/usr/bin/python3
"""Builds windscope-icons.ttf, the station's icon font, from Font Awesome 4.7.

The buttons address icons by small glyph codes (16 camera, 155 home, ...) and
some draw them turned (MAIN at 270 degrees, SEARCH at 315, DUMP at 180). Each
chosen Font Awesome glyph is copied to its code, turned back by the angle the
station draws it at so that it appears upright on screen, scaled into the em
square and centred on the square's middle, so that turning about the centre of
the icon box keeps the icon in place.

Usage: make_icon_font.py [SOURCE_TTF] [OUTPUT_TTF]
Defaults: the Debian fonts-font-awesome file and windscope-icons.ttf beside
this script. Needs python3-fonttools.
"""
import math
import os
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.recordingPen import RecordingPen
from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont

SOURCE = "/usr/share/fonts/truetype/font-awesome/fontawesome-webfont.ttf"
OUTPUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "windscope-icons.ttf")

FAMILY = "Windscope Icons"
UPM = 1792
ASCENT = 1536
DESCENT = 256
# Centre of the em square in font units (x, y): the layout box of an icon
# spans [0, UPM] horizontally and [-DESCENT, ASCENT] vertically.
CENTRE = (UPM / 2, ASCENT - UPM / 2)
# Largest side of an icon after scaling; leaves a small margin in the square.
FIT = 1600
# Icons smaller than this keep their relative size instead of being blown up.
MIN_SIDE = 1300

# Station glyph code -> (Font Awesome code point, angle in degrees the station
# draws the glyph at, what it stands for).
STATION_GLYPHS = {
    155: (0xF015, 270, "home: MAIN, back to the overview"),
    16: (0xF030, 0, "camera: CAPTURE, screen capture"),
    39: (0xF028, 0, "speaker: SOUND, alarm sounds on/off"),
    122: (0xF00D, 0, "cross: drawn over the speaker while sounds are off"),
    31: (0xF0F6, 0, "document: REPORT"),
    23: (0xF002, 315, "magnifier: SEARCH, and over the REPORT document"),
    174: (0xF019, 180, "download: DUMP, fetch one day from a logger"),
    18: (0xF013, 0, "gear: CONFIG"),
    100: (0xF011, 0, "power: EXIT"),
    58: (0xF1C3, 0, "spreadsheet file: CSV export"),
    71: (0xF201, 0, "line chart: VECTOR chart"),
    118: (0xF00C, 0, "check mark: ACK"),
}

# Low codes get simple shapes; every other defined code takes the next unused
# Font Awesome icon in code point order.
LOW_GLYPHS = {
    0x00: 0xF111,  # circle
    0x01: 0xF0C8,  # square
    0x02: 0xF04B,  # play
    0x03: 0xF04D,  # stop
    0x04: 0xF04C,  # pause
    0x05: 0xF021,  # refresh
}

DEFINED_CODES = list(range(0x00, 0x06)) + list(range(0x10, 0x131))


def rotated_recording(glyph_set, name, degrees):
    """The glyph's contours turned so that drawing them at `degrees` (clockwise
    on screen) shows them upright: in font units (y up) that is a
    counter-clockwise turn by the same angle."""
    rec = RecordingPen()
    a = math.radians(degrees)
    c, s = math.cos(a), math.sin(a)
    glyph_set[name].draw(TransformPen(rec, (c, s, -s, c, 0, 0)))
    return rec


def fitted_glyph(rec, glyph_set):
    bounds_pen = BoundsPen(glyph_set)
    rec.replay(bounds_pen)
    if bounds_pen.bounds is None:
        return TTGlyphPen(None).glyph()
    x0, y0, x1, y1 = bounds_pen.bounds
    side = max(x1 - x0, y1 - y0, MIN_SIDE)
    k = FIT / side
    dx = CENTRE[0] - k * (x0 + x1) / 2
    dy = CENTRE[1] - k * (y0 + y1) / 2
    tt_pen = TTGlyphPen(None)
    rec.replay(TransformPen(tt_pen, (k, 0, 0, k, dx, dy)))
    glyph = tt_pen.glyph()
    glyph.coordinates.toInt()
    return glyph


def build(source, output):
    src = TTFont(source)
    cmap = src.getBestCmap()
    glyph_set = src.getGlyphSet()

    assignment = {}  # code -> (source glyph name, angle)
    used = set()
    for code, (cp, angle, _) in STATION_GLYPHS.items():
        assignment[code] = (cmap[cp], angle)
        used.add(cp)
    for code, cp in LOW_GLYPHS.items():
        assignment[code] = (cmap[cp], 0)
        used.add(cp)
    fillers = [cp for cp in sorted(cmap) if cp >= 0xF000 and cp not in used]
    for code in DEFINED_CODES:
        if code not in assignment and fillers:
            assignment[code] = (cmap[fillers.pop(0)], 0)

    glyph_order = [".notdef"]
    glyphs = {".notdef": TTGlyphPen(None).glyph()}
    metrics = {".notdef": (UPM, 0)}
    char_map = {}
    for code in sorted(assignment):
        src_name, angle = assignment[code]
        name = "icon%03d" % code
        glyph = fitted_glyph(rotated_recording(glyph_set, src_name, angle), glyph_set)
        glyph_order.append(name)
        glyphs[name] = glyph
        glyph.recalcBounds(None)
        metrics[name] = (UPM, getattr(glyph, "xMin", 0))
        char_map[code] = name

    fb = FontBuilder(UPM, isTTF=True)
    fb.setupGlyphOrder(glyph_order)
    fb.setupCharacterMap(char_map)
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=ASCENT, descent=-DESCENT, lineGap=0)
    fb.setupNameTable({
        "copyright": "Icons from Font Awesome 4.7 by Dave Gandy (SIL OFL 1.1); "
                     "remapped for Windscope",
        "familyName": FAMILY,
        "styleName": "Regular",
        "uniqueFontIdentifier": FAMILY + " Regular 1.0",
        "fullName": FAMILY + " Regular",
        "version": "Version 1.000",
        "psName": "WindscopeIcons-Regular",
        "licenseDescription": "SIL Open Font License 1.1",
        "licenseInfoURL": "https://openfontlicense.org",
    })
    fb.setupOS2(version=4, sTypoAscender=ASCENT, sTypoDescender=-DESCENT, sTypoLineGap=0,
                usWinAscent=ASCENT, usWinDescent=DESCENT, fsType=0,
                achVendID="WSCP", usWeightClass=400, fsSelection=0x40 | 0x80)
    fb.setupPost(keepGlyphNames=True)
    fb.font["head"].fontRevision = 1.0
    fb.save(output)
    return len(char_map)


if __name__ == "__main__":
    source = sys.argv[1] if len(sys.argv) > 1 else SOURCE
    output = sys.argv[2] if len(sys.argv) > 2 else OUTPUT
    count = build(source, output)
    print("%s: %d glyphs" % (output, count))
