#!/usr/bin/env python3
"""Generates src/sites/coastline.cpp, the site map's built-in world outline.

Source: the 1:110 million coastline of Natural Earth (public domain; naturalearthdata.com), as the
Debian package r-cran-rnaturalearthdata ships it (CC0; data/Rdata.rdb, object "coastline110").
Install the package once (apt-get install r-cran-rnaturalearthdata, or apt-get download it and
unpack it with dpkg -x) and run

    tools/coastline_gen.py [PACKAGE-DATA-DIRECTORY] > src/sites/coastline.cpp

The default directory is /usr/lib/R/site-library/rnaturalearthdata/data. Neither R nor the package
is needed to build the program: the generated table is committed.

What it does: reads the R lazy-load database with its own small reader of R's serialisation
format; joins the coastline pieces into rings (Africa-Eurasia and the Americas come in several
pieces, Eurasia and Antarctica are cut at 180 degrees and closed along it); splits Africa from
Eurasia at Suez and North from South America at Panama; leaves out rings that lie inside others
(lakes such as the Caspian Sea); picks 49 outlines - the continents and the largest islands, then
small islands as single points - rounds them to whole degrees and simplifies each to its fixed
vertex count by repeatedly dropping the vertex that spans the smallest triangle (Visvalingam).
Africa begins at its westernmost bulge and keeps the eight vertices the map has always started and
ended it with. The counts, the total and Africa's pinned vertices are checked before anything is
written.
"""
import bz2
import gzip
import lzma
import math
import struct
import sys
import zlib

# Vertex count of each outline, in drawing order; the last vertex repeats the first.
COUNTS = [30, 21, 18, 15, 18, 18, 30, 16, 14, 21, 17, 18, 19, 19, 41, 5, 9, 9, 11, 6, 4, 4, 2, 5, 4, 5,
          4, 5, 4, 6, 2, 6, 5, 4, 2, 5, 2, 7, 5, 8, 4, 7, 4, 4, 6, 8, 6, 5, 4]
TOTAL = 492

# The large outlines, in drawing order: a name and a point (lat, lon) inside the land.
LARGE = [('Africa', (0, 20)), ('South America', (-10, -55)), ('Australia', (-25, 135)),
         ('Madagascar', (-20, 46.5)), ('Greenland', (75, -40)), ('Antarctica', (-80, 0)),
         ('North America', (45, -100)), ('Baffin Island', (70, -72)), ('New Guinea', (-5, 142)),
         ('Borneo', (1, 114)), ('Victoria Island', (71, -110)), ('Ellesmere Island', (80, -80)),
         ('Sumatra', (0, 101.5)), ('Honshu', (36, 138)), ('Eurasia', (60, 60))]

# Africa's first five and last three vertices (latitude, longitude), kept as they always were.
AFRICA_HEAD = [(21, -18), (36, -5), (35, 0), (37, 12), (32, 10)]
AFRICA_TAIL = [(3, -9), (13, -17), (21, -18)]
SUEZ = [(31.3, 32.3), (29.9, 32.6)]      # Port Said, Suez: where Africa leaves Eurasia


# ---- R serialisation (version 2 and 3, XDR) ------------------------------------------------

class Sym:
    def __init__(self, name):
        self.name = name


class RObj:
    def __init__(self, kind, value=None, attr=None):
        self.kind, self.value, self.attr = kind, value, attr or {}


class Unserializer:
    def __init__(self, data):
        if data[:2] != b'X\n':
            raise ValueError('not an XDR serialisation')
        self.d, self.i, self.refs = data, 2, []
        version = self.int()
        self.int()
        self.int()
        if version == 3:
            n = self.int()  # native encoding name
            self.i += n

    def int(self):
        v = struct.unpack_from('>i', self.d, self.i)[0]
        self.i += 4
        return v

    def length(self):
        n = self.int()
        if n == -1:
            n = (self.int() << 32) + self.int()
        return n

    @staticmethod
    def attrs(pairlist):
        return dict(pairlist.value) if pairlist is not None else {}

    def item(self):
        flags = self.int()
        kind, has_attr, has_tag = flags & 0xFF, flags & (1 << 9), flags & (1 << 10)
        if kind == 254:                                   # NULL
            return None
        if kind in (241, 242, 243, 246, 250, 251, 252, 253):  # special environments and markers
            return RObj(kind)
        if kind == 255:                                   # reference
            index = flags >> 8 or self.int()
            return self.refs[index - 1]
        if kind in (247, 248, 249):                       # persistent, package, namespace
            self.int()
            obj = RObj(kind, [self.item() for _ in range(self.int())])
            self.refs.append(obj)
            return obj
        if kind == 1:                                     # symbol
            obj = Sym(self.item())
            self.refs.append(obj)
            return obj
        if kind == 4:                                     # environment
            obj = RObj(4)
            self.refs.append(obj)
            self.int()
            self.item(), self.item(), self.item(), self.item()
            return obj
        if kind in (2, 3, 5, 6, 17):                      # pairlist, closure, promise, call, dots
            attr = self.item() if has_attr else None
            tag = self.item() if has_tag else None
            car, cdr = self.item(), self.item()
            items = [(tag.name if isinstance(tag, Sym) else tag, car)]
            if isinstance(cdr, RObj) and cdr.kind == 2:
                items += cdr.value
            return RObj(2, items, self.attrs(attr))
        if kind == 9:                                     # string
            n = self.int()
            if n == -1:
                return None
            text = self.d[self.i:self.i + n].decode('utf-8', 'replace')
            self.i += n
            return text
        if kind == 238:                                   # ALTREP
            info, state, attr = self.item(), self.item(), self.item()
            cls = info.value[0][1].name
            if cls in ('compact_intseq', 'compact_realseq'):
                n, start, step = state.value[:3]
                return RObj(13, [start + k * step for k in range(int(n))], self.attrs(attr))
            if cls.startswith('wrap_'):
                inner = state.value[0][1]
                inner.attr.update(self.attrs(attr))
                return inner
            if cls == 'deferred_string':
                return RObj(16, None, self.attrs(attr))
            raise ValueError('unknown ALTREP class ' + cls)
        if kind in (10, 13):                              # logical, integer
            n = self.length()
            value = list(struct.unpack_from('>%di' % n, self.d, self.i))
            self.i += 4 * n
        elif kind == 14:                                  # double
            n = self.length()
            value = list(struct.unpack_from('>%dd' % n, self.d, self.i))
            self.i += 8 * n
        elif kind == 15:                                  # complex
            self.i += 16 * self.length()
            value = None
        elif kind == 24:                                  # raw
            n = self.length()
            value = self.d[self.i:self.i + n]
            self.i += n
        elif kind in (16, 19, 20):                        # character, list, expression
            value = [self.item() for _ in range(self.length())]
        elif kind == 25:                                  # S4 object: its slots are attributes
            value = None
        else:
            raise ValueError('unsupported R type %d' % kind)
        attr = self.attrs(self.item()) if has_attr else {}
        return RObj(kind, value, attr)


def named(obj):
    return dict(zip(obj.attr['names'].value, obj.value))


def load_object(directory, name):
    index = named(Unserializer(gzip.decompress(open(directory + '/Rdata.rdx', 'rb').read())).item())
    offset, length = (int(v) for v in named(index['variables'])[name].value)
    with open(directory + '/Rdata.rdb', 'rb') as f:
        f.seek(offset)
        raw = f.read(length)
    kind = raw[4:5]
    if kind == b'Z':
        data = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=[{'id': lzma.FILTER_LZMA2}]).decompress(raw[5:])
    elif kind == b'2':
        data = bz2.decompress(raw[5:])
    else:
        data = zlib.decompress(raw[4:])
    return Unserializer(data).item()


# ---- rings ---------------------------------------------------------------------------------

def read_lines(directory):
    """Every coastline piece as a list of (lat, lon)."""
    lines = []
    for group in load_object(directory, 'coastline110').attr['lines'].value:
        for line in group.attr['Lines'].value:
            coords = line.attr['coords']
            n = coords.attr['dim'].value[0]
            lines.append(list(zip(coords.value[n:], coords.value[:n])))
    return lines


def near(a, b, tolerance=1e-6):
    return abs(a[0] - b[0]) < tolerance and abs(a[1] - b[1]) < tolerance


def join_pieces(lines):
    """Closed rings from the pieces: pieces are chained end to start (or reversed) until closed;
    a chain that ends on the 180th meridian where it began is closed along it."""
    rings = [l[:-1] for l in lines if near(l[0], l[-1])]
    open_ = [l for l in lines if not near(l[0], l[-1])]
    while open_:
        chain = open_.pop(0)
        grown = True
        while grown and not near(chain[0], chain[-1]):
            grown = False
            for k, piece in enumerate(open_):
                if near(chain[-1], piece[0]):
                    chain += piece[1:]
                elif near(chain[-1], piece[-1]):
                    chain += piece[::-1][1:]
                elif near(chain[0], piece[-1]):
                    chain = piece[:-1] + chain
                elif near(chain[0], piece[0]):
                    chain = piece[::-1][:-1] + chain
                else:
                    continue
                open_.pop(k)
                grown = True
                break
        if near(chain[0], chain[-1]):
            rings.append(chain[:-1])
        elif abs(abs(chain[0][1]) - 180) < 1e-6 and abs(abs(chain[-1][1]) - 180) < 1e-6 and len(chain) > 100:
            rings.append(chain)  # Eurasia and Antarctica: the closing edge runs along 180 degrees
        # short pieces cut at 180 degrees (Chukotka's tip, Wrangel, Fiji) are left out
    return rings


def area(ring):
    s = 0.0
    for (y0, x0), (y1, x1) in zip(ring, ring[1:] + ring[:1]):
        s += x0 * y1 - x1 * y0
    return s / 2


def inside(point, ring):
    y, x = point
    hit = False
    for (y0, x0), (y1, x1) in zip(ring, ring[1:] + ring[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            hit = not hit
    return hit


def nearest(ring, point):
    return min(range(len(ring)), key=lambda k: (ring[k][0] - point[0]) ** 2 + (ring[k][1] - point[1]) ** 2)


def split(ring, a, b):
    """The two rings made by cutting `ring` between its vertices a and b with a straight edge."""
    i, j = sorted((a, b))
    return ring[i:j + 1], ring[j:] + ring[:i + 1]


def distance_to(ring, point):
    return min(math.hypot(p[0] - point[0], p[1] - point[1]) for p in ring)


# ---- simplification ------------------------------------------------------------------------

def rounded(points):
    out = []
    for lat, lon in points:
        q = (int(math.floor(lat + 0.5)), int(math.floor(lon + 0.5)))
        if not out or out[-1] != q:
            out.append(q)
    return out


def triangle(a, b, c):
    return abs((b[1] - a[1]) * (c[0] - a[0]) - (c[1] - a[1]) * (b[0] - a[0])) / 2


def visvalingam(points, keep, closed):
    """Drops the vertex with the smallest triangle until `keep` remain. An open polyline keeps its
    two ends, and a ring cut at 180 degrees its vertices on that meridian."""
    pts = list(points)
    while len(pts) > keep:
        n = len(pts)
        candidates = [i for i in (range(n) if closed else range(1, n - 1)) if abs(pts[i][1]) != 180]
        k = min(candidates, key=lambda i: (triangle(pts[i - 1], pts[i], pts[(i + 1) % n]), i))
        del pts[k]
    return pts


def outline(ring, count):
    """A closed outline of exactly `count` vertices, the first repeated as the last."""
    if count == 2:
        lat = sum(p[0] for p in ring) / len(ring)
        lon = sum(p[1] for p in ring) / len(ring)
        q = rounded([(lat, lon)])[0]
        return [q, q]
    pts = rounded(ring)
    if len(pts) > 1 and pts[0] == pts[-1]:
        pts.pop()
    if len(pts) < count - 1:
        return None
    pts = visvalingam(pts, count - 1, True)
    if len(set(pts)) != count - 1:
        return None
    return pts + pts[:1]


def africa(ring):
    """Africa from its west coast bulge northwards, with its pinned first and last vertices."""
    if area(ring) > 0:  # counter-clockwise with x = longitude, y = latitude: turn it round
        ring = ring[::-1]
    start = nearest(ring, AFRICA_HEAD[-1])
    stop = nearest(ring, AFRICA_TAIL[0])
    middle = ring[start:stop + 1] if start <= stop else ring[start:] + ring[:stop + 1]
    pts = rounded(middle)
    pts[0], pts[-1] = AFRICA_HEAD[-1], AFRICA_TAIL[0]
    free = COUNTS[0] - len(AFRICA_HEAD) - len(AFRICA_TAIL)
    inner = visvalingam(pts, free + 2, False)[1:-1]
    return AFRICA_HEAD + inner + AFRICA_TAIL


# ---- the table -----------------------------------------------------------------------------

def build(directory):
    rings = join_pieces(read_lines(directory))
    rings.sort(key=lambda r: -abs(area(r)))
    land = []
    for ring in rings:
        if not any(inside(ring[0], bigger) for bigger in land):  # lakes: inside a larger ring
            land.append(ring)

    def take(point):
        ring = next(r for r in land if inside(point, r))
        land.remove(ring)
        return ring

    # Africa leaves Eurasia at Suez, South America North America at Panama.
    old_world = take(LARGE[0][1])
    parts = split(old_world, nearest(old_world, SUEZ[0]), nearest(old_world, SUEZ[1]))
    land += parts
    americas = take((45, -100))
    parts = split(americas, nearest(americas, (8.67, -77.35)), nearest(americas, (7.22, -77.88)))
    land += parts

    outlines = []
    for (name, point), count in zip(LARGE, COUNTS):
        ring = take(point)
        shape = africa(ring) if name == 'Africa' else outline(ring, count)
        if shape is None:
            raise SystemExit('%s cannot be drawn with %d vertices' % (name, count))
        outlines.append((name, shape))

    land.sort(key=lambda r: -abs(area(r)))
    for count in COUNTS[len(LARGE):]:
        # Islands that show as a single pixel are the smallest; the others the largest left.
        order = land[::-1] if count == 2 else land
        for ring in order:
            shape = outline(ring, count)
            if shape is not None:
                break
        else:
            raise SystemExit('no island left for %d vertices' % count)
        land.remove(ring)
        lat = sum(p[0] for p in ring) / len(ring)
        lon = sum(p[1] for p in ring) / len(ring)
        outlines.append(('island near %.0f, %.0f' % (lat, lon), shape))

    # The map has always reached from 85 degrees south to 84 north.
    outlines = [(name, [(max(-85, min(84, lat)), lon) for lat, lon in shape]) for name, shape in outlines]
    check(outlines)
    return outlines


def check(outlines):
    counts = [len(shape) for _, shape in outlines]
    if counts != COUNTS or sum(counts) != TOTAL:
        raise SystemExit('counts differ: %s' % counts)
    for name, shape in outlines:
        if shape[0] != shape[-1]:
            raise SystemExit(name + ' is not closed')
    africa_shape = outlines[0][1]
    if africa_shape[:5] != AFRICA_HEAD or africa_shape[-3:] != AFRICA_TAIL:
        raise SystemExit('Africa does not begin and end as it must')
    lats = [p[0] for _, s in outlines for p in s]
    lons = [p[1] for _, s in outlines for p in s]
    if min(lats) != -85 or max(lats) != 84 or min(lons) != -180 or max(lons) != 180:
        raise SystemExit('extent %d..%d, %d..%d' % (min(lats), max(lats), min(lons), max(lons)))


def write(outlines, out):
    out.write('// The site map\'s world outline, generated by tools/coastline_gen.py; do not edit.\n')
    out.write('// Source: Natural Earth 1:110m coastline (public domain), as shipped in the Debian package\n')
    out.write('// r-cran-rnaturalearthdata (CC0), rounded to whole degrees and simplified.\n')
    out.write('#include "sites/coastline.h"\n\n')
    out.write('// clang-format off\n')
    out.write('const int32_t kCoastlineCounts[kCoastlineOutlines] = {\n')
    counts = [str(len(shape)) for _, shape in outlines]
    for k in range(0, len(counts), 20):
        out.write('    ' + ', '.join(counts[k:k + 20]) + ',\n')
    out.write('};\n\n')
    out.write('const CoastVertex kCoastline[kCoastlineVertices] = {\n')
    for name, shape in outlines:
        out.write('    // %s\n' % name)
        cells = ['{%d, %d}' % p for p in shape]
        line = '   '
        for cell in cells:
            if len(line) + len(cell) + 2 > 110:
                out.write(line.rstrip() + '\n')
                line = '   '
            line += ' ' + cell + ','
        out.write(line + '\n')
    out.write('};\n')
    out.write('// clang-format on\n')


if __name__ == '__main__':
    write(build(sys.argv[1] if len(sys.argv) > 1 else '/usr/lib/R/site-library/rnaturalearthdata/data'),
          sys.stdout)
