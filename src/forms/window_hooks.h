#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "forms/window_calls.h"

namespace plivora {

class Control;
class Host;

// Messages a window receives. Only the ones the program's windows send or look at are named.
inline constexpr std::uint32_t WM_MOVE = 0x0003;
inline constexpr std::uint32_t WM_SIZE = 0x0005;
inline constexpr std::uint32_t WM_ACTIVATE = 0x0006;
inline constexpr std::uint32_t WM_PAINT = 0x000F;
inline constexpr std::uint32_t WM_SHOWWINDOW = 0x0018;
inline constexpr std::uint32_t WM_WINDOWPOSCHANGING = 0x0046;
inline constexpr std::uint32_t WM_NCPAINT = 0x0085;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
inline constexpr std::uint32_t WM_PARENTNOTIFY = 0x0210;

inline constexpr std::int32_t WA_ACTIVE = 1;

// Hooks.
inline constexpr int WH_CALLWNDPROC = 4;
inline constexpr int HC_ACTION = 0;

// Window longs.
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr std::int32_t WS_EX_NOPARENTNOTIFY = 0x0004;
inline constexpr std::int32_t WS_EX_TOOLWINDOW = 0x0080;

// A message as a call-window hook sees it. A null window is the desktop.
struct CWPSTRUCT {
    std::int32_t lParam = 0;
    std::int32_t wParam = 0;
    std::uint32_t message = 0;
    HWND hwnd = nullptr;
};

// A call-window hook procedure: code (HC_ACTION), whether the current thread sent the message
// (always non-zero here: the program has one thread), and the message.
using HOOKPROC =
    std::function<std::int32_t(int code, std::int32_t wParam, const CWPSTRUCT& record)>;

// The message routing of the program's one thread: the call-window hooks, which see every message
// sent to a window of the thread before the window handles it, and the windows that were given
// another parent or an extended style, which decide where a press on a child window is reported.
// The host owns one; forms and the window calls reach it through Host::windowHooks().
class WindowHooks {
public:
    WindowHooks();

    // The id of the thread that runs the windows: the thread that made the host.
    std::uint32_t threadId() const { return m_threadId; }

    // Hook chain. Handles are never zero and never reused.
    std::int32_t install(HOOKPROC procedure);
    bool remove(std::int32_t handle);
    int hookCount() const { return static_cast<int>(m_hooks.size()); }
    bool isInstalled(std::int32_t handle) const;
    // Runs the hook installed before `handle`, if any; 0 when there is none.
    std::int32_t callNext(std::int32_t handle, int code, std::int32_t wParam,
                          const CWPSTRUCT& record);
    // The thread has ended: its hooks go, as the system removes them with the thread.
    void threadEnded() { m_hooks.clear(); }

    // Passes a sent message to the hooks, the newest first; each hook decides whether the older
    // ones see it (CallNextHookEx). A hook procedure is not entered again for the messages that it
    // sends itself: those reach their windows without passing the hooks.
    void passHooks(HWND hwnd, std::uint32_t message, std::int32_t wParam, std::int32_t lParam);

    // Parents and extended styles. A control's parent is its container, or its form when it has
    // none, until SetParent gives it another; a form's parent is the desktop (null).
    HWND parentOf(const Control& window) const;
    HWND setParent(Control& window, HWND parent);
    std::int32_t extendedStyle(const Control& window) const;
    void setExtendedStyle(const Control& window, std::int32_t style);
    // A window is going away: it is nobody's parent any more and its entries are dropped.
    void windowDestroyed(const Control& window);

private:
    struct Hook {
        std::int32_t handle = 0;
        HOOKPROC procedure;
    };

    std::int32_t runFrom(std::size_t index, int code, std::int32_t wParam, const CWPSTRUCT& record);

    std::uint32_t m_threadId = 0;
    std::vector<Hook> m_hooks;  // in installation order
    std::int32_t m_nextHandle = 1;
    int m_hookDepth = 0;
    std::map<const Control*, HWND> m_parents;  // only windows moved to another parent
    std::map<const Control*, std::int32_t> m_exStyles;
};

std::uint32_t GetCurrentThreadId();
// Installs a call-window hook (WH_CALLWNDPROC) for the windows of the program's thread and
// returns its handle, or 0: other hook kinds, global hooks and other threads are not available.
std::int32_t SetWindowsHookExA(Host& host, int idHook, HOOKPROC procedure, std::int32_t hmod,
                               std::uint32_t dwThreadId);
// Returns 0 for a handle that is not installed (the call fails quietly).
std::int32_t UnhookWindowsHookEx(Host& host, std::int32_t hhk);
std::int32_t CallNextHookEx(Host& host, std::int32_t hhk, int code, std::int32_t wParam,
                            const CWPSTRUCT& record);

// Sends a message: the hooks see it, then the window handles it (a form runs Paint for WM_PAINT
// and Resize for WM_SIZE; everything else only informs). A null window is the desktop, which
// handles nothing of the program's.
std::int32_t SendMessageA(Host& host, HWND hwnd, std::uint32_t message, std::int32_t wParam,
                          std::int32_t lParam);

HWND GetParent(HWND hwnd);
// Gives a child window another parent (null: the desktop) and returns the previous one. A form
// stays a top-level window: it cannot be re-parented here, and the call returns null.
HWND SetParent(HWND hWndChild, HWND hWndNewParent);
// Only GWL_EXSTYLE is kept; returns the previous value, or 0 for any other index.
std::int32_t SetWindowLongA(HWND hwnd, int nIndex, std::int32_t dwNewLong);
std::int32_t GetWindowLongA(HWND hwnd, int nIndex);

// A mouse button pressed over a control, as the window system delivers it: unless the control
// has WS_EX_NOPARENTNOTIFY, its parent window (and each ancestor up to the form) receives
// WM_PARENTNOTIFY first; then the control's MouseDown runs. x and y are in the control's units.
void pressMouseButton(Control& control, int button, int shift, float x, float y);

// Words of a message parameter: the low and high 16 bits.
std::int32_t makeLong(int low, int high);
// A position or size in twips as whole pixels for a message word, held inside 16 bits.
int twipsToPixelWord(double twips, float twipsPerPixel);

}  // namespace plivora
