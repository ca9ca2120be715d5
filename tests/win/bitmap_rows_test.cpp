#include <gtest/gtest.h>

#include <string>

#include "win/error.h"
#include "win/picture_loader.h"

namespace plivora {
namespace {

// A BMP file header and a 40-byte info header for an uncompressed picture, followed by `data`.
std::string bitmap(int width, int height, int bitsPerPixel, const std::string& data) {
    std::string out;
    auto u16 = [&](unsigned v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    auto u32 = [&](unsigned v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out += "BM";
    u32(static_cast<unsigned>(54 + data.size()));
    u32(0);
    u32(54);  // pixel data offset
    u32(40);  // info header size
    u32(static_cast<unsigned>(width));
    u32(static_cast<unsigned>(height));
    u16(1);  // planes
    u16(static_cast<unsigned>(bitsPerPixel));
    u32(0);  // BI_RGB
    u32(static_cast<unsigned>(data.size()));
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    return out + data;
}

TEST(BitmapRows, AnUncompressedBitmapMustHoldEveryRowItClaims) {
    // 2 x 2 at 24 bits: rows of 8 bytes (6 padded to 4), 16 bytes in all.
    EXPECT_EQ(LoadPictureFromBytes(bitmap(2, 2, 24, std::string(16, '\x40'))).width(), 2);
    try {
        LoadPictureFromBytes(bitmap(2, 2, 24, std::string(15, '\x40')));
        FAIL() << "a bitmap missing its last byte loaded";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::InvalidPicture);
    }
    // A header claiming a quarter of a gigapixel over a kilobyte of data is refused at once.
    try {
        LoadPictureFromBytes(bitmap(16384, 16000, 32, std::string(1024, '\0')));
        FAIL() << "a bitmap far larger than its file loaded";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::InvalidPicture);
    }
}

}  // namespace
}  // namespace plivora
