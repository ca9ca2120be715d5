#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QTransform>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "picture/picture_loader.h"
#include "picture_test_data.h"
#include "support/temp_folder.h"
#include "win/error.h"

namespace plivora {
namespace {

namespace fs = std::filesystem;

std::string jpegOf(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    EXPECT_TRUE(writer.write(image));
    return data.toStdString();
}

// Red on the left half, blue on the right: a reduced decode keeps the halves where they were.
std::string halvesJpeg(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(0xFFFF0000);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = width / 2; x < width; ++x) {
            row[x] = 0xFF0000FF;
        }
    }
    return jpegOf(image);
}

bool isRed(std::uint32_t argb) {
    return ((argb >> 16) & 0xFF) > 200 && (argb & 0xFF) < 60 && (argb >> 24) == 0xFF;
}

bool isBlue(std::uint32_t argb) {
    return (argb & 0xFF) > 200 && ((argb >> 16) & 0xFF) < 60 && (argb >> 24) == 0xFF;
}

bool nearColour(std::uint32_t argb, std::uint32_t expected) {
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(int((argb >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > 24) {
            return false;
        }
    }
    return true;
}

class ReducedPictures : public testing::Test {
protected:
    std::string file(const std::string& name, const std::string& bytes) {
        testdata::writeFile(m_dir / name, bytes);
        return (m_dir / name).string();
    }

private:
    TempFolder m_folder;
    const fs::path m_dir{m_folder.path()};
};

TEST_F(ReducedPictures, LargeJpegKeepsItsNaturalSizeAndDecodesSmallAtLoad) {
    const std::string path = file("big.jpg", halvesJpeg(2400, 1600));
    const Picture picture = LoadPicture(path);
    EXPECT_EQ(picture.width(), 2400);
    EXPECT_EQ(picture.height(), 1600);

    // The main window's display area: 1/8 scale, the halves in place.
    const Image& small = picture.imageForSize(161, 145);
    EXPECT_EQ(small.width, 300);
    EXPECT_EQ(small.height, 200);
    EXPECT_TRUE(isRed(small.pixel(10, 100)));
    EXPECT_TRUE(isBlue(small.pixel(290, 100)));
    EXPECT_EQ(&picture.imageForSize(60, 60), &small);
    EXPECT_EQ(&picture.imageForSize(300, 200), &small);

    // Anything larger than the reduced pixels takes the full decode.
    const Image& full = picture.imageForSize(301, 10);
    EXPECT_EQ(&full, &picture.fullImage());
    ASSERT_EQ(full.width, 2400);
    ASSERT_EQ(full.height, 1600);
    EXPECT_TRUE(isRed(full.pixel(5, 5)));
    EXPECT_TRUE(isBlue(full.pixel(2395, 1595)));
    EXPECT_EQ(&picture.imageForSize(161, 145), &small);  // the reduced pixels stay in use
}

TEST_F(ReducedPictures, ScaleIsTheSmallestThatKeepsTheLongerSideAt256) {
    const struct {
        int width, height;
        int reducedWidth, reducedHeight;  // what imageForSize(1, 1) gives
    } cases[] = {
        {511, 300, 511, 300},    // halving would go under 256: decoded whole
        {512, 100, 256, 50},     // 1/2
        {300, 1100, 75, 275},    // 1/4, a tall one
        {2401, 1601, 301, 201},  // 1/8, sides not multiples of 8 round up, as libjpeg does
        {1024, 513, 256, 129},   // 1/4: 128.25 rounds up
        {9000, 200, 1125, 25},   // never more than 1/8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        const std::string path = file("s.jpg", halvesJpeg(c.width, c.height));
        const Picture picture = LoadPicture(path);
        EXPECT_EQ(picture.width(), c.width);
        EXPECT_EQ(picture.height(), c.height);
        const Image& reduced = picture.imageForSize(1, 1);
        EXPECT_EQ(reduced.width, c.reducedWidth);
        EXPECT_EQ(reduced.height, c.reducedHeight);
        EXPECT_EQ(picture.fullImage().width, c.width);
        EXPECT_EQ(picture.fullImage().height, c.height);
    }
}

TEST_F(ReducedPictures, TruncatedLargeJpegFailsAtLoad) {
    const std::string jpeg = halvesJpeg(2400, 1600);
    EXPECT_THROW(
        {
            try {
                LoadPicture(file("cut.jpg", jpeg.substr(0, jpeg.size() / 2)));
            } catch (const Error& error) {
                EXPECT_EQ(error.number(), ErrorNumber::InvalidPicture);
                throw;
            }
        },
        Error);
}

TEST_F(ReducedPictures, FullPixelsStandInWhenTheFileIsGoneOrSpoilt) {
    for (const bool remove : {true, false}) {
        SCOPED_TRACE(remove ? "removed" : "replaced by text");
        const std::string path = file("gone.jpg", halvesJpeg(2400, 1600));
        const Picture picture = LoadPicture(path);
        if (remove) {
            fs::remove(path);
        } else {
            file("gone.jpg", "no longer a picture");
        }
        const Image& full = picture.fullImage();
        ASSERT_EQ(full.width, 2400);
        ASSERT_EQ(full.height, 1600);
        EXPECT_TRUE(isRed(full.pixel(100, 800)));
        EXPECT_TRUE(isBlue(full.pixel(2300, 800)));
    }
}

TEST_F(ReducedPictures, BytesInMemoryDecodeTheirFullPixelsLater) {
    std::string jpeg = halvesJpeg(1024, 512);
    const Picture picture = loadPictureFromBytes(jpeg);
    jpeg.assign(jpeg.size(), '\0');  // the picture holds its own copy
    EXPECT_EQ(picture.imageForSize(100, 50).width, 256);
    EXPECT_EQ(picture.fullImage().width, 1024);
    EXPECT_TRUE(isBlue(picture.fullImage().pixel(1000, 500)));
}

TEST_F(ReducedPictures, CopiesShareTheDecodedPixels) {
    const Picture picture = LoadPicture(file("c.jpg", halvesJpeg(1024, 512)));
    const Picture copy = picture;
    EXPECT_TRUE(copy == picture);
    EXPECT_EQ(&copy.fullImage(), &picture.fullImage());
    EXPECT_FALSE(LoadPicture(file("d.jpg", halvesJpeg(1024, 512))) == picture);
}

// A camera that stored its picture turned or mirrored names the turn in the EXIF orientation:
// each of the eight, stored accordingly, loads as the same upright picture, at its reduced scale
// and in full.
TEST_F(ReducedPictures, ExifOrientationShowsEveryPictureUpright) {
    // Upright: 1200 x 800, red, green, blue and white quarters, so any turn or mirror shows.
    QImage upright(1200, 800, QImage::Format_RGB32);
    const QRgb quarters[2][2] = {{0xFFFF0000, 0xFF00FF00}, {0xFF0000FF, 0xFFFFFFFF}};
    for (int y = 0; y < 800; ++y) {
        for (int x = 0; x < 1200; ++x) {
            upright.setPixel(x, y, quarters[y / 400][x / 600]);
        }
    }
    const QTransform quarterAnticlockwise = QTransform().rotate(-90);
    const QImage stored[] = {
        upright,
        upright.mirrored(true, false),
        upright.mirrored(true, true),
        upright.mirrored(false, true),
        upright.mirrored(true, false).transformed(quarterAnticlockwise),
        upright.transformed(quarterAnticlockwise),
        upright.mirrored(false, true).transformed(quarterAnticlockwise),
        upright.transformed(QTransform().rotate(90)),
    };
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(testing::Message() << "orientation " << orientation);
        const std::string path =
            file("o.jpg", testdata::withExifOrientation(jpegOf(stored[orientation - 1]),
                                                        orientation, orientation % 2 == 1));
        const Picture picture = LoadPicture(path);
        EXPECT_EQ(picture.width(), 1200);
        EXPECT_EQ(picture.height(), 800);
        const Image& reduced = picture.imageForSize(1, 1);
        const Image& full = picture.fullImage();
        for (const Image* image : {&reduced, &full}) {
            ASSERT_EQ(image->width, image == &full ? 1200 : 300);
            ASSERT_EQ(image->height, image == &full ? 800 : 200);
            for (int qy = 0; qy < 2; ++qy) {
                for (int qx = 0; qx < 2; ++qx) {
                    const std::uint32_t argb = image->pixel((2 * qx + 1) * image->width / 4,
                                                            (2 * qy + 1) * image->height / 4);
                    EXPECT_TRUE(nearColour(argb, quarters[qy][qx]))
                        << std::hex << argb << " in quarter " << qx << ", " << qy;
                }
            }
        }
    }
}

TEST(PictureInMemory, ServesItsOneImageForEverySize) {
    Image image(3, 2, 0xFF112233u);
    image.setPixel(2, 1, 0x00445566u);
    const Picture picture(image);
    EXPECT_FALSE(picture.isNull());
    EXPECT_EQ(picture.width(), 3);
    EXPECT_EQ(picture.height(), 2);
    EXPECT_EQ(picture.fullImage().pixel(2, 1), 0x00445566u);
    EXPECT_EQ(&picture.imageForSize(1000, 1000), &picture.fullImage());
    EXPECT_EQ(&picture.imageForSize(1, 1), &picture.fullImage());
}

TEST(PictureInMemory, NullPictureHasNoSizeAndNoPixels) {
    const Picture picture;
    EXPECT_TRUE(picture.isNull());
    EXPECT_EQ(picture.width(), 0);
    EXPECT_EQ(picture.height(), 0);
    EXPECT_TRUE(picture.fullImage().isNull());
    EXPECT_TRUE(picture.imageForSize(10, 10).isNull());
}

// 16500 x 16500 grey pixels: 272 megapixels. Mostly one grey, which keeps the file small, with a
// black line one pixel wide that only a full decode keeps dark.
TEST_F(ReducedPictures, GreyJpegOfOver250MegapixelsOpensAndDecodesInFull) {
    constexpr int kSide = 16500;
    constexpr int kLineX = 8003;
    std::string jpeg;
    {
        QImage grey(kSide, kSide, QImage::Format_Grayscale8);
        ASSERT_FALSE(grey.isNull());
        grey.fill(128);
        for (int y = 0; y < kSide; ++y) {
            grey.scanLine(y)[kLineX] = 0;
        }
        jpeg = jpegOf(grey);
    }
    const Picture picture = LoadPicture(file("huge.jpg", jpeg));
    ASSERT_EQ(picture.width(), kSide);
    ASSERT_EQ(picture.height(), kSide);
    EXPECT_EQ(picture.imageForSize(161, 145).width, (kSide + 7) / 8);
    const Image& full = picture.fullImage();
    ASSERT_EQ(full.width, kSide);
    ASSERT_EQ(full.height, kSide);
    for (const int y : {0, kSide / 2, kSide - 1}) {
        SCOPED_TRACE(y);
        EXPECT_LT(full.pixel(kLineX, y) & 0xFF, 64u);
        EXPECT_GT(full.pixel(kLineX + 6, y) & 0xFF, 112u);
        EXPECT_EQ(full.pixel(kLineX, y) >> 24, 0xFFu);
    }
}

}  // namespace
}  // namespace plivora
