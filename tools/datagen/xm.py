"""Our own writer of tracker modules (the extended module format, version
1.04): 16-bit samples made with numpy, patterns written from note lists.

A song is channels x rows of cells; each cell is (note, instrument, volume)
or None. Notes are MIDI-style numbers (60 = middle C); the writer turns them
into the format's note numbers. A sample is recorded at SAMPLE_RATE with its
pitch at middle C, so middle C plays it at its own speed."""
import struct

import numpy as np

# C-4 of the format plays a sample at 8363 Hz; two octaves of relative note
# make it 33452 Hz, the rate our instruments are recorded at.
SAMPLE_RATE = 8363 * 4
RELATIVE_NOTE = 24
MIDDLE_C = 60
KEY_OFF = 97


class Instrument:
    def __init__(self, name, samples, loop_start=None, loop_length=None, volume=64, fadeout=0, envelope=None, pan=128):
        self.name = name
        self.pan = max(0, min(255, pan))
        self.samples = np.clip(np.rint(np.asarray(samples) * 32767), -32768, 32767).astype(np.int16)
        self.loop_start = loop_start
        self.loop_length = loop_length
        self.volume = volume
        self.fadeout = fadeout
        # Volume envelope points (tick, 0..64) applied after key off when a sustain point is set.
        self.envelope = envelope


def _text(s, n):
    return s.encode("ascii")[:n].ljust(n, b"\0")


def _note(n):
    if n == "off":
        return KEY_OFF
    # The format's note 49 (C-4) plays the sample at its base rate: our middle C.
    v = n - MIDDLE_C + 49
    if not 1 <= v <= 96:
        raise ValueError("note %d out of range" % n)
    return v


def _pattern(rows):
    """rows: list of rows; each row a list of cells per channel."""
    data = bytearray()
    for row in rows:
        for cell in row:
            if cell is None:
                data.append(0x80)
                continue
            note, inst, vol = cell
            flags = 0x80
            body = bytearray()
            if note is not None:
                flags |= 1
                body.append(_note(note))
            if inst:
                flags |= 2
                body.append(inst)
            if vol is not None:
                flags |= 4
                body.append(0x10 + max(0, min(64, vol)))
            data.append(flags)
            data += body
    return struct.pack("<IBHH", 9, 0, len(rows), len(data)) + bytes(data)


def _instrument(ins):
    s = ins.samples
    length = len(s) * 2
    loop_type = 0
    ls = ll = 0
    if ins.loop_length:
        loop_type = 1
        ls, ll = ins.loop_start * 2, ins.loop_length * 2
    env = ins.envelope or []
    points = bytearray(48)
    for i, (tick, value) in enumerate(env[:12]):
        struct.pack_into("<HH", points, i * 4, tick, value)
    vol_type = (1 | 2) if env else 0  # on, sustain at point 0
    head = struct.pack("<I22sBH", 263, _text(ins.name, 22), 0, 1)
    head += struct.pack("<I", 40) + bytes(96) + bytes(points) + bytes(48)
    head += struct.pack("<BB", len(env), 0) + struct.pack("<BBB", 0, 0, 0) + struct.pack("<BBB", 0, 0, 0)
    head += struct.pack("<BB", vol_type, 0) + struct.pack("<BBBB", 0, 0, 0, 0)
    head += struct.pack("<H", ins.fadeout) + bytes(22)
    assert len(head) == 263
    sample_head = struct.pack("<IIIBbBBbB22s", length, ls, ll, ins.volume, 0, loop_type | 0x10, ins.pan,
                              RELATIVE_NOTE, 0, _text(ins.name, 22))
    delta = np.diff(s.astype(np.int32), prepend=0).astype(np.int16)  # wraps as the format wants
    return head + sample_head + delta.astype("<i2").tobytes()


def write(path, name, instruments, patterns, order, tempo=6, bpm=100, restart=0):
    channels = len(patterns[0][0])
    if channels % 2:
        raise ValueError("channel count must be even")
    header = b"Extended Module: " + _text(name, 20) + b"\x1a" + _text("datagen", 20) + struct.pack("<H", 0x0104)
    order_table = bytes(order).ljust(256, b"\0")
    header += struct.pack("<IHHHHHHHH", 276, len(order), restart, channels, len(patterns), len(instruments), 1, tempo, bpm)
    header += order_table
    body = b"".join(_pattern(p) for p in patterns) + b"".join(_instrument(i) for i in instruments)
    with open(path, "wb") as f:
        f.write(header + body)
