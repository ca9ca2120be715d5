// BitBlt and FillRect against a pixel-by-pixel model of what they do, over blocks of many widths
// and positions: every pair of formats and every raster operation, clipping at each side of both
// bitmaps, and blocks moved within one bitmap in every direction.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "win/gdi.h"

namespace plivora {
namespace {

// A small deterministic generator, so that a failure names a case that can be run again.
class Lcg {
public:
    explicit Lcg(std::uint32_t seed) : m_state(seed) {}
    int below(int bound) {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<int>((m_state >> 8) % static_cast<std::uint32_t>(bound));
    }
    int between(int low, int high) { return low + below(high - low + 1); }

private:
    std::uint32_t m_state;
};

constexpr COLORREF kKey = RGB(10, 20, 30);
constexpr std::array<COLORREF, 5> kColours = {kKey, RGB(255, 0, 0), RGB(0, 200, 90),
                                              RGB(255, 255, 255), RGB(7, 0, 130)};

// A bitmap's contents as plain values: COLORREFs for colour, 0 or 1 for monochrome.
struct Contents {
    int width = 0;
    int height = 0;
    bool monochrome = false;
    std::vector<COLORREF> values;

    COLORREF& at(int x, int y) { return values[static_cast<std::size_t>(y * width + x)]; }
    COLORREF at(int x, int y) const { return values[static_cast<std::size_t>(y * width + x)]; }
};

Contents read(const GdiContext& gdi, HBITMAP bitmap) {
    const BitmapInfo info = *gdi.bitmapInfo(bitmap);
    Contents contents{info.width, info.height, info.bitsPerPixel == 1, {}};
    const Image pixels = gdi.bitmapPixels(bitmap);
    for (std::uint32_t pixel : pixels.pixels) {
        EXPECT_EQ(pixel >> 24, 0xFFu);
        contents.values.push_back(contents.monochrome ? (pixel & 1u) : colorrefFromPixel(pixel));
    }
    return contents;
}

// A bitmap of random content: colours drawn from a few (so that the key colour recurs), or bits
// handed to CreateBitmap in its word-padded rows.
HBITMAP makeRandomBitmap(GdiContext& gdi, Lcg& random, int width, int height, bool monochrome) {
    if (monochrome) {
        const std::size_t stride = (static_cast<std::size_t>(width) + 15) / 16 * 2;
        std::vector<unsigned char> bytes(stride * static_cast<std::size_t>(height));
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(random.below(256));
        }
        return gdi.CreateBitmap(width, height, 1, 1, bytes.data());
    }
    Image image(width, height);
    for (std::uint32_t& pixel : image.pixels) {
        pixel = pixelFromColorref(kColours[static_cast<std::size_t>(random.below(5))]);
    }
    return gdi.createBitmapFromImage(image);
}

std::uint32_t combine(std::uint32_t rop, std::uint32_t source, std::uint32_t destination) {
    switch (rop) {
        case SRCPAINT:
            return source | destination;
        case SRCAND:
            return source & destination;
        case SRCINVERT:
            return source ^ destination;
        default:
            return source;
    }
}

struct DcColours {
    COLORREF sourceBackground = 0;
    COLORREF destinationBackground = 0;
    COLORREF destinationText = 0;
};

// What BitBlt leaves in the destination, one pixel at a time from the contents before it.
Contents expectedBlit(const Contents& source, Contents destination, int x, int y, int width,
                      int height, int x1, int y1, std::uint32_t rop, const DcColours& dc) {
    const Contents before = destination;
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            const int dx = x + i, dy = y + j, sx = x1 + i, sy = y1 + j;
            if (dx < 0 || dy < 0 || dx >= destination.width || dy >= destination.height || sx < 0 ||
                sy < 0 || sx >= source.width || sy >= source.height) {
                continue;
            }
            // `source` is a copy taken before the call, also when the block moves within one
            // bitmap.
            const COLORREF in = source.at(sx, sy);
            std::uint32_t value = in;
            if (source.monochrome && !destination.monochrome) {
                value = in ? dc.destinationBackground : dc.destinationText;
            } else if (!source.monochrome && destination.monochrome) {
                value = in == dc.sourceBackground ? 1 : 0;
            }
            const std::uint32_t mask = destination.monochrome ? 1u : 0xFFFFFFu;
            destination.at(dx, dy) = combine(rop, value, before.at(dx, dy)) & mask;
        }
    }
    return destination;
}

struct Rop {
    const char* name;
    std::uint32_t code;
};
constexpr std::array<Rop, 4> kRops = {
    {{"SRCCOPY", SRCCOPY}, {"SRCAND", SRCAND}, {"SRCINVERT", SRCINVERT}, {"SRCPAINT", SRCPAINT}}};

std::string describe(int x, int y, int width, int height, int x1, int y1) {
    return "block " + std::to_string(width) + "x" + std::to_string(height) + " at " +
           std::to_string(x) + "," + std::to_string(y) + " from " + std::to_string(x1) + "," +
           std::to_string(y1);
}

TEST(GdiBitBltModel, EveryFormatPairAndOperationMatchesThePixelModel) {
    Lcg random(2024);
    for (int pair = 0; pair < 4; ++pair) {
        const bool monoSource = pair & 1;
        const bool monoTarget = pair & 2;
        for (const Rop& rop : kRops) {
            for (int round = 0; round < 40; ++round) {
                GdiContext gdi;
                // Widths up to a few dozen pixels, many of them odd, so that rows are long enough
                // for the wide loops and end with a remainder.
                const int sourceWidth = random.between(1, 70);
                const int sourceHeight = random.between(1, 5);
                const int targetWidth = random.between(1, 70);
                const int targetHeight = random.between(1, 5);
                HBITMAP sourceBitmap =
                    makeRandomBitmap(gdi, random, sourceWidth, sourceHeight, monoSource);
                HBITMAP targetBitmap =
                    makeRandomBitmap(gdi, random, targetWidth, targetHeight, monoTarget);
                HDC sourceDc = gdi.CreateCompatibleDC({});
                HDC targetDc = gdi.CreateCompatibleDC({});
                gdi.SelectObject(sourceDc, sourceBitmap);
                gdi.SelectObject(targetDc, targetBitmap);
                DcColours colours{kColours[static_cast<std::size_t>(random.below(5))],
                                  kColours[static_cast<std::size_t>(random.below(5))],
                                  kColours[static_cast<std::size_t>(random.below(5))]};
                gdi.SetBkColor(sourceDc, colours.sourceBackground);
                gdi.SetBkColor(targetDc, colours.destinationBackground);
                gdi.SetTextColor(targetDc, colours.destinationText);
                // The colours the other DC holds play no part.
                gdi.SetTextColor(sourceDc, RGB(1, 2, 3));

                // Positions from well before each edge to past it, so that every side of both
                // bitmaps clips some blocks.
                const int x = random.between(-12, targetWidth + 2);
                const int y = random.between(-3, targetHeight + 1);
                const int x1 = random.between(-12, sourceWidth + 2);
                const int y1 = random.between(-3, sourceHeight + 1);
                const int width = random.between(0, 80);
                const int height = random.between(0, 7);
                SCOPED_TRACE(std::string(rop.name) + (monoSource ? " mono" : " colour") + " to " +
                             (monoTarget ? "mono " : "colour ") +
                             describe(x, y, width, height, x1, y1));

                const Contents source = read(gdi, sourceBitmap);
                const Contents expected = expectedBlit(source, read(gdi, targetBitmap), x, y, width,
                                                       height, x1, y1, rop.code, colours);
                ASSERT_TRUE(gdi.BitBlt(targetDc, x, y, width, height, sourceDc, x1, y1, rop.code));
                const Contents actual = read(gdi, targetBitmap);
                ASSERT_EQ(actual.values, expected.values);
                ASSERT_EQ(read(gdi, sourceBitmap).values, source.values);
            }
        }
    }
}

TEST(GdiBitBltModel, BlocksMovedWithinOneBitmapReadTheirSourceBeforeWritingIt) {
    Lcg random(77);
    for (bool monochrome : {false, true}) {
        for (const Rop& rop : kRops) {
            // Every direction, including a block combined with itself in place, and moves that
            // clip at the bitmap's edges.
            for (int dy = -2; dy <= 2; ++dy) {
                for (int dx : {-37, -5, -1, 0, 1, 3, 40}) {
                    GdiContext gdi;
                    HBITMAP bitmap = makeRandomBitmap(gdi, random, 53, 6, monochrome);
                    HDC dc = gdi.CreateCompatibleDC({});
                    gdi.SelectObject(dc, bitmap);
                    const int x1 = random.between(0, 10);
                    const int y1 = random.between(0, 2);
                    const int x = x1 + dx;
                    const int y = y1 + dy;
                    SCOPED_TRACE(std::string(rop.name) + (monochrome ? " mono " : " colour ") +
                                 describe(x, y, 45, 4, x1, y1));

                    Contents before = read(gdi, bitmap);
                    const Contents expected =
                        expectedBlit(before, before, x, y, 45, 4, x1, y1, rop.code, {});
                    ASSERT_TRUE(gdi.BitBlt(dc, x, y, 45, 4, dc, x1, y1, rop.code));
                    ASSERT_EQ(read(gdi, bitmap).values, expected.values);
                }
            }
        }
    }
}

TEST(GdiBitBltModel, FillRectCoversExactlyTheClippedRectangle) {
    Lcg random(5);
    for (bool monochrome : {false, true}) {
        for (int round = 0; round < 30; ++round) {
            GdiContext gdi;
            const int width = random.between(1, 60);
            const int height = random.between(1, 5);
            HBITMAP bitmap = makeRandomBitmap(gdi, random, width, height, monochrome);
            HDC dc = gdi.CreateCompatibleDC({});
            gdi.SelectObject(dc, bitmap);
            const RECT rect{random.between(-8, width), random.between(-2, height),
                            random.between(-2, width + 8), random.between(-2, height + 2)};
            const COLORREF colour = kColours[static_cast<std::size_t>(random.below(5))];
            SCOPED_TRACE((monochrome ? "mono " : "colour ") + std::to_string(rect.left) + "," +
                         std::to_string(rect.top) + " to " + std::to_string(rect.right) + "," +
                         std::to_string(rect.bottom));

            Contents expected = read(gdi, bitmap);
            const COLORREF value = monochrome ? (gdi.GetNearestColor(dc, colour) & 1u) : colour;
            for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, height); ++y) {
                for (int x = std::max(rect.left, 0); x < std::min(rect.right, width); ++x) {
                    expected.at(x, y) = value;
                }
            }
            HBRUSH brush = gdi.CreateSolidBrush(colour);
            ASSERT_NE(gdi.FillRect(dc, rect, brush), 0);
            ASSERT_EQ(read(gdi, bitmap).values, expected.values);
        }
    }
}

}  // namespace
}  // namespace plivora
