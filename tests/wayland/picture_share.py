#!/usr/bin/env python3
"""Shares of a screen picture's pixels: how many show the test slide unchanged, how many are
black, how many are something else; and where the unchanged ones lie (their centre, as a share
of the width and the height).

  picture_share.py PICTURE.png  ->  "slide 0.93 black 0.00 other 0.07 x 0.50 y 0.50"
"""
import subprocess
import sys

# The slide's four colours (tests/wayland/SlidePattern.h).
SLIDE = {(0xC6, 0x28, 0x28), (0x2E, 0x7D, 0x32), (0x15, 0x65, 0xC0), (0xF9, 0xA8, 0x25)}


def main():
    size = subprocess.run(["identify", "-format", "%w %h", sys.argv[1]], check=True, capture_output=True,
                          text=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    raw = subprocess.run(["convert", sys.argv[1], "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    counts = {"slide": 0, "black": 0, "other": 0}
    sum_x = sum_y = 0
    for row in range(height):
        line = raw[row * width * 3:(row + 1) * width * 3]
        for col in range(width):
            rgb = (line[3 * col], line[3 * col + 1], line[3 * col + 2])
            if rgb in SLIDE:
                counts["slide"] += 1
                sum_x += col
                sum_y += row
            elif rgb == (0, 0, 0):
                counts["black"] += 1
            else:
                counts["other"] += 1
    total = sum(counts.values()) or 1
    shown = counts["slide"] or 1
    print(" ".join("%s %.3f" % (k, counts[k] / total) for k in ("slide", "black", "other")),
          "x %.3f y %.3f" % (sum_x / shown / width, sum_y / shown / height))


if __name__ == "__main__":
    main()
