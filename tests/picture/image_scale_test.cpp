#include "picture/image_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace plivora {
namespace {

// A picture whose every channel varies from pixel to pixel, alpha included.
Image patterned(int width, int height) {
    Image image(width, height);
    std::uint32_t state = 2463534242u;
    for (std::uint32_t& pixel : image.pixels) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        pixel = state;
    }
    return image;
}

// The box mean of one target pixel, summed pixel by pixel: the target pixel at t covers the
// source pixels from floor(t * step) up to ceil((t + 1) * step), at least one of them.
std::uint32_t boxMean(const Image& source, int width, int height, int tx, int ty) {
    const double stepX = static_cast<double>(source.width) / width;
    const double stepY = static_cast<double>(source.height) / height;
    const int x0 = static_cast<int>(tx * stepX);
    const int y0 = static_cast<int>(ty * stepY);
    const int x1 = std::max(x0 + 1, std::min(source.width, int(std::ceil((tx + 1) * stepX))));
    const int y1 = std::max(y0 + 1, std::min(source.height, int(std::ceil((ty + 1) * stepY))));
    std::uint32_t mean = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        std::uint64_t sum = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                sum += (source.pixel(x, y) >> shift) & 0xFFu;
            }
        }
        const std::uint64_t count = static_cast<std::uint64_t>(x1 - x0) * (y1 - y0);
        mean |= static_cast<std::uint32_t>((sum + count / 2) / count) << shift;
    }
    return mean;
}

TEST(ScaleImage, ShrinkingGivesEachTargetPixelTheRoundedMeanOfItsBox) {
    struct Case {
        int sourceWidth, sourceHeight, width, height;
    };
    // A reduced camera picture to a thumbnail, ratios that do not divide, one side kept or
    // enlarged while the other shrinks, and a single target pixel.
    const Case cases[] = {{500, 375, 60, 60}, {61, 61, 60, 60}, {7, 5, 3, 2},    {3, 1, 2, 1},
                          {1, 9, 1, 4},       {300, 2, 60, 60}, {2, 300, 60, 7}, {37, 23, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sourceWidth) + "x" + std::to_string(c.sourceHeight) + " to " +
                     std::to_string(c.width) + "x" + std::to_string(c.height));
        const Image source = patterned(c.sourceWidth, c.sourceHeight);
        const Image scaled = scaleImage(source, c.width, c.height);
        ASSERT_EQ(scaled.width, c.width);
        ASSERT_EQ(scaled.height, c.height);
        ASSERT_EQ(scaled.pixels.size(), static_cast<std::size_t>(c.width) * c.height);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                ASSERT_EQ(scaled.pixel(x, y), boxMean(source, c.width, c.height, x, y))
                    << "at " << x << "," << y;
            }
        }
    }
}

TEST(ScaleImage, OverlappingBoxesShareTheirMiddlePixelAndAlphaIsAveragedToo) {
    // Three pixels onto two: the boxes are pixels 0-1 and 1-2.
    Image source(3, 1);
    source.setPixel(0, 0, 0x00000000u);
    source.setPixel(1, 0, 0xFF646464u);
    source.setPixel(2, 0, 0xFFC9C9C9u);
    const Image scaled = scaleImage(source, 2, 1);
    EXPECT_EQ(scaled.pixel(0, 0), 0x80323232u);  // (0 + 255) / 2 and (0 + 100) / 2, halves up
    EXPECT_EQ(scaled.pixel(1, 0), 0xFF979797u);  // (100 + 201) / 2 = 150.5, up to 151
}

TEST(ScaleImage, ALargeBoxDoesNotOverflowItsSums) {
    // 4200 x 4100 white pixels sum to more than 32 bits can hold in each channel.
    const Image white(4200, 4100, 0xFFFFFFFFu);
    const Image scaled = scaleImage(white, 1, 1);
    ASSERT_EQ(scaled.width, 1);
    EXPECT_EQ(scaled.pixel(0, 0), 0xFFFFFFFFu);
}

TEST(ImageScale, ShrinkingAveragesAndTheSizeIsExact) {
    Image source(4, 2, 0xFF000000u);
    source.setPixel(0, 0, 0xFFFFFFFFu);
    source.setPixel(1, 0, 0xFFFFFFFFu);
    const Image half = scaleImage(source, 2, 1);
    ASSERT_EQ(half.width, 2);
    ASSERT_EQ(half.height, 1);
    EXPECT_EQ(half.pixel(0, 0), 0xFF808080u);  // two white and two black pixels
    EXPECT_EQ(half.pixel(1, 0), 0xFF000000u);
    const Image big = scaleImage(Image(1, 1, 0xFF112233u), 7, 3);
    EXPECT_EQ(big.pixel(6, 2), 0xFF112233u);
    EXPECT_TRUE(scaleImage(Image(), 5, 5).isNull());
}

}  // namespace
}  // namespace plivora
