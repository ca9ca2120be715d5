#include "forms/window_hooks.h"

#include <unistd.h>

#include <cmath>
#include <utility>

#include "forms/control.h"
#include "forms/form.h"
#include "forms/host.h"

namespace plivora {

namespace {

std::uint32_t buttonDownMessage(int button) {
    switch (button) {
        case MouseButton::Right:
            return WM_RBUTTONDOWN;
        case MouseButton::Middle:
            return WM_MBUTTONDOWN;
        default:
            return WM_LBUTTONDOWN;
    }
}

}  // namespace

int twipsToPixelWord(double twips, float twipsPerPixel) {
    if (!(twipsPerPixel > 0) || !std::isfinite(twips)) {
        return 0;
    }
    const double pixels = std::nearbyint(twips / twipsPerPixel);
    return static_cast<int>(std::fmax(-32768.0, std::fmin(32767.0, pixels)));
}

std::int32_t makeLong(int low, int high) {
    const std::uint32_t packed = (static_cast<std::uint32_t>(low) & 0xFFFFu) |
                                 ((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16);
    return static_cast<std::int32_t>(packed);
}

// ---- WindowHooks ----

WindowHooks::WindowHooks() : m_threadId(GetCurrentThreadId()) {}

std::int32_t WindowHooks::install(HOOKPROC procedure) {
    const std::int32_t handle = m_nextHandle++;
    m_hooks.push_back(Hook{handle, std::move(procedure)});
    return handle;
}

bool WindowHooks::remove(std::int32_t handle) {
    for (auto it = m_hooks.begin(); it != m_hooks.end(); ++it) {
        if (it->handle == handle) {
            m_hooks.erase(it);
            return true;
        }
    }
    return false;
}

bool WindowHooks::isInstalled(std::int32_t handle) const {
    for (const Hook& hook : m_hooks) {
        if (hook.handle == handle) {
            return true;
        }
    }
    return false;
}

std::int32_t WindowHooks::runFrom(std::size_t index, int code, std::int32_t wParam,
                                  const CWPSTRUCT& record) {
    // The procedure may remove its own hook (or install others) while it runs; it runs from a
    // copy so that the table can change under it.
    const HOOKPROC procedure = m_hooks[index].procedure;
    ++m_hookDepth;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{m_hookDepth};
    return procedure ? procedure(code, wParam, record) : 0;
}

std::int32_t WindowHooks::callNext(std::int32_t handle, int code, std::int32_t wParam,
                                   const CWPSTRUCT& record) {
    for (std::size_t i = 0; i < m_hooks.size(); ++i) {
        if (m_hooks[i].handle == handle) {
            return i == 0 ? 0 : runFrom(i - 1, code, wParam, record);
        }
    }
    return 0;
}

void WindowHooks::passHooks(HWND hwnd, std::uint32_t message, std::int32_t wParam,
                            std::int32_t lParam) {
    if (m_hooks.empty() || m_hookDepth > 0) {
        return;
    }
    const CWPSTRUCT record{lParam, wParam, message, hwnd};
    runFrom(m_hooks.size() - 1, HC_ACTION, 1, record);
}

HWND WindowHooks::parentOf(const Control& window) const {
    if (const auto it = m_parents.find(&window); it != m_parents.end()) {
        return it->second;
    }
    if (window.form() == &window) {
        return nullptr;
    }
    return window.container() != nullptr ? window.container() : window.form();
}

HWND WindowHooks::setParent(Control& window, HWND parent) {
    const HWND previous = parentOf(window);
    const HWND designed = window.container() != nullptr ? window.container() : window.form();
    if (parent == designed) {
        m_parents.erase(&window);
    } else {
        m_parents[&window] = parent;
    }
    return previous;
}

std::int32_t WindowHooks::extendedStyle(const Control& window) const {
    const auto it = m_exStyles.find(&window);
    return it != m_exStyles.end() ? it->second : 0;
}

void WindowHooks::setExtendedStyle(const Control& window, std::int32_t style) {
    m_exStyles[&window] = style;
}

void WindowHooks::windowDestroyed(const Control& window) {
    m_parents.erase(&window);
    m_exStyles.erase(&window);
    for (auto& [child, parent] : m_parents) {
        if (parent == &window) {
            parent = nullptr;  // its children fall to the desktop
        }
    }
}

// ---- Calls ----

std::uint32_t GetCurrentThreadId() {
    return static_cast<std::uint32_t>(::gettid());
}

std::int32_t SetWindowsHookExA(Host& host, int idHook, HOOKPROC procedure, std::int32_t hmod,
                               std::uint32_t dwThreadId) {
    WindowHooks& hooks = host.windowHooks();
    if (idHook != WH_CALLWNDPROC || !procedure || hmod != 0 || dwThreadId != hooks.threadId()) {
        return 0;
    }
    return hooks.install(std::move(procedure));
}

std::int32_t UnhookWindowsHookEx(Host& host, std::int32_t hhk) {
    return host.windowHooks().remove(hhk) ? 1 : 0;
}

std::int32_t CallNextHookEx(Host& host, std::int32_t hhk, int code, std::int32_t wParam,
                            const CWPSTRUCT& record) {
    return host.windowHooks().callNext(hhk, code, wParam, record);
}

std::int32_t SendMessageA(Host& host, HWND hwnd, std::uint32_t message, std::int32_t wParam,
                          std::int32_t lParam) {
    host.windowHooks().passHooks(hwnd, message, wParam, lParam);
    if (hwnd != nullptr && hwnd->form() == hwnd) {
        static_cast<Form*>(hwnd)->windowProc(message, wParam, lParam);
    }
    return 0;
}

HWND GetParent(HWND hwnd) {
    return hwnd != nullptr ? hwnd->host().windowHooks().parentOf(*hwnd) : nullptr;
}

HWND SetParent(HWND hWndChild, HWND hWndNewParent) {
    if (hWndChild == nullptr || hWndChild->form() == hWndChild) {
        return nullptr;
    }
    // A window cannot become a child of itself or of one of its own children.
    for (HWND above = hWndNewParent; above != nullptr; above = GetParent(above)) {
        if (above == hWndChild) {
            return nullptr;
        }
    }
    return hWndChild->host().windowHooks().setParent(*hWndChild, hWndNewParent);
}

std::int32_t SetWindowLongA(HWND hwnd, int nIndex, std::int32_t dwNewLong) {
    if (hwnd == nullptr || nIndex != GWL_EXSTYLE) {
        return 0;
    }
    WindowHooks& hooks = hwnd->host().windowHooks();
    const std::int32_t previous = hooks.extendedStyle(*hwnd);
    hooks.setExtendedStyle(*hwnd, dwNewLong);
    return previous;
}

std::int32_t GetWindowLongA(HWND hwnd, int nIndex) {
    if (hwnd == nullptr || nIndex != GWL_EXSTYLE) {
        return 0;
    }
    return hwnd->host().windowHooks().extendedStyle(*hwnd);
}

void pressMouseButton(Control& control, int button, int shift, float x, float y) {
    Host& host = control.host();
    if (control.form() != &control &&
        (host.windowHooks().extendedStyle(control) & WS_EX_NOPARENTNOTIFY) == 0) {
        // The press point travels up in each parent's coordinates: twips from the parent's
        // top-left, where a form's client area may be scaled and a child of the desktop is
        // placed in screen twips.
        const std::int32_t wParam = makeLong(static_cast<int>(buttonDownMessage(button)), 0);
        double ox = x;
        double oy = y;
        HWND window = &control;
        while (true) {
            const HWND parent = GetParent(window);
            const bool parentIsForm = parent != nullptr && parent->form() == parent;
            const auto* form = parentIsForm ? static_cast<const Form*>(parent) : nullptr;
            ox += window->left() * (form != nullptr ? form->unitsToTwipsX() : 1.0f);
            oy += window->top() * (form != nullptr ? form->unitsToTwipsY() : 1.0f);
            SendMessageA(host, parent, WM_PARENTNOTIFY, wParam,
                         makeLong(twipsToPixelWord(ox, host.twipsPerPixelX()),
                                  twipsToPixelWord(oy, host.twipsPerPixelY())));
            if (parent == nullptr || parentIsForm) {
                break;
            }
            window = parent;
        }
    }
    control.raiseMouseDown(button, shift, x, y);
}

}  // namespace plivora
