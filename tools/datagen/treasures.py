"""The treasures: for each kind the piece itself (jewel%d), its empty slot (the
silhouette engraved in a brass ring, slot%d), the filled slot (outline%d) and a
miniature for the pointer (mini%d); plus the wild treasure. Kinds, names and
colours come from data-src/treasures.txt."""
import math

import palette as P
import render
import svg
import treasurecolours

SRC = treasurecolours.SRC
JEWEL = 46   # treasure picture size
SLOT = 56    # slot picture size
MINI = 24


def kinds():
    return treasurecolours.read(SRC)


def _star(cx, cy, r1, r2, points, rot=-90):
    pts = []
    for i in range(points * 2):
        r = r1 if i % 2 == 0 else r2
        a = math.radians(rot + i * 180.0 / points)
        pts.append("%.1f %.1f" % (cx + r * math.cos(a), cy + r * math.sin(a)))
    return "M" + "L".join(pts) + "Z"


# Shapes in a 100 x 100 box: (outline path, detail drawn on top in the dark tone).
SHAPES = {
    "pearl": ("M50 12 A38 38 0 1 1 49.9 12 Z", ""),
    "harp": ("M30 88 L30 30 C30 10 52 8 58 22 C64 36 80 34 84 22 L84 30 C80 52 62 74 46 88 Z",
             "M38 82 L38 34 M48 76 L48 28 M58 66 L58 34 M68 54 L68 40"),
    "goblet": ("M22 14 L78 14 C78 44 66 58 56 60 L56 76 C66 78 74 82 76 88 L24 88 C26 82 34 78 44 76 L44 60 C34 58 22 44 22 14 Z",
               "M28 24 L72 24"),
    "vase": ("M38 10 L62 10 L60 20 C80 30 84 56 70 76 C66 82 62 88 62 90 L38 90 C38 88 34 82 30 76 C16 56 20 30 40 20 Z",
             "M26 50 L74 50 M30 62 L70 62"),
    "coin": ("M50 10 A40 40 0 1 1 49.9 10 Z", "M50 24 A26 26 0 1 1 49.9 24 Z"),
    "key": ("M14 38 A18 18 0 1 1 50 44 L88 44 L88 56 L80 56 L80 68 L70 68 L70 56 L62 56 L62 62 L54 62 L54 56 L50 56 A18 18 0 0 1 14 38 Z",
            "M32 38 m-7 0 a7 7 0 1 0 14 0 a7 7 0 1 0 -14 0"),
    "heart": ("M50 86 C20 64 8 46 12 30 C16 14 38 10 50 28 C62 10 84 14 88 30 C92 46 80 64 50 86 Z", ""),
    "star": (_star(50, 54, 44, 19, 5), ""),
    "crown": ("M12 80 L8 28 L30 50 L50 16 L70 50 L92 28 L88 80 Z", "M16 70 L84 70"),
    "shell": ("M50 88 L40 80 C16 74 6 50 14 34 C24 16 40 10 50 10 C60 10 76 16 86 34 C94 50 84 74 60 80 Z",
              "M50 82 L50 16 M50 82 L30 22 M50 82 L70 22 M50 82 L16 40 M50 82 L84 40"),
}


# Extra placement of a shape inside its box.
TURN = {"key": "rotate(-40 50 50) translate(-4 -2) scale(1.12) translate(-5 -5)"}


def _shape(name, d, **attrs):
    a = " ".join('%s="%s"' % (k.replace("_", "-"), v) for k, v in attrs.items())
    t = TURN.get(name)
    path = '<path d="%s" %s/>' % (d, a)
    return '<g transform="%s">%s</g>' % (t, path) if t else path


def piece(name, colour, size, stroke=5.0, shadow=True):
    """SVG of one treasure, filling a size x size picture."""
    outline, detail = SHAPES[name]
    light = P.mix(colour, "#FFFFFF", 0.55)
    dark = P.mix(colour, P.INK, 0.45)
    defs = (svg.radial("body", [(0, light), (0.55, colour), (1, dark)], 0.38, 0.32, 0.75) +
            svg.blur_filter("soft", 2.5))
    s = size / 100.0 * 0.86
    off = size * 0.07
    g = '<g transform="translate(%g %g) scale(%g)">' % (off, off, s)
    body = ""
    if shadow:
        body += '<g transform="translate(%g %g) scale(%g)">%s</g>' % (
            off + size * 0.025, off + size * 0.04, s, _shape(name, outline, fill="#000000", fill_opacity="0.35", filter="url(#soft)"))
    body += g + _shape(name, outline, fill="url(#body)", stroke=P.INK, stroke_width=stroke, stroke_linejoin="round")
    if detail:
        body += _shape(name, detail, fill="none", stroke=dark, stroke_width=stroke * 0.7, stroke_linecap="round", stroke_opacity="0.7")
    # A glint on the upper left.
    body += '<ellipse cx="36" cy="30" rx="9" ry="5" transform="rotate(-30 36 30)" fill="#FFFFFF" fill-opacity="0.75"/>'
    body += '</g>'
    return svg.doc(size, size, body, defs)


def ring_defs():
    return (svg.linear("rim", [(0, P.BRASS_LIGHT), (0.5, P.BRASS), (1, P.BRASS_DARK)], 0, 0, 1, 1) +
            svg.radial("hole", [(0, P.mix(P.SEA_DEEP, P.INK, 0.3)), (0.8, P.mix(P.SEA_DEEP, P.INK, 0.6)), (1, P.INK)]))


def slot(name, colour, filled):
    """A brass ring; empty, the treasure's silhouette is engraved in its hollow;
    filled, the treasure sits in it."""
    c = SLOT / 2.0
    body = '<circle cx="%g" cy="%g" r="%g" fill="url(#rim)" stroke="%s" stroke-width="2"/>' % (c, c, c - 1.5, P.INK)
    body += '<circle cx="%g" cy="%g" r="%g" fill="url(#hole)" stroke="%s" stroke-width="1.2"/>' % (c, c, c - 7, P.BRASS_DARK)
    outline, _ = SHAPES[name]
    s = (SLOT - 18) / 100.0
    if filled:
        inner = piece(name, colour, SLOT - 10, stroke=5.5, shadow=False)
        inner = inner[inner.index("<defs>"):inner.rindex("</svg>")]
        body += '<svg x="5" y="5" width="%d" height="%d" viewBox="0 0 %d %d">%s</svg>' % (SLOT - 10, SLOT - 10, SLOT - 10, SLOT - 10, inner)
    else:
        tone = P.mix(colour, P.SEA_DEEP, 0.45)
        body += '<g transform="translate(9 9) scale(%g)">%s</g>' % (s, _shape(
            name, outline, fill=tone, fill_opacity="0.55", stroke=P.mix(colour, "#FFFFFF", 0.3), stroke_width=6,
            stroke_opacity="0.9", stroke_linejoin="round"))
    for a in range(0, 360, 45):
        x = c + (c - 4.2) * math.cos(math.radians(a))
        y = c + (c - 4.2) * math.sin(math.radians(a))
        body += '<circle cx="%.1f" cy="%.1f" r="1.3" fill="%s"/>' % (x, y, P.BRASS_DARK)
    return svg.doc(SLOT, SLOT, body, ring_defs())


def wild(size):
    """The wild treasure: a prism gem in all the kinds' colours."""
    cols = [P.TREASURE[k] for k in (3, 4, 5, 6, 8, 9)]
    c = size / 2.0
    r = size * 0.42
    body = ""
    for i, col in enumerate(cols):
        a0 = math.radians(-90 + i * 60)
        a1 = math.radians(-90 + (i + 1) * 60)
        body += '<path d="M%.1f %.1fL%.1f %.1fL%.1f %.1fZ" fill="%s"/>' % (
            c, c, c + r * math.cos(a0), c + r * math.sin(a0), c + r * math.cos(a1), c + r * math.sin(a1), col)
    hexagon = "M" + "L".join("%.1f %.1f" % (c + r * math.cos(math.radians(-90 + i * 60)), c + r * math.sin(math.radians(-90 + i * 60))) for i in range(6)) + "Z"
    inner = "M" + "L".join("%.1f %.1f" % (c + r * 0.45 * math.cos(math.radians(-90 + i * 60)), c + r * 0.45 * math.sin(math.radians(-90 + i * 60))) for i in range(6)) + "Z"
    body += '<path d="%s" fill="#FFFFFF" fill-opacity="0.55"/>' % inner
    body += '<path d="%s" fill="none" stroke="%s" stroke-width="%g" stroke-linejoin="round"/>' % (hexagon, P.INK, max(1.5, size / 20.0))
    return svg.doc(size, size, body)


def generate(out):
    for n, name, colour in kinds():
        for rel, text in (("gfx/jewel%d.png" % n, piece(name, colour, JEWEL)),
                          ("gfx/slot%d.png" % n, slot(name, colour, False)),
                          ("gfx/outline%d.png" % n, slot(name, colour, True)),
                          ("gfx/mini%d.png" % n, piece(name, colour, MINI, stroke=7, shadow=False))):
            render.svg_to_png(text, out(rel))
            yield rel
    render.svg_to_png(wild(JEWEL), out("gfx/pwrup_wild_shape.png"))
    yield "gfx/pwrup_wild_shape.png"
    render.svg_to_png(wild(MINI), out("gfx/mini_wild.png"))
    yield "gfx/mini_wild.png"
