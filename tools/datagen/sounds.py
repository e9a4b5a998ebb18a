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
        samples = np.array(samples, dtype=np.float64)
        tail = min(len(samples), int(rate * 0.005))
        if tail > 0:
            samples[-tail:] *= np.linspace(1.0, 0.0, tail)  # no click at the cut
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


# ---- The game's effects. Each is a few lines of synthesis; rates are 44,100 Hz
# except the chain tone (22,050 Hz: each step of a chain plays it 3,000 Hz faster).

def _env(t, attack, decay):
    return np.minimum(1.0, t / max(attack, 1e-4)) * np.exp(-t * decay)


def _bell(f, t, index=2.0, ratio=1.4, decay=4.0):
    mod = index * np.exp(-t * decay * 0.8) * np.sin(2 * np.pi * f * ratio * t)
    return np.sin(2 * np.pi * f * t + mod) * _env(t, 0.002, decay)


def _marimba(f, t, decay=9.0):
    return (np.sin(2 * np.pi * f * t) + 0.35 * np.sin(2 * np.pi * f * 3.9 * t) * np.exp(-t * 30)) * _env(t, 0.001, decay)


def _sweep(f0, f1, t):
    f = f0 * (f1 / f0) ** (t / t[-1])
    return np.sin(2 * np.pi * np.cumsum(f) / RATE)


def _at(total, parts):
    """Mixes (start seconds, samples) parts into one buffer."""
    out = np.zeros(int(total * RATE))
    for start, x in parts:
        i = int(start * RATE)
        n = min(len(x), len(out) - i)
        out[i:i + n] += x[:n]
    return out


def _noise_band(seconds, centre, q, seed, decay, attack=0.002):
    t = _t(seconds)
    return _bandpass(_noise(len(t), seed), centre, q) * _env(t, attack, decay) * 6


def _chord(freqs, seconds, step, voice):
    t = _t(seconds)
    return _at(seconds + step * len(freqs), [(i * step, voice(f, t)) for i, f in enumerate(freqs)])


NOTE = {n: 440.0 * 2 ** ((i - 9) / 12.0) for i, n in enumerate(["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"])}


def note(name, octave):
    return NOTE[name] * 2 ** (octave - 4)


def fx_throw():
    t = _t(0.22)
    whoosh = _bandpass(_noise(len(t), 11), 900, 1.5) * np.sin(np.pi * t / t[-1]) ** 2 * 5
    return _norm(whoosh + 0.3 * _sweep(300, 700, t) * _env(t, 0.01, 14), 0.6)


def fx_fastshot():
    t = _t(0.3)
    return _norm(_sweep(400, 2400, t) * _env(t, 0.005, 8) + _bandpass(_noise(len(t), 12), 2500, 2) * _env(t, 0.003, 12) * 4, 0.6)


def fx_place():
    t = _t(0.25)
    return _norm(_bell(1560, t, 1.2, 2.76, 18) + 0.5 * _bell(2340, t, 0.8, 1.5, 22) + _noise_band(0.25, 3000, 4, 13, 90), 0.6)


def fx_plate():
    f = [note("C", 5), note("E", 5), note("G", 5), note("C", 6)]
    return _norm(_chord(f, 1.1, 0.06, lambda fr, t: _bell(fr, t, 1.6, 3.5, 3.2)), 0.65)


def fx_plate_combo():
    f = [note("G", 4), note("C", 5), note("E", 5), note("G", 5), note("C", 6), note("E", 6)]
    return _norm(_chord(f, 1.3, 0.07, lambda fr, t: _bell(fr, t, 1.8, 3.5, 2.6)), 0.7)


def fx_tone():
    t = _t(0.35, 22050)
    f = 523.25
    x = (np.sin(2 * np.pi * f * t) + 0.3 * np.sin(2 * np.pi * f * 2 * t)) * np.minimum(1, t / 0.002) * np.exp(-t * 9)
    return _norm(x, 0.5)


def fx_toss():
    t = _t(0.2)
    return _norm(_sweep(500, 1100, t) * _env(t, 0.004, 18) + _noise_band(0.2, 1800, 3, 14, 40), 0.5)


def fx_splash():
    t = _t(0.8)
    n = _noise(len(t), 15)
    body = _bandpass(n, 700, 0.8) * _env(t, 0.01, 5) * 4 + _bandpass(n, 2600, 1.2) * _env(t, 0.005, 9) * 4
    drops = _at(0.8, [(0.15 + 0.07 * i, _sweep(900 + 150 * i, 1700 + 200 * i, _t(0.05)) * _env(_t(0.05), 0.002, 60) * 0.4) for i in range(4)])
    return _norm(body + drops, 0.65)


def fx_pop():
    t = _t(0.12)
    return _norm(_sweep(900, 300, t) * _env(t, 0.001, 40), 0.6)


def fx_bump():
    t = _t(0.3)
    return _norm(_sweep(320, 160, t) * _env(t, 0.002, 14) + 0.3 * _sweep(640, 320, t) * _env(t, 0.002, 20), 0.6)


def fx_break():
    parts = [(0.0, _noise_band(0.5, 3200, 2, 16, 10))]
    for i in range(7):
        parts.append((0.02 + 0.05 * i, _bell(2000 + 370 * i, _t(0.2), 2.5, 2.3, 25) * 0.4))
    return _norm(_at(0.6, parts), 0.65)


def fx_shake():
    t = _t(0.7)
    rumble = _bandpass(_noise(len(t), 17), 90, 1.0) * np.sin(np.pi * t / t[-1]) * 8
    rattle = _bandpass(_noise(len(t), 18), 1400, 4) * (0.5 + 0.5 * np.sin(2 * np.pi * 18 * t)) * np.sin(np.pi * t / t[-1]) * 2
    return _norm(rumble + rattle, 0.6)


def fx_sink():
    t = _t(1.2)
    glug = sum(_at(1.2, [(0.12 * i, _sweep(420 - 40 * i, 180 - 15 * i, _t(0.15)) * _env(_t(0.15), 0.004, 16)) ]) for i in range(8))
    return _norm(glug + _bandpass(_noise(len(t), 19), 300, 0.8) * _env(t, 0.05, 2.5) * 3, 0.6)


def fx_rise():
    t = _t(1.0)
    return _norm(_bandpass(_noise(len(t), 20), 600, 0.9) * np.sin(np.pi * t / t[-1]) * 4 + 0.25 * _sweep(150, 400, t) * np.sin(np.pi * t / t[-1]), 0.55)


def fx_endless_sink():
    t = _t(1.6)
    bubbles = _at(1.6, [(0.1 * i + 0.03 * (i % 3), _sweep(250 + 60 * (i % 4), 700 + 80 * (i % 5), _t(0.06)) * _env(_t(0.06), 0.003, 40) * 0.5) for i in range(14)])
    return _norm(bubbles + _bandpass(_noise(len(t), 21), 180, 0.7) * np.sin(np.pi * t / t[-1]) * 5, 0.55)


def fx_minute():
    return _norm(_bell(note("A", 5), _t(1.2), 2.2, 1.41, 3.0) + 0.5 * _bell(note("E", 6), _t(1.2), 1.5, 1.41, 4.0), 0.6)


def fx_victory():
    seq = [("C", 5, 0.0), ("E", 5, 0.15), ("G", 5, 0.3), ("C", 6, 0.45), ("G", 5, 0.75), ("C", 6, 0.9)]
    parts = [(s, _marimba(note(n, o), _t(0.9), 5) * 0.7 + _bell(note(n, o), _t(0.9), 1.0, 2.0, 4) * 0.4) for n, o, s in seq]
    parts.append((0.9, _bell(note("E", 6), _t(1.4), 1.5, 3.5, 2.2) * 0.5))
    return _norm(_at(2.4, parts), 0.7)


def fx_trickshot_made():
    seq = [("G", 5, 0.0), ("B", 5, 0.09), ("D", 6, 0.18), ("G", 6, 0.27)]
    return _norm(_at(1.2, [(s, _bell(note(n, o), _t(0.9), 1.6, 3.5, 3.5)) for n, o, s in seq]), 0.65)


def fx_trickshot_missed():
    seq = [("E", 4, 0.0), ("D#", 4, 0.28), ("D", 4, 0.56)]
    parts = [(s, _sweep(note(n, o), note(n, o) * 0.97, _t(0.3)) * _env(_t(0.3), 0.01, 4) * (1 + 0.3 * np.sin(2 * np.pi * 6 * _t(0.3)))) for n, o, s in seq]
    parts.append((0.84, _sweep(note("C#", 4), note("C#", 4) * 0.9, _t(0.7)) * _env(_t(0.7), 0.01, 2.5)))
    return _norm(_at(1.6, parts), 0.55)


def fx_powerup_caught():
    f = [note("C", 6), note("E", 6), note("G", 6), note("C", 7), note("E", 7)]
    return _norm(_chord(f, 0.5, 0.045, lambda fr, t: _bell(fr, t, 1.2, 2.0, 8)), 0.6)


def fx_cupid_catch():
    f = [note("E", 6), note("G#", 6), note("B", 6), note("E", 7)]
    return _norm(_chord(f, 0.45, 0.05, lambda fr, t: np.sin(2 * np.pi * fr * t) * _env(t, 0.002, 9)), 0.55)


def fx_cupid_flap():
    t = _t(0.18)
    return _norm(_bandpass(_noise(len(t), 22), 500, 1.2) * np.sin(np.pi * t / t[-1]) ** 3 * 4, 0.35)


def fx_wings():
    return _norm(_at(0.6, [(0.12 * i, fx_cupid_flap()) for i in range(5)]), 0.45)


def fx_basket():
    t = _t(0.4)
    return _norm(_bandpass(_noise(len(t), 23), 400, 2) * _env(t, 0.002, 25) * 5 + _bell(note("G", 5), t, 1.0, 2.0, 7) * 0.6, 0.6)


def fx_load_plate():
    t = _t(0.35)
    return _norm(_sweep(220, 110, t) * _env(t, 0.002, 20) + _bell(note("D", 6), t, 1.2, 2.76, 10) * 0.4, 0.6)


def fx_super_tumble():
    base = fx_throw()
    chimes = _chord([note("C", 6), note("G", 6), note("C", 7)], 0.5, 0.08, lambda fr, t: _bell(fr, t, 1.0, 2.0, 7))
    return _norm(_at(0.8, [(0, base), (0.1, chimes)]), 0.6)


def fx_turret():
    t = _t(0.3)
    return _norm(_sweep(160, 60, t) * _env(t, 0.001, 18) + _noise_band(0.3, 1200, 1.5, 24, 30), 0.6)


def fx_warp():
    t = _t(0.6)
    x = _sweep(300, 1800, t) * np.sin(np.pi * t / t[-1])
    return _norm(x + 0.6 * np.roll(x, 400) + 0.4 * _sweep(1800, 300, t) * np.sin(np.pi * t / t[-1]), 0.5)


for _name in ["throw", "fastshot", "place", "plate", "plate_combo", "toss", "splash", "pop", "bump", "break", "shake",
              "sink", "rise", "endless_sink", "minute", "victory", "trickshot_made", "trickshot_missed", "powerup_caught",
              "cupid_catch", "cupid_flap", "wings", "basket", "load_plate", "super_tumble", "turret", "warp"]:
    SOUNDS["audio/%s.ogg" % _name] = (globals()["fx_" + _name], RATE)
SOUNDS["audio/tone.ogg"] = (fx_tone, 22050)
