#include "picture/gif_decoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "picture/picture_decoder.h"
#include "picture/picture_input.h"
#include "win/error.h"

namespace plivora {
namespace {

// The stream giflib reads, and how far it has read: what is left bounds the image data.
struct GifSource {
    ByteReader& reader;
    std::uint64_t consumed = 0;

    std::uint64_t remaining() const {
        const std::uint64_t size = reader.size();
        return consumed < size ? size - consumed : 0;
    }
};

int readFromReader(GifFileType* gif, GifByteType* buffer, int size) {
    if (size <= 0) {
        return 0;
    }
    auto* source = static_cast<GifSource*>(gif->UserData);
    const std::size_t got = source->reader.read(buffer, static_cast<std::size_t>(size));
    source->consumed += got;
    return static_cast<int>(got);
}

// The most pixels one byte of LZW data can stand for. A code yields at most 4096 pixels (the
// longest string the table holds), and the k-th code after a clear code yields at most k pixels
// and is at least log2(k) bits wide, so no code gives more than 4096 pixels for 11 bits: fewer
// than 3000 pixels per byte, whatever the code size.
constexpr long long kMaxPixelsPerDataByte = 3000;
constexpr long long kMaxPixelsPerCode = 4096;

// Refuses an image whose descriptor asks for more pixels than the rest of the stream could
// encode: such a file is cut short or damaged whatever it holds, and its pixel memory (up to
// kMaxPicturePixels) is never taken for it.
void checkDataCanHoldImage(long long pixels, std::uint64_t remainingBytes) {
    // pixels > remainingBytes * kMaxPixelsPerDataByte + kMaxPixelsPerCode, divided rather than
    // multiplied so that no stream size can overflow.
    const long long excess = pixels - kMaxPixelsPerCode;
    if (excess > 0 &&
        static_cast<std::uint64_t>((excess - 1) / kMaxPixelsPerDataByte) >= remainingBytes) {
        throw Error(ErrorNumber::InvalidPicture);
    }
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

[[noreturn]] void fail(int gifError) {
    throw Error(gifError == D_GIF_ERR_NOT_ENOUGH_MEM ? ErrorNumber::OutOfMemory
                                                     : ErrorNumber::InvalidPicture);
}

// The colour of every possible pixel value, so that decoding a row is one lookup per pixel.
// A value past the end of the colour table has no colour of its own; it is drawn black, as most
// decoders draw it, rather than failing a file that other programs show. The transparent value
// keeps its table colour (black when it lies past the table) with alpha 0.
std::array<std::uint32_t, 256> makePalette(const ColorMapObject& table, int transparentIndex) {
    std::array<std::uint32_t, 256> palette;
    palette.fill(0xFF000000u);
    const int count = std::min(table.ColorCount, 256);
    for (int i = 0; i < count; ++i) {
        const GifColorType& c = table.Colors[i];
        palette[i] = 0xFF000000u | (std::uint32_t(c.Red) << 16) | (std::uint32_t(c.Green) << 8) |
                     std::uint32_t(c.Blue);
    }
    if (transparentIndex >= 0 && transparentIndex < 256) {
        palette[transparentIndex] &= 0x00FFFFFFu;
    }
    return palette;
}

// Turns a row of colour indexes into pixels.
void convertRow(const GifPixelType* indexes, std::size_t count,
                const std::array<std::uint32_t, 256>& palette, std::uint32_t* out) {
    for (std::size_t x = 0; x < count; ++x) {
        out[x] = palette[indexes[x]];
    }
}

// The stream order of the rows of an interlaced image: every 8th row from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1. The rows are delivered in that order; ScaledRows takes them
// so.
int interlacedRow(int index, int height) {
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int count =
            height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
        if (index < count) {
            return kStart[pass] + index * kStep[pass];
        }
        index -= count;
    }
    return -1;  // not reached: there are as many indexes as rows
}

Image decodeImage(GifFileType* gif, int transparentIndex, const DecodeSize& decodeSize) {
    const GifImageDesc& desc = gif->Image;
    checkPictureSize(desc.Width, desc.Height);
    checkDataCanHoldImage(static_cast<long long>(desc.Width) * desc.Height,
                          static_cast<const GifSource*>(gif->UserData)->remaining());
    const ColorMapObject* table = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!table || !table->Colors || table->ColorCount <= 0) {
        // Without any colour table the pixels have no defined colours.
        throw Error(ErrorNumber::InvalidPicture);
    }
    const PixelSize natural{desc.Width, desc.Height};
    const std::optional<PixelSize> size = decodeSize ? decodeSize(natural) : natural;
    if (!size) {
        return Image();
    }
    const auto palette = makePalette(*table, transparentIndex);

    // Every row is complete or the decode fails: an image whose data ends early is an error,
    // never a partial picture.
    const int width = desc.Width;
    const int height = desc.Height;
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    ScaledRows rows(natural, *size);
    for (int i = 0; i < height; ++i) {
        if (DGifGetLine(gif, line.data(), width) == GIF_ERROR) {
            fail(gif->Error);
        }
        const int y = desc.Interlace ? interlacedRow(i, height) : i;
        convertRow(line.data(), line.size(), palette, rows.row(y));
        rows.addRow(y);
    }
    return rows.finish();
}

}  // namespace

Image decodeFirstGifImage(ByteReader& reader, const DecodeSize& decodeSize,
                          std::string* iccProfile) {
    GifSource source{reader};
    int openError = 0;
    GifHandle gif(DGifOpen(&source, readFromReader, &openError));
    if (!gif) {
        fail(openError);
    }

    int transparentIndex = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
            fail(gif->Error);
        }
        switch (type) {
            case IMAGE_DESC_RECORD_TYPE:
                if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
                    fail(gif->Error);
                }
                return decodeImage(gif.get(), transparentIndex, decodeSize);
            case EXTENSION_RECORD_TYPE: {
                int code = 0;
                GifByteType* block = nullptr;
                if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) {
                    fail(gif->Error);
                }
                // The ICC application extension: its data blocks hold the profile.
                const bool profile = code == APPLICATION_EXT_FUNC_CODE && block && block[0] == 11 &&
                                     std::memcmp(block + 1, "ICCRGBG1012", 11) == 0 && iccProfile;
                if (profile) {
                    iccProfile->clear();
                }
                if (code == GRAPHICS_EXT_FUNC_CODE && block) {
                    // A control block of the wrong length is ignored, as if it were absent.
                    GraphicsControlBlock control;
                    if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
                        transparentIndex = control.TransparentColor;
                    }
                } else if (code == PLAINTEXT_EXT_FUNC_CODE) {
                    // A control block governs the next graphic only; a plain-text graphic used
                    // it up.
                    transparentIndex = NO_TRANSPARENT_COLOR;
                }
                while (block) {
                    if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) {
                        fail(gif->Error);
                    }
                    if (profile && block) {
                        iccProfile->append(reinterpret_cast<const char*>(block + 1), block[0]);
                    }
                }
                break;
            }
            case TERMINATE_RECORD_TYPE:
                // A stream with no image at all.
                throw Error(ErrorNumber::InvalidPicture);
            default:
                fail(gif->Error);
        }
    }
}

namespace {

class GifDecoder : public RowPictureDecoder {
public:
    bool sniff(std::span<const unsigned char> head) const override {
        return hasSignature(head, {'G', 'I', 'F', '8'});
    }
    Image decodeRows(ByteReader& reader, const DecodeSize& decodeSize,
                     std::string* iccProfile) const override {
        return decodeFirstGifImage(reader, decodeSize, iccProfile);
    }
};

}  // namespace

const PictureDecoder& gifDecoder() {
    static const GifDecoder decoder;
    return decoder;
}

}  // namespace plivora
