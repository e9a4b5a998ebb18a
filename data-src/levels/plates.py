from x import O, St, ev

# kind -> (type, image, slots, radius)
KINDS = {
    "round": ("round_plate", "round", 4, 55),
    "mini_round": ("round_plate", "mini_round", 3, 38),
    "semicircle": ("semicircle_plate", "semicircle", 3, 70),
    "a": ("a_plate", "a", 5, 48),
    "x": ("x_plate", "x", 8, 40),
    "stick": ("stick_plate", "stick", 4, 60),
    "mini_stick": ("stick_plate", "mini_stick", 2, 44),
    "block": ("block_plate", "block", 1, 0),
    "triangle": ("triangle_plate", "triangle", 3, 52),
    "t": ("t_plate", "t", 3, 50),
    "tosser": ("tosser_plate", "tosser", 3, 60),
    "key": ("key_plate", "key", 1, 0),
    "spinner": ("spinner_plate", "spinner", 2, 60),
    "step": ("step_plate", "step", 3, 50),
    "square": ("square_plate", "square", 8, 55),
    "m": ("m_plate", "m", 8, 0),
}

# Small kinds that suit a tight place (mini plates in Survival).
SURVIVAL_FILES = ["stick", "round", "triangle", "x", "block", "semicircle", "spinner", "a", "tosser", "mini_round",
                  "mini_stick", "m", "square", "step", "t"]


def fade_out(ms=900):
    return (St("fade_out", ms).at("x_scale", 1, 0.2).at("y_scale", 1, 0.2).at("alpha", 1, 0)
            .filt("squared", "all", 1))


def plate(kind, x=0, y=0, name=None, n=None, r=None, slots=None, children=(), idle_extra=None):
    typ, img, n0, r0 = KINDS[kind]
    idle = St("idle", 1000, True, x=x, y=y)
    if idle_extra:
        idle_extra(idle)
    kids = list(children)
    if slots:
        # Slots fixed by kind: each replaces one the plate made itself.
        kids = [O("slot", None, [St(None, 1000, True, x=sx, y=sy)], number=k, image="gfx\\slot%d.png" % k)
                for (sx, sy, k) in slots] + kids
        n = len(slots)
    o = O(typ, name or (kind + "_plate"), [idle, fade_out()], kids,
          num_jewels=n if n is not None else n0, radius=r if r is not None else r0,
          image="gfx\\plates\\%s.png" % img)
    return o
