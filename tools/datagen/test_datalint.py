#!/usr/bin/env python3
"""Self-test of the data lint: each rule the game's reader depends on is shown
to catch a small broken data folder made here. Standard library only."""
import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import datalint  # noqa: E402
import pngio  # noqa: E402
import treasurecolours  # noqa: E402

CURSOR = ('\t<object type="cursor" image="gfx\\p.png" top_left="1">\n'
          '\t\t<stage ms="1000" loop_start="1" loop_end="1">\n\t</object>\n')
STAGE = ('\t<stage name="idle" ms="1000" loop_start="1" loop_end="1">\n'
         '\t\t<attribute type="x" start="400" end="400">\n\t\t<attribute type="y" start="300" end="300">\n')


def screen(name, body="", stage=STAGE, cursor=CURSOR):
    return '<object type="level" name="%s">\n%s%s%s</object>\n' % (name, stage, cursor, body)


def button(key, extra=""):
    return ('\t<object image="gfx\\p.png">\n\t\t<stage ms="1000" loop_start="1" loop_end="1">\n'
            '\t\t\t<event type="click" action="insert_level" parm1="main_menu" alt_key="%s"%s>\n\t</object>\n' % (key, extra))


class DataLintTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="datalint-")
        os.makedirs(os.path.join(self.dir, "gfx"))
        os.makedirs(os.path.join(self.dir, "levels"))
        pngio.write_png(os.path.join(self.dir, "gfx", "p.png"), 2, 2, b"\xff" * 16)
        self.files = {"levels/main_menu.xml": screen("main_menu")}

    def tearDown(self):
        shutil.rmtree(self.dir)

    def lint(self, config_extra="", tuning=True):
        keys = "".join('<global %s="1">\n' % k for k in datalint.TUNING_KEYS) if tuning else ""
        self.files["config.xml"] = ('<game>\n<loading percent="2">\n%s<image name="gfx\\p.png">\n%s'
                                    '<level_file name="levels\\main_menu.xml">\n</game>\n' % (keys, config_extra))
        for rel, text in self.files.items():
            with open(os.path.join(self.dir, rel), "w") as f:
                f.write(text)
        # The code names these itself; an empty stand-in is enough here.
        for rel in datalint.CODE_NAMES:
            path = os.path.join(self.dir, rel.replace("\\", "/"))
            if not os.path.exists(path):
                os.makedirs(os.path.dirname(path), exist_ok=True)
                if rel.endswith(".xml"):
                    with open(path, "w") as f:
                        f.write('<object image="gfx\\p.png">\n<stage ms="1000" loop_start="1" loop_end="1">\n</object>\n')
                else:
                    shutil.copy(os.path.join(self.dir, "gfx", "p.png"), path)
        return datalint.lint(self.dir)

    def assertFinds(self, problems, text):
        self.assertTrue(any(text in p for p in problems), "no %r in %s" % (text, problems))

    def test_clean_folder_passes(self):
        self.assertEqual(self.lint(), [])

    def test_reader_habits(self):
        cases = [
            ("<!-- note -->\n", "comment"),
            ('<?xml version="1.0"?>\n', "declaration"),
            ('\t<object image=\'gfx\\p.png\'>\n\t</object>\n', "not written as name"),
            ('\t<object name="%s" image="gfx\\p.png">\n\t</object>\n' % ("n" * 24), "longer than 23"),
            ('\t<object image="gfx\\p.png" tip="%s">\n\t</object>\n' % ("v" * 384), "value of 384"),
            ('\t<object image="gfx\\P.png">\n\t</object>\n', "no such file"),
            ('\t<object image="gfx/p.png">\n\t</object>\n', "written with '/'"),
            ('\t<object type="buton">\n\t</object>\n', "made by nobody"),
            ('\t<object type="key_plate">\n\t</object>\n\t<object type="layer">\n\t\t<object type="round_bumper">\n'
             '\t\t</object>\n\t</object>\n', "pulls in only the bumpers beside it"),
            ('\t<object type="text" string="HI">\n\t\t<stage ms="1000">\n\t\t\t<attribute type="x" start="0" end="0">\n'
             '\t\t\t<attribute type="x_scale" start="0.6" end="0.6">\n\t</object>\n', "give the scale before x"),
        ]
        for body, want in cases:
            with self.subTest(want=want):
                self.files["levels/main_menu.xml"] = screen("main_menu", body)
                self.assertFinds(self.lint(), want)

    def test_screen_rules(self):
        self.files["levels/main_menu.xml"] = screen("main_menu", cursor="")
        self.assertFinds(self.lint(), "no cursor object")
        self.files["levels/main_menu.xml"] = screen("main_menu", stage='\t<stage ms="1000" loop_start="1" loop_end="1">\n'
                                                    '\t\t<attribute type="x" start="0" end="400">\n')
        self.assertFinds(self.lint(), "hold x 400")
        self.files["levels/main_menu.xml"] = screen("main_menu", button("return") + button("return"))
        self.assertFinds(self.lint(), "used by two buttons")
        self.files["levels/main_menu.xml"] = screen("main_menu", button("Q") + CURSOR, cursor="", stage='\t<stage ms="1000" loop_start="1" loop_end="1">\n')
        self.assertFinds(self.lint(), "built as a new screen")
        self.files["levels/main_menu.xml"] = screen("main_menu", button("p"))
        self.assertFinds(self.lint(), "alt_key 'p'")
        # Once for the button, however many click events it has.
        self.files["levels/main_menu.xml"] = screen("main_menu", button(
            "Y", '>\n\t\t\t<event type="click" action="kill_all">\n\t\t\t<event type="click" action="kill_all"'))
        found = [p for p in self.lint() if "first of a button's click events" in p]
        self.assertEqual(len(found), 1, found)
        self.files["levels/main_menu.xml"] = screen("main_menu", stage=STAGE.replace(
            '">\n', '">\n\t\t<event type="start" action="play_sound" parm3="audio\\x.ogg">\n', 1))
        self.assertFinds(self.lint(), "fires on every loop")
        for intro in ("4000", "4002", ""):
            self.files["levels/main_menu.xml"] = screen("main_menu").replace(
                'name="main_menu"', 'name="main_menu" main_music="audio\\x.ogg"' + (' intro_time="%s"' % intro if intro else ""))
            self.assertFinds(self.lint(), "main_music never starts")

    def test_index_rules(self):
        self.assertFinds(self.lint(tuning=False), "tuning key base_scroll_speed missing")
        self.assertFinds(self.lint('<loading percent="1">\n'), "must rise")
        self.assertFinds(self.lint('<global reload_time="1" cupid_wait_ms="2">\n'), "one tuning key per element")
        self.files["levels/extra.xml"] = screen("extra")
        self.assertFinds(self.lint(), "nothing names this file")

    def test_font_strip_is_cut_like_the_game(self):
        # Two glyphs one clear column apart, and a row that ends on the bottom edge.
        w, h = 8, 4
        px = bytearray(w * (2 * h) * 4)
        for y in range(h):
            for x in (1, 2, 4):
                px[(y * w + x) * 4 + 3] = 255
        pngio.write_png(os.path.join(self.dir, "gfx", "f.png"), w, 2 * h, bytes(px))
        count, problems = datalint.count_glyphs(os.path.join(self.dir, "gfx", "f.png"), h)
        self.assertEqual(count, 2)
        self.assertTrue(any("1 clear column" in p for p in problems), problems)


class TreasureColourTest(unittest.TestCase):
    def test_black_and_white_are_a_whole_lightness_apart_for_every_vision(self):
        for vision in treasurecolours.VISIONS:
            self.assertAlmostEqual(treasurecolours.delta_e("#000000", "#FFFFFF", vision), 100.0, places=3)

    def test_pair_apart_for_normal_vision_but_not_for_a_deutan_is_found(self):
        # A slate blue and a violet: 31 apart for normal vision, about 2 for a deutan.
        kinds = [(3, "goblet", "#3060C0"), (4, "vase", "#7040C0"), (1, "pearl", "#3060C0")]
        found = treasurecolours.problems(kinds)
        self.assertTrue(any("deutan" in p and "goblet" in p and "vase" in p for p in found), found)
        self.assertFalse(any("normal" in p for p in found), found)
        self.assertFalse(any("pearl" in p for p in found), found)  # not in play

    def test_committed_treasures_pass(self):
        self.assertEqual(treasurecolours.problems(treasurecolours.read(treasurecolours.SRC)), [])


if __name__ == "__main__":
    unittest.main()
