#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "picture/picture_loader.h"
#include "support/gif_bytes.h"
#include "win/error.h"

namespace plivora {
namespace {

using gif_bytes::gifFile;
using gif_bytes::GifImage;
using gif_bytes::gifImage;

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
const std::vector<std::uint32_t> kTable = {kRed, kGreen, kBlue, kWhite};

std::uint32_t opaque(std::uint32_t rgb) {
    return 0xFF000000u | rgb;
}

int loadError(const std::string& bytes) {
    try {
        loadPictureFromBytes(bytes);
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

TEST(GifLoader, FirstImageHasItsOwnSizeWithItsTopLeftAtTheOrigin) {
    // The first image is 4 x 3 at (3, 2) of a 10 x 8 screen; a second, full-screen image follows.
    GifImage first = gifImage(4, 3);
    first.left = 3;
    first.top = 2;
    for (int i = 0; i < 12; ++i) {
        first.indices.push_back(static_cast<std::uint8_t>(i % 4));
    }
    const GifImage second = gifImage(10, 8, std::vector<std::uint8_t>(80, 3));
    const Picture picture = loadPictureFromBytes(gifFile(10, 8, kTable, {first, second}));

    ASSERT_EQ(picture.width(), 4);
    ASSERT_EQ(picture.height(), 3);
    const Image& image = picture.fullImage();
    ASSERT_EQ(image.width, 4);
    ASSERT_EQ(image.height, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y);
            EXPECT_EQ(image.pixel(x, y), opaque(kTable[(y * 4 + x) % 4]));
        }
    }
}

TEST(GifLoader, InterlacedRowsArePutBackInOrder) {
    // 11 rows touch all four passes; each row has its own colour.
    GifImage frame = gifImage(2, 11);
    frame.interlaced = true;
    for (int y = 0; y < 11; ++y) {
        frame.indices.push_back(static_cast<std::uint8_t>(y % 4));
        frame.indices.push_back(static_cast<std::uint8_t>((y / 4) % 4));
    }
    const Image image = loadPictureFromBytes(gifFile(2, 11, kTable, {frame})).fullImage();
    ASSERT_EQ(image.height, 11);
    for (int y = 0; y < 11; ++y) {
        SCOPED_TRACE(testing::Message() << "row " << y);
        EXPECT_EQ(image.pixel(0, y), opaque(kTable[y % 4]));
        EXPECT_EQ(image.pixel(1, y), opaque(kTable[(y / 4) % 4]));
    }
}

TEST(GifLoader, TransparentEntryKeepsItsColourWithAlphaZero) {
    GifImage frame = gifImage(4, 1, {0, 1, 2, 3});
    frame.transparentIndex = 2;
    const Image image = loadPictureFromBytes(gifFile(4, 1, kTable, {frame})).fullImage();
    EXPECT_EQ(image.pixel(0, 0), opaque(kRed));
    EXPECT_EQ(image.pixel(1, 0), opaque(kGreen));
    EXPECT_EQ(image.pixel(2, 0), 0x000000FFu);  // blue, transparent
    EXPECT_EQ(image.pixel(3, 0), opaque(kWhite));
}

TEST(GifLoader, ControlBlockUsedUpByPlainTextDoesNotMakeTheImageTransparent) {
    GifImage frame = gifImage(1, 1, {2});
    frame.transparentIndex = 2;
    std::string bytes = gifFile(1, 1, kTable, {frame});
    // Header 6, screen 7, global table 4 x 3, control extension 8: then a plain-text extension
    // (12 bytes of text grid, no text) that the control block governs instead of the image.
    const std::size_t afterControl = 6 + 7 + 12 + 8;
    ASSERT_EQ(bytes[afterControl], '\x2C');
    bytes.insert(afterControl, std::string("\x21\x01\x0C", 3) + std::string(12, '\0') + '\0');
    EXPECT_EQ(loadPictureFromBytes(bytes).fullImage().pixel(0, 0), opaque(kBlue));
}

TEST(GifLoader, LocalTableWinsOverGlobalTable) {
    GifImage frame = gifImage(2, 1, {0, 1});
    frame.localTable = {0x123456, 0xABCDEF};
    const Image image = loadPictureFromBytes(gifFile(2, 1, kTable, {frame})).fullImage();
    EXPECT_EQ(image.pixel(0, 0), opaque(0x123456));
    EXPECT_EQ(image.pixel(1, 0), opaque(0xABCDEF));
}

TEST(GifLoader, ValuesPastTheColourTableAreBlack) {
    // A two-entry table; the 8-bit code size lets the data name entries 5 and 200 all the same.
    GifImage frame = gifImage(3, 1, {1, 5, 200});
    frame.transparentIndex = 200;
    const Image image = loadPictureFromBytes(gifFile(3, 1, {kRed, kGreen}, {frame})).fullImage();
    EXPECT_EQ(image.pixel(0, 0), opaque(kGreen));
    EXPECT_EQ(image.pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(image.pixel(2, 0), 0x00000000u);  // transparent, no colour of its own
}

TEST(GifLoader, Gif87aAndAMissingTrailerAfterACompleteImageStillLoad) {
    const GifImage frame = gifImage(2, 2, {0, 1, 2, 3});
    std::string bytes = gifFile(2, 2, kTable, {frame});
    bytes.replace(0, 6, "GIF87a");
    bytes.pop_back();  // the trailer
    const Picture picture = loadPictureFromBytes(bytes);
    EXPECT_EQ(picture.fullImage().pixel(1, 1), opaque(kWhite));
}

TEST(GifLoader, DamagedAndHostileStreamsFail) {
    const GifImage frame = gifImage(16, 16, std::vector<std::uint8_t>(256, 1));
    const std::string good = gifFile(16, 16, kTable, {frame});

    // A screen of 1 x 1 and an image descriptor claiming 60000 x 60000 (3.6 gigapixels), then
    // the start of its data: refused from the descriptor, before any pixel memory is taken.
    const std::string huge = gif_bytes::asString(gif_bytes::join(
        {gif_bytes::header(),
         gif_bytes::screen(1, 1, 0x80),
         gif_bytes::colorTable({0xFF0000, 0x0000FF}),
         gif_bytes::descriptor(0, 0, 60000, 60000),
         {0x08, 0x02, 0x00, 0x01, 0x00}}));  // code size 8, one sub-block of 2 bytes, the end

    const GifImage noTableFrame = gifImage(1, 1, {0});
    const struct {
        const char* name;
        std::string bytes;
        int error;
    } cases[] = {
        {"cut in the image data", good.substr(0, good.size() / 2), ErrorNumber::InvalidPicture},
        {"cut after the screen", good.substr(0, 13), ErrorNumber::InvalidPicture},
        {"header only", "GIF89a", ErrorNumber::InvalidPicture},
        {"no image before the trailer", gifFile(4, 4, kTable, {}), ErrorNumber::InvalidPicture},
        {"no colour table at all", gifFile(1, 1, {}, {noTableFrame}), ErrorNumber::InvalidPicture},
        {"60000 x 60000 image", huge, ErrorNumber::OutOfMemory},
        {"unknown record", good.substr(0, 25) + "\x99", ErrorNumber::InvalidPicture},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(loadError(c.bytes), c.error);
    }
}

}  // namespace
}  // namespace plivora
