#include "win/gdi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plivora {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kKey = RGB(10, 20, 30);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A colour bitmap from rows of colours.
HBITMAP makeColourBitmap(GdiContext& gdi, const std::vector<std::vector<COLORREF>>& rows) {
    Image image(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            image.setPixel(x, y, pixelFromColorref(rows[y][x]));
        }
    }
    return gdi.createBitmapFromImage(image);
}

// The colours of a colour bitmap, row by row.
std::vector<std::vector<COLORREF>> colours(const GdiContext& gdi, HBITMAP bitmap) {
    Image image = gdi.bitmapPixels(bitmap);
    std::vector<std::vector<COLORREF>> rows(image.height, std::vector<COLORREF>(image.width));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            EXPECT_EQ(image.pixel(x, y) >> 24, 0xFFu) << "alpha at " << x << "," << y;
            rows[y][x] = colorrefFromPixel(image.pixel(x, y));
        }
    }
    return rows;
}

// The bits of a monochrome bitmap as text rows of '0' and '1'.
std::vector<std::string> bits(const GdiContext& gdi, HBITMAP bitmap) {
    BitmapInfo info = *gdi.bitmapInfo(bitmap);
    std::vector<std::string> rows;
    for (int y = 0; y < info.height; ++y) {
        std::string row;
        for (int x = 0; x < info.width; ++x) {
            row += static_cast<char>('0' + gdi.monochromeBit(bitmap, x, y));
        }
        rows.push_back(row);
    }
    return rows;
}

// A memory DC with a bitmap selected into it.
HDC dcWith(GdiContext& gdi, HBITMAP bitmap) {
    HDC dc = gdi.CreateCompatibleDC({});
    EXPECT_TRUE(gdi.SelectObject(dc, bitmap));
    return dc;
}

TEST(GdiColours, ColorrefAndPixelConvertWithOpaqueAlpha) {
    EXPECT_EQ(RGB(1, 2, 3), 0x030201u);
    EXPECT_EQ(pixelFromColorref(RGB(1, 2, 3)), 0xFF010203u);
    EXPECT_EQ(colorrefFromPixel(0x00010203u), RGB(1, 2, 3));
    EXPECT_EQ(GetRValue(kKey), 10);
    EXPECT_EQ(GetGValue(kKey), 20);
    EXPECT_EQ(GetBValue(kKey), 30);
}

TEST(GdiColours, SystemColoursComeFromTheTableTheHostFills) {
    GdiContext gdi;
    EXPECT_EQ(gdi.GetSysColor(COLOR_BTNFACE), 0xC0C0C0u);
    gdi.systemColors().setColor(COLOR_BTNFACE, RGB(240, 240, 240));
    EXPECT_EQ(gdi.GetSysColor(COLOR_BTNFACE), RGB(240, 240, 240));
    EXPECT_EQ(gdi.GetSysColor(-1), 0u);
    EXPECT_EQ(gdi.GetSysColor(SystemColors::kCount), 0u);
    GdiContext other;
    EXPECT_EQ(other.GetSysColor(COLOR_BTNFACE), 0xC0C0C0u) << "tables are per context";
}

TEST(GdiColours, BackgroundAndTextColourSettersReturnThePreviousColour) {
    GdiContext gdi;
    HDC dc = gdi.CreateCompatibleDC({});
    EXPECT_EQ(gdi.SetBkColor(dc, kKey), kWhite);
    EXPECT_EQ(gdi.SetBkColor(dc, kRed), kKey);
    EXPECT_EQ(gdi.GetBkColor(dc), kRed);
    EXPECT_EQ(gdi.SetTextColor(dc, kBlue), kBlack);
    EXPECT_EQ(gdi.GetTextColor(dc), kBlue);
    EXPECT_EQ(gdi.SetBkColor(HDC{}, kRed), CLR_INVALID);
    EXPECT_EQ(gdi.SetTextColor(HDC{0xDEAD}, kRed), CLR_INVALID);
}

TEST(GdiColours, NearestColourIsExactOnColourDevicesAndBlackOrWhiteOnMonochrome) {
    GdiContext gdi;
    HDC screen = gdi.GetDC({});
    EXPECT_EQ(gdi.GetNearestColor(screen, kKey), kKey);
    HDC memory = gdi.CreateCompatibleDC(screen);  // holds the monochrome stock bitmap
    EXPECT_EQ(gdi.GetNearestColor(memory, RGB(200, 200, 200)), kWhite);
    EXPECT_EQ(gdi.GetNearestColor(memory, RGB(100, 100, 100)), kBlack);
    gdi.SelectObject(memory, gdi.CreateCompatibleBitmap(screen, 2, 2));
    EXPECT_EQ(gdi.GetNearestColor(memory, kKey), kKey);
}

TEST(GdiBitmaps, CompatibleBitmapTakesTheFormatOfTheDcItIsMadeFor) {
    GdiContext gdi;
    SurfaceId surface = gdi.createSurface(4, 4, kWhite);
    HDC window = gdi.GetDC(surface);
    HDC fresh = gdi.CreateCompatibleDC(window);

    EXPECT_EQ(gdi.bitmapInfo(gdi.selectedBitmap(fresh))->bitsPerPixel, 1)
        << "a new memory DC holds a 1x1 monochrome bitmap";
    EXPECT_EQ(gdi.bitmapInfo(gdi.selectedBitmap(fresh))->width, 1);

    HBITMAP fromWindow = gdi.CreateCompatibleBitmap(window, 5, 3);
    HBITMAP fromFresh = gdi.CreateCompatibleBitmap(fresh, 5, 3);
    EXPECT_EQ(gdi.bitmapInfo(fromWindow)->bitsPerPixel, 32);
    EXPECT_EQ(gdi.bitmapInfo(fromFresh)->bitsPerPixel, 1);

    gdi.SelectObject(fresh, fromWindow);
    HBITMAP fromColourMemory = gdi.CreateCompatibleBitmap(fresh, 2, 2);
    EXPECT_EQ(gdi.bitmapInfo(fromColourMemory)->bitsPerPixel, 32);
    EXPECT_EQ(colours(gdi, fromColourMemory),
              (std::vector<std::vector<COLORREF>>{{kBlack, kBlack}, {kBlack, kBlack}}));

    HBITMAP empty = gdi.CreateCompatibleBitmap(window, 0, 7);
    EXPECT_EQ(gdi.bitmapInfo(empty)->bitsPerPixel, 1);
    EXPECT_EQ(gdi.bitmapInfo(empty)->width, 1);
    EXPECT_FALSE(gdi.CreateCompatibleBitmap(window, -1, 7));
    EXPECT_FALSE(gdi.CreateCompatibleBitmap(window, 1 << 15, 1 << 15)) << "beyond the size cap";
    EXPECT_FALSE(gdi.CreateCompatibleBitmap(HDC{}, 2, 2));
}

TEST(GdiBitmaps, CreateBitmapReadsWordPaddedMonochromeRowsAndColourPixels) {
    GdiContext gdi;
    // Two rows of 10 pixels, each padded to two 16-bit words' worth: 1011000011 and 0100000001.
    const unsigned char monochrome[] = {0xB0, 0xC0, 0x40, 0x40};
    HBITMAP mask = gdi.CreateBitmap(10, 2, 1, 1, monochrome);
    EXPECT_EQ(bits(gdi, mask), (std::vector<std::string>{"1011000011", "0100000001"}));

    HBITMAP blank = gdi.CreateBitmap(3, 1, 1, 1, nullptr);
    EXPECT_EQ(bits(gdi, blank), (std::vector<std::string>{"000"}));

    // Little-endian 0x00RRGGBB: the bytes are blue, green, red, unused.
    const unsigned char colour[] = {30, 20, 10, 0, 0, 0, 255, 0};
    HBITMAP pixels = gdi.CreateBitmap(2, 1, 1, 32, colour);
    EXPECT_EQ(colours(gdi, pixels), (std::vector<std::vector<COLORREF>>{{kKey, kRed}}));

    EXPECT_FALSE(gdi.CreateBitmap(2, 2, 1, 8, nullptr));
    EXPECT_FALSE(gdi.CreateBitmap(2, 2, 2, 1, nullptr));
}

TEST(GdiObjects, SelectObjectReturnsThePreviousObjectAndABitmapLivesInOneDc) {
    GdiContext gdi;
    HDC first = gdi.CreateCompatibleDC({});
    HDC second = gdi.CreateCompatibleDC({});
    HBITMAP stock = gdi.selectedBitmap(first);
    EXPECT_EQ(gdi.selectedBitmap(second), stock) << "the stock bitmap is shared";

    HBITMAP bitmap = gdi.CreateCompatibleBitmap(gdi.GetDC({}), 2, 2);
    EXPECT_EQ(gdi.SelectObject(first, bitmap), stock);
    EXPECT_FALSE(gdi.SelectObject(second, bitmap)) << "already selected into another DC";
    EXPECT_FALSE(gdi.DeleteObject(bitmap)) << "selected objects are not deleted";
    EXPECT_EQ(gdi.SelectObject(first, stock), bitmap);
    EXPECT_TRUE(gdi.SelectObject(second, bitmap));
    EXPECT_TRUE(gdi.DeleteDC(second));
    EXPECT_TRUE(gdi.DeleteObject(bitmap)) << "DeleteDC released it";
    EXPECT_FALSE(gdi.DeleteObject(bitmap)) << "already gone";
    EXPECT_FALSE(gdi.SelectObject(first, bitmap));

    HBRUSH brush = gdi.CreateSolidBrush(kRed);
    HBRUSH stockBrush = gdi.SelectObject(first, brush);
    EXPECT_TRUE(stockBrush);
    EXPECT_FALSE(gdi.DeleteObject(brush));
    EXPECT_EQ(gdi.SelectObject(first, stockBrush), brush);
    EXPECT_TRUE(gdi.DeleteObject(brush));
    EXPECT_TRUE(gdi.DeleteObject(stockBrush)) << "stock objects survive deletion";
    EXPECT_TRUE(gdi.SelectObject(first, stockBrush));
}

TEST(GdiObjects, WindowDcsDrawOnTheirSurfaceAndTakeNoBitmap) {
    GdiContext gdi;
    SurfaceId surface = gdi.createSurface(3, 2, kBlue);
    HDC window = gdi.GetDC(surface);
    HBITMAP loose = gdi.CreateCompatibleBitmap(window, 1, 1);
    EXPECT_FALSE(gdi.SelectObject(window, loose));
    EXPECT_TRUE(gdi.DeleteObject(loose));
    EXPECT_FALSE(gdi.DeleteObject(gdi.selectedBitmap(window))) << "the surface owns its bitmap";
    EXPECT_FALSE(gdi.DeleteDC(window)) << "a DC from GetDC is released, not deleted";

    std::uint64_t before = gdi.changeCount(gdi.selectedBitmap(window));
    HBRUSH brush = gdi.CreateSolidBrush(kRed);
    gdi.FillRect(window, RECT{1, 0, 9, 1}, brush);
    EXPECT_GT(gdi.changeCount(gdi.selectedBitmap(window)), before);
    const Image& pixels = gdi.surfaceImage(surface);
    EXPECT_EQ(pixels.pixel(0, 0), pixelFromColorref(kBlue));
    EXPECT_EQ(pixels.pixel(1, 0), pixelFromColorref(kRed));
    EXPECT_EQ(pixels.pixel(2, 0), pixelFromColorref(kRed));
    EXPECT_EQ(pixels.pixel(2, 1), pixelFromColorref(kBlue));

    EXPECT_TRUE(gdi.resizeSurface(surface, 4, 1, kGreen));
    EXPECT_EQ(gdi.surfaceImage(surface).width, 4);
    EXPECT_EQ(gdi.surfaceImage(surface).pixel(2, 0), pixelFromColorref(kRed));
    EXPECT_EQ(gdi.surfaceImage(surface).pixel(3, 0), pixelFromColorref(kGreen));

    EXPECT_EQ(gdi.ReleaseDC(SurfaceId{}, window), 0) << "released with the wrong surface";
    EXPECT_EQ(gdi.ReleaseDC(surface, window), 1);
    EXPECT_EQ(gdi.ReleaseDC(surface, window), 0);
    EXPECT_TRUE(gdi.DeleteObject(brush));
    gdi.destroySurface(surface);
    EXPECT_EQ(gdi.objectCounts(), GdiObjectCounts{});
}

TEST(GdiFill, FillRectIsClippedAndMonochromeTakesTheNearerOfBlackAndWhite) {
    GdiContext gdi;
    HBITMAP colour = makeColourBitmap(gdi, {{kBlue, kBlue, kBlue}, {kBlue, kBlue, kBlue}});
    HDC dc = dcWith(gdi, colour);
    HBRUSH red = gdi.CreateSolidBrush(kRed);
    EXPECT_NE(gdi.FillRect(dc, RECT{-5, 1, 2, 10}, red), 0);
    EXPECT_EQ(colours(gdi, colour),
              (std::vector<std::vector<COLORREF>>{{kBlue, kBlue, kBlue}, {kRed, kRed, kBlue}}));
    gdi.FillRect(dc, RECT{2, 0, 1, 2}, red);  // empty: right before left
    EXPECT_EQ(colours(gdi, colour)[0][1], kBlue);

    HBITMAP mono = gdi.CreateBitmap(3, 1, 1, 1, nullptr);
    HDC monoDc = dcWith(gdi, mono);
    HBRUSH light = gdi.CreateSolidBrush(RGB(128, 128, 128));
    HBRUSH dark = gdi.CreateSolidBrush(RGB(127, 128, 128));
    gdi.FillRect(monoDc, RECT{0, 0, 2, 1}, light);
    EXPECT_EQ(bits(gdi, mono), (std::vector<std::string>{"110"}));
    gdi.FillRect(monoDc, RECT{0, 0, 1, 1}, dark);
    EXPECT_EQ(bits(gdi, mono), (std::vector<std::string>{"010"}));
}

TEST(GdiBitBlt, ColourToMonochromeMarksTheSourceBackgroundColour) {
    GdiContext gdi;
    HBITMAP frame = makeColourBitmap(gdi, {{kKey, kRed, kKey}, {kBlack, kKey, kWhite}});
    HBITMAP mask = gdi.CreateBitmap(3, 2, 1, 1, nullptr);
    HDC source = dcWith(gdi, frame);
    HDC destination = dcWith(gdi, mask);
    gdi.SetBkColor(source, kKey);
    gdi.SetBkColor(destination, kRed);  // the destination's colours play no part
    gdi.SetTextColor(destination, kKey);

    ASSERT_TRUE(gdi.BitBlt(destination, 0, 0, 3, 2, source, 0, 0, SRCCOPY));
    EXPECT_EQ(bits(gdi, mask), (std::vector<std::string>{"101", "010"}));

    gdi.SetBkColor(source, kWhite);
    gdi.BitBlt(destination, 0, 0, 3, 2, source, 0, 0, SRCCOPY);
    EXPECT_EQ(bits(gdi, mask), (std::vector<std::string>{"000", "001"}));
}

TEST(GdiBitBlt, MonochromeToColourTakesTheDestinationTextAndBackgroundColours) {
    GdiContext gdi;
    const unsigned char pattern[] = {0xA0, 0x00, 0x40, 0x00};  // rows 101 and 010
    HBITMAP mask = gdi.CreateBitmap(3, 2, 1, 1, pattern);
    HBITMAP canvas = makeColourBitmap(gdi, {{kBlue, kBlue, kBlue}, {kBlue, kBlue, kBlue}});
    HDC source = dcWith(gdi, mask);
    HDC destination = dcWith(gdi, canvas);
    gdi.SetBkColor(source, kRed);  // the source's colours play no part
    gdi.SetTextColor(source, kRed);
    gdi.SetTextColor(destination, kKey);
    gdi.SetBkColor(destination, kGreen);

    gdi.BitBlt(destination, 0, 0, 3, 2, source, 0, 0, SRCCOPY);
    EXPECT_EQ(colours(gdi, canvas),
              (std::vector<std::vector<COLORREF>>{{kGreen, kKey, kGreen}, {kKey, kGreen, kKey}}));
}

TEST(GdiBitBlt, RasterOperationsFollowTheirTruthTables) {
    struct Case {
        const char* name;
        std::uint32_t rop;
        COLORREF expected;         // for source 0x00F0CC and destination 0x0F0FAA
        std::string expectedBits;  // for source 0011 onto destination 0101
    };
    const Case cases[] = {
        {"SRCCOPY", SRCCOPY, 0x00F0CC, "0011"},
        {"SRCAND", SRCAND, 0x000088, "0001"},
        {"SRCINVERT", SRCINVERT, 0x0FFF66, "0110"},
        {"SRCPAINT", SRCPAINT, 0x0FFFEE, "0111"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GdiContext gdi;
        HDC source = dcWith(gdi, makeColourBitmap(gdi, {{0x00F0CC}}));
        HBITMAP canvas = makeColourBitmap(gdi, {{0x0F0FAA}});
        HDC destination = dcWith(gdi, canvas);
        ASSERT_TRUE(gdi.BitBlt(destination, 0, 0, 1, 1, source, 0, 0, c.rop));
        EXPECT_EQ(colours(gdi, canvas)[0][0], c.expected);

        const unsigned char sourceBits[] = {0x30, 0x00};
        const unsigned char destinationBits[] = {0x50, 0x00};
        HDC monoSource = dcWith(gdi, gdi.CreateBitmap(4, 1, 1, 1, sourceBits));
        HBITMAP monoCanvas = gdi.CreateBitmap(4, 1, 1, 1, destinationBits);
        HDC monoDestination = dcWith(gdi, monoCanvas);
        gdi.BitBlt(monoDestination, 0, 0, 4, 1, monoSource, 0, 0, c.rop);
        EXPECT_EQ(bits(gdi, monoCanvas)[0], c.expectedBits);
    }
    GdiContext gdi;
    HDC dc = gdi.CreateCompatibleDC({});
    EXPECT_FALSE(gdi.BitBlt(dc, 0, 0, 1, 1, dc, 0, 0, 0x00990066)) << "unsupported operation";
}

TEST(GdiBitBlt, MaskOnColourWithDefaultColoursKeepsOnlyThePixelsUnderOnes) {
    // SRCAND of a monochrome mask onto colour with a fresh DC's white background and black text:
    // 1 bits keep the pixel, 0 bits clear it.
    GdiContext gdi;
    const unsigned char pattern[] = {0x80, 0x00};  // 10
    HDC source = dcWith(gdi, gdi.CreateBitmap(2, 1, 1, 1, pattern));
    HBITMAP canvas = makeColourBitmap(gdi, {{kKey, kKey}});
    HDC destination = dcWith(gdi, canvas);
    gdi.BitBlt(destination, 0, 0, 2, 1, source, 0, 0, SRCAND);
    EXPECT_EQ(colours(gdi, canvas), (std::vector<std::vector<COLORREF>>{{kKey, kBlack}}));
}

TEST(GdiBitBlt, BlocksAreClippedToBothBitmaps) {
    GdiContext gdi;
    HBITMAP source = makeColourBitmap(gdi, {{kRed, kGreen}, {kBlue, kKey}});
    HDC sourceDc = dcWith(gdi, source);
    const COLORREF w = kWhite;

    struct Case {
        const char* name;
        int x, y, width, height, x1, y1;
        std::vector<std::vector<COLORREF>> expected;
    };
    const std::vector<Case> cases = {
        {"inside", 1, 1, 2, 2, 0, 0, {{w, w, w, w}, {w, kRed, kGreen, w}, {w, kBlue, kKey, w}}},
        {"past the right and bottom edges",
         3,
         2,
         5,
         5,
         0,
         0,
         {{w, w, w, w}, {w, w, w, w}, {w, w, w, kRed}}},
        {"before the left and top edges",
         -1,
         -1,
         3,
         3,
         0,
         0,
         {{kKey, w, w, w}, {w, w, w, w}, {w, w, w, w}}},
        {"source block partly outside the source",
         0,
         0,
         4,
         3,
         1,
         0,
         {{kGreen, w, w, w}, {kKey, w, w, w}, {w, w, w, w}}},
        {"source block before the source's origin",
         0,
         0,
         3,
         3,
         -1,
         -1,
         {{w, w, w, w}, {w, kRed, kGreen, w}, {w, kBlue, kKey, w}}},
        {"entirely outside", 4, 0, 2, 2, 0, 0, {{w, w, w, w}, {w, w, w, w}, {w, w, w, w}}},
        {"empty block", 0, 0, 0, 2, 0, 0, {{w, w, w, w}, {w, w, w, w}, {w, w, w, w}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HBITMAP canvas = makeColourBitmap(gdi, {{w, w, w, w}, {w, w, w, w}, {w, w, w, w}});
        HDC canvasDc = dcWith(gdi, canvas);
        EXPECT_TRUE(
            gdi.BitBlt(canvasDc, c.x, c.y, c.width, c.height, sourceDc, c.x1, c.y1, SRCCOPY));
        EXPECT_EQ(colours(gdi, canvas), c.expected);
    }
}

TEST(GdiBitBlt, ABlockMovedWithinOneBitmapIsReadBeforeItIsWritten) {
    GdiContext gdi;
    SurfaceId surface = gdi.createSurface(3, 1, kWhite);
    HDC window = gdi.GetDC(surface);
    HDC source = dcWith(gdi, makeColourBitmap(gdi, {{kRed, kGreen, kBlue}}));
    gdi.BitBlt(window, 0, 0, 3, 1, source, 0, 0, SRCCOPY);
    gdi.BitBlt(window, 1, 0, 2, 1, window, 0, 0, SRCCOPY);
    const Image& pixels = gdi.surfaceImage(surface);
    EXPECT_EQ(colorrefFromPixel(pixels.pixel(0, 0)), kRed);
    EXPECT_EQ(colorrefFromPixel(pixels.pixel(1, 0)), kRed);
    EXPECT_EQ(colorrefFromPixel(pixels.pixel(2, 0)), kGreen);
}

TEST(GdiBitBlt, TheScreenHasNoPixelsToDrawOnOrRead) {
    GdiContext gdi;
    HDC screen = gdi.GetDC({});
    HBITMAP canvas = makeColourBitmap(gdi, {{kRed}});
    HDC dc = dcWith(gdi, canvas);
    EXPECT_TRUE(gdi.BitBlt(screen, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
    EXPECT_TRUE(gdi.BitBlt(dc, 0, 0, 1, 1, screen, 0, 0, SRCCOPY));
    EXPECT_EQ(colours(gdi, canvas)[0][0], kRed);
    EXPECT_EQ(gdi.ReleaseDC({}, screen), 1);
}

TEST(GdiBitmaps, ImagesBecomeOpaqueColourBitmaps) {
    GdiContext gdi;
    Image image(2, 1);
    image.setPixel(0, 0, 0x000A141Eu);  // fully transparent (10, 20, 30)
    image.setPixel(1, 0, 0x80FF0000u);
    HBITMAP bitmap = gdi.createBitmapFromImage(image);
    EXPECT_EQ(gdi.bitmapPixels(bitmap).pixels,
              (std::vector<std::uint32_t>{0xFF0A141Eu, 0xFFFF0000u}));
    EXPECT_FALSE(gdi.createBitmapFromImage(Image{}));
    EXPECT_EQ(gdi.objectCounts().bitmaps, 1);
}

}  // namespace
}  // namespace plivora
