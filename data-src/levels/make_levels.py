"""Types the hand-made level and screen files of data/ (run by hand, not by tools/make-data):

    python3 data-src/levels/make_levels.py data
"""
import os
import sys

from x import O, St, ev, text, cursor, still, write, bumper, turret, basket
from plates import plate, SURVIVAL_FILES, KINDS
from levels import level, P, scenery, shooter, water, hud, tiles_layer, songs

D = sys.argv[1]


def lp(rel):
    return os.path.join(D, rel)


# ---- plate files for the Survival generator ---------------------------------
for name in SURVIVAL_FILES:
    write(lp("objects/%s_plate.xml" % name), plate(name, 0, 0))


def pigeon(x, y, left=False):
    nm = "pigeon_left" if left else "pigeon_right"
    return O("pigeon", nm, [
        St("perch", 1000, True, x=x, y=y),
        St("pre_fly_away", 600, x=x, y=y),
        St("fly_away", 1500, x=(x, x + (-300 if left else 300)), y=(y, y - 300)).filt("squared", "all", 1),
    ], image="gfx\\level\\pigeon.png", flight_image="gfx\\level\\pigeon_fly.png", flip_x=1 if left else None, z_order=1.5)


def birds(*pigeons):
    return O("layer", "birds", [still(0, 0)], list(pigeons))


# ---- Flood and Journey -------------------------------------------------------
TITLES = {
    "flood": ["THE OLD HARBOUR", "SALT STEPS", "LANTERN ROW", "BELL TOWER", "THE GOLDEN BASKET", "PIGEON SQUARE",
              "GLASSMAKERS' QUAY", "THE STILL CANAL", "PALACE OF TIDES"],
    "journey": ["FIRST LIGHT", "THE FERRY LANDING", "ROPE WALK", "SHELL GARDEN", "THE GOLDEN BASKET", "WIND MARKET",
                "ARSENAL GATE", "THE STILL CANAL", "HOUSE OF MIRRORS"],
}


def building(n, mode):
    """Rows, bottom first, for building n (1..9); later buildings are taller and mix more kinds.
    No x plate: its inner slots stand straight above its outer ones and a hit does not move it, so
    once a tumble fills an outer slot the one above is shut off for good and the building cannot
    be cleared (Survival, which never has to be cleared, keeps it).
    A Flood row is filled against the sinking, in about half a minute from the time it comes down
    (see FLOOD_GAP): it holds at most nine slots, a square with a key beside it."""
    flood = mode == "flood"
    R = []
    if n == 1:
        R = [[P("round")], [P("stick", -170, n=2, r=80), P("round", 200)], [P("round", -200), P("triangle", 200)]]
    elif n == 2:
        R = [[P("round", -180), P("round", 180)], [P("stick")], [P("triangle", -200), P("mini_round", 0), P("triangle", 200)],
             [P("round")]]
    elif n == 3:
        R = [[P("a")], [P("round", -200), P("spinner", 180)], [P("triangle", -220), P("triangle", 220)], [P("stick")],
             [P("semicircle")]]
    elif n == 4:
        R = [[P("semicircle", -190), P("round", 190)], [P("spinner", -200), P("mini_round", 0), P("spinner", 200)],
             [P("a")], [P("square")] if flood else [P("square", -190), P("square", 200)], [P("round", -180), P("step", 190)],
             [P("stick")]]
    elif n == 6:
        R = [[P("square")], [P("round", -200), P("triangle", 200)], [P("square")], [P("stick", -180, n=2, r=80), P("semicircle", 200)],
             [P("step", -190), P("step", 190)], [P("round")]]
    elif n == 7:
        R = [[P("t", -190), P("round", 190)], [P("key")], [P("square", -190), P("key", 200) if flood else P("a", 200, n=3)],
             [P("step", -200), P("t", 200)], [P("m")],
             [P("round", -200, n=3), P("mini_round", 0, n=2), P("round", 200, n=3)] if flood else
             [P("round", -200), P("mini_round", 0), P("round", 200)]]
    elif n == 9:
        R = [[P("m")], [P("tosser", -200), P("round", 200)],
             [P("square")] if flood else [P("square", -190), P("square", 190)], [P("t")],
             [P("semicircle", -190), P("a", 200, n=3)], [P("key", -220), P("stick", 120, n=2, r=80)], [P("spinner")],
             [P("round", -200), P("triangle", 200)]]
    return R


# Flood: past the slow point the building sinks at the capped speed, 0.24 x 0.22 = 0.0528 px a
# tick (13.2 px a second), so a plate crosses the 600 px of the screen in 45 s. A Flood building
# starts above the screen and its bottom scroll point already lies past the slow point, so it
# sinks at that pace from the first tick instead of rushing in: the bottom row reaches the water
# after a minute for a player who never throws. The point stays within 400 px below the bottom
# row: farther, and it counts the stretch below it as cleared and goes at once.
FLOOD_TOP = -530
FLOOD_POINT = -160
# A cleared row brings the next one down to 180 px under the top of the screen, 420 px over the
# water. At a throw every two seconds a row of eight slots costs the player some 330 px of sinking
# (13.2 px a second, and each throw with the slot it fills pushes the building 13 px further), so
# Flood rows stand about that far apart, not 180 as in Journey: a careful player who is a little
# behind with one row is not still behind when the row above it comes down.
FLOOD_GAP = 320


def placement(mode):
    """The rows' placement of a mode's buildings (bottom row's height, room between rows, and the
    Flood bottom row's scroll point)."""
    if mode != "flood":
        return dict(top=-330, gap=180)
    return dict(top=FLOOD_TOP, gap=FLOOD_GAP, first_point=FLOOD_POINT)


def over_row(where, i, h):
    """The height h above row i (bottom row 0): birds and obstacles keep their place on the rows."""
    return where["top"] - where["gap"] * i - h


def bonus_level(mode, n, title, thumb, scene):
    rows = [[P("round", -200), P("round", 200)], [P("stick")], [P("mini_round", -220), P("mini_round", 220)], [P("round")]]
    where = placement(mode)
    return level("bonus", title, thumb, scene, rows, inner_extra=[basket(0, over_row(where, 0, 90))], music=SONG[mode], **where)


def trick_level_in_list(title, thumb, scene):
    # One throw up the middle fills the top slot; the treasure tumbles down the stair of slots.
    chain = [("block", 0, -250), ("block", -130, -170), ("block", -260, -90), ("block", -150, 0)]
    lv = level("trickshot", title, thumb, scene, [], still_level=True, summary="TRICKSHOT_WIN",
               music=SONG["flood" if "flood" in thumb else "journey"])
    inner = lv.children[4].children[0].children[0]
    inner.children = [plate(k, x, y, name="step%d" % i, slots=[(0, 0, 8)]) for i, (k, x, y) in enumerate(chain)]
    return lv


SONG = {"flood": songs("tide_song.xm"), "journey": songs("lagoon_song.xm")}


def write_lists():
    for mode, scenes in (("flood", (1, 2, 3)), ("journey", (2, 1, 3))):
        thumb = "gfx\\levelselect\\%s_map.png" % mode
        for n in range(1, 10):
            title = TITLES[mode][n - 1]
            scene = scenes[(n - 1) % 3]
            if n == 5:
                lv = bonus_level(mode, n, title, thumb, scene)
            elif n == 8:
                lv = trick_level_in_list(title, thumb, scene)
            else:
                where = placement(mode)
                lv = level("%s_%02d" % (mode, n), title, thumb, scene, building(n, mode), music=SONG[mode], **where)
                if n in (6, 9):
                    inner = lv.children[4].children[0].children[0]
                    perch = over_row(where, 0, 112 if n == 6 else 88)
                    inner.children.insert(0, birds(*([pigeon(-30, perch), pigeon(40, perch, True)] if n == 6 else
                                                        [pigeon(-70, perch), pigeon(80, perch, True)])))
                # Obstacles stand straight in the plate container, beside the plates: a key plate
                # pulls in only the bumpers that share its parent. Each has a kind of its own, so
                # none counts towards the container's extent.
                if n == 7:
                    inner = lv.children[4].children[0].children[0]
                    inner.children += [
                        bumper("rect_bumper", -90, over_row(where, 1, 50)), bumper("rect_bumper", 90, over_row(where, 1, 50)),
                        bumper("tri_bumper", 0, over_row(where, 2, 60))]
                if n == 9:
                    inner = lv.children[4].children[0].children[0]
                    inner.children += [
                        turret(330, over_row(where, 0, -80), barrel=-30), bumper("round_bumper", -330, over_row(where, 1, 90)),
                        bumper("round_bumper", 330, over_row(where, 3, 30))]
            write(lp("levels/%s/level%02d.xml" % (mode, n)), lv)
        # The map's goal: never opened by the next-level key, it only gives the last thumbnail.
        fin = O("level", "win_sequence_" + mode, [
            St("arrive", 20, x=400, y=300).ev("start", "kill_all_previous"),
            St("play", 1000, True, x=400, y=300)],
            [cursor(), O(None, "sky", [still(0, -5)], image="gfx\\level\\sky03.jpg", z_order=-10),
             O("firework", "firework1", [still(0, 0)], z_order=6), O("firework", "firework2", [still(0, 0)], z_order=6),
             text("THE CITY IS SAVED!", "gfx\\font1.png", 0, -40, 0.8, -4)],
            title="THE CITY IS SAVED", thumbnail="gfx\\levelselect\\finale.png",
            **(songs("finale.xm", intro=False, win=False) or {}))
        write(lp("levels/%s/win_sequence.xml" % mode), fin)


write_lists()
