#!/usr/bin/env python3
"""Builds the ten stock button glyphs from the character maps below.

Each glyph is a 32 x 16 BMP with a 256-colour palette: two 16 x 16 cells, the normal
look and the disabled look. The disabled cell is made from the normal one: every pixel
turned to a light grey of its own brightness, with a white edge one pixel down and right
so the shape looks pressed into the button face.

The button draws a glyph through a mask of its bottom-left pixel's colour, so every
glyph leaves that corner empty and the key colour appears nowhere else.

    stock.py OUTDIR        writes OUTDIR/<kind>.bmp
"""
import os
import struct
import sys

KEY = (255, 0, 255)  # transparent through the bottom-left-pixel rule

INK = {
    ".": None,
    # green (OK, Yes, All)
    "G": (0x2A, 0x7A, 0x36), "g": (0x3F, 0xA3, 0x4D), "h": (0x6C, 0xC4, 0x78),
    # red-orange (Cancel, No, Abort, Close)
    "R": (0xB2, 0x3A, 0x22), "r": (0xE2, 0x57, 0x3B), "s": (0xF0, 0x86, 0x6E),
    # blue (Help, Retry, Close)
    "B": (0x1B, 0x5F, 0xAE), "b": (0x2F, 0x7F, 0xD8), "c": (0x66, 0xA6, 0xEA),
    # amber (Ignore)
    "A": (0xB0, 0x76, 0x0C), "a": (0xF2, 0xB2, 0x33), "y": (0xF9, 0xD2, 0x73),
    # greys
    "K": (0x5E, 0x6B, 0x78), "l": (0xB9, 0xC2, 0xCC), "m": (0xDC, 0xE1, 0xE7),
    "W": (0xFF, 0xFF, 0xFF),
}

CHECK_SMALL = [  # one check of the "All" glyph, 10 x 7
    ".......GG.",
    "......GhgG",
    ".GG..GhgG.",
    "GhgGGhgG..",
    ".GhgggG...",
    "..GggG....",
    "...GG.....",
]

GLYPHS = {
    "ok": [
        "................",
        "................",
        "................",
        "............GG..",
        "...........GhhG.",
        "..........GhggG.",
        ".........GhggG..",
        "..GG....GhggG...",
        ".GhhG..GhggG....",
        ".GhggGGhggG.....",
        "..GhgggggG......",
        "...GggggG.......",
        "....GgggG.......",
        ".....GGG........",
        "................",
        "................",
    ],
    "cancel": [
        "................",
        "................",
        "...RR......RR...",
        "..RssR....RssR..",
        "...RsrR..RsrR...",
        "....RsrRRsrR....",
        ".....RsrsrR.....",
        "......RrrR......",
        ".....RrrrrR.....",
        "....RrrRRrrR....",
        "...RrrR..RrrR...",
        "..RrrR....RrrR..",
        ".RrrR......RrrR.",
        "..RR........RR..",
        "................",
        "................",
    ],
    "help": [
        "................",
        ".....BBBBBB.....",
        "....BccccccB....",
        "...BccWWWWccB...",
        "..BccWWccWWccB..",
        ".BcbbbbbbWWbbbB.",
        ".BbbbbbbWWbbbbB.",
        ".BbbbbbWWbbbbbB.",
        ".BbbbbbWWbbbbbB.",
        ".BbbbbbbbbbbbbB.",
        ".BbbbbbWWbbbbbB.",
        "..BbbbbWWbbbbB..",
        "...BbbbbbbbbB...",
        "....BbbbbbbB....",
        ".....BBBBBB.....",
        "................",
    ],
    "yes": [
        "................",
        ".....GGGGGG.....",
        "....GhhhhhhG....",
        "...GhhhhhhhhG...",
        "..GhhhhhhhhWWG..",
        ".GhggggggggWWgG.",
        ".GgggggggWWWggG.",
        ".GggWWgggWWgggG.",
        ".GggWWWgWWggggG.",
        ".GgggWWWWWggggG.",
        ".GggggWWWgggggG.",
        "..GggggWgggggG..",
        "...GggggggggG...",
        "....GggggggG....",
        ".....GGGGGG.....",
        "................",
    ],
    "no": [
        "................",
        ".....RRRRRR.....",
        "....RssssssR....",
        "...RssRRRRssR...",
        "..RsrRR..RRrrR..",
        ".RsrRsR....RrrR.",
        ".RsrRrsR...RrrR.",
        ".RsR.RrsR...RrR.",
        ".RsR..RrsR..RrR.",
        ".RrR...RrsR.RrR.",
        ".RrrR...RrsRRrR.",
        "..RrrRR..RRrrR..",
        "...RrrRRRRrrR...",
        "....RrrrrrrR....",
        ".....RRRRRR.....",
        "................",
    ],
    "close": [
        "................",
        "........RRRRRRR.",
        "........RWsssWR.",
        ".BBBBBBBRsWsWsR.",
        ".BccccccRrrWrrR.",
        ".BbbbbbbRrWrWrR.",
        ".BbbbbbbRWrrrWR.",
        ".BWWWWWWRRRRRRR.",
        ".BWmmmmmWWWWB...",
        ".BWWWWWWWWWWB...",
        ".BWmmmmWWWWWB...",
        ".BWWWWWWWWWWB...",
        ".BmmmmmmmmmmB...",
        ".BBBBBBBBBBBB...",
        "................",
        "................",
    ],
    "abort": [
        "................",
        ".....RRRRRR.....",
        "....RssssssR....",
        "...RsrrrrrrrR...",
        "..RsrrrrrrrrrR..",
        ".RsrrrrrrrrrrrR.",
        ".RrrrrrrrrrrrrR.",
        ".RrrWWWWWWWWrrR.",
        ".RrrWWWWWWWWrrR.",
        ".RrrrrrrrrrrrrR.",
        ".RrrrrrrrrrrrrR.",
        "..RrrrrrrrrrrR..",
        "...RrrrrrrrrR...",
        "....RrrrrrrR....",
        ".....RRRRRR.....",
        "................",
    ],
    "retry": [
        "................",
        "................",
        ".....BBBB.......",
        "....BccbbB......",
        "...BcbbbbB..B...",
        "..BcbbbBB..BcB..",
        "..BcbbB...BcbbB.",
        ".BcbbB...BbbbbbB",
        ".BcbbB...BBbbbbB",
        ".BbbbB....BbbbB.",
        "..BbbbB..BbbbB..",
        "..BbbbbBBbbbbB..",
        "...BbbbbbbbbB...",
        "....BbbbbbbB....",
        ".....BBBBBB.....",
        "................",
    ],
    "ignore": [
        "................",
        "................",
        "................",
        ".....AAAAA......",
        "....AyyyyyA.....",
        "...AyaAAAaaA....",
        "..AyaA...AaaA...",
        "..AyaA...AaaA...",
        "..AyaA..AaaaaA..",
        "..AaaA...AaaA...",
        "..AaaAKKK.AA....",
        "...AA.KlK.......",
        "......KlK.......",
        "......KKK.......",
        "................",
        "................",
    ],
    "all": None,  # two small checks, composed below
}


def stamp(dst, src, x0, y0):
    for y, row in enumerate(src):
        for x, ch in enumerate(row):
            if ch != ".":
                line = dst[y0 + y]
                dst[y0 + y] = line[:x0 + x] + ch + line[x0 + x + 1:]


def compose_all():
    cell = ["." * 16 for _ in range(16)]
    stamp(cell, CHECK_SMALL, 0, 6)
    stamp(cell, CHECK_SMALL, 5, 3)
    return cell


def disabled(cell):
    """Light greys of each pixel's own brightness, with a white edge below and right."""
    out = [[None] * 16 for _ in range(16)]
    for y in range(16):
        for x in range(16):
            c = cell[y][x]
            if c is None:
                continue
            lum = (c[0] * 299 + c[1] * 587 + c[2] * 114) // 1000
            g = 112 + lum * 96 // 255
            g = min(208, (g // 8) * 8)
            out[y][x] = (g, g, g)
    for y in range(16):
        for x in range(16):
            if out[y][x] is None and x > 0 and y > 0 and cell[y - 1][x - 1] is not None:
                out[y][x] = (255, 255, 255)
    return out


def cells(name):
    rows = GLYPHS[name] if GLYPHS[name] is not None else compose_all()
    if len(rows) != 16 or any(len(r) != 16 for r in rows):
        raise ValueError(f"{name}: the map must be 16 x 16")
    normal = [[INK[ch] for ch in row] for row in rows]
    if normal[15][0] is not None:
        raise ValueError(f"{name}: the bottom-left pixel must stay empty")
    return normal, disabled(normal)


def write_bmp(path, pixels, w, h):
    """8-bit BMP, bottom-up, with the key colour as palette entry 0."""
    colours = [KEY]
    for row in pixels:
        for c in row:
            c = KEY if c is None else c
            if c not in colours:
                colours.append(c)
    if len(colours) > 256:
        raise ValueError("more than 256 colours")
    if colours.count(KEY) != 1:
        raise ValueError("key colour used inside a glyph")
    index = {c: i for i, c in enumerate(colours)}
    stride = (w + 3) & ~3
    data = b"".join(bytes(index[KEY if c is None else c] for c in pixels[y]) + b"\0" * (stride - w)
                    for y in range(h - 1, -1, -1))
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours) + b"\0" * 4 * (256 - len(colours))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(data), 3780, 3780, 256, 0)
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as fh:
        fh.write(head + info + palette + data)


def main(argv):
    outdir = argv[0] if argv else os.path.join(os.path.dirname(os.path.abspath(__file__)), "stock")
    os.makedirs(outdir, exist_ok=True)
    for name in GLYPHS:
        normal, grey = cells(name)
        strip = [normal[y] + grey[y] for y in range(16)]
        write_bmp(os.path.join(outdir, name + ".bmp"), strip, 32, 16)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
