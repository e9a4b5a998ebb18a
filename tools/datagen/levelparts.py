"""Level objects placed by more than one level generator: bumpers, turrets, warps and the basket."""
from objxml import O, St, still

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
