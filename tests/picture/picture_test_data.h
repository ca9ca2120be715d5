#pragma once

// Builders for the small picture files the loader tests read besides GIF streams (which
// support/gif_bytes.h writes): icon and cursor directories, RLE bitmaps, EXIF orientation. Each
// writes the bytes a file of that format holds, section by section, so that a test states the
// file it needs in a few lines.

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

}  // namespace plivora::testdata
