#pragma once

#include <cstdint>
#include <string>

namespace plivora {

// Colours are red + 256 * green + 65536 * blue; a set high bit names a system colour whose index
// is in the low 24 bits.
using OleColor = std::uint32_t;
inline constexpr OleColor kButtonFace = 0x8000000Fu;
inline constexpr OleColor kWindowText = 0x80000008u;
inline constexpr OleColor kBlack = 0x000000u;

inline constexpr OleColor rgb(int r, int g, int b) {
    return static_cast<OleColor>(r) | (static_cast<OleColor>(g) << 8) |
           (static_cast<OleColor>(b) << 16);
}

// Booleans that the program shares between windows are 16-bit values with True = -1.
using Bool16 = std::int16_t;
inline constexpr Bool16 kTrue = -1;
inline constexpr Bool16 kFalse = 0;

// Mouse buttons and shift state as the mouse events report them.
namespace MouseButton {
inline constexpr int Left = 1;
inline constexpr int Right = 2;
inline constexpr int Middle = 4;
}  // namespace MouseButton

struct PixelPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PixelPoint&) const = default;
};

// A rectangle in screen pixels: right and bottom are one past the last pixel, as window
// rectangles are.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

struct Font {
    std::string name = "MS Sans Serif";
    float sizePoints = 8.0f;
    bool bold = false;
    bool operator==(const Font&) const = default;
};

// Rounds to the nearest integer, halves to the even neighbour.
std::int32_t roundHalfEven(double value);

}  // namespace plivora
