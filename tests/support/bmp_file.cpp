#include "support/bmp_file.h"

#include <fstream>

namespace plivora::testdata {

void putU16(std::string& out, int value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void putU32(std::string& out, std::uint32_t value) {
    putU16(out, static_cast<int>(value & 0xFFFF));
    putU16(out, static_cast<int>(value >> 16));
}

std::string Dib::headerBytes() const {
    std::string out;
    putU32(out, static_cast<std::uint32_t>(headerSize));
    if (headerSize == 12) {
        putU16(out, width);
        putU16(out, height);
        putU16(out, 1);
        putU16(out, bits);
    } else {
        putU32(out, static_cast<std::uint32_t>(width));
        putU32(out, static_cast<std::uint32_t>(height));
        putU16(out, 1);
        putU16(out, bits);
        putU32(out, compression);
        putU32(out, static_cast<std::uint32_t>(data.size()));
        putU32(out, 2835);
        putU32(out, 2835);
        putU32(out, static_cast<std::uint32_t>(palette.size()));
        putU32(out, 0);
        for (std::size_t i = 0; headerSize >= 52 && i < 4; ++i) {
            putU32(out, i < masks.size() ? masks[i] : 0);
        }
        out.resize(static_cast<std::size_t>(headerSize), '\0');  // colour space and the rest
    }
    if (headerSize < 52) {
        for (std::uint32_t mask : masks) {
            putU32(out, mask);
        }
    }
    for (std::uint32_t rgb : palette) {
        out += static_cast<char>(rgb & 0xFF);
        out += static_cast<char>((rgb >> 8) & 0xFF);
        out += static_cast<char>((rgb >> 16) & 0xFF);
        if (headerSize != 12) {
            out += '\0';
        }
    }
    return out;
}

std::string bmpFile(const Dib& dib) {
    const std::string header = dib.headerBytes();
    std::string out = "BM";
    putU32(out, static_cast<std::uint32_t>(14 + header.size() + dib.data.size()));
    putU32(out, 0);
    putU32(out, static_cast<std::uint32_t>(14 + header.size()));
    return out + header + dib.data;
}

void writeBmp(const std::string& path, int width, int height, std::uint8_t r, std::uint8_t g,
              std::uint8_t b) {
    const int rowBytes = (width * 3 + 3) & ~3;
    std::string row(static_cast<std::size_t>(rowBytes), '\0');
    for (int x = 0; x < width; ++x) {
        row[static_cast<std::size_t>(x) * 3] = static_cast<char>(b);
        row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<char>(g);
        row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<char>(r);
    }
    Dib dib;
    dib.width = width;
    dib.height = height;
    dib.bits = 24;
    for (int y = 0; y < height; ++y) {
        dib.data += row;
    }
    std::ofstream(path, std::ios::binary) << bmpFile(dib);
}

}  // namespace plivora::testdata
