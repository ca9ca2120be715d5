#include "forms/window_calls.h"

#include <cstdio>
#include <string>

#include "forms/control.h"
#include "forms/form.h"
#include "forms/host.h"
#include "forms/types.h"
#include "forms/window_hooks.h"

namespace plivora {

namespace {

std::string describeInsertAfter(long hwndInsertAfter) {
    if (hwndInsertAfter == HWND_TOPMOST) {
        return "HWND_TOPMOST";
    }
    if (hwndInsertAfter == HWND_NOTOPMOST) {
        return "HWND_NOTOPMOST";
    }
    return std::to_string(hwndInsertAfter);
}

}  // namespace

long SetWindowPos(HWND hwnd, long hwndInsertAfter, int x, int y, int cx, int cy, unsigned flags) {
    if (hwnd == nullptr) {
        return 0;
    }
    Host& host = hwnd->host();
    host.windowCall("SetWindowPos " + hwnd->name() + " " + describeInsertAfter(hwndInsertAfter) +
                    " " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(cx) +
                    " " + std::to_string(cy) + " " + std::to_string(flags));
    SendMessageA(host, hwnd, WM_WINDOWPOSCHANGING, 0, 0);
    const float tx = host.twipsPerPixelX();
    const float ty = host.twipsPerPixelY();
    float left = hwnd->left();
    float top = hwnd->top();
    float width = hwnd->width();
    float height = hwnd->height();
    if ((flags & SWP_NOMOVE) == 0) {
        left = static_cast<float>(x) * tx;
        top = static_cast<float>(y) * ty;
    }
    if ((flags & SWP_NOSIZE) == 0) {
        width = static_cast<float>(cx) * tx;
        height = static_cast<float>(cy) * ty;
    }
    hwnd->move(left, top, width, height);
    auto* form = dynamic_cast<Form*>(hwnd);
    const bool reorders = (flags & SWP_NOZORDER) == 0;
    if (form != nullptr && (reorders || (flags & SWP_SHOWWINDOW) != 0)) {
        form->requestActivation((flags & SWP_NOACTIVATE) == 0);
    }
    if (form != nullptr && reorders) {
        if (hwndInsertAfter == HWND_TOPMOST) {
            form->setTopmost(true);
        } else if (hwndInsertAfter == HWND_NOTOPMOST && !form->keepsAbove()) {
            form->setTopmost(false);
        }
        // Placed at the top of the topmost band, even when it was there already.
        if (hwndInsertAfter == HWND_TOPMOST) {
            form->zOrderFront();
        }
    }
    if ((flags & SWP_SHOWWINDOW) != 0) {
        hwnd->setVisible(true);
    }
    if ((flags & SWP_HIDEWINDOW) != 0) {
        hwnd->setVisible(false);
    }
    return 1;
}

long GetWindowRect(HWND hwnd, RECT& rect) {
    if (hwnd == nullptr) {
        return 0;
    }
    Host& host = hwnd->host();
    const float tx = host.twipsPerPixelX();
    const float ty = host.twipsPerPixelY();
    rect.left = roundHalfEven(hwnd->left() / tx);
    rect.top = roundHalfEven(hwnd->top() / ty);
    rect.right = roundHalfEven((hwnd->left() + hwnd->width()) / tx);
    rect.bottom = roundHalfEven((hwnd->top() + hwnd->height()) / ty);
    return 1;
}

long GetCursorPos(Host& host, POINTAPI& point) {
    const PixelPoint pos = host.cursorPos();
    point.x = pos.x;
    point.y = pos.y;
    return 1;
}

HWND SetCapture(HWND hwnd) {
    if (hwnd == nullptr) {
        return nullptr;
    }
    Host& host = hwnd->host();
    HWND previous = host.capture();
    host.setCapture(hwnd);
    return previous;
}

long ReleaseCapture(Host& host) {
    host.releaseCapture();
    return 1;
}

long GetVersionExA(Host& host, OSVERSIONINFO& info) {
    if (info.dwOSVersionInfoSize != 148) {
        return 0;
    }
    const int platform = host.platformId();
    info.dwPlatformId = static_cast<std::uint32_t>(platform);
    info.dwMajorVersion = platform == static_cast<int>(VER_PLATFORM_WIN32_WINDOWS) ? 4 : 6;
    info.dwMinorVersion = platform == static_cast<int>(VER_PLATFORM_WIN32_WINDOWS) ? 10 : 0;
    std::snprintf(info.szCSDVersion, sizeof info.szCSDVersion, "%s", "");
    return 1;
}

long SetForegroundWindow(HWND hwnd) {
    if (hwnd == nullptr) {
        return 0;
    }
    Host& host = hwnd->host();
    host.windowCall("SetForegroundWindow " + hwnd->name());
    SendMessageA(host, hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    return 1;
}

long SystemParametersInfoA(Host& host, unsigned uiAction, unsigned /*uiParam*/, RECT* pvParam,
                           unsigned /*fWinIni*/) {
    if (uiAction != SPI_GETWORKAREA || pvParam == nullptr) {
        return 0;
    }
    const PixelRect area = host.workArea();
    pvParam->left = area.left;
    pvParam->top = area.top;
    pvParam->right = area.right;
    pvParam->bottom = area.bottom;
    return 1;
}

}  // namespace plivora
