#pragma once

#include <cstdint>
#include <vector>

namespace plivora {

// A plain 32-bit pixel buffer: 0xAARRGGBB per pixel, not premultiplied, rows top to bottom with
// no padding. The picture loader returns it, the raster layer's colour bitmaps hold it, and the
// Qt views wrap it without copying.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    Image() = default;
    Image(int w, int h, std::uint32_t fill = 0xFF000000u)
        : width(w),
          height(h),
          pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

    bool isNull() const { return width <= 0 || height <= 0; }
    std::uint32_t pixel(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * width + x];
    }
    void setPixel(int x, int y, std::uint32_t argb) {
        pixels[static_cast<std::size_t>(y) * width + x] = argb;
    }
};

}  // namespace plivora
