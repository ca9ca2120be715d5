#include "picture/picture.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>

#include "win/error.h"

namespace plivora {
namespace {

// A picture made in memory, or one whose pixels were decoded whole at load: there is only one
// set of pixels, and it serves every size.
class MemoryPictureSource : public PictureSource {
public:
    explicit MemoryPictureSource(Image image) : m_image(std::move(image)) {}

    int width() const override { return m_image.width; }
    int height() const override { return m_image.height; }
    const Image& fullImage() override { return m_image; }
    const Image& imageForSize(int, int) override { return m_image; }
    Image takeFullImage() override { return std::move(m_image); }
    std::size_t heldBytes() const override { return pixelBytes(m_image); }

private:
    Image m_image;
};

const Image& emptyImage() {
    static const Image empty;
    return empty;
}

}  // namespace

Picture::Picture(Image image) : m_source(std::make_shared<MemoryPictureSource>(std::move(image))) {}

Picture::Picture(std::shared_ptr<PictureSource> source) : m_source(std::move(source)) {}

int Picture::width() const {
    return m_source ? m_source->width() : 0;
}

int Picture::height() const {
    return m_source ? m_source->height() : 0;
}

const Image& Picture::fullImage() const {
    return m_source ? m_source->fullImage() : emptyImage();
}

const Image& Picture::imageForSize(int widthPx, int heightPx) const {
    return m_source ? m_source->imageForSize(widthPx, heightPx) : emptyImage();
}

std::size_t Picture::heldBytes() const {
    return m_source ? m_source->heldBytes() : 0;
}

Image Picture::takeFullImage() && {
    std::shared_ptr<PictureSource> source = std::move(m_source);
    if (!source) {
        return {};
    }
    // Only a source no other picture shares may give up its pixels.
    return source.use_count() == 1 ? source->takeFullImage() : source->fullImage();
}

ScalingPictureSource::ScalingPictureSource(PixelSize natural, Image reduced, Decode decode)
    : m_natural(natural), m_reduced(std::move(reduced)), m_decode(std::move(decode)) {}

const Image& ScalingPictureSource::fullImage() {
    if (!m_full.isNull()) {
        return m_full;
    }
    if (!m_fileFailed) {
        try {
            m_full = m_decode(m_natural);
            return m_full;
        } catch (const Error&) {
            // The file vanished, changed, or no longer decodes.
        } catch (const std::bad_alloc&) {
        }
        m_fileFailed = true;
        try {
            m_full = scaleImage(m_reduced, m_natural.width, m_natural.height);
        } catch (const std::bad_alloc&) {
            // Not even the stand-in's memory could be had; the reduced pixels serve.
        }
    }
    return m_full.isNull() ? m_reduced : m_full;
}

const Image& ScalingPictureSource::imageForSize(int widthPx, int heightPx) {
    if (widthPx <= m_reduced.width && heightPx <= m_reduced.height) {
        return m_reduced;
    }
    if (!m_full.isNull()) {
        return m_full;
    }
    if (m_fileFailed) {
        return m_reduced;
    }
    // The smallest size of the picture's shape that covers the request: the request's width and
    // the height it gives (rounded up), or its height and the width it gives.
    const std::int64_t naturalWidth = m_natural.width;
    const std::int64_t naturalHeight = m_natural.height;
    PixelSize size;
    if (std::int64_t{widthPx} * naturalHeight >= std::int64_t{heightPx} * naturalWidth) {
        size = {widthPx,
                static_cast<int>((widthPx * naturalHeight + naturalWidth - 1) / naturalWidth)};
    } else {
        size = {static_cast<int>((heightPx * naturalWidth + naturalHeight - 1) / naturalHeight),
                heightPx};
    }
    if (size.width >= m_natural.width || size.height >= m_natural.height) {
        return fullImage();
    }
    size.width = std::max(1, size.width);
    size.height = std::max(1, size.height);
    try {
        m_reduced = m_decode(size);
    } catch (const Error&) {
        m_fileFailed = true;  // the file vanished, changed, or no longer decodes
    } catch (const std::bad_alloc&) {
        m_fileFailed = true;
    }
    return m_reduced;
}

}  // namespace plivora
