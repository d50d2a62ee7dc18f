#!/usr/bin/env python3
"""Writes small TrueType fonts as seeds for the font fuzz target (fuzz/corpus/font):
every table the program reads, a few glyphs (lines, a quadratic curve, a composite, two
contours), a "kern" table and "GPOS" pair adjustments in both formats. Deterministic.

usage: tools/make-fuzz-font.py [output folder]   (default fuzz/corpus/font)
"""
import os
import struct
import sys

# Glyphs: contours of (x, y, on-curve) points; or ("composite", glyph, dx, dy).
GLYPHS = [
    [],                                                                   # 0: missing glyph
    [[(0, 0, 1), (300, 700, 1), (600, 0, 1)]],                            # 1 'A'
    [[(0, 0, 1), (0, 700, 1), (400, 700, 0), (500, 350, 1), (400, 0, 0)]],  # 2 'B': curves
    ("composite", 1, 100, 50),                                            # 3 'C'
    [[(50, 0, 1), (50, 500, 1), (450, 500, 1), (450, 0, 1)],
     [(150, 100, 1), (350, 100, 1), (350, 400, 1), (150, 400, 1)]],       # 4 'o': two contours
]
CMAP = [(0x41, 0x43, 1), (0x6F, 0x6F, 4)]  # (first, last, first glyph)
ADVANCE = 650


def simple_glyph(contours):
    pts = [p for c in contours for p in c]
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    out = struct.pack(">hhhhh", len(contours), min(xs), min(ys), max(xs), max(ys))
    end = -1
    for c in contours:
        end += len(c)
        out += struct.pack(">H", end)
    out += struct.pack(">H", 0)  # no instructions
    out += bytes(p[2] & 1 for p in pts)  # 2-byte coordinates, no repeats
    for axis in (0, 1):
        last = 0
        for p in pts:
            out += struct.pack(">h", p[axis] - last)
            last = p[axis]
    return out


def glyph_bytes(g):
    if not g:
        return b""
    if g[0] == "composite":
        _, child, dx, dy = g
        out = struct.pack(">hhhhh", -1, 0, 0, 700, 750)
        out += struct.pack(">HHhh", 0x0003, child, dx, dy)  # word arguments, x/y offsets
        return out
    return simple_glyph(g)


def cmap_table():
    segs = CMAP + [(0xFFFF, 0xFFFF, 0)]
    n = len(segs)
    power = 1
    while power * 2 <= n:
        power *= 2
    log2 = power.bit_length() - 1
    sub = struct.pack(">HHHHHHH", 4, 0, 0, 2 * n, 2 * power, log2, 2 * (n - power))
    sub += b"".join(struct.pack(">H", s[1]) for s in segs) + struct.pack(">H", 0)
    sub += b"".join(struct.pack(">H", s[0]) for s in segs)
    sub += b"".join(struct.pack(">H", (s[2] - s[0]) & 0xFFFF if s[0] != 0xFFFF else 1) for s in segs)
    sub += b"".join(struct.pack(">H", 0) for _ in segs)
    sub = sub[:2] + struct.pack(">H", len(sub)) + sub[4:]
    return struct.pack(">HHHHI", 0, 1, 3, 1, 12) + sub


def kern_table(pairs):
    body = struct.pack(">HHHHHHH", 0, 14 + 6 * len(pairs), 1, len(pairs), 6, 0, 6 * len(pairs) - 6)
    body += b"".join(struct.pack(">HHh", *p) for p in sorted(pairs))
    return struct.pack(">HH", 0, 1) + body


def gpos_table():
    # Lookup 0: pair adjustment, format 1 (pair sets), coverage format 1.
    cov1 = struct.pack(">HHHH", 1, 2, 1, 2)                       # glyphs 1, 2
    set_a = struct.pack(">H", 2) + struct.pack(">Hh", 2, -40) + struct.pack(">Hh", 4, -20)
    set_b = struct.pack(">H", 1) + struct.pack(">Hh", 1, 15)
    head = 10 + 2 * 2
    pp1 = struct.pack(">HHHHH", 1, head, 4, 0, 2) + struct.pack(">HH", head + len(cov1),
                                                                 head + len(cov1) + len(set_a))
    pp1 += cov1 + set_a + set_b
    # Lookup 1: pair adjustment, format 2 (classes), coverage format 2, class definitions 1 and 2.
    cov2 = struct.pack(">HH", 2, 1) + struct.pack(">HHH", 3, 4, 0)  # glyphs 3..4
    cd1 = struct.pack(">HHH", 1, 3, 2) + struct.pack(">HH", 1, 2)   # glyph 3 class 1, glyph 4 class 2
    cd2 = struct.pack(">HH", 2, 1) + struct.pack(">HHH", 1, 2, 1)   # glyphs 1..2 class 1
    records = b"".join(struct.pack(">h", v) for v in (0, 0, 0, -30, 0, 25))  # 3 x 2 classes
    start = 16 + len(records)
    pp2 = struct.pack(">HHHHHHHH", 2, start, 4, 0, start + len(cov2), start + len(cov2) + len(cd1), 3, 2)
    pp2 += records + cov2 + cd1 + cd2

    def lookup(sub):
        return struct.pack(">HHHH", 2, 0, 1, 8) + sub
    l0, l1 = lookup(pp1), lookup(pp2)
    lookups = struct.pack(">HHH", 2, 6, 6 + len(l0)) + l0 + l1
    empty_list = struct.pack(">H", 0)
    return struct.pack(">HHHHH", 1, 0, 10, 12, 14) + empty_list + empty_list + lookups


def font(with_kern=True, with_gpos=True):
    glyf, loca = b"", []
    for g in GLYPHS:
        loca.append(len(glyf))
        data = glyph_bytes(g)
        glyf += data + (b"\0" if len(data) % 2 else b"")
    loca.append(len(glyf))
    n = len(GLYPHS)
    tables = {
        b"head": struct.pack(">IIIIHHQQhhhhHHhhh", 0x00010000, 0x00010000, 0, 0x5F0F3CF5, 0, 1000, 0, 0,
                             0, -200, 700, 800, 0, 8, 2, 0, 0),
        b"hhea": struct.pack(">IhhhHhhhhhhhhhhhH", 0x00010000, 800, -200, 90, ADVANCE, 0, 0, 600, 1, 0, 0,
                             0, 0, 0, 0, 0, n),
        b"maxp": struct.pack(">IH", 0x00005000, n),
        b"hmtx": b"".join(struct.pack(">Hh", ADVANCE, 0) for _ in GLYPHS),
        b"cmap": cmap_table(),
        b"loca": b"".join(struct.pack(">H", o // 2) for o in loca),
        b"glyf": glyf,
    }
    if with_kern:
        tables[b"kern"] = kern_table([(1, 2, -50), (2, 1, 30), (4, 4, -10)])
    if with_gpos:
        tables[b"GPOS"] = gpos_table()
    tags = sorted(tables)
    out = struct.pack(">IHHHH", 0x00010000, len(tags), 0, 0, 0)
    offset = 12 + 16 * len(tags)
    body = b""
    for tag in tags:
        data = tables[tag]
        out += struct.pack(">4sIII", tag, 0, offset + len(body), len(data))
        body += data + b"\0" * (-len(data) % 4)
    return out + body


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "fuzz",
                                                                  "corpus", "font")
    os.makedirs(folder, exist_ok=True)
    for name, kern, gpos in (("tiny.ttf", True, True), ("tiny-kern.ttf", True, False), ("tiny-plain.ttf", False, False)):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(font(kern, gpos))


if __name__ == "__main__":
    main()
