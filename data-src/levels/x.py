"""A small writer of object XML as the game reads it: tabs, no declaration, every value quoted."""


def fmt(v):
    if isinstance(v, float):
        s = ("%.4f" % v).rstrip("0").rstrip(".")
        return s if s not in ("-0", "") else "0"
    return str(v)


def attrs(d):
    return "".join(' %s="%s"' % (k, fmt(v)) for k, v in d if v is not None)


class St:
    def __init__(self, name=None, ms=1000, loop=False, visible=None, **kw):
        self.name, self.ms, self.loop, self.visible = name, ms, loop, visible
        self.a = []   # (type, start, end)
        self.f = []   # dict
        self.e = []   # dict
        for k, v in kw.items():
            if isinstance(v, tuple):
                self.a.append((k, v[0], v[1]))
            else:
                self.a.append((k, v, v))

    def at(self, t, s, e=None):
        self.a.append((t, s, s if e is None else e))
        return self

    def filt(self, type, attribute, amplitude=None, period=None, offset=None):
        self.f.append([("type", type), ("attribute", attribute), ("amplitude", amplitude), ("period", period), ("offset", offset)])
        return self

    def ev(self, type, action, p1=None, p2=None, p3=None, p4=None, alt=None):
        self.e.append([("type", type), ("action", action), ("parm1", p1), ("parm2", p2), ("parm3", p3), ("parm4", p4), ("alt_key", alt)])
        return self

    def xml(self, ind):
        head = [("name", self.name), ("ms", self.ms)]
        if self.loop:
            head += [("loop_start", 1), ("loop_end", 1)]
        if self.visible is not None:
            head += [("visible", self.visible)]
        out = ind + "<stage%s>\n" % attrs(head)
        for t, s, e in self.a:
            out += ind + "\t<attribute%s>\n" % attrs([("type", t), ("start", s), ("end", e)])
        for f in self.f:
            out += ind + "\t<filter%s>\n" % attrs(f)
        for e in self.e:
            out += ind + "\t<event%s>\n" % attrs(e)
        return out


class O:
    def __init__(self, type=None, name=None, stages=(), children=(), **kw):
        self.head = []
        if type:
            self.head.append(("type", type))
        if name:
            self.head.append(("name", name))
        self.head += list(kw.items())
        self.stages = list(stages)
        self.children = list(children)
        self.extra = []  # raw lines inside, e.g. load_object_from_file

    def xml(self, ind=""):
        out = ind + "<object%s>\n" % attrs(self.head)
        for s in self.stages:
            out += s.xml(ind + "\t")
        for raw in self.extra:
            out += ind + "\t" + raw + "\n"
        for c in self.children:
            out += c.xml(ind + "\t")
        out += ind + "</object>\n"
        return out


def still(x=0, y=0, **kw):
    return St(None, 1000, True, x=x, y=y, **kw)


def screen_stage(name, ms, loop=False, **kw):
    return St(name, ms, loop, x=400, y=300, **kw)


def cursor():
    return O("cursor", "cursor", [St(None, 1000, True)], image="gfx\\menu\\pointer.png", top_left=1, z_order=20)


def text(s, font="gfx\\font1_small.png", x=0, y=0, scale=None, spacing=-3, name=None, stages=None, **kw):
    if stages is None:
        st = St(None, 1000, True)
        if scale is not None:
            st.at("x_scale", scale).at("y_scale", scale)
        st.at("x", x).at("y", y)
        stages = [st]
    return O("text", name, stages, string=s, font=font, spacing=spacing, **kw)


def ev(type, action, p1=None, p2=None, p3=None, p4=None, alt=None):
    return [("type", type), ("action", action), ("parm1", p1), ("parm2", p2), ("parm3", p3), ("parm4", p4), ("alt_key", alt)]


def write(path, obj):
    import os
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(obj.xml() if hasattr(obj, "xml") else obj)
