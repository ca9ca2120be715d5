#include "picture/picture_decoder.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "picture/color_management.h"
#include "picture/picture_input.h"
#include "win/error.h"

namespace plivora {
namespace {

// The longer side a reduced load of a row-decoded picture keeps once it is at least twice as
// long: the display area and the thumbnails at up to twice the screen scale.
constexpr int kReducedLongSidePx = 2 * kReducedMinLongSidePx;

// The size a picture of the natural size is decoded at when loaded.
PixelSize loadSize(PixelSize natural, LoadScale scale) {
    const long long longSide = std::max(natural.width, natural.height);
    if (scale == LoadScale::Natural || longSide < 2 * kReducedLongSidePx) {
        return natural;
    }
    auto side = [&](int length) {
        return static_cast<int>(std::max(
            1LL, (length * static_cast<long long>(kReducedLongSidePx) + longSide - 1) / longSide));
    };
    return {side(natural.width), side(natural.height)};
}

// The pixels `decoder` gives at the size the rule chooses, in the display's colours: the one way
// every set of a row-decoded picture's pixels is made, whatever its size, so each set is turned
// exactly once.
Image decodeToDisplay(const RowPictureDecoder& decoder, ByteReader& reader,
                      const DecodeSize& decodeSize) {
    std::string profile;
    Image image = decoder.decodeRows(reader, decodeSize, &profile);
    toDisplayColors(image, profile);
    return image;
}

}  // namespace

bool hasSignature(std::span<const unsigned char> head,
                  std::initializer_list<unsigned char> signature) {
    return head.size() >= signature.size() &&
           std::equal(signature.begin(), signature.end(), head.begin());
}

PixelSize RowPictureDecoder::naturalSize(const PictureInput& input) const {
    // The decoder's own header reading, stopped before the pixels.
    PixelSize natural;
    decodeRows(
        *input.open(),
        [&](PixelSize size) -> std::optional<PixelSize> {
            natural = size;
            return std::nullopt;
        },
        nullptr);
    return natural;
}

// Decodes at the load size; a picture decoded smaller keeps its input to decode larger pixels
// from when they are asked for.
Picture RowPictureDecoder::load(const PictureInput& input, LoadScale scale) const {
    PixelSize natural;
    Image pixels =
        decodeToDisplay(*this, *input.open(), [&](PixelSize size) -> std::optional<PixelSize> {
            natural = size;
            return loadSize(size, scale);
        });
    if (pixels.width == natural.width && pixels.height == natural.height) {
        return Picture(std::move(pixels));
    }
    auto decodeAt = [this, input, natural](PixelSize size) {
        return decodeToDisplay(
            *this, *input.open(), [&](PixelSize now) -> std::optional<PixelSize> {
                if (now != natural) {
                    throw Error(ErrorNumber::InvalidPicture);  // another picture now
                }
                return size;
            });
    };
    return Picture(
        std::make_shared<ScalingPictureSource>(natural, std::move(pixels), std::move(decodeAt)));
}

}  // namespace plivora
