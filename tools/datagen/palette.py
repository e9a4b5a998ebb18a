"""The one palette of the game's look: a lagoon city at golden hour, brass and
parchment for the interface, ink outlines. Generators use these literal colours
(librsvg takes no CSS variables)."""

INK = "#23283A"
SKY_TOP = "#5E7FC4"
SKY_GLOW = "#F9C99A"
SUN = "#FFE7A6"
SEA_DEEP = "#0B4A5E"
SEA = "#167F8A"
SEA_LIGHT = "#4FC1BA"
FOAM = "#E6FAF5"
STONE_LIGHT = "#EFE1C4"
STONE = "#D2B48C"
STONE_DARK = "#9A7452"
TERRACOTTA = "#C96A42"
ROOF = "#A4482F"
SHUTTER = "#2F7E72"
BRASS_LIGHT = "#F3CF72"
BRASS = "#D5A23E"
BRASS_DARK = "#8A5A1C"
PARCHMENT = "#F6EBCF"
PARCHMENT_EDGE = "#D2B57F"
BUTTON = "#1E6F78"
BUTTON_LIT = "#2A95A0"
ALERT = "#EE7A55"
OK = "#6CBF6A"

# Haze colours between the palette entries, for distance.
LAVENDER = "#B9A6D6"
PEACH = "#F4B48E"

TREASURE = {
    1: "#F4F1EA", 2: "#B9C2CC", 3: "#1D4FA8", 4: "#17A673", 5: "#F6DA3E",
    6: "#CF4A1C", 7: "#F7A23A", 8: "#E0609E", 9: "#A98BEF", 10: "#E9F2F7",
}


def rgb(hex_colour):
    """'#RRGGBB' -> (r, g, b) floats 0..1."""
    h = hex_colour.lstrip("#")
    return tuple(int(h[i:i + 2], 16) / 255.0 for i in range(0, 6, 2))


def mix(a, b, t):
    """Blend of two '#RRGGBB' colours, t = 0 gives a."""
    ca, cb = rgb(a), rgb(b)
    return "#%02X%02X%02X" % tuple(int(round((x + (y - x) * t) * 255)) for x, y in zip(ca, cb))
