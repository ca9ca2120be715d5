#include "win/image_scale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

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

// The source pixels [first, end) that fall on each target pixel along one axis: the target pixel
// at t covers [t * step, (t + 1) * step), widened to at least one source pixel.
struct Span {
    int first = 0;
    int end = 0;
};

std::vector<Span> boxSpans(int sourceSize, int targetSize) {
    const double step = static_cast<double>(sourceSize) / targetSize;
    std::vector<Span> spans(static_cast<std::size_t>(targetSize));
    for (int t = 0; t < targetSize; ++t) {
        const int first = static_cast<int>(t * step);
        const int end =
            std::max(first + 1, std::min(sourceSize, static_cast<int>(std::ceil((t + 1) * step))));
        spans[static_cast<std::size_t>(t)] = {first, end};
    }
    return spans;
}

// Each target pixel is the rounded mean, channel by channel, of the source pixels in its box. A
// target row's sums are gathered over its source rows one row at a time, reading the source in
// memory order.
Image shrinkByBoxes(const Image& source, int width, int height) {
    Image out(width, height);
    const std::vector<Span> columns = boxSpans(source.width, width);
    const std::vector<Span> rows = boxSpans(source.height, height);
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * 4);
    for (int ty = 0; ty < height; ++ty) {
        const Span rowSpan = rows[static_cast<std::size_t>(ty)];
        std::fill(sums.begin(), sums.end(), 0);
        for (int sy = rowSpan.first; sy < rowSpan.end; ++sy) {
            const std::uint32_t* line =
                source.pixels.data() + static_cast<std::size_t>(sy) * source.width;
            std::uint64_t* sum = sums.data();
            for (const Span& columnSpan : columns) {
                std::uint64_t s0 = 0;
                std::uint64_t s1 = 0;
                std::uint64_t s2 = 0;
                std::uint64_t s3 = 0;
                for (int sx = columnSpan.first; sx < columnSpan.end; ++sx) {
                    const std::uint32_t p = line[sx];
                    s0 += p & 0xFFu;
                    s1 += (p >> 8) & 0xFFu;
                    s2 += (p >> 16) & 0xFFu;
                    s3 += p >> 24;
                }
                sum[0] += s0;
                sum[1] += s1;
                sum[2] += s2;
                sum[3] += s3;
                sum += 4;
            }
        }
        const auto rowCount = static_cast<std::uint64_t>(rowSpan.end - rowSpan.first);
        std::uint32_t* target = out.pixels.data() + static_cast<std::size_t>(ty) * width;
        for (int tx = 0; tx < width; ++tx) {
            const Span columnSpan = columns[static_cast<std::size_t>(tx)];
            const std::uint64_t count =
                rowCount * static_cast<std::uint64_t>(columnSpan.end - columnSpan.first);
            const std::uint64_t* sum = sums.data() + static_cast<std::size_t>(tx) * 4;
            std::uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c) {
                pixel |= static_cast<std::uint32_t>((sum[c] + count / 2) / count) << (c * 8);
            }
            target[tx] = pixel;
        }
    }
    return out;
}

}  // namespace

PixelSize fitSize(int width, int height, int boxWidth, int boxHeight) {
    if (width <= 0 || height <= 0) {
        return {boxWidth, boxHeight};
    }
    // Products in 64 bits: a side times a side of up to 2^31 each.
    const std::int64_t widthForFullHeight = std::int64_t{boxHeight} * width / height;
    if (widthForFullHeight <= boxWidth) {
        return {static_cast<int>(widthForFullHeight), boxHeight};
    }
    return {boxWidth, static_cast<int>(std::int64_t{boxWidth} * height / width)};
}

Image fitImage(const Image& source, PixelSize natural, int width, int height) {
    if (source.isNull() || width <= 0 || height <= 0) {
        return {};
    }
    const PixelSize fitted = fitSize(natural.width, natural.height, width, height);
    // A picture far longer than wide would round to no pixels at all across.
    const int fittedWidth = std::max(1, fitted.width);
    const int fittedHeight = std::max(1, fitted.height);
    const Image scaled = scaleImage(source, fittedWidth, fittedHeight);
    Image out(width, height, 0x00000000u);
    const int left = (width - fittedWidth) / 2;
    const int top = (height - fittedHeight) / 2;
    for (int y = 0; y < fittedHeight; ++y) {
        std::copy_n(scaled.pixels.data() + static_cast<std::size_t>(y) * fittedWidth, fittedWidth,
                    out.pixels.data() + static_cast<std::size_t>(top + y) * width + left);
    }
    return out;
}

Image scaleImage(const Image& source, int width, int height) {
    if (source.isNull() || width <= 0 || height <= 0) {
        return {};
    }
    const double stepX = static_cast<double>(source.width) / width;
    const double stepY = static_cast<double>(source.height) / height;
    if (stepX > 1.0 || stepY > 1.0) {
        return shrinkByBoxes(source, width, height);
    }
    Image out(width, height);
    for (int ty = 0; ty < height; ++ty) {
        for (int tx = 0; tx < width; ++tx) {
            out.setPixel(
                tx, ty, sampleBilinear(source, (tx + 0.5) * stepX - 0.5, (ty + 0.5) * stepY - 0.5));
        }
    }
    return out;
}

}  // namespace plivora
