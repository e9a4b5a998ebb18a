"""The sketches write object XML through the generators' own writer."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "datagen"))

from objxml import O, St, ev, text, cursor, still, write  # noqa: E402,F401
