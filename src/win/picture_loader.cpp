#include "win/picture_loader.h"

#include <memory>
#include <new>
#include <string>
#include <utility>

#include "win/bitmap_decoder.h"
#include "win/color_management.h"
#include "win/error.h"
#include "win/gif_decoder.h"
#include "win/jpeg_decoder.h"
#include "win/picture_input.h"
#include "win/qt_image_decoder.h"

namespace plivora {
namespace {

enum class Origin { File, ProgramBytes };

// Pixels decoded whole, in the display's colours: the ones of `profile`, or sRGB when it is empty.
Picture displayPicture(Image image, const std::string& profile = std::string()) {
    toDisplayColors(image, profile);
    return Picture(std::move(image));
}

// An icon or cursor shows its chosen entry: a bitmap decoded here, or a PNG stream, which QtGui
// decodes from the entry's bytes.
Picture decodeIcon(const PictureInput& input) {
    const std::unique_ptr<ByteReader> reader = input.open();
    const IconEntry entry = chooseIconEntry(*reader);
    if (!entry.isPng) {
        std::string profile;
        Image image = decodeIconBitmap(*reader, entry, &profile);
        return displayPicture(std::move(image), profile);
    }
    std::string bytes(static_cast<std::size_t>(entry.size), '\0');
    if (!reader->seek(entry.offset) || reader->read(bytes.data(), bytes.size()) != bytes.size()) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    return displayPicture(decodePngWithQt(PictureInput::fromBytes(std::move(bytes))));
}

// The format comes from the data, never from the file name: a JPEG named .gif loads as the JPEG
// it is, and a text file named .gif is no picture. Files may be GIF, JPEG, BMP, ICO or CUR; the
// program's own pictures may also be PNG.
Picture decode(const PictureInput& input, Origin origin) {
    try {
        const PictureFormat format = input.format();
        switch (format) {
            case PictureFormat::Gif: {
                std::string profile;
                Image image = decodeFirstGifImage(*input.open(), &profile);
                return displayPicture(std::move(image), profile);
            }
            case PictureFormat::Png:
                if (origin != Origin::ProgramBytes) {
                    break;
                }
                return displayPicture(decodePngWithQt(input));
            case PictureFormat::Icon:
            case PictureFormat::Cursor:
                checkIconDirectory(input);
                return decodeIcon(input);
            case PictureFormat::Bmp: {
                std::string profile;
                Image image = decodeBitmapFile(*input.open(), &profile);
                return displayPicture(std::move(image), profile);
            }
            case PictureFormat::Jpeg:
                // A JPEG decodes its full pixels later; it turns each set into the display's
                // colours itself.
                return Picture(decodeJpeg(input));
            case PictureFormat::Unknown:
                break;
        }
    } catch (const std::bad_alloc&) {
        throw Error(ErrorNumber::OutOfMemory);
    }
    throw Error(ErrorNumber::InvalidPicture);
}

}  // namespace

Picture LoadPicture(const std::string& path) {
    return decode(PictureInput::fromFile(path), Origin::File);
}

Picture LoadPictureFromBytes(const std::string& bytes) {
    return decode(PictureInput::fromBytes(bytes), Origin::ProgramBytes);
}

}  // namespace plivora
