#!/usr/bin/env python3
"""Compares two directories of demo frames (binary PPM files written by the DemoFrameDump
benchmark): every frame of the first must exist in the second with the same size, and no channel
of any pixel may differ by more than the tolerance (default 2 of 255).

    tools/compare-frames.py BEFORE_DIR AFTER_DIR [--tolerance N]

Prints one line per frame (largest difference, pixels over the tolerance) and exits with 1 when a
frame is missing, differs in size or goes over the tolerance.
"""
import argparse
import os
import sys


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while pos < len(data) and data[pos : pos + 1].isspace():
            pos += 1
        start = pos
        while pos < len(data) and not data[pos : pos + 1].isspace():
            pos += 1
        if start == pos:
            raise ValueError(f"{path}: truncated header")
        fields.append(data[start:pos])
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1 :]
    if width <= 0 or height <= 0 or len(pixels) != width * height * 3:
        raise ValueError(f"{path}: size does not match its pixel data")
    return width, height, pixels


def compare(a, b, width, tolerance):
    """Largest channel difference and the number of pixels over the tolerance."""
    row = width * 3
    largest = 0
    over = 0
    for y in range(0, len(a), row):
        ra, rb = a[y : y + row], b[y : y + row]
        if ra == rb:
            continue
        for x in range(0, row, 3):
            d = max(abs(ra[x] - rb[x]), abs(ra[x + 1] - rb[x + 1]), abs(ra[x + 2] - rb[x + 2]))
            if d > largest:
                largest = d
            if d > tolerance:
                over += 1
    return largest, over


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("before")
    parser.add_argument("after")
    parser.add_argument("--tolerance", type=int, default=2)
    args = parser.parse_args()

    names = sorted(n for n in os.listdir(args.before) if n.endswith(".ppm"))
    if not names:
        print(f"no frames in {args.before}", file=sys.stderr)
        return 1
    failed = False
    for name in names:
        other = os.path.join(args.after, name)
        if not os.path.exists(other):
            print(f"{name}: missing in {args.after}")
            failed = True
            continue
        wa, ha, pa = read_ppm(os.path.join(args.before, name))
        wb, hb, pb = read_ppm(other)
        if (wa, ha) != (wb, hb):
            print(f"{name}: {wa}x{ha} against {wb}x{hb}")
            failed = True
            continue
        largest, over = compare(pa, pb, wa, args.tolerance)
        verdict = "ok" if over == 0 else "OVER"
        print(f"{name}: largest difference {largest}/255, {over} pixels over {args.tolerance}: {verdict}")
        failed = failed or over > 0
    print("frames match" if not failed else "frames differ")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
