#include "picture/color_management.h"

#include <gtest/gtest.h>

// jpeglib.h uses FILE and size_t without including their headers.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <lcms2.h>

#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "picture/bitmap_decoder.h"
#include "picture/picture_input.h"
#include "picture/picture_loader.h"
#include "picture/thumbnail_cache.h"
#include "picture_test_data.h"
#include "support/bmp_file.h"
#include "support/files.h"
#include "support/gif_bytes.h"
#include "support/temp_folder.h"
#include "win/image.h"

namespace plivora {
namespace {

// The profile as a file holds it; the profile is closed.
std::string closedProfileBytes(cmsHPROFILE profile) {
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::string bytes(size, '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

// An RGB profile with sRGB's primaries and white but linear channels: a stored 128 means half the
// light, which sRGB writes as 188.
std::string linearProfile() {
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    cmsToneCurve* curves[3] = {linear, linear, linear};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(linear);
    return closedProfileBytes(profile);
}

// A CMYK print profile whose cyan ink prints red (a* +60) and whose black ink darkens (L* 90 to
// 50), so that it shows unlike plain arithmetic.
std::string redCyanCmykProfile() {
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1);
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsPipeline* lut = cmsPipelineAlloc(nullptr, 4, 3);
    cmsStage* table = cmsStageAllocCLut16bit(nullptr, 2, 4, 3, nullptr);
    cmsStageSampleCLut16bit(
        table,
        [](const cmsUInt16Number in[], cmsUInt16Number out[], void*) -> cmsInt32Number {
            const cmsCIELab lab = {90.0 - 40.0 * in[3] / 65535.0, 60.0 * in[0] / 65535.0, 0};
            cmsFloat2LabEncodedV2(out, &lab);
            return TRUE;
        },
        nullptr, 0);
    cmsPipelineInsertStage(lut, cmsAT_END, table);
    cmsWriteTag(profile, cmsSigAToB0Tag, lut);
    cmsPipelineFree(lut);
    return closedProfileBytes(profile);
}

// A JPEG of width x height whose pixels `fill` gives as `components` bytes (3: RGB, 4: CMYK
// stored inverted, as Adobe's writers store it), with `profile` in APP2 segments when given.
std::string jpeg(int width, int height, int components,
                 const std::function<void(int x, unsigned char* pixel)>& fill,
                 const std::string& profile = std::string()) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (components == 4) {
        jpeg_set_colorspace(&info, JCS_CMYK);  // with Adobe's segment
    }
    jpeg_set_quality(&info, 98, TRUE);
    jpeg_start_compress(&info, TRUE);
    if (!profile.empty()) {
        jpeg_write_icc_profile(&info, reinterpret_cast<const JOCTET*>(profile.data()),
                               static_cast<unsigned int>(profile.size()));
    }
    std::vector<unsigned char> row(static_cast<std::size_t>(width * components));
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x) {
            fill(x, row.data() + x * components);
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    std::free(out);
    return bytes;
}

std::string greyJpeg(int width, int height, unsigned char grey, const std::string& profile) {
    return jpeg(
        width, height, 3, [grey](int, unsigned char* p) { p[0] = p[1] = p[2] = grey; }, profile);
}

int green(std::uint32_t argb) {
    return static_cast<int>((argb >> 8) & 0xFF);
}

class ColorManagementTest : public testing::Test {
protected:
    void TearDown() override { setDisplayProfile(std::string()); }

    std::string file(const std::string& name, const std::string& bytes) {
        const std::string path = folder.path() + "/" + name;
        testdata::writeFile(path, bytes);
        return path;
    }

    // The green channel of the middle pixel of the picture's "normal" thumbnail entry.
    int entryGreen(const std::string& path) {
        const QImage entry(
            QString::fromStdString(cacheFolder.path() + "/normal/" +
                                   ThumbnailCache::entryName(ThumbnailCache::fileUri(path))));
        EXPECT_FALSE(entry.isNull());
        return qGreen(entry.pixel(entry.width() / 2, entry.height() / 2));
    }

    TempFolder folder;
    TempFolder cacheFolder;
};

// A grey of 128 under a linear profile is half the light: sRGB's 188 wherever the picture is
// shown or cached. The picture is large enough to be decoded reduced for the fitted display.
TEST_F(ColorManagementTest, EmbeddedJpegProfileGivesTheSameSrgbPixelsEverywhere) {
    const std::string path = file("linear.jpg", greyJpeg(1024, 768, 128, linearProfile()));
    const Picture loaded = LoadPicture(path);
    EXPECT_NEAR(green(loaded.imageForSize(160, 120).pixel(40, 30)), 188, 2) << "fitted display";
    EXPECT_NEAR(green(loaded.fullImage().pixel(500, 400)), 188, 2) << "real size";

    const ThumbnailCache cache(cacheFolder.path(), LoadPicture);
    const Picture decoded = cache.loadPicture(path, 60, 60);
    EXPECT_NEAR(green(decoded.imageForSize(60, 45).pixel(30, 20)), 188, 2) << "thumbnail";
    EXPECT_NEAR(entryGreen(path), 188, 2) << "cache entry";
    const Picture cached = cache.loadPicture(path, 60, 60);
    EXPECT_NEAR(green(cached.imageForSize(60, 45).pixel(30, 20)), 188, 2) << "from the entry";
}

// The same profile in a BMP's V5 header and in a GIF's ICC application extension.
TEST_F(ColorManagementTest, BitmapAndGifProfilesAreApplied) {
    const std::string profile = linearProfile();
    testdata::Dib dib;
    dib.headerSize = 124;
    dib.width = 2;
    dib.height = 1;
    dib.bits = 24;
    dib.data = std::string("\x80\x80\x80\x80\x80\x80\0\0", 8);
    std::string header = dib.headerBytes();
    // bV5CSType 'MBED'; bV5ProfileData counts from the info header, after the pixel rows here.
    header.replace(56, 4, "DEBM");
    std::string field;
    testdata::putU32(field, static_cast<std::uint32_t>(header.size() + dib.data.size()));
    testdata::putU32(field, static_cast<std::uint32_t>(profile.size()));
    header.replace(112, 8, field);
    std::string bmp = "BM";
    testdata::putU32(bmp, static_cast<std::uint32_t>(14 + header.size() + dib.data.size()));
    testdata::putU32(bmp, 0);
    testdata::putU32(bmp, static_cast<std::uint32_t>(14 + header.size()));
    bmp += header + dib.data + profile;
    EXPECT_NEAR(green(LoadPicture(file("v5.bmp", bmp)).fullImage().pixel(0, 0)), 188, 2);

    // GIF89a, 1 x 1, a two-entry global table (grey 128, black), the profile's extension, the
    // image.
    const std::string gif = gif_bytes::asString(gif_bytes::join(
        {gif_bytes::header(), gif_bytes::screen(1, 1, 0x80),
         gif_bytes::colorTable({0x808080, 0x000000}),
         gif_bytes::applicationExtension("ICCRGBG1012", gif_bytes::text(profile)),
         gif_bytes::descriptor(0, 0, 1, 1), gif_bytes::imageData(2, {0}), gif_bytes::kTrailer}));
    EXPECT_NEAR(green(LoadPicture(file("icc.gif", gif)).fullImage().pixel(0, 0)), 188, 2);
}

// An Adobe CMYK JPEG shows through its profile: its cyan ink is the profile's red, where plain
// arithmetic gives cyan.
TEST_F(ColorManagementTest, CmykJpegShowsThroughItsProfile) {
    const auto cyan = [](int, unsigned char* p) {
        p[0] = 0;                  // full cyan, stored inverted
        p[1] = p[2] = p[3] = 255;  // no magenta, yellow or black
    };
    const Image shown =
        LoadPicture(file("cmyk.jpg", jpeg(16, 16, 4, cyan, redCyanCmykProfile()))).fullImage();
    const std::uint32_t pixel = shown.pixel(8, 8);
    EXPECT_EQ(pixel >> 24, 0xFFu);
    EXPECT_GT(static_cast<int>((pixel >> 16) & 0xFF), green(pixel) + 40);

    const std::uint32_t plain =
        LoadPicture(file("plain.jpg", jpeg(16, 16, 4, cyan))).fullImage().pixel(8, 8);
    EXPECT_EQ(plain, 0xFF00FFFFu);
}

// A profile that does not parse is the file's own damage: the picture shows as stored, with no
// error.
TEST_F(ColorManagementTest, DamagedProfileLeavesThePixelsAsStored) {
    std::string damaged = linearProfile();
    damaged.replace(36, 4, "xxxx");  // the 'acsp' signature
    const Picture picture = LoadPicture(file("damaged.jpg", greyJpeg(64, 48, 128, damaged)));
    EXPECT_NEAR(green(picture.fullImage().pixel(32, 24)), 128, 2);
}

// An icon entry whose V5 header puts its profile where the AND mask would stand has no mask: the
// profile's bytes make no pixel transparent.
TEST_F(ColorManagementTest, IconEntryTakesNoMaskFromItsProfile) {
    testdata::Dib dib;
    dib.headerSize = 124;
    dib.width = 2;
    dib.height = 4;  // two colour rows and, in an icon, two mask rows
    dib.bits = 24;
    dib.data = std::string("\xFF\xFF\xFF\xFF\xFF\xFF\0\0\xFF\xFF\xFF\xFF\xFF\xFF\0\0", 16);
    std::string entry = dib.headerBytes();
    entry.replace(56, 4, "DEBM");
    std::string field;
    testdata::putU32(field, static_cast<std::uint32_t>(entry.size() + dib.data.size()));
    testdata::putU32(field, 8);
    entry.replace(112, 8, field);
    entry += dib.data + std::string(8, '\xFF');  // eight bytes of a profile, every bit set
    const std::string bytes = "x" + entry;
    const auto reader = PictureInput::fromBytes(bytes).open();
    const Image image = decodeIconBitmap(*reader, IconEntry{1, entry.size(), false});
    for (const std::uint32_t argb : image.pixels) {
        EXPECT_EQ(argb, 0xFFFFFFFFu);
    }
}

// With a display profile, a picture without one is sRGB turned into the display's colours, and
// the thumbnail cache still stores sRGB. Here the display is linear: sRGB's 188 shows as 128.
TEST_F(ColorManagementTest, DisplayProfileTakesSrgbPicturesAndCacheEntriesStaySrgb) {
    setDisplayProfile(linearProfile());
    ASSERT_TRUE(hasDisplayProfile());
    const std::string path = file("srgb.jpg", greyJpeg(64, 48, 188, std::string()));
    const ThumbnailCache cache(cacheFolder.path(), LoadPicture);
    EXPECT_NEAR(green(cache.loadPicture(path, 60, 60).fullImage().pixel(32, 24)), 128, 2);
    EXPECT_NEAR(entryGreen(path), 188, 2);
    EXPECT_NEAR(green(cache.loadPicture(path, 60, 60).imageForSize(60, 45).pixel(30, 20)), 128, 2)
        << "from the entry";

    setDisplayProfile("no profile");
    EXPECT_FALSE(hasDisplayProfile());
}

// A large GIF is decoded row by row at a reduced size at load, again at a larger size for a larger
// request, and whole for the real size or for the GIF control: each set of pixels is turned into
// the display's colours exactly once.
TEST_F(ColorManagementTest, EverySizeOfARowDecodedPictureIsTurnedOnce) {
    const std::string profile = linearProfile();
    const int side = 1024;
    std::string gif = gif_bytes::gifFile(
        side, side, {0x808080, 0x000000},
        {gif_bytes::gifImage(side, side, std::vector<std::uint8_t>(side * side, 0))});
    std::string extension("\x21\xFF\x0BICCRGBG1012", 14);
    for (std::size_t at = 0; at < profile.size(); at += 255) {
        const std::string block = profile.substr(at, 255);
        extension += static_cast<char>(block.size());
        extension += block;
    }
    extension += '\0';
    gif.insert(13 + 2 * 3, extension);  // after the header, the screen and the two-entry table
    const std::string path = file("large.gif", gif);

    const Picture loaded = LoadPicture(path);
    const Image& reduced = loaded.imageForSize(100, 100);
    ASSERT_EQ(reduced.width, 512);
    EXPECT_NEAR(green(reduced.pixel(10, 10)), 188, 2) << "reduced at load";
    const Image& larger = loaded.imageForSize(700, 700);
    ASSERT_EQ(larger.width, 700);
    EXPECT_NEAR(green(larger.pixel(10, 10)), 188, 2) << "decoded again, larger";
    const Image& full = loaded.fullImage();
    ASSERT_EQ(full.width, side);
    EXPECT_NEAR(green(full.pixel(10, 10)), 188, 2) << "full";
    EXPECT_NEAR(green(loadPictureAtNaturalSize(path).fullImage().pixel(10, 10)), 188, 2)
        << "whole at load";
}

}  // namespace
}  // namespace plivora
