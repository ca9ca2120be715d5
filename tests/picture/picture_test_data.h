#pragma once

// Builders for the small picture files the loader tests read: GIF streams with a plain LZW
// encoder, icon and cursor directories, RLE bitmaps. Each writes the bytes a file of that format
// holds, section by section, so that a test states the file it needs in a few lines.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "support/bmp_file.h"
#include "support/files.h"

namespace plivora::testdata {

inline void putRgb(std::string& out, std::uint32_t rgb) {
    out += static_cast<char>((rgb >> 16) & 0xFF);
    out += static_cast<char>((rgb >> 8) & 0xFF);
    out += static_cast<char>(rgb & 0xFF);
}

// Bits needed for a colour table of `count` entries, as the GIF size field counts them (2^(n+1)).
inline int gifTableBits(std::size_t count) {
    int bits = 0;
    while ((std::size_t(2) << bits) < count) {
        ++bits;
    }
    return bits;
}

inline void putGifTable(std::string& out, std::vector<std::uint32_t> table) {
    table.resize(std::size_t(2) << gifTableBits(table.size()), 0);
    for (std::uint32_t rgb : table) {
        putRgb(out, rgb);
    }
}

// Codes of one fixed width packed least significant bit first, after the code size byte, in
// sub-blocks of at most 255 bytes and a terminator, as a GIF image's data stands in the file.
inline std::string packGifCodes(const std::vector<int>& codes, int width, int minCodeSize) {
    std::string packed;
    std::uint32_t bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= static_cast<std::uint32_t>(code) << count;
        count += width;
        while (count >= 8) {
            packed += static_cast<char>(bits & 0xFF);
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0) {
        packed += static_cast<char>(bits & 0xFF);
    }

    std::string out(1, static_cast<char>(minCodeSize));
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::string block = packed.substr(at, 255);
        out += static_cast<char>(block.size());
        out += block;
    }
    out += '\0';
    return out;
}

// LZW data for the pixel values: a code size byte, then sub-blocks. Every value is sent as a
// literal and a clear code follows before the table would need a wider code, which any decoder
// must read and which keeps the encoder free of a dictionary.
inline std::string gifLzw(const std::vector<std::uint8_t>& indices, int minCodeSize = 8) {
    const int clear = 1 << minCodeSize;
    const int width = minCodeSize + 1;
    std::vector<int> codes{clear};
    int sinceClear = 0;
    for (std::uint8_t index : indices) {
        if (sinceClear == clear - 2) {
            codes.push_back(clear);
            sinceClear = 0;
        }
        codes.push_back(index);
        ++sinceClear;
    }
    codes.push_back(clear + 1);
    return packGifCodes(codes, width, minCodeSize);
}

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;      // row-major, top row first, width * height values
    std::vector<std::uint32_t> localTable;  // 0xRRGGBB entries; none when empty
    bool interlaced = false;
    int transparentIndex = -1;  // a graphic control extension when >= 0
};

inline GifFrame gifFrame(int width, int height, std::vector<std::uint8_t> indices = {}) {
    GifFrame frame;
    frame.width = width;
    frame.height = height;
    frame.indices = std::move(indices);
    return frame;
}

// Header, logical screen with an optional global table, then the frames and the trailer.
inline std::string gifFile(int screenWidth, int screenHeight,
                           const std::vector<std::uint32_t>& globalTable,
                           const std::vector<GifFrame>& frames) {
    std::string out = "GIF89a";
    putU16(out, screenWidth);
    putU16(out, screenHeight);
    out += static_cast<char>(globalTable.empty() ? 0 : 0x80 | gifTableBits(globalTable.size()));
    out += '\0';  // background colour index
    out += '\0';  // pixel aspect ratio
    if (!globalTable.empty()) {
        putGifTable(out, globalTable);
    }
    for (const GifFrame& frame : frames) {
        if (frame.transparentIndex >= 0) {
            // Graphic control extension: 4 data bytes (flags with the transparency bit, delay,
            // transparent index) and the block terminator.
            out += "\x21\xF9\x04";
            out += '\x01';
            putU16(out, 10);
            out += static_cast<char>(frame.transparentIndex);
            out += '\0';
        }
        out += '\x2C';  // image descriptor
        putU16(out, frame.left);
        putU16(out, frame.top);
        putU16(out, frame.width);
        putU16(out, frame.height);
        int flags = frame.interlaced ? 0x40 : 0;
        if (!frame.localTable.empty()) {
            flags |= 0x80 | gifTableBits(frame.localTable.size());
        }
        out += static_cast<char>(flags);
        if (!frame.localTable.empty()) {
            putGifTable(out, frame.localTable);
        }
        std::vector<std::uint8_t> stream;
        if (frame.interlaced) {
            // Rows in the four passes' order: every 8th from 0, every 8th from 4, every 4th
            // from 2, every 2nd from 1.
            const int start[] = {0, 4, 2, 1};
            const int step[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass) {
                for (int y = start[pass]; y < frame.height; y += step[pass]) {
                    stream.insert(stream.end(), frame.indices.begin() + y * frame.width,
                                  frame.indices.begin() + (y + 1) * frame.width);
                }
            }
        } else {
            stream = frame.indices;
        }
        out += gifLzw(stream);
    }
    out += '\x3B';  // trailer
    return out;
}

// One image of an icon or cursor directory: 32-bit BGRA pixels in a DIB whose height counts the
// colour rows and the AND-mask rows, the mask all zero (alpha decides).
struct IconImage {
    int width = 0;
    int height = 0;
    std::uint32_t argb = 0;  // every pixel
};

inline std::string iconDib(const IconImage& image) {
    std::string dib;
    putU32(dib, 40);
    putU32(dib, static_cast<std::uint32_t>(image.width));
    putU32(dib, static_cast<std::uint32_t>(image.height * 2));
    putU16(dib, 1);   // planes
    putU16(dib, 32);  // bits per pixel
    putU32(dib, 0);   // BI_RGB
    putU32(dib, 0);   // image size (may be 0 for BI_RGB)
    putU32(dib, 0);
    putU32(dib, 0);
    putU32(dib, 0);  // colours used
    putU32(dib, 0);  // colours important
    for (int i = 0; i < image.width * image.height; ++i) {
        putU32(dib, image.argb);  // little-endian 0xAARRGGBB is B, G, R, A
    }
    const int maskRowBytes = ((image.width + 31) / 32) * 4;
    dib.append(static_cast<std::size_t>(maskRowBytes * image.height), '\0');
    return dib;
}

// type 1 = icon, 2 = cursor (whose two words after the colour count are the hot spot).
inline std::string iconFile(int type, const std::vector<IconImage>& images) {
    std::string out;
    putU16(out, 0);
    putU16(out, type);
    putU16(out, static_cast<int>(images.size()));
    std::vector<std::string> dibs;
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const IconImage& image : images) {
        dibs.push_back(iconDib(image));
        out += static_cast<char>(image.width >= 256 ? 0 : image.width);
        out += static_cast<char>(image.height >= 256 ? 0 : image.height);
        out += '\0';  // colour count
        out += '\0';  // reserved
        if (type == 2) {
            putU16(out, 1);  // hot spot x
            putU16(out, 2);  // hot spot y
        } else {
            putU16(out, 1);   // planes
            putU16(out, 32);  // bits per pixel
        }
        putU32(out, static_cast<std::uint32_t>(dibs.back().size()));
        putU32(out, offset);
        offset += static_cast<std::uint32_t>(dibs.back().size());
    }
    for (const std::string& dib : dibs) {
        out += dib;
    }
    return out;
}

// A bitmap file around an 8-bit DIB: file header, info header, the palette and `pixelData`
// (already in the given compression: 0 plain rows, 1 RLE8).
inline std::string bmpFile(int width, int height, int compression,
                           const std::vector<std::uint32_t>& palette,
                           const std::string& pixelData) {
    Dib dib;
    dib.width = width;
    dib.height = height;
    dib.compression = static_cast<std::uint32_t>(compression);
    dib.palette = palette;
    dib.data = pixelData;
    return bmpFile(dib);
}

// `jpeg` with an EXIF segment after its start marker whose one tag is the orientation, in
// Intel (II) or Motorola (MM) byte order.
inline std::string withExifOrientation(const std::string& jpeg, int orientation, bool intel) {
    auto u16 = [&](int value) {
        const char high = static_cast<char>(value >> 8);
        const char low = static_cast<char>(value & 0xFF);
        return intel ? std::string{low, high} : std::string{high, low};
    };
    const std::string tiff = (intel ? std::string("II") : std::string("MM")) + u16(42) +
                             u16(intel ? 8 : 0) + u16(intel ? 0 : 8) +  // first directory at 8
                             u16(1) +                                   // one entry
                             u16(0x0112) + u16(3) + u16(1) + u16(0) +   // SHORT, count 1
                             u16(orientation) + u16(0) + std::string(4, '\0');
    const std::string body = std::string("Exif\0\0", 6) + tiff;
    const int length = static_cast<int>(body.size()) + 2;
    const std::string segment = std::string("\xFF\xE1") + static_cast<char>(length >> 8) +
                                static_cast<char>(length & 0xFF) + body;
    return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

// LZW data of `pixels` pixels of the one value `index` (code size 8), compressed as an encoder
// compresses a long run: after each clear code the codes stand for 1, 2, 3, ... pixels, 254 of
// them before the next clear code, so that every code stays 9 bits wide. About 300 bytes carry
// 32385 pixels, so a picture of 20000 x 20000 pixels takes about 3.5 MB.
inline std::string gifRunLzw(std::uint64_t pixels, std::uint8_t index) {
    constexpr int kClear = 256;
    constexpr int kEnd = 257;
    std::vector<int> codes{kClear};
    int length = 0;  // of the last code since the clear code
    while (pixels > 0) {
        if (length == 254) {
            codes.push_back(kClear);
            length = 0;
        }
        // The next code stands for length + 1 pixels (the first after a clear is the literal);
        // the last one for whatever is left, which a shorter code already in the table covers.
        const std::uint64_t take = std::min<std::uint64_t>(pixels, std::uint64_t(length) + 1);
        codes.push_back(take == 1 ? index : kEnd - 1 + static_cast<int>(take));
        pixels -= take;
        ++length;
    }
    codes.push_back(kEnd);
    return packGifCodes(codes, 9, 8);
}

}  // namespace plivora::testdata
