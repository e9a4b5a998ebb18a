#!/usr/bin/env python3
"""Checks that the treasure kinds in play stay told apart by colour for players
with a colour vision deficiency: every pair of kinds 3..10 of
data-src/treasures.txt lies at least MIN_DELTA_E apart (CIE 1976) under
simulated protan, deutan and tritan vision, and for normal vision. Shape tells
the kinds apart first; this keeps colour a help and never a trap.
Standard library only, like the data lint."""
import os
import sys

import datalint

MIN_DELTA_E = 14.0
IN_PLAY = range(3, 11)
SRC = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data-src", "treasures.txt")

# Full-severity dichromat simulations in linear RGB.
VISIONS = {
    "normal": ((1.0, 0.0, 0.0), (0.0, 1.0, 0.0), (0.0, 0.0, 1.0)),
    "protan": ((0.152286, 1.052583, -0.204868), (0.114503, 0.786281, 0.099216), (-0.003882, -0.048116, 1.051998)),
    "deutan": ((0.367322, 0.860646, -0.227968), (0.280085, 0.672501, 0.047413), (-0.011820, 0.042940, 0.968881)),
    "tritan": ((1.255528, -0.076749, -0.178779), (-0.078411, 0.930809, 0.147602), (0.004733, 0.691367, 0.303900)),
}


def _linear(c):
    c /= 255.0
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def _lab(rgb):
    r, g, b = rgb
    x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047
    y = 0.2126 * r + 0.7152 * g + 0.0722 * b
    z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883

    def f(t):
        return t ** (1.0 / 3.0) if t > (6.0 / 29.0) ** 3 else t / (3.0 * (6.0 / 29.0) ** 2) + 4.0 / 29.0
    fx, fy, fz = f(x), f(y), f(z)
    return 116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)


def seen(hex_colour, vision):
    """The colour as Lab for the given vision."""
    h = hex_colour.lstrip("#")
    lin = [_linear(float(int(h[i:i + 2], 16))) for i in (0, 2, 4)]
    m = VISIONS[vision]
    sim = [min(1.0, max(0.0, sum(m[row][k] * lin[k] for k in range(3)))) for row in range(3)]
    return _lab(sim)


def delta_e(a, b, vision):
    la, lb = seen(a, vision), seen(b, vision)
    return sum((p - q) ** 2 for p, q in zip(la, lb)) ** 0.5


def read(path):
    kinds = []
    with open(path) as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                n, name, colour = line.split()
                kinds.append((int(n), name, colour))
    return kinds


def problems(kinds):
    play = [k for k in kinds if k[0] in IN_PLAY]
    out = []
    for i, (_, name_a, a) in enumerate(play):
        for _, name_b, b in play[i + 1:]:
            for vision in VISIONS:
                d = delta_e(a, b, vision)
                if d < MIN_DELTA_E:
                    out.append("treasures: %s %s and %s %s are %.1f apart under %s vision (at least %.0f wanted)"
                               % (name_a, a, name_b, b, d, vision, MIN_DELTA_E))
    return out


def main(argv):
    path = argv[1] if len(argv) > 1 else SRC
    return datalint.report(problems(read(path)), "treasure colours")


if __name__ == "__main__":
    sys.exit(main(sys.argv))
