"""The trick list: 26 still levels named "trickshot", made from families of
tricks. Each has one treasure kind; every slot is fixed to it, one slot to a
plate, so a single throw wins: the treasure flies to the first slot (straight
up, through a warp pair, out of a turret or off a round bumper), fills it, and
tumbles down a stair of slots where each slot's nearest lower slot is the next
one. The generator checks that rule, the lob speeds and that no lower slot
lies in the treasure's flight, and returns where the throw goes.

Coordinates are the level's (the screen centre is 0, 0; y grows downwards)."""
import math
import random

import objxml as X

SHOOTER_Y = 222          # the shooter's y in every level file
READY_Y = SHOOTER_Y - 38  # the ready treasure: half its 46-px picture and 15 px above the shooter
THROW_SPEED = 2.3         # pixels a tick, straight up
JEWEL_R = 46 / 2.5        # the treasure's radius against bumpers
TAKE_R = 28 + 23          # slot and treasure circles that meet when a slot takes it
CLEAR = 64                # a lower slot stays this far from any flight line
WALL = 330                # slots stay inside x -330..330

KINDS = [8, 9, 10, 6, 3, 5, 7, 4]
FAMILIES = ["straight", "warp", "turret", "round_bumper", "key_row"]


def seg_dist(p, a, b):
    ax, ay = a
    bx, by = b
    px, py = p
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy or 1)))
    return math.hypot(ax + t * dx - px, ay + t * dy - py)


def lob_ok(a, b):
    dx, dy = b[0] - a[0], b[1] - a[1]
    if dy <= 5 or abs(dx) >= 400:
        return False
    if abs(dx) / math.sqrt(dy) / 13 >= 2.5:
        return False
    # Where the lob crosses the target's height (x overshoots a little): it must still meet the slot.
    t = (0.75 + math.sqrt(0.75 ** 2 + 0.04 * dy)) / 0.02
    reach = abs(dx) / math.sqrt(dy) / 13 * t
    return abs(reach - abs(dx)) < TAKE_R - 12


def nearest_lower(slots, i):
    best, best_d = None, None
    for j, s in enumerate(slots):
        if j == i or s[1] <= slots[i][1] + 5 or abs(s[0] - slots[i][0]) >= 400:
            continue
        d = math.hypot(s[0] - slots[i][0], s[1] - slots[i][1])
        if best_d is None or d < best_d:
            best, best_d = j, d
    return best


def chain_from(rnd, first, flight, steps):
    """A stair of slots below the first one, each the nearest lower slot of the one before."""
    for _ in range(400):
        direction = rnd.choice((-1, 1))
        slots = [first]
        for _ in range(steps):
            x, y = slots[-1]
            nx = x + direction * rnd.uniform(105, 140)
            if abs(nx) > WALL:
                direction = -direction
                nx = x + direction * rnd.uniform(105, 140)
            slots.append((nx, y + rnd.uniform(78, 100)))
        if any(abs(x) > WALL or y > 120 for x, y in slots):
            continue
        if any(nearest_lower(slots, i) != i + 1 for i in range(len(slots) - 1)):
            continue
        if not all(lob_ok(slots[i], slots[i + 1]) for i in range(len(slots) - 1)):
            continue
        if any(seg_dist(s, a, b) < CLEAR for s in slots[1:] for a, b in flight):
            continue
        return slots
    return None


def reflect(v, n):
    d = v[0] * n[0] + v[1] * n[1]
    return (v[0] - 2 * d * n[0], v[1] - 2 * d * n[1])


def plan(index, rnd):
    family = FAMILIES[index % len(FAMILIES)]
    for _ in range(1000):
        extras = []
        if family == "straight" or family == "key_row":
            x0 = rnd.uniform(-260, 260)
            top = (x0, rnd.uniform(-250, -170) if family == "straight" else rnd.uniform(-150, -100))
            flight = [((x0, READY_Y), top)]
            throw = x0
            if family == "key_row":
                # The key plate's slot sits 17 below its centre; a row of bumpers waits above it.
                side = -1 if x0 > 0 else 1
                row_y = top[1] - 17 - 100
                extras = [("key", top)] + [("rect_bumper", (x0 + side * (60 + 130 * k), row_y)) for k in range(3)]
                if any(abs(b[1][0]) > 360 for b in extras[1:]):
                    continue
        elif family == "warp":
            a = (rnd.uniform(-260, 260), rnd.uniform(40, 110))
            b = (rnd.uniform(-260, 260), rnd.uniform(-110, -40))
            if abs(a[0] - b[0]) < 150:
                continue
            top = (b[0], b[1] - rnd.uniform(120, 170))
            flight = [((a[0], READY_Y), a), (b, top)]
            throw = a[0]
            extras = [("warp", a), ("warp", b)]
        elif family == "turret":
            t = (rnd.uniform(-220, 220), rnd.uniform(10, 80))
            barrel = rnd.choice((-1, 1)) * rnd.uniform(22, 38)
            ang = math.radians(barrel - 90)
            d = (-math.cos(ang), math.sin(ang))
            start = (t[0] + d[0] * 18, t[1] + d[1] * 18)
            dist = rnd.uniform(160, 230)
            top = (start[0] + d[0] * dist, start[1] + d[1] * dist)
            flight = [((t[0], READY_Y), t), (t, top)]
            throw = t[0]
            extras = [("turret", t, barrel)]
        else:
            bump = (rnd.uniform(-200, 200), rnd.uniform(-20, 60))
            off = rnd.choice((-1, 1)) * rnd.uniform(30, 35)
            x0 = bump[0] + off
            # Step the throw as the game does, one tick at a time, until the circles meet.
            y = READY_Y
            while math.hypot(x0 - bump[0], y - bump[1]) >= JEWEL_R + 52 / 2.2:
                y -= THROW_SPEED
            n = ((x0 - bump[0]), (y - bump[1]))
            ln = math.hypot(*n)
            v = reflect((0.0, -THROW_SPEED), (n[0] / ln, n[1] / ln))
            if v[1] > -0.6:
                continue
            lv = math.hypot(*v)
            dist = rnd.uniform(150, 210)
            top = (x0 + v[0] / lv * dist, y + v[1] / lv * dist)
            flight = [((x0, READY_Y), (x0, y)), ((x0, y), top)]
            throw = x0
            extras = [("round_bumper", bump)]
        if abs(top[0]) > WALL or top[1] < -270:
            continue
        slots = chain_from(rnd, top, flight, rnd.choice((2, 3, 3)))
        if slots is None:
            continue
        # Nothing else may sit in the flight either.
        if any(e[0] in ("rect_bumper",) and any(seg_dist(e[1], a, b) < 70 for a, b in flight) for e in extras):
            continue
        return family, slots, extras, throw
    raise SystemExit("trick %d: no layout found" % index)


def build(index):
    rnd = random.Random(5000 + index)
    kind = KINDS[index % len(KINDS)]
    family, slots, extras, throw = plan(index, rnd)
    inner = []
    keyed = any(e[0] == "key" for e in extras)
    for i, (x, y) in enumerate(slots):
        if i == 0 and keyed:
            inner.append(X.O("key_plate", "key_plate", [X.St("idle", 1000, True, x=x, y=y - 17), fade_out()],
                             [slot(0, 17, kind)], num_jewels=1, radius=0, image="gfx\\plates\\key.png"))
            continue
        look = "block" if (i + index) % 2 == 0 else "mini_round"
        typ = "block_plate" if look == "block" else "round_plate"
        inner.append(X.O(typ, "step%d" % i, [X.St("idle", 1000, True, x=x, y=y), fade_out()], [slot(0, 0, kind)],
                         num_jewels=1, radius=0, image="gfx\\plates\\%s.png" % look))
    for e in extras:
        if e[0] == "warp":
            inner.append(X.O("warp", "warp", [X.St(None, 2000, True, x=e[1][0], y=e[1][1], rotation=(0, -360))],
                             image="gfx\\level\\warp.png", z_order=1.2))
        elif e[0] == "turret":
            muzzle = X.O(None, "muzzle", [X.St(None, 1000, True, x=0, y=-32)], image="gfx\\level\\turret_muzzle.png")
            barrel = X.O(None, "barrel", [X.St(None, 1000, True, x=0, y=0, rotation=round(e[2], 2))], [muzzle],
                         image="gfx\\level\\turret_barrel.png")
            inner.append(X.O("turret", "turret", [X.St(None, 1000, True, x=e[1][0], y=e[1][1])], [barrel],
                             image="gfx\\level\\turret.png", z_order=1.3))
        elif e[0] in ("round_bumper", "rect_bumper"):
            img = "bumper_round" if e[0] == "round_bumper" else "bumper_rect"
            inner.append(X.O(e[0], img, [X.St(None, 1000, True, x=e[1][0], y=e[1][1])], image="gfx\\level\\%s.png" % img,
                             z_order=1.2))
    scene = [("sky01.jpg", "houses01.png", "facade01.png"), ("sky02.jpg", "houses02.png", "facade02.png"),
             ("sky03.jpg", "houses01.png", "facade03.png")][index % 3]
    tiles = X.O("layer", "tiles", [
        X.St("still", 1000, True),
        X.St("victory", 5400).ev("end", "insert_level", "TRICKSHOT_WIN"),
        X.St("victory_done", 1000, True)], [X.O("layer", "plate_container", [X.still(0, 0)], inner)])
    beam = X.O(None, "beam", [X.St(None, 1000, True, visible=0)], image="gfx\\level\\beam.png", blit_style=1, z_order=-1)
    shooter = X.O("shooter", "shooter", [X.St("ready", 1000, True, y=SHOOTER_Y)], [beam], image="gfx\\level\\shooter.png",
                  z_order=6)
    water = X.O(None, "water", [X.St(None, 4000, True, x=0, y=245).filt("sined", "x", 14, 1).filt("sined", "y", 2, 2)],
                image="gfx\\level\\water.png", z_order=5, tiles_left=1, tiles_right=1)
    level = X.O("level", "trickshot", [
        X.St("arrive", 20, x=400, y=300).ev("start", "kill_all_previous"),
        X.St("play", 1000, True, x=400, y=300)], [
        X.O("shooter_cursor", "cursor", [X.St(None, 1000, True)], image="gfx\\level\\aim.png", z_order=20),
        X.O(None, "facade", [X.still(0, 0)], image="gfx\\level\\" + scene[2], z_order=-8),
        X.O(None, "sky", [X.still(0, -5)], image="gfx\\level\\" + scene[0], z_order=-10),
        X.O(None, "houses", [X.still(0, 95)], image="gfx\\level\\" + scene[1], z_order=-9),
        X.O("layer", "background", [X.still(0, 0)], [tiles]),
        shooter, water,
        X.O("panel", "panel", [X.St(None, 1000, True, x=0, y=276)], [menu_button()], image="gfx\\level\\panel.png", z_order=9),
        X.O("progress_bar", "progress", [X.St(None, 1000, True, x=0, y=276)], z_order=9),
    ], title="TRICK %d: %s" % (index + 1, TITLES[family]), main_music="audio\\lagoon_song.xm", intro_time=4004)
    return level.xml(), 400 + throw, family


TITLES = {"straight": "STRAIGHT UP", "warp": "THROUGH THE WARP", "turret": "CANNON SHOT", "round_bumper": "OFF THE BALL",
          "key_row": "THE KEY"}


def menu_button():
    st = X.St(None, 1000, True, x=-318, y=0, x_scale=0.5, y_scale=0.5).filt("hot_spot", "frame_number")
    st.e.append(X.ev("click", "insert_level", "pause_menu", alt="escape"))
    return X.O(None, "menu_button", [st], [X.text("MENU", "gfx\\font1_small.png", 0, -2, 1.1, -3)],
               image="gfx\\menu\\button_small.png", z_order=9.5)


def fade_out():
    return X.St("fade_out", 900).at("x_scale", 1, 0.2).at("y_scale", 1, 0.2).at("alpha", 1, 0).filt("squared", "all", 1)


def slot(x, y, kind):
    return X.O("slot", None, [X.St(None, 1000, True, x=x, y=y)], number=kind, image="gfx\\slot%d.png" % kind)


COUNT = 26


def generate(out, throws=None):
    for i in range(COUNT):
        text, throw, family = build(i)
        rel = "levels/trick/trick%02d.xml" % (i + 1)
        with open(out(rel), "w") as f:
            f.write(text)
        if throws is not None:
            throws.append((i, throw, family))
        yield rel


def write_throws(path):
    """Where each trick's one throw goes (screen x), for the tests that play them."""
    with open(path, "w") as f:
        f.write("# trick index (level number 1000 + index), screen x of the winning throw, family\n")
        for i in range(COUNT):
            _, throw, family = build(i)
            f.write("%d %.1f %s\n" % (i, throw, family))
