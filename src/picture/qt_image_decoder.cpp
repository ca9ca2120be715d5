#include "picture/qt_image_decoder.h"

#include <QIODevice>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "picture/image_scale.h"
#include "picture/picture_decoder.h"
#include "picture/picture_input.h"
#include "picture/picture_loader.h"
#include "win/error.h"

namespace plivora {
namespace {

// QtGui's own cap on one image's memory (128 MB by default in Qt 6.4) would refuse pictures that
// the loader accepts. The loader checks every size against kMaxPicturePixels first, so the cap is
// raised to what such a picture takes at 32 bits per pixel, the deepest format that the accepted
// formats decode to. The cap is process-wide; it is only ever raised.
void raiseAllocationLimit() {
    [[maybe_unused]] static const bool raised = [] {
        constexpr long long kMiB = 1024 * 1024;
        const int needed = static_cast<int>((kMaxPicturePixels * 4 + kMiB - 1) / kMiB);
        const int current = QImageReader::allocationLimit();
        if (current != 0 && current < needed) {
            QImageReader::setAllocationLimit(needed);
        }
        return true;
    }();
}

// A random-access Qt device over a ByteReader that notices when the decoder asks for bytes the
// data does not have, so that a file cut short fails however the decoder treats its end.
// Unbuffered, so every read the decoder makes arrives here as made.
class WatchedDevice : public QIODevice {
public:
    explicit WatchedDevice(ByteReader& reader) : m_reader(reader) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return false; }
    qint64 size() const override { return static_cast<qint64>(m_reader.size()); }
    bool seek(qint64 pos) override {
        if (pos < 0 || !m_reader.seek(static_cast<std::uint64_t>(pos))) {
            return false;
        }
        return QIODevice::seek(pos);
    }

    // A read got less than it asked for, which the PNG reader does only when the data stops
    // early.
    bool readShort() const { return m_readShort; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (maxSize <= 0) {
            return 0;
        }
        const std::size_t got = m_reader.read(data, static_cast<std::size_t>(maxSize));
        if (static_cast<qint64>(got) < maxSize) {
            m_readShort = true;
        }
        return static_cast<qint64>(got);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    ByteReader& m_reader;
    bool m_readShort = false;
};

// Format_RGB32 is 0xffRRGGBB and Format_ARGB32 non-premultiplied 0xAARRGGBB, both rows of
// 32-bit words: exactly Image's layout, copied row by row. Other formats are converted a band of
// rows at a time, so that a large grey or palette picture never needs a second full-size copy
// besides the result.
Image toImage(const QImage& decoded) {
    Image result(decoded.width(), decoded.height());
    const std::size_t width = static_cast<std::size_t>(decoded.width());
    auto copyRows = [&](const QImage& rows, int top) {
        for (int y = 0; y < rows.height(); ++y) {
            std::memcpy(result.pixels.data() + static_cast<std::size_t>(top + y) * width,
                        rows.constScanLine(y), width * 4);
        }
    };
    if (decoded.format() == QImage::Format_RGB32 || decoded.format() == QImage::Format_ARGB32) {
        copyRows(decoded, 0);
        return result;
    }
    constexpr int kBandPixels = 1 << 22;
    const int bandRows = std::max(1, kBandPixels / std::max(1, decoded.width()));
    for (int top = 0; top < decoded.height(); top += bandRows) {
        const int rows = std::min(bandRows, decoded.height() - top);
        const QImage band =
            decoded.copy(0, top, decoded.width(), rows).convertToFormat(QImage::Format_ARGB32);
        if (band.isNull()) {
            throw Error(ErrorNumber::OutOfMemory);
        }
        copyRows(band, top);
    }
    return result;
}

}  // namespace

Image decodePngWithQt(ByteReader& reader, const DecodeSize& decodeSize, std::string* iccProfile) {
    raiseAllocationLimit();
    WatchedDevice device(reader);
    QImageReader qtReader(&device, "png");
    const QSize header = qtReader.size();
    if (!header.isValid()) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    checkPictureSize(header.width(), header.height());
    if (iccProfile) {
        iccProfile->clear();  // QtGui's PNG pixels are taken as sRGB
    }
    const PixelSize natural{header.width(), header.height()};
    const std::optional<PixelSize> size = decodeSize ? decodeSize(natural) : natural;
    if (!size) {
        return Image();
    }
    const QImage decoded = qtReader.read();
    if (decoded.isNull() || device.readShort() || decoded.size() != header) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    // QtGui decodes a PNG whole; only the program's own small pictures and icon images are PNG.
    return *size == natural ? toImage(decoded)
                            : scaleImage(toImage(decoded), size->width, size->height);
}

namespace {

class PngDecoder : public RowPictureDecoder {
public:
    bool sniff(std::span<const unsigned char> head) const override {
        return hasSignature(head, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'});
    }
    // Decoded whole, whatever the scale: QtGui decodes a PNG whole anyway.
    Picture load(const PictureInput& input, LoadScale) const override {
        return RowPictureDecoder::load(input, LoadScale::Natural);
    }
    Image decodeRows(ByteReader& reader, const DecodeSize& decodeSize,
                     std::string* iccProfile) const override {
        return decodePngWithQt(reader, decodeSize, iccProfile);
    }
};

}  // namespace

const PictureDecoder& pngDecoder() {
    static const PngDecoder decoder;
    return decoder;
}

}  // namespace plivora
