// The animation's drawing and timing: the canvas, the composition of a frame on it with its
// disposal and transparency, the copy to the drawing surface, and the frame clock.

#include <algorithm>
#include <climits>
#include <cmath>

#include "gifctl/frame_clock.h"
#include "gifctl/gif_animation.h"
#include "win/error.h"

namespace plivora {

namespace {

constexpr int kStartIntervalMs = 250;

// A size in the control's scale, rounded to the nearest whole number with halves to the even
// one.
int roundedScale(double value) {
    double rounded = std::nearbyint(value);
    return static_cast<int>(
        std::clamp(rounded, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

}  // namespace

COLORREF GifAnimation::NearestSolidColor(COLORREF colour) const {
    HDC screen = m_gdi.GetDC({});
    COLORREF nearest = m_gdi.GetNearestColor(screen, m_gdi.systemColors().resolve(colour));
    m_gdi.ReleaseDC({}, screen);
    return nearest;
}

void GifAnimation::ClearDisplay() {
    if (!m_hdc) {
        return;
    }
    RECT rect{0, 0, roundedScale(m_host.scaleWidth()), roundedScale(m_host.scaleHeight())};
    m_backgroundSolidColor = NearestSolidColor(m_host.backColor());
    HBRUSH brush = m_gdi.CreateSolidBrush(m_backgroundSolidColor);
    m_gdi.FillRect(m_hdc, rect, brush);
    m_gdi.DeleteObject(brush);
}

GifFrameRect GifAnimation::canvasRect() const {
    int width = (m_stream.screen.width + 31) & ~31;
    int height = m_stream.screen.height;
    // A host that knows no screen sets no limit; the canvas is then the file's alone.
    if (m_host.screenWidthPx() > 0) {
        width = std::min(width, m_host.screenWidthPx());
    }
    if (m_host.screenHeightPx() > 0) {
        height = std::min(height, m_host.screenHeightPx());
    }
    return GifFrameRect{0, 0, width, height};
}

GifFrameRect GifAnimation::visiblePart(const GifFrameRect& rect, int canvasWidth,
                                       int canvasHeight) {
    GifFrameRect visible = rect;
    visible.width = std::clamp(canvasWidth - rect.left, 0, std::max(rect.width, 0));
    visible.height = std::clamp(canvasHeight - rect.top, 0, std::max(rect.height, 0));
    return visible;
}

void GifAnimation::CreateCanvas() {
    // The width is rounded up in 16-bit arithmetic, so the widest screen is 32736 pixels.
    if (m_stream.screen.width + 31 > SHRT_MAX) {
        throw Error(ErrorNumber::Overflow);
    }
    const GifFrameRect canvas = canvasRect();
    const int width = canvas.width;
    const int height = canvas.height;
    if (static_cast<std::int64_t>(width) * height > kMaxBitmapPixels) {
        throw Error(ErrorNumber::OutOfMemory);
    }

    HBITMAP bitmap = m_gdi.CreateCompatibleBitmap(m_hdc, width, height);
    HBITMAP replaced = m_gdi.SelectObject(m_canvasDc, bitmap);
    if (replaced) {
        if (!m_canvasMade) {
            m_canvasFirstBitmap = replaced;
            m_canvasMade = true;
        } else if (replaced != bitmap) {
            m_gdi.DeleteObject(replaced);
        }
        m_canvasBitmap = bitmap;
    } else {
        // No drawing surface to be compatible with: the canvas stays as it was.
        m_gdi.DeleteObject(bitmap);
    }
    m_canvasWidth = width;
    m_canvasHeight = height;
    m_frameRect = GifFrameRect{0, 0, width, height};

    m_backgroundSolidColor = NearestSolidColor(m_host.backColor());
    HBRUSH brush = m_gdi.CreateSolidBrush(m_backgroundSolidColor);
    m_gdi.FillRect(m_canvasDc, RECT{0, 0, width, height}, brush);
    m_gdi.DeleteObject(brush);
}

void GifAnimation::RenderGif(int ctr) {
    if (!hasFrames()) {
        return;  // nothing loaded
    }
    if (m_stopRender) {
        return;
    }
    // No caller asks for a frame that does not exist; such a request draws nothing.
    if (ctr < 0 || ctr >= static_cast<int>(m_frames.size()) ||
        ctr >= static_cast<int>(m_stream.records.size())) {
        return;
    }
    const GifFrameRecord& record = m_stream.records[static_cast<std::size_t>(ctr)];

    // The kept frame is expanded into a colour bitmap for this draw only. It covers the part of
    // the frame on the canvas, which is all the blits below can reach.
    HDC frameDc = m_gdi.CreateCompatibleDC(m_ownDc);
    HBITMAP frameBitmap =
        m_gdi.createBitmapFromImage(m_frames[static_cast<std::size_t>(ctr)].toImage());
    HBITMAP kept = m_gdi.SelectObject(frameDc, frameBitmap);

    COLORREF key = transparentKeyColour(m_stream, ctr);
    m_frameRect = GifFrameRect{record.left, record.top, record.width, record.height};
    const GifFrameRect visible = visiblePart(m_frameRect, m_canvasWidth, m_canvasHeight);

    if (record.disposalMethod == 2) {
        // Restore to background: the whole canvas, before the frame is drawn.
        m_backgroundSolidColor = NearestSolidColor(m_host.backColor());
        HBRUSH brush = m_gdi.CreateSolidBrush(m_backgroundSolidColor);
        HBRUSH previous = m_gdi.SelectObject(m_canvasDc, brush);
        m_gdi.FillRect(m_canvasDc, RECT{0, 0, m_canvasWidth, m_canvasHeight}, brush);
        m_gdi.SelectObject(m_canvasDc, previous);
        m_gdi.DeleteObject(brush);
    }

    if (visible.width == 0 || visible.height == 0) {
        // Nothing of the frame is on the canvas (it lies beyond the screen): the canvas, disposed
        // of as the frame asks, is what shows.
        m_gdi.BitBlt(m_hdc, 0, 0, m_canvasWidth, m_canvasHeight, m_canvasDc, 0, 0, SRCCOPY);
    } else if (record.hasTransparency) {
        TransparentBlit(m_canvasDc, frameDc, visible, record.left, record.top, key);
    } else {
        m_gdi.BitBlt(m_canvasDc, record.left, record.top, visible.width, visible.height, frameDc, 0,
                     0, SRCCOPY);
        m_gdi.BitBlt(m_hdc, 0, 0, m_canvasWidth, m_canvasHeight, m_canvasDc, 0, 0, SRCCOPY);
    }

    m_gdi.SelectObject(frameDc, kept);
    m_gdi.DeleteDC(frameDc);
    m_gdi.DeleteObject(frameBitmap);
}

void GifAnimation::TransparentBlit(HDC destination, HDC source, const GifFrameRect& rect, int x,
                                   int y, COLORREF key) {
    const int w = rect.width;
    const int h = rect.height;

    // 1-2: three memory DCs; a monochrome mask and two colour bitmaps of the frame's size.
    HDC copyDc = m_gdi.CreateCompatibleDC(destination);
    HDC workDc = m_gdi.CreateCompatibleDC(destination);
    HDC maskDc = m_gdi.CreateCompatibleDC(destination);
    HBITMAP maskBitmap = m_gdi.CreateBitmap(w, h, 1, 1, nullptr);
    HBITMAP copyBitmap = m_gdi.CreateCompatibleBitmap(destination, w, h);
    HBITMAP workBitmap = m_gdi.CreateCompatibleBitmap(destination, w, h);
    HBITMAP keptCopy = m_gdi.SelectObject(copyDc, copyBitmap);
    HBITMAP keptWork = m_gdi.SelectObject(workDc, workBitmap);
    HBITMAP keptMask = m_gdi.SelectObject(maskDc, maskBitmap);

    // 3: the frame.
    m_gdi.BitBlt(copyDc, 0, 0, w, h, source, 0, 0, SRCCOPY);
    // 4: the canvas under the frame.
    m_gdi.BitBlt(workDc, 0, 0, w, h, destination, x, y, SRCCOPY);
    // 5: the mask: 1 where the frame has the key colour, 0 elsewhere.
    COLORREF previousBackground = m_gdi.SetBkColor(copyDc, key);
    m_gdi.BitBlt(maskDc, 0, 0, w, h, copyDc, 0, 0, SRCCOPY);
    m_gdi.SetBkColor(copyDc, previousBackground);
    // 6: canvas XOR frame.
    m_gdi.BitBlt(workDc, 0, 0, w, h, copyDc, 0, 0, SRCINVERT);
    // 7: with the work DC's white background and black text the mask's 1 bits keep
    // canvas XOR frame and its 0 bits clear the pixel.
    m_gdi.BitBlt(workDc, 0, 0, w, h, maskDc, 0, 0, SRCAND);
    // 8: XOR with the frame again: the canvas under key pixels, the frame elsewhere.
    m_gdi.BitBlt(workDc, 0, 0, w, h, copyDc, 0, 0, SRCINVERT);
    // 9: the composed block onto the canvas.
    m_gdi.BitBlt(destination, x, y, w, h, workDc, 0, 0, SRCCOPY);
    // 10: the whole canvas onto the drawing surface.
    m_gdi.BitBlt(m_hdc, 0, 0, m_canvasWidth, m_canvasHeight, destination, 0, 0, SRCCOPY);

    // 11: everything made here goes again.
    m_gdi.SelectObject(copyDc, keptCopy);
    m_gdi.SelectObject(workDc, keptWork);
    m_gdi.SelectObject(maskDc, keptMask);
    m_gdi.DeleteObject(copyBitmap);
    m_gdi.DeleteObject(workBitmap);
    m_gdi.DeleteObject(maskBitmap);
    m_gdi.DeleteDC(copyDc);
    m_gdi.DeleteDC(workDc);
    m_gdi.DeleteDC(maskDc);
}

void GifAnimation::PaintGif(int curframe) {
    if (m_strGifFileName.empty()) {
        m_host.showWarning(kNoFileMessage);
        return;
    }
    m_stopRender = false;
    RenderGif(curframe);
}

void GifAnimation::StartTimer() {
    // Without a frame to draw (a GIF without images, or one whose load failed) a clock would tick
    // at its shortest interval drawing nothing: the control says so as it does without a file.
    if (m_strGifFileName.empty() || !hasFrames()) {
        m_host.showWarning(kNoFileMessage);
        return;
    }
    m_stopRender = false;
    setTimerInterval(kStartIntervalMs);
}

void GifAnimation::StopTimer() {
    m_stopRender = true;
    setTimerInterval(0);
}

void GifAnimation::StopGif() {
    m_stopRender = true;
    StopTimer();
}

void GifAnimation::Timer1_Timer() {
    if (m_stopRender) {
        return;
    }
    PaintGif(m_currentFrame);
    m_currentFrame += 1;
    if (m_currentFrame > m_numberofFrames) {
        m_currentFrame = 0;
    }
    int delay = 0;
    if (m_currentFrame >= 0 && m_currentFrame < static_cast<int>(m_stream.records.size())) {
        delay = m_stream.records[static_cast<std::size_t>(m_currentFrame)].delay;
    }
    setTimerInterval(frameTimerIntervalMs(delay, m_userDelay));
}

void GifAnimation::setTimerInterval(int intervalMs) {
    m_timerIntervalMs = intervalMs;
    m_host.setTimerInterval(intervalMs);
}

}  // namespace plivora
