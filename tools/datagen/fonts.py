"""Strip fonts: each printable ASCII glyph but the space and the double quote,
rendered from a DejaVu face with cairo, in rows of the font's letter height,
glyphs apart by clear columns. The game cuts a glyph wherever a column of a
row is wholly transparent, so a glyph gets no clear column inside (a pixel of
alpha 1 bridges any gap) and a row is never cut when it ends on the bottom
edge (the strip is one pixel taller than its rows)."""
import math
import subprocess

import cairo
import numpy as np

import palette
import render

CHARACTER_SET = "".join(chr(c) for c in range(33, 127) if chr(c) != '"')
GAP = 3           # clear columns between glyphs
MAX_WIDTH = 1024  # strip width limit

FACE_FILES = {
    ("DejaVu Sans", True): "DejaVuSans-Bold.ttf",
    ("DejaVu Serif", False): "DejaVuSerif.ttf",
    ("DejaVu Sans Mono", False): "DejaVuSansMono.ttf",
}

# name: face, bold, size in pixels, letter height, look
FONTS = {
    "font1": dict(face="DejaVu Sans", bold=True, size=40, height=58, look="gold", outline=3.0,
                  shadow=(2, 3), shadow_blur=2, shadow_alpha=0.55),
    "font1_small": dict(face="DejaVu Sans", bold=True, size=26, height=40, look="gold", outline=2.2,
                        shadow=(1, 2), shadow_blur=1, shadow_alpha=0.5),
    "font1_tiny": dict(face="DejaVu Sans", bold=True, size=17, height=26, look="bright", outline=1.8,
                       shadow=(1, 1), shadow_blur=0, shadow_alpha=0.6),
    "font2": dict(face="DejaVu Serif", bold=False, size=22, height=30, look="white", outline=0.0,
                  shadow=None, shadow_blur=0, shadow_alpha=0.0),
    "sysfont": dict(face="DejaVu Sans Mono", bold=False, size=14, height=19, look="white", outline=0.0,
                    shadow=None, shadow_blur=0, shadow_alpha=0.0),
}


def check_face(face, bold):
    """Refuses a face that fontconfig does not resolve to the DejaVu file: the
    licence in data/LICENSES covers only that family."""
    pattern = face + (":bold" if bold else "")
    found = subprocess.run(["fc-match", "-f", "%{file}", pattern], check=True,
                           capture_output=True, text=True).stdout
    want = FACE_FILES[(face, bold)]
    if not found.endswith("/" + want):
        raise SystemExit("fc-match %s gives %s, not %s: install fonts-dejavu-core" % (pattern, found, want))


def _glyph_alpha(ch, spec, width, baseline):
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, width, spec["height"])
    ctx = cairo.Context(surface)
    ctx.select_font_face(spec["face"], cairo.FONT_SLANT_NORMAL,
                         cairo.FONT_WEIGHT_BOLD if spec["bold"] else cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_size(spec["size"])
    options = cairo.FontOptions()
    options.set_antialias(cairo.ANTIALIAS_GRAY)
    options.set_hint_style(cairo.HINT_STYLE_NONE)
    options.set_hint_metrics(cairo.HINT_METRICS_OFF)
    ctx.set_font_options(options)
    xb, yb, w, h, xa, ya = ctx.text_extents(ch)
    ctx.move_to(round(width / 2 - (xb + w / 2)), baseline)
    ctx.set_source_rgba(1, 1, 1, 1)
    ctx.show_text(ch)
    surface.flush()
    stride = surface.get_stride()
    buf = np.frombuffer(surface.get_data(), dtype=np.uint8).reshape(spec["height"], stride)
    return buf[:, 3:width * 4:4].astype(np.float64) / 255.0


def _fill(spec, height, baseline, cap):
    """Colour of the glyph body per row."""
    y = np.arange(height, dtype=np.float64)
    rows = np.zeros((height, 3))
    if spec["look"] == "white":
        rows[:] = 1.0
        return rows
    top = baseline - cap
    t = np.clip((y - top) / max(cap, 1), 0.0, 1.0)[:, None]
    if spec["look"] == "gold":
        stops = [(0.0, palette.rgb("#FFF6DC")), (0.45, palette.rgb(palette.BRASS_LIGHT)),
                 (0.55, palette.rgb("#F0B84A")), (1.0, palette.rgb("#C98A2A"))]
    else:
        stops = [(0.0, palette.rgb("#FFFFFF")), (0.6, palette.rgb("#FFF1C8")), (1.0, palette.rgb(palette.BRASS_LIGHT))]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        sel = ((t >= t0) & (t <= t1))[:, 0]
        k = (t[sel] - t0) / (t1 - t0)
        rows[sel] = np.array(c0) + (np.array(c1) - np.array(c0)) * k
    return rows


def render_glyph(ch, spec):
    """RGBA uint8 array of one glyph, trimmed to its inked columns."""
    h = spec["height"]
    pad = int(math.ceil(spec["outline"])) + 6
    probe = cairo.Context(cairo.ImageSurface(cairo.FORMAT_ARGB32, 1, 1))
    probe.select_font_face(spec["face"], cairo.FONT_SLANT_NORMAL,
                           cairo.FONT_WEIGHT_BOLD if spec["bold"] else cairo.FONT_WEIGHT_NORMAL)
    probe.set_font_size(spec["size"])
    ascent, descent = probe.font_extents()[:2]
    cap = -probe.text_extents("H")[1]
    width = int(probe.text_extents(ch)[2]) + 2 * pad + 4
    # Baseline placed so ascent plus descent sit centred in the row, outline included.
    baseline = int(round((h - (ascent + descent)) / 2 + ascent)) - (1 if spec["shadow"] else 0)
    a = _glyph_alpha(ch, spec, width, baseline)
    body = np.zeros((h, width, 4))
    body[:, :, :3] = _fill(spec, h, baseline, cap)[:, None, :]
    body[:, :, 3] = a
    out = np.zeros((h, width, 4))
    if spec["outline"] > 0:
        ring = render.dilate(a, spec["outline"])
        if spec["shadow"]:
            dx, dy = spec["shadow"]
            sh = np.roll(np.roll(ring, dy, axis=0), dx, axis=1)
            sh[:dy, :] = 0
            sh[:, :dx] = 0
            sh = render.blur(sh, spec["shadow_blur"]) * spec["shadow_alpha"]
            shadow = np.zeros_like(out)
            shadow[:, :, :3] = palette.rgb("#140F0A")
            shadow[:, :, 3] = sh
            out = render.over(out, shadow)
        ink = np.zeros_like(out)
        ink[:, :, :3] = palette.rgb(palette.INK)
        ink[:, :, 3] = ring
        out = render.over(out, ink)
    out = render.over(out, body)
    arr = render.to_bytes(out)
    inked = np.nonzero(arr[:, :, 3].max(axis=0))[0]
    if len(inked) == 0:
        raise SystemExit("glyph %r of %s has no ink" % (ch, spec["face"]))
    arr = arr[:, inked[0]:inked[-1] + 1].copy()
    # A clear column inside one glyph would split it in two: bridge it.
    for x in range(arr.shape[1]):
        if arr[:, x, 3].max() == 0:
            arr[h // 2, x] = (255, 255, 255, 1)
    return arr


def make_font(name, spec):
    """Returns (rgba uint8 strip, glyph count)."""
    check_face(spec["face"], spec["bold"])
    glyphs = [render_glyph(ch, spec) for ch in CHARACTER_SET]
    rows, row, x = [], [], 1
    for g in glyphs:
        if row and x + g.shape[1] + 1 > MAX_WIDTH:
            rows.append(row)
            row, x = [], 1
        row.append((x, g))
        x += g.shape[1] + GAP
    rows.append(row)
    width = max(px + g.shape[1] for r in rows for px, g in r) + 1
    h = spec["height"]
    strip = np.zeros((len(rows) * h + 1, width, 4), dtype=np.uint8)
    for i, r in enumerate(rows):
        for px, g in r:
            strip[i * h:(i + 1) * h, px:px + g.shape[1]] = g
    return strip, len(glyphs)


def generate(out):
    """Writes every font strip; yields (path relative to data, kind)."""
    from pngio import write_png
    for name, spec in FONTS.items():
        strip, _ = make_font(name, spec)
        rel = "gfx/%s.png" % name
        write_png(out(rel), strip.shape[1], strip.shape[0], strip.tobytes())
        yield rel
