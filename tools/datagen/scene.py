"""The lagoon city at golden hour: sky, sun, far skyline, houses on the water
and their reflections. Shared by the title painting, the menu backdrop and the
level backdrops."""
import random

import palette as P
import svg

HORIZON = 330


def sky_defs(h=600, horizon=HORIZON):
    t = horizon / h
    return (svg.linear("sky", [(0, P.SKY_TOP), (t * 0.45, P.LAVENDER), (t * 0.75, P.PEACH), (t, P.SKY_GLOW)]) +
            svg.radial("sunglow", [(0, P.SUN, 0.95), (0.25, P.SUN, 0.55), (1, P.SKY_GLOW, 0)]) +
            svg.linear("sea", [(0, P.SEA_LIGHT), (0.25, P.SEA), (1, P.SEA_DEEP)]) +
            svg.blur_filter("soft", 3) + svg.blur_filter("haze", 1.2) + svg.blur_filter("glow", 8))


def sky(w, h, sun=(560, 300), horizon=HORIZON):
    sx, sy = sun
    return ('<rect width="%d" height="%d" fill="url(#sky)"/>' % (w, horizon + 2) +
            '<circle cx="%g" cy="%g" r="190" fill="url(#sunglow)"/>' % (sx, sy) +
            '<circle cx="%g" cy="%g" r="44" fill="%s"/>' % (sx, sy, P.SUN) +
            clouds(w, horizon))


def clouds(w, horizon):
    rnd = random.Random(7)
    out = []
    for i in range(7):
        cx = rnd.uniform(0, w)
        cy = rnd.uniform(60, horizon - 90)
        lw = rnd.uniform(90, 200)
        col = P.mix(P.PEACH, "#FFFFFF", rnd.uniform(0.2, 0.6))
        out.append('<ellipse cx="%.1f" cy="%.1f" rx="%.1f" ry="%.1f" fill="%s" fill-opacity="0.45" filter="url(#soft)"/>'
                   % (cx, cy, lw / 2, lw / 14, col))
        out.append('<ellipse cx="%.1f" cy="%.1f" rx="%.1f" ry="%.1f" fill="%s" fill-opacity="0.35" filter="url(#soft)"/>'
                   % (cx + lw * 0.2, cy - 4, lw / 3, lw / 16, "#FFFFFF"))
    return "".join(out)


def far_skyline(w, horizon, seed=3, colour=None, opacity=0.75, height=1.0):
    """One hazy silhouette of towers and domes along the horizon."""
    rnd = random.Random(seed)
    colour = colour or P.mix(P.LAVENDER, P.PEACH, 0.35)
    parts = []
    x = -10
    while x < w + 10:
        kind = rnd.random()
        bw = rnd.uniform(18, 46)
        bh = rnd.uniform(14, 40) * height
        top = horizon - bh
        parts.append('<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f"/>' % (x, top, bw, bh + 2))
        if kind < 0.18:
            r = bw * 0.42
            parts.append('<ellipse cx="%.1f" cy="%.1f" rx="%.1f" ry="%.1f"/>' % (x + bw / 2, top, r, r * 0.9))
            parts.append('<rect x="%.1f" y="%.1f" width="2" height="%.1f"/>' % (x + bw / 2 - 1, top - r * 0.9 - 8, 9))
        elif kind < 0.3:
            tw = rnd.uniform(8, 12)
            th = rnd.uniform(50, 80) * height
            tx = x + bw / 2 - tw / 2
            parts.append('<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f"/>' % (tx, horizon - th, tw, th))
            parts.append('<path d="M%.1f %.1fL%.1f %.1fL%.1f %.1fZ"/>' % (tx - 1, horizon - th, tx + tw / 2, horizon - th - 16, tx + tw + 1, horizon - th))
        elif kind < 0.55:
            parts.append('<path d="M%.1f %.1fL%.1f %.1fL%.1f %.1fZ"/>' % (x - 2, top, x + bw / 2, top - bw * 0.3, x + bw + 2, top))
        x += bw + rnd.uniform(-4, 6)
    return '<g fill="%s" fill-opacity="%g" filter="url(#haze)">%s</g>' % (colour, opacity, "".join(parts))


def house(x, base, w, h, rnd, lit=0.0):
    """One house standing on the water line 'base': wall, roof, windows, shutters."""
    wall = rnd.choice([P.TERRACOTTA, P.STONE, P.STONE_LIGHT, P.mix(P.TERRACOTTA, P.STONE, 0.5), P.PEACH])
    wall = P.mix(wall, P.SKY_GLOW, lit)
    top = base - h
    out = ['<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" fill="%s" stroke="%s" stroke-width="2"/>' % (x, top, w, h, wall, P.INK)]
    # Sun-side light on the right edge.
    out.append('<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" fill="%s" fill-opacity="0.35"/>' % (x + w * 0.72, top + 1, w * 0.28 - 1, h - 2, P.SUN))
    roof = rnd.random()
    if roof < 0.45:
        out.append('<path d="M%.1f %.1fL%.1f %.1fL%.1f %.1fZ" fill="%s" stroke="%s" stroke-width="2" stroke-linejoin="round"/>' % (
            x - 5, top, x + w / 2, top - w * 0.32, x + w + 5, top, P.ROOF, P.INK))
    elif roof < 0.65:
        r = w * 0.36
        out.append('<path d="M%.1f %.1fA%.1f %.1f 0 0 1 %.1f %.1fZ" fill="%s" stroke="%s" stroke-width="2"/>' % (
            x + w / 2 - r, top, r, r, x + w / 2 + r, top, P.mix(P.SHUTTER, P.SEA_LIGHT, 0.3), P.INK))
        out.append('<rect x="%.1f" y="%.1f" width="3" height="10" fill="%s"/>' % (x + w / 2 - 1.5, top - r - 9, P.BRASS))
    else:
        out.append('<rect x="%.1f" y="%.1f" width="%.1f" height="7" fill="%s" stroke="%s" stroke-width="2"/>' % (x - 4, top - 7, w + 8, P.STONE_LIGHT, P.INK))
    # Windows: arched, in rows.
    cols = max(1, int(w // 22))
    rows = max(1, int((h - 20) // 34))
    gap = w / cols
    for r in range(rows):
        wy = top + 14 + r * 34
        for c in range(cols):
            wx = x + gap * c + gap / 2 - 5
            glow = rnd.random() < 0.25
            fill = P.SUN if glow else P.mix(P.INK, P.SEA, 0.35)
            out.append('<path d="M%.1f %.1fv14h10v-14a5 5 0 0 0 -10 0Z" fill="%s" stroke="%s" stroke-width="1.2"/>' % (wx, wy + 5, fill, P.INK))
            if not glow and rnd.random() < 0.5:
                out.append('<rect x="%.1f" y="%.1f" width="3.5" height="15" fill="%s"/>' % (wx - 4, wy + 4, P.SHUTTER))
                out.append('<rect x="%.1f" y="%.1f" width="3.5" height="15" fill="%s"/>' % (wx + 10.5, wy + 4, P.SHUTTER))
    # Water stain and door on the lowest floor.
    out.append('<rect x="%.1f" y="%.1f" width="%.1f" height="8" fill="%s" fill-opacity="0.35"/>' % (x + 1, base - 8, w - 2, P.SEA_DEEP))
    return "".join(out)


def houses_row(x0, x1, base, seed, hmin=70, hmax=150, lit=0.0):
    rnd = random.Random(seed)
    out = []
    x = x0
    while x < x1:
        w = rnd.uniform(44, 80)
        h = rnd.uniform(hmin, hmax)
        out.append(house(x, base, w, h, rnd, lit))
        x += w - 2
    return "".join(out)


def water(w, h, horizon=HORIZON, sun_x=560, seed=11):
    rnd = random.Random(seed)
    out = ['<rect y="%d" width="%d" height="%d" fill="url(#sea)"/>' % (horizon, w, h - horizon)]
    # Sun glitter: short bright strokes under the sun, wider with distance.
    for i in range(70):
        t = rnd.random()
        y = horizon + 4 + t * t * (h - horizon - 10)
        spread = 20 + t * 140
        x = sun_x + rnd.uniform(-spread, spread)
        lw = rnd.uniform(8, 26) * (0.5 + t)
        out.append('<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" rx="1.5" fill="%s" fill-opacity="%.2f"/>' % (
            x - lw / 2, y, lw, 1.5 + t * 2, P.SUN, 0.75 - t * 0.4))
    for i in range(40):
        t = rnd.random()
        y = horizon + 6 + t * (h - horizon - 10)
        x = rnd.uniform(0, w)
        lw = rnd.uniform(20, 60) * (0.4 + t)
        out.append('<path d="M%.1f %.1fq%.1f -4 %.1f 0" fill="none" stroke="%s" stroke-opacity="%.2f" stroke-width="%.1f"/>' % (
            x, y, lw / 2, lw, P.FOAM, 0.18 + 0.2 * t, 1 + t * 1.5))
    return "".join(out)


def reflection(body, horizon, height=180, opacity=0.35):
    """The given drawing mirrored below the horizon, faded."""
    return ('<g transform="translate(0 %d) scale(1 -1)" opacity="%g" filter="url(#haze)">%s</g>' % (2 * horizon, opacity, body) +
            '<rect y="%d" width="2000" height="%d" fill="url(#sea)" fill-opacity="0.35"/>' % (horizon, height))


def lagoon(w=800, h=600, sun=(560, 300), horizon=HORIZON, left=(0, 210), right=(600, 800), seed=5):
    """The whole backdrop: sky, skyline, houses at both sides, water with reflections."""
    houses = houses_row(left[0] - 20, left[1], horizon + 6, seed, lit=0.1) + houses_row(right[0], right[1] + 20, horizon + 6, seed + 1, lit=0.15)
    far = far_skyline(w, horizon) + far_skyline(w, horizon + 2, seed=9, colour=P.mix(P.LAVENDER, P.INK, 0.25), opacity=0.55, height=0.7)
    return (sky(w, h, sun, horizon) + far + water(w, h, horizon, sun[0]) +
            reflection(houses, horizon + 6, h - horizon) + houses)
