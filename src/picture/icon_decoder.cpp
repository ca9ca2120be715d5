#include "picture/icon_decoder.h"

#include <cstddef>
#include <span>
#include <string>
#include <utility>

#include "picture/bitmap_decoder.h"
#include "picture/picture_decoder.h"
#include "picture/picture_input.h"
#include "picture/qt_image_decoder.h"
#include "win/error.h"

namespace plivora {
namespace {

// The type word of the directory header: 1 for an icon, 2 for a cursor.
enum class DirectoryType : unsigned char { Icon = 1, Cursor = 2 };

class IconDecoder : public RowPictureDecoder {
public:
    explicit IconDecoder(DirectoryType type) : m_type(type) {}

    bool sniff(std::span<const unsigned char> head) const override {
        return hasSignature(head, {0, 0, static_cast<unsigned char>(m_type), 0});
    }

    PixelSize naturalSize(const PictureInput& input) const override {
        checkIconDirectory(input);
        return RowPictureDecoder::naturalSize(input);
    }

    Picture load(const PictureInput& input, LoadScale scale) const override {
        checkIconDirectory(input);
        return RowPictureDecoder::load(input, scale);
    }

    Image decodeRows(ByteReader& reader, const DecodeSize& decodeSize,
                     std::string* iccProfile) const override {
        const IconEntry entry = chooseIconEntry(reader);
        if (!entry.isPng) {
            return decodeIconBitmap(reader, entry, decodeSize, iccProfile);
        }
        std::string bytes(static_cast<std::size_t>(entry.size), '\0');
        if (!reader.seek(entry.offset) || reader.read(bytes.data(), bytes.size()) != bytes.size()) {
            throw Error(ErrorNumber::InvalidPicture);
        }
        return decodePngWithQt(*PictureInput::fromBytes(std::move(bytes)).open(), decodeSize,
                               iccProfile);
    }

private:
    DirectoryType m_type;
};

}  // namespace

const PictureDecoder& iconDecoder() {
    static const IconDecoder decoder(DirectoryType::Icon);
    return decoder;
}

const PictureDecoder& cursorDecoder() {
    static const IconDecoder decoder(DirectoryType::Cursor);
    return decoder;
}

}  // namespace plivora
