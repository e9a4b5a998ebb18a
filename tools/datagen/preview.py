#!/usr/bin/python3
"""Draws a still of a screen file as the game would show it at rest, for the
eye: each object at the end values of its resting stage, texts in their strip
fonts. Not the game's renderer: no filters, events or animation.

    tools/datagen/preview.py data/levels/main_menu.xml out.png [--hot NAME] [--below SCREEN]
"""
import argparse
import math
import os
import re
import subprocess
import sys

import cairo
import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import datalint  # noqa: E402

DATA = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", "data"))
_surfaces = {}
_fonts = {}
FRAMES = {}
FONT_HEIGHTS = {}


def load_config():
    tags = datalint.read_tags(open(os.path.join(DATA, "config.xml")).read(), "config.xml", datalint.Report())
    for t in tags:
        if t.name == "image":
            FRAMES[t.get("name")] = (int(t.get("frame_width")), int(t.get("frame_height")))
        if t.name == "font":
            FONT_HEIGHTS[t.get("name")] = int(t.get("letter_height"))


def surface(rel):
    if rel in _surfaces:
        return _surfaces[rel]
    path = os.path.join(DATA, rel.replace("\\", "/"))
    if path.endswith(".png"):
        s = cairo.ImageSurface.create_from_png(path)
    else:
        ppm = subprocess.run(["djpeg", "-pnm", path], check=True, capture_output=True).stdout
        m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        w, h = int(m.group(1)), int(m.group(2))
        rgb = np.frombuffer(ppm[m.end():], dtype=np.uint8).reshape(h, w, 3)
        bgra = np.zeros((h, w, 4), dtype=np.uint8)
        bgra[:, :, 0], bgra[:, :, 1], bgra[:, :, 2], bgra[:, :, 3] = rgb[:, :, 2], rgb[:, :, 1], rgb[:, :, 0], 255
        s = cairo.ImageSurface.create_for_data(bytearray(bgra.tobytes()), cairo.FORMAT_ARGB32, w, h)
    _surfaces[rel] = s
    return s


def font(rel):
    if rel in _fonts:
        return _fonts[rel]
    h = FONT_HEIGHTS[rel]
    w, H, rgba = datalint.pngio.read_png(os.path.join(DATA, rel.replace("\\", "/")))
    a = np.frombuffer(rgba, dtype=np.uint8).reshape(H, w, 4)[:, :, 3]
    boxes = {}
    k = 0
    y = 0
    while y + h < H:
        ink = a[y:y + h].max(axis=0) > 0
        x = 0
        while x < w:
            if not ink[x]:
                x += 1
                continue
            x0 = x
            while x < w and ink[x]:
                x += 1
            boxes[datalint.CHARACTER_SET[k]] = (x0, y, x, y + h)
            k += 1
        y += h
    boxes[" "] = boxes["I"]
    _fonts[rel] = boxes
    return boxes


def draw_image(ctx, rel, x, y, sx=1.0, sy=1.0, alpha=1.0, frame=0, tint=None):
    s = surface(rel)
    fw, fh = FRAMES.get(rel, (s.get_width(), s.get_height()))
    per_row = max(1, s.get_width() // fw)
    fx, fy = (frame % per_row) * fw, (frame // per_row) * fh
    ctx.save()
    ctx.translate(x, y)
    ctx.scale(sx, sy)
    ctx.rectangle(-fw / 2, -fh / 2, fw, fh)
    ctx.clip()
    ctx.set_source_surface(s, -fw / 2 - fx, -fh / 2 - fy)
    if tint:
        ctx.push_group()
        ctx.paint()
        ctx.set_operator(cairo.OPERATOR_MULTIPLY)
        ctx.set_source_rgb(*tint)
        ctx.paint()
        ctx.set_operator(cairo.OPERATOR_DEST_IN)
        ctx.set_source_surface(s, -fw / 2 - fx, -fh / 2 - fy)
        ctx.paint()
        ctx.pop_group_to_source()
    ctx.paint_with_alpha(alpha)
    ctx.restore()


def draw_text(ctx, text, fontrel, x, y, scale=1.0, spacing=0.0, just=1, alpha=1.0, tint=None):
    boxes = font(fontrel)
    chars = [c for c in text if c in boxes]
    widths = [(boxes[c][2] - boxes[c][0]) * scale for c in chars]
    total = sum(widths) + spacing * scale * max(0, len(chars) - 1)
    pen = x - (total / 2 if just == 1 else total if just == 2 else 0)
    s = surface(fontrel)
    for c, w in zip(chars, widths):
        x0, y0, x1, y1 = boxes[c]
        if c != " ":
            ctx.save()
            ctx.translate(pen + w / 2, y)
            ctx.scale(scale, scale)
            ctx.rectangle(-(x1 - x0) / 2, -(y1 - y0) / 2, x1 - x0, y1 - y0)
            ctx.clip()
            ctx.set_source_surface(s, -(x1 - x0) / 2 - x0, -(y1 - y0) / 2 - y0)
            if tint and tint != (1, 1, 1):
                ctx.push_group()
                ctx.paint()
                ctx.set_operator(cairo.OPERATOR_MULTIPLY)
                ctx.set_source_rgb(*tint)
                ctx.paint()
                ctx.set_operator(cairo.OPERATOR_DEST_IN)
                ctx.set_source_surface(s, -(x1 - x0) / 2 - x0, -(y1 - y0) / 2 - y0)
                ctx.paint()
                ctx.pop_group_to_source()
            ctx.paint_with_alpha(alpha)
            ctx.restore()
        pen += w + spacing * scale


def parse(rel):
    text = open(os.path.join(DATA, rel)).read()
    tags = datalint.read_tags(text, rel, datalint.Report())
    stack, root = [], None
    for t in tags:
        if t.name == "object":
            o = dict(tag=t, stages=[], children=[])
            if stack:
                stack[-1]["children"].append(o)
            else:
                root = o
            stack.append(o)
        elif t.name == "/object":
            stack.pop()
            if not stack:
                break
        elif t.name == "load_object_from_file":
            sub = parse(t.get("file").replace("\\", "/"))
            if sub and stack:
                stack[-1]["children"].append(sub)
        elif t.name == "stage" and stack:
            stack[-1]["stages"].append(dict(tag=t, attrs={}))
        elif t.name == "attribute" and stack and stack[-1]["stages"]:
            stack[-1]["stages"][-1]["attrs"][t.get("type")] = float(t.get("end", "0"))
    return root


def rest_stage(o):
    st = o["stages"]
    for s in st:
        if s["tag"].get("name") == "idle":
            return s
    for s in st:
        if s["tag"].get("loop_start"):
            return s
    return st[min(1, len(st) - 1)] if st else None


def draw(ctx, o, px, py, pscale, palpha, ptint, opts):
    t = o["tag"]
    typ = t.get("type", "generic")
    st = rest_stage(o)
    a = st["attrs"] if st else {}
    if st and st["tag"].get("visible") == "0" and t.get("name") not in opts.show and not (typ == "tooltip" and opts.tip and opts.tip in t.get("text", "")):
        return
    sx = a.get("x_scale", 1.0)
    x = px + a.get("x", 0.0) * pscale
    y = py + a.get("y", 0.0) * pscale
    if typ == "level":
        x, y = 400, 300
    scale = pscale * sx
    alpha = palpha * a.get("alpha", 1.0)
    tint = tuple(p * a.get(k, 1.0) for p, k in zip(ptint, "rgb"))
    img = t.get("image")
    if typ == "layer" and t.get("name") == "tiles" and opts.scroll:
        y += opts.scroll
    if typ == "slider":
        x = px + (float(t.get("left_value")) + float(t.get("right_value"))) / 2 * pscale
    if typ in ("cursor", "shooter_cursor"):
        if not opts.cursor:
            return
        x, y = opts.cursor[0] + 16, opts.cursor[1] + 16
    if img and typ not in ("text",):
        frame = 1 if t.get("name") in opts.hot else 0
        draw_image(ctx, img, x, y, scale, scale, alpha, frame, tint)
    if typ == "text":
        just = {"left": 0, "right": 2}.get(t.get("justification"), 1)
        draw_text(ctx, resolve(t.get("string", "")), t.get("font"), x, y, scale, float(t.get("spacing", "0")), just, alpha, tint)
    if typ == "user_data_display":
        draw_text(ctx, "Marisol", t.get("font"), x, y, 1.0, 0, 0, alpha, tint)
    if typ == "user_list_box":
        for i, n in enumerate(["Marisol", "Tiberio", "Nell"]):
            draw_text(ctx, n, t.get("font"), x, y + (i - 6) * 27.4, float(t.get("size")), 0, 1, alpha, tint)
    if typ == "tooltip":
        lh = FONT_HEIGHTS[t.get("font")]
        just = {"center": 1, "right": 2}.get(t.get("justification"), 0)
        if img:
            s = surface(img)
            lx, ly = x + (-s.get_width() / 2 + 16) * scale, y + (-s.get_height() / 2 + lh) * scale
        else:
            lx, ly = x, y
        for line in wrap(t.get("text", ""), int(t.get("line_width", "30"))):
            draw_text(ctx, line, t.get("font"), lx, ly, scale, -1, just, alpha, tint)
            ly += lh * scale
    if typ.endswith("_plate") and typ == "round_plate":
        n, r = int(t.get("num_jewels", "0")), float(t.get("radius", "0"))
        for i in range(n):
            a = math.radians(i * 360.0 / n)
            k = 3 + i % 3
            draw_image(ctx, "gfx\\%s%d.png" % ("outline" if i == 0 else "slot", k), x + r * math.cos(a) * scale,
                       y + r * math.sin(a) * scale, scale, scale, alpha)
    if typ == "shooter":
        draw_image(ctx, "gfx\\jewel4.png", x, y - 23 - 15, 1, 1, alpha)
        draw_image(ctx, "gfx\\jewel5.png", x, y + 13, 0.48, 0.48, 0.8 * alpha)
    if typ == "panel":
        draw_text(ctx, "12500", "gfx\\font1_tiny.png", x, y - 1, 1, 0, 1, alpha)
    if typ == "text":
        # A text's stage moves only its letters: other children stay in the text's own place.
        x, y, scale = px, py, pscale
        alpha, tint = palpha, ptint
    for c in sorted(o["children"], key=lambda c: float(c["tag"].get("z_order", "10" if c["tag"].get("type") == "text" else "0") or 0)):
        draw(ctx, c, x, y, scale, alpha, tint, opts)


def wrap(text, width):
    lines, pos = [], 0
    text = list(text)
    while pos < len(text):
        end = min(pos + width, len(text))
        brk = end
        if "^" in text[pos:end]:
            brk = text.index("^", pos)
            text[brk] = " "
        elif brk < len(text):
            while brk > pos and text[brk] != " ":
                brk -= 1
        lines.append("".join(text[pos:brk]))
        pos = brk + 1
    return lines


SAMPLE_KEYS = {"LEVEL_NUMBER": "BUILDING 1", "REGION_NAME": "THE OLD HARBOUR", "LEVEL_TITLE": "SAVE THE TREASURE!",
               "HIGH_SCORE_MODE_NAME": "JOURNEY HONOR ROLL", "CURRENT_USER_NAME": "Marisol"}


def resolve(key):
    if key in SAMPLE_KEYS:
        return SAMPLE_KEYS[key]
    m = re.match(r"HIGH_SCORE_(NAME|TIME|SCORE)_(\d)", key)
    if m:
        n = int(m.group(2))
        return {"NAME": "%d. Captain %s" % (n + 1, "ABCDEFGHIJ"[n]), "TIME": "%d:%02d" % (25 - n, 0),
                "SCORE": str(2100000 - n * 60000)}[m.group(1)]
    return key


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("screen")
    ap.add_argument("out")
    ap.add_argument("--hot", action="append", default=[], help="object drawn in its lit frame")
    ap.add_argument("--show", action="append", default=[], help="hidden object to show")
    ap.add_argument("--below", help="screen drawn underneath, dimmed")
    ap.add_argument("--cursor", type=int, nargs=2)
    ap.add_argument("--tip", help="show the tooltip whose text holds this")
    ap.add_argument("--scroll", type=float, default=0, help="how far the building has sunk")
    opts = ap.parse_args()
    load_config()
    out = cairo.ImageSurface(cairo.FORMAT_ARGB32, 800, 600)
    ctx = cairo.Context(out)
    ctx.set_source_rgb(0, 0, 0)
    ctx.paint()
    if opts.below:
        draw(ctx, parse(os.path.relpath(opts.below, DATA)), 0, 0, 1, 1, (0.5, 0.5, 0.5), argparse.Namespace(hot=[], show=[], cursor=None, scroll=0, tip=None))
    draw(ctx, parse(os.path.relpath(opts.screen, DATA)), 0, 0, 1, 1, (1, 1, 1), opts)
    out.write_to_png(opts.out)


if __name__ == "__main__":
    main()
