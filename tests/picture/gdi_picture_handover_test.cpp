// A decoded picture handed to the raster layer: its pixels become a bitmap's without a copy when
// nothing else shares them, and a picture that is shared keeps its own.

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "picture/picture.h"
#include "win/gdi.h"

namespace plivora {
namespace {

Image sampleImage() {
    Image image(3, 2);
    image.pixels = {0x000A141Eu, 0x80FF0000u, 0xFF00FF00u, 0x12345678u, 0x00000000u, 0xFFFFFFFFu};
    return image;
}

TEST(GdiPictureHandOver, AnUnsharedPictureGivesUpItsPixelsAndASharedOneKeepsThem) {
    const Image original = sampleImage();

    Picture only(sampleImage());
    const std::uint32_t* memory = only.fullImage().pixels.data();
    Image taken = std::move(only).takeFullImage();
    EXPECT_EQ(taken.pixels.data(), memory) << "the only copy is moved, not copied";
    EXPECT_EQ(taken.pixels, original.pixels);
    EXPECT_TRUE(only.isNull());  // NOLINT(bugprone-use-after-move): taking leaves it null

    Picture shared(sampleImage());
    const Picture other = shared;
    Image copy = std::move(shared).takeFullImage();
    EXPECT_EQ(copy.pixels, original.pixels);
    EXPECT_EQ(other.fullImage().pixels, original.pixels) << "the other copy keeps its pixels";
    EXPECT_NE(copy.pixels.data(), other.fullImage().pixels.data());

    EXPECT_TRUE(Picture().takeFullImage().isNull());
}

TEST(GdiPictureHandOver, AMovedImageBecomesAnOpaqueBitmapAndABadOneIsRefused) {
    GdiContext gdi;
    HBITMAP bitmap = gdi.createBitmapFromImage(sampleImage());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(gdi.bitmapPixels(bitmap).pixels,
              (std::vector<std::uint32_t>{0xFF0A141Eu, 0xFFFF0000u, 0xFF00FF00u, 0xFF345678u,
                                          0xFF000000u, 0xFFFFFFFFu}));
    EXPECT_EQ(gdi.bitmapInfo(bitmap)->width, 3);
    EXPECT_EQ(gdi.bitmapInfo(bitmap)->height, 2);

    Image shortImage = sampleImage();
    shortImage.pixels.pop_back();
    EXPECT_FALSE(gdi.createBitmapFromImage(std::move(shortImage))) << "fewer pixels than its size";
    Image huge;
    huge.width = 1 << 15;
    huge.height = 1 << 15;
    EXPECT_FALSE(gdi.createBitmapFromImage(std::move(huge))) << "beyond the size cap";
    EXPECT_FALSE(gdi.createBitmapFromImage(Image{}));
    EXPECT_EQ(gdi.objectCounts().bitmaps, 1);
}

}  // namespace
}  // namespace plivora
