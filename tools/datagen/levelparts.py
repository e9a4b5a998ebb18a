"""Level objects placed by more than one level generator: the scenery, the
aim, the water, the panel and its button, bumpers, turrets, warps and the
basket."""
from objxml import O, St, still, text

SCENES = {
    1: ("sky01.jpg", "houses01.png", "facade01.png"),
    2: ("sky02.jpg", "houses02.png", "facade02.png"),
    3: ("sky03.jpg", "houses01.png", "facade03.png"),
}


def scenery(scene):
    sky, city, facade = SCENES[scene]
    # The facade is the level's first plain child taller than the screen: the playfield
    # repeats it upwards behind the plates.
    return [
        O(None, "facade", [still(0, 0)], image="gfx\\level\\" + facade, z_order=-8),
        O(None, "sky", [still(0, -5)], image="gfx\\level\\" + sky, z_order=-10),
        O(None, "houses", [still(0, 95)], image="gfx\\level\\" + city, z_order=-9),
    ]


def aim_cursor():
    return O("shooter_cursor", "cursor", [St(None, 1000, True)], image="gfx\\level\\aim.png", z_order=20)


def water():
    st = St(None, 4000, True, x=0, y=245).filt("sined", "x", 14, 1).filt("sined", "y", 2, 2)
    return O(None, "water", [st], image="gfx\\level\\water.png", z_order=5, tiles_left=1, tiles_right=1)


def corner_button(name, label, x, y, opens):
    """A small button over the play that opens a pop-up, by click or Escape."""
    st = St(None, 1000, True, x=x, y=y, x_scale=0.5, y_scale=0.5).filt("hot_spot", "frame_number")
    st.ev("click", "insert_level", opens, alt="escape")
    return O(None, name, [st], [text(label, "gfx\\font1_small.png", 0, -2, 1.1, -3)],
             image="gfx\\menu\\button_small.png", z_order=9.5)


def hud():
    """The panel with its pause button, and the progress bar over it."""
    pause = corner_button("menu_button", "MENU", -318, 0, "pause_menu")
    panel = O("panel", "panel", [St(None, 1000, True, x=0, y=276)], [pause], image="gfx\\level\\panel.png", z_order=9)
    bar = O("progress_bar", "progress", [St(None, 1000, True, x=0, y=276)], z_order=9)
    return [panel, bar]

BUMPER_PICTURES = {"rect_bumper": "bumper_rect", "round_bumper": "bumper_round", "tri_bumper": "bumper_tri"}


def bumper(kind, x, y, rot=0):
    img = BUMPER_PICTURES[kind]
    st = St(None, 1000, True, x=x, y=y)
    if rot:
        st.at("rotation", rot)
    return O(kind, img, [st], image="gfx\\level\\%s.png" % img, z_order=1.2)


def turret(x, y, rot=0, barrel=0):
    muzzle = O(None, "muzzle", [St(None, 1000, True, x=0, y=-32)], image="gfx\\level\\turret_muzzle.png")
    b = O(None, "barrel", [St(None, 1000, True, x=0, y=0, rotation=barrel)], [muzzle], image="gfx\\level\\turret_barrel.png")
    st = St(None, 1000, True, x=x, y=y)
    if rot:
        st.at("rotation", rot)
    return O("turret", "turret", [st], [b], image="gfx\\level\\turret.png", z_order=1.3)


def warp(x, y, name="warp"):
    st = St(None, 2000, True, x=x, y=y, rotation=(0, -360))
    return O("warp", name, [st], image="gfx\\level\\warp.png", z_order=1.2)


def basket(x, y):
    """A basket that catches the falling treasure, sways a while and lets it
    drop from rest. The sway starts from rotation 0 each tick: without it the
    filter would add up and spin the basket round. It comes in a layer of its
    own: a plain picture straight in the plate container would give the
    container an extent, and the container would then hold the playfield
    still by parallax."""
    opening = O(None, "opening", [still(0, -34)], image="gfx\\level\\basket_opening.png", z_order=1.41)
    body = O("bonus_basket", "basket", [
        St("waiting", 1000, True, x=x, y=y),
        St("rotating", 2500, x=x, y=y, rotation=0).filt("sined", "rotation", 8, 1).ev("end", "custom"),
        St("emptied", 600, x=x, y=y).ev("end", "go_to_stage", "waiting"),
    ], [opening], image="gfx\\level\\basket.png", z_order=1.4)
    return O("layer", "basket_holder", [still(0, 0)], [body])
