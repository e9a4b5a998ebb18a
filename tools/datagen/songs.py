"""Songs: instruments synthesised here, tunes written as note lists, saved as
tracker modules by xm.py. The menu theme loops; its last bar leads back into
its first."""
import numpy as np

import xm

SR = xm.SAMPLE_RATE
C4 = 261.6256


def _t(seconds):
    return np.arange(int(seconds * SR)) / float(SR)


def marimba():
    t = _t(1.2)
    x = np.sin(2 * np.pi * C4 * t) + 0.25 * np.sin(2 * np.pi * C4 * 4 * t) * np.exp(-t * 25) + 0.1 * np.sin(2 * np.pi * C4 * 10 * t) * np.exp(-t * 60)
    return xm.Instrument("marimba", 0.8 * x * np.minimum(1, t / 0.002) * np.exp(-t * 4.5), volume=64)


def pluck():
    """A plucked string (a short Karplus-Strong loop)."""
    n = int(1.5 * SR)
    period = int(round(SR / C4))
    rng = np.random.default_rng(5)
    buf = rng.uniform(-1, 1, period)
    out = np.zeros(n)
    for i in range(n):
        v = buf[i % period]
        out[i] = v
        buf[i % period] = 0.5 * (v + buf[(i + 1) % period]) * 0.996
    out -= out.mean()
    return xm.Instrument("pluck", 0.7 * out / np.abs(out).max(), volume=52)


def pad():
    """A soft pad: detuned saws through a gentle low-pass, looped on whole periods."""
    period = 128  # SR / 128 = 261.3 Hz, two cents under middle C: the loop closes exactly
    f = SR / period
    t = _t(period * 40 / SR)
    x = np.zeros_like(t)
    for k in range(1, 9):
        x += np.sin(2 * np.pi * f * k * t) / k * (0.85 ** k)
        x += np.sin(2 * np.pi * f * 2 * k * t + 0.7) / (k * 4)
    x *= 0.35 / np.abs(x).max()
    attack = np.minimum(1, t / 0.25)
    x[: len(attack)] *= attack
    loop_start = period * 20
    return xm.Instrument("pad", x, loop_start=loop_start, loop_length=period * 20, volume=44, fadeout=600,
                         envelope=[(0, 64)])


def bass():
    t = _t(1.0)
    f = C4
    x = np.sin(2 * np.pi * f * t) + 0.3 * np.sin(2 * np.pi * f * 2 * t) + 0.1 * np.sin(2 * np.pi * f * 3 * t)
    return xm.Instrument("bass", 0.8 * x * np.minimum(1, t / 0.004) * np.exp(-t * 3.0) / 1.4, volume=60)


def shaker():
    t = _t(0.12)
    rng = np.random.default_rng(7)
    n = rng.uniform(-1, 1, len(t))
    n = np.diff(n, prepend=0)  # brighter
    return xm.Instrument("shaker", 0.5 * n * np.exp(-t * 45), volume=28)


MAJOR = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def n(name):
    """'E5' -> 76; 'Bb3' -> 58."""
    letter, rest = name[0], name[1:]
    acc = 0
    if rest.startswith("b"):
        acc, rest = -1, rest[1:]
    elif rest.startswith("#"):
        acc, rest = 1, rest[1:]
    return 12 * (int(rest) + 1) + MAJOR[letter] + acc


def menu_theme(path):
    """'Lagoon at golden hour': a lilting tune over I - vi - IV - V."""
    ins = [marimba(), pluck(), pad(), bass(), shaker()]
    MAR, PLK, PAD, BAS, SHK = 1, 2, 3, 4, 5
    chords = [["C4", "E4", "G4"], ["A3", "C4", "E4"], ["F3", "A3", "C4"], ["G3", "B3", "D4"],
              ["C4", "E4", "G4"], ["E3", "G3", "B3"], ["F3", "A3", "C4"], ["G3", "B3", "D4"]]
    roots = ["C3", "A2", "F2", "G2", "C3", "E2", "F2", "G2"]
    # Melody: (row in the bar, note) per bar; 16 rows a bar.
    tune = [
        [(0, "E5"), (4, "G5"), (6, "A5"), (8, "G5"), (12, "E5")],
        [(0, "C5"), (6, "D5"), (8, "E5"), (12, "C5")],
        [(0, "A4"), (4, "C5"), (8, "F5"), (10, "E5"), (12, "D5")],
        [(0, "B4"), (8, "D5"), (12, "G4")],
        [(0, "E5"), (4, "G5"), (6, "A5"), (8, "C6"), (12, "B5")],
        [(0, "G5"), (6, "E5"), (8, "D5"), (12, "B4")],
        [(0, "A4"), (4, "C5"), (8, "D5"), (12, "F5")],
        [(0, "E5"), (4, "D5"), (8, "B4"), (12, "D5")],
    ]
    channels = 8
    bars = []
    for b in range(8):
        rows = [[None] * channels for _ in range(16)]
        for r, note in tune[b]:
            rows[r][0] = (n(note), MAR, 48)
        # Arpeggio on the off-beats, up and down the chord an octave higher.
        arp = [n(c) + 12 for c in chords[b]]
        for i, r in enumerate(range(2, 16, 2)):
            rows[r][1] = (arp[[0, 1, 2, 1, 0, 1, 2][i]], PLK, 30)
        for k, c in enumerate(chords[b]):
            rows[0][2 + k] = (n(c), PAD, 40)
        rows[0][5] = (n(roots[b]), BAS, 54)
        rows[8][5] = (n(roots[b]) + (7 if b % 2 == 0 else 12), BAS, 44)
        for r in range(0, 16, 2):
            rows[r][6] = (n("C5"), SHK, 20 if r % 4 else 30)
        # Release the pad on the bar's last row so the next chord starts clean.
        for k in range(3):
            rows[15][2 + k] = ("off", None, None)
        bars.append(rows)
    patterns = [sum(bars[0:4], []), sum(bars[4:8], [])]
    xm.write(path, "Lagoon at golden hour", ins, patterns, [0, 1], tempo=6, bpm=96, restart=0)


SONGS = {"audio/menu_theme.xm": menu_theme}


def generate(out):
    for rel, make in SONGS.items():
        make(out(rel))
        yield rel
