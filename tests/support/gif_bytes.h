#pragma once

// The one way tests write GIF files: each section of the format as a small annotated byte array
// (header, logical screen, colour table, graphic control, image descriptor, image data,
// extensions, trailer), the LZW code packer under every image's data, and gifFile, which puts
// the sections of a whole file together from a list of images.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace plivora::gif_bytes {

using Bytes = std::vector<std::uint8_t>;

inline Bytes join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

inline Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline std::string asString(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

inline Bytes u16(int value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
}

// "GIF89a" or "GIF87a".
inline Bytes header(const std::string& version = "89a") {
    return text("GIF" + version);
}

// Logical screen descriptor: width, height, packed flags, background index, aspect ratio.
inline Bytes screen(int width, int height, std::uint8_t flags) {
    return join({u16(width), u16(height), {flags, 0, 0}});
}

// The size field of a colour table of `count` entries, as the flags count them (2^(n+1)).
inline int tableBits(std::size_t count) {
    int bits = 0;
    while ((std::size_t(2) << bits) < count) {
        ++bits;
    }
    return bits;
}

// A colour table of 0xRRGGBB entries, padded with black to the size its size field gives.
inline Bytes colorTable(std::vector<std::uint32_t> table) {
    table.resize(std::size_t(2) << tableBits(table.size()), 0);
    Bytes out;
    for (std::uint32_t rgb : table) {
        out.push_back(static_cast<std::uint8_t>(rgb >> 16));
        out.push_back(static_cast<std::uint8_t>(rgb >> 8));
        out.push_back(static_cast<std::uint8_t>(rgb));
    }
    return out;
}

// Graphic control extension with its terminator: packed = disposal << 2 | user input << 1 |
// transparency.
inline Bytes graphicControl(int disposal, bool transparent, int delay, int transparentIndex) {
    auto packed = static_cast<std::uint8_t>((disposal << 2) | (transparent ? 1 : 0));
    return join({{0x21, 0xF9, 0x04, packed},
                 u16(delay),
                 {static_cast<std::uint8_t>(transparentIndex), 0x00}});
}

// Image descriptor: separator, left, top, width, height, packed.
inline Bytes descriptor(int left, int top, int width, int height, std::uint8_t packed = 0) {
    return join({{0x2C}, u16(left), u16(top), u16(width), u16(height), {packed}});
}

// `data` in sub-blocks of at most 255 bytes, each after its length, and the terminator.
inline Bytes subBlocks(const Bytes& data) {
    Bytes out;
    for (std::size_t start = 0; start < data.size(); start += 255) {
        const std::size_t size = std::min<std::size_t>(255, data.size() - start);
        out.push_back(static_cast<std::uint8_t>(size));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(start),
                   data.begin() + static_cast<std::ptrdiff_t>(start + size));
    }
    out.push_back(0x00);
    return out;
}

// Packs LZW codes as a GIF image's data holds them: each code in the width the decoder reads it
// at, least significant bit first; then the code size byte, sub-blocks of at most 255 bytes and
// the terminator.
class CodePacker {
public:
    void put(int code, int width) {
        m_bits |= static_cast<std::uint32_t>(code) << m_pending;
        m_pending += width;
        while (m_pending >= 8) {
            m_packed.push_back(static_cast<std::uint8_t>(m_bits & 0xFF));
            m_bits >>= 8;
            m_pending -= 8;
        }
    }

    Bytes imageData(int minCodeSize) const {
        Bytes packed = m_packed;
        if (m_pending > 0) {
            packed.push_back(static_cast<std::uint8_t>(m_bits & 0xFF));
        }
        return join({{static_cast<std::uint8_t>(minCodeSize)}, subBlocks(packed)});
    }

private:
    Bytes m_packed;
    std::uint32_t m_bits = 0;
    int m_pending = 0;
};

// Image data for colour indexes (code size 2 to 8). Every index is sent as a literal code, and a
// clear code comes first and again before the table would need a wider code, which any decoder must
// read and which keeps the encoder free of a dictionary: the codes stay minCodeSize + 1 bits wide.
template <typename Index>
Bytes imageData(int minCodeSize, const std::vector<Index>& indexes) {
    const int clear = 1 << minCodeSize;
    const int width = minCodeSize + 1;
    CodePacker codes;
    codes.put(clear, width);
    int sinceClear = 0;
    for (Index index : indexes) {
        if (sinceClear == clear - 2) {
            codes.put(clear, width);
            sinceClear = 0;
        }
        codes.put(static_cast<int>(index), width);
        ++sinceClear;
    }
    codes.put(clear + 1, width);  // end of information
    return codes.imageData(minCodeSize);
}

inline Bytes imageData(int minCodeSize, std::initializer_list<int> indexes) {
    return imageData(minCodeSize, std::vector<int>(indexes));
}

// Image data (code size 8) of `pixels` pixels of the one value `index`, compressed as an
// encoder compresses a long run: after each clear code the codes stand for 1, 2, 3, ... pixels,
// 254 of them before the next clear code, so that every code stays 9 bits wide. About 300 bytes
// carry 32385 pixels, so a picture of 20000 x 20000 pixels takes about 3.5 MB.
inline Bytes runImageData(std::uint64_t pixels, std::uint8_t index) {
    constexpr int kClear = 256;
    constexpr int kEnd = 257;
    CodePacker codes;
    codes.put(kClear, 9);
    int length = 0;  // of the last code since the clear code
    while (pixels > 0) {
        if (length == 254) {
            codes.put(kClear, 9);
            length = 0;
        }
        // The next code stands for length + 1 pixels (the first after a clear is the literal);
        // the last one for whatever is left, which a shorter code already in the table covers.
        const std::uint64_t take = std::min<std::uint64_t>(pixels, std::uint64_t(length) + 1);
        codes.put(take == 1 ? index : kEnd - 1 + static_cast<int>(take), 9);
        pixels -= take;
        ++length;
    }
    codes.put(kEnd, 9);
    return codes.imageData(8);
}

// An application extension: the 11 bytes of identifier and authentication code, then `data` in
// sub-blocks.
inline Bytes applicationExtension(const std::string& identifier, const Bytes& data) {
    return join({{0x21, 0xFF, 0x0B}, text(identifier), subBlocks(data)});
}

// A NETSCAPE2.0 looping application extension (loop for ever) with its terminator.
inline Bytes loopingExtension() {
    return applicationExtension("NETSCAPE2.0", {0x01, 0x00, 0x00});
}

// A comment extension with one sub-block and its terminator.
inline Bytes comment(const std::string& s) {
    return join({{0x21, 0xFE, static_cast<std::uint8_t>(s.size())}, text(s), {0x00}});
}

inline const Bytes kTrailer{0x3B};

// One image of a file that gifFile writes.
struct GifImage {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;      // row-major, top row first, width * height values
    std::vector<std::uint32_t> localTable;  // 0xRRGGBB entries; none when empty
    bool interlaced = false;
    int transparentIndex = -1;  // a graphic control extension (delay 10) when >= 0
};

inline GifImage gifImage(int width, int height, std::vector<std::uint8_t> indices = {}) {
    GifImage image;
    image.width = width;
    image.height = height;
    image.indices = std::move(indices);
    return image;
}

// The rows of an image in the order an interlaced image stores them: every 8th from 0, every
// 8th from 4, every 4th from 2, every 2nd from 1.
inline std::vector<std::uint8_t> interlacedOrder(const GifImage& image) {
    std::vector<std::uint8_t> stream;
    const int start[] = {0, 4, 2, 1};
    const int step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = start[pass]; y < image.height; y += step[pass]) {
            stream.insert(stream.end(), image.indices.begin() + y * image.width,
                          image.indices.begin() + (y + 1) * image.width);
        }
    }
    return stream;
}

// A GIF89a file: the logical screen with an optional global table, then each image (its
// control extension, descriptor, local table and data of code size 8) and the trailer.
inline std::string gifFile(int screenWidth, int screenHeight,
                           const std::vector<std::uint32_t>& globalTable,
                           const std::vector<GifImage>& images) {
    Bytes out = join(
        {header(), screen(screenWidth, screenHeight,
                          globalTable.empty()
                              ? 0
                              : static_cast<std::uint8_t>(0x80 | tableBits(globalTable.size())))});
    if (!globalTable.empty()) {
        out = join({out, colorTable(globalTable)});
    }
    for (const GifImage& image : images) {
        if (image.transparentIndex >= 0) {
            out = join({out, graphicControl(0, true, 10, image.transparentIndex)});
        }
        int flags = image.interlaced ? 0x40 : 0;
        if (!image.localTable.empty()) {
            flags |= 0x80 | tableBits(image.localTable.size());
        }
        out = join({out, descriptor(image.left, image.top, image.width, image.height,
                                    static_cast<std::uint8_t>(flags))});
        if (!image.localTable.empty()) {
            out = join({out, colorTable(image.localTable)});
        }
        out = join({out, imageData(8, image.interlaced ? interlacedOrder(image) : image.indices)});
    }
    return asString(join({out, kTrailer}));
}

}  // namespace plivora::gif_bytes
