#pragma once

// BMP files for tests, byte by byte: the info header of any version, the masks and palette after
// it, the pixel data, and the file header in front.

#include <cstdint>
#include <string>
#include <vector>

namespace plivora::testdata {

// Little-endian fields, as BMP and the other formats of the loader store them.
void putU16(std::string& out, int value);
void putU32(std::string& out, std::uint32_t value);

// A device-independent bitmap as a writer would store it: the info header of any version, the
// masks and palette after it, and the pixel data. A negative height stores the rows top-down.
struct Dib {
    int headerSize = 40;  // 12, 40, 56, 108 or 124
    int width = 0;
    int height = 0;
    int bits = 8;
    std::uint32_t compression = 0;     // 0 plain rows, 1 RLE8, 2 RLE4, 3 bit fields
    std::vector<std::uint32_t> masks;  // in the header from 52 bytes on, else after it
    std::vector<std::uint32_t> palette;
    std::string data;

    std::string headerBytes() const;
    std::string bytes() const { return headerBytes() + data; }
};

// The BMP file of a DIB: the 14-byte file header, then the DIB.
std::string bmpFile(const Dib& dib);

// Writes a 24-bit uncompressed BMP file of the given size, filled with one colour.
void writeBmp(const std::string& path, int width, int height, std::uint8_t r = 200,
              std::uint8_t g = 100, std::uint8_t b = 50);

}  // namespace plivora::testdata
