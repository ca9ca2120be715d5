#pragma once

#include <cstdint>

#include "win/gdi.h"

namespace plivora {

class Control;
class Host;

// The window calls the program makes, under their platform names and meanings, acting on the
// forms and the host. A window handle is the control it names.
using HWND = Control*;

// Insert-after values of SetWindowPos.
inline constexpr long HWND_TOPMOST = -1;
inline constexpr long HWND_NOTOPMOST = -2;

inline constexpr unsigned SWP_NOSIZE = 0x0001;
inline constexpr unsigned SWP_NOMOVE = 0x0002;
inline constexpr unsigned SWP_NOZORDER = 0x0004;
inline constexpr unsigned SWP_NOACTIVATE = 0x0010;
inline constexpr unsigned SWP_FRAMECHANGED = 0x0020;
inline constexpr unsigned SWP_SHOWWINDOW = 0x0040;
inline constexpr unsigned SWP_HIDEWINDOW = 0x0080;

// Window rectangles are the raster layer's RECT (win/gdi.h): pixels, right and bottom outside.

struct POINTAPI {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct OSVERSIONINFO {
    std::uint32_t dwOSVersionInfoSize = 0;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
};

inline constexpr unsigned SPI_GETWORKAREA = 48;

inline constexpr std::uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;

// Positions and sizes in screen pixels. Moves and sizes the window unless the flags say not to,
// and makes it topmost (HWND_TOPMOST) or not (HWND_NOTOPMOST) unless SWP_NOZORDER is given.
// A form it reorders or shows is to become the active window unless SWP_NOACTIVATE is given.
// The window receives WM_WINDOWPOSCHANGING first. Returns non-zero.
long SetWindowPos(HWND hwnd, long hwndInsertAfter, int x, int y, int cx, int cy, unsigned flags);
// The window's outer rectangle in screen pixels.
long GetWindowRect(HWND hwnd, RECT& rect);
long GetCursorPos(Host& host, POINTAPI& point);
HWND SetCapture(HWND hwnd);
long ReleaseCapture(Host& host);
// Fails (returns 0) unless the size field is 148.
long GetVersionExA(Host& host, OSVERSIONINFO& info);
// Brings a form to the front and activates it (it receives WM_ACTIVATE).
long SetForegroundWindow(HWND hwnd);
// Only SPI_GETWORKAREA: the screen's work area in pixels (the desktop less the task bars).
long SystemParametersInfoA(Host& host, unsigned uiAction, unsigned uiParam, RECT* pvParam,
                           unsigned fWinIni);

}  // namespace plivora
