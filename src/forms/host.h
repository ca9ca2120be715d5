#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "forms/types.h"
#include "forms/window_hooks.h"
#include "win/file_system.h"
#include "win/gdi.h"

namespace plivora {

class Control;
class Form;
class TimerControl;
class Picture;
class Menu;
class Error;

// The size of a window's frame in twips: borders on each side, the top one including the caption
// bar. A form's client area is its outer size minus these.
struct FrameMetrics {
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
};

// What only a window system knows or does. The Qt host drives real windows; the headless host
// simulates screen, cursor, clock and clipboard for tests and command-line tools.
class Host {
public:
    virtual ~Host() = default;

    // Screen.
    virtual float twipsPerPixelX() const = 0;
    virtual float twipsPerPixelY() const = 0;
    virtual PixelRect screenRect() const = 0;
    virtual PixelRect workArea() const = 0;  // the primary screen's
    // The work area of every screen of the desktop, the primary screen's first.
    virtual std::vector<PixelRect> workAreas() const { return {workArea()}; }
    virtual FrameMetrics frameMetrics(const Form& form) const = 0;
    // The RGB value of a system colour index, read from the raster layer's table below: the one
    // table that the drawing of the GIF control and every view resolve system colours through.
    OleColor systemColor(int index) const { return m_gdi.GetSysColor(index); }
    virtual int platformId() const = 0;  // 1: the 95/98 family, 2: NT, other
    // Device pixels per logical pixel (2 on a doubled screen). Every size the windows use, in
    // twips and in pixels, is logical; only pictures shrunk for display are made at the device
    // size, so that they are as sharp as the text beside them.
    virtual double devicePixelRatio() const { return 1.0; }

    // Pointer.
    virtual PixelPoint cursorPos() const = 0;
    virtual void setCapture(Control* control) = 0;
    virtual void releaseCapture() = 0;
    virtual Control* capture() const = 0;
    virtual void setProgramCursor(const Picture* cursor) = 0;  // nullptr: the default cursor
    // The pointer shape a control sets while it holds the mouse captured (its MousePointer:
    // kPointerHourglass while it loads, kPointerDefault after). With the capture the pointer
    // shows wherever the mouse is, so the host shows it over every window of the program, in
    // place of the program cursor, until kPointerDefault gives the pointer back.
    static constexpr int kPointerDefault = 0;
    static constexpr int kPointerHourglass = 11;
    virtual void setMousePointer(int mousePointer) = 0;

    // Time and events.
    virtual void timerChanged(TimerControl& timer) = 0;  // start, restart or stop its ticks
    virtual void timerDestroyed(TimerControl& timer) = 0;
    virtual void doEvents() = 0;
    // Whether work such as decoding the next pictures may run on a second thread. A host that
    // must stay deterministic (the headless one) answers false and everything runs in turn.
    virtual bool allowsBackgroundWork() const { return false; }
    // How the window's thread waits for work on another thread (BackgroundJobs) without freezing
    // the windows: it runs the pending events and, when there are none, sleeps until the next
    // event or wake(). Throws what doEvents throws. A host without background work just runs the
    // pending events.
    virtual void waitForEvents() = 0;
    // Ends the waitForEvents under way, or the next one: called on the thread of a job that has
    // finished. The one Host call that may be made from any thread.
    virtual void wake() = 0;
    virtual void beep() = 0;
    virtual void quit() = 0;  // ends the program at once

    // Opens a pop-up menu at a screen position and waits for the user's choice; the chosen
    // item's Click runs before it returns. With TPM_RIGHTALIGN the menu's right edge is at the
    // position.
    virtual void popupMenu(Menu& menu, PixelPoint at, unsigned flags) = 0;

    // Clipboard.
    virtual void clearClipboard() = 0;
    virtual void setClipboardText(const std::string& text) = 0;
    virtual std::string clipboardText() const = 0;
    virtual void setClipboardData(int format, const std::vector<std::uint8_t>& bytes) = 0;

    // File systems.
    virtual std::vector<Drive> drives() const = 0;

    // Views: a form is created, shown, changed or destroyed; the host makes and keeps its view.
    virtual void formCreated(Form& form) = 0;
    virtual void formDestroyed(Form& form) = 0;
    // A SetWindowPos call or similar: recorded by the headless host for tests.
    virtual void windowCall(const std::string& description) = 0;

    // An event handler of the control let an Error out; the handler ended there and the program
    // goes on. Every event kind (input, drops, timers, form events) ends up here, so a failure is
    // never lost: the Qt host shows it to the user, the headless host records it for tests.
    virtual void handlerFailed(const Control& control, const Error& error) = 0;
    // How the host shows a message the user must acknowledge: the program's own warning box,
    // installed by the program once it exists. Without one the host reports in its own way.
    void setWarningBox(std::function<void(const std::string& message)> show) {
        m_warningBox = std::move(show);
    }
    const std::function<void(const std::string& message)>& warningBox() const {
        return m_warningBox;
    }

    // The hooks, parents and extended styles of the program's windows; the same for every host.
    WindowHooks& windowHooks() { return m_windowHooks; }
    const WindowHooks& windowHooks() const { return m_windowHooks; }

    // The raster layer of the program's windows: device contexts, bitmaps and the drawing
    // surfaces of controls that paint their own pixels. Its system colour table is the program's
    // only one: each host fills it when it starts (the headless host sets a light scheme's button
    // face, window and window text over the classic scheme; the Qt host sets every index from the
    // application's palette, and again whenever that palette changes), and GetSysColor,
    // systemColor, the GIF control's drawing and the Qt views' colours all read it.
    GdiContext& gdi() { return m_gdi; }
    const GdiContext& gdi() const { return m_gdi; }

    // Whether the program holds the clipboard open (between OpenClipboard and CloseClipboard).
    bool isClipboardOpen() const { return m_clipboardOpen; }
    void setClipboardOpen(bool open) { m_clipboardOpen = open; }

private:
    std::function<void(const std::string& message)> m_warningBox;
    bool m_clipboardOpen = false;
    WindowHooks m_windowHooks;
    GdiContext m_gdi;
};

}  // namespace plivora
