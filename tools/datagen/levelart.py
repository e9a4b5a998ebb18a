"""Scenery and pieces of a played level: sky, the houses at the sides, the
water, the round plate, the shooter, the aim, the HUD
panels and the effect sprites."""
import math
import random

import numpy as np

import palette as P
import pictures
import render
import scene
import svg

LEVEL_HORIZON = 500


def level_sky(h=590):
    # 590 high, not a screen's height: the playfield repeats the level's first picture taller
    # than 590 (its facade) up the building, and the sky must not be taken for it.
    defs = scene.sky_defs(h, LEVEL_HORIZON)
    body = scene.sky(800, h, (610, 420), LEVEL_HORIZON)
    body += scene.far_skyline(800, LEVEL_HORIZON, seed=21, height=1.3)
    body += scene.far_skyline(800, LEVEL_HORIZON + 2, seed=22, colour=P.mix(P.LAVENDER, P.INK, 0.25), opacity=0.55, height=0.9)
    body += scene.water(800, h, LEVEL_HORIZON, 610, seed=23)
    return svg.doc(800, h, body, defs)


def side_houses():
    """Houses standing in the water at both sides of the screen; 800 x 230, water line at the bottom."""
    h = 230
    defs = scene.sky_defs()
    body = scene.houses_row(-30, 130, h - 2, 31, hmin=110, hmax=200, lit=0.1)
    body += scene.houses_row(680, 830, h - 2, 32, hmin=110, hmax=200, lit=0.2)
    return svg.doc(800, h, body, defs)


def water(w=800, h=110):
    """The lagoon in front of everything: translucent at its crest, a foam line on top."""
    defs = svg.linear("w", [(0, P.SEA_LIGHT, 0.85), (0.25, P.SEA, 0.92), (1, P.SEA_DEEP, 1.0)])
    d = "M0 14 " + " ".join("Q%g %g %g 14" % (x + 25, 6 if (x // 50) % 2 == 0 else 22, x + 50) for x in range(0, w, 50)) + " V%d H0 Z" % h
    body = '<path d="%s" fill="url(#w)"/>' % d
    crest = "M0 14 " + " ".join("Q%g %g %g 14" % (x + 25, 6 if (x // 50) % 2 == 0 else 22, x + 50) for x in range(0, w, 50))
    body += '<path d="%s" fill="none" stroke="%s" stroke-width="3" stroke-opacity="0.9"/>' % (crest, P.FOAM)
    rnd = random.Random(51)
    for i in range(26):
        x = rnd.uniform(0, w)
        y = rnd.uniform(34, h - 8)
        lw = rnd.uniform(20, 60)
        body += '<path d="M%.1f %.1f q%.1f -5 %.1f 0" fill="none" stroke="%s" stroke-opacity="0.35" stroke-width="2"/>' % (x, y, lw / 2, lw, P.FOAM)
    return svg.doc(w, h, body, defs)


def round_plate(size=172):
    """A marble disc in a brass rim; slots sit on a ring of radius 55."""
    c = size / 2.0
    defs = (svg.radial("m", [(0, "#FFFDF6"), (0.6, P.STONE_LIGHT), (1, P.STONE)], 0.4, 0.35, 0.7) +
            svg.linear("rim", [(0, P.BRASS_LIGHT), (0.5, P.BRASS), (1, P.BRASS_DARK)], 0, 0, 1, 1) + svg.blur_filter("soft", 3))
    body = '<circle cx="%g" cy="%g" r="%g" fill="#000000" fill-opacity="0.35" filter="url(#soft)"/>' % (c + 3, c + 5, c - 6)
    body += '<circle cx="%g" cy="%g" r="%g" fill="url(#rim)" stroke="%s" stroke-width="3"/>' % (c, c, c - 5, P.INK)
    body += '<circle cx="%g" cy="%g" r="%g" fill="url(#m)" stroke="%s" stroke-width="2"/>' % (c, c, c - 13, P.BRASS_DARK)
    rnd = random.Random(61)
    for i in range(7):
        a = rnd.uniform(0, 6.28)
        r0 = rnd.uniform(10, 50)
        body += '<path d="M%.1f %.1f q%.1f %.1f %.1f %.1f" fill="none" stroke="%s" stroke-opacity="0.35" stroke-width="1.2"/>' % (
            c + r0 * math.cos(a), c + r0 * math.sin(a), rnd.uniform(-20, 20), rnd.uniform(-20, 20), rnd.uniform(-30, 30), rnd.uniform(-30, 30), P.STONE_DARK)
    body += '<circle cx="%g" cy="%g" r="20" fill="none" stroke="%s" stroke-width="2" stroke-opacity="0.6"/>' % (c, c, P.BRASS_DARK)
    body += svg.text(c, c + 7, "&#10043;", 20, P.BRASS, family="DejaVu Sans", weight="normal")
    return svg.doc(size, size, body, defs)


def shooter():
    """The launcher: a small gondola with a brass cup that holds the waiting treasure."""
    w, h = 130, 62
    defs = (svg.linear("hull", [(0, P.mix(P.ROOF, P.INK, 0.2)), (1, P.mix(P.ROOF, P.INK, 0.6))]) +
            svg.linear("rim", [(0, P.BRASS_LIGHT), (0.5, P.BRASS), (1, P.BRASS_DARK)], 0, 0, 1, 1))
    body = '<path d="M4 30 C20 34 40 36 65 36 C90 36 110 34 126 26 C122 44 104 58 65 58 C28 58 10 46 4 30 Z" fill="url(#hull)" stroke="%s" stroke-width="3" stroke-linejoin="round"/>' % P.INK
    body += '<path d="M10 38 C40 44 90 44 120 36" fill="none" stroke="%s" stroke-width="2.5"/>' % P.BRASS
    body += '<path d="M2 30 q-2 -12 6 -16" fill="none" stroke="%s" stroke-width="4" stroke-linecap="round"/>' % P.INK
    body += '<path d="M126 26 q6 -10 -2 -18" fill="none" stroke="%s" stroke-width="4" stroke-linecap="round"/>' % P.INK
    # The cup.
    body += '<path d="M44 10 L86 10 L78 36 L52 36 Z" fill="url(#rim)" stroke="%s" stroke-width="3" stroke-linejoin="round"/>' % P.INK
    body += '<ellipse cx="65" cy="11" rx="21" ry="5" fill="%s" stroke="%s" stroke-width="2"/>' % (P.mix(P.INK, P.SEA_DEEP, 0.4), P.INK)
    return svg.doc(w, h, body, defs)


def aim():
    body = '<circle cx="14" cy="14" r="9" fill="none" stroke="%s" stroke-width="4"/>' % P.INK
    body += '<circle cx="14" cy="14" r="9" fill="none" stroke="%s" stroke-width="2"/>' % P.BRASS_LIGHT
    for d in ("M14 1 v6", "M14 21 v6", "M1 14 h6", "M21 14 h6"):
        body += '<path d="%s" stroke="%s" stroke-width="4" stroke-linecap="round"/><path d="%s" stroke="%s" stroke-width="1.8" stroke-linecap="round"/>' % (
            d, P.INK, d, P.BRASS_LIGHT)
    return svg.doc(28, 28, body)


def hud_panel(w, h, windows):
    """A brass HUD plaque with dark windows (centre x, width) for numbers."""
    defs = (svg.linear("rim", [(0, P.BRASS_LIGHT), (0.5, P.BRASS), (1, P.BRASS_DARK)]) +
            svg.linear("win", [(0, P.INK), (1, P.mix(P.INK, P.SEA_DEEP, 0.5))]) + svg.blur_filter("soft", 2))
    body = svg.rounded(3, 4, w - 5, h - 5, h / 2.5, "#000000", None, 0, 'fill-opacity="0.4" filter="url(#soft)"')
    body += svg.rounded(1.5, 1.5, w - 5, h - 5, h / 2.5, "url(#rim)", P.INK, 2.5)
    for cx, ww in windows:
        body += svg.rounded(w / 2 + cx - ww / 2, 8, ww, h - 17, (h - 17) / 2.2, "url(#win)", P.BRASS_DARK, 1.5)
    return svg.doc(w, h, body, defs)


def mini_shooter():
    s = shooter()
    return s.replace('width="130" height="62"', 'width="36" height="18"')


def progress_strip():
    return svg.doc(200, 16, svg.rounded(1, 1, 198, 14, 7, P.SEA_LIGHT, P.INK, 2))


def ring_glow(size, rays=0, colour="#FFFFFF"):
    """Soft rings and rayed glows for additive effects."""
    c = (size - 1) / 2.0
    y, x = np.mgrid[0:size, 0:size]
    d = np.sqrt((x - c) ** 2 + (y - c) ** 2) / (size / 2.0)
    a = np.exp(-((d - 0.62) / 0.16) ** 2) * 0.9 + np.clip(1 - d, 0, 1) ** 3 * 0.5
    if rays:
        ang = np.arctan2(y - c, x - c)
        a = np.clip(1 - d, 0, 1) ** 1.5 * (0.35 + 0.65 * np.abs(np.cos(ang * rays / 2.0)) ** 12) + np.clip(1 - d * 2.5, 0, 1)
    out = np.zeros((size, size, 4))
    out[:, :, :3] = P.rgb(colour)
    out[:, :, 3] = np.clip(a, 0, 1) * (d < 1)
    return out


def burst(size=96):
    c = (size - 1) / 2.0
    y, x = np.mgrid[0:size, 0:size]
    d = np.sqrt((x - c) ** 2 + (y - c) ** 2) / (size / 2.0)
    ang = np.arctan2(y - c, x - c)
    rays = np.abs(np.sin(ang * 6)) ** 6 * np.clip(1 - d, 0, 1) + np.clip(1 - d * 3, 0, 1)
    out = np.zeros((size, size, 4))
    warm = np.array(P.rgb(P.SUN))
    out[:, :, :3] = warm + (1 - warm) * np.clip(1 - d * 2, 0, 1)[:, :, None]
    out[:, :, 3] = np.clip(rays, 0, 1)
    return out


def bubble():
    body = '<circle cx="8" cy="8" r="6.2" fill="%s" fill-opacity="0.25" stroke="%s" stroke-width="1.4"/>' % (P.FOAM, P.FOAM)
    body += '<circle cx="6" cy="5.6" r="1.8" fill="#FFFFFF"/>'
    return svg.doc(16, 16, body)


def water_drop():
    body = '<path d="M7 1 C9 6 13 9 13 12 A6 6 0 0 1 1 12 C1 9 5 6 7 1 Z" fill="%s" fill-opacity="0.8" stroke="%s" stroke-width="1.2"/>' % (P.SEA_LIGHT, P.FOAM)
    body += '<circle cx="5" cy="11" r="1.4" fill="#FFFFFF"/>'
    return svg.doc(14, 19, body)


def arrow():
    """A pointing arrow (downwards), brass with an ink outline."""
    defs = svg.linear("b", [(0, P.BRASS_LIGHT), (1, P.BRASS_DARK)])
    body = '<path d="M17 2 h14 v22 h10 l-17 20 l-17 -20 h10 Z" fill="url(#b)" stroke="%s" stroke-width="3" stroke-linejoin="round"/>' % P.INK
    return svg.doc(48, 48, body, defs)


def generate(out):
    render.svg_to_jpeg(level_sky(), out("gfx/level/sky01.jpg"))
    yield "gfx/level/sky01.jpg"
    for rel, text in (("gfx/level/houses01.png", side_houses()), ("gfx/level/water.png", water()), ("gfx/plates/round.png", round_plate()),
                      ("gfx/level/shooter.png", shooter()), ("gfx/level/aim.png", aim()),
                      ("gfx/level/panel.png", hud_panel(220, 44, [(0, 150)])),
                      ("gfx/panel_relaxed.png", hud_panel(400, 44, [(-136, 150), (120, 120)])),
                      ("gfx/shooter_panel.png", mini_shooter()), ("gfx/panel_progress.png", progress_strip()),
                      ("gfx/bubble.png", bubble()), ("gfx/water_drop.png", water_drop()), ("gfx/arrow.png", arrow())):
        render.svg_to_png(text, out(rel))
        yield rel
    for rel, arr in (("gfx/corona.png", ring_glow(128)), ("gfx/corona4.png", ring_glow(128, rays=4)),
                     ("gfx/burst.png", burst())):
        render.save_png(out(rel), arr)
        yield rel
