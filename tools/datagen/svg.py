"""Small helpers for writing SVG text with literal palette colours."""
import palette as P


def doc(w, h, body, defs=""):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
            '<defs>%s</defs>%s</svg>' % (w, h, w, h, defs, body))


def linear(id_, stops, x1=0, y1=0, x2=0, y2=1):
    s = "".join('<stop offset="%g" stop-color="%s"%s/>' % (
        o, c, (' stop-opacity="%g"' % a) if a != 1 else "") for o, c, a in _stops(stops))
    return '<linearGradient id="%s" x1="%g" y1="%g" x2="%g" y2="%g">%s</linearGradient>' % (id_, x1, y1, x2, y2, s)


def radial(id_, stops, cx=0.5, cy=0.5, r=0.5, fx=None, fy=None):
    s = "".join('<stop offset="%g" stop-color="%s"%s/>' % (
        o, c, (' stop-opacity="%g"' % a) if a != 1 else "") for o, c, a in _stops(stops))
    f = ""
    if fx is not None:
        f = ' fx="%g" fy="%g"' % (fx, fy)
    return '<radialGradient id="%s" cx="%g" cy="%g" r="%g"%s>%s</radialGradient>' % (id_, cx, cy, r, f, s)


def _stops(stops):
    for s in stops:
        if len(s) == 2:
            yield s[0], s[1], 1
        else:
            yield s


def blur_filter(id_, dev, extra=""):
    return ('<filter id="%s" x="-50%%" y="-50%%" width="200%%" height="200%%">'
            '<feGaussianBlur stdDeviation="%g"/>%s</filter>' % (id_, dev, extra))


def text(x, y, s, size, fill, family="DejaVu Sans", weight="bold", anchor="middle", extra=""):
    return ('<text x="%g" y="%g" font-family="%s" font-weight="%s" font-size="%g" text-anchor="%s" fill="%s" %s>%s</text>'
            % (x, y, family, weight, size, anchor, fill, extra, s))


def title_text(x, y, s, size, grad_id, family="DejaVu Sans", spacing=0, stroke=None):
    """Gold title lettering with an ink outline and a soft shadow."""
    ls = ' letter-spacing="%g"' % spacing if spacing else ""
    stroke = stroke or max(2.0, size / 14.0)
    common = 'font-family="%s" font-weight="bold" font-size="%g" text-anchor="middle"%s' % (family, size, ls)
    return ('<text x="%g" y="%g" %s fill="#140F0A" fill-opacity="0.55" stroke="#140F0A" stroke-opacity="0.55" '
            'stroke-width="%g" stroke-linejoin="round" filter="url(#soft)">%s</text>'
            '<text x="%g" y="%g" %s fill="none" stroke="%s" stroke-width="%g" stroke-linejoin="round">%s</text>'
            '<text x="%g" y="%g" %s fill="url(#%s)">%s</text>'
            % (x + size / 22, y + size / 14, common, stroke * 2, s,
               x, y, common, P.INK, stroke * 2, s,
               x, y, common, grad_id, s))


GOLD_STOPS = [(0, "#FFF6DC"), (0.45, P.BRASS_LIGHT), (0.55, "#F0B84A"), (1, "#C98A2A")]


def rounded(x, y, w, h, r, fill, stroke=None, sw=0, extra=""):
    s = ' stroke="%s" stroke-width="%g"' % (stroke, sw) if stroke else ""
    return '<rect x="%g" y="%g" width="%g" height="%g" rx="%g" ry="%g" fill="%s"%s %s/>' % (x, y, w, h, r, r, fill, s, extra)
