#!/usr/bin/env python3
"""Rewrites PNG files as plain 8-bit RGBA, not interlaced, with only IHDR, IDAT and IEND,
and checks the result. The renderer writes opaque pictures as RGB and adds no chunks we
need; the launcher's image lists expect every picture with an alpha channel.

    pngrgba.py FILE.png [...]           rewrite in place
    pngrgba.py --check W H FILE.png     fail unless FILE is W x H, 8-bit RGBA, not interlaced
"""
import struct
import sys
import zlib

SIG = b"\x89PNG\r\n\x1a\n"


def chunks(data):
    if data[:8] != SIG:
        raise ValueError("not a PNG file")
    pos = 8
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        yield kind, data[pos + 8:pos + 8 + n]
        pos += 12 + n


def read(path):
    with open(path, "rb") as fh:
        data = fh.read()
    idat = b""
    for kind, body in chunks(data):
        if kind == b"IHDR":
            w, h, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    if depth != 8 or ctype not in (2, 6) or interlace != 0:
        raise ValueError(f"{path}: unsupported layout depth={depth} type={ctype} interlace={interlace}")
    bpp = 3 if ctype == 2 else 4
    raw = zlib.decompress(idat)
    stride = w * bpp
    rows, prev = [], bytearray(stride)
    for y in range(h):
        ft = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if ft == 1:
                line[i] = (line[i] + a) & 255
            elif ft == 2:
                line[i] = (line[i] + b) & 255
            elif ft == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif ft == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pr = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pr) & 255
        rows.append(line)
        prev = line
    if bpp == 3:
        rows = [bytearray(b"".join(bytes(r[i:i + 3]) + b"\xff" for i in range(0, len(r), 3))) for r in rows]
    return w, h, rows


def write(path, w, h, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\x00" + bytes(r) for r in rows)
    data = (SIG + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as fh:
        fh.write(data)


def check(w, h, path):
    with open(path, "rb") as fh:
        data = fh.read()
    ihdr = next(body for kind, body in chunks(data) if kind == b"IHDR")
    got = struct.unpack(">IIBBBBB", ihdr)
    want = (w, h, 8, 6, 0, 0, 0)
    if got != want:
        sys.exit(f"{path}: header {got}, want {want}")


def main(argv):
    if argv[:1] == ["--check"]:
        check(int(argv[1]), int(argv[2]), argv[3])
        return 0
    for path in argv:
        w, h, rows = read(path)
        write(path, w, h, rows)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
