#!/usr/bin/env python3
"""Makes the program's Windows icon from our toolchain picture.

    make_icon.py CONVERT SOURCE.png OUTPUT.ico

The picture stacks a few drawings one above the other (waves, the round
badge, the name); the badge is the tallest of them.  The rows that hold
something are grouped into bands separated by empty rows, the tallest band
is cut out as a square and written in the sizes Windows shows.  ImageMagick
(CONVERT) reads and writes the pixels, so a redrawn picture needs no change
here.
"""
import subprocess
import sys

SIZES = "64,48,32,24,16"
VISIBLE = 8  # average opacity (0..255) of a row or column that holds something


def run(convert, *args):
    return subprocess.run([convert, *args], check=True, stdout=subprocess.PIPE).stdout


def size_of(convert, source):
    w, h = run(convert, source, "-format", "%w %h", "info:").split()
    return int(w), int(h)


def profile(convert, source, geometry, scale):
    """Average opacity of each row (scale "1xH!") or column ("Wx1!") of a part."""
    return run(convert, source, "-crop", geometry, "+repage", "-alpha", "extract",
               "-scale", scale, "-depth", "8", "gray:-")


def bands(values):
    """(start, end) of each run of visible entries."""
    found, start = [], None
    for i, v in enumerate(values):
        if v >= VISIBLE and start is None:
            start = i
        if v < VISIBLE and start is not None:
            found.append((start, i))
            start = None
    if start is not None:
        found.append((start, len(values)))
    return found


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    convert, source, output = sys.argv[1:]
    width, height = size_of(convert, source)
    rows = profile(convert, source, f"{width}x{height}+0+0", f"1x{height}!")
    row_bands = bands(rows)
    if not row_bands:
        sys.exit(f"make_icon: {source} is empty")
    top, bottom = max(row_bands, key=lambda b: b[1] - b[0])
    columns = profile(convert, source, f"{width}x{bottom - top}+0+{top}", f"{width}x1!")
    column_bands = bands(columns)
    left, right = (column_bands[0][0], column_bands[-1][1]) if column_bands else (0, width)
    side = max(bottom - top, right - left) + 2
    run(convert, source, "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
        "-background", "none", "-gravity", "center", "-extent", f"{side}x{side}",
        "-define", f"icon:auto-resize={SIZES}", output)


if __name__ == "__main__":
    main()
