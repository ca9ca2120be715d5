#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "picture/image_scale.h"
#include "win/image.h"

namespace plivora {

class PictureSource;

// A loaded picture: its natural size in pixels and its pixels. Copies share the same decoded data.
// A picture may hold its pixels at a reduced scale (enough to draw it small) and decode the full
// pixels only when something asks for them; the natural size is always the file's own.
class Picture {
public:
    Picture() = default;
    explicit Picture(Image image);                            // a picture made in memory
    explicit Picture(std::shared_ptr<PictureSource> source);  // a picture the loader made

    bool isNull() const { return !m_source; }
    int width() const;   // natural width in pixels
    int height() const;  // natural height in pixels

    // The pixels at the natural size, decoded on first use. Never throws: when the file can no
    // longer be decoded (it vanished or changed since the load), the reduced pixels scaled up to
    // the natural size stand in; only when even that memory cannot be had are the reduced pixels
    // themselves returned. A null picture gives an empty image.
    const Image& fullImage() const;
    // Pixels good enough to draw the picture at widthPx x heightPx: a reduced-scale decode no
    // smaller than the request where the picture has one, otherwise the full pixels.
    const Image& imageForSize(int widthPx, int heightPx) const;
    // The full pixels for a caller that is done with the picture: handed over without a copy when
    // no other copy of the picture shares its data and the source can give them up, copied
    // otherwise. The picture is null afterwards.
    Image takeFullImage() &&;
    // The bytes of the pixels the picture holds now (0 for a null picture).
    std::size_t heldBytes() const;

    // Two pictures are the same when they share their data.
    bool operator==(const Picture& other) const { return m_source == other.m_source; }

private:
    std::shared_ptr<PictureSource> m_source;
};

// Where a picture's pixels come from. The loader's decoders implement it; a picture made in memory
// uses the plain one.
class PictureSource {
public:
    virtual ~PictureSource() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual const Image& fullImage() = 0;
    virtual const Image& imageForSize(int widthPx, int heightPx) = 0;
    // The full pixels for an owner that is about to drop the source; a source that holds them
    // whole may move them out. The source is not used again afterwards.
    virtual Image takeFullImage() { return fullImage(); }
    // The bytes of the pixels held now; unless a source says otherwise, the full pixels.
    virtual std::size_t heldBytes() const {
        return static_cast<std::size_t>(width()) * static_cast<std::size_t>(height()) * 4;
    }
};

// The bytes an image's pixels take.
inline std::size_t pixelBytes(const Image& image) {
    return image.pixels.size() * sizeof(std::uint32_t);
}

// A picture decoded row by row at the size it is drawn at: at load at a reduced size, at a larger
// one when a larger size is asked for (the smallest of the picture's shape that covers the
// request), and at its natural size only when the full pixels are asked for. Only the latest set
// of reduced pixels is kept.
class ScalingPictureSource : public PictureSource {
public:
    // Decodes the picture afresh at a size no larger than the natural one on either side. Throws
    // the loader's errors, and Error 481 when the file no longer has the natural size.
    using Decode = std::function<Image(PixelSize size)>;

    ScalingPictureSource(PixelSize natural, Image reduced, Decode decode);

    int width() const override { return m_natural.width; }
    int height() const override { return m_natural.height; }
    // When the file no longer decodes, the reduced pixels scaled up stand in, as in
    // Picture::fullImage.
    const Image& fullImage() override;
    // When the file no longer decodes, the reduced pixels serve at any size: every caller scales
    // what it gets to the size it draws.
    const Image& imageForSize(int widthPx, int heightPx) override;
    std::size_t heldBytes() const override { return pixelBytes(m_reduced) + pixelBytes(m_full); }

private:
    PixelSize m_natural;
    Image m_reduced;
    Image m_full;
    Decode m_decode;
    bool m_fileFailed = false;  // a decode from the file failed: it is not tried again
};

}  // namespace plivora
