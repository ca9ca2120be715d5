#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "picture/gif_decoder.h"
#include "picture/picture_input.h"
#include "picture/picture_loader.h"
#include "support/gif_bytes.h"
#include "win/error.h"

namespace plivora {
namespace {

// Bytes in memory that remember how far into them a decoder has read.
class TracingReader : public ByteReader {
public:
    explicit TracingReader(std::string bytes) : m_bytes(std::move(bytes)) {}

    std::size_t read(void* buffer, std::size_t size) override {
        const std::size_t count =
            m_offset < m_bytes.size() ? std::min(size, m_bytes.size() - m_offset) : 0;
        std::memcpy(buffer, m_bytes.data() + m_offset, count);
        m_offset += count;
        return count;
    }
    bool seek(std::uint64_t offset) override {
        m_offset = offset;
        return true;
    }
    std::uint64_t size() const override { return m_bytes.size(); }

    std::size_t bytesRead() const { return m_offset; }

private:
    std::string m_bytes;
    std::size_t m_offset = 0;
};

// GIF header, a 1 x 1 screen with a two-entry table, and an image descriptor of the given size;
// the image data follows.
std::string headerAndDescriptor(int width, int height) {
    using namespace gif_bytes;
    return asString(join({header(), screen(1, 1, 0x80), colorTable({0xFF0000, 0x0000FF}),
                          descriptor(0, 0, width, height)}));
}

// LZW data (code size 2) for `count` pixels of value 0, packed as tightly as the format allows:
// after the clear code every code names the string being defined, one pixel longer than the
// last, and once the table is full every code names its longest string, 4091 pixels in 12 bits.
std::string densestZeroData(long long count) {
    constexpr int kClear = 4;
    constexpr int kEnd = 5;
    gif_bytes::CodePacker codes;
    int width = 3;
    codes.put(kClear, width);
    int nextCode = kEnd + 1;
    int longest = 1;  // the longest run of zeros the table has a code for
    while (count > 0) {
        const int length = static_cast<int>(std::min<long long>(longest, count));
        // The run of `length` zeros is code 4 + length.
        codes.put(length == 1 ? 0 : kEnd + length - 1, width);
        count -= length;
        if (count > 0 && nextCode < 4096) {
            ++nextCode;
            ++longest;
            if (nextCode > (1 << width) && width < 12) {
                ++width;
            }
        }
    }
    codes.put(kEnd, width);
    return gif_bytes::asString(codes.imageData(2));
}

TEST(GifDataBound, ImageAtTheHighestCompressionStillLoads) {
    // 16.4 million pixels from about 9 KB: past the full table every 12-bit code stands for 4091
    // pixels, close to the most a byte of data can give.
    constexpr int kWidth = 4091;
    constexpr int kHeight = 4000;
    const std::string data = densestZeroData(static_cast<long long>(kWidth) * kHeight);
    ASSERT_LT(data.size(), 10000u);
    const Picture picture =
        loadPictureFromBytes(headerAndDescriptor(kWidth, kHeight) + data + "\x3B");
    const Image& image = picture.fullImage();
    ASSERT_EQ(image.width, kWidth);
    ASSERT_EQ(image.height, kHeight);
    EXPECT_TRUE(std::all_of(image.pixels.begin(), image.pixels.end(),
                            [](std::uint32_t pixel) { return pixel == 0xFFFF0000u; }));
}

TEST(GifDataBound, ImageLargerThanItsDataCouldHoldIsRefusedFromTheDescriptor) {
    // 20000 x 20000 pixels (1.6 GB decoded) announced by a 40-byte stream, and 60 x 60, which
    // a few bytes could hold, with the same data of 20 pixels: the first is refused before its
    // data is read, the second is read until the data runs out. Both are damaged files.
    const std::string data = densestZeroData(20);
    for (const auto& [side, refusedEarly] : {std::pair{20000, true}, std::pair{60, false}}) {
        SCOPED_TRACE(side);
        const std::string head = headerAndDescriptor(side, side);
        TracingReader reader(head + data + "\x3B");
        int error = 0;
        try {
            decodeFirstGifImage(reader);
        } catch (const Error& e) {
            error = e.number();
        }
        EXPECT_EQ(error, ErrorNumber::InvalidPicture);
        // The descriptor and the code size byte are read either way; the sub-blocks only when
        // the image could be in them.
        EXPECT_EQ(reader.bytesRead() <= head.size() + 1, refusedEarly) << reader.bytesRead();
    }
}

}  // namespace
}  // namespace plivora
