#include "picture/picture_loader.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "picture/bitmap_decoder.h"
#include "picture/color_management.h"
#include "picture/gif_decoder.h"
#include "picture/jpeg_decoder.h"
#include "picture/picture_input.h"
#include "picture/qt_image_decoder.h"
#include "win/error.h"

namespace plivora {
namespace {

enum class Origin { File, ProgramBytes };

// Whether a picture is decoded at load at the size it is shown (Reduced) or whole (Natural).
enum class Scale { Reduced, Natural };

// The longer side a picture decoded row by row keeps at load once it is at least twice as long:
// the display area and the thumbnails at up to twice the screen scale. Larger sizes are decoded
// when asked for (ScalingPictureSource).
constexpr int kReducedLongSidePx = 2 * kReducedMinLongSidePx;

// The size a picture of the natural size is decoded at when loaded.
PixelSize loadSize(PixelSize natural, Scale scale) {
    const long long longSide = std::max(natural.width, natural.height);
    if (scale == Scale::Natural || longSide < 2 * kReducedLongSidePx) {
        return natural;
    }
    auto side = [&](int length) {
        return static_cast<int>(std::max(
            1LL, (length * static_cast<long long>(kReducedLongSidePx) + longSide - 1) / longSide));
    };
    return {side(natural.width), side(natural.height)};
}

// A decoder of one format: the pixels of the data the reader gives, at the size the rule chooses,
// as stored; `iccProfile` receives the ICC profile the data embeds (empty when there is none).
using RowDecoder =
    std::function<Image(ByteReader& reader, const DecodeSize& decodeSize, std::string* iccProfile)>;

// The pixels `decoder` gives at the size the rule chooses, in the display's colours: the one way
// every set of a row-decoded picture's pixels is made, whatever its size, so each set is turned
// exactly once.
Image decodeToDisplay(const RowDecoder& decoder, ByteReader& reader, const DecodeSize& decodeSize) {
    std::string profile;
    Image image = decoder(reader, decodeSize, &profile);
    toDisplayColors(image, profile);
    return image;
}

// Decodes at the load size; a picture decoded smaller keeps its input to decode larger pixels
// from when they are asked for.
Picture decodeScaled(const PictureInput& input, RowDecoder decoder, Scale scale) {
    PixelSize natural;
    Image pixels =
        decodeToDisplay(decoder, *input.open(), [&](PixelSize size) -> std::optional<PixelSize> {
            natural = size;
            return loadSize(size, scale);
        });
    if (pixels.width == natural.width && pixels.height == natural.height) {
        return Picture(std::move(pixels));
    }
    auto decodeAt = [input, natural, decoder = std::move(decoder)](PixelSize size) {
        return decodeToDisplay(
            decoder, *input.open(), [&](PixelSize now) -> std::optional<PixelSize> {
                if (now != natural) {
                    throw Error(ErrorNumber::InvalidPicture);  // another picture now
                }
                return size;
            });
    };
    return Picture(
        std::make_shared<ScalingPictureSource>(natural, std::move(pixels), std::move(decodeAt)));
}

// An icon or cursor shows its chosen entry: a bitmap decoded here, or a PNG stream, which QtGui
// decodes from the entry's bytes.
Image decodeIconEntry(ByteReader& reader, const DecodeSize& decodeSize, std::string* iccProfile) {
    const IconEntry entry = chooseIconEntry(reader);
    if (!entry.isPng) {
        return decodeIconBitmap(reader, entry, decodeSize, iccProfile);
    }
    std::string bytes(static_cast<std::size_t>(entry.size), '\0');
    if (!reader.seek(entry.offset) || reader.read(bytes.data(), bytes.size()) != bytes.size()) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    if (iccProfile) {
        iccProfile->clear();  // QtGui's PNG pixels are taken as sRGB
    }
    return decodePngWithQt(PictureInput::fromBytes(std::move(bytes)), decodeSize);
}

// The row decoder of a format; none for JPEG (libjpeg scales by itself), PNG and no picture.
RowDecoder rowDecoder(PictureFormat format) {
    switch (format) {
        case PictureFormat::Gif:
            return decodeFirstGifImage;
        case PictureFormat::Icon:
        case PictureFormat::Cursor:
            return decodeIconEntry;
        case PictureFormat::Bmp:
            return decodeBitmapFile;
        case PictureFormat::Png:  // decoded whole: only the program's own pictures are PNG
        case PictureFormat::Jpeg:
        case PictureFormat::Unknown:
            break;
    }
    return {};
}

// The format comes from the data, never from the file name: a JPEG named .gif loads as the JPEG
// it is, and a text file named .gif is no picture. Files may be GIF, JPEG, BMP, ICO or CUR; the
// program's own pictures may also be PNG.
Picture decode(const PictureInput& input, Origin origin, Scale scale) {
    try {
        const PictureFormat format = input.format();
        if (format == PictureFormat::Icon || format == PictureFormat::Cursor) {
            checkIconDirectory(input);
        }
        if (format == PictureFormat::Jpeg) {
            // A JPEG decodes larger pixels later; it turns each set into the display's colours
            // itself.
            return Picture(decodeJpeg(input, scale == Scale::Reduced));
        }
        if (format == PictureFormat::Png && origin == Origin::ProgramBytes) {
            // The program's own pictures embed no profile: they are sRGB.
            Image image = decodePngWithQt(input);
            toDisplayColors(image, std::string());
            return Picture(std::move(image));
        }
        if (RowDecoder decoder = rowDecoder(format)) {
            return decodeScaled(input, std::move(decoder), scale);
        }
    } catch (const std::bad_alloc&) {
        throw Error(ErrorNumber::OutOfMemory);
    }
    throw Error(ErrorNumber::InvalidPicture);
}

}  // namespace

Picture LoadPicture(const std::string& path) {
    return decode(PictureInput::fromFile(path), Origin::File, Scale::Reduced);
}

Picture loadPictureAtNaturalSize(const std::string& path) {
    return decode(PictureInput::fromFile(path), Origin::File, Scale::Natural);
}

Picture loadPictureFromBytes(const std::string& bytes) {
    return decode(PictureInput::fromBytes(bytes), Origin::ProgramBytes, Scale::Reduced);
}

PixelSize pictureNaturalSize(const std::string& path) {
    const PictureInput input = PictureInput::fromFile(path);
    try {
        const PictureFormat format = input.format();
        if (format == PictureFormat::Icon || format == PictureFormat::Cursor) {
            checkIconDirectory(input);
        }
        if (format == PictureFormat::Jpeg) {
            return jpegNaturalSize(input);
        }
        if (RowDecoder decoder = rowDecoder(format)) {
            // The decoder's own header reading, stopped before the pixels.
            PixelSize natural;
            decoder(
                *input.open(),
                [&](PixelSize size) -> std::optional<PixelSize> {
                    natural = size;
                    return std::nullopt;
                },
                nullptr);
            return natural;
        }
    } catch (const std::bad_alloc&) {
        throw Error(ErrorNumber::OutOfMemory);
    }
    throw Error(ErrorNumber::InvalidPicture);
}

}  // namespace plivora
