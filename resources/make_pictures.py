#!/usr/bin/env python3
"""Draws the small pictures that Plivora compiles in as resources and writes them to pictures/.

    python3 resources/make_pictures.py [--out DIR]

Only the Python standard library is used: a small anti-aliased rasteriser (shapes are sliced into
horizontal spans, exact across and sampled down), a median-cut palette reducer, a GIF89a encoder
(LZW) and a PNG encoder (zlib). Every file written is decoded again by the readers below and
compared with what was meant, so a fault in an encoder stops the run instead of shipping a broken
picture. The output is deterministic: running the script again gives the same bytes.
"""

import argparse
import math
import os
import random
import struct
import sys
import zlib

# --------------------------------------------------------------------------------------------
# Colours

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
INK = (29, 52, 79)  # dark slate blue: outlines and lettering
INK_SOFT = (84, 104, 128)  # secondary lettering
TEAL = (38, 160, 158)
TEAL_LIGHT = (118, 206, 198)
TEAL_DARK = (22, 112, 116)
BLUE = (42, 104, 172)
BLUE_DARK = (28, 72, 126)
BLUE_LIGHT = (120, 172, 224)
SKY_TOP = (206, 236, 244)
SKY_BOTTOM = (236, 248, 250)
SUN = (246, 186, 66)
CORAL = (212, 88, 76)
CORAL_DARK = (150, 52, 44)
GREY = (150, 160, 170)
GREY_LIGHT = (214, 220, 226)
GREY_DARK = (96, 106, 118)
FACE = (240, 240, 240)  # the light grey of dialogs and buttons, used as matte for soft edges


def mix(a, b, t):
    """Colour between a (t = 0) and b (t = 1)."""
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def rnd(v):
    """Round half up (Python's round() rounds half to even, which shifts edges unevenly)."""
    return int(math.floor(v + 0.5))


# --------------------------------------------------------------------------------------------
# Shapes. Each shape has a bounding box and answers, for a horizontal line at height y, the sorted
# disjoint x intervals it covers there. Filling slices the shape at several heights per pixel row.


def merge_spans(spans):
    spans = sorted(s for s in spans if s[1] > s[0])
    out = []
    for a, b in spans:
        if out and a <= out[-1][1]:
            if b > out[-1][1]:
                out[-1] = (out[-1][0], b)
        else:
            out.append((a, b))
    return out


def intersect_spans(p, q):
    out = []
    i = j = 0
    while i < len(p) and j < len(q):
        a = max(p[i][0], q[j][0])
        b = min(p[i][1], q[j][1])
        if b > a:
            out.append((a, b))
        if p[i][1] < q[j][1]:
            i += 1
        else:
            j += 1
    return out


def subtract_spans(p, q):
    out = []
    for a, b in p:
        cur = a
        for c, d in q:
            if d <= cur or c >= b:
                continue
            if c > cur:
                out.append((cur, c))
            cur = max(cur, d)
            if cur >= b:
                break
        if cur < b:
            out.append((cur, b))
    return out


class Shape:
    bbox = (0.0, 0.0, 0.0, 0.0)

    def spans(self, y):
        raise NotImplementedError

    def __or__(self, other):
        return Union([self, other])

    def __and__(self, other):
        return Intersect(self, other)

    def __sub__(self, other):
        return Difference(self, other)


class Polygon(Shape):
    """Filled polygon, nonzero winding rule."""

    def __init__(self, points):
        self.points = [(float(x), float(y)) for x, y in points]
        n = len(self.points)
        self.edges = [self.points[i] + self.points[(i + 1) % n] for i in range(n)]
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        self.bbox = (min(xs), min(ys), max(xs), max(ys))

    def spans(self, y):
        hits = []
        for x0, y0, x1, y1 in self.edges:
            if y0 <= y < y1 or y1 <= y < y0:
                hits.append((x0 + (y - y0) * (x1 - x0) / (y1 - y0), 1 if y1 > y0 else -1))
        hits.sort()
        out = []
        winding = 0
        start = 0.0
        for x, d in hits:
            before = winding
            winding += d
            if before == 0 and winding != 0:
                start = x
            elif before != 0 and winding == 0:
                out.append((start, x))
        return out


class Ellipse(Shape):
    """Filled ellipse with radii rx, ry, turned by angle degrees (clockwise on screen)."""

    def __init__(self, cx, cy, rx, ry=None, angle=0.0):
        ry = rx if ry is None else ry
        t = math.radians(angle)
        c, s = math.cos(t), math.sin(t)
        self.cx, self.cy = cx, cy
        self.a = c * c / (rx * rx) + s * s / (ry * ry)
        self.b = 2 * c * s * (1 / (rx * rx) - 1 / (ry * ry))
        self.c = s * s / (rx * rx) + c * c / (ry * ry)
        hx = math.sqrt((rx * c) ** 2 + (ry * s) ** 2)
        hy = math.sqrt((rx * s) ** 2 + (ry * c) ** 2)
        self.bbox = (cx - hx, cy - hy, cx + hx, cy + hy)

    def spans(self, y):
        dy = y - self.cy
        b = self.b * dy
        c = self.c * dy * dy - 1
        disc = b * b - 4 * self.a * c
        if disc <= 0:
            return []
        r = math.sqrt(disc)
        return [(self.cx + (-b - r) / (2 * self.a), self.cx + (-b + r) / (2 * self.a))]


class RoundRect(Shape):
    def __init__(self, x0, y0, x1, y1, r=0.0):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1
        self.r = max(0.0, min(r, (x1 - x0) / 2, (y1 - y0) / 2))
        self.bbox = (x0, y0, x1, y1)

    def spans(self, y):
        if y < self.y0 or y >= self.y1:
            return []
        r = self.r
        d = 0.0
        if y < self.y0 + r:
            d = self.y0 + r - y
        elif y > self.y1 - r:
            d = y - (self.y1 - r)
        inset = r - math.sqrt(max(0.0, r * r - d * d)) if d > 0 else 0.0
        return [(self.x0 + inset, self.x1 - inset)]


def rect(x0, y0, x1, y1):
    return RoundRect(x0, y0, x1, y1)


class Capsule(Shape):
    """All points within r of the segment p0-p1: a stroke piece with round ends."""

    def __init__(self, p0, p1, r):
        self.p0, self.p1, self.r = p0, p1, r
        (x0, y0), (x1, y1) = p0, p1
        self.bbox = (min(x0, x1) - r, min(y0, y1) - r, max(x0, x1) + r, max(y0, y1) + r)
        length = math.hypot(x1 - x0, y1 - y0)
        self.quad = None
        if length > 1e-9:
            nx, ny = -(y1 - y0) / length * r, (x1 - x0) / length * r
            q = [(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]
            self.quad = [q[i] + q[(i + 1) % 4] for i in range(4)]

    def spans(self, y):
        lo, hi = math.inf, -math.inf
        r = self.r
        for cx, cy in (self.p0, self.p1):
            dy = y - cy
            if abs(dy) < r:
                h = math.sqrt(r * r - dy * dy)
                lo, hi = min(lo, cx - h), max(hi, cx + h)
        if self.quad:
            for x0, y0, x1, y1 in self.quad:
                if y0 != y1 and (y0 <= y <= y1 or y1 <= y <= y0):
                    x = x0 + (y - y0) * (x1 - x0) / (y1 - y0)
                    lo, hi = min(lo, x), max(hi, x)
        return [(lo, hi)] if hi > lo else []


class Union(Shape):
    def __init__(self, shapes):
        self.shapes = [s for s in shapes if s is not None]
        boxes = [s.bbox for s in self.shapes] or [(0, 0, 0, 0)]
        self.bbox = (
            min(b[0] for b in boxes),
            min(b[1] for b in boxes),
            max(b[2] for b in boxes),
            max(b[3] for b in boxes),
        )

    def spans(self, y):
        found = []
        for s in self.shapes:
            if s.bbox[1] <= y <= s.bbox[3]:
                found.extend(s.spans(y))
        return merge_spans(found)


class Intersect(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = (
            max(a.bbox[0], b.bbox[0]),
            max(a.bbox[1], b.bbox[1]),
            min(a.bbox[2], b.bbox[2]),
            min(a.bbox[3], b.bbox[3]),
        )

    def spans(self, y):
        return intersect_spans(self.a.spans(y), self.b.spans(y))


class Difference(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = a.bbox

    def spans(self, y):
        return subtract_spans(self.a.spans(y), self.b.spans(y))


class Translate(Shape):
    def __init__(self, shape, dx, dy):
        self.shape, self.dx, self.dy = shape, dx, dy
        b = shape.bbox
        self.bbox = (b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy)

    def spans(self, y):
        return [(a + self.dx, b + self.dx) for a, b in self.shape.spans(y - self.dy)]


def arc(cx, cy, r, a0, a1, ry=None, steps=None):
    """Points on an arc from angle a0 to a1 in degrees; 0 is right, 90 is down (screen axes)."""
    ry = r if ry is None else ry
    if steps is None:
        steps = max(4, int(abs(a1 - a0) / 9))
    pts = []
    for i in range(steps + 1):
        t = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + r * math.cos(t), cy + ry * math.sin(t)))
    return pts


def stroke(points, width, closed=False):
    """A polyline drawn with a round pen of the given width."""
    r = width / 2
    pts = list(points)
    if closed:
        pts.append(pts[0])
    if len(pts) == 1:
        return Ellipse(pts[0][0], pts[0][1], r)
    return Union([Capsule(pts[i], pts[i + 1], r) for i in range(len(pts) - 1)])


# --------------------------------------------------------------------------------------------
# Paints: a colour tuple, or a function of the pixel centre giving a colour.


def linear(x0, y0, c0, x1, y1, c1):
    dx, dy = x1 - x0, y1 - y0
    n = dx * dx + dy * dy or 1.0

    def paint(x, y):
        t = ((x - x0) * dx + (y - y0) * dy) / n
        return mix(c0, c1, min(1.0, max(0.0, t)))

    return paint


def radial(cx, cy, r, c0, c1):
    def paint(x, y):
        t = math.hypot(x - cx, y - cy) / r
        return mix(c0, c1, min(1.0, t))

    return paint


# --------------------------------------------------------------------------------------------
# Canvas: premultiplied RGBA floats (0..1), composited with "over".

SUBROWS = 6  # sample heights per pixel row; across a row coverage is exact


class Canvas:
    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        n = w * h
        if background is None:
            self.r, self.g, self.b, self.a = [0.0] * n, [0.0] * n, [0.0] * n, [0.0] * n
        else:
            cr, cg, cb = (v / 255 for v in background)
            self.r, self.g, self.b, self.a = [cr] * n, [cg] * n, [cb] * n, [1.0] * n

    def fill(self, shape, paint, opacity=1.0):
        x0, y0, x1, y1 = shape.bbox
        w = self.w
        row0 = max(0, int(math.floor(y0)))
        row1 = min(self.h, int(math.ceil(y1)))
        cov = [0.0] * (w + 1)
        solid = None if callable(paint) else tuple(v / 255 for v in paint)
        for py in range(row0, row1):
            lo, hi = w, -1
            for k in range(SUBROWS):
                for a, b in shape.spans(py + (k + 0.5) / SUBROWS):
                    a, b = max(a, 0.0), min(b, float(w))
                    if b <= a:
                        continue
                    ia, ib = int(a), min(int(math.ceil(b)) - 1, w - 1)
                    lo, hi = min(lo, ia), max(hi, ib)
                    if ia == ib:
                        cov[ia] += b - a
                    else:
                        cov[ia] += ia + 1 - a
                        for i in range(ia + 1, ib):
                            cov[i] += 1.0
                        cov[ib] += b - ib
            for px in range(lo, hi + 1):
                c = cov[px]
                if c <= 0:
                    continue
                cov[px] = 0.0
                alpha = min(1.0, c / SUBROWS) * opacity
                if solid is None:
                    cr, cg, cb = (v / 255 for v in paint(px + 0.5, py + 0.5))
                else:
                    cr, cg, cb = solid
                i = py * w + px
                keep = 1.0 - alpha
                self.r[i] = cr * alpha + self.r[i] * keep
                self.g[i] = cg * alpha + self.g[i] * keep
                self.b[i] = cb * alpha + self.b[i] * keep
                self.a[i] = alpha + self.a[i] * keep

    def rgba8(self):
        """Straight (not premultiplied) 8-bit RGBA, row by row."""
        out = bytearray()
        for i in range(self.w * self.h):
            a = self.a[i]
            if a <= 1e-6:
                out += b"\0\0\0\0"
                continue
            out += bytes(
                (
                    min(255, rnd(self.r[i] / a * 255)),
                    min(255, rnd(self.g[i] / a * 255)),
                    min(255, rnd(self.b[i] / a * 255)),
                    min(255, rnd(a * 255)),
                )
            )
        return bytes(out)

    def indexed(self, max_colours=256, matte=None, cutoff=0.5):
        """Palette form for GIF: (palette, indices, transparent index or None).

        A pixel less covered than cutoff becomes transparent. Partly covered pixels above it are
        laid over the matte colour when one is given (smooth edges on that background), otherwise
        they keep their own colour (hard edges that suit any background).
        """
        colours = []
        for i in range(self.w * self.h):
            a = self.a[i]
            if a < cutoff:
                colours.append(None)
                continue
            if matte is not None:
                keep = 1.0 - a
                c = (
                    self.r[i] * 255 + matte[0] * keep,
                    self.g[i] * 255 + matte[1] * keep,
                    self.b[i] * 255 + matte[2] * keep,
                )
            else:
                c = (self.r[i] / a * 255, self.g[i] / a * 255, self.b[i] / a * 255)
            colours.append(tuple(min(255, rnd(v)) for v in c))
        has_clear = any(c is None for c in colours)
        hist = {}
        for c in colours:
            if c is not None:
                hist[c] = hist.get(c, 0) + 1
        slots = max_colours - (1 if has_clear else 0)
        palette = median_cut(hist, slots)
        lookup = {}
        for c in hist:
            lookup[c] = min(
                range(len(palette)),
                key=lambda j: sum((c[k] - palette[j][k]) ** 2 for k in range(3)),
            )
        base = 1 if has_clear else 0
        indices = bytes(0 if c is None else lookup[c] + base for c in colours)
        full = ([(0, 0, 0)] if has_clear else []) + palette
        return full, indices, (0 if has_clear else None)


def median_cut(hist, n):
    """Up to n colours representing the histogram {colour: count}."""
    if len(hist) <= n:
        return sorted(hist)
    boxes = [sorted(hist.items())]

    def extent(box):
        best = (-1, 0)
        for ch in range(3):
            vals = [c[ch] for c, _ in box]
            best = max(best, (max(vals) - min(vals), ch))
        return best

    while len(boxes) < n:
        choice, score, channel = None, -1.0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            rng, ch = extent(box)
            s = rng * math.sqrt(sum(k for _, k in box))
            if s > score:
                choice, score, channel = i, s, ch
        if choice is None:
            break
        box = sorted(boxes.pop(choice), key=lambda e: (e[0][channel], e[0]))
        total = sum(k for _, k in box)
        run, cut = 0, 1
        for j, (_, k) in enumerate(box[:-1]):
            run += k
            cut = j + 1
            if run * 2 >= total:
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(k for _, k in box)
        palette.append(tuple(rnd(sum(c[ch] * k for c, k in box) / total) for ch in range(3)))
    return sorted(set(palette))


# --------------------------------------------------------------------------------------------
# GIF89a: one image, global colour table, optional transparency through a graphic control
# extension, LZW data in sub-blocks of up to 255 bytes.


class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def write(self, code, size):
        self.acc |= code << self.n
        self.n += size
        while self.n >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.n -= 8

    def finish(self):
        if self.n:
            self.out.append(self.acc & 0xFF)
        return bytes(self.out)


def lzw_encode(indices, min_size):
    clear = 1 << min_size
    end = clear + 1
    bits = BitWriter()
    size = min_size + 1
    next_code = end + 1
    table = {}
    bits.write(clear, size)
    prefix = indices[0]
    for k in indices[1:]:
        code = table.get((prefix, k))
        if code is not None:
            prefix = code
            continue
        bits.write(prefix, size)
        if next_code < 4096:
            table[(prefix, k)] = next_code
            next_code += 1
            # The decoder adds its entry one code later, so it widens its codes when its table
            # reaches 2**size; here the table is one entry ahead.
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            bits.write(clear, size)
            table = {}
            size = min_size + 1
            next_code = end + 1
        prefix = k
    bits.write(prefix, size)
    # Reading that last code adds one more entry on the decoder's side, which may widen the
    # end code.
    if next_code == (1 << size) and size < 12:
        size += 1
    bits.write(end, size)
    return bits.finish()


def gif_bytes(w, h, palette, indices, transparent=None):
    assert len(indices) == w * h and 0 < len(palette) <= 256
    depth = max(1, (len(palette) - 1).bit_length())
    table = list(palette) + [(0, 0, 0)] * ((1 << depth) - len(palette))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", w, h, 0x80 | ((8 - 1) << 4) | (depth - 1), 0, 0)
    for c in table:
        out += bytes(c)
    if transparent is not None:
        out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 0x01, 0, transparent, 0)
    out += struct.pack("<BHHHHB", 0x2C, 0, 0, w, h, 0)
    min_size = max(2, depth)
    data = lzw_encode(indices, min_size)
    out.append(min_size)
    for i in range(0, len(data), 255):
        chunk = data[i : i + 255]
        out.append(len(chunk))
        out += chunk
    out += b"\x00\x3b"
    return bytes(out)


def lzw_decode(data, min_size, count):
    clear = 1 << min_size
    end = clear + 1
    size = min_size + 1
    table = [bytes([i]) for i in range(clear)] + [b"", b""]
    out = bytearray()
    prev = None
    acc = n = pos = 0
    while True:
        while n < size:
            if pos >= len(data):
                raise ValueError("LZW data ends before the end code")
            acc |= data[pos] << n
            pos += 1
            n += 8
        code = acc & ((1 << size) - 1)
        acc >>= size
        n -= size
        if code == clear:
            table = table[: end + 1]
            size = min_size + 1
            prev = None
            continue
        if code == end:
            break
        if prev is None:
            if code >= clear:
                raise ValueError("first code after a clear is not a colour")
            entry = table[code]
        else:
            if code < len(table):
                entry = table[code]
                new = table[prev] + entry[:1]
            elif code == len(table):
                entry = table[prev] + table[prev][:1]
                new = entry
            else:
                raise ValueError("LZW code %d beyond the table" % code)
            if len(table) < 4096:
                table.append(new)
                if len(table) == (1 << size) and size < 12:
                    size += 1
        out += entry
        prev = code
    if len(out) != count:
        raise ValueError("LZW gave %d pixels, expected %d" % (len(out), count))
    return bytes(out)


def read_gif(blob):
    """(w, h, palette, indices, transparent index) of a one-image GIF89a."""
    if blob[:6] != b"GIF89a":
        raise ValueError("not GIF89a")
    w, h, packed, _bg, _aspect = struct.unpack_from("<HHBBB", blob, 6)
    if not packed & 0x80:
        raise ValueError("no global colour table")
    n = 2 << (packed & 7)
    pos = 13
    palette = [tuple(blob[pos + 3 * i : pos + 3 * i + 3]) for i in range(n)]
    pos += 3 * n
    transparent = None
    indices = None
    while True:
        kind = blob[pos]
        pos += 1
        if kind == 0x3B:
            break
        if kind == 0x21:
            label = blob[pos]
            pos += 1
            if label == 0xF9:
                if blob[pos] != 4:
                    raise ValueError("bad graphic control extension")
                flags, _delay, index = struct.unpack_from("<BHB", blob, pos + 1)
                if flags & 1:
                    transparent = index
            while blob[pos]:
                pos += blob[pos] + 1
            pos += 1
        elif kind == 0x2C:
            x, y, iw, ih, flags = struct.unpack_from("<HHHHB", blob, pos)
            pos += 9
            if (x, y, iw, ih) != (0, 0, w, h) or flags:
                raise ValueError("image does not fill the screen plainly")
            min_size = blob[pos]
            pos += 1
            data = bytearray()
            while blob[pos]:
                data += blob[pos + 1 : pos + 1 + blob[pos]]
                pos += blob[pos] + 1
            pos += 1
            indices = lzw_decode(bytes(data), min_size, w * h)
        else:
            raise ValueError("unknown block 0x%02x" % kind)
    if pos != len(blob):
        raise ValueError("bytes after the trailer")
    return w, h, palette, indices, transparent


# --------------------------------------------------------------------------------------------
# PNG: 8-bit RGBA, no filtering, zlib from the standard library.


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_bytes(w, h, rgba):
    raw = b"".join(b"\0" + rgba[y * w * 4 : (y + 1) * w * 4] for y in range(h))
    return (
        b"\x89PNG\r\n\x1a\n"
        + png_chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
        + png_chunk(b"IDAT", zlib.compress(raw, 9))
        + png_chunk(b"IEND", b"")
    )


def read_png(blob):
    """(w, h, rgba) of a PNG as written by png_bytes."""
    if blob[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not PNG")
    pos, idat, w = 8, b"", 0
    while pos < len(blob):
        (length,) = struct.unpack_from(">I", blob, pos)
        kind = blob[pos + 4 : pos + 8]
        data = blob[pos + 8 : pos + 8 + length]
        (crc,) = struct.unpack_from(">I", blob, pos + 8 + length)
        if crc != zlib.crc32(kind + data):
            raise ValueError("bad CRC in %r" % kind)
        if kind == b"IHDR":
            w, h, depth, colour, _, _, _ = struct.unpack(">IIBBBBB", data)
            if (depth, colour) != (8, 6):
                raise ValueError("not 8-bit RGBA")
        elif kind == b"IDAT":
            idat += data
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = w * 4 + 1
    if any(raw[y * stride] for y in range(h)):
        raise ValueError("unexpected row filter")
    return w, h, b"".join(raw[y * stride + 1 : (y + 1) * stride] for y in range(h))


# --------------------------------------------------------------------------------------------
# Lettering. A stroke font on a grid where the cap line is y = 0, the x-height line y = 3 and the
# baseline y = 10; x = 0 is the left edge of the centre lines. Each glyph is a list of polylines
# and its width; strokes are drawn with a round pen.


def _glyphs():
    bowl = arc(3.5, 6.5, 3.5, 0, 360, steps=44)
    g = {
        "P": ([[(0, 10), (0, 0), (3.1, 0)] + arc(3.1, 2.85, 2.85, 270, 450) + [(0, 5.7)]], 6.0),
        "I": ([[(0, 0), (0, 10)]], 0.0),
        "V": ([[(0, 0), (3.7, 10), (7.4, 0)]], 7.4),
        "l": ([[(0, -0.6), (0, 10)]], 0.0),
        "i": ([[(0, 3), (0, 10)], [(0, 0.25)]], 0.0),
        "v": ([[(0, 3), (3.1, 10), (6.2, 3)]], 6.2),
        "o": ([bowl], 7.0),
        "r": ([[(0, 10), (0, 3)], [(0, 6.8)] + arc(3.7, 6.8, 3.7, 180, 272)], 3.9),
        "a": ([bowl, [(7, 3), (7, 10)]], 7.0),
        "m": (
            [
                [(0, 10), (0, 3)],
                [(0, 5.3)] + arc(2.1, 5.3, 2.1, 180, 360) + [(4.2, 10)],
                [(4.2, 5.3)] + arc(6.3, 5.3, 2.1, 180, 360) + [(8.4, 10)],
            ],
            8.4,
        ),
        "g": ([bowl, [(7, 3), (7, 10.6)] + arc(3.5, 10.6, 3.5, 0, 150)], 7.0),
        "e": ([[(0.1, 6.5), (7, 6.5)] + arc(3.5, 6.5, 3.5, 360, 48)], 7.0),
        "w": ([[(0, 3), (2.4, 10), (4.8, 3.4), (7.2, 10), (9.6, 3)]], 9.6),
        " ": ([], 2.2),
    }
    return g


GLYPHS = _glyphs()
KERNING = {("r", "a"): -0.6, ("V", "i"): -0.4, ("P", "l"): 0.3}


def text_layout(text, weight, spacing=1.9):
    """Pen positions (grid units, centre lines) of each character, and the width of the ink."""
    places = []
    pen = weight / 2
    for i, ch in enumerate(text):
        places.append((ch, pen))
        pen += GLYPHS[ch][1]
        if i + 1 < len(text):
            pen += weight + spacing + KERNING.get((ch, text[i + 1]), 0.0)
    return places, pen + weight / 2


def text_width(text, scale, weight, spacing=1.9):
    """Width in pixels of the ink of text drawn by text_shape with the same arguments."""
    return text_layout(text, weight, spacing)[1] * scale


def text_shape(text, x, baseline, scale, weight, spacing=1.9, dots=True):
    """Text whose ink starts at x; scale is pixels per grid unit, weight the pen in grid units.

    With dots False the dot of an i is left out, for drawing it in another colour.
    """
    pieces = []
    for ch, pen in text_layout(text, weight, spacing)[0]:
        for line in GLYPHS[ch][0]:
            if len(line) == 1 and not dots:
                continue
            pts = [(x + (pen + px) * scale, baseline + (py - 10) * scale) for px, py in line]
            pieces.append(stroke(pts, weight * scale * (1.2 if len(pts) == 1 else 1.0)))
    return Union(pieces)


def dot_positions(text, x, baseline, scale, weight, spacing=1.9):
    """Centres of the dots (of i) in text drawn by text_shape with the same arguments."""
    out = []
    for ch, pen in text_layout(text, weight, spacing)[0]:
        for line in GLYPHS[ch][0]:
            if len(line) == 1:
                px, py = line[0]
                out.append((x + (pen + px) * scale, baseline + (py - 10) * scale))
    return out


# A bitmap face for lettering too small for strokes: 7 pixels to the cap line, 5 to the x-height.
BITMAP = {
    "P": ["###.", "#..#", "#..#", "###.", "#...", "#...", "#..."],
    "l": ["#", "#", "#", "#", "#", "#", "#"],
    "i": ["#", ".", "#", "#", "#", "#", "#"],
    "v": [".....", ".....", "#...#", "#...#", ".#.#.", ".#.#.", "..#.."],
    "o": ["....", "....", ".##.", "#..#", "#..#", "#..#", ".##."],
    "r": ["...", "...", "#.#", "##.", "#..", "#..", "#.."],
    "a": ["....", "....", ".##.", "...#", ".###", "#..#", ".###"],
}


def bitmap_text(canvas, text, x, top, paint):
    for ch in text:
        rows = BITMAP[ch]
        for dy, row in enumerate(rows):
            for dx, bit in enumerate(row):
                if bit == "#":
                    canvas.fill(rect(x + dx, top + dy, x + dx + 1, top + dy + 1), paint)
        x += len(rows[0]) + 1


# --------------------------------------------------------------------------------------------
# The pictures.


def draw_mark(c, ox, oy, size):
    """The program's mark: a photograph with hills and a sun on a teal-to-blue tile.

    Drawn for each size on its own (edges put on whole pixels, details that would be lost at
    small sizes left out or made larger), so every size stays sharp.
    """
    m = 0 if size < 24 else rnd(size / 32)
    x0, y0, x1, y1 = ox + m, oy + m, ox + size - m, oy + size - m
    t = x1 - x0
    tile = RoundRect(x0, y0, x1, y1, t * 0.21)
    base = linear(x0, y0, TEAL, x1, y1, BLUE)

    def sheen(x, y):  # a soft light from the top
        return mix(base(x, y), WHITE, 0.14 * max(0.0, 1 - 2 * (y - y0) / t))

    c.fill(tile, sheen)
    if size <= 16:
        ix, iy = 2, 3
    else:
        ix, iy = rnd(t * 0.15), rnd(t * 0.22)
    cx0, cy0, cx1, cy1 = x0 + ix, y0 + iy, x1 - ix, y1 - iy
    if size >= 32:
        drop = max(1, rnd(t * 0.03))
        c.fill(RoundRect(cx0, cy0 + drop, cx1, cy1 + drop, t * 0.04), (8, 40, 70), 0.35)
    c.fill(RoundRect(cx0, cy0, cx1, cy1, t * 0.04 if size > 16 else 0.6), WHITE)
    b = max(1, rnd(t * 0.05))
    px0, py0, px1, py1 = cx0 + b, cy0 + b, cx1 - b, cy1 - b
    pw, ph = px1 - px0, py1 - py0
    photo = rect(px0, py0, px1, py1)
    c.fill(photo, linear(0, py0, SKY_TOP, 0, py1, SKY_BOTTOM))

    def at(u, v):
        return (px0 + u * pw, py0 + v * ph)

    sun_r = max(1.25, ph * 0.14)
    c.fill(Ellipse(*at(0.74, 0.30), sun_r), SUN)
    back = Polygon([at(-0.1, 0.95), at(0.36, 0.30), at(0.86, 1.1), at(-0.1, 1.1)])
    c.fill(back & photo, linear(0, py0 + 0.3 * ph, TEAL_LIGHT, 0, py1, TEAL))
    front = Polygon([at(0.22, 1.1), at(0.64, 0.50), at(1.1, 0.95), at(1.1, 1.1)])
    c.fill(front & photo, linear(0, py0 + 0.5 * ph, BLUE_LIGHT, 0, py1, BLUE))


def app_icon(size):
    c = Canvas(size, size)
    draw_mark(c, 0, 0, size)
    return c


def logo():
    """71 x 28: the name on a light rounded badge, the i's dot in the accent colour."""
    c = Canvas(71, 28)
    c.fill(RoundRect(0, 0, 71, 28, 6), TEAL)
    c.fill(RoundRect(1, 1, 70, 27, 5), linear(0, 1, WHITE, 0, 27, (220, 240, 242)))
    weight = 1.8
    scale = 60.0 / text_layout("Plivora", weight)[1]
    x = (71 - text_width("Plivora", scale, weight)) / 2
    baseline = 14 + 10 * scale / 2
    c.fill(text_shape("Plivora", x, baseline, scale, weight, dots=False), INK)
    for dx, dy in dot_positions("Plivora", x, baseline, scale, weight):
        c.fill(Ellipse(dx, dy, weight * scale * 0.75), TEAL)
    return c


def pin(pinned):
    """The title-bar pin: lying on its side when not on top, pushed in when on top."""
    if not pinned:
        c = Canvas(17, 15)
        c.fill(stroke([(1.5, 7.5), (7, 7.5)], 1.1), GREY_DARK)
        c.fill(RoundRect(6.5, 2.5, 8.5, 12.5, 0.8), BLUE_DARK)
        c.fill(RoundRect(8, 5, 12, 10), linear(0, 5, BLUE_LIGHT, 0, 10, BLUE))
        c.fill(RoundRect(11.5, 3, 15.5, 12, 1.5), linear(0, 3, TEAL_LIGHT, 0, 12, TEAL_DARK))
        c.fill(rect(12.5, 4.5, 13.5, 8), WHITE, 0.7)
        return c
    c = Canvas(18, 16)
    c.fill(Ellipse(9, 14.3, 4.5, 1.3), GREY, 0.6)
    c.fill(rect(8.5, 9.5, 9.5, 14.5), GREY_DARK)
    c.fill(RoundRect(4, 8, 14, 10.5, 1), linear(0, 8, BLUE, 0, 10.5, BLUE_DARK))
    c.fill(RoundRect(6.5, 4.5, 11.5, 8.5), linear(0, 4.5, BLUE_LIGHT, 0, 8.5, BLUE))
    c.fill(RoundRect(5, 0.5, 13, 5.5, 2), linear(0, 0.5, TEAL_LIGHT, 0, 5.5, TEAL_DARK))
    c.fill(rect(6.5, 1.5, 9.5, 2.5), WHITE, 0.7)
    return c


CURSOR_HOTSPOT = (12, 12)


def cursor():
    """32 x 32 magnifier; its hotspot is the centre of the glass."""
    c = Canvas(32, 32)
    hx, hy = CURSOR_HOTSPOT[0] + 0.5, CURSOR_HOTSPOT[1] + 0.5
    c.fill(stroke([(19.5, 19.5), (28.5, 28.5)], 7.2), WHITE)
    c.fill(Ellipse(hx, hy, 11.2), WHITE)
    c.fill(stroke([(19.5, 19.5), (28, 28)], 4.6), INK)
    c.fill(Ellipse(hx, hy, 9.8), INK)
    c.fill(Ellipse(hx, hy, 7.2), linear(hx - 7, hy - 7, (250, 253, 254), hx + 7, hy + 7, SKY_TOP))
    c.fill(stroke(arc(hx, hy, 4.8, 200, 260), 1.6), WHITE)
    return c


def eye(hidden):
    """19 x 15 faces of the show / hide animation button: an eye, and an eye struck through."""
    c = Canvas(19, 15)
    cx, cy = 9.5, 7.5
    ink = INK_SOFT if hidden else INK
    iris = (GREY_LIGHT, GREY_DARK) if hidden else (TEAL_LIGHT, TEAL_DARK)
    slash = [(3.5, 13.5), (15.5, 1.5)]
    # the stroke through the eye keeps a clear gap on each side
    gap = stroke(slash, 3.8) if hidden else None

    def cut(shape):
        return shape - gap if gap is not None else shape

    outer = Ellipse(cx, cy + 8.5, 13.2) & Ellipse(cx, cy - 8.5, 13.2)
    inner = Ellipse(cx, cy + 8.5, 11.7) & Ellipse(cx, cy - 8.5, 11.7)
    c.fill(cut(outer - inner), ink)
    c.fill(cut(inner), WHITE)
    c.fill(cut(inner & Ellipse(cx, cy, 3.6)), linear(cx, cy - 3.6, iris[0], cx, cy + 3.6, iris[1]))
    c.fill(cut(Ellipse(cx, cy, 1.5)), ink)
    c.fill(cut(Ellipse(cx - 1.3, cy - 1.4, 0.8)), WHITE)
    if hidden:
        c.fill(stroke(slash, 1.9), CORAL)
    return c


def play():
    c = Canvas(20, 13)
    tri = Polygon([(7, 1.5), (14.5, 6.5), (7, 11.5)])
    c.fill(stroke(tri.points, 1.4, closed=True) | tri, TEAL_DARK)
    inner = Polygon([(7.9, 3.2), (13.0, 6.5), (7.9, 9.8)])
    c.fill(inner, linear(0, 3, TEAL_LIGHT, 0, 10, TEAL))
    return c


def stop():
    c = Canvas(21, 13)
    c.fill(RoundRect(6, 2, 15, 11, 1.6), CORAL_DARK)
    c.fill(RoundRect(7, 3, 14, 10, 1), linear(0, 3, (232, 130, 118), 0, 10, CORAL))
    return c


def warning():
    """32 x 32 warning sign of at most 16 colours: an amber triangle with an exclamation mark."""
    c = Canvas(32, 32)
    mark = (40, 30, 10)
    outer = [(16, 3.2), (29.6, 27.8), (2.4, 27.8)]
    c.fill(stroke(outer, 3.6, closed=True) | Polygon(outer), (120, 76, 8))
    inner = [(16, 6.2), (27.0, 26.0), (5.0, 26.0)]
    amber = linear(0, 6, (255, 222, 110), 0, 27, (244, 170, 30))
    c.fill(stroke(inner, 1.6, closed=True) | Polygon(inner), amber)
    bar = Polygon([(14.4, 11), (17.6, 11), (16.8, 20), (15.2, 20)])
    c.fill(bar | Ellipse(16, 11, 1.6), mark)
    c.fill(Ellipse(16, 23.2, 1.8), mark)
    return c


def flower():
    """32 x 32 About icon: a five-petalled blue flower with a yellow eye, stem and leaf."""
    c = Canvas(32, 32)
    c.fill(stroke([(16, 17), (16.5, 24), (15.5, 30.5)], 2.0), (70, 140, 80))
    c.fill(Ellipse(21.5, 26, 5, 2.2, -30), linear(17, 28, (80, 160, 90), 26, 23, (140, 200, 120)))
    c.fill(Ellipse(10.5, 27, 4.2, 1.9, 28), linear(14, 28, (80, 160, 90), 7, 25, (140, 200, 120)))
    cx, cy = 16, 12
    for k in range(5):
        a = -90 + k * 72
        t = math.radians(a)
        px, py = cx + 5.4 * math.cos(t), cy + 5.4 * math.sin(t)
        c.fill(Ellipse(px, py, 5.6, 4.6, a), BLUE)
        c.fill(Ellipse(px + 0.35 * math.cos(t), py + 0.35 * math.sin(t), 4.7, 3.7, a),
               radial(cx, cy, 10, (200, 226, 250), (98, 158, 222)))
    c.fill(Ellipse(cx, cy, 3.2), (214, 150, 30))
    c.fill(Ellipse(cx, cy, 2.3), linear(cx - 2, cy - 2, (255, 236, 140), cx + 2, cy + 2, SUN))
    return c


def my_name():
    """178 x 71 title of the About box: the mark, the name and "Image Viewer"."""
    c = Canvas(178, 71)
    draw_mark(c, 2, 7, 56)
    x, right = 66, 175
    weight = 1.6
    scale = (right - x) / text_layout("Plivora", weight)[1]
    top = 11
    baseline = top + 10 * scale
    ink = linear(0, top, BLUE_DARK, 0, baseline, INK)
    c.fill(text_shape("Plivora", x, baseline, scale, weight), ink)
    # the second line as wide as the name
    weight = 1.5
    small = (right - x) / text_layout("Image Viewer", weight)[1]
    c.fill(text_shape("Image Viewer", x, baseline + 22, small, weight), TEAL_DARK)
    return c


def error_picture():
    """128 x 128 placeholder for a file that is no picture: a torn photo and a question mark."""
    c = Canvas(128, 128)
    card = RoundRect(14, 24, 110, 100, 6)
    photo = rect(21, 31, 103, 93)
    # the tear: left piece stays, right piece slips down and right
    tear = [(58, 10), (66, 34), (55, 50), (68, 66), (57, 82), (65, 110)]
    left = Polygon([(0, 10)] + tear + [(0, 110)])
    right = Polygon(tear + [(128, 110), (128, 10)])

    def layers():
        return [
            (card, (194, 203, 213), None),
            (RoundRect(15, 25, 109, 99, 5), WHITE, None),
            (photo, linear(0, 31, (226, 232, 238), 0, 93, (244, 246, 248)), None),
            (Ellipse(82, 48, 7), (206, 212, 220), photo),
            (Polygon([(15, 88), (44, 50), (76, 100), (15, 100)]), (176, 188, 200), photo),
            (Polygon([(46, 100), (74, 62), (109, 92), (109, 100)]), (150, 164, 180), photo),
        ]

    for piece, dx, dy in ((left, 0, 0), (right, 5, 5)):
        c.fill(Translate(card & piece, dx + 1.5, dy + 2), (60, 80, 100), 0.18)
        for shape, paint, clip in layers():
            s = shape & clip if clip is not None else shape
            c.fill(Translate(s & piece, dx, dy), paint)
    # question mark badge
    bx, by, br = 92, 94, 22
    c.fill(Ellipse(bx + 1, by + 2, br), (20, 50, 80), 0.22)
    c.fill(Ellipse(bx, by, br), linear(bx, by - br, TEAL, bx, by + br, BLUE))
    c.fill(Ellipse(bx, by, br - 2.5), linear(bx, by - br, (64, 180, 176), bx, by + br, BLUE))
    q = [(bx - 6.5, by - 6)] + arc(bx, by - 6, 6.5, 180, 395) + [(bx, by + 3.5), (bx, by + 5.5)]
    c.fill(stroke(q, 4.4), WHITE)
    c.fill(Ellipse(bx, by + 11.5, 2.6), WHITE)
    return c


def panel():
    """54 x 24 floating panel: a small tab with the mark and the name."""
    c = Canvas(54, 24, background=FACE)
    c.fill(rect(0, 0, 54, 24), linear(0, 0, WHITE, 0, 24, (214, 234, 238)))
    c.fill(rect(0, 0, 54, 24) - rect(1, 1, 53, 23), TEAL)
    draw_mark(c, 3, 3, 18)
    bitmap_text(c, "Plivora", 24, 9, INK)
    return c


def swap():
    """16 x 16 face of the thumbnail window's swap button: two opposed arrows."""
    c = Canvas(16, 16)
    c.fill(rect(1, 3, 10, 6), TEAL_DARK)
    c.fill(Polygon([(9, 0), (15, 4.5), (9, 9)]), TEAL_DARK)
    c.fill(rect(6, 10, 15, 13), BLUE)
    c.fill(Polygon([(7, 7), (1, 11.5), (7, 16)]), BLUE)
    return c


# --------------------------------------------------------------------------------------------
# Writing and checking.

# name: (draw function, (width, height), GIF colour limit, matte for soft edges or None, cutoff)
GIFS = {
    "logo.gif": (logo, (71, 28), 256, FACE, 0.3),
    "pin_not_stick.gif": (lambda: pin(False), (17, 15), 256, None, 0.5),
    "pin_stick.gif": (lambda: pin(True), (18, 16), 256, None, 0.5),
    "cursor.gif": (cursor, (32, 32), 256, None, 0.5),
    "show_ani.gif": (lambda: eye(False), (19, 15), 256, FACE, 0.35),
    "hide_ani.gif": (lambda: eye(True), (19, 15), 256, FACE, 0.35),
    "play.gif": (play, (20, 13), 256, FACE, 0.35),
    "stop.gif": (stop, (21, 13), 256, FACE, 0.35),
    "window_icon.gif": (lambda: app_icon(32), (32, 32), 256, FACE, 0.35),
    "warning.gif": (warning, (32, 32), 16, FACE, 0.35),
    "flower.gif": (flower, (32, 32), 256, FACE, 0.35),
    "my_name.gif": (my_name, (178, 71), 256, FACE, 0.2),
    "error_picture.gif": (error_picture, (128, 128), 256, FACE, 0.3),
    "panel.gif": (panel, (54, 24), 256, None, 0.5),
    "swap.gif": (swap, (16, 16), 256, FACE, 0.35),
}

ICON_SIZES = (16, 32, 48, 64, 128, 256)


def write_gif(path, canvas, size, limit, matte, cutoff):
    if (canvas.w, canvas.h) != size:
        raise ValueError("%s drawn at %dx%d, wanted %dx%d" % ((path, canvas.w, canvas.h) + size))
    palette, indices, clear = canvas.indexed(limit, matte, cutoff)
    blob = gif_bytes(canvas.w, canvas.h, palette, indices, clear)
    w, h, table, back, back_clear = read_gif(blob)
    if (w, h) != size or back != indices or back_clear != clear or table[: len(palette)] != palette:
        raise ValueError("%s does not decode to what was drawn" % path)
    if len(palette) > limit:
        raise ValueError("%s has %d colours, more than %d" % (path, len(palette), limit))
    with open(path, "wb") as f:
        f.write(blob)
    return len(palette)


def write_png(path, canvas):
    rgba = canvas.rgba8()
    blob = png_bytes(canvas.w, canvas.h, rgba)
    if read_png(blob) != (canvas.w, canvas.h, rgba):
        raise ValueError("%s does not decode to what was drawn" % path)
    with open(path, "wb") as f:
        f.write(blob)


def check_encoder():
    """Round-trips pictures that drive the LZW coder through its corners: table resets, every
    code width, one pixel, and the smallest colour table."""
    rng = random.Random(7)
    cases = [
        (1, 1, 2, lambda i: 1),
        (3, 1, 2, lambda i: i % 2),
        (300, 200, 256, lambda i: rng.randrange(256)),
        (97, 61, 4, lambda i: rng.randrange(4) if i % 13 else 0),
        (64, 64, 16, lambda i: (i // 7) % 16),
        (250, 250, 2, lambda i: 1 if rng.random() < 0.1 else 0),
    ]
    for w, h, n, pick in cases:
        palette = [(k, 255 - k, (k * 37) % 256) for k in range(n)]
        indices = bytes(pick(i) for i in range(w * h))
        for clear in (None, 0):
            blob = gif_bytes(w, h, palette, indices, clear)
            got = read_gif(blob)
            if got[3] != indices or got[4] != clear:
                raise AssertionError("GIF round trip failed for %dx%d, %d colours" % (w, h, n))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "pictures"))
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    check_encoder()
    for name, (draw, size, limit, matte, cutoff) in GIFS.items():
        n = write_gif(os.path.join(args.out, name), draw(), size, limit, matte, cutoff)
        print("%-20s %3dx%-3d %3d palette entries" % (name, size[0], size[1], n))
    icons = {s: app_icon(s) for s in ICON_SIZES}
    write_png(os.path.join(args.out, "window_icon.png"), icons[32])
    print("%-20s  32x32  RGBA" % "window_icon.png")
    for s in ICON_SIZES:
        if s == 32:
            continue
        name = "app_icon_%d.png" % s
        write_png(os.path.join(args.out, name), icons[s])
        print("%-20s %3dx%-3d RGBA" % (name, s, s))
    return 0


if __name__ == "__main__":
    sys.exit(main())
