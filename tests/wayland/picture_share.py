#!/usr/bin/env python3
"""Shares of a screen picture's pixels: how many show the test slide unchanged, how many are
black, how many are something else; and where the unchanged ones lie (their centre, as a share
of the width and the height).

  picture_share.py PICTURE.png  ->  "slide 0.93 black 0.00 other 0.07 x 0.50 y 0.50"
  picture_share.py PICTURE.png --centre KIND  ->  "812 478": the centre of the pixels of that kind
  picture_share.py PICTURE.png --box KIND  ->  "990 15 1265 140": the rectangle that holds them
"""
import re
import subprocess
import sys

# The slide's four colours (tests/wayland/SlidePattern.h).
SLIDE = {(0xC6, 0x28, 0x28), (0x2E, 0x7D, 0x32), (0x15, 0x65, 0xC0), (0xF9, 0xA8, 0x25)}


def kind_of(rgb):
    return "slide" if rgb in SLIDE else "black" if rgb == (0, 0, 0) else "other"


def pixels(path):
    """Every pixel's position and kind."""
    size = subprocess.run(["identify", "-format", "%w %h", path], check=True, capture_output=True,
                          text=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    for y in range(height):
        line = raw[y * width * 3:(y + 1) * width * 3]
        for x in range(width):
            yield x, y, kind_of((line[3 * x], line[3 * x + 1], line[3 * x + 2]))


def centre(path, kind):
    points = [(x, y) for x, y, k in pixels(path) if k == kind]
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


def shares(path):
    counts = {"slide": 0, "black": 0, "other": 0}
    sum_x = sum_y = 0
    width = height = 1
    for x, y, kind in pixels(path):
        counts[kind] += 1
        width, height = max(width, x + 1), max(height, y + 1)
        if kind == "slide":
            sum_x += x
            sum_y += y
    total = sum(counts.values()) or 1
    shown = counts["slide"] or 1
    print(" ".join("%s %.3f" % (k, counts[k] / total) for k in ("slide", "black", "other")),
          "x %.3f y %.3f" % (sum_x / shown / width, sum_y / shown / height))


def main():
    if len(sys.argv) == 4 and sys.argv[2] in ("--centre", "--box"):
        (centre if sys.argv[2] == "--centre" else box)(sys.argv[1], sys.argv[3])
    else:
        shares(sys.argv[1])


if __name__ == "__main__":
    main()
