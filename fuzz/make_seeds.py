#!/usr/bin/env python3
"""Writes the seed files the fuzzers start from: small valid GIFs that between them use every
block the GIF control and the loader read (several frames, interlacing, local colour tables,
transparency, disposals, comment, plain-text and application extensions, GIF87a), and for the
picture loader also a BMP, an icon, a cursor and baseline and progressive JPEGs (through cjpeg).

    python3 fuzz/make_seeds.py OUTDIR

writes OUTDIR/gif_control/ and OUTDIR/picture_loader/. The seeds are a starting point only; the
corpus kept in the tree is what the fuzzers found from them, merged down (see README.md).
"""

import os
import struct
import subprocess
import sys
import tempfile


def lzw_encode(indexes, min_code_size):
    """GIF's variable-width LZW, with a clear code first and whenever the table is full."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    acc = 0
    nbits = 0

    def put(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    def reset():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, width = reset()
    put(clear, width)
    prefix = ()
    for index in indexes:
        candidate = prefix + (index,)
        if candidate in table:
            prefix = candidate
            continue
        put(table[prefix], width)
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            put(clear, width)
            table, next_code, width = reset()
        prefix = (index,)
    if prefix:
        put(table[prefix], width)
    put(end, width)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for start in range(0, len(data), 255):
        chunk = data[start:start + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def table_code(entries):
    code = 0
    while (2 << code) < entries:
        code += 1
    return code


def colour_table(colours):
    code = table_code(len(colours))
    padded = list(colours) + [(0, 0, 0)] * ((2 << code) - len(colours))
    return code, b"".join(bytes(c) for c in padded)


def screen(width, height, global_colours=None, version=b"89a", background=0):
    head = b"GIF" + version
    if global_colours is None:
        return head + struct.pack("<HHBBB", width, height, 0, background, 0)
    code, table = colour_table(global_colours)
    return head + struct.pack("<HHBBB", width, height, 0x80 | 0x70 | code, background, 0) + table


def graphic_control(delay=10, disposal=1, transparent=None, user_input=False):
    packed = (disposal << 2) | (2 if user_input else 0) | (1 if transparent is not None else 0)
    return struct.pack("<BBBBHBB", 0x21, 0xF9, 4, packed, delay, transparent or 0, 0)


def interlace_order(height):
    rows = []
    for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
        rows += list(range(start, height, step))
    return rows


def image(left, top, width, height, pixels, local_colours=None, interlaced=False, min_code=None):
    packed = 0x40 if interlaced else 0
    table = b""
    if local_colours is not None:
        code, table = colour_table(local_colours)
        packed |= 0x80 | code
    if interlaced:
        rows = [pixels[y * width:(y + 1) * width] for y in range(height)]
        pixels = [p for y in interlace_order(height) for p in rows[y]]
    if min_code is None:
        min_code = max(2, (max(pixels) if pixels else 1).bit_length())
    data = lzw_encode(pixels, min_code)
    return (struct.pack("<BHHHHB", 0x2C, left, top, width, height, packed) + table +
            bytes([min_code]) + sub_blocks(data))


def comment(text):
    return b"\x21\xFE" + sub_blocks(text.encode())


def looping(count=0):
    return b"\x21\xFF\x0BNETSCAPE2.0" + sub_blocks(struct.pack("<BH", 1, count))


def plain_text(text):
    grid = struct.pack("<HHHHBBBB", 0, 0, 64, 16, 8, 16, 1, 0)
    return b"\x21\x01\x0C" + grid + sub_blocks(text.encode())


def pattern(width, height, colours, shift=0):
    return [(x + y + shift) % colours for y in range(height) for x in range(width)]


RGB4 = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255)]
RGB16 = [(i * 16, 255 - i * 16, (i * 40) % 256) for i in range(16)]
TRAILER = b"\x3B"


def gif_seeds():
    seeds = {}
    seeds["three_frames.gif"] = (
        screen(8, 8, RGB4) + looping() +
        b"".join(graphic_control(10 * (k + 1), 1) + image(0, 0, 8, 8, pattern(8, 8, 4, k))
                 for k in range(3)) + TRAILER)
    seeds["interlaced.gif"] = (
        screen(9, 13, RGB16) + image(0, 0, 9, 13, pattern(9, 13, 16), interlaced=True) + TRAILER)
    seeds["local_tables.gif"] = (
        screen(12, 10, RGB4) + graphic_control(5, 0) +
        image(0, 0, 12, 10, pattern(12, 10, 4), local_colours=RGB16[:4]) +
        graphic_control(7, 1) + image(2, 3, 6, 5, pattern(6, 5, 16), local_colours=RGB16) +
        TRAILER)
    # Transparent entry 0 shares its colour with entry 3, which makes the control recolour it.
    shared = [(10, 20, 30), (255, 0, 0), (0, 255, 0), (10, 20, 30)]
    seeds["transparency.gif"] = (
        screen(10, 10, shared, background=2) + graphic_control(4, 2, transparent=0) +
        image(0, 0, 10, 10, pattern(10, 10, 4)) + graphic_control(4, 3, transparent=1) +
        image(3, 3, 4, 4, pattern(4, 4, 4, 1), local_colours=shared) +
        graphic_control(4, 1, transparent=2, user_input=True) +
        image(5, 0, 5, 10, pattern(5, 10, 4, 2)) + TRAILER)
    seeds["extensions.gif"] = (
        screen(16, 16, RGB4) + comment("made for the fuzzer") + looping(3) +
        plain_text("text grid") + graphic_control(20, 1) + comment("between") +
        image(0, 0, 16, 16, pattern(16, 16, 4)) + b"\x21\x99" + sub_blocks(b"unknown label") +
        graphic_control(30, 2) + image(4, 4, 8, 8, pattern(8, 8, 4, 1)) + TRAILER)
    seeds["gif87a.gif"] = screen(5, 4, RGB4, version=b"87a") + image(0, 0, 5, 4, pattern(5, 4, 4)) + TRAILER
    seeds["no_global_table.gif"] = (
        screen(6, 6) + graphic_control(0, 0) + image(0, 0, 6, 6, pattern(6, 6, 4), local_colours=RGB4) +
        graphic_control(600, 1) + image(1, 1, 4, 4, pattern(4, 4, 2), local_colours=RGB4[:2]) +
        TRAILER)
    # A larger picture whose data runs over several sub-blocks and past a full LZW table.
    seeds["long_data.gif"] = (
        screen(64, 48, RGB16) + image(0, 0, 64, 48, [(x * y // 7 + x) % 16 for y in range(48) for x in range(64)]) + TRAILER)
    seeds["no_trailer.gif"] = screen(4, 4, RGB4) + image(0, 0, 4, 4, pattern(4, 4, 4))
    seeds["no_image.gif"] = screen(4, 4, RGB4) + comment("nothing else") + TRAILER
    return seeds


def bmp(width, height, bits=24):
    if bits == 24:
        stride = (width * 3 + 3) & ~3
        rows = b"".join(b"".join(bytes(((x * 40) % 256, (y * 60) % 256, 128)) for x in range(width)) +
                        b"\0" * (stride - width * 3) for y in range(height))
        palette = b""
    else:
        stride = (width + 3) & ~3
        rows = b"".join(bytes((x + y) % 4 for x in range(width)) + b"\0" * (stride - width)
                        for y in range(height))
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b in RGB4) + b"\0" * 4 * 252
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(rows), 2835, 2835,
                       256 if bits == 8 else 0, 0)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + info + palette + rows


def icon(kind, sizes):
    """An icon (kind 1) or cursor (kind 2) directory of 32-bit images with AND masks."""
    images = []
    for size in sizes:
        xor = b"".join(bytes((x * 16 % 256, y * 16 % 256, 200, 255)) for y in range(size) for x in range(size))
        mask_stride = ((size + 31) // 32) * 4
        and_mask = b"\0" * mask_stride * size
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
        images.append(header + xor + and_mask)
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        hot = (1, 1) if kind == 2 else (1, 32)
        out += struct.pack("<BBBBHHII", size, size, 0, 0, hot[0], hot[1], len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def jpeg(width, height, progressive):
    ppm = b"P6\n%d %d\n255\n" % (width, height) + b"".join(
        bytes(((x * 9) % 256, (y * 7) % 256, ((x + y) * 5) % 256)) for y in range(height) for x in range(width))
    with tempfile.NamedTemporaryFile(suffix=".ppm") as source:
        source.write(ppm)
        source.flush()
        args = ["cjpeg", "-quality", "50"] + (["-progressive"] if progressive else []) + [source.name]
        return subprocess.run(args, check=True, capture_output=True).stdout


def write_all(folder, seeds):
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_seeds.py OUTDIR")
    out = sys.argv[1]
    gifs = gif_seeds()
    write_all(os.path.join(out, "gif_control"), gifs)
    loader = dict(gifs)
    loader["rgb.bmp"] = bmp(7, 5, 24)
    loader["palette.bmp"] = bmp(6, 3, 8)
    loader["two_sizes.ico"] = icon(1, [16, 8])
    loader["one.cur"] = icon(2, [8])
    loader["baseline.jpg"] = jpeg(24, 16, False)
    loader["progressive.jpg"] = jpeg(40, 24, True)
    write_all(os.path.join(out, "picture_loader"), loader)


if __name__ == "__main__":
    main()
