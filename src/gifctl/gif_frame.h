#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "win/image.h"

namespace plivora {

// One decoded frame as the animation keeps it from its load until the next: the part of the
// frame that can fall on the canvas, at one byte a pixel. A GIF frame has at most 256 colours, so
// each pixel is an index into the frame's own list of the colours its decoded picture holds, and
// the frame costs about a quarter of the colour bitmap it was decoded into. Transparency needs
// nothing of its own here: as in the colour bitmap, a pixel is kept opaque in the colour its table
// entry has, and the draw keys on the frame's transparent colour. The frame is expanded into a
// colour bitmap only while it is drawn.
class GifFrame {
public:
    GifFrame() = default;

    // Keeps the top-left `width` x `height` of a decoded picture (no more than the picture has),
    // every pixel made opaque as a colour bitmap makes it. A picture with more than 256 colours
    // (not one the GIF decoder gives, but the loader is replaceable) is kept at four bytes a
    // pixel instead, so that nothing of it is lost.
    static GifFrame fromImage(Image&& image, int width, int height);

    // False for a frame never loaded or already released.
    bool isNull() const { return !m_loaded; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // Whether the pixels are kept as indices into the colour list (false in the four-byte form).
    bool isIndexed() const { return m_pixels.empty() && !m_indices.empty(); }
    // The memory the frame's pixels and colour list take.
    std::size_t byteCount() const;
    // The kept pixels as a colour image, every pixel opaque; empty when nothing is kept.
    Image toImage() const;

private:
    bool m_loaded = false;
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_colors;  // at most 256 opaque pixels, in order of first use
    std::vector<std::uint8_t> m_indices;  // width * height indices into m_colors, rows top down
    std::vector<std::uint32_t> m_pixels;  // the four-byte form: width * height opaque pixels
};

}  // namespace plivora
