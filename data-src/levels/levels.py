from x import O, St, still, scenery, aim_cursor, water, hud
from plates import plate

def shooter():
    beam = O(None, "beam", [St(None, 1000, True, visible=0)], image="gfx\\level\\beam.png", blit_style=1, z_order=-1)
    fish = O(None, "fish", [
        St("swim", 1000, True, visible=0, x=-60, y=40),
        St("jump", 1100, visible=1, x=(-70, 60), y=40, rotation=(-40, 60)).filt("sined", "y", -70, 0.5),
        St("gone", 1000, True, visible=0, x=60, y=40),
    ], image="gfx\\level\\fish.png", z_order=-2)
    # The shooter rises out of the water before it is ready. Its first stage
    # is also the one it rises again by after a lost Journey try: a looping
    # first stage would keep it rising for good.
    enter = St("enter", 600, y=(400, 222))
    return O("shooter", "shooter", [enter, St("ready", 1000, True, y=222)], [beam, fish], image="gfx\\level\\shooter.png",
             z_order=6)


def tiles_layer(children, still_level=False, summary="LEVEL_SUMMARY", extra_stages=()):
    stages = []
    if still_level:
        stages.append(St("still", 1000, True))
    else:
        stages.append(St("scrolling", 1000, True))
    stages += list(extra_stages)
    stages += [
        St("victory", 5400).ev("end", "insert_level", summary),
        St("victory_done", 1000, True),
        St("defeat", 4000).filt("squared", "all", 1),
        St("defeated", 1000, True),
    ]
    inner = O("layer", "plate_container", [still(0, 0)], children)
    return O("layer", "background", [still(0, 0)], [O("layer", "tiles", stages, [inner])])


def level(name, title, thumbnail, scene, rows, still_level=False, music=None, extra=(), summary="LEVEL_SUMMARY",
          top=-330, gap=180, inner_extra=(), first_point=None):
    """rows: list of lists of plate objects (already positioned in x; y set here), bottom row first.
    first_point: the bottom row's scroll point y, when not 60 above the row."""
    children = []
    for i, row in enumerate(rows):
        y = top - gap * i
        if not still_level:
            point = first_point if i == 0 and first_point is not None else y - 60
            children.append(O("scroll_point", "row%d_top" % (i + 1), [still(0, point)]))
        for p in row:
            p.stages[0].a = [(t, (s + y if t == "y" else s), (e + y if t == "y" else e)) for t, s, e in p.stages[0].a]
            children.append(p)
    children += list(inner_extra)
    head = dict(title=title, thumbnail=thumbnail)
    if music:
        head.update(music)
    root = O("level", name, [
        St("arrive", 20, x=400, y=300).ev("start", "kill_all_previous"),
        St("play", 1000, True, x=400, y=300),
    ], **head)
    root.children = ([aim_cursor()] + scenery(scene) + [tiles_layer(children, still_level, summary)] + list(extra) +
                     [shooter(), water()] + hud())
    return root


import os
AUDIO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data", "audio")


def songs(main, intro=True, win=True):
    """Song attributes of a played level, only for songs that are in the data."""
    if not os.path.exists(os.path.join(AUDIO, main)):
        return None
    d = {}
    if intro and os.path.exists(os.path.join(AUDIO, "intro_sting.xm")):
        d["intro_music"] = "audio\\intro_sting.xm"
        d["intro_time"] = 4400
        d["main_music"] = "audio\\" + main
    else:
        d["main_music"] = "audio\\" + main
        d["intro_time"] = 4004
    if win and os.path.exists(os.path.join(AUDIO, "victory_fanfare.xm")):
        d["win_music"] = "audio\\victory_fanfare.xm"
    return d


def P(kind, x=0, **kw):
    return plate(kind, x, 0, **kw)
