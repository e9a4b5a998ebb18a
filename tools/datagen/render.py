"""Turns SVG text and pixel arrays into the game's files: PNG through
rsvg-convert or our own writer, JPEG through a PPM and cjpeg."""
import os
import subprocess
import tempfile

import cairo
import numpy as np

import pngio


def _tmp(suffix):
    fd, path = tempfile.mkstemp(suffix=suffix, prefix="datagen-")
    os.close(fd)
    return path


def svg_to_png(svg, path):
    src = _tmp(".svg")
    try:
        with open(src, "w", encoding="utf-8") as f:
            f.write(svg)
        subprocess.run(["rsvg-convert", "-o", path, src], check=True)
    finally:
        os.unlink(src)


def load_png(path):
    """A PNG as float RGBA, straight alpha, shape (h, w, 4), values 0..1."""
    surface = cairo.ImageSurface.create_from_png(path)
    w, h, stride = surface.get_width(), surface.get_height(), surface.get_stride()
    buf = np.frombuffer(surface.get_data(), dtype=np.uint8).reshape(h, stride)[:, :w * 4]
    bgra = buf.reshape(h, w, 4).astype(np.float64) / 255.0
    rgba = bgra[:, :, [2, 1, 0, 3]].copy()
    a = rgba[:, :, 3:4]
    rgba[:, :, :3] = np.where(a > 0, rgba[:, :, :3] / np.maximum(a, 1e-9), 0.0)
    return np.clip(rgba, 0.0, 1.0)


def svg_array(svg):
    path = _tmp(".png")
    try:
        svg_to_png(svg, path)
        return load_png(path)
    finally:
        os.unlink(path)


def to_bytes(rgba):
    arr = np.clip(np.rint(np.asarray(rgba) * 255.0), 0, 255).astype(np.uint8)
    # Fully transparent pixels carry no colour, so reruns compress alike.
    arr[arr[:, :, 3] == 0] = 0
    return arr


def save_png(path, rgba):
    arr = to_bytes(rgba)
    h, w = arr.shape[:2]
    pngio.write_png(path, w, h, arr.tobytes())


def save_jpeg(path, rgb_or_rgba, quality=90):
    arr = to_bytes(rgb_or_rgba) if rgb_or_rgba.shape[2] == 4 else None
    if arr is None:
        arr = np.clip(np.rint(rgb_or_rgba * 255.0), 0, 255).astype(np.uint8)
    h, w = arr.shape[:2]
    ppm = _tmp(".ppm")
    try:
        with open(ppm, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (w, h))
            f.write(np.ascontiguousarray(arr[:, :, :3]).tobytes())
        with open(path, "wb") as out:
            subprocess.run(["cjpeg", "-quality", str(quality), ppm], check=True, stdout=out)
    finally:
        os.unlink(ppm)


def svg_to_jpeg(svg, path):
    save_jpeg(path, svg_array(svg))


def blur(alpha, radius):
    """Separable box blur, three passes (close to a Gaussian), edges padded with zero."""
    r = int(radius)
    if r <= 0:
        return alpha
    out = alpha.astype(np.float64)
    k = 2 * r + 1
    for _ in range(3):
        for axis in (0, 1):
            pad = [(0, 0)] * out.ndim
            pad[axis] = (r + 1, r)
            c = np.cumsum(np.pad(out, pad), axis=axis)
            hi = np.take(c, range(k, c.shape[axis]), axis=axis)
            lo = np.take(c, range(0, c.shape[axis] - k), axis=axis)
            out = (hi - lo) / k
    return out


def dilate(alpha, radius):
    """Grey dilation by a disc of the given radius."""
    r = int(np.ceil(radius))
    h, w = alpha.shape
    padded = np.pad(alpha, r)
    out = np.zeros_like(alpha)
    for dy in range(-r, r + 1):
        for dx in range(-r, r + 1):
            d = (dx * dx + dy * dy) ** 0.5
            if d > radius + 0.5:
                continue
            weight = min(1.0, radius + 0.5 - d)
            out = np.maximum(out, weight * padded[r + dy:r + dy + h, r + dx:r + dx + w])
    return out


def over(dst, src):
    """Porter-Duff 'over' of straight-alpha float RGBA arrays."""
    sa = src[:, :, 3:4]
    da = dst[:, :, 3:4]
    oa = sa + da * (1.0 - sa)
    oc = np.where(oa > 0, (src[:, :, :3] * sa + dst[:, :, :3] * da * (1.0 - sa)) / np.maximum(oa, 1e-9), 0.0)
    return np.concatenate([oc, oa], axis=2)
