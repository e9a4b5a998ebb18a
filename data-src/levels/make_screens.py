"""Types the hand-made level and screen files of data/ (run by hand, not by tools/make-data):

    python3 data-src/levels/make_screens.py data
"""
import os
import sys

from x import O, St, ev, text, cursor, still, write, aim_cursor, corner_button
from plates import plate
from levels import level, P, scenery, shooter, water, hud, tiles_layer, songs

D = sys.argv[1]
INKRGB = dict(r=0.14, g=0.16, b=0.23)


def lp(rel):
    return os.path.join(D, rel)


def popup(name, image="gfx\\menu\\popup.png", children=(), dim=True, **head):
    fade_in = St("fade_in", 250, x=400, y=300, x_scale=(0.9, 1), y_scale=(0.9, 1), alpha=(0, 1)).filt("super_cos", "all", 1)
    if dim:
        fade_in.ev("start", "dim_previous")
    fade_out = St("fade_out", 200, x=400, y=300, alpha=(1, 0))
    if dim:
        fade_out.ev("start", "brighten_previous")
    return O("level", name, [fade_in, St("idle", 1000, True, x=400, y=300), fade_out], [cursor()] + list(children),
             image=image, **head)


def ink(s, y, x=0, just=None, font="gfx\\font2.png", scale=None):
    st = St(None, 1000, True, r=INKRGB["r"], g=INKRGB["g"], b=INKRGB["b"])
    if scale:
        st.at("x_scale", scale).at("y_scale", scale)
    st.at("x", x).at("y", y)
    kw = {}
    if just:
        kw["justification"] = just
    return O("text", None, [st], string=s, font=font, **kw)


def title(s, y, scale=0.62):
    return text(s, "gfx\\font1.png", 0, y, scale, -4)


def plaque(name, label, stages, small=True, scale=0.62):
    img = "gfx\\menu\\button_small.png" if small else "gfx\\menu\\button.png"
    return O(None, name, stages, [text(label, "gfx\\font1_small.png", 0, -1, scale, -3)], image=img, z_order=3)


def button(name, label, x, y, events, small=True, scale=0.62):
    st = St(None, 1000, True, x=x, y=y).filt("hot_spot", "frame_number")
    st.e += events
    return plaque(name, label, [st], small, scale)


def acting_button(name, label, x, y, alt, actions, small=True, scale=0.62):
    """A button that runs several actions: a key press is taken by the first click event
    alone, so the one click (or key) sends the button to a short stage whose start events act."""
    ready = St("ready", 1000, True, x=x, y=y).filt("hot_spot", "frame_number").ev("click", "go_to_stage", "pressed", alt=alt)
    pressed = St("pressed", 20, x=x, y=y).filt("hot_spot", "frame_number")
    for action in actions:
        pressed.ev("start", *action)
    pressed.ev("end", "go_to_stage", "ready")
    return plaque(name, label, [ready, pressed], small, scale)


def close(label="OK", x=0, y=80, alt="return"):
    return button("ok_button", label, x, y, [ev("click", "send_parent_to_stage", "fade_out", alt=alt)])


def full(name, image, stages, children, **head):
    return O("level", name, stages, [cursor()] + children, image=image, **head)


screens = {}

# Loading: opens whatever comes next for the player's mode.
screens["loading"] = full("loading", "gfx\\menu\\menu_back.jpg", [
    St("show", 1000, x=400, y=300, alpha=(0, 1)).ev("end", "insert_level", "NEXT_LEVEL"),
    St("wait", 1000, True, x=400, y=300)], [
    text("LEVEL_NUMBER", "gfx\\font1.png", 0, 20, 0.8, -4),
    text("REGION_NAME", "gfx\\font1_small.png", 0, 76, 0.8, -3),
])

screens["continue_game"] = popup("continue_game", children=[
    title("WELCOME BACK!", -84),
    ink("BUILDING_CONTINUE", -32),
    button("continue_button", "CONTINUE", -90, 16, [ev("click", "insert_level", "loading", alt="return")]),
    acting_button("new_button", "NEW GAME", 90, 16, "N", [("reset_progress",), ("insert_level", "loading")]),
    # The third plaque stays inside the frame's rim, not across it.
    button("back_button", "BACK", 0, 70, [ev("click", "send_parent_to_stage", "fade_out", alt="escape")], scale=0.5),
])

# The map: layers first, the map inside the second layer, then the buttons (the play
# button's key is resolved after the map has set the next level's number).
# The arrow picture points down; each scroller points the way it moves the view.
scroll_l = O("level_scroller", "scroll_left", [St(None, 1000, True, x=-362, y=10, rotation=-90).ev("click", "custom", alt="A")],
             image="gfx\\arrow.png", z_order=8)
scroll_r = O("level_scroller", "scroll_right", [St(None, 1000, True, x=362, y=10, rotation=90).ev("click", "custom", alt="D")],
             image="gfx\\arrow.png", z_order=8)
screens["level_select"] = full("level_select", None, [
    St("fade_in", 300, x=400, y=300, alpha=(0, 1)).ev("start", "kill_all_previous"),
    St("idle", 1000, True, x=400, y=300)], [
    O(None, "map_back", [still(0, 0)], image="gfx\\levelselect\\map_back.jpg", z_order=-10),
    # The layers scroll the strip in once (the map rewrites their first stage), then hold.
    O("layer", "strip", [St("scroll_in", 1000, x=0, y=0), St("idle", 1000, True, y=0)], [
        O("layer", "map", [St("scroll_in", 1000, x=0, y=0), St("idle", 1000, True, y=0)], [
            # The map lays a list's thumbnail 212 px right of the marker's stops (one
            # thumbnail holds nine buildings, drawn a ninth of its width apart): set back
            # by that much, the marker stops under the building it stands for.
            O("level_select", "map", [still(-212, 20)])])]),
    title("CHOOSE YOUR WAY", -262, 0.55),
    scroll_l, scroll_r,
    button("play_button", "PLAY", 110, 262, [ev("click", "insert_level", "NEXT_LEVEL", alt="return")], small=False),
    button("menu_button", "MENU", -150, 262, [ev("click", "insert_level", "main_menu", alt="escape")]),
])
screens["level_select"].head = [(k, v) for k, v in screens["level_select"].head if k != "image"]
screens["level_select"].head += list((songs("menu_theme.xm", intro=False, win=False) or {}).items())


def stat_row(label_key, score_key, y):
    return [ink(label_key, y, 80, "right"), ink(score_key, y, 200, "right")]


def summary(name, rows, lives=False):
    kids = [title("BUILDING SAVED!", -176, 0.6), ink("LEVEL_NAME", -128)]
    y = -80
    if lives:
        kids += stat_row("LIVES_LOST", "LIVES_LOST_SCORE", y)
        y += 36
    for a, b in rows:
        kids += stat_row(a, b, y)
        y += 36
    kids += [ink("TOTAL BONUS:", y + 16, 80, "right", "gfx\\font1_small.png", 0.7),
             ink("TOTAL_BONUS", y + 16, 200, "right", "gfx\\font1_small.png", 0.7)]
    kids += [button("next_button", "NEXT", 110, 170, [ev("click", "insert_level", "NEXT_LEVEL", alt="return")], small=False),
             button("menu_button", "MENU", -150, 170, [ev("click", "insert_level", "main_menu", alt="escape")])]
    return popup(name, "gfx\\menu\\panel.png", kids)


ROWS = [("SHOT_ACCURACY", "SHOT_ACCURACY_SCORE"), ("COMBOS_MADE", "COMBOS_MADE_SCORE"), ("TIME_TAKEN", "TIME_TAKEN_SCORE")]
screens["level_summary"] = summary("level_summary", ROWS)
screens["relaxed_summary"] = summary("relaxed_summary", ROWS, lives=True)

screens["trickshot_summary"] = popup("trickshot_summary", children=[
    title("TRICKSHOT_RESULT", -70),
    ink("TRICKSHOT_BONUS", -14, font="gfx\\font1_small.png", scale=0.8),
    button("next_button", "NEXT", 0, 66, [ev("click", "insert_level", "NEXT_LEVEL", alt="return")]),
])
screens["trickymode_summary"] = popup("trickymode_summary", children=[
    title("TRICKSHOT_RESULT", -78),
    ink("TRICKS_IN_A_ROW", -34),
    ink("TRICKSHOT_BONUS", 4, font="gfx\\font1_small.png", scale=0.8),
    button("next_button", "NEXT", 90, 66, [ev("click", "insert_level", "NEXT_TRICKSHOT", alt="return")]),
    button("menu_button", "MENU", -90, 66, [ev("click", "insert_level", "main_menu", alt="escape")]),
])

# The score goes into the mode's roll, then the roll shows on top.
screens["high_scores"] = full("high_scores", "gfx\\menu\\menu_back.jpg", [
    St("enter", 40, x=400, y=300).ev("start", "kill_all_previous").ev("start", "enter_high_score"),
    St("show", 1200, x=400, y=300).ev("end", "insert_level", "honor_roll"),
    St("idle", 1000, True, x=400, y=300)], [
    # Below the title painted on the backdrop, the words between its houses.
    title("THE LAGOON IS SAVED!", -130, 0.7),
    ink("Your name is written", -84, font="gfx\\font2.png"),
    ink("in the honour roll.", -56, font="gfx\\font2.png"),
    button("menu_button", "MAIN MENU", 0, 230, [ev("click", "insert_level", "main_menu", alt="return")], small=False),
])

fireworks = [O("firework", "firework%d" % i, [still(0, 0)], z_order=6) for i in range(1, 5)]
screens["win_sequence"] = full("win_sequence", "gfx\\level\\sky03.jpg", [
    St("enter", 40, x=400, y=300).ev("start", "kill_all_previous").ev("start", "enter_high_score"),
    St("show", 6000, x=400, y=300).ev("end", "insert_level", "honor_roll"),
    St("idle", 1000, True, x=400, y=300)], fireworks + [
    title("EVERY TRICK MADE!", -150, 0.8),
    text("You are the lagoon's finest thrower.", "gfx\\font2.png", 0, -90),
    button("menu_button", "MAIN MENU", 0, 230, [ev("click", "insert_level", "main_menu", alt="return")], small=False),
])

for name in ("win_sequence", "high_scores"):
    screens[name].head += list((songs("finale.xm", intro=False, win=False) or {}).items())

screens["explain_flood"] = popup("explain_flood", "gfx\\menu\\panel.png", [
    title("FLOOD", -170, 0.7),
    ink("In Flood the building never stops sinking.", -100),
    ink("Every throw pushes it a little deeper,", -64),
    ink("and every filled slot pushes it too.", -36),
    ink("Clear the plates before they touch the water!", 0),
    ink("Plates near the water shake: they come first.", 36),
    close("PLAY", 0, 150),
])

screens["cupid_message"] = popup("cupid_message", children=[
    title("CUPID IS HERE!", -70),
    ink("Throw a treasure past Cupid:", -24),
    ink("he carries it to a matching slot.", 4),
    close("OK", 0, 66),
])

# Cupid himself is this screen's picture; the code aims the first, second and last stages.
wing = lambda st: st.filt("pingpong_anim", "frame_number", 4, 10, 1)
screens["cupid_save"] = O("level", "cupid_save", [
    wing(St("swoop", 700, x=(-100, 300), y=(120, 400)).filt("super_cos", "all", 1)),
    wing(St("lift", 1300, x=(999999, 400), y=(999999, 250)).filt("super_cos", "all", 1)),
    wing(St("hover", 500, x=(999999, 999999), y=(999999, 999999))),
    wing(St("away", 900, x=(999999, 900), y=(999999, -100)).filt("squared", "all", 1)),
], [cursor()], image="gfx\\cupid.png")

screens["pause_menu"] = popup("pause_menu", children=[
    title("PAUSED", -66),
    button("resume_button", "RESUME", -90, 0, [ev("click", "send_parent_to_stage", "fade_out", alt="escape")]),
    button("quit_button", "QUIT", 90, 0, [ev("click", "insert_level", "quit_confirm", alt="Q")]),
    button("options_button", "OPTIONS", 0, 58, [ev("click", "insert_level", "options", alt="O")], scale=0.5),
])

screens["quit_confirm"] = popup("quit_confirm", children=[
    ink("QUIT_GAME_CONFIRM_1", -72),
    ink("QUIT_GAME_CONFIRM_2", -44),
    ink("QUIT_GAME_CONFIRM_3", -4, font="gfx\\font1_small.png", scale=0.56),
    button("yes_button", "YES", -90, 66, [ev("click", "insert_level", "main_menu", alt="Y")]),
    button("no_button", "NO", 90, 66, [ev("click", "send_parent_to_stage", "fade_out", alt="escape")]),
])


# ---- tutorial ----------------------------------------------------------------
def tutorial():
    # Text keys, in the order Cupid's script shows them: one at the start, two
    # while the rules are read, one before each step and one after it.
    tips = ["TUTORIAL_HELLO", "TUTORIAL_SINKING", "TUTORIAL_FILL", "TUTORIAL_TRY", "TUTORIAL_AIM",
            "TUTORIAL_CLEARED", "TUTORIAL_SHAPES", "TUTORIAL_GREAT", "TUTORIAL_SWAP", "LOSE_TIP",
            "TUTORIAL_ON_YOUR_OWN", "TUTORIAL_DONE"]
    head = {"tip%d" % (i + 1): t for i, t in enumerate(tips)}
    tut = O("tutorial", "tutorial", [], z_order=8, **head)
    # Four steps: Cupid moves the building on (to 224, 410 and 580) once the
    # lowest plate left is above the screen, so each band lies above the top
    # until the one below it is cleared. The first plate sits low enough for
    # Cupid's scroll, 120 above its slots, to stay on screen.
    bands = [
        [plate("round", 0, 0, n=3)],
        [plate("stick", -190, -330, n=2, r=80), plate("round", 200, -330, n=2)],
        [plate("triangle", -200, -540), plate("triangle", 200, -540)],
        [plate("round", -200, -720), plate("mini_round", 0, -720, n=2), plate("round", 200, -720)],
    ]
    inner = [p for band in bands for p in band]
    # No title: a titled level shows the building caption, which would say
    # "BUILDING 1" across Cupid's first tips.
    lv = O("level", "tutorial2", [
        St("arrive", 20, x=400, y=300).ev("start", "kill_all_previous"),
        St("play", 1000, True, x=400, y=300)],
        **(songs("lagoon_song.xm", intro=False, win=False) or {}))
    quit_btn = corner_button("quit_button", "QUIT", -330, -262, "quit_confirm")
    # The panel without its pause button (the quit button stands in for it)
    # and without the progress bar: Cupid's last click ends the tutorial, not
    # a victory.
    panel = hud()[0]
    panel.children = []
    lv.children = ([aim_cursor()] + scenery(1) + [tiles_layer(inner)] + [shooter(), water(), tut, quit_btn, panel])
    return lv


screens["tutorial2"] = tutorial()


# ---- Survival ------------------------------------------------------------------
def endless():
    wall = []
    for row, y in enumerate(range(260, -381, -80)):
        for x in range(-280, 281, 80):
            img = "gfx\\background01\\wall_side01.png" if abs(x) == 280 else "gfx\\background01\\brick_brown01.jpg"
            kw = {"flip_x": 1} if x == 280 else {}
            wall.append(O(None, None, [still(x, y)], image=img, bilinear=0, **kw))
    # Ivy at z 1, as on the rows the building adds: the plate container stands one above
    # the wall's highest piece, so the added grates and ivy stay behind the plates.
    wall += [O(None, None, [still(x, 20)], image="gfx\\background01\\ivy01.png", z_order=1) for x in (-200, 200)]
    stages = [St("scrolling", 1000, True), St("defeat", 4000), St("defeated", 1000, True)]
    inner = O("layer", "plate_container", [still(0, 0)], [])
    bg = O("layer", "background", [still(0, 0)], [O("layer", "tiles", stages, wall + [inner])])
    clock = O("endless_panel", "endlesspan", [St(None, 1000, True, x=200, y=276)], image="gfx\\level\\panel.png", z_order=9)
    panel, bar = hud()
    panel.stages = [St(None, 1000, True, x=-200, y=276)]
    panel.children[0].stages[0].a = [(t, (s if t != "x" else -150), (e if t != "x" else -150)) for t, s, e in panel.children[0].stages[0].a]
    lv = O("level", "endless", [
        St("arrive", 20, x=400, y=300).ev("start", "kill_all_previous"),
        St("play", 1000, True, x=400, y=300)], title="SURVIVAL", **(songs("survival_song.xm", win=False) or {}))
    lv.children = ([aim_cursor(),
                    O(None, "sky", [still(0, 0)], image="gfx\\level\\sky04.jpg", z_order=-10),
                    O(None, "houses", [still(0, 95)], image="gfx\\level\\houses02.png", z_order=-9),
                    bg, shooter(), water(), panel, clock])
    return lv


screens["endless"] = endless()

for name, obj in screens.items():
    write(lp("levels/%s.xml" % name), obj)

# ---- object files ------------------------------------------------------------
def caption(lines, name="level_caption"):
    kids = []
    for i, (s, font, scale, y) in enumerate(lines):
        kids.append(O("text", None, [
            St(None, 500, x_scale=(scale * 0.5, scale), y_scale=(scale * 0.5, scale), x=0, y=y, alpha=(0, 1)).filt("super_cos", "all", 1),
            St(None, 3000, x_scale=scale, y_scale=scale, x=0, y=y),
            St(None, 600, x_scale=scale, y_scale=scale, x=0, y=y, alpha=(1, 0))],
            string=s, font=font, spacing=-4 if font.endswith("font1.png") else -3, z_order=12))
    return O(None, name, [St(None, 4200, x=0, y=-40)], kids, z_order=12)


write(lp("objects/trickshot_text.xml"), caption([("TRICK SHOT!", "gfx\\font1.png", 0.8, -24),
                                                 ("One throw fills every slot.", "gfx\\font1_small.png", 0.75, 30)]))
write(lp("objects/trickymode_text.xml"), caption([("TRICK SHOT!", "gfx\\font1.png", 0.8, -24),
                                                  ("TRICKS_IN_A_ROW", "gfx\\font1_small.png", 0.75, 30)]))
write(lp("objects/bonus_text.xml"), caption([("BONUS BUILDING!", "gfx\\font1.png", 0.8, -24),
                                             ("REGION_NAME", "gfx\\font1_small.png", 0.75, 30),
                                             ("Drop treasures in the basket!", "gfx\\font1_small.png", 0.6, 70)]))

# The Survival summary, built under the sunk level.
def late(obj, ms=5200):
    obj.stages = [St(None, ms, visible=0, **{t: s for t, s, e in obj.stages[0].a if t in ("x", "y")})] + obj.stages
    return obj


summary = O(None, "endless_summary", [St(None, 1000, True, x=0, y=-10)], [
    # Under the buttons, which show through it otherwise.
    O(None, "summary_panel", [St(None, 1000, True, x=0, y=0, alpha=0.92)], image="gfx\\menu\\popup.png", z_order=2),
    # A text places its characters at the scale its stage has when x is read: scale first.
    O("text", None, [St(None, 1000, True, x_scale=0.6, y_scale=0.6, x=0, y=-80)], string="SURVIVAL_TIME",
      font="gfx\\font1_small.png", spacing=-3, z_order=11),
    O("endless_bonus", "endless_bonus", [St(None, 1000, x=0, y=-20)], z_order=11),
    # The longest caption of a small plaque: smaller, to clear its rim.
    late(button("roll_button", "HONOR ROLL", -90, 70, [ev("click", "insert_level", "honor_roll", alt="R")], scale=0.54)),
    late(button("menu_button", "MENU", 90, 70, [ev("click", "insert_level", "main_menu", alt="return")])),
], z_order=10)
write(lp("levels/endless_summary.xml"), summary)

QUOTES = {
    "journey": [
        ["A city is not its stones,", "but the people who refuse to let them sink."],
        ["The tide keeps no calendar.", "It only keeps coming back."],
        ["Every bridge in Oribel was built", "by someone who was told it would fall."],
        ["Gold shines brightest^just above the waterline."],
        ["The lagoon gives, the lagoon takes,", "and the clever keep their treasures dry."],
    ],
    "flood": [
        ["Water is patient.", "You will have to be quicker."],
        ["When the bells ring twice,", "the old quarter wades to work."],
        ["Build high, throw true,", "and never look down at the water."],
        ["The sea has swallowed greater palaces.", "Not this one. Not today."],
        ["A steady hand is worth^more than a tall wall."],
    ],
}
for mode, quotes in QUOTES.items():
    body = "<quotes>\n"
    for q in quotes:
        body += "\t<quote%s>\n" % "".join(' line%d="%s"' % (i + 1, l) for i, l in enumerate(q))
    body += "</quotes>\n"
    write(lp("levels/%s_quotes.xml" % mode), body)
