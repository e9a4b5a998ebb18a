"""Pieces of the played building: the plate kinds, bumpers, turret, warp,
basket, pigeons, the shooter's beam and fish, the facades that scroll behind
the plates, more skies and far cities, and the level-select map.

Plate pictures are centred on the plate's own origin: the slots sit where the
kinds lay them out for the radii the plate files use (see data/objects)."""
import math
import random

import palette as P
import render
import scene
import svg

STROKE = 3
# Picture sizes the trick generator lays its bounces and catches out by.
RECT_BUMPER = (120, 26)
TRI_BUMPER = (64, 56)
BASKET = (130, 92)
BASKET_OPENING = (118, 22)


def plate_defs():
    return (svg.radial("m", [(0, "#FFFDF6"), (0.6, P.STONE_LIGHT), (1, P.STONE)], 0.4, 0.35, 0.75) +
            svg.linear("rim", [(0, P.BRASS_LIGHT), (0.5, P.BRASS), (1, P.BRASS_DARK)], 0, 0, 1, 1) +
            svg.linear("terr", [(0, P.mix(P.TERRACOTTA, "#FFFFFF", 0.2)), (1, P.ROOF)]) +
            svg.linear("teal", [(0, P.mix(P.SHUTTER, "#FFFFFF", 0.25)), (1, P.mix(P.SHUTTER, P.INK, 0.3))]) +
            svg.blur_filter("soft", 3))


def shaped(d, fill="url(#m)", rim=True, shadow=True):
    """One outline drawn as a plate: soft shadow, brass rim, marble face, ink edge."""
    out = ""
    if shadow:
        out += '<path d="%s" transform="translate(3 5)" fill="#000000" fill-opacity="0.3" filter="url(#soft)"/>' % d
    if rim:
        out += '<path d="%s" fill="none" stroke="%s" stroke-width="12" stroke-linejoin="round"/>' % (d, P.INK)
        out += '<path d="%s" fill="none" stroke="url(#rim)" stroke-width="7" stroke-linejoin="round"/>' % d
    out += '<path d="%s" fill="%s" stroke="%s" stroke-width="%g" stroke-linejoin="round"/>' % (
        d, fill, P.BRASS_DARK if rim else P.INK, 1.5 if rim else STROKE)
    return out


def veins(cx, cy, spread, seed, n=6):
    rnd = random.Random(seed)
    out = ""
    for _ in range(n):
        x, y = cx + rnd.uniform(-spread, spread), cy + rnd.uniform(-spread / 3, spread / 3)
        out += '<path d="M%.1f %.1f q%.1f %.1f %.1f %.1f" fill="none" stroke="%s" stroke-opacity="0.3" stroke-width="1.2"/>' % (
            x, y, rnd.uniform(-15, 15), rnd.uniform(-10, 10), rnd.uniform(-25, 25), rnd.uniform(-12, 12), P.STONE_DARK)
    return out


def rivet(x, y, r=4):
    return '<circle cx="%g" cy="%g" r="%g" fill="%s" stroke="%s" stroke-width="1.5"/>' % (x, y, r, P.BRASS_LIGHT, P.INK)


def poly(points):
    return "M" + " L".join("%.1f %.1f" % p for p in points) + " Z"


def rounded_path(x, y, w, h, r):
    return ("M%g %g h%g a%g %g 0 0 1 %g %g v%g a%g %g 0 0 1 %g %g h%g a%g %g 0 0 1 %g %g v%g a%g %g 0 0 1 %g %g Z" % (
        x + r, y, w - 2 * r, r, r, r, r, h - 2 * r, r, r, -r, r, -(w - 2 * r), r, r, -r, -r, -(h - 2 * r), r, r, r, -r))


def plate_doc(w, h, body):
    return svg.doc(w, h, body, plate_defs())


def round_small(size=128):
    c = size / 2.0
    body = '<circle cx="%g" cy="%g" r="%g" fill="#000000" fill-opacity="0.3" filter="url(#soft)"/>' % (c + 3, c + 4, c - 8)
    body += '<circle cx="%g" cy="%g" r="%g" fill="url(#rim)" stroke="%s" stroke-width="3"/>' % (c, c, c - 6, P.INK)
    body += '<circle cx="%g" cy="%g" r="%g" fill="url(#m)" stroke="%s" stroke-width="2"/>' % (c, c, c - 13, P.BRASS_DARK)
    body += veins(c, c, 30, 5)
    body += '<circle cx="%g" cy="%g" r="9" fill="%s" stroke="%s" stroke-width="2"/>' % (c, c, P.BRASS, P.INK)
    return plate_doc(size, size, body)


def semicircle(r=70):
    # Slots hang on the lower arc (30..150 degrees); the picture keeps the plate origin at its centre.
    w, h = 2 * r + 70, 2 * r + 70
    cx, cy = w / 2.0, h / 2.0
    R = r + 30
    d = "M%g %g A%g %g 0 0 0 %g %g L%g %g A%g %g 0 0 1 %g %g Z" % (
        cx - R, cy - 8, R, R, cx + R, cy - 8, cx + R - 46, cy - 8, R - 46, R - 46, cx - R + 46, cy - 8)
    body = shaped(d) + veins(cx, cy + 50, 50, 11)
    body += '<path d="M%g %g v-%g" stroke="%s" stroke-width="6" stroke-linecap="round"/>' % (cx, cy - 8, 0, P.INK)
    body += '<circle cx="%g" cy="%g" r="10" fill="url(#rim)" stroke="%s" stroke-width="2.5"/>' % (cx, cy - 8, P.INK)
    return plate_doc(w, h, body)


def a_plate(r=48, n=5):
    # Peak: slots at x = (i - n/2) r, y = |i - n/2| r - r. At r 48 a treasure passes between
    # two full neighbours to the slot above them (40 shut it off for good).
    half = n // 2
    w = int(2 * half * r + 90)
    h = int(2 * (r * half - r) + 120) if half > 1 else 160
    h = max(h, 170)
    cx, cy = w / 2.0, h / 2.0
    top = cy - r - 22
    pts = [(cx - half * r - 34, cy + (half - 1) * r + 20), (cx, top - 20), (cx + half * r + 34, cy + (half - 1) * r + 20),
           (cx + half * r + 6, cy + (half - 1) * r + 36), (cx, top + 18), (cx - half * r - 6, cy + (half - 1) * r + 36)]
    body = shaped(poly(pts), "url(#terr)") + rivet(cx, top - 4)
    return plate_doc(w, h, body)


def x_plate(r=40):
    s = int(4 * r + 76)
    c = s / 2.0
    a = 2 * r + 22
    t = 20
    pts = [(c - a, c - a + t), (c - a + t, c - a), (c, c - t * 1.4), (c + a - t, c - a), (c + a, c - a + t), (c + t * 1.4, c),
           (c + a, c + a - t), (c + a - t, c + a), (c, c + t * 1.4), (c - a + t, c + a), (c - a, c + a - t), (c - t * 1.4, c)]
    body = shaped(poly(pts), "url(#teal)") + rivet(c, c, 7)
    return plate_doc(s, s, body)


def stick(r=60, n=4, name_seed=21):
    # Row at y 0: x = i r - r (n/2), plus r from the middle on: the middle is open.
    half = n // 2
    xs = [i * r - r * half + (r if i >= half else 0) for i in range(n)]
    span = max(abs(x) for x in xs) + 40
    w, h = int(2 * span + 20), 80
    cx, cy = w / 2.0, h / 2.0
    d = rounded_path(cx - span, cy - 17, 2 * span, 34, 17)
    body = shaped(d) + veins(cx, cy, span * 0.8, name_seed, 5)
    body += rivet(cx, cy, 6)
    return plate_doc(w, h, body)


def block(size=96):
    c = size / 2.0
    d = rounded_path(10, 10, size - 20, size - 20, 10)
    body = shaped(d, "url(#terr)")
    body += '<path d="M22 %g h%g M%g 22 v%g" stroke="%s" stroke-opacity="0.45" stroke-width="2"/>' % (c, size - 44, c, size - 44, P.INK)
    return plate_doc(size, size, body)


def triangle(r=52):
    s = int(2 * r + 90)
    c = s / 2.0
    R = r + 34
    pts = [(c + R * math.cos(math.radians(a)), c + R * math.sin(math.radians(a))) for a in (-90, 30, 150)]
    body = shaped(poly(pts)) + veins(c, c + 10, 30, 31, 4) + rivet(c, c, 6)
    return plate_doc(s, s, body)


def t_plate(r=50, n=3):
    # A hanging T: the pivot at the origin, the bar with its slots at y = 2r - 8.
    half = n // 2
    bar_y = 2 * r - 8
    span = half * r + 46
    w = int(2 * span + 20)
    h = int(2 * (bar_y + 40))
    cx, cy = w / 2.0, h / 2.0
    stem = rounded_path(cx - 9, cy - 14, 18, bar_y + 14, 8)
    bar = rounded_path(cx - span, cy + bar_y - 24, 2 * span, 48, 22)
    body = shaped(stem, "url(#rim)", rim=False) + shaped(bar) + veins(cx, cy + bar_y, span * 0.7, 41, 4)
    body += '<circle cx="%g" cy="%g" r="12" fill="url(#rim)" stroke="%s" stroke-width="3"/>' % (cx, cy, P.INK)
    return plate_doc(w, h, body)


def tosser(r=60):
    # A see-saw cup: the empty slot in the cup at (0, -14), the loaded ones above it at y -73.
    w, h = 200, 220
    cx, cy = w / 2.0, h / 2.0
    cup = "M%g %g C%g %g %g %g %g %g C%g %g %g %g %g %g Z" % (
        cx - 58, cy - 40, cx - 50, cy + 30, cx + 50, cy + 30, cx + 58, cy - 40, cx + 40, cy - 28, cx - 40, cy - 28, cx - 58, cy - 40)
    body = shaped(cup, "url(#teal)")
    body += '<path d="M%g %g L%g %g L%g %g Z" fill="url(#rim)" stroke="%s" stroke-width="3" stroke-linejoin="round"/>' % (
        cx - 24, cy + 60, cx, cy + 18, cx + 24, cy + 60, P.INK)
    body += '<path d="M%g %g h%g" stroke="%s" stroke-width="8" stroke-linecap="round"/>' % (cx - 70, cy - 100 + 60, 140, P.INK)
    body += '<path d="M%g %g h%g" stroke="%s" stroke-width="4" stroke-linecap="round"/>' % (cx - 70, cy - 100 + 60, 140, P.BRASS_LIGHT)
    return plate_doc(w, h, body)


def key_plate(size=110):
    c = size / 2.0
    d = "M%g 12 L%g 12 L%g %g L%g %g Z" % (c - 34, c + 34, c + 46, size - 14, c - 46, size - 14)
    body = shaped(d, "url(#rim)")
    body += '<circle cx="%g" cy="%g" r="9" fill="%s"/><path d="M%g %g l-6 22 h12 Z" fill="%s"/>' % (c, c - 18, P.INK, c, c - 16, P.INK)
    return plate_doc(size, size, body)


def spinner(r=60):
    w, h = int(2 * r + 80), 90
    cx, cy = w / 2.0, h / 2.0
    d = ("M%g %g C%g %g %g %g %g %g C%g %g %g %g %g %g C%g %g %g %g %g %g C%g %g %g %g %g %g Z" % (
        cx - r - 34, cy, cx - r - 34, cy - 34, cx - 20, cy - 16, cx, cy - 12,
        cx + 20, cy - 16, cx + r + 34, cy - 34, cx + r + 34, cy,
        cx + r + 34, cy + 34, cx + 20, cy + 16, cx, cy + 12,
        cx - 20, cy + 16, cx - r - 34, cy + 34, cx - r - 34, cy))
    body = shaped(d, "url(#teal)")
    body += '<circle cx="%g" cy="%g" r="13" fill="url(#rim)" stroke="%s" stroke-width="3"/>' % (cx, cy, P.INK)
    return plate_doc(w, h, body)


def step(r=50, n=3):
    # Stairs down to the left: x = -(i - 1)|r|, y = (i - 1) r / 1.7; one tread under each slot.
    dy = r / 1.7
    w = int(2 * r + 110)
    h = int(2 * dy + 110)
    cx, cy = w / 2.0, h / 2.0
    body = ""
    for i in range(n - 1, -1, -1):
        sx = cx - (i - 1) * r
        sy = cy + (i - 1) * dy
        body += shaped(rounded_path(sx - 36, sy - 30, 72, 60 + (n - 1 - i) * 6, 12), "url(#terr)" if i % 2 else "url(#m)")
    return plate_doc(w, h, body)


def square(r=55):
    s = int(2 * r + 80)
    c = s / 2.0
    a = r + 30
    outer = rounded_path(c - a, c - a, 2 * a, 2 * a, 16)
    inner = rounded_path(c - a + 48, c - a + 48, 2 * a - 96, 2 * a - 96, 8)
    # The hole shows through: every layer of the outline is filled even-odd.
    body = shaped(outer + " " + inner).replace("<path ", '<path fill-rule="evenodd" ')
    return plate_doc(s, s, body)


def m_plate():
    # Eight places: (+-32, -11), (+-74, -22), (+-133, 36), (+-103, 7).
    w, h = 340, 160
    cx, cy = w / 2.0, h / 2.0
    pts = [(-160, 60), (-150, 10), (-118, -14), (-80, -44), (-40, -30), (0, -16), (40, -30), (80, -44), (118, -14), (150, 10),
           (160, 60), (120, 60), (100, 30), (70, 8), (32, 14), (0, 20), (-32, 14), (-70, 8), (-100, 30), (-120, 60)]
    body = shaped(poly([(cx + x, cy + y) for x, y in pts]), "url(#teal)")
    return plate_doc(w, h, body)


# ---- obstacles -------------------------------------------------------------

def obstacle_defs():
    return (plate_defs() + svg.radial("ball", [(0, "#FFF3C8"), (0.45, P.BRASS_LIGHT), (1, P.BRASS_DARK)], 0.38, 0.32, 0.7) +
            svg.linear("iron", [(0, "#5A6378"), (1, P.INK)], 0, 0, 1, 0))


def rect_bumper(w=RECT_BUMPER[0], h=RECT_BUMPER[1]):
    d = rounded_path(3, 3, w - 6, h - 6, (h - 6) / 2.0)
    body = '<path d="%s" fill="url(#rim)" stroke="%s" stroke-width="3"/>' % (d, P.INK)
    body += '<path d="M%g %g h%g" stroke="#FFFFFF" stroke-opacity="0.55" stroke-width="3" stroke-linecap="round"/>' % (h / 2.0, 9, w - h)
    for x in (h / 2.0, w - h / 2.0):
        body += rivet(x, h / 2.0, 4)
    return svg.doc(w, h, body, obstacle_defs())


def round_bumper(s=52):
    c = s / 2.0
    body = '<circle cx="%g" cy="%g" r="%g" fill="url(#ball)" stroke="%s" stroke-width="3"/>' % (c, c, c - 3, P.INK)
    body += '<circle cx="%g" cy="%g" r="%g" fill="none" stroke="%s" stroke-width="2" stroke-opacity="0.6"/>' % (c, c, c - 11, P.BRASS_DARK)
    body += '<ellipse cx="%g" cy="%g" rx="7" ry="4" fill="#FFFFFF" fill-opacity="0.7"/>' % (c - 8, c - 11)
    return svg.doc(s, s, body, obstacle_defs())


def tri_bumper(w=TRI_BUMPER[0], h=TRI_BUMPER[1]):
    # Point downwards, as the bounce edges are laid out.
    d = poly([(4, 4), (w - 4, 4), (w / 2.0, h - 4)])
    body = '<path d="%s" fill="url(#rim)" stroke="%s" stroke-width="3" stroke-linejoin="round"/>' % (d, P.INK)
    body += '<path d="M12 10 H%g" stroke="#FFFFFF" stroke-opacity="0.5" stroke-width="3" stroke-linecap="round"/>' % (w - 12)
    body += rivet(w / 2.0, 20, 4)
    return svg.doc(w, h, body, obstacle_defs())


def turret(s=72):
    c = s / 2.0
    body = '<circle cx="%g" cy="%g" r="%g" fill="#000000" fill-opacity="0.3" filter="url(#soft)"/>' % (c + 2, c + 4, c - 8)
    body += '<circle cx="%g" cy="%g" r="%g" fill="url(#teal)" stroke="%s" stroke-width="3"/>' % (c, c, c - 6, P.INK)
    for k in range(8):
        a = math.radians(k * 45)
        body += rivet(c + (c - 13) * math.cos(a), c + (c - 13) * math.sin(a), 3)
    return svg.doc(s, s, body, obstacle_defs())


def turret_barrel(w=30, h=64):
    # Points up at rotation 0; turns about its centre on the turret.
    d = rounded_path(6, 4, w - 12, h - 8, 6)
    body = '<path d="%s" fill="url(#iron)" stroke="%s" stroke-width="3"/>' % (d, P.INK)
    body += '<path d="M5 %g h%g M5 %g h%g" stroke="%s" stroke-width="4"/>' % (h * 0.55, w - 10, h * 0.75, w - 10, P.BRASS)
    return svg.doc(w, h, body, obstacle_defs())


def turret_muzzle(w=36, h=18):
    d = rounded_path(2, 2, w - 4, h - 4, 5)
    body = '<path d="%s" fill="url(#rim)" stroke="%s" stroke-width="3"/>' % (d, P.INK)
    return svg.doc(w, h, body, obstacle_defs())


def warp(s=72):
    c = s / 2.0
    defs = svg.radial("vortex", [(0, "#FFFFFF"), (0.35, P.SEA_LIGHT), (0.8, P.mix(P.SEA, "#6A4FB0", 0.5)), (1, P.INK)])
    body = '<circle cx="%g" cy="%g" r="%g" fill="url(#vortex)" stroke="%s" stroke-width="3"/>' % (c, c, c - 3, P.INK)
    for k in range(5):
        a = k * 72
        body += ('<path d="M%g %g q14 -6 22 6" transform="rotate(%d %g %g)" fill="none" stroke="%s" stroke-width="3" '
                 'stroke-linecap="round" stroke-opacity="0.8"/>' % (c + 4, c - 14, a, c, c, P.FOAM))
    return svg.doc(s, s, body, defs)


def basket(w=BASKET[0], h=BASKET[1]):
    defs = (svg.linear("wick", [(0, P.mix(P.STONE, P.BRASS, 0.4)), (1, P.STONE_DARK)]) + svg.blur_filter("soft", 2))
    d = "M6 10 L%g 10 L%g %g Q%g %g %g %g Z" % (w - 6, w - 20, h - 8, w / 2.0, h + 2, 20, h - 8)
    body = '<path d="%s" fill="url(#wick)" stroke="%s" stroke-width="3" stroke-linejoin="round"/>' % (d, P.INK)
    for y in range(22, h - 8, 12):
        body += '<path d="M%g %g Q%g %g %g %g" fill="none" stroke="%s" stroke-opacity="0.5" stroke-width="2"/>' % (
            10 + (y - 10) * 0.2, y, w / 2.0, y + 6, w - 10 - (y - 10) * 0.2, y, P.BRASS_DARK)
    for x in range(24, w - 20, 16):
        body += '<path d="M%g 12 L%g %g" stroke="%s" stroke-opacity="0.35" stroke-width="2"/>' % (x, w / 2.0 + (x - w / 2.0) * 0.8, h - 6, P.BRASS_DARK)
    return svg.doc(w, h, body, defs)


def basket_opening(w=BASKET_OPENING[0], h=BASKET_OPENING[1]):
    body = '<ellipse cx="%g" cy="%g" rx="%g" ry="%g" fill="%s" stroke="%s" stroke-width="3"/>' % (
        w / 2.0, h / 2.0, w / 2.0 - 3, h / 2.0 - 3, P.mix(P.INK, P.STONE_DARK, 0.3), P.INK)
    body += '<ellipse cx="%g" cy="%g" rx="%g" ry="%g" fill="none" stroke="%s" stroke-width="2"/>' % (
        w / 2.0, h / 2.0, w / 2.0 - 6, h / 2.0 - 6, P.BRASS)
    return svg.doc(w, h, body)


def pigeon(flying):
    w, h = (56, 40) if flying else (40, 36)
    grey, dark = "#C9CBD6", "#8C90A3"
    if flying:
        body = '<path d="M6 22 Q18 2 30 16 Q40 2 52 8 Q44 22 34 24 Q22 30 6 22 Z" fill="%s" stroke="%s" stroke-width="2.2" stroke-linejoin="round"/>' % (grey, P.INK)
        body += '<circle cx="46" cy="18" r="6" fill="%s" stroke="%s" stroke-width="2"/>' % (grey, P.INK)
        body += '<path d="M51 18 l5 2 l-5 2 Z" fill="%s" stroke="%s" stroke-width="1"/>' % (P.BRASS, P.INK)
        body += '<circle cx="47" cy="16.5" r="1.3" fill="%s"/>' % P.INK
        body += '<path d="M12 12 Q20 4 26 12" fill="none" stroke="%s" stroke-width="2"/>' % dark
    else:
        body = '<path d="M6 22 Q8 10 22 12 Q30 6 34 12 Q36 20 28 26 Q18 32 6 22 Z" fill="%s" stroke="%s" stroke-width="2.2" stroke-linejoin="round"/>' % (grey, P.INK)
        body += '<circle cx="30" cy="11" r="6" fill="%s" stroke="%s" stroke-width="2"/>' % (grey, P.INK)
        body += '<path d="M35 11 l5 2 l-5 2 Z" fill="%s" stroke="%s" stroke-width="1"/>' % (P.BRASS, P.INK)
        body += '<circle cx="31" cy="9.5" r="1.3" fill="%s"/>' % P.INK
        body += '<path d="M10 20 Q18 16 24 22" fill="none" stroke="%s" stroke-width="2"/>' % dark
        body += '<path d="M18 28 v5 M23 27 v6" stroke="%s" stroke-width="2" stroke-linecap="round"/>' % P.ALERT
    return svg.doc(w, h, body)


def beam(w=40, h=128):
    """A soft vertical shaft, white so the code can tint it with the ready treasure's colour."""
    defs = (svg.linear("shaft", [(0, "#FFFFFF", 0.0), (0.35, "#FFFFFF", 0.55), (0.5, "#FFFFFF", 0.9), (0.65, "#FFFFFF", 0.55), (1, "#FFFFFF", 0.0)], 0, 0, 1, 0) +
            svg.linear("fade", [(0, "#FFFFFF", 0.2), (1, "#FFFFFF", 1.0)]))
    body = '<mask id="mk"><rect width="%d" height="%d" fill="url(#fade)"/></mask>' % (w, h)
    body += '<rect width="%d" height="%d" fill="url(#shaft)" mask="url(#mk)"/>' % (w, h)
    return svg.doc(w, h, body, defs)


def fish(w=44, h=26):
    body = '<path d="M4 13 Q16 0 30 9 L40 3 L38 13 L40 23 L30 17 Q16 26 4 13 Z" fill="%s" stroke="%s" stroke-width="2.2" stroke-linejoin="round"/>' % (P.ALERT, P.INK)
    body += '<path d="M14 8 Q18 13 14 18" fill="none" stroke="%s" stroke-width="1.6"/>' % P.INK
    body += '<circle cx="9" cy="11" r="1.6" fill="%s"/>' % P.INK
    body += '<path d="M20 9 q4 4 0 8" fill="none" stroke="%s" stroke-width="1.4" stroke-opacity="0.8"/>' % P.SUN
    return svg.doc(w, h, body)


# ---- facades, skies, far cities, the map --------------------------------------

def facade(seed, wall, trim, w=800, h=640):
    """A palace front between two shaded neighbours, as wide as the screen: the playfield
    bakes it into opaque strips, so nothing behind it shows at the sides. Copies stack
    upwards alternately flipped upside down, so each floor is drawn symmetric about its own
    middle and the picture's top and bottom edges carry the same band."""
    side = (w - 560) // 2
    body = neighbours(seed, w, h, side)
    # The palace's own margins are the alleys' dark depths.
    body += '<rect x="%d" y="0" width="560" height="%d" fill="%s"/>' % (side, h, P.mix(P.INK, P.STONE_DARK, 0.25))
    return svg.doc(w, h, body + '<g transform="translate(%d,0)">%s</g>' % (side, palace(seed, wall, trim, 560, h)), palace_defs(wall))


def palace_defs(wall):
    return (svg.linear("wall", [(0, P.mix(wall, "#FFFFFF", 0.12)), (0.5, wall), (1, P.mix(wall, "#FFFFFF", 0.12))], 0, 0, 1, 0) +
            svg.linear("win", [(0, P.mix(P.INK, P.SEA_DEEP, 0.35)), (0.5, P.mix(P.INK, P.SEA_DEEP, 0.6)), (1, P.mix(P.INK, P.SEA_DEEP, 0.35))]))


def neighbours(seed, w, h, side):
    """The houses left and right of the palace, in its shadow; floors line up with the
    palace's so the flipped copies meet."""
    rnd = random.Random(seed + 1000)
    band, floors = 50, 4
    floor_h = (h - 2 * band) / float(floors)
    out = ""
    for x0, colour in ((0, P.mix(P.TERRACOTTA, P.INK, 0.3)), (w - side, P.mix(P.PEACH, P.INK, 0.35))):
        out += '<rect x="%d" y="0" width="%d" height="%d" fill="%s"/>' % (x0, side, h, colour)
        for by in (0, h - band):
            out += '<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>' % (x0, by, side, band, P.mix(colour, P.INK, 0.15))
        for f in range(floors):
            top = band + f * floor_h
            mid = top + floor_h / 2.0
            for by in (top, top + floor_h - 8):
                out += '<rect x="%d" y="%.1f" width="%d" height="8" fill="%s"/>' % (x0, by, side, P.mix(colour, P.STONE_LIGHT, 0.25))
            for cx in (x0 + side * 0.3, x0 + side * 0.72):
                ww, wh = 24, floor_h * 0.5
                lit = rnd.random() < 0.18
                fill = P.mix(P.SUN, P.PEACH, 0.5) if lit else P.mix(P.INK, P.SEA_DEEP, 0.5)
                out += '<rect x="%.1f" y="%.1f" width="%d" height="%.1f" rx="2" fill="%s" stroke="%s" stroke-width="2"/>' % (
                    cx - ww / 2, mid - wh / 2, ww, wh, fill, P.INK)
                out += '<path d="M%.1f %.1f h%d" stroke="%s" stroke-width="3"/>' % (cx - ww / 2 - 3, mid + wh / 2 + 2, ww + 6, P.mix(colour, P.STONE_LIGHT, 0.3))
    # The alleys between the neighbours and the palace lie in shadow.
    shade = svg.linear("alley", [(0, P.INK, 0.0), (1, P.INK, 0.55)], 0, 0, 1, 0)
    out = '<defs>%s</defs>' % shade + out
    out += '<rect x="%d" y="0" width="28" height="%d" fill="url(#alley)"/>' % (side - 28, h)
    out += '<rect x="%d" y="0" width="28" height="%d" fill="url(#alley)" transform="translate(%d,0) scale(-1,1)"/>' % (0, h, w - side + 28)
    return out


def palace(seed, wall, trim, w, h):
    rnd = random.Random(seed)
    x0, x1 = 20, w - 20
    body = '<rect x="%d" y="0" width="%d" height="%d" fill="url(#wall)"/>' % (x0, x1 - x0, h)
    body += '<path d="M%d 0 V%d M%d 0 V%d" stroke="%s" stroke-width="3"/>' % (x0, h, x1, h, P.INK)
    # Pilasters at both sides.
    for px in (x0, x1 - 26):
        body += '<rect x="%d" y="0" width="26" height="%d" fill="%s" stroke="%s" stroke-width="2"/>' % (px, h, trim, P.INK)
    # The copies overlap by 42 px where they meet: plain wall bands at both ends hide the seam.
    band = 50
    floors = 4
    floor_h = (h - 2 * band) / float(floors)
    for by in (0, h - band):
        body += '<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>' % (x0, by, x1 - x0, band, trim)
        body += '<path d="M%d %d h%d M%d %d h%d" stroke="%s" stroke-width="1.5" stroke-opacity="0.6"/>' % (
            x0, by + band / 2 - 6, x1 - x0, x0, by + band / 2 + 6, x1 - x0, P.STONE_DARK)
    for f in range(floors):
        top = band + f * floor_h
        mid = top + floor_h / 2.0
        # Bands at both ends of each floor (symmetric about the floor's middle).
        for by in (top, top + floor_h - 10):
            body += '<rect x="%d" y="%.1f" width="%d" height="10" fill="%s" stroke="%s" stroke-width="1.5"/>' % (x0, by, x1 - x0, trim, P.INK)
        cols = 5
        gap = (x1 - x0 - 52) / cols
        for c in range(cols):
            cx = x0 + 26 + gap * (c + 0.5)
            ww, wh = gap * 0.5, floor_h * 0.56
            lit = rnd.random() < 0.22
            fill = P.mix(P.SUN, P.PEACH, 0.35) if lit else "url(#win)"
            body += '<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" rx="3" fill="%s" stroke="%s" stroke-width="2"/>' % (
                cx - ww / 2, mid - wh / 2, ww, wh, fill, P.INK)
            body += '<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" fill="%s" stroke="%s" stroke-width="1.2"/>' % (
                cx - ww / 2 - 6, mid - wh / 2 - 4, 5, wh + 8, P.SHUTTER, P.INK)
            body += '<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" fill="%s" stroke="%s" stroke-width="1.2"/>' % (
                cx + ww / 2 + 1, mid - wh / 2 - 4, 5, wh + 8, P.SHUTTER, P.INK)
            body += '<path d="M%.1f %.1f v%.1f M%.1f %.1f h%.1f" stroke="%s" stroke-width="1.5" stroke-opacity="0.7"/>' % (
                cx, mid - wh / 2, wh, cx - ww / 2, mid, ww, P.STONE_DARK)
    # Dusk shading towards the sides.
    body += '<rect x="%d" y="0" width="%d" height="%d" fill="#000000" fill-opacity="0.06"/>' % (x0, x1 - x0, h)
    return body


def sky_variant(sun, horizon, seed, tint, h=590):
    """A level sky, 590 high like sky01 (see levelart.level_sky); Survival's is a screen high:
    there the background shows the level's first picture taller than 590."""
    defs = scene.sky_defs(h, horizon)
    body = scene.sky(800, h, sun, horizon)
    body += scene.far_skyline(800, horizon, seed=seed, height=1.2)
    body += scene.far_skyline(800, horizon + 2, seed=seed + 1, colour=P.mix(P.LAVENDER, P.INK, 0.25), opacity=0.55, height=0.9)
    body += scene.water(800, h, horizon, sun[0], seed=seed + 2)
    if tint:
        body += '<rect width="800" height="%d" fill="%s" fill-opacity="%g"/>' % ((h,) + tint)
    return svg.doc(800, h, body, defs)


def far_city(seed, lit):
    h = 230
    defs = scene.sky_defs()
    body = scene.houses_row(-30, 150, h - 2, seed, hmin=100, hmax=210, lit=lit)
    body += scene.houses_row(660, 830, h - 2, seed + 1, hmin=100, hmax=210, lit=lit)
    return svg.doc(800, h, body, defs)


def map_back():
    defs = scene.sky_defs(600, 420)
    body = scene.sky(800, 600, (640, 380), 420) + scene.water(800, 600, 420, 640, seed=91)
    body += scene.far_skyline(800, 420, seed=92, height=1.5)
    # The marker's way along the buildings: a boardwalk at y 510 (the map's y + 190).
    body += '<rect x="-10" y="516" width="820" height="16" rx="4" fill="%s" stroke="%s" stroke-width="2.5"/>' % (P.STONE_DARK, P.INK)
    for x in range(0, 800, 24):
        body += '<path d="M%d 518 v12" stroke="%s" stroke-width="1.5" stroke-opacity="0.6"/>' % (x, P.INK)
        if x % 96 == 0:
            body += '<rect x="%d" y="528" width="6" height="28" fill="%s" stroke="%s" stroke-width="1.5"/>' % (x + 9, P.STONE_DARK, P.INK)
    return svg.doc(800, 600, body, defs)


# The map stands its thumbnails 20 px lower than the quote's last row ends, yet a
# thumbnail's top edge is 28 px above that: the panel of a thumbnail leaves its top
# rows clear.
THUMB_TOP = 24


def skyline_strip(seed, buildings=9, w=720, h=170, tint=None):
    """One thumbnail for nine buildings of a list: a row of towers on the water, the
    marker walks along it one ninth at a time."""
    rnd = random.Random(seed)
    defs = scene.sky_defs(h, h - 30) + svg.linear("stone", [(0, P.STONE_LIGHT), (1, P.STONE)])
    body = svg.rounded(2, THUMB_TOP, w - 4, h - 2 - THUMB_TOP, 18, P.mix(P.PARCHMENT, P.PEACH, 0.3), P.BRASS_DARK, 3)
    step = (w - 40) / float(buildings)
    for i in range(buildings):
        cx = 20 + step * (i + 0.5)
        bw = step * rnd.uniform(0.55, 0.75)
        base = h - 34
        # From 40 px high up to where the roof (half the width high) keeps 8 px inside the panel.
        room = base - THUMB_TOP - 8 - bw * 0.5
        bh = 40 + (rnd.uniform(60, 112) - 60) / 52.0 * (room - 40)
        roof = tint or [P.TERRACOTTA, P.ROOF, P.SHUTTER][i % 3]
        body += '<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" fill="url(#stone)" stroke="%s" stroke-width="2.5"/>' % (
            cx - bw / 2, base - bh, bw, bh, P.INK)
        if i % 2 == 0:
            body += '<path d="M%.1f %.1f Q%.1f %.1f %.1f %.1f Z" fill="%s" stroke="%s" stroke-width="2.5"/>' % (
                cx - bw / 2, base - bh, cx, base - bh - bw, cx + bw / 2, base - bh, roof, P.INK)
        else:
            body += '<path d="M%.1f %.1f L%.1f %.1f L%.1f %.1f Z" fill="%s" stroke="%s" stroke-width="2.5" stroke-linejoin="round"/>' % (
                cx - bw / 2 - 4, base - bh, cx, base - bh - bw * 0.5, cx + bw / 2 + 4, base - bh, roof, P.INK)
        for wy in range(int(base - bh + 14), int(base - 14), 22):
            body += '<rect x="%.1f" y="%d" width="%.1f" height="10" rx="2" fill="%s"/>' % (cx - bw * 0.22, wy, bw * 0.44, P.mix(P.INK, P.SEA_DEEP, 0.4))
        body += svg.text(cx, base + 24, str(i + 1), 16, P.INK)
    body += '<rect x="6" y="%d" width="%d" height="8" fill="%s" fill-opacity="0.7"/>' % (h - 40, w - 12, P.SEA)
    return svg.doc(w, h, body, defs)


def finale_thumb(w=220, h=170):
    defs = svg.linear("stone", [(0, P.STONE_LIGHT), (1, P.STONE)]) + svg.radial("glow", [(0, P.SUN, 0.9), (1, P.SUN, 0)])
    body = svg.rounded(2, THUMB_TOP, w - 4, h - 2 - THUMB_TOP, 18, P.mix(P.PARCHMENT, P.SUN, 0.3), P.BRASS_DARK, 3)
    # The picture drawn for a full-height panel, shrunk into the lower one.
    k = (h - 10 - THUMB_TOP) / float(h - 10)
    body += '<g transform="translate(%g %g) scale(%g) translate(%g %g)">' % (w / 2.0, h - 6, k, -w / 2.0, -(h - 6))
    body += '<circle cx="%g" cy="80" r="80" fill="url(#glow)"/>' % (w / 2.0)
    body += '<rect x="40" y="70" width="140" height="80" fill="url(#stone)" stroke="%s" stroke-width="3"/>' % P.INK
    body += '<path d="M30 70 Q%g 10 190 70 Z" fill="%s" stroke="%s" stroke-width="3"/>' % (w / 2.0, P.BRASS, P.INK)
    for x in (60, 100, 140):
        body += '<path d="M%d 148 v-36 a10 10 0 0 1 20 0 v36 Z" fill="%s" stroke="%s" stroke-width="2"/>' % (x, P.mix(P.SUN, P.PEACH, 0.3), P.INK)
    for k, (x, y) in enumerate([(34, 34), (186, 30), (110, 22)]):
        col = [P.ALERT, P.SEA_LIGHT, P.SUN][k]
        for a in range(0, 360, 30):
            body += '<path d="M%d %d l%.1f %.1f" stroke="%s" stroke-width="2.5" stroke-linecap="round"/>' % (
                x, y, 14 * math.cos(math.radians(a)), 14 * math.sin(math.radians(a)), col)
    return svg.doc(w, h, body + "</g>", defs)


PLATES = {
    "mini_round": round_small, "semicircle": semicircle, "a": a_plate, "x": x_plate, "stick": stick,
    "mini_stick": lambda: stick(44, 2, 23), "block": block, "triangle": triangle, "t": t_plate, "tosser": tosser,
    "key": key_plate, "spinner": spinner, "step": step, "square": square, "m": m_plate,
}


def generate(out):
    items = [("gfx/plates/%s.png" % name, make()) for name, make in sorted(PLATES.items())]
    items += [("gfx/level/bumper_rect.png", rect_bumper()), ("gfx/level/bumper_round.png", round_bumper()),
              ("gfx/level/bumper_tri.png", tri_bumper()), ("gfx/level/turret.png", turret()),
              ("gfx/level/turret_barrel.png", turret_barrel()), ("gfx/level/turret_muzzle.png", turret_muzzle()),
              ("gfx/level/warp.png", warp()), ("gfx/level/basket.png", basket()),
              ("gfx/level/basket_opening.png", basket_opening()), ("gfx/level/pigeon.png", pigeon(False)),
              ("gfx/level/pigeon_fly.png", pigeon(True)), ("gfx/level/beam.png", beam()), ("gfx/level/fish.png", fish()),
              ("gfx/level/facade01.png", facade(101, P.STONE_LIGHT, P.STONE)),
              ("gfx/level/facade02.png", facade(102, P.mix(P.TERRACOTTA, P.STONE_LIGHT, 0.55), P.STONE_LIGHT)),
              ("gfx/level/facade03.png", facade(103, P.mix(P.SHUTTER, P.STONE_LIGHT, 0.7), P.STONE)),
              ("gfx/level/houses02.png", far_city(121, 0.5)),
              ("gfx/levelselect/journey_map.png", skyline_strip(131)),
              ("gfx/levelselect/flood_map.png", skyline_strip(132, tint=P.SHUTTER)),
              ("gfx/levelselect/finale.png", finale_thumb())]
    for rel, text in items:
        render.svg_to_png(text, out(rel))
        yield rel
    for rel, text in (("gfx/level/sky02.jpg", sky_variant((220, 330), 500, 141, ("#6A4FB0", 0.12))),
                      ("gfx/level/sky03.jpg", sky_variant((400, 420), 500, 151, ("#0B1A3A", 0.35))),
                      ("gfx/level/sky04.jpg", sky_variant((560, 360), 500, 161, ("#6A4FB0", 0.06), h=600)),
                      ("gfx/levelselect/map_back.jpg", map_back())):
        render.svg_to_jpeg(text, out(rel))
        yield rel
