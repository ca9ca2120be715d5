// Decoding at the size a picture is shown: each format's rows shrunk as they are decoded give
// the same pixels as the full decode shrunk afterwards, and a picture that claims a huge size
// holds only the pixels it is shown with.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "picture/bitmap_decoder.h"
#include "picture/gif_decoder.h"
#include "picture/image_scale.h"
#include "picture/picture_input.h"
#include "picture/picture_loader.h"
#include "picture_test_data.h"
#include "support/gif_bytes.h"
#include "support/temp_folder.h"

namespace plivora {
namespace {

namespace fs = std::filesystem;

// A rule that decodes at `size` whatever the natural size is.
DecodeSize at(PixelSize size) {
    return [size](PixelSize) -> std::optional<PixelSize> { return size; };
}

// The shrunk decode must equal the full decode shrunk by scaleImage exactly (no tolerance): both
// sum the same boxes of the same source pixels in integers and round once, so any difference is
// a row fed to the wrong place, twice, or not at all.
template <typename Decode>
void expectRowsScaleLikeTheWholePicture(Decode decode, PixelSize natural) {
    const Image full = decode(DecodeSize{});
    ASSERT_EQ(full.width, natural.width);
    ASSERT_EQ(full.height, natural.height);
    for (const PixelSize size :
         {PixelSize{natural.width / 3, natural.height / 5}, PixelSize{7, 4}, PixelSize{1, 1}}) {
        SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
        const Image scaled = decode(at(size));
        ASSERT_EQ(scaled.width, size.width);
        ASSERT_EQ(scaled.height, size.height);
        EXPECT_EQ(scaled.pixels, scaleImage(full, size.width, size.height).pixels);
    }
}

std::vector<std::uint8_t> pattern(int count, int modulo) {
    std::vector<std::uint8_t> values(static_cast<std::size_t>(count));
    std::uint32_t state = 2463534242u;
    for (std::uint8_t& value : values) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        value = static_cast<std::uint8_t>(state % static_cast<std::uint32_t>(modulo));
    }
    return values;
}

std::vector<std::uint32_t> palette(int count) {
    std::vector<std::uint32_t> colours;
    for (int i = 0; i < count; ++i) {
        colours.push_back(static_cast<std::uint32_t>(i * 0x010203 * 37) & 0xFFFFFFu);
    }
    return colours;
}

TEST(RowScaledDecode, GifRowsPlainAndInterlacedScaleLikeTheWholePicture) {
    for (const bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced ? "interlaced" : "in order");
        gif_bytes::GifImage frame = gif_bytes::gifImage(61, 45, pattern(61 * 45, 200));
        frame.interlaced = interlaced;
        frame.transparentIndex = 3;
        const std::string bytes = gif_bytes::gifFile(61, 45, palette(200), {frame});
        expectRowsScaleLikeTheWholePicture(
            [&](const DecodeSize& size) {
                return decodeFirstGifImage(*PictureInput::fromBytes(bytes).open(), size);
            },
            {61, 45});
    }
}

// RLE8: runs, absolute runs, a delta over rows, end of line and an early end of bitmap, so that
// skipped and never-reached rows (transparent) are shrunk too.
std::string rleData(int width, int height) {
    std::string data;
    const std::vector<std::uint8_t> values = pattern(width * height, 16);
    for (int y = 0; y < height - 3; ++y) {
        if (y == 5) {
            data += std::string("\x00\x02\x03\x02", 4);  // 3 right, 2 rows down
            y += 2;
        }
        const std::uint8_t* row = values.data() + y * width;
        data += static_cast<char>(7);
        data += static_cast<char>(row[0]);
        data += '\0';
        data += static_cast<char>(6);  // six values as they are
        for (int i = 0; i < 6; ++i) {
            data += static_cast<char>(row[1 + i]);
        }
        data += static_cast<char>(width);  // a run past the edge, clipped
        data += static_cast<char>(row[7]);
        data += std::string("\x00\x00", 2);
    }
    data += std::string("\x00\x01", 2);
    return data;
}

TEST(RowScaledDecode, BitmapRowsBottomUpTopDownAndRleScaleLikeTheWholePicture) {
    const int width = 50;
    const int height = 37;
    testdata::Dib bottomUp;
    bottomUp.width = width;
    bottomUp.height = height;
    bottomUp.palette = palette(256);
    const int rowBytes = (width + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        const std::vector<std::uint8_t> row = pattern(rowBytes + y, 256);
        bottomUp.data.append(row.begin() + y, row.end());
    }
    testdata::Dib topDown;
    topDown.width = width;
    topDown.height = -height;
    topDown.bits = 24;
    const std::vector<std::uint8_t> bgr = pattern((width * 3 + 2) / 4 * 4 * height, 256);
    topDown.data.assign(bgr.begin(), bgr.end());
    testdata::Dib rle;
    rle.width = width;
    rle.height = height;
    rle.compression = 1;
    rle.palette = palette(16);
    rle.data = rleData(width, height);

    for (const testdata::Dib* dib : {&bottomUp, &topDown, &rle}) {
        SCOPED_TRACE(dib == &rle ? "RLE8" : dib == &topDown ? "top-down" : "bottom-up");
        const std::string bytes = testdata::bmpFile(*dib);
        expectRowsScaleLikeTheWholePicture(
            [&](const DecodeSize& size) {
                return decodeBitmapFile(*PictureInput::fromBytes(bytes).open(), size);
            },
            {width, height});
    }
}

// An icon whose 32-bit pixels carry alpha, and one whose alpha is zero everywhere so that its
// AND mask decides: each shrunk as it is decoded.
TEST(RowScaledDecode, IconRowsWithAlphaOrMaskScaleLikeTheWholePicture) {
    const int width = 40;
    const int height = 33;
    for (const bool ownAlpha : {true, false}) {
        SCOPED_TRACE(ownAlpha ? "alpha" : "mask");
        std::string bytes = testdata::iconFile(1, {{width, height, 0}});
        const std::size_t pixels = 6 + 16 + 40;
        const std::vector<std::uint8_t> values = pattern(width * height * 4, 256);
        for (std::size_t i = 0; i < values.size(); ++i) {
            bytes[pixels + i] = static_cast<char>(i % 4 == 3 && !ownAlpha ? 0 : values[i]);
        }
        const std::size_t mask = pixels + values.size();
        const std::vector<std::uint8_t> maskBits =
            pattern(static_cast<int>(bytes.size() - mask), 256);
        for (std::size_t i = 0; i < maskBits.size(); ++i) {
            bytes[mask + i] = static_cast<char>(maskBits[i]);
        }
        expectRowsScaleLikeTheWholePicture(
            [&](const DecodeSize& size) {
                const auto reader = PictureInput::fromBytes(bytes).open();
                return decodeIconBitmap(*reader, chooseIconEntry(*reader), size);
            },
            {width, height});
    }
}

class HugeClaims : public testing::Test {
protected:
    std::string file(const std::string& name, const std::string& bytes) {
        testdata::writeFile(m_dir / name, bytes);
        return (m_dir / name).string();
    }

    // Loaded and drawn fitted into the main window's picture area, the picture holds only its
    // reduced pixels (512 on the longer side): 1 MB where the whole picture takes 1.6 GB.
    static void expectHeldAtTheShownSize(const Picture& picture) {
        EXPECT_EQ(picture.width(), 20000);
        EXPECT_EQ(picture.height(), 20000);
        const Image& shown = picture.imageForSize(161, 145);
        EXPECT_EQ(shown.width, 512);
        EXPECT_EQ(shown.height, 512);
        EXPECT_EQ(picture.heldBytes(), std::size_t{512} * 512 * 4);
    }

private:
    TempFolder m_folder;
    const fs::path m_dir{m_folder.path()};
};

TEST_F(HugeClaims, ASmallRleBitmapClaiming20000By20000HoldsOnlyItsShownSize) {
    // The top rows one colour, then the end of the bitmap: about 1 KB.
    std::string data;
    for (int y = 0; y < 200; ++y) {
        for (int run = 0; run < 20000; run += 255) {
            data += static_cast<char>(std::min(255, 20000 - run));
            data += '\x01';
        }
        data += std::string("\x00\x00", 2);
        if (data.size() > 900) {
            break;
        }
    }
    data += std::string("\x00\x01", 2);
    testdata::Dib dib;
    dib.width = 20000;
    dib.height = -20000;
    dib.compression = 1;
    dib.palette = {0x000000, 0x336699};
    dib.data = data;
    const std::string bytes = testdata::bmpFile(dib);
    EXPECT_LT(bytes.size(), 1200u);
    const std::string path = file("huge.bmp", bytes);
    EXPECT_EQ(pictureNaturalSize(path), (PixelSize{20000, 20000}));
    const Picture picture = LoadPicture(path);
    // The top left box holds coloured rows and transparent ones; the bottom right only
    // transparent ones.
    const std::uint32_t topLeft = picture.imageForSize(161, 145).pixel(0, 0);
    EXPECT_GT(topLeft >> 24, 0u);
    EXPECT_LT(topLeft >> 24, 255u);
    EXPECT_EQ(picture.imageForSize(161, 145).pixel(511, 511), 0u);
    expectHeldAtTheShownSize(picture);

    // A larger request decodes larger pixels, the smallest of the picture's shape that cover
    // it, still short of the whole picture; the whole one only when asked for.
    dib.width = 4000;
    dib.height = -3000;
    dib.data = std::string("\x00\x01", 2);
    const Picture smaller = LoadPicture(file("smaller.bmp", testdata::bmpFile(dib)));
    EXPECT_EQ(smaller.imageForSize(1, 1).width, 512);
    EXPECT_EQ(smaller.imageForSize(1000, 700).width, 1000);
    EXPECT_EQ(smaller.imageForSize(1000, 700).height, 750);
    EXPECT_EQ(smaller.heldBytes(), std::size_t{1000} * 750 * 4);
    EXPECT_EQ(smaller.fullImage().width, 4000);
}

TEST_F(HugeClaims, AGifOf20000By20000HoldsOnlyItsShownSize) {
    using namespace gif_bytes;
    const std::string bytes = asString(join(
        {header(), screen(20000, 20000, 0x80), colorTable({0x996633, 0x000000}),
         descriptor(0, 0, 20000, 20000), runImageData(std::uint64_t{20000} * 20000, 0), kTrailer}));
    const std::string path = file("huge.gif", bytes);
    EXPECT_EQ(pictureNaturalSize(path), (PixelSize{20000, 20000}));
    const Picture picture = LoadPicture(path);
    EXPECT_EQ(picture.imageForSize(161, 145).pixel(0, 0), 0xFF996633u);
    expectHeldAtTheShownSize(picture);
}

}  // namespace
}  // namespace plivora
