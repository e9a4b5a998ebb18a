"""The trick list: 26 still levels named "trickshot", made from families of
tricks. Each has one treasure kind; every slot is fixed to it, one slot to a
plate, so a single throw wins: the treasure flies to the first slot (straight
up, through a warp pair, out of a turret, off a round bumper or a bumper's
edge, or dropped by a basket it was banked into), fills it, and tumbles down a
stair of slots where each slot's nearest lower slot is the next one. The
generator checks that rule, the lob speeds and that no lower slot lies in the
treasure's flight, and returns where the throw goes.

Coordinates are the level's (the screen centre is 0, 0; y grows downwards)."""
import math
import random

import objxml as X
from levelparts import BUMPER_PICTURES, aim_cursor, basket, bumper, hud, scenery, turret, warp, water
from playart import BASKET, BASKET_OPENING, RECT_BUMPER, TRI_BUMPER

SHOOTER_Y = 222          # the shooter's y in every level file
READY_Y = SHOOTER_Y - 38  # the ready treasure: half its 46-px picture and 15 px above the shooter
THROW_SPEED = 2.3         # pixels a tick, straight up
JEWEL_R = 46 / 2.5        # the treasure's radius against bumpers
TAKE_R = 28 + 23          # slot and treasure circles that meet when a slot takes it
CLEAR = 64                # a lower slot stays this far from any flight line
WALL = 330                # slots stay inside x -330..330

KINDS = [8, 9, 10, 6, 3, 5, 7, 4]
FAMILIES = ["straight", "bumper_bank", "warp", "basket", "turret", "round_bumper", "key_row"]
EDGED = {"rect_bumper": RECT_BUMPER, "tri_bumper": TRI_BUMPER}  # picture sizes of the bumpers with edges
RIM_Y = -BASKET_OPENING[1] / 2  # a basket catches on a line half its opening's height above its centre
RIM_W = BASKET_OPENING[0] + 20  # the opening's width, widened by the treasure's 20-px catching box
RIM_H = 6 + 20
PLATE_R = 128 / 2


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


def unit(x, y):
    length = math.hypot(x, y)
    return (x / length, y / length)


def edges(kind, pos, rot):
    """A bumper's edges in level coordinates, turned as the game turns them,
    and how near a treasure's centre must come to bounce."""
    w, h = EDGED[kind]
    hw, hh = w / 2, h / 2
    if kind == "rect_bumper":
        corners, reach = [(-hw, -hh), (hw, -hh), (hw, hh), (-hw, hh)], hw / 16
    else:
        corners, reach = [(-hw, -hh), (hw, -hh), (0, hh)], hw / 8
    a = math.radians(-rot)
    c, s = math.cos(a), math.sin(a)
    pts = [(x * c - y * s + pos[0], y * c + x * s + pos[1]) for x, y in corners]
    return [(pts[i], pts[(i + 1) % len(pts)]) for i in range(len(pts))], reach


def bank(bumper, x0, y0=READY_Y):
    """Steps a throw straight up from x0 as the game does until it meets one
    of the bumper's edges: where, the velocity it leaves with and which edge."""
    segs, reach = edges(*bumper)
    x, y, vx, vy = x0, y0, 0.0, -THROW_SPEED
    while y > -300:
        best = None
        for i, (a, b) in enumerate(segs):
            # The game truncates the distance to whole pixels.
            if int(seg_dist((x, y), a, b)) >= reach:
                continue
            n = unit(b[1] - a[1], a[0] - b[0])
            d = vx * n[0] + vy * n[1]
            if best is None or d < best[0]:
                best = (d, n, i)
        if best is not None:
            d, n, i = best
            if d < 0:
                vx, vy = reflect((vx, vy), n)
            return (x, y), (vx, vy), i
        x, y = x + vx, y + vy
    return None


def banks(bumper, x0, edge):
    """The bounces of the throw at x0 and 4 px either side, the ready
    treasure bobbing a pixel up or down; None unless each meets the edge."""
    out = []
    for dx in (0, -4, 4):
        for dy in (0, -1, 1):
            hit = bank(bumper, x0 + dx, READY_Y + dy)
            if hit is None or hit[2] != edge:
                return None
            out.append(hit[:2])
    return out


def points_on(a, b, n=8):
    """n + 1 points evenly along the segment a-b, ends included."""
    return [(a[0] + (b[0] - a[0]) * k / n, a[1] + (b[1] - a[1]) * k / n) for k in range(n + 1)]


def edges_clear(bumper, slots):
    """A bumper the throw banks off keeps clear of the plates (the largest is
    128 px across) and of the tumbles between them."""
    segs = edges(*bumper)[0]
    if any(seg_dist(s, a, b) < PLATE_R + 6 for s in slots for a, b in segs):
        return False
    tumbles = [t for a, b in zip(slots, slots[1:]) for t in points_on(a, b)]
    return not any(seg_dist(t, a, b) < 23 + 20 for t in tumbles for a, b in segs)


def passes_near(p, v, target, within):
    """Whether a straight flight from p along v comes within reach of target."""
    ux, uy = unit(*v)
    t = (target[0] - p[0]) * ux + (target[1] - p[1]) * uy
    return t > 0 and abs((target[0] - p[0]) * uy - (target[1] - p[1]) * ux) < within


def caught_at(p, v, basket):
    """Steps a flight from p along v until a basket at `basket` catches it:
    how far from the basket's middle it crosses the rim, or None."""
    x, y = p
    for _ in range(300):
        x, y = x + v[0], y + v[1]
        if v[1] > 0 and abs(x - basket[0]) <= RIM_W / 2 and abs(y - basket[1] - RIM_Y) <= RIM_H / 2:
            return abs(x - basket[0])
        if abs(x) > 390 or y > 300:
            return None
    return None


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
        elif family == "bumper_bank":
            # A rectangle turned steeply, or a triangle standing on its point:
            # the throw meets an edge that sends it up and to the side.
            side = rnd.choice((-1, 1))
            pos = (rnd.uniform(-200, 200), rnd.uniform(-60, 40))
            if (index // len(FAMILIES)) % 2 == 0:
                bumper = ("rect_bumper", pos, round(side * rnd.uniform(58, 68), 2))
                x0, edge = pos[0] + side * 12 + rnd.uniform(-15, 15), 2
            else:
                bumper = ("tri_bumper", pos, round(rnd.uniform(-8, 8), 2))
                x0, edge = pos[0] + side * rnd.uniform(10, 22), 1 if side > 0 else 2
            hits = banks(bumper, x0, edge)
            if hits is None:
                continue
            p, v = hits[0]
            dist = rnd.uniform(150, 210)
            top = (p[0] + unit(*v)[0] * dist, p[1] + unit(*v)[1] * dist)
            if not all(passes_near(q, w, top, TAKE_R - 25) for q, w in hits):
                continue
            flight = [((x0, READY_Y), p), (p, top)]
            throw = x0
            extras = [bumper]
        elif family == "basket":
            # A bumper turned a little sends the throw down into a basket to
            # the side; the basket drops it from rest into the slot below.
            side = rnd.choice((-1, 1))
            pos = (rnd.uniform(-230, 230), rnd.uniform(-250, -215))
            bumper = ("rect_bumper", pos, round(side * rnd.uniform(27, 32), 2))
            x0 = pos[0] + rnd.uniform(-15, 15)
            hits = banks(bumper, x0, 2)
            if hits is None:
                continue
            p, v = hits[0]
            cd = rnd.uniform(105, 135)
            cross = (p[0] + unit(*v)[0] * cd, p[1] + unit(*v)[1] * cd)
            bx, by = cross[0] + side * 5, cross[1] - RIM_Y
            # The throw passes clear of the basket, which stays on screen with
            # the slot below it inside the walls, clear of the bumper.
            if abs(bx - x0) < 100 or abs(bx) > 320 or by - BASKET[1] / 2 < -290:
                continue
            if any(abs(q[0] - bx) < BASKET[0] / 2 + 8 and abs(q[1] - by) < BASKET[1] / 2 + 8
                   for a, b in edges(*bumper)[0] for q in points_on(a, b)):
                continue
            crossings = [caught_at(q, w, (bx, by)) for q, w in hits]
            if any(c is None or c > RIM_W / 2 - 18 for c in crossings):
                continue
            # The basket holds the treasure up to 40 px either side of its
            # middle; the plate below keeps clear of its bottom.
            top = (bx, by + BASKET[1] / 2 + PLATE_R + rnd.uniform(4, 12))
            flight = [((x0, READY_Y), p), (p, cross), ((bx, by), top)]
            throw = x0
            extras = [bumper, ("basket", (bx, by))]
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
        # Below a basket there is room for a shorter stair.
        slots = chain_from(rnd, top, flight, rnd.choice((1, 2, 2) if family == "basket" else (2, 3, 3)))
        if slots is None:
            continue
        if family == "key_row":
            # The row waits above the key, out of the flight.
            if any(e[0] == "rect_bumper" and any(seg_dist(e[1], a, b) < 70 for a, b in flight) for e in extras):
                continue
        elif not all(edges_clear(e, slots) for e in extras if e[0] in EDGED):
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
            inner.append(warp(*e[1]))
        elif e[0] == "turret":
            inner.append(turret(*e[1], barrel=round(e[2], 2)))
        elif e[0] in BUMPER_PICTURES:
            inner.append(bumper(e[0], *e[1], *e[2:]))
        elif e[0] == "basket":
            inner.append(basket(*e[1]))
    tiles = X.O("layer", "tiles", [
        X.St("still", 1000, True),
        X.St("victory", 5400).ev("end", "insert_level", "TRICKSHOT_WIN"),
        X.St("victory_done", 1000, True)], [X.O("layer", "plate_container", [X.still(0, 0)], inner)])
    beam = X.O(None, "beam", [X.St(None, 1000, True, visible=0)], image="gfx\\level\\beam.png", blit_style=1, z_order=-1)
    shooter = X.O("shooter", "shooter", [X.St("ready", 1000, True, y=SHOOTER_Y)], [beam], image="gfx\\level\\shooter.png",
                  z_order=6)
    level = X.O("level", "trickshot", [
        X.St("arrive", 20, x=400, y=300).ev("start", "kill_all_previous"),
        X.St("play", 1000, True, x=400, y=300)], [
        aim_cursor(), *scenery(index % 3 + 1), X.O("layer", "background", [X.still(0, 0)], [tiles]),
        shooter, water(), *hud(),
    ], title="TRICK %d: %s" % (index + 1, TITLES[family]), main_music="audio\\lagoon_song.xm", intro_time=4004)
    return level.xml(), 400 + throw, family


TITLES = {"straight": "STRAIGHT UP", "warp": "THROUGH THE WARP", "turret": "CANNON SHOT", "round_bumper": "OFF THE BALL",
          "key_row": "THE KEY", "bumper_bank": "OFF THE EDGE", "basket": "INTO THE BASKET"}


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
