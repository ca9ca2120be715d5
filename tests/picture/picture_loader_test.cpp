#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "picture/picture_input.h"
#include "picture/picture_loader.h"
#include "picture_test_data.h"
#include "support/gif_bytes.h"
#include "support/temp_folder.h"
#include "win/error.h"

namespace plivora {
namespace {

namespace fs = std::filesystem;
using testdata::readFile;
using testdata::writeFile;

// A folder of its own for each test, removed afterwards.
class PictureFiles : public testing::Test {
protected:
    std::string file(const std::string& name, const std::string& bytes) {
        const fs::path path = m_dir / name;
        writeFile(path, bytes);
        return path.string();
    }
    fs::path dir() const { return m_dir; }

private:
    TempFolder m_folder;
    const fs::path m_dir{m_folder.path()};
};

std::string encode(const QImage& image, const char* format, bool progressive = false) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(95);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return data.toStdString();
}

QImage halves(int width, int height, QRgb left, QRgb right) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(left);
    for (int y = 0; y < height; ++y) {
        for (int x = width / 2; x < width; ++x) {
            image.setPixel(x, y, right);
        }
    }
    return image;
}

// JPEG is lossy: colours are compared channel by channel within a tolerance.
testing::AssertionResult near(std::uint32_t actual, std::uint32_t expected, int tolerance = 8) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int a = static_cast<int>((actual >> shift) & 0xFF);
        const int e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance) {
            return testing::AssertionFailure() << std::hex << actual << " is not near " << expected;
        }
    }
    return testing::AssertionSuccess();
}

int loadError(const std::string& path) {
    try {
        LoadPicture(path);
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

// Sets the size in the first start-of-frame segment (FF C0 or FF C2) of a JPEG.
std::string withJpegSize(std::string jpeg, int width, int height) {
    for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF &&
            (static_cast<unsigned char>(jpeg[i + 1]) == 0xC0 ||
             static_cast<unsigned char>(jpeg[i + 1]) == 0xC2)) {
            jpeg[i + 5] = static_cast<char>(height >> 8);
            jpeg[i + 6] = static_cast<char>(height & 0xFF);
            jpeg[i + 7] = static_cast<char>(width >> 8);
            jpeg[i + 8] = static_cast<char>(width & 0xFF);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no start-of-frame segment";
    return jpeg;
}

TEST_F(PictureFiles, JpegLoadsWithItsNaturalSize) {
    const Picture picture =
        LoadPicture(file("a.jpg", encode(halves(40, 30, 0xFFFF0000, 0xFF0000FF), "jpeg")));
    ASSERT_EQ(picture.width(), 40);
    ASSERT_EQ(picture.height(), 30);
    const Image& image = picture.fullImage();
    ASSERT_EQ(image.width, 40);
    EXPECT_TRUE(near(image.pixel(2, 15), 0xFFFF0000));
    EXPECT_TRUE(near(image.pixel(37, 15), 0xFF0000FF));
}

TEST_F(PictureFiles, ProgressiveJpegLoads) {
    const std::string jpeg = encode(halves(64, 48, 0xFF00FF00, 0xFFFFFFFF), "jpeg", true);
    ASSERT_NE(jpeg.find("\xFF\xC2"), std::string::npos) << "the writer made no progressive JPEG";
    const Picture picture = LoadPicture(file("p.jpg", jpeg));
    ASSERT_EQ(picture.width(), 64);
    ASSERT_EQ(picture.height(), 48);
    EXPECT_TRUE(near(picture.fullImage().pixel(5, 5), 0xFF00FF00));
    EXPECT_TRUE(near(picture.fullImage().pixel(60, 40), 0xFFFFFFFF));
}

TEST_F(PictureFiles, ContentDecidesTheFormatNotTheName) {
    const std::string jpeg = encode(halves(20, 10, 0xFFFF0000, 0xFF0000FF), "jpeg");
    const Picture picture = LoadPicture(file("really-a-jpeg.gif", jpeg));
    EXPECT_EQ(picture.width(), 20);
    EXPECT_EQ(picture.height(), 10);
}

// Whatever a file is named, its first bytes pick the decoder, and the header-only size and the
// load agree with it; a PNG file is told apart but is no picture the program shows from a folder.
TEST_F(PictureFiles, TheBytesPickTheDecoderForTheSizeAndTheLoad) {
    const std::string jpeg = encode(halves(40, 30, 0xFFFF0000, 0xFF0000FF), "jpeg");
    struct Case {
        const char* name;
        std::string bytes;
        PictureFormat format;
        PixelSize size;
    };
    const Case cases[] = {
        {"gif",
         gif_bytes::gifFile(3, 2, {0x000000, 0xFFFFFF},
                            {gif_bytes::gifImage(3, 2, {0, 1, 0, 1, 0, 1})}),
         PictureFormat::Gif,
         {3, 2}},
        {"jpeg turned by EXIF",
         testdata::withExifOrientation(jpeg, 6, true),
         PictureFormat::Jpeg,
         {30, 40}},
        {"bmp",
         testdata::bmpFile(5, 4, 0, {0x000000}, std::string(4 * 8, '\0')),
         PictureFormat::Bmp,
         {5, 4}},
        {"ico",
         testdata::iconFile(1, {{16, 16, 0xFFFF0000}, {24, 24, 0xFF00FF00}}),
         PictureFormat::Icon,
         {24, 24}},
        {"cur", testdata::iconFile(2, {{32, 32, 0xFFFFFF00}}), PictureFormat::Cursor, {32, 32}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = file("picture.png", c.bytes);
        EXPECT_EQ(pictureFormat(PictureInput::fromFile(path)), c.format);
        EXPECT_EQ(pictureNaturalSize(path), c.size);
        const Picture picture = LoadPicture(path);
        EXPECT_EQ((PixelSize{picture.width(), picture.height()}), c.size);
    }
    const std::string png =
        file("picture.gif", encode(halves(6, 4, 0xFFFF0000, 0xFF0000FF), "png"));
    EXPECT_EQ(pictureFormat(PictureInput::fromFile(png)), PictureFormat::Png);
    EXPECT_EQ(loadError(png), ErrorNumber::InvalidPicture);
    try {
        pictureNaturalSize(png);
        ADD_FAILURE() << "a PNG file has a size";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::InvalidPicture);
    }
}

TEST_F(PictureFiles, RleBitmapDecodesToItsPaletteColours) {
    // 4 x 2, bottom row first. Bottom row: a run of three 1s, a run of one 2, end of line.
    // Top row: four literal values 3 0 2 1 (absolute mode, an even count needs no pad byte),
    // end of bitmap.
    const std::string rle(
        "\x03\x01"
        "\x01\x02"
        "\x00\x00"
        "\x00\x04\x03\x00\x02\x01"
        "\x00\x01",
        14);
    const std::vector<std::uint32_t> palette = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF};
    const Picture picture = LoadPicture(file("rle.bmp", testdata::bmpFile(4, 2, 1, palette, rle)));
    ASSERT_EQ(picture.width(), 4);
    ASSERT_EQ(picture.height(), 2);
    const Image& image = picture.fullImage();
    const std::uint32_t top[] = {0x0000FF, 0x102030, 0x00FF00, 0xFF0000};
    const std::uint32_t bottom[] = {0xFF0000, 0xFF0000, 0xFF0000, 0x00FF00};
    for (int x = 0; x < 4; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(image.pixel(x, 0), 0xFF000000u | top[x]);
        EXPECT_EQ(image.pixel(x, 1), 0xFF000000u | bottom[x]);
    }
}

TEST_F(PictureFiles, IconWithSeveralSizesGivesTheLargest) {
    const std::string ico =
        testdata::iconFile(1, {{16, 16, 0xFFFF0000}, {48, 48, 0xFF00FF00}, {32, 32, 0x800000FF}});
    const Picture picture = LoadPicture(file("several.ico", ico));
    ASSERT_EQ(picture.width(), 48);
    ASSERT_EQ(picture.height(), 48);
    EXPECT_EQ(picture.fullImage().pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(picture.fullImage().pixel(47, 47), 0xFF00FF00u);
}

TEST_F(PictureFiles, IconPixelsAreNotPremultiplied) {
    const Picture picture =
        LoadPicture(file("half.ico", testdata::iconFile(1, {{8, 8, 0x800000FF}})));
    EXPECT_EQ(picture.fullImage().pixel(3, 3), 0x800000FFu);
}

TEST_F(PictureFiles, CursorLoads) {
    const Picture picture =
        LoadPicture(file("arrow.cur", testdata::iconFile(2, {{32, 32, 0xFFFFFF00}})));
    ASSERT_EQ(picture.width(), 32);
    ASSERT_EQ(picture.height(), 32);
    EXPECT_EQ(picture.fullImage().pixel(10, 20), 0xFFFFFF00u);
}

TEST_F(PictureFiles, GifFileLoads) {
    const gif_bytes::GifImage frame = gif_bytes::gifImage(3, 2, {0, 1, 0, 1, 0, 1});
    const Picture picture =
        LoadPicture(file("a.gif", gif_bytes::gifFile(3, 2, {0x000000, 0xFFFFFF}, {frame})));
    ASSERT_EQ(picture.width(), 3);
    EXPECT_EQ(picture.fullImage().pixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(picture.fullImage().pixel(1, 1), 0xFF000000u);
}

TEST_F(PictureFiles, BytesInMemoryLoadLikeFiles) {
    const std::string jpeg = encode(halves(20, 10, 0xFFFF0000, 0xFF0000FF), "jpeg");
    const Picture picture = loadPictureFromBytes(jpeg);
    EXPECT_EQ(picture.width(), 20);
    EXPECT_TRUE(near(picture.fullImage().pixel(1, 1), 0xFFFF0000));
    EXPECT_THROW(loadPictureFromBytes(""), Error);
}

TEST_F(PictureFiles, PngIsOnlyForTheProgramsOwnPictures) {
    QImage translucent(6, 4, QImage::Format_ARGB32);
    translucent.fill(0xFFFF0000);
    translucent.setPixel(5, 3, 0x400000FF);
    const std::string png = encode(translucent, "png");
    const Picture picture = loadPictureFromBytes(png);
    EXPECT_EQ(picture.fullImage().pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(picture.fullImage().pixel(5, 3), 0x400000FFu);
    EXPECT_EQ(loadError(file("a.png", png)), ErrorNumber::InvalidPicture);
}

TEST_F(PictureFiles, FailuresCarryTheirErrorNumbers) {
    const std::string jpeg = encode(halves(64, 64, 0xFFFF0000, 0xFF0000FF), "jpeg");
    const std::vector<std::uint32_t> palette(4, 0x808080);
    const std::string plainRows(16, '\x01');  // 4 x 4, 8 bits, rows of 4 bytes
    fs::create_directory(dir() / "folder.gif");
    const struct {
        const char* name;
        std::string path;
        int error;
    } cases[] = {
        {"missing file", (dir() / "missing.gif").string(), ErrorNumber::FileNotFound},
        {"missing folder", (dir() / "no" / "such.jpg").string(), ErrorNumber::FileNotFound},
        {"empty path", "", ErrorNumber::FileNotFound},
        {"a folder", (dir() / "folder.gif").string(), ErrorNumber::InvalidPicture},
        {"empty file", file("empty.gif", ""), ErrorNumber::InvalidPicture},
        {"text named .gif", file("notes.gif", "These are not pixels.\n"),
         ErrorNumber::InvalidPicture},
        {"truncated JPEG", file("cut.jpg", jpeg.substr(0, jpeg.size() * 2 / 3)),
         ErrorNumber::InvalidPicture},
        {"JPEG without its end marker", file("noeoi.jpg", jpeg.substr(0, jpeg.size() - 2)),
         ErrorNumber::InvalidPicture},
        {"JPEG header only", file("head.jpg", jpeg.substr(0, 200)), ErrorNumber::InvalidPicture},
        {"JPEG claiming 65000 x 65000", file("huge.jpg", withJpegSize(jpeg, 65000, 65000)),
         ErrorNumber::OutOfMemory},
        {"bitmap claiming 30000 x 30000",
         file("huge.bmp", testdata::bmpFile(30000, 30000, 0, palette, plainRows)),
         ErrorNumber::OutOfMemory},
        {"bitmap claiming 17000 x 17000 over 16 bytes",
         file("large.bmp", testdata::bmpFile(17000, 17000, 0, palette, plainRows)),
         ErrorNumber::InvalidPicture},
        {"bitmap claiming 0 x 4", file("zero.bmp", testdata::bmpFile(0, 4, 0, palette, "")),
         ErrorNumber::InvalidPicture},
        {"bitmap with half its rows",
         file("cut.bmp", testdata::bmpFile(4, 4, 0, palette, plainRows.substr(0, 8))),
         ErrorNumber::InvalidPicture},
        {"icon cut short",
         file("cut.ico", testdata::iconFile(1, {{32, 32, 0xFF00FF00}}).substr(0, 300)),
         ErrorNumber::InvalidPicture},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(loadError(c.path), c.error);
    }
}

TEST_F(PictureFiles, ErrorsCarryTheStandardDescriptions) {
    try {
        LoadPicture((dir() / "gone.jpg").string());
        FAIL() << "a missing file loaded";
    } catch (const Error& error) {
        EXPECT_EQ(error.description(), "File not found");
    }
    try {
        LoadPicture(file("text.jpg", "hello"));
        FAIL() << "a text file loaded";
    } catch (const Error& error) {
        EXPECT_EQ(error.description(), "Invalid picture");
    }
}

}  // namespace
}  // namespace plivora
