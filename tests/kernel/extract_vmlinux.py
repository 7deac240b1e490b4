#!/usr/bin/env python3
"""Writes the uncompressed kernel (an ELF file) held inside a self-extracting bzImage.

Usage: extract_vmlinux.py <bzImage> <out>

Tries every gzip, xz and zstd stream start in the image and keeps the first that decompresses
to an ELF file; zstd needs the zstd program.
"""
import lzma
import shutil
import subprocess
import sys
import zlib

ELF = b"\x7fELF"


def try_gzip(data, at):
    d = zlib.decompressobj(16 + zlib.MAX_WBITS)
    return d.decompress(data[at:])


def try_xz(data, at):
    return lzma.LZMADecompressor(format=lzma.FORMAT_XZ).decompress(data[at:])


def try_zstd(data, at):
    if not shutil.which("zstd"):
        return b""
    r = subprocess.run(["zstd", "-dqc"], input=data[at:], capture_output=True)
    return r.stdout


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    data = open(sys.argv[1], "rb").read()
    kinds = [(b"\x1f\x8b\x08", try_gzip), (b"\xfd7zXZ\x00", try_xz), (b"\x28\xb5\x2f\xfd", try_zstd)]
    for magic, unpack in kinds:
        at = data.find(magic)
        while at >= 0:
            try:
                out = unpack(data, at)
            except (OSError, EOFError, lzma.LZMAError, zlib.error):
                out = b""
            if out.startswith(ELF):
                with open(sys.argv[2], "wb") as f:
                    f.write(out)
                return 0
            at = data.find(magic, at + 1)
    print("no compressed ELF kernel found in " + sys.argv[1], file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
