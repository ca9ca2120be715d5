#pragma once

// Small pieces for writing GIF files as annotated byte arrays in tests.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
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

// "GIF89a" or "GIF87a".
inline Bytes header(const std::string& version = "89a") {
    return text("GIF" + version);
}

// Logical screen descriptor: width, height, packed flags, background index, aspect ratio.
inline Bytes screen(int width, int height, std::uint8_t flags) {
    return {static_cast<std::uint8_t>(width),
            static_cast<std::uint8_t>(width >> 8),
            static_cast<std::uint8_t>(height),
            static_cast<std::uint8_t>(height >> 8),
            flags,
            0,
            0};
}

// Graphic control extension with its terminator: packed = disposal << 2 | user input << 1 |
// transparency.
inline Bytes graphicControl(int disposal, bool transparent, int delay, int transparentIndex) {
    auto packed = static_cast<std::uint8_t>((disposal << 2) | (transparent ? 1 : 0));
    return {0x21,
            0xF9,
            0x04,
            packed,
            static_cast<std::uint8_t>(delay),
            static_cast<std::uint8_t>(delay >> 8),
            static_cast<std::uint8_t>(transparentIndex),
            0x00};
}

// Image descriptor: separator, left, top, width, height, packed.
inline Bytes descriptor(int left, int top, int width, int height, std::uint8_t packed = 0) {
    return {0x2C,
            static_cast<std::uint8_t>(left),
            static_cast<std::uint8_t>(left >> 8),
            static_cast<std::uint8_t>(top),
            static_cast<std::uint8_t>(top >> 8),
            static_cast<std::uint8_t>(width),
            static_cast<std::uint8_t>(width >> 8),
            static_cast<std::uint8_t>(height),
            static_cast<std::uint8_t>(height >> 8),
            packed};
}

// Image data for colour indexes: the LZW minimum code size byte, the compressed sub-blocks and
// the terminator. A clear code before every two pixels keeps the code width at
// minCodeSize + 1, so the codes are the indexes themselves.
inline Bytes imageData(int minCodeSize, const std::vector<int>& indexes) {
    const int width = minCodeSize + 1;
    const int clear = 1 << minCodeSize;
    std::vector<int> codes;
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        if (i % 2 == 0) {
            codes.push_back(clear);
        }
        codes.push_back(indexes[i]);
    }
    codes.push_back(clear + 1);  // end of information

    Bytes packed;
    std::uint32_t accumulator = 0;
    int bits = 0;
    for (int code : codes) {
        accumulator |= static_cast<std::uint32_t>(code) << bits;
        bits += width;
        while (bits >= 8) {
            packed.push_back(static_cast<std::uint8_t>(accumulator & 0xFF));
            accumulator >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) {
        packed.push_back(static_cast<std::uint8_t>(accumulator & 0xFF));
    }

    Bytes data{static_cast<std::uint8_t>(minCodeSize)};
    for (std::size_t start = 0; start < packed.size(); start += 255) {
        std::size_t size = std::min<std::size_t>(255, packed.size() - start);
        data.push_back(static_cast<std::uint8_t>(size));
        data.insert(data.end(), packed.begin() + static_cast<std::ptrdiff_t>(start),
                    packed.begin() + static_cast<std::ptrdiff_t>(start + size));
    }
    data.push_back(0x00);
    return data;
}

// A NETSCAPE2.0 looping application extension with its terminator.
inline Bytes loopingExtension() {
    return join({{0x21, 0xFF, 0x0B}, text("NETSCAPE2.0"), {0x03, 0x01, 0x00, 0x00, 0x00}});
}

// A comment extension with one sub-block and its terminator.
inline Bytes comment(const std::string& s) {
    return join({{0x21, 0xFE, static_cast<std::uint8_t>(s.size())}, text(s), {0x00}});
}

inline const Bytes kTrailer{0x3B};

}  // namespace plivora::gif_bytes
