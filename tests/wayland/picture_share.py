#!/usr/bin/env python3
"""Shares of a screen picture's pixels, read from ImageMagick's histogram: how many show the
test slide unchanged, how many are black, how many are something else.

  picture_share.py PICTURE.png  ->  "slide 0.93 black 0.00 other 0.07"
  picture_share.py PICTURE.png --centre KIND  ->  "812 478": the centre of the pixels of that kind
  picture_share.py PICTURE.png --box KIND  ->  "990 15 1265 140": the rectangle that holds them
"""
import re
import subprocess
import sys

# The slide's four colours (tests/wayland/SlidePattern.h).
SLIDE = {(0xC6, 0x28, 0x28), (0x2E, 0x7D, 0x32), (0x15, 0x65, 0xC0), (0xF9, 0xA8, 0x25)}


def pixels(path, kind):
    """The positions of the pixels of one kind, from ImageMagick's text dump."""
    text = subprocess.run(["convert", path, "-depth", "8", "txt:-"], check=True, capture_output=True,
                          text=True).stdout
    for line in text.splitlines():
        m = re.match(r"(\d+),(\d+):\s*\(\s*(\d+),\s*(\d+),\s*(\d+)", line)
        if not m:
            continue
        rgb = tuple(int(m.group(i)) for i in (3, 4, 5))
        if ("slide" if rgb in SLIDE else "black" if rgb == (0, 0, 0) else "other") == kind:
            yield int(m.group(1)), int(m.group(2))


def centre(path, kind):
    points = list(pixels(path, kind))
    print("%d %d" % (sum(x for x, _ in points) / len(points), sum(y for _, y in points) / len(points))
          if points else "none")


def box(path, kind):
    """ImageMagick's trim box once the slide's colours are made black: what covers the slide."""
    if kind != "other":
        raise SystemExit("--box takes only: other")
    args = ["convert", path, "-fill", "black"]
    for rgb in sorted(SLIDE):
        args += ["-opaque", "#%02X%02X%02X" % rgb]
    geometry = subprocess.run(args + ["-format", "%@", "info:"], check=True, capture_output=True,
                              text=True).stdout
    m = re.match(r"(\d+)x(\d+)\+(\d+)\+(\d+)", geometry)
    w, h, x, y = (int(g) for g in m.groups()) if m else (0, 0, 0, 0)
    print("%d %d %d %d" % (x, y, x + w - 1, y + h - 1) if w > 1 or h > 1 else "none")


def main():
    if len(sys.argv) == 4 and sys.argv[2] in ("--centre", "--box"):
        (centre if sys.argv[2] == "--centre" else box)(sys.argv[1], sys.argv[3])
        return
    text = subprocess.run(["convert", sys.argv[1], "-format", "%c", "histogram:info:-"],
                          check=True, capture_output=True, text=True).stdout
    counts = {"slide": 0, "black": 0, "other": 0}
    for line in text.splitlines():
        m = re.match(r"\s*(\d+):\s*\(\s*(\d+),\s*(\d+),\s*(\d+)", line)
        if not m:
            continue
        n = int(m.group(1))
        rgb = tuple(int(m.group(i)) for i in (2, 3, 4))
        kind = "slide" if rgb in SLIDE else "black" if rgb == (0, 0, 0) else "other"
        counts[kind] += n
    total = sum(counts.values()) or 1
    print(" ".join("%s %.3f" % (k, counts[k] / total) for k in ("slide", "black", "other")))


if __name__ == "__main__":
    main()
