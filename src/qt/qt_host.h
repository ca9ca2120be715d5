#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <QCursor>
#include <QMargins>
#include <QObject>
#include <QPointer>

#include "forms/host.h"

class QTimer;
class QWidget;

namespace plivora {

class FormView;

// Thrown by doEvents() once the program is ending. It unwinds the event handler that called
// DoEvents, as ending the program stops all running code at once; the view or timer that called
// into the model catches it. It is no Error, so no handler's error handling takes it for one.
struct ProgramEnding {};

// The host of the real program: Qt windows and widgets for the forms, the primary screen, the
// real pointer, QTimer ticks, the system clipboard and the mounted file systems. It owns the view
// of every loaded form; the views show their models and forward the user's input to them.
//
// A QApplication must exist for as long as the host does.
class QtHost : public Host {
public:
    QtHost();
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    // Screen.
    float twipsPerPixelX() const override;
    float twipsPerPixelY() const override;
    double devicePixelRatio() const override;
    PixelRect screenRect() const override;
    PixelRect workArea() const override;
    std::vector<PixelRect> workAreas() const override;
    // The frame of a shown window as the window system reports it; before a window is first
    // shown, the frame last measured on a window of the same kind, or a default taken from the
    // style until one was measured.
    FrameMetrics frameMetrics(const Form& form) const override;
    int platformId() const override { return 2; }

    // Pointer.
    PixelPoint cursorPos() const override;
    void setCapture(Control* control) override;
    void releaseCapture() override;
    Control* capture() const override { return m_capture; }
    // The program's one cursor picture is the 32 x 32 magnifier whose hot spot is the centre of
    // its glass, kCursorHotSpot (see resources/README.md); a picture of another size has its hot
    // spot at its centre. Setting another cursor replaces the one in force; nullptr restores the
    // default.
    static constexpr int kCursorSize = 32;
    static constexpr PixelPoint kCursorHotSpot{12, 12};
    void setProgramCursor(const Picture* cursor) override;
    // The hourglass is the desktop's wait cursor, over every window of the program and in front
    // of the program cursor, which comes back with the default pointer. It reaches the screen
    // before this returns, so work that keeps the event loop waiting runs under it.
    void setMousePointer(int mousePointer) override;

    // Time and events. Intervals below the timer resolution tick at the resolution
    // (timerTickIntervalMs). A tick that falls due while the same timer's handler still runs (it
    // called DoEvents) is dropped.
    void timerChanged(TimerControl& timer) override;
    void timerDestroyed(TimerControl& timer) override;
    // Runs the pending events; throws ProgramEnding when the program ends meanwhile.
    void doEvents() override;
    bool allowsBackgroundWork() const override { return true; }
    // Runs the pending events, or sleeps in the event loop until the next one comes; a job's
    // wake() is such an event. Throws ProgramEnding as doEvents does.
    void waitForEvents() override;
    void wake() override;
    void beep() override;
    // Ends the program at once: the windows go off the screen, the event loop is told to stop,
    // and from now on no view raises an event, no timer ticks and DoEvents unwinds its caller.
    void quit() override;
    bool isQuitting() const { return m_quitting; }
    // Whether a window of the program may take the keyboard focus now: while the program is the
    // active application (the user works with one of its windows), and while it starts, until
    // the user first worked with it. At other times (a timer shows a window while the user
    // types into another program) a window is shown and raised without taking the focus.
    bool mayActivateWindows() const;

    // Menus: the visible items of the menu in a pop-up at the point (its right edge there with
    // TPM_RIGHTALIGN); the chosen item raises Click once the pop-up has closed.
    void popupMenu(Menu& menu, PixelPoint at, unsigned flags) override;

    // Clipboard. Text and file-drop blocks (format 15) go to the system clipboard; a file-drop
    // block is offered as a URI list that file managers paste as files.
    void clearClipboard() override;
    void setClipboardText(const std::string& text) override;
    std::string clipboardText() const override;
    void setClipboardData(int format, const std::vector<std::uint8_t>& bytes) override;

    std::vector<Drive> drives() const override;

    void formCreated(Form& form) override;
    void formDestroyed(Form& form) override;
    // The program's warning box with the error's number and description, as the platform's own
    // report of an unhandled run-time error shows them; a log line before the box exists or once
    // the program is ending.
    void handlerFailed(const Control& control, const Error& error) override;
    // Logged under the category "plivora.windowcalls" (off unless enabled with QT_LOGGING_RULES).
    void windowCall(const std::string& description) override;

    // The widget that shows a form or control, or nullptr when it has none.
    QWidget* widgetOf(const Control& control) const;
    FormView* formView(const Form& form) const;
    // A frame measured on a shown window, kept as the default for windows of the same kind.
    void rememberFrame(const Form& form, const QMargins& frame);
    QMargins frameMarginsPixels(const Form& form) const;

private:
    void publishClipboard();
    void retire(QObject* object);
    // The raster layer's system colours from the application's palette; every view is shown
    // again in them.
    void fillSystemColors();
    // Shows the pointer the program asks for: the wait cursor while a control is busy, else the
    // program cursor, else the window system's own.
    void applyCursor();

    std::map<const Form*, std::unique_ptr<FormView>> m_views;
    std::map<TimerControl*, std::unique_ptr<QTimer>> m_timers;
    std::set<TimerControl*> m_runningTimers;
    std::map<int, QMargins> m_learnedFrames;  // by kind of frame
    Control* m_capture = nullptr;
    QPointer<QWidget> m_captureWidget;
    std::optional<QCursor> m_programCursor;
    bool m_busy = false;  // a control set the hourglass
    bool m_cursorOverridden = false;
    std::unique_ptr<QObject> m_paletteWatch;
    bool m_quitting = false;
    bool m_wasActive = false;  // the program has been the active application
    QMetaObject::Connection m_activeWatch;
    std::optional<std::string> m_clipboardText;
    std::optional<std::vector<std::string>> m_clipboardFiles;
};

}  // namespace plivora
