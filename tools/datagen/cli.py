"""tools/make-data: regenerates the generated part of data/ and checks it.

    tools/make-data [--out DIR]    write every generated file under DIR (default: data/)
    tools/make-data --check        lint data/, regenerate into a scratch folder and
                                   compare with what is committed, by shape
"""
import argparse
import os
import shutil
import struct
import sys
import tempfile

import datalint
import pngio
import treasurecolours

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
DATA = os.path.join(ROOT, "data")
MANIFEST = os.path.join(ROOT, "tools", "datagen", "manifest.txt")


def generators():
    # Imported here: these need the generator packages, the lint does not.
    import extras
    import fonts
    import levelart
    import playart
    import pictures
    import songs
    import sounds
    import treasures
    import tricks
    return [pictures.generate, levelart.generate, playart.generate, treasures.generate, extras.generate, fonts.generate, sounds.generate, songs.generate, tricks.generate]


def generate(out_dir):
    def out(rel):
        path = os.path.join(out_dir, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        return path
    made = []
    for gen in generators():
        for rel in gen(out):
            made.append(rel)
    if len(set(made)) != len(made):
        raise SystemExit("two generators write the same file")
    return sorted(made)


def shape(path, rel):
    """What a regenerated file must keep: picture size, glyph count, sound length."""
    if rel.endswith(".png"):
        w, h = pngio.png_size(path)
        s = {"size": (w, h)}
        if rel.startswith("gfx/font") or rel == "gfx/sysfont.png":
            import fonts
            name = os.path.basename(rel)[:-4]
            s["glyphs"] = datalint.count_glyphs(path, fonts.FONTS[name]["height"])[0]
        return s
    if rel.endswith(".jpg"):
        return {"size": pngio.jpeg_size(path)}
    if rel.endswith(".xm"):
        with open(path, "rb") as f:
            head = f.read(80)
        channels, patterns, instruments = struct.unpack("<HHH", head[68:74])
        return {"channels": channels, "patterns": patterns, "instruments": instruments}
    if rel.endswith(".ogg"):
        rate, channels, length = pngio.ogg_info(path)
        return {"rate": rate, "channels": channels, "length": length}
    return {}


def describe(s):
    return " ".join("%s=%s" % (k, "x".join(map(str, v)) if isinstance(v, tuple) else v) for k, v in sorted(s.items()))


def same_shape(a, b):
    for k in set(a) | set(b):
        if k == "length":
            if abs(a.get(k, 0) - b.get(k, 0)) > 0.05 * max(a.get(k, 1), 1):
                return False
        elif a.get(k) != b.get(k):
            return False
    return True


def check():
    problems = datalint.lint(DATA)
    problems += treasurecolours.problems(treasurecolours.read(treasurecolours.SRC))
    scratch = tempfile.mkdtemp(prefix="make-data-")
    try:
        made = generate(scratch)
        with open(MANIFEST) as f:
            listed = [line.split()[0] for line in f if line.strip()]
        for rel in sorted(set(listed) ^ set(made)):
            problems.append("%s: %s" % (rel, "listed in the manifest but no longer made" if rel in listed else
                                        "made but not in the manifest: run tools/make-data"))
        for rel in made:
            committed = os.path.join(DATA, rel)
            if not os.path.isfile(committed):
                problems.append("%s: made by the generators but not committed" % rel)
                continue
            a, b = shape(committed, rel), shape(os.path.join(scratch, rel), rel)
            if not same_shape(a, b):
                problems.append("%s: committed %s, a fresh run gives %s" % (rel, describe(a), describe(b)))
    finally:
        shutil.rmtree(scratch)
    return datalint.report(problems, "make-data --check")


def main(argv):
    ap = argparse.ArgumentParser(prog="make-data", description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--out", help="folder to write into (default: data/)")
    ap.add_argument("--check", action="store_true", help="lint data/ and compare a fresh run with it")
    args = ap.parse_args(argv[1:])
    if args.check:
        return check()
    out_dir = os.path.abspath(args.out or DATA)
    made = generate(out_dir)
    if out_dir == DATA:
        import tricks
        tricks.write_throws(os.path.join(ROOT, "tests", "data", "tricks.txt"))
        with open(MANIFEST, "w") as f:
            for rel in made:
                f.write("%s %s\n" % (rel, describe(shape(os.path.join(out_dir, rel), rel))))
    print("make-data: %d files written to %s" % (len(made), out_dir))
    return 0
