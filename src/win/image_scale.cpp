#include "win/image_scale.h"

#include <algorithm>
#include <cmath>

namespace plivora {

namespace {

std::uint32_t channel(std::uint32_t pixel, int shift) {
    return (pixel >> shift) & 0xFFu;
}

// Bilinear sample at a source position given in pixel centres.
std::uint32_t sampleBilinear(const Image& source, double fx, double fy) {
    const double x = std::clamp(fx, 0.0, static_cast<double>(source.width - 1));
    const double y = std::clamp(fy, 0.0, static_cast<double>(source.height - 1));
    const int x0 = static_cast<int>(x);
    const int y0 = static_cast<int>(y);
    const int x1 = std::min(x0 + 1, source.width - 1);
    const int y1 = std::min(y0 + 1, source.height - 1);
    const double ax = x - x0;
    const double ay = y - y0;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double top = channel(source.pixel(x0, y0), shift) * (1 - ax) +
                           channel(source.pixel(x1, y0), shift) * ax;
        const double bottom = channel(source.pixel(x0, y1), shift) * (1 - ax) +
                              channel(source.pixel(x1, y1), shift) * ax;
        const auto value = static_cast<std::uint32_t>(std::lround(top * (1 - ay) + bottom * ay));
        out |= std::min<std::uint32_t>(value, 255u) << shift;
    }
    return out;
}

}  // namespace

Image scaleImage(const Image& source, int width, int height) {
    if (source.isNull() || width <= 0 || height <= 0) {
        return {};
    }
    Image out(width, height);
    const double stepX = static_cast<double>(source.width) / width;
    const double stepY = static_cast<double>(source.height) / height;
    for (int ty = 0; ty < height; ++ty) {
        for (int tx = 0; tx < width; ++tx) {
            if (stepX <= 1.0 && stepY <= 1.0) {
                out.setPixel(
                    tx, ty,
                    sampleBilinear(source, (tx + 0.5) * stepX - 0.5, (ty + 0.5) * stepY - 0.5));
                continue;
            }
            // Box average over the source area of this target pixel.
            const int sx0 = static_cast<int>(tx * stepX);
            const int sy0 = static_cast<int>(ty * stepY);
            const int sx1 = std::max(
                sx0 + 1, std::min(source.width, static_cast<int>(std::ceil((tx + 1) * stepX))));
            const int sy1 = std::max(
                sy0 + 1, std::min(source.height, static_cast<int>(std::ceil((ty + 1) * stepY))));
            std::uint64_t sums[4] = {0, 0, 0, 0};
            for (int sy = sy0; sy < sy1; ++sy) {
                for (int sx = sx0; sx < sx1; ++sx) {
                    const std::uint32_t p = source.pixel(sx, sy);
                    for (int c = 0; c < 4; ++c) {
                        sums[c] += channel(p, c * 8);
                    }
                }
            }
            const std::uint64_t count =
                static_cast<std::uint64_t>(sx1 - sx0) * static_cast<std::uint64_t>(sy1 - sy0);
            std::uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c) {
                pixel |= static_cast<std::uint32_t>((sums[c] + count / 2) / count) << (c * 8);
            }
            out.setPixel(tx, ty, pixel);
        }
    }
    return out;
}

}  // namespace plivora
