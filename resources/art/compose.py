#!/usr/bin/env python3
"""Writes the SVG sources of the launcher's pictures into svg/.

Every picture is assembled here from a few shared parts, so the disc, the shadow and
the outline rules are written once and look the same everywhere. The second object of
each picture is hand-written SVG below. render.sh turns the SVG files into the PNGs.
"""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "svg")

# Palette: (light, base, dark) per colour family. Light is the highlight end of a
# gradient, dark doubles as the outline of the same shape.
BLUE = ("#5A9DE6", "#2F7FD8", "#1B5FAE")
GREEN = ("#62BC6E", "#3FA34D", "#2A7A36")
RED = ("#EE7A61", "#E2573B", "#B23A22")
AMBER = ("#F7CA62", "#F2B233", "#C98A12")
VIOLET = ("#9A80DD", "#7B5CC9", "#5A3FA3")
DISC_LIGHT, DISC_DARK, DISC_RIM = "#F4F6F8", "#B9C2CC", "#8A96A3"
SLATE = ("#8E9AA7", "#5E6B78", "#434E5A")


def f(v):
    """Number for SVG: short, no trailing zeros."""
    s = f"{v:.3f}".rstrip("0").rstrip(".")
    return "0" if s == "-0" else s


class Doc:
    """One SVG document; ids get a per-document prefix so parts can repeat."""

    def __init__(self, w, h, blur=1.0, dy=1.0, margin=2):
        """margin: the clear border that the soft shadow may not reach either."""
        self.w, self.h = w, h
        m = margin
        self.defs = []
        self.body = []
        self.n = 0
        self.defs.append(
            f'<filter id="shadow" filterUnits="userSpaceOnUse" x="{m}" y="{m}" width="{w - 2 * m}" height="{h - 2 * m}" '
            f'color-interpolation-filters="sRGB">'
            f'<feGaussianBlur in="SourceAlpha" stdDeviation="{f(blur)}"/>'
            f'<feOffset dx="0" dy="{f(dy)}" result="b"/>'
            f'<feComponentTransfer><feFuncA type="linear" slope="0.25"/></feComponentTransfer>'
            f'<feMerge><feMergeNode/><feMergeNode in="SourceGraphic"/></feMerge></filter>')

    def uid(self, stem):
        self.n += 1
        return f"{stem}{self.n}"

    def lin(self, stops, x1, y1, x2, y2):
        """Linear gradient in user space; stops = [(offset, colour[, opacity])]."""
        i = self.uid("g")
        s = "".join(
            f'<stop offset="{f(o)}" stop-color="{c}"' + (f' stop-opacity="{f(a[0])}"' if a else "") + "/>"
            for (o, c, *a) in stops)
        self.defs.append(f'<linearGradient id="{i}" gradientUnits="userSpaceOnUse" '
                         f'x1="{f(x1)}" y1="{f(y1)}" x2="{f(x2)}" y2="{f(y2)}">{s}</linearGradient>')
        return f"url(#{i})"

    def rad(self, stops, cx, cy, r, fx=None, fy=None):
        i = self.uid("r")
        s = "".join(
            f'<stop offset="{f(o)}" stop-color="{c}"' + (f' stop-opacity="{f(a[0])}"' if a else "") + "/>"
            for (o, c, *a) in stops)
        fxy = f' fx="{f(fx)}" fy="{f(fy)}"' if fx is not None else ""
        self.defs.append(f'<radialGradient id="{i}" gradientUnits="userSpaceOnUse" '
                         f'cx="{f(cx)}" cy="{f(cy)}" r="{f(r)}"{fxy}>{s}</radialGradient>')
        return f"url(#{i})"

    def clip(self, inner):
        i = self.uid("c")
        self.defs.append(f'<clipPath id="{i}">{inner}</clipPath>')
        return f"url(#{i})"

    def add(self, s):
        self.body.append(s)

    def shadowed(self, s):
        self.body.append(f'<g filter="url(#shadow)">{s}</g>')

    def svg(self):
        return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{self.w}" height="{self.h}" '
                f'viewBox="0 0 {self.w} {self.h}">\n<defs>' + "\n".join(self.defs) +
                "</defs>\n" + "\n".join(self.body) + "\n</svg>\n")


def vgrad(d, fam, y0, y1):
    """The vertical fill of a coloured shape: highlight at the top, base, shade at the bottom."""
    return d.lin([(0, fam[0]), (0.55, fam[1]), (1, fam[2])], 0, y0, 0, y1)


# --- the disc -----------------------------------------------------------------------

def ring_path(cx, cy, r_out, r_in):
    """A disc with its centre hole as one even-odd path."""
    def circle(r):
        return (f"M{f(cx - r)} {f(cy)}a{f(r)} {f(r)} 0 1 0 {f(2 * r)} 0"
                f"a{f(r)} {f(r)} 0 1 0 {f(-2 * r)} 0Z")
    return circle(r_out) + circle(r_in)


def wedge(cx, cy, r, a0, a1):
    p0 = (cx + r * math.cos(math.radians(a0)), cy + r * math.sin(math.radians(a0)))
    p1 = (cx + r * math.cos(math.radians(a1)), cy + r * math.sin(math.radians(a1)))
    return f"M{f(cx)} {f(cy)}L{f(p0[0])} {f(p0[1])}A{f(r)} {f(r)} 0 0 1 {f(p1[0])} {f(p1[1])}Z"


def hub_radius(r):
    """The clear hub ends on a whole pixel so its ring stays crisp."""
    return round(r * 0.40)


def disc_markup(d, cx, cy, r, line=1.0, hole=None, sheen=0.55, hub=True):
    """The silver disc: face gradient lit from the top left, a faint prismatic sheen in
    two opposite wedges, the clear hub, a see-through hole and the thin rim. `line` is the
    width of the rim and hub lines in pixels; the radii scale with r."""
    hole = hole if hole is not None else round(r / 6 * 2) / 2
    hub_r = hub_radius(r)
    face = d.lin([(0, DISC_LIGHT), (0.5, "#DCE1E7"), (1, DISC_DARK)],
                 cx - r * 0.7, cy - r * 0.7, cx + r * 0.7, cy + r * 0.7)
    out = [f'<path fill-rule="evenodd" fill="{face}" d="{ring_path(cx, cy, r, hole)}"/>']
    cl = d.clip(f'<path clip-rule="evenodd" d="{ring_path(cx, cy, r - line, hub_r)}"/>')
    # Prismatic sheen: pale spectrum across a wedge toward the light, and its echo opposite.
    for axis, strength in ((-128, 1.0), (52, 0.75)):
        a0, a1 = axis - 24, axis + 24
        g = d.lin([(0, "#7FD8F0", 0), (0.25, "#8FE0F2", 0.55 * strength * sheen),
                   (0.5, "#FFFFFF", 0.95 * strength * sheen), (0.72, "#F4D98A", 0.55 * strength * sheen),
                   (1, "#E7A6E0", 0)],
                  cx + r * math.cos(math.radians(a0)), cy + r * math.sin(math.radians(a0)),
                  cx + r * math.cos(math.radians(a1)), cy + r * math.sin(math.radians(a1)))
        out.append(f'<path clip-path="{cl}" fill="{g}" d="{wedge(cx, cy, r * 1.2, a0, a1)}"/>')
    if hub:
        # The clear hub: slightly brighter, with a ring where the data area starts.
        hubfill = d.lin([(0, "#FFFFFF", 0.75), (1, "#C9D1DA", 0.6)],
                        cx - hub_r, cy - hub_r, cx + hub_r, cy + hub_r)
        out.append(f'<path fill-rule="evenodd" fill="{hubfill}" d="{ring_path(cx, cy, hub_r, hole)}"/>')
        out.append(f'<circle cx="{f(cx)}" cy="{f(cy)}" r="{f(hub_r - line / 2)}" fill="none" '
                   f'stroke="#A3AEBA" stroke-width="{f(line)}"/>')
    out.append(f'<circle cx="{f(cx)}" cy="{f(cy)}" r="{f(hole + line / 2)}" fill="none" '
               f'stroke="{DISC_RIM}" stroke-width="{f(line)}"/>')
    out.append(f'<circle cx="{f(cx)}" cy="{f(cy)}" r="{f(r - line / 2)}" fill="none" '
               f'stroke="{DISC_RIM}" stroke-width="{f(line)}"/>')
    return "".join(out)


# The disc of the 48-pixel pictures: one place, one size, upper left.
D48 = (21, 21, 18)


def disc48(d):
    d.shadowed(disc_markup(d, *D48))


# --- second objects of the 48-pixel pictures -----------------------------------------

def music_note(d):
    """Two beamed eighth notes, lower right."""
    fam = GREEN
    fill = vgrad(d, fam, 20, 44)
    heads = ('<ellipse cx="0" cy="0" rx="4.6" ry="3.4" transform="translate({x} {y}) rotate(-22)"/>')
    body = (f'<g transform="translate(0 -1)" fill="{fill}" stroke="{fam[2]}" stroke-width="1" stroke-linejoin="round">'
            # stems and beam as one outline so the joins stay clean
            f'<path d="M30.5 41V25.5L45.5 21.5V38H43.5V27L32.5 30V41Z"/>'
            + heads.format(x=28.5, y=41.5) + heads.format(x=41.5, y=38.5) +
            '</g>')
    d.shadowed(body)


def film(d):
    """A red-orange film frame with perforations and a play triangle."""
    fam = RED
    x0, y0, x1, y1 = 24, 25, 45, 44
    fill = vgrad(d, fam, y0, y1)
    holes = "".join(f'<rect x="{x}" y="{y}" width="2" height="2" rx="0.4"/>'
                    for x in (26, 31, 36, 41) for y in (y0 + 2, y1 - 4))
    body = (f'<rect x="{x0 + 0.5}" y="{y0 + 0.5}" width="{x1 - x0 - 1}" height="{y1 - y0 - 1}" rx="2.5" '
            f'fill="{fill}" stroke="{fam[2]}"/>'
            f'<g fill="#FFFFFF" fill-opacity="0.9">{holes}</g>'
            f'<path d="M31.5 29.5L39.5 34.5L31.5 39.5Z" fill="#FFFFFF" stroke="#FFFFFF" '
            f'stroke-width="1" stroke-linejoin="round"/>')
    d.shadowed(body)


def gear_path(cx, cy, r_out, r_in, teeth, tooth_frac=0.42, phase=0.0):
    pts = []
    step = 360 / teeth
    for i in range(teeth):
        a = phase + i * step
        half_top = step * tooth_frac / 2
        half_base = step * (tooth_frac + 0.16) / 2
        for ang, rr in ((a - half_base, r_in), (a - half_top, r_out), (a + half_top, r_out), (a + half_base, r_in)):
            pts.append((cx + rr * math.cos(math.radians(ang)), cy + rr * math.sin(math.radians(ang))))
    return "M" + "L".join(f"{f(x)} {f(y)}" for x, y in pts) + "Z"


def gear(d, cx=34, cy=34, r=10):
    fam = AMBER
    fill = vgrad(d, fam, cy - r, cy + r)
    hole = 3.5
    body = (f'<path fill-rule="evenodd" fill="{fill}" stroke="{fam[2]}" stroke-width="1" stroke-linejoin="round" '
            f'd="{gear_path(cx, cy, r, r - 3, 8, phase=22.5)}'
            f'M{f(cx - hole)} {f(cy)}a{f(hole)} {f(hole)} 0 1 0 {f(2 * hole)} 0a{f(hole)} {f(hole)} 0 1 0 {f(-2 * hole)} 0Z"/>'
            f'<circle cx="{cx}" cy="{cy}" r="{f(r - 5.5)}" fill="none" stroke="#FFFFFF" stroke-opacity="0.45"/>')
    d.shadowed(body)


def page(d, x0, y0, x1, y1, fam=None, ear=5):
    """A document sheet with a folded corner; white or in a colour family."""
    if fam is None:
        fill = d.lin([(0, "#FFFFFF"), (1, "#E3E8EE")], 0, y0, 0, y1)
        edge, earfill = DISC_RIM, "#D3DAE2"
    else:
        fill = vgrad(d, fam, y0, y1)
        edge, earfill = fam[2], fam[0]
    X0, Y0, X1, Y1 = x0 + 0.5, y0 + 0.5, x1 - 0.5, y1 - 0.5
    return (f'<path fill="{fill}" stroke="{edge}" stroke-linejoin="round" '
            f'd="M{f(X0)} {f(Y0)}H{f(X1 - ear)}L{f(X1)} {f(Y0 + ear)}V{f(Y1)}H{f(X0)}Z"/>'
            f'<path fill="{earfill}" stroke="{edge}" stroke-linejoin="round" '
            f'd="M{f(X1 - ear)} {f(Y0)}V{f(Y0 + ear)}H{f(X1)}"/>')


def bent_arrow(d, fam, flip=False):
    """An arrow that leaves the disc at the top and turns down into the object below."""
    fill = d.lin([(0, fam[0]), (1, fam[1])], 0, 5, 0, 24)
    p = ("M25.5 5.5H34A8.5 8.5 0 0 1 42.5 14V17.5H45.5L40 23.5L34.5 17.5H37.5V14"
         "A3.5 3.5 0 0 0 34 10.5H25.5Z")
    return f'<path d="{p}" fill="{fill}" stroke="{fam[2]}" stroke-linejoin="round"/>'


def wave_file(d):
    body = page(d, 26, 21, 45, 44)
    # a waveform of 2-pixel bars on whole pixels, the tall middle ones in the dark green
    cy = 33
    for x, h in ((29, 4), (32, 10), (35, 14), (38, 8), (41, 4)):
        body += (f'<rect x="{x}" y="{cy - h // 2}" width="2" height="{h}" '
                 f'fill="{GREEN[2] if h > 9 else GREEN[1]}"/>')
    return body


def image_file(d):
    """The disc image: a violet sheet carrying a white disc sign."""
    body = page(d, 26, 21, 45, 44, fam=VIOLET)
    body += ('<circle cx="35.5" cy="34.5" r="5.5" fill="none" stroke="#FFFFFF" stroke-width="2"/>'
             '<circle cx="35.5" cy="34.5" r="1.5" fill="#FFFFFF"/>')
    return body


def flame(d, x=38, y=3):
    """A flame rising at the disc's upper right."""
    outer = d.lin([(0, AMBER[0]), (0.45, RED[0]), (1, RED[1])], 0, y, 0, y + 18)
    inner = d.lin([(0, "#FFF3C4"), (1, AMBER[1])], 0, y + 7, 0, y + 18)
    return (f'<path transform="translate({x} {y})" fill="{outer}" stroke="{RED[2]}" stroke-linejoin="round" '
            f'd="M0.5 0.5C3.5 4 7.5 6.5 7.5 11.5C7.5 15.5 4.5 18.5 0.5 18.5C-3.5 18.5 -6.5 15.5 -6.5 12'
            f'C-6.5 9 -4.5 7.5 -3.5 5.5C-2.5 7.5 -2 9 -1 9.5C0.5 7 1.5 4 0.5 0.5Z"/>'
            f'<path transform="translate({x} {y})" fill="{inner}" '
            f'd="M0.5 8C2.5 10.5 4 12 4 14C4 16 2.5 17 0.5 17C-1.5 17 -3 16 -3 14.2C-3 12.8 -2 12 -1.5 11'
            f'C-1 12 -0.5 12.5 0 12.5C0.8 11 1 9.5 0.5 8Z"/>')


def folder_behind(d):
    """Folder with a document, standing behind the disc toward the right."""
    fam = AMBER
    back = d.lin([(0, fam[1]), (1, fam[2])], 0, 6, 0, 44)
    front = d.lin([(0, fam[0]), (0.6, fam[1]), (1, "#DDA02A")], 0, 16, 0, 45)
    s = (f'<path fill="{back}" stroke="{fam[2]}" stroke-linejoin="round" '
         f'd="M14.5 10.5H30.5L33.5 7.5H43.5A1 1 0 0 1 44.5 8.5V42.5H14.5Z"/>')
    s += page(d, 28, 3, 44, 28, ear=5)
    s += "".join(f'<rect x="{x}" y="{y}" width="{w}" height="1" fill="{BLUE[1]}"/>'
                 for x, y, w in ((31, 7, 6), (31, 10, 10), (31, 13, 10), (31, 16, 7)))
    s += (f'<path fill="{front}" stroke="{fam[2]}" stroke-linejoin="round" '
          f'd="M12.5 17.5H45.5L44.5 43.5H13.5Z"/>'
          f'<path d="M13.5 18.5H44.5" stroke="#FFFFFF" stroke-opacity="0.6"/>')
    d.shadowed(s)


def eraser(d):
    """A tilted eraser at the disc's lower right; the half it has passed is wiped clean,
    the other half still carries the tinted recording band."""
    cx, cy, r = D48
    kept = d.clip(f'<path d="M{cx - 30} {cy + 30}L{cx + 30} {cy - 30}V{cy - 40}H{cx - 30}Z"/>')
    wiped = d.clip(f'<path d="M{cx - 30} {cy + 30}L{cx + 30} {cy - 30}V{cy + 40}H{cx - 30}Z"/>')
    band = d.lin([(0, "#7E95C9"), (1, "#9B86C9")], cx - r, cy - r, cx, cy)
    d.add(f'<path clip-path="{kept}" fill-rule="evenodd" fill="{band}" fill-opacity="0.38" '
          f'd="{ring_path(cx, cy, r - 2.5, hub_radius(r) + 1)}"/>')
    wipe = d.lin([(0, "#FFFFFF"), (1, "#E6EAEF")], 0, cy - 4, 0, cy + r)
    d.add(f'<g clip-path="{wiped}"><path fill-rule="evenodd" fill="{wipe}" d="{ring_path(cx, cy, r - 1, hub_radius(r))}"/></g>')
    sleeve = d.lin([(0, RED[0]), (1, RED[1])], 0, -1, 0, 9)
    tip = d.lin([(0, "#FFF1EC"), (1, "#F2C9BD")], 0, -9, 0, -1)
    body = (f'<g transform="translate(35 34) rotate(-45)">'
            f'<path d="M-4.5 -1.5V-7.5A1 1 0 0 1 -3.5 -8.5H3.5A1 1 0 0 1 4.5 -7.5V-1.5Z" fill="{tip}" stroke="#C48A7A"/>'
            f'<path d="M-4.5 -1.5H4.5V7.5A1 1 0 0 1 3.5 8.5H-3.5A1 1 0 0 1 -4.5 7.5Z" fill="{sleeve}" stroke="{RED[2]}"/>'
            f'</g>')
    d.shadowed(body)


def info_badge(d, cx, cy, r):
    fill = vgrad(d, BLUE, cy - r, cy + r)
    return (f'<circle cx="{f(cx)}" cy="{f(cy)}" r="{f(r - 0.5)}" fill="{fill}" stroke="{BLUE[2]}"/>'
            f'<rect x="{f(cx - 1)}" y="{f(cy - 1.5)}" width="2" height="6" fill="#FFFFFF"/>'
            f'<rect x="{f(cx - 1)}" y="{f(cy - 5)}" width="2" height="2" fill="#FFFFFF"/>')


def drive(d):
    """An optical drive seen slightly from above, tray open with the disc on it."""
    top = d.lin([(0, "#E9EDF1"), (1, "#C7CFD7")], 0, 5, 0, 14)
    front = vgrad(d, SLATE, 14, 24)
    s = (f'<path fill="{top}" stroke="{SLATE[1]}" stroke-linejoin="round" d="M6.5 5.5H41.5L44.5 13.5H3.5Z"/>'
         f'<rect x="3.5" y="13.5" width="41" height="10" rx="1" fill="{front}" stroke="{SLATE[2]}"/>'
         f'<rect x="38" y="20" width="3" height="1.5" fill="{GREEN[0]}"/>')
    tray = d.lin([(0, "#AEB8C3"), (1, "#D9DFE5")], 0, 18, 0, 42)
    s += (f'<path fill="{tray}" stroke="{SLATE[1]}" stroke-linejoin="round" d="M7.5 18.5H35.5L39.5 41.5H3.5Z"/>'
          f'<rect x="3.5" y="41.5" width="36" height="2" fill="{SLATE[1]}" stroke="{SLATE[2]}"/>')
    d.shadowed(s)
    # the disc lying on the tray: the shared disc, squeezed to the tray's angle
    cx, cy = 21.5, 30
    g = disc_markup(d, 0, 0, 18)
    d.add(f'<g transform="translate({cx} {cy}) scale(0.95 0.5)">{g}</g>')
    d.shadowed(info_badge(d, 38, 37, 8))


def category(name, extra):
    d = Doc(48, 48)
    if name == "data":
        extra(d)
        disc48(d)
    else:
        disc48(d)
        extra(d)
    return d


def pictures():
    pics = {}
    pics["category-data"] = category("data", folder_behind)
    pics["category-music"] = category("music", music_note)
    pics["category-video"] = category("video", film)
    pics["category-tools"] = category("tools", gear)

    d = Doc(48, 48)
    disc48(d)
    d.shadowed(bent_arrow(d, GREEN) + wave_file(d))
    pics["task-grab-audio"] = d

    d = Doc(48, 48)
    disc48(d)
    eraser(d)
    pics["task-disc-eraser"] = d

    d = Doc(48, 48)
    drive(d)
    pics["task-device-info"] = d

    d = Doc(48, 48)
    disc48(d)
    d.shadowed(flame(d))
    d.shadowed(image_file(d))
    pics["task-iso-burner"] = d

    d = Doc(48, 48)
    disc48(d)
    d.shadowed(bent_arrow(d, BLUE) + image_file(d))
    pics["task-iso-grabber"] = d

    pics["glyph-help"] = glyph_help()
    pics["glyph-ok"] = glyph_ok()
    pics["leftlogo"] = logo()
    for size in (16, 24, 32, 48, 64, 128, 256):
        pics[f"app-{size}"] = app_icon(size)
    return pics


# --- 32-pixel glyphs ---------------------------------------------------------------

def badge(d, fam, cx=16, cy=15, r=13):
    fill = vgrad(d, fam, cy - r, cy + r)
    shine = d.lin([(0, "#FFFFFF", 0.55), (1, "#FFFFFF", 0)], 0, cy - r, 0, cy)
    return (f'<circle cx="{f(cx)}" cy="{f(cy)}" r="{f(r - 0.5)}" fill="{fill}" stroke="{fam[2]}"/>'
            f'<ellipse cx="{f(cx)}" cy="{f(cy - r * 0.45)}" rx="{f(r * 0.72)}" ry="{f(r * 0.45)}" fill="{shine}"/>')


def glyph_help():
    d = Doc(32, 32)
    s = badge(d, BLUE)
    s += ('<path d="M11.5 11.5C11.5 8.5 13.5 7 16 7C18.5 7 20.5 8.5 20.5 11C20.5 14 16 14.3 16 18" '
          'fill="none" stroke="#FFFFFF" stroke-width="3.2" stroke-linecap="round" stroke-linejoin="round"/>'
          '<rect x="14" y="20" width="4" height="4" rx="1" fill="#FFFFFF"/>')
    d.shadowed(s)
    return d


def glyph_ok():
    d = Doc(32, 32)
    s = badge(d, GREEN)
    s += ('<path d="M9.5 15.5L14 20L22.5 10.5" fill="none" stroke="#FFFFFF" stroke-width="3.4" '
          'stroke-linecap="round" stroke-linejoin="round"/>')
    d.shadowed(s)
    return d


# --- application icon ----------------------------------------------------------------

def app_icon(size):
    if size == 16:
        return app_16()
    if size == 24:
        return app_24()
    m = max(2, round(size / 24))
    blur, dy = max(1.0, size / 64), max(1.0, size / 64)
    d = Doc(size, size, blur=blur, dy=dy, margin=m)
    r = math.floor((size - 2 * m - dy - 2 * blur) / 2)  # whole pixels keep the rim crisp
    line = 1 if size < 96 else (1.5 if size < 200 else 2)
    d.shadowed(disc_markup(d, size / 2, m + r, r, line=line, hole=round(r / 6 * 2) / 2, sheen=0.75))
    return d


def app_16():
    """16 px: the disc redrawn on the pixel grid; rim, hole and one highlight only."""
    d = Doc(16, 16, blur=0.5, dy=0.6, margin=1)
    face = d.lin([(0, DISC_LIGHT), (1, "#AEB8C3")], 3, 3, 13, 13)
    cl = d.clip(f'<path clip-rule="evenodd" d="{ring_path(8, 8, 6, 2)}"/>')
    s = (f'<path fill-rule="evenodd" fill="{face}" d="{ring_path(8, 8, 7, 1)}"/>'
         f'<path clip-path="{cl}" fill="#FFFFFF" d="{wedge(8, 8, 7, -155, -115)}"/>'
         f'<circle cx="8" cy="8" r="1.5" fill="none" stroke="{DISC_RIM}"/>'
         f'<circle cx="8" cy="8" r="6.5" fill="none" stroke="{DISC_RIM}"/>')
    d.shadowed(s)
    return d


def app_24():
    """24 px: as at 16, with the hub ring back."""
    d = Doc(24, 24, blur=0.7, dy=1, margin=1)
    face = d.lin([(0, DISC_LIGHT), (0.5, "#DCE1E7"), (1, DISC_DARK)], 5, 5, 19, 19)
    cl = d.clip(f'<path clip-rule="evenodd" d="{ring_path(12, 12, 9, 5)}"/>')
    s = (f'<path fill-rule="evenodd" fill="{face}" d="{ring_path(12, 12, 10, 2)}"/>'
         f'<path clip-path="{cl}" fill="#FFFFFF" fill-opacity="0.95" d="{wedge(12, 12, 10, -150, -110)}"/>'
         f'<path clip-path="{cl}" fill="#A8E0EE" fill-opacity="0.4" d="{wedge(12, 12, 10, 35, 65)}"/>'
         f'<circle cx="12" cy="12" r="4.5" fill="none" stroke="#A3AEBA"/>'
         f'<circle cx="12" cy="12" r="2.5" fill="none" stroke="{DISC_RIM}"/>'
         f'<circle cx="12" cy="12" r="9.5" fill="none" stroke="{DISC_RIM}"/>')
    d.shadowed(s)
    return d


# --- About logo ------------------------------------------------------------------------

def logo():
    """A tall banner: the disc standing in soft light on a glossy floor, mirrored below.
    Exactly the size of the About panel's picture area."""
    W, H = 171, 238
    d = Doc(W, H, blur=2.5, dy=2, margin=0)
    cx, cy, r = 85.5, 86.5, 70
    floor = cy + r + 2
    h = floor / H
    sky = d.lin([(0, "#FFFFFF"), (h - 0.01, "#EBF2FA"), (h, "#DFE9F6"), (1, "#F6F9FD")], 0, 0, 0, H)
    d.add(f'<rect width="{W}" height="{H}" fill="{sky}"/>')
    glow = d.rad([(0, "#FFFFFF", 1), (1, "#FFFFFF", 0)], 40, 30, 120)
    d.add(f'<rect width="{W}" height="{H}" fill="{glow}"/>')
    # contact shadow where the disc meets the floor
    d.defs.append('<filter id="soft" x="-50%" y="-50%" width="200%" height="200%"><feGaussianBlur stdDeviation="3"/></filter>')
    d.add(f'<ellipse cx="{f(cx)}" cy="{f(floor)}" rx="{f(r * 0.55)}" ry="3" fill="#2A3A50" opacity="0.30" filter="url(#soft)"/>')
    disc = disc_markup(d, cx, cy, r, line=1.5, hole=10.5, sheen=0.9)
    fade = d.lin([(0, "#FFFFFF", 0.42), (0.6, "#FFFFFF", 0)], 0, floor, 0, H)
    d.defs.append(f'<mask id="fade" maskUnits="userSpaceOnUse" x="0" y="0" width="{W}" height="{H}">'
                  f'<rect x="0" y="{f(floor)}" width="{W}" height="{f(H - floor)}" fill="{fade}"/></mask>')
    d.add(f'<g mask="url(#fade)"><g transform="translate(0 {f(2 * floor)}) scale(1 -1)">{disc}</g></g>')
    d.shadowed(disc)
    return d


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, doc in pictures().items():
        with open(os.path.join(OUT, name + ".svg"), "w") as fh:
            fh.write(doc.svg())
    return 0


if __name__ == "__main__":
    sys.exit(main())
