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
            rows[r][0] = (n(note), MAR, 62)
        # Arpeggio on the off-beats, up and down the chord an octave higher.
        arp = [n(c) + 12 for c in chords[b]]
        for i, r in enumerate(range(2, 16, 2)):
            rows[r][1] = (arp[[0, 1, 2, 1, 0, 1, 2][i]], PLK, 38)
        for k, c in enumerate(chords[b]):
            rows[0][2 + k] = (n(c), PAD, 50)
        rows[0][5] = (n(roots[b]), BAS, 64)
        rows[8][5] = (n(roots[b]) + (7 if b % 2 == 0 else 12), BAS, 54)
        for r in range(0, 16, 2):
            rows[r][6] = (n("C5"), SHK, 26 if r % 4 else 38)
        # Release the pad on the bar's last row so the next chord starts clean.
        for k in range(3):
            rows[15][2 + k] = ("off", None, None)
        bars.append(rows)
    patterns = [sum(bars[0:4], []), sum(bars[4:8], [])]
    xm.write(path, "Lagoon at golden hour", ins, patterns, [0, 1], tempo=6, bpm=96, restart=0)


# ---- More instruments: drums, bell, brass, a soft lead

def kick():
    t = _t(0.35)
    f = 48 + 110 * np.exp(-t * 28)
    phase = 2 * np.pi * np.cumsum(f) / SR
    x = np.sin(phase) * np.exp(-t * 9) + 0.15 * np.sin(phase * 2) * np.exp(-t * 30)
    return xm.Instrument("kick", 0.95 * x * np.minimum(1, t / 0.001), volume=64)


def snare():
    t = _t(0.25)
    rng = np.random.default_rng(11)
    noise = rng.uniform(-1, 1, len(t))
    noise = noise - 0.6 * np.roll(noise, 1)  # tilt it bright
    body = np.sin(2 * np.pi * 185 * t) * np.exp(-t * 30)
    x = 0.55 * noise * np.exp(-t * 16) + 0.6 * body
    return xm.Instrument("snare", 0.9 * x / np.abs(x).max(), volume=56, pan=120)


def hat():
    t = _t(0.07)
    rng = np.random.default_rng(13)
    n = np.diff(np.diff(rng.uniform(-1, 1, len(t) + 2)))
    return xm.Instrument("hat", 0.45 * n / np.abs(n).max() * np.exp(-t * 70), volume=40, pan=160)


def cymbal():
    t = _t(1.6)
    rng = np.random.default_rng(17)
    n = np.diff(rng.uniform(-1, 1, len(t) + 1))
    ring = sum(np.sin(2 * np.pi * f * t + k) for k, f in enumerate((3130, 4470, 5910, 7420)))
    x = (0.8 * n + 0.08 * ring) * np.exp(-t * 2.6) * np.minimum(1, t / 0.003)
    return xm.Instrument("cymbal", 0.6 * x / np.abs(x).max(), volume=40, pan=150)


def bell():
    """A light glockenspiel: a sine carrier with an inharmonic modulator whose depth dies quickly."""
    t = _t(1.8)
    index = 1.6 * np.exp(-t * 5)
    x = np.sin(2 * np.pi * C4 * t + index * np.sin(2 * np.pi * C4 * 3.5 * t))
    x += 0.25 * np.sin(2 * np.pi * C4 * 4 * t) * np.exp(-t * 7)
    x *= np.exp(-t * 2.8) * np.minimum(1, t / 0.001)
    return xm.Instrument("bell", 0.75 * x / np.abs(x).max(), volume=48, pan=100)


def _looped_tone(name, harmonics, attack, volume, fadeout, pan=128, breath=0.0, seed=3):
    """A tone on whole periods of 128 samples (middle C, two cents flat) that loops
    seamlessly; `harmonics` gives (number, amplitude); the attack swells the upper
    harmonics in over `attack` seconds before the loop."""
    period = 128
    f = SR / period
    cycles_attack = int(np.ceil(attack * f))
    t = np.arange(period * (cycles_attack + 40)) / float(SR)
    x = np.zeros_like(t)
    for k, a in harmonics:
        swell = np.minimum(1, t / max(attack, 1e-3)) ** (0.5 + 0.25 * k)
        x += a * swell * np.sin(2 * np.pi * f * k * t)
    x *= np.minimum(1, t / 0.01)
    if breath:
        rng = np.random.default_rng(seed)
        n = rng.uniform(-1, 1, len(t)) * np.exp(-t * 25)
        x += breath * n
    x *= 0.8 / np.abs(x).max()
    loop_start = period * (cycles_attack + 8)
    return xm.Instrument(name, x, loop_start=loop_start, loop_length=period * 32, volume=volume, fadeout=fadeout,
                         envelope=[(0, 64)], pan=pan)


def brass():
    return _looped_tone("brass", [(k, 1.0 / k) for k in range(1, 13)], 0.06, 50, 2400, pan=140)


def lead():
    """A soft ocarina-like lead."""
    return _looped_tone("lead", [(1, 1.0), (2, 0.22), (3, 0.12), (4, 0.04)], 0.03, 38, 3000, pan=112, breath=0.05)


def soft_pad(fadeout=1800):
    ins = pad()
    ins.fadeout = fadeout
    return ins


# ---- Writing tunes

def scaled(v, gain):
    return max(1, min(64, int(round(v * gain))))


class Song:
    """Bars of rows x channels cells; channel roles are the caller's."""

    def __init__(self, channels, rows=16, gain=1.0):
        self.channels = channels
        self.rows = rows
        self.gain = gain
        self.bars = []

    def bar(self, rows=None):
        b = [[None] * self.channels for _ in range(rows or self.rows)]
        self.bars.append(b)
        return b

    def put(self, b, row, ch, note, inst, vol):
        if note == "off":
            b[row][ch] = ("off", None, None)
        else:
            b[row][ch] = (n(note) if isinstance(note, str) else note, inst, scaled(vol, self.gain))

    def line(self, b, ch, inst, seq, vol, off_after=None):
        """seq: (row, note) pairs; with off_after, each note is released that many rows on."""
        for r, note in seq:
            self.put(b, r, ch, note, inst, vol)
            if off_after is not None and r + off_after < len(b) and b[r + off_after][ch] is None:
                b[r + off_after][ch] = ("off", None, None)

    def chord(self, b, chs, inst, notes, vol, row=0, off=None):
        for ch, note in zip(chs, notes):
            self.put(b, row, ch, note, inst, vol)
            if off is not None:
                b[off][ch] = ("off", None, None)

    def release_all(self, b, row):
        """Every channel let go on this row (an empty cell gets a key off), so the loop's seam starts clean."""
        for ch in range(self.channels):
            if b[row][ch] is None:
                b[row][ch] = ("off", None, None)

    def drums(self, b, ch, inst, pattern, vol, note="C4"):
        """pattern: one character a row: X accent, x normal, o soft, . nothing."""
        for r, c in enumerate(pattern[:len(b)]):
            if c in "Xxo":
                self.put(b, r, ch, note, inst, {"X": vol, "x": vol * 0.78, "o": vol * 0.5}[c])

    def write(self, path, name, instruments, tempo, bpm, bars_per_pattern=4):
        patterns = []
        for i in range(0, len(self.bars), bars_per_pattern):
            patterns.append(sum(self.bars[i:i + bars_per_pattern], []))
        xm.write(path, name, instruments, patterns, list(range(len(patterns))), tempo=tempo, bpm=bpm)


def notes_of(chord_name):
    """'F' -> F major triad around middle C; 'Dm' -> D minor; the root note for the bass."""
    minor = chord_name.endswith("m")
    root = chord_name[:-1] if minor else chord_name
    base = n(root + "3")
    if base < n("F3"):
        base += 12
    third = 3 if minor else 4
    return [base, base + third, base + 7], n(root + "2") if n(root + "2") >= n("E2") else n(root + "3")


# Channel roles of the band songs.
MEL, MEL2, PAD1, PAD2, PAD3, BASS, ARP, KICK, SNARE, HAT, PERC, BELL = range(12)


def band_song(path, name, chords, tune, bpm, tempo=6, gain=1.0, tune_inst="marimba", b_tune_inst="bell",
              bass_steps=((0, 0, 56), (6, 7, 44), (8, 0, 50), (12, 12, 42)), kick_pat="X.......x.x.....",
              snare_pat="....X.......X...", hat_pat="x.o.x.o.x.o.x.o.", perc_pat="..o...o...o...o.", arp_rows=(2, 4, 6, 10, 12, 14),
              tune_vol=50, fill="....x...x.x.xXxX"):
    """A loop of 16-row bars: melody, a second voice an octave down in the B half,
    pad chords, bass, plucked arpeggio, drums. Every held note is released by the
    last bar's end so that the loop's seam is clean."""
    MAR, PLK, PAD, BAS, SHK, KCK, SNR, HHT, BEL, LED = range(1, 11)
    ins = [marimba(), pluck(), soft_pad(), bass(), shaker(), kick(), snare(), hat(), bell(), lead()]
    voices = {"marimba": MAR, "bell": BEL, "lead": LED, "pluck": PLK}
    song = Song(12, gain=gain)
    half = len(chords) // 2
    for i, (ch_name, notes) in enumerate(zip(chords, tune)):
        b = song.bar()
        last = i == len(chords) - 1
        triad, root = notes_of(ch_name)
        inst = voices[tune_inst if i < half else b_tune_inst]
        mel_off = 3 if inst == LED else None
        song.line(b, MEL, inst, notes, tune_vol * (0.6 if inst == LED else 1.0), off_after=mel_off)
        if i >= half:
            # A quiet marimba an octave down doubles the B half's tune.
            song.line(b, MEL2, MAR, [(r, n(x) - 12 if isinstance(x, str) else x - 12) for r, x in notes if r % 4 == 0], 26)
        song.chord(b, (PAD1, PAD2, PAD3), PAD, triad, 34, off=8 if last else 15)
        steps = bass_steps if not last else bass_steps[:2]
        for r, semis, v in steps:
            song.put(b, r, BASS, root + semis, BAS, v)
        arp = [x + 12 for x in triad] + [triad[0] + 24]
        for k, r in enumerate(arp_rows):
            if not (last and r > 10):
                song.put(b, r, ARP, arp[[0, 1, 2, 3, 2, 1][k % 6]], PLK, 24)
        song.drums(b, KICK, KCK, kick_pat if not last else kick_pat[:9] + "." * 7, 60)
        song.drums(b, SNARE, SNR, snare_pat if not last else fill, 44)
        song.drums(b, HAT, HHT, hat_pat if not last else hat_pat[:12] + "....", 30)
        song.drums(b, PERC, SHK, perc_pat, 26, note="C5")
    song.write(path, name, ins, tempo=tempo, bpm=bpm)


def lagoon_song(path):
    """Journey's song: 'Ferry to the lagoon', F major, bright and walking."""
    chords = ["F", "Dm", "Bb", "C", "F", "Am", "Bb", "C",
              "Dm", "Bb", "F", "C", "Gm", "Bb", "C", "C"]
    tune = [
        [(0, "C5"), (2, "F5"), (4, "A5"), (6, "G5"), (8, "F5"), (12, "C5")],
        [(0, "D5"), (4, "F5"), (6, "E5"), (8, "D5"), (10, "A4")],
        [(0, "Bb4"), (2, "D5"), (4, "F5"), (8, "Bb5"), (10, "A5"), (12, "G5")],
        [(0, "G5"), (4, "E5"), (6, "F5"), (8, "G5"), (12, "C5")],
        [(0, "C5"), (2, "F5"), (4, "A5"), (6, "G5"), (8, "F5"), (10, "A5"), (12, "C6")],
        [(0, "C6"), (2, "A5"), (4, "E5"), (8, "A5"), (12, "G5")],
        [(0, "F5"), (2, "G5"), (4, "A5"), (6, "Bb5"), (8, "D6"), (12, "C6")],
        [(0, "C6"), (4, "Bb5"), (6, "A5"), (8, "G5"), (12, "E5")],
        [(0, "A5"), (6, "F5"), (8, "D5"), (12, "E5")],
        [(0, "F5"), (6, "D5"), (8, "Bb4"), (12, "C5")],
        [(0, "C5"), (4, "F5"), (8, "A5"), (12, "C6")],
        [(0, "Bb5"), (4, "A5"), (8, "G5"), (12, "E5")],
        [(0, "G5"), (4, "Bb5"), (8, "D6"), (12, "C6")],
        [(0, "Bb5"), (4, "A5"), (8, "F5"), (12, "D5")],
        [(0, "E5"), (4, "G5"), (8, "C6"), (10, "Bb5"), (12, "G5")],
        [(0, "E5"), (4, "G5"), (8, "C5")],
    ]
    band_song(path, "Ferry to the lagoon", chords, tune, bpm=150, tempo=8, gain=1.0, tune_inst="marimba", b_tune_inst="bell")


def tide_song(path):
    """Flood's song: 'Rising tide', D minor, urgent but light."""
    chords = ["Dm", "C", "Bb", "C", "Dm", "C", "Bb", "A",
              "F", "C", "Gm", "Dm", "Bb", "F", "Gm", "A"]
    tune = [
        [(0, "D5"), (3, "F5"), (6, "A5"), (8, "G5"), (10, "F5"), (12, "E5")],
        [(0, "E5"), (3, "G5"), (6, "C6"), (8, "Bb5"), (10, "A5"), (12, "G5")],
        [(0, "F5"), (3, "D5"), (6, "F5"), (8, "Bb5"), (12, "A5")],
        [(0, "G5"), (4, "E5"), (8, "C5"), (12, "E5")],
        [(0, "D5"), (3, "F5"), (6, "A5"), (8, "D6"), (12, "C6")],
        [(0, "C6"), (3, "Bb5"), (6, "A5"), (8, "G5"), (12, "E5")],
        [(0, "F5"), (2, "G5"), (4, "A5"), (8, "Bb5"), (10, "A5"), (12, "G5")],
        [(0, "A5"), (4, "C#6"), (8, "E5"), (12, "A4")],
        [(0, "A5"), (4, "C6"), (8, "F5"), (12, "A5")],
        [(0, "G5"), (4, "E5"), (8, "C5"), (12, "E5")],
        [(0, "D5"), (4, "G5"), (8, "Bb5"), (12, "A5")],
        [(0, "F5"), (8, "D5"), (12, "A4")],
        [(0, "D5"), (4, "F5"), (8, "Bb5"), (12, "D6")],
        [(0, "C6"), (4, "A5"), (8, "F5"), (12, "C5")],
        [(0, "D5"), (4, "G5"), (6, "A5"), (8, "Bb5"), (12, "G5")],
        [(0, "A5"), (4, "E5"), (8, "C#5")],
    ]
    band_song(path, "Rising tide", chords, tune, bpm=125, tempo=7, gain=1.0, tune_inst="pluck", b_tune_inst="lead",
              bass_steps=((0, 0, 56), (4, 12, 36), (6, 0, 44), (8, 0, 50), (10, 12, 36), (12, 7, 44), (14, 12, 36)),
              kick_pat="X.....x.X.......", snare_pat="....X.......X..o")


def survival_song(path):
    """Survival's song: 'Against the water', A minor, driving, four on the floor."""
    chords = ["Am", "F", "C", "G", "Am", "F", "C", "G",
              "Dm", "Am", "E", "E", "F", "G", "Am", "E"]
    tune = [
        [(0, "E5"), (2, "A5"), (4, "C6"), (6, "B5"), (8, "A5"), (10, "E5"), (12, "G5"), (14, "A5")],
        [(0, "F5"), (2, "A5"), (4, "C6"), (8, "A5"), (12, "F5")],
        [(0, "E5"), (2, "G5"), (4, "C6"), (6, "D6"), (8, "E6"), (12, "D6")],
        [(0, "B5"), (4, "G5"), (8, "D5"), (12, "G5"), (14, "B5")],
        [(0, "E5"), (2, "A5"), (4, "C6"), (6, "B5"), (8, "A5"), (10, "E5"), (12, "C6"), (14, "E6")],
        [(0, "D6"), (2, "C6"), (4, "A5"), (8, "F5"), (10, "A5"), (12, "C6")],
        [(0, "E6"), (4, "D6"), (6, "C6"), (8, "G5"), (12, "E5")],
        [(0, "D5"), (2, "G5"), (4, "B5"), (8, "D6"), (12, "B5")],
        [(0, "F5"), (4, "A5"), (8, "D6"), (12, "C6")],
        [(0, "C6"), (4, "B5"), (8, "A5"), (12, "E5")],
        [(0, "G#5"), (4, "B5"), (8, "E6"), (12, "D6")],
        [(0, "B5"), (4, "G#5"), (8, "E5"), (12, "B4")],
        [(0, "A5"), (4, "C6"), (8, "F6"), (12, "E6")],
        [(0, "D6"), (4, "B5"), (8, "G5"), (12, "B5")],
        [(0, "C6"), (4, "E6"), (8, "A6"), (12, "G6")],
        [(0, "G#6"), (4, "E6"), (8, "B5")],
    ]
    band_song(path, "Against the water", chords, tune, bpm=150, tempo=7, gain=1.0, tune_inst="pluck", b_tune_inst="marimba",
              bass_steps=tuple((r, 0 if r % 4 == 0 else 12, 50 if r % 4 == 0 else 34) for r in range(0, 16, 2)),
              kick_pat="X...x...X...x...", snare_pat="....X.......X...", hat_pat="xoxoxoxoxoxoxoxo", perc_pat="..x...x...x...x.",
              arp_rows=(1, 3, 5, 9, 11, 13))


def intro_sting(path):
    """Before a level: a rising run that lands on a bright F major chord, then rings away."""
    MAR, PLK, PAD, BAS, KCK, CYM, BEL, BRS, SNR = range(1, 10)
    ins = [marimba(), pluck(), soft_pad(1200), bass(), kick(), cymbal(), bell(), brass(), snare()]
    song = Song(12, rows=37)
    b = song.bar()
    run = ["F4", "A4", "C5", "F5", "A5", "C6", "D6", "E6"]
    song.line(b, 0, MAR, list(enumerate(run)), 44)
    song.line(b, 1, PLK, [(r, n(x) - 12) for r, x in enumerate(run)], 28)
    song.drums(b, 8, SNR, "o.o.x.xxX", 40)
    song.put(b, 8, 0, "F6", BEL, 50)
    song.chord(b, (2, 3, 4), BRS, ["F4", "A4", "C5"], 46, row=8, off=28)
    song.chord(b, (5, 6, 7), PAD, ["F3", "C4", "A4"], 40, row=8, off=30)
    song.put(b, 8, 9, "F2", BAS, 60)
    song.put(b, 8, 10, "C4", KCK, 60)
    song.put(b, 8, 11, "C4", CYM, 50)
    song.line(b, 1, BEL, [(14, "C6"), (18, "A5"), (22, "F5"), (26, "C5")], 32)
    song.write(path, "Set sail", ins, tempo=6, bpm=125, bars_per_pattern=1)


def victory_fanfare(path):
    """A level won: brass calls over a drum roll, a full F major close."""
    MAR, PAD, BAS, KCK, CYM, BEL, BRS, SNR = range(1, 9)
    ins = [marimba(), soft_pad(1500), bass(), kick(), cymbal(), bell(), brass(), snare()]
    song = Song(12, rows=52)
    b = song.bar()
    call = [(0, "C5"), (2, "C5"), (4, "C5"), (6, "F5"), (16, "E5"), (18, "F5"), (20, "G5"), (22, "A5"), (28, "G5"), (30, "A5"),
            (32, "C6")]
    song.line(b, 0, BRS, call, 52)
    for r in (5, 15, 21, 27, 29, 31):
        b[r][0] = ("off", None, None)
    b[44][0] = ("off", None, None)
    song.line(b, 1, BRS, [(6, "A4"), (16, "C5"), (22, "F5"), (32, "A5")], 40)
    for r in (15, 21, 31):
        b[r][1] = ("off", None, None)
    b[44][1] = ("off", None, None)
    song.chord(b, (2, 3, 4), PAD, ["F3", "A3", "C4"], 36, row=6)
    b[15][2] = b[15][3] = b[15][4] = ("off", None, None)
    song.chord(b, (2, 3, 4), PAD, ["Bb3", "D4", "F4"], 36, row=16)
    song.chord(b, (2, 3, 4), PAD, ["C4", "E4", "G4"], 36, row=22)
    song.chord(b, (2, 3, 4), PAD, ["F3", "C4", "A4"], 40, row=32, off=44)
    for r, note in ((0, "F2"), (6, "F2"), (16, "Bb2"), (22, "C3"), (28, "C3"), (32, "F2")):
        song.put(b, r, 5, note, BAS, 58)
    song.drums(b, 6, SNR, "x.x.x.X.........o.o.o.X.....xxxxX", 44)
    song.drums(b, 7, KCK, "......X.........X.....X.........X", 60)
    song.put(b, 6, 8, "C4", CYM, 40)
    song.put(b, 32, 8, "C4", CYM, 52)
    song.line(b, 9, BEL, [(32, "F6"), (34, "C6"), (36, "A5"), (38, "F5"), (40, "C5")], 36)
    song.line(b, 10, MAR, [(32, "F5"), (33, "A5"), (34, "C6"), (35, "F6")], 36)
    song.write(path, "Well played", ins, tempo=6, bpm=125, bars_per_pattern=1)


def finale(path):
    """The city saved: the menu's tune, slower and grander in F, with bells and brass."""
    MAR, PLK, PAD, BAS, KCK, CYM, BEL, BRS, SNR, HAT = range(1, 11)
    ins = [marimba(), pluck(), soft_pad(), bass(), kick(), cymbal(), bell(), brass(), snare(), hat()]
    up = 5  # the menu's C major tune, a fourth up
    chords = [["C4", "E4", "G4"], ["A3", "C4", "E4"], ["F3", "A3", "C4"], ["G3", "B3", "D4"],
              ["C4", "E4", "G4"], ["E3", "G3", "B3"], ["F3", "A3", "C4"], ["G3", "B3", "D4"]]
    roots = ["C3", "A2", "F2", "G2", "C3", "E2", "F2", "G2"]
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
    song = Song(12)
    for rep in range(2):
        for i in range(8):
            b = song.bar()
            last = rep == 1 and i == 7
            voice, vol = (BEL, 52) if rep == 0 else (BRS, 46)
            notes = [(r, n(x) + up) for r, x in tune[i] if not (last and r > 8)]
            song.line(b, 0, voice, notes, vol, off_after=3 if voice == BRS else None)
            song.line(b, 1, MAR, [(r, x - 12) for r, x in notes], 30)
            song.chord(b, (2, 3, 4), PAD, [n(c) + up for c in chords[i]], 36, off=8 if last else 15)
            song.put(b, 0, 5, n(roots[i]) + up, BAS, 56)
            if not last:
                song.put(b, 8, 5, n(roots[i]) + up + 7, BAS, 44)
            arp = [n(c) + up + 12 for c in chords[i]]
            for k, r in enumerate(range(2, 16, 2)):
                song.put(b, r, 6, arp[[0, 1, 2, 1, 0, 1, 2][k]], PLK, 26 if not last else 20)
            song.drums(b, 7, KCK, "X.......x......." if not last else "X........", 56)
            song.drums(b, 8, SNR, "........X......." if rep == 1 and not last else "", 36)
            song.drums(b, 9, HAT, "x...x...x...x..." if rep == 1 and not last else "x...x...x...", 26)
            if i == 0:
                song.put(b, 0, 10, "C4", CYM, 36 if rep == 0 else 46)
            if last:
                song.release_all(b, 15)
    song.write(path, "The city saved", ins, tempo=8, bpm=125)


SONGS = {
    "audio/menu_theme.xm": menu_theme,
    "audio/lagoon_song.xm": lagoon_song,
    "audio/tide_song.xm": tide_song,
    "audio/survival_song.xm": survival_song,
    "audio/intro_sting.xm": intro_sting,
    "audio/victory_fanfare.xm": victory_fanfare,
    "audio/finale.xm": finale,
}


def generate(out):
    for rel, make in SONGS.items():
        make(out(rel))
        yield rel
