#include "win/gdi.h"

#include <algorithm>
#include <utility>

#include "win/gdi_state.h"

namespace plivora {

namespace {

// The classic desktop scheme, by system colour index.
constexpr std::array<COLORREF, SystemColors::kCount> kClassicScheme = {
    0xC0C0C0,  // 0 scroll bar
    0x808000,  // 1 desktop
    0x800000,  // 2 active caption
    0x808080,  // 3 inactive caption
    0xC0C0C0,  // 4 menu
    0xFFFFFF,  // 5 window
    0x000000,  // 6 window frame
    0x000000,  // 7 menu text
    0x000000,  // 8 window text
    0xFFFFFF,  // 9 caption text
    0xC0C0C0,  // 10 active border
    0xC0C0C0,  // 11 inactive border
    0x808080,  // 12 application workspace
    0x800000,  // 13 highlight
    0xFFFFFF,  // 14 highlight text
    0xC0C0C0,  // 15 button face
    0x808080,  // 16 button shadow
    0x808080,  // 17 grey text
    0x000000,  // 18 button text
    0xC0C0C0,  // 19 inactive caption text
    0xFFFFFF,  // 20 button highlight
    0x000000,  // 21 3-D dark shadow
    0xDFDFDF,  // 22 3-D light
    0x000000,  // 23 tooltip text
    0xE1FFFF,  // 24 tooltip background
    0x000000,  // 25 (unused)
    0x800000,  // 26 hot-tracked item
    0xD08410,  // 27 active caption gradient
    0xB5B5B5,  // 28 inactive caption gradient
    0x800000,  // 29 menu highlight
    0xC0C0C0,  // 30 menu bar
};

bool sizeIsAllowed(int width, int height) {
    return width > 0 && height > 0 &&
           static_cast<std::int64_t>(width) * static_cast<std::int64_t>(height) <= kMaxBitmapPixels;
}

}  // namespace

SystemColors::SystemColors() : m_colors(kClassicScheme) {}

COLORREF SystemColors::color(int index) const {
    if (index < 0 || index >= kCount) {
        return 0;
    }
    return m_colors[static_cast<std::size_t>(index)];
}

void SystemColors::setColor(int index, COLORREF color) {
    if (index >= 0 && index < kCount) {
        m_colors[static_cast<std::size_t>(index)] = color & 0xFFFFFF;
    }
}

COLORREF SystemColors::resolve(std::uint32_t color) const {
    return resolveColor(color, [this](int index) { return this->color(index); });
}

std::uint32_t GdiContext::State::makeBitmap(int width, int height, int bitsPerPixel) {
    if (!sizeIsAllowed(width, height)) {
        return 0;
    }
    Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.bitsPerPixel = bitsPerPixel;
    if (bitsPerPixel == 1) {
        bitmap.bits.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    } else {
        bitmap.colour = Image(width, height, 0xFF000000u);
    }
    std::uint32_t handle = newHandle();
    bitmaps.emplace(handle, std::move(bitmap));
    return handle;
}

std::uint32_t GdiContext::State::adoptColourImage(Image image) {
    Bitmap bitmap;
    bitmap.width = image.width;
    bitmap.height = image.height;
    bitmap.bitsPerPixel = 32;
    bitmap.colour = std::move(image);
    std::uint32_t handle = newHandle();
    bitmaps.emplace(handle, std::move(bitmap));
    return handle;
}

GdiContext::GdiContext() : m_state(std::make_unique<State>()) {
    State& s = *m_state;
    s.stockBitmap = s.makeBitmap(1, 1, 1);
    s.bitmaps[s.stockBitmap].stock = true;
    s.stockBrush = s.newHandle();
    s.brushes.emplace(s.stockBrush, State::Brush{0xFFFFFF, 0, true});
}

GdiContext::~GdiContext() = default;

HDC GdiContext::CreateCompatibleDC(HDC hdc) {
    State& s = *m_state;
    if (hdc && !s.dc(hdc)) {
        return {};
    }
    State::Dc dc;
    dc.kind = State::DcKind::Memory;
    dc.bitmap = s.stockBitmap;
    dc.brush = s.stockBrush;
    std::uint32_t handle = s.newHandle();
    s.dcs.emplace(handle, dc);
    return HDC{handle};
}

namespace {

// Lets go of the objects selected into a DC that is going away.
void releaseSelections(GdiContext::State& s, const GdiContext::State::Dc& dc) {
    if (auto* bitmap = s.bitmap(dc.bitmap); bitmap && !bitmap->stock && bitmap->surface == 0) {
        bitmap->selectedInto = 0;
    }
    if (auto* brush = s.brush(dc.brush); brush && !brush->stock) {
        --brush->selections;
    }
}

}  // namespace

bool GdiContext::DeleteDC(HDC hdc) {
    State& s = *m_state;
    State::Dc* dc = s.dc(hdc);
    if (!dc || dc->kind != State::DcKind::Memory) {
        return false;
    }
    releaseSelections(s, *dc);
    s.dcs.erase(hdc.value);
    return true;
}

HDC GdiContext::GetDC(SurfaceId surface) {
    State& s = *m_state;
    State::Dc dc;
    dc.brush = s.stockBrush;
    if (surface) {
        auto it = s.surfaces.find(surface.value);
        if (it == s.surfaces.end()) {
            return {};
        }
        dc.kind = State::DcKind::Window;
        dc.bitmap = it->second.bitmap;
        dc.surface = surface.value;
    } else {
        dc.kind = State::DcKind::Screen;
    }
    std::uint32_t handle = s.newHandle();
    s.dcs.emplace(handle, dc);
    return HDC{handle};
}

int GdiContext::ReleaseDC(SurfaceId surface, HDC hdc) {
    State& s = *m_state;
    State::Dc* dc = s.dc(hdc);
    if (!dc || dc->kind == State::DcKind::Memory || dc->surface != surface.value) {
        return 0;
    }
    releaseSelections(s, *dc);
    s.dcs.erase(hdc.value);
    return 1;
}

HBITMAP GdiContext::CreateCompatibleBitmap(HDC hdc, int width, int height) {
    State& s = *m_state;
    const State::Dc* dc = s.dc(hdc);
    if (!dc) {
        return {};
    }
    if (width == 0 || height == 0) {
        return HBITMAP{s.stockBitmap};
    }
    int bitsPerPixel = 32;
    if (dc->kind == State::DcKind::Memory) {
        const State::Bitmap* selected = s.bitmap(dc->bitmap);
        bitsPerPixel = selected ? selected->bitsPerPixel : 1;
    }
    return HBITMAP{s.makeBitmap(width, height, bitsPerPixel)};
}

HBITMAP GdiContext::CreateBitmap(int width, int height, unsigned planes, unsigned bitsPerPixel,
                                 const void* bits) {
    State& s = *m_state;
    if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32)) {
        return {};
    }
    if (width == 0 || height == 0) {
        return HBITMAP{s.stockBitmap};
    }
    std::uint32_t handle = s.makeBitmap(width, height, static_cast<int>(bitsPerPixel));
    if (handle == 0 || bits == nullptr) {
        return HBITMAP{handle};
    }
    State::Bitmap& bitmap = s.bitmaps[handle];
    const auto* bytes = static_cast<const std::uint8_t*>(bits);
    if (bitsPerPixel == 1) {
        // Rows are padded to a whole number of 16-bit words.
        std::size_t stride = (static_cast<std::size_t>(width) + 15) / 16 * 2;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = bytes + static_cast<std::size_t>(y) * stride;
            for (int x = 0; x < width; ++x) {
                bitmap.bit(x, y) = (row[x / 8] >> (7 - x % 8)) & 1;
            }
        }
    } else {
        for (std::size_t i = 0; i < bitmap.colour.pixels.size(); ++i) {
            const std::uint8_t* p = bytes + i * 4;
            bitmap.colour.pixels[i] = 0xFF000000u | (static_cast<std::uint32_t>(p[2]) << 16) |
                                      (static_cast<std::uint32_t>(p[1]) << 8) | p[0];
        }
    }
    return HBITMAP{handle};
}

HBRUSH GdiContext::CreateSolidBrush(COLORREF color) {
    State& s = *m_state;
    std::uint32_t handle = s.newHandle();
    s.brushes.emplace(handle, State::Brush{color & 0xFFFFFF, 0, false});
    return HBRUSH{handle};
}

HBITMAP GdiContext::SelectObject(HDC hdc, HBITMAP bitmapHandle) {
    State& s = *m_state;
    State::Dc* dc = s.dc(hdc);
    State::Bitmap* bitmap = s.bitmap(bitmapHandle.value);
    if (!dc || !bitmap || dc->kind != State::DcKind::Memory || bitmap->surface != 0) {
        return {};
    }
    std::uint32_t previous = dc->bitmap;
    if (previous == bitmapHandle.value) {
        return bitmapHandle;
    }
    if (!bitmap->stock) {
        if (bitmap->selectedInto != 0) {
            return {};
        }
        bitmap->selectedInto = hdc.value;
    }
    if (State::Bitmap* old = s.bitmap(previous); old && !old->stock) {
        old->selectedInto = 0;
    }
    dc->bitmap = bitmapHandle.value;
    return HBITMAP{previous};
}

HBRUSH GdiContext::SelectObject(HDC hdc, HBRUSH brushHandle) {
    State& s = *m_state;
    State::Dc* dc = s.dc(hdc);
    State::Brush* brush = s.brush(brushHandle.value);
    if (!dc || !brush) {
        return {};
    }
    std::uint32_t previous = dc->brush;
    if (previous == brushHandle.value) {
        return brushHandle;
    }
    if (!brush->stock) {
        ++brush->selections;
    }
    if (State::Brush* old = s.brush(previous); old && !old->stock) {
        --old->selections;
    }
    dc->brush = brushHandle.value;
    return HBRUSH{previous};
}

bool GdiContext::DeleteObject(HGDIOBJ object) {
    State& s = *m_state;
    if (State::Bitmap* bitmap = s.bitmap(object.value)) {
        if (bitmap->stock) {
            return true;
        }
        if (bitmap->selectedInto != 0 || bitmap->surface != 0) {
            return false;
        }
        s.bitmaps.erase(object.value);
        return true;
    }
    if (State::Brush* brush = s.brush(object.value)) {
        if (brush->stock) {
            return true;
        }
        if (brush->selections > 0) {
            return false;
        }
        s.brushes.erase(object.value);
        return true;
    }
    return false;
}

COLORREF GdiContext::SetBkColor(HDC hdc, COLORREF color) {
    State::Dc* dc = m_state->dc(hdc);
    if (!dc) {
        return CLR_INVALID;
    }
    return std::exchange(dc->backgroundColor, color & 0xFFFFFF);
}

COLORREF GdiContext::SetTextColor(HDC hdc, COLORREF color) {
    State::Dc* dc = m_state->dc(hdc);
    if (!dc) {
        return CLR_INVALID;
    }
    return std::exchange(dc->textColor, color & 0xFFFFFF);
}

COLORREF GdiContext::GetBkColor(HDC hdc) const {
    const State::Dc* dc = m_state->dc(hdc);
    return dc ? dc->backgroundColor : CLR_INVALID;
}

COLORREF GdiContext::GetTextColor(HDC hdc) const {
    const State::Dc* dc = m_state->dc(hdc);
    return dc ? dc->textColor : CLR_INVALID;
}

COLORREF GdiContext::GetNearestColor(HDC hdc, COLORREF color) const {
    const State::Dc* dc = m_state->dc(hdc);
    if (!dc) {
        return CLR_INVALID;
    }
    const State::Bitmap* bitmap = m_state->bitmap(dc->bitmap);
    if (bitmap && bitmap->isMonochrome()) {
        return monochromeBitForColor(color) ? 0xFFFFFF : 0x000000;
    }
    return color & 0xFFFFFF;
}

COLORREF GdiContext::GetSysColor(int index) const {
    return m_systemColors.color(index);
}

SurfaceId GdiContext::createSurface(int width, int height, COLORREF fill) {
    State& s = *m_state;
    std::uint32_t bitmapHandle = s.makeBitmap(width, height, 32);
    if (bitmapHandle == 0) {
        return {};
    }
    std::uint32_t handle = s.newHandle();
    State::Bitmap& bitmap = s.bitmaps[bitmapHandle];
    bitmap.surface = handle;
    std::fill(bitmap.colour.pixels.begin(), bitmap.colour.pixels.end(), pixelFromColorref(fill));
    s.surfaces.emplace(handle, State::Surface{bitmapHandle});
    return SurfaceId{handle};
}

bool GdiContext::resizeSurface(SurfaceId surface, int width, int height, COLORREF fill) {
    State& s = *m_state;
    auto it = s.surfaces.find(surface.value);
    if (it == s.surfaces.end() || !sizeIsAllowed(width, height)) {
        return false;
    }
    State::Bitmap& bitmap = s.bitmaps[it->second.bitmap];
    Image resized(width, height, pixelFromColorref(fill));
    int keepWidth = std::min(width, bitmap.width);
    int keepHeight = std::min(height, bitmap.height);
    for (int y = 0; y < keepHeight; ++y) {
        for (int x = 0; x < keepWidth; ++x) {
            resized.setPixel(x, y, bitmap.colour.pixel(x, y));
        }
    }
    bitmap.colour = std::move(resized);
    bitmap.width = width;
    bitmap.height = height;
    ++bitmap.changes;
    return true;
}

void GdiContext::destroySurface(SurfaceId surface) {
    State& s = *m_state;
    auto it = s.surfaces.find(surface.value);
    if (it == s.surfaces.end()) {
        return;
    }
    std::erase_if(s.dcs, [&](const auto& entry) {
        if (entry.second.surface != surface.value) {
            return false;
        }
        releaseSelections(s, entry.second);
        return true;
    });
    s.bitmaps.erase(it->second.bitmap);
    s.surfaces.erase(it);
}

const Image& GdiContext::surfaceImage(SurfaceId surface) const {
    static const Image kEmpty;
    auto it = m_state->surfaces.find(surface.value);
    if (it == m_state->surfaces.end()) {
        return kEmpty;
    }
    return m_state->bitmaps.at(it->second.bitmap).colour;
}

namespace {

// An image a colour bitmap can be made from: not empty, no larger than a bitmap may be, and with
// exactly one pixel per place.
bool canBecomeBitmap(const Image& image) {
    return sizeIsAllowed(image.width, image.height) &&
           image.pixels.size() ==
               static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
}

}  // namespace

HBITMAP GdiContext::createBitmapFromImage(const Image& image) {
    if (!canBecomeBitmap(image)) {
        return {};
    }
    return createBitmapFromImage(Image(image));
}

HBITMAP GdiContext::createBitmapFromImage(Image&& image) {
    if (!canBecomeBitmap(image)) {
        return {};
    }
    for (std::uint32_t& pixel : image.pixels) {
        pixel |= 0xFF000000u;
    }
    return HBITMAP{m_state->adoptColourImage(std::move(image))};
}

HBITMAP GdiContext::selectedBitmap(HDC hdc) const {
    const State::Dc* dc = m_state->dc(hdc);
    return dc ? HBITMAP{dc->bitmap} : HBITMAP{};
}

std::optional<BitmapInfo> GdiContext::bitmapInfo(HBITMAP bitmapHandle) const {
    const State::Bitmap* bitmap = m_state->bitmap(bitmapHandle.value);
    if (!bitmap) {
        return std::nullopt;
    }
    return BitmapInfo{bitmap->width, bitmap->height, bitmap->bitsPerPixel};
}

Image GdiContext::bitmapPixels(HBITMAP bitmapHandle) const {
    const State::Bitmap* bitmap = m_state->bitmap(bitmapHandle.value);
    if (!bitmap) {
        return {};
    }
    if (!bitmap->isMonochrome()) {
        return bitmap->colour;
    }
    Image image(bitmap->width, bitmap->height);
    std::transform(bitmap->bits.begin(), bitmap->bits.end(), image.pixels.begin(),
                   [](std::uint8_t bit) { return bit ? 0xFFFFFFFFu : 0xFF000000u; });
    return image;
}

int GdiContext::monochromeBit(HBITMAP bitmapHandle, int x, int y) const {
    const State::Bitmap* bitmap = m_state->bitmap(bitmapHandle.value);
    if (!bitmap || !bitmap->isMonochrome() || x < 0 || y < 0 || x >= bitmap->width ||
        y >= bitmap->height) {
        return -1;
    }
    return bitmap->bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap->width) +
                        static_cast<std::size_t>(x)];
}

std::uint64_t GdiContext::changeCount(HBITMAP bitmapHandle) const {
    const State::Bitmap* bitmap = m_state->bitmap(bitmapHandle.value);
    return bitmap ? bitmap->changes : 0;
}

GdiObjectCounts GdiContext::objectCounts() const {
    const State& s = *m_state;
    GdiObjectCounts counts;
    counts.deviceContexts = static_cast<int>(s.dcs.size());
    counts.bitmaps =
        static_cast<int>(std::count_if(s.bitmaps.begin(), s.bitmaps.end(), [](const auto& entry) {
            return !entry.second.stock && entry.second.surface == 0;
        }));
    counts.brushes = static_cast<int>(s.brushes.size()) - 1;
    counts.surfaces = static_cast<int>(s.surfaces.size());
    return counts;
}

}  // namespace plivora
