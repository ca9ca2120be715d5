#include "picture/image_scale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>
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

// Shrinking: every row through ScaledRows, read in place.
Image shrinkByBoxes(const Image& source, int width, int height) {
    ScaledRows rows({source.width, source.height}, {width, height});
    for (int y = 0; y < source.height; ++y) {
        rows.addRow(y, source.pixels.data() + static_cast<std::size_t>(y) * source.width);
    }
    return rows.finish();
}

}  // namespace

// The source pixels [first, end) that fall on each target pixel along one axis: the target pixel
// at t covers [t * step, (t + 1) * step), widened to at least one source pixel.
std::vector<ScaledRows::Span> ScaledRows::boxSpans(int sourceSize, int targetSize) {
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

ScaledRows::ScaledRows(PixelSize source, PixelSize target)
    : m_source(source), m_target(target), m_scaled(source != target) {
    if (!m_scaled) {
        // Rows in order are appended as they come, so the image's memory is written once.
        m_image.width = source.width;
        m_image.height = source.height;
        m_image.pixels.reserve(static_cast<std::size_t>(source.width) *
                               static_cast<std::size_t>(source.height));
        return;
    }
    m_image = Image(target.width, target.height);
    m_line.resize(static_cast<std::size_t>(source.width));
    m_columns = boxSpans(source.width, target.width);
    m_rows = boxSpans(source.height, target.height);
    m_lineSums.resize(static_cast<std::size_t>(target.width) * 4);
    m_sums.resize(static_cast<std::size_t>(target.height));
    m_missing.reserve(m_rows.size());
    for (const Span& span : m_rows) {
        m_missing.push_back(span.end - span.first);
    }
}

std::uint32_t* ScaledRows::row(int y) {
    const auto width = static_cast<std::size_t>(m_source.width);
    if (m_scaled) {
        return m_line.data();
    }
    if (!m_laidOut && y != m_rowsAdded) {
        m_image.pixels.resize(width * static_cast<std::size_t>(m_source.height));
        m_laidOut = true;
    }
    if (!m_laidOut) {
        m_image.pixels.resize(width * static_cast<std::size_t>(y + 1));
    }
    return m_image.pixels.data() + width * static_cast<std::size_t>(y);
}

void ScaledRows::addRow(int y) {
    if (m_scaled) {
        addRow(y, m_line.data());
    } else {
        ++m_rowsAdded;
    }
}

void ScaledRows::addRow(int y, const std::uint32_t* pixels) {
    if (!m_scaled) {
        std::copy_n(pixels, m_source.width, row(y));
        ++m_rowsAdded;
        return;
    }
    // The row's sums over each target column's box, once, then added to every target row whose
    // box holds the row: one or two when shrinking, more when the rows are stretched.
    std::uint64_t* sum = m_lineSums.data();
    for (const Span& columnSpan : m_columns) {
        std::uint64_t s0 = 0;
        std::uint64_t s1 = 0;
        std::uint64_t s2 = 0;
        std::uint64_t s3 = 0;
        for (int sx = columnSpan.first; sx < columnSpan.end; ++sx) {
            const std::uint32_t p = pixels[sx];
            s0 += p & 0xFFu;
            s1 += (p >> 8) & 0xFFu;
            s2 += (p >> 16) & 0xFFu;
            s3 += p >> 24;
        }
        sum[0] = s0;
        sum[1] = s1;
        sum[2] = s2;
        sum[3] = s3;
        sum += 4;
    }
    // The first target row whose box ends after y: near y / step, then moved onto it.
    const int last = m_target.height - 1;
    int ty = std::min(
        last, static_cast<int>(static_cast<long long>(y) * m_target.height / m_source.height));
    while (ty > 0 && m_rows[static_cast<std::size_t>(ty - 1)].end > y) {
        --ty;
    }
    while (ty < last && m_rows[static_cast<std::size_t>(ty)].end <= y) {
        ++ty;
    }
    for (; ty <= last && m_rows[static_cast<std::size_t>(ty)].first <= y; ++ty) {
        std::vector<std::uint64_t>& sums = m_sums[static_cast<std::size_t>(ty)];
        if (sums.empty()) {
            sums = m_lineSums;
        } else {
            for (std::size_t i = 0; i < sums.size(); ++i) {
                sums[i] += m_lineSums[i];
            }
        }
        if (--m_missing[static_cast<std::size_t>(ty)] == 0) {
            finishRow(ty);
        }
    }
    ++m_rowsAdded;
}

void ScaledRows::finishRow(int ty) {
    std::vector<std::uint64_t> sums = std::move(m_sums[static_cast<std::size_t>(ty)]);
    m_sums[static_cast<std::size_t>(ty)] = {};
    const Span rowSpan = m_rows[static_cast<std::size_t>(ty)];
    const auto rowCount = static_cast<std::uint64_t>(rowSpan.end - rowSpan.first);
    std::uint32_t* target = m_image.pixels.data() +
                            static_cast<std::size_t>(ty) * static_cast<std::size_t>(m_target.width);
    for (int tx = 0; tx < m_target.width; ++tx) {
        const Span columnSpan = m_columns[static_cast<std::size_t>(tx)];
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

Image ScaledRows::finish() {
    // A decoder gives every row or fails; a row missing here is a fault in the decoder.
    if (m_rowsAdded != m_source.height) {
        throw std::logic_error("ScaledRows::finish: rows missing");
    }
    return std::move(m_image);
}

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
