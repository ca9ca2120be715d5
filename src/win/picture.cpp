#include "win/picture.h"

#include <utility>

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

Image Picture::takeFullImage() && {
    std::shared_ptr<PictureSource> source = std::move(m_source);
    if (!source) {
        return {};
    }
    // Only a source no other picture shares may give up its pixels.
    return source.use_count() == 1 ? source->takeFullImage() : source->fullImage();
}

}  // namespace plivora
