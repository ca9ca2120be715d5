#pragma once

// The objects behind a GdiContext's handles. Private to the raster layer's .cpp files.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "win/gdi.h"
#include "win/image.h"

namespace plivora {

struct GdiContext::State {
    enum class DcKind { Memory, Window, Screen };

    struct Bitmap {
        int width = 0;
        int height = 0;
        int bitsPerPixel = 0;
        Image colour;                    // 32-bit: 0xFFRRGGBB pixels, always opaque
        std::vector<std::uint8_t> bits;  // 1-bit: one byte per pixel, 0 or 1
        std::uint32_t selectedInto = 0;  // the DC holding it; stock bitmaps are not tracked
        std::uint32_t surface = 0;       // the surface owning it, if any
        bool stock = false;
        std::uint64_t changes = 0;

        bool isMonochrome() const { return bitsPerPixel == 1; }
        std::uint8_t& bit(int x, int y) {
            return bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                        static_cast<std::size_t>(x)];
        }
    };

    struct Brush {
        COLORREF color = 0;
        int selections = 0;
        bool stock = false;
    };

    struct Dc {
        DcKind kind = DcKind::Memory;
        std::uint32_t bitmap = 0;  // 0 for the screen
        std::uint32_t brush = 0;
        COLORREF backgroundColor = 0xFFFFFF;
        COLORREF textColor = 0x000000;
        std::uint32_t surface = 0;  // window DCs
    };

    struct Surface {
        std::uint32_t bitmap = 0;
    };

    std::unordered_map<std::uint32_t, Dc> dcs;
    std::unordered_map<std::uint32_t, Bitmap> bitmaps;
    std::unordered_map<std::uint32_t, Brush> brushes;
    std::unordered_map<std::uint32_t, Surface> surfaces;
    std::uint32_t nextHandle = 0x10;
    std::uint32_t stockBitmap = 0;
    std::uint32_t stockBrush = 0;

    std::uint32_t newHandle() { return nextHandle++; }

    Dc* dc(HDC handle) {
        auto it = dcs.find(handle.value);
        return it == dcs.end() ? nullptr : &it->second;
    }
    const Dc* dc(HDC handle) const {
        auto it = dcs.find(handle.value);
        return it == dcs.end() ? nullptr : &it->second;
    }
    Bitmap* bitmap(std::uint32_t handle) {
        auto it = bitmaps.find(handle);
        return it == bitmaps.end() ? nullptr : &it->second;
    }
    const Bitmap* bitmap(std::uint32_t handle) const {
        auto it = bitmaps.find(handle);
        return it == bitmaps.end() ? nullptr : &it->second;
    }
    Brush* brush(std::uint32_t handle) {
        auto it = brushes.find(handle);
        return it == brushes.end() ? nullptr : &it->second;
    }

    // A new bitmap of the given format, or 0 when the size is negative or too large.
    std::uint32_t makeBitmap(int width, int height, int bitsPerPixel);
    // A new colour bitmap that takes over an image's pixels, which must all be opaque already.
    std::uint32_t adoptColourImage(Image image);
};

// The bit a colour gives on a monochrome bitmap: white (1) when the components add up to at least
// half their range, black (0) otherwise.
inline int monochromeBitForColor(COLORREF color) {
    return GetRValue(color) + GetGValue(color) + GetBValue(color) >= 384 ? 1 : 0;
}

}  // namespace plivora
