#include "win/qt_image_decoder.h"

#include <QIODevice>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "win/error.h"
#include "win/picture_loader.h"

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

// A random-access Qt device over a ByteReader that notices when a decoder asks for bytes the
// data does not have. Qt's decoders do not all treat that as a failure: its JPEG reader ends a
// truncated file with a made-up end marker and grey pixels. Unbuffered, so every read the decoder makes arrives here as made.
class WatchedDevice : public QIODevice {
public:
    explicit WatchedDevice(std::unique_ptr<ByteReader> reader) : m_reader(std::move(reader)) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return false; }
    qint64 size() const override { return static_cast<qint64>(m_reader->size()); }
    bool seek(qint64 pos) override {
        if (pos < 0 || !m_reader->seek(static_cast<std::uint64_t>(pos))) {
            return false;
        }
        return QIODevice::seek(pos);
    }

    // A read found nothing left: libjpeg's reader asked for more data after the last byte.
    bool readPastEnd() const { return m_readPastEnd; }
    // A read got less than it asked for, which the PNG reader (unlike JPEG's, that reads in
    // fixed chunks) does only when the data stops early.
    bool readShort() const { return m_readShort; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (maxSize <= 0) {
            return 0;
        }
        const std::size_t got = m_reader->read(data, static_cast<std::size_t>(maxSize));
        if (static_cast<qint64>(got) < maxSize) {
            m_readShort = true;
        }
        if (got == 0) {
            m_readPastEnd = true;
        }
        return static_cast<qint64>(got);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::unique_ptr<ByteReader> m_reader;
    bool m_readPastEnd = false;
    bool m_readShort = false;
};

QByteArray formatName(PictureFormat format) {
    switch (format) {
        case PictureFormat::Jpeg:
            return "jpeg";
        case PictureFormat::Png:
            return "png";
        case PictureFormat::Bmp:
        case PictureFormat::Icon:
        case PictureFormat::Cursor:
        case PictureFormat::Gif:
        case PictureFormat::Unknown:
            break;
    }
    throw Error(ErrorNumber::InvalidPicture);
}

// One pass over the data: the device and the image reader on it.
class ReadSession {
public:
    ReadSession(const PictureInput& input, PictureFormat format)
        : m_format(format), m_device(input.open()), m_reader(&m_device, formatName(format)) {
        // Pictures keep the orientation they are stored in; an EXIF rotation is not applied.
        m_reader.setAutoTransform(false);
    }

    QImageReader& reader() { return m_reader; }

    // Reads the pixels; a null image when the data cannot be decoded or ended early.
    QImage read() {
        QImage image = m_reader.read();
        return endedEarly() ? QImage() : image;
    }
    bool readInto(QImage* image) { return m_reader.read(image) && !endedEarly(); }

private:
    bool endedEarly() const {
        return m_format == PictureFormat::Jpeg ? m_device.readPastEnd() : m_device.readShort();
    }

    PictureFormat m_format;
    WatchedDevice m_device;
    QImageReader m_reader;
};

// How many halvings (0 to 3, libjpeg's 1/2, 1/4 and 1/8) the load-time decode of a picture of
// this size takes while its longer side stays at least kReducedMinLongSidePx.
int reductionShift(QSize size) {
    const int longSide = std::max(size.width(), size.height());
    int shift = 0;
    while (shift < 3 && (longSide >> (shift + 1)) >= kReducedMinLongSidePx) {
        ++shift;
    }
    return shift;
}

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

QImage wrap(const Image& image) {
    return QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                  static_cast<qsizetype>(image.width) * 4, QImage::Format_ARGB32);
}

// A picture read through Qt: its natural size, its pixels at a reduced scale when it was decoded
// that way, and its full pixels once decoded.
class QtPictureSource : public PictureSource {
public:
    QtPictureSource(PictureInput input, PictureFormat format, QSize natural, Image reduced,
                    Image full)
        : m_input(std::move(input)),
          m_format(format),
          m_natural(natural),
          m_reduced(std::move(reduced)),
          m_full(std::move(full)) {}

    int width() const override { return m_natural.width(); }
    int height() const override { return m_natural.height(); }

    const Image& fullImage() override {
        if (m_full.isNull() && !m_fullAttempted) {
            m_fullAttempted = true;
            m_full = decodeFullOrStandIn();
        }
        return m_full.isNull() ? m_reduced : m_full;
    }

    const Image& imageForSize(int widthPx, int heightPx) override {
        if (!m_reduced.isNull() && m_reduced.width >= widthPx && m_reduced.height >= heightPx) {
            return m_reduced;
        }
        return fullImage();
    }

private:
    Image decodeFullOrStandIn() {
        try {
            return decodeFull();
        } catch (const Error&) {
            // The file vanished, changed, or no longer decodes.
        } catch (const std::bad_alloc&) {
        }
        try {
            return toImage(
                wrap(m_reduced).scaled(m_natural, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        } catch (const Error&) {
            // Not even the stand-in's memory could be had; the reduced pixels serve.
        } catch (const std::bad_alloc&) {
        }
        return Image();
    }

    Image decodeFull() {
        ReadSession session(m_input, m_format);
        QImageReader& reader = session.reader();
        if (reader.size() != m_natural) {
            throw Error(ErrorNumber::InvalidPicture);
        }
        // Qt's JPEG reader fills a caller's image of the right size and format in place, so a
        // colour JPEG is decoded straight into the picture's own buffer rather than into a
        // QImage that is then copied.
        if (reader.imageFormat() == QImage::Format_RGB32) {
            Image image(m_natural.width(), m_natural.height());
            auto* bits = reinterpret_cast<uchar*>(image.pixels.data());
            QImage target(bits, image.width, image.height, static_cast<qsizetype>(image.width) * 4,
                          QImage::Format_RGB32);
            if (!session.readInto(&target) || target.size() != m_natural) {
                throw Error(ErrorNumber::InvalidPicture);
            }
            return target.constBits() == bits ? std::move(image) : toImage(target);
        }
        const QImage decoded = session.read();
        if (decoded.isNull() || decoded.size() != m_natural) {
            throw Error(ErrorNumber::InvalidPicture);
        }
        return toImage(decoded);
    }

    PictureInput m_input;
    PictureFormat m_format;
    QSize m_natural;
    Image m_reduced;
    Image m_full;
    bool m_fullAttempted = false;
};

}  // namespace

std::shared_ptr<PictureSource> decodeWithQt(const PictureInput& input, PictureFormat format) {
    raiseAllocationLimit();
    ReadSession session(input, format);
    QImageReader& reader = session.reader();
    const QSize header = reader.size();
    if (!header.isValid()) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    checkPictureSize(header.width(), header.height());

    const int shift = format == PictureFormat::Jpeg ? reductionShift(header) : 0;
    if (shift > 0) {
        // Rounded down, so that Qt's choice of libjpeg scale (the smallest that is no smaller
        // than the request) lands exactly on 1/2^shift.
        reader.setScaledSize(
            QSize(std::max(1, header.width() >> shift), std::max(1, header.height() >> shift)));
    }
    const QImage decoded = session.read();
    if (decoded.isNull()) {
        throw Error(ErrorNumber::InvalidPicture);
    }
    if (shift > 0) {
        return std::make_shared<QtPictureSource>(input, format, header, toImage(decoded), Image());
    }
    checkPictureSize(decoded.width(), decoded.height());
    return std::make_shared<QtPictureSource>(input, format, decoded.size(), Image(),
                                             toImage(decoded));
}

}  // namespace plivora
