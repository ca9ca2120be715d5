#include "gifctl/gif_frame.h"

#include <algorithm>
#include <array>

namespace plivora {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::size_t kMaxColors = 256;

// The colours of one frame with their indices: open addressing over twice as many slots as a
// frame may have colours. An opaque pixel is never 0, so 0 marks a free slot.
class ColorIndex {
public:
    ColorIndex() { m_keys.fill(0); }

    // The index of an opaque pixel, added to `colors` when it is new; -1 when the list is full.
    int indexOf(std::uint32_t pixel, std::vector<std::uint32_t>& colors) {
        std::size_t slot = (pixel * 2654435761u) >> (32 - kSlotBits);
        while (m_keys[slot] != 0) {
            if (m_keys[slot] == pixel) {
                return m_values[slot];
            }
            slot = (slot + 1) & (kSlots - 1);
        }
        if (colors.size() == kMaxColors) {
            return -1;
        }
        m_keys[slot] = pixel;
        m_values[slot] = static_cast<std::uint8_t>(colors.size());
        colors.push_back(pixel);
        return m_values[slot];
    }

private:
    static constexpr int kSlotBits = 9;
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
    std::array<std::uint32_t, kSlots> m_keys{};
    std::array<std::uint8_t, kSlots> m_values{};
};

}  // namespace

GifFrame GifFrame::fromImage(Image&& image, int width, int height) {
    GifFrame frame;
    frame.m_loaded = true;
    frame.m_width = std::clamp(width, 0, std::max(image.width, 0));
    frame.m_height = std::clamp(height, 0, std::max(image.height, 0));
    if (frame.m_width == 0 || frame.m_height == 0) {
        frame.m_width = 0;
        frame.m_height = 0;
        return frame;
    }
    const std::size_t w = static_cast<std::size_t>(frame.m_width);
    const std::size_t h = static_cast<std::size_t>(frame.m_height);
    const std::size_t stride = static_cast<std::size_t>(image.width);

    ColorIndex index;
    frame.m_indices.resize(w * h);
    bool indexed = true;
    // Neighbouring pixels mostly share their colour: the last one is looked up only once.
    std::uint32_t last = 0;
    std::uint8_t lastIndex = 0;
    for (std::size_t y = 0; y < h && indexed; ++y) {
        const std::uint32_t* row = image.pixels.data() + y * stride;
        std::uint8_t* out = frame.m_indices.data() + y * w;
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint32_t pixel = row[x] | kOpaque;
            if (pixel != last) {
                const int found = index.indexOf(pixel, frame.m_colors);
                if (found < 0) {
                    indexed = false;
                    break;
                }
                last = pixel;
                lastIndex = static_cast<std::uint8_t>(found);
            }
            out[x] = lastIndex;
        }
    }
    if (indexed) {
        frame.m_colors.shrink_to_fit();
        return frame;
    }

    // More colours than an index can name: the pixels are kept as they are.
    frame.m_indices = {};
    frame.m_colors = {};
    if (w == stride && h == static_cast<std::size_t>(image.height)) {
        frame.m_pixels = std::move(image.pixels);
    } else {
        frame.m_pixels.resize(w * h);
        for (std::size_t y = 0; y < h; ++y) {
            std::copy_n(image.pixels.data() + y * stride, w, frame.m_pixels.data() + y * w);
        }
    }
    for (std::uint32_t& pixel : frame.m_pixels) {
        pixel |= kOpaque;
    }
    return frame;
}

std::size_t GifFrame::byteCount() const {
    return m_indices.size() + (m_colors.size() + m_pixels.size()) * sizeof(std::uint32_t);
}

Image GifFrame::toImage() const {
    if (m_width == 0 || m_height == 0) {
        return {};
    }
    Image image;
    image.width = m_width;
    image.height = m_height;
    if (!m_pixels.empty()) {
        image.pixels = m_pixels;
        return image;
    }
    image.pixels.resize(m_indices.size());
    std::transform(m_indices.begin(), m_indices.end(), image.pixels.begin(),
                   [this](std::uint8_t i) { return m_colors[i]; });
    return image;
}

}  // namespace plivora
