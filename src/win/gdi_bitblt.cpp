// BitBlt and FillRect of the raster model: the block transfers, their format conversions and
// their clipping.
//
// A transfer is clipped once and then done a row at a time. Each row is one tight loop picked for
// the pair of formats and the raster operation, with the colours a conversion needs worked out
// before the first row, so that the compiler can vectorise it. Colour pixels are combined as
// whole 0xFFRRGGBB words: AND, OR and XOR act on each bit alone, so combining the words and
// making the result opaque gives the same colour as combining the COLORREFs they stand for.

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "win/gdi.h"
#include "win/gdi_state.h"

namespace plivora {

namespace {

using State = GdiContext::State;

constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::uint32_t kColourBits = 0x00FFFFFFu;

bool isSupportedRop(std::uint32_t rop) {
    return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT;
}

// A block after clipping: its size and its top-left corner in the source and the destination.
struct Block {
    int columns = 0;
    int rows = 0;
    int sourceX = 0;
    int sourceY = 0;
    int targetX = 0;
    int targetY = 0;
};

std::size_t offsetOf(int x, int y, int width) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
}

// Combines one row: target = finish(value(source) rop target). `value` turns a source element into
// the destination's format; `finish` brings the result back into that format's range (an opaque
// pixel, a single bit).
template <typename Source, typename Target, typename Value, typename Finish>
void combineRow(std::uint32_t rop, const Source* source, Target* target, std::size_t count,
                Value value, Finish finish) {
    switch (rop) {
        case SRCPAINT:
            for (std::size_t i = 0; i < count; ++i) {
                target[i] = finish(value(source[i]) | target[i]);
            }
            break;
        case SRCAND:
            for (std::size_t i = 0; i < count; ++i) {
                target[i] = finish(value(source[i]) & target[i]);
            }
            break;
        case SRCINVERT:
            for (std::size_t i = 0; i < count; ++i) {
                target[i] = finish(value(source[i]) ^ target[i]);
            }
            break;
        default:
            for (std::size_t i = 0; i < count; ++i) {
                target[i] = finish(value(source[i]));
            }
            break;
    }
}

// Transfers a clipped block between two pixel arrays. A copy between bitmaps of one format moves
// the rows as they are: colour pixels are always opaque, and bits are always 0 or 1. Within one
// bitmap every source row is read before any of it is written: the rows go bottom up when the
// block moves down, and a row that is combined with itself is read into a scratch row first.
template <typename Source, typename Target, typename Value, typename Finish>
void transferBlock(const Source* sourcePixels, int sourceWidth, Target* targetPixels,
                   int targetWidth, const Block& block, std::uint32_t rop, bool sameBitmap,
                   Value value, Finish finish) {
    constexpr bool kSameFormat = std::is_same_v<Source, Target>;
    const bool plainCopy = kSameFormat && rop == SRCCOPY;
    const auto columns = static_cast<std::size_t>(block.columns);
    std::vector<Source> scratch(sameBitmap && !plainCopy ? columns : 0);
    const bool bottomUp = sameBitmap && block.targetY > block.sourceY;
    for (int r = 0; r < block.rows; ++r) {
        const int j = bottomUp ? block.rows - 1 - r : r;
        const Source* in = sourcePixels + offsetOf(block.sourceX, block.sourceY + j, sourceWidth);
        Target* out = targetPixels + offsetOf(block.targetX, block.targetY + j, targetWidth);
        if constexpr (kSameFormat) {
            if (plainCopy) {
                std::memmove(out, in, columns * sizeof(Target));
                continue;
            }
        }
        if (!scratch.empty()) {
            std::copy(in, in + columns, scratch.begin());
            in = scratch.data();
        }
        combineRow(rop, in, out, columns, value, finish);
    }
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
    const Block block{static_cast<int>(i1 - i0), static_cast<int>(j1 - j0),
                      static_cast<int>(x1 + i0), static_cast<int>(y1 + j0),
                      static_cast<int>(x + i0),  static_cast<int>(y + j0)};
    const bool sameBitmap = origin == target;

    auto colour = [](std::uint32_t pixel) { return pixel; };
    auto bit = [](std::uint8_t value) { return value; };
    auto opaque = [](std::uint32_t pixel) { return pixel | kOpaque; };
    auto lowBit = [](unsigned value) { return static_cast<std::uint8_t>(value & 1u); };

    if (origin->isMonochrome() && target->isMonochrome()) {
        transferBlock(origin->bits.data(), origin->width, target->bits.data(), target->width, block,
                      rop, sameBitmap, bit, lowBit);
    } else if (origin->isMonochrome()) {
        // Monochrome to colour: 0 takes the destination's text colour, 1 its background colour.
        const std::uint32_t zero = pixelFromColorref(destinationDc->textColor);
        const std::uint32_t one = pixelFromColorref(destinationDc->backgroundColor);
        transferBlock(
            origin->bits.data(), origin->width, target->colour.pixels.data(), target->width, block,
            rop, sameBitmap, [zero, one](std::uint8_t value) { return value ? one : zero; },
            opaque);
    } else if (target->isMonochrome()) {
        // Colour to monochrome: the source's background colour becomes 1, everything else 0.
        const std::uint32_t key = pixelFromColorref(sourceDc->backgroundColor) & kColourBits;
        transferBlock(
            origin->colour.pixels.data(), origin->width, target->bits.data(), target->width, block,
            rop, sameBitmap,
            [key](std::uint32_t pixel) {
                return static_cast<std::uint8_t>((pixel & kColourBits) == key ? 1 : 0);
            },
            lowBit);
    } else {
        transferBlock(origin->colour.pixels.data(), origin->width, target->colour.pixels.data(),
                      target->width, block, rop, sameBitmap, colour, opaque);
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
    auto fillRows = [&](auto* pixels, auto value) {
        for (int y = top; y < bottom; ++y) {
            auto* row = pixels + offsetOf(left, y, target->width);
            std::fill(row, row + (right - left), value);
        }
    };
    if (target->isMonochrome()) {
        fillRows(target->bits.data(),
                 static_cast<std::uint8_t>(monochromeBitForColor(brush->color)));
    } else {
        fillRows(target->colour.pixels.data(), pixelFromColorref(brush->color));
    }
    ++target->changes;
    return 1;
}

}  // namespace plivora
