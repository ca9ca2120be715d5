#include <gtest/gtest.h>

#include <string>

#include "picture/picture_loader.h"
#include "support/bmp_file.h"
#include "win/error.h"

namespace plivora {
namespace {

// A BMP file of an uncompressed picture with a 40-byte info header, followed by `data`.
std::string bitmap(int width, int height, int bitsPerPixel, const std::string& data) {
    testdata::Dib dib;
    dib.width = width;
    dib.height = height;
    dib.bits = bitsPerPixel;
    dib.data = data;
    return testdata::bmpFile(dib);
}

TEST(BitmapRows, AnUncompressedBitmapMustHoldEveryRowItClaims) {
    // 2 x 2 at 24 bits: rows of 8 bytes (6 padded to 4), 16 bytes in all.
    EXPECT_EQ(loadPictureFromBytes(bitmap(2, 2, 24, std::string(16, '\x40'))).width(), 2);
    try {
        loadPictureFromBytes(bitmap(2, 2, 24, std::string(15, '\x40')));
        FAIL() << "a bitmap missing its last byte loaded";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::InvalidPicture);
    }
    // A header claiming a quarter of a gigapixel over a kilobyte of data is refused at once.
    try {
        loadPictureFromBytes(bitmap(16384, 16000, 32, std::string(1024, '\0')));
        FAIL() << "a bitmap far larger than its file loaded";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::InvalidPicture);
    }
}

}  // namespace
}  // namespace plivora
