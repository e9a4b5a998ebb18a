"""Sound effects, synthesised with numpy and encoded with oggenc. Each file
gets a fixed stream serial, so a rerun writes the same bytes."""
import os
import subprocess
import tempfile
import wave
import zlib

import numpy as np

RATE = 44100


def _t(seconds, rate=RATE):
    return np.arange(int(seconds * rate)) / float(rate)


def _noise(n, seed):
    return np.random.default_rng(seed).uniform(-1.0, 1.0, n)


def _bandpass(x, centre, q, rate=RATE):
    """Two-pole resonator (a band-pass around centre Hz)."""
    w = 2 * np.pi * centre / rate
    r = np.exp(-w / (2 * q))
    a1, a2 = -2 * r * np.cos(w), r * r
    y = np.zeros_like(x)
    y1 = y2 = 0.0
    gain = 1 - r
    for i in range(len(x)):
        v = gain * x[i] - a1 * y1 - a2 * y2
        y[i] = v
        y2, y1 = y1, v
    return y


def _fade_in(x, ms, rate=RATE):
    n = min(len(x), int(rate * ms / 1000.0))
    if n > 0:
        x[:n] *= np.linspace(0.0, 1.0, n)
    return x


def _norm(x, peak):
    m = np.max(np.abs(x))
    return x * (peak / m) if m > 0 else x


def click():
    """A short wooden tick: a knock of filtered noise over two damped partials."""
    t = _t(0.09)
    knock = _bandpass(_noise(len(t), 1), 1900, 6) * np.exp(-t * 160)
    body = (np.sin(2 * np.pi * 820 * t) * 0.8 + np.sin(2 * np.pi * 1370 * t + 1.0) * 0.45) * np.exp(-t * 70)
    low = np.sin(2 * np.pi * 310 * t) * np.exp(-t * 45) * 0.5
    return _norm(_fade_in(knock * 3 + body + low, 0.6), 0.75)


def hot():
    """A faint, bright tick: the hover sound, played at 40,100..48,099 Hz."""
    t = _t(0.045)
    tick = _bandpass(_noise(len(t), 2), 3600, 8) * np.exp(-t * 220) * 4
    ping = np.sin(2 * np.pi * 2350 * t) * np.exp(-t * 120) * 0.6
    return _norm(_fade_in(tick + ping, 0.5), 0.32)


SOUNDS = {
    "audio/click.ogg": (click, RATE),
    "audio/hot.ogg": (hot, RATE),
}


def write_ogg(path, samples, rate):
    fd, wav = tempfile.mkstemp(suffix=".wav", prefix="datagen-")
    os.close(fd)
    try:
        pcm = np.clip(np.rint(samples * 32767), -32768, 32767).astype("<i2")
        with wave.open(wav, "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(rate)
            w.writeframes(pcm.tobytes())
        serial = zlib.crc32(os.path.basename(path).encode()) & 0x7FFFFFFF
        subprocess.run(["oggenc", "-Q", "-q", "4", "-s", str(serial), "-o", path, wav], check=True)
    finally:
        os.unlink(wav)


def generate(out):
    for rel, (make, rate) in SOUNDS.items():
        write_ogg(out(rel), make(), rate)
        yield rel
