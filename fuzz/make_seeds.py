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


def dib(width, height, bits, data, header_size=40, compression=0, masks=(), palette=(), colours_used=None):
    """An info header of any version (12 to 124 bytes), its masks and palette, and `data`."""
    if header_size == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
        entry = 3
    else:
        used = len(palette) if colours_used is None else colours_used
        info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression, len(data),
                           2835, 2835, used, 0)
        if header_size >= 52:
            info += struct.pack("<4I", *(list(masks) + [0] * 4)[:4])
        info = info.ljust(header_size, b"\0")
        entry = 4
    if header_size < 52:
        info += b"".join(struct.pack("<I", m) for m in masks)
    info += b"".join(bytes((b, g, r, 0)[:entry]) for r, g, b in palette)
    return info + data


def bmp_file(width, height, bits, data, *args, **kwargs):
    """A bitmap file: the file header, a DIB's header, masks and palette, then `data`."""
    head = dib(width, height, bits, b"", *args, **kwargs)
    offset = 14 + len(head)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + head + data


def rows(bits, values):
    """Rows of `bits`-bit values, each padded to 32 bits."""
    out = b""
    for row in values:
        if bits < 8:
            acc = 0
            for v in row:
                acc = (acc << bits) | v
            acc <<= (-len(row) * bits) % 8
            data = acc.to_bytes((len(row) * bits + 7) // 8, "big")
        else:
            data = b"".join(v.to_bytes(bits // 8, "little") for v in row)
        out += data + b"\0" * ((-len(data)) % 4)
    return out


def bitmap_seeds():
    """Bitmaps of every kind the decoder tells apart: header versions, depths, top-down rows,
    bit-field layouts, RLE with deltas and early ends, icon entries with masks and PNG."""
    pal = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (128, 128, 128)]
    idx = [[(x + y) % 4 for x in range(5)] for y in range(3)]
    px = [[(x * 0x1234567 + y * 0x89ABCD) & 0xFFFFFFFF for x in range(5)] for y in range(3)]
    seeds = {}
    seeds["core4.bmp"] = bmp_file(5, 3, 4, rows(4, idx), 12, palette=pal + [(0, 0, 0)] * 12)
    seeds["topdown1.bmp"] = bmp_file(5, -3, 1, rows(1, [[v % 2 for v in r] for r in idx]), palette=pal[:2])
    seeds["topdown2_v4.bmp"] = bmp_file(5, -3, 2, rows(2, idx), 108, palette=pal)
    seeds["565.bmp"] = bmp_file(5, 3, 16, rows(16, [[v & 0xFFFF for v in r] for r in px]), 40, 3,
                                    (0xF800, 0x07E0, 0x001F))
    seeds["4444.bmp"] = bmp_file(5, 3, 16, rows(16, [[v & 0xFFFF for v in r] for r in px]), 40, 6,
                                     (0x0F00, 0x00F0, 0x000F, 0xF000))
    seeds["1010102_v5.bmp"] = bmp_file(5, -3, 32, rows(32, px), 124, 3,
                                           (0x3FF00000, 0x000FFC00, 0x3FF, 0xC0000000))
    seeds["24_v3.bmp"] = bmp_file(5, 3, 24, rows(24, [[v & 0xFFFFFF for v in r] for r in px]), 56)
    rle8 = bytes([2, 1, 0, 2, 1, 1, 1, 2, 0, 0, 0, 3, 0, 1, 2, 0, 0, 1])
    seeds["rle8_skips.bmp"] = bmp_file(4, 4, 8, rle8, compression=1, palette=pal)
    rle4 = bytes([3, 0x12, 0, 0, 0, 2, 1, 0, 0, 5, 0x12, 0x30, 0x10, 0, 0, 1])
    seeds["rle4_skips.bmp"] = bmp_file(6, 3, 4, rle4, compression=2, palette=pal)

    def entry(bits, header_size=40):
        values = [[v % (1 << bits) for v in r] for r in (idx if bits <= 8 else px)]
        mask = rows(1, [[(x + y) % 2 for x in range(5)] for y in range(3)])
        return dib(5, 6, bits, rows(bits, values) + mask, header_size,
                   palette=pal if bits <= 8 else ())

    png = subprocess.run(["convert", "-size", "6x4", "gradient:red-blue", "png:-"], check=True,
                         capture_output=True).stdout
    seeds["masks_v5.ico"] = icon_of([entry(4, 124), entry(24, 108), entry(32, 124), entry(1)])
    seeds["png_entry.ico"] = icon_of([entry(8), png])
    seeds["listed_wrong.cur"] = icon_of([entry(8)], kind=2, listed=(16, 32))
    return seeds


def icon_of(images, kind=1, listed=(5, 3)):
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for data in images:
        out += struct.pack("<BBBBHHII", listed[0], listed[1], 0, 0, 1, 32, len(data), offset)
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
    loader.update(bitmap_seeds())
    write_all(os.path.join(out, "picture_loader"), loader)


if __name__ == "__main__":
    main()
