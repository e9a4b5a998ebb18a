#!/usr/bin/env python3
"""Writes the framework tests' generated sound: tests/data/sounds/click.wav, a short blip
(a sine sweeping from 880 Hz to 1320 Hz that dies away over 120 ms), mono,
16-bit, 22050 Hz.

    tools/make_sounds.py [FOLDER]  (default tests/data)
"""
import math
import os
import struct
import sys

RATE = 22050


def click():
    frames = int(RATE * 0.12)
    samples = []
    phase = 0.0
    for i in range(frames):
        t = i / frames
        frequency = 880.0 + 440.0 * t
        phase += 2.0 * math.pi * frequency / RATE
        # A 2 ms attack so the start does not click, then an exponential fall.
        envelope = min(1.0, i / (RATE * 0.002)) * math.exp(-5.0 * t)
        samples.append(int(round(0.6 * 32767 * envelope * math.sin(phase))))
    return samples


def wav(samples):
    data = struct.pack("<%dh" % len(samples), *samples)
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    return (b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(data)) + b"WAVE" +
            b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data)


def main():
    data = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data")
    folder = os.path.join(data, "sounds")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "click.wav"), "wb") as out:
        out.write(wav(click()))


if __name__ == "__main__":
    main()
