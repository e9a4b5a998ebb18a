"""Pictures of the game's extras: power-up tokens, Cupid, the tutorial scroll
and arrow, the lock of the mode menu, Survival's minute signs and wall tiles,
and the map marker."""
import math
import random

import numpy as np

import palette as P
import render
import svg

TOKEN = 48


def token(icon, face):
    """A round token: brass rim, enamel face, an icon in ink and cream."""
    c = TOKEN / 2.0
    defs = (svg.linear("rim", [(0, P.BRASS_LIGHT), (0.5, P.BRASS), (1, P.BRASS_DARK)], 0, 0, 1, 1) +
            svg.radial("face", [(0, P.mix(face, "#FFFFFF", 0.45)), (0.7, face), (1, P.mix(face, P.INK, 0.4))], 0.4, 0.35, 0.7))
    body = '<circle cx="%g" cy="%g" r="%g" fill="url(#rim)" stroke="%s" stroke-width="2.2"/>' % (c, c, c - 1.5, P.INK)
    body += '<circle cx="%g" cy="%g" r="%g" fill="url(#face)" stroke="%s" stroke-width="1.2"/>' % (c, c, c - 6, P.BRASS_DARK)
    body += '<g transform="translate(%g %g)">%s</g>' % (c, c, icon)
    body += '<ellipse cx="%g" cy="%g" rx="8" ry="4" transform="rotate(-30 %g %g)" fill="#FFFFFF" fill-opacity="0.45"/>' % (c - 7, c - 9, c - 7, c - 9)
    return svg.doc(TOKEN, TOKEN, body, defs)


def _ink(d, fill=P.PARCHMENT, w=2.2):
    return '<path d="%s" fill="%s" stroke="%s" stroke-width="%g" stroke-linejoin="round" stroke-linecap="round"/>' % (d, fill, P.INK, w)


WING = "M0 4 C-4 -8 -14 -14 -20 -8 C-16 -6 -18 -2 -14 0 C-17 2 -15 5 -11 5 C-12 8 -8 10 -4 8 Z"
ICONS = {
    "pwrup_wings": (_ink(WING) + '<g transform="scale(-1 1)">' + _ink(WING) + "</g>", P.SKY_TOP),
    "pwrup_fast_shot": (_ink("M3 -14 L-8 2 L0 2 L-4 14 L9 -3 L1 -3 L6 -14 Z", P.BRASS_LIGHT), P.ALERT),
    "pwrup_back": ('<path d="M-10 -2 A10 10 0 1 1 -2 10" fill="none" stroke="%s" stroke-width="6" stroke-linecap="round"/>'
                   '<path d="M-10 -2 A10 10 0 1 1 -2 10" fill="none" stroke="%s" stroke-width="3" stroke-linecap="round"/>' % (P.INK, P.PARCHMENT) +
                   _ink("M-16 -6 L-10 4 L-3 -5 Z"), P.SHUTTER),
    "pwrup_wild": ("".join('<path d="M0 0 L%.1f %.1f L%.1f %.1f Z" fill="%s"/>' % (
        12 * math.cos(math.radians(-90 + i * 60)), 12 * math.sin(math.radians(-90 + i * 60)),
        12 * math.cos(math.radians(-30 + i * 60)), 12 * math.sin(math.radians(-30 + i * 60)), P.TREASURE[k])
        for i, k in enumerate((3, 4, 5, 6, 8, 9))) +
        '<path d="M0 -12 L10.4 -6 L10.4 6 L0 12 L-10.4 6 L-10.4 -6 Z" fill="none" stroke="%s" stroke-width="2"/>' % P.INK, P.PARCHMENT_EDGE),
    "pwrup_supershot": (_ink("M-13 9 C-6 4 0 0 4 -5", "none", 5) + '<circle cx="6" cy="-7" r="7" fill="%s" stroke="%s" stroke-width="2"/>' % (P.SUN, P.INK) +
                        '<circle cx="-4" cy="2" r="2.5" fill="%s"/><circle cx="-10" cy="7" r="1.8" fill="%s"/>' % (P.SUN, P.SUN), P.BUTTON_LIT),
    "pwrup_+1": (svg.text(0, 7, "+1", 20, P.PARCHMENT, extra='stroke="%s" stroke-width="1.2"' % P.INK), P.OK),
    "pwrup_x2": (svg.text(0, 7, "x2", 20, P.PARCHMENT, extra='stroke="%s" stroke-width="1.2"' % P.INK), P.mix(P.TREASURE[9], P.INK, 0.2)),
    "pwrup_cupid": (_ink("M0 10 C-10 3 -13 -3 -11 -7 C-9 -11 -3 -11 0 -5 C3 -11 9 -11 11 -7 C13 -3 10 3 0 10 Z", P.TREASURE[8]) +
                    _ink("M-14 12 L12 -12", "none", 2) + _ink("M12 -12 L6 -11 L11 -6 Z", P.BRASS_LIGHT, 1.5), P.PEACH),
}


def wings_shooter():
    """Two frames side by side of a wing beside the shooter: spread and folded."""
    frames = []
    for lift in (1.0, 0.45):
        d = "M44 30 C34 %.1f 16 %.1f 4 %.1f C10 %.1f 6 %.1f 14 %.1f C10 %.1f 16 %.1f 22 %.1f C22 %.1f 32 34 44 34 Z" % (
            30 - 26 * lift, 30 - 30 * lift, 30 - 18 * lift, 30 - 10 * lift, 30 - 4 * lift, 30 - 2 * lift, 30 + 4 * lift, 30 + 8 * lift,
            30 + 6 * lift, 30 + 10 * lift)
        body = _ink(d, P.PARCHMENT, 2.2)
        for i in range(3):
            body += '<path d="M%d %.1f q-6 -2 -12 -%.1f" fill="none" stroke="%s" stroke-width="1.2"/>' % (38 - i * 8, 30 - i * lift, 6 * lift, P.PARCHMENT_EDGE)
        frames.append(render.svg_array(svg.doc(48, 40, body)))
    return np.concatenate(frames, axis=1)


def cupid_frames():
    """Five frames of Cupid's wing beat, side by side (72 x 64 each)."""
    frames = []
    for f in range(5):
        a = -35 + f * 17.5
        defs = (svg.radial("skin", [(0, "#FFE9D8"), (1, P.PEACH)], 0.4, 0.35, 0.7) +
                svg.linear("wing", [(0, "#FFFFFF"), (1, P.PARCHMENT_EDGE)]))
        wing = ("M0 0 C-6 -10 -22 -18 -30 -10 C-24 -8 -28 -2 -22 0 C-26 3 -22 7 -16 6 C-18 10 -10 12 -4 8 Z")
        body = '<g transform="translate(30 28) rotate(%g)"><path d="%s" fill="url(#wing)" stroke="%s" stroke-width="2" stroke-linejoin="round"/></g>' % (a, wing, P.INK)
        body += '<g transform="translate(42 28) scale(-1 1) rotate(%g)"><path d="%s" fill="url(#wing)" stroke="%s" stroke-width="2" stroke-linejoin="round"/></g>' % (a, wing, P.INK)
        body += '<ellipse cx="36" cy="44" rx="11" ry="12" fill="url(#skin)" stroke="%s" stroke-width="2"/>' % P.INK
        body += '<path d="M27 50 q9 8 18 0 l-2 6 q-7 4 -14 0 Z" fill="%s" stroke="%s" stroke-width="1.5"/>' % (P.PARCHMENT, P.INK)
        body += '<circle cx="36" cy="24" r="11" fill="url(#skin)" stroke="%s" stroke-width="2"/>' % P.INK
        body += '<path d="M26 20 q2 -10 10 -10 q8 0 10 10 q-4 -5 -10 -5 q-6 0 -10 5 Z" fill="%s" stroke="%s" stroke-width="1.5"/>' % (P.BRASS_LIGHT, P.INK)
        body += '<circle cx="32" cy="24" r="1.6" fill="%s"/><circle cx="40" cy="24" r="1.6" fill="%s"/>' % (P.INK, P.INK)
        body += '<path d="M33 29 q3 2.5 6 0" fill="none" stroke="%s" stroke-width="1.4" stroke-linecap="round"/>' % P.INK
        body += '<circle cx="29" cy="28" r="2.2" fill="%s" fill-opacity="0.5"/><circle cx="43" cy="28" r="2.2" fill="%s" fill-opacity="0.5"/>' % (P.ALERT, P.ALERT)
        # A little bow.
        body += '<path d="M52 34 q8 10 0 20" fill="none" stroke="%s" stroke-width="3"/><path d="M52 34 L52 54" stroke="%s" stroke-width="1"/>' % (P.BRASS_DARK, P.INK)
        frames.append(render.svg_array(svg.doc(72, 64, body, defs)))
    return np.concatenate(frames, axis=1)


def scroll(w=560, h=140, left=160, top=16, bottom=124):
    """The tutorial's tip scroll: parchment between two wooden rods. The tip lines start 96
    left of the picture's centre and run 18 letters to the right, so the parchment fills
    the picture's right part only (from x = left); the rest stays clear. Three lines
    reach from 39 above the centre to 42 below it, and above the second step's slots
    Cupid holds the scroll 43 below the top of the screen: the parchment (from 6 below
    row top to 6 above row bottom) hugs the lines, so that little of it leaves the screen there."""
    defs = (svg.linear("p", [(0, "#FFF8E4"), (1, P.PARCHMENT)]) + svg.linear("rod", [(0, P.mix(P.ROOF, P.INK, 0.2)), (1, P.mix(P.ROOF, P.INK, 0.6))], 0, 0, 1, 0) +
            svg.blur_filter("soft", 3))
    pw = w - left
    ph = bottom - top
    body = '<g transform="translate(%d %d)">' % (left, top)
    body += svg.rounded(14, 10, pw - 24, ph - 14, 4, "#000000", None, 0, 'fill-opacity="0.35" filter="url(#soft)"')
    body += '<path d="M14 6 h%g q-6 %g 0 %g h-%g q6 -%g 0 -%g Z" fill="url(#p)" stroke="%s" stroke-width="2"/>' % (
        pw - 28, (ph - 12) / 2, ph - 12, pw - 28, (ph - 12) / 2, ph - 12, P.INK)
    for x in (8, pw - 8):
        body += svg.rounded(x - 5, 2, 10, ph - 4, 5, "url(#rod)", P.INK, 2)
        body += '<circle cx="%g" cy="4" r="4" fill="%s" stroke="%s" stroke-width="1.5"/><circle cx="%g" cy="%g" r="4" fill="%s" stroke="%s" stroke-width="1.5"/>' % (
            x, P.BRASS, P.INK, x, ph - 4, P.BRASS, P.INK)
    return svg.doc(w, h, body + "</g>", defs)


def up_arrow():
    defs = svg.linear("b", [(0, P.BRASS_LIGHT), (1, P.BRASS_DARK)])
    body = '<path d="M28 3 L50 28 H37 V53 H19 V28 H6 Z" fill="url(#b)" stroke="%s" stroke-width="3" stroke-linejoin="round"/>' % P.INK
    return svg.doc(56, 56, body, defs)


def padlock():
    defs = svg.linear("b", [(0, P.BRASS_LIGHT), (0.5, P.BRASS), (1, P.BRASS_DARK)], 0, 0, 1, 1)
    body = '<path d="M11 20 V14 a9 9 0 0 1 18 0 V20" fill="none" stroke="%s" stroke-width="7"/>' % P.INK
    body += '<path d="M11 20 V14 a9 9 0 0 1 18 0 V20" fill="none" stroke="%s" stroke-width="3.5"/>' % P.STONE_LIGHT
    body += svg.rounded(4, 19, 32, 24, 5, "url(#b)", P.INK, 2.5)
    body += '<circle cx="20" cy="28" r="3.5" fill="%s"/><path d="M18.5 30 h3 l1 7 h-5 Z" fill="%s"/>' % (P.INK, P.INK)
    # The menu centres a lock 16 px beyond each end of a mode's caption as its font measures
    # it, which counts the letter spacing unscaled: the caption is drawn up to 7 px wider on
    # each side. Drawn 20 px wide, about a capital's height, the lock stays clear of it.
    body = '<g transform="translate(20 23) scale(0.55) translate(-20 -23)">%s</g>' % body
    return svg.doc(40, 46, body, defs)


MARKER_COLOURS = [P.BRASS, "#C9CED6", P.BRASS_LIGHT, P.SEA_LIGHT, P.TREASURE[8], P.TREASURE[9]]


def minute_marker(i):
    """Survival's minute sign: a pennant on a pole; one colour per ten minutes."""
    col = MARKER_COLOURS[i]
    body = '<rect x="4" y="2" width="4" height="38" rx="2" fill="%s" stroke="%s" stroke-width="1.5"/>' % (P.BRASS_DARK, P.INK)
    body += '<path d="M8 4 H30 L24 12 L30 20 H8 Z" fill="%s" stroke="%s" stroke-width="2" stroke-linejoin="round"/>' % (col, P.INK)
    body += '<circle cx="6" cy="3" r="3" fill="%s" stroke="%s" stroke-width="1.2"/>' % (P.BRASS_LIGHT, P.INK)
    return svg.doc(32, 42, body)


def bricks(seed=71):
    """Survival's wall: warm brick courses, 80 x 80, tiling."""
    rnd = random.Random(seed)
    body = '<rect width="80" height="80" fill="%s"/>' % P.mix(P.STONE_DARK, P.INK, 0.25)
    for r in range(8):
        off = 0 if r % 2 == 0 else 10
        for c in range(-1, 4):
            x = c * 20 + off
            col = P.mix(P.TERRACOTTA, rnd.choice([P.ROOF, P.STONE, P.PEACH]), rnd.uniform(0, 0.45))
            body += '<rect x="%g" y="%g" width="19" height="9" rx="1.2" fill="%s"/>' % (x + 0.5, r * 10 + 0.5, col)
            body += '<rect x="%g" y="%g" width="17" height="1.5" fill="#FFFFFF" fill-opacity="0.18"/>' % (x + 1.5, r * 10 + 1)
    return svg.doc(80, 80, body)


def wall_side():
    """The wall's left edge: a stone pilaster over the bricks (mirrored on the right)."""
    defs = svg.linear("s", [(0, P.STONE), (0.5, P.STONE_LIGHT), (1, P.STONE_DARK)], 0, 0, 1, 0)
    b = bricks()
    body = b[b.index("</defs>") + 7:b.rindex("</svg>")]
    body += '<rect x="0" width="46" height="80" fill="url(#s)" stroke="%s" stroke-width="2"/>' % P.INK
    body += '<path d="M10 0 V80 M36 0 V80" stroke="%s" stroke-width="1.5" stroke-opacity="0.6"/>' % P.STONE_DARK
    body += '<rect x="0" y="0" width="46" height="4" fill="%s"/>' % P.STONE_DARK
    return svg.doc(80, 80, body, defs)


def grate():
    body = '<rect width="80" height="80" fill="%s"/>' % P.mix(P.STONE_DARK, P.INK, 0.25)
    body += '<path d="M14 74 V30 a26 26 0 0 1 52 0 V74 Z" fill="%s" stroke="%s" stroke-width="4"/>' % (P.STONE_LIGHT, P.INK)
    body += '<path d="M20 72 V32 a20 20 0 0 1 40 0 V72 Z" fill="%s"/>' % P.mix(P.INK, P.SEA_DEEP, 0.4)
    for x in (30, 40, 50):
        body += '<path d="M%d 14 V72" stroke="%s" stroke-width="3"/>' % (x, P.INK)
    body += '<path d="M20 40 H60 M20 56 H60" stroke="%s" stroke-width="3"/>' % P.INK
    return svg.doc(80, 80, body)


def ivy(seed=81):
    rnd = random.Random(seed)
    body = '<path d="M40 0 C30 20 52 40 38 60 C30 70 44 76 40 80" fill="none" stroke="%s" stroke-width="2.5"/>' % P.mix(P.SHUTTER, P.INK, 0.4)
    for i in range(16):
        t = i / 15.0
        x = 40 + rnd.uniform(-22, 22)
        y = t * 78
        s = rnd.uniform(5, 9)
        col = P.mix(P.OK, P.SHUTTER, rnd.uniform(0, 1))
        body += '<path d="M%.1f %.1f q%.1f %.1f 0 %.1f q-%.1f -%.1f 0 -%.1f Z" fill="%s" stroke="%s" stroke-width="1.2"/>' % (
            x, y, s, s * 0.4, s * 1.4, s, s, s * 1.4, col, P.INK)
    return svg.doc(80, 80, body)


def map_marker():
    """The marker on the level-select map: the little gondola, seen from the side."""
    body = '<path d="M2 14 C10 18 30 18 38 12 C36 22 26 26 20 26 C12 26 4 22 2 14 Z" fill="%s" stroke="%s" stroke-width="2.2" stroke-linejoin="round"/>' % (P.ROOF, P.INK)
    body += '<path d="M14 4 L26 4 L23 14 L17 14 Z" fill="%s" stroke="%s" stroke-width="2" stroke-linejoin="round"/>' % (P.BRASS, P.INK)
    return svg.doc(40, 28, body)


def generate(out):
    for name, (icon, face) in ICONS.items():
        rel = "gfx/%s.png" % name
        render.svg_to_png(token(icon, face), out(rel))
        yield rel
    render.save_png(out("gfx/pwrup_wings_shooter.png"), wings_shooter())
    yield "gfx/pwrup_wings_shooter.png"
    render.save_png(out("gfx/cupid.png"), cupid_frames())
    yield "gfx/cupid.png"
    for rel, text in [("gfx/scroll.png", scroll()), ("gfx/shoothere_arrow.png", up_arrow()), ("gfx/locked_game.png", padlock()),
                      ("gfx/levelselect/ls_shooter.png", map_marker()), ("gfx/background01/wall_side01.png", wall_side()),
                      ("gfx/background01/grate_square.png", grate()), ("gfx/background01/ivy01.png", ivy())] + \
            [("gfx/survival_marker_%d.png" % i, minute_marker(i)) for i in range(6)]:
        render.svg_to_png(text, out(rel))
        yield rel
    render.svg_to_jpeg(bricks(), out("gfx/background01/brick_brown01.jpg"))
    yield "gfx/background01/brick_brown01.jpg"
