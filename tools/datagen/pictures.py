"""Splash pictures, the loading bar, the pause card, effects and the menu kit."""
import math

import numpy as np

import palette as P
import render
import scene
import svg

BAR_W, BAR_H = 416, 18       # loadbar.png; drawn centred at (399, 437)
BAR_CX, BAR_CY = 399, 437


def title_painting(with_bar):
    defs = scene.sky_defs() + svg.linear("gold", svg.GOLD_STOPS) + svg.linear(
        "brassrim", [(0, P.BRASS_LIGHT), (0.5, P.BRASS), (1, P.BRASS_DARK)])
    body = scene.lagoon()
    if with_bar:
        body += svg.title_text(400, 150, "TAVORO", 92, "gold", spacing=6)
        body += svg.title_text(400, 236, "ORIBEL", 92, "gold", spacing=10)
    else:
        body += svg.title_text(400, 100, "TAVORO ORIBEL", 58, "gold", spacing=4)
    if with_bar:
        # Brass-framed plaque on the water; the trough is centred on the bar's place.
        body += svg.rounded(BAR_CX - 250, BAR_CY - 40, 500, 92, 14, P.PARCHMENT, P.INK, 3, 'filter="url(#soft)" fill-opacity="0.0"')
        body += svg.rounded(BAR_CX - 246, BAR_CY - 36, 492, 84, 12, P.PARCHMENT, P.BRASS_DARK, 4)
        body += svg.rounded(BAR_CX - 240, BAR_CY - 30, 480, 72, 9, "none", P.BRASS_LIGHT, 2)
        body += svg.rounded(BAR_CX - BAR_W / 2 - 6, BAR_CY - BAR_H / 2 - 5, BAR_W + 12, BAR_H + 10, 7, "url(#brassrim)", P.INK, 2)
        body += svg.rounded(BAR_CX - BAR_W / 2 - 2, BAR_CY - BAR_H / 2 - 2, BAR_W + 4, BAR_H + 4, 5, P.mix(P.INK, P.SEA_DEEP, 0.3), None)
        body += svg.text(BAR_CX, BAR_CY + 36, "gathering the treasures of the lagoon", 15, P.INK, family="DejaVu Serif", weight="normal",
                         extra='font-style="italic"')
    return svg.doc(800, 600, body, defs)


def loadbar():
    defs = (svg.linear("fill", [(0, P.FOAM), (0.35, P.SEA_LIGHT), (0.7, P.SEA), (1, P.SEA_DEEP)]) +
            svg.linear("shine", [(0, "#FFFFFF", 0.0), (0.5, "#FFFFFF", 0.5), (1, "#FFFFFF", 0.0)], 0, 0, 1, 0))
    body = svg.rounded(0, 0, BAR_W, BAR_H, 4, "url(#fill)")
    # Little waves riding on the bar.
    for x in range(6, BAR_W, 22):
        body += '<path d="M%d 6q5 -4 10 0t10 0" fill="none" stroke="%s" stroke-width="1.5" stroke-opacity="0.6"/>' % (x, P.FOAM)
    body += svg.rounded(2, 2, BAR_W - 4, 4, 2, "url(#shine)")
    return svg.doc(BAR_W, BAR_H, body, defs)


def quillo():
    defs = (svg.radial("bg", [(0, "#34406A"), (0.6, "#1F2540"), (1, "#12151F")], 0.5, 0.45, 0.75) +
            svg.linear("gold", svg.GOLD_STOPS) +
            svg.linear("vane", [(0, P.PARCHMENT), (0.6, P.STONE_LIGHT), (1, P.BRASS_LIGHT)], 0, 0, 1, 1) +
            svg.blur_filter("soft", 4) + svg.blur_filter("glow", 18))
    body = '<rect width="800" height="600" fill="url(#bg)"/>'
    body += '<circle cx="400" cy="230" r="150" fill="%s" fill-opacity="0.25" filter="url(#glow)"/>' % P.BRASS
    # A quill: curved vane with barbs and a brass nib.
    vane = "M392 360 C 360 280, 380 170, 470 90 C 455 170, 440 260, 400 362 Z"
    body += '<path d="%s" fill="url(#vane)" stroke="%s" stroke-width="3" stroke-linejoin="round"/>' % (vane, P.INK)
    for i in range(11):
        t = i / 11.0
        x0 = 396 + 70 * t * t
        y0 = 350 - 255 * t
        body += '<path d="M%.1f %.1f q 14 -18 %.1f -34" fill="none" stroke="%s" stroke-width="1.4" stroke-opacity="0.55"/>' % (
            x0, y0, 18 - 8 * t, P.STONE_DARK)
    body += '<path d="M398 362 C 420 260, 440 180, 468 95" fill="none" stroke="%s" stroke-width="2.2"/>' % P.STONE_DARK
    body += '<path d="M386 356 L 404 356 L 398 392 Z" fill="url(#gold)" stroke="%s" stroke-width="2.5" stroke-linejoin="round"/>' % P.INK
    body += '<circle cx="395" cy="392" r="4" fill="%s"/>' % P.INK
    body += '<path d="M300 398 q 100 26 200 0" fill="none" stroke="%s" stroke-width="3" stroke-linecap="round"/>' % P.BRASS
    body += svg.title_text(400, 478, "QUILLO", 78, "gold", family="DejaVu Serif", spacing=8)
    body += svg.text(400, 522, "G  A  M  E  S", 26, P.PARCHMENT, family="DejaVu Serif", weight="bold")
    return svg.doc(800, 600, body, defs)


def gamepaused():
    w, h = 420, 170
    defs = (svg.linear("parch", [(0, "#FFF8E4"), (1, P.PARCHMENT_EDGE)]) + svg.blur_filter("soft", 5) +
            svg.linear("brassrim", [(0, P.BRASS_LIGHT), (0.5, P.BRASS), (1, P.BRASS_DARK)]))
    body = svg.rounded(14, 16, w - 24, h - 24, 18, "#000000", None, 0, 'fill-opacity="0.45" filter="url(#soft)"')
    body += svg.rounded(8, 8, w - 24, h - 24, 16, "url(#brassrim)", P.INK, 3)
    body += svg.rounded(18, 18, w - 44, h - 44, 10, "url(#parch)", P.BRASS_DARK, 2)
    body += svg.text(w / 2 - 4, 90, "PAUSED", 56, P.INK, family="DejaVu Serif", extra='letter-spacing="6"')
    body += svg.text(w / 2 - 4, 124, "click on the game to go on", 17, P.BRASS_DARK, family="DejaVu Serif", weight="normal",
                     extra='font-style="italic"')
    return svg.doc(w, h, body, defs)


def soft_dot(size, colour, core=0.25, power=1.6):
    """A round soft glow as RGBA floats: for additive particles."""
    c = (size - 1) / 2.0
    y, x = np.mgrid[0:size, 0:size]
    d = np.sqrt((x - c) ** 2 + (y - c) ** 2) / (size / 2.0)
    a = np.clip(1.0 - d, 0, 1) ** power
    a = np.maximum(a, np.clip(1.0 - d / core, 0, 1))
    out = np.zeros((size, size, 4))
    out[:, :, :3] = P.rgb(colour)
    out[:, :, :3] = out[:, :, :3] + (1 - out[:, :, :3]) * np.clip(1 - d / 0.5, 0, 1)[:, :, None]
    out[:, :, 3] = np.clip(a, 0, 1)
    return out


def sparkle(size=32):
    """A four-point glint with a warm halo."""
    c = (size - 1) / 2.0
    y, x = np.mgrid[0:size, 0:size]
    dx, dy = np.abs(x - c) / c, np.abs(y - c) / c
    star = np.clip(1 - (dx * 8) ** 0.8 - dy, 0, 1) + np.clip(1 - (dy * 8) ** 0.8 - dx, 0, 1)
    ddx, ddy = np.abs((x - c) + (y - c)) / (c * 1.41), np.abs((x - c) - (y - c)) / (c * 1.41)
    star += 0.45 * (np.clip(1 - (ddx * 8) ** 0.8 - ddy * 1.6, 0, 1) + np.clip(1 - (ddy * 8) ** 0.8 - ddx * 1.6, 0, 1))
    d = np.sqrt(dx ** 2 + dy ** 2)
    halo = np.clip(1 - d, 0, 1) ** 2.5 * 0.6
    a = np.clip(star + halo, 0, 1)
    out = np.zeros((size, size, 4))
    warm = np.array(P.rgb(P.SUN))
    t = np.clip(star, 0, 1)[:, :, None]
    out[:, :, :3] = warm + (1 - warm) * t
    out[:, :, 3] = a
    return out


def pointer():
    """The menu pointer: a parchment arrow with an ink outline and a brass edge; tip at (1, 1)."""
    defs = svg.linear("p", [(0, "#FFFFFF"), (0.5, P.PARCHMENT), (1, P.BRASS_LIGHT)], 0, 0, 1, 1) + svg.blur_filter("soft", 1.2)
    arrow = "M2 2 L2 26 L8.5 20 L13 30 L17.5 28 L13 18.5 L22 18.5 Z"
    body = '<path d="%s" transform="translate(1.5 1.5)" fill="#000000" fill-opacity="0.4" filter="url(#soft)"/>' % arrow
    body += '<path d="%s" fill="url(#p)" stroke="%s" stroke-width="2" stroke-linejoin="round"/>' % (arrow, P.INK)
    body += '<path d="M4.5 7 L4.5 20" stroke="%s" stroke-width="1.4" stroke-linecap="round"/>' % P.BRASS
    return svg.doc(32, 32, body, defs)


def plaque(w, h, lit, radius=None):
    """A button plaque: teal enamel in a brass rim with an ink outline."""
    r = radius if radius is not None else h / 2.6
    face = P.BUTTON_LIT if lit else P.BUTTON
    top = P.mix(face, "#FFFFFF", 0.35 if lit else 0.2)
    defs = (svg.linear("rim", [(0, P.BRASS_LIGHT), (0.5, P.BRASS), (1, P.BRASS_DARK)]) +
            svg.linear("face", [(0, top), (0.5, face), (1, P.mix(face, P.INK, 0.35))]) +
            svg.radial("lit", [(0, P.SUN, 0.55 if lit else 0.0), (1, P.SUN, 0)], 0.5, 0.5, 0.6) +
            svg.blur_filter("soft", 1.5))
    body = svg.rounded(3, 4, w - 5, h - 5, r, "#000000", None, 0, 'fill-opacity="0.45" filter="url(#soft)"')
    body += svg.rounded(1.5, 1.5, w - 5, h - 5, r, "url(#rim)", P.INK, 2)
    body += svg.rounded(6, 6, w - 14, h - 14, max(2, r - 4), "url(#face)", P.BRASS_DARK, 1.5)
    body += svg.rounded(6, 6, w - 14, h - 14, max(2, r - 4), "url(#lit)")
    body += '<path d="M%g %g h%g" stroke="#FFFFFF" stroke-opacity="%g" stroke-width="2" stroke-linecap="round"/>' % (
        r, 9, w - 2 * r - 4, 0.5 if lit else 0.3)
    return svg.doc(w, h, body, defs)


def panel(w, h, corner=22):
    """A parchment panel in a brass frame with an ink outline and a soft shadow."""
    defs = (svg.linear("parch", [(0, "#FFF8E4"), (0.7, P.PARCHMENT), (1, P.PARCHMENT_EDGE)]) + svg.blur_filter("soft", 5) +
            svg.linear("brassrim", [(0, P.BRASS_LIGHT), (0.5, P.BRASS), (1, P.BRASS_DARK)]) +
            svg.radial("vign", [(0, "#FFFFFF", 0), (0.75, "#FFFFFF", 0), (1, P.PARCHMENT_EDGE, 0.6)], 0.5, 0.5, 0.72))
    body = svg.rounded(12, 14, w - 20, h - 20, corner, "#000000", None, 0, 'fill-opacity="0.45" filter="url(#soft)"')
    body += svg.rounded(6, 6, w - 20, h - 20, corner, "url(#brassrim)", P.INK, 3)
    body += svg.rounded(16, 16, w - 40, h - 40, corner - 8, "url(#parch)", P.BRASS_DARK, 2)
    body += svg.rounded(16, 16, w - 40, h - 40, corner - 8, "url(#vign)")
    body += svg.rounded(22, 22, w - 52, h - 52, corner - 11, "none", P.PARCHMENT_EDGE, 1.2, 'stroke-dasharray="2 5"')
    # Brass studs at the corners.
    for cx, cy in ((17, 17), (w - 23, 17), (17, h - 23), (w - 23, h - 23)):
        body += '<circle cx="%g" cy="%g" r="6" fill="%s" stroke="%s" stroke-width="1.6"/>' % (cx, cy, P.BRASS_LIGHT, P.INK)
        body += '<circle cx="%g" cy="%g" r="2" fill="#FFFFFF" fill-opacity="0.7"/>' % (cx - 1.5, cy - 1.5)
    return svg.doc(w, h, body, defs)


def inset(w, h):
    """A sunken parchment field (list box, tooltip)."""
    defs = svg.linear("field", [(0, P.PARCHMENT_EDGE), (0.08, "#FBF3DD"), (1, P.PARCHMENT)]) + svg.blur_filter("soft", 2)
    body = svg.rounded(3, 4, w - 5, h - 5, 10, "#000000", None, 0, 'fill-opacity="0.3" filter="url(#soft)"')
    body += svg.rounded(1.5, 1.5, w - 5, h - 5, 10, "url(#field)", P.BRASS_DARK, 2.5)
    return svg.doc(w, h, body, defs)


def list_field(w=300, h=356, field=274):
    """The player list: a sunken field in the upper part of the picture. The
    list box centres its picture on itself but draws its rows from 6 rows
    above it, so the field sits high and the rest is clear."""
    inner = inset(w, field)
    return inner.replace('height="%d" viewBox="0 0 %d %d"' % (field, w, field), 'height="%d" viewBox="0 0 %d %d"' % (h, w, h))


def checkbox_box():
    defs = svg.linear("rim", [(0, P.BRASS_LIGHT), (1, P.BRASS_DARK)]) + svg.linear("in", [(0, P.mix(P.PARCHMENT_EDGE, P.INK, 0.2)), (0.3, "#FBF3DD"), (1, P.PARCHMENT)])
    body = svg.rounded(2, 2, 32, 32, 7, "url(#rim)", P.INK, 2) + svg.rounded(7, 7, 22, 22, 4, "url(#in)", P.BRASS_DARK, 1.2)
    return svg.doc(36, 36, body, defs)


def checkbox_tick():
    body = ('<path d="M9 19 L16 27 L31 5" fill="none" stroke="%s" stroke-width="8" stroke-linecap="round" stroke-linejoin="round"/>'
            '<path d="M9 19 L16 27 L31 5" fill="none" stroke="%s" stroke-width="4" stroke-linecap="round" stroke-linejoin="round"/>' % (P.INK, P.OK))
    return svg.doc(36, 36, body)


def slider_track(w=300, h=24):
    defs = svg.linear("groove", [(0, P.INK), (1, P.mix(P.INK, P.SEA, 0.5))]) + svg.linear("rim", [(0, P.BRASS_LIGHT), (1, P.BRASS_DARK)])
    body = svg.rounded(2, 4, w - 4, h - 8, (h - 8) / 2, "url(#rim)", P.INK, 2)
    body += svg.rounded(8, 9, w - 16, h - 18, (h - 18) / 2, "url(#groove)")
    for i in range(11):
        x = 14 + (w - 28) * i / 10.0
        body += '<rect x="%g" y="%g" width="1.5" height="3" fill="%s"/>' % (x, h - 4, P.BRASS_DARK)
    return svg.doc(w, h, body, defs)


def slider_knob():
    defs = svg.linear("k", [(0, "#FFFFFF"), (0.3, P.BRASS_LIGHT), (1, P.BRASS_DARK)], 0, 0, 1, 1) + svg.blur_filter("soft", 1.5)
    d = "M6 4 h20 a4 4 0 0 1 4 4 v18 l-14 10 l-14 -10 v-18 a4 4 0 0 1 4 -4 Z"
    body = '<path d="%s" transform="translate(1.5 2)" fill="#000000" fill-opacity="0.4" filter="url(#soft)"/>' % d
    body += '<path d="%s" fill="url(#k)" stroke="%s" stroke-width="2" stroke-linejoin="round"/>' % (d, P.INK)
    body += '<path d="M11 12 v12 M16 12 v12 M21 12 v12" stroke="%s" stroke-width="1.5" stroke-linecap="round"/>' % P.BRASS_DARK
    return svg.doc(34, 42, body, defs)


def stone_tile(size=80, seed=4):
    """A block of warm stone with mortar joints, for walls and the editor's tile."""
    import random
    rnd = random.Random(seed)
    defs = svg.linear("st", [(0, P.STONE_LIGHT), (1, P.STONE)], 0, 0, 1, 1)
    body = '<rect width="%d" height="%d" fill="%s"/>' % (size, size, P.STONE_DARK)
    rows = 4
    rh = size / rows
    for r in range(rows):
        off = 0 if r % 2 == 0 else size / 4
        x = -off
        while x < size:
            w = size / 2
            shade = P.mix(P.STONE_LIGHT, P.STONE, rnd.uniform(0, 0.8))
            body += '<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" rx="2" fill="%s"/>' % (x + 1, r * rh + 1, w - 2, rh - 2, shade)
            body += '<rect x="%.1f" y="%.1f" width="%.1f" height="2" fill="#FFFFFF" fill-opacity="0.35"/>' % (x + 2, r * rh + 1.5, w - 4)
            x += w
    return svg.doc(size, size, body, defs)


def framed(frames, path):
    """Stacks equal frames (float RGBA arrays) top to bottom into one picture."""
    render.save_png(path, np.concatenate(frames, axis=0))


def generate(out):
    render.svg_to_jpeg(quillo(), out("gfx/quillo.jpg"))
    yield "gfx/quillo.jpg"
    render.svg_to_jpeg(title_painting(True), out("gfx/loading.jpg"))
    yield "gfx/loading.jpg"
    render.svg_to_png(loadbar(), out("gfx/loadbar.png"))
    yield "gfx/loadbar.png"
    render.svg_to_png(gamepaused(), out("gfx/gamepaused.png"))
    yield "gfx/gamepaused.png"
    render.save_png(out("gfx/sparkle.png"), sparkle())
    yield "gfx/sparkle.png"
    render.save_png(out("gfx/particle2.png"), soft_dot(16, P.BRASS_LIGHT))
    yield "gfx/particle2.png"
    render.save_png(out("gfx/white_particle.png"), soft_dot(16, "#FFFFFF"))
    yield "gfx/white_particle.png"
    render.svg_to_png(pointer(), out("gfx/menu/pointer.png"))
    yield "gfx/menu/pointer.png"
    framed([render.svg_array(plaque(220, 50, lit)) for lit in (False, True)], out("gfx/menu/button.png"))
    yield "gfx/menu/button.png"
    framed([render.svg_array(plaque(340, 68, lit)) for lit in (False, True)], out("gfx/menu/mode_plaque.png"))
    yield "gfx/menu/mode_plaque.png"
    framed([render.svg_array(plaque(150, 46, lit)) for lit in (False, True)], out("gfx/menu/button_small.png"))
    yield "gfx/menu/button_small.png"
    render.svg_to_jpeg(title_painting(False), out("gfx/menu/menu_back.jpg"))
    yield "gfx/menu/menu_back.jpg"
    for name, svg_text in (("popup", panel(460, 250)), ("panel", panel(580, 460, 26)), 
                           ("listbox", list_field()), ("ribbon", inset(210, 66)), ("checkbox_box", checkbox_box()),
                           ("checkbox_tick", checkbox_tick()), ("slider_track", slider_track()), ("slider_knob", slider_knob())):
        rel = "gfx/menu/%s.png" % name
        render.svg_to_png(svg_text, out(rel))
        yield rel
    render.svg_to_png(stone_tile(), out("gfx/level/tile.png"))
    yield "gfx/level/tile.png"
