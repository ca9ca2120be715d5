#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "win/image.h"

namespace plivora {

// Colours at the raster calls: red + 256 * green + 65536 * blue, as the calls take them. Inside a
// colour bitmap the same colour is the pixel 0xFFRRGGBB.
using COLORREF = std::uint32_t;
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;

constexpr COLORREF RGB(int red, int green, int blue) {
    return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF color) {
    return static_cast<int>(color & 0xFF);
}
constexpr int GetGValue(COLORREF color) {
    return static_cast<int>((color >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF color) {
    return static_cast<int>((color >> 16) & 0xFF);
}

// The pixel of a colour bitmap for a colour (opaque), and the colour of a pixel (alpha dropped).
constexpr std::uint32_t pixelFromColorref(COLORREF color) {
    return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(color)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(color)) << 8) |
           static_cast<std::uint32_t>(GetBValue(color));
}
constexpr COLORREF colorrefFromPixel(std::uint32_t argb) {
    return RGB(static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
               static_cast<int>(argb & 0xFF));
}

// A rectangle in pixels; right and bottom are outside it.
struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Typed handles into a GdiContext. The value 0 is the null handle; values are never reused
// within one context, so a stale handle names nothing rather than a newer object.
template <typename Tag>
struct GdiHandle {
    std::uint32_t value = 0;

    constexpr explicit operator bool() const { return value != 0; }
    friend constexpr bool operator==(GdiHandle, GdiHandle) = default;
};

using HDC = GdiHandle<struct HdcTag>;
using HBITMAP = GdiHandle<struct HbitmapTag>;
using HBRUSH = GdiHandle<struct HbrushTag>;
// A window's drawing surface: a colour bitmap that belongs to a window rather than to a memory
// DC. GetDC of a surface gives a DC that draws on it; a view paints its pixels.
using SurfaceId = GdiHandle<struct SurfaceTag>;

// Any object that DeleteObject takes.
struct HGDIOBJ {
    std::uint32_t value = 0;

    constexpr HGDIOBJ() = default;
    constexpr HGDIOBJ(HBITMAP bitmap) : value(bitmap.value) {}  // NOLINT: implicit like the API
    constexpr HGDIOBJ(HBRUSH brush) : value(brush.value) {}     // NOLINT: implicit like the API
};

// Raster operations of BitBlt: D is the destination, S the source.
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;    // D = S
inline constexpr std::uint32_t SRCPAINT = 0x00EE0086;   // D = S | D
inline constexpr std::uint32_t SRCAND = 0x008800C6;     // D = S & D
inline constexpr std::uint32_t SRCINVERT = 0x00660046;  // D = S ^ D

// System colour indexes that GetSysColor takes.
inline constexpr int COLOR_SCROLLBAR = 0;
inline constexpr int COLOR_BACKGROUND = 1;
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;

// A colour value whose high bit is set names a system colour; its index is in the low 24 bits.
// Controls keep their colours this way, so that they follow the system's scheme.
inline constexpr std::uint32_t kSystemColorFlag = 0x80000000u;

// The colour a colour value stands for: a system colour is looked up by its index through
// `systemColor` (int -> COLORREF); any other value is the colour itself. Every place that turns a
// control's colour into one to draw with goes through here, with the table it draws from.
template <typename SystemColorLookup>
COLORREF resolveColor(std::uint32_t color, const SystemColorLookup& systemColor) {
    if ((color & kSystemColorFlag) != 0) {
        return systemColor(static_cast<int>(color & 0x00FFFFFFu));
    }
    return color;
}

// The system colour table that GetSysColor reads. It starts with the classic desktop scheme; the
// host that owns the context fills in its platform's colours (the Qt host every index, from the
// application's palette).
class SystemColors {
public:
    static constexpr int kCount = 31;

    SystemColors();

    // The colour of an index; 0 for an index outside the table, as the platform call answers.
    COLORREF color(int index) const;
    void setColor(int index, COLORREF color);
    // The colour a colour value stands for, a system colour read from this table.
    COLORREF resolve(std::uint32_t color) const;

private:
    std::array<COLORREF, kCount> m_colors{};
};

// The size and format of a bitmap.
struct BitmapInfo {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;  // 1 (monochrome) or 32 (colour)
};

// Live objects of a context, stock objects not counted.
struct GdiObjectCounts {
    int deviceContexts = 0;
    int bitmaps = 0;
    int brushes = 0;
    int surfaces = 0;

    friend bool operator==(const GdiObjectCounts&, const GdiObjectCounts&) = default;
};

// The largest bitmap the model makes, in pixels; a larger request fails as it would on a real
// device, with a null handle.
inline constexpr std::int64_t kMaxBitmapPixels = 64LL * 1024 * 1024;

// A deterministic model of the raster calls the program draws with: memory DCs, window surfaces,
// 32-bit colour bitmaps, 1-bit monochrome bitmaps, solid brushes, FillRect and BitBlt with the
// source-only raster operations. It keeps the platform's rules that drawing code relies on: a new
// memory DC holds a 1x1 monochrome stock bitmap (so a bitmap compatible with a fresh memory DC is
// monochrome), a bitmap can be selected into one DC at a time, an object selected into a DC is
// not deleted, and BitBlt between formats converts through the DCs' background and text colours.
// It owns every object it hands out; nothing here is process-wide. Calls on null or stale handles
// fail the way the platform's calls do (a null handle, FALSE, CLR_INVALID) and never throw.
class GdiContext {
public:
    GdiContext();
    ~GdiContext();
    GdiContext(const GdiContext&) = delete;
    GdiContext& operator=(const GdiContext&) = delete;

    // --- The platform calls, under their own names ---

    // A memory DC compatible with the device of `hdc` (the screen when null). It starts with the
    // 1x1 monochrome stock bitmap, the white stock brush, a white background and black text.
    HDC CreateCompatibleDC(HDC hdc);
    // Deletes a memory DC; the objects selected into it are released, not deleted.
    bool DeleteDC(HDC hdc);
    // A DC drawing on a surface, or on the screen when `surface` is null. The screen has no pixels
    // in this model: drawing on it or reading from it touches nothing.
    HDC GetDC(SurfaceId surface);
    // Releases a DC that GetDC gave; 1 when released, 0 otherwise.
    int ReleaseDC(SurfaceId surface, HDC hdc);

    // A bitmap in the format of the bitmap selected into `hdc` for a memory DC (monochrome for a
    // fresh one), colour for a window or screen DC. A width or height of 0 gives the 1x1
    // monochrome stock bitmap; a negative or too large size gives null. Colour bitmaps start
    // black, monochrome ones all 0.
    HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
    // A bitmap with one plane of 1 bit (rows padded to 16 bits, most significant bit leftmost,
    // 1 = white) or 32 bits (little-endian 0x00RRGGBB per pixel) per pixel; `bits` may be null
    // (all 0). Other formats give null.
    HBITMAP CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel,
                         const void* bits);
    HBRUSH CreateSolidBrush(COLORREF color);

    // Selects an object into a DC and returns the one it replaces; null on failure (a bitmap
    // already selected into another DC, a bitmap into a window DC, a stale handle).
    HBITMAP SelectObject(HDC hdc, HBITMAP bitmap);
    HBRUSH SelectObject(HDC hdc, HBRUSH brush);
    // Deletes a bitmap or brush. FALSE while it is selected into a DC; TRUE and nothing done for a
    // stock object.
    bool DeleteObject(HGDIOBJ object);

    // Copies a block from `source` (at x1, y1) to `destination` (at x, y), combined by `rop`
    // (SRCCOPY, SRCPAINT, SRCAND, SRCINVERT), clipped to both bitmaps. Between formats:
    // colour to monochrome gives 1 where the source pixel equals the SOURCE DC's background colour
    // and 0 elsewhere; monochrome to colour gives the DESTINATION DC's text colour for 0 and its
    // background colour for 1.
    bool BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int x1, int y1,
                std::uint32_t rop);
    // Fills a rectangle (clipped to the bitmap) with a brush's colour; nonzero on success.
    int FillRect(HDC hdc, const RECT& rect, HBRUSH brush);

    // Each returns the previous colour, CLR_INVALID for a bad DC.
    COLORREF SetBkColor(HDC hdc, COLORREF color);
    COLORREF SetTextColor(HDC hdc, COLORREF color);
    COLORREF GetBkColor(HDC hdc) const;
    COLORREF GetTextColor(HDC hdc) const;
    // The colour the DC shows for `color`: itself on a colour device, black or white on a
    // monochrome bitmap (the nearer by the sum of the components).
    COLORREF GetNearestColor(HDC hdc, COLORREF color) const;
    COLORREF GetSysColor(int index) const;

    // --- Our own additions ---

    // The system colour table GetSysColor reads; the host fills it.
    SystemColors& systemColors() { return m_systemColors; }
    const SystemColors& systemColors() const { return m_systemColors; }

    // A window's drawing surface, filled with `fill`. Null when the size is negative or too large.
    SurfaceId createSurface(int width, int height, COLORREF fill);
    // Changes a surface's size, keeping the pixels both sizes share and filling the rest.
    bool resizeSurface(SurfaceId surface, int width, int height, COLORREF fill);
    // Removes a surface; the DCs that GetDC gave for it go with it.
    void destroySurface(SurfaceId surface);
    // The pixels of a surface (an empty image for a bad handle).
    const Image& surfaceImage(SurfaceId surface) const;

    // A colour bitmap holding an image, every pixel made opaque; null for an empty or too large
    // image. A decoded picture becomes drawable this way. The overload taking an rvalue takes over
    // the image's pixel memory instead of copying it.
    HBITMAP createBitmapFromImage(const Image& image);
    HBITMAP createBitmapFromImage(Image&& image);
    // The bitmap selected into a DC (a window DC's surface bitmap); null for the screen.
    HBITMAP selectedBitmap(HDC hdc) const;
    std::optional<BitmapInfo> bitmapInfo(HBITMAP bitmap) const;
    // A copy of a bitmap's pixels; monochrome 0 is black and 1 white.
    Image bitmapPixels(HBITMAP bitmap) const;
    // A monochrome bitmap's bit (0 or 1); -1 outside it or for a colour bitmap.
    int monochromeBit(HBITMAP bitmap, int x, int y) const;
    // Counts every change of a bitmap's pixels, so a view can tell when to repaint.
    std::uint64_t changeCount(HBITMAP bitmap) const;
    GdiObjectCounts objectCounts() const;

    struct State;

private:
    std::unique_ptr<State> m_state;
    SystemColors m_systemColors;
};

}  // namespace plivora
