#!/usr/bin/env python3
"""Lints the game's data folder against the habits of the game's small tag
reader and its loaders. Standard library only, so CI runs it anywhere:

    python3 tools/datagen/datalint.py [DATA_FOLDER]

Exit 0 when clean; otherwise every problem is printed as 'file:line: what'.
"""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pngio  # noqa: E402

MAX_VALUE = 383
MAX_NAME = 23
CHARACTER_SET = "".join(chr(c) for c in range(33, 127) if chr(c) != '"')

TRIGGERS = {"click", "click_anywhere", "hot", "not_hot", "start", "end", "less_than", "code", "interval"}
ACTIONS = {
    "insert_level", "send_level", "go_to_stage", "send_parent_to_stage", "next_stage", "move", "play_sound",
    "dim_previous", "pause_previous", "dim_previous_no_pause", "brighten_previous", "stop_music", "fade_music",
    "fade_previous_music", "make_sparkles", "make_particles", "set_level_number", "new_user_name",
    "change_user_name", "delete_user", "get_initial_user", "kill_all_previous", "kill_all", "enter_high_score",
    "clear_score", "reset_progress", "change_image", "bump_tick_counter", "custom", "save_score", "set_mode",
    "bump_score", "clear_button_state", "enable_3d_hardware"}
ATTRIBUTES = {"x_scale", "y_scale", "x", "y", "z", "rotation", "r", "g", "b", "alpha", "frame_number", "all"}
EASINGS = {"super_cos", "squared", "cubed", "square_root", "sined", "cosined", "decay_sined", "decay_cosined",
           "loop_anim", "pingpong_anim", "hot_spot", "velocity"}
OBJECT_TYPES = {
    "generic", "level", "text", "input_box", "slider", "checkbox", "user_list_box", "layer", "cursor",
    "user_data_display", "emitter", "tooltip",
    "round_plate", "semicircle_plate", "a_plate", "x_plate", "stick_plate", "block_plate", "triangle_plate",
    "t_plate", "tosser_plate", "key_plate", "spinner_plate", "step_plate", "square_plate", "m_plate", "slot",
    "turret", "warp", "rect_bumper", "round_bumper", "tri_bumper", "panel", "endless_panel", "progress_bar",
    "pigeon", "cloud", "firework", "shooter", "shooter_cursor", "shooter_path", "scroll_point", "level_select",
    "level_scroller", "tutorial", "powerup", "bonus_basket", "endless_bonus", "level_locker"}
TUNING_KEYS = [
    "base_scroll_speed", "scrolling_slow_point", "push_on_shot_fired", "push_on_filled_slot", "push_on_combo",
    "initial_difficulty", "max_difficulty", "min_difficulty", "difficulty_change_on_win",
    "difficulty_change_on_loss", "earthquake_point", "push_filled_plate", "blocking_slots", "bounce_off_top",
    "cascading_combos", "number_of_unique_slots", "bumper_fade_point", "fire_while_still_pieces",
    "scroll_while_still_pieces", "plate_move_when_full_slot_hit", "toss_on_filled_slot", "toss_on_filled_plate",
    "reload_time", "cupid_wait_ms", "bumps_to_explode"]
# Attributes whose value is a data file.
PATH_ATTRIBUTES = {"image", "particle_image", "font", "file", "flight_image", "music", "intro_music",
                   "main_music", "win_music", "thumbnail"}
# Screens that move across the screen on purpose: Cupid's rescue flies in, the code aims it.
MOVING_SCREENS = {"cupid_save"}
# Files the code names itself (not through a data file): the whole inventory.
KINDS = range(1, 11)
CODE_NAMES = (
    ["config.xml", "gfx\\quillo.jpg", "gfx\\loading.jpg", "gfx\\loadbar.png", "gfx\\gamepaused.png",
     "gfx\\sysfont.png", "gfx\\font1.png", "gfx\\font1_small.png", "gfx\\font1_tiny.png", "gfx\\font2.png"] +
    ["gfx\\%s.png" % n for n in ("sparkle", "particle2", "white_particle", "bubble", "water_drop", "corona", "corona4",
                                  "burst", "arrow", "mini_wild", "pwrup_wild_shape", "panel_relaxed", "shooter_panel",
                                  "panel_progress")] +
    ["gfx\\%s%d.png" % (p, k) for p in ("jewel", "slot", "outline", "mini") for k in KINDS] +
    ["audio\\click.ogg", "audio\\hot.ogg", "objects\\text.xml", "objects\\tile.xml"])
# Named by the code too, delivered by later work: checked only when present.
LATER_CODE_NAMES = (
    ["objects\\trickshot_text.xml", "objects\\trickymode_text.xml", "objects\\bonus_text.xml",
     "levels\\endless_summary.xml", "levels\\journey_quotes.xml", "levels\\flood_quotes.xml"] +
    ["objects\\%s_plate.xml" % n for n in ("stick", "round", "triangle", "x", "block", "semicircle", "spinner", "a", "tosser",
                                            "mini_round", "mini_stick", "m", "square", "step", "t")] +
    ["gfx\\%s.png" % n for n in ("pwrup_wings", "pwrup_fast_shot", "pwrup_back", "pwrup_wild", "pwrup_supershot",
                                  "pwrup_+1", "pwrup_x2", "pwrup_cupid", "pwrup_wings_shooter", "cupid", "scroll",
                                  "shoothere_arrow", "locked_game")] +
    ["gfx\\survival_marker_%d.png" % i for i in range(6)] +
    ["gfx\\background01\\brick_brown01.jpg", "gfx\\background01\\wall_side01.png",
     "gfx\\background01\\grate_square.png", "gfx\\background01\\ivy01.png", "gfx\\levelselect\\ls_shooter.png"] +
    ["audio\\%s.ogg" % n for n in (
        "basket", "break", "bump", "cupid_catch", "cupid_flap", "endless_sink", "fastshot", "load_plate", "minute",
        "place", "plate", "plate_combo", "pop", "powerup_caught", "rise", "shake", "sink", "splash", "super_tumble",
        "throw", "tone", "toss", "trickshot_made", "trickshot_missed", "turret", "victory", "warp", "wings")])
# Files in data/ that nothing has to name.
UNNAMED_OK = [r"README\.md", r"vhwb?\.dat", r"LICENSES/.*"]
SCREEN_KEYS = {"return", "escape", "space"}


class Tag:
    __slots__ = ("name", "attrs", "line", "closing")

    def __init__(self, name, attrs, line):
        self.name = name
        self.attrs = attrs
        self.line = line
        self.closing = name.startswith("/")

    def get(self, key, default=None):
        for k, v in self.attrs:
            if k == key:
                return v
        return default


class Report:
    def __init__(self):
        self.problems = []

    def __call__(self, where, line, what):
        self.problems.append("%s:%d: %s" % (where, line, what))


def read_tags(text, where, report):
    """Reads tags as strictly as the data must be written: each attribute is
    name="value"; anything the game's lenient reader would take differently
    is reported."""
    tags = []
    if "<!--" in text:
        report(where, text[:text.index("<!--")].count("\n") + 1, "comment: the game's reader knows none")
    if "<?" in text or "<!" in text:
        pos = text.find("<?") if "<?" in text else text.find("<!")
        report(where, text[:pos].count("\n") + 1, "declaration: the game's reader knows none")
    if not text.isascii():
        report(where, 1, "non-ASCII text: the game's text is 7-bit")
    pos = 0
    while True:
        lt = text.find("<", pos)
        if lt < 0:
            rest = text[pos:].strip()
            if rest:
                report(where, text[:pos].count("\n") + 1, "text outside tags")
            break
        if text[pos:lt].strip():
            report(where, text[:pos].count("\n") + 1, "text outside tags: %r" % text[pos:lt].strip()[:30])
        line = text[:lt].count("\n") + 1
        m = re.compile(r"<\s*(/?[A-Za-z_][A-Za-z0-9_]*)").match(text, lt)
        if not m:
            report(where, line, "tag without a name")
            pos = lt + 1
            continue
        name = m.group(1)
        i = m.end()
        attrs = []
        ok = True
        while True:
            ws = re.compile(r"\s*").match(text, i)
            i = ws.end()
            if text.startswith("/>", i):
                i += 2
                break
            if text.startswith(">", i):
                i += 1
                break
            am = re.compile(r'([A-Za-z_][A-Za-z0-9_]*)="([^"\n]*)"').match(text, i)
            if not am or (ws.end() == ws.start() and attrs):
                report(where, line, "<%s>: attribute not written as name=\"value\" after a blank" % name)
                ok = False
                end = text.find(">", i)
                i = len(text) if end < 0 else end + 1
                break
            key, value = am.group(1), am.group(2)
            if len(value) > MAX_VALUE:
                report(where, line, "<%s %s>: value of %d characters (at most %d)" % (name, key, len(value), MAX_VALUE))
            if re.search(r"&[a-z#0-9]+;", value):
                report(where, line, "<%s %s>: escape sequence: the reader knows none" % (name, key))
            if "\n" in value or "\t" in value:
                report(where, line, "<%s %s>: line break or tab inside a value" % (name, key))
            if any(k == key for k, _ in attrs):
                report(where, line, "<%s>: %s given twice (only the first counts)" % (name, key))
            attrs.append((key, value))
            i = am.end()
        if ok:
            tags.append(Tag(name, attrs, line))
        pos = i
    return tags


def data_file(data, rel):
    """Exact-case lookup of a backslash path under data/; returns the real path or None."""
    parts = rel.split("\\")
    cur = data
    for p in parts:
        try:
            names = os.listdir(cur)
        except OSError:
            return None
        if p not in names:
            return None
        cur = os.path.join(cur, p)
    return cur if os.path.isfile(cur) else None


class Lint:
    def __init__(self, data):
        self.data = data
        self.report = Report()
        self.named = set(CODE_NAMES) | set(LATER_CODE_NAMES)
        self.framed = {}     # image -> (fw, fh, n)
        self.fonts = {}      # font -> letter height
        self.sounds = set()
        self.screens = []    # (list kind, file)

    def path(self, where, line, rel, what="file"):
        if "/" in rel:
            self.report(where, line, "%s %s: written with '/', the game spells paths with '\\'" % (what, rel))
            return
        self.named.add(rel)
        if not data_file(self.data, rel):
            self.report(where, line, "%s %s: no such file (case counts)" % (what, rel))

    def read(self, rel):
        full = os.path.join(self.data, rel.replace("\\", os.sep))
        with open(full, "rb") as f:
            raw = f.read()
        try:
            text = raw.decode("ascii")
        except UnicodeDecodeError:
            self.report(rel, 1, "non-ASCII bytes")
            text = raw.decode("latin-1")
        return read_tags(text, rel.replace("\\", "/"), self.report)

    def run(self):
        if os.path.isdir(os.path.join(self.data, "userdata")):
            self.report("userdata", 0, "data/ must hold no userdata folder (the game moves it away at start)")
        self.config()
        for kind, rel in self.screens:
            self.screen(kind, rel)
        for rel in CODE_NAMES + LATER_CODE_NAMES:
            if rel.startswith("objects\\") and data_file(self.data, rel):
                self.object_file(rel)
        for rel in CODE_NAMES:
            if not data_file(self.data, rel):
                self.report(rel.replace("\\", "/"), 0, "named by the code but missing")
        self.unnamed()
        return self.report.problems

    def config(self):
        where = "config.xml"
        if not data_file(self.data, "config.xml"):
            self.report(where, 0, "missing")
            return
        tags = self.read("config.xml")
        last_percent = 1
        tuning = {}
        lists = []  # element names of the level lists in order
        screens_started = False
        ended = False
        for t in tags:
            if ended:
                self.report(where, t.line, "<%s> after </game> is never read" % t.name)
                continue
            if t.name == "loading":
                p = int(t.get("percent", "0") or 0)
                if not (last_percent < p <= 99):
                    self.report(where, t.line, "loading percent %d: must rise, from 2 to 99" % p)
                last_percent = max(last_percent, p)
            elif t.name == "global":
                keys = [k for k, _ in t.attrs]
                if len(keys) != 1 or keys[0] not in TUNING_KEYS:
                    self.report(where, t.line, "<global>: one tuning key per element (have %s)" % ", ".join(keys))
                for k in keys:
                    if k in tuning:
                        self.report(where, t.line, "tuning key %s given twice" % k)
                    tuning[k] = t.get(k)
            elif t.name == "image":
                name = t.get("name", "")
                self.path(where, t.line, name, "image")
                if screens_started:
                    self.report(where, t.line, "image %s declared after the screens" % name)
                fw, fh, n = (int(t.get(k, "0") or 0) for k in ("frame_width", "frame_height", "num_frames"))
                if name in self.framed:
                    self.report(where, t.line, "image %s declared twice" % name)
                self.framed[name] = (fw, fh, n)
                full = data_file(self.data, name)
                if full and fw:
                    self.check_frames(where, t.line, name, full, fw, fh, n)
            elif t.name == "font":
                name = t.get("name", "")
                self.path(where, t.line, name, "font")
                if screens_started:
                    self.report(where, t.line, "font %s declared after the screens" % name)
                h = int(t.get("letter_height", "0") or 0)
                cs = t.get("character_set", "")
                self.fonts[name] = h
                full = data_file(self.data, name)
                if full:
                    self.check_font(where, t.line, name, full, cs, h)
            elif t.name == "kern":
                if len(t.get("char", "")) != 1:
                    self.report(where, t.line, "<kern>: char must be one character")
            elif t.name == "sound":
                name = t.get("name", "")
                self.path(where, t.line, name, "sound")
                self.sounds.add(name)
                if screens_started:
                    self.report(where, t.line, "sound %s declared after the screens" % name)
            elif t.name in ("level_file", "level_file_game", "level_file_relaxed", "level_file_trick"):
                screens_started = True
                name = t.get("name", "")
                self.path(where, t.line, name, "level file")
                lists.append((t.name, t.line))
                if data_file(self.data, name):
                    self.screens.append((t.name, name))
            elif t.name == "/game":
                ended = True
            elif t.name != "game":
                self.report(where, t.line, "<%s>: not an element of config.xml" % t.name)
        if not ended:
            self.report(where, len(tags) and tags[-1].line, "no </game>")
        for k in TUNING_KEYS:
            if k not in tuning:
                self.report(where, 0, "tuning key %s missing" % k)
        # Plain screens first, then each numbered list in one run.
        seen = []
        for name, line in lists:
            if seen and seen[-1] != name:
                if name in seen:
                    self.report(where, line, "%s: the %s records must be contiguous" % (name, name))
                if name == "level_file":
                    self.report(where, line, "level_file after numbered levels restarts their count")
            if not seen or seen[-1] != name:
                seen.append(name)

    def check_frames(self, where, line, name, full, fw, fh, n):
        if name.endswith(".png"):
            w, h = pngio.png_size(full)
        elif name.endswith(".jpg"):
            w, h = pngio.jpeg_size(full)
        else:
            return
        fits = (w // fw) * (h // fh) if fw and fh else 0
        if n < 1 or fits < n:
            self.report(where, line, "image %s (%dx%d) holds %d frames of %dx%d, not %d" % (name, w, h, fits, fw, fh, n))

    def check_font(self, where, line, name, full, cs, h):
        if cs != CHARACTER_SET:
            self.report(where, line, "font %s: character set is not printable ASCII without space and '\"'" % name)
        if h < 1:
            self.report(where, line, "font %s: letter_height missing" % name)
            return
        count, problems = count_glyphs(full, h)
        for p in problems:
            self.report(where, line, "font %s: %s" % (name, p))
        if count != len(cs):
            self.report(where, line, "font %s cuts into %d glyphs for %d characters" % (name, count, len(cs)))

    def screen(self, kind, rel):
        where = rel.replace("\\", "/")
        tags = self.read(rel)
        if not tags or tags[0].name != "object" or tags[0].get("type") != "level":
            self.report(where, 1, "a screen's first element is an object of type \"level\"")
            return
        if not tags[0].get("name"):
            self.report(where, 1, "a screen's first element names the screen")
        self.objects(where, tags, screen_kind=kind)

    def object_file(self, rel):
        where = rel.replace("\\", "/")
        tags = self.read(rel)
        if not tags or tags[0].name not in ("object", "load_object_from_file"):
            self.report(where, 1, "an object file begins with an object")
            return
        self.objects(where, tags, screen_kind=None)

    def objects(self, where, tags, screen_kind):
        stack = []      # open objects: dict(type, tag, stages, children)
        root = None
        alt_keys = {}
        depth_zero_done = False
        last_type = None
        for t in tags:
            if t.name == "object" and t.get("type") is None and last_type == "level" and stack:
                self.report(where, t.line, "an object without type right after the level's own tags is built as a new screen")
            if t.get("type") is not None:
                last_type = t.get("type")
            if depth_zero_done:
                self.report(where, t.line, "<%s> after the first object closed is never read" % t.name)
                continue
            if t.name == "object":
                typ = t.get("type", "generic")
                if typ not in OBJECT_TYPES:
                    self.report(where, t.line, "object type %s is made by nobody" % typ)
                obj = dict(type=typ, tag=t, stages=[], children=[], parent=stack[-1] if stack else None)
                name = t.get("name", "")
                if len(name) > MAX_NAME:
                    self.report(where, t.line, "object name %s longer than %d" % (name, MAX_NAME))
                for k, v in t.attrs:
                    if k in PATH_ATTRIBUTES and v:
                        self.path(where, t.line, v, k)
                if typ == "text" or typ == "tooltip" or typ == "user_data_display" or typ == "user_list_box" or typ == "input_box":
                    font = t.get("font")
                    if font and font not in self.fonts:
                        self.report(where, t.line, "font %s is not loaded by config.xml" % font)
                    elif not font and typ in ("text", "tooltip", "user_data_display", "user_list_box"):
                        self.report(where, t.line, "%s object without a font" % typ)
                if stack:
                    stack[-1]["children"].append(obj)
                elif root is None:
                    root = obj
                stack.append(obj)
            elif t.name == "/object":
                if not stack:
                    self.report(where, t.line, "</object> without an open object")
                    continue
                stack.pop()
                if not stack:
                    depth_zero_done = True
            elif t.name == "load_object_from_file":
                f = t.get("file", "")
                self.path(where, t.line, f, "file")
            elif t.name in ("stage", "emitter_stage"):
                if not stack:
                    self.report(where, t.line, "<%s> outside an object" % t.name)
                    continue
                name = t.get("name", "")
                if len(name) > MAX_NAME:
                    self.report(where, t.line, "stage name %s longer than %d" % (name, MAX_NAME))
                if t.name == "emitter_stage":
                    img = t.get("image")
                    if img:
                        self.path(where, t.line, img, "image")
                    continue
                stack[-1]["stages"].append(dict(tag=t, attrs=[], filters=[], events=[]))
            elif t.name in ("attribute", "filter", "event"):
                if not stack or not stack[-1]["stages"]:
                    self.report(where, t.line, "<%s> before any stage" % t.name)
                    continue
                st = stack[-1]["stages"][-1]
                if t.name == "attribute":
                    if t.get("type", "all") not in ATTRIBUTES:
                        self.report(where, t.line, "attribute type %s unknown (read as \"all\")" % t.get("type"))
                    if (stack[-1]["type"] == "text" and t.get("type") in ("x_scale", "scale", "all")
                            and any(a.get("type") == "x" for a in st["attrs"])):
                        self.report(where, t.line, "a text places its characters at the scale its stage has when x is read: "
                                    "give the scale before x")
                    st["attrs"].append(t)
                elif t.name == "filter":
                    if t.get("type", "super_cos") not in EASINGS:
                        self.report(where, t.line, "filter type %s unknown (read as \"super_cos\")" % t.get("type"))
                    if t.get("attribute", "all") not in ATTRIBUTES:
                        self.report(where, t.line, "filter attribute %s unknown (read as \"all\")" % t.get("attribute"))
                    st["filters"].append(t)
                else:
                    self.event(where, t, st, stack[-1], alt_keys)
            elif t.name == "set_game_mode":
                pass
            else:
                self.report(where, t.line, "<%s>: no loader reads it" % t.name)
        if stack:
            self.report(where, tags[-1].line, "%d object(s) left open" % len(stack))
        if root is None:
            return
        self.stage_loops(where, root)
        self.click_keys(where, root)
        self.key_bumpers(where, root)
        self.framed_use(where, root)
        if screen_kind is not None:
            self.screen_rules(where, root, screen_kind)

    def event(self, where, t, st, obj, alt_keys):
        trig, act = t.get("type", ""), t.get("action", "")
        if trig not in TRIGGERS:
            self.report(where, t.line, "event type %s unknown (never fires)" % trig)
        if act not in ACTIONS:
            self.report(where, t.line, "event action %s unknown (does nothing)" % act)
        for k in ("parm1", "parm2", "parm3", "parm4"):
            v = t.get(k, "")
            if len(v) > 63:
                self.report(where, t.line, "event %s of %d characters (at most 63)" % (k, len(v)))
            if "\\" in v and "." in v:
                self.path(where, t.line, v, k)
        if act == "play_sound" and t.get("parm3") and t.get("parm3") not in self.sounds:
            self.report(where, t.line, "sound %s is not declared in config.xml" % t.get("parm3"))
        key = t.get("alt_key")
        if key is not None:
            if not (key in SCREEN_KEYS or re.fullmatch(r"[A-Z0-9]", key)):
                self.report(where, t.line, "alt_key %r: use return, escape, space, or one upper-case letter or digit" % key)
            if trig not in ("click",):
                self.report(where, t.line, "alt_key on a %s event does nothing" % trig)
            owner = id(obj)
            if key in alt_keys and alt_keys[key] != owner:
                self.report(where, t.line, "alt_key %s used by two buttons of the screen" % key)
            alt_keys[key] = owner
        st["events"].append(t)

    def stage_loops(self, where, obj):
        looping = False
        for st in obj["stages"]:
            tag = st["tag"]
            if int(tag.get("loop_start", "0") or 0):
                looping = True
            if looping:
                for e in st["events"]:
                    if e.get("type") == "start":
                        self.report(where, e.line, "a start event in a looping stage fires on every loop")
            if int(tag.get("loop_end", "0") or 0):
                looping = False
        for c in obj["children"]:
            self.stage_loops(where, c)

    def click_keys(self, where, obj):
        for st in obj["stages"]:
            clicks = [e for e in st["events"] if e.get("type") == "click"]
            if len(clicks) > 1 and any(e.get("alt_key") is not None for e in clicks):
                self.report(where, clicks[1].line, "a key press is taken by the first of a button's click events only: "
                            "let one click go to a stage whose start events act")
        for c in obj["children"]:
            self.click_keys(where, c)

    def key_bumpers(self, where, root):
        bumper_types = ("rect_bumper", "round_bumper", "tri_bumper")
        objects = []

        def walk(obj):
            objects.append(obj)
            for c in obj["children"]:
                walk(c)
        walk(root)
        if not any(o["type"] in bumper_types for o in objects):
            return
        for o in objects:
            if o["type"] == "key_plate" and o["parent"] is not None and not any(c["type"] in bumper_types for c in o["parent"]["children"]):
                self.report(where, o["tag"].line, "a key plate pulls in only the bumpers beside it in its container: "
                            "this level's bumpers stand elsewhere")

    def framed_use(self, where, obj):
        img = obj["tag"].get("image")
        uses_frames = any(f.get("attribute") == "frame_number" for st in obj["stages"] for f in st["filters"]) or any(
            a.get("type") == "frame_number" for st in obj["stages"] for a in st["attrs"])
        if img and uses_frames and self.framed.get(img, (0, 0, 0))[2] < 2:
            self.report(where, obj["tag"].line, "image %s animates frames but config.xml gives it no frame layout" % img)
        for c in obj["children"]:
            self.framed_use(where, c)

    def screen_rules(self, where, root, kind):
        name = root["tag"].get("name", "")
        if not root["stages"]:
            self.report(where, root["tag"].line, "screen %s has no stage" % name)
        for st in root["stages"] if name not in MOVING_SCREENS else []:
            vals = {a.get("type"): (a.get("start"), a.get("end")) for a in st["attrs"]}
            for axis, want in (("x", "400"), ("y", "300")):
                got = vals.get(axis)
                if not got or any(v not in (want, "999999") for v in got):
                    self.report(where, st["tag"].line, "screen stages hold %s %s (have %s)" % (axis, want, got))
        if root["tag"].get("main_music"):
            # The main song starts when the intro timer (a quarter of intro_time, counted down
            # one a tick) passes exactly 1000.
            try:
                ms = float(root["tag"].get("intro_time", "0"))
            except ValueError:
                ms = 0
            if not (ms > 4000 and ms % 4 == 0):
                self.report(where, root["tag"].line, "main_music never starts: intro_time must be above 4000 and a multiple of 4")
        cursors = [c for c in root["children"] if c["type"] in ("cursor", "shooter_cursor")]
        if not cursors:
            self.report(where, root["tag"].line, "screen %s has no cursor object of its own" % name)
        last = root["stages"][-1]["tag"] if root["stages"] else None
        if last is not None and not int(last.get("loop_end", "0") or 0) and kind == "level_file" and name in ("main_menu",):
            self.report(where, last.line, "the main menu's last stage must loop, or the menu ends")

    def unnamed(self):
        for base, dirs, files in os.walk(self.data):
            for f in files:
                rel = os.path.relpath(os.path.join(base, f), self.data).replace(os.sep, "/")
                if any(re.fullmatch(p, rel) for p in UNNAMED_OK):
                    continue
                if rel.replace("/", "\\") not in self.named:
                    self.report(rel, 0, "nothing names this file")


def count_glyphs(path, h):
    """Cuts a strip font as the game does; returns (glyph count, problems)."""
    w, H, rgba = pngio.read_png(path)
    problems = []
    rows = 0
    count = 0
    y = 0
    while y + h < H:
        rows += 1
        ink = [False] * w
        for yy in range(y, y + h):
            base = yy * w * 4 + 3
            row = rgba[base:base + w * 4:4]
            for x in range(w):
                if row[x]:
                    ink[x] = True
        x = 0
        gap = None
        while x < w:
            if not ink[x]:
                x += 1
                continue
            if gap is not None and gap < 2:
                problems.append("glyphs %d and %d apart by %d clear column(s) in the row at y %d" % (count - 1, count, gap, y))
            while x < w and ink[x]:
                x += 1
            count += 1
            start = x
            while x < w and not ink[x]:
                x += 1
            gap = x - start
        y += h
    if rows * h >= H:
        problems.append("strip %d high holds no uncut row" % H)
    # Ink below the last cut row is never shown.
    for yy in range(rows * h, H):
        base = yy * w * 4 + 3
        if any(rgba[base:base + w * 4:4]):
            problems.append("ink in row %d, below the glyph rows" % yy)
            break
    return count, problems


def lint(data):
    return Lint(data).run()


def report(problems, what):
    """Prints the problems and their count; the exit status of a check."""
    for p in problems:
        print(p)
    print("%s: %d problem(s)" % (what, len(problems)))
    return 1 if problems else 0


def main(argv):
    data = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "data")
    return report(lint(os.path.abspath(data)), "data lint")


if __name__ == "__main__":
    sys.exit(main(sys.argv))
