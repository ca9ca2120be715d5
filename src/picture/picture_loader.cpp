#include "picture/picture_loader.h"

#include <cstddef>
#include <new>
#include <span>
#include <string>

#include "picture/bitmap_decoder.h"
#include "picture/gif_decoder.h"
#include "picture/icon_decoder.h"
#include "picture/jpeg_decoder.h"
#include "picture/picture_decoder.h"
#include "picture/picture_input.h"
#include "picture/qt_image_decoder.h"
#include "win/error.h"

namespace plivora {
namespace {

// Where the data of a picture comes from.
enum class Origin { File, ProgramBytes };

// Which data a decoder is given.
enum class Takes { FilesAndProgramBytes, ProgramBytesOnly };

// One format the loader knows: whose data it serves, and the decoder that sniffs and decodes it.
struct DecoderRow {
    PictureFormat format;
    Takes takes;
    const PictureDecoder& (*decoder)();
};

// The format comes from the data, never from the file name: a JPEG named .gif loads as the JPEG
// it is, and a text file named .gif is no picture. Files may be GIF, JPEG, BMP, ICO or CUR; the
// program's own pictures may also be PNG, a format no file from a folder is shown in. The
// signatures differ in their first bytes, so the order of the rows decides nothing.
constexpr DecoderRow kDecoders[] = {
    {PictureFormat::Gif, Takes::FilesAndProgramBytes, gifDecoder},
    {PictureFormat::Jpeg, Takes::FilesAndProgramBytes, jpegDecoder},
    {PictureFormat::Bmp, Takes::FilesAndProgramBytes, bitmapFileDecoder},
    {PictureFormat::Icon, Takes::FilesAndProgramBytes, iconDecoder},
    {PictureFormat::Cursor, Takes::FilesAndProgramBytes, cursorDecoder},
    {PictureFormat::Png, Takes::ProgramBytesOnly, pngDecoder},
};

// The row whose decoder takes the input's first bytes; none when no decoder does.
const DecoderRow* sniffedRow(const PictureInput& input) {
    unsigned char head[kSniffBytes] = {};
    const std::size_t size = input.open()->read(head, sizeof head);
    for (const DecoderRow& row : kDecoders) {
        if (row.decoder().sniff(std::span<const unsigned char>(head, size))) {
            return &row;
        }
    }
    return nullptr;
}

// The decoder for the input's data from `origin`; Error 481 when there is none.
const PictureDecoder& decoderFor(const PictureInput& input, Origin origin) {
    const DecoderRow* row = sniffedRow(input);
    if (!row || (row->takes == Takes::ProgramBytesOnly && origin != Origin::ProgramBytes)) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    return row->decoder();
}

Picture load(const PictureInput& input, Origin origin, LoadScale scale) {
    try {
        return decoderFor(input, origin).load(input, scale);
    } catch (const std::bad_alloc&) {
        throw Error(ErrorNumber::OutOfMemory);
    }
}

}  // namespace

Picture LoadPicture(const std::string& path) {
    return load(PictureInput::fromFile(path), Origin::File, LoadScale::Reduced);
}

Picture loadPictureAtNaturalSize(const std::string& path) {
    return load(PictureInput::fromFile(path), Origin::File, LoadScale::Natural);
}

Picture loadPictureFromBytes(const std::string& bytes) {
    return load(PictureInput::fromBytes(bytes), Origin::ProgramBytes, LoadScale::Reduced);
}

PixelSize pictureNaturalSize(const std::string& path) {
    const PictureInput input = PictureInput::fromFile(path);
    try {
        return decoderFor(input, Origin::File).naturalSize(input);
    } catch (const std::bad_alloc&) {
        throw Error(ErrorNumber::OutOfMemory);
    }
}

PictureFormat pictureFormat(const PictureInput& input) {
    const DecoderRow* row = sniffedRow(input);
    return row ? row->format : PictureFormat::Unknown;
}

}  // namespace plivora
