// BitBlt and FillRect of the raster model: the block transfers, their format conversions and
// their clipping.

#include <algorithm>
#include <vector>

#include "win/gdi.h"
#include "win/gdi_state.h"

namespace plivora {

namespace {

using State = GdiContext::State;

bool isSupportedRop(std::uint32_t rop) {
    return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT;
}

// Combines a source and a destination value (24-bit colours or single bits) by a raster
// operation.
std::uint32_t combine(std::uint32_t rop, std::uint32_t source, std::uint32_t destination) {
    switch (rop) {
        case SRCPAINT:
            return source | destination;
        case SRCAND:
            return source & destination;
        case SRCINVERT:
            return source ^ destination;
        default:
            return source;
    }
}

// The source value of one pixel in the destination's format.
std::uint32_t sourceValue(const State::Bitmap& source, int x, int y, const State::Dc& sourceDc,
                          bool destinationIsMonochrome, const State::Dc& destinationDc) {
    if (source.isMonochrome()) {
        int bit = source.bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(source.width) +
                              static_cast<std::size_t>(x)];
        if (destinationIsMonochrome) {
            return static_cast<std::uint32_t>(bit);
        }
        // Monochrome to colour: 0 takes the destination's text colour, 1 its background colour.
        return bit ? destinationDc.backgroundColor : destinationDc.textColor;
    }
    COLORREF color = colorrefFromPixel(source.colour.pixel(x, y));
    if (destinationIsMonochrome) {
        // Colour to monochrome: the source's background colour becomes 1, everything else 0.
        return color == sourceDc.backgroundColor ? 1u : 0u;
    }
    return color;
}

}  // namespace

bool GdiContext::BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int x1,
                        int y1, std::uint32_t rop) {
    State& s = *m_state;
    const State::Dc* destinationDc = s.dc(destination);
    const State::Dc* sourceDc = s.dc(source);
    if (!destinationDc || !sourceDc || !isSupportedRop(rop)) {
        return false;
    }
    State::Bitmap* target = s.bitmap(destinationDc->bitmap);
    const State::Bitmap* origin = s.bitmap(sourceDc->bitmap);
    if (!target || !origin || width <= 0 || height <= 0) {
        return true;  // the screen, or an empty block: nothing to transfer
    }

    // Clip the block so that both its source and its destination lie inside their bitmaps.
    // 64-bit arithmetic keeps far-away coordinates from overflowing.
    auto clipStart = [](std::int64_t a, std::int64_t b) {
        return std::max<std::int64_t>({0, -a, -b});
    };
    auto clipEnd = [](std::int64_t extent, std::int64_t a, std::int64_t sizeA, std::int64_t b,
                      std::int64_t sizeB) {
        return std::min({extent, sizeA - a, sizeB - b});
    };
    std::int64_t i0 = clipStart(x, x1);
    std::int64_t i1 = clipEnd(width, x, target->width, x1, origin->width);
    std::int64_t j0 = clipStart(y, y1);
    std::int64_t j1 = clipEnd(height, y, target->height, y1, origin->height);
    if (i0 >= i1 || j0 >= j1) {
        return true;
    }

    // A block copied within one bitmap is read whole before it is written.
    const State::Bitmap* reader = origin;
    State::Bitmap snapshot;
    if (origin == target) {
        snapshot = *origin;
        reader = &snapshot;
    }

    bool monochromeTarget = target->isMonochrome();
    for (std::int64_t j = j0; j < j1; ++j) {
        int dy = static_cast<int>(y + j);
        int sy = static_cast<int>(y1 + j);
        for (std::int64_t i = i0; i < i1; ++i) {
            int dx = static_cast<int>(x + i);
            int sx = static_cast<int>(x1 + i);
            std::uint32_t value =
                sourceValue(*reader, sx, sy, *sourceDc, monochromeTarget, *destinationDc);
            if (monochromeTarget) {
                std::uint8_t& bit = target->bit(dx, dy);
                bit = static_cast<std::uint8_t>(combine(rop, value, bit) & 1u);
            } else {
                COLORREF current = colorrefFromPixel(target->colour.pixel(dx, dy));
                COLORREF result = combine(rop, value, current) & 0xFFFFFFu;
                target->colour.setPixel(dx, dy, pixelFromColorref(result));
            }
        }
    }
    ++target->changes;
    return true;
}

int GdiContext::FillRect(HDC hdc, const RECT& rect, HBRUSH brushHandle) {
    State& s = *m_state;
    const State::Dc* dc = s.dc(hdc);
    const State::Brush* brush = s.brush(brushHandle.value);
    if (!dc || !brush) {
        return 0;
    }
    State::Bitmap* target = s.bitmap(dc->bitmap);
    if (!target) {
        return 1;
    }
    int left = std::max(rect.left, 0);
    int top = std::max(rect.top, 0);
    int right = std::min(rect.right, target->width);
    int bottom = std::min(rect.bottom, target->height);
    if (left >= right || top >= bottom) {
        return 1;
    }
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (target->isMonochrome()) {
                target->bit(x, y) = static_cast<std::uint8_t>(monochromeBitForColor(brush->color));
            } else {
                target->colour.setPixel(x, y, pixelFromColorref(brush->color));
            }
        }
    }
    ++target->changes;
    return 1;
}

}  // namespace plivora
