"""The sketches write object XML, and the level objects they share, through the generators' own code."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "datagen"))

from objxml import O, St, ev, text, cursor, still, write  # noqa: E402,F401
from levelparts import scenery, aim_cursor, water, corner_button, hud, bumper, turret, warp, basket  # noqa: E402,F401
