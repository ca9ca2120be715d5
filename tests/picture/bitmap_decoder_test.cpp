#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "picture/picture_loader.h"
#include "picture_test_data.h"
#include "win/error.h"

namespace plivora {
namespace {

using testdata::bmpFile;
using testdata::Dib;
using testdata::putU16;
using testdata::putU32;

struct IconEntry {
    int listedWidth = 0;
    int listedHeight = 0;
    std::string dib;  // a Dib whose height counts the colour and the mask rows
};

std::string iconFile(const std::vector<IconEntry>& entries) {
    std::string out;
    putU16(out, 0);
    putU16(out, 1);
    putU16(out, static_cast<int>(entries.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (const IconEntry& entry : entries) {
        out += static_cast<char>(entry.listedWidth);
        out += static_cast<char>(entry.listedHeight);
        out += std::string(2, '\0');
        putU16(out, 1);
        putU16(out, 32);
        putU32(out, static_cast<std::uint32_t>(entry.dib.size()));
        putU32(out, offset);
        offset += static_cast<std::uint32_t>(entry.dib.size());
    }
    for (const IconEntry& entry : entries) {
        out += entry.dib;
    }
    return out;
}

// Rows of `bits`-bit values (palette indices or whole pixels, little-endian), each padded to 32
// bits, in the order given.
std::string packRows(int bits, const std::vector<std::vector<std::uint32_t>>& rows) {
    std::string out;
    for (const auto& row : rows) {
        std::string bytes((row.size() * static_cast<std::size_t>(bits) + 31) / 32 * 4, '\0');
        for (std::size_t x = 0; x < row.size(); ++x) {
            if (bits < 8) {
                const std::size_t bit = x * static_cast<std::size_t>(bits);
                bytes[bit / 8] = static_cast<char>(static_cast<unsigned char>(bytes[bit / 8]) |
                                                   (row[x] << (8 - bits - bit % 8)));
            } else {
                for (int b = 0; b < bits / 8; ++b) {
                    bytes[x * static_cast<std::size_t>(bits / 8) + static_cast<std::size_t>(b)] =
                        static_cast<char>((row[x] >> (8 * b)) & 0xFF);
                }
            }
        }
        out += bytes;
    }
    return out;
}

// Compares every pixel of what `bytes` loads to with `expected`, given top row first.
void expectPicture(const std::string& bytes,
                   const std::vector<std::vector<std::uint32_t>>& expected) {
    Picture picture;
    try {
        picture = loadPictureFromBytes(bytes);
    } catch (const Error& error) {
        FAIL() << "error " << error.number();
    }
    const Image& image = picture.fullImage();
    ASSERT_EQ(image.height, static_cast<int>(expected.size()));
    ASSERT_EQ(image.width, static_cast<int>(expected[0].size()));
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            EXPECT_EQ(image.pixel(x, y), expected[y][x]) << std::hex << "at " << x << ", " << y;
        }
    }
}

constexpr std::uint32_t kA = 0xFF1020F0;
constexpr std::uint32_t kB = 0xFFF08010;
constexpr std::uint32_t kC = 0xFF00FF00;
constexpr std::uint32_t kD = 0xFF7F7F7F;
const std::vector<std::uint32_t> kPalette = {kA, kB, kC, kD};

TEST(BitmapDecoder, EveryDepthAndHeaderReadsTopDownAndBottomUp) {
    // 3 x 2, top row first: indices into kPalette, or the colours themselves.
    const std::vector<std::vector<std::uint32_t>> indices = {{0, 1, 1}, {1, 0, 0}};
    const std::vector<std::vector<std::uint32_t>> colours = {{kA, kB, kB}, {kB, kA, kA}};
    for (int headerSize : {12, 40, 108, 124}) {
        for (int bits : {1, 2, 4, 8, 24, 32}) {
            for (bool topDown : {false, true}) {
                if (headerSize == 12 && (topDown || bits == 32)) {
                    continue;  // the core header has neither
                }
                SCOPED_TRACE(testing::Message()
                             << "header " << headerSize << ", " << bits << " bits, "
                             << (topDown ? "top-down" : "bottom-up"));
                const auto& values = bits <= 8 ? indices : colours;
                std::vector<std::vector<std::uint32_t>> stored = values;
                if (!topDown) {
                    std::swap(stored[0], stored[1]);
                }
                Dib dib;
                dib.headerSize = headerSize;
                dib.width = 3;
                dib.height = topDown ? -2 : 2;
                dib.bits = bits;
                if (bits <= 8) {
                    dib.palette = bits == 1 ? std::vector<std::uint32_t>{kA, kB} : kPalette;
                }
                // A plain 32-bit file's fourth byte is padding, whatever it holds.
                dib.data = packRows(bits, stored);
                expectPicture(bmpFile(dib), colours);
            }
        }
    }
}

// RLE8, 4 x 4, rows stored bottom first: a run, a delta, an end of line, an absolute run with
// its pad byte, and an end of bitmap before the last rows are complete.
// The bytes of a string literal, its zero bytes included.
template <std::size_t N>
std::string bytesOf(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

const std::string kRle8WithSkips = bytesOf(
    "\x02\x01"              // row 0: two of index 1
    "\x00\x02\x01\x01"      // delta right 1, up 1: row 1, x 3
    "\x01\x02"              // one of index 2
    "\x00\x00"              // end of line: row 2
    "\x00\x03\x00\x01\x02"  // absolute: 0 1 2
    "\x00"                  // pad to a whole word
    "\x00\x01");            // end of bitmap: row 2's last pixel and row 3 never set

// That stream as a 4 x 4 RLE8 file over the test palette.
Dib rle8WithSkips() {
    Dib rle8;
    rle8.width = 4;
    rle8.height = 4;
    rle8.compression = 1;
    rle8.palette = kPalette;
    rle8.data = kRle8WithSkips;
    return rle8;
}

TEST(BitmapDecoder, RlePixelsTheStreamNeverSetsAreTransparent) {
    const std::uint32_t t = 0;
    Dib rle8 = rle8WithSkips();
    {
        SCOPED_TRACE("RLE8");
        expectPicture(bmpFile(rle8),
                      {{t, t, t, t}, {kA, kB, kC, t}, {t, t, t, kC}, {kB, kB, t, t}});
    }
    // RLE4, 6 x 3: a run alternating two indices, an absolute run of an odd count, top-down.
    Dib rle4;
    rle4.width = 6;
    rle4.height = -3;
    rle4.bits = 4;
    rle4.compression = 2;
    rle4.palette = kPalette;
    rle4.data = bytesOf(
        "\x03\x12"                  // 1 2 1
        "\x00\x00"                  // end of line
        "\x00\x02\x01\x00"          // delta right 1
        "\x00\x05\x12\x30\x10\x00"  // absolute: 1 2 3 0 1, three bytes and a pad byte
        "\x00\x01");                // end of bitmap: the last row never set
    {
        SCOPED_TRACE("RLE4");
        expectPicture(bmpFile(rle4),
                      {{kB, kC, kB, t, t, t}, {t, kB, kC, kD, kA, kB}, {t, t, t, t, t, t}});
    }
    // A stream that stops before its last row and without an end of bitmap is cut short.
    rle8.data = kRle8WithSkips.substr(0, 12);
    try {
        loadPictureFromBytes(bmpFile(rle8));
        ADD_FAILURE() << "a cut RLE stream loaded";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::InvalidPicture);
    }
}

// Fills freed heap memory with `byte`, so that pixels a decoder leaves unset would show it.
void dirtyHeap(char byte) {
    std::vector<std::unique_ptr<char[]>> blocks;
    for (std::size_t size = 64; size <= (1 << 20); size *= 2) {
        blocks.emplace_back(new char[size]);
        std::memset(blocks.back().get(), byte, size);
    }
}

TEST(BitmapDecoder, RleSkipsGiveTheSamePixelsWhateverTheHeapHeld) {
    Dib rle8 = rle8WithSkips();
    const std::string file = bmpFile(rle8);
    dirtyHeap('\x00');
    const Image first = loadPictureFromBytes(file).fullImage();
    dirtyHeap('\xA5');
    const Image second = loadPictureFromBytes(file).fullImage();
    EXPECT_EQ(first.pixels, second.pixels);
    EXPECT_EQ(first.pixel(3, 3), 0u);
}

TEST(BitmapDecoder, BitFieldChannelsScaleToTheFullRange) {
    const struct {
        const char* name;
        int headerSize;
        int bits;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;
        std::vector<std::uint32_t> pixels;
        std::vector<std::uint32_t> expected;
    } cases[] = {
        {"5-5-5 plain", 40, 16, 0, {}, {0x7FFF, 0x4210}, {0xFFFFFFFF, 0xFF848484}},
        {"5-6-5", 40, 16, 3, {0xF800, 0x07E0, 0x001F}, {0xFFFF, 0xF800}, {0xFFFFFFFF, 0xFFFF0000}},
        {"1-5-5-5, V3 header",
         56,
         16,
         3,
         {0x7C00, 0x03E0, 0x001F, 0x8000},
         {0xFC00, 0x03E0},
         {0xFFFF0000, 0x0000FF00}},
        {"4-4-4-4, alpha bit-fields",
         40,
         16,
         6,
         {0x0F00, 0x00F0, 0x000F, 0xF000},
         {0xF00F, 0x8F00},
         {0xFF0000FF, 0x88FF0000}},
        {"11-11-10",
         40,
         32,
         3,
         {0xFFE00000, 0x001FFC00, 0x000003FF},
         {0xFFFFFFFF, 0x001FFC00},
         {0xFFFFFFFF, 0xFF00FF00}},
        {"10-10-10-2, V5 header",
         124,
         32,
         3,
         {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
         {0xFFFFFFFF, 0x7FF00000},
         {0xFFFFFFFF, 0x55FF0000}},
        {"8-8-8-8, V5 header",
         124,
         32,
         3,
         {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
         {0x80123456, 0x00ABCDEF},
         {0x80123456, 0x00ABCDEF}},
        {"8-8-8 plain, fourth byte is padding",
         108,
         32,
         0,
         {},
         {0x00123456, 0x7F123456},
         {0xFF123456, 0xFF123456}},
        {"5-6-5 with a palette it does not use",
         40,
         16,
         3,
         {0xF800, 0x07E0, 0x001F},
         {0x001F, 0x07E0},
         {0xFF0000FF, 0xFF00FF00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Dib dib;
        dib.headerSize = c.headerSize;
        dib.width = 2;
        dib.height = 1;
        dib.bits = c.bits;
        dib.compression = c.compression;
        dib.masks = c.masks;
        if (std::string(c.name).find("palette") != std::string::npos) {
            dib.palette = kPalette;
        }
        dib.data = packRows(c.bits, {c.pixels});
        expectPicture(bmpFile(dib), {c.expected});
    }
}

// An icon entry of `bits` bits, 3 x 2, from the indices or colours of `top` and `bottom` rows,
// with an AND mask that hides the top row's middle pixel.
std::string iconDib(int headerSize, int bits, const std::vector<std::uint32_t>& top,
                    const std::vector<std::uint32_t>& bottom) {
    Dib dib;
    dib.headerSize = headerSize;
    dib.width = 3;
    dib.height = 4;
    dib.bits = bits;
    if (bits <= 8) {
        dib.palette = bits == 1 ? std::vector<std::uint32_t>{kA, kB} : kPalette;
    }
    dib.data = packRows(bits, {bottom, top}) + packRows(1, {{0, 0, 0}, {0, 1, 0}});
    return dib.bytes();
}

TEST(BitmapDecoder, IconEntriesTakeTheirMaskOrTheirAlpha) {
    const std::uint32_t hidden = kB & 0x00FFFFFF;
    const std::vector<std::uint32_t> indices[] = {{0, 1, 1}, {1, 0, 0}};
    const std::vector<std::uint32_t> opaque[] = {{kA, kB, kB}, {kB, kA, kA}};
    const std::vector<std::vector<std::uint32_t>> masked = {{kA, hidden, kB}, {kB, kA, kA}};
    for (int headerSize : {40, 108, 124}) {
        for (int bits : {1, 4, 8, 24}) {
            SCOPED_TRACE(testing::Message() << "header " << headerSize << ", " << bits << " bits");
            const auto& values = bits <= 8 ? indices : opaque;
            expectPicture(iconFile({{3, 2, iconDib(headerSize, bits, values[0], values[1])}}),
                          masked);
        }
        SCOPED_TRACE(testing::Message() << "header " << headerSize << ", 32 bits");
        // 32 bits: the entry's own alpha, the mask ignored; an alpha of zero everywhere was
        // never written, and the mask serves.
        const std::vector<std::uint32_t> translucent = {0x80102030, 0xFFF08010, 0x00000000};
        expectPicture(iconFile({{3, 2, iconDib(headerSize, 32, translucent, opaque[1])}}),
                      {translucent, opaque[1]});
        const std::vector<std::uint32_t> noAlpha[] = {
            {kA & 0xFFFFFF, kB & 0xFFFFFF, kB & 0xFFFFFF},
            {kB & 0xFFFFFF, kA & 0xFFFFFF, kA & 0xFFFFFF}};
        expectPicture(iconFile({{3, 2, iconDib(headerSize, 32, noAlpha[0], noAlpha[1])}}), masked);
    }
}

TEST(BitmapDecoder, IconEntryTakesItsBitmapsSizeOverTheDirectorys) {
    // Listed as 3 x 4 (and 1 x 1), stored as 3 x 2: the bitmap is what is drawn, and it is the
    // largest entry.
    const std::string dib = iconDib(40, 8, {0, 1, 1}, {1, 0, 0});
    const std::vector<std::vector<std::uint32_t>> masked = {{kA, kB & 0x00FFFFFF, kB},
                                                            {kB, kA, kA}};
    expectPicture(iconFile({{3, 4, dib}}), masked);
    Dib small;
    small.width = 1;
    small.height = 2;
    small.bits = 32;
    small.data = packRows(32, {{0xFF000000}}) + packRows(1, {{0}});
    expectPicture(iconFile({{1, 1, small.bytes()}, {16, 16, dib}}), masked);
    expectPicture(iconFile({{16, 16, dib}, {40, 40, small.bytes()}}), masked);
    // A PNG entry whose header claims 2^32 - 1 pixels a side is no image.
    const std::string hugePng = bytesOf(
        "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\xFF\xFF\xFF\xFF"
        "\xFF\xFF\xFF\xFF\x08\x06\0\0\0");
    expectPicture(iconFile({{0, 0, hugePng}, {3, 2, dib}}), masked);
}

}  // namespace
}  // namespace plivora
